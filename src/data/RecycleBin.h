#pragma once

#include <QJsonObject>
#include <QString>

#include <functional>
#include <vector>

struct sqlite3;

// What the user deleted, kept on this computer for a while so that a mistake can be undone: a
// group with what went with it (its note or its addresses, the groups below it), an address, a
// note. Each deleted thing is one item with the rows it took, each row as a JSON object of its
// columns. A note group's history goes with the group and comes back with it. Every method works
// inside a transaction the caller holds on the connection (the deletion's own, so that the rows
// can never be deleted without being kept), and throws EDBException on a failure.
class TRecycleBin final
{
public:
    // Milliseconds since the epoch (UTC).
    using TClock = std::function<qint64()>;
    // How long an item stays before it is erased.
    static constexpr qint64 KeptMs = qint64(30) * 24 * 60 * 60 * 1000;

    explicit TRecycleBin(sqlite3* connection, TClock clock = {});

    // The line every delete question ends with.
    static QString DeletionNote();

    struct TItem
    {
        qint64 ItemId = 0;
        QString TableName; // 'NoteType' or 'IEType' for a group, 'IE' for an address,
                           // 'NoteBook' for a note
        QString What;
        QString Place;
        qint64 Deleted = 0;
    };

    // A row as it stood in its table.
    struct TRow
    {
        QString Table;
        QJsonObject Content;
    };

    // Deletes the group (IEType or NoteType) of that number, the rows whose parent it is and its
    // note or addresses, keeping them as one item; 0 when there was no such group (then the
    // rows whose parent it named are deleted all the same, unkept).
    qint64 KeepGroup(const QString& groupTable, qint64 selfIndex);
    // Deletes the address of that ID, keeping it as an item; 0 when there was none.
    qint64 KeepAddress(qint64 id);

    // The rows that deleting the row of this key takes from a table: a group's by its number, a
    // note's by its group, an address's by its ID. For work that deletes rows one by one and
    // keeps them afterwards (a merge).
    std::vector<TRow> ReadRows(const QString& table, qint64 key);
    // Keeps rows already deleted, as items the user would recognise: each group that went with
    // the groups below it that went and their notes and addresses, then every address and note
    // whose group stayed, one item each. The groups that stayed still stand in their tables.
    void KeepRemoved(const std::vector<TRow>& rows);

    // Newest first.
    std::vector<TItem> List();

    // What a restore put back: the group's table and number, and the address's ID for an address.
    struct TRestored
    {
        QString GroupTable;
        qint64 Group = 0;
        qint64 AddressId = 0;
    };
    // Puts the item's rows back where they were: under their old parent group, or at the top
    // when that is gone. A group number or address ID taken meanwhile is given a new one, and
    // what referred to it follows; a group caption taken meanwhile gets a free one ("工作（2）").
    // The item leaves the bin.
    TRestored Restore(qint64 itemId);
    // Erases the item for good, with the history of its notes.
    void Erase(qint64 itemId);
    // Erases every item deleted more than KeptMs ago; returns how many.
    int EraseExpired();

private:
    qint64 Now() const;
    qint64 Write(const QString& table, const QString& what, const QString& place, qint64 parent,
                 const std::vector<TRow>& rows);
    // "根目录->工作": the root's caption, then the captions down to the group.
    QString PlaceOf(const QString& groupTable, qint64 group);
    QString CaptionOf(const QString& groupTable, qint64 group);
    QString FreeCaption(const QString& groupTable, const QString& caption);
    qint64 NewGroupNumber(const QString& groupTable);
    bool Exists(const QString& table, const QString& column, qint64 value);
    void Delete(qint64 itemId);

    sqlite3* FConnection;
    TClock FClock;
};
