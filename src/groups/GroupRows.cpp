#include "groups/GroupRows.h"

#include "data/DbAccess.h"
#include "data/Sql.h"

#include <QStringList>

std::vector<TGroupRow> ReadGroupRows(const QString& table)
{
    DbAccess->OpenQuery(Sql::Format(SqlTemplate::LoadGroups, {Sql::Name(table)}));
    TResultSet& set = DbAccess->QuerySet();
    std::vector<TGroupRow> rows;
    rows.reserve(size_t(set.RecordCount()));
    for (; !set.Eof(); set.Next())
        rows.push_back({{set.AsInteger(QStringLiteral("SelfIndex")),
                         set.AsInteger(QStringLiteral("ParentIndex"))},
                        set.AsString(QStringLiteral("TypeName"))});
    set.Close();
    return rows;
}

TGroupPaths::TGroupPaths(const std::vector<TGroupRow>& rows)
{
    FGroups.reserve(qsizetype(rows.size()));
    for (const TGroupRow& row : rows)
        if (!FGroups.contains(row.Key.SelfIndex))
            FGroups.insert(row.Key.SelfIndex, {row.Key.ParentIndex, row.Caption});
}

QString TGroupPaths::Path(const QString& rootCaption, qint32 group) const
{
    QStringList names;
    for (qsizetype steps = 0; group != 0 && steps <= FGroups.size(); ++steps) {
        const auto row = FGroups.constFind(group);
        if (row == FGroups.constEnd())
            break;
        names.prepend(row->second);
        group = row->first;
    }
    names.prepend(rootCaption);
    return names.join(QStringLiteral("->"));
}
