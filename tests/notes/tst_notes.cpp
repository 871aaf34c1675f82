#include "DialogChecks.h"
#include "FileSizeLimit.h"
#include "FixedDateStampClock.h"
#include "ModalDriver.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "Widgets.h"

#include "common/CardException.h"
#include "common/DailyLog.h"
#include "common/Errors.h"
#include "data/DbAccess.h"
#include "data/DbWriter.h"
#include "data/DurableFiles.h"
#include "data/NoteHistory.h"
#include "data/Sqlite.h"
#include "groups/CardTree.h"
#include "groups/DateStamp.h"
#include "groups/FormAddType.h"
#include "groups/GroupCommands.h"
#include "notes/FormNoteHistory.h"
#include "notes/Note.h"
#include "notes/NoteExport.h"
#include "notes/NotePage.h"
#include "notes/NoteSaver.h"

#include <QAccessible>
#include <QDeadlineTimer>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

// The queued input handled, the text handed over behind it and the writer done with all of it,
// its reports taken.
void Settle(TDbAccess& db)
{
    for (QDeadlineTimer patience(5000); !patience.hasExpired(); QThread::msleep(1)) {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        if (db.Writer().Idle()) {
            QCoreApplication::processEvents();
            if (db.Writer().Idle())
                return;
        }
    }
}

// NoteBook's rows as "TypeID:ReMark", in the order they were written, once the queued input
// has been handled and written.
QStringList NoteRows(TDbAccess& db)
{
    Settle(db);
    db.OpenQuery(QStringLiteral("select * from NoteBook order by rowid"));
    QStringList rows;
    for (TResultSet& set = db.QuerySet(); !set.Eof(); set.Next())
        rows << QString::number(set.AsInteger(QStringLiteral("TypeID"))) + QLatin1Char(':') +
                    set.AsString(QStringLiteral("ReMark"));
    return rows;
}

// The stored note of a group as it stands, without letting any queued event run.
QString StoredNote(TDbAccess& db, int typeId)
{
    db.OpenQuery(QStringLiteral("select ReMark from NoteBook where TypeID=%1").arg(typeId));
    return db.QuerySet().AsString(0);
}

void PostKeys(QWidget* target, const QString& text)
{
    for (const QChar c : text) {
        QCoreApplication::postEvent(target,
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_A, {}, QString(c)));
        QCoreApplication::postEvent(target,
                                    new QKeyEvent(QEvent::KeyRelease, Qt::Key_A, {}, QString(c)));
    }
}

// Makes every later update of a note fail, as a failing disk would.
QString FailingUpdate()
{
    return QStringLiteral("create trigger no_update before update on NoteBook "
                          "begin select raise(abort, 'locked'); end");
}

int TotalChanges(TDbAccess& db)
{
    return db.QueryInteger(QStringLiteral("select total_changes()"));
}

// The notebook page over a fresh database with the groups 工作 (1) holding 项目 (2), and 其他
// (3); shown once as the main window does.
struct TPage
{
    TTestFolder Folder;
    TScriptedDialogs Dialogs;
    TCardException Handler{Dialogs};
    std::unique_ptr<TNote> Note;
    std::unique_ptr<TNotePage> Page;
    QTreeWidget* tvNote = nullptr;
    QPlainTextEdit* mmoNote = nullptr;
    QLabel* lblUnsaved = nullptr;
    QLineEdit* edtQuery = nullptr;

    explicit TPage(const QString& setUp = QString())
    {
        Folder.Connect();
        Folder.Db().ExecuteBatch(QStringLiteral("insert into NoteType values (1, 0, '工作')@#@"
                                                "insert into NoteType values (2, 1, '项目')@#@"
                                                "insert into NoteType values (3, 0, '其他')"));
        if (!setUp.isEmpty())
            Folder.Db().ExecuteBatch(setUp);
        Note = std::make_unique<TNote>(Folder.Db());
        Page = std::make_unique<TNotePage>(Folder.Db(), Dialogs, *Note);
        tvNote = Widget<QTreeWidget>(Page.get(), "tvNote");
        mmoNote = Widget<QPlainTextEdit>(Page.get(), "mmoNote");
        lblUnsaved = Widget<QLabel>(Page.get(), "lblUnsaved");
        edtQuery = Widget<QLineEdit>(Page.get(), "edtQuery");
        Page->resize(800, 480);
        Page->show();
        Page->LoadGroups();
        Page->ShowRootNote();
    }

    QTreeWidgetItem* Node(const QString& caption) const
    {
        const QList<QTreeWidgetItem*> found =
            tvNote->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
        return found.size() == 1 ? found.first() : nullptr;
    }

    void Click(const QString& caption) const
    {
        QTreeWidget* tree = tvNote;
        tree->expandAll();
        const QPoint at = tree->visualItemRect(Node(caption)).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    }

    QString Memo() const { return Page->MemoText(); }

