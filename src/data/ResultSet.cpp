#include "data/ResultSet.h"

#include "common/Errors.h"
#include "data/Sqlite.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <sqlcipher/sqlite3.h>

#include <limits>

namespace {

// A long text is kept as the engine's UTF-8 until it is read: a row that is fetched only to be
// edited (a note saved on a keystroke) never pays for decoding its text.
struct TUtf8Text
{
    QByteArray Bytes;
};
constexpr int EagerTextBytes = 4096;

QVariant ColumnValue(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        const int bytes = sqlite3_column_bytes(statement, column);
        if (bytes > EagerTextBytes)
            return QVariant::fromValue(TUtf8Text{QByteArray(text, bytes)});
        return QVariant(QString::fromUtf8(text, bytes));
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(statement, column)));
    }
    default:
        return {};
    }
}

QVariant Decoded(const QVariant& value)
{
    if (value.metaType() == QMetaType::fromType<TUtf8Text>())
        return QVariant(QString::fromUtf8(value.value<TUtf8Text>().Bytes));
    return value;
}

// Binds a value for a post; the text is bound as it stands, so nothing in it is interpreted.
int Bind(sqlite3_stmt* statement, int index, const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return sqlite3_bind_null(statement, index);
    case QMetaType::Int:
    case QMetaType::LongLong:
        return sqlite3_bind_int64(statement, index, value.toLongLong());
    default: {
        const QByteArray utf8 = value.toString().toUtf8();
        return sqlite3_bind_text64(statement, index, utf8.constData(), sqlite3_uint64(utf8.size()),
                                   SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    }
}

QString QuotedIdentifier(const QString& name)
{
    QString copy = name;
    return QLatin1Char('"') + copy.replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

// "select <fields> from <one table> <rest>": the shape whose rows can be edited.
const QRegularExpression& SingleTableSelect()
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*select\\s+(?!distinct\\b)(.+?)\\s+from\\s+([A-Za-z_][A-Za-z0-9_]*)"
                       "(\\s.*)?$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    return pattern;
}

} // namespace

QString TResultSet::Open(sqlite3* connection, const QString& sql, bool updatable)
{
    RowsAboutToChange();
    Clear();
    const QString error = Fetch(connection, sql, updatable);
    if (!error.isEmpty())
        Clear();
    RowsChanged();
    return error;
}

QString TResultSet::Fetch(sqlite3* connection, const QString& sql, bool updatable)
{
    QString error;
    TStatement statement;
    QString table;
    QStringList columns;

    if (updatable) {
        const QRegularExpressionMatch match = SingleTableSelect().match(sql);
        if (match.hasMatch()) {
            const QString withRowId = QStringLiteral("select _rowid_, ") + match.captured(1) +
                                      QStringLiteral(" from ") + match.captured(2) +
                                      match.captured(3);
            statement = Prepare(connection, withRowId, &error);
            table = match.captured(2);
            // Every field must come straight from a column of that table.
            const int count = statement ? sqlite3_column_count(statement.get()) : 0;
            for (int i = 1; statement && i < count; ++i) {
                const char* origin = sqlite3_column_table_name(statement.get(), i);
                const char* column = sqlite3_column_origin_name(statement.get(), i);
                if (!origin || !column ||
                    QString::fromUtf8(origin).compare(table, Qt::CaseInsensitive) != 0)
                    statement.reset();
                else
                    columns << QString::fromUtf8(column);
            }
            if (!statement) {
                table.clear();
                columns.clear();
            }
        }
    }
    const int firstField = statement ? 1 : 0;
    if (!statement) {
        statement = Prepare(connection, sql, &error);
        if (!statement)
            return error.isEmpty() ? QStringLiteral("not a statement") : error;
    }

    sqlite3_stmt* raw = statement.get();
    const int columnCount = sqlite3_column_count(raw);
    for (int i = firstField; i < columnCount; ++i)
        FFieldNames << QString::fromUtf8(sqlite3_column_name(raw, i));

    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        FOrder.push_back(int(FRowIds.size()));
        FRowIds.push_back(firstField ? sqlite3_column_int64(raw, 0) : 0);
        for (int i = firstField; i < columnCount; ++i)
            FCells.append(ColumnValue(raw, i));
    }
    if (rc != SQLITE_DONE)
        return EngineMessage(connection);
    // The arrays grew by doubling: what the rows do not use goes back.
    FCells.squeeze();
    FRowIds.shrink_to_fit();
    FOrder.shrink_to_fit();
    FConnection = connection;
    FStatement = sql;
    FTable = table;
    FColumnNames = columns;
    FActive = true;
    return {};
}

