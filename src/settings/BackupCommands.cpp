#include "settings/BackupCommands.h"

#include "common/AppPath.h"
#include "common/DailyLog.h"
#include "common/Messages.h"
#include "common/UserDialogs.h"
#include "data/CopyRotation.h"
#include "data/DbAccess.h"
#include "settings/Config.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
constexpr int KeptDailyBackups = 14;
}

QString BackupFileFilter()
{
    return QStringLiteral("数据文件 (*.bat)|*.bat");
}

QString SafetyCopyPath()
{
    return AppPath() + QStringLiteral("tmpData.bat");
}

QString DailyBackupFolder()
{
    return AppPath() + QStringLiteral("备份");
}

void DailyBackup(const QDate& today)
{
    const QString folder = DailyBackupFolder();
    const QString target = folder + QStringLiteral("/bookkeep-") +
                           today.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".bat");
    if (QFileInfo::exists(target))
        return;
    QString reason;
    if (!QDir().mkpath(folder))
        reason = QDir::toNativeSeparators(folder) + QStringLiteral(": 无法创建文件夹");
    else
        reason = DbAccess->CopyTo(target);
    if (!reason.isEmpty()) {
        WriteLog(QStringLiteral("自动备份失败：") + reason);
        return;
    }
    PruneCopies(folder, QRegularExpression(QStringLiteral("^bookkeep-\\d{8}\\.bat$")),
                KeptDailyBackups);
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
    const QString folder = DailyBackupFolder();
    const QString source = UserDialogs().OpenFileName(
        BackupFileFilter(), QFileInfo(folder).isDir() ? folder : QString());
    if (source.isEmpty())
        return false;
    DbRestore(source, SafetyCopyPath());
    WriteLog(QStringLiteral("数据恢复！"));
    // The restored file's settings hold from now on: its login password among them.
    Config.LoadConfig();
    return true;
}
