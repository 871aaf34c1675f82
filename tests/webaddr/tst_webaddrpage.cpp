#include "ModalDriver.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "TestText.h"
#include "WebAddrKit.h"
#include "Widgets.h"

#include "common/CardException.h"
#include "controls/CardDBGrid.h"
#include "controls/CardEdtBut.h"
#include "data/DbAccess.h"
#include "groups/CardTree.h"
#include "groups/FormAddType.h"
#include "groups/FormViewIEType.h"
#include "groups/GroupCommands.h"
#include "webaddr/FormAddIE.h"
#include "webaddr/FormBaseIE.h"
#include "webaddr/IE.h"
#include "webaddr/WebAddrPage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <initializer_list>
#include <memory>

using namespace WebAddrKit;

namespace {

// The page over a fresh database holding:
//   groups  1 工作 (under the root), 2 项目 (under 工作), 3 娱乐 (under the root)
//   addresses  in the root: R; in 工作: W1, W2; in 项目: P; in the lost group 9: O
struct TPageFixture
{
    TTestFolder Folder;
    TScriptedDialogs Dialogs;
    std::unique_ptr<TIE> Store;
    std::unique_ptr<TWebAddrPage> Page;

    TPageFixture()
    {
        Folder.Connect();
        AddGroupRow(Folder.Db(), 1, 0, QStringLiteral("工作"));
        AddGroupRow(Folder.Db(), 2, 1, QStringLiteral("项目"));
        AddGroupRow(Folder.Db(), 3, 0, QStringLiteral("娱乐"));
        AddRow(Folder.Db(), 0, QStringLiteral("www.r.cn"), QStringLiteral("R"));
        AddRow(Folder.Db(), 1, QStringLiteral("www.w1.cn"), QStringLiteral("W1"),
               QStringLiteral("备注 1"));
        AddRow(Folder.Db(), 1, QStringLiteral("www.w2.cn"), QStringLiteral("W2"));
        AddRow(Folder.Db(), 2, QStringLiteral("www.p.cn"), QStringLiteral("P"));
        AddRow(Folder.Db(), 9, QStringLiteral("www.o.cn"), QStringLiteral("O"));
        Store = std::make_unique<TIE>(Folder.Db());
        Page = std::make_unique<TWebAddrPage>(*Store, Dialogs);
        Page->resize(800, 400);
        Page->show();
        Page->FirstShow();
    }

    TCardDBGrid& Grid() const { return *Widget<TCardDBGrid>(Page.get(), "AddressGrid"); }
    QTreeWidget& Tree() const { return *Widget<QTreeWidget>(Page.get(), "tvIE"); }
    QAction* Action(const char* name) const { return Widget<QAction>(Page.get(), name); }

    QTreeWidgetItem* Node(const QString& caption) const
    {
        const auto found = Tree().findItems(caption, Qt::MatchExactly | Qt::MatchRecursive);
        return found.size() == 1 ? found.first() : nullptr;
    }

    void Click(const QString& caption, Qt::MouseButton button = Qt::LeftButton) const
    {
        QTreeWidgetItem* node = Node(caption);
        QVERIFY(node);
        Tree().scrollToItem(node);
        QTest::mouseClick(Tree().viewport(), button, {}, Tree().visualItemRect(node).center());
    }

    // The grid's values of one field, in row order.
    QStringList Column(const QString& field) const
    {
        QStringList values;
        const int column = Grid().ColumnOf(field);
        for (int row = 0; row < Grid().model()->rowCount(); ++row)
            values << Grid().model()->index(row, column).data().toString();
        return values;
    }

    void MakeCurrent(const QString& title) const
    {
        const int row = int(Column(QStringLiteral("标题")).indexOf(title));
        QVERIFY(row >= 0);
        Grid().setCurrentIndex(Grid().model()->index(row, Grid().ColumnOf(QStringLiteral("标题"))));
        QCOMPARE(Grid().CurrentValue(QStringLiteral("标题")), title);
    }
};

QStringList Sorted(QStringList values)
{
    values.sort();
    return values;
}

// Answers the new-group dialog with a name.
void AnswerGroupName(TModalDriver& modals, const QString& name)
{
    modals.When<TFormBaseDlg>(QStringLiteral("新建组"), [name](TFormBaseDlg* base) {
        qobject_cast<TFormAddType*>(base)->edtName->setText(name);
        base->btnOK->click();
    });
}

} // namespace

class TestWebAddrPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The root lists every address, lost groups included; a group lists only what is filed
    // directly in it. Only mouse clicks change the list.
    void listsTheClickedGroup()
    {
        TPageFixture f;
        const int id = f.Grid().ColumnOf(QStringLiteral("ID"));
        QVERIFY(f.Grid().isColumnHidden(id));
        QCOMPARE(f.Grid().model()->columnCount(), 4);
        QCOMPARE(f.Grid().model()->headerData(1, Qt::Horizontal).toString(),
                 QStringLiteral("标题"));
        QCOMPARE(f.Grid().model()->headerData(2, Qt::Horizontal).toString(),
                 QStringLiteral("备注"));
        QCOMPARE(f.Grid().model()->headerData(3, Qt::Horizontal).toString(),
                 QStringLiteral("网址"));
        QCOMPARE(Sorted(f.Column(QStringLiteral("标题"))), Texts({"O", "P", "R", "W1", "W2"}));

        f.Click(QStringLiteral("工作"));
        QCOMPARE(Sorted(f.Column(QStringLiteral("标题"))), Texts({"W1", "W2"}));
        QVERIFY(f.Grid().isColumnHidden(id));
        f.Click(QStringLiteral("娱乐"));
        QVERIFY(f.Grid().IsEmpty());

        f.Click(QStringLiteral("全部"));
        QCOMPARE(f.Grid().model()->rowCount(), 5);
        QVERIFY(f.Dialogs.Boxes.isEmpty());
    }

    // The list follows a selection moved by the keys; moves in quick succession list only the
    // group finally selected, and a new address goes into the group listed.
    void listFollowsTheKeys()
    {
        TPageFixture f;
        f.Click(QStringLiteral("工作"));
        QSignalSpy resets(f.Grid().model(), &QAbstractItemModel::modelReset);
        f.Click(QStringLiteral("娱乐"));
        const qsizetype perListing = resets.size();
        QVERIFY(f.Grid().IsEmpty());

        resets.clear();
        QTest::keyClick(&f.Tree(), Qt::Key_Up);
        QTest::keyClick(&f.Tree(), Qt::Key_Up);
        QCOMPARE(f.Page->IETree().Selected(), f.Page->IETree().RootNode());
        QTRY_COMPARE(f.Grid().model()->rowCount(), 5);
        QTest::qWait(300);
        QCOMPARE(resets.size(), perListing);

        QTest::keyClick(&f.Tree(), Qt::Key_Down);
        QString group;
        TModalDriver modals;
        modals.When<TFormBaseDlg>(QStringLiteral("新建网址"), [&](TFormBaseDlg* base) {
            group = qobject_cast<TFormBaseIE*>(base)->edtGroup->text();
            base->reject();
        });
        QTest::keyClick(&f.Grid(), Qt::Key_Insert);
        QCOMPARE(group, QStringLiteral("工作"));
        QCOMPARE(Sorted(f.Column(QStringLiteral("标题"))), Texts({"W1", "W2"}));
    }

    // Enter, F2 and Delete in the list are "打开网页", "修改" and "删除", as the menu shows, and
    // each runs once; an address of several lines opens its first non-blank line.
    void listKeysAreTheRowCommands()
    {
        TPageFixture f;
        TModalDriver modals;
        for (QAction* action : Widget<QMenu>(f.Page.get(), "pmIE")->actions())
            QVERIFY(action->isSeparator() ||
                    (!action->shortcut().isEmpty() && action->isShortcutVisibleInContextMenu()));
        AddRow(f.Folder.Db(), 3, QStringLiteral("\r\n  www.two.cn \r\nwww.other.cn"),
               QStringLiteral("T"));
        f.Click(QStringLiteral("娱乐"));
        QTest::keyClick(&f.Grid(), Qt::Key_Return);
        QCOMPARE(f.Dialogs.OpenedUrls.size(), 1);
        QCOMPARE(f.Dialogs.OpenedUrls[0].host(), QStringLiteral("www.two.cn"));

        QString title;
        modals.When<TFormBaseDlg>(QStringLiteral("修改网址"), [&](TFormBaseDlg* base) {
            title = qobject_cast<TFormBaseIE*>(base)->edtName->text();
            base->reject();
        });
        QTest::keyClick(&f.Grid(), Qt::Key_F2);
        QCOMPARE(title, QStringLiteral("T"));

        f.Dialogs.Answers << true;
        QTest::keyClick(&f.Grid(), Qt::Key_Delete);
        QCOMPARE(f.Dialogs.Texts(), QStringList{QStringLiteral("确实要删除：＂T＂吗?") + Bin()});
        QVERIFY(f.Grid().IsEmpty());
        QCOMPARE(Rows(f.Folder.Db()).size(), 5);
    }

    // Tab and Shift+Tab leave the list for the window's next control, as in any list.
    void tabLeavesTheList()
    {
        TPageFixture f;
        f.Page->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.Page.get()));
        for (const Qt::KeyboardModifiers modifiers : {Qt::NoModifier, Qt::ShiftModifier}) {
            f.Grid().setFocus();
            QTest::keyClick(&f.Grid(), Qt::Key_Tab, modifiers);
            QCOMPARE(QApplication::focusWidget(), &f.Tree());
        }
    }

    // The deletes of the store re-read the grid, also when the row was already gone.
    void storeDeletesRereadTheGrid()
    {
        TPageFixture f;
        f.Click(QStringLiteral("工作"));
        const QString w1 = Rows(f.Folder.Db()).at(1).ID;
        f.Store->DeleteAddress(w1);
        QCOMPARE(f.Column(QStringLiteral("标题")), Texts({"W2"}));
        // A re-read keeps the ID column hidden.
        QVERIFY(f.Grid().isColumnHidden(f.Grid().ColumnOf(QStringLiteral("ID"))));
        AddRow(f.Folder.Db(), 1, QStringLiteral("www.w3.cn"), QStringLiteral("W3"));
        f.Store->DeleteAddress(w1);
        QCOMPARE(Sorted(f.Column(QStringLiteral("标题"))), Texts({"W2", "W3"}));
        f.Store->DeleteAddressesOfType(QStringLiteral("1"));
        QVERIFY(f.Grid().IsEmpty());
        // Only group 1's rows went: the sub-group's address stays.
        QCOMPARE(Rows(f.Folder.Db()).size(), 3);
        QVERIFY(f.Dialogs.Boxes.isEmpty());
    }

    // "新建" files the address in the selected group, the root when nothing is selected; the
    // tree menu's "新建网址" works on the selected node even after a right click on another.
    void newAddressGoesIntoSelectedGroup()
    {
        TPageFixture f;
        TModalDriver modals;
        QStringList groups;
        QList<int> ids;
        const auto save = [&](const QString& url) {
            modals.When<TFormBaseDlg>(QStringLiteral("新建网址"), [&, url](TFormBaseDlg* base) {
                auto* dialog = qobject_cast<TFormBaseIE*>(base);
                groups << dialog->edtGroup->text();
                ids << dialog->GroupID;
                dialog->edtIE->setText(url);
                dialog->edtName->setText(url);
                dialog->btnOK->click();
            });
        };

        QVERIFY(!f.Page->IETree().Selected());
        save(QStringLiteral("www.new0.cn"));
        f.Action("actNewAddress")->trigger();
        QCOMPARE(Rows(f.Folder.Db()).last().TypeID, 0);
        QVERIFY(f.Column(QStringLiteral("网址")).contains(QStringLiteral("www.new0.cn")));

        f.Click(QStringLiteral("项目"));
        f.Click(QStringLiteral("娱乐"), Qt::RightButton);
        QCOMPARE(f.Page->IETree().Selected(), f.Node(QStringLiteral("项目")));
        save(QStringLiteral("www.new2.cn"));
        f.Action("actNewAddressInGroup")->trigger();
        QCOMPARE(Rows(f.Folder.Db()).last().TypeID, 2);
        QCOMPARE(Sorted(f.Column(QStringLiteral("网址"))), Texts({"www.new2.cn", "www.p.cn"}));

        f.Click(QStringLiteral("全部"));
        save(QStringLiteral("www.new3.cn"));
        f.Action("actNewAddressInGroup")->trigger();
        QCOMPARE(Rows(f.Folder.Db()).last().TypeID, 0);

        QCOMPARE(groups, Texts({"全部", "项目", "全部"}));
        QCOMPARE(ids, QList<int>({0, 2, 0}));
        QVERIFY(f.Dialogs.Boxes.isEmpty());
    }

    // The commands take the row's values by field, whatever the column order or the sort.
    void rowCommandsReadFieldsByName()
    {
        TPageFixture f;
        AddRow(f.Folder.Db(), 3, QStringLiteral("  "), QString());
        AddRow(f.Folder.Db(), 3, QStringLiteral(" www.e.cn "), QStringLiteral("E"));
        f.Click(QStringLiteral("工作"));
        QHeaderView* titles = f.Grid().horizontalHeader();
        titles->moveSection(titles->visualIndex(f.Grid().ColumnOf(QStringLiteral("网址"))), 0);
        f.Grid().TitleClick(f.Grid().ColumnOf(QStringLiteral("网址")));
        f.Grid().TitleClick(f.Grid().ColumnOf(QStringLiteral("网址")));
        QCOMPARE(f.Column(QStringLiteral("标题")), Texts({"W2", "W1"}));

        TModalDriver modals;
        QString shownUrl;
        f.MakeCurrent(QStringLiteral("W1"));
        modals.When<TFormBaseDlg>(QStringLiteral("修改网址"), [&](TFormBaseDlg* base) {
            auto* dialog = qobject_cast<TFormBaseIE*>(base);
            shownUrl = dialog->edtIE->text();
            dialog->edtName->setText(QStringLiteral("W1 changed"));
            dialog->btnOK->click();
        });
        f.Action("actModifyAddress")->trigger();
        QCOMPARE(shownUrl, QStringLiteral("www.w1.cn"));
        // Re-read with the same statement: still the group's list.
        QCOMPARE(Sorted(f.Column(QStringLiteral("标题"))), Texts({"W1 changed", "W2"}));

        f.MakeCurrent(QStringLiteral("W2"));
        f.Dialogs.Answers << false;
        f.Action("actDeleteAddress")->trigger();
        QCOMPARE(f.Dialogs.Texts(), QStringList({QStringLiteral("确实要删除：＂W2＂吗?") + Bin()}));
        QCOMPARE(Rows(f.Folder.Db()).size(), 7);
        QCOMPARE(f.Grid().model()->rowCount(), 2);
        f.Dialogs.Answers << true;
        f.Action("actDeleteAddress")->trigger();
        QCOMPARE(f.Column(QStringLiteral("标题")), Texts({"W1 changed"}));
        QCOMPARE(Rows(f.Folder.Db()).size(), 6);

        f.Action("actOpenAddress")->trigger();
        QCOMPARE(f.Dialogs.OpenedUrls.size(), 1);
        QCOMPARE(f.Dialogs.OpenedUrls[0].host(), QStringLiteral("www.w1.cn"));

        // A blank address opens nothing; blanks around an address are handed on.
        f.Click(QStringLiteral("娱乐"));
        f.MakeCurrent(QString());
        f.Action("actOpenAddress")->trigger();
        const QRect blankRow = f.Grid().visualRect(f.Grid().currentIndex());
        QTest::mouseDClick(f.Grid().viewport(), Qt::LeftButton, {}, blankRow.center());
        QCOMPARE(f.Dialogs.OpenedUrls.size(), 1);
        f.MakeCurrent(QStringLiteral("E"));
        QTest::mouseDClick(f.Grid().viewport(), Qt::LeftButton, {},
                           f.Grid().visualRect(f.Grid().currentIndex()).center());
        QCOMPARE(f.Dialogs.OpenedUrls.size(), 2);
        QCOMPARE(f.Dialogs.OpenedUrls[1].host(), QStringLiteral("www.e.cn"));

        // An empty title asks with the two quotation marks side by side.
        f.MakeCurrent(QString());
        f.Action("actDeleteAddress")->trigger();
        QCOMPARE(f.Dialogs.Texts().last(), QStringLiteral("确实要删除：＂＂吗?") + Bin());
    }

    // Where the desktop has no browser, opening says so in an error box that shows the address.
    void openingWithoutABrowserSaysSo()
    {
        TPageFixture f;
        f.MakeCurrent(QStringLiteral("W1"));
        f.Dialogs.UrlsOpen = false;
        f.Action("actOpenAddress")->trigger();
        QCOMPARE(f.Dialogs.Boxes.size(), 1);
        QVERIFY(f.Dialogs.Boxes[0].Kind == TBoxKind::Error &&
                f.Dialogs.Boxes[0].Text.contains(QStringLiteral("www.w1.cn")));
    }

    // On an empty grid the row commands say nothing and open nothing.
    void emptyGridCommandsDoNothing()
    {
        TPageFixture f;
        f.Click(QStringLiteral("娱乐"));
        QVERIFY(f.Grid().IsEmpty());
        QObject context;
        bool opened = false;
        QTimer::singleShot(0, &context, [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                opened = true;
                dialog->reject();
            }
        });
        f.Action("actModifyAddress")->trigger();
        f.Action("actDeleteAddress")->trigger();
        f.Action("actOpenAddress")->trigger();
        f.Page->AddressGridDblClick();
        QTest::mouseDClick(f.Grid().viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!opened);
        QVERIFY(f.Dialogs.Boxes.isEmpty());
        QVERIFY(f.Dialogs.OpenedUrls.isEmpty());
        QCOMPARE(Rows(f.Folder.Db()).size(), 5);
    }

    // A group added in the chooser shows in the page's tree once the address dialog closes,
    // however it closes, and the next group added in the tree gets a number of its own.
    void chooserGroupsJoinTheTree()
    {
        TPageFixture f;
        f.Click(QStringLiteral("项目"));
        TModalDriver modals;
        modals.When<TFormBaseDlg>(QStringLiteral("新建网址"), [&](TFormBaseDlg* base) {
            auto* dialog = qobject_cast<TFormBaseIE*>(base);
            modals.When<TFormBaseDlg>(QStringLiteral("选择组"), [&](TFormBaseDlg* chooserBase) {
                auto* chooser = qobject_cast<TFormViewIEType*>(chooserBase);
                chooser->tvGroups->setCurrentItem(chooser->tvGroups->topLevelItem(0));
                AnswerGroupName(modals, QStringLiteral("新组"));
                chooser->btnNewGroup->click();
                chooser->btnCancel->click();
            });
            QTest::mouseClick(dialog->edtGroup->Button(), Qt::LeftButton);
            dialog->btnCancel->click();
        });
        f.Action("actNewAddressInGroup")->trigger();

        QTreeWidgetItem* added = f.Node(QStringLiteral("新组"));
        QVERIFY(added);
        QCOMPARE(added->parent(), f.Page->IETree().RootNode());
        QCOMPARE(TCardTree::KeyOf(added).SelfIndex, 4);
        // The tree kept the selected group and the open branches.
        QCOMPARE(f.Page->IETree().Selected(), f.Node(QStringLiteral("项目")));
        QVERIFY(f.Node(QStringLiteral("工作"))->isExpanded());
        QVERIFY(f.Page->IETree().RootNode()->isExpanded());

        AnswerGroupName(modals, QStringLiteral("再一个"));
        f.Page->IECommands().actNewGroup->trigger();
        QCOMPARE(GroupNumbers(f.Folder.Db()), QList<int>({1, 2, 3, 4, 5}));
        QTreeWidgetItem* another = f.Node(QStringLiteral("再一个"));
        QVERIFY(another);
        QCOMPARE(another->parent(), f.Node(QStringLiteral("项目")));
        // The new group is selected and its empty list shown.
        QCOMPARE(f.Page->IETree().Selected(), another);
        QVERIFY(f.Grid().IsEmpty());
        QVERIFY(f.Dialogs.Boxes.isEmpty());
    }

    // When the list cannot be re-read after a save, the groups added in the chooser still join
    // the tree, so the next group added there gets a number of its own.
    void chooserGroupsJoinTheTreeWhenTheListFails()
    {
        TPageFixture f;
        TCardException handler(f.Dialogs);
        f.Click(QStringLiteral("项目"));
        RunGuarded(
            [&] { OpenGrid(f.Folder.Db(), QStringLiteral("select nothing"), f.Grid(), true); });
        QCOMPARE(f.Dialogs.Boxes.size(), 1);
        TModalDriver modals;
        modals.When<TFormBaseDlg>(QStringLiteral("新建网址"), [&](TFormBaseDlg* base) {
            auto* dialog = qobject_cast<TFormBaseIE*>(base);
            modals.When<TFormBaseDlg>(QStringLiteral("选择组"), [&](TFormBaseDlg* chooserBase) {
                auto* chooser = qobject_cast<TFormViewIEType*>(chooserBase);
                chooser->tvGroups->setCurrentItem(chooser->tvGroups->topLevelItem(0));
                AnswerGroupName(modals, QStringLiteral("新组"));
                chooser->btnNewGroup->click();
                chooser->btnCancel->click();
            });
            QTest::mouseClick(dialog->edtGroup->Button(), Qt::LeftButton);
            dialog->edtIE->setText(QStringLiteral("www.saved.cn"));
            dialog->btnOK->click();
        });
        f.Action("actNewAddressInGroup")->trigger();
        QCOMPARE(Rows(f.Folder.Db()).last().IEUrl, QStringLiteral("www.saved.cn"));

        QTreeWidgetItem* added = f.Node(QStringLiteral("新组"));
        QVERIFY(added);
        QCOMPARE(TCardTree::KeyOf(added).SelfIndex, 4);
        AnswerGroupName(modals, QStringLiteral("再一个"));
        f.Page->IECommands().actNewGroup->trigger();
        QCOMPARE(GroupNumbers(f.Folder.Db()), QList<int>({1, 2, 3, 4, 5}));
    }

    // Addresses saved with "保存后继续新建" show in the list even when the dialog then ends with
    // Cancel.
    void savedAndContinuedAddressesShowAfterCancel()
    {
        TPageFixture f;
        TModalDriver modals;
        modals.When<TFormBaseDlg>(QStringLiteral("新建网址"), [](TFormBaseDlg* base) {
            auto* dialog = qobject_cast<TFormAddIE*>(base);
            dialog->chkKeepAdding->setChecked(true);
            for (const char* url : {"www.k1.cn", "www.k2.cn"}) {
                dialog->edtIE->setText(QString::fromUtf8(url));
                dialog->btnOK->click();
            }
            dialog->btnCancel->click();
        });
        f.Action("actNewAddress")->trigger();
        const QStringList urls = f.Column(QStringLiteral("网址"));
        QVERIFY(urls.contains(QStringLiteral("www.k1.cn")));
        QVERIFY(urls.contains(QStringLiteral("www.k2.cn")));
    }

    // Texts added show whole, as those of a group opened; no column outgrows the list.
    void addedTextsRefitTheColumns()
    {
        TPageFixture f;
        TModalDriver modals;
        const QString title = QStringLiteral("kernel.org: the Linux kernel archives");
        modals.When<TFormAddIE>([&](TFormAddIE* dialog) {
            dialog->edtIE->setText(QStringLiteral("www.kernel.org"));
            dialog->edtName->setText(title);
            dialog->SetRemark(QString(400, QLatin1Char('x')));
            dialog->btnOK->click();
        });
        f.Action("actNewAddress")->trigger();
        const TCardDBGrid& grid = f.Grid();
        QVERIFY(grid.columnWidth(grid.ColumnOf(QStringLiteral("标题"))) >
                grid.fontMetrics().horizontalAdvance(title));
        const int url = grid.ColumnOf(QStringLiteral("网址"));
        QCOMPARE(grid.columnViewportPosition(url) + grid.columnWidth(url),
                 grid.viewport()->width());
    }

    // The question before a group is deleted says how many addresses filed directly in it go
    // with it, and nothing more for a group without any.
    void deleteQuestionCountsTheAddresses_data()
    {
        QTest::addColumn<int>("added");
        QTest::newRow("empty") << 0;
        QTest::newRow("25 addresses") << 25;
    }

    void deleteQuestionCountsTheAddresses()
    {
        QFETCH(int, added);
        TPageFixture f;
        for (int n = 0; n < added; ++n)
            AddRow(f.Folder.Db(), 3, QStringLiteral("www.e%1.cn").arg(n));
        const QString line = f.Page->IECommands().DescribeContent(QStringLiteral("3"));
        QCOMPARE(line.isEmpty(), added == 0);
        if (added > 0)
            QVERIFY(line.contains(QString::number(added)));
    }

    // Deleting a group deletes the addresses filed directly in it and shows the group selected
    // instead; No deletes nothing.
    void deletingAGroupDeletesItsAddresses()
    {
        TPageFixture f;
        f.Click(QStringLiteral("项目"));
        QCOMPARE(f.Column(QStringLiteral("标题")), Texts({"P"}));
        f.Dialogs.Answers << false;
        f.Page->IECommands().actDeleteGroup->trigger();
        QCOMPARE(Rows(f.Folder.Db()).size(), 5);
        QCOMPARE(GroupNumbers(f.Folder.Db()), QList<int>({1, 2, 3}));

        f.Dialogs.Answers << true;
        f.Page->IECommands().actDeleteGroup->trigger();
        QCOMPARE(GroupNumbers(f.Folder.Db()), QList<int>({1, 3}));
        QStringList left;
        for (const TRow& row : Rows(f.Folder.Db()))
            left << row.IEName;
        QCOMPARE(left, Texts({"R", "W1", "W2", "O"}));
        QCOMPARE(f.Page->IETree().Selected(), f.Node(QStringLiteral("工作")));
        QCOMPARE(Sorted(f.Column(QStringLiteral("标题"))), Texts({"W1", "W2"}));
    }
};

#include "tst_webaddrpage.moc"

QTEST_MAIN(TestWebAddrPage)
