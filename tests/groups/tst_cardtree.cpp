#include "FixedLogClock.h"
#include "GroupsTestUtil.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "TestText.h"

#include "common/CardException.h"
#include "common/Errors.h"
#include "groups/CardTree.h"
#include "groups/GroupIndex.h"
#include "groups/TreeImages.h"

#include <QIcon>
#include <QTreeWidget>
#include <QtTest>

using namespace GroupsTest;

namespace {

const QString NoteType = QStringLiteral("NoteType");
const QString Root = QStringLiteral("根目录");
const QString Taken = QStringLiteral("该名称已经存在，请重新输入！");

QTreeWidgetItem* Find(const TCardTree& tree, const QString& caption)
{
    const QList<QTreeWidgetItem*> found =
        tree.TreeView()->findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
    return found.size() == 1 ? found.first() : nullptr;
}

// The message of the error the action throws; empty when it throws none.
template <typename F> QString ErrorOf(F action)
{
    try {
        action();
    } catch (const ECardError& error) {
        return error.Message();
    }
    return {};
}

// Every node's parent caption and caption, in display order.
QStringList Outline(QTreeWidgetItem* node)
{
    QStringList lines{node->text(0)};
    for (int i = 0; i < node->childCount(); ++i)
        for (const QString& line : Outline(node->child(i)))
            lines << node->text(0) + QLatin1Char('/') + line;
    return lines;
}

void InsertRandomTree(TDbAccess& db, int count)
{
    db.ExecuteBatch(
        QStringLiteral("insert into NoteType with recursive n(i) as (select 1 union all "
                       "select i+1 from n where i<%1) select i, abs(random())%i, 'g' || i "
                       "from n")
            .arg(count));
}

bool SameImage(const QIcon& icon, QIcon::Mode mode, int picture)
{
    return icon.pixmap(TreeImageSide, mode).toImage().convertToFormat(QImage::Format_ARGB32) ==
           TreePicture(TTreePictures::Folders, picture)
               .pixmap(TreeImageSide)
               .toImage()
               .convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestCardTree : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyTableShowsRootAndNumbersFromOne()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        QTreeWidget view;
        view.addTopLevelItem(new QTreeWidgetItem(QStringList(QStringLiteral("stale"))));
        TCardTree tree(folder.Db(), dialogs, &view, NoteType, Root);
        tree.LoadGroups();

        QCOMPARE(view.topLevelItemCount(), 1);
        QCOMPARE(tree.RootNode()->text(0), Root);
        QCOMPARE(tree.RootNode()->childCount(), 0);
        QVERIFY(tree.RootNode()->isExpanded());
        QCOMPARE(tree.MaxSelfIndex(), 0);
        QCOMPARE(tree.SelectedIndex(), 0);
        QVERIFY(view.editTriggers() == QAbstractItemView::NoEditTriggers);

        // Nothing selected: the group goes under the root, which is expanded.
        tree.RootNode()->setExpanded(false);
        QTreeWidgetItem* first = tree.AddGroup(QStringLiteral("工作"));
        QCOMPARE(first->parent(), tree.RootNode());
        QVERIFY(tree.RootNode()->isExpanded());
        QVERIFY(!first->isSelected());
        QCOMPARE(TCardTree::KeyOf(first).SelfIndex, 1);
        QCOMPARE(TCardTree::KeyOf(first).ParentIndex, 0);
        QCOMPARE(GroupRows(folder.Db(), NoteType), QStringList{QStringLiteral("1,0,工作")});
        QVERIFY(dialogs.Boxes.isEmpty());
    }

    // Every tree picture loads at its size, and a selected group's differs from an unselected one.
    void picturesLoad()
    {
        for (const auto set : {TTreePictures::Folders, TTreePictures::WebPages}) {
            for (int index = 0; index < 3; ++index) {
                const QIcon icon = TreePicture(set, index);
                QVERIFY(!icon.isNull());
                QCOMPARE(icon.pixmap(TreeImageSide).size(), QSize(TreeImageSide, TreeImageSide));
            }
            QVERIFY(TreePicture(set, 1).pixmap(TreeImageSide).toImage() !=
                    TreePicture(set, 2).pixmap(TreeImageSide).toImage());
        }
    }

