#include "app/DataFileClaim.h"

#include "app/SingleInstance.h"
#include "common/AppPath.h"
#include "common/Messages.h"
#include "data/DataFileCheck.h"
#include "data/Sqlite.h"

#include <QCoreApplication>

bool ClaimDataFile(TSingleInstance& instance, TUserDialogs& dialogs, int* status)
{
    const QString database = AppPath() + QLatin1String(DatabaseFile::FileName);
    const QString problem = DataFileCheck::WriteProblem(database);
    if (!problem.isEmpty()) {
        ShowError(dialogs, problem);
        *status = 1;
        return false;
    }
    if (!instance.Acquire()) {
        if (!instance.Activated())
            ShowError(dialogs, QCoreApplication::translate("DataFileClaim", "Velmora 已在运行"));
        *status = instance.Activated() ? 0 : 1;
        return false;
    }
    DataFileCheck::RemoveStagedLeftovers(database);
    DataFileCheck::TightenModes(database);
    return true;
}
