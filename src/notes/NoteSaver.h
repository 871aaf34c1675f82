#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QPlainTextEdit;

// Writes the note editor's text for the group it shows, once per burst of typing: a change only
// marks the note as due, and the save runs when the queued input has been handled. It runs
// sooner whenever anything but typing into the editor is about to happen: a repaint (so a
// keystroke on screen is a keystroke on disk), a click, a shortcut, a menu, a dialog, another
// key, the window closing, the program quitting or the session ending. Keys that come slower
// than a save are each saved on their own.
class TNoteSaver final : public QObject
{
    Q_OBJECT

public:
    // text gives the editor's text as it is stored, in UTF-8.
    TNoteSaver(QPlainTextEdit* editor, std::function<QByteArray()> text, QObject* parent = nullptr);
    // Saves nothing: the editor may be gone already. Its owner flushes first.
    ~TNoteSaver() override;

    // The editor now shows the stored note of a group, read from rowId (0: the group has no
    // row). Nothing is due.
    void Shown(qint32 typeId, qint64 rowId);
    // The editor shows no group's note; nothing typed would be saved.
    void Forget();
    // The text changed.
    void Changed();
    // Saves a due change now. A failure throws and leaves the change due; it is tried again by
    // the next change or the next call, never by a mere repaint.
    void Flush();

    bool Due() const { return FDue; }
    int Saves() const { return FSaves; }

Q_SIGNALS:
    // A save has committed.
    void Saved();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A save triggered by an event: a failure is reported once the event has been handled, so
    // that no box opens inside a repaint.
    void FlushBeforeEvent();

    QPlainTextEdit* FEditor;
    std::function<QByteArray()> FText;
    bool FHasGroup = false;
    qint32 FTypeId = 0;
    qint64 FRowId = 0;
    bool FDue = false;
    bool FFailed = false; // the last save of the due change failed
    bool FQueued = false; // a save waits behind the queued input
    bool FSaving = false;
    int FSaves = 0;
};
