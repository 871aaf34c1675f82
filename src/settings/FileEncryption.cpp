#include "settings/FileEncryption.h"

#include "common/AppPath.h"
#include "common/DailyLog.h"
#include "data/DataFileCheck.h"
#include "data/DbAccess.h"
#include "data/FileKey.h"
#include "data/Reencrypt.h"
#include "settings/BackupCommands.h"

#include <QDir>
#include <QFileInfo>

QStringList ProgramCopies()
{
    QStringList copies;
    const QDir daily(DailyBackupFolder());
    for (const QString& name :
         daily.entryList({QStringLiteral("bookkeep-*.bat")}, QDir::Files, QDir::Name))
        copies << daily.filePath(name);
    const QFileInfo safety(SafetyCopyPath());
    const QDir folder = safety.absoluteDir();
    for (const QString& name :
         folder.entryList({safety.completeBaseName() + QStringLiteral("*.") + safety.suffix()},
                          QDir::Files, QDir::Name))
        copies << folder.filePath(name);
    return copies;
}

void ChangeFileKey(TDbAccess& dbAccess, const TFileKey& key, const QString& settingsStatement)
{
    const TFileKey old = dbAccess.Key();
    dbAccess.Rekey(key, settingsStatement);
    for (const QString& copy : ProgramCopies()) {
        // What a re-encryption cut short left beside the copy goes first.
        DataFileCheck::RemoveStagedLeftovers(copy);
        const QString reason = ReencryptCopy(copy, old, key);
        if (!reason.isEmpty())
            WriteLog(QStringLiteral("备份未能用新密钥重新加密，保持原样：") + reason);
    }
}

void FinishCopyKeys(const TFileKey& key)
{
    for (const QString& copy : ProgramCopies()) {
        DataFileCheck::RemoveStagedLeftovers(copy);
        // Under the standard key only a copy that an encryption cut short did not reach is left
        // behind: one the data file's key opens is done, one that neither opens stays as it is.
        if (key.IsStandard() || OpensWith(copy, key))
            continue;
        const QString reason = ReencryptCopy(copy, TFileKey(), key);
        if (!reason.isEmpty())
            WriteLog(QStringLiteral("备份未能用新密钥重新加密，保持原样：") + reason);
    }
}

TFileKey KeyForSettings(bool encrypt, const QString& password)
{
    return encrypt ? TFileKey::Derive(password, TFileKey::NewSalt()) : TFileKey();
}
