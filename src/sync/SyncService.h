#pragma once

#include "data/FileKey.h"
#include "sync/SyncSettings.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class QFileSystemWatcher;
class QTimer;

// Keeps this computer's data in step with the other computers' through the sync folder, on a
// thread and a connection to the data file of its own, so that the window never waits for it.
// It writes this computer's own file at most every 10 s after a change (and when it stops, at
// the close and the lock), and reads the others' files at the start, when one changes and every
// 5 minutes. A file that cannot be read now (half copied, torn) is tried again later; one that
// the data file's key does not open is tried with the standard key, then with a password the
// user is asked for once per run. Questions go to the owner's thread through the hooks below,
// while the exchange waits for the answer; stopping answers them No.
class TSyncService final : public QObject
{
    Q_OBJECT

public:
    // What the last look at one other computer's file found.
    struct TPeerStatus
    {
        QString Name;
        QString Problem;   // why it could not be read; empty when it was
        qint64 ReadAt = 0; // ms since the epoch of the last good reading; 0 before one
    };

    // Run on this object's thread. Whether to delete what the named computer deleted: the
    // number of groups and addresses; false keeps them.
    std::function<bool(const QString& peer, int groups, int addresses)> ConfirmDeletions;
    // The password of the named computer's file; empty when the user cancelled.
    std::function<QString(const QString& peer)> AskPassword;

    // The least time between two exports of the own file, in ms: each is a whole copy.
    qint64 ExportSpacingMs = 10'000;

    explicit TSyncService(QObject* parent = nullptr);
    // Stops within a bounded wait.
    ~TSyncService() override;

    // Starts the exchange with the data file at dataPath under key: a first reading of the
    // others' files and a first export follow at once.
    void Start(const QString& dataPath, const TFileKey& key, const TSyncSettings& settings);
    // Writes the own file when anything changed since the last export, then ends the exchange
    // and forgets the key; waits at most longest, after which work under way is interrupted
    // (the data file stays as it was before that work).
    void Stop(std::chrono::milliseconds longest = std::chrono::seconds(3));
    bool Running() const;
    void ExportNow();
    void ReadPeersNow();

    QList<TPeerStatus> Peers() const { return FPeers.values(); }
    // "已同步：<name>，N 分钟前" or "无法读取 <name> 的同步文件：<reason>"; empty before any
    // other computer's file was looked at.
    QString StatusText(qint64 now) const;
    // The exports written since the start, for those who wait for one.
    int Exports() const { return FExports; }

signals:
    // A merge changed the local data: what is on screen follows.
    void DataChanged();
    // Notes (and addresses) changed on both sides whose other version was kept beside.
    void ConflictsKept(int count);
    void StatusChanged();
    void Exported();
    // The exchange's thread left word in the mailbox; for this object's own use. What it says
    // goes through the mailbox's lock, not through the event.
    void MailArrived();

private:
    struct TShared;
    class TWorker;

    void PeerRead(const QString& device, const TPeerStatus& status);
    // Runs what the exchange's thread left for this one.
    void ReadMail();
    void WatchFolder();

    std::shared_ptr<TShared> FShared;
    std::unique_ptr<TWorker> FWorker;
    QHash<QString, TPeerStatus> FPeers;
    QFileSystemWatcher* FWatcher = nullptr;
    QTimer* FDebounce = nullptr; // a change in the folder comes in bursts
    QTimer* FPeriodic = nullptr;
    QTimer* FRetry = nullptr;
    std::shared_ptr<TShared> FKeepPeerKeys; // of the last run, handed to the next
    QString FFolder;
    QString FDevice;
    QString FOwnProblem; // why the own file or the data file could not be used
    int FExports = 0;
};
