#pragma once

#include "data/Prepared.h"
#include "data/Sqlite.h"

#include <QString>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Writes on a connection and a thread of its own, so that a slow, locked or failing disk never
// holds up the window. One piece of work is written at a time; work handed in meanwhile waits,
// and newer work replaces it, so a burst of changes ends in as few commits as the disk allows.
// Work that fails is tried again, after a pause that doubles up to 1.6 s, until it succeeds, is
// dropped or the writer stops. The newest work is what a retry writes.
class TDbWriter final
{
public:
    // Runs on the writer's thread against its connection; throws EDBException on failure and
    // returns a number its owner wants back (the row written).
    using TWork = std::function<qint64(TPrepared&)>;
    // The writer's own connection, or null and the reason.
    using TOpener = std::function<TConnection(QString*)>;

    struct TState
    {
        qint64 Written = 0;  // the newest ticket written
        qint64 Result = 0;   // what its work returned
        qint64 Pending = 0;  // the newest ticket handed in and not yet written; 0 when none
        QString Failure;     // why the last try failed; empty once one succeeds
        bool Locked = false; // it failed waiting for another's hold on the file
        int Commits = 0;     // the commits of the writer's connection
        int Failures = 0;    // the tries that failed
        std::chrono::milliseconds Pause{0}; // before the next try after a failure
    };

    // The connection is opened at once, on the writer's thread.
    explicit TDbWriter(TOpener opener);
    // Drops what is not written, ends a wait for a lock and joins the thread.
    ~TDbWriter();
    TDbWriter(const TDbWriter&) = delete;
    TDbWriter& operator=(const TDbWriter&) = delete;

    // Hands in work under a ticket larger than every one before; it replaces work not yet begun.
    void Submit(qint64 ticket, TWork work);
    // Waits until the ticket is written, a try fails, or the time is up.
    TState WaitFor(qint64 ticket, std::chrono::milliseconds longest);
    TState State() const;
    // Waits at most that long for the connection that the writer opens first; true once it has
    // been tried, whether it opened or not.
    bool WaitReady(std::chrono::milliseconds longest);
    // Ends the pause after a failed try: the next try starts now.
    void RetryNow();
    // Forgets the work not yet written; a try under way that waits for a lock gives up.
    void Drop();
    // Nothing is waiting to be written or being written.
    bool Idle() const;
    // Called on the writer's thread after each try, or never again once cleared.
    void SetListener(std::function<void()> listener);
    // Closes the connection once no work is in hand; the next work opens it again. Throws
    // EDBException with the headline while work waits to be written.
    void CloseConnection(const QString& headline);

private:
    void Run();
    void Attempt(std::unique_lock<std::mutex>& lock);
    // Opens the connection unless it is open; false and the reason when that fails.
    bool Open(QString* failure);
    static int Busy(void* self, int count);

    TOpener FOpener;
    mutable std::mutex FMutex;
    std::condition_variable FChanged;
    TConnection FConnection; // used by the writer's thread only while work is in hand
    TPrepared FPrepared;
    TState FState;
    TWork FWork;
    bool FInHand = false;
    bool FReady = false; // the first opening of the connection has been tried
    bool FStop = false;
    bool FGiveUp = false; // a lock wait under way ends
    std::chrono::steady_clock::time_point FRetryAt;
    std::chrono::steady_clock::time_point FBusySince;
    std::function<void()> FListener;
    std::thread FThread;
};
