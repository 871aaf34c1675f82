#pragma once

#include <QString>

struct sqlite3;

// Finds what changed in the group, note and address tables since the last look, by the hashes of
// their rows, so that changes made by any program that wrote the file (an older copy of Velmora
// too) are seen: nothing in the file records them. Runs before each export and merge.
namespace ChangeScan {

// How long a deletion is remembered: a copy that comes back after longer may bring the row back.
inline constexpr qint64 DeletionKeptMs = 180LL * 24 * 60 * 60 * 1000;

struct TCounts
{
    int Added = 0;
    int Changed = 0;
    int Deleted = 0;
};

// In one transaction (the caller's when one is open, which must hold the file's write lock, as
// "begin immediate" does): gives new rows their ids, counts a change of
// this device (device) in the version of every row whose content changed, records deleted rows, and
// forgets deletions older than DeletionKeptMs. The first run on a file (the data set has no id yet)
// gives the rows there ids worked out from their group path and address, so that two copies of one
// file match without having talked; later rows get random ids. Where the program's own
// connections made every change since the last run, only the rows they wrote are hashed (see
// WriteWatch). now is ms since the epoch. Failures throw EDBException with the file as it was.
TCounts Run(sqlite3* connection, const QString& device, qint64 now);

// A page cache for the connection large enough for a scan or a merge of many rows while it
// lives; the connection's own size after.
inline constexpr qint64 LargerCacheKiB = 64 * 1024;
class TLargerCache final
{
public:
    explicit TLargerCache(sqlite3* connection);
    ~TLargerCache();
    TLargerCache(const TLargerCache&) = delete;
    TLargerCache& operator=(const TLargerCache&) = delete;

private:
    sqlite3* FConnection;
    qint64 FKept = 0;
};

// The id of the data set, empty before the first run.
QString DataSetId(sqlite3* connection);

} // namespace ChangeScan
