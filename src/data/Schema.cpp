#include "data/Schema.h"

#include "data/Sqlite.h"

#include <QCoreApplication>
#include <QMap>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <iterator>

#include <sqlcipher/sqlite3.h>

namespace DatabaseSchema {
namespace {

constexpr char16_t Statements[] =
    u"create table IEType (SelfIndex integer, ParentIndex integer, TypeName text);"
    u"create table NoteType (SelfIndex integer, ParentIndex integer, TypeName text);"
    u"create table IE (ID integer primary key, TypeID integer, IEUrl text, "
    u"IEName text, ReMark text);"
    u"create table NoteBook (TypeID integer, ReMark text);"
    u"create table SysSet (bPass boolean, PassWord text);"
    u"create index IEType_SelfIndex on IEType (SelfIndex);"
    u"create index NoteType_SelfIndex on NoteType (SelfIndex);"
    u"create index IE_TypeID on IE (TypeID);"
    u"create index NoteBook_TypeID on NoteBook (TypeID);";

// The side tables, by the schema version that brought them; a file of version n has the
// statements of the versions up to n run in it.
constexpr const char16_t* SideStatements[] = {
    // 1: what keeps copies on several computers in step. Each row of the group, address and note
    // tables has a stable id shared by every copy, the changes each computer made to it (a
    // version vector), when it last changed and a hash of its content, keyed by the row's own
    // number in its table; deleted rows leave a record, and the content both sides last agreed
    // on is kept for merging.
    u"create table SyncDataSet (DataSetId text not null, FormatVersion integer not null);"
    u"create table SyncRow (TableName text not null, LocalKey integer not null, "
    u"RowId text not null, Versions text not null, Changed integer not null, "
    u"Hash text not null, primary key (TableName, LocalKey));"
    u"create unique index SyncRow_RowId on SyncRow (TableName, RowId);"
    u"create table SyncDeletion (TableName text not null, RowId text not null, "
    u"Versions text not null, Deleted integer not null, primary key (TableName, RowId));"
    u"create table SyncAgreed (TableName text not null, RowId text not null, "
    u"Content text not null, primary key (TableName, RowId));",
    // 2: what this computer keeps against the user's own mistakes, never merged into another
    // copy. Earlier versions of each note (the text compressed, its length and first line kept
    // beside it so that a list needs no unpacking); a version whose note went into the recycle
    // bin carries the bin item. The recycle bin: what one deletion took (a group with its
    // content, or an address), where it was, and the rows it took, each as a JSON object of
    // its columns.
    u"create table NoteHistory (VersionId integer primary key, TypeID integer not null, "
    u"Saved integer not null, Length integer not null, FirstLine text not null, "
    u"Content blob not null, BinItem integer);"
    u"create index NoteHistory_TypeID on NoteHistory (TypeID, Saved);"
    u"create table RecycleBin (ItemId integer primary key, TableName text not null, "
    u"What text not null, Place text not null, ParentIndex integer not null, "
    u"Deleted integer not null);"
    u"create table RecycleBinRow (ItemId integer not null, TableName text not null, "
    u"Content text not null);"
    u"create index RecycleBinRow_ItemId on RecycleBinRow (ItemId);",
};
static_assert(std::size(SideStatements) == CurrentVersion);

struct TEntry
{
    QString Type;
    QString Name;
    QString Table;
    QString Definition;
};

// Layout and letter case of a definition do not matter; every word and sign does.
QString Normalized(const QString& sql)
{
    static const QRegularExpression aroundSigns(QStringLiteral(" ?([(),]) ?"));
    return sql.simplified().replace(aroundSigns, QStringLiteral("\\1")).toLower();
}

// The entries of sqlite_master by lower-case name; sets error when they cannot be read.
QMap<QString, TEntry> Entries(sqlite3* connection, QString* error)
{
    QMap<QString, TEntry> entries;
    const TStatement statement = Prepare(
        connection, QStringLiteral("select type, name, tbl_name, sql from sqlite_master"), error);
    if (!statement)
        return entries;
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        auto text = [&](int column) {
            return QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), column)));
        };
        const TEntry entry{text(0), text(1), text(2), Normalized(text(3))};
        entries.insert(entry.Name.toLower(), entry);
    }
    if (rc != SQLITE_DONE)
        *error = EngineMessage(connection);
    return entries;
}

