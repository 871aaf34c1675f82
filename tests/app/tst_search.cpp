#include "Palettes.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "Widgets.h"

#include "app/FormMain.h"
#include "app/Search.h"
#include "app/SearchBox.h"
#include "common/gui/Contrast.h"
#include "controls/CardDBGrid.h"
#include "data/DbAccess.h"
#include "data/RecycleBin.h"
#include "groups/CardTree.h"
#include "notes/NotePage.h"
#include "webaddr/WebAddrPage.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

void FillDatabase(TDbAccess& db)
{
    db.ExecuteBatch(QStringLiteral(
        "insert into NoteType values (1, 0, '工作')@#@"
        "insert into NoteType values (2, 1, 'Alpha 项目')@#@"
        "insert into NoteBook(TypeID,ReMark) values (0, 'root mentions ALPHA once')@#@"
        "insert into NoteBook(TypeID,ReMark) values (1, '第一行\n第二行 two 含有 alpha 和 "
        "Ålpha')@#@"
        "insert into NoteBook(TypeID,ReMark) values (2, 'nothing here')@#@"
        "insert into NoteBook(TypeID,ReMark) values (1, 'a second row, alpha too')@#@"
        "insert into IEType values (1, 0, '资料')@#@"
        "insert into IE(TypeID,IEUrl,IEName,ReMark) values (1, 'www.alpha.cn', '首页', '')@#@"
        "insert into IE(TypeID,IEUrl,IEName,ReMark) values (1, 'www.b.cn', 'The aLpHa site', '')@#@"
        "insert into IE(TypeID,IEUrl,IEName,ReMark) values (0, 'www.c.cn', 'c', 'x%_alpha')"));
}

QStringList Lines(const std::vector<TSearchHit>& hits)
{
    QStringList lines;
    for (const TSearchHit& hit : hits)
        lines << (hit.Kind == TSearchHit::TKind::Note ? QStringLiteral("笔记 ")
                                                      : QStringLiteral("网址 ")) +
                     hit.Path + QLatin1Char(' ') + hit.Context.mid(hit.MarkFrom, hit.MarkLength);
    return lines;
}

std::vector<TSearchHit> Search(TDbAccess& db, const QString& query)
{
    TSearchRun run(db, query);
    while (run.Step()) {
    }
    return run.Hits();
}

} // namespace

// The search of everything: what it finds, in which order, and where a result leads.
class TestSearch : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir FConfig;

