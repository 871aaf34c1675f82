#include "data/RecycleBin.h"

#include "common/Errors.h"
#include "data/BoundStatement.h"
#include "data/DbAccess.h"
#include "data/GroupNumber.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHash>
#include <QJsonDocument>
#include <QJsonValue>
#include <QSet>

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace {

const QString IEType = QStringLiteral("IEType");
const QString NoteType = QStringLiteral("NoteType");
const QString IE = QStringLiteral("IE");
const QString NoteBook = QStringLiteral("NoteBook");
const QString SelfIndex = QStringLiteral("SelfIndex");
const QString ParentIndex = QStringLiteral("ParentIndex");
const QString TypeName = QStringLiteral("TypeName");
const QString TypeID = QStringLiteral("TypeID");
const QString ID = QStringLiteral("ID");

bool IsGroupTable(const QString& table)
{
    return table == IEType || table == NoteType;
}

EDBException Damaged(const QString& what)
{
    return EDBException(QCoreApplication::translate("RecycleBin", "回收站中的一项已损坏。"),
                        QString::fromUtf8(DbHint::Batch), what);
}

// The columns a kept row holds; a table the bin does not know is refused, whatever a damaged
// bin row names.
const QStringList& ColumnsOf(const QString& table)
{
    static const QStringList group{SelfIndex, ParentIndex, TypeName};
    static const QStringList address{ID, TypeID, QStringLiteral("IEUrl"), QStringLiteral("IEName"),
                                     QStringLiteral("ReMark")};
    static const QStringList note{TypeID, QStringLiteral("ReMark")};
    if (IsGroupTable(table))
        return group;
    if (table == IE)
        return address;
    if (table == NoteBook)
        return note;
    throw Damaged(table);
}

// Where the content of a group table's groups lives, and back.
QString ContentTableOf(const QString& groupTable)
{
    return groupTable == NoteType ? NoteBook : IE;
}

QString GroupTableOf(const QString& table)
{
    return table == NoteBook ? NoteType : table == IE ? IEType : table;
}

// The stored captions of the two trees' roots, as the group dialogs show them.
QString RootCaptionOf(const QString& groupTable)
{
    return groupTable == NoteType ? QStringLiteral("根目录") : QStringLiteral("全部");
}

// A statement of the bin's work, whose kept rows' values go in and come out as JSON values.
class TStep final : public TBoundStatement
{
public:
    TStep(sqlite3* connection, const QString& sql) : TBoundStatement(connection, sql, DbHint::Batch)
    {}

    using TBoundStatement::Bind;
    // A value of a kept row, bound as the type it was read as.
    TStep& Bind(int at, const QJsonValue& value)
    {
        if (value.isString()) {
            Bind(at, value.toString());
        } else if (const double number = value.toDouble(); !value.isDouble()) {
            sqlite3_bind_null(Handle(), at);
        } else if (number == std::trunc(number) && std::abs(number) < 9.0e15) {
            Bind(at, qint64(number));
        } else {
            sqlite3_bind_double(Handle(), at, number);
        }
        return *this;
    }
    QJsonValue Value(int column) const
    {
        switch (sqlite3_column_type(Handle(), column)) {
        case SQLITE_INTEGER:
            return Number(column);
        case SQLITE_FLOAT:
            return sqlite3_column_double(Handle(), column);
        case SQLITE_NULL:
            return QJsonValue::Null;
        default:
            return Text(column);
        }
    }
};

std::vector<TRecycleBin::TRow> RowsWhere(sqlite3* connection, const QString& table,
                                         const QString& condition, qint64 key)
{
    const QStringList& columns = ColumnsOf(table);
    TStep select(connection, QStringLiteral("select %1 from %2 where %3 order by rowid")
                                 .arg(columns.join(QLatin1Char(',')), table, condition));
    select.Bind(1, key);
    std::vector<TRecycleBin::TRow> rows;
    while (select.Next()) {
        QJsonObject content;
        for (int at = 0; at < columns.size(); ++at)
            content.insert(columns.at(at), select.Value(at));
        rows.push_back({table, content});
    }
    return rows;
}

qint64 Field(const TRecycleBin::TRow& row, const QString& column)
{
    return qint64(row.Content.value(column).toDouble());
}

// What an address is called in the bin: its title, else its web address.
QString AddressWhat(const TRecycleBin::TRow& row)
{
    const QString title = row.Content.value(QStringLiteral("IEName")).toString();
    return title.trimmed().isEmpty() ? row.Content.value(QStringLiteral("IEUrl")).toString()
                                     : title;
}

} // namespace