QString Kind(const QString& type)
{
    if (type == QLatin1String("table"))
        return QCoreApplication::translate("Schema", "表");
    if (type == QLatin1String("index"))
        return QCoreApplication::translate("Schema", "索引");
    if (type == QLatin1String("view"))
        return QCoreApplication::translate("Schema", "视图");
    if (type == QLatin1String("trigger"))
        return QCoreApplication::translate("Schema", "触发器");
    return type;
}

QMap<QString, TEntry> Expected()
{
    sqlite3* raw = nullptr;
    sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const TConnection connection(raw);
    QString error = DatabaseFile::Execute(raw, CreateStatements());
    for (const char16_t* statements : SideStatements)
        error += DatabaseFile::Execute(raw, QString::fromUtf16(statements));
    Q_ASSERT(error.isEmpty());
    return Entries(raw, &error);
}

} // namespace

QString CreateStatements()
{
    return QString::fromUtf16(Statements);
}

const QStringList& SideTables()
{
    static const QStringList tables{QStringLiteral("SyncDataSet"),  QStringLiteral("SyncRow"),
                                    QStringLiteral("SyncDeletion"), QStringLiteral("SyncAgreed"),
                                    QStringLiteral("NoteHistory"),  QStringLiteral("RecycleBin"),
                                    QStringLiteral("RecycleBinRow")};
    return tables;
}

QString Difference(sqlite3* connection)
{
    static const QMap<QString, TEntry> expected = Expected();
    QString error;
    const QMap<QString, TEntry> actual = Entries(connection, &error);
    if (!error.isEmpty())
        return error;

    QStringList differences;
    for (const TEntry& entry : actual) {
        const auto wanted = expected.constFind(entry.Name.toLower());
        if (wanted == expected.constEnd())
            differences << QCoreApplication::translate("Schema", "多出%1 %2")
                               .arg(Kind(entry.Type), entry.Name);
        else if (wanted->Type != entry.Type || wanted->Definition != entry.Definition)
            differences << QCoreApplication::translate("Schema", "%1 %2 的定义不同")
                               .arg(Kind(entry.Type), entry.Name);
    }
    for (const TEntry& entry : expected)
        if (!actual.contains(entry.Name.toLower()) &&
            !SideTables().contains(entry.Table, Qt::CaseInsensitive))
            differences << QCoreApplication::translate("Schema", "缺少%1 %2")
                               .arg(Kind(entry.Type), entry.Name);
    if (differences.isEmpty())
        return {};
    return QCoreApplication::translate("Schema", "不是 Velmora 的数据库结构：") +
           differences.join(QCoreApplication::translate("Schema", "；"));
}

} // namespace DatabaseSchema

namespace DatabaseSchema {

int VersionOf(sqlite3* connection)
{
    QString error;
    const TStatement statement = Prepare(connection, QStringLiteral("PRAGMA user_version"), &error);
    if (!statement || sqlite3_step(statement.get()) != SQLITE_ROW)
        return -1;
    return sqlite3_column_int(statement.get(), 0);
}

QString Upgrade(sqlite3* connection)
{
    const int version = VersionOf(connection);
    if (version < 0)
        return EngineMessage(connection);
    if (version >= CurrentVersion)
        return {};
    // The check and the change in one write transaction: a second program that upgraded the file
    // meanwhile leaves nothing to do here.
    QString error = DatabaseFile::Execute(connection, QStringLiteral("begin immediate"));
    if (!error.isEmpty())
        return error;
    const int seen = VersionOf(connection);
    for (int step = std::max(seen, 0); error.isEmpty() && step < CurrentVersion; ++step)
        error = DatabaseFile::Execute(connection, QString::fromUtf16(SideStatements[step]));
    if (error.isEmpty())
        error = DatabaseFile::Execute(
            connection, QStringLiteral("PRAGMA user_version = %1; commit").arg(CurrentVersion));
    if (!error.isEmpty() && !sqlite3_get_autocommit(connection))
        DatabaseFile::Execute(connection, QStringLiteral("rollback"));
    return error;
}

} // namespace DatabaseSchema
