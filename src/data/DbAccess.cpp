#include "data/DbAccess.h"

#include "data/DbWriter.h"

#include "common/AppPath.h"
#include "common/Errors.h"
#include "common/Messages.h"
#include "common/TextUtil.h"
#include "data/GridSet.h"
#include "data/Schema.h"
#include "data/Sql.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <sqlcipher/sqlite3.h>

namespace {

// A rollback journal keeps the whole database in its one file after every commit, so a byte
// copy of the file is a complete backup; FULL makes a note durable when its save returns.
// TRUNCATE measured as fast as PERSIST and faster than DELETE, and leaves an empty journal, not
// the last save's pages. The page cache (16 MiB) holds a long note's old and new pages, so a
// keystroke's save reads and journals them without decrypting them from the file again.
constexpr char16_t Durability[] =
    u"PRAGMA journal_mode=TRUNCATE; PRAGMA synchronous=FULL; PRAGMA cache_size=-16384;";

EDBException Failure(const QString& message, const char* hint, const QString& sql)
{
    return EDBException(message, QString::fromUtf8(hint), Sql::WithoutPassword(sql));
}

} // namespace

TDbAccess::TDbAccess()
    : FGridSet(std::make_unique<TGridSet>()), FScalarSet(std::make_unique<TResultSet>()),
      FQuerySet(std::make_unique<TResultSet>())
{}

TDbAccess::~TDbAccess()
{
    for (TQueryCursor* cursor : FCursors) {
        cursor->End();
        cursor->FOwner = nullptr;
    }
    FGridSet.reset();
    FQuerySet.reset();
    FScalarSet.reset();
    FWriter.reset();
    FPrepared.Reset(nullptr);
    FConnection.reset();
    ReleaseOpenFile();
}

QString TDbAccess::DatabasePath() const
{
    return AppPath() + QLatin1String(DatabaseFile::FileName);
}

void TDbAccess::Connect(TUserDialogs& dialogs)
{
    QString error;
    if (!Open(TFileKey(), &error))
        ShowDbError(dialogs, QString::fromUtf8(DbHint::Connect), OpenFailure(error), QString());
}

QString TDbAccess::OpenFailure(const QString& error) const
{
    // What is wrong with which file and what the user can do, the engine's words below.
    return QCoreApplication::translate(
               "DbAccess", "数据文件“%1”%2\n请把它改名留存，再把“备份”文件夹中的一份副本"
                           "或你自己的备份改名为 %3 放到它的位置，然后重新启动 Velmora。"
                           "\n%4")
        .arg(ElidedPath(DatabasePath()), DatabaseFile::Explanation(error),
             QLatin1String(DatabaseFile::FileName), error);
}

bool TDbAccess::Open(const TFileKey& key, QString* error)
{
    // The sets and statements of a connection open before must not outlive it.
    if (FConnection)
        CloseConnection(QString::fromUtf8(DbHint::Connect));
    TConnection connection = DatabaseFile::Open(DatabasePath(), true, error, key);
    if (connection) {
        *error = DatabaseFile::Execute(connection.get(), QString::fromUtf16(Durability));
        // An older file gets the side tables before anything reads it.
        if (error->isEmpty())
            *error = DatabaseSchema::Upgrade(connection.get());
        if (!error->isEmpty())
            connection.reset();
    }
    if (!connection)
        return false;
    FConnection = std::move(connection);
    FPrepared.Reset(FConnection.get());
    HoldOpenFile();
    FKey = key;
    FDisconnected = false;
    return true;
}

void TDbAccess::Disconnect()
{
    {
        // The file stays held: should another program replace it meanwhile, what it had is
        // still there to be merged once the file is opened again.
        const int held = std::exchange(FOpenFile, -1);
        const auto keep = qScopeGuard([this, held] { FOpenFile = held; });
        CloseConnection(QString::fromUtf8(DbHint::Connect));
    }
    FHeldOverLock = FOpenFile >= 0;
    FKey = TFileKey();
    FDisconnected = true;
}

TConnection TDbAccess::OpenWriterConnection(const QString& path, QString* error) const
{
    return OpenWorkingConnection(path, FKey, error);
}

TConnection OpenWorkingConnection(const QString& path, const TFileKey& key, QString* error)
{
    TConnection connection = DatabaseFile::Open(path, false, error, key);
    if (connection)
        *error = DatabaseFile::Execute(connection.get(), QString::fromUtf16(Durability));
    return error->isEmpty() ? std::move(connection) : nullptr;
}

TDbWriter& TDbAccess::Writer()
{
    if (!FWriter)
        // The writer opens its connection on its own thread: the file's path is taken here, as
        // the program's folder must not be read there while this thread may set it.
        FWriter = std::make_unique<TDbWriter>([this, path = DatabasePath()](QString* error) {
            return OpenWriterConnection(path, error);
        });
    return *FWriter;
}

void TDbAccess::EnsureOpen(const QString& headline, const QString& sql)
{
    if (FConnection)
        return;
    // A locked program reads nothing until the password opens the file again.
    if (FDisconnected)
        throw EDBException(QCoreApplication::translate("DbAccess", "数据文件已锁定"), headline,
                           QString());
    QString error;
    TConnection connection = DatabaseFile::Open(DatabasePath(), false, &error, FKey);
    if (connection)
        error = DatabaseFile::Execute(connection.get(), QString::fromUtf16(Durability));
    // A restored file may be an older one.
    if (error.isEmpty())
        error = DatabaseSchema::Upgrade(connection.get());
    if (!error.isEmpty())
        throw EDBException(error, headline, Sql::WithoutPassword(sql));
    FConnection = std::move(connection);
    FPrepared.Reset(FConnection.get());
    HoldOpenFile();
}

