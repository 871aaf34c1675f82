#pragma once

#include "data/DbWriter.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>

class QTimer;
class TUserDialogs;

// Writes the note editor's text for the group it shows through the database's writer, which
// works on a thread of its own. The window never waits for the disk: a change is painted at
// once, and the writer is handed the newest text whenever it is free, so however fast keys come
// and however large the note, one save is in flight and the next carries everything since; a
// burst ends in as many commits as the disk has time for. The note says it is unsaved only when
// a save fails or what was typed has not reached the disk for OverdueAfter (a reader's hold on
// the file counts as slowness: it is let go in a moment as a rule); the writer tries
// again until it succeeds, and no key is lost. A change of group, a command on the data and the
// end of the program first finish the saves, asking when they can't.
class TNoteSaver final : public QObject
{
    Q_OBJECT

public:
    // The writer the saves go to (made at the first call).
    using TWriterSource = std::function<TDbWriter&()>;
    // A monotonic clock in ms.
    using TClock = std::function<qint64()>;

    // Typing this long on its way to the disk is reported, however healthy the disk.
    static constexpr std::chrono::milliseconds OverdueAfter{2000};
    // The longest SaveNow waits on the disk at a time by default.
    static constexpr std::chrono::milliseconds LongestWait{80};
    // The end of the program may wait longer: nothing is left to answer.
    static constexpr std::chrono::milliseconds LastWait{2000};
    // A note this long (in characters) takes the writer a good part of a frame to encode and
    // encrypt, time the keys still coming would miss on a busy machine: its typing is handed
    // over once the keys pause for BurstPause, or at the latest BurstLongest after the oldest
    // change not handed over, so that a burst goes to the disk in one save behind it.
    static constexpr qsizetype LargeNote = 256 * 1024;
    static constexpr std::chrono::milliseconds BurstPause{25};
    static constexpr std::chrono::milliseconds BurstLongest{100};
    // A changed note left alone this long gets a version in its history.
    static constexpr std::chrono::milliseconds KeepAfter{5 * 60 * 1000};

    // text gives the editor's text as the editor holds it (see TNote::StoredUtf8); it is encoded
    // on the writer's thread. clock defaults to the steady clock.
    TNoteSaver(TWriterSource writer, TUserDialogs& dialogs, std::function<QString()> text,
               QObject* parent = nullptr, TClock clock = {});
    // Saves nothing: the editor may be gone already. Its owner saves first.
    ~TNoteSaver() override;

    // The editor's text in pieces that join into what text gives (see TTextMirror), taken
    // instead of text for the saves while typing, so that the window hands over a list of
    // shared pieces rather than copying a large note.
    void SetPieces(std::function<QStringList()> pieces) { FPieces = std::move(pieces); }

    // The editor now shows the stored note of a group, read from rowId (0: the group has no
    // row). Nothing is due.
    void Shown(qint32 typeId, qint64 rowId);
    // The same, with the stored text read: the saves then write only over the text this saver
    // last knew stored, so that a change another connection made meanwhile (a merge, an import)
    // is never overwritten. Such a save is held back, still due, and the follower is called to
    // bring the other change into the editor and Rebase.
    void Shown(qint32 typeId, qint64 rowId, const QString& storedText);
    // Called on this thread when a save found the stored note changed by another connection.
    void SetFollower(std::function<void()> follower) { FFollower = std::move(follower); }
    // The stored note as it now is (read from rowId) becomes what the saves write over; with
    // due, the editor's text is due for saving.
    void Rebase(qint64 rowId, const QString& storedText, bool due);
    // The text this saver last knew stored for the shown note, in the editor's form with line
    // feeds.
    QString StoredText() const;
    qint32 TypeId() const { return FTypeId; }
    // A save was held back because another connection changed the stored note.
    bool ChangedElsewhere() const { return FElsewhere; }
    // The editor shows no group's note; nothing typed would be saved.
    void Forget();
    // The text changed.
    void Changed();
    // The wall clock (ms since the epoch) the note's versions are dated by; the system's by
    // default.
    void SetHistoryClock(TClock clock) { FHistoryClock = std::move(clock); }
    // The note's text goes into its history with the next save, which is handed to the writer
    // now, when the user changed it since it was shown or last kept (always: whether or not).
    // Whoever must know it is on disk waits as for any save (SaveNow, SaveOrAsk). A version
    // equal to the note's newest is not kept again.
    void KeepVersion(bool always = false);
    // How long a changed note is left alone before it is kept (KeepAfter but in tests).
    void SetKeepAfter(std::chrono::milliseconds after);
    // Whether a save that takes away more than half of the note keeps it first (on unless a
    // benchmark measures what that costs).
    void SetRemovalCheck(bool on) { FRemovalCheck = on; }
    // A version is wanted and not yet on disk.
    bool KeepPending() const { return FKeepWanted; }