    void loadBuildsTheDescribedShape()
    {
        TScriptedDialogs dialogs;
        TTestFolder folder;
        folder.Connect();
        InsertGroups(folder.Db(), NoteType,
                     {{3, 0, QStringLiteral("C")},
                      {1, 0, QStringLiteral("A")},
                      {2, 1, QStringLiteral("B")}});
        QTreeWidget view;
        TCardTree tree(folder.Db(), dialogs, &view, NoteType, Root);
        tree.LoadGroups();

        QTreeWidgetItem* root = tree.RootNode();
        QCOMPARE(ChildCaptions(root), QStringList({QStringLiteral("A"), QStringLiteral("C")}));
        QCOMPARE(ChildCaptions(root->child(0)), QStringList{QStringLiteral("B")});
        QVERIFY(root->isExpanded());
        QVERIFY(!root->child(0)->isExpanded());
        QCOMPARE(TCardTree::KeyOf(root->child(0)->child(0)).SelfIndex, 2);
        QCOMPARE(TCardTree::KeyOf(root->child(0)->child(0)).ParentIndex, 1);
        QCOMPARE(tree.MaxSelfIndex(), 3);

        // Pictures: the root shows 0 selected or not, a group 1, and 2 while selected.
        QVERIFY(SameImage(root->icon(0), QIcon::Normal, 0));
        QVERIFY(SameImage(root->icon(0), QIcon::Selected, 0));
        QVERIFY(SameImage(root->child(0)->icon(0), QIcon::Normal, 1));
        QVERIFY(SameImage(root->child(0)->icon(0), QIcon::Selected, 2));
        QVERIFY(!SameImage(root->child(0)->icon(0), QIcon::Selected, 1));
    }

    // A row whose parent is unknown goes under the last node in display order at that moment.
    void loadPlacesRowsWithUnknownParents()
    {
        TScriptedDialogs dialogs;
        TTestFolder folder;
        folder.Connect();
        InsertGroups(folder.Db(), NoteType,
                     {{1, 7, QStringLiteral("first")}, // nothing read yet: the root
                      {2, 0, QStringLiteral("A")},
                      {3, 2, QStringLiteral("B")},
                      {4, 3, QStringLiteral("C")},
                      {5, 0, QStringLiteral("D")},
                      {6, 99, QStringLiteral("lost1")}, // last node is D
                      {7, 3, QStringLiteral("E")},      // under B, after C
                      {8, 98, QStringLiteral("lost2")}, // last is still lost1
                      // Names itself: unknown too. So far apart, the numbers are
                      // looked up in a hash rather than an array over their range.
                      {900, 900, QStringLiteral("self")}});
        QTreeWidget view;
        TCardTree tree(folder.Db(), dialogs, &view, NoteType, Root);
        tree.LoadGroups();

        const auto parentOf = [&](const char* caption) {
            QTreeWidgetItem* node = Find(tree, QString::fromUtf8(caption));
            return node && node->parent() ? node->parent()->text(0) : QStringLiteral("?");
        };
        QCOMPARE(parentOf("first"), Root);
        QCOMPARE(parentOf("B"), QStringLiteral("A"));
        QCOMPARE(parentOf("C"), QStringLiteral("B"));
        QCOMPARE(parentOf("D"), Root);
        QCOMPARE(parentOf("lost1"), QStringLiteral("D"));
        QCOMPARE(parentOf("E"), QStringLiteral("B"));
        QCOMPARE(parentOf("lost2"), QStringLiteral("lost1"));
        QCOMPARE(parentOf("self"), QStringLiteral("lost2"));
        QCOMPARE(ChildCaptions(tree.RootNode()),
                 QStringList({QStringLiteral("first"), QStringLiteral("A"), QStringLiteral("D")}));
    }

