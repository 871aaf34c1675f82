#include "webaddr/StoredAddress.h"

#include "common/TextUtil.h"
#include "data/DbAccess.h"
#include "data/Sql.h"
#include "groups/GroupRows.h"

#include <QCoreApplication>

namespace {

// The group of the first row with exactly that address; -1 when there is none.
qint32 StoredTypeId(TDbAccess& dbAccess, const QString& url)
{
    dbAccess.OpenQuery(Sql::Format(SqlTemplate::FindAddress, {Sql::Quoted(url)}));
    TResultSet& set = dbAccess.QuerySet();
    const qint32 typeId = set.IsEmpty() ? -1 : set.AsInteger(0);
    set.Close();
    return typeId;
}

} // namespace

QString StoredAddressPath(TDbAccess& dbAccess, const QString& url)
{
    if (IsBlank(url))
        return {};
    qint32 typeId = StoredTypeId(dbAccess, url);
    const QString trimmed = url.trimmed();
    if (typeId < 0 && trimmed != url)
        typeId = StoredTypeId(dbAccess, trimmed);
    if (typeId < 0)
        return {};

    return TGroupPaths(ReadGroupRows(dbAccess, QStringLiteral("IEType")))
        .Path(QCoreApplication::translate("TWebAddrPage", "全部"), typeId);
}
