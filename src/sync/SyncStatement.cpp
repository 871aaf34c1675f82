#include "sync/SyncStatement.h"

#include "common/Errors.h"

#include <QCoreApplication>

#include <sqlcipher/sqlite3.h>

namespace {
const char SyncHint[] = QT_TRANSLATE_NOOP("DbHint", "同步数据失败！");

[[noreturn]] void Fail(sqlite3* connection, const QString& sql)
{
    throw EDBException(EngineMessage(connection), QString::fromUtf8(SyncHint), sql);
}
} // namespace

TSyncStatement::TSyncStatement(sqlite3* connection, const QString& sql)
    : FConnection(connection), FSql(sql.toUtf8())
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(connection, FSql.constData(), int(FSql.size()), &raw, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(raw);
        Fail(connection, sql);
    }
    FStatement.reset(raw);
}

TSyncStatement& TSyncStatement::Bind(int position, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(FStatement.get(), position, utf8.constData(), int(utf8.size()),
                      SQLITE_TRANSIENT);
    return *this;
}

TSyncStatement& TSyncStatement::BindUtf8(int position, QByteArrayView utf8)
{
    sqlite3_bind_text(FStatement.get(), position, utf8.data(), int(utf8.size()), SQLITE_TRANSIENT);
    return *this;
}

TSyncStatement& TSyncStatement::Bind(int position, qint64 number)
{
    sqlite3_bind_int64(FStatement.get(), position, number);
    return *this;
}

bool TSyncStatement::Next()
{
    const int rc = sqlite3_step(FStatement.get());
    if (rc == SQLITE_ROW)
        return true;
    sqlite3_reset(FStatement.get());
    if (rc != SQLITE_DONE)
        Fail(FConnection, QString::fromUtf8(FSql));
    return false;
}

void TSyncStatement::Run()
{
    while (Next()) {
    }
    sqlite3_clear_bindings(FStatement.get());
}

QString TSyncStatement::Text(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(FStatement.get(), column));
    return QString::fromUtf8(text, sqlite3_column_bytes(FStatement.get(), column));
}

QByteArrayView TSyncStatement::Utf8(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(FStatement.get(), column));
    return {text, sqlite3_column_bytes(FStatement.get(), column)};
}

qint64 TSyncStatement::Number(int column) const
{
    return sqlite3_column_int64(FStatement.get(), column);
}

namespace SyncSql {
void Execute(sqlite3* connection, const QString& sql)
{
    const QString error = DatabaseFile::Execute(connection, sql);
    if (!error.isEmpty())
        throw EDBException(error, QString::fromUtf8(SyncHint), sql);
}
} // namespace SyncSql