TRecycleBin::TRecycleBin(sqlite3* connection, TClock clock)
    : FConnection(connection), FClock(std::move(clock))
{}

QString TRecycleBin::DeletionNote()
{
    return QCoreApplication::translate("RecycleBin", "删除的内容可在回收站中找回 30 天。");
}

qint64 TRecycleBin::Now() const
{
    return FClock ? FClock() : QDateTime::currentMSecsSinceEpoch();
}

qint64 TRecycleBin::KeepGroup(const QString& groupTable, qint64 selfIndex)
{
    const QString content = ContentTableOf(groupTable);
    std::vector<TRow> rows =
        RowsWhere(FConnection, groupTable, QStringLiteral("SelfIndex=?1"), selfIndex);
    qint64 item = 0;
    if (!rows.empty()) {
        const TRow top = rows.front();
        for (const std::vector<TRow>& more :
             {RowsWhere(FConnection, groupTable, QStringLiteral("ParentIndex=?1 and SelfIndex<>?1"),
                        selfIndex),
              RowsWhere(FConnection, content, QStringLiteral("TypeID=?1"), selfIndex)})
            rows.insert(rows.end(), more.begin(), more.end());
        const qint64 parent = Field(top, ParentIndex);
        item = Write(groupTable, top.Content.value(TypeName).toString(),
                     PlaceOf(groupTable, parent), parent, rows);
    }
    TStep(FConnection,
          QStringLiteral("delete from %1 where SelfIndex=?1 or ParentIndex=?1").arg(groupTable))
        .Bind(1, selfIndex)
        .Run();
    TStep(FConnection, QStringLiteral("delete from %1 where TypeID=?1").arg(content))
        .Bind(1, selfIndex)
        .Run();
    return item;
}

qint64 TRecycleBin::KeepAddress(qint64 id)
{
    const std::vector<TRow> rows = RowsWhere(FConnection, IE, QStringLiteral("ID=?1"), id);
    qint64 item = 0;
    if (!rows.empty()) {
        const qint64 group = Field(rows.front(), TypeID);
        item = Write(IE, AddressWhat(rows.front()), PlaceOf(IEType, group), group, rows);
    }
    TStep(FConnection, QStringLiteral("delete from IE where ID=?1")).Bind(1, id).Run();
    return item;
}

std::vector<TRecycleBin::TRow> TRecycleBin::ReadRows(const QString& table, qint64 key)
{
    const QString condition = IsGroupTable(table) ? QStringLiteral("SelfIndex=?1")
                              : table == NoteBook ? QStringLiteral("TypeID=?1")
                                                  : QStringLiteral("ID=?1");
    return RowsWhere(FConnection, table, condition, key);
}

