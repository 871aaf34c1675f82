#include "data/DbWriter.h"

#include "common/Errors.h"

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <cstdint>

#include <sys/syscall.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A reader of the file holds its lock for a moment only. A longer wait gives up, so that a lock
// held for long neither keeps the program's own reads out (the writer's claim to the file stops
// new readers) nor hides from the user that the note is not saved; the try is repeated.
constexpr milliseconds LockWait(50);
constexpr milliseconds FirstPause(100);
constexpr milliseconds LongestPause(1600);
constexpr milliseconds WatchFor(3);

// The kernel's scheduling attributes of a thread, as sched_setattr takes them.
struct TSchedAttr
{
    std::uint32_t Size;
    std::uint32_t Policy;
    std::uint64_t Flags;
    std::int32_t Nice;
    std::uint32_t Priority;
    std::uint64_t Runtime;
    std::uint64_t Deadline;
    std::uint64_t Period;
    std::uint32_t UtilMin;
    std::uint32_t UtilMax;
};

// Encoding and encrypting a large note keeps the writer on a core for many ms at a time. With a
// long time slice, a thread that wakes with a shorter one (the window's, for a key or a paint)
// may take the core from it at once rather than when the writer's slice runs out; the writer's
// share of the processor stays what it was. Its policy and nice value stay as they are; a kernel
// without custom slices refuses, and nothing changes.
void RunAsBackgroundWork()
{
    TSchedAttr attr{};
    if (syscall(SYS_sched_getattr, 0, &attr, sizeof attr, 0) != 0)
        return;
    attr.Size = sizeof attr;
    attr.Flags = 0;
    attr.Runtime = 20'000'000; // ns
    [[maybe_unused]] const long done = syscall(SYS_sched_setattr, 0, &attr, 0);
}

} // namespace

TDbWriter::TDbWriter(TOpener opener) : FOpener(std::move(opener)), FThread([this] { Run(); }) {}

TDbWriter::~TDbWriter()
{
    {
        const std::lock_guard lock(FMutex);
        FStop = true;
        FGiveUp = true;
        FListener = nullptr;
    }
    FChanged.notify_all();
    FThread.join();
    FPrepared.Reset(nullptr);
}

void TDbWriter::Submit(qint64 ticket, TWork work)
{
    {
        const std::lock_guard lock(FMutex);
        FWork = std::move(work);
        FState.Pending = ticket;
    }
    FChanged.notify_all();
}

TDbWriter::TState TDbWriter::WaitFor(qint64 ticket, milliseconds longest)
{
    const auto done = [&] {
        return FState.Written >= ticket ||
               (!FInHand && (!FState.Failure.isEmpty() || FState.Pending == 0));
    };
    // A short commit is watched for rather than slept through: waking a sleeping thread can take
    // a good part of what a small note's commit takes.
    const Clock::time_point watchUntil = Clock::now() + std::min(longest, WatchFor);
    std::unique_lock lock(FMutex);
    while (!done() && Clock::now() < watchUntil) {
        lock.unlock();
        std::this_thread::yield();
        lock.lock();
    }
    FChanged.wait_for(lock, longest, done);
    return FState;
}

TDbWriter::TState TDbWriter::State() const
{
    const std::lock_guard lock(FMutex);
    return FState;
}

bool TDbWriter::WaitReady(milliseconds longest)
{
    std::unique_lock lock(FMutex);
    return FChanged.wait_for(lock, longest, [this] { return FReady; });
}

void TDbWriter::RetryNow()
{
    {
        const std::lock_guard lock(FMutex);
        FRetryAt = Clock::now();
    }
    FChanged.notify_all();
}

void TDbWriter::Drop()
{
    {
        const std::lock_guard lock(FMutex);
        FState.Pending = 0;
        FState.Failure.clear();
        FWork = nullptr;
        FGiveUp = true;
    }
    FChanged.notify_all();
}

bool TDbWriter::Idle() const
{
    const std::lock_guard lock(FMutex);
    return !FInHand && FState.Pending == 0;
}

void TDbWriter::SetListener(std::function<void()> listener)
{
    const std::lock_guard lock(FMutex);
    FListener = std::move(listener);
}

void TDbWriter::CloseConnection(const QString& headline)
{
    std::unique_lock lock(FMutex);
    FChanged.wait(lock, [this] { return FReady && !FInHand; });
    if (FState.Pending != 0)
        throw EDBException(QStringLiteral("a note is still being saved"), headline, QString());
    FPrepared.Reset(nullptr);
    FConnection.reset();
}

void TDbWriter::Run()
{
    // Keying a connection takes a while: it is done before the first work comes. Only the
    // writer's thread touches the connection until it is ready.
    RunAsBackgroundWork();
    QString failure;
    Open(&failure);
    std::unique_lock lock(FMutex);
    FReady = true;
    FChanged.notify_all();
    while (!FStop) {
        if (FState.Pending == 0)
            FChanged.wait(lock);
        else if (Clock::now() < FRetryAt)
            FChanged.wait_until(lock, FRetryAt);
        else
            Attempt(lock);
    }
}

void TDbWriter::Attempt(std::unique_lock<std::mutex>& lock)
{
    const qint64 ticket = FState.Pending;
    const TWork work = FWork;
    FInHand = true;
    FGiveUp = false;
    lock.unlock();

    QString failure;
    qint64 result = 0;
    if (Open(&failure)) {
        try {
            result = work(FPrepared);
        } catch (const ECardError& error) {
            failure = error.Message();
        } catch (const std::exception& error) {
            failure = QString::fromUtf8(error.what());
        }
    }
    const bool locked = !failure.isEmpty() && FConnection &&
                        (sqlite3_errcode(FConnection.get()) & 0xff) == SQLITE_BUSY;

    lock.lock();
    FInHand = false;
    if (failure.isEmpty()) {
        FState.Written = ticket;
        FState.Result = result;
        FState.Failure.clear();
        ++FState.Commits;
        FState.Pause = milliseconds(0);
        if (FState.Pending == ticket) {
            FState.Pending = 0;
            FWork = nullptr;
        }
    } else if (FState.Pending != 0) {
        FState.Failure = failure;
        FState.Locked = locked;
        ++FState.Failures;
        FState.Pause = std::clamp(FState.Pause * 2, FirstPause, LongestPause);
        FRetryAt = Clock::now() + FState.Pause;
    }
    FChanged.notify_all();
    if (FListener)
        FListener();
}

bool TDbWriter::Open(QString* failure)
{
    if (FConnection)
        return true;
    FConnection = FOpener(failure);
    if (!FConnection)
        return false;
    sqlite3_busy_handler(FConnection.get(), &TDbWriter::Busy, this);
    FPrepared.Reset(FConnection.get());
    return true;
}

int TDbWriter::Busy(void* self, int count)
{
    auto* writer = static_cast<TDbWriter*>(self);
    std::unique_lock lock(writer->FMutex);
    const Clock::time_point now = Clock::now();
    if (count == 0)
        writer->FBusySince = now;
    if (writer->FStop || writer->FGiveUp || now - writer->FBusySince >= LockWait)
        return 0;
    writer->FChanged.wait_for(lock, milliseconds(2));
    return 1;
}
