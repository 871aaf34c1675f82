#include "app/SingleInstance.h"

#include "common/CardException.h"
#include "data/DataFileLock.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

TSingleInstance::TSingleInstance(const QString& dataFile, QObject* parent)
    : QObject(parent), FDataFile(dataFile)
{
    // The runtime folder is the user's own; a name in a shared temporary folder could be taken
    // by anyone.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        return;
    const QFileInfo file(dataFile);
    const QString key =
        file.canonicalFilePath().isEmpty() ? file.absoluteFilePath() : file.canonicalFilePath();
    FSocket =
        runtime + QStringLiteral("/velmora-") +
        QString::fromLatin1(
            QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
}

TSingleInstance::~TSingleInstance()
{
    FServer.reset();
    if (FLock >= 0) {
        ::close(FLock);
        DataFileLock::Release();
    }
}

bool TSingleInstance::Acquire()
{
    if (!QFileInfo::exists(FDataFile))
        return true;
    // The lock file stays beside the data file; removing it would let a start lock a file
    // that no longer has the name. Others may open it to try the lock.
    const QByteArray path = QFile::encodeName(FDataFile + QStringLiteral(".lock"));
    FLock = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (FLock < 0)
        FLock = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (FLock < 0)
        return true; // no lock can be had here at all: don't keep the user out
    int rc;
    while ((rc = ::flock(FLock, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    // The lock file can be deleted from under a running program; the data file it works on
    // cannot be, so that is locked as well.
    if (rc == 0 && DataFileLock::Take(FDataFile)) {
        Listen();
        return true;
    }
    ::close(FLock);
    FLock = -1;
    if (!FSocket.isEmpty()) {
        QLocalSocket socket;
        socket.connectToServer(FSocket);
        if (socket.waitForConnected(1000)) {
            socket.write("show\n");
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            FActivated = true;
        }
    }
    return false;
}

void TSingleInstance::Listen()
{
    if (FSocket.isEmpty())
        return;
    // The lock is ours, so a socket left under this name is from a start that died.
    QLocalServer::removeServer(FSocket);
    FServer = std::make_unique<QLocalServer>();
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!FServer->listen(FSocket))
        return;
    ConnectGuarded(FServer.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = FServer->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            Q_EMIT ActivationRequested();
        }
    });
}
