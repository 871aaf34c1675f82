#include "data/GroupNumber.h"

#include "common/Errors.h"

#include <QCoreApplication>

#include <algorithm>
#include <limits>

qint32 NextGroupNumber(qint64 largest)
{
    if (largest >= std::numeric_limits<qint32>::max())
        throw ECardError(QCoreApplication::translate("GroupRows", "分组编号已用完，无法新建分组"));
    return qint32(std::max<qint64>(largest, 0) + 1);
}