private Q_SLOTS:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(FConfig.path())); }

    // Group names first, then titles, then the rest; a to z in either case, anything else
    // only as it stands; LIKE's wildcards are plain characters.
    void rankingAndMatching()
    {
        TTestFolder folder;
        folder.Connect();
        FillDatabase(folder.Db());
        QCOMPARE(
            Lines(Search(folder.Db(), QStringLiteral("alpha"))),
            QStringList({QStringLiteral("笔记 根目录->工作->Alpha 项目 Alpha"),
                         QStringLiteral("网址 全部->资料 aLpHa"),
                         QStringLiteral("网址 全部->资料 alpha"), QStringLiteral("网址 全部 alpha"),
                         QStringLiteral("笔记 根目录 ALPHA"),
                         QStringLiteral("笔记 根目录->工作 alpha")}));
        QCOMPARE(Lines(Search(folder.Db(), QStringLiteral("ålpha"))), QStringList());
        QCOMPARE(Lines(Search(folder.Db(), QStringLiteral("Ålpha"))),
                 QStringList(QStringLiteral("笔记 根目录->工作 Ålpha")));
        QCOMPARE(Lines(Search(folder.Db(), QStringLiteral("%_a"))),
                 QStringList(QStringLiteral("网址 全部 %_a")));
        QCOMPARE(Lines(Search(folder.Db(), QStringLiteral("第二行"))),
                 QStringList(QStringLiteral("笔记 根目录->工作 第二行")));
        QCOMPARE(Search(folder.Db(), QStringLiteral("第二行")).front().Context,
                 QStringLiteral("第一行 第二行 two 含有 alpha 和 Ålpha"));
        // What lies in the recycle bin is found no more.
        TRecycleBin(folder.Db().Handle()).KeepGroup(QStringLiteral("IEType"), 1);
        QCOMPARE(Lines(Search(folder.Db(), QStringLiteral("alpha"))).size(), 4);
    }

    // As many matches as the limit are all listed; one more, of any kind, is left out.
    void limitHoldsExactly_data()
    {
        QTest::addColumn<int>("names");
        QTest::addColumn<bool>("note");
        QTest::addColumn<int>("listed");
        const int limit = TSearchRun::MostHits;
        QTest::newRow("names fill it") << limit << false << limit;
        QTest::newRow("one name more") << limit + 1 << false << limit;
        QTest::newRow("names and a note fill it") << limit - 1 << true << limit;
        QTest::newRow("a note more") << limit << true << limit;
    }

    void limitHoldsExactly()
    {
        QFETCH(int, names);
        QFETCH(bool, note);
        QFETCH(int, listed);
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        db.ExecuteBatch(
            QStringLiteral("insert into NoteType with recursive n(i) as (select 1 union all "
                           "select i+1 from n where i<%1) select i, 0, 'hit' from n")
                .arg(names));
        if (note)
            db.ExecuteBatch(
                QStringLiteral("insert into NoteBook(TypeID,ReMark) values (0, 'hit')"));
        QCOMPARE(int(Search(db, QStringLiteral("hit")).size()), listed);
    }

    // The field's grey hint reads on it, also after a change to a dark scheme.
    void hintReadsInADarkScheme()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        TFormMain form(folder.Db(), dialogs);
        const QPalette before = QApplication::palette();
        const auto restore = qScopeGuard([&] { QApplication::setPalette(before); });
        // Dark colours laid over the default scheme, whose hint they leave as it was.
        QPalette dark = before;
        for (const QPalette::ColorRole role : {QPalette::Base, QPalette::Text})
            dark.setColor(role, DarkPalette().color(role));
        QApplication::setPalette(dark);
        const TSearchBox* box = Widget<TSearchBox>(&form, "SearchBox");
        QTRY_VERIFY(IsDark(box->palette().color(QPalette::Base)));
        QVERIFY(ContrastRatio(box->palette().color(QPalette::PlaceholderText),
                              box->palette().color(QPalette::Base)) >= ReadableContrast);
    }

    // Typing lists the results; Enter on a note shows it with the match selected, a click on an
    // address lists its group with its row current, and Esc empties the field and gives the caret
    // back.
    void resultsLeadToTheirPlace()
    {
        TTestFolder folder;
        folder.Connect();
        FillDatabase(folder.Db());
        TScriptedDialogs dialogs;
        TFormMain form(folder.Db(), dialogs);
        form.show();
        QVERIFY(form.FormShow());
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        TSearchBox* box = Widget<TSearchBox>(&form, "SearchBox");
        const QTabWidget* pages = Widget<QTabWidget>(&form, "PageTabs");
        QPlainTextEdit* editor = Widget<QPlainTextEdit>(&form, "mmoNote");
        editor->setFocus();
        const QString note = editor->toPlainText();
        QTest::keyClick(editor, Qt::Key_K, Qt::ControlModifier);
        QVERIFY(box->hasFocus());
        QCOMPARE(editor->toPlainText(), note);

        QTest::keyClicks(box, QStringLiteral("TWO"));
        QTRY_VERIFY(!box->Searching());
        QVERIFY(box->ResultList()->isVisible());
        QCOMPARE(box->Results().size(), size_t(1));
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(!box->ResultList()->isVisible());
        QCOMPARE(pages->currentIndex(), 0);
        const TCardTree& notes = Widget<TNotePage>(&form, "NotePage")->NoteTree();
        QCOMPARE(TCardTree::KeyOf(notes.Selected()).SelfIndex, 1);
        QCOMPARE(editor->textCursor().selectedText(), QStringLiteral("two"));
        QVERIFY(editor->hasFocus());

        QTest::keyClick(&form, Qt::Key_K, Qt::ControlModifier);
        QTest::keyClicks(box, QStringLiteral("x"));
        QTRY_VERIFY(!box->Searching());
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(!box->ResultList()->isVisible());
        QVERIFY(box->text().isEmpty());
        QVERIFY(editor->hasFocus());
        QCOMPARE(editor->textCursor().selectedText(), QStringLiteral("two"));

        box->setFocus();
        box->clear();
        QTest::keyClicks(box, QStringLiteral("site"));
        QTRY_VERIFY(!box->Searching());
        QCOMPARE(box->Results().size(), size_t(1));
        QListWidget* list = box->ResultList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
        QCOMPARE(pages->currentIndex(), 1);
        const TCardTree& addresses = Widget<TWebAddrPage>(&form, "WebAddrPage")->IETree();
        QCOMPARE(TCardTree::KeyOf(addresses.Selected()).SelfIndex, 1);
        QCOMPARE(Widget<TCardDBGrid>(&form, "AddressGrid")->CurrentValue(QStringLiteral("网址")),
                 QStringLiteral("www.b.cn"));
        QVERIFY(dialogs.Boxes.isEmpty());
    }
};

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
