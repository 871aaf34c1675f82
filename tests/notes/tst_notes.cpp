#include "FixedDateStampClock.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"

#include "common/CardException.h"
#include "data/DbAccess.h"
#include "groups/CardTree.h"
#include "groups/DateStamp.h"
#include "groups/FormAddType.h"
#include "groups/GroupCommands.h"
#include "notes/Note.h"
#include "notes/NotePage.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

// NoteBook's rows as "TypeID:ReMark", in the order they were written.
QStringList NoteRows()
{
    DbAccess->OpenQuery(QStringLiteral("select * from NoteBook order by rowid"));
    QStringList rows;
    for (TResultSet& set = DbAccess->QuerySet(); !set.Eof(); set.Next())
        rows << QString::number(set.AsInteger(QStringLiteral("TypeID"))) + QLatin1Char(':') +
                    set.AsString(QStringLiteral("ReMark"));
    return rows;
}

int TotalChanges()
{
    return DbQueryInteger(QStringLiteral("select total_changes()"));
}

// The notebook page over a fresh database with the groups 工作 (1) holding 项目 (2), and 其他
// (3); shown once as the main window does.
struct TPage
{
    TTestFolder Folder;
    TScriptedDialogs Dialogs;
    TCardException Handler;
    std::unique_ptr<TNotePage> Page;

    explicit TPage(const QString& setUp = QString())
    {
        Folder.Connect();
        DbExecute(QStringLiteral("insert into NoteType values (1, 0, '工作')@#@"
                                 "insert into NoteType values (2, 1, '项目')@#@"
                                 "insert into NoteType values (3, 0, '其他')"));
        if (!setUp.isEmpty())
            DbExecute(setUp);
        Page = std::make_unique<TNotePage>();
        Page->resize(800, 480);
        Page->show();
        Page->LoadGroups();
        Page->ShowRootNote();
    }

    QTreeWidgetItem* Node(const QString& caption) const
    {
        const QList<QTreeWidgetItem*> found =
            Page->tvNote->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
        return found.size() == 1 ? found.first() : nullptr;
    }

    void Click(const QString& caption) const
    {
        QTreeWidget* tree = Page->tvNote;
        tree->expandAll();
        const QPoint at = tree->visualItemRect(Node(caption)).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    }

    QString Memo() const { return Page->MemoText(); }

    // The memo's selection as start and end, or the caret alone.
    QString Selection() const
    {
        const QTextCursor cursor = Page->mmoNote->textCursor();
        return cursor.hasSelection()
                   ? QStringLiteral("%1-%2").arg(cursor.selectionStart()).arg(cursor.selectionEnd())
                   : QString::number(cursor.position());
    }
};

} // namespace

