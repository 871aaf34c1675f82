#include "data/Prepared.h"

#include "common/Errors.h"
#include "data/DbAccess.h"
#include "data/Sql.h"

#include <QCoreApplication>
#include <sqlcipher/sqlite3.h>

void TPrepared::Reset(sqlite3* connection)
{
    FStatements.clear();
    FConnection = connection;
}

qint64 TPrepared::Run(const char* sql, std::initializer_list<TBound> values)
{
    const auto failure = [sql](const QString& message) {
        return EDBException(message, QString::fromUtf8(DbHint::Query), QString::fromUtf8(sql));
    };
    if (!FConnection)
        throw failure(QCoreApplication::translate("Prepared", "数据库连接已关闭。"));
    sqlite3_stmt* statement = nullptr;
    for (const auto& [text, prepared] : FStatements)
        if (text == sql)
            statement = prepared.get();
    if (!statement) {
        if (sqlite3_prepare_v2(FConnection, sql, -1, &statement, nullptr) != SQLITE_OK) {
            sqlite3_finalize(statement);
            throw failure(EngineMessage(FConnection));
        }
        FStatements.emplace_back(sql, TStatement(statement));
    }
    int index = 1;
    for (const TBound& value : values) {
        if (const QByteArray* text = value.Text())
            sqlite3_bind_text64(statement, index++, text->constData(), sqlite3_uint64(text->size()),
                                SQLITE_STATIC, SQLITE_UTF8);
        else
            sqlite3_bind_int64(statement, index++, value.Number());
    }
    const int rc = sqlite3_step(statement);
    const qint64 result =
        rc == SQLITE_ROW    ? sqlite3_column_int64(statement, 0)
        : rc == SQLITE_DONE ? (sqlite3_stmt_readonly(statement) ? 0 : sqlite3_changes(FConnection))
                            : 0;
    const QString error =
        rc == SQLITE_ROW || rc == SQLITE_DONE ? QString() : EngineMessage(FConnection);
    // The texts are bound where they lie: nothing may point at them once the call returns.
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (!error.isEmpty())
        throw failure(error);
    return result;
}

qint64 TPrepared::LastInsertRowId() const
{
    return FConnection ? sqlite3_last_insert_rowid(FConnection) : 0;
}
