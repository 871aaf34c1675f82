#include "data/Sqlite.h"

#include "data/WriteWatch.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

#include <sqlcipher/sqlite3.h>

void TStatementFinalizer::operator()(sqlite3_stmt* statement) const noexcept
{
    sqlite3_finalize(statement);
}

void TConnectionCloser::operator()(sqlite3* connection) const noexcept
{
    sqlite3_close_v2(connection);
}

QString EngineMessage(sqlite3* connection)
{
    return connection ? QString::fromUtf8(sqlite3_errmsg(connection))
                      : QStringLiteral("out of memory");
}

TStatement Prepare(sqlite3* connection, const QString& sql, QString* error)
{
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(connection, utf8.constData(), int(utf8.size()), &raw, nullptr) !=
        SQLITE_OK) {
        *error = EngineMessage(connection);
        sqlite3_finalize(raw);
        return nullptr;
    }
    error->clear();
    return TStatement(raw);
}

namespace DatabaseFile {
namespace {

// The page size the file is written with. A file made with the engine's own tools has the
// engine's default page size; it is read with that when the program's size does not fit.
constexpr char PageSize[] = "PRAGMA cipher_page_size = 4096";

// Another program reading the file (a backup or sync tool) holds it only briefly: a write waits
// that long for it rather than failing.
constexpr int BusyTimeoutMs = 8000;

QString FirstText(sqlite3* connection, const char* sql, QString* error)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(connection, sql, -1, &raw, nullptr) != SQLITE_OK) {
        *error = EngineMessage(connection);
        sqlite3_finalize(raw);
        return {};
    }
    TStatement statement(raw);
    const int rc = sqlite3_step(raw);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        *error = EngineMessage(connection);
        return {};
    }
    return rc == SQLITE_ROW
               ? QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(raw, 0)))
               : QString();
}

TConnection OpenWith(const QString& path, int flags, bool programPageSize, const TFileKey& key,
                     QString* error)
{
    sqlite3* raw = nullptr;
    // A file only to be read is taken as it is: no journal or log beside it is rolled in or
    // made, and nothing is written beside it.
    const QByteArray name = (flags & SQLITE_OPEN_READONLY) ? QUrl::fromLocalFile(path).toEncoded() +
                                                                 QByteArrayLiteral("?immutable=1")
                                                           : QFile::encodeName(path);
    const int rc =
        sqlite3_open_v2(name.constData(), &raw,
                        (flags & SQLITE_OPEN_READONLY) ? flags | SQLITE_OPEN_URI : flags, nullptr);
    TConnection connection(raw);
    if (rc != SQLITE_OK) {
        *error = EngineMessage(raw);
        return nullptr;
    }
    sqlite3_busy_timeout(raw, BusyTimeoutMs);
    QByteArray keyStatement = key.KeyStatement();
    const int keyed = sqlite3_exec(raw, keyStatement.constData(), nullptr, nullptr, nullptr);
    WipeBytes(keyStatement);
    if (keyed != SQLITE_OK ||
        (programPageSize && sqlite3_exec(raw, PageSize, nullptr, nullptr, nullptr) != SQLITE_OK)) {
        *error = EngineMessage(raw);
        return nullptr;
    }
    return connection;
}

QStringList MissingTables(sqlite3* connection, QString* error)
{
    QStringList missing;
    for (const QString& table : RequiredTables()) {
        const QString sql = QStringLiteral("select count(*) from sqlite_master where type='table' "
                                           "and name='%1' collate nocase")
                                .arg(table);
        const QString count = FirstText(connection, sql.toUtf8().constData(), error);
        if (!error->isEmpty())
            return {};
        if (count == QLatin1String("0"))
            missing << table;
    }
    return missing;
}

} // namespace

const QStringList& RequiredTables()
{
    static const QStringList tables{QStringLiteral("IEType"), QStringLiteral("NoteType"),
                                    QStringLiteral("IE"), QStringLiteral("NoteBook"),
                                    QStringLiteral("SysSet")};
    return tables;
}

