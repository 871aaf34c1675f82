#pragma once

#include <QString>

class TDbAccess;
class TUserDialogs;

// Makes a group caption usable as a file or folder name on any common file system: characters
// that separate or are reserved become "_", surrounding blanks and trailing dots go, reserved
// device names get a leading "_", long captions are shortened; an empty result is "未命名".
QString SafeFileName(const QString& caption);

// Writes every stored note as a UTF-8 text file under the folder: the root's note as
// "根目录.txt" in the folder itself, each group as a folder of its own (inside its parent's)
// holding its note as "<caption>.txt". Names already taken, on disk or by a sibling, get the
// first free number, " (2)" and so on: no existing file is ever written to. Each file is written
// whole under a temporary name before it takes its name; files are the user's alone (0600), and
// so are folders (0700). A tree whose paths the file system could not hold is refused before
// anything is written. Returns how many notes were written; a file or folder that cannot be made
// throws the plain error, which says how many were written.
int ExportNotes(TDbAccess& dbAccess, const QString& folder);

// "导出笔记…": lets the user choose a folder, writes the notes there and says how many.
void ExportNotesCommand(TDbAccess& dbAccess, TUserDialogs& dialogs);
