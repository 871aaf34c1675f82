#include "app/Startup.h"

#include "app/FormMain.h"
#include "common/AppPath.h"
#include "common/CardException.h"
#include "common/gui/QtUserDialogs.h"
#include "data/DbAccess.h"

#include <QApplication>
#include <QFileInfo>

QString ExecutableFolder()
{
    // The link names this executable wherever it was started from, before any Qt object exists.
    return QFileInfo(QStringLiteral("/proc/self/exe"))
        .canonicalFilePath()
        .section(QLatin1Char('/'), 0, -2);
}

int RunSession()
{
    TDbAccess dbAccess;
    dbAccess.Connect();
    if (!dbAccess.Connected())
        return 1;
    QApplication::setApplicationName(ApplicationTitle());
    TFormMain formMain;
    formMain.show();
    return QApplication::exec();
}

int RunVelmora(int argc, char** argv)
{
    TCardException cardException;
    SetAppPath(ExecutableFolder());

    QApplication application(argc, argv);
    TQtUserDialogs dialogs;
    SetUserDialogs(&dialogs);
    const int status = RunSession();
    SetUserDialogs(nullptr);
    return status;
}
