#include "notes/NotePage.h"

#include "common/CardException.h"
#include "common/Errors.h"
#include "common/gui/Contrast.h"
#include "data/DbAccess.h"
#include "data/NoteHistory.h"
#include "groups/CardTree.h"
#include "groups/DateStamp.h"
#include "groups/GroupCommands.h"
#include "notes/FormNoteHistory.h"
#include "notes/Note.h"
#include "notes/NoteSaver.h"
#include "notes/TextHunks.h"
#include "notes/TextMirror.h"
#include "sync/LineMerge.h"

#include <QFont>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTextCursor>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstring>
#include <exception>
#include <utility>

namespace {

// Letter case is ignored for a to z only; every other character is compared as it stands.
QString AsciiUpper(QString text)
{
    for (QChar& c : text)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return text;
}

} // namespace

TNotePage::TNotePage(TDbAccess& dbAccess, TUserDialogs& dialogs, TNote& note, QWidget* parent)
    : QWidget(parent), FDbAccess(dbAccess), FNote(note)
{
    setObjectName(QStringLiteral("NotePage"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->setChildrenCollapsible(false);
    layout->addWidget(splitter);

    pnlTree = new QWidget(splitter);
    pnlTree->setObjectName(QStringLiteral("pnlTree"));
    auto* treeLayout = new QVBoxLayout(pnlTree);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    tvNote = new QTreeWidget(pnlTree);
    tvNote->setObjectName(QStringLiteral("tvNote"));
    tvNote->setIndentation(19);
    tvNote->setAccessibleName(tr("笔记分组"));
    treeLayout->addWidget(tvNote);

    pnlNote = new QWidget(splitter);
    pnlNote->setObjectName(QStringLiteral("pnlNote"));
    auto* noteLayout = new QVBoxLayout(pnlNote);
    noteLayout->setContentsMargins(0, 0, 0, 0);
    noteLayout->setSpacing(0);
    mmoNote = new QPlainTextEdit(pnlNote);
    mmoNote->setObjectName(QStringLiteral("mmoNote"));
    mmoNote->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    mmoNote->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont noteFont = mmoNote->font();
    noteFont.setPixelSize(13);
    mmoNote->setFont(noteFont);
    // Until a group's note is shown there is no group to save typing for: it would be lost.
    mmoNote->setReadOnly(true);
    mmoNote->setAccessibleName(tr("笔记"));
    mmoNote->setAccessibleDescription(tr("所选分组的笔记，随时自动保存"));
    // Above the note while what it shows is not on disk; typing goes on meanwhile.
    lblUnsaved = new QLabel(pnlNote);
    lblUnsaved->setObjectName(QStringLiteral("lblUnsaved"));
    lblUnsaved->setAutoFillBackground(true);
    lblUnsaved->setContentsMargins(8, 3, 8, 3);
    QPalette warning = lblUnsaved->palette();
    warning.setColor(QPalette::Window, QColor(0xFF, 0xF1, 0xC2));
    warning.setColor(QPalette::WindowText, QColor(0x5C, 0x40, 0x00));
    lblUnsaved->setPalette(warning);
    lblUnsaved->hide();
    noteLayout->addWidget(lblUnsaved);
    noteLayout->addWidget(mmoNote, 1);

    pnlFind = new QWidget(pnlNote);
    pnlFind->setObjectName(QStringLiteral("pnlFind"));
    pnlFind->setMinimumHeight(41);
    auto* findLayout = new QHBoxLayout(pnlFind);
    findLayout->setContentsMargins(8, 0, 8, 0);
    lblQuery = new QLabel(tr("查找字符"), pnlFind);
    lblQuery->setObjectName(QStringLiteral("lblQuery"));
    edtQuery = new QLineEdit(pnlFind);
    edtQuery->setObjectName(QStringLiteral("edtQuery"));
    edtQuery->setMinimumWidth(145);
    lblQuery->setBuddy(edtQuery);
    edtQuery->setAccessibleName(tr("查找字符"));
    edtQuery->setAccessibleDescription(tr("Enter 或 F3 查找下一个；找不到时背景变红"));
    btnFind = new QPushButton(tr("查找"), pnlFind);
    btnFind->setObjectName(QStringLiteral("btnFind"));
    btnFind->setAccessibleName(tr("查找"));
    btnFind->setAccessibleDescription(tr("在笔记中查找下一个"));
    btnFind->setAutoDefault(false);
    findLayout->addWidget(lblQuery);
    findLayout->addWidget(edtQuery);
    findLayout->addWidget(btnFind);
    findLayout->addStretch(1);
    noteLayout->addWidget(pnlFind);

    splitter->addWidget(pnlTree);
    splitter->addWidget(pnlNote);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({200, 600});

    FNoteTree = std::make_unique<TCardTree>(dbAccess, dialogs, tvNote, QStringLiteral("NoteType"),
                                            tr("根目录"), TTreePictures::Folders);
    FNoteCommands = new TGroupCommands(*FNoteTree, this);
    ConnectGuarded(FNoteCommands, &TGroupCommands::GroupAdded, this,
                   [this] { ShowText(QString()); });
    // The note goes with its group into the recycle bin as it stands, typing included, and its
    // history with the last version kept: nothing is left to keep or save for the deleted group
    // when another group is shown.
    FNoteCommands->BeforeDelete = [this](const QString&) {
        FNoteSaver->KeepVersion();
        FNoteSaver->SaveOrAsk();
    };
    // The question names the note that would go with the group: the editor's text for the
    // group it shows (typing may not be stored yet), the stored one for any other.
    FNoteCommands->DescribeContent = [this](const QString& groupIndex) {
        const bool shown = FShownNode && FShownNode == FNoteTree->Selected() && !FShowFailed &&
                           QString::number(FNoteTree->SelectedIndex()) == groupIndex;
        const bool hasNote = shown ? !mmoNote->document()->isEmpty() : FNote.HasText(groupIndex);
        return hasNote ? tr("该分组的笔记将一并删除。") : QString();
    };
    // Deleting a group moved the selection, which has shown the new node's note already.
    ConnectGuarded(FNoteCommands, &TGroupCommands::GroupDeleted, this, [this] {
        const QTreeWidgetItem* node = FNoteTree->Selected();
        if (node && (node != FShownNode || FShowFailed))
            ShowSelectedNote();
    });

    // A click and the keyboard both move the selection; one move shows the note once, even
    // though it arrives as several signals.
    ConnectGuarded(tvNote, &QTreeWidget::itemClicked, this, [this] { tvNoteClick(); });
    ConnectGuarded(tvNote, &QTreeWidget::currentItemChanged, this, [this] { SelectionMoved(); });
    ConnectGuarded(tvNote, &QTreeWidget::itemSelectionChanged, this, [this] { SelectionMoved(); });
    // A node that goes (a deleted group, a reloaded tree) may leave its address to a new one.
    QAbstractItemModel* nodes = tvNote->model();
    connect(nodes, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this] { FShownNode = nullptr; });
    connect(nodes, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { FShownNode = nullptr; });
    FNoteSaver = new TNoteSaver([&dbAccess]() -> TDbWriter& { return dbAccess.Writer(); }, dialogs,
                                [this] { return mmoNote->document()->toRawText(); }, this);
    FNoteSaver->SetFollower([this] { FollowStoredNote(); });
    // It goes with the document it follows.
    FMirror = new TTextMirror(*mmoNote->document(), mmoNote->document());
    FNoteSaver->SetPieces([this] { return FMirror->Pieces(); });
    connect(FNoteSaver, &TNoteSaver::UnsavedChanged, this,
            [this](const QString& reason) { ShowUnsaved(reason); });
    ConnectGuarded(mmoNote, &QPlainTextEdit::textChanged, this, [this] { mmoNoteChange(); });
    ConnectGuarded(btnFind, &QPushButton::clicked, this, [this] { btnFindClick(); });
    mmoNote->installEventFilter(this);
    mmoNote->viewport()->installEventFilter(this);
    tvNote->viewport()->installEventFilter(this);
    AddHintMenuAndFindKeys();
}

void TNotePage::AddHintMenuAndFindKeys()
{
    // The hint is drawn over an empty editor only; it never becomes the note's text.
    mmoNote->setPlaceholderText(tr("在这里输入，内容随时自动保存"));
    mmoNote->setContextMenuPolicy(Qt::CustomContextMenu);
    ConnectGuarded(mmoNote, &QWidget::customContextMenuRequested, this,
                   [this](const QPoint& position) {
                       QMenu* menu = NoteMenu();
                       menu->setAttribute(Qt::WA_DeleteOnClose);
                       menu->popup(mmoNote->viewport()->mapToGlobal(position));
                   });

    auto* findKey = new QShortcut(QKeySequence::Find, this);
    findKey->setContext(Qt::WidgetWithChildrenShortcut);
    ConnectGuarded(findKey, &QShortcut::activated, this, [this] {
        edtQuery->setFocus(Qt::ShortcutFocusReason);
        edtQuery->selectAll();
    });
    auto* historyKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this);
    historyKey->setContext(Qt::WidgetWithChildrenShortcut);
    ConnectGuarded(historyKey, &QShortcut::activated, this, [this] { NoteHistoryClick(); });
    // Enter and F3 in the query box find the next match and leave the caret there, so that the
    // next press goes on finding instead of typing into the note.
    ConnectGuarded(edtQuery, &QLineEdit::returnPressed, this, [this] { FindNext(false); });
    ConnectGuarded(edtQuery, &QLineEdit::textChanged, this, [this] { ShowFindMiss(false); });
    edtQuery->installEventFilter(this);
}

