#include "sync/SyncFolder.h"

#include "data/DataFileCheck.h"
#include "data/FileKey.h"
#include "data/Reencrypt.h"
#include "data/Sqlite.h"
#include "sync/ChangeScan.h"
#include "sync/PageCopy.h"

#include <QDir>
#include <QRegularExpression>
#include <QScopeGuard>

namespace SyncFolder {
namespace {
const QString Prefix = QStringLiteral("velmora-");
const QString Suffix = QStringLiteral(".vsync");

} // namespace

QString OwnFileName(const QString& device)
{
    return Prefix + device + Suffix;
}

QString WriteOwnFile(sqlite3* connection, const QString& folder, const QString& device,
                     const TFileKey& key, qint64 now)
{
    ChangeScan::Run(connection, device, now);
    const QString target = QDir(folder).filePath(OwnFileName(device));
    // A write cut short by a crash left its staged file, which the sync program would carry.
    DataFileCheck::RemoveStagedLeftovers(target);
    // Under the same key the pages need no new encryption: copied as they are.
    if (WritePageCopy(connection, target, key).isEmpty())
        return {};
    TRekeyedCopy copy;
    const QString reason = copy.Write(connection, target, key);
    return reason.isEmpty() ? copy.Commit() : reason;
}

QList<TPeerFile> PeerFiles(const QString& folder, const QString& ownDevice)
{
    static const QRegularExpression name(QStringLiteral("^velmora-([0-9A-Za-z]+)\\.vsync$"));
    QList<TPeerFile> files;
    const QDir dir(folder);
    for (const QString& entry : dir.entryList(QDir::Files, QDir::Name)) {
        const QRegularExpressionMatch match = name.match(entry);
        if (match.hasMatch() && match.captured(1) != ownDevice)
            files << TPeerFile{dir.filePath(entry), match.captured(1)};
    }
    return files;
}

PeerMerge::TReport MergePeerFile(sqlite3* local, const QString& path, const TFileKey& key,
                                 const PeerMerge::TSetup& setup,
                                 const std::function<void(sqlite3* peer)>& open)
{
    QString error;
    const TConnection peer = DatabaseFile::OpenReadOnly(path, &error, key);
    if (!peer) {
        PeerMerge::TReport report;
        report.Refused = DatabaseFile::Explanation(error);
        return report;
    }
    if (open)
        open(peer.get());
    const auto closing = qScopeGuard([&open] {
        if (open)
            open(nullptr);
    });
    return PeerMerge::Merge(local, peer.get(), setup);
}

} // namespace SyncFolder
