#include "data/BoundStatement.h"

#include "common/Errors.h"

#include <sqlcipher/sqlite3.h>

TBoundStatement::TBoundStatement(sqlite3* connection, const QString& sql, const char* hint)
    : FConnection(connection), FSql(sql.toUtf8()), FHint(hint)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(connection, FSql.constData(), int(FSql.size()), &raw, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(raw);
        Fail();
    }
    FStatement.reset(raw);
}

void TBoundStatement::Fail() const
{
    throw EDBException(EngineMessage(FConnection), QString::fromUtf8(FHint),
                       QString::fromUtf8(FSql));
}

TBoundStatement& TBoundStatement::Bind(int position, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text64(FStatement.get(), position, utf8.constData(), sqlite3_uint64(utf8.size()),
                        SQLITE_TRANSIENT, SQLITE_UTF8);
    return *this;
}

TBoundStatement& TBoundStatement::BindUtf8(int position, QByteArrayView utf8)
{
    sqlite3_bind_text64(FStatement.get(), position, utf8.data(), sqlite3_uint64(utf8.size()),
                        SQLITE_TRANSIENT, SQLITE_UTF8);
    return *this;
}

TBoundStatement& TBoundStatement::BindBlob(int position, QByteArrayView bytes)
{
    sqlite3_bind_blob64(FStatement.get(), position, bytes.data(), sqlite3_uint64(bytes.size()),
                        SQLITE_TRANSIENT);
    return *this;
}

TBoundStatement& TBoundStatement::Bind(int position, qint64 number)
{
    sqlite3_bind_int64(FStatement.get(), position, number);
    return *this;
}

bool TBoundStatement::Next()
{
    const int rc = sqlite3_step(FStatement.get());
    if (rc == SQLITE_ROW)
        return true;
    sqlite3_reset(FStatement.get());
    if (rc != SQLITE_DONE)
        Fail();
    return false;
}

void TBoundStatement::Run()
{
    while (Next()) {
    }
    sqlite3_clear_bindings(FStatement.get());
}

void TBoundStatement::Reset()
{
    sqlite3_reset(FStatement.get());
}

QString TBoundStatement::Text(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(FStatement.get(), column));
    return QString::fromUtf8(text, sqlite3_column_bytes(FStatement.get(), column));
}

QByteArrayView TBoundStatement::Utf8(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(FStatement.get(), column));
    return {text, sqlite3_column_bytes(FStatement.get(), column)};
}

QByteArray TBoundStatement::Blob(int column) const
{
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(FStatement.get(), column));
    return QByteArray(bytes, sqlite3_column_bytes(FStatement.get(), column));
}

qint64 TBoundStatement::Number(int column) const
{
    return sqlite3_column_int64(FStatement.get(), column);
}
