#include "settings/BackupCommands.h"

#include "common/AppPath.h"
#include "common/DailyLog.h"
#include "common/Errors.h"
#include "common/Messages.h"
#include "common/UserDialogs.h"
#include "data/CopyRotation.h"
#include "data/DbAccess.h"
#include "data/FileKey.h"
#include "data/Sqlite.h"
#include "settings/Config.h"
#include "settings/FileKeyPrompt.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
constexpr int KeptDailyBackups = 14;

// The key a backup opens with; Cancel stops the restore.
TFileKey KeyOfBackup(const TDbAccess& dbAccess, TUserDialogs& dialogs, const QString& source)
{
    const std::optional<TFileKey> key =
        KeyForFile(dbAccess.Key(), dialogs, source,
                   QCoreApplication::translate("BackupCommands", "请输入备份文件的密码"));
    if (!key)
        throw EAbort();
    return *key;
}
} // namespace

QString BackupFileFilter()
{
    return QCoreApplication::translate("BackupCommands", "数据文件 (*.bat)|*.bat");
}

QString SafetyCopyPath()
{
    return AppPath() + QStringLiteral("tmpData.bat");
}

QString DailyBackupFolder()
{
    return AppPath() + QStringLiteral("备份");
}

void DailyBackup(TDbAccess& dbAccess, const QDate& today)
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
        reason = dbAccess.CopyTo(target);
    if (!reason.isEmpty()) {
        WriteLog(QStringLiteral("自动备份失败：") + reason);
        return;
    }
    PruneCopies(folder, QRegularExpression(QStringLiteral("^bookkeep-\\d{8}\\.bat$")),
                KeptDailyBackups);
}

QString BackupCommand(TDbAccess& dbAccess, TUserDialogs& dialogs)
{
    const QString suffix = QStringLiteral(".bat");
    QString target;
    // The name is whole only once the suffix is added, so the question about a file already
    // there comes here; No goes back to the choice of a name, as in a save dialog.
    for (;;) {
        target = dialogs.SaveFileName(BackupFileFilter());
        if (target.isEmpty())
            return {};
        if (!target.endsWith(suffix))
            target += suffix;
        // A folder of that name is no file to replace: the copy reports it.
        const QFileInfo existing(target);
        if (!existing.exists() || existing.isDir() ||
            AskYesNo(dialogs,
                     QCoreApplication::translate("BackupCommands", "文件“%1”已经存在，要替换它吗？")
                         .arg(QDir::toNativeSeparators(target))))
            break;
    }
    dbAccess.BackupTo(target);
    return target;
}

bool RestoreCommand(TConfig& config, TUserDialogs& dialogs)
{
    if (!AskYesNo(dialogs,
                  QCoreApplication::translate(
                      "BackupCommands", "你确定要恢复数据吗？你做的操作可能会覆盖最新的数据！")))
        return false;
    const QString folder = DailyBackupFolder();
    const QString source =
        dialogs.OpenFileName(BackupFileFilter(), QFileInfo(folder).isDir() ? folder : QString());
    if (source.isEmpty())
        return false;
    TDbAccess& dbAccess = config.Connection();
    dbAccess.RestoreFrom(source, SafetyCopyPath(), KeyOfBackup(dbAccess, dialogs, source));
    WriteLog(QStringLiteral("数据恢复！"));
    // The restored file's settings hold from now on: its login password among them.
    config.LoadConfig();
    return true;
}