    // The memo's selection as start and end, or the caret alone.
    QString Selection() const
    {
        const QTextCursor cursor = mmoNote->textCursor();
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
        TNote note(folder.Connect());
        QVERIFY(!note.NoteExists(QStringLiteral("5")));

        const QString odd = QStringLiteral("it's \"x\" @#@ 100%\\n\n中文\u00a0end");
        note.TypeID = 5;
        note.ReMark = odd;
        note.AddNote();
        QCOMPARE(NoteRows(folder.Db()), QStringList{QStringLiteral("5:") + odd});
        QVERIFY(note.NoteExists(QStringLiteral("5")));
        QVERIFY(!note.NoteExists(QStringLiteral("6")));

        note.ReMark.clear();
        note.LoadNote(QStringLiteral("5"));
        QCOMPARE(note.TypeID, 5);
        QCOMPARE(note.ReMark, odd);

        // With two rows of one key the first is read and written, and both are deleted.
        folder.Db().ExecuteBatch(QStringLiteral("insert into NoteBook values (5, 'second')@#@"
                                                "insert into NoteBook values (6, null)"));
        note.ReMark = QStringLiteral("new");
        note.UpdateNote();
        QCOMPARE(NoteRows(folder.Db()),
                 QStringList(
                     {QStringLiteral("5:new"), QStringLiteral("5:second"), QStringLiteral("6:")}));
        note.LoadNote(QStringLiteral("6"));
        QCOMPARE(note.ReMark, QString());
        note.LoadNote(QStringLiteral("7"));
        QCOMPARE(note.TypeID, 7);
        QCOMPARE(note.ReMark, QString());

        note.DeleteNote(QStringLiteral("5"));
        QCOMPARE(NoteRows(folder.Db()), QStringList{QStringLiteral("6:")});
        note.DeleteNote(QStringLiteral("5"));
        QCOMPARE(NoteRows(folder.Db()), QStringList{QStringLiteral("6:")});
    }

    void firstShowingShowsTheRootNote()
    {
        TPage p(QStringLiteral("insert into NoteBook values (0, 'root text')@#@"
                               "insert into NoteBook values (1, 'work text')"));
        QCOMPARE(p.Page->NoteTree().Selected(), p.Page->NoteTree().RootNode());
        QCOMPARE(p.Page->NoteTree().RootNode()->text(0), QStringLiteral("根目录"));
        QCOMPARE(p.Memo(), QStringLiteral("root text"));

        TPage empty;
        QCOMPARE(empty.Memo(), QString());
        QVERIFY(NoteRows(empty.Folder.Db()).isEmpty());
    }

    // Before the first note is shown (the groups failed to load, say) nothing typed could be
    // saved anywhere, so the editor takes nothing.
    void noTypingBeforeANoteIsShown()
    {
        TScriptedDialogs dialogs;
        TTestFolder folder;
        TNote note(folder.Connect());
        TNotePage page(folder.Db(), dialogs, note);
        page.show();
        QPlainTextEdit* editor = Widget<QPlainTextEdit>(&page, "mmoNote");
        QTest::keyClicks(editor, QStringLiteral("lost"));
        QCOMPARE(page.MemoText(), QString());
        QVERIFY(NoteRows(folder.Db()).isEmpty());

        page.ShowRootNote();
        QTest::keyClicks(editor, QStringLiteral("kept"));
        QCOMPARE(NoteRows(folder.Db()), QStringList{QStringLiteral("0:kept")});
    }

    // A group gets its row with the first change; each change writes the whole text once.
    void everyChangeIsSaved()
    {
        TPage p;
        p.Click(QStringLiteral("工作"));
        QVERIFY(NoteRows(p.Folder.Db()).isEmpty());
        const int before = p.Page->NoteSaver().Saves();
        QTest::keyClicks(p.mmoNote, QStringLiteral("a"));
        QCOMPARE(NoteRows(p.Folder.Db()), QStringList{QStringLiteral("1:a")});
        QTest::keyClick(p.mmoNote, Qt::Key_Backspace);
        QCOMPARE(NoteRows(p.Folder.Db()), QStringList{QStringLiteral("1:")});
        QCOMPARE(p.Page->NoteSaver().Saves(), before + 2);

        QTest::keyClicks(p.mmoNote, QStringLiteral("x"));
        QTest::keyClick(p.mmoNote, Qt::Key_Return);
        QTest::keyClicks(p.mmoNote, QStringLiteral("y"));
        p.mmoNote->insertPlainText(QStringLiteral("\u00a0中—\u2026"));
        QTest::keyClick(p.mmoNote, Qt::Key_Return, Qt::ShiftModifier); // a line separator
        QTest::keyClicks(p.mmoNote, QStringLiteral("z"));
        QCOMPARE(NoteRows(p.Folder.Db()), QStringList{QStringLiteral("1:x\ny\u00a0中—\u2026\nz")});
        QCOMPARE(p.Page->MemoUtf8(), p.Memo().toUtf8());

        // The root's note is a note of its own, under 0.
        p.Click(QStringLiteral("根目录"));
        QCOMPARE(p.Memo(), QString());
        QTest::keyClicks(p.mmoNote, QStringLiteral("r"));
        QCOMPARE(NoteRows(p.Folder.Db()),
                 QStringList({QStringLiteral("1:x\ny\u00a0中—\u2026\nz"), QStringLiteral("0:r")}));

        // The row shown is gone and another group's row took its rowid: that row stays as it is.
        // The save finds the text changed elsewhere and is written once the change is followed.
        p.Folder.Db().ExecuteBatch(
            QStringLiteral("delete from NoteBook where TypeID=0@#@"
                           "insert into NoteBook(rowid,TypeID,ReMark) values (2, 3, 'o')"));
        QTest::keyClicks(p.mmoNote, QStringLiteral("s"));
        QTRY_COMPARE(NoteRows(p.Folder.Db()),
                     QStringList({QStringLiteral("1:x\ny\u00a0中—\u2026\nz"), QStringLiteral("3:o"),
                                  QStringLiteral("0:rs")}));
        QVERIFY(p.Dialogs.Boxes.isEmpty());
    }

