#include "notes/NoteSaver.h"

#include "common/CardException.h"
#include "common/DailyLog.h"
#include "common/Errors.h"
#include "common/Messages.h"
#include "data/DbAccess.h"
#include "data/DbWriter.h"
#include "notes/Note.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>

#include <algorithm>

namespace {

// Every text handed to the writer gets a ticket larger than all before it, whichever editor
// handed it in.
qint64 LastTicket = 0;

bool IsPaint(const QEvent* event)
{
    switch (event->type()) {
    case QEvent::UpdateRequest:
    case QEvent::Paint:
    case QEvent::Expose:
        return true;
    default:
        return false;
    }
}

} // namespace

TNoteSaver::TNoteSaver(TDbAccess& dbAccess, TUserDialogs& dialogs, std::function<QByteArray()> text,
                       QObject* parent)
    : QObject(parent), FDbAccess(dbAccess), FDialogs(dialogs), FText(std::move(text))
{
    if (QCoreApplication* application = QCoreApplication::instance()) {
        application->installEventFilter(this);
        ConnectGuarded(application, &QCoreApplication::aboutToQuit, this,
                       [this] { SaveNow(LastWait); });
        if (auto* gui = qobject_cast<QGuiApplication*>(application))
            ConnectGuarded(gui, &QGuiApplication::commitDataRequest, this,
                           [this] { SaveNow(LastWait); });
    }
}

TNoteSaver::~TNoteSaver()
{
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeEventFilter(this);
    if (FListening)
        FDbAccess.Writer().SetListener(nullptr);
}

void TNoteSaver::Shown(qint32 typeId, qint64 rowId)
{
    // The writer gets ready for the first change meanwhile.
    FDbAccess.Writer();
    FHasGroup = true;
    FTypeId = typeId;
    FRowId = rowId;
    FShownAt = LastTicket;
    FDue = false;
    FWritten = std::max(FWritten, FSubmitted);
    SetUnsaved(QString());
}

void TNoteSaver::Forget()
{
    FHasGroup = false;
    FDue = false;
    FWritten = std::max(FWritten, FSubmitted);
    SetUnsaved(QString());
}

void TNoteSaver::Changed()
{
    if (!FHasGroup)
        return;
    FDue = true;
    if (!FUnpainted.isValid())
        FUnpainted.start();
    if (FQueued)
        return;
    FQueued = true;
    // Posted behind the input already queued: the keys handled in one turn go in one save.
    QMetaObject::invokeMethod(
        this,
        [this] {
            FQueued = false;
            Submit();
        },
        Qt::QueuedConnection);
}

bool TNoteSaver::Due() const
{
    return FDue || FSubmitted > FWritten;
}

void TNoteSaver::Submit()
{
    if (!FDue || !FHasGroup)
        return;
    FDue = false;
    TDbWriter& writer = FDbAccess.Writer();
    if (!FListening) {
        FListening = true;
        FCommitsSeen = writer.State().Commits;
        // Called on the writer's thread; the report is taken on this one.
        writer.SetListener([this] {
            QMetaObject::invokeMethod(
                this, [this] { Take(); }, Qt::QueuedConnection);
        });
    }
    FSubmitted = ++LastTicket;
    writer.Submit(FSubmitted, [typeId = FTypeId, rowId = FRowId, text = FText()](TPrepared& db) {
        return TNote::StoreNote(db, typeId, rowId, text);
    });
}

void TNoteSaver::Take()
{
    if (!FListening)
        return;
    const TDbWriter::TState state = FDbAccess.Writer().State();
    Take(state.Written, state.Result, state.Failure, state.Commits);
}

void TNoteSaver::Take(qint64 written, qint64 row, const QString& failure, int commits)
{
    if (written > FWritten) {
        FWritten = written;
        // The row belongs to the shown note only when its own typing was written.
        if (FHasGroup && written > FShownAt)
            FRowId = row;
    }
    // A failure goes to the daily log once, not at every try.
    if (!failure.isEmpty() && !FFailureLogged)
        WriteLog(QStringLiteral("笔记尚未保存：") + failure);
    FFailureLogged = !failure.isEmpty();
    const int saves = commits - FCommitsSeen;
    FCommitsSeen = commits;
    if (FPaintedEarly != 0 && FWritten >= FPaintedEarly) {
        FPaintedEarly = 0;
        SetUnsaved(QString());
    } else if (FPaintedEarly != 0 && !failure.isEmpty()) {
        SetUnsaved(failure);
    }
    if (saves > 0) {
        FSaves += saves;
        Q_EMIT Saved();
    }
}

QString TNoteSaver::SaveNow(std::chrono::milliseconds longest)
{
    Submit();
    if (FSubmitted <= FWritten)
        return {};
    const TDbWriter::TState state = FDbAccess.Writer().WaitFor(FSubmitted, longest);
    Take(state.Written, state.Result, state.Failure, state.Commits);
    if (FWritten >= FSubmitted)
        return {};
    return state.Failure.isEmpty() ? tr("磁盘写入缓慢") : state.Failure;
}

void TNoteSaver::SaveOrAsk()
{
    // A disk that is slow but writes is waited for; one that fails is asked about.
    QString reason = SaveNow();
    for (int waits = 0; !reason.isEmpty() && FDbAccess.Writer().State().Failure.isEmpty() &&
                        waits < LastWait / LongestWait;
         ++waits)
        reason = SaveNow();
    while (!reason.isEmpty()) {
        const int answer = AskChoice(FDialogs, tr("笔记尚未保存（%1）。").arg(reason),
                                     {tr("重试"), tr("不保存"), tr("取消")});
        if (answer == 2)
            throw EAbort();
        if (answer == 1) {
            FDbAccess.Writer().Drop();
            FDue = false;
            FWritten = std::max(FWritten, FSubmitted);
            FPaintedEarly = 0;
            SetUnsaved(QString());
            return;
        }
        FDbAccess.Writer().RetryNow();
        reason = SaveNow();
    }
}

void TNoteSaver::BeforePaint()
{
    Submit();
    if (FSubmitted <= FWritten)
        return;
    // While the note says it is unsaved, painting does not wait: the keys show at once.
    if (FPaintedEarly == 0) {
        const auto handled =
            std::chrono::milliseconds(FUnpainted.isValid() ? FUnpainted.elapsed() : 0);
        const QString reason =
            SaveNow(std::clamp(PaintWithin - handled, ShortestWait, LongestWait));
        if (reason.isEmpty())
            return;
        FPaintedEarly = FSubmitted;
        SetUnsaved(reason);
        return;
    }
    FPaintedEarly = FSubmitted;
}

void TNoteSaver::SetUnsaved(const QString& reason)
{
    if (reason == FUnsaved)
        return;
    FUnsaved = reason;
    Q_EMIT UnsavedChanged(reason);
}

bool TNoteSaver::eventFilter(QObject* watched, QEvent* event)
{
    if (FHasGroup && !FWaiting && IsPaint(event) && Due()) {
        FWaiting = true;
        RunGuarded([this] { BeforePaint(); });
        FWaiting = false;
    }
    if (IsPaint(event))
        FUnpainted.invalidate();
    return QObject::eventFilter(watched, event);
}
