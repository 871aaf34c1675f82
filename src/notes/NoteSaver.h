#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>

class TDbAccess;
class TUserDialogs;

// Writes the note editor's text for the group it shows through the database's writer, which
// works on a thread of its own. A change hands the newest text to the writer once the queued
// input has been handled; while a save is under way the keys typed meanwhile wait for the next
// one, so however keys arrive, one save is in flight and the next carries everything since.
// Before the window paints, the saver waits a little for the text it will show to be on disk.
// When that can't be (the file is locked, the disk full or failing, or just slow), the text is
// painted all the same and the saver reports it unsaved, and the writer tries again until it
// succeeds: typing never waits long on the disk and no key is lost. A change of group, a command
// on the data and the end of the program first finish the saves, asking when they can't.
class TNoteSaver final : public QObject
{
    Q_OBJECT

public:
    // The longest the window waits on the disk at a time.
    static constexpr std::chrono::milliseconds LongestWait{80};
    // The longest a change should wait to be painted: what the handling of the keys took comes
    // off the wait before the paint, down to a short wait that a quick save still makes.
    static constexpr std::chrono::milliseconds PaintWithin{90};
    static constexpr std::chrono::milliseconds ShortestWait{20};
    // The end of the program may wait longer: nothing is left to answer.
    static constexpr std::chrono::milliseconds LastWait{2000};

    // text gives the editor's text as it is stored, in UTF-8; the saves go to that connection's
    // writer.
    TNoteSaver(TDbAccess& dbAccess, TUserDialogs& dialogs, std::function<QByteArray()> text,
               QObject* parent = nullptr);
    // Saves nothing: the editor may be gone already. Its owner saves first.
    ~TNoteSaver() override;

    // The editor now shows the stored note of a group, read from rowId (0: the group has no
    // row). Nothing is due.
    void Shown(qint32 typeId, qint64 rowId);
    // The editor shows no group's note; nothing typed would be saved.
    void Forget();
    // The text changed.
    void Changed();

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
    // The commits of the saves seen so far.
    int Saves() const { return FSaves; }
    // Why the text on screen is not on disk; empty while it is.
    const QString& Unsaved() const { return FUnsaved; }

Q_SIGNALS:
    // A save has committed.
    void Saved();
    // The text on screen is not on disk, for the reason given; an empty reason: now it is.
    void UnsavedChanged(const QString& reason);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Hands the editor's text to the writer when it changed since it last did.
    void Submit();
    // What the writer reports: commits, the row written, a failure.
    void Take();
    void Take(qint64 written, qint64 row, const QString& failure, int commits);
    // Before a paint: the text about to be shown is on disk, or reported as not.
    void BeforePaint();
    void SetUnsaved(const QString& reason);

    TDbAccess& FDbAccess;
    TUserDialogs& FDialogs;
    std::function<QByteArray()> FText;
    bool FHasGroup = false;
    qint32 FTypeId = 0;
    qint64 FRowId = 0;
    qint64 FShownAt = 0;      // the last ticket before the shown note's first change
    bool FDue = false;        // changed since the writer was handed the text
    qint64 FSubmitted = 0;    // the ticket of the text the writer was handed last
    qint64 FWritten = 0;      // the newest ticket written (or given up by the user)
    qint64 FPaintedEarly = 0; // a ticket painted before it was written; 0 when none
    QString FUnsaved;
    QElapsedTimer FUnpainted; // since the first change not yet painted
    bool FQueued = false;
    bool FListening = false;
    bool FWaiting = false;
    bool FFailureLogged = false;
    int FCommitsSeen = 0;
    int FSaves = 0;
};
