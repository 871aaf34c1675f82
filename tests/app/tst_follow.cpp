#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "Widgets.h"

#include "app/FormMain.h"
#include "app/WindowState.h"
#include "controls/CardDBGrid.h"
#include "data/DbAccess.h"
#include "data/DbWriter.h"
#include "data/ResultSet.h"
#include "data/Sqlite.h"
#include "groups/CardTree.h"
#include "notes/NotePage.h"
#include "notes/NoteSaver.h"
#include "notes/TextHunks.h"
#include "sync/LineMerge.h"
#include "webaddr/WebAddrPage.h"

#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <sqlcipher/sqlite3.h>

// A shown window over a test folder, and a second connection to its data file standing in for a
// merge run elsewhere.
struct TFollowed
{
    explicit TFollowed(const QString& setup)
    {
        Folder.Db().ExecuteBatch(setup);
        QVERIFY(Form.FormShow());
        Form.show();
        Form.FinishLoading();
        QString error;
        Other = DatabaseFile::Open(Folder.DatabasePath(), false, &error);
        QVERIFY2(Other, qPrintable(error));
        sqlite3_busy_timeout(Other.get(), 10000);
    }
    void Change(const QString& sql) const
    {
        QCOMPARE(DatabaseFile::Execute(Other.get(), sql), QString());
    }
    QString Read(const QString& sql) const
    {
        Folder.Db().OpenQuery(sql);
        const QString value = Folder.Db().QuerySet().AsString(QStringLiteral("v"));
        Folder.Db().QuerySet().Close();
        return value;
    }
    QString StoredNote(int group) const
    {
        return Read(QStringLiteral("select ReMark as v from NoteBook where TypeID=%1").arg(group));
    }

    TTestFolder Folder;
    TScriptedDialogs Dialogs;
    TFormMain Form{Folder.Connect(), Dialogs};
    TConnection Other;
    QPlainTextEdit* Note = Widget<QPlainTextEdit>(&Form, "mmoNote");
    TNotePage* NotePage = Widget<TNotePage>(&Form, "NotePage");
};