void TResultSet::Close()
{
    RowsAboutToChange();
    Clear();
    RowsChanged();
}

void TResultSet::Clear()
{
    FConnection = nullptr;
    FActive = false;
    FStatement.clear();
    FTable.clear();
    FFieldNames.clear();
    FColumnNames.clear();
    // Assigned afresh rather than cleared: a clear keeps the capacity of the largest result the
    // set ever held.
    FCells = {};
    FRowIds = {};
    FOrder = {};
    FCurrent = 0;
    FState = TState::Browse;
    FPending.clear();
}

void TResultSet::Next()
{
    if (FCurrent < RecordCount()) {
        ++FCurrent;
        CurrentRowMoved();
    }
}

void TResultSet::SetCurrentRow(int row)
{
    const int bounded = qBound(0, row, RecordCount());
    if (bounded == FCurrent)
        return;
    FCurrent = bounded;
    CurrentRowMoved();
}

int TResultSet::FindField(const QString& name) const
{
    for (int i = 0; i < FieldCount(); ++i)
        if (FFieldNames.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int TResultSet::FieldOrThrow(const QString& name) const
{
    const int field = FindField(name);
    if (field < 0)
        throw ECardError(QCoreApplication::translate("ResultSet", "找不到字段：") + name);
    return field;
}

QVariant TResultSet::Value(int row, int field) const
{
    if (row < 0 || row >= RecordCount() || field < 0 || field >= FieldCount())
        return {};
    return Decoded(FCells.at(FirstCell(row) + field));
}

QVariant FieldValue(sqlite3_stmt* statement, int column)
{
    return Decoded(ColumnValue(statement, column));
}

QVariant TResultSet::CurrentValue(int field) const
{
    if (FState != TState::Browse)
        for (const auto& [index, value] : FPending)
            if (index == field)
                return value;
    if (FState == TState::Insert)
        return {};
    return Value(FCurrent, field);
}

int TResultSet::AsInteger(const QString& field) const
{
    return ToInteger(CurrentValue(FieldOrThrow(field)), field);
}

QString TResultSet::AsString(const QString& field) const
{
    return CurrentValue(FieldOrThrow(field)).toString();
}

bool TResultSet::AsBoolean(const QString& field) const
{
    return ToBoolean(CurrentValue(FieldOrThrow(field)), field);
}

int TResultSet::AsInteger(int position) const
{
    if (position < 0 || position >= FieldCount())
        throw ECardError(QCoreApplication::translate("ResultSet", "找不到字段：") +
                         QString::number(position));
    return ToInteger(CurrentValue(position), QString::number(position));
}

QString TResultSet::AsString(int position) const
{
    if (position < 0 || position >= FieldCount())
        throw ECardError(QCoreApplication::translate("ResultSet", "找不到字段：") +
                         QString::number(position));
    return CurrentValue(position).toString();
}

std::optional<int> TResultSet::IntegerOf(const QVariant& value)
{
    bool ok = true;
    qint64 number = 0;
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return 0;
    case QMetaType::LongLong:
        number = value.toLongLong();
        break;
    case QMetaType::Double: {
        const double real = value.toDouble();
        ok = real >= std::numeric_limits<int>::min() && real <= std::numeric_limits<int>::max();
        number = ok ? qRound64(real) : 0;
        break;
    }
    case QMetaType::QString:
        number = value.toString().trimmed().toLongLong(&ok);
        break;
    default:
        ok = false;
    }
    if (!ok || number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(number);
}

int TResultSet::ToInteger(const QVariant& value, const QString& field)
{
    const std::optional<int> number = IntegerOf(value);
    if (!number)
        throw ECardError(QCoreApplication::translate("ResultSet", "字段 %1 的值不是有效的整数：%2")
                             .arg(field, value.toString()));
    return *number;
}

std::optional<bool> TResultSet::BooleanOf(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return false;
    case QMetaType::LongLong:
        return value.toLongLong() != 0;
    case QMetaType::Double:
        return value.toDouble() != 0.0;
    case QMetaType::QString: {
        const QString text = value.toString().trimmed().toLower();
        if (text.isEmpty() || text == QLatin1String("false") || text == QLatin1String("no"))
            return false;
        if (text == QLatin1String("true") || text == QLatin1String("yes"))
            return true;
        bool ok = false;
        const qint64 number = text.toLongLong(&ok);
        if (ok)
            return number != 0;
        break;
    }
    default:
        break;
    }
    return std::nullopt;
}

bool TResultSet::ToBoolean(const QVariant& value, const QString& field)
{
    const std::optional<bool> yes = BooleanOf(value);
    if (!yes)
        throw ECardError(
            QCoreApplication::translate("ResultSet", "字段 %1 的值不是有效的是/否值：%2")
                .arg(field, value.toString()));
    return *yes;
}

void TResultSet::Edit()
{
    if (!CanModify())
        throw ECardError(QCoreApplication::translate("ResultSet", "数据集不能修改"));
    if (Eof())
        throw ECardError(QCoreApplication::translate("ResultSet", "没有可修改的记录"));
    FState = TState::Edit;
    FPending.clear();
}

void TResultSet::Append()
{
    if (!CanModify())
        throw ECardError(QCoreApplication::translate("ResultSet", "数据集不能修改"));
    FState = TState::Insert;
    FPending.clear();
}

void TResultSet::SetValue(const QString& field, QVariant value)
{
    if (FState == TState::Browse)
        throw ECardError(QCoreApplication::translate("ResultSet", "数据集不在编辑状态"));
    const int index = FieldOrThrow(field);
    for (auto& pending : FPending)
        if (pending.first == index) {
            pending.second = std::move(value);
            return;
        }
    FPending.emplace_back(index, std::move(value));
}

void TResultSet::SetInteger(const QString& field, int value)
{
    SetValue(field, QVariant(qlonglong(value)));
}

void TResultSet::SetString(const QString& field, const QString& value)
{
    SetValue(field, QVariant(value));
}

void TResultSet::Cancel()
{
    FState = TState::Browse;
    FPending.clear();
}

void TResultSet::Post()
{
    if (FState == TState::Browse)
        return;
    QStringList names;
    QStringList marks;
    for (const auto& pending : FPending) {
        names << QuotedIdentifier(FColumnNames.at(pending.first));
        marks << QStringLiteral("?");
    }
    QString sql;
    if (FState == TState::Insert) {
        sql = names.isEmpty()
                  ? QStringLiteral("insert into %1 default values").arg(FTable)
                  : QStringLiteral("insert into %1(%2) values(%3)")
                        .arg(FTable, names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    } else {
        if (FPending.empty()) {
            Cancel();
            return;
        }
        QStringList assignments;
        for (const QString& name : names)
            assignments << name + QStringLiteral("=?");
        sql = QStringLiteral("update %1 set %2 where _rowid_=?")
                  .arg(FTable, assignments.join(QLatin1Char(',')));
    }

    QString error;
    TStatement statement = Prepare(FConnection, sql, &error);
    if (!statement)
        throw ECardError(error);
    int index = 1;
    for (const auto& pending : FPending)
        Bind(statement.get(), index++, pending.second);
    if (FState == TState::Edit)
        sqlite3_bind_int64(statement.get(), index, FRowIds.at(size_t(FOrder.at(size_t(FCurrent)))));
    if (sqlite3_step(statement.get()) != SQLITE_DONE)
        throw ECardError(EngineMessage(FConnection));

    RowsAboutToChange();
    if (FState == TState::Insert) {
        FOrder.push_back(int(FRowIds.size()));
        FRowIds.push_back(sqlite3_last_insert_rowid(FConnection));
        for (int i = 0; i < FieldCount(); ++i)
            FCells.append(QVariant());
        FCurrent = RecordCount() - 1;
    }
    const qsizetype base = FirstCell(FCurrent);
    for (const auto& pending : FPending)
        FCells[base + pending.first] = pending.second;
    Cancel();
    RowsChanged();
}

void TResultSet::ReorderRows(const std::vector<int>& order)
{
    std::vector<int> fetched;
    fetched.reserve(order.size());
    for (const int row : order)
        fetched.push_back(FOrder.at(size_t(row)));
    FOrder = std::move(fetched);
}
