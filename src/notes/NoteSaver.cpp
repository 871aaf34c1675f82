#include "notes/NoteSaver.h"

#include "common/CardException.h"
#include "common/DailyLog.h"
#include "common/Errors.h"
#include "common/Messages.h"
#include "data/DbWriter.h"
#include "data/NoteHistory.h"
#include "notes/Note.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QTimer>

#include <algorithm>
#include <mutex>

namespace {

// Every text handed to the writer gets a ticket larger than all before it, whichever editor
// handed it in.
qint64 LastTicket = 0;

qint64 SteadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

qint64 WallClock()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// A save that writes utf8 over the stored text expected (none: whatever is stored), keeping
// a version of the text stored before when the save takes away more than half of it, and of
// utf8 when keep is set, in the same transaction: the history costs no commit of its own. A
// version asked for with nothing typed since the last save is all that is written. An empty
// note is not kept: what it replaced was. Runs on the writer's thread.
qint64 StoreWithHistory(TPrepared& db, qint32 typeId, qint64 rowId, const QByteArray& utf8,
                        const QByteArray* expected, bool keep, bool check, qint64 now)
{
    const bool removal = check && expected && TNoteHistory::RemovesHalf(*expected, utf8);
    const auto store = [&] {
        return expected ? TNote::StoreNote(db, typeId, rowId, utf8, *expected)
                        : TNote::StoreNote(db, typeId, rowId, utf8);
    };
    keep = keep && !utf8.isEmpty();
    if (!keep && !removal)
        return store();
    qint64 row = 0;
    TNoteHistory::InTransaction(db.Connection(), [&] {
        TNoteHistory history(db.Connection(), [now] { return now; });
        bool kept = removal && history.Keep(typeId, *expected);
        row = expected && rowId > 0 && utf8 == *expected ? rowId : store();
        if (keep && row != TNote::ChangedElsewhere)
            kept = history.Keep(typeId, utf8) || kept;
        if (kept)
            history.Thin(typeId);
    });
    return row;
}

// The pieces of a text handed over, joined on the writer's thread.
QString Joined(const QStringList& pieces)
{
    return pieces.size() == 1 ? pieces.front() : pieces.join(QString());
}

} // namespace

struct TNoteSaver::TStored
{
    std::mutex Mutex;
    QByteArray Utf8;
};

TNoteSaver::TNoteSaver(TWriterSource writer, TUserDialogs& dialogs, std::function<QString()> text,
                       QObject* parent, TClock clock)
    : QObject(parent), FWriter(std::move(writer)), FDialogs(dialogs), FText(std::move(text)),
      FClock(clock ? std::move(clock) : TClock(&SteadyMs)), FOverdue(new QTimer(this)),
      FPause(new QTimer(this)), FHistoryClock(&WallClock), FKeepTimer(new QTimer(this))
{
    FKeepTimer->setSingleShot(true);
    FKeepTimer->setInterval(KeepAfter);
    ConnectGuarded(FKeepTimer, &QTimer::timeout, this, [this] { KeepVersion(); });
    FOverdue->setSingleShot(true);
    FPause->setSingleShot(true);
    FPause->setTimerType(Qt::PreciseTimer);
    ConnectGuarded(FPause, &QTimer::timeout, this, [this] { SubmitWhenPaused(); });
    connect(this, &TNoteSaver::WriterReported, this, &TNoteSaver::TakeReport, Qt::QueuedConnection);
    ConnectGuarded(FOverdue, &QTimer::timeout, this, [this] { CheckOverdue(); });
    if (QCoreApplication* application = QCoreApplication::instance()) {
        ConnectGuarded(application, &QCoreApplication::aboutToQuit, this, [this] {
            KeepVersion();
            SaveNow(LastWait);
        });
        if (auto* gui = qobject_cast<QGuiApplication*>(application))
            ConnectGuarded(gui, &QGuiApplication::commitDataRequest, this, [this] {
                KeepVersion();
                SaveNow(LastWait);
            });
    }
}

TNoteSaver::~TNoteSaver()
{
    if (FListening)
        Writer().SetListener(nullptr);
}

void TNoteSaver::Shown(qint32 typeId, qint64 rowId)
{
    // The writer gets ready for the first change meanwhile.
    Writer();
    FHasGroup = true;
    FTypeId = typeId;
    FRowId = rowId;
    FShownAt = LastTicket;
    FLarge = false;
    FStored.reset();
    FElsewhere = false;
    Settled();
    FEdited = false;
    FKeepWanted = false;
    FKeepTimer->stop();
}

void TNoteSaver::Shown(qint32 typeId, qint64 rowId, const QString& storedText)
{
    Shown(typeId, rowId);
    FLarge = storedText.size() >= LargeNote;
    FStored = std::make_shared<TStored>();
    FStored->Utf8 = TNote::StoredUtf8(storedText);
}