    // Only a damaged table repeats a number; rows then go under the first node in display
    // order, which need not be the first one read.
    void loadUsesFirstNodeInDisplayOrder()
    {
        TScriptedDialogs dialogs;
        TTestFolder folder;
        folder.Connect();
        InsertGroups(folder.Db(), NoteType,
                     {{1, 0, QStringLiteral("A")},
                      {2, 0, QStringLiteral("B")},
                      {3, 2, QStringLiteral("read first, under B")},
                      {3, 1, QStringLiteral("read second, under A")},
                      {4, 3, QStringLiteral("child")}});
        QTreeWidget view;
        TCardTree tree(folder.Db(), dialogs, &view, NoteType, Root);
        tree.LoadGroups();
        QCOMPARE(Find(tree, QStringLiteral("child"))->parent()->text(0),
                 QStringLiteral("read second, under A"));

        // With that node gone, the other one with the number takes its place.
        tree.Select(Find(tree, QStringLiteral("child")));
        dialogs.Answers << true << true;
        tree.DeleteGroup();
        tree.Select(Find(tree, QStringLiteral("read second, under A")));
        tree.DeleteGroup();
        tree.Select(Find(tree, QStringLiteral("read first, under B")));
        QCOMPARE(tree.SelectedIndex(), 3);
        QCOMPARE(tree.MaxSelfIndex(), 3);
    }

    // With the first of three nodes of one number gone, the earlier of the other two in display
    // order takes its place, whichever came first.
    void indexPromotesTheNextInDisplayOrder()
    {
        QTreeWidget view;
        QTreeWidgetItem* a = new QTreeWidgetItem(&view, {QStringLiteral("a")});
        QTreeWidgetItem* b = new QTreeWidgetItem(&view, {QStringLiteral("b")});
        QTreeWidgetItem* c = new QTreeWidgetItem(&view, {QStringLiteral("c")});
        TGroupIndex index;
        for (QTreeWidgetItem* node : {a, c, b})
            index.Add(3, node);
        index.Remove(3, a);
        QCOMPARE(index.First(3), b);
    }

    void loadFailureLeavesTreeUnchanged()
    {
        TScriptedDialogs dialogs;
        TTestFolder folder;
        folder.Connect();
        folder.Db().ExecuteBatch(QStringLiteral("insert into NoteType values (1, 0, 'A')@#@"
                                                "insert into NoteType values ('x', 0, 'B')"));
        QTreeWidget view;
        TCardTree tree(folder.Db(), dialogs, &view, NoteType, Root);
        QVERIFY(!ErrorOf([&] { tree.LoadGroups(); }).isEmpty());
        QCOMPARE(tree.RootNode()->childCount(), 0);
        QVERIFY(view.updatesEnabled());
    }

    // Groups another tree added show after a reload, which keeps the selection (here of a group
    // that a damaged table numbers below the root); a table that can't be read leaves the tree,
    // and so its numbering, as it was.
    void reloadKeepsSelectionOrEverything()
    {
        TScriptedDialogs dialogs;
        TTestFolder folder;
        folder.Connect();
        InsertGroups(folder.Db(), NoteType,
                     {{1, 0, QStringLiteral("A")}, {-2, 0, QStringLiteral("B")}});
        QTreeWidget view;
        TCardTree tree(folder.Db(), dialogs, &view, NoteType, Root);
        tree.LoadGroups();
        tree.Select(Find(tree, QStringLiteral("B")));
        QTreeWidget otherView;
        TCardTree other(folder.Db(), dialogs, &otherView, NoteType, Root);
        other.LoadGroups();
        other.AddGroup(QStringLiteral("C"));

        tree.Reload();
        QCOMPARE(ChildCaptions(tree.RootNode()),
                 QStringList({QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("C")}));
        QCOMPARE(tree.SelectedIndex(), -2);
        QCOMPARE(tree.MaxSelfIndex(), 2);
        QVERIFY(tree.NameExists(QStringLiteral("C")));

        folder.Db().ExecuteBatch(QStringLiteral("insert into NoteType values ('x', 0, 'bad')"));
        QVERIFY(!ErrorOf([&] { tree.Reload(); }).isEmpty());
        QCOMPARE(ChildCaptions(tree.RootNode()),
                 QStringList({QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("C")}));
        QCOMPARE(tree.MaxSelfIndex(), 2);
        QCOMPARE(tree.SelectedIndex(), -2);
    }

