#pragma once

#include "data/FileKey.h"
#include "data/Prepared.h"
#include "data/ResultSet.h"
#include "data/Sqlite.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

class TDbWriter;
class TGridSet;
class TQueryCursor;
class TUserDialogs;

// The one connection to the database file AppPath + "bookkeep.dat" and its three result sets:
// QuerySet, shared by every row-reading query (and editable for notes), ScalarSet for single
// numbers, and GridSet, the rows of the address grid.
class TDbAccess final
{
public:
    TDbAccess();
    ~TDbAccess();
    TDbAccess(const TDbAccess&) = delete;
    TDbAccess& operator=(const TDbAccess&) = delete;

    // Opens the database; on failure shows "数据库连接失败！" with the engine's message and
    // leaves the connection closed: the caller ends the program.
    void Connect(TUserDialogs& dialogs);
    // Opens the database with a key; false with the engine's message when it cannot (see
    // DatabaseFile::IsWrongKey for a key that does not fit).
    bool Open(const TFileKey& key, QString* error);
    // What a failure of Open means for the user: what is wrong with which file and what to do,
    // the engine's words below.
    QString OpenFailure(const QString& error) const;
    // Closes the connection and forgets its key, as a lock does; throws while a transaction is
    // open. Nothing reopens it but Open.
    void Disconnect();
    bool Connected() const { return FConnection != nullptr; }
    // The key the file was opened with.
    const TFileKey& Key() const { return FKey; }
    QString DatabasePath() const;

    // Runs a row-returning statement into QuerySet; the current row is the first.
    void OpenQuery(const QString& sql);
    // Runs a row-returning statement to be read a row at a time, over as many turns of the event
    // loop as the reader likes.
    std::unique_ptr<TQueryCursor> OpenCursor(const QString& sql);
    // Field 0 of the first row as an integer; 0 without rows.
    int QueryInteger(const QString& sql);
    // Runs the "@#@"-separated statements of a batch in one transaction.
    void ExecuteBatch(const QString& batch);

    // A value for a prepared statement: a number, or a text already in UTF-8.
    using TBound = TPrepared::TBound;
    qint64 RunPrepared(const char* sql, std::initializer_list<TBound> values);
    qint64 LastInsertRowId() const;

    // Writes on a connection and a thread of its own (made at the first call), for the saves
    // that must never hold up the window. Closing the connection closes the writer's as well,
    // once it has written what it holds.
    TDbWriter& Writer();

    // Copies the database file to a target (backup) or a source over it (restore). Both write
    // through a temporary file beside the destination that is renamed into place. A restore
    // first checks the source (key, schema, journal mode, integrity) and refuses it leaving the
    // database as it was; only then is the current database copied to safetyCopy, when one is
    // named and it is not the source itself. The safety copy before it is kept beside it under a
    // dated name "<name>-yyyyMMdd-hhmmss.<suffix>", the last 10 of them. Failures throw
    // EDBException without a statement; every reason names the file and the system's cause.
    void BackupTo(const QString& target);
    // BackupTo that returns the reason of a failure instead of throwing it.
    QString CopyTo(const QString& target);
    // The source opens with the given key, which the database keeps from then on.
    void RestoreFrom(const QString& source, const QString& safetyCopy = QString(),
                     const TFileKey& key = TFileKey());
    // Writes the database again under another key, with the statements of batch run in the new
    // file (the settings that go with the key), and puts it in place of the old one. A failure
    // leaves the old file and key in use and throws EDBException with the reason.
    void Rekey(const TFileKey& key, const QString& batch);

    // The grid query: the address grid's rows, kept open between calls (the grid control shows
    // them through the set's listener). OpenGrid runs a statement into the set; RequeryGrid runs
    // the same statement again.
    void OpenGrid(const QString& sql);
    void RequeryGrid();

    // Whether the file at the data file's name is still the one open: another program may put
    // a file of its own in its place (a sync program's rename) or take the name away. While
    // the file is closed by Disconnect only a missing one is told; a replaced one is told once
    // the file is open again.
    enum class TFileAtPath
    {
        Same,
        Replaced,
        Missing
    };
    TFileAtPath FileAtPath() const;
    // Copies the open file whole to target through a staged file, whether or not it still has
    // its name; the writer must have nothing in hand. Returns the reason on failure.
    QString CopyOpenFileTo(const QString& target);
    // Gives the open file its name back, over whatever has it now, and goes on with it (once
    // opened again, after Disconnect). A failure throws EDBException.
    void PutOpenFileBack();
    // The connection itself, for work the data layer does not do (a merge); null when closed.
    sqlite3* Handle() const { return FConnection.get(); }