void TNoteSaver::Rebase(qint64 rowId, const QString& storedText, bool due)
{
    if (!FHasGroup)
        return;
    // Works handed in before expect the old text: they fail and are followed again, harmlessly.
    FStored = std::make_shared<TStored>();
    FStored->Utf8 = TNote::StoredUtf8(storedText);
    FLarge = storedText.size() >= LargeNote;
    FRowId = rowId;
    FElsewhere = false;
    if (due)
        Changed();
    else if (FSubmitted <= FWritten) {
        FDue = false;
        FDueSince = -1;
        CheckOverdue();
    }
}

QString TNoteSaver::StoredText() const
{
    if (!FStored)
        return {};
    const std::lock_guard lock(FStored->Mutex);
    return QString::fromUtf8(FStored->Utf8);
}

bool TNoteSaver::Follow()
{
    if (!FElsewhere || !FFollower)
        return false;
    FFollower();
    return true;
}

void TNoteSaver::Forget()
{
    FHasGroup = false;
    FStored.reset();
    FElsewhere = false;
    Settled();
    FEdited = false;
    FKeepWanted = false;
    FKeepTimer->stop();
}

void TNoteSaver::SetKeepAfter(std::chrono::milliseconds after)
{
    FKeepTimer->setInterval(after);
}

void TNoteSaver::KeepVersion(bool always)
{
    if (!FHasGroup || (!FEdited && !always))
        return;
    FEdited = false;
    FKeepTimer->stop();
    FKeepWanted = true;
    FDue = true;
    Submit(true);
}

void TNoteSaver::Settled()
{
    FDue = false;
    FDueSince = -1;
    FHanded.clear();
    FWritten = std::max(FWritten, FSubmitted);
    FOldestWaiting = -1;
    FPause->stop();
    FOverdue->stop();
    SetUnsaved(QString());
}

void TNoteSaver::Changed()
{
    if (!FHasGroup)
        return;
    FDue = true;
    FEdited = true;
    FKeepTimer->start();
    if (FDueSince < 0)
        FDueSince = FClock();
    CheckOverdue();
    if (FLarge) {
        FNewestChange = SteadyMs();
        if (FOldestWaiting < 0)
            FOldestWaiting = FNewestChange;
        if (!FPause->isActive())
            FPause->start(BurstPause);
        return;
    }
    if (FQueued)
        return;
    FQueued = true;
    // Posted behind the input already queued: the keys handled in one turn go in one save.
    QMetaObject::invokeMethod(
        this,
        [this] {
            FQueued = false;
            RunGuarded([this] { Submit(false); });
        },
        Qt::QueuedConnection);
}

bool TNoteSaver::Due() const
{
    return FDue || FSubmitted > FWritten;
}

TDbWriter::TWork TNoteSaver::TakeUnwritten()
{
    TDbWriter::TWork work;
    if (FHasGroup && Due())
        work = [typeId = FTypeId, rowId = FRowId, text = FText()](TPrepared& db) {
            return TNote::StoreNote(db, typeId, rowId, TNote::StoredUtf8(text));
        };
    Writer().Drop();
    FFailure.clear();
    FLocked = false;
    Settled();
    return work;
}

void TNoteSaver::Submit(bool force)
{
    // A save held back waits for the other connection's change to be followed.
    if (!FDue || !FHasGroup || FElsewhere)
        return;
    // While a healthy save is under way the keys wait for it: the text is taken and encoded
    // once a commit, not once a key. A failing save is replaced, so its retry writes the newest.
    if (!force && FSubmitted > FWritten && FFailure.isEmpty())
        return;
    FDue = false;
    FOldestWaiting = -1;
    FPause->stop();
    TDbWriter& writer = Writer();
    if (!FListening) {
        FListening = true;
        FCommitsSeen = writer.State().Commits;
        // Called on the writer's thread; the report is taken on this one, through a queued
        // signal: the call carries nothing of the writer's thread to this one but the wake-up,
        // and the report itself is read under the writer's lock.
        writer.SetListener([this] { Q_EMIT WriterReported(); });
    }
    FSubmitted = ++LastTicket;
    FHanded.push_back({FSubmitted, FDueSince});
    FDueSince = -1;
    QStringList pieces = FPieces ? FPieces() : QStringList{FText()};
    qsizetype size = 0;
    for (const QString& piece : pieces)
        size += piece.size();
    FLarge = size >= LargeNote;
    // A version wanted goes with every save handed over until one of them is written: a save
    // not yet begun is replaced by the next.
    const bool keep = FKeepWanted;
    if (keep)
        FKeepTicket = FSubmitted;
    const qint64 now = FHistoryClock();
    if (!FStored) {
        writer.Submit(FSubmitted, [typeId = FTypeId, rowId = FRowId, pieces = std::move(pieces),
                                   keep, now](TPrepared& db) {
            return StoreWithHistory(db, typeId, rowId, TNote::StoredUtf8(Joined(pieces)), nullptr,
                                    keep, false, now);
        });
        return;
    }
    writer.Submit(FSubmitted, [typeId = FTypeId, rowId = FRowId, pieces = std::move(pieces),
                               stored = FStored, keep, check = FRemovalCheck, now](TPrepared& db) {
        const QByteArray utf8 = TNote::StoredUtf8(Joined(pieces));
        QByteArray expected;
        {
            const std::lock_guard lock(stored->Mutex);
            expected = stored->Utf8;
        }
        const qint64 row = StoreWithHistory(db, typeId, rowId, utf8, &expected, keep, check, now);
        if (row != TNote::ChangedElsewhere) {
            const std::lock_guard lock(stored->Mutex);
            stored->Utf8 = utf8;
        }
        return row;
    });
}

