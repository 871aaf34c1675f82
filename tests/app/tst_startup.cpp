#include "ModalDriver.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "Widgets.h"

#include "app/DataFileClaim.h"
#include "app/FormMain.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "app/Translations.h"
#include "data/DbAccess.h"
#include "notes/NotePage.h"

#include <QPlainTextEdit>

#include <chrono>
#include <csignal>
#include <utility>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

namespace {
// Notices whether a main window is ever shown.
class TShowSpy final : public QObject
{
public:
    TShowSpy() { qApp->installEventFilter(this); }
    bool Seen = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<TFormMain*>(watched))
            Seen = true;
        return false;
    }
};

// A session that must end by itself. One left waiting (a window or a box nobody closes) fails
// the test within the minute and has its event loops ended, where it would otherwise hold the
// suite until CTest gives up on it.
int WatchedSession(TUserDialogs& dialogs)
{
    bool expired = false;
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, &watchdog, [&watchdog, &expired] {
        if (!std::exchange(expired, true))
            QTest::qFail("the session did not end within a minute", __FILE__, __LINE__);
        // Every loop ends, a modal one as well; a loop begun after that ends at its first turn.
        watchdog.setInterval(0);
        QCoreApplication::exit(-1);
    });
    watchdog.start(std::chrono::minutes(1));
    return RunSession(dialogs);
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

    QTemporaryDir FConfig;

