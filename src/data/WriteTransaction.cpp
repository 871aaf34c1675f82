#include "data/WriteTransaction.h"

#include "common/Errors.h"

#include <sqlcipher/sqlite3.h>

namespace {

EDBException Failure(sqlite3* connection, const QString& sql)
{
    return EDBException(EngineMessage(connection), QString::fromUtf16(DbHint::Batch), sql);
}

} // namespace

TWriteTransaction::TWriteTransaction()
{
    const QString begin = QStringLiteral("begin");
    DbAccess->EnsureOpen(QString::fromUtf16(DbHint::Batch), begin);
    FConnection = DbAccess->FConnection.get();
    const QString error = DatabaseFile::Execute(FConnection, begin);
    if (!error.isEmpty())
        throw EDBException(error, QString::fromUtf16(DbHint::Batch), begin);
    FOpen = true;
}

TWriteTransaction::~TWriteTransaction()
{
    FPrepared.clear();
    if (FOpen && !sqlite3_get_autocommit(FConnection))
        DatabaseFile::Execute(FConnection, QStringLiteral("rollback"));
}

void TWriteTransaction::Run(const char* sql, std::initializer_list<TDbAccess::TBound> values)
{
    sqlite3_stmt* statement = nullptr;
    for (const auto& [text, prepared] : FPrepared)
        if (text == sql)
            statement = prepared.get();
    if (!statement) {
        if (sqlite3_prepare_v2(FConnection, sql, -1, &statement, nullptr) != SQLITE_OK) {
            sqlite3_finalize(statement);
            throw Failure(FConnection, QString::fromUtf8(sql));
        }
        FPrepared.emplace_back(sql, TStatement(statement));
    }
    int index = 1;
    for (const TDbAccess::TBound& value : values) {
        if (const QByteArray* text = value.Text())
            sqlite3_bind_text64(statement, index++, text->constData(), sqlite3_uint64(text->size()),
                                SQLITE_STATIC, SQLITE_UTF8);
        else
            sqlite3_bind_int64(statement, index++, value.Number());
    }
    const int rc = sqlite3_step(statement);
    // The texts are bound where they lie: nothing may point at them once the call returns.
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw Failure(FConnection, QString::fromUtf8(sql));
}

void TWriteTransaction::Commit()
{
    FPrepared.clear();
    const QString commit = QStringLiteral("commit");
    const QString error = DatabaseFile::Execute(FConnection, commit);
    if (!error.isEmpty())
        throw EDBException(error, QString::fromUtf16(DbHint::Batch), commit);
    FOpen = false;
}
