#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

// The tables and indexes of the program's database, written by the database maker into the file
// of a fresh installation; nothing else belongs in the file's schema. Beside the five tables the
// file holds side tables of the program's own (what keeps copies on several computers in step,
// note history and the recycle bin), which older copies of the program do not read; the file's
// PRAGMA user_version says which of them it has.
namespace DatabaseSchema {

// The schema version of a file made or upgraded by this program; 0 is a file with the five tables
// alone.
inline constexpr int CurrentVersion = 2;

// The first version with the records that keep copies on several computers in step: a copy of
// that version or later can be merged, whatever this computer's own tables it lacks.
inline constexpr int SyncVersion = 1;

// The statements that create the five tables and their indexes.
QString CreateStatements();

// The side tables this program knows, by name: the only tables besides the five that a restore or
// a re-encryption accepts, and that they carry along.
const QStringList& SideTables();

// What sets a database's schema apart from the program's: every table, index, view or trigger
// that is missing, added or defined otherwise, named. Empty when the two are equal. Side tables
// may be missing (an older file, upgraded when it is opened), never defined otherwise. A failure
// to read the schema gives the engine's message.
QString Difference(sqlite3* connection);

// Brings a file of an older schema version to the current one in one transaction: creates the
// side tables it lacks and sets its version. A file of the current or a newer version is left as
// it is. Run at every open of the data file before anything reads it; returns the engine's
// message on failure, when the file is as it was.
QString Upgrade(sqlite3* connection);

// The file's schema version; -1 when it cannot be read.
int VersionOf(sqlite3* connection);

} // namespace DatabaseSchema
