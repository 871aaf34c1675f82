#include "settings/BackupCommands.h"

#include "common/AppPath.h"
#include "common/DailyLog.h"
#include "common/Messages.h"
#include "common/UserDialogs.h"
#include "data/DbAccess.h"

QString BackupFileFilter()
{
    return QStringLiteral("数据文件 (*.bat)|*.bat");
}

QString SafetyCopyPath()
{
    return AppPath() + QStringLiteral("tmpData.bat");
}

QString BackupCommand()
{
    QString target = UserDialogs().SaveFileName(BackupFileFilter());
    if (target.isEmpty())
        return {};
    const QString suffix = QStringLiteral(".bat");
    if (!target.endsWith(suffix))
        target += suffix;
    DbBackup(target);
    return target;
}

bool RestoreCommand()
{
    if (!AskYesNo(QStringLiteral("你确定要恢复数据吗？你做的操作可能会覆盖最新的数据！")))
        return false;
    const QString source = UserDialogs().OpenFileName(BackupFileFilter());
    if (source.isEmpty())
        return false;
    DbRestore(source, SafetyCopyPath());
    WriteLog(QStringLiteral("数据恢复！"));
    return true;
}