QMenu* TNotePage::NoteMenu()
{
    QMenu* menu = mmoNote->createStandardContextMenu();
    menu->addSeparator();
    const bool writable = !mmoNote->isReadOnly();
    for (const bool withTime : {false, true}) {
        QAction* stamp = menu->addAction(withTime ? tr("插入日期时间") : tr("插入日期"));
        // The editor's key filter stamps while the menu is closed; the shortcut, which the menu
        // shows, acts only while the menu is open and has the keys to itself.
        stamp->setShortcut(QKeySequence(Qt::CTRL | (withTime ? Qt::Key_T : Qt::Key_D)));
        stamp->setShortcutContext(Qt::WidgetShortcut);
        stamp->setShortcutVisibleInContextMenu(true);
        stamp->setEnabled(writable);
        ConnectGuarded(stamp, &QAction::triggered, this, [this, withTime] {
            if (!mmoNote->isReadOnly())
                mmoNote->insertPlainText(DateStamp(withTime));
        });
    }
    menu->addSeparator();
    QAction* history = menu->addAction(tr("历史版本…"));
    history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    history->setShortcutContext(Qt::WidgetShortcut);
    history->setShortcutVisibleInContextMenu(true);
    history->setEnabled(writable);
    // Queued: the dialog comes once the menu has closed.
    ConnectGuarded(history, &QAction::triggered, this, [this] {
        QMetaObject::invokeMethod(
            this, [this] { RunGuarded([this] { NoteHistoryClick(); }); }, Qt::QueuedConnection);
    });
    return menu;
}