void TRecycleBin::KeepRemoved(const std::vector<TRow>& rows)
{
    // The removed groups of each tree by number, with their parents.
    QHash<QString, QHash<qint64, qint64>> removed;
    for (const TRow& row : rows)
        if (IsGroupTable(row.Table))
            removed[row.Table].insert(Field(row, SelfIndex), Field(row, ParentIndex));
    // The removed group that a removed thing went with: the highest one above it that went too.
    const auto topOf = [&removed](const QString& table, qint64 group) {
        const QHash<qint64, qint64>& groups = removed[table];
        QSet<qint64> seen;
        while (groups.contains(groups.value(group)) && !seen.contains(group)) {
            seen.insert(group);
            group = groups.value(group);
        }
        return group;
    };

    std::map<std::pair<QString, qint64>, std::vector<TRow>> groupItems;
    std::vector<const TRow*> alone;
    for (const TRow& row : rows) {
        const QString groupTable = GroupTableOf(row.Table);
        const qint64 group = Field(row, IsGroupTable(row.Table) ? SelfIndex : TypeID);
        if (!IsGroupTable(row.Table) && !removed[groupTable].contains(group)) {
            alone.push_back(&row);
            continue;
        }
        std::vector<TRow>& item = groupItems[{groupTable, topOf(groupTable, group)}];
        // The group itself leads its item.
        if (IsGroupTable(row.Table) && topOf(groupTable, group) == group)
            item.insert(item.begin(), row);
        else
            item.push_back(row);
    }
    for (const auto& [group, item] : groupItems) {
        const TRow& top = item.front();
        const qint64 parent = Field(top, ParentIndex);
        Write(group.first, top.Content.value(TypeName).toString(), PlaceOf(group.first, parent),
              parent, item);
    }
    for (const TRow* row : alone) {
        const qint64 group = Field(*row, TypeID);
        const QString what = row->Table == IE ? AddressWhat(*row) : CaptionOf(NoteType, group);
        Write(row->Table, what, PlaceOf(GroupTableOf(row->Table), group), group, {*row});
    }
}

qint64 TRecycleBin::Write(const QString& table, const QString& what, const QString& place,
                          qint64 parent, const std::vector<TRow>& rows)
{
    TStep(FConnection, QStringLiteral("insert into RecycleBin (TableName, What, Place, "
                                      "ParentIndex, Deleted) values (?1, ?2, ?3, ?4, ?5)"))
        .Bind(1, table)
        .Bind(2, what)
        .Bind(3, place)
        .Bind(4, parent)
        .Bind(5, Now())
        .Run();
    const qint64 item = sqlite3_last_insert_rowid(FConnection);
    TStep insert(FConnection, QStringLiteral("insert into RecycleBinRow (ItemId, TableName, "
                                             "Content) values (?1, ?2, ?3)"));
    TStep history(FConnection, QStringLiteral("update NoteHistory set BinItem=?1 where "
                                              "TypeID=?2 and BinItem is null"));
    for (const TRow& row : rows) {
        insert.Bind(1, item)
            .Bind(2, row.Table)
            .BindUtf8(3, QJsonDocument(row.Content).toJson(QJsonDocument::Compact))
            .Run();
        // The history of a note group goes with the group, out of every list.
        if (row.Table == NoteType)
            history.Bind(1, item).Bind(2, Field(row, SelfIndex)).Run();
    }
    return item;
}

std::vector<TRecycleBin::TItem> TRecycleBin::List()
{
    TStep select(FConnection, QStringLiteral("select ItemId, TableName, What, Place, Deleted from "
                                             "RecycleBin order by Deleted desc, ItemId desc"));
    std::vector<TItem> items;
    while (select.Next())
        items.push_back(
            {select.Number(0), select.Text(1), select.Text(2), select.Text(3), select.Number(4)});
    return items;
}

