#include "data/DbAccess.h"

#include "common/Errors.h"
#include "data/GridSet.h"
#include "data/Sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sqlcipher/sqlite3.h>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 ChunkSize = 1 << 20;

QString Located(const QString& path, const QString& reason)
{
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason;
}

// Whether two names reach the same file, through links too.
bool SameFile(const QString& first, const QString& second)
{
    struct stat a
    {};
    struct stat b
    {};
    return ::stat(QFile::encodeName(first).constData(), &a) == 0 &&
           ::stat(QFile::encodeName(second).constData(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

// Makes a rename in a folder durable.
void SyncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A copy of a file written beside the file it is to replace and on disk in full before it takes
// that name, so the destination never holds half a file. Unless committed it is removed again.
class TStagedCopy final
{
public:
    // Returns the reason on failure.
    QString Write(const QString& source, const QString& target)
    {
        FTarget = target;
        const QFileInfo about(source);
        if (!about.isFile())
            return Located(source, qt_error_string(about.isDir() ? EISDIR : ENOENT));
        QFile in(source);
        if (!in.open(QIODevice::ReadOnly))
            return Located(source, in.errorString());

        FFile.setFileTemplate(target + QStringLiteral(".XXXXXX"));
        if (!FFile.open())
            return Located(target, FFile.errorString());
        for (;;) {
            const QByteArray chunk = in.read(ChunkSize);
            if (chunk.isEmpty())
                break;
            if (FFile.write(chunk) != chunk.size())
                return Located(target, FFile.errorString());
        }
        if (in.error() != QFileDevice::NoError)
            return Located(source, in.errorString());
        if (!FFile.flush())
            return Located(target, FFile.errorString());
        if (::fsync(FFile.handle()) != 0)
            return Located(target, qt_error_string(errno));
        FFile.close();
        return {};
    }

    QString Path() const { return FFile.fileName(); }

    QString Commit()
    {
        if (::rename(QFile::encodeName(FFile.fileName()).constData(),
                     QFile::encodeName(FTarget).constData()) != 0)
            return Located(FTarget, qt_error_string(errno));
        FFile.setAutoRemove(false);
        SyncFolder(QFileInfo(FTarget).absolutePath());
        return {};
    }

private:
    QString FTarget;
    QTemporaryFile FFile;
};

// Whether a file is a database this program can take: the program's key opens it, it holds the
// five tables, and every page is sound. Returns the reason when it is not.
QString CheckDatabase(const QString& path)
{
    QString error;
    const TConnection connection = DatabaseFile::Open(path, false, &error);
    if (!connection)
        return error;
    const TStatement statement =
        Prepare(connection.get(), QStringLiteral("PRAGMA integrity_check"), &error);
    if (!statement)
        return error.isEmpty() ? QStringLiteral("integrity check failed") : error;
    QStringList verdict;
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW)
        verdict << QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0)));
    if (rc != SQLITE_DONE)
        return EngineMessage(connection.get());
    if (verdict != QStringList(QStringLiteral("ok")))
        return QStringLiteral("database disk image is malformed: ") +
               verdict.join(QStringLiteral("; "));
    return {};
}

// Journals of the engine beside a database file; one left over from the old file would be
// rolled into the new one when it is opened.
QString RemoveJournals(const QString& database)
{
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        QFile journal(database + QLatin1String(suffix));
        if (journal.exists() && !journal.remove())
            return Located(journal.fileName(), journal.errorString());
    }
    return {};
}

} // namespace

void TDbAccess::RequireNoTransaction(const QString& headline) const
{
    // Every write commits before control returns to the user, so an open transaction means the
    // file is not complete on disk.
    if (FConnection && !sqlite3_get_autocommit(FConnection.get()))
        throw EDBException(QStringLiteral("a transaction is still open"), headline, QString());
}

void TDbAccess::CloseConnection(const QString& headline)
{
    RequireNoTransaction(headline);
    // The sets would otherwise keep rows of the old file and a pointer to the closed connection;
    // the grid empties until the window lists the addresses again.
    FQuerySet->Close();
    FScalarSet->Close();
    FGridSet->Close();
    FPrepared.clear();
    FConnection.reset();
}

void TDbAccess::BackupTo(const QString& target)
{
    const QString headline = QString::fromUtf16(DbHint::Backup);
    RequireNoTransaction(headline);
    // Renaming a copy over the open file would leave the connection writing to a file that no
    // longer has a name; the target already holds the database anyway.
    if (SameFile(target, DatabasePath()))
        return;
    TStagedCopy copy;
    QString reason = copy.Write(DatabasePath(), target);
    if (reason.isEmpty())
        reason = copy.Commit();
    if (!reason.isEmpty())
        throw EDBException(reason, headline, QString());
}

void TDbAccess::RestoreFrom(const QString& source, const QString& safetyCopy)
{
    const QString headline = QString::fromUtf16(DbHint::Restore);
    RequireNoTransaction(headline);

    // The copy that is to become the database is checked, not the source: what is checked is
    // then exactly what is put in place, and the user's file is never opened for writing.
    TStagedCopy staged;
    QString reason = staged.Write(source, DatabasePath());
    if (reason.isEmpty())
        reason = CheckDatabase(staged.Path());
    if (!reason.isEmpty())
        throw EDBException(reason, headline, QString());

    // Restoring the safety copy itself must not overwrite it first.
    if (!safetyCopy.isEmpty() && !SameFile(source, safetyCopy))
        BackupTo(safetyCopy);

    CloseConnection(headline);
    reason = RemoveJournals(DatabasePath());
    if (reason.isEmpty())
        reason = staged.Commit();
    if (!reason.isEmpty()) {
        // Nothing was replaced: go on with the old database.
        EnsureOpen(headline, QString());
        throw EDBException(reason, headline, QString());
    }
    EnsureOpen(headline, QString());
}

void DbBackup(const QString& target)
{
    DbAccess->BackupTo(target);
}

void DbRestore(const QString& source, const QString& safetyCopy)
{
    DbAccess->RestoreFrom(source, safetyCopy);
}
