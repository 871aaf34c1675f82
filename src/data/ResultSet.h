#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// The rows of the last statement run into it, held in memory. Fields are found by name (letter
// case ignored) or position; a NULL field, or any field when there is no current row, reads as
// 0, "" or false. A set over one table can also edit its current row or append one; a post
// writes the row at once.
class TResultSet
{
public:
    TResultSet() = default;
    virtual ~TResultSet() = default;
    TResultSet(const TResultSet&) = delete;
    TResultSet& operator=(const TResultSet&) = delete;

    // Runs a statement and fetches all its rows; the current row is the first. Returns the
    // engine's message, or an empty text on success. On failure the set is left closed.
    // With updatable set, a select from one table also fetches each row's rowid, so that rows
    // can be edited and appended.
    QString Open(sqlite3* connection, const QString& sql, bool updatable);
    void Close();

    bool Active() const { return FActive; }
    const QString& Statement() const { return FStatement; }
    bool CanModify() const { return !FTable.isEmpty(); }

    // Rows.
    int RecordCount() const { return int(FRowIds.size()); }
    bool IsEmpty() const { return FRowIds.empty(); }
    bool Eof() const { return FCurrent >= RecordCount(); }
    void First() { SetCurrentRow(0); }
    void Next();
    int CurrentRow() const { return FCurrent; } // 0-based; RecordCount() past the last row
    void SetCurrentRow(int row);
    // The current row's rowid in an updatable set; 0 when there is no current row.
    qint64 RowId() const { return Eof() ? 0 : FRowIds[size_t(FOrder[size_t(FCurrent)])]; }

    // Fields.
    int FieldCount() const { return int(FFieldNames.size()); }
    const QStringList& FieldNames() const { return FFieldNames; }
    int FindField(const QString& name) const; // -1 when there is none
    QVariant Value(int row, int field) const;

    int AsInteger(const QString& field) const;
    QString AsString(const QString& field) const;
    bool AsBoolean(const QString& field) const;
    int AsInteger(int position) const;
    QString AsString(int position) const;

    // Editing (sets over one table only).
    void Edit();
    void Append();
    void SetInteger(const QString& field, int value);
    void SetString(const QString& field, const QString& value);
    // Writes the edited or appended row to its table; a failure throws the plain error with the
    // engine's message and leaves the set in its editing state.
    void Post();
    void Cancel();

    // Converting a stored value; shared with callers that read single values.
    static int ToInteger(const QVariant& value, const QString& field);
    static bool ToBoolean(const QVariant& value, const QString& field);
    // The same without the error: nothing when the value is not one.
    static std::optional<int> IntegerOf(const QVariant& value);
    static std::optional<bool> BooleanOf(const QVariant& value);

protected:
    // Puts the rows into a new order: order[i] is the old index of the row that becomes row i.
    // Notifies nothing; the caller does.
    void ReorderRows(const std::vector<int>& order);
    // The position a row had when it was fetched (appended rows count after the fetched ones).
    int FetchedRow(int row) const { return FOrder[size_t(row)]; }

    // Called around every change of the rows (open, close, post) and after the current row
    // moved, so that a set shown in a view can keep the view in step.
    virtual void RowsAboutToChange() {}
    virtual void RowsChanged() {}
    virtual void CurrentRowMoved() {}

private:
    enum class TState
    {
        Browse,
        Edit,
        Insert
    };

    QString Fetch(sqlite3* connection, const QString& sql, bool updatable);
    void Clear();
    qsizetype FirstCell(int row) const { return qsizetype(FOrder[size_t(row)]) * FieldCount(); }
    int FieldOrThrow(const QString& name) const;
    QVariant CurrentValue(int field) const;
    void SetValue(const QString& field, QVariant value);

    sqlite3* FConnection = nullptr;
    bool FActive = false;
    QString FStatement;
    QString FTable;           // the one table of an updatable set, else empty
    QStringList FFieldNames;  // as the statement names them
    QStringList FColumnNames; // the table columns behind them (updatable sets)
    // The rows as fetched (appended rows at the end); FOrder puts them in the order shown, so
    // that sorting moves row numbers rather than values.
    QList<QVariant> FCells;      // row-major, in fetched order
    std::vector<qint64> FRowIds; // one per row; 0 in sets that are not updatable
    std::vector<int> FOrder;     // row -> fetched row
    int FCurrent = 0;

    TState FState = TState::Browse;
    std::vector<std::pair<int, QVariant>> FPending; // fields set since Edit or Append
};

// A field of a statement's current row as a result set holds it once read: NULL as an invalid
// value, then a number, a text or bytes.
QVariant FieldValue(sqlite3_stmt* statement, int column);
