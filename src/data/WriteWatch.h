#pragma once

#include <QString>

#include <array>
#include <set>

struct sqlite3;

// Which rows of the group, note and address tables this program's own connections wrote since
// the last look, so that the change scan before each export need only hash those rows instead
// of every row of the file. Kept in memory for each data file; every connection the program
// opens to write a file records its writes there through temporary triggers of its own (nothing
// is stored in the file). Whatever cannot be vouched for makes the next look read everything:
// the first look of a connection, a write that no watched connection made (another program), too
// many rows at once, and every half hour in any case.
namespace WriteWatch {

// The watched tables, each with the column that numbers its rows.
struct TTable
{
    const char* Name;
    const char* KeyColumn;
};
inline constexpr std::array<TTable, 4> Tables{
    {{"NoteType", "SelfIndex"}, {"NoteBook", "TypeID"}, {"IEType", "SelfIndex"}, {"IE", "ID"}}};

// Starts recording the writes of connection, a connection that may write the file at path. A
// watch that cannot be installed leaves every look at that file reading everything.
void Install(sqlite3* connection, const QString& path);

// What was written to a file since the last look.
struct TWritten
{
    bool Everything = true;                           // every row has to be read
    std::array<std::set<qint64>, Tables.size()> Keys; // otherwise: the numbers written, by table

    const std::set<qint64>* KeysOf(const QString& table) const;
};

// The rows written since the last look through connection, for a look inside a transaction on
// connection that holds the file's write lock, so that no write of another connection is under
// way. They are gone for good once that transaction commits, and are given back should it roll
// back. now is ms since the epoch.
TWritten Take(sqlite3* connection, qint64 now);

// The longest a file goes between two looks at every row.
inline constexpr qint64 EverythingEveryMs = 30LL * 60 * 1000;

// Rows recorded for one file before the watch gives up and the next look reads everything.
inline constexpr std::size_t MostKeys = 100'000;

} // namespace WriteWatch
