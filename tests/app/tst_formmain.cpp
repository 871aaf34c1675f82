#include "ScriptedDialogs.h"
#include "TestFolder.h"

#include "app/Autostart.h"
#include "app/FormMain.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QtTest>

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

    void init() { QFile::remove(AutostartEntryPath(ApplicationTitle())); }

    void closeAsksAndNoKeepsTheWindow()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        TFormMain form;
        form.show();
        QVERIFY(!form.close()); // unscripted: No
        QVERIFY(form.isVisible());
        QCOMPARE(dialogs.Texts(), QStringList(QStringLiteral("确定要退出程序吗？")));
        QCOMPARE(dialogs.Boxes[0].Kind, TBoxKind::Question);

        // The icon menu's "关闭" asks the same question.
        form.NClose->trigger();
        QVERIFY(form.isVisible());
        QCOMPARE(dialogs.Boxes.size(), 2);

        dialogs.Answers << true;
        QVERIFY(form.close());
        QVERIFY(!form.isVisible());
    }

    void iconAndSettingsMenus()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        TFormMain form;
        QVERIFY(form.TrayIcon);
        QCOMPARE(form.TrayIcon->toolTip(), QStringLiteral("Velmora"));
        QCOMPARE(form.TrayIcon->contextMenu(), form.PopupMenu);
        QCOMPARE(Captions(form.PopupMenu),
                 QStringList({QStringLiteral("软件主页"), QStringLiteral("-"),
                              QStringLiteral("显示窗口"), QStringLiteral("关闭")}));
        QCOMPARE(Captions(form.pmSystem).value(0), QStringLiteral("软件主页"));

        form.NOpenWWW2->trigger();
        QCOMPARE(dialogs.OpenedUrls.size(), 1);
        QCOMPARE(dialogs.OpenedUrls[0].host(), HomePage());
        QCOMPARE(dialogs.OpenedUrls[0].scheme(), QStringLiteral("http"));
    }

    void showWindowRestoresAMinimisedWindow()
    {
        TTestFolder folder;
        folder.Connect();
        TFormMain form;
        form.show();
        form.showMinimized();
        QTRY_VERIFY(form.isMinimized() || !form.isVisible());
        form.NShowForm->trigger();
        QTRY_VERIFY(form.isVisible());
        QVERIFY(!form.isMinimized());
        if (!QSystemTrayIcon::isSystemTrayAvailable()) {
            // Without a notification area the window keeps its taskbar entry when minimised.
            form.showMinimized();
            QTest::qWait(20);
            QVERIFY(form.isVisible());
        }
    }

    void runAtLoginOnOff()
    {
        TTestFolder folder;
        folder.Connect();
        TFormMain form;
        QVERIFY(form.FormShow());
        QVERIFY(!form.chk1->isChecked());

        form.chk1->click();
        QVERIFY(QFile::exists(AutostartEntryPath(QStringLiteral("Velmora"))));
        QVERIFY(IsRunAtStartup(QStringLiteral("Velmora"), ExecutablePath()));
        TFormMain again;
        again.FormShow();
        QVERIFY(again.chk1->isChecked());

        form.chk1->click();
        QVERIFY(!QFile::exists(AutostartEntryPath(QStringLiteral("Velmora"))));
    }

    void runAtLoginNamesThisExecutableOnly()
    {
        // Paths that need quoting in an Exec line survive the round trip.
        for (const QString& path : {QStringLiteral("/opt/my apps/velmora"),
                                    QStringLiteral("/opt/a\"b$c`d\\e%f/velmora")}) {
            SetRunAtStartup(QStringLiteral("Velmora"), path, true);
            QVERIFY2(IsRunAtStartup(QStringLiteral("Velmora"), path), qPrintable(path));
            QVERIFY(!IsRunAtStartup(QStringLiteral("Velmora"), path + QStringLiteral("2")));
        }
        // An entry written by a copy in another folder shows as off.
        SetRunAtStartup(QStringLiteral("Velmora"), QStringLiteral("/elsewhere/velmora"), true);
        TTestFolder folder;
        folder.Connect();
        TFormMain form;
        form.FormShow();
        QVERIFY(!form.chk1->isChecked());
    }

    void runAtLoginWithUnwritableFolder()
    {
        QTemporaryDir locked;
        QVERIFY(QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::ExeOwner));
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(locked.path()));
        SetRunAtStartup(QStringLiteral("Velmora"), ExecutablePath(), true); // quietly nothing
        const bool root = QFileInfo(locked.path()).isWritable();
        if (!root) {
            QVERIFY(!QFile::exists(AutostartEntryPath(QStringLiteral("Velmora"))));
            QVERIFY(!IsRunAtStartup(QStringLiteral("Velmora"), ExecutablePath()));
        }
        qputenv("XDG_CONFIG_HOME", saved);
        QFile::setPermissions(locked.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (root)
            QSKIP("running as root: no folder is unwritable");
    }

    void secondStartActivatesTheFirst()
    {
        QTemporaryDir place;
        TSingleInstance first(place.path());
        QVERIFY(first.Acquire());
        QSignalSpy activations(&first, &TSingleInstance::ActivationRequested);

        TSingleInstance second(place.path());
        QVERIFY(!second.Acquire());
        QTRY_COMPARE(activations.size(), 1);

        // Another folder is another program.
        QTemporaryDir elsewhere;
        TSingleInstance other(elsewhere.path());
        QVERIFY(other.Acquire());
    }
};

QTEST_MAIN(TestFormMain)
#include "tst_formmain.moc"
