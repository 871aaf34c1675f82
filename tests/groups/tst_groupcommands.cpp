#include "GroupsTestUtil.h"
#include "ModalDriver.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "TestText.h"

#include "common/CardException.h"
#include "common/Errors.h"
#include "groups/CardTree.h"
#include "groups/FormAddType.h"
#include "groups/GroupCommands.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

using namespace GroupsTest;

namespace {

const QString NoteType = QStringLiteral("NoteType");
const QString Root = QStringLiteral("根目录");

// A note tree with its menu, over a fresh database holding 工作 (1) with 项目 (2) under it and
// 其他 (3) under the root. The hooks write what they see into Log.
struct TFixture
{
    TTestFolder Folder;
    TScriptedDialogs Dialogs;
    QWidget Window;
    QTreeWidget* View = nullptr;
    QLineEdit* Other = nullptr;
    std::unique_ptr<TCardTree> Tree;
    std::unique_ptr<TGroupCommands> Commands;
    QStringList Log;

    TFixture()
    {
        Folder.Connect();
        InsertGroups(Folder.Db(), NoteType,
                     {{1, 0, QStringLiteral("工作")},
                      {2, 1, QStringLiteral("项目")},
                      {3, 0, QStringLiteral("其他")}});
        auto* layout = new QVBoxLayout(&Window);
        View = new QTreeWidget(&Window);
        Other = new QLineEdit(&Window);
        layout->addWidget(View);
        layout->addWidget(Other);
        Tree = std::make_unique<TCardTree>(Folder.Db(), Dialogs, View, NoteType, Root);
        Tree->LoadGroups();
        View->expandAll();
        Commands = std::make_unique<TGroupCommands>(*Tree);
        QObject::connect(Commands.get(), &TGroupCommands::GroupAdded, &Window,
                         [this] { Log << QStringLiteral("added:") + Selected(); });
        Commands->BeforeDelete = [this](const QString& n) {
            Log << QStringLiteral("before:") + n;
        };
        QObject::connect(Commands.get(), &TGroupCommands::GroupDeleted, &Window,
                         [this] { Log << QStringLiteral("show:") + Selected(); });
        Window.resize(300, 400);
        Window.show();
    }

    QString Selected() const { return Tree->Selected() ? Tree->Selected()->text(0) : QString(); }

    QTreeWidgetItem* Node(const QString& caption) const
    {
        const QList<QTreeWidgetItem*> found =
            View->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
        return found.size() == 1 ? found.first() : nullptr;
    }

    // The caption editor while it is open.
    QLineEdit* Editor() const
    {
        for (QLineEdit* editor : View->viewport()->findChildren<QLineEdit*>())
            if (editor->isVisible())
                return editor;
        return nullptr;
    }

    // Renames the selected group in place: once the editor is up, the action ends the edit.
    template <typename F> void Rename(QObject* context, F endEdit)
    {
        QTimer::singleShot(0, context, [this, endEdit] {
            if (QLineEdit* editor = Editor())
                endEdit(editor);
        });
        Commands->actRenameGroup->trigger();
    }
};

} // namespace

class TestGroupCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newGroupGoesUnderSelectedAndIsSelected()
    {
        TFixture f;
        TModalDriver modals;
        // Nothing selected: no dialog, nothing added, but a word on what to select.
        f.Commands->actNewGroup->trigger();
        QVERIFY(f.Log.isEmpty());
        QCOMPARE(f.Dialogs.Texts().size(), 1);

        QStringList positions;
        const auto answer = [&](const QString& name) {
            modals.When<TFormAddType>([&positions, name](TFormAddType* dialog) {
                positions << dialog->edtPos->text();
                dialog->edtName->setText(name);
                dialog->btnOK->click();
            });
        };
        f.Tree->Select(f.Tree->RootNode());
        answer(QStringLiteral("新组"));
        f.Commands->actNewGroup->trigger();
        f.Tree->Select(f.Node(QStringLiteral("工作")));
        answer(QStringLiteral("子组"));
        f.Commands->actNewGroup->trigger();

        QCOMPARE(positions, QStringList({Root, Root + QStringLiteral("->工作")}));
        QCOMPARE(f.Log, QStringList({QStringLiteral("added:新组"), QStringLiteral("added:子组")}));
        QCOMPARE(f.Node(QStringLiteral("新组"))->parent(), f.Tree->RootNode());
        QCOMPARE(f.Node(QStringLiteral("子组"))->parent(), f.Node(QStringLiteral("工作")));
        QCOMPARE(GroupRows(f.Folder.Db(), NoteType).mid(3),
                 QStringList({QStringLiteral("4,0,新组"), QStringLiteral("5,1,子组")}));

        // Cancelled, or refused: nothing is added and the page is not refreshed. A name taken is
        // refused over the dialog, which stays open with the name selected.
        modals.When<TFormAddType>([](TFormAddType* dialog) { dialog->reject(); });
        f.Commands->actNewGroup->trigger();
        QString selected;
        modals.When<TFormAddType>([&](TFormAddType* dialog) {
            dialog->edtName->setText(QStringLiteral("其他"));
            dialog->btnOK->click();
            selected = dialog->isVisible() ? dialog->edtName->selectedText() : QString();
            dialog->reject();
        });
        f.Commands->actNewGroup->trigger();
        QCOMPARE(selected, QStringLiteral("其他"));
        QCOMPARE(f.Dialogs.Texts().last(), QStringLiteral("该名称已经存在，请重新输入！"));
        QCOMPARE(f.Log.size(), 2);
        QCOMPARE(GroupRows(f.Folder.Db(), NoteType).size(), 5);
        QCOMPARE(f.Selected(), QStringLiteral("子组"));
    }

    void deleteRefusalsAndHooks()
    {
        TFixture f;
        f.Commands->actDeleteGroup->trigger(); // nothing selected: says what to select
        QCOMPARE(f.Dialogs.Texts().size(), 1);
        f.Tree->Select(f.Tree->RootNode());
        f.Commands->actDeleteGroup->trigger();
        QCOMPARE(f.Dialogs.Texts().last(), QStringLiteral("还有下级分组，不能删除该分组！"));

        // No: nothing happens.
        f.Tree->Select(f.Node(QStringLiteral("项目")));
        f.Dialogs.Answers << false;
        f.Commands->actDeleteGroup->trigger();
        QCOMPARE(f.Dialogs.Texts().last(), QStringLiteral("确定要删除 项目 分组吗？") + Bin());
        QVERIFY(f.Log.isEmpty());
        QCOMPARE(GroupRows(f.Folder.Db(), NoteType).size(), 3);

        // Yes: the page finishes its writes, the group goes, the newly selected node shows.
        f.Dialogs.Answers << true;
        f.Commands->actDeleteGroup->trigger();
        QCOMPARE(f.Log, QStringList({QStringLiteral("before:2"), QStringLiteral("show:工作")}));
        QCOMPARE(GroupRows(f.Folder.Db(), NoteType).size(), 2);

        // A page that cannot finish its writes stops the command before anything is deleted.
        f.Log.clear();
        f.Commands->BeforeDelete = [](const QString&) {
            throw ECardError(QStringLiteral("boom"));
        };
        f.Dialogs.Answers << true << true << true;
        f.Commands->actDeleteGroup->trigger();
        QCOMPARE(f.Dialogs.Texts().last(), QStringLiteral("boom"));
        QVERIFY(f.Log.isEmpty());
        QCOMPARE(GroupRows(f.Folder.Db(), NoteType).size(), 2);
        f.Commands->BeforeDelete = nullptr;
        f.Commands->actDeleteGroup->trigger();
        f.Commands->actDeleteGroup->trigger(); // now 其他
        QCOMPARE(f.Log, QStringList({QStringLiteral("show:其他"), QStringLiteral("show:根目录")}));
        f.Commands->actDeleteGroup->trigger();
        QCOMPARE(f.Dialogs.Texts().last(), QStringLiteral("不能删除根分组！"));
        QVERIFY(GroupRows(f.Folder.Db(), NoteType).isEmpty());
    }

    // Insert, F2 and Delete on the tree are the menu's three commands, with their questions
    // and refusals.
    void keysRunTheCommands()
    {
        TFixture f;
        QCOMPARE(QList<QKeySequence>({f.Commands->actNewGroup->shortcut(),
                                      f.Commands->actRenameGroup->shortcut(),
                                      f.Commands->actDeleteGroup->shortcut()}),
                 QList<QKeySequence>({Qt::Key_Insert, Qt::Key_F2, Qt::Key_Delete}));
        QObject context;
        TModalDriver modals;
        f.Tree->Select(f.Node(QStringLiteral("其他")));
        modals.When<TFormAddType>([](TFormAddType* dialog) {
            dialog->edtName->setText(QStringLiteral("新组"));
            dialog->btnOK->click();
        });
        QTest::keyClick(f.View, Qt::Key_Insert);
        QCOMPARE(f.Log, QStringList{QStringLiteral("added:新组")});
        QCOMPARE(f.Node(QStringLiteral("新组"))->parent(), f.Node(QStringLiteral("其他")));

        QTimer::singleShot(0, &context, [&f] {
            if (QLineEdit* editor = f.Editor()) {
                editor->setText(QStringLiteral("改名"));
                QTest::keyClick(editor, Qt::Key_Return);
            }
        });
        QTest::keyClick(f.View, Qt::Key_F2);
        QCOMPARE(f.Selected(), QStringLiteral("改名"));

        f.Dialogs.Answers << true;
        QTest::keyClick(f.View, Qt::Key_Delete);
        QCOMPARE(f.Dialogs.Texts(),
                 QStringList{QStringLiteral("确定要删除 改名 分组吗？") + Bin()});
        QVERIFY(!f.Node(QStringLiteral("改名")));
        QCOMPARE(f.Selected(), QStringLiteral("其他"));

        f.Tree->Select(f.Tree->RootNode());
        QTest::keyClick(f.View, Qt::Key_Delete);
        QCOMPARE(f.Dialogs.Texts().last(), QStringLiteral("还有下级分组，不能删除该分组！"));
        QCOMPARE(GroupRows(f.Folder.Db(), NoteType).size(), 3);
    }

    void renameInPlace()
    {
        TFixture f;
        QObject context;
        QTreeWidgetItem* work = f.Node(QStringLiteral("工作"));

        // The root is not renamed (the command says what to select), and nothing opens an
        // editor outside the command.
        f.Tree->Select(f.Tree->RootNode());
        f.Commands->actRenameGroup->trigger();
        QVERIFY(!f.Editor());
        QCOMPARE(f.Dialogs.Texts().size(), 1);
        f.Tree->Select(work);
        const QPoint at = f.View->visualItemRect(work).center();
        QTest::mouseDClick(f.View->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(!f.Editor());

        const int before = TotalChanges(f.Folder.Db());
        f.Rename(&context, [](QLineEdit* editor) { QTest::keyClick(editor, Qt::Key_Return); });
        QCOMPARE(TotalChanges(f.Folder.Db()), before); // unchanged: nothing written

        f.Rename(&context, [](QLineEdit* editor) {
            editor->setText(QStringLiteral("改名"));
            QTest::keyClick(editor, Qt::Key_Escape);
        });
        QCOMPARE(work->text(0), QStringLiteral("工作"));
        QCOMPARE(TotalChanges(f.Folder.Db()), before);

        f.Rename(&context, [](QLineEdit* editor) {
            editor->setText(QStringLiteral("其他"));
            QTest::keyClick(editor, Qt::Key_Return);
        });
        QCOMPARE(f.Dialogs.Texts().last(), QStringLiteral("该名称已经存在，请重新输入！"));
        QCOMPARE(work->text(0), QStringLiteral("工作"));
        QCOMPARE(TotalChanges(f.Folder.Db()), before);

        f.Rename(&context, [](QLineEdit* editor) {
            editor->setText(QStringLiteral("改名"));
            QTest::keyClick(editor, Qt::Key_Return);
        });
        QCOMPARE(work->text(0), QStringLiteral("改名"));
        QCOMPARE(GroupRows(f.Folder.Db(), NoteType).first(), QStringLiteral("1,0,改名"));
        QVERIFY(!(work->flags() & Qt::ItemIsEditable));
        QVERIFY(!f.Commands->Renaming());
        QVERIFY(f.Log.isEmpty());
    }

    // Whatever ends the edit, the group that was being edited is the one renamed.
    void renameEndsWhenSelectionMoves()
    {
        TFixture f;
        QObject context;
        QTreeWidgetItem* project = f.Node(QStringLiteral("项目"));
        f.Tree->Select(project);
        f.Rename(&context, [&f](QLineEdit* editor) {
            editor->setText(QStringLiteral("新项目"));
            f.Tree->Select(f.Node(QStringLiteral("其他")));
        });
        QCOMPARE(project->text(0), QStringLiteral("新项目"));
        QCOMPARE(f.Node(QStringLiteral("其他"))->text(0), QStringLiteral("其他"));
        QCOMPARE(GroupRows(f.Folder.Db(), NoteType),
                 QStringList({QStringLiteral("1,0,工作"), QStringLiteral("2,1,新项目"),
                              QStringLiteral("3,0,其他")}));
    }

    // A reload while the editor is open takes the edited node away: the edit ends with no
    // rename, and nothing touches the node that went.
    void renameEndsWhenTheTreeIsReloaded()
    {
        TFixture f;
        QObject context;
        f.Tree->Select(f.Node(QStringLiteral("其他")));
        const int before = TotalChanges(f.Folder.Db());
        f.Rename(&context, [&f](QLineEdit* editor) {
            editor->setText(QStringLiteral("别的"));
            f.Tree->Reload();
        });
        QVERIFY(!f.Commands->Renaming());
        QCOMPARE(TotalChanges(f.Folder.Db()), before);
        QTreeWidgetItem* other = f.Node(QStringLiteral("其他"));
        QVERIFY(other);
        QCOMPARE(f.Tree->Selected(), other);
        QVERIFY(!(other->flags() & Qt::ItemIsEditable));
    }

    void renameEndsWhenFocusLeaves()
    {
        TFixture f;
        QObject context;
        f.Window.activateWindow();
        if (!QTest::qWaitForWindowActive(&f.Window))
            QSKIP("the platform does not activate windows");
        QTreeWidgetItem* other = f.Node(QStringLiteral("其他"));
        f.Tree->Select(other);
        f.Rename(&context, [&f](QLineEdit* editor) {
            editor->setText(QStringLiteral("别的"));
            f.Other->setFocus();
        });
        QCOMPARE(other->text(0), QStringLiteral("别的"));
        QCOMPARE(GroupRows(f.Folder.Db(), NoteType).last(), QStringLiteral("3,0,别的"));
    }

    void rightClickKeepsSelectionAndOpensMenu()
    {
        TFixture f;
        QTreeWidgetItem* work = f.Node(QStringLiteral("工作"));
        QTreeWidgetItem* other = f.Node(QStringLiteral("其他"));
        f.Tree->Select(work);
        const QPoint at = f.View->visualItemRect(other).center();
        QTest::mousePress(f.View->viewport(), Qt::RightButton, {}, at);
        QTest::mouseRelease(f.View->viewport(), Qt::RightButton, {}, at);
        QCOMPARE(f.Tree->Selected(), work);

        const QAction* appended = f.Commands->AppendCommand(QStringLiteral("新建网址"));
        QStringList captions;
        for (QAction* action : f.Commands->Menu()->actions())
            captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(captions, QStringList({QStringLiteral("新建组"), QStringLiteral("重命名组"),
                                        QStringLiteral("删除组"), QStringLiteral("-"),
                                        QStringLiteral("新建网址")}));

        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at,
                                    f.View->viewport()->mapToGlobal(at));
        QApplication::sendEvent(f.View->viewport(), &menuEvent);
        QTRY_VERIFY(f.Commands->Menu()->isVisible());
        f.Commands->Menu()->close();
        QCOMPARE(f.Tree->Selected(), work);
        QCOMPARE(f.Commands->Menu()->actions().last(), appended);
    }
};

QTEST_MAIN(TestGroupCommands)

#include "tst_groupcommands.moc"
