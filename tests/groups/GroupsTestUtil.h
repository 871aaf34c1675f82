#pragma once

#include "data/DbAccess.h"
#include "data/Sql.h"

#include <QTreeWidgetItem>

// Helpers shared by the group tests.
namespace GroupsTest {

struct TRow
{
    int Self;
    int Parent;
    QString Caption;
};

inline void InsertGroups(TDbAccess& db, const QString& table, const QList<TRow>& rows)
{
    QStringList batch;
    for (const TRow& row : rows)
        batch << Sql::Format(SqlTemplate::AddGroup,
                             {Sql::Name(table), Sql::Number(row.Self), Sql::Number(row.Parent),
                              Sql::Quoted(row.Caption)});
    db.ExecuteBatch(batch.join(QString::fromUtf16(BatchDelimiter)));
}

// The table's rows as "self,parent,caption", in number order.
inline QStringList GroupRows(TDbAccess& db, const QString& table)
{
    db.OpenQuery(QStringLiteral("select * from %1 order by SelfIndex, rowid").arg(table));
    QStringList rows;
    for (TResultSet& set = db.QuerySet(); !set.Eof(); set.Next())
        rows << QStringLiteral("%1,%2,%3")
                    .arg(set.AsInteger(QStringLiteral("SelfIndex")))
                    .arg(set.AsInteger(QStringLiteral("ParentIndex")))
                    .arg(set.AsString(QStringLiteral("TypeName")));
    return rows;
}

// Rows changed by the connection since it was opened: a write shows here, a read does not.
inline int TotalChanges(TDbAccess& db)
{
    return db.QueryInteger(QStringLiteral("select total_changes()"));
}

inline QStringList ChildCaptions(const QTreeWidgetItem* node)
{
    QStringList captions;
    for (int i = 0; i < node->childCount(); ++i)
        captions << node->child(i)->text(0);
    return captions;
}

} // namespace GroupsTest
