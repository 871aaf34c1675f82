#pragma once

#include <QString>

class QDate;
class TConfig;
class TDbAccess;
class TUserDialogs;

// The filter of both file dialogs.
QString BackupFileFilter();

// Where every restore first keeps the database it replaces: AppPath + "tmpData.bat".
QString SafetyCopyPath();

// The folder of the automatic backups: "备份" beside the database.
QString DailyBackupFolder();

// The automatic backup of the day: unless the day's copy "bookkeep-yyyyMMdd.bat" is already in
// DailyBackupFolder, copies the database there the way the backup command does, then keeps the
// last 14 such copies. A failure is written to the daily log and shown to no one: it never stops
// the program.
void DailyBackup(TDbAccess& dbAccess, const QDate& today);

// "数据备份": asks for a file name and copies the database there; ".bat" is added to a name
// that does not end in it, and a file of that name is replaced only once the user agrees.
// Returns the file written, empty when the user stopped. A copy that cannot be written throws
// the backup error.
QString BackupCommand(TDbAccess& dbAccess, TUserDialogs& dialogs);

// "数据恢复": asks, lets the user choose a backup (the file dialog opens in the folder of the
// automatic backups when there is one), and puts it in place of the database after keeping the
// current one as the safety copy; the restored settings are then in force (read into config). True
// when the database was replaced: the window must then load its trees, note and addresses again.
// False when the user stopped; a refused file throws the restore error and leaves the database as
// it was.
bool RestoreCommand(TConfig& config, TUserDialogs& dialogs);