    // Hands what is due to the writer and waits at most that long for everything the editor
    // holds to be on disk. Returns why it is not, or an empty text when it is.
    QString SaveNow(std::chrono::milliseconds longest = LongestWait);
    // Saves what is due before a change of group, a command on the data or the end of the
    // program; a disk that is slow but writes is waited for. When a save fails it asks
    // "笔记尚未保存（<reason>）。": 重试 tries again, 不保存 forgets the unsaved typing, 取消
    // throws the silent abort.
    void SaveOrAsk();

    // The editor holds typing that is not on disk yet.
    bool Due() const;
    // Takes the typing not on disk yet away from the writer, which forgets it, as the work that
    // writes the shown note as the editor holds it into the file it was shown from or a byte
    // copy of that (the row numbers are that file's); none while nothing is due. Nothing is due
    // afterwards: whoever took it writes it.
    TDbWriter::TWork TakeUnwritten();
    // The commits of the saves seen so far.
    int Saves() const { return FSaves; }
    // Why the text on screen is not on disk; empty while it is or is on its way in good time.
    const QString& Unsaved() const { return FUnsaved; }

Q_SIGNALS:
    // A save has committed.
    void Saved();
    // The text on screen is not on disk, for the reason given; an empty reason: now it is, or
    // it is on its way in good time.
    void UnsavedChanged(const QString& reason);
    // The writer has something to report (emitted on the writer's thread).
    void WriterReported();

private:
    // A text handed to the writer and the time of the oldest change it carries that no text
    // handed before it carried.
    struct THanded
    {
        qint64 Ticket;
        qint64 Since;
    };

    TDbWriter& Writer() const { return FWriter(); }
    // Hands the editor's text to the writer when it changed since it last did, and the writer
    // is free for it (or must take it now: force).
    void Submit(bool force);
    // The same, for a large note once the keys pause or have come for BurstLongest.
    void SubmitWhenPaused();
    // What the writer reports: commits, the row written, a failure.
    void TakeReport();
    void Take();
    void Take(const TDbWriter::TState& state);
    // Nothing typed is on its way any more.
    void Settled();
    // The bar: a failure, typing overdue, or nothing.
    void CheckOverdue();
    void SetUnsaved(const QString& reason);
    // Calls the follower while a save is held back; false when there is none to call.
    bool Follow();

    TWriterSource FWriter;
    TUserDialogs& FDialogs;
    std::function<QString()> FText;
    std::function<QStringList()> FPieces;
    TClock FClock;
    QTimer* FOverdue; // wakes CheckOverdue when the oldest typing would become overdue
    QTimer* FPause;   // wakes SubmitWhenPaused
    bool FHasGroup = false;
    qint32 FTypeId = 0;
    qint64 FRowId = 0;
    qint64 FShownAt = 0;   // the last ticket before the shown note's first change
    bool FDue = false;     // changed since the writer was handed the text
    qint64 FDueSince = -1; // the oldest change not handed to the writer; -1 when none
    bool FLarge = false;   // the note was LargeNote long when last stored or handed over
    // For a large note, on the steady clock: the newest change, and the oldest not handed over.
    qint64 FNewestChange = -1;
    qint64 FOldestWaiting = -1;
    qint64 FSubmitted = 0;       // the ticket of the text the writer was handed last
    qint64 FWritten = 0;         // the newest ticket written (or given up by the user)
    std::deque<THanded> FHanded; // handed and not yet written, oldest first
    QString FFailure;            // why the writer's last try failed; empty once one succeeds
    bool FLocked = false; // it failed on another's hold on the file, which may end any moment
    QString FUnsaved;
    bool FQueued = false;
    bool FListening = false;
    bool FFailureLogged = false;
    int FCommitsSeen = 0;
    int FSaves = 0;
    // What the writer last stored for the shown note, shared with the works handed to it; none
    // while the saves are not guarded.
    struct TStored;
    std::shared_ptr<TStored> FStored;
    bool FElsewhere = false;
    bool FFollowQueued = false;
    std::function<void()> FFollower;
    // The history: the user changed the shown note since it was shown or last kept; a version
    // is wanted with the next save, which the writer has under FKeepTicket.
    TClock FHistoryClock;
    QTimer* FKeepTimer; // KeepAfter since the last change
    bool FEdited = false;
    bool FKeepWanted = false;
    qint64 FKeepTicket = 0;
    bool FRemovalCheck = true;
};