namespace {

TConnection OpenAs(const QString& path, int flags, bool checkWhole, QString* error,
                   const TFileKey& key)
{
    // The checks below tell failure by a reason being set: one left from an earlier attempt with
    // another key would refuse the right key.
    error->clear();
    // The engine opens lazily; a missing file must fail here and must not be created.
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("unable to open database file");
        return nullptr;
    }
    TConnection connection = OpenWith(path, flags, true, key, error);
    if (!connection)
        return nullptr;
    QStringList missing = MissingTables(connection.get(), error);
    if (!error->isEmpty()) {
        // The key decrypts no page at the program's page size: try the engine's default.
        if (sqlite3_errcode(connection.get()) != SQLITE_NOTADB)
            return nullptr;
        const QString first = *error;
        error->clear();
        connection = OpenWith(path, flags, false, key, error);
        if (!connection)
            return nullptr;
        missing = MissingTables(connection.get(), error);
        if (!error->isEmpty()) {
            *error = first;
            return nullptr;
        }
    }
    if (!missing.isEmpty()) {
        *error = QStringLiteral("no such table: ") + missing.join(QStringLiteral(", "));
        return nullptr;
    }
    if (checkWhole) {
        const QString verdict = FirstText(connection.get(), "PRAGMA quick_check", error);
        if (!error->isEmpty())
            return nullptr;
        if (verdict != QLatin1String("ok")) {
            *error = QStringLiteral("database disk image is malformed: ") + verdict;
            return nullptr;
        }
    }
    return connection;
}

} // namespace

TConnection Open(const QString& path, bool checkWhole, QString* error, const TFileKey& key)
{
    TConnection connection = OpenAs(path, SQLITE_OPEN_READWRITE, checkWhole, error, key);
    // Whatever writes the file records which rows it wrote, for the change scan before an export.
    if (connection)
        WriteWatch::Install(connection.get(), path);
    return connection;
}

TConnection OpenReadOnly(const QString& path, QString* error, const TFileKey& key)
{
    return OpenAs(path, SQLITE_OPEN_READONLY, false, error, key);
}

QString Explanation(const QString& engineMessage)
{
    static const std::pair<const char*, const char*> Meanings[] = {
        {"not a database",
         QT_TRANSLATE_NOOP("DatabaseFile", "不是 Velmora 的数据文件，或它用别的密码加密。")},
        {"malformed", QT_TRANSLATE_NOOP("DatabaseFile", "已损坏，其中有读不出的部分。")},
        {"no such table",
         QT_TRANSLATE_NOOP("DatabaseFile", "缺少 Velmora 的数据表，不是 Velmora 的数据文件。")},
        {"unable to open",
         QT_TRANSLATE_NOOP("DatabaseFile", "打不开：它不存在，或当前用户不能读取它。")},
        {"locked", QT_TRANSLATE_NOOP("DatabaseFile", "正被别的程序使用。")},
        {"busy", QT_TRANSLATE_NOOP("DatabaseFile", "正被别的程序使用。")},
        {"readonly", QT_TRANSLATE_NOOP("DatabaseFile", "不能写入。")},
        {"disk i/o", QT_TRANSLATE_NOOP("DatabaseFile", "读写时出错，磁盘可能有问题。")},
        {"full", QT_TRANSLATE_NOOP("DatabaseFile", "所在的磁盘已满。")},
        {"out of memory", QT_TRANSLATE_NOOP("DatabaseFile", "太大，内存不够。")},
    };
    const QString message = engineMessage.toLower();
    for (const auto& [words, meaning] : Meanings)
        if (message.contains(QLatin1String(words)))
            return QCoreApplication::translate("DatabaseFile", meaning);
    return QCoreApplication::translate("DatabaseFile", "不能作为数据库读取。");
}

TConnection Create(const QString& path, QString* error)
{
    return OpenWith(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, true, TFileKey(), error);
}

bool IsWrongKey(const QString& error)
{
    return error == QString::fromUtf8(sqlite3_errstr(SQLITE_NOTADB));
}

QStringList IntegrityVerdict(sqlite3* connection, QString* error)
{
    const TStatement check = Prepare(connection, QStringLiteral("PRAGMA integrity_check"), error);
    if (!check)
        return {};
    QStringList verdict;
    int rc;
    while ((rc = sqlite3_step(check.get())) == SQLITE_ROW)
        verdict << QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(check.get(), 0)));
    if (rc != SQLITE_DONE)
        *error = EngineMessage(connection);
    return verdict;
}

QString Execute(sqlite3* connection, const QString& sql)
{
    char* message = nullptr;
    if (sqlite3_exec(connection, sql.toUtf8().constData(), nullptr, nullptr, &message) == SQLITE_OK)
        return {};
    const QString text = message ? QString::fromUtf8(message) : EngineMessage(connection);
    sqlite3_free(message);
    return text;
}

qint64 DataVersion(sqlite3* connection)
{
    QString error;
    const TStatement statement = Prepare(connection, QStringLiteral("PRAGMA data_version"), &error);
    if (!statement || sqlite3_step(statement.get()) != SQLITE_ROW)
        return -1;
    return sqlite3_column_int64(statement.get(), 0);
}

} // namespace DatabaseFile
