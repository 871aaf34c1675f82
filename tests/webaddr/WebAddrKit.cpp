#include "WebAddrKit.h"

#include "data/DbAccess.h"
#include "data/Sql.h"

namespace WebAddrKit {

QString AddRow(TDbAccess& db, int typeId, const QString& url, const QString& name,
               const QString& remark)
{
    db.ExecuteBatch(
        Sql::Format(SqlTemplate::InsertAddress, {Sql::Number(typeId), Sql::Quoted(url),
                                                 Sql::Quoted(name), Sql::Quoted(remark)}));
    return QString::number(db.QueryInteger(QStringLiteral("select max(ID) from IE")));
}

void AddGroupRow(TDbAccess& db, int selfIndex, int parentIndex, const QString& name)
{
    db.ExecuteBatch(Sql::Format(SqlTemplate::AddGroup,
                                {Sql::Name(QStringLiteral("IEType")), Sql::Number(selfIndex),
                                 Sql::Number(parentIndex), Sql::Quoted(name)}));
}

QList<TRow> Rows(TDbAccess& db)
{
    db.OpenQuery(QStringLiteral("select * from IE order by ID"));
    QList<TRow> rows;
    for (TResultSet& set = db.QuerySet(); !set.Eof(); set.Next())
        rows.append({set.AsString(QStringLiteral("ID")), set.AsInteger(QStringLiteral("TypeID")),
                     set.AsString(QStringLiteral("IEUrl")), set.AsString(QStringLiteral("IEName")),
                     set.AsString(QStringLiteral("ReMark"))});
    return rows;
}

QList<int> GroupNumbers(TDbAccess& db)
{
    db.OpenQuery(QStringLiteral("select SelfIndex from IEType order by SelfIndex"));
    QList<int> numbers;
    for (TResultSet& set = db.QuerySet(); !set.Eof(); set.Next())
        numbers << set.AsInteger(0);
    return numbers;
}

} // namespace WebAddrKit
