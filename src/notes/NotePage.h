#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <chrono>

#include <memory>

class QColor;
class QLabel;
class QLineEdit;
class QMenu;
class QPalette;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;
class TCardTree;
class TDbAccess;
class TUserDialogs;
class TGroupCommands;
class TNote;
class TNoteSaver;
class TTextMirror;

// The notebook page "记事本": the note groups on the left, the selected group's note on the right
// with a find bar below it. There is no save command: every change of the note is shown at once
// and written right behind it by the page's NoteSaver; a bar above the note says when a save fails
// or falls behind. The page
// owns the note tree NoteTree and its group commands NoteCommands; the groups and the notes are
// read and written through the connection and the note store it is handed.
class TNotePage final : public QWidget
{
    Q_OBJECT

public:
    TNotePage(TDbAccess& dbAccess, TUserDialogs& dialogs, TNote& note, QWidget* parent = nullptr);
    ~TNotePage() override;

    // The groups read at once (the main window loads them in steps through NoteTree), and the
    // root's note shown. Both throw; the caller runs them guarded.
    void LoadGroups();
    void ShowRootNote();
    // Saves what is due (asking when it can't), then shows nothing: the tree its root alone, the
    // editor empty and its undo steps gone. For a program that locks itself.
    void Clear();

    TCardTree& NoteTree() const { return *FNoteTree; }
    TGroupCommands& NoteCommands() const { return *FNoteCommands; }
    TNoteSaver& NoteSaver() const { return *FNoteSaver; }

    // The handlers; the page's connections run them guarded.
    // Shows the selected group's note; a click, or the keyboard moving the selection, shows it
    // unless it is already on screen.
    void tvNoteClick();
    // Shows the selected group's note, or an empty editor when it has none; writes nothing.
    void ShowSelectedNote();
    // Marks the editor's text as due for saving for the group it shows.
    void mmoNoteChange();
    // After another connection (a merge of another computer's copy, an import) changed the data
    // file, in steps that each work for about the budget: the tree is read again, keeping the
    // selected group (see TCardTree::Reload), then the shown note follows the stored one
    // without losing what is typed (FollowStoredNote). Typing not yet stored for a group that is
    // gone is put back as the note of a new group of that name where the group stood, and
    // PutBack names it. FollowStep is true once all is done.
    void BeginFollow();
    bool FollowStep(std::chrono::nanoseconds budget);
    const QString& PutBack() const { return FPutBack; }
    // The shown note's stored text changed under the editor: the editor gets the line by line
    // merge of the text last stored from here, the editor's text and the stored one, in one undo
    // step, the caret staying on its line; the merge is then saved.
    void FollowStoredNote();
    // Ctrl+D and Ctrl+T stamp the date (and time) into the note; true when it did, and then the
    // key goes no further.
    bool mmoNoteKeyDown(int key, Qt::KeyboardModifiers modifiers);
    // Finds the query after the selection, letter case ignored for a to z only.
    void btnFindClick();
    // The same from the query box (Enter, F3): the caret stays in the box.
    void FindNext(bool focusNote);
    // The editor's context menu: the editor's own items, then the two date stamps and the
    // note's history. The caller owns it.
    QMenu* NoteMenu();
    // "历史版本…" (Ctrl+H): the shown note's versions; nothing while no note is shown.
    void NoteHistoryClick();
    // Makes a text the note's, through the editor in one undo step, saved as typing is; the text
    // it replaces is kept as a version first.
    void RestoreVersion(const QString& text);
    // The query box's background after a find that matched nothing, for a colour scheme.
    static QColor FindMissColor(const QPalette& palette);

    // The editor's text as it is stored, and the same in UTF-8.
    QString MemoText() const;
    QByteArray MemoUtf8() const;
    // The note as the editor shows it, and a stretch of it selected with the caret in the note.
    QString ShownText() const;
    void SelectInNote(qsizetype at, qsizetype length);
    // The tree and the note side by side, for the window to keep the tree's width.
    QSplitter& Splitter() const { return *splitter; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The hint, the context menu and the keys of the find bar: Ctrl+F, Enter, F3.
    void AddHintMenuAndFindKeys();
    // A find that matched nothing reddens the query box until its text changes.
    void ShowFindMiss(bool miss);
    void SelectionMoved();
    // The bar above the note: shown with the reason, hidden when it is empty.
    void ShowUnsaved(const QString& reason);
    // Puts a stored text on screen; that is not a change of the note, so nothing is saved.
    void ShowText(const QString& text);
    // Changes the editor's text (from) into another in place, line stretch by line stretch, in
    // one undo step; what stays keeps the caret and the scroll. With saved, the new text is
    // stored already and nothing becomes due.
    void ReplaceText(const QString& from, const QString& to, bool saved);
    // Merges the stored note of the group into the editor (base: the text last stored from
    // here), the saves going to that group from now on.
    void MergeStoredNote(qint32 typeId, const QString& base);
    // The tree's new nodes in place, and what becomes of the shown note.
    void FollowTree();

    // The page's controls, each with its name as object name: tests and tools find them by it.
    QSplitter* splitter = nullptr;
    QWidget* pnlTree = nullptr;
    QTreeWidget* tvNote = nullptr;
    QWidget* pnlNote = nullptr;
    QLabel* lblUnsaved = nullptr; // "尚未保存：<reason>，正在重试…" above the note
    QPlainTextEdit* mmoNote = nullptr;
    QWidget* pnlFind = nullptr;
    QLabel* lblQuery = nullptr;
    QLineEdit* edtQuery = nullptr;
    QPushButton* btnFind = nullptr;

    TDbAccess& FDbAccess;
    TNote& FNote;
    bool FHistoryThinned = false; // the history is thinned once a run, when the root shows
    std::unique_ptr<TCardTree> FNoteTree;
    TGroupCommands* FNoteCommands = nullptr;
    TNoteSaver* FNoteSaver = nullptr;
    TTextMirror* FMirror = nullptr; // the note's text for the saves while typing
    bool FShowing = false;
    // A flood of keys (a held key on a busy machine, a typing tool) is handled in one go before
    // the window paints: the note is painted between two keys once a frame has gone by without
    // showing the change.
    static constexpr qint64 FramePause = 16;
    QElapsedTimer FPainted;  // since the note's last paint
    bool FUnpainted = false; // the note changed since
    bool FFollowing = false; // the tree is read again: its selection moves show no note
    enum class TFollow
    {
        None,
        Reading, // the tree
        Merging, // the shown note, for the group FFollowId, from FFollowBase
    };
    TFollow FFollow = TFollow::None;
    qint32 FFollowId = 0;
    QString FFollowBase;
    QString FPutBack;
    // The node whose note the editor shows (or failed to show), and the mouse press it came with.
    const QTreeWidgetItem* FShownNode = nullptr;
    bool FShowFailed = false;
    int FPresses = 0;
    int FShownAtPress = 0;
};
