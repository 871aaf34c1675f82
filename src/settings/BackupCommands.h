#pragma once

#include <QString>

// The filter of both file dialogs.
QString BackupFileFilter();

// Where every restore first keeps the database it replaces: AppPath + "tmpData.bat".
QString SafetyCopyPath();

// "数据备份": asks for a file name and copies the database there; ".bat" is added to a name
// that does not end in it. Returns the file written, empty when the user stopped. A copy that
// cannot be written throws the backup error.
QString BackupCommand();

// "数据恢复": asks, lets the user choose a backup, and puts it in place of the database after
// keeping the current one as the safety copy. True when the database was replaced: the window
// must then load its trees, note and addresses again. False when the user stopped; a refused
// file throws the restore error and leaves the database as it was.
bool RestoreCommand();
