#include "groups/GroupRows.h"

#include "common/Errors.h"
#include "data/DbAccess.h"
#include "data/Sql.h"

#include <QStringList>

#include <algorithm>
#include <limits>

qint32 NextGroupNumber(qint64 largest)
{
    if (largest >= std::numeric_limits<qint32>::max())
        throw ECardError(QStringLiteral("分组编号已用完，无法新建分组"));
    return qint32(std::max<qint64>(largest, 0) + 1);
}

std::vector<TGroupRow> ReadGroupRows(const QString& table)
{
    std::vector<TGroupRow> rows;
    TGroupRowReader(table).Read(rows, std::numeric_limits<int>::max());
    return rows;
}

TGroupRowReader::TGroupRowReader(const QString& table)
    : FCursor(DbAccess->OpenCursor(Sql::Format(SqlTemplate::LoadGroups, {Sql::Name(table)})))
{}

TGroupRowReader::~TGroupRowReader() = default;

bool TGroupRowReader::Read(std::vector<TGroupRow>& rows, int count)
{
    for (int i = 0; i < count; ++i) {
        if (!FCursor->Next())
            return true;
        rows.push_back({{TResultSet::ToInteger(FCursor->Value(0), QStringLiteral("SelfIndex")),
                         TResultSet::ToInteger(FCursor->Value(1), QStringLiteral("ParentIndex"))},
                        FCursor->Value(2).toString()});
    }
    return false;
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
