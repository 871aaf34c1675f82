#pragma once

#include "data/BoundStatement.h"

#include <QString>

// One statement of the sync tables' work, prepared once and run as often as needed, its values
// bound by position. Failures throw EDBException with the statement and the sync headline.
class TSyncStatement final : public TBoundStatement
{
public:
    TSyncStatement(sqlite3* connection, const QString& sql);
};

namespace SyncSql {
// Runs statements without values; throws EDBException on failure.
void Execute(sqlite3* connection, const QString& sql);
} // namespace SyncSql