    void numbersFollowTheLargest()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        QTreeWidget view;
        TCardTree tree(folder.Db(), dialogs, &view, NoteType, Root);
        tree.LoadGroups();
        QTreeWidgetItem* a = tree.AddGroup(QStringLiteral("a"));
        tree.Select(a);
        QTreeWidgetItem* b = tree.AddGroup(QStringLiteral("b")); // 2, under a
        tree.AddGroup(QStringLiteral("c"));                      // 3, under a
        QCOMPARE(TCardTree::KeyOf(b).ParentIndex, 1);
        QVERIFY(a->isExpanded());

        // Deleting the largest hands its number out again; deleting another does not.
        tree.Select(a->child(1));
        dialogs.Answers << true << true;
        tree.DeleteGroup();
        QCOMPARE(tree.MaxSelfIndex(), 2);
        tree.Select(a);
        QCOMPARE(TCardTree::KeyOf(tree.AddGroup(QStringLiteral("d"))).SelfIndex, 3);
        tree.Select(b);
        tree.DeleteGroup();
        QCOMPARE(tree.MaxSelfIndex(), 3);
        QCOMPARE(TCardTree::KeyOf(tree.AddGroup(QStringLiteral("e"))).SelfIndex, 4);
        QCOMPARE(GroupRows(folder.Db(), NoteType),
                 QStringList(
                     {QStringLiteral("1,0,a"), QStringLiteral("3,1,d"), QStringLiteral("4,3,e")}));

