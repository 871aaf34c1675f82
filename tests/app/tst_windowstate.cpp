#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "Widgets.h"

#include "app/FormMain.h"
#include "app/WindowState.h"
#include "groups/CardTree.h"
#include "notes/NotePage.h"
#include "webaddr/WebAddrPage.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

// Where the main window opens, and what of it a restart gives back.
class TestWindowState : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir FConfig;

    static QRect Available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    static QTreeWidgetItem* NodeNamed(const TCardTree& tree, const QString& caption)
    {
        const auto found =
            tree.TreeView()->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }

    static void CloseWithYes(TFormMain& form, TScriptedDialogs& dialogs)
    {
        dialogs.Answers << true;
        QVERIFY(form.close());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(FConfig.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(FConfig.path()));
    }

    void init() { TWindowState::OpenSettings()->clear(); }

    void placementFitsTheArea()
    {
        TScriptedDialogs dialogs;
        const QRect designed(353, 259, 800, 520);
        // Room enough: the described place.
        QCOMPARE(FitIntoArea(designed, QRect(0, 0, 1920, 1050)), designed);
        // 1366 x 768 with a panel: too low, so centred with all of it visible.
        QCOMPARE(FitIntoArea(designed, QRect(0, 30, 1366, 738)), QRect(283, 139, 800, 520));
        // 1366 x 768 at 150 %: smaller than the window both ways.
        QCOMPARE(FitIntoArea(designed, QRect(0, 0, 910, 490)), QRect(55, 0, 800, 490));

        // A remembered place on no screen (its monitor is gone) comes back onto one.
        TTestFolder folder;
        folder.Connect();
        const std::unique_ptr<QSettings> settings = TWindowState::OpenSettings();
        settings->setValue(QStringLiteral("Window/Left"), 5000);
        settings->setValue(QStringLiteral("Window/Top"), 4000);
        settings->setValue(QStringLiteral("Window/Width"), 300);
        settings->setValue(QStringLiteral("Window/Height"), 200);
        settings->sync();
        TFormMain form(folder.Db(), dialogs);
        QVERIFY(Available().contains(form.geometry()));
        QCOMPARE(form.size(), QSize(300, 200));
    }

    void garbageIsIgnoredValueByValue()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        const QString path = TWindowState::OpenSettings()->fileName();
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Window]\nLeft=10\nTop=abc\nWidth=-300\nHeight=400\nPage=7\nMaximized=yes\n"
                   "[Notes]\nTreeWidth=150\nExpanded=x,,\nSelected=77\n"
                   "[Addresses]\nTreeWidth=-5\nSelected=1e9\n\x01\xff garbage line\n");
        file.close();

        TFormMain form(folder.Db(), dialogs);
        QVERIFY(form.FormShow());
        form.ShowAsRemembered();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(!form.isMaximized());
        QCOMPARE(form.frameGeometry(), FitIntoArea(QRect(353, 259, 800, 520), Available()));
        QTabWidget* pages = Widget<QTabWidget>(&form, "PageTabs");
        const TNotePage* notePage = Widget<TNotePage>(&form, "NotePage");
        const TWebAddrPage* addressPage = Widget<TWebAddrPage>(&form, "WebAddrPage");
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(notePage->Splitter().sizes().value(0), 150); // the one good value counts
        pages->setCurrentIndex(1);
        QTRY_COMPARE(addressPage->Splitter().sizes().value(0), 200);
        QCOMPARE(notePage->NoteTree().Selected(), notePage->NoteTree().RootNode());
        QCOMPARE(addressPage->IETree().Selected(), addressPage->IETree().RootNode());
        QVERIFY(dialogs.Boxes.isEmpty());
    }

    void aRestartGivesBackWhatWasChanged()
    {
        TScriptedDialogs dialogs;
        TTestFolder folder;
        folder.Connect();
        {
            TFormMain form(folder.Db(), dialogs);
            QVERIFY(form.FormShow());
            form.ShowAsRemembered();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            TNotePage* notePage = Widget<TNotePage>(&form, "NotePage");
            TCardTree& notes = notePage->NoteTree();
            QTreeWidgetItem* work = notes.AddGroup(QStringLiteral("工作"));
            notes.Select(work);
            QTreeWidgetItem* plans = notes.AddGroup(QStringLiteral("计划"));
            notes.Select(plans);
            notes.AddGroup(QStringLiteral("下周"));
            work->setExpanded(true);
            plans->setExpanded(false);
            TCardTree& addresses = Widget<TWebAddrPage>(&form, "WebAddrPage")->IETree();
            addresses.Select(addresses.AddGroup(QStringLiteral("新闻")));
            Widget<QTabWidget>(&form, "PageTabs")->setCurrentIndex(1);
            notePage->Splitter().setSizes({260, 300});
            form.setGeometry(40, 30, 600, 400);
            form.showMaximized();
            QTRY_VERIFY(form.isMaximized());
            CloseWithYes(form, dialogs);
        }
        {
            // Closed before its groups were read, as behind a login: what was remembered stays.
            TFormMain early(folder.Db(), dialogs);
            CloseWithYes(early, dialogs);
        }
        TFormMain form(folder.Db(), dialogs);
        QVERIFY(form.FormShow());
        form.ShowAsRemembered();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.FinishLoading();
        QTRY_VERIFY(form.isMaximized());
        QCOMPARE(form.normalGeometry().size(), QSize(600, 400));
        // Until a maximised window is first restored, its place may still be told by the frame.
        QVERIFY((form.normalGeometry().topLeft() - QPoint(40, 30)).manhattanLength() <= 4);
        QTabWidget* pages = Widget<QTabWidget>(&form, "PageTabs");
        const TNotePage* notePage = Widget<TNotePage>(&form, "NotePage");
        QCOMPARE(pages->currentIndex(), 1);
        pages->setCurrentIndex(0);
        QTRY_COMPARE(notePage->Splitter().sizes().value(0), 260);
        const TCardTree& notes = notePage->NoteTree();
        QCOMPARE(notes.Selected(), NodeNamed(notes, QStringLiteral("计划")));
        QVERIFY(NodeNamed(notes, QStringLiteral("工作"))->isExpanded());
        QVERIFY(!NodeNamed(notes, QStringLiteral("计划"))->isExpanded());
        const TCardTree& addresses = Widget<TWebAddrPage>(&form, "WebAddrPage")->IETree();
        QCOMPARE(addresses.Selected(), NodeNamed(addresses, QStringLiteral("新闻")));
        CloseWithYes(form, dialogs);

        // The address page is not shown in the next run: its remembered width stays.
        const QString key = QStringLiteral("Addresses/TreeWidth");
        const QVariant width = TWindowState::OpenSettings()->value(key);
        QVERIFY(width.toInt() >= 100);
        TFormMain again(folder.Db(), dialogs);
        QVERIFY(again.FormShow());
        again.ShowAsRemembered();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        CloseWithYes(again, dialogs);
        QCOMPARE(TWindowState::OpenSettings()->value(key), width);
    }
};

QTEST_MAIN(TestWindowState)
#include "tst_windowstate.moc"