void TNotePage::NoteHistoryClick()
{
    if (mmoNote->isReadOnly() || !FShownNode || FShowFailed)
        return;
    // The list holds what is on disk; the text on screen is compared with as it is.
    TNoteHistory history(FDbAccess.Handle());
    const qint32 typeId = FNoteSaver->TypeId();
    TFormNoteHistory dialog(
        history.List(typeId), MemoText(),
        [&history](qint64 versionId) { return history.Text(versionId); },
        [this](const QString& text) { RestoreVersion(text); }, this);
    dialog.exec();
}

void TNotePage::RestoreVersion(const QString& text)
{
    if (mmoNote->isReadOnly())
        return;
    FNoteSaver->KeepVersion(true);
    FNoteSaver->SaveOrAsk();
    ReplaceText(MemoText(), text, false);
    mmoNote->setFocus();
}

TNotePage::~TNotePage()
{
    // A change still due is saved while the editor is there to give its text.
    RunGuarded([this] {
        FNoteSaver->KeepVersion();
        FNoteSaver->SaveNow(TNoteSaver::LastWait);
    });
    delete FNoteSaver;
    // The controls outlive this part of the page while the widget below it deletes them: nothing
    // they signal on the way out may reach the handlers.
    tvNote->model()->disconnect(this);
    tvNote->disconnect(this);
    mmoNote->disconnect(this);
    btnFind->disconnect(this);
    edtQuery->disconnect(this);
    edtQuery->removeEventFilter(this);
    mmoNote->removeEventFilter(this);
    mmoNote->viewport()->removeEventFilter(this);
    tvNote->viewport()->removeEventFilter(this);
}

void TNotePage::LoadGroups()
{
    FNoteTree->LoadGroups();
}

