#include "WebAddrKit.h"

#include "data/DbAccess.h"
#include "data/Sql.h"

#include <QApplication>
#include <QTimer>

namespace WebAddrKit {

namespace {
QStringList Failures;

void Poll(QObject* context, const QString& title, std::function<void(TFormBaseDlg*)> action,
          int triesLeft)
{
    auto* dialog = qobject_cast<TFormBaseDlg*>(QApplication::activeModalWidget());
    if (dialog && dialog->isVisible() && dialog->windowTitle() == title) {
        action(dialog);
        return;
    }
    if (triesLeft == 0) {
        Failures << QStringLiteral("no dialog ") + title;
        // Whatever is open instead must not keep the test waiting.
        if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            other->reject();
        return;
    }
    QTimer::singleShot(10, context, [=] { Poll(context, title, action, triesLeft - 1); });
}
} // namespace

QString AddRow(int typeId, const QString& url, const QString& name, const QString& remark)
{
    DbExecute(Sql::Format(SqlTemplate::InsertAddress, {Sql::Number(typeId), Sql::Quoted(url),
                                                       Sql::Quoted(name), Sql::Quoted(remark)}));
    return QString::number(DbQueryInteger(QStringLiteral("select max(ID) from IE")));
}

void AddGroupRow(int selfIndex, int parentIndex, const QString& name)
{
    DbExecute(Sql::Format(SqlTemplate::AddGroup,
                          {Sql::Name(QStringLiteral("IEType")), Sql::Number(selfIndex),
                           Sql::Number(parentIndex), Sql::Quoted(name)}));
}

QList<TRow> Rows()
{
    DbAccess->OpenQuery(QStringLiteral("select * from IE order by ID"));
    QList<TRow> rows;
    for (TResultSet& set = DbAccess->QuerySet(); !set.Eof(); set.Next())
        rows.append({set.AsString(QStringLiteral("ID")), set.AsInteger(QStringLiteral("TypeID")),
                     set.AsString(QStringLiteral("IEUrl")), set.AsString(QStringLiteral("IEName")),
                     set.AsString(QStringLiteral("ReMark"))});
    return rows;
}

QList<int> GroupNumbers()
{
    DbAccess->OpenQuery(QStringLiteral("select SelfIndex from IEType order by SelfIndex"));
    QList<int> numbers;
    for (TResultSet& set = DbAccess->QuerySet(); !set.Eof(); set.Next())
        numbers << set.AsInteger(0);
    return numbers;
}

void WhenModal(QObject* context, const QString& title, std::function<void(TFormBaseDlg*)> action)
{
    QTimer::singleShot(0, context, [=] { Poll(context, title, std::move(action), 300); });
}

QStringList TakeDriverFailures()
{
    QStringList failures;
    failures.swap(Failures);
    return failures;
}

} // namespace WebAddrKit
