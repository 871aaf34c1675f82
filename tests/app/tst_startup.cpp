#include "ScriptedDialogs.h"
#include "TestFolder.h"

#include "app/FormMain.h"
#include "app/Startup.h"
#include "data/DbAccess.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void missingDatabaseEndsWithoutWindow()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        bool windowSeen = false;
        QTimer::singleShot(0, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                windowSeen = windowSeen || qobject_cast<TFormMain*>(widget);
        });
        QCOMPARE(RunSession(), 1);
        QCOMPARE(dialogs.Boxes.size(), 1);
        QVERIFY(dialogs.Boxes[0].Text.startsWith(QStringLiteral("数据库连接失败！\r\n")));
        QVERIFY(!windowSeen);
        QVERIFY(!QFile::exists(folder.DatabasePath()));
        QVERIFY(QDir(folder.Path()).entryList(QDir::Files).isEmpty());
    }

    void sessionShowsMainWindowAndEndsWhenClosed()
    {
        TTestFolder folder;
        folder.InstallDatabase();
        TScriptedDialogs dialogs;
        TFormMain* seen = nullptr;
        QString caption;
        QStringList tabs;
        QTimer::singleShot(0, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* form = qobject_cast<TFormMain*>(widget); form && form->isVisible())
                    seen = form;
            QVERIFY(seen);
            caption = seen->windowTitle();
            for (int i = 0; i < seen->pgc1->count(); ++i)
                tabs << seen->pgc1->tabText(i);
            QCOMPARE(seen->pgc1->currentIndex(), 0);
            QCOMPARE(seen->chk1->text(), QStringLiteral("开机运行"));
            QCOMPARE(seen->btnSystem->text(), QStringLiteral("软件设置"));
            QVERIFY(DbAccess && DbAccess->Connected());
            seen->close();
        });
        QCOMPARE(RunSession(), 0);
        QVERIFY(seen);
        QCOMPARE(caption, QStringLiteral("Velmora"));
        QCOMPARE(tabs, QStringList({QStringLiteral("记事本"), QStringLiteral("网址管理")}));
        QVERIFY(DbAccess == nullptr); // the connection is gone with the session
        QVERIFY(dialogs.Boxes.isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
