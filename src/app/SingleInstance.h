#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// One running Velmora per program folder. The first start holds a lock and listens for later
// starts; a later start finds the lock taken, asks the running one to come to the front, and
// ends without opening the database.
class TSingleInstance final : public QObject
{
    Q_OBJECT

public:
    // key: what identifies "the same program" (the program's folder).
    explicit TSingleInstance(const QString& key, QObject* parent = nullptr);
    ~TSingleInstance() override;

    // True when this is the only start; otherwise the running one was asked to show itself.
    bool Acquire();

Q_SIGNALS:
    // Another start asked this one to come to the front.
    void ActivationRequested();

private:
    void Listen();

    QString FName;
    std::unique_ptr<QLockFile> FLock;
    std::unique_ptr<QLocalServer> FServer;
};
