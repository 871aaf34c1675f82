#pragma once

#include "sync/PeerMerge.h"

#include <QList>
#include <QString>

#include <functional>

class TFileKey;
struct sqlite3;

// The folder that the user's sync program keeps in step between computers. Each computer writes
// only its own file there, "velmora-<device id>.vsync", a whole copy of its data with the sync
// records, keyed like its data file; it reads the others' files and merges them into its own
// data. No two computers write one path, so the sync program never has two versions of a file.
namespace SyncFolder {

QString OwnFileName(const QString& device);

// Records this computer's changes (a change scan), then writes the own file: a copy staged
// beside it under a temporary name, checked, synced and renamed into place, so that the folder
// never holds half a file. Returns the reason of a failure, when the old file stays.
QString WriteOwnFile(sqlite3* connection, const QString& folder, const QString& device,
                     const TFileKey& key, qint64 now);

struct TPeerFile
{
    QString Path;
    QString Device;
};

// The other computers' files in the folder.
QList<TPeerFile> PeerFiles(const QString& folder, const QString& ownDevice);

// Opens a peer's file read-only with the key and merges it into local; a file that does not open
// or is refused (torn, half copied, of another program) is reported in Refused and local stays
// as it was. open, when given, is told the peer's connection while it is open (and nullptr
// once it is closed), so that the merge's reading of it can be interrupted.
PeerMerge::TReport MergePeerFile(sqlite3* local, const QString& path, const TFileKey& key,
                                 const PeerMerge::TSetup& setup,
                                 const std::function<void(sqlite3* peer)>& open = {});

} // namespace SyncFolder
