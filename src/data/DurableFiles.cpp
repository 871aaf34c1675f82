#include "data/DurableFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace {

bool Sync(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// Whether a failure to create a file is the folder's: one that may not be written.
bool FolderRefuses(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

// Gives the staged file the target's name only where no file has it. A file system without
// that kind of rename gets a link and an unlink, which are as exclusive; one without links (a
// FUSE or exFAT stick) a look first.
int RenameNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
        return errno;
    if (::access(to.constData(), F_OK) == 0)
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

} // namespace

QString Located(const QString& path, const QString& reason)
{
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason;
}

QString WriteFailure(int error)
{
    if (error == ENOSPC || error == EFBIG || error == EDQUOT)
        return QCoreApplication::translate("DurableFiles", "磁盘已满");
    return qt_error_string(error);
}

bool SyncFile(const QString& path)
{
    return Sync(path, O_RDONLY);
}

void SyncFolder(const QString& folder)
{
    Sync(folder, O_RDONLY | O_DIRECTORY);
}

TStagedFile::TStagedFile(QString target) : FTarget(std::move(target)) {}

TStagedFile::~TStagedFile()
{
    Discard();
}

bool TStagedFile::Fail(const QString& path, const QString& cause)
{
    if (FReason.isEmpty()) {
        FReason = Located(path, cause);
        FCause = cause;
    }
    Discard();
    return false;
}

void TStagedFile::Discard()
{
    if (FFd >= 0)
        ::close(FFd);
    FFd = -1;
    if (!FPath.isEmpty())
        ::unlink(QFile::encodeName(FPath).constData());
    FPath.clear();
}

bool TStagedFile::Open()
{
    if (!FReason.isEmpty())
        return false;
    QByteArray name = QFile::encodeName(FTarget + QStringLiteral(".XXXXXX"));
    FFd = ::mkostemp(name.data(), O_CLOEXEC);
    if (FFd < 0) {
        const int error = errno;
        if (FolderRefuses(error))
            return Fail(QFileInfo(FTarget).absolutePath(),
                        QCoreApplication::translate("DurableFiles",
                                                    "文件夹是只读的，不能在其中写入文件（%1）")
                            .arg(qt_error_string(error)));
        return Fail(FTarget, WriteFailure(error));
    }
    FPath = QFile::decodeName(name);
    return true;
}

bool TStagedFile::Write(const char* data, qint64 size)
{
    if (FFd < 0)
        return FReason.isEmpty() ? Fail(FTarget, qt_error_string(EBADF)) : false;
    for (qint64 done = 0; done < size;) {
        const ssize_t put = ::write(FFd, data + done, size_t(size - done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return Fail(FTarget, WriteFailure(errno));
        done += put;
    }
    return true;
}

bool TStagedFile::Finish()
{
    if (FFinished)
        return true;
    if (FFd < 0)
        return FReason.isEmpty() ? Fail(FTarget, qt_error_string(EBADF)) : false;
    // The data reaches the disk before the name does: a crash between leaves the old file.
    if (::fsync(FFd) != 0)
        return Fail(FTarget, WriteFailure(errno));
    if (::close(std::exchange(FFd, -1)) != 0)
        return Fail(FTarget, WriteFailure(errno));
    FFinished = true;
    return true;
}

bool TStagedFile::Commit(bool replace)
{
    if (!Finish())
        return false;
    const QByteArray from = QFile::encodeName(FPath);
    const QByteArray to = QFile::encodeName(FTarget);
    const int error = replace ? (::rename(from.constData(), to.constData()) == 0 ? 0 : errno)
                              : RenameNoReplace(from, to);
    if (error != 0)
        return Fail(FTarget, qt_error_string(error));
    FPath.clear();
    SyncFolder(QFileInfo(FTarget).absolutePath());
    return true;
}

QString WriteWholeFile(const QString& target, const QByteArray& bytes, bool replace)
{
    TStagedFile file(target);
    if (file.Open() && file.Write(bytes))
        file.Commit(replace);
    return file.Reason();
}
