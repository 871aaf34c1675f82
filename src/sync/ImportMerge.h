#pragma once

#include <QString>

class TFileKey;
struct sqlite3;

// Brings into this computer's data what another Velmora file holds and this one lacks, as an
// import: a sync program's conflict copy of the data file, a file the user picks (a USB stick,
// an old backup), or the file that another program replaced while it was open. Groups are
// matched by their path of names, a note by its group, an address by its group and web address;
// nothing already here is deleted or overwritten. Where the two differ and neither grew from the
// other, the other file's version is kept beside this one's (a note in a sibling group
// "<组名>（冲突副本 <来源> YYYY-MM-DD）", an address in the top group "同步冲突"). The login
// settings are never taken. Merging the same file again changes nothing.
namespace ImportMerge {

struct TSetup
{
    QString SourceName; // said in the names of groups that keep the other version
    qint64 Now = 0;     // ms since the epoch
};

struct TReport
{
    QString Refused; // why the file was not merged; empty when it was
    int Groups = 0;  // groups added
    int Notes = 0;   // notes added or grown
    int Addresses = 0;
    int Conflicts = 0; // other versions kept beside this one's
};

// Checks other (the five tables, integrity) and merges it into local in one transaction. A
// failure to write throws EDBException with local as it was; a file that cannot be merged is
// reported in Refused.
TReport Merge(sqlite3* local, sqlite3* other, const TSetup& setup);

// Opens the file at path read-only with key and merges it; a file the key does not open is
// refused with the engine's reason (see DatabaseFile::IsWrongKey).
TReport MergeFile(sqlite3* local, const QString& path, const TFileKey& key, const TSetup& setup);

} // namespace ImportMerge
