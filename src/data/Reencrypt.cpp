#include "data/Reencrypt.h"

#include "data/DurableFiles.h"
#include "data/FileKey.h"
#include "data/Schema.h"
#include "data/Sqlite.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <sqlcipher/sqlite3.h>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Runs a statement with its values bound as texts; the values never show in an error.
QString RunBound(sqlite3* connection, const char* sql, std::initializer_list<QByteArray> values)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(connection, sql, -1, &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        return EngineMessage(connection);
    }
    TStatement statement(raw);
    int index = 0;
    for (const QByteArray& value : values)
        sqlite3_bind_text(raw, ++index, value.constData(), int(value.size()), SQLITE_STATIC);
    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
    }
    return rc == SQLITE_DONE ? QString() : EngineMessage(connection);
}

// Rows of every table, by name; empty with a reason on failure.
QStringList RowCounts(sqlite3* connection, QString* error)
{
    QStringList counts;
    QString sql = QStringLiteral("select name from sqlite_master where type='table' order by name");
    TStatement tables = Prepare(connection, sql, error);
    if (!tables)
        return {};
    while (sqlite3_step(tables.get()) == SQLITE_ROW) {
        const QString name =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(tables.get(), 0)));
        sql = QStringLiteral("select count(*) from \"") + name + QStringLiteral("\"");
        TStatement count = Prepare(connection, sql, error);
        if (!count || sqlite3_step(count.get()) != SQLITE_ROW) {
            if (error->isEmpty())
                *error = EngineMessage(connection);
            return {};
        }
        counts << name + QLatin1Char('=') + QString::number(sqlite3_column_int64(count.get(), 0));
    }
    return counts;
}

QString IntegrityProblem(sqlite3* connection)
{
    QString error;
    const QStringList verdict = DatabaseFile::IntegrityVerdict(connection, &error);
    if (!error.isEmpty())
        return error;
    if (verdict != QStringList(QStringLiteral("ok")))
        return QStringLiteral("database disk image is malformed: ") +
               verdict.join(QStringLiteral("; "));
    return {};
}

QString Export(sqlite3* source, const QString& path, const TFileKey& key)
{
    QByteArray value = key.KeyValue(true);
    QString error =
        RunBound(source, "ATTACH DATABASE ?1 AS rekeyed KEY ?2", {QFile::encodeName(path), value});
    WipeBytes(value);
    if (!error.isEmpty())
        return error;
    // The export copies tables, not the schema version that says which side tables they are.
    error = DatabaseFile::Execute(source, QStringLiteral("PRAGMA rekeyed.cipher_page_size = 4096; "
                                                         "SELECT sqlcipher_export('rekeyed'); "
                                                         "PRAGMA rekeyed.user_version = %1;")
                                              .arg(DatabaseSchema::VersionOf(source)));
    const QString detached = DatabaseFile::Execute(source, QStringLiteral("DETACH rekeyed"));
    return error.isEmpty() ? detached : error;
}

// Proves a written file against its source; runs the batch in it first.
QString Prove(sqlite3* source, const QString& path, const TFileKey& key, const QString& batch)
{
    QString error;
    const TConnection written = DatabaseFile::Open(path, false, &error, key);
    if (!written)
        return error;
    if (!batch.isEmpty()) {
        error = DatabaseFile::Execute(written.get(), QStringLiteral("BEGIN; ") + batch +
                                                         QStringLiteral("; COMMIT;"));
        if (!error.isEmpty())
            return error;
    }
    if (error = IntegrityProblem(written.get()); !error.isEmpty())
        return error;
    if (error = DatabaseSchema::Difference(written.get()); !error.isEmpty())
        return error;
    const QStringList before = RowCounts(source, &error);
    if (!error.isEmpty())
        return error;
    const QStringList after = RowCounts(written.get(), &error);
    if (!error.isEmpty())
        return error;
    if (before != after)
        return QCoreApplication::translate("Reencrypt", "写出的行数与原文件不同（%1）")
            .arg(after.join(QStringLiteral(", ")));
    return {};
}

} // namespace

TRekeyedCopy::~TRekeyedCopy()
{
    // A write that failed half-way (a full disk) leaves the engine's journal of the staged file.
    if (!FPath.isEmpty()) {
        QFile::remove(FPath);
        QFile::remove(FPath + QStringLiteral("-journal"));
    }
}

QString TRekeyedCopy::Write(sqlite3* source, const QString& target, const TFileKey& key,
                            const QString& batch)
{
    FTarget = target;
    QByteArray name = QFile::encodeName(target + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return Located(QFileInfo(target).absolutePath(), qt_error_string(errno));
    ::close(fd);
    FPath = QFile::decodeName(name);
    // The file's mode is the one it replaces, so that a private file stays private; a new file
    // keeps the owner-only mode it was made with.
    if (QFileInfo::exists(target))
        QFile::setPermissions(FPath, QFile::permissions(target));

    QString reason = Export(source, FPath, key);
    if (reason.isEmpty())
        reason = Prove(source, FPath, key, batch);
    if (reason.isEmpty() && !SyncFile(FPath))
        reason = qt_error_string(errno);
    return reason.isEmpty() ? QString() : Located(FPath, reason);
}

QString TRekeyedCopy::Commit()
{
    if (::rename(QFile::encodeName(FPath).constData(), QFile::encodeName(FTarget).constData()) != 0)
        return Located(FTarget, qt_error_string(errno));
    FPath.clear();
    SyncFolder(QFileInfo(FTarget).absolutePath());
    return {};
}

bool OpensWith(const QString& path, const TFileKey& key)
{
    QString error;
    return bool(DatabaseFile::OpenReadOnly(path, &error, key));
}

QString ReencryptCopy(const QString& path, const TFileKey& from, const TFileKey& to)
{
    QString error;
    const TConnection copy = DatabaseFile::Open(path, false, &error, from);
    if (!copy)
        return Located(path, error);
    TRekeyedCopy rekeyed;
    error = rekeyed.Write(copy.get(), path, to);
    return error.isEmpty() ? rekeyed.Commit() : error;
}
