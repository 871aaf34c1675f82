#include "data/Schema.h"

#include "data/Sqlite.h"

#include <QCoreApplication>
#include <QMap>
#include <QRegularExpression>
#include <QStringList>

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

struct TEntry
{
    QString Type;
    QString Name;
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
    const TStatement statement =
        Prepare(connection, QStringLiteral("select type, name, sql from sqlite_master"), error);
    if (!statement)
        return entries;
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        auto text = [&](int column) {
            return QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), column)));
        };
        const TEntry entry{text(0), text(1), Normalized(text(2))};
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
    Q_ASSERT(error.isEmpty());
    return Entries(raw, &error);
}

} // namespace

QString CreateStatements()
{
    return QString::fromUtf16(Statements);
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
        if (!actual.contains(entry.Name.toLower()))
            differences << QCoreApplication::translate("Schema", "缺少%1 %2")
                               .arg(Kind(entry.Type), entry.Name);
    if (differences.isEmpty())
        return {};
    return QCoreApplication::translate("Schema", "不是 Velmora 的数据库结构：") +
           differences.join(QCoreApplication::translate("Schema", "；"));
}

} // namespace DatabaseSchema
