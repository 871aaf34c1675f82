#include "webaddr/StoredAddress.h"

#include "common/TextUtil.h"
#include "data/DbAccess.h"
#include "data/Sql.h"

#include <QHash>
#include <QStringList>

#include <utility>

namespace {

// The group of the first row with exactly that address; -1 when there is none.
qint32 StoredTypeId(const QString& url)
{
    DbAccess->OpenQuery(Sql::Format(SqlTemplate::FindAddress, {Sql::Quoted(url)}));
    TResultSet& set = DbAccess->QuerySet();
    const qint32 typeId = set.IsEmpty() ? -1 : set.AsInteger(0);
    set.Close();
    return typeId;
}

} // namespace

QString StoredAddressPath(const QString& url)
{
    if (IsBlank(url))
        return {};
    qint32 typeId = StoredTypeId(url);
    const QString trimmed = url.trimmed();
    if (typeId < 0 && trimmed != url)
        typeId = StoredTypeId(trimmed);
    if (typeId < 0)
        return {};

    QHash<qint32, std::pair<qint32, QString>> groups; // number -> parent, caption
    DbAccess->OpenQuery(
        Sql::Format(SqlTemplate::LoadGroups, {Sql::Name(QStringLiteral("IEType"))}));
    for (TResultSet& set = DbAccess->QuerySet(); !set.Eof(); set.Next())
        groups.insert(set.AsInteger(QStringLiteral("SelfIndex")),
                      {set.AsInteger(QStringLiteral("ParentIndex")),
                       set.AsString(QStringLiteral("TypeName"))});
    DbAccess->QuerySet().Close();

    QStringList path;
    // A damaged table could make the parents go round; no path is longer than the table.
    for (qsizetype steps = 0; typeId != 0 && steps <= groups.size(); ++steps) {
        const auto group = groups.constFind(typeId);
        if (group == groups.constEnd())
            break;
        path.prepend(group->second);
        typeId = group->first;
    }
    path.prepend(QStringLiteral("全部"));
    return path.join(QStringLiteral("->"));
}
