#pragma once

#include <QString>

class TUserDialogs;

// A folder that a sync program keeps in step with other computers, found by the marks the
// program leaves in the folder it syncs: Syncthing's ".stfolder", Nextcloud's
// ".owncloudsync.log" and "._sync_*.db" / ".sync_*.db", Dropbox's ".dropbox" and
// ".dropbox.cache". Such a program replaces a file changed on another computer, or leaves a
// conflict copy beside it, behind the back of a program that keeps the file open.
struct TSyncedFolder
{
    QString Program; // "Syncthing", "Nextcloud" or "Dropbox"; empty when none keeps it
    QString Root;    // the folder the program syncs: the one with its mark
};

// The sync program that keeps the folder, looked for in it and every folder above it.
TSyncedFolder SyncedFolderOf(const QString& folder);

// What it means for the data file, and what to do instead; empty when no program keeps it.
QString SyncedFolderNote(const TSyncedFolder& synced);

// At start: says it once for each data folder a sync program keeps (remembered in the user's
// settings), in a box.
void WarnOfSyncedDataFolder(TUserDialogs& dialogs, const QString& folder);