void TNotePage::ShowRootNote()
{
    FNoteTree->Select(FNoteTree->RootNode());
    tvNoteClick();
    // Once a run, after the note is on screen: a failure here keeps nothing from the user.
    if (!std::exchange(FHistoryThinned, true)) {
        sqlite3* connection = FDbAccess.Handle();
        TNoteHistory::InTransaction(connection, [connection] { TNoteHistory(connection).Thin(); });
    }
}

void TNotePage::tvNoteClick()
{
    // The press of this click has shown the note already, unless it was on screen before. A
    // note that failed to load is tried again by a click of its own.
    const QTreeWidgetItem* node = FNoteTree->Selected();
    if (!FFollowing && node && (node != FShownNode || (FShowFailed && FShownAtPress != FPresses)))
        ShowSelectedNote();
}

void TNotePage::SelectionMoved()
{
    const QTreeWidgetItem* node = FNoteTree->Selected();
    if (!FFollowing && node && node != FShownNode)
        ShowSelectedNote();
}

void TNotePage::ShowSelectedNote()
{
    const QTreeWidgetItem* node = FNoteTree->Selected();
    if (!node)
        return;
    // The shown note is saved before another takes its place, a changed one with a version in
    // its history. Should the user keep it rather than let it go unsaved, the editor keeps its
    // text and its group, and the tree shows that group.
    try {
        FNoteSaver->KeepVersion();
        FNoteSaver->SaveOrAsk();
    } catch (const EAbort&) {
        if (FShownNode)
            FNoteTree->Select(const_cast<QTreeWidgetItem*>(FShownNode));
        throw;
    }
    FShownNode = node;
    FShownAtPress = FPresses;
    FShowFailed = true;
    // Should the note fail to load, the editor must not go on showing the previous group's
    // text: the next keystroke would store it as this group's note. It stays empty and
    // read-only until a note is shown again.
    const int failures = std::uncaught_exceptions();
    const auto onFailure = qScopeGuard([this, failures] {
        if (std::uncaught_exceptions() > failures) {
            FNoteSaver->Forget();
            ShowText(QString());
            mmoNote->setReadOnly(true);
        }
    });
    // One read tells both the text and whether the group has a row to write to.
    FNote.LoadNote(QString::number(FNoteTree->SelectedIndex()));
    ShowText(FNote.ReMark);
    FNoteSaver->Shown(FNote.TypeID, FNote.RowID, std::exchange(FNote.ReMark, QString()));
    mmoNote->setReadOnly(false);
    FShowFailed = false;
}

void TNotePage::BeginFollow()
{
    FPutBack.clear();
    FNoteTree->BeginReload();
    FFollow = TFollow::Reading;
}

bool TNotePage::FollowStep(std::chrono::nanoseconds budget)
{
    if (FFollow == TFollow::Reading) {
        // A failure to read ends the follow with the tree as it was.
        auto failed = qScopeGuard([this] { FFollow = TFollow::None; });
        if (FNoteTree->ReloadStep(budget))
            FollowTree();
        failed.dismiss();
        return FFollow == TFollow::None;
    }
    if (FFollow == TFollow::Merging) {
        FFollow = TFollow::None;
        // The user may have shown another note since: that one is followed.
        if (FShownNode && FShownNode == FNoteTree->Selected() &&
            TCardTree::KeyOf(FShownNode).SelfIndex == FFollowId)
            MergeStoredNote(FFollowId, FFollowId == FNoteSaver->TypeId()
                                           ? FNoteSaver->StoredText()
                                           : std::exchange(FFollowBase, QString()));
        else
            FollowStoredNote();
    }
    return true;
}

