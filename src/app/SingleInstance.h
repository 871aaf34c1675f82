#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

// One running Velmora per data file. The first start holds an exclusive lock on a lock file
// beside the data file, and one on the data file itself, for its whole run and listens, in the
// user's runtime folder, for later starts; a later start finds the lock taken, asks the running one
// to come to the front where it can reach it, and ends without opening the database. The system
// drops the lock of a program that was killed, so it never blocks the next start.
class TSingleInstance final : public QObject
{
    Q_OBJECT

public:
    // dataFile: the database the program is to open.
    explicit TSingleInstance(const QString& dataFile, QObject* parent = nullptr);
    ~TSingleInstance() override;

    // True when no other program holds the data file (also when it does not exist: opening it
    // reports that). Otherwise Activated tells whether the running one was asked to show itself.
    bool Acquire();
    bool Activated() const { return FActivated; }

Q_SIGNALS:
    // Another start asked this one to come to the front.
    void ActivationRequested();

private:
    void Listen();

    QString FDataFile;
    QString FSocket; // full path in the runtime folder; empty where there is none
    int FLock = -1;
    bool FActivated = false;
    std::unique_ptr<QLocalServer> FServer;
};
