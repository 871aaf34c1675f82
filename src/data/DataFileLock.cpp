#include "data/DataFileLock.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace DataFileLock {
namespace {

int Held = -1; // the descriptor that holds the lock

// A descriptor of the file holding its lock, -1 when the file is locked elsewhere, -2 when the
// file can't be opened.
int Lock(const QString& file)
{
    // Read access is enough for the lock, and writes nothing.
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -2;
    int rc;
    while ((rc = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (rc == 0)
        return fd;
    ::close(fd);
    return -1;
}

} // namespace

bool Take(const QString& database)
{
    // A lock held already, on this file or another, stays until this one is had.
    const int fd = Lock(database);
    if (fd >= 0) {
        Release();
        Held = fd;
    }
    return fd != -1;
}

bool MoveTo(const QString& file)
{
    if (Held < 0)
        return true;
    const int fd = Lock(file);
    if (fd < 0)
        return false;
    // The engine keeps no lock of its own on the old file now: a restore closed the connection.
    ::close(Held);
    Held = fd;
    return true;
}

void Release()
{
    if (Held >= 0)
        ::close(Held);
    Held = -1;
}

} // namespace DataFileLock