class TestNotes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void storeStatementsAndRows()
    {
        TTestFolder folder;
        folder.Connect();
        QVERIFY(!Note.NoteExists(QStringLiteral("5")));
        QCOMPARE(Note.SqlText,
                 QStringLiteral("select count(TypeID) from NoteBook where TypeID= 5 "));

        const QString odd = QStringLiteral("it's \"x\" @#@ 100%\\n\n中文\u00a0end");
        Note.TypeID = 5;
        Note.ReMark = odd;
        Note.SqlText = QStringLiteral("kept");
        Note.AddNote();
        QCOMPARE(Note.SqlText, QStringLiteral("kept"));
        QCOMPARE(NoteRows(), QStringList{QStringLiteral("5:") + odd});

        Note.ReMark.clear();
        Note.LoadNote(QStringLiteral("5"));
        QCOMPARE(Note.SqlText, QStringLiteral("select * from NoteBook where TypeID=5 "));
        QCOMPARE(Note.TypeID, 5);
        QCOMPARE(Note.ReMark, odd);

        // With two rows of one key the first is read and written, and both are deleted.
        DbExecute(QStringLiteral("insert into NoteBook values (5, 'second')@#@"
                                 "insert into NoteBook values (6, null)"));
        Note.ReMark = QStringLiteral("new");
        Note.UpdateNote();
        QCOMPARE(Note.SqlText, QStringLiteral("select * from NoteBook where TypeId=5"));
        QCOMPARE(NoteRows(), QStringList({QStringLiteral("5:new"), QStringLiteral("5:second"),
                                          QStringLiteral("6:")}));
        Note.LoadNote(QStringLiteral("6"));
        QCOMPARE(Note.ReMark, QString());
        Note.LoadNote(QStringLiteral("7"));
        QCOMPARE(Note.TypeID, 7);
        QCOMPARE(Note.ReMark, QString());

        Note.DeleteNote(QStringLiteral("5"));
        QCOMPARE(Note.SqlText, QStringLiteral("delete from NoteBook where TypeID=5"));
        QCOMPARE(NoteRows(), QStringList{QStringLiteral("6:")});
        Note.DeleteNote(QStringLiteral("5"));
        QCOMPARE(NoteRows(), QStringList{QStringLiteral("6:")});
    }

    void pageControls()
    {
        TPage p;
        TNotePage& page = *p.Page;
        QCOMPARE(page.tvNote->indentation(), 19);
        QVERIFY(page.tvNote->editTriggers() == QAbstractItemView::NoEditTriggers);
        QCOMPARE(page.tvNote->topLevelItem(0)->text(0), QStringLiteral("根目录"));
        QCOMPARE(page.pnlTree->width(), 200);
        QCOMPARE(page.mmoNote->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(page.mmoNote->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(page.pnlFind->height(), 41);
        QCOMPARE(page.lblQuery->text(), QStringLiteral("查找字符"));
        QCOMPARE(page.edtQuery->width(), 145);
        QCOMPARE(page.btnFind->text(), QStringLiteral("查找"));
        QCOMPARE(page.pmNoteType()->actions().size(), 3);
    }

    void firstShowingShowsTheRootNote()
    {
        TPage p(QStringLiteral("insert into NoteBook values (0, 'root text')@#@"
                               "insert into NoteBook values (1, 'work text')"));
        QCOMPARE(p.Page->NoteTree().Selected(), p.Page->NoteTree().RootNode());
        QCOMPARE(p.Memo(), QStringLiteral("root text"));

        TPage empty;
        QCOMPARE(empty.Memo(), QString());
        QVERIFY(NoteRows().isEmpty());
    }

    // Before the first note is shown (the groups failed to load, say) nothing typed could be
    // saved anywhere, so the editor takes nothing.
    void noTypingBeforeANoteIsShown()
    {
        TTestFolder folder;
        folder.Connect();
        TNotePage page;
        page.show();
        QTest::keyClicks(page.mmoNote, QStringLiteral("lost"));
        QCOMPARE(page.MemoText(), QString());
        QVERIFY(NoteRows().isEmpty());

        page.ShowRootNote();
        QTest::keyClicks(page.mmoNote, QStringLiteral("kept"));
        QCOMPARE(NoteRows(), QStringList{QStringLiteral("0:kept")});
    }

    // A group gets its row with the first change; each change writes the whole text once.
    void everyChangeIsSaved()
    {
        TPage p;
        p.Click(QStringLiteral("工作"));
        QVERIFY(NoteRows().isEmpty());
        const int before = TotalChanges();
        QTest::keyClicks(p.Page->mmoNote, QStringLiteral("a"));
        QCOMPARE(NoteRows(), QStringList{QStringLiteral("1:a")});
        QTest::keyClick(p.Page->mmoNote, Qt::Key_Backspace);
        QCOMPARE(NoteRows(), QStringList{QStringLiteral("1:")});
        QCOMPARE(TotalChanges(), before + 2);

        QTest::keyClicks(p.Page->mmoNote, QStringLiteral("x"));
        QTest::keyClick(p.Page->mmoNote, Qt::Key_Return);
        QTest::keyClicks(p.Page->mmoNote, QStringLiteral("y"));
        p.Page->mmoNote->insertPlainText(QStringLiteral("\u00a0中"));
        QCOMPARE(NoteRows(), QStringList{QStringLiteral("1:x\ny\u00a0中")});

        // The root's note is a note of its own, under 0.
        p.Click(QStringLiteral("根目录"));
        QCOMPARE(p.Memo(), QString());
        QTest::keyClicks(p.Page->mmoNote, QStringLiteral("r"));
        QCOMPARE(NoteRows(),
                 QStringList({QStringLiteral("1:x\ny\u00a0中"), QStringLiteral("0:r")}));
        QVERIFY(p.Dialogs.Boxes.isEmpty());
    }

    void showingWritesNothing()
    {
        TPage p(QStringLiteral("insert into NoteBook values (1, 'work')@#@"
                               "insert into NoteBook values (3, 'other')"));
        const int before = TotalChanges();
        p.Click(QStringLiteral("工作"));
        QCOMPARE(p.Memo(), QStringLiteral("work"));
        p.Click(QStringLiteral("项目")); // no row: the memo is emptied, no row is made
        QCOMPARE(p.Memo(), QString());
        p.Click(QStringLiteral("其他"));
        QCOMPARE(p.Memo(), QStringLiteral("other"));
        p.Click(QStringLiteral("其他"));
        QCOMPARE(TotalChanges(), before);
        QCOMPARE(NoteRows(), QStringList({QStringLiteral("1:work"), QStringLiteral("3:other")}));
    }

    // A reloaded tree shows the selected group's note as it now stands in the table.
    void reloadShowsTheNoteAgain()
    {
        TPage p(QStringLiteral("insert into NoteBook values (3, 'other')"));
        p.Click(QStringLiteral("其他"));
        DbExecute(QStringLiteral("update NoteBook set ReMark='restored' where TypeID=3"));
        p.Page->NoteTree().Reload();
        QCOMPARE(p.Page->NoteTree().SelectedIndex(), 3);
        QCOMPARE(p.Memo(), QStringLiteral("restored"));
        QCOMPARE(NoteRows(), QStringList{QStringLiteral("3:restored")});
    }

    // The arrow keys move the selection, and the note follows it.
    void keyboardNavigationShowsAndSaves()
    {
        TPage p(QStringLiteral("insert into NoteBook values (1, 'work')"));
        QTreeWidget* tree = p.Page->tvNote;
        QCOMPARE(p.Page->NoteTree().Selected(), p.Page->NoteTree().RootNode());
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(p.Page->NoteTree().SelectedIndex(), 1);
        QCOMPARE(p.Memo(), QStringLiteral("work"));
        QTest::keyClick(tree, Qt::Key_Right); // expand 工作
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(p.Page->NoteTree().SelectedIndex(), 2);
        QCOMPARE(p.Memo(), QString());
        QTest::keyClicks(p.Page->mmoNote, QStringLiteral("p"));
        QTest::keyClick(tree, Qt::Key_Up);
        QCOMPARE(p.Memo(), QStringLiteral("work"));
        QCOMPARE(NoteRows(), QStringList({QStringLiteral("1:work"), QStringLiteral("2:p")}));
    }

    void dateStamps()
    {
        TPage p;
        p.Click(QStringLiteral("工作"));
        QPlainTextEdit* memo = p.Page->mmoNote;
        const QDateTime afternoon(QDate(2024, 3, 5), QTime(14, 7, 9));
        const TFixedClock clock(afternoon);
        const QString date = FormatDateStamp(afternoon, false);
        const QString dateTime = FormatDateStamp(afternoon, true);
        QVERIFY(dateTime != date);

        QTest::keyClicks(memo, QStringLiteral("[]"));
        QTest::keyClick(memo, Qt::Key_Left);
        QTest::keyClick(memo, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(p.Memo(), QStringLiteral("[") + date + QStringLiteral("]"));
        QCOMPARE(NoteRows(), QStringList{QStringLiteral("1:[") + date + QStringLiteral("]")});

        memo->selectAll();
        QTest::keyClick(memo, Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(p.Memo(), dateTime);
        memo->selectAll();
        QTest::keyClick(memo, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(p.Memo(), date);
        QTest::keyClicks(memo, QStringLiteral("dt"));
        QCOMPARE(p.Memo(), date + QStringLiteral("dt"));
        QCOMPARE(NoteRows(), QStringList{QStringLiteral("1:") + date + QStringLiteral("dt")});

        // The stamp is all the key does: where the editor binds Ctrl+D to deleting the next
        // character (X11 desktops), it must not reach it.
        memo->moveCursor(QTextCursor::Start);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_D, Qt::ControlModifier);
        QApplication::sendEvent(memo, &press);
        QVERIFY(press.isAccepted());
        QCOMPARE(p.Memo(), date + date + QStringLiteral("dt"));
    }

    void findSelectsMatches()
    {
        TPage p;
        p.Click(QStringLiteral("工作"));
        QPlainTextEdit* memo = p.Page->mmoNote;
        const auto find = [&](const QString& query) {
            p.Page->edtQuery->setText(query);
            QTest::mouseClick(p.Page->btnFind, Qt::LeftButton);
            return p.Selection();
        };

        memo->setPlainText(QStringLiteral("xxABCxx"));
        memo->moveCursor(QTextCursor::Start);
        QCOMPARE(find(QStringLiteral("abc")), QStringLiteral("2-5"));

        // Only a to z are folded; every other character must match exactly.
        memo->setPlainText(QStringLiteral("中文中国人 ÄÖ"));
        memo->moveCursor(QTextCursor::Start);
        QCOMPARE(find(QStringLiteral("中国")), QStringLiteral("2-4"));
        QCOMPARE(find(QStringLiteral("中國")), QStringLiteral("0"));
        QCOMPARE(find(QStringLiteral("äö")), QStringLiteral("0"));
        QCOMPARE(find(QStringLiteral("ÄÖ")), QStringLiteral("6-8"));
        QCOMPARE(find(QString()), QStringLiteral("0"));

        memo->setPlainText(QStringLiteral("ab ab ab"));
        memo->moveCursor(QTextCursor::Start);
        QCOMPARE(find(QStringLiteral("ab")), QStringLiteral("0-2"));
        QCOMPARE(find(QStringLiteral("AB")), QStringLiteral("3-5"));
        QCOMPARE(find(QStringLiteral("ab")), QStringLiteral("6-8"));
        QCOMPARE(find(QStringLiteral("ab")), QStringLiteral("0"));
        QCOMPARE(find(QStringLiteral("ab")), QStringLiteral("0-2"));
        QVERIFY(p.Dialogs.Boxes.isEmpty());
    }

    // Ctrl+F goes to the query with its text selected; Enter and F3 there find on and keep the
    // caret in the box; a miss reddens the box until its text changes.
    void findByKeys()
    {
        TPage p;
        p.Click(QStringLiteral("工作"));
        QPlainTextEdit* memo = p.Page->mmoNote;
        QLineEdit* query = p.Page->edtQuery;
        QApplication::setActiveWindow(p.Page.get());
        QVERIFY(QTest::qWaitForWindowActive(p.Page.get()));
        memo->setPlainText(QStringLiteral("ab ab"));
        memo->moveCursor(QTextCursor::Start);
        query->setText(QStringLiteral("ab"));
        memo->setFocus();
        QTest::keyClick(memo, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), query);
        QCOMPARE(query->selectedText(), QStringLiteral("ab"));

        const QColor plain = query->palette().color(QPalette::Base);
        QTest::keyClick(query, Qt::Key_Return);
        QCOMPARE(p.Selection(), QStringLiteral("0-2"));
        QCOMPARE(QApplication::focusWidget(), query);
        QTest::keyClick(query, Qt::Key_F3);
        QCOMPARE(p.Selection(), QStringLiteral("3-5"));
        QCOMPARE(query->palette().color(QPalette::Base), plain);
        QTest::keyClick(query, Qt::Key_F3);
        QCOMPARE(p.Selection(), QStringLiteral("0"));
        QVERIFY(query->palette().color(QPalette::Base) != plain);
        QTest::keyClick(query, Qt::Key_B);
        QCOMPARE(query->palette().color(QPalette::Base), plain);
        QCOMPARE(p.Memo(), QStringLiteral("ab ab"));
        QVERIFY(p.Dialogs.Boxes.isEmpty());
    }

    // The editor's menu stamps as Ctrl+D and Ctrl+T do; the hint over an empty note is never
    // stored.
    void menuStampsAndHint()
    {
        TPage p;
        p.Click(QStringLiteral("工作"));
        const QDateTime afternoon(QDate(2024, 3, 5), QTime(14, 7, 9));
        const TFixedClock clock(afternoon);
        QVERIFY(!p.Page->mmoNote->placeholderText().isEmpty());
        const std::unique_ptr<QMenu> menu(p.Page->NoteMenu());
        const QList<QAction*> actions = menu->actions();
        const auto stamp = [&](const QString& caption) {
            for (QAction* action : actions)
                if (action->text().startsWith(caption + QLatin1Char('\t')))
                    action->trigger();
        };
        stamp(QStringLiteral("插入日期时间"));
        stamp(QStringLiteral("插入日期"));
        const QString stamped =
            FormatDateStamp(afternoon, true) + FormatDateStamp(afternoon, false);
        QCOMPARE(p.Memo(), stamped);
        QCOMPARE(NoteRows(), QStringList{QStringLiteral("1:") + stamped});
    }

    // Collapsing the branch that holds the selected group selects the branch's node and shows
    // its note: typing goes into the group the user sees.
    void collapsingMovesTheSelectionUp()
    {
        TPage p(QStringLiteral("insert into NoteBook values (1, 'work')"));
        p.Click(QStringLiteral("项目"));
        QCOMPARE(p.Page->NoteTree().SelectedIndex(), 2);
        p.Page->tvNote->collapseItem(p.Node(QStringLiteral("工作")));
        QCOMPARE(p.Page->NoteTree().SelectedIndex(), 1);
        QCOMPARE(p.Memo(), QStringLiteral("work"));
        p.Page->tvNote->collapseItem(p.Page->NoteTree().RootNode());
        QCOMPARE(p.Page->NoteTree().SelectedIndex(), 0);
        QCOMPARE(p.Memo(), QString());
    }

    void newAndDeletedGroups()
    {
        TPage p(QStringLiteral("insert into NoteBook values (2, 'project')@#@"
                               "insert into NoteBook values (3, 'other')"));
        p.Click(QStringLiteral("项目"));
        QCOMPARE(p.Memo(), QStringLiteral("project"));

        // A new group is selected with an empty memo and gets no row until it is typed into.
        QObject context;
        QTimer::singleShot(0, &context, [] {
            if (auto* dialog = qobject_cast<TFormAddType*>(QApplication::activeModalWidget())) {
                dialog->edtName->setText(QStringLiteral("新组"));
                dialog->btnOK->click();
            }
        });
        p.Page->NoteCommands().actNewGroup->trigger();
        QCOMPARE(p.Page->NoteTree().Selected()->text(0), QStringLiteral("新组"));
        QCOMPARE(p.Memo(), QString());
        QCOMPARE(NoteRows(), QStringList({QStringLiteral("2:project"), QStringLiteral("3:other")}));

        // Deleting a group deletes its note and shows the note of the node selected instead.
        p.Dialogs.Answers << true << true << true;
        p.Page->NoteCommands().actDeleteGroup->trigger();
        QCOMPARE(p.Page->NoteTree().Selected()->text(0), QStringLiteral("项目"));
        QCOMPARE(p.Memo(), QStringLiteral("project"));
        p.Page->NoteCommands().actDeleteGroup->trigger();
        QCOMPARE(p.Page->NoteTree().Selected()->text(0), QStringLiteral("工作"));
        QCOMPARE(p.Memo(), QString());
        QCOMPARE(NoteRows(), QStringList{QStringLiteral("3:other")});
        p.Page->NoteCommands().actDeleteGroup->trigger();
        QCOMPARE(p.Page->NoteTree().Selected()->text(0), QStringLiteral("其他"));
        QCOMPARE(p.Memo(), QStringLiteral("other"));
        QCOMPARE(NoteRows(), QStringList{QStringLiteral("3:other")});
        QCOMPARE(p.Dialogs.Texts().size(), 3);
    }

    // A note that can't be shown leaves no other group's text in the editor to be saved over it.
    void failedShowLocksTheMemo()
    {
        TPage p(QStringLiteral("insert into NoteBook values (1, 'work')"));
        p.Click(QStringLiteral("工作"));
        DbExecute(QStringLiteral("alter table NoteBook rename to Hidden"));
        p.Click(QStringLiteral("其他"));
        QCOMPARE(p.Dialogs.Boxes.size(), 1);
        QVERIFY(
            p.Dialogs.Boxes.first().Text.startsWith(QStringLiteral("数据库查询错误，请检查！")));
        QCOMPARE(p.Memo(), QString());
        QVERIFY(p.Page->mmoNote->isReadOnly());
        QTest::keyClicks(p.Page->mmoNote, QStringLiteral("z"));
        QTest::keyClick(p.Page->mmoNote, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(p.Memo(), QString());

        DbExecute(QStringLiteral("alter table Hidden rename to NoteBook"));
        p.Click(QStringLiteral("其他")); // tried again
        QVERIFY(!p.Page->mmoNote->isReadOnly());
        QCOMPARE(p.Dialogs.Boxes.size(), 1);
        p.Click(QStringLiteral("工作"));
        QVERIFY(!p.Page->mmoNote->isReadOnly());
        QCOMPARE(p.Memo(), QStringLiteral("work"));
        QCOMPARE(NoteRows(), QStringList{QStringLiteral("1:work")});
    }

    // A failed save keeps the text on screen; the next change writes all of it.
    void failedSaveIsRepeatedByTheNextChange()
    {
        TPage p(QStringLiteral("insert into NoteBook values (1, 'w')"));
        p.Click(QStringLiteral("工作"));
        DbExecute(QStringLiteral("create trigger no_update before update on NoteBook "
                                 "begin select raise(abort, 'locked'); end"));
        QTest::keyClicks(p.Page->mmoNote, QStringLiteral("x"));
        QCOMPARE(p.Dialogs.Boxes.size(), 1);
        QCOMPARE(p.Memo(), QStringLiteral("xw"));
        QCOMPARE(NoteRows(), QStringList{QStringLiteral("1:w")});
        DbExecute(QStringLiteral("drop trigger no_update"));
        QTest::keyClicks(p.Page->mmoNote, QStringLiteral("y"));
        QCOMPARE(NoteRows(), QStringList{QStringLiteral("1:xyw")});
    }
};

QTEST_MAIN(TestNotes)
#include "tst_notes.moc"
