#pragma once

#include "data/DbAccess.h"
#include "data/Sql.h"

#include <QApplication>
#include <QTimer>
#include <QTreeWidgetItem>
#include <QWidget>

#include <tuple>

// Helpers shared by the group tests.
namespace GroupsTest {

struct TRow
{
    int Self;
    int Parent;
    QString Caption;
};

inline void InsertGroups(const QString& table, const QList<TRow>& rows)
{
    QStringList batch;
    for (const TRow& row : rows)
        batch << Sql::Format(SqlTemplate::AddGroup,
                             {Sql::Name(table), Sql::Number(row.Self), Sql::Number(row.Parent),
                              Sql::Quoted(row.Caption)});
    DbExecute(batch.join(QString::fromUtf16(BatchDelimiter)));
}

// The table's rows as "self,parent,caption", in number order.
inline QStringList GroupRows(const QString& table)
{
    DbAccess->OpenQuery(QStringLiteral("select * from %1 order by SelfIndex, rowid").arg(table));
    QStringList rows;
    for (TResultSet& set = DbAccess->QuerySet(); !set.Eof(); set.Next())
        rows << QStringLiteral("%1,%2,%3")
                    .arg(set.AsInteger(QStringLiteral("SelfIndex")))
                    .arg(set.AsInteger(QStringLiteral("ParentIndex")))
                    .arg(set.AsString(QStringLiteral("TypeName")));
    return rows;
}

// Rows changed by the connection since it was opened: a write shows here, a read does not.
inline int TotalChanges()
{
    return DbQueryInteger(QStringLiteral("select total_changes()"));
}

inline QStringList ChildCaptions(const QTreeWidgetItem* node)
{
    QStringList captions;
    for (int i = 0; i < node->childCount(); ++i)
        captions << node->child(i)->text(0);
    return captions;
}

// Runs the action on the program's modal dialog of type T as soon as it is up. Should another
// modal window be up instead, or none come, it is closed so the test can't hang.
template <typename T, typename F> void WhenModal(QObject* context, F action, int attemptsLeft = 300)
{
    QTimer::singleShot(attemptsLeft == 300 ? 0 : 10, context, [context, action, attemptsLeft] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<T*>(modal)) {
            action(dialog);
        } else if (attemptsLeft > 0) {
            WhenModal<T>(context, action, attemptsLeft - 1);
        } else if (modal) {
            qWarning("an unexpected modal window was closed");
            modal->close();
        }
    });
}

} // namespace GroupsTest
