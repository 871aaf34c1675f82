#include "app/SingleInstance.h"

#include "common/CardException.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

namespace {
QString RuntimeFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}
} // namespace

TSingleInstance::TSingleInstance(const QString& key, QObject* parent)
    : QObject(parent),
      FName(
          QStringLiteral("velmora-") +
          QString::fromLatin1(
              QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(16)))
{}

TSingleInstance::~TSingleInstance() = default;

bool TSingleInstance::Acquire()
{
    FLock = std::make_unique<QLockFile>(RuntimeFolder() + QLatin1Char('/') + FName +
                                        QStringLiteral(".lock"));
    FLock->setStaleLockTime(0); // a lock is stale only when its process is gone
    if (FLock->tryLock(0)) {
        Listen();
        return true;
    }
    if (FLock->error() != QLockFile::LockFailedError) {
        // No lock can be had here at all (an unwritable runtime folder): don't keep the user out.
        FLock.reset();
        return true;
    }
    FLock.reset();
    QLocalSocket socket;
    socket.connectToServer(FName);
    if (socket.waitForConnected(1000)) {
        socket.write("show\n");
        socket.waitForBytesWritten(1000);
        socket.disconnectFromServer();
    }
    return false;
}

void TSingleInstance::Listen()
{
    // The lock is ours, so a socket left under this name is from a start that died.
    QLocalServer::removeServer(FName);
    FServer = std::make_unique<QLocalServer>();
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!FServer->listen(FName))
        return;
    ConnectGuarded(FServer.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = FServer->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            Q_EMIT ActivationRequested();
        }
    });
}