// The window after another connection changed its data file.
class TestFollow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir FConfig;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(FConfig.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(FConfig.path()));
    }

    void init() { TWindowState::OpenSettings()->clear(); }

    // Typing not yet stored and another's change of other lines both end in the editor and on
    // disk, the caret staying where the user typed: whether the typing was still in the editor
    // or already handed to the writer, which must not write it over the other change.
    void noteMergesTypingAndTheOtherChange_data()
    {
        QTest::addColumn<bool>("handedToWriter");
        QTest::newRow("in the editor") << false;
        QTest::newRow("in the writer") << true;
    }
    void noteMergesTypingAndTheOtherChange()
    {
        QFETCH(bool, handedToWriter);
        TFollowed f(
            QStringLiteral("insert into NoteBook(TypeID,ReMark) values(0,'one\ntwo\nthree')"));
        f.Note->setFocus();
        f.Note->moveCursor(QTextCursor::Start);
        f.Note->moveCursor(QTextCursor::EndOfLine);
        QTest::keyClicks(f.Note, QStringLiteral(" typed"));
        if (handedToWriter) {
            // The other side holds the file while the save is handed over and tried.
            f.Change(QStringLiteral("begin immediate"));
            QTRY_VERIFY(!f.Folder.Db().Writer().Idle());
            f.Change(QStringLiteral("update NoteBook set ReMark='one\ntwo\nTHREE'; commit"));
            QTRY_VERIFY(f.Folder.Db().Writer().Idle());
        } else {
            f.Change(QStringLiteral("update NoteBook set ReMark='one\ntwo\nTHREE'"));
        }
        f.Form.FollowOutsideChange();
        QTRY_VERIFY(!f.Form.Following());
        const QString merged = QStringLiteral("one typed\ntwo\nTHREE");
        QTRY_COMPARE(f.Note->toPlainText(), merged);
        QCOMPARE(f.Note->textCursor().blockNumber(), 0);
        QCOMPARE(f.Note->textCursor().positionInBlock(), 9);
        QTRY_COMPARE(f.StoredNote(0), merged);
        QTRY_VERIFY(!f.NotePage->NoteSaver().Due());
        QCOMPARE(f.StoredNote(0), merged);
        // The other side's change and the merge are one step to undo.
        f.Note->undo();
        QCOMPARE(f.Note->toPlainText(), QStringLiteral("one typed\ntwo\nthree"));
    }

    // Changes apart are merged at once, as the line by line merge merges them; changes that
    // touch are left to it.
    void changesApartMerge_data()
    {
        QTest::addColumn<QString>("ours");
        QTest::addColumn<QString>("theirs");
        QTest::addColumn<QString>("merged"); // empty: left to the line by line merge
        // The base is "a\nb\nc\nd".
        QTest::newRow("ours first") << "A\nb\nc\nd"
                                    << "a\nb\nc\nD"
                                    << "A\nb\nc\nD";
        QTest::newRow("theirs first") << "a\nb\nc\nD"
                                      << "a\nB\nc\nd"
                                      << "a\nB\nc\nD";
        QTest::newRow("lines added at both ends") << "0\na\nb\nc\nd"
                                                  << "a\nb\nc\nd\ne\n"
                                                  << "0\na\nb\nc\nd\ne\n";
        QTest::newRow("lines removed") << "b\nc\nd"
                                       << "a\nb\nc"
                                       << "b\nc";
        QTest::newRow("touching") << "A\nb\nc\nd"
                                  << "a\nB\nc\nd" << QString();
    }
    void changesApartMerge()
    {
        QFETCH(QString, ours);
        QFETCH(QString, theirs);
        QFETCH(QString, merged);
        const QString base = QStringLiteral("a\nb\nc\nd");
        const std::optional<QString> apart = MergeApart(base, ours, theirs);
        QCOMPARE(apart.value_or(QString()), merged);
        if (apart)
            QCOMPARE(*apart, LineMerge::Merge(base, ours, theirs, true).Text);
    }

    // Typing not yet stored follows its group however the other side changed it: to its new
    // number or caption, or, when the group was deleted, back into a group of its name while the
    // selection goes to the group above.
    void typingFollowsTheShownGroup_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("selected"); // the caption below "上" selected after, if any
        QTest::addColumn<QString>("holder");   // the caption of the group holding the typing
        QTest::newRow("deleted") << QStringLiteral("delete from NoteType where SelfIndex=2; "
                                                   "delete from NoteBook where TypeID=2")
                                 << QString() << QStringLiteral("下");
        QTest::newRow("renumbered")
            << QStringLiteral("update NoteType set SelfIndex=7 where SelfIndex=2; "
                              "update NoteBook set TypeID=7 where TypeID=2")
            << QStringLiteral("下") << QStringLiteral("下");
        QTest::newRow("renamed") << QStringLiteral(
                                        "update NoteType set TypeName='新名' where SelfIndex=2")
                                 << QStringLiteral("新名") << QStringLiteral("新名");
    }
    void typingFollowsTheShownGroup()
    {
        QFETCH(QString, change);
        QFETCH(QString, selected);
        QFETCH(QString, holder);
        TFollowed f(QStringLiteral(
            "insert into NoteType(SelfIndex,ParentIndex,TypeName) values(1,0,'上'),(2,1,'下')@#@"
            "insert into NoteBook(TypeID,ReMark) values(2,'stored')"));
        TCardTree& tree = f.NotePage->NoteTree();
        const QString top = QStringLiteral("上");
        tree.Select(tree.NodeAtPath({top, QStringLiteral("下")}));
        QCOMPARE(f.Note->toPlainText(), QStringLiteral("stored"));
        f.Note->moveCursor(QTextCursor::End);
        QTest::keyClicks(f.Note, QStringLiteral(" typed"));
        f.Change(change);
        f.Form.FollowOutsideChange();
        QTRY_VERIFY(!f.Form.Following());
        const QStringList selectedPath =
            selected.isEmpty() ? QStringList{top} : QStringList{top, selected};
        QCOMPARE(TCardTree::PathOf(tree.Selected()), selectedPath);
        QTRY_VERIFY(!f.NotePage->NoteSaver().Due());
        const QTreeWidgetItem* holding = tree.NodeAtPath({top, holder});
        QVERIFY(holding);
        QCOMPARE(f.StoredNote(TCardTree::KeyOf(holding).SelfIndex), QStringLiteral("stored typed"));
    }

    // The list keeps its current address: by its ID, else by its web address when the other
    // side stored it anew.
    void listKeepsTheCurrentAddress_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("others added") << QStringLiteral(
            "insert into IE(TypeID,IEUrl,IEName) values(0,'a0.org','A0'),(0,'z.org','Z')");
        QTest::newRow("stored anew") << QStringLiteral(
            "delete from IE where IEUrl='b.org'; insert into IE(TypeID,IEUrl,IEName) "
            "values(0,'b.org','B2')");
    }
    void listKeepsTheCurrentAddress()
    {
        QFETCH(QString, change);
        TFollowed f(QStringLiteral("insert into IE(TypeID,IEUrl,IEName) values "
                                   "(0,'a.org','A'),(0,'b.org','B'),(0,'c.org','C')"));
        Widget<QTabWidget>(&f.Form, "PageTabs")->setCurrentIndex(1);
        auto* page = Widget<TWebAddrPage>(&f.Form, "WebAddrPage");
        auto* grid = Widget<TCardDBGrid>(&f.Form, "AddressGrid");
        const QString b = f.Read(QStringLiteral("select ID as v from IE where IEUrl='b.org'"));
        page->SelectAddress(b);
        f.Change(change);
        f.Form.FollowOutsideChange();
        QTRY_VERIFY(!f.Form.Following());
        QCOMPARE(grid->CurrentValue(QStringLiteral("网址")), QStringLiteral("b.org"));
        QCOMPARE(grid->model()->rowCount(),
                 f.Folder.Db().QueryInteger(QStringLiteral("select count(*) from IE")));
    }
};

QTEST_MAIN(TestFollow)
#include "tst_follow.moc"
