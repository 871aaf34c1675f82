#include "sync/ChangeScan.h"

#include "common/Errors.h"
#include "sync/RowStore.h"
#include "sync/SyncStatement.h"

#include <QSet>

#include <sqlcipher/sqlite3.h>

using namespace RowStore;

namespace ChangeScan {
namespace {

constexpr int FormatVersion = 1;

struct TRecord
{
    QString Id;
    QString Versions;
    QString Hash;
};

QHash<qint64, TRecord> Records(sqlite3* connection, const QString& table)
{
    QHash<qint64, TRecord> records;
    TSyncStatement select(
        connection,
        // Read in the table's own order: through the key's index every row would be a page of
        // its own to read and decrypt.
        QStringLiteral("select LocalKey, RowId, Versions, Hash from SyncRow not indexed where "
                       "TableName=?1"));
    select.Bind(1, table);
    while (select.Next())
        records.insert(select.Number(0), {select.Text(1), select.Text(2), select.Text(3)});
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

} // namespace

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
        if (derive)
            TSyncStatement(connection, QStringLiteral("insert into SyncDataSet (DataSetId, "
                                                      "FormatVersion) values (?1, ?2)"))
                .Bind(1, RandomId())
                .Bind(2, FormatVersion)
                .Run();
        TSyncStatement insert(connection, QStringLiteral("insert or replace into SyncRow "
                                                         "(TableName, LocalKey, RowId, Versions, "
                                                         "Changed, Hash) values (?1, ?2, ?3, ?4, "
                                                         "?5, ?6)"));
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
        QHash<QString, QHash<qint64, QString>> groupIds;
        for (const TTable& table : Tables()) {
            const QHash<qint64, TRecord> records = Records(connection, table.Name);
            if (table.Kind == TKind::Group) {
                QHash<qint64, QString>& ids = groupIds[table.Name];
                for (auto at = records.constBegin(); at != records.constEnd(); ++at)
                    ids.insert(at.key(), at->Id);
                GiveGroupIds(connection, table.Name, derive, &ids);
            }
            const QHash<qint64, QString>& ids = groupIds.value(table.GroupTable);
            QHash<QString, int> sameAddress;
            QSet<qint64> present;
            for (const TRow& row : CurrentRows(connection, table, ids)) {
                present.insert(row.Key);
                const auto record = records.constFind(row.Key);
                if (record != records.constEnd() && record->Hash == row.Hash)
                    continue;
                TVersionVector versions;
                QString id;
                if (record != records.constEnd()) {
                    id = record->Id;
                    versions = TVersionVector::Parse(record->Versions);
                    versions.Bump(device);
                    ++counts.Changed;
                } else {
                    if (table.Kind == TKind::Address)
                        id = derive
                                 ? DerivedId(
                                       {QStringLiteral("address"), row.Fields.at(0),
                                        row.Fields.at(1), row.Fields.at(2),
                                        QString::number(
                                            sameAddress[row.Fields.mid(0, 3).join(QChar(0x1f))]++)})
                                 : RandomId();
                    else if (table.Kind == TKind::Note && row.Key == 0)
                        id = RootNoteId();
                    else
                        id = ids.value(row.Key);
                    if (derive) {
                        // Copies of one file agree on this version exactly when their contents
                        // agree.
                        versions.Set(QLatin1Char('~') + row.Hash.left(12), 1);
                        agreed.Write(table.Name, id, {versions, row.Fields});
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
                insert.Bind(1, table.Name)
                    .Bind(2, row.Key)
                    .Bind(3, id)
                    .Bind(4, versions.Text())
                    .Bind(5, now)
                    .Bind(6, row.Hash)
                    .Run();
            }
            for (auto at = records.constBegin(); at != records.constEnd(); ++at) {
                if (present.contains(at.key()))
                    continue;
                TVersionVector versions = TVersionVector::Parse(at->Versions);
                versions.Bump(device);
                recordDeletion.Bind(1, table.Name)
                    .Bind(2, at->Id)
                    .Bind(3, versions.Text())
                    .Bind(4, now)
                    .Run();
                forgetRow.Bind(1, table.Name).Bind(2, at.key()).Run();
                forgetAgreed.Bind(1, table.Name).Bind(2, at->Id).Run();
                ++counts.Deleted;
            }
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