private Q_SLOTS:
    void initTestCase()
    {
        // The window's remembered state goes here, never into the home folder.
        QVERIFY(FConfig.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(FConfig.path()));
    }

    void missingDatabaseEndsWithoutWindow()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TShowSpy spy;
        QCOMPARE(WatchedSession(dialogs), 1);
        QCOMPARE(dialogs.Boxes.size(), 1);
        QVERIFY(dialogs.Boxes[0].Text.startsWith(QStringLiteral("数据库连接失败！\r\n")));
        QVERIFY(!spy.Seen);
        QVERIFY(!QFile::exists(folder.DatabasePath()));
        QVERIFY(QDir(folder.Path()).entryList(QDir::Files).isEmpty());
    }

    void sessionShowsMainWindowAndEndsWhenClosed()
    {
        TTestFolder folder;
        folder.InstallDatabase();
        TScriptedDialogs dialogs;
        dialogs.Answers << true; // the exit question
        TFormMain* seen = nullptr;
        QString caption;
        QStringList tabs;
        QObject scope;
        QTimer::singleShot(0, &scope, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* form = qobject_cast<TFormMain*>(widget); form && form->isVisible())
                    seen = form;
            QVERIFY(seen);
            caption = seen->windowTitle();
            const QTabWidget* pages = Widget<QTabWidget>(seen, "PageTabs");
            for (int i = 0; i < pages->count(); ++i)
                tabs << pages->tabText(i);
            QCOMPARE(pages->currentIndex(), 0);
            QCOMPARE(Widget<QCheckBox>(seen, "chkRunAtLogin")->text(), QStringLiteral("开机运行"));
            QCOMPARE(Widget<QPushButton>(seen, "btnSystem")->text(), QStringLiteral("软件设置"));
            QVERIFY(seen->Config().Connection().Connected());
            seen->close();
        });
        QCOMPARE(WatchedSession(dialogs), 0);
        QVERIFY(seen);
        QCOMPARE(caption, QStringLiteral("Velmora"));
        QCOMPARE(tabs, QStringList({QStringLiteral("记事本"), QStringLiteral("网址管理")}));
        QCOMPARE(dialogs.Texts(), QStringList(QStringLiteral("确定要退出程序吗？")));
    }

    // Told to end, the program ends its loop and saves the note typed just before, and the window
    // it showed had its content from the first.
    void terminationSavesTheNote()
    {
        TTestFolder folder;
        folder.InstallDatabase();
        TScriptedDialogs dialogs;
        bool loadedWhenShown = false;
        QObject scope;
        QTimer::singleShot(0, &scope, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* form = qobject_cast<TFormMain*>(widget); form && form->isVisible()) {
                    QPlainTextEdit* note = Widget<QPlainTextEdit>(form, "mmoNote");
                    loadedWhenShown = !note->isReadOnly();
                    QTest::keyClicks(note, QStringLiteral("last words"));
                }
            std::raise(SIGTERM);
        });
        QCOMPARE(WatchedSession(dialogs), 0);
        QVERIFY(loadedWhenShown);
        QVERIFY(dialogs.Boxes.isEmpty());
        TDbAccess db;
        db.Connect(dialogs);
        db.OpenQuery(QStringLiteral("select ReMark from NoteBook where TypeID=0"));
        QCOMPARE(db.QuerySet().AsString(0), QStringLiteral("last words"));
    }

    void refusedLoginEndsBeforeAnyData()
    {
        TTestFolder folder;
        {
            TDbAccess& db = folder.Connect();
            db.ExecuteBatch(QStringLiteral("update SysSet set bPass='-1',[PassWord]='secret' "));
        }
        const QByteArray before = folder.ReadFile(QStringLiteral("bookkeep.dat"));
        TScriptedDialogs dialogs;
        dialogs.ShowPrompts = true;
        TShowSpy spy;
        QString caption;
        bool centred = false;
        TModalDriver modals;
        modals.When<QDialog>([&](QDialog* prompt) {
            caption = prompt->windowTitle();
            const QRect area = prompt->screen()->availableGeometry();
            // Within the frame's width: the frame is not known before the prompt shows.
            centred = (prompt->frameGeometry().center() - area.center()).manhattanLength() <= 8;
            QTest::keyClick(prompt, Qt::Key_Escape);
        });
        QCOMPARE(WatchedSession(dialogs), 0);
        QCOMPARE(caption, QStringLiteral("先输入密码登录软件"));
        QVERIFY(centred);
        QVERIFY(!spy.Seen); // the main window never showed
        QVERIFY(dialogs.Boxes.isEmpty());
        QCOMPARE(folder.ReadFile(QStringLiteral("bookkeep.dat")), before);
    }

    // A second start that cannot reach the running program (another session's runtime folder)
    // says so and ends without writing, also when the lock file is gone.
    void secondStartOnTheSameDataFile()
    {
        TTestFolder folder;
        folder.InstallDatabase();
        TSingleInstance first(folder.DatabasePath());
        QVERIFY(first.Acquire());
        // A cleaner deleted the lock file meanwhile.
        QVERIFY(QFile::remove(folder.DatabasePath() + QStringLiteral(".lock")));
        const QByteArray before = folder.ReadFile(QStringLiteral("bookkeep.dat"));
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        QTemporaryDir otherSession;
        QFile::setPermissions(otherSession.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(otherSession.path()));
        TScriptedDialogs dialogs;
        TShowSpy spy;
        const int status = WatchedSession(dialogs);
        if (runtime.isEmpty())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", runtime);
        QCOMPARE(status, 1);
        QCOMPARE(dialogs.Texts(), QStringList(QStringLiteral("Velmora 已在运行")));
        QVERIFY(!spy.Seen);
        QCOMPARE(folder.ReadFile(QStringLiteral("bookkeep.dat")), before);
    }

    // A data file the program could not write is said once, before anything is opened.
    void unwritableDataFileEndsTheStart()
    {
        TTestFolder folder;
        folder.InstallDatabase();
        const QString journal = folder.DatabasePath() + QStringLiteral("-journal");
        QVERIFY(QDir().mkdir(journal)); // a journal that cannot be written, whoever runs
        const QByteArray before = folder.ReadFile(QStringLiteral("bookkeep.dat"));
        TScriptedDialogs dialogs;
        TShowSpy spy;
        QCOMPARE(WatchedSession(dialogs), 1);
        QCOMPARE(dialogs.Boxes.size(), 1);
        QCOMPARE(dialogs.Boxes[0].Caption, QStringLiteral("错误"));
        QVERIFY2(dialogs.Boxes[0].Text.contains(journal), qPrintable(dialogs.Boxes[0].Text));
        QVERIFY(!spy.Seen);
        QCOMPARE(folder.ReadFile(QStringLiteral("bookkeep.dat")), before);
        QVERIFY(!QFile::exists(folder.DatabasePath() + QStringLiteral(".lock")));
    }

    // A copy staged by a restore that crashed is removed, nothing else is; the data file and its
    // journal become the user's alone.
    void stagedLeftoversRemoved()
    {
        TScriptedDialogs dialogs;
        TTestFolder folder;
        folder.InstallDatabase();
        folder.WriteFile(QStringLiteral("bookkeep.dat.Ab12Cd"), "half a database");
        folder.WriteFile(QStringLiteral("bookkeep.dat.keep"), "kept");
        folder.WriteFile(QStringLiteral("bookkeep.dat-journal"), QByteArray());
        const QStringList data{folder.DatabasePath(),
                               folder.Path() + QStringLiteral("bookkeep.dat-journal")};
        for (const QString& file : data)
            QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        TSingleInstance instance(folder.DatabasePath());
        int status = -1;
        QVERIFY(ClaimDataFile(instance, dialogs, &status));
        for (const QString& file : data)
            QCOMPARE(QFile::permissions(file) & ~(QFile::ReadUser | QFile::WriteUser),
                     QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(!QFile::exists(folder.Path() + QStringLiteral("bookkeep.dat.Ab12Cd")));
        QVERIFY(QFile::exists(folder.Path() + QStringLiteral("bookkeep.dat.keep")));
        QVERIFY(QFile::exists(folder.Path() + QStringLiteral("bookkeep.dat-journal")));
        QVERIFY(QFile::exists(folder.DatabasePath()));
    }

    void languageFollowsTheDesktop_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("chinese");
        QTest::newRow("Chinese, China") << QStringLiteral("zh_CN") << true;
        QTest::newRow("Chinese, Taiwan") << QStringLiteral("zh_TW") << true;
        QTest::newRow("no language chosen") << QStringLiteral("C") << true;
        QTest::newRow("English") << QStringLiteral("en_US") << false;
        QTest::newRow("German") << QStringLiteral("de_DE") << false;
        QTest::newRow("Japanese") << QStringLiteral("ja_JP") << false;
    }

    void languageFollowsTheDesktop()
    {
        QFETCH(QString, locale);
        QFETCH(bool, chinese);
        QCOMPARE(SpeaksChinese(QLocale(locale)), chinese);
    }

    // The English translation travels inside the program.
    void englishTranslationIsEmbedded()
    {
        const QString source = QString::fromUtf8(DbHint::Connect);
        InstallTranslators(*qApp, QLocale(QStringLiteral("en_GB")));
        const QString shown = QCoreApplication::translate("DbHint", DbHint::Connect);
        for (QTranslator* translator : qApp->findChildren<QTranslator*>())
            QCoreApplication::removeTranslator(translator);
        QVERIFY(!shown.isEmpty());
        QVERIFY(shown != source);
    }

    void unreadableSettingsEndTheProgram()
    {
        TTestFolder folder;
        {
            TDbAccess& db = folder.Connect();
            db.ExecuteBatch(QStringLiteral("drop table SysSet@#@create table SysSet(x)@#@"
                                           "insert into SysSet values ('not a flag')"));
        }
        TScriptedDialogs dialogs;
        QCOMPARE(WatchedSession(dialogs), 0);
        QCOMPARE(dialogs.Boxes.size(), 1); // the error, and no window to work in
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