void TNotePage::FollowTree()
{
    FFollow = TFollow::None;
    const QTreeWidgetItem* shown =
        FShownNode && !FShowFailed && FShownNode == FNoteTree->Selected() ? FShownNode : nullptr;
    const qint32 shownId = FNoteSaver->TypeId();
    const QString caption = shown ? shown->text(0) : QString();
    const QStringList path = TCardTree::PathOf(shown);
    {
        FFollowing = true;
        const auto done = qScopeGuard([this] { FFollowing = false; });
        FNoteTree->EndReload();
    }
    QTreeWidgetItem* node = FNoteTree->Selected();
    if (!node)
        return;
    if (!shown) {
        ShowSelectedNote();
        return;
    }
    // The same group, or the same one numbered anew by the other side: its note is merged in
    // the next step.
    if (TCardTree::KeyOf(node).SelfIndex == shownId || TCardTree::PathOf(node) == path) {
        FShownNode = node;
        FFollowId = TCardTree::KeyOf(node).SelfIndex;
        FFollowBase = FNoteSaver->StoredText();
        FFollow = TFollow::Merging;
        return;
    }
    const QString mine = MemoText();
    const QString base = FNoteSaver->StoredText();
    FNoteSaver->Forget();
    if (mine == base || mine.isEmpty()) {
        ShowSelectedNote();
        return;
    }
    // The group was deleted elsewhere before this typing reached the file: the typing is put
    // back rather than lost, as the note of a group of the old name below the group that took
    // the selection, which shows its own note.
    QString name = caption;
    for (int n = 2; FNoteTree->NameExists(name); ++n)
        name = caption + QLatin1Char(' ') + QString::number(n);
    QTreeWidgetItem* back = FNoteTree->AddGroup(name);
    FNote.TypeID = TCardTree::KeyOf(back).SelfIndex;
    FNote.ReMark = mine;
    FNote.AddNote();
    FNote.ReMark.clear();
    FPutBack = name;
    ShowSelectedNote();
}

void TNotePage::FollowStoredNote()
{
    if (!FShownNode || FShowFailed || mmoNote->isReadOnly())
        return;
    MergeStoredNote(FNoteSaver->TypeId(), FNoteSaver->StoredText());
}

void TNotePage::MergeStoredNote(qint32 typeId, const QString& base)
{
    FNote.LoadNote(QString::number(typeId));
    // A group deleted elsewhere has no note to merge with: the tree's reading again decides
    // what becomes of the typing.
    if (FNote.RowID == 0 && !FNote.GroupExists(typeId))
        return;
    const QString theirs = std::exchange(FNote.ReMark, QString());
    const QString mine = MemoText();
    if (typeId != FNoteSaver->TypeId())
        FNoteSaver->Shown(typeId, FNote.RowID, theirs);
    if (theirs == base) {
        // Nothing changed there but what was stored from here.
        FNoteSaver->Rebase(FNote.RowID, theirs, mine != theirs);
        return;
    }
    // The typing is the newest text: where lines clash, it stays. Typing and the other change
    // lie apart as a rule, which is merged without the line by line comparison of the whole.
    const std::optional<QString> apart = MergeApart(base, mine, theirs);
    const QString merged = apart ? *apart : LineMerge::Merge(base, mine, theirs, true).Text;
    FNoteSaver->Rebase(FNote.RowID, theirs, merged != theirs);
    ReplaceText(mine, merged, merged == theirs);
}

void TNotePage::ReplaceText(const QString& from, const QString& to, bool saved)
{
    const std::vector<TTextHunk> hunks = LineHunks(from, to);
    if (hunks.empty())
        return;
    FShowing = saved;
    const auto done = qScopeGuard([this] { FShowing = false; });
    QScrollBar* scroll = mmoNote->verticalScrollBar();
    const int scrolled = scroll->value();
    // The editor's own caret moves with the text around it.
    QTextCursor edit(mmoNote->document());
    edit.beginEditBlock();
    for (auto hunk = hunks.rbegin(); hunk != hunks.rend(); ++hunk) {
        edit.setPosition(int(hunk->At));
        edit.setPosition(int(hunk->At + hunk->Length), QTextCursor::KeepAnchor);
        edit.insertText(hunk->Text);
    }
    edit.endEditBlock();
    scroll->setValue(scrolled);
}

void TNotePage::Clear()
{
    FNoteSaver->KeepVersion();
    FNoteSaver->SaveOrAsk();
    FFollow = TFollow::None;
    // The tree first: with nothing selected, nothing is shown again.
    FNoteTree->Clear();
    FNoteSaver->Forget();
    FShownNode = nullptr;
    ShowText(QString());
    mmoNote->setReadOnly(true);
    // The undo steps hold what was typed.
    mmoNote->document()->clearUndoRedoStacks();
}

void TNotePage::ShowUnsaved(const QString& reason)
{
    lblUnsaved->setText(tr("尚未保存：%1，正在重试…").arg(reason));
    lblUnsaved->setVisible(!reason.isEmpty());
    // Placed at once, so that the paint about to show the text shows the bar with it.
    pnlNote->layout()->activate();
}

