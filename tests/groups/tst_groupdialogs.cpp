#include "FixedDateStampClock.h"
#include "GroupsTestUtil.h"
#include "ModalDriver.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"

#include "common/CardException.h"
#include "data/DbAccess.h"
#include "groups/CardTree.h"
#include "groups/DateStamp.h"
#include "groups/FormAddType.h"
#include "groups/FormViewIEType.h"
#include "groups/GroupDialogs.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace GroupsTest;

namespace {

const QString IEType = QStringLiteral("IEType");
const QDateTime Afternoon(QDate(2024, 3, 5), QTime(14, 7, 9));
const QDateTime Midnight(QDate(2024, 3, 5), QTime(0, 0));

QTreeWidgetItem* Find(QTreeWidget* view, const QString& caption)
{
    const QList<QTreeWidgetItem*> found =
        view->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
    return found.size() == 1 ? found.first() : nullptr;
}

} // namespace

class TestGroupDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A dialog opened from another dialog (the new-group dialog from the chooser) still centres
    // on the main window, the chooser being centred on it, and no dialog offers minimise,
    // maximise or a size grip.
    void dialogsCentreOnTheMainWindow()
    {
        TScriptedDialogs dialogs;
        TTestFolder folder; // the chooser reads its groups as it shows
        folder.Connect();
        QWidget mainWindow;
        mainWindow.setGeometry(40, 50, 700, 500);
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
        TFormViewIEType chooser(folder.Db(), dialogs, &mainWindow);
        chooser.show();
        TFormAddType inner(dialogs, &chooser);
        inner.show();
        const QPoint centre = inner.frameGeometry().center();
        QVERIFY((centre - mainWindow.frameGeometry().center()).manhattanLength() <= 2);
        QVERIFY(!inner.isSizeGripEnabled());
        QVERIFY(
            !(inner.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    }

    void positionTextNamesRootFirst()
    {
        QTreeWidget view;
        auto* root = new QTreeWidgetItem(&view, QStringList(QStringLiteral("全部")));
        auto* work = new QTreeWidgetItem(root, QStringList(QStringLiteral("工作")));
        auto* project = new QTreeWidgetItem(work, QStringList(QStringLiteral("项目")));
        QCOMPARE(PositionText(project), QStringLiteral("全部->工作->项目"));
        QCOMPARE(PositionText(work), QStringLiteral("全部->工作"));
        QCOMPARE(PositionText(root), QStringLiteral("全部"));
    }

    void dateStampFormats()
    {
        const QLocale locale = QLocale::system();
        const QString date = locale.toString(Afternoon.date(), QLocale::ShortFormat);
        QCOMPARE(FormatDateStamp(Afternoon, false), date);
        QCOMPARE(FormatDateStamp(Midnight, true), date);
        // Only 00:00:00 itself leaves the time out: seconds past midnight are a time.
        const QString pastMidnight = FormatDateStamp(Midnight.addSecs(5), true);
        QVERIFY2(pastMidnight.startsWith(date + QLatin1Char(' ')) &&
                     pastMidnight.size() > date.size() + 1,
                 qPrintable(pastMidnight));
        const QString stamp = FormatDateStamp(Afternoon, true);
        QVERIFY(stamp.startsWith(date + QLatin1Char(' ')));
        QVERIFY(stamp.size() > date.size() + 1);
        if (locale.name() == QLatin1String("C"))
            QCOMPARE(stamp, date + QStringLiteral(" 14:07:09"));

        bool withTime = false;
        QVERIFY(IsDateStampKey(Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier, withTime));
        QVERIFY(withTime);
        QVERIFY(IsDateStampKey(Qt::Key_D, Qt::ControlModifier | Qt::AltModifier, withTime));
        QVERIFY(!withTime);
        QVERIFY(!IsDateStampKey(Qt::Key_D, Qt::ShiftModifier, withTime));
        QVERIFY(!IsDateStampKey(Qt::Key_E, Qt::ControlModifier, withTime));
    }

    void inputGroupNameHandsBackTheNameAsTyped_data()
    {
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("OK button") << false;
        QTest::newRow("Enter") << true;
    }

    void inputGroupNameHandsBackTheNameAsTyped()
    {
        QFETCH(bool, byEnter);
        TScriptedDialogs dialogs;
        TModalDriver modals;
        QString position;
        QString title;
        bool nameHasFocus = false;
        modals.When<TFormAddType>([&](TFormAddType* dialog) {
            position = dialog->edtPos->text();
            title = dialog->windowTitle();
            nameHasFocus = dialog->focusWidget() == dialog->edtName;
            QVERIFY(dialog->edtPos->isReadOnly());
            dialog->edtName->insert(QStringLiteral(" 工作 "));
            if (byEnter)
                QTest::keyClick(dialog->edtName, Qt::Key_Return);
            else
                dialog->btnOK->click();
        });
        QString name = QStringLiteral("old");
        QCOMPARE(InputGroupName(dialogs, QStringLiteral("全部->工作"), name), mrOK);
        QCOMPARE(name, QStringLiteral(" 工作 "));
        QCOMPARE(position, QStringLiteral("全部->工作"));
        QCOMPARE(title, QStringLiteral("新建组"));
        QVERIFY(nameHasFocus);
        QVERIFY(dialogs.Boxes.isEmpty());
    }

    void blankNameKeepsDialogOpen()
    {
        TScriptedDialogs dialogs;
        TModalDriver modals;
        bool stayedOpen = false;
        modals.When<TFormAddType>([&](TFormAddType* dialog) {
            dialog->edtName->setText(QStringLiteral(" \t "));
            dialog->btnOK->click();
            stayedOpen = dialog->isVisible() && dialog->edtName->text() == QStringLiteral(" \t ");
            dialog->edtName->setText(QStringLiteral("x"));
            dialog->btnOK->click();
        });
        QString name;
        QCOMPARE(InputGroupName(dialogs, QStringLiteral("全部"), name), mrOK);
        QVERIFY(stayedOpen);
        QCOMPARE(dialogs.Texts(), QStringList{QStringLiteral("名称不能为空!")});
        QCOMPARE(dialogs.Boxes.first().Kind, TBoxKind::Information);
        QCOMPARE(name, QStringLiteral("x"));
    }

    void inputGroupNameCancelled_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel button") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("close box") << 2;
    }

    void inputGroupNameCancelled()
    {
        QFETCH(int, how);
        TScriptedDialogs dialogs;
        TModalDriver modals;
        modals.When<TFormAddType>([how](TFormAddType* dialog) {
            dialog->edtName->setText(QStringLiteral("typed"));
            if (how == 0)
                dialog->btnCancel->click();
            else if (how == 1)
                QTest::keyClick(dialog->edtName, Qt::Key_Escape);
            else
                dialog->close();
        });
        QString name = QStringLiteral("old");
        QCOMPARE(InputGroupName(dialogs, QStringLiteral("全部"), name), mrCancel);
        QCOMPARE(name, QString());
    }

    // The stamp replaces the selection; the key itself changes nothing else.
    void nameDateStamps()
    {
        TScriptedDialogs dialogs;
        TFormAddType dialog(dialogs);
        dialog.show();
        const QString date = FormatDateStamp(Afternoon, false);
        {
            TFixedClock clock(Afternoon);
            dialog.edtName->setText(QStringLiteral("abcdef"));
            dialog.edtName->setSelection(2, 2);
            QTest::keyClick(dialog.edtName, Qt::Key_D, Qt::ControlModifier);
            QCOMPARE(dialog.edtName->text(), QStringLiteral("ab") + date + QStringLiteral("ef"));
            QCOMPARE(dialog.edtName->cursorPosition(), 2 + date.size());
            // The stamp is all the key does: where the edit binds Ctrl+D to deleting the next
            // character (X11 desktops), it must not reach it.
            QKeyEvent press(QEvent::KeyPress, Qt::Key_D, Qt::ControlModifier);
            QApplication::sendEvent(dialog.edtName, &press);
            QVERIFY(press.isAccepted());
            QCOMPARE(dialog.edtName->text(),
                     QStringLiteral("ab") + date + date + QStringLiteral("ef"));

            dialog.edtName->clear();
            QTest::keyClick(dialog.edtName, Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(dialog.edtName->text(), FormatDateStamp(Afternoon, true));
            dialog.edtName->clear();
            QTest::keyClicks(dialog.edtName, QStringLiteral("dt"));
            QCOMPARE(dialog.edtName->text(), QStringLiteral("dt"));
        }
        TFixedClock clock(Midnight);
        dialog.edtName->clear();
        QTest::keyClick(dialog.edtName, Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(dialog.edtName->text(), date);
    }

    void chooseRootOrGroup()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        InsertGroups(folder.Db(), IEType,
                     {{1, 0, QStringLiteral("工作")}, {2, 1, QStringLiteral("项目")}});
        TModalDriver modals;

        bool openedEmpty = false;
        modals.When<TFormViewIEType>([&](TFormViewIEType* dialog) {
            openedEmpty = dialog->windowTitle() == QStringLiteral("选择组") &&
                          !dialog->GroupTree().Selected() &&
                          dialog->GroupTree().RootNode()->isExpanded() &&
                          dialog->GroupTree().RootNode()->childCount() == 1;
            dialog->btnOK->click();       // nothing selected: stays open
            dialog->btnNewGroup->click(); // nor does it ask for a name
            if (!dialog->isVisible())
                return;
            dialog->GroupTree().Select(dialog->GroupTree().RootNode());
            dialog->btnOK->click();
        });
        int index = -5;
        QString name = QStringLiteral("old");
        QCOMPARE(ChooseGroup(folder.Db(), dialogs, index, name), mrOK);
        QVERIFY(openedEmpty);
        QCOMPARE(index, 0);
        QCOMPARE(name, QStringLiteral("全部"));

        modals.When<TFormViewIEType>([&](TFormViewIEType* dialog) {
            QTreeWidget* tree = dialog->tvGroups;
            tree->expandAll();
            QTreeWidgetItem* project = Find(tree, QStringLiteral("项目"));
            tree->scrollToItem(project);
            const QPoint at = tree->visualItemRect(project).center();
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
        });
        QCOMPARE(ChooseGroup(folder.Db(), dialogs, index, name), mrOK);
        QCOMPARE(index, 2);
        QCOMPARE(name, QStringLiteral("项目"));

        modals.When<TFormViewIEType>([&](TFormViewIEType* dialog) {
            dialog->GroupTree().Select(Find(dialog->tvGroups, QStringLiteral("工作")));
            QTest::keyClick(dialog->tvGroups, Qt::Key_Escape);
        });
        index = -5;
        QCOMPARE(ChooseGroup(folder.Db(), dialogs, index, name), mrCancel);
        QCOMPARE(index, -5);
        QCOMPARE(name, QString());
        QVERIFY(dialogs.Boxes.isEmpty());
    }

    // A group added in the dialog is written at once and stays when the dialog is cancelled.
    void newGroupInChooseDialog()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        InsertGroups(folder.Db(), IEType, {{1, 0, QStringLiteral("工作")}});
        TModalDriver modals;
        QString position;
        bool addedUnselected = false;
        bool duplicateRefused = false;
        modals.When<TFormViewIEType>([&](TFormViewIEType* dialog) {
            QTreeWidgetItem* work = Find(dialog->tvGroups, QStringLiteral("工作"));
            dialog->GroupTree().Select(work);
            modals.When<TFormAddType>([&](TFormAddType* add) {
                position = add->edtPos->text();
                add->edtName->setText(QStringLiteral("新组"));
                add->btnOK->click();
            });
            dialog->btnNewGroup->click();
            addedUnselected = work->isExpanded() && work->childCount() == 1 &&
                              work->child(0)->text(0) == QStringLiteral("新组") &&
                              dialog->GroupTree().Selected() == work;

            modals.When<TFormAddType>([&](TFormAddType* add) {
                add->edtName->setText(QStringLiteral("工作"));
                add->btnOK->click();
                duplicateRefused = add->isVisible();
                add->reject();
            });
            dialog->btnNewGroup->click();
            duplicateRefused = duplicateRefused && dialog->isVisible() && work->childCount() == 1;
            dialog->btnCancel->click();
        });
        int index = -5;
        QString name;
        QCOMPARE(ChooseGroup(folder.Db(), dialogs, index, name), mrCancel);
        QCOMPARE(position, QStringLiteral("全部->工作"));
        QVERIFY(addedUnselected);
        QVERIFY(duplicateRefused);
        QCOMPARE(dialogs.Texts(), QStringList{QStringLiteral("该名称已经存在，请重新输入！")});
        QCOMPARE(GroupRows(folder.Db(), IEType),
                 QStringList({QStringLiteral("1,0,工作"), QStringLiteral("2,1,新组")}));
        QCOMPARE(index, -5);
    }
};

QTEST_MAIN(TestGroupDialogs)

#include "tst_groupdialogs.moc"
