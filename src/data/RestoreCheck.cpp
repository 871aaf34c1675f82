#include "data/RestoreCheck.h"

#include "common/TextUtil.h"
#include "data/ResultSet.h"
#include "data/Schema.h"
#include "data/Sqlite.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlcipher/sqlite3.h>

#include <optional>

namespace RestoreCheck {
QString Refusal(const QString& path, const QString& what, const QString& detail)
{
    QString text = QCoreApplication::translate("RestoreCheck", "备份文件“%1”%2%3")
                       .arg(ElidedPath(path), what,
                            QCoreApplication::translate("RestoreCheck", "请选择另一个备份文件。"));
    if (!detail.isEmpty())
        text += QLatin1Char('\n') + detail;
    return text;
}

namespace {

// A column the program reads as a number, and whether as a yes/no value.
struct TNumberColumn
{
    const char* Table;
    const char* Column;
    bool Boolean;
};

// Every column that a load or a command reads as a number: the group numbers, the addresses' and
// notes' group numbers, the addresses' own numbers and the login switch.
constexpr TNumberColumn NumberColumns[] = {
    {"IEType", "SelfIndex", false},
    {"IEType", "ParentIndex", false},
    {"NoteType", "SelfIndex", false},
    {"NoteType", "ParentIndex", false},
    {"IE", "ID", false},
    {"IE", "TypeID", false},
    {"NoteBook", "TypeID", false},
    {"SysSet", "bPass", true},
};

// The first value of a number column the program could not read; empty when there is none.
QString UnreadableNumber(sqlite3* connection, const QString& path, const TNumberColumn& column,
                         QString* error)
{
    // Whole numbers in range are the rule and need no closer look.
    const QString sql =
        QStringLiteral("select rowid, \"%2\" from \"%1\" where not (\"%2\" is null or "
                       "(typeof(\"%2\") = 'integer' and \"%2\" between -2147483648 and "
                       "2147483647)) order by rowid")
            .arg(QLatin1String(column.Table), QLatin1String(column.Column));
    const TStatement statement = Prepare(connection, sql, error);
    if (!statement)
        return {};
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        const QVariant value = FieldValue(statement.get(), 1);
        const bool readable = column.Boolean ? TResultSet::BooleanOf(value).has_value()
                                             : TResultSet::IntegerOf(value).has_value();
        if (!readable)
            return Refusal(
                path,
                QCoreApplication::translate("RestoreCheck",
                                            "的表 %1 第 %2 行的 %3 值“%4”不是%5，程序无法读取它。")
                    .arg(QLatin1String(column.Table))
                    .arg(sqlite3_column_int64(statement.get(), 0))
                    .arg(QLatin1String(column.Column), ElidedText(value.toString(), 40),
                         column.Boolean
                             ? QCoreApplication::translate("RestoreCheck", "是/否值")
                             : QCoreApplication::translate("RestoreCheck", " 32 位范围内的整数")),
                QString());
    }
    if (rc != SQLITE_DONE)
        *error = EngineMessage(connection);
    return {};
}

// Two groups of a table under one number, which the program could not tell apart: one would
// show and change the other's contents. Empty when every number is a group's own.
QString DuplicateGroup(sqlite3* connection, const QString& path, const char* table, QString* error)
{
    const QString sql = QStringLiteral("select rowid, cast(SelfIndex as integer) as number from "
                                       "\"%1\" where SelfIndex is not null order by number, rowid")
                            .arg(QLatin1String(table));
    const TStatement statement = Prepare(connection, sql, error);
    if (!statement)
        return {};
    qint64 previousRow = 0;
    std::optional<qint64> previous;
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        const qint64 row = sqlite3_column_int64(statement.get(), 0);
        const qint64 number = sqlite3_column_int64(statement.get(), 1);
        if (previous == number)
            return Refusal(path,
                           QCoreApplication::translate("RestoreCheck", "中有编号相同的分组。"),
                           QCoreApplication::translate("RestoreCheck",
                                                       "分组编号重复：%1 第 %2 行与第 %3 行都是 %4")
                               .arg(QLatin1String(table))
                               .arg(previousRow)
                               .arg(row)
                               .arg(number));
        previous = number;
        previousRow = row;
    }
    if (rc != SQLITE_DONE)
        *error = EngineMessage(connection);
    return {};
}

} // namespace

QString LogBeside(const QString& path)
{
    if (QFileInfo(path + QStringLiteral("-wal")).size() == 0)
        return {};
    return Refusal(path,
                   QCoreApplication::translate(
                       "RestoreCheck", "旁边有它的 WAL 日志文件，其中的改动不在这个文件里。"),
                   QDir::toNativeSeparators(path) + QStringLiteral("-wal"));
}

QString Unopened(const QString& path, const QString& engineMessage)
{
    // An engine's file without the program's key reads as a plain database.
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3\0", 16))
        return Refusal(path,
                       QCoreApplication::translate(
                           "RestoreCheck", "是未加密的 SQLite 数据库，不是 Velmora 的数据文件。"),
                       engineMessage);
    return Refusal(path, DatabaseFile::Explanation(engineMessage), engineMessage);
}

QString Problem(sqlite3* connection, const QString& path)
{
    QString error = DatabaseSchema::Difference(connection);
    if (!error.isEmpty())
        return Refusal(
            path,
            QCoreApplication::translate("RestoreCheck",
                                        "的表和索引与 Velmora 的不同，不是 Velmora 的数据文件。"),
            error);
    for (const TNumberColumn& column : NumberColumns) {
        const QString problem = UnreadableNumber(connection, path, column, &error);
        if (!problem.isEmpty())
            return problem;
        if (!error.isEmpty())
            return Refusal(path, DatabaseFile::Explanation(error), error);
    }
    for (const char* table : {"NoteType", "IEType"}) {
        const QString problem = DuplicateGroup(connection, path, table, &error);
        if (!problem.isEmpty())
            return problem;
        if (!error.isEmpty())
            return Refusal(path, DatabaseFile::Explanation(error), error);
    }
    const QStringList verdict = DatabaseFile::IntegrityVerdict(connection, &error);
    if (!error.isEmpty())
        return Refusal(path, DatabaseFile::Explanation(error), error);
    if (verdict != QStringList(QStringLiteral("ok")))
        return Refusal(path, DatabaseFile::Explanation(QStringLiteral("malformed")),
                       QStringLiteral("database disk image is malformed: ") +
                           ElidedText(verdict.join(QStringLiteral("; ")), 300));
    return {};
}

} // namespace RestoreCheck