    // Leaving a changed note keeps a version of it: for another group, the lock, the end.
    void leavingKeepsAVersion_data()
    {
        QTest::addColumn<QString>("leave");
        QTest::addColumn<QString>("typed");
        for (const char* leave : {"another group", "lock", "close", "group deleted"})
            QTest::newRow(leave) << QString::fromLatin1(leave) << QStringLiteral("draft ");
        QTest::newRow("unchanged") << QStringLiteral("another group") << QString();
    }

    void leavingKeepsAVersion()
    {
        QFETCH(QString, leave);
        QFETCH(QString, typed);
        TPage p(QStringLiteral("insert into NoteBook values (3, '旧')"));
        p.Click(QStringLiteral("其他"));
        QTest::keyClicks(p.mmoNote, typed);
        const bool deleted = leave == QLatin1String("group deleted");
        if (leave == QLatin1String("lock")) {
            p.Page->Clear();
        } else if (leave == QLatin1String("close")) {
            p.Page.reset();
        } else if (deleted) {
            p.Dialogs.Answers << true;
            p.Page->NoteCommands().actDeleteGroup->trigger();
        } else {
            p.Click(QStringLiteral("工作"));
        }
        Settle(p.Folder.Db());
        // A deleted group's versions went into the bin with it, the last one included, and
        // nothing brought its note back.
        QCOMPARE(p.Folder.Db().QueryInteger(
                     QStringLiteral("select count(*) from NoteHistory where BinItem is not null")),
                 deleted ? 1 : 0);
        QCOMPARE(p.Folder.Db().QueryInteger(
                     QStringLiteral("select count(*) from NoteBook where TypeID=3")),
                 deleted ? 0 : 1);
        TNoteHistory history(p.Folder.Db().Handle());
        const std::vector<TNoteHistory::TVersion> versions = history.List(3);
        QCOMPARE(versions.size(), size_t(typed.isEmpty() || deleted ? 0 : 1));
        if (!versions.empty())
            QCOMPARE(history.Text(versions.front().VersionId), typed + QStringLiteral("旧"));
    }

