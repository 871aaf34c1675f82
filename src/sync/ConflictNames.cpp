#include "sync/ConflictNames.h"

#include "sync/RowStore.h"

#include <QDateTime>

namespace ConflictNames {

QString NoteCopyPrefix(const QString& group)
{
    // The root's note has no group row and so no name: its copies are named as the tree shows it.
    return (group.isEmpty() ? QStringLiteral("根目录") : group) + QStringLiteral("（冲突副本 ");
}

QString NoteCopyGroup(const QString& group, const QString& source, qint64 now)
{
    return NoteCopyPrefix(group) + source + QLatin1Char(' ') +
           QDateTime::fromMSecsSinceEpoch(now).date().toString(Qt::ISODate) + QStringLiteral("）");
}

QString AddressGroup()
{
    return QStringLiteral("同步冲突");
}

QString AddressGroupId()
{
    return RowStore::DerivedId({QStringLiteral("conflict group"), QStringLiteral("IEType")});
}

} // namespace ConflictNames
