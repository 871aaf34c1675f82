#pragma once

#include "data/ResultSet.h"
#include "data/Sqlite.h"

#include <QString>
#include <QStringList>

#include <memory>

// The one connection to the database file AppPath + "bookkeep.dat" and its three result sets:
// QuerySet, shared by every row-reading query (and editable for notes), ScalarSet for single
// numbers, and GridSet, the rows of the address grid.
class TDbAccess final
{
public:
    // The new object becomes the program's DbAccess.
    TDbAccess();
    ~TDbAccess();
    TDbAccess(const TDbAccess&) = delete;
    TDbAccess& operator=(const TDbAccess&) = delete;

    // Opens the database; on failure shows "数据库连接失败！" with the engine's message and
    // leaves the connection closed: the caller ends the program.
    void Connect();
    bool Connected() const { return FConnection != nullptr; }
    QString DatabasePath() const;

    // Runs a row-returning statement into QuerySet; the current row is the first.
    void OpenQuery(const QString& sql);
    // Field 0 of the first row as an integer; 0 without rows.
    int QueryInteger(const QString& sql);
    // Runs the "@#@"-separated statements of a batch in one transaction.
    void ExecuteBatch(const QString& batch);

    TResultSet& QuerySet() { return *FQuerySet; }
    TResultSet& ScalarSet() { return *FScalarSet; }
    TResultSet& GridSet() { return *FGridSet; }

private:
    // Reopens a connection that a failed restore left closed; throws with the given headline.
    void EnsureOpen(const QString& headline, const QString& sql);

    TConnection FConnection;
    std::unique_ptr<TResultSet> FGridSet;
    std::unique_ptr<TResultSet> FScalarSet;
    std::unique_ptr<TResultSet> FQuerySet;
};

// The program's one TDbAccess while it exists.
extern TDbAccess* DbAccess;

void DbExecute(const QString& batch);
int DbQueryInteger(const QString& sql);

// Cuts a text at every occurrence of the delimiter (exact, case-sensitive); what follows the
// last one is kept even when empty, so a text without the delimiter gives one piece.
QStringList SplitByDelimiter(const QString& text, const QString& delimiter);

// The headlines of the database errors.
namespace DbHint {
inline constexpr char16_t Connect[] = u"数据库连接失败！";
inline constexpr char16_t Query[] = u"数据库查询错误，请检查！";
inline constexpr char16_t Batch[] = u"数据库操作失败！";
inline constexpr char16_t Backup[] = u"数据库备份失败！";
inline constexpr char16_t Restore[] = u"数据库恢复失败！";
} // namespace DbHint
