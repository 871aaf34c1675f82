#pragma once

#include "data/FileKey.h"

#include <QString>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// Owners of the engine's handles: a statement is finalized and a connection closed when its
// owner goes, on every path.
struct TStatementFinalizer
{
    void operator()(sqlite3_stmt* statement) const noexcept;
};
using TStatement = std::unique_ptr<sqlite3_stmt, TStatementFinalizer>;

struct TConnectionCloser
{
    void operator()(sqlite3* connection) const noexcept;
};
using TConnection = std::unique_ptr<sqlite3, TConnectionCloser>;

// The engine's message for the last failure on a connection.
QString EngineMessage(sqlite3* connection);

// Prepares the first statement of a text; sets error and returns null on failure. A text holding
// no statement (blanks, a comment) gives null with an empty error.
TStatement Prepare(sqlite3* connection, const QString& sql, QString* error);

// The database file of a fresh installation and of every backup: SQLCipher, keyed with the
// program's fixed database password.
namespace DatabaseFile {

inline constexpr char FileName[] = "bookkeep.dat";

// The five tables the program works on.
const QStringList& RequiredTables();

// Opens an existing file (never creates one), keys it and proves the key by reading the schema.
// When checkWhole is set the whole file is read as well, so that a truncated or damaged file is
// refused here rather than at some later query. On failure returns null and the engine's
// message in error.
TConnection Open(const QString& path, bool checkWhole, QString* error,
                 const TFileKey& key = TFileKey());

// Whether an error of Open says that the key opens no page of the file: another key, or no
// database at all.
bool IsWrongKey(const QString& error);

// The same without any right to write: the file and its folder stay as they are. For a file the
// program is to check before it uses it.
TConnection OpenReadOnly(const QString& path, QString* error, const TFileKey& key = TFileKey());

// What an engine's message means for the user, in a sentence: "这不是 Velmora 的数据文件，或它用
// 别的密码加密。" for a file the key does not open, and so on.
QString Explanation(const QString& engineMessage);

// Creates a new keyed file; for the database maker only.
TConnection Create(const QString& path, QString* error);

// The lines of the engine's integrity check of the whole file: "ok" alone for a sound one. On a
// failure to check, the engine's message in error.
QStringList IntegrityVerdict(sqlite3* connection, QString* error);

// Runs statements without rows; returns the engine's message or an empty text.
QString Execute(sqlite3* connection, const QString& sql);

// A number that changes whenever another connection commits a change to the file (PRAGMA
// data_version); -1 when it cannot be read.
qint64 DataVersion(sqlite3* connection);

} // namespace DatabaseFile