    // Ctrl+H lists the note's versions newest first, the selected one with where it differs
    // marked; restoring it makes it the note's text, the text it replaces kept first.
    void historyRestoresAVersion()
    {
        TPage p(QStringLiteral("insert into NoteBook values (1, 'one\ntwo')"));
        for (const char* key : {"!", "?"}) {
            p.Click(QStringLiteral("工作"));
            QTest::keyClicks(p.mmoNote, QString::fromLatin1(key));
            p.Click(QStringLiteral("其他"));
        }
        p.Click(QStringLiteral("工作"));
        QTest::keyClicks(p.mmoNote, QStringLiteral("x"));
        QApplication::setActiveWindow(p.Page.get());
        QVERIFY(QTest::qWaitForWindowActive(p.Page.get()));
        TModalDriver driver;
        driver.When<TFormNoteHistory>([](TFormNoteHistory* dialog) {
            QTreeWidget* list = dialog->tvVersions;
            QCOMPARE(list->topLevelItemCount(), 2);
            QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("?!one"));
            list->setCurrentItem(list->topLevelItem(1));
            QCOMPARE(dialog->mmoVersion->toPlainText(), QStringLiteral("!one\ntwo"));
            QCOMPARE(dialog->mmoVersion->extraSelections().size(), 1);
            QCoreApplication::sendPostedEvents(); // the new line of marks laid out
            VerifyControls(dialog, {list->parentWidget(), dialog->mmoVersion->parentWidget(),
                                    dialog->btnRestore->parentWidget()});
            dialog->btnRestore->click();
        });
        QTest::keyClick(p.mmoNote, Qt::Key_H, Qt::ControlModifier);
        QCOMPARE(p.Memo(), QStringLiteral("!one\ntwo"));
        Settle(p.Folder.Db());
        QCOMPARE(StoredNote(p.Folder.Db(), 1), p.Memo());
        TNoteHistory history(p.Folder.Db().Handle());
        QCOMPARE(history.Text(history.List(1).front().VersionId), QStringLiteral("x?!one\ntwo"));
    }

    // Keys queued together are saved once, after them; keys that come one by one are saved
    // each. A paint shows the keys before their save, and whatever is due is saved before
    // another group is shown.
    void typingIsSavedOnceBeforeItIsShown()
    {
        TPage p;
        p.Click(QStringLiteral("工作"));
        QPlainTextEdit* memo = p.mmoNote;
        const TNoteSaver& saver = p.Page->NoteSaver();
        const int saves = saver.Saves();
        PostKeys(memo, QStringLiteral("abc"));
        Settle(p.Folder.Db());
        QCOMPARE(saver.Saves(), saves + 1);
        QCOMPARE(StoredNote(p.Folder.Db(), 1), QStringLiteral("abc"));
        for (const QString& key : {QStringLiteral("d"), QStringLiteral("e")}) {
            PostKeys(memo, key);
            Settle(p.Folder.Db());
        }
        QCOMPARE(saver.Saves(), saves + 3);

        QTest::keyClicks(memo, QStringLiteral("f")); // handled, its save still queued
        memo->viewport()->repaint(); // paints at once, without waiting for the disk or the bar
        QVERIFY(saver.Due());
        QVERIFY(saver.Unsaved().isEmpty());
        Settle(p.Folder.Db());
        QCOMPARE(StoredNote(p.Folder.Db(), 1), QStringLiteral("abcdef"));

        QTest::keyClicks(memo, QStringLiteral("g"));
        p.Page->NoteTree().Select(p.Node(QStringLiteral("其他")));
        QCOMPARE(StoredNote(p.Folder.Db(), 1), QStringLiteral("abcdefg"));
        QTest::keyClicks(memo, QStringLiteral("h"));
        QCOMPARE(NoteRows(p.Folder.Db()),
                 QStringList({QStringLiteral("1:abcdefg"), QStringLiteral("3:h")}));
        QCOMPARE(saver.Saves(), saves + 6);
    }

    // A kill at any moment of a burst, keys queued together or coming apart, leaves a prefix of
    // what was typed that holds every commit read back before the kill, in a sound database file.
    void killDuringABurstKeepsEveryCommit_data()
    {
        QTest::addColumn<int>("spacing");
        for (const int spacing : {0, 6, 16})
            QTest::addRow("%d ms apart", spacing) << spacing;
    }

    void killDuringABurstKeepsEveryCommit()
    {
        QFETCH(int, spacing);
        QString typed;
        for (int i = 0; typed.size() < 600; ++i)
            typed += QStringLiteral("第%1行 it's a note @#@ \\ end\n").arg(i);
        const QString base = QString(79, QLatin1Char('x')).append(QLatin1Char('\n')).repeated(1280);
        for (int trial = 0; trial < 7; ++trial) {
            TTestFolder folder;
            folder.Connect();
            folder.Db().ExecuteBatch(
                QStringLiteral("insert into NoteBook values (0, '%1')").arg(base));

            QProcess typist;
            typist.start(QStringLiteral(NOTE_TYPIST),
                         {folder.Path(), typed, QString::number(spacing)});
            QVERIFY(typist.waitForStarted());
            const int killAfter = 3 + int(QRandomGenerator::global()->bounded(40));
            QByteArray output;
            const auto shownOfTyped = [&] {
                qsizetype shown = 0;
                int paints = 0;
                for (const QByteArray& line : output.split('\n'))
                    if (const qsizetype length = line.toLongLong(); length > base.size()) {
                        shown = std::max(shown, length);
                        ++paints;
                    }
                return std::pair(shown, paints);
            };
            // The kill comes after the first save at the least: on a busy machine the keys may
            // all be typed before it.
            const QDeadlineTimer patience(std::chrono::seconds(30));
            while (shownOfTyped().second < killAfter &&
                   !(output.contains("typed") && shownOfTyped().second > 0) &&
                   typist.state() == QProcess::Running && !patience.hasExpired()) {
                typist.waitForReadyRead(50);
                output += typist.readAllStandardOutput();
            }
            typist.kill();
            typist.waitForFinished();
            output += typist.readAllStandardOutput();
            const qsizetype shown = shownOfTyped().first;

            const QString stored = StoredNote(folder.Db(), 0);
            QVERIFY2(QString(base + typed).startsWith(stored), qPrintable(stored.right(40)));
            QVERIFY2(stored.size() >= shown,
                     qPrintable(QStringLiteral("%1 < %2").arg(stored.size()).arg(shown)));
            QVERIFY(shown > base.size());
            folder.Db().OpenQuery(QStringLiteral("PRAGMA integrity_check"));
            QCOMPARE(folder.Db().QuerySet().AsString(0), QStringLiteral("ok"));
        }
    }

    void showingWritesNothing()
    {
        TPage p(QStringLiteral("insert into NoteBook values (1, 'work')@#@"
                               "insert into NoteBook values (3, 'other')"));
        const int before = TotalChanges(p.Folder.Db());
        p.Click(QStringLiteral("工作"));
        QCOMPARE(p.Memo(), QStringLiteral("work"));
        p.Click(QStringLiteral("项目")); // no row: the memo is emptied, no row is made
        QCOMPARE(p.Memo(), QString());
        p.Click(QStringLiteral("其他"));
        QCOMPARE(p.Memo(), QStringLiteral("other"));
        p.Click(QStringLiteral("其他"));
        QCOMPARE(TotalChanges(p.Folder.Db()), before);
        QCOMPARE(NoteRows(p.Folder.Db()),
                 QStringList({QStringLiteral("1:work"), QStringLiteral("3:other")}));
    }

    // A reloaded tree shows the selected group's note as it now stands in the table.
    void reloadShowsTheNoteAgain()
    {
        TPage p(QStringLiteral("insert into NoteBook values (3, 'other')"));
        p.Click(QStringLiteral("其他"));
        p.Folder.Db().ExecuteBatch(
            QStringLiteral("update NoteBook set ReMark='restored' where TypeID=3"));
        p.Page->NoteTree().Reload();
        QCOMPARE(p.Page->NoteTree().SelectedIndex(), 3);
        QCOMPARE(p.Memo(), QStringLiteral("restored"));
        QCOMPARE(NoteRows(p.Folder.Db()), QStringList{QStringLiteral("3:restored")});
    }

    // The arrow keys move the selection, and the note follows it.
    void keyboardNavigationShowsAndSaves()
    {
        TPage p(QStringLiteral("insert into NoteBook values (1, 'work')"));
        QTreeWidget* tree = p.tvNote;
        QCOMPARE(p.Page->NoteTree().Selected(), p.Page->NoteTree().RootNode());
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(p.Page->NoteTree().SelectedIndex(), 1);
        QCOMPARE(p.Memo(), QStringLiteral("work"));
        QTest::keyClick(tree, Qt::Key_Right); // expand 工作
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(p.Page->NoteTree().SelectedIndex(), 2);
        QCOMPARE(p.Memo(), QString());
        QTest::keyClicks(p.mmoNote, QStringLiteral("p"));
        QTest::keyClick(tree, Qt::Key_Up);
        QCOMPARE(p.Memo(), QStringLiteral("work"));
        QCOMPARE(NoteRows(p.Folder.Db()),
                 QStringList({QStringLiteral("1:work"), QStringLiteral("2:p")}));
    }

    void dateStamps()
    {
        TPage p;
        p.Click(QStringLiteral("工作"));
        QPlainTextEdit* memo = p.mmoNote;
        const QDateTime afternoon(QDate(2024, 3, 5), QTime(14, 7, 9));
        const TFixedClock clock(afternoon);
        const QString date = FormatDateStamp(afternoon, false);
        const QString dateTime = FormatDateStamp(afternoon, true);
        QVERIFY(dateTime != date);

        QTest::keyClicks(memo, QStringLiteral("[]"));
        QTest::keyClick(memo, Qt::Key_Left);
        QTest::keyClick(memo, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(p.Memo(), QStringLiteral("[") + date + QStringLiteral("]"));
        QCOMPARE(NoteRows(p.Folder.Db()),
                 QStringList{QStringLiteral("1:[") + date + QStringLiteral("]")});

        memo->selectAll();
        QTest::keyClick(memo, Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(p.Memo(), dateTime);
        memo->selectAll();
        QTest::keyClick(memo, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(p.Memo(), date);
        QTest::keyClicks(memo, QStringLiteral("dt"));
        QCOMPARE(p.Memo(), date + QStringLiteral("dt"));
        QCOMPARE(NoteRows(p.Folder.Db()),
                 QStringList{QStringLiteral("1:") + date + QStringLiteral("dt")});

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
        QPlainTextEdit* memo = p.mmoNote;
        const auto find = [&](const QString& query) {
            p.edtQuery->setText(query);
            QTest::mouseClick(Widget<QPushButton>(p.Page.get(), "btnFind"), Qt::LeftButton);
            return p.Selection();
        };

        memo->setPlainText(QStringLiteral("xxABCZxx"));
        memo->moveCursor(QTextCursor::Start);
        QCOMPARE(find(QStringLiteral("abcz")), QStringLiteral("2-6"));

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
        QPlainTextEdit* memo = p.mmoNote;
        QLineEdit* query = p.edtQuery;
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
        QVERIFY(!p.mmoNote->placeholderText().isEmpty());
        const std::unique_ptr<QMenu> menu(p.Page->NoteMenu());
        const QList<QAction*> actions = menu->actions();
        const auto stamp = [&](QKeyCombination key) {
            for (QAction* action : actions)
                if (action->shortcut() == QKeySequence(key) &&
                    action->isShortcutVisibleInContextMenu())
                    action->trigger();
        };
        stamp(Qt::CTRL | Qt::Key_T);
        stamp(Qt::CTRL | Qt::Key_D);
        const QString stamped =
            FormatDateStamp(afternoon, true) + FormatDateStamp(afternoon, false);
        QCOMPARE(p.Memo(), stamped);
        QCOMPARE(NoteRows(p.Folder.Db()), QStringList{QStringLiteral("1:") + stamped});
    }

    // The question to delete a group says when its note goes with it: a stored text, or the
    // shown group's typing that is not stored yet; an empty row is no note.
    void deleteQuestionNamesTheNote_data()
    {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("named");
        const QString row = QStringLiteral("insert into NoteBook values (3, '%1')");
        QTest::newRow("stored") << row.arg(u'x') << QString() << true;
        QTest::newRow("empty row") << row.arg(QString()) << QString() << false;
        QTest::newRow("typed") << QString() << QStringLiteral("t") << true;
    }

    void deleteQuestionNamesTheNote()
    {
        QFETCH(QString, setUp);
        QFETCH(QString, typed);
        QFETCH(bool, named);
        TPage p(setUp);
        p.Click(QStringLiteral("其他"));
        QTest::keyClicks(p.mmoNote, typed);
        p.Page->NoteCommands().actDeleteGroup->trigger();
        // The recycle bin's line always ends the question.
        QCOMPARE(p.Dialogs.Texts().join(QString()).count(QLatin1Char('\n')), named ? 2 : 1);
        // A group that is not shown is asked about from the store.
        p.Click(QStringLiteral("工作"));
        QCOMPARE(!p.Page->NoteCommands().DescribeContent(QStringLiteral("3")).isEmpty(), named);
    }

    // The note's controls have names; a field's is its label's.
    void controlsHaveNames()
    {
        TScriptedDialogs dialogs;
        TPage p;
        TFormAddType add(dialogs);
        const auto name = [](QWidget* widget) {
            return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
        };
        QCOMPARE(name(p.tvNote), QStringLiteral("笔记分组"));
        QVERIFY(!name(p.mmoNote).isEmpty());
        for (QLabel* label : {Widget<QLabel>(p.Page.get(), "lblQuery"), add.lblPos, add.lblTitle})
            QCOMPARE(name(label->buddy()), label->text());
    }

    // Collapsing the branch that holds the selected group selects the branch's node and shows
    // its note: typing goes into the group the user sees.
    void collapsingMovesTheSelectionUp()
    {
        TPage p(QStringLiteral("insert into NoteBook values (1, 'work')"));
        p.Click(QStringLiteral("项目"));
        QCOMPARE(p.Page->NoteTree().SelectedIndex(), 2);
        p.tvNote->collapseItem(p.Node(QStringLiteral("工作")));
        QCOMPARE(p.Page->NoteTree().SelectedIndex(), 1);
        QCOMPARE(p.Memo(), QStringLiteral("work"));
        p.tvNote->collapseItem(p.Page->NoteTree().RootNode());
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
        TModalDriver modals;
        modals.When<TFormAddType>([](TFormAddType* dialog) {
            dialog->edtName->setText(QStringLiteral("新组"));
            dialog->btnOK->click();
        });
        p.Page->NoteCommands().actNewGroup->trigger();
        QCOMPARE(p.Page->NoteTree().Selected()->text(0), QStringLiteral("新组"));
        QCOMPARE(p.Memo(), QString());
        QCOMPARE(NoteRows(p.Folder.Db()),
                 QStringList({QStringLiteral("2:project"), QStringLiteral("3:other")}));

        // Deleting a group deletes its note and shows the note of the node selected instead.
        p.Dialogs.Answers << true << true << true;
        p.Page->NoteCommands().actDeleteGroup->trigger();
        QCOMPARE(p.Page->NoteTree().Selected()->text(0), QStringLiteral("项目"));
        QCOMPARE(p.Memo(), QStringLiteral("project"));
        p.Page->NoteCommands().actDeleteGroup->trigger();
        QCOMPARE(p.Page->NoteTree().Selected()->text(0), QStringLiteral("工作"));
        QCOMPARE(p.Memo(), QString());
        QCOMPARE(NoteRows(p.Folder.Db()), QStringList{QStringLiteral("3:other")});
        p.Page->NoteCommands().actDeleteGroup->trigger();
        QCOMPARE(p.Page->NoteTree().Selected()->text(0), QStringLiteral("其他"));
        QCOMPARE(p.Memo(), QStringLiteral("other"));
        QCOMPARE(NoteRows(p.Folder.Db()), QStringList{QStringLiteral("3:other")});
        QCOMPARE(p.Dialogs.Texts().size(), 3);
    }

    // A note that can't be shown leaves no other group's text in the editor to be saved over it.
    void failedShowLocksTheMemo()
    {
        TPage p(QStringLiteral("insert into NoteBook values (1, 'work')"));
        p.Click(QStringLiteral("工作"));
        p.Folder.Db().ExecuteBatch(QStringLiteral("alter table NoteBook rename to Hidden"));
        p.Click(QStringLiteral("其他"));
        QCOMPARE(p.Dialogs.Boxes.size(), 1);
        QVERIFY(
            p.Dialogs.Boxes.first().Text.startsWith(QStringLiteral("数据库查询错误，请检查！")));
        QCOMPARE(p.Memo(), QString());
        QVERIFY(p.mmoNote->isReadOnly());
        QTest::keyClicks(p.mmoNote, QStringLiteral("z"));
        QTest::keyClick(p.mmoNote, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(p.Memo(), QString());

        p.Folder.Db().ExecuteBatch(QStringLiteral("alter table Hidden rename to NoteBook"));
        p.Click(QStringLiteral("其他")); // tried again
        QVERIFY(!p.mmoNote->isReadOnly());
        QCOMPARE(p.Dialogs.Boxes.size(), 1);
        p.Click(QStringLiteral("工作"));
        QVERIFY(!p.mmoNote->isReadOnly());
        QCOMPARE(p.Memo(), QStringLiteral("work"));
        QCOMPARE(NoteRows(p.Folder.Db()), QStringList{QStringLiteral("1:work")});
    }

    // A save that can't be done, a failing write or a reader holding the file, shows the bar
    // and no box; typing goes on, and once the cause is gone all of it is stored and the bar goes.
    void blockedSaveShowsTheBarAndRetries_data()
    {
        QTest::addColumn<bool>("reader");
        QTest::newRow("failing write") << false;
        QTest::newRow("reader holding the file") << true;
    }

    void blockedSaveShowsTheBarAndRetries()
    {
        QFETCH(bool, reader);
        TPage p(QStringLiteral("insert into NoteBook values (1, 'w')"));
        p.Click(QStringLiteral("工作"));
        QString error;
        const TConnection holder = DatabaseFile::Open(p.Folder.Db().DatabasePath(), false, &error);
        DatabaseFile::Execute(holder.get(), reader ? QStringLiteral("begin; select * from NoteBook")
                                                   : FailingUpdate());
        QTest::keyClicks(p.mmoNote, QStringLiteral("x"));
        QTRY_VERIFY(p.lblUnsaved->isVisible());
        QTRY_VERIFY(p.lblUnsaved->text().contains(QStringLiteral("locked")));
        QTest::keyClicks(p.mmoNote, QStringLiteral("y"));
        QTest::mouseClick(p.edtQuery, Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(p.Dialogs.Boxes.isEmpty());
        QCOMPARE(StoredNote(p.Folder.Db(), 1), QStringLiteral("w"));

        DatabaseFile::Execute(holder.get(), reader ? QStringLiteral("commit")
                                                   : QStringLiteral("drop trigger no_update"));
        QTRY_VERIFY(p.lblUnsaved->isHidden());
        QCOMPARE(StoredNote(p.Folder.Db(), 1), QStringLiteral("xyw"));
        QVERIFY(p.Dialogs.Boxes.isEmpty());
        // The daily log has the failure once, not once a try.
        const QString log =
            QString::fromLocal8Bit(p.Folder.ReadFile(LogFileName(QDateTime::currentDateTime())));
        QCOMPARE(log.count(QStringLiteral("locked")), 1);
    }

    // Leaving a note that can't be saved asks: 取消 stays with it, 重试 tries once more and asks
    // again, 不保存 lets it go.
    void leavingAnUnsavedNoteAsks()
    {
        TPage p(QStringLiteral("insert into NoteBook values (1, 'w')"));
        p.Click(QStringLiteral("工作"));
        p.Folder.Db().ExecuteBatch(FailingUpdate());
        QTest::keyClicks(p.mmoNote, QStringLiteral("x"));
        p.Dialogs.Choices << 2;
        p.Click(QStringLiteral("其他"));
        QCOMPARE(p.Dialogs.Boxes.size(), 1);
        QVERIFY(p.Dialogs.Boxes.first().Text.contains(QStringLiteral("locked")));
        QCOMPARE(p.Page->NoteTree().SelectedIndex(), 1);
        QCOMPARE(p.Memo(), QStringLiteral("xw"));

        p.Dialogs.Choices << 0 << 1;
        p.Click(QStringLiteral("其他"));
        QCOMPARE(p.Dialogs.Boxes.size(), 3);
        QCOMPARE(p.Page->NoteTree().SelectedIndex(), 3);
        QVERIFY(p.lblUnsaved->isHidden());
        QCOMPARE(StoredNote(p.Folder.Db(), 1), QStringLiteral("w"));
    }

    // Every note lands in its group's folder, in UTF-8; clashing and unsafe names are made
    // usable and numbered, and a second export beside the first replaces nothing.
    void exportWritesTheTreeAsFolders()
    {
        TTestFolder folder;
        folder.Connect();
        folder.Db().ExecuteBatch(
            QStringLiteral("insert into NoteType values (1, 0, 'a/b')@#@"
                           "insert into NoteType values (2, 1, ' 项目. ')@#@"
                           "insert into NoteType values (3, 0, 'A_B')@#@"
                           "insert into NoteType values (4, 0, '空')@#@"
                           "insert into NoteType values (5, 0, 'con')@#@"
                           "insert into NoteBook(TypeID,ReMark) values (0, '根')@#@"
                           "insert into NoteBook(TypeID,ReMark) values (2, '中文\r\n第二行')@#@"
                           "insert into NoteBook(TypeID,ReMark) values (3, 'x')@#@"
                           "insert into NoteBook(TypeID,ReMark) values (5, '')"));
        const QString out = folder.Path() + QStringLiteral("out");
        QVERIFY(QDir().mkdir(out));
        QCOMPARE(ExportNotes(folder.Db(), out), 4);
        // Siblings apart only by letter case are told apart, as a system ignoring case needs.
        QVERIFY(QFileInfo::exists(out + QStringLiteral("/A_B (2)/A_B.txt")));
        QCOMPARE(ExportNotes(folder.Db(), out), 4);

        QStringList files;
        QDirIterator it(out, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next().mid(out.size() + 1);
        files.sort();
        QStringList expected{QStringLiteral("根目录.txt"),
                             QStringLiteral("根目录 (2).txt"),
                             QStringLiteral("a_b"),
                             QStringLiteral("a_b/项目"),
                             QStringLiteral("a_b/项目/项目.txt"),
                             QStringLiteral("a_b (2)"),
                             QStringLiteral("a_b (2)/项目"),
                             QStringLiteral("a_b (2)/项目/项目.txt"),
                             QStringLiteral("A_B (2)"),
                             QStringLiteral("A_B (2)/A_B.txt"),
                             QStringLiteral("A_B"),
                             QStringLiteral("A_B/A_B.txt"),
                             QStringLiteral("空"),
                             QStringLiteral("空 (2)"),
                             QStringLiteral("_con"),
                             QStringLiteral("_con/_con.txt"),
                             QStringLiteral("_con (2)"),
                             QStringLiteral("_con (2)/_con.txt")};
        expected.sort();
        QCOMPARE(files, expected);
        QCOMPARE(folder.ReadFile(QStringLiteral("out/a_b/项目/项目.txt")),
                 QStringLiteral("中文\r\n第二行").toUtf8());
        const auto others = ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                              QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
        QCOMPARE(QFile::permissions(out + QStringLiteral("/a_b")) & others, 0);
        QCOMPARE(QFile::permissions(out + QStringLiteral("/a_b/项目/项目.txt")) & others, 0);

        // A chain deeper than the file system's paths is refused before anything is written.
        folder.Db().ExecuteBatch(
            QStringLiteral("insert into NoteType with recursive n(i) as (select 10 union all "
                           "select i+1 from n where i<5000) select i, i-1, 'deep' from n"));
        const QString deep = folder.Path() + QStringLiteral("deep");
        QVERIFY(QDir().mkdir(deep));
        QVERIFY_THROWS_EXCEPTION(ECardError, ExportNotes(folder.Db(), deep));
        QVERIFY(QDir(deep).isEmpty());
    }

    // A disk that fills up stops the export at the note that doesn't fit, which the message
    // names with the cause; no file is left cut short or under a temporary name.
    void exportStopsWhereTheDiskIsFull()
    {
        TTestFolder folder;
        folder.Connect();
        folder.Db().ExecuteBatch(QStringLiteral(
            "insert into NoteType values (1, 0, 'big')@#@"
            "insert into NoteBook(TypeID,ReMark) values (0, 'root')@#@"
            "insert into NoteBook(TypeID,ReMark) values (1, hex(randomblob(40000)))"));
        const QString out = folder.Path() + QStringLiteral("out");
        QVERIFY(QDir().mkdir(out));
        QString message;
        try {
            const TFileSizeLimit full(4096);
            ExportNotes(folder.Db(), out);
        } catch (const ECardError& error) {
            message = error.Message();
        }
        QVERIFY(message.contains(QStringLiteral("big.txt")) &&
                message.contains(WriteFailure(EFBIG)));
        QCOMPARE(QDir(out + QStringLiteral("/big")).entryList(QDir::Files), {});
        QCOMPARE(folder.ReadFile(QStringLiteral("out/根目录.txt")), QByteArray("root"));
    }
};

QTEST_MAIN(TestNotes)
#include "tst_notes.moc"
