#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QString>
#include <QTemporaryDir>

#include <array>
#include <memory>

class QProcess;

// Two Syncthing programs on this machine that keep one folder in step between two folders of
// their own, as two computers would: each with its home in a temporary folder, talking to the
// other and answering its REST interface on 127.0.0.1 only (no discovery, relays, NAT, usage
// reports or upgrades). Every wait is on what the programs report through REST, never a sleep.
class TSyncthingPair final
{
public:
    TSyncthingPair();
    ~TSyncthingPair(); // Stop

    // The installed program, or empty when there is none.
    static QString Program();

    // Makes both homes, starts both programs and waits until they are connected. On failure
    // returns why (with the programs' output), both stopped.
    QString Start();
    // Asks both to shut down, then ends what is still running.
    void Stop();

    // The shared folder as side 0 or side 1 sees it.
    QString Folder(int side) const;

    // Sends what each side holds now to the other: scans both, then waits until each side has
    // everything the other has. Returns why not, empty when done.
    QString Exchange();
    // The two computers apart: side 0 pauses side 1, so nothing crosses until Rejoin.
    QString Separate();
    QString Rejoin();

private:
    struct TSide;
    QJsonDocument Call(int side, const QByteArray& verb, const QString& path,
                       const QByteArray& body = {}, int timeoutMs = 30000, QString* error = {});
    // Waits, on the events both sides report, until done says so; false after timeoutMs.
    template <typename TDone> bool WaitFor(int timeoutMs, TDone done);
    bool Connected(int side);
    bool HasAllOf(int side, int other);
    QString Failure(const QString& what) const;

    QTemporaryDir FDir;
    QNetworkAccessManager FNetwork;
    QByteArray FApiKey;
    std::array<std::unique_ptr<TSide>, 2> FSides;
};