void TNoteSaver::SubmitWhenPaused()
{
    if (FLarge && FDue && FOldestWaiting >= 0) {
        const qint64 at =
            std::min(FNewestChange + BurstPause.count(), FOldestWaiting + BurstLongest.count());
        const qint64 left = at - SteadyMs();
        if (left > 0) {
            FPause->start(int(left));
            return;
        }
    }
    Submit(false);
}

void TNoteSaver::TakeReport()
{
    RunGuarded([this] { Take(); });
}

void TNoteSaver::Take()
{
    if (!FListening)
        return;
    Take(Writer().State());
}

void TNoteSaver::Take(const TDbWriter::TState& state)
{
    const QString& failure = state.Failure;
    if (state.Written > FWritten) {
        FWritten = state.Written;
        // The row belongs to the shown note only when its own typing was written. Typing held
        // back stays due until the other change is followed.
        if (FHasGroup && state.Written > FShownAt && state.Result == TNote::ChangedElsewhere &&
            FStored) {
            FElsewhere = true;
            FDue = true;
            if (FDueSince < 0)
                FDueSince = FClock();
            if (!FFollowQueued) {
                FFollowQueued = true;
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        FFollowQueued = false;
                        RunGuarded([this] { Follow(); });
                    },
                    Qt::QueuedConnection);
            }
        } else if (FHasGroup && state.Written > FShownAt) {
            FRowId = state.Result;
            if (FKeepWanted && state.Written >= FKeepTicket)
                FKeepWanted = false;
        }
    }
    while (!FHanded.empty() && FHanded.front().Ticket <= FWritten)
        FHanded.pop_front();
    // A failure goes to the daily log once, not at every try.
    if (!failure.isEmpty() && !FFailureLogged)
        WriteLog(QStringLiteral("笔记尚未保存：") + failure);
    FFailureLogged = !failure.isEmpty();
    FFailure = failure;
    FLocked = state.Locked;
    const int saves = state.Commits - FCommitsSeen;
    FCommitsSeen = state.Commits;
    // What was typed while the writer was busy goes now (or, into a large note, once the keys
    // pause).
    SubmitWhenPaused();
    CheckOverdue();
    if (saves > 0) {
        FSaves += saves;
        Q_EMIT Saved();
    }
}

void TNoteSaver::CheckOverdue()
{
    const qint64 since = !FHanded.empty() ? FHanded.front().Since : FDueSince;
    if (since < 0 || !Due()) {
        FOverdue->stop();
        SetUnsaved(QString());
        return;
    }
    if (!FFailure.isEmpty() && !FLocked) {
        SetUnsaved(FFailure);
        return;
    }
    const qint64 left = since + OverdueAfter.count() - FClock();
    if (left <= 0) {
        SetUnsaved(FFailure.isEmpty() ? tr("磁盘写入缓慢") : FFailure);
        return;
    }
    SetUnsaved(QString());
    FOverdue->start(int(left));
}

QString TNoteSaver::SaveNow(std::chrono::milliseconds longest)
{
    // A save held back is followed first; a change that keeps coming back is left to the
    // next try.
    for (int round = 0; round < 3; ++round) {
        if (FElsewhere && !Follow())
            break;
        Submit(true);
        if (FSubmitted <= FWritten && !FElsewhere)
            return {};
        if (FSubmitted > FWritten) {
            const TDbWriter::TState state = Writer().WaitFor(FSubmitted, longest);
            Take(state);
            if (FWritten < FSubmitted)
                return state.Failure.isEmpty() ? tr("磁盘写入缓慢") : state.Failure;
        }
        if (!FElsewhere)
            return {};
    }
    return tr("磁盘写入缓慢");
}

void TNoteSaver::SaveOrAsk()
{
    // A disk that is slow but writes is waited for; one that fails is asked about.
    QString reason = SaveNow();
    for (int waits = 0;
         !reason.isEmpty() && Writer().State().Failure.isEmpty() && waits < LastWait / LongestWait;
         ++waits)
        reason = SaveNow();
    while (!reason.isEmpty()) {
        const int answer = AskChoice(FDialogs, tr("笔记尚未保存（%1）。").arg(reason),
                                     {tr("重试"), tr("不保存"), tr("取消")});
        if (answer == 2)
            throw EAbort();
        if (answer == 1) {
            Writer().Drop();
            FFailure.clear();
            FLocked = false;
            FElsewhere = false;
            Settled();
            return;
        }
        Writer().RetryNow();
        reason = SaveNow();
    }
}

void TNoteSaver::SetUnsaved(const QString& reason)
{
    if (reason == FUnsaved)
        return;
    FUnsaved = reason;
    Q_EMIT UnsavedChanged(reason);
}
