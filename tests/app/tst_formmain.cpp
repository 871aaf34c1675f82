#include "FileSizeLimit.h"
#include "ModalDriver.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "Widgets.h"

#include "app/Autostart.h"
#include "app/FormAbout.h"
#include "app/FormMain.h"
#include "app/FormRecycleBin.h"
#include "app/FormShortcuts.h"
#include "app/IdleWatch.h"
#include "app/MenuPlace.h"
#include "app/SessionEnd.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "app/WindowState.h"
#include "controls/CardDBGrid.h"
#include "controls/StatusLine.h"
#include "data/DbAccess.h"
#include "data/DurableFiles.h"
#include "data/FileKey.h"
#include "groups/CardTree.h"
#include "notes/NotePage.h"
#include "settings/Config.h"
#include "settings/FormConfig.h"
#include "settings/FormPass.h"
#include "settings/LockSettings.h"
#include "webaddr/WebAddrPage.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

// A window over a file with the login password "pw" and these lock settings, logged in and
// shown; its idle time runs on a clock the test moves on.
struct TLockable
{
    explicit TLockable(const TLockSettings& lock)
    {
        lock.Save();
        Folder.Db().ExecuteBatch(QStringLiteral("update SysSet set bPass='-1',[PassWord]='pw'"));
        Widget<TIdleWatch>(&Form, "IdleWatch")->SetClock([this] { return Now; });
        Dialogs.Passwords << QStringLiteral("pw");
        QVERIFY(Form.FormShow());
        Form.show();
        Form.FinishLoading();
    }
    // Moves the clock on and lets the watch look at it.
    bool RunOut(int minutes)
    {
        Now += std::chrono::minutes(minutes);
        Widget<TIdleWatch>(&Form, "IdleWatch")->Check();
        return true;
    }

    TTestFolder Folder;
    TScriptedDialogs Dialogs;
    std::chrono::steady_clock::time_point Now;
    TFormMain Form{Folder.Connect(), Dialogs};
};