        // No number is left past the largest one a group can have.
        InsertGroups(folder.Db(), NoteType,
                     {{std::numeric_limits<qint32>::max(), 0, QStringLiteral("f")}});
        tree.Reload();
        const QStringList full = GroupRows(folder.Db(), NoteType);
        QVERIFY(!ErrorOf([&] { tree.AddGroup(QStringLiteral("g")); }).isEmpty());
        QCOMPARE(GroupRows(folder.Db(), NoteType), full);
    }

    void captionsAreUniqueAndExact()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        QTreeWidget view;
        TCardTree tree(folder.Db(), dialogs, &view, NoteType, Root);
        tree.LoadGroups();
        QVERIFY(tree.NameExists(Root));
        QCOMPARE(ErrorOf([&] { tree.AddGroup(Root); }), Taken);

        QTreeWidgetItem* work = tree.AddGroup(QStringLiteral("Work"));
        tree.AddGroup(QStringLiteral("work"));
        tree.AddGroup(QStringLiteral("a"));
        tree.AddGroup(QStringLiteral(" a"));
        const QString odd = QStringLiteral("it's @#@ 50% \\ done");
        tree.AddGroup(odd);
        QCOMPARE(ErrorOf([&] { tree.AddGroup(QStringLiteral("Work")); }), Taken);
        QCOMPARE(GroupRows(folder.Db(), NoteType).size(), 5);
        QCOMPARE(GroupRows(folder.Db(), NoteType).last(), QStringLiteral("5,0,") + odd);

        // A rename takes the new caption and frees the old one.
        tree.Select(work);
        QCOMPARE(ErrorOf([&] { tree.RenameGroup(QStringLiteral("work")); }), Taken);
        QCOMPARE(ErrorOf([&] { tree.RenameGroup(Root); }), Taken);
        QCOMPARE(work->text(0), QStringLiteral("Work"));
        QVERIFY(tree.RenameGroup(QStringLiteral("工作")));
        QCOMPARE(work->text(0), QStringLiteral("工作"));
        QVERIFY(!tree.NameExists(QStringLiteral("Work")));
        QVERIFY(tree.NameExists(QStringLiteral("工作")));
        QCOMPARE(GroupRows(folder.Db(), NoteType).first(), QStringLiteral("1,0,工作"));
        tree.AddGroup(QStringLiteral("Work"));

        // An empty caption is allowed; the root is never renamed.
        QVERIFY(tree.RenameGroup(QString()));
        QCOMPARE(GroupRows(folder.Db(), NoteType).first(), QStringLiteral("1,0,"));
        tree.Select(tree.RootNode());
        QVERIFY(!tree.RenameGroup(QStringLiteral("x")));
        QCOMPARE(tree.RootNode()->text(0), Root);

        // A deleted group's caption is free again.
        tree.Select(Find(tree, QStringLiteral("work")));
        dialogs.Answers << true;
        tree.DeleteGroup();
        QVERIFY(!tree.NameExists(QStringLiteral("work")));
        QVERIFY(tree.NameExists(QStringLiteral("Work")));
    }

    void deleteRefusesInOrder()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        QTreeWidget view;
        TCardTree tree(folder.Db(), dialogs, &view, NoteType, Root);
        tree.LoadGroups();

        QCOMPARE(ErrorOf([&] { tree.DeleteGroup(); }), QStringLiteral("请选择要删除的分组！"));
        tree.Select(tree.RootNode());
        QCOMPARE(ErrorOf([&] { tree.DeleteGroup(); }), QStringLiteral("不能删除根分组！"));
        QTreeWidgetItem* parent = tree.AddGroup(QStringLiteral("parent"));
        QCOMPARE(ErrorOf([&] { tree.DeleteGroup(); }),
                 QStringLiteral("还有下级分组，不能删除该分组！"));
        tree.Select(parent);
        tree.AddGroup(QStringLiteral("child"));
        QCOMPARE(ErrorOf([&] { tree.DeleteGroup(); }),
                 QStringLiteral("还有下级分组，不能删除该分组！"));
        QVERIFY(dialogs.Boxes.isEmpty()); // refused before any question
        QCOMPARE(GroupRows(folder.Db(), NoteType).size(), 2);
    }

    void deleteAsksAndSelectsNeighbour()
    {
        TTestFolder folder;
        folder.Connect();
        InsertGroups(folder.Db(), NoteType,
                     {{1, 0, QStringLiteral("工作")},
                      {2, 1, QStringLiteral("x")},
                      {3, 1, QStringLiteral("y")},
                      {4, 1, QStringLiteral("z")}});
        TScriptedDialogs dialogs;
        QTreeWidget view;
        TCardTree tree(folder.Db(), dialogs, &view, NoteType, Root);
        tree.LoadGroups();
        QTreeWidgetItem* work = tree.RootNode()->child(0);
        // A row that still names y as its parent goes with it.
        folder.Db().ExecuteBatch(QStringLiteral("insert into NoteType values (9, 3, 'orphan')"));

        tree.Select(work->child(1));
        dialogs.Answers << false;
        bool aborted = false;
        try {
            tree.DeleteGroup();
        } catch (const EAbort&) {
            aborted = true;
        }
        QVERIFY(aborted);
        QCOMPARE(dialogs.Texts(), QStringList{QStringLiteral("确定要删除 y 分组吗？") + Bin()});
        QCOMPARE(work->childCount(), 3);
        QCOMPARE(GroupRows(folder.Db(), NoteType).size(), 5);

        dialogs.Answers << true;
        tree.DeleteGroup();
        QCOMPARE(ChildCaptions(work), QStringList({QStringLiteral("x"), QStringLiteral("z")}));
        QCOMPARE(tree.Selected()->text(0), QStringLiteral("z")); // the next sibling
        QCOMPARE(GroupRows(folder.Db(), NoteType),
                 QStringList({QStringLiteral("1,0,工作"), QStringLiteral("2,1,x"),
                              QStringLiteral("4,1,z")}));
        dialogs.Answers << true << true;
        tree.DeleteGroup();
        QCOMPARE(tree.Selected()->text(0), QStringLiteral("x")); // the previous one
        tree.DeleteGroup();
        QCOMPARE(tree.Selected(), work); // the parent
        dialogs.Answers << true;
        tree.DeleteGroup();
        QCOMPARE(dialogs.Texts().last(), QStringLiteral("确定要删除 工作 分组吗？") + Bin());
        QCOMPARE(tree.Selected(), tree.RootNode());
        QVERIFY(GroupRows(folder.Db(), NoteType).isEmpty());
    }

    // Both statements run as one batch: when the second fails, the first is undone as well,
    // and the tree keeps the node.
    void deleteRunsOneBatch()
    {
        TScriptedDialogs dialogs;
        TTestFolder folder;
        folder.Connect();
        TCardException handler(dialogs);
        const TFixedLogClock logClock;
        InsertGroups(folder.Db(), NoteType, {{7, 0, QStringLiteral("seven")}});
        QTreeWidget view;
        TCardTree tree(folder.Db(), dialogs, &view, NoteType, Root);
        tree.LoadGroups();
        // A row the tree doesn't show still names 7 as its parent, and may not be deleted.
        folder.Db().ExecuteBatch(
            QStringLiteral("create trigger keep_children before delete on NoteType "
                           "when old.ParentIndex = 7 begin select raise(abort, 'kept'); end"
                           "@#@insert into NoteType values (8, 7, 'stray')"));
        tree.Select(Find(tree, QStringLiteral("seven")));
        dialogs.Answers << true;
        RunGuarded([&] { tree.DeleteGroup(); });

        QCOMPARE(GroupRows(folder.Db(), NoteType),
                 QStringList({QStringLiteral("7,0,seven"), QStringLiteral("8,7,stray")}));
        QVERIFY(Find(tree, QStringLiteral("seven")));
        QCOMPARE(tree.Selected()->text(0), QStringLiteral("seven"));
        // Nor is anything kept in the recycle bin.
        QCOMPARE(folder.Db().QueryInteger(QStringLiteral("select count(*) from RecycleBinRow")), 0);
        const QString log = QString::fromLocal8Bit(folder.ReadFile(logClock.FileName()));
        QVERIFY2(log.contains(QStringLiteral("kept")), qPrintable(log));
    }

    // A load in steps ends with the tree a load in one go makes; until then only the root shows.
    void loadInStepsBuildsTheSameTree()
    {
        TScriptedDialogs dialogs;
        TTestFolder folder;
        folder.Connect();
        InsertRandomTree(folder.Db(), 3000);
        QTreeWidget whole;
        TCardTree once(folder.Db(), dialogs, &whole, NoteType, Root);
        once.LoadGroups();

        QTreeWidget view;
        TCardTree tree(folder.Db(), dialogs, &view, NoteType, Root);
        tree.BeginLoading();
        int steps = 0;
        while (!tree.LoadStep(std::chrono::nanoseconds(0))) {
            // The root's note is saved while the groups are being read.
            if (++steps == 1)
                folder.Db().ExecuteBatch(
                    QStringLiteral("insert into NoteBook(TypeID,ReMark) values (0,'typed')"));
            QCOMPARE(view.topLevelItem(0)->childCount(), 0);
        }
        QVERIFY(steps > 2);
        QVERIFY(!tree.Loading());
        QCOMPARE(Outline(tree.RootNode()), Outline(once.RootNode()));
    }

    // A group command in the middle of a load numbers the new group after every stored one.
    void commandDuringLoadFinishesTheLoadFirst()
    {
        TScriptedDialogs dialogs;
        TTestFolder folder;
        folder.Connect();
        InsertRandomTree(folder.Db(), 3000);
        QTreeWidget view;
        TCardTree tree(folder.Db(), dialogs, &view, NoteType, Root);
        tree.BeginLoading();
        tree.LoadStep(std::chrono::nanoseconds(0));
        QCOMPARE(TCardTree::KeyOf(tree.AddGroup(QStringLiteral("new"))).SelfIndex, 3001);
        QVERIFY(!tree.Loading());
        QVERIFY(view.topLevelItem(0)->childCount() > 1);

        // A tree given up in the middle of its load frees what it made.
        QTreeWidget otherView;
        TCardTree abandoned(folder.Db(), dialogs, &otherView, NoteType, Root);
        abandoned.BeginLoading();
        for (int i = 0; i < 4; ++i)
            abandoned.LoadStep(std::chrono::nanoseconds(0));
        QVERIFY(abandoned.Loading());
    }

    // A chain of groups as deep as a hostile table can make loads, opens in every way, edits
    // and goes away again; the levels the view cannot lay out stay out of its sight.
    void deepChainIsShownToItsLimit()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        folder.Db().ExecuteBatch(
            QStringLiteral("insert into NoteType with recursive n(i) as (select 1 union all "
                           "select i+1 from n where i<100000) select i, i-1, i from n"));
        QTreeWidget view;
        TCardTree tree(folder.Db(), dialogs, &view, NoteType, Root);
        tree.LoadGroups();
        view.show();
        view.setCurrentItem(tree.RootNode());
        QTest::keyClick(&view, Qt::Key_Asterisk);
        view.expandAll();
        QTreeWidgetItem* last = tree.RootNode();
        while (last->childCount() > 0)
            last = last->child(0);
        tree.Select(last);
        QCOMPARE(TCardTree::LevelOf(last), 100000);
        dialogs.Answers << true;
        tree.DeleteGroup();
        QCOMPARE(tree.SelectedIndex(), 99999);

        QTreeWidgetItem* edge = tree.RootNode();
        for (int level = 0; level < TCardTree::MaxShownLevel; ++level)
            edge = edge->child(0);
        QVERIFY(view.visualItemRect(edge).isValid());
        QVERIFY(!view.visualItemRect(edge->child(0)).isValid());
        tree.Select(edge);
        QVERIFY(!ErrorOf([&] { tree.AddGroup(QStringLiteral("below")); }).isEmpty());
        QVERIFY(tree.RenameGroup(QStringLiteral("edge")));
        QCOMPARE(tree.MaxSelfIndex(), 99999);
        tree.Reload();
        QCOMPARE(tree.SelectedIndex(), TCardTree::MaxShownLevel);
    }

    // The selected node is the one the user chose: focus alone chooses none, and a chosen
    // node can't be unselected.
    void selectionIsTheChosenNode()
    {
        TScriptedDialogs dialogs;
        TTestFolder folder;
        folder.Connect();
        InsertGroups(folder.Db(), NoteType, {{1, 0, QStringLiteral("A")}});
        QTreeWidget view;
        TCardTree tree(folder.Db(), dialogs, &view, NoteType, Root);
        tree.LoadGroups();
        QTreeWidgetItem* a = tree.RootNode()->child(0);
        view.setCurrentItem(a, 0, QItemSelectionModel::NoUpdate);
        QCOMPARE(tree.Selected(), nullptr);
        QCOMPARE(tree.SelectedIndex(), 0);

        tree.Select(a);
        QCOMPARE(tree.SelectedIndex(), 1);
        view.selectionModel()->select(view.currentIndex(), QItemSelectionModel::Deselect);
        QVERIFY(a->isSelected());
        QCOMPARE(tree.Selected(), a);
    }
};

QTEST_MAIN(TestCardTree)

#include "tst_cardtree.moc"
