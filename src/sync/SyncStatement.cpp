#include "sync/SyncStatement.h"

#include "common/Errors.h"

#include <QCoreApplication>

namespace {
const char SyncHint[] = QT_TRANSLATE_NOOP("DbHint", "同步数据失败！");
} // namespace

TSyncStatement::TSyncStatement(sqlite3* connection, const QString& sql)
    : TBoundStatement(connection, sql, SyncHint)
{}

namespace SyncSql {
void Execute(sqlite3* connection, const QString& sql)
{
    const QString error = DatabaseFile::Execute(connection, sql);
    if (!error.isEmpty())
        throw EDBException(error, QString::fromUtf8(SyncHint), sql);
}
} // namespace SyncSql
