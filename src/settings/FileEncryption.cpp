#include "settings/FileEncryption.h"

#include "common/AppPath.h"
#include "common/DailyLog.h"
#include "data/DataFileCheck.h"
#include "data/DbAccess.h"
#include "data/DurableFiles.h"
#include "data/FileKey.h"
#include "data/Reencrypt.h"
#include "settings/BackupCommands.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopeGuard>

#include <optional>

namespace {

// While a change of password writes the copies again, the old key waits beside the data file
// sealed under the new one, so that a start after a crash can finish them: only the new password
// opens it, and it goes once the copies are done.
QString PreviousKeyPath()
{
    return AppPath() + QStringLiteral("bookkeep.dat.previous-key");
}

} // namespace

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
    const auto reencryptCopies = [&old, &key] {
        for (const QString& copy : ProgramCopies()) {
            // What a re-encryption cut short left beside the copy goes first.
            DataFileCheck::RemoveStagedLeftovers(copy);
            const QString reason = ReencryptCopy(copy, old, key);
            if (!reason.isEmpty())
                WriteLog(QStringLiteral("备份未能用新密钥重新加密，保持原样：") + reason);
        }
    };
    if (key.IsStandard()) {
        // The copies go back to the standard key before the file does: should that fail, or the
        // program stop in between, the copies follow the file's password again, now or at the
        // next start.
        const auto rollBack = qScopeGuard([&dbAccess] {
            if (!dbAccess.Key().IsStandard())
                FinishCopyKeys(dbAccess.Key());
        });
        reencryptCopies();
        dbAccess.Rekey(key, settingsStatement);
        return;
    }
    const auto forget = qScopeGuard([] { QFile::remove(PreviousKeyPath()); });
    if (!old.IsStandard()) {
        QSaveFile note(PreviousKeyPath());
        if (note.open(QIODevice::WriteOnly) && note.write(key.Seal(old)) > 0 && note.commit())
            SyncFolder(AppPath());
    }
    dbAccess.Rekey(key, settingsStatement);
    reencryptCopies();
}

void FinishCopyKeys(const TFileKey& key)
{
    std::optional<TFileKey> previous;
    if (QFile note(PreviousKeyPath()); note.open(QIODevice::ReadOnly))
        previous = key.Unseal(note.readAll());
    const auto forget = qScopeGuard([] { QFile::remove(PreviousKeyPath()); });
    for (const QString& copy : ProgramCopies()) {
        DataFileCheck::RemoveStagedLeftovers(copy);
        // Only copies that a change of key cut short did not reach are left behind: under the
        // standard key or the previous password's. One the data file's key opens is done, one
        // that neither opens stays as it is.
        if (key.IsStandard() || OpensWith(copy, key))
            continue;
        const TFileKey from = previous && OpensWith(copy, *previous) ? *previous : TFileKey();
        const QString reason = ReencryptCopy(copy, from, key);
        if (!reason.isEmpty())
            WriteLog(QStringLiteral("备份未能用新密钥重新加密，保持原样：") + reason);
    }
}

TFileKey KeyForSettings(bool encrypt, const QString& password)
{
    return encrypt ? TFileKey::Derive(password, TFileKey::NewSalt()) : TFileKey();
}
