#include "webaddr/IE.h"

#include "controls/CardDBGrid.h"
#include "data/DbAccess.h"
#include "data/Sql.h"

TIE IEStore;

namespace {
constexpr char16_t CountAddressesOfTypeSql[] = u"select count(ID) from IE where TypeID=%s";
} // namespace

void TIE::InsertAddress()
{
    SqlText = Sql::Format(SqlTemplate::InsertAddress, {Sql::Number(TypeID), Sql::Quoted(IEUrl),
                                                       Sql::Quoted(IEName), Sql::Quoted(ReMark)});
    DbExecute(SqlText);
}

void TIE::UpdateAddress(const QString& id)
{
    SqlText = Sql::Format(SqlTemplate::UpdateAddress,
                          {Sql::Number(TypeID), Sql::Quoted(IEUrl), Sql::Quoted(IEName),
                           Sql::Quoted(ReMark), Sql::Key(id)});
    DbExecute(SqlText);
}

void TIE::LoadAddress(const QString& id)
{
    SqlText = Sql::Format(SqlTemplate::LoadAddress, {Sql::Key(id)});
    DbAccess->OpenQuery(SqlText);
    const TResultSet& row = DbAccess->QuerySet();
    TypeID = row.AsInteger(QStringLiteral("TypeID"));
    IEUrl = row.AsString(QStringLiteral("IEUrl"));
    IEName = row.AsString(QStringLiteral("IEName"));
    ReMark = row.AsString(QStringLiteral("ReMark"));
    TypeName = LookupTypeName(TypeID);
}

QString TIE::LookupTypeName(qint32 typeId)
{
    SqlText = Sql::Format(SqlTemplate::LookupTypeName, {Sql::Number(typeId)});
    DbAccess->OpenQuery(SqlText);
    return DbAccess->QuerySet().AsString(0);
}

void TIE::DeleteAddress(const QString& id)
{
    SqlText = Sql::Format(SqlTemplate::DeleteAddress, {Sql::Key(id)});
    DbExecute(SqlText);
    DbAccess->RequeryGrid();
}

void TIE::DeleteAddressesOfType(const QString& typeId)
{
    SqlText = Sql::Format(SqlTemplate::DeleteAddressesOfType, {Sql::Key(typeId)});
    DbExecute(SqlText);
    DbAccess->RequeryGrid();
}

int TIE::CountAddressesOfType(const QString& typeId)
{
    SqlText = Sql::Format(CountAddressesOfTypeSql, {Sql::Key(typeId)});
    DbAccess->OpenQuery(SqlText);
    return DbAccess->QuerySet().AsInteger(0);
}

void TIE::ListAddresses(TCardDBGrid& grid, qint32 typeId)
{
    SqlText = QString::fromUtf16(SqlTemplate::ListAddresses);
    if (typeId != 0)
        SqlText += Sql::Format(SqlTemplate::ListAddressesOfType, {Sql::Number(typeId)});
    OpenGrid(*DbAccess, SqlText, grid, true);
    grid.HideColumn(QStringLiteral("ID"));
}
