#include "data/DurableFiles.h"

#include <QDir>
#include <QFile>

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

} // namespace

QString Located(const QString& path, const QString& reason)
{
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason;
}

bool SyncFile(const QString& path)
{
    return Sync(path, O_RDONLY);
}

void SyncFolder(const QString& folder)
{
    Sync(folder, O_RDONLY | O_DIRECTORY);
}
