#include "sync/PageCopy.h"

#include "data/DurableFiles.h"
#include "data/FileKey.h"
#include "data/Schema.h"
#include "data/Sqlite.h"
#include "sync/SyncStatement.h"

#include <QFile>

#include <sqlcipher/sqlite3.h>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

QString WritePageCopy(sqlite3* connection, const QString& target, const TFileKey& key)
{
    // A transaction of the caller's would be missing from the file, as would a write-ahead log.
    if (!sqlite3_get_autocommit(connection))
        return QStringLiteral("a transaction is open");
    const char* file = sqlite3_db_filename(connection, "main");
    if (!file || !*file)
        return QStringLiteral("no file");
    TSyncStatement mode(connection, QStringLiteral("PRAGMA journal_mode"));
    while (mode.Next())
        if (mode.Text(0).compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("write-ahead log");
    SyncSql::Execute(connection, QStringLiteral("begin"));
    qint64 pages = 0;
    TStagedFile staged(target);
    QString reason;
    try {
        TSyncStatement count(connection, QStringLiteral("PRAGMA page_count"));
        while (count.Next())
            pages = count.Number(0);
        const int in = ::open(file, O_RDONLY | O_CLOEXEC);
        if (in < 0)
            reason = Located(QFile::decodeName(file), qt_error_string(errno));
        else if (staged.Open()) {
            QByteArray chunk(1 << 20, Qt::Uninitialized);
            for (;;) {
                const ssize_t got = ::read(in, chunk.data(), size_t(chunk.size()));
                if (got < 0 && errno == EINTR)
                    continue;
                if (got < 0)
                    reason = Located(QFile::decodeName(file), qt_error_string(errno));
                if (got <= 0 || !staged.Write(chunk.constData(), got))
                    break;
            }
            ::close(in);
        } else {
            ::close(in);
            reason = staged.Reason();
        }
    } catch (...) {
        DatabaseFile::Execute(connection, QStringLiteral("rollback"));
        throw;
    }
    DatabaseFile::Execute(connection, QStringLiteral("rollback"));
    if (reason.isEmpty() && !staged.Finish())
        reason = staged.Reason();
    if (!reason.isEmpty())
        return reason;
    QString error;
    const TConnection copy = DatabaseFile::OpenReadOnly(staged.Path(), &error, key);
    if (!copy)
        return error;
    if (error = DatabaseSchema::Difference(copy.get()); !error.isEmpty())
        return error;
    qint64 written = -1;
    TSyncStatement count(copy.get(), QStringLiteral("PRAGMA page_count"));
    while (count.Next())
        written = count.Number(0);
    if (written != pages)
        return QStringLiteral("%1 of %2 pages copied").arg(written).arg(pages);
    return staged.Commit() ? QString() : staged.Reason();
}
