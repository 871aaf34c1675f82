#pragma once

#include <QString>
#include <QStringList>

class TDbAccess;
class TFileKey;

// The copies of the data file the program made itself: the daily backups and the safety copies
// of restores, oldest names first.
QStringList ProgramCopies();

// Puts the data file under another key, with the settings statement that goes with that key run
// in the new file, then writes every copy the program made again under the new key, so that no
// old copy gives the data away. A copy that the old key does not open stays as it is and is
// named in the daily log. A failure of the data file itself throws and leaves it as it was. The
// order keeps every copy within reach of the file's key should the program stop half-way: back
// to the standard key the copies go first, to a password the file does (the old password's key
// kept beside it, sealed under the new one, until the copies are done).
void ChangeFileKey(TDbAccess& dbAccess, const TFileKey& key, const QString& settingsStatement);

// Finishes what a change of key cut short, at start and unlock, once the data file is open under
// key: the copies the program made that still open with the standard key, or with the previous
// password's key after a change of password, are written again under key, and staged files a
// re-encryption left beside them are removed.
void FinishCopyKeys(const TFileKey& key);

// The key for the data file that the settings call for: derived from the password with a fresh
// salt when the file is to be encrypted with it, else the standard key.
TFileKey KeyForSettings(bool encrypt, const QString& password);
