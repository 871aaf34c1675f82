#include "groups/GroupRows.h"

#include "common/Errors.h"
#include "common/TextUtil.h"
#include "data/DbAccess.h"
#include "data/Sql.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <limits>

std::vector<TGroupRow> ReadGroupRows(TDbAccess& dbAccess, const QString& table)
{
    std::vector<TGroupRow> rows;
    TGroupRowReader(dbAccess, table).Read(rows, std::numeric_limits<int>::max());
    return rows;
}

TGroupRowReader::TGroupRowReader(TDbAccess& dbAccess, const QString& table)
    : FTable(table),
      FCursor(dbAccess.OpenCursor(Sql::Format(SqlTemplate::LoadGroups, {Sql::Name(table)})))
{}

TGroupRowReader::~TGroupRowReader() = default;

qint32 TGroupRowReader::Number(int field) const
{
    const QVariant value = FCursor->Value(field);
    if (const std::optional<int> number = TResultSet::IntegerOf(value))
        return *number;
    throw ECardError(
        QCoreApplication::translate("GroupRows",
                                    "数据文件中表 %1 的 %2 值“%3”不是 32 位范围内的整数，无法读取"
                                    "分组。\n可以用“数据恢复”换回一份备份。")
            .arg(FTable, field == 0 ? QStringLiteral("SelfIndex") : QStringLiteral("ParentIndex"),
                 ElidedText(value.toString(), 40)));
}

bool TGroupRowReader::Read(std::vector<TGroupRow>& rows, int count)
{
    for (int i = 0; i < count; ++i) {
        if (!FCursor->Next())
            return true;
        rows.push_back({{Number(0), Number(1)}, FCursor->Value(2).toString()});
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
