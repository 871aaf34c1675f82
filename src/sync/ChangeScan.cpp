#include "sync/ChangeScan.h"

#include "common/Errors.h"
#include "data/WriteWatch.h"
#include "sync/KeyedRecords.h"
#include "sync/RowStore.h"
#include "sync/SyncStatement.h"

#include <QSet>

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <optional>
#include <set>

using namespace RowStore;

namespace ChangeScan {
namespace {

constexpr int FormatVersion = 1;

// A row's sync record as far as a scan needs it to tell whether the row changed; the id and
// version of the few that did are read again.
struct TRecord
{
    qint64 RecordRow = 0; // the record's own row in SyncRow ("oid": a column is named RowId)
    THashHex Hash{};
    QByteArray Id; // kept for groups: their ids go into the hashes of what lives in them
    bool Present = false;
};

using TRecords = TKeyedRecords<TRecord>;

// A record as read from the columns oid, Hash and RowId, starting at column first.
TRecord RecordAt(const TSyncStatement& select, int first, bool keepsId)
{
    TRecord record;
    record.RecordRow = select.Number(first);
    // A hash of another form never equals a row's: the row reads as changed.
    const QByteArrayView hash = select.Utf8(first + 1);
    if (hash.size() == qsizetype(record.Hash.size()))
        std::copy(hash.begin(), hash.end(), record.Hash.begin());
    if (keepsId)
        record.Id = select.Utf8(first + 2).toByteArray();
    return record;
}

// Every table's records by the row's number, read in one pass in the records' own order:
// through the key's index every row would be a page of its own to read and decrypt.
std::map<QString, TRecords> AllRecords(sqlite3* connection)
{
    std::map<QString, TRecords> records;
    struct TTarget
    {
        QByteArray Name;
        TRecords* Records;
        bool KeepsId;
    };
    std::vector<TTarget> targets;
    for (const TTable& table : Tables())
        targets.push_back({table.Name.toUtf8(), &records[table.Name], table.Kind == TKind::Group});
    TSyncStatement select(
        connection, QStringLiteral("select TableName, LocalKey, oid, Hash, RowId from SyncRow"));
    while (select.Next()) {
        const QByteArrayView name = select.Utf8(0);
        const auto target = std::find_if(targets.begin(), targets.end(),
                                         [&name](const TTarget& at) { return at.Name == name; });
        if (target != targets.end())
            target->Records->Add(select.Number(1), RecordAt(select, 2, target->KeepsId));
    }
    for (auto& [table, tableRecords] : records)
        tableRecords.Index();
    return records;
}

// The records of a table's rows of the given numbers.
TRecords RecordsOf(sqlite3* connection, const TTable& table, const std::set<qint64>& keys)
{
    TRecords records;
    TSyncStatement select(connection, QStringLiteral("select oid, Hash, RowId from SyncRow "
                                                     "where TableName=?1 and LocalKey=?2"));
    select.Bind(1, table.Name);
    for (const qint64 key : keys) {
        select.Bind(2, key);
        while (select.Next())
            records.Add(key, RecordAt(select, 0, table.Kind == TKind::Group));
    }
    records.Index();
    return records;
}

// Ids for the groups of a table that have none. On the first run each is worked out from the
// names on its path from the top (and its place among groups of the same path).
void GiveGroupIds(sqlite3* connection, const QString& table, bool derive,
                  QHash<qint64, QString>* ids)
{
    struct TGroup
    {
        qint64 Parent;
        QString Name;
    };
    QHash<qint64, TGroup> groups;
    QList<qint64> order;
    TSyncStatement select(connection, QStringLiteral("select SelfIndex, ParentIndex, TypeName "
                                                     "from %1 order by SelfIndex, rowid")
                                          .arg(table));
    while (select.Next())
        if (!groups.contains(select.Number(0))) {
            groups.insert(select.Number(0), {select.Number(1), select.Text(2)});
            order << select.Number(0);
        }
    QHash<QString, int> samePath;
    for (const qint64 self : std::as_const(order)) {
        if (ids->contains(self))
            continue;
        if (!derive) {
            ids->insert(self, RandomId());
            continue;
        }
        QStringList path;
        QSet<qint64> visited;
        for (qint64 at = self; groups.contains(at) && !visited.contains(at);
             at = groups.value(at).Parent) {
            visited.insert(at);
            path.prepend(groups.value(at).Name);
        }
        const QString joined = path.join(QChar(0x1f));
        const int ordinal = samePath[joined]++;
        ids->insert(self,
                    DerivedId({QStringLiteral("group"), table, joined, QString::number(ordinal)}));
    }
}

// A table's group ids by number: those recorded, those given to groups without one, and (when
// only some rows are looked at) the others read from their records when asked for.
class TGroupIds final
{
public:
    const QByteArray* Find(qint64 key) const
    {
        if (const TRecord* record = Recorded ? Recorded->Find(key) : nullptr)
            return &record->Id;
        if (const auto at = Given.constFind(key); at != Given.constEnd())
            return &*at;
        if (!Lookup)
            return nullptr;
        const auto [at, added] = Looked.try_emplace(key);
        if (added) {
            Lookup->Bind(2, key);
            while (Lookup->Next())
                at->second = Lookup->Utf8(0).toByteArray();
        }
        return at->second ? &*at->second : nullptr;
    }

