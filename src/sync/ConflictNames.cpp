#include "sync/ConflictNames.h"

#include "sync/RowStore.h"

#include <QDateTime>

namespace ConflictNames {

QString NoteCopyPrefix(const QString& group)
{
    return group + QStringLiteral("（冲突副本 ");
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