    TResultSet& QuerySet() { return *FQuerySet; }
    TResultSet& ScalarSet() { return *FScalarSet; }
    TGridSet& GridSet() { return *FGridSet; }

private:
    friend class TQueryCursor;
    friend class TWriteTransaction;

    // Reopens a connection that a failed restore left closed; throws with the given headline.
    void EnsureOpen(const QString& headline, const QString& sql);
    // Closes the connection and forgets the rows read through it; throws with the headline
    // while a transaction is open.
    void CloseConnection(const QString& headline);
    void RequireNoTransaction(const QString& headline) const;
    // Closes the connection and gives the data file's name to a staged file (commit renames it
    // into place), the hold on the data file moving with it. On failure the old file stays in
    // use, reopened, and the reason is thrown.
    void ReplaceFile(const QString& staged, const std::function<QString()>& commit,
                     const QString& headline);
    // The writer's connection to the file at path, keyed and set up as the program's own.
    TConnection OpenWriterConnection(const QString& path, QString* error) const;
    // Holds a descriptor of the file just opened at the data file's name, which tells it apart
    // from a file put there later and still reads it once it has lost its name. The file held
    // over a lock stays held when another has taken its name meanwhile.
    void HoldOpenFile();
    void ReleaseOpenFile();

    TConnection FConnection;
    TFileKey FKey;
    bool FDisconnected = false; // closed by Disconnect, not by a failure
    TPrepared FPrepared;        // statements kept prepared on FConnection
    std::unique_ptr<TDbWriter> FWriter;
    std::unique_ptr<TGridSet> FGridSet;
    std::unique_ptr<TResultSet> FScalarSet;
    std::unique_ptr<TResultSet> FQuerySet;
    std::vector<TQueryCursor*> FCursors; // open; ended before the connection closes
    int FOpenFile = -1;                  // see HoldOpenFile
    bool FHeldOverLock = false;          // FOpenFile was held when Disconnect closed the file
};

// A further connection to the data file for work on a thread of its own (the writer's, the
// exchange with other computers), keyed and set up as the program's own; null and the engine's
// message when it cannot be opened.
TConnection OpenWorkingConnection(const QString& path, const TFileKey& key, QString* error);

// The rows of a statement read one at a time, so that a large read can be spread over several
// turns of the event loop. The connection may write meanwhile: a commit leaves the read standing.
// Closing the connection (a restore, the end of the program) ends the cursor first, and a later
// Next throws.
class TQueryCursor final
{
public:
    ~TQueryCursor();
    TQueryCursor(const TQueryCursor&) = delete;
    TQueryCursor& operator=(const TQueryCursor&) = delete;

    // Moves to the next row, the first on the first call; false after the last. A failed read
    // throws EDBException.
    bool Next();
    // A field of the current row, as a result set reads it.
    QVariant Value(int field) const;

private:
    friend class TDbAccess;
    TQueryCursor(TDbAccess* owner, TStatement statement, QString sql);
    void End();

    TDbAccess* FOwner;
    TStatement FStatement;
    QString FSql;
    bool FDone = false;
};

// Cuts a text at every occurrence of the delimiter (exact, case-sensitive); what follows the
// last one is kept even when empty, so a text without the delimiter gives one piece.
QStringList SplitByDelimiter(const QString& text, const QString& delimiter);

// The headlines of the database errors, kept in the source language: the error box translates
// them, the daily log keeps them as they are.
namespace DbHint {
inline constexpr char Connect[] = QT_TRANSLATE_NOOP("DbHint", "数据库连接失败！");
inline constexpr char Query[] = QT_TRANSLATE_NOOP("DbHint", "数据库查询错误，请检查！");
inline constexpr char Batch[] = QT_TRANSLATE_NOOP("DbHint", "数据库操作失败！");
inline constexpr char Backup[] = QT_TRANSLATE_NOOP("DbHint", "数据库备份失败！");
inline constexpr char Restore[] = QT_TRANSLATE_NOOP("DbHint", "数据库恢复失败！");
inline constexpr char Rekey[] =
    QT_TRANSLATE_NOOP("DbHint", "数据文件加密失败，仍在使用原来的文件！");
} // namespace DbHint