TRecycleBin::TRestored TRecycleBin::Restore(qint64 itemId)
{
    TStep head(
        FConnection,
        QStringLiteral("select TableName, ParentIndex, What from RecycleBin where ItemId=?1"));
    head.Bind(1, itemId);
    if (!head.Next())
        throw ECardError(QCoreApplication::translate("RecycleBin", "回收站中已没有这一项。"));
    const QString table = head.Text(0);
    const qint64 parent = head.Number(1);
    const QString what = head.Text(2);
    head.Reset();

    std::vector<TRow> rows;
    TStep select(FConnection, QStringLiteral("select TableName, Content from RecycleBinRow where "
                                             "ItemId=?1 order by rowid"));
    select.Bind(1, itemId);
    while (select.Next()) {
        const QString rowTable = select.Text(0);
        ColumnsOf(rowTable); // refuses a table the bin does not know
        const QJsonDocument content = QJsonDocument::fromJson(select.Text(1).toUtf8());
        if (!content.isObject())
            throw Damaged(select.Text(1)); // puts nothing back rather than a row of blanks
        rows.push_back({rowTable, content.object()});
    }

    const QString groupTable = GroupTableOf(table);
    // Group numbers taken meanwhile get numbers above every number in the table and in the
    // item, so that no new number meets one kept.
    std::map<qint64, qint64> numbers;
    qint64 next = 0;
    for (const TRow& row : rows)
        if (row.Table == groupTable)
            next = std::max(next, Field(row, SelfIndex));
    next = std::max<qint64>(next, NewGroupNumber(groupTable) - 1);
    for (const TRow& row : rows) {
        if (row.Table != groupTable)
            continue;
        const qint64 old = Field(row, SelfIndex);
        if (old > 0 && !numbers.contains(old) && !Exists(groupTable, SelfIndex, old))
            numbers[old] = old;
        else if (!numbers.contains(old))
            numbers[old] = next = NextGroupNumber(next);
    }
    const auto numberOf = [&numbers](qint64 old) {
        const auto found = numbers.find(old);
        return found == numbers.end() ? old : found->second;
    };
    // The old parent when it still stands, else the top.
    const qint64 home = parent != 0 && Exists(groupTable, SelfIndex, parent) ? parent : qint64(0);

    TRestored restored{groupTable, 0, 0};
    std::map<QString, std::unique_ptr<TStep>> inserts;
    const auto insert = [&](const TRow& row) {
        std::unique_ptr<TStep>& step = inserts[row.Table];
        const QStringList& columns = ColumnsOf(row.Table);
        if (!step) {
            QStringList marks;
            for (int at = 1; at <= columns.size(); ++at)
                marks << QStringLiteral("?%1").arg(at);
            step = std::make_unique<TStep>(
                FConnection,
                QStringLiteral("insert into %1 (%2) values (%3)")
                    .arg(row.Table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
        }
        for (int at = 0; at < columns.size(); ++at)
            step->Bind(at + 1, row.Content.value(columns.at(at)));
        step->Run();
        return sqlite3_last_insert_rowid(FConnection);
    };

    if (IsGroupTable(table)) {
        for (TRow row : rows) {
            if (row.Table == table) {
                const qint64 old = Field(row, SelfIndex);
                const qint64 oldParent = Field(row, ParentIndex);
                row.Content[SelfIndex] = numberOf(old);
                // A group whose parent did not go with it is the item's top.
                row.Content[ParentIndex] =
                    numbers.contains(oldParent) && oldParent != old ? numberOf(oldParent) : home;
                row.Content[TypeName] = FreeCaption(table, row.Content.value(TypeName).toString());
                if (!restored.Group)
                    restored.Group = numberOf(old);
            } else {
                row.Content[TypeID] = numberOf(Field(row, TypeID));
                if (row.Table == IE && Exists(IE, ID, Field(row, ID)))
                    row.Content[ID] = QJsonValue::Null; // a new ID
            }
            insert(row);
        }
        TStep history(FConnection, QStringLiteral("update NoteHistory set TypeID=?1, BinItem=null "
                                                  "where BinItem=?2 and TypeID=?3"));
        if (table == NoteType)
            for (const auto& [old, number] : numbers)
                history.Bind(1, number).Bind(2, itemId).Bind(3, old).Run();
    } else if (table == IE) {
        for (TRow row : rows) {
            row.Content[TypeID] = home;
            if (Exists(IE, ID, Field(row, ID)))
                row.Content[ID] = QJsonValue::Null;
            restored.Group = home;
            restored.AddressId = insert(row);
        }
    } else {
        // A note back in its group (or the root) when that stands without a note, else in a new
        // group of its own at the top, so that no text is written over.
        const bool homeFree = (parent == 0 || Exists(NoteType, SelfIndex, parent)) &&
                              !Exists(NoteBook, TypeID, parent);
        qint64 group = parent;
        if (!homeFree) {
            group = NewGroupNumber(NoteType);
            TStep(FConnection, QStringLiteral("insert into NoteType (SelfIndex, ParentIndex, "
                                              "TypeName) values (?1, 0, ?2)"))
                .Bind(1, group)
                .Bind(2, FreeCaption(NoteType, what))
                .Run();
        }
        for (TRow row : rows) {
            row.Content[TypeID] = group;
            insert(row);
        }
        restored = {NoteType, group, 0};
    }
    Delete(itemId);
    return restored;
}

void TRecycleBin::Erase(qint64 itemId)
{
    TStep(FConnection, QStringLiteral("delete from NoteHistory where BinItem=?1"))
        .Bind(1, itemId)
        .Run();
    Delete(itemId);
}

int TRecycleBin::EraseExpired()
{
    const qint64 before = Now() - KeptMs;
    const QString expired = QStringLiteral("(select ItemId from RecycleBin where Deleted<?1)");
    for (const QString& sql :
         {QString(QStringLiteral("delete from NoteHistory where BinItem in ") + expired),
          QString(QStringLiteral("delete from RecycleBinRow where ItemId in ") + expired)})
        TStep(FConnection, sql).Bind(1, before).Run();
    TStep(FConnection, QStringLiteral("delete from RecycleBin where Deleted<?1"))
        .Bind(1, before)
        .Run();
    return sqlite3_changes(FConnection);
}

void TRecycleBin::Delete(qint64 itemId)
{
    for (const QString& sql : {QStringLiteral("delete from RecycleBinRow where ItemId=?1"),
                               QStringLiteral("delete from RecycleBin where ItemId=?1")})
        TStep(FConnection, sql).Bind(1, itemId).Run();
}

QString TRecycleBin::PlaceOf(const QString& groupTable, qint64 group)
{
    QStringList captions;
    QSet<qint64> seen;
    TStep select(FConnection,
                 QStringLiteral("select ParentIndex, TypeName from %1 where SelfIndex=?1 order by "
                                "rowid limit 1")
                     .arg(groupTable));
    // A damaged table whose parents go round ends the path where it turns.
    while (group != 0 && !seen.contains(group)) {
        seen.insert(group);
        select.Bind(1, group);
        if (!select.Next())
            break;
        captions.prepend(select.Text(1));
        group = select.Number(0);
        select.Reset();
    }
    captions.prepend(RootCaptionOf(groupTable));
    return captions.join(QStringLiteral("->"));
}

QString TRecycleBin::CaptionOf(const QString& groupTable, qint64 group)
{
    if (group == 0)
        return RootCaptionOf(groupTable);
    TStep select(FConnection,
                 QStringLiteral("select TypeName from %1 where SelfIndex=?1").arg(groupTable));
    select.Bind(1, group);
    const QString caption = select.Next() ? select.Text(0) : QString();
    select.Reset();
    return caption;
}

QString TRecycleBin::FreeCaption(const QString& groupTable, const QString& caption)
{
    TStep taken(FConnection,
                QStringLiteral("select count(*) from %1 where TypeName=?1").arg(groupTable));
    const auto isTaken = [&](const QString& name) {
        taken.Bind(1, name);
        taken.Next();
        const bool found = taken.Number(0) > 0 || name == RootCaptionOf(groupTable);
        taken.Reset();
        return found;
    };
    QString name = caption;
    for (int n = 2; isTaken(name); ++n)
        name = caption + QStringLiteral("（%1）").arg(n);
    return name;
}

qint64 TRecycleBin::NewGroupNumber(const QString& groupTable)
{
    TStep select(FConnection, QStringLiteral("select max(SelfIndex) from %1").arg(groupTable));
    select.Next();
    const qint64 largest = select.Number(0);
    select.Reset();
    return NextGroupNumber(largest);
}

bool TRecycleBin::Exists(const QString& table, const QString& column, qint64 value)
{
    TStep select(FConnection, QStringLiteral("select 1 from %1 where %2=?1").arg(table, column));
    select.Bind(1, value);
    const bool found = select.Next();
    select.Reset();
    return found;
}