void TDbAccess::OpenQuery(const QString& sql)
{
    EnsureOpen(QString::fromUtf8(DbHint::Query), sql);
    const QString error = FQuerySet->Open(FConnection.get(), sql, true);
    if (!error.isEmpty())
        throw Failure(error, DbHint::Query, sql);
}

std::unique_ptr<TQueryCursor> TDbAccess::OpenCursor(const QString& sql)
{
    EnsureOpen(QString::fromUtf8(DbHint::Query), sql);
    QString error;
    TStatement statement = Prepare(FConnection.get(), sql, &error);
    if (!statement)
        throw Failure(error.isEmpty() ? QStringLiteral("not a statement") : error, DbHint::Query,
                      sql);
    std::unique_ptr<TQueryCursor> cursor(new TQueryCursor(this, std::move(statement), sql));
    FCursors.push_back(cursor.get());
    return cursor;
}

TQueryCursor::TQueryCursor(TDbAccess* owner, TStatement statement, QString sql)
    : FOwner(owner), FStatement(std::move(statement)), FSql(std::move(sql))
{}

TQueryCursor::~TQueryCursor()
{
    if (FOwner)
        std::erase(FOwner->FCursors, this);
}

void TQueryCursor::End()
{
    FStatement.reset();
}

bool TQueryCursor::Next()
{
    if (FDone)
        return false;
    if (!FStatement)
        throw Failure(QCoreApplication::translate("DbAccess", "数据库连接已关闭。"), DbHint::Query,
                      FSql);
    const int rc = sqlite3_step(FStatement.get());
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE) {
        // Stepped again, the statement would start over.
        FDone = true;
        End();
        return false;
    }
    const QString error = EngineMessage(sqlite3_db_handle(FStatement.get()));
    End();
    throw Failure(error, DbHint::Query, FSql);
}

QVariant TQueryCursor::Value(int field) const
{
    return FStatement ? FieldValue(FStatement.get(), field) : QVariant();
}

int TDbAccess::QueryInteger(const QString& sql)
{
    EnsureOpen(QString::fromUtf8(DbHint::Query), sql);
    const QString error = FScalarSet->Open(FConnection.get(), sql, false);
    if (!error.isEmpty())
        throw Failure(error, DbHint::Query, sql);
    const QVariant value = FScalarSet->Value(0, 0);
    FScalarSet->Close();

    // The engine would read a text that is not a number as 0; the program wants to know.
    try {
        return TResultSet::ToInteger(value, QStringLiteral("0"));
    } catch (const ECardError&) {
        throw Failure(QCoreApplication::translate("DbAccess", "查询结果不是有效的整数：") +
                          value.toString(),
                      DbHint::Query, sql);
    }
}

void TDbAccess::ExecuteBatch(const QString& batch)
{
    const QStringList pieces = SplitByDelimiter(batch, QString::fromUtf16(BatchDelimiter));
    EnsureOpen(QString::fromUtf8(DbHint::Batch), batch);
    sqlite3* db = FConnection.get();

    QString error = DatabaseFile::Execute(db, QStringLiteral("begin"));
    for (const QString& piece : pieces) {
        if (!error.isEmpty())
            break;
        if (IsBlank(piece))
            continue;
        // The piece runs untrimmed, statement after statement, and whatever it returns is
        // discarded.
        const QByteArray utf8 = piece.toUtf8();
        const char* tail = utf8.constData();
        const char* end = tail + utf8.size();
        while (error.isEmpty() && tail < end) {
            sqlite3_stmt* raw = nullptr;
            if (sqlite3_prepare_v2(db, tail, int(end - tail), &raw, &tail) != SQLITE_OK) {
                error = EngineMessage(db);
                sqlite3_finalize(raw);
                break;
            }
            if (!raw)
                break; // only blanks or a comment remain
            TStatement statement(raw);
            int rc;
            while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
            }
            if (rc != SQLITE_DONE)
                error = EngineMessage(db);
        }
    }
    if (error.isEmpty())
        error = DatabaseFile::Execute(db, QStringLiteral("commit"));
    if (!error.isEmpty()) {
        if (!sqlite3_get_autocommit(db))
            DatabaseFile::Execute(db, QStringLiteral("rollback"));
        throw Failure(error, DbHint::Batch, batch);
    }
}

qint64 TDbAccess::RunPrepared(const char* sql, std::initializer_list<TBound> values)
{
    EnsureOpen(QString::fromUtf8(DbHint::Query), QString::fromUtf8(sql));
    return FPrepared.Run(sql, values);
}

qint64 TDbAccess::LastInsertRowId() const
{
    return FPrepared.LastInsertRowId();
}

QStringList SplitByDelimiter(const QString& text, const QString& delimiter)
{
    QStringList pieces;
    qsizetype from = 0;
    qsizetype at;
    while (!delimiter.isEmpty() && (at = text.indexOf(delimiter, from)) >= 0) {
        pieces << text.mid(from, at - from);
        from = at + delimiter.size();
    }
    pieces << text.mid(from);
    return pieces;
}
