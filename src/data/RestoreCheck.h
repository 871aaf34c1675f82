#pragma once

#include <QString>

struct sqlite3;

// What a restore checks of its source before a byte of it is copied.
namespace RestoreCheck {

// Why the database open on the connection (read-only, already keyed) can't take the place of the
// program's data: a schema other than the program's, a value the program could
// not read where it reads numbers (named with its table, row and column), two groups of a table
// under one number (named with their rows), or a damaged page.
// The file is read as it is (a journal or log beside it is not its content, and is not copied).
// Empty when it can. The reasons are the user's to read: they say what is wrong with the file
// named by path and what to do, the engine's own words below.
QString Problem(sqlite3* connection, const QString& path);

// A refusal of the file: "备份文件“<path>”" + what + what to do, the detail on a line below.
QString Refusal(const QString& path, const QString& what, const QString& detail);

// The reason for a source that can't be opened with the program's key, from the engine's message.
QString Unopened(const QString& path, const QString& engineMessage);

// The reason for a source with a write-ahead log beside it, whose changes are not in the file
// that would be copied; empty when there is none.
QString LogBeside(const QString& path);

} // namespace RestoreCheck
