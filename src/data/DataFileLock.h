#pragma once

#include <QString>

// The lock on the data file itself that keeps a second program off it, held for the whole run.
// It is taken on the file, not its name, so deleting a lock file beside it or the file's name
// does not lift it, and it moves to the new file when a restore puts one in its place. The
// system drops it when the program ends, however it ends.
namespace DataFileLock {

// Takes the lock on the file; false when another program holds it. True also when the file
// can't be opened at all (opening the database reports that).
bool Take(const QString& database);

// Moves a held lock to another file, the one about to take the data file's name; false, keeping
// the lock where it was, when that file can't be locked. Does nothing without a held lock.
bool MoveTo(const QString& file);

// Lets the lock go; a later Take may take it again.
void Release();

} // namespace DataFileLock