    const TRecords* Recorded = nullptr;
    QHash<qint64, QByteArray> Given;
    std::shared_ptr<TSyncStatement> Lookup;
    mutable std::map<qint64, std::optional<QByteArray>> Looked;
};

TGroupIds GroupIds(sqlite3* connection, const QString& table, const TRecords& records, bool derive)
{
    TGroupIds ids;
    ids.Recorded = &records;
    bool missing = false;
    TSyncStatement select(connection, QStringLiteral("select SelfIndex from %1").arg(table));
    while (select.Next())
        missing |= !records.Find(select.Number(0));
    if (missing) {
        QHash<qint64, QString> given;
        records.Each([&given](qint64 key, const TRecord& record) {
            given.insert(key, QString::fromUtf8(record.Id));
        });
        GiveGroupIds(connection, table, derive, &given);
        for (auto at = given.constBegin(); at != given.constEnd(); ++at)
            if (!records.Find(at.key()))
                ids.Given.insert(at.key(), at->toUtf8());
    }
    return ids;
}

// The group ids of a table whose rows written alone are looked at: no group came or went, so
// every group has its record.
TGroupIds RecordedGroupIds(sqlite3* connection, const QString& table, const TRecords& records)
{
    TGroupIds ids;
    ids.Recorded = &records;
    ids.Lookup = std::make_shared<TSyncStatement>(
        connection, QStringLiteral("select RowId from SyncRow where TableName=?1 and LocalKey=?2"));
    ids.Lookup->Bind(1, table);
    return ids;
}

// Whether a group came or went among the rows written: what lives in it then reads another
// group id, which only a look at every row sees.
bool GroupsCameOrWent(sqlite3* connection, const WriteWatch::TWritten& written)
{
    TSyncStatement recorded(connection, QStringLiteral("select count(*) from SyncRow where "
                                                       "TableName=?1 and LocalKey=?2"));
    for (const TTable& table : Tables()) {
        const std::set<qint64>* keys = written.KeysOf(table.Name);
        if (table.Kind != TKind::Group || !keys)
            continue;
        TSyncStatement row(connection, CurrentRowSql(table));
        recorded.Bind(1, table.Name);
        for (const qint64 key : *keys) {
            bool hasRecord = false;
            recorded.Bind(2, key);
            while (recorded.Next())
                hasRecord = recorded.Number(0) > 0;
            bool hasRow = false;
            row.Bind(1, key);
            while (row.Next())
                hasRow = true;
            if (hasRecord != hasRow)
                return true;
        }
    }
    return false;
}

// A row of a table as it stands, its fields as the engine's bytes for as long as its statement
// stays on it, with its record (nullptr for a new row).
struct TCurrent
{
    qint64 Key;
    THashHex Hash;
    std::initializer_list<QByteArrayView> Fields;
    TRecord* Record;
};

// Calls row(select) for each row of a table as it stands, in order; only those of the given
// numbers when only is set.
template <typename F>
void EachRowOf(sqlite3* connection, const TTable& table, const std::set<qint64>* only, F&& row)
{
    if (!only) {
        TSyncStatement select(connection, CurrentRowsSql(table));
        while (select.Next())
            row(std::as_const(select));
        return;
    }
    TSyncStatement select(connection, CurrentRowSql(table));
    for (const qint64 key : *only) {
        select.Bind(1, key);
        while (select.Next())
            row(std::as_const(select));
    }
}

// Reads a table's rows in order (only those of the given numbers when only is set), each with
// its number, hash and fields; group ids by number come from groupIds (a group whose parent or
// an address whose group has no id reads ""). Where several rows share a number, the first one
// read is the row; its record is marked present.
template <typename F>
void EachCurrentRow(sqlite3* connection, const TTable& table, TRecords& records,
                    const TGroupIds& groupIds, const std::set<qint64>* only, F&& visit)
{
    const QByteArray name = table.Name.toUtf8();
    QSet<qint64> seenNew;
    const auto groupId = [&groupIds](qint64 key) -> QByteArrayView {
        const QByteArray* id = groupIds.Find(key);
        return id ? QByteArrayView(*id) : QByteArrayView("");
    };
    const auto offer = [&](qint64 key, std::initializer_list<QByteArrayView> fields) {
        TRecord* record = records.Find(key);
        if (record ? record->Present : seenNew.contains(key))
            return;
        if (record)
            record->Present = true;
        else
            seenNew.insert(key);
        visit(TCurrent{key, HashOfUtf8(name, fields), fields, record});
    };
    switch (table.Kind) {
    case TKind::Group:
        EachRowOf(connection, table, only, [&](const TSyncStatement& select) {
            offer(select.Number(0), {select.Utf8(2), groupId(select.Number(1))});
        });
        break;
    case TKind::Note:
        // A note outside every group is shown nowhere and stays with its file.
        EachRowOf(connection, table, only, [&](const TSyncStatement& select) {
            if (select.Number(0) == 0 || groupIds.Find(select.Number(0)))
                offer(select.Number(0), {select.Utf8(1)});
        });
        break;
    case TKind::Address:
        EachRowOf(connection, table, only, [&](const TSyncStatement& select) {
            offer(select.Number(0),
                  {groupId(select.Number(1)), select.Utf8(2), select.Utf8(3), select.Utf8(4)});
        });
        break;
    }
}

} // namespace

TLargerCache::TLargerCache(sqlite3* connection) : FConnection(connection)
{
    TSyncStatement size(connection, QStringLiteral("PRAGMA cache_size"));
    while (size.Next())
        FKept = size.Number(0);
    if (FKept > -LargerCacheKiB && (FKept < 0 || FKept * 4 < LargerCacheKiB))
        SyncSql::Execute(connection, QStringLiteral("PRAGMA cache_size=-%1").arg(LargerCacheKiB));
    else
        FConnection = nullptr;
}

TLargerCache::~TLargerCache()
{
    if (FConnection)
        DatabaseFile::Execute(FConnection, QStringLiteral("PRAGMA cache_size=%1").arg(FKept));
}

QString DataSetId(sqlite3* connection)
{
    TSyncStatement select(connection, QStringLiteral("select DataSetId from SyncDataSet"));
    QString id;
    while (select.Next())
        id = select.Text(0);
    return id;
}

TCounts Run(sqlite3* connection, const QString& device, qint64 now)
{
    // Inside a merge's transaction the scan is a part of it.
    const bool own = sqlite3_get_autocommit(connection) != 0;
    if (own)
        SyncSql::Execute(connection, QStringLiteral("begin immediate"));
    try {
        const bool derive = DataSetId(connection).isEmpty();
        // Where the program itself wrote every change since the last scan, the rows it wrote are
        // all that need a look.
        WriteWatch::TWritten written = WriteWatch::Take(connection, now);
        if (!written.Everything && (derive || GroupsCameOrWent(connection, written)))
            written.Everything = true;
        // A scan of every row writes a record for many of them (the first one for each row, in
        // the order of random ids): with the engine's small page cache most of them would write
        // out and read back (and encrypt and decrypt) a page of the records' index.
        std::optional<TLargerCache> cache;
        if (written.Everything)
            cache.emplace(connection);
        if (derive)
            TSyncStatement(connection, QStringLiteral("insert into SyncDataSet (DataSetId, "
                                                      "FormatVersion) values (?1, ?2)"))
                .Bind(1, RandomId())
                .Bind(2, FormatVersion)
                .Run();
        // What "insert or replace" does, in two statements: the engine runs that one under a
        // statement journal, each of whose pages SQLCipher encrypts, which made a scan that
        // writes many records several times slower.
        TSyncStatement replaced(connection, QStringLiteral("delete from SyncRow where "
                                                           "TableName=?1 and (LocalKey=?2 or "
                                                           "RowId=?3)"));
        TSyncStatement insert(connection, QStringLiteral("insert into SyncRow (TableName, "
                                                         "LocalKey, RowId, Versions, Changed, "
                                                         "Hash) values (?1, ?2, ?3, ?4, ?5, ?6)"));
        TSyncStatement recorded(connection,
                                QStringLiteral("select RowId, Versions from SyncRow where oid=?1"));
        TSyncStatement forgetRow(
            connection, QStringLiteral("delete from SyncRow where TableName=?1 and LocalKey=?2"));
        TSyncStatement forgetAgreed(
            connection, QStringLiteral("delete from SyncAgreed where TableName=?1 and RowId=?2"));
        TSyncStatement deletion(connection,
                                QStringLiteral("select Versions from SyncDeletion where "
                                               "TableName=?1 and RowId=?2"));
        TSyncStatement recordDeletion(connection, QStringLiteral("insert or replace into "
                                                                 "SyncDeletion (TableName, RowId, "
                                                                 "Versions, Deleted) values (?1, "
                                                                 "?2, ?3, ?4)"));
        TSyncStatement dropDeletion(
            connection, QStringLiteral("delete from SyncDeletion where TableName=?1 and RowId=?2"));
        TAgreedWriter agreed(connection);
        TCounts counts;
        std::map<QString, TRecords> records;
        if (written.Everything)
            records = AllRecords(connection);
        std::map<QString, TGroupIds> groupIds;
        for (const TTable& table : Tables()) {
            const std::set<qint64>* only =
                written.Everything ? nullptr : written.KeysOf(table.Name);
            TRecords& tableRecords = records[table.Name];
            if (only)
                tableRecords = RecordsOf(connection, table, *only);
            if (table.Kind == TKind::Group)
                groupIds[table.Name] = only
                                           ? RecordedGroupIds(connection, table.Name, tableRecords)
                                           : GroupIds(connection, table.Name, tableRecords, derive);
            const TGroupIds& ids = groupIds[table.GroupTable];
            QHash<QString, int> sameAddress;
            EachCurrentRow(connection, table, tableRecords, ids, only, [&](const TCurrent& row) {
                TRecord* record = row.Record;
                if (record && record->Hash == row.Hash)
                    return;
                TFields fields;
                for (const QByteArrayView field : row.Fields)
                    fields << QString::fromUtf8(field);
                const QString hash = QString::fromLatin1(row.Hash.data(), row.Hash.size());
                TVersionVector versions;
                QString id;
                if (record) {
                    recorded.Bind(1, record->RecordRow);
                    while (recorded.Next()) {
                        id = recorded.Text(0);
                        versions = TVersionVector::Parse(recorded.Text(1));
                    }
                    versions.Bump(device);
                    ++counts.Changed;
                } else {
                    if (table.Kind == TKind::Address)
                        id = derive ? DerivedId(
                                          {QStringLiteral("address"), fields.at(0), fields.at(1),
                                           fields.at(2),
                                           QString::number(
                                               sameAddress[fields.mid(0, 3).join(QChar(0x1f))]++)})
                                    : RandomId();
                    else if (table.Kind == TKind::Note && row.Key == 0)
                        id = RootNoteId();
                    else if (const QByteArray* given = ids.Find(row.Key))
                        id = QString::fromUtf8(*given);
                    if (derive) {
                        // Copies of one file agree on this version exactly when their contents
                        // agree.
                        versions.Set(QLatin1Char('~') + hash.left(12), 1);
                        agreed.Write(table.Name, id, {versions, fields});
                    } else {
                        // A row made again after its deletion (a note of the same group) has
                        // seen that deletion.
                        deletion.Bind(1, table.Name).Bind(2, id);
                        while (deletion.Next())
                            versions = TVersionVector::Parse(deletion.Text(0));
                        dropDeletion.Bind(1, table.Name).Bind(2, id).Run();
                        versions.Bump(device);
                        ++counts.Added;
                    }
                }
                replaced.Bind(1, table.Name).Bind(2, row.Key).Bind(3, id).Run();
                insert.Bind(1, table.Name)
                    .Bind(2, row.Key)
                    .Bind(3, id)
                    .Bind(4, versions.Text())
                    .Bind(5, now)
                    .Bind(6, hash)
                    .Run();
            });
            tableRecords.Each([&](qint64 key, const TRecord& record) {
                if (record.Present)
                    return;
                QString id;
                TVersionVector versions;
                recorded.Bind(1, record.RecordRow);
                while (recorded.Next()) {
                    id = recorded.Text(0);
                    versions = TVersionVector::Parse(recorded.Text(1));
                }
                if (id.isEmpty())
                    return; // its record was taken over by a row of the same id
                versions.Bump(device);
                recordDeletion.Bind(1, table.Name)
                    .Bind(2, id)
                    .Bind(3, versions.Text())
                    .Bind(4, now)
                    .Run();
                forgetRow.Bind(1, table.Name).Bind(2, key).Run();
                forgetAgreed.Bind(1, table.Name).Bind(2, id).Run();
                ++counts.Deleted;
            });
        }
        TSyncStatement(connection, QStringLiteral("delete from SyncDeletion where Deleted < ?1"))
            .Bind(1, now - DeletionKeptMs)
            .Run();
        if (own)
            SyncSql::Execute(connection, QStringLiteral("commit"));
        return counts;
    } catch (...) {
        if (own && !sqlite3_get_autocommit(connection))
            DatabaseFile::Execute(connection, QStringLiteral("rollback"));
        throw;
    }
}

} // namespace ChangeScan
