#include "ModalDriver.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"

#include "app/FormSync.h"
#include "common/CardException.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TestFormSync : public QObject
{
    Q_OBJECT

    QTemporaryDir FConfigHome;

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(FConfigHome.path())); }

    void folderChoice_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("turnedOn");
        QTest::newRow("a folder of its own: on") << 0 << true;
        // The sync program would replace the live data file under the running program.
        QTest::newRow("the data file's folder: refused") << 1 << false;
        QTest::newRow("a folder that is not there: refused") << 2 << false;
    }
    // The path typed where the focus is at the opening, and Return.
    void folderChoice()
    {
        QFETCH(int, kind);
        QFETCH(bool, turnedOn);
        TTestFolder data;
        data.InstallDatabase();
        QTemporaryDir sync;
        const QString folder = kind == 0   ? sync.path()
                               : kind == 1 ? data.Path()
                                           : sync.filePath(QStringLiteral("gone"));
        TScriptedDialogs dialogs;
        TCardException handler(dialogs);
        TSyncSettings settings = TSyncSettings::Load();
        settings.Folder.clear();
        settings.Save();
        TModalDriver modals;
        bool focused = false;
        bool stopOffered = true;
        modals.When<TFormSync>([&](TFormSync* dialog) {
            focused = dialog->focusWidget() == dialog->edtFolder;
            stopOffered = dialog->btnStopSync->isVisible();
            QTest::keyClicks(dialog->focusWidget(), folder);
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
            if (dialog->isVisible())
                dialog->btnCancel->click();
        });
        const bool saved = ShowSyncDialog(settings, data.Path(), dialogs);
        QVERIFY(focused);
        QVERIFY(!stopOffered);
        QCOMPARE(saved, turnedOn);
        QCOMPARE(TSyncSettings::Load().On(), turnedOn);
        QCOMPARE(dialogs.Boxes.size(), turnedOn ? 0 : 1);
    }
};

QTEST_MAIN(TestFormSync)
#include "tst_formsync.moc"
