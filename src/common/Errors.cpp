#include "common/Errors.h"

#include <utility>

ECardError::ECardError(QString message) : FMessage(std::move(message)), FUtf8(FMessage.toUtf8()) {}

EDBException::EDBException(QString message, QString hint, QString sql)
    : ECardError(std::move(message)), FHint(std::move(hint)), FSql(std::move(sql))
{}