void TNotePage::ShowText(const QString& text)
{
    FShowing = true;
    const auto done = qScopeGuard([this] { FShowing = false; });
    mmoNote->setPlainText(text);
    FMirror->Reread();
}

QString TNotePage::MemoText() const
{
    // The editor keeps its lines apart with separator characters; the note stores line feeds.
    // No-break spaces and everything else stay as typed.
    QString text = mmoNote->document()->toRawText();
    for (QChar& c : text)
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
    return text;
}

QString TNotePage::ShownText() const
{
    return mmoNote->toPlainText();
}

void TNotePage::SelectInNote(qsizetype at, qsizetype length)
{
    QTextCursor cursor = mmoNote->textCursor();
    if (at >= 0) {
        cursor.setPosition(int(at));
        cursor.setPosition(int(at + length), QTextCursor::KeepAnchor);
        mmoNote->setTextCursor(cursor);
    }
    mmoNote->setFocus();
    mmoNote->ensureCursorVisible();
}

QByteArray TNotePage::MemoUtf8() const
{
    return TNote::StoredUtf8(mmoNote->document()->toRawText());
}

void TNotePage::mmoNoteChange()
{
    FUnpainted = true;
    if (FShowing || !FNoteTree->Selected())
        return;
    FNoteSaver->Changed();
}

bool TNotePage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tvNote->viewport() && event->type() == QEvent::MouseButtonPress)
        ++FPresses;
    if (watched == mmoNote->viewport() && event->type() == QEvent::Paint) {
        FPainted.start();
        FUnpainted = false;
    }
    if (watched == mmoNote && event->type() == QEvent::KeyPress) {
        if (FUnpainted && FPainted.isValid() && FPainted.elapsed() >= FramePause)
            mmoNote->viewport()->repaint();
        const auto* key = static_cast<QKeyEvent*>(event);
        bool stamped = false;
        RunGuarded([&] { stamped = mmoNoteKeyDown(key->key(), key->modifiers()); });
        // The stamp is all the key does: on X11 desktops the editor would take Ctrl+D on to
        // delete the character after the stamp, which the user typed.
        if (stamped)
            return true;
    }
    if (watched == edtQuery && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F3 &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        RunGuarded([this] { FindNext(false); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool TNotePage::mmoNoteKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    bool withTime = false;
    if (!IsDateStampKey(key, modifiers, withTime) || mmoNote->isReadOnly())
        return false;
    mmoNote->insertPlainText(DateStamp(withTime));
    return true;
}

void TNotePage::btnFindClick()
{
    FindNext(true);
}

void TNotePage::ShowFindMiss(bool miss)
{
    if (miss) {
        QPalette reddened = edtQuery->palette();
        reddened.setColor(QPalette::Base, FindMissColor(palette()));
        edtQuery->setPalette(reddened);
    } else if (edtQuery->testAttribute(Qt::WA_SetPalette)) {
        edtQuery->setPalette(QPalette());
    }
}

QColor TNotePage::FindMissColor(const QPalette& palette)
{
    // A red tint of the scheme's field colour (light red on white, dark red on a dark field),
    // kept readable under the scheme's text.
    const QColor base = palette.color(QPalette::Active, QPalette::Base);
    const QColor red(0xFF, 0x00, 0x00);
    return ReadableBackground(Mixed(red, base, IsDark(base) ? 0.3 : 0.16),
                              palette.color(QPalette::Active, QPalette::Text));
}

void TNotePage::FindNext(bool focusNote)
{
    const QString query = edtQuery->text();
    QTextCursor cursor = mmoNote->textCursor();
    const int start = cursor.selectionEnd();
    const qsizetype hit =
        query.isEmpty() ? -1 : AsciiUpper(MemoText().mid(start)).indexOf(AsciiUpper(query));
    // No message says that nothing was found: the query box turns red until it is changed.
    ShowFindMiss(hit < 0 && !query.isEmpty());
    if (hit >= 0) {
        if (focusNote)
            mmoNote->setFocus();
        cursor.setPosition(start + int(hit));
        cursor.setPosition(start + int(hit + query.size()), QTextCursor::KeepAnchor);
    } else {
        cursor.setPosition(0);
    }
    mmoNote->setTextCursor(cursor);
}
