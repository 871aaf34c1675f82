#include "webaddr/IE.h"

#include "controls/CardDBGrid.h"
#include "data/DbAccess.h"
#include "data/RecycleBin.h"
#include "data/Sql.h"
#include "data/WriteTransaction.h"

void TIE::InsertAddress()
{
    FDbAccess.ExecuteBatch(
        Sql::Format(SqlTemplate::InsertAddress, {Sql::Number(TypeID), Sql::Quoted(IEUrl),
                                                 Sql::Quoted(IEName), Sql::Quoted(ReMark)}));
}

void TIE::UpdateAddress(const QString& id)
{
    FDbAccess.ExecuteBatch(Sql::Format(SqlTemplate::UpdateAddress,
                                       {Sql::Number(TypeID), Sql::Quoted(IEUrl),
                                        Sql::Quoted(IEName), Sql::Quoted(ReMark), Sql::Key(id)}));
}

void TIE::LoadAddress(const QString& id)
{
    FDbAccess.OpenQuery(Sql::Format(SqlTemplate::LoadAddress, {Sql::Key(id)}));
    const TResultSet& row = FDbAccess.QuerySet();
    TypeID = row.AsInteger(QStringLiteral("TypeID"));
    IEUrl = row.AsString(QStringLiteral("IEUrl"));
    IEName = row.AsString(QStringLiteral("IEName"));
    ReMark = row.AsString(QStringLiteral("ReMark"));
    TypeName = LookupTypeName(TypeID);
}

QString TIE::LookupTypeName(qint32 typeId)
{
    FDbAccess.OpenQuery(Sql::Format(SqlTemplate::LookupTypeName, {Sql::Number(typeId)}));
    return FDbAccess.QuerySet().AsString(0);
}

void TIE::DeleteAddress(const QString& id)
{
    // Into the recycle bin in the transaction that deletes it.
    const qint64 key = Sql::Key(id).Text().toLongLong();
    TWriteTransaction transaction(FDbAccess);
    TRecycleBin(FDbAccess.Handle()).KeepAddress(key);
    transaction.Commit();
    FDbAccess.RequeryGrid();
}

void TIE::DeleteAddressesOfType(const QString& typeId)
{
    FDbAccess.ExecuteBatch(Sql::Format(SqlTemplate::DeleteAddressesOfType, {Sql::Key(typeId)}));
    FDbAccess.RequeryGrid();
}

int TIE::CountAddressesOfType(const QString& typeId)
{
    return FDbAccess.QueryInteger(
        Sql::Format(SqlTemplate::CountAddressesOfType, {Sql::Key(typeId)}));
}

void TIE::ListAddresses(TCardDBGrid& grid, qint32 typeId)
{
    QString sql = QString::fromUtf16(SqlTemplate::ListAddresses);
    if (typeId != 0)
        sql += Sql::Format(SqlTemplate::ListAddressesOfType, {Sql::Number(typeId)});
    OpenGrid(FDbAccess, sql, grid, true);
    grid.HideColumn(QStringLiteral("ID"));
}