// The main window's frame: the exit question, the icon's menu, run at login and the single start.
class TestFormMain : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir FConfig;

    static QStringList Captions(const QMenu* menu)
    {
        QStringList captions;
        for (const QAction* action : menu->actions())
            captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return captions;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(FConfig.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(FConfig.path()));
    }

    void init()
    {
        QFile::remove(AutostartEntryPath(ApplicationTitle()));
        TWindowState::OpenSettings()->clear(); // each case starts as a first start
    }

    void closeAsksAndNoKeepsTheWindow()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        TFormMain form(folder.Db(), dialogs);
        form.show();
        QVERIFY(!form.close()); // unscripted: No
        QVERIFY(form.isVisible());
        QCOMPARE(dialogs.Texts(), QStringList(QStringLiteral("确定要退出程序吗？")));
        QCOMPARE(dialogs.Boxes[0].Kind, TBoxKind::Question);

        // The icon menu's "关闭" asks the same question.
        Widget<QAction>(&form, "NClose")->trigger();
        QVERIFY(form.isVisible());
        QCOMPARE(dialogs.Boxes.size(), 2);

        dialogs.Answers << true;
        QVERIFY(form.close());
        QVERIFY(!form.isVisible());
    }

    // A session end asks where it may, once per exit; No refuses it. Its Yes serves only the
    // closing within the request: once the session end was cancelled, a close asks again.
    void sessionEndDecision()
    {
        int asked = 0;
        const auto answer = [&asked](bool yes) {
            return [&asked, yes] {
                ++asked;
                return yes;
            };
        };
        TSessionEndDecision decision = DecideSessionEnd(false, false, answer(true));
        QVERIFY(!decision.Cancel && !decision.Agreed);
        decision = DecideSessionEnd(true, false, answer(false));
        QVERIFY(decision.Cancel && !decision.Agreed);
        decision = DecideSessionEnd(true, true, answer(false));
        QVERIFY(!decision.Cancel && decision.Agreed);
        QCOMPARE(asked, 1);
        decision = DecideSessionEnd(true, false, answer(true));
        QVERIFY(!decision.Cancel && decision.Agreed);
        QCOMPARE(asked, 2);

        QVERIFY(!CloseNeedsQuestion(false, true, decision.Agreed));
        QVERIFY(CloseNeedsQuestion(false, false, decision.Agreed));
        QVERIFY(CloseNeedsQuestion(false, true, false));
        QVERIFY(!CloseNeedsQuestion(true, false, false));
    }

    void iconAndSettingsMenus()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        TFormMain form(folder.Db(), dialogs);
        const QSystemTrayIcon* icon = Widget<QSystemTrayIcon>(&form, "TrayIcon");
        const QMenu* iconMenu = Widget<QMenu>(&form, "PopupMenu");
        QCOMPARE(icon->toolTip(), QStringLiteral("Velmora"));
        QCOMPARE(icon->contextMenu(), iconMenu);
        QCOMPARE(Captions(iconMenu), QStringList({QStringLiteral("软件主页"), QStringLiteral("-"),
                                                  QStringLiteral("显示窗口"),
                                                  QStringLiteral("锁定"), QStringLiteral("关闭")}));
        QCOMPARE(
            Captions(Widget<QMenu>(&form, "pmSystem")),
            QStringList({QStringLiteral("软件主页"), QStringLiteral("-"),
                         QStringLiteral("软件设置"), QStringLiteral("锁定"), QStringLiteral("-"),
                         QStringLiteral("数据备份"), QStringLiteral("数据恢复"),
                         QStringLiteral("导入书签…"), QStringLiteral("从浏览器导入书签…"),
                         QStringLiteral("导出书签…"), QStringLiteral("导出笔记…"),
                         QStringLiteral("多台电脑同步…"), QStringLiteral("合并另一个数据文件…"),
                         QStringLiteral("回收站…"), QStringLiteral("-"),
                         QStringLiteral("键盘快捷键"), QStringLiteral("关于 Velmora")}));

        Widget<QAction>(&form, "actTrayHomePage")->trigger();
        QCOMPARE(dialogs.OpenedUrls.size(), 1);
        QCOMPARE(dialogs.OpenedUrls[0].host(), HomePage());
        QCOMPARE(dialogs.OpenedUrls[0].scheme(), QStringLiteral("http"));
    }

    // F1 from any place in the window shows the key list, and only one; Esc closes it.
    void f1ShowsOneKeyList()
    {
        TScriptedDialogs dialogs;
        TTestFolder folder;
        folder.Connect();
        TFormMain form(folder.Db(), dialogs);
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        Widget<QTabWidget>(&form, "PageTabs")->setCurrentIndex(1);
        QTreeWidget* addressTree = Widget<QTreeWidget>(&form, "tvIE");
        addressTree->setFocus();
        QTest::keyClick(addressTree, Qt::Key_F1);
        TFormShortcuts* keys = form.Shortcuts();
        QVERIFY(keys && keys->isVisible() && !keys->isModal());
        // The list names the window's own keys as the menu has them.
        for (const char* name : {"actLock", "actShortcuts", "actSystemMenu"})
            QVERIFY(!keys->tvKeys
                         ->findItems(KeyNames({Widget<QAction>(&form, name)->shortcut()}),
                                     Qt::MatchExactly | Qt::MatchRecursive, 0)
                         .isEmpty());

        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(Widget<QPlainTextEdit>(&form, "mmoNote"), Qt::Key_F1);
        QCOMPARE(form.findChildren<TFormShortcuts*>().size(), 1);
        QTRY_VERIFY(keys->isActiveWindow());
        QTest::keyClick(keys->tvKeys, Qt::Key_Escape);
        QVERIFY(!keys->isVisible());
    }

    // Space or Enter on the settings button, or F10, drops the menu from the button's edge.
    void settingsMenuFromTheKeyboard_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("space") << int(Qt::Key_Space);
        QTest::newRow("enter") << int(Qt::Key_Return);
        QTest::newRow("F10") << int(Qt::Key_F10);
    }
    void settingsMenuFromTheKeyboard()
    {
        QFETCH(int, key);
        TScriptedDialogs dialogs;
        TTestFolder folder;
        folder.Connect();
        TFormMain form(folder.Db(), dialogs);
        form.setGeometry(20, 20, 600, 160);
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QPushButton* btnSystem = Widget<QPushButton>(&form, "btnSystem");
        QMenu* pmSystem = Widget<QMenu>(&form, "pmSystem");
        btnSystem->setFocus();
        QTest::keyClick(btnSystem, Qt::Key(key));
        QTRY_VERIFY(pmSystem->isVisible());
        const QRect button(btnSystem->mapToGlobal(QPoint(0, 0)), btnSystem->size());
        const QRect menu = pmSystem->geometry();
        // Below the button, or above it where the screen has no room below.
        QVERIFY(menu.top() == button.bottom() + 1 || menu.bottom() + 1 == button.top());
        QVERIFY(menu.left() <= button.right() && menu.right() >= button.left());
        pmSystem->close();
    }

    // A menu keeps to the screen's free area, turned to the other side where it would leave it.
    void menuPlaceKeepsToTheScreen_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("anchor"); // the pointer (empty) or the button
        QTest::addColumn<QPoint>("place");
        const QRect screen(0, 30, 800, 570);
        QTest::newRow("pointer in the middle")
            << screen << QRect(100, 100, 0, 0) << QPoint(100, 100);
        QTest::newRow("pointer at the corner")
            << screen << QRect(790, 590, 0, 0) << QPoint(590, 290);
        QTest::newRow("pointer above the area") << screen << QRect(10, 5, 0, 0) << QPoint(10, 30);
        QTest::newRow("button at the right")
            << screen << QRect(760, 100, 75, 25) << QPoint(600, 125);
        QTest::newRow("button at the bottom")
            << screen << QRect(10, 580, 75, 25) << QPoint(10, 280);
    }
    void menuPlaceKeepsToTheScreen()
    {
        QFETCH(QRect, screen);
        QFETCH(QRect, anchor);
        QFETCH(QPoint, place);
        const QSize menu(200, 300);
        const QPoint got = anchor.isEmpty() ? MenuPlaceAtPointer(menu, anchor.topLeft(), screen)
                                            : MenuPlaceAtButton(menu, anchor, screen);
        QCOMPARE(got, place);
        QVERIFY(screen.contains(QRect(got, menu)));
    }

    // Every control of the window and its own dialogs has a name for screen readers.
    void accessibleNames_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("name");
        const auto row = [](const char* object, const char* name) {
            QTest::newRow(object) << QString::fromUtf8(object) << QString::fromUtf8(name);
        };
        row("PageTabs", "页面");
        row("SearchBox", "搜索");
        row("SearchResults", "搜索结果");
        row("btnSystem", "软件设置");
        row("chkRunAtLogin", "开机运行");
        row("tvKeys", "键盘快捷键");
        row("edtFolder", "数据文件夹");
        row("lblFolder", "数据文件夹：");
        row("btnOpenFolder", "打开文件夹");
        row("tvItems", "回收站中的内容");
    }
    void accessibleNames()
    {
        QFETCH(QString, object);
        QFETCH(QString, name);
        TScriptedDialogs dialogs;
        TTestFolder folder;
        folder.Connect();
        TFormMain form(folder.Db(), dialogs);
        form.ShortcutsClick();
        TFormAbout about(folder.Db(), dialogs, &form);
        TFormRecycleBin bin(folder.Db(), dialogs, &form);
        QWidget* widget = form.findChild<QWidget*>(object);
        QVERIFY(widget);
        QCOMPARE(QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name), name);
    }

    // The About dialog tells whether the data file is encrypted and opens its folder.
    void aboutTellsEncryptionAndOpensTheFolder()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        TFormAbout about(folder.Db(), dialogs, nullptr);
        about.btnOpenFolder->click();
        QCOMPARE(dialogs.OpenedUrls.size(), 1);
        QCOMPARE(QDir(dialogs.OpenedUrls[0].toLocalFile()), QDir(folder.Path()));
        folder.Db().Rekey(TFileKey::Derive(QStringLiteral("pw"), TFileKey::NewSalt()), QString());
        QVERIFY(TFormAbout(folder.Db(), dialogs, nullptr).lblEncryption->text() !=
                about.lblEncryption->text());
    }

    void showWindowRestoresAMinimisedWindow()
    {
        TScriptedDialogs dialogs;
        TTestFolder folder;
        folder.Connect();
        TFormMain form(folder.Db(), dialogs);
        form.show();
        form.showMinimized();
        QTRY_VERIFY(form.isMinimized() || !form.isVisible());
        Widget<QAction>(&form, "actShowWindow")->trigger();
        QTRY_VERIFY(form.isVisible());
        QVERIFY(!form.isMinimized());

        // A single click on the icon, all some trays report, does the same.
        form.hide();
        Q_EMIT Widget<QSystemTrayIcon>(&form, "TrayIcon")->activated(QSystemTrayIcon::Trigger);
        QTRY_VERIFY(form.isVisible());
        if (!QSystemTrayIcon::isSystemTrayAvailable()) {
            // Without a notification area the window keeps its taskbar entry when minimised.
            form.showMinimized();
            QTest::qWait(20);
            QVERIFY(form.isVisible());
        }
    }

    // The lock saves the note, closes the file and shows nothing; the login password brings
    // the window back as it was. Without a login password there is nothing to lock with.
    void lockAndUnlock()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        folder.Db().ExecuteBatch(
            QStringLiteral("insert into NoteType (SelfIndex, ParentIndex, TypeName) "
                           "values (1, 0, 'g')"));
        TFormMain form(folder.Db(), dialogs);
        QVERIFY(form.FormShow());
        form.show();
        form.FinishLoading();
        QPlainTextEdit* note = Widget<QPlainTextEdit>(&form, "mmoNote");
        const TCardTree& groups = Widget<TNotePage>(&form, "NotePage")->NoteTree();
        QAction* actLock = Widget<QAction>(&form, "actLock");
        QVERIFY(!actLock->isEnabled());
        // The greyed item tells why.
        QVERIFY(actLock->toolTip() != actLock->text());
        form.LockClick();
        QVERIFY(!form.Locked());

        folder.Db().ExecuteBatch(QStringLiteral("update SysSet set bPass='-1',[PassWord]='pw'"));
        form.Config().LoadConfig();
        QTest::keyClicks(note, QStringLiteral("secret"));
        form.LockClick();
        QVERIFY(form.Locked());
        QVERIFY(!form.isVisible());
        QVERIFY(!folder.Db().Connected());
        QCOMPARE(note->toPlainText(), QString());
        QCOMPARE(groups.RootNode()->childCount(), 0);
        QVERIFY(form.Config().PassWord.isEmpty());

        dialogs.Passwords << QStringLiteral("pw");
        form.BringWindowBack();
        QCOMPARE(dialogs.Prompts, QStringList(QStringLiteral("输入密码解锁 Velmora")));
        QVERIFY(!form.Locked());
        QVERIFY(form.isVisible());
        QCOMPARE(note->toPlainText(), QStringLiteral("secret"));
        QCOMPARE(groups.RootNode()->childCount(), 1);
        QVERIFY(actLock->isEnabled());
        QCOMPARE(actLock->toolTip(), actLock->text());
    }

    // Without a notification area a lock brings up the unlock prompt by itself; minimising
    // locks when so set, and the password brings the window back.
    void lockOnMinimize()
    {
        TLockable p({0, true});
        p.Dialogs.Passwords << QStringLiteral("pw");
        p.Form.showMinimized();
        QTRY_COMPARE(p.Dialogs.Prompts.size(), 2); // the login's, the unlock's
        QVERIFY(!p.Form.Locked());
        QTRY_VERIFY(p.Form.isVisible() && !p.Form.isMinimized());
    }

    // The idle time runs from the last input of any kind; an open dialog or menu holds the
    // lock off.
    void idleLock_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("locks");
        QTest::newRow("none") << QString() << true;
        QTest::newRow("key") << QStringLiteral("key") << false;
        QTest::newRow("input method") << QStringLiteral("input method") << false;
        QTest::newRow("click") << QStringLiteral("click") << false;
        QTest::newRow("dialog open") << QStringLiteral("dialog") << false;
        QTest::newRow("menu open") << QStringLiteral("menu") << false;
    }
    void idleLock()
    {
        QFETCH(QString, input);
        QFETCH(bool, locks);
        TLockable p({5, false});
        QPlainTextEdit* note = Widget<QPlainTextEdit>(&p.Form, "mmoNote");
        bool locked = false;
        bool ranOut = false;
        const auto runOut = [&] {
            ranOut = p.RunOut(2);
            locked = p.Form.Locked();
            QCOMPARE(p.Folder.Db().Connected(), !locked);
        };
        p.RunOut(4);
        TModalDriver modals;
        if (input == QLatin1String("key")) {
            QTest::keyClick(note, Qt::Key_A);
        } else if (input == QLatin1String("input method")) {
            QInputMethodEvent typed;
            typed.setCommitString(QStringLiteral("字"));
            QApplication::sendEvent(note, &typed);
        } else if (input == QLatin1String("click")) {
            QTest::mouseClick(note->viewport(), Qt::LeftButton);
        } else if (input == QLatin1String("dialog")) {
            modals.When<TFormConfig>([&](TFormConfig* settings) {
                runOut();
                settings->btnCancel->click();
            });
            p.Form.SettingsClick();
        } else if (input == QLatin1String("menu")) {
            QMenu* menu = Widget<QMenu>(&p.Form, "pmSystem");
            menu->popup(p.Form.mapToGlobal(QPoint(10, 10)));
            QTRY_VERIFY(menu->isVisible());
            runOut();
            menu->close();
        }
        if (!ranOut)
            runOut();
        QCOMPARE(locked, locks);
    }

    // The lock's settings hold again after an unlock: the idle time locks once more.
    void idleLockAgainAfterUnlock()
    {
        TLockable p({5, false});
        for (int round = 0; round < 2; ++round) {
            p.RunOut(6);
            QVERIFY(p.Form.Locked());
            p.Dialogs.Passwords << QStringLiteral("pw");
            QTRY_VERIFY(!p.Form.Locked());
        }
    }

    // A prompt with no window behind it, as the login's, stands in the middle of the screen,
    // also when it grows after it was placed.
    void promptWithoutAWindowIsCentred()
    {
        TScriptedDialogs dialogs;
        dialogs.ShowPrompts = true;
        TModalDriver modals;
        modals.When<TFormPass>([](TFormPass* prompt) {
            prompt->resize(prompt->size() * 3 / 2);
            QTRY_COMPARE(prompt->frameGeometry().center(),
                         prompt->screen()->availableGeometry().center());
            prompt->reject();
        });
        AskPassword(dialogs, QStringLiteral("pw"), QString());
    }

    void runAtLoginOnOff()
    {
        TScriptedDialogs dialogs;
        TTestFolder folder;
        folder.Connect();
        TFormMain form(folder.Db(), dialogs);
        QVERIFY(form.FormShow());
        QCheckBox* chkRunAtLogin = Widget<QCheckBox>(&form, "chkRunAtLogin");
        QVERIFY(!chkRunAtLogin->isChecked());

        chkRunAtLogin->click();
        QVERIFY(QFile::exists(AutostartEntryPath(QStringLiteral("Velmora"))));
        QVERIFY(IsRunAtStartup(QStringLiteral("Velmora"), ExecutablePath()));
        TFormMain again(folder.Db(), dialogs);
        again.FormShow();
        QVERIFY(Widget<QCheckBox>(&again, "chkRunAtLogin")->isChecked());

        chkRunAtLogin->click();
        QVERIFY(!QFile::exists(AutostartEntryPath(QStringLiteral("Velmora"))));
    }

    void runAtLoginNamesThisExecutableOnly()
    {
        TScriptedDialogs dialogs;
        // Paths that need quoting in an Exec line survive the round trip.
        for (const QString& path : {QStringLiteral("/opt/my apps/velmora"),
                                    QStringLiteral("/opt/a\"b$c`d\\e%f/velmora")}) {
            SetRunAtStartup(QStringLiteral("Velmora"), path, true);
            QVERIFY2(IsRunAtStartup(QStringLiteral("Velmora"), path), qPrintable(path));
            QVERIFY(!IsRunAtStartup(QStringLiteral("Velmora"), path + QStringLiteral("2")));
            QVERIFY(!IsRunAtStartup(QStringLiteral("Velmora"), path.chopped(1)));
        }
        // An entry written by a copy in another folder shows as off.
        SetRunAtStartup(QStringLiteral("Velmora"), QStringLiteral("/elsewhere/velmora"), true);
        TTestFolder folder;
        folder.Connect();
        TFormMain form(folder.Db(), dialogs);
        form.FormShow();
        QVERIFY(!Widget<QCheckBox>(&form, "chkRunAtLogin")->isChecked());
    }

    // An entry that can't be written, or only in part, is reported by its name, and the box
    // shows that Velmora won't run at login.
    void runAtLoginFailureIsReported_data()
    {
        QTest::addColumn<bool>("fullDisk");
        QTest::newRow("a file for the folder") << false;
        QTest::newRow("full disk") << true;
    }

    void runAtLoginFailureIsReported()
    {
        QFETCH(bool, fullDisk);
        QTemporaryDir place;
        const QString config = place.path() + QStringLiteral("/config");
        QFile file(config);
        QVERIFY(fullDisk ? QDir().mkdir(config) : file.open(QIODevice::WriteOnly));
        file.close();
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
        const auto restore = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", saved); });

        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        TFormMain form(folder.Db(), dialogs);
        form.FormShow();
        QCheckBox* chkRunAtLogin = Widget<QCheckBox>(&form, "chkRunAtLogin");
        {
            const TFileSizeLimit full(fullDisk ? 16 : RLIM_INFINITY);
            chkRunAtLogin->click();
        }
        QVERIFY(!chkRunAtLogin->isChecked());
        QCOMPARE(dialogs.Texts().size(), 1);
        QVERIFY(dialogs.Texts()[0].contains(QDir::toNativeSeparators(config)));
        if (fullDisk) {
            QVERIFY(dialogs.Texts()[0].contains(WriteFailure(EFBIG)));
            QCOMPARE(QDir(config + QStringLiteral("/autostart")).entryList(QDir::Files), {});
        }
    }

    void firstShowingLoadsBothPages()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        db.ExecuteBatch(QStringLiteral(
            "insert into IEType(SelfIndex,ParentIndex,TypeName) values (1,0,'工作')@#@"
            "insert into NoteType(SelfIndex,ParentIndex,TypeName) values (1,0,'日记')@#@"
            "insert into NoteBook(TypeID,ReMark) values (0,'根的笔记')@#@"
            "insert into IE(TypeID,IEUrl,IEName,ReMark) values (1,'a.org','A','')@#@"
            "insert into IE(TypeID,IEUrl,IEName,ReMark) values (0,'b.org','B','')"));
        TScriptedDialogs dialogs;
        TFormMain form(folder.Db(), dialogs);
        form.show();
        QVERIFY(form.FormShow());
        QTabWidget* pages = Widget<QTabWidget>(&form, "PageTabs");
        const QTreeWidget* noteTree = Widget<QTreeWidget>(&form, "tvNote");
        const TWebAddrPage* addressPage = Widget<TWebAddrPage>(&form, "WebAddrPage");
        // The first paint has the roots and the root's note; the groups come once the loop runs.
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(Widget<QPlainTextEdit>(&form, "mmoNote")->toPlainText(),
                 QStringLiteral("根的笔记"));
        QCOMPARE(noteTree->topLevelItem(0)->text(0), QStringLiteral("根目录"));
        QCOMPARE(noteTree->topLevelItem(0)->childCount(), 0);
        QTRY_VERIFY(!form.Loading());
        QCOMPARE(noteTree->topLevelItem(0)->child(0)->text(0), QStringLiteral("日记"));
        const QTreeWidgetItem* addressRoot = Widget<QTreeWidget>(&form, "tvIE")->topLevelItem(0);
        QCOMPARE(addressRoot->text(0), QStringLiteral("全部"));
        QCOMPARE(addressRoot->childCount(), 1);
        QCOMPARE(addressPage->IETree().Selected(), addressPage->IETree().RootNode());
        // The address list is read when its page is first seen.
        QVERIFY(!addressPage->Listed());
        pages->setCurrentIndex(1);
        QCOMPARE(Widget<TCardDBGrid>(&form, "AddressGrid")->model()->rowCount(), 2);
        QVERIFY(dialogs.Boxes.isEmpty());
    }

    // Groups that can't be read at start are said, and the user may leave rather than work
    // without them.
    void unreadableGroupsAtStartOfferToLeave()
    {
        TTestFolder folder;
        folder.Connect().ExecuteBatch(QStringLiteral("insert into NoteType values ('x', 0, 'a')"));
        TScriptedDialogs dialogs;
        TFormMain form(folder.Db(), dialogs);
        form.show();
        dialogs.Answers << true;
        QVERIFY(form.FormShow());
        QTRY_VERIFY(!form.isVisible());
        QCOMPARE(dialogs.Boxes.size(), 2); // what failed, then the question
        QCOMPARE(Widget<QTreeWidget>(&form, "tvNote")->topLevelItem(0)->childCount(), 0);
    }

    void restoreReloadsTheWindow()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        db.ExecuteBatch(QStringLiteral("insert into NoteBook(TypeID,ReMark) values (0,'旧的')@#@"
                                       "insert into NoteType(SelfIndex,ParentIndex,TypeName) "
                                       "values (1,0,'留下')"));
        const QString backup = folder.Path() + QStringLiteral("old.bat");
        folder.Db().BackupTo(backup);
        db.ExecuteBatch(QStringLiteral("update NoteBook set ReMark='新的'@#@delete from NoteType@#@"
                                       "insert into IE(TypeID,IEUrl) values (0,'x.org')"));

        TScriptedDialogs dialogs;
        TFormMain form(folder.Db(), dialogs);
        form.show();
        QVERIFY(form.FormShow());
        form.FinishLoading();
        const QPlainTextEdit* note = Widget<QPlainTextEdit>(&form, "mmoNote");
        const TCardDBGrid* addresses = Widget<TCardDBGrid>(&form, "AddressGrid");
        const TStatusLine* status = Widget<TStatusLine>(&form, "StatusLine");
        Widget<QTabWidget>(&form, "PageTabs")->setCurrentIndex(1);
        QCOMPARE(note->toPlainText(), QStringLiteral("新的"));
        QCOMPARE(addresses->model()->rowCount(), 1);

        dialogs.Answers << true;
        dialogs.FileNames << backup;
        Widget<QAction>(&form, "actRestore")->trigger();
        QCOMPARE(note->toPlainText(), QStringLiteral("旧的"));
        QCOMPARE(Widget<QTreeWidget>(&form, "tvNote")->topLevelItem(0)->childCount(), 1);
        QCOMPARE(addresses->model()->rowCount(), 0);
        QCOMPARE(dialogs.Boxes.size(), 1); // the question only
        QCOMPARE(status->text(), QStringLiteral("已恢复"));

        // A backup says where it went, without a box; a cancelled one says nothing new.
        dialogs.FileNames << folder.Path() + QStringLiteral("new");
        Widget<QAction>(&form, "actBackup")->trigger();
        QCOMPARE(status->text(),
                 QStringLiteral("已备份到 ") + folder.Path() + QStringLiteral("new.bat"));
        QVERIFY(QFile::exists(folder.Path() + QStringLiteral("new.bat")));
        QCOMPARE(dialogs.Boxes.size(), 1);
        dialogs.FileNames << QString();
        Widget<QAction>(&form, "actBackup")->trigger();
        QCOMPARE(status->text(),
                 QStringLiteral("已备份到 ") + folder.Path() + QStringLiteral("new.bat"));
    }

    // A new key for the data file closes it for a moment: the list shows again, the same address
    // current.
    void newKeyKeepsTheList()
    {
        TTestFolder folder;
        folder.Connect().ExecuteBatch(QStringLiteral(
            "insert into IE(TypeID,IEUrl,IEName) values (0,'a.org','A'),(0,'b.org','B')"));
        TScriptedDialogs dialogs;
        TFormMain form(folder.Db(), dialogs);
        form.show();
        QVERIFY(form.FormShow());
        form.FinishLoading();
        folder.Db().ExecuteBatch(QStringLiteral("update SysSet set bPass='-1',[PassWord]='pw'"));
        form.Config().LoadConfig();
        Widget<QTabWidget>(&form, "PageTabs")->setCurrentIndex(1);
        TCardDBGrid* grid = Widget<TCardDBGrid>(&form, "AddressGrid");
        grid->setCurrentIndex(grid->model()->index(1, grid->ColumnOf(QStringLiteral("标题"))));
        TModalDriver modals;
        modals.When<TFormConfig>([](TFormConfig* config) {
            config->chkEncrypt->setChecked(true);
            config->btnOK->click();
        });
        dialogs.Answers << true;
        Widget<QAction>(&form, "actSettings")->trigger();
        QCOMPARE(grid->CurrentValue(QStringLiteral("标题")), QStringLiteral("B"));
    }

    // A deleted group with its note comes back through 回收站… and shows at once, selected;
    // 彻底删除 asks first, and an emptied bin says so.
    void recycleBinPutsBack()
    {
        TTestFolder folder;
        folder.Connect().ExecuteBatch(QStringLiteral(
            "insert into NoteType values (1, 0, '工作'); insert into NoteBook values (1, '要的')"));
        TScriptedDialogs dialogs;
        TFormMain form(folder.Db(), dialogs);
        form.show();
        QVERIFY(form.FormShow());
        form.FinishLoading();
        QTreeWidget* tree = Widget<QTreeWidget>(&form, "tvNote");
        tree->setCurrentItem(tree->topLevelItem(0)->child(0));
        dialogs.Answers << true << false;
        QTest::keyClick(tree, Qt::Key_Delete);
        QCOMPARE(tree->topLevelItem(0)->childCount(), 0);

        TModalDriver modals;
        modals.When<TFormRecycleBin>([&dialogs](TFormRecycleBin* bin) {
            QCOMPARE(bin->tvItems->topLevelItem(0)->text(0), QStringLiteral("工作"));
            bin->btnErase->click();
            QVERIFY(dialogs.Texts().last().contains(QStringLiteral("工作")));
            bin->btnRestore->click();
            QVERIFY(bin->lblEmpty->isVisibleTo(bin));
            QTest::keyClick(bin, Qt::Key_Escape);
        });
        // The window shows what came back, selected.
        Widget<QAction>(&form, "actRecycleBin")->trigger();
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("工作"));
        QTRY_COMPARE(Widget<QPlainTextEdit>(&form, "mmoNote")->toPlainText(),
                     QStringLiteral("要的"));
    }

    // An import shows its groups in the tree and its addresses in the list at once.
    void importShowsTheNewGroups()
    {
        TTestFolder folder;
        folder.Connect();
        folder.WriteFile(QStringLiteral("b.html"),
                         "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><H3>F</H3>\n<DL><p>\n"
                         "<DT><A HREF=\"http://a.example\">a</A>\n</DL><p>\n"
                         "<DT><A HREF=\"http://b.example\">b</A>\n</DL><p>\n");
        TScriptedDialogs dialogs;
        TFormMain form(folder.Db(), dialogs);
        form.show();
        QVERIFY(form.FormShow());
        dialogs.FileNames << folder.Path() + QStringLiteral("b.html");
        Widget<QAction>(&form, "actImportBookmarks")->trigger();
        const QTreeWidgetItem* root = Widget<QTreeWidget>(&form, "tvIE")->topLevelItem(0);
        QCOMPARE(root->childCount(), 1);
        QVERIFY(root->child(0)->text(0).startsWith(QStringLiteral("导入的书签 ")));
        QCOMPARE(root->child(0)->child(0)->text(0), QStringLiteral("F"));
        QCOMPARE(Widget<TCardDBGrid>(&form, "AddressGrid")->model()->rowCount(), 2);
        QCOMPARE(dialogs.Boxes.size(), 1);
    }

    void secondStartActivatesTheFirst()
    {
        QTemporaryDir place;
        const QString data = place.filePath(QStringLiteral("bookkeep.dat"));
        QVERIFY(QFile(data).open(QIODevice::WriteOnly));
        TSingleInstance first(data);
        QVERIFY(first.Acquire());
        QSignalSpy activations(&first, &TSingleInstance::ActivationRequested);

        TSingleInstance second(data);
        QVERIFY(!second.Acquire());
        QVERIFY(second.Activated());
        QTRY_COMPARE(activations.size(), 1);

        // Another data file is another program.
        QTemporaryDir elsewhere;
        const QString other = elsewhere.filePath(QStringLiteral("bookkeep.dat"));
        QVERIFY(QFile(other).open(QIODevice::WriteOnly));
        TSingleInstance third(other);
        QVERIFY(third.Acquire());
    }

    // The lock of a program that was killed goes with it.
    void killedProgramLeavesNoLock()
    {
        QTemporaryDir place;
        const QString data = place.filePath(QStringLiteral("bookkeep.dat"));
        QVERIFY(QFile(data).open(QIODevice::WriteOnly));
        const pid_t child = ::fork();
        if (child == 0) {
            TSingleInstance first(data);
            if (first.Acquire())
                ::raise(SIGKILL);
            ::_exit(1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QVERIFY(QFile::exists(data + QStringLiteral(".lock")));
        TSingleInstance next(data);
        QVERIFY(next.Acquire());
    }
};

QTEST_MAIN(TestFormMain)
#include "tst_formmain.moc"
