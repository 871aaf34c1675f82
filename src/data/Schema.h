#pragma once

#include <QString>

struct sqlite3;

// The tables and indexes of the program's database, written by the database maker into the file
// of a fresh installation; nothing else belongs in the file's schema.
namespace DatabaseSchema {

// The statements that create the five tables and their indexes.
QString CreateStatements();

// What sets a database's schema apart from the program's: every table, index, view or trigger
// that is missing, added or defined otherwise, named. Empty when the two are equal. A failure to
// read the schema gives the engine's message.
QString Difference(sqlite3* connection);

} // namespace DatabaseSchema
