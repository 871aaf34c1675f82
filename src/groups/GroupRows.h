#pragma once

#include "data/GroupNumber.h"

#include <QHash>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

class TDbAccess;
class TQueryCursor;

// The key every node of a group tree carries: the group's own number and its parent's. The
// root's key is {0, 0}.
struct TGroupKey
{
    qint32 SelfIndex = 0;
    qint32 ParentIndex = 0;
};

// One row of a group table (IEType or NoteType).
struct TGroupRow
{
    TGroupKey Key;
    QString Caption;
};

// Every row of a group table, in the order the trees load them.
std::vector<TGroupRow> ReadGroupRows(TDbAccess& dbAccess, const QString& table);

// The same a few rows at a time, for a large table read between other work.
class TGroupRowReader final
{
public:
    TGroupRowReader(TDbAccess& dbAccess, const QString& table);
    ~TGroupRowReader();
    TGroupRowReader(const TGroupRowReader&) = delete;
    TGroupRowReader& operator=(const TGroupRowReader&) = delete;

    // Appends up to count further rows; true once the last row is read.
    bool Read(std::vector<TGroupRow>& rows, int count);

private:
    // A number of the current row; throws, naming the table, when it is not one.
    qint32 Number(int field) const;

    QString FTable;
    std::unique_ptr<TQueryCursor> FCursor;
};

// The paths of a group table's groups: the root's caption, then each caption down to the group,
// joined by "->" ("全部->工作->资料"). Where two rows share a number the first counts.
class TGroupPaths final
{
public:
    TGroupPaths() = default;
    explicit TGroupPaths(const std::vector<TGroupRow>& rows);

    // A group number that names no group ends the path where it stands, and so does a damaged
    // table whose parents go round.
    QString Path(const QString& rootCaption, qint32 group) const;

private:
    QHash<qint32, std::pair<qint32, QString>> FGroups; // number -> parent, caption
};
