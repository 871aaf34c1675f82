#pragma once

#include <QString>

#include <functional>

struct sqlite3;

// Merges another computer's copy of the data (the peer) into this computer's file, so that both
// end with the changes of both: a row's version that has seen the other's wins; rows changed on
// both sides are merged (a note line by line, an address field by field, a group's name and
// place each by the newer change), and what a clash leaves out is kept beside it: a note's other
// text in a sibling group "<组名>（冲突副本 <电脑名称> YYYY-MM-DD）", an address's other version in
// a top group "同步冲突". An edit made while the other side deleted the row keeps the row and the
// groups above it. The login settings are never merged. Merging the same peer again changes
// nothing.
namespace PeerMerge {

struct TSetup
{
    QString Device;     // this computer's id
    QString DeviceName; // this computer's name
    QString PeerName;   // the peer's computer's name
    qint64 Now = 0;     // ms since the epoch
    // Asked when the peer would delete more than 20 rows, or more than a tenth of a table, with
    // the groups and addresses it would delete; false keeps them all.
    std::function<bool(int groups, int addresses)> ConfirmDeletions;
};

struct TReport
{
    QString Refused;   // why the peer was not merged; empty when it was
    int Taken = 0;     // rows added or changed as the peer had them
    int Merged = 0;    // rows changed on both sides, merged
    int Conflicts = 0; // of these, clashes whose other version was kept beside
    int Deleted = 0;
    int KeptFromDeletion = 0;
};

// Why a peer file (open read-only) cannot be merged: a schema other than the program's, no sync
// records, or damaged pages. Empty when it can.
QString PeerProblem(sqlite3* peer);

// Checks the peer and merges it into local in one transaction, after a change scan of local for
// device. A failure throws EDBException with local as it was.
TReport Merge(sqlite3* local, sqlite3* peer, const TSetup& setup);

} // namespace PeerMerge
