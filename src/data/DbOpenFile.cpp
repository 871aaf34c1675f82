#include "data/DbAccess.h"

#include "common/Errors.h"
#include "data/DbWriter.h"
#include "data/DurableFiles.h"

#include <QFile>

#include <sqlcipher/sqlite3.h>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Writes the whole file behind the descriptor into the staged file and finishes it; returns the
// reason on failure.
QString CopyDescriptor(int fd, const QString& source, TStagedFile& out)
{
    constexpr qint64 ChunkSize = 1 << 20;
    if (fd < 0)
        return Located(source, qt_error_string(EBADF));
    if (!out.Open())
        return out.Reason();
    QByteArray chunk(ChunkSize, Qt::Uninitialized);
    off_t at = 0;
    for (;;) {
        const ssize_t got = ::pread(fd, chunk.data(), size_t(chunk.size()), at);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Located(source, qt_error_string(errno));
        if (got == 0)
            break;
        if (!out.Write(chunk.constData(), got))
            return out.Reason();
        at += got;
    }
    return out.Finish() ? QString() : out.Reason();
}

bool SameFile(int first, int second)
{
    struct stat a
    {};
    struct stat b
    {};
    return ::fstat(first, &a) == 0 && ::fstat(second, &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

} // namespace

void TDbAccess::HoldOpenFile()
{
    // Read access only: it takes no lock and writes nothing.
    const int opened = ::open(QFile::encodeName(DatabasePath()).constData(), O_RDONLY | O_CLOEXEC);
    if (std::exchange(FHeldOverLock, false) && FOpenFile >= 0 && opened >= 0 &&
        !SameFile(FOpenFile, opened)) {
        ::close(opened);
        return;
    }
    ReleaseOpenFile();
    FOpenFile = opened;
}

void TDbAccess::ReleaseOpenFile()
{
    // Closing a descriptor drops the process's record locks on the file: this runs only once the
    // connections to it are closed.
    if (FOpenFile >= 0)
        ::close(FOpenFile);
    FOpenFile = -1;
}

TDbAccess::TFileAtPath TDbAccess::FileAtPath() const
{
    struct stat open
    {};
    struct stat named
    {};
    if ((!FConnection && !FDisconnected) || FOpenFile < 0 || ::fstat(FOpenFile, &open) != 0)
        return TFileAtPath::Same;
    if (::stat(QFile::encodeName(DatabasePath()).constData(), &named) != 0)
        // A name that can't be looked at for another reason (a folder without access for a
        // moment) is no sign that the file went.
        return errno == ENOENT ? TFileAtPath::Missing : TFileAtPath::Same;
    if (FDisconnected)
        return TFileAtPath::Same;
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino ? TFileAtPath::Same
                                                                      : TFileAtPath::Replaced;
}

QString TDbAccess::CopyOpenFileTo(const QString& target)
{
    // Only a file with nothing half written is whole.
    if (FConnection && !sqlite3_get_autocommit(FConnection.get()))
        return QStringLiteral("a transaction is still open");
    if (FWriter && !FWriter->Idle())
        return QStringLiteral("a note is still being saved");
    TStagedFile out(target);
    QString reason = CopyDescriptor(FOpenFile, DatabasePath(), out);
    if (reason.isEmpty() && !out.Commit())
        reason = out.Reason();
    return reason;
}

void TDbAccess::PutOpenFileBack()
{
    const QString headline = QString::fromUtf8(DbHint::Batch);
    RequireNoTransaction(headline);
    if (FWriter && !FWriter->Idle())
        throw EDBException(QStringLiteral("a note is still being saved"), headline, QString());
    TStagedFile staged(DatabasePath());
    const QString reason = CopyDescriptor(FOpenFile, DatabasePath(), staged);
    if (!reason.isEmpty())
        throw EDBException(reason, headline, QString());
    ReplaceFile(
        staged.Path(),
        [&staged] {
            staged.Commit();
            return staged.Reason();
        },
        headline);
    if (!FDisconnected)
        EnsureOpen(headline, QString());
}
