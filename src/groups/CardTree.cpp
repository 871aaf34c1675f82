#include "groups/CardTree.h"

#include "common/Errors.h"
#include "common/Messages.h"
#include "data/DbAccess.h"
#include "data/RecycleBin.h"
#include "data/Sql.h"
#include "data/WriteTransaction.h"
#include "groups/GroupLoader.h"

#include <QKeyEvent>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <algorithm>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

namespace {

constexpr int SelfIndexRole = Qt::UserRole;
constexpr int ParentIndexRole = Qt::UserRole + 1;

QString NameTakenMessage()
{
    return QCoreApplication::translate("TCardTree", "该名称已经存在，请重新输入！");
}

// A node of a group tree: its caption, its numbers and its picture (a shared handle) are plain
// members rather than data roles, each of which would cost an entry of its own in every node (the
// caption as a role costs two lists of one entry each).
class TGroupNode final : public QTreeWidgetItem
{
public:
    TGroupNode(QString caption, TGroupKey key, const QIcon& icon)
        : FCaption(std::move(caption)), FKey(key), FIcon(icon)
    {}

    QVariant data(int column, int role) const override
    {
        if (column == 0) {
            if (role == Qt::DisplayRole || role == Qt::EditRole)
                return FCaption;
            if (role == SelfIndexRole)
                return FKey.SelfIndex;
            if (role == ParentIndexRole)
                return FKey.ParentIndex;
            if (role == Qt::DecorationRole && !FOwnIcon)
                return FIcon;
            if (role == Qt::ToolTipRole &&
                childIndicatorPolicy() == QTreeWidgetItem::DontShowIndicator && childCount() > 0)
                return QCoreApplication::translate("TCardTree",
                                                   "这个分组下面还有分组，但它们超过了树能展开的 "
                                                   "%1 层，不在树中显示")
                    .arg(TCardTree::MaxShownLevel);
        }
        return QTreeWidgetItem::data(column, role);
    }

    void setData(int column, int role, const QVariant& value) override
    {
        if (column == 0 && (role == Qt::DisplayRole || role == Qt::EditRole)) {
            FCaption = value.toString();
            emitDataChanged();
        } else if (column == 0 && role == SelfIndexRole)
            FKey.SelfIndex = value.toInt();
        else if (column == 0 && role == ParentIndexRole)
            FKey.ParentIndex = value.toInt();
        else {
            if (column == 0 && role == Qt::DecorationRole)
                FOwnIcon = true;
            QTreeWidgetItem::setData(column, role, value);
        }
    }

    // Shows another of the tree's pictures.
    void UsePicture(const QIcon& icon)
    {
        FIcon = icon;
        FOwnIcon = false;
        emitDataChanged();
    }

private:
    QString FCaption;
    TGroupKey FKey;
    QIcon FIcon;
    bool FOwnIcon = false;
};

// "*" opens every branch below the current node, as Qt's own key does, but down to the shown
// levels only: Qt's would remember each node below them as open, and every later change of the
// rows would then walk all of them.
class TExpandAllKey final : public QObject
{
public:
    // One per view, however many trees are made over it.
    static void Install(QTreeWidget* view)
    {
        const QString name = QStringLiteral("ExpandAllKey");
        if (!view->findChild<QObject*>(name, Qt::FindDirectChildrenOnly))
            new TExpandAllKey(view, name);
    }

private:
    TExpandAllKey(QTreeWidget* view, const QString& name) : QObject(view), FView(view)
    {
        setObjectName(name);
        view->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != FView || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Asterisk ||
            (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            return false;
        if (QTreeWidgetItem* current = FView->currentItem())
            FView->expandRecursively(
                FView->currentIndex().siblingAtColumn(0),
                std::max(0, TCardTree::MaxShownLevel - TCardTree::LevelOf(current)));
        return true;
    }

    QTreeWidget* FView;
};

} // namespace

TCardTree::TCardTree(TDbAccess& dbAccess, TUserDialogs& dialogs, QTreeWidget* treeView,
                     QString tableName, QString rootCaption, TTreePictures pictures)
    : FDbAccess(dbAccess), FDialogs(dialogs), FTreeView(treeView), FViewAlive(treeView),
      FTableName(std::move(tableName)), FRootCaption(std::move(rootCaption)),
      FRootIcon(TreeRootIcon(pictures)), FGroupIcon(TreeGroupIcon(pictures))
{
    FTreeView->clear();
    FTreeView->setColumnCount(1);
    FTreeView->setHeaderHidden(true);
    FTreeView->setSelectionMode(QAbstractItemView::SingleSelection);
    // Captions are edited only while the rename command runs, and only through it.
    FTreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FTreeView->setUniformRowHeights(true);
    TExpandAllKey::Install(FTreeView);

    FRootNode = MakeNode(FRootCaption, TGroupKey{0, 0}, 0);
    static_cast<TGroupNode*>(FRootNode)->UsePicture(FRootIcon);
    FTreeView->addTopLevelItem(FRootNode);
    FIndex.Add(0, FRootNode);

    // A node once chosen stays chosen: Ctrl+click or Ctrl+Space would otherwise leave the page
    // showing a group's content with no group selected, and typing there would go nowhere.
    QTreeWidget* view = FTreeView;
    QObject::connect(view, &QTreeWidget::itemSelectionChanged, view, [view] {
        QTreeWidgetItem* current = view->currentItem();
        if (current && !current->isSelected() && view->selectedItems().isEmpty())
            current->setSelected(true);
    });
    // A collapsed branch hides its nodes; the selection must not stay on one of them, showing
    // and taking the typing of a group the user no longer sees. The collapsed node takes it.
    QObject::connect(view, &QTreeWidget::itemCollapsed, view, [view](QTreeWidgetItem* node) {
        for (QTreeWidgetItem* up = view->currentItem(); up; up = up->parent())
            if (up->parent() == node) {
                view->setCurrentItem(node);
                return;
            }
    });
}

TCardTree::~TCardTree()
{
    // An unfinished load frees its own branches.
    FLoad.reset();
    FReload.reset();
    if (FViewAlive && FViewAlive->indexOfTopLevelItem(FRootNode) >= 0)
        DeleteNodes();
}

void TCardTree::DeleteNodes()
{
    // A shallow tree is the view's to free.
    if (FDeepestLevel < DeepCut)
        return;
    // Out of the view first, so that cutting the branches below is no work for the view.
    if (const int at = FTreeView->indexOfTopLevelItem(FRootNode); at >= 0)
        FTreeView->takeTopLevelItem(at);
    FreeNodes(FRootNode);
    FRootNode = nullptr;
    FDeepestLevel = 0;
}

void TCardTree::FreeNodes(QTreeWidgetItem* top)
{
    // Cut at every so many levels, the deepest cuts first, so that no branch freed is deeper
    // than the cut.
    std::vector<QTreeWidgetItem*> cuts;
    std::vector<std::pair<QTreeWidgetItem*, int>> pending{{top, 0}};
    while (!pending.empty()) {
        const auto [node, level] = pending.back();
        pending.pop_back();
        if (level % DeepCut == 0 && node->childCount() > 0)
            cuts.push_back(node);
        for (int i = 0; i < node->childCount(); ++i)
            pending.emplace_back(node->child(i), level + 1);
    }
    for (auto cut = cuts.rbegin(); cut != cuts.rend(); ++cut)
        qDeleteAll((*cut)->takeChildren());
    delete top;
}

int TCardTree::LevelOf(const QTreeWidgetItem* node)
{
    int level = 0;
    for (; node && node->parent(); node = node->parent())
        ++level;
    return level;
}

TGroupKey TCardTree::KeyOf(const QTreeWidgetItem* node)
{
    if (!node)
        return {};
    return {node->data(0, SelfIndexRole).toInt(), node->data(0, ParentIndexRole).toInt()};
}

QTreeWidgetItem* TCardTree::MakeNode(QString caption, TGroupKey key, int level)
{
    auto* node = new TGroupNode(std::move(caption), key, FGroupIcon);
    // A node the view does not see as a parent is never laid out below, and one that never has
    // children is never opened (nor remembered as open) by any path to it: a click, "*", or a
    // selection the view scrolls to.
    if (level >= MaxShownLevel) {
        node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
        node->setFlags(node->flags() | Qt::ItemNeverHasChildren);
    }
    FDeepestLevel = std::max(FDeepestLevel, level);
    return node;
}

void TCardTree::LoadGroups()
{
    BeginLoading();
    FinishLoading();
}

std::unique_ptr<TGroupTreeLoader> TCardTree::MakeLoader()
{
    return std::make_unique<TGroupTreeLoader>(FDbAccess, FTableName,
                                              [this](QString caption, TGroupKey key, int level) {
                                                  return MakeNode(std::move(caption), key, level);
                                              });
}

void TCardTree::BeginLoading()
{
    FLoad = MakeLoader();
}

bool TCardTree::LoadStep(std::chrono::nanoseconds budget)
{
    if (!FLoad)
        return true;
    {
        // A table that can't be read ends the load with the root alone.
        auto failed = qScopeGuard([this] { FLoad.reset(); });
        const bool whole = FLoad->Step(std::chrono::steady_clock::now() + budget);
        failed.dismiss();
        if (!whole)
            return false;
    }
    EndLoading();
    return true;
}

void TCardTree::FinishLoading()
{
    while (!LoadStep(std::chrono::hours(1))) {
    }
    if (FReload) {
        ReloadStep(std::chrono::hours(1));
        EndReload();
    }
}

void TCardTree::EndLoading()
{
    const std::unique_ptr<TGroupTreeLoader> load = std::move(FLoad);
    FIndex.AddLoaded(*load);
    FRootNode->addChildren(load->TakeTopNodes());
    FRootNode->setExpanded(true);
}

QTreeWidgetItem* TCardTree::AddGroup(const QString& name)
{
    // The name check finishes a load first.
    RequireFreeName(name);
    QTreeWidgetItem* parent = Selected();
    if (!parent)
        parent = FRootNode;
    RequireRoomUnder(parent);
    const TGroupKey key{NextGroupNumber(MaxSelfIndex()), SelectedIndex()};

    FDbAccess.ExecuteBatch(
        Sql::Format(SqlTemplate::AddGroup, {Sql::Name(FTableName), Sql::Number(key.SelfIndex),
                                            Sql::Number(key.ParentIndex), Sql::Quoted(name)}));

    QTreeWidgetItem* node = MakeNode(name, key, LevelOf(parent) + 1);
    parent->addChild(node);
    FIndex.Add(key.SelfIndex, node);
    parent->setExpanded(true);
    return node;
}

void TCardTree::DeleteGroup(const QString& consequence, const std::function<void()>& beforeDelete)
{
    FinishLoading();
    QTreeWidgetItem* node = Selected();
    if (!node)
        throw ECardError(tr("请选择要删除的分组！"));
    if (node->childCount() > 0)
        throw ECardError(tr("还有下级分组，不能删除该分组！"));
    if (node == FRootNode)
        throw ECardError(tr("不能删除根分组！"));
    QString question = tr("确定要删除 %1 分组吗？").arg(node->text(0));
    if (!consequence.isEmpty())
        question += QLatin1Char('\n') + consequence;
    question += QLatin1Char('\n') + TRecycleBin::DeletionNote();
    if (!AskYesNo(FDialogs, question))
        throw EAbort();
    if (beforeDelete)
        beforeDelete();

    // The group's rows and its content go into the recycle bin in the transaction that deletes
    // them: a failure leaves all of them where they were.
    TWriteTransaction transaction(FDbAccess);
    TRecycleBin(FDbAccess.Handle()).KeepGroup(FTableName, SelectedIndex());
    transaction.Commit();

    // The neighbour is chosen before the node goes, so the view never passes through a state
    // without a selected node.
    QTreeWidgetItem* neighbour = nullptr;
    if (QTreeWidgetItem* parent = node->parent()) {
        const int at = parent->indexOfChild(node);
        if (at + 1 < parent->childCount())
            neighbour = parent->child(at + 1);
        else if (at > 0)
            neighbour = parent->child(at - 1);
        else
            neighbour = parent;
    }
    if (neighbour)
        Select(neighbour);
    FIndex.Remove(KeyOf(node).SelfIndex, node);
    delete node;
}

bool TCardTree::RenameGroup(const QString& newName)
{
    return RenameNode(Selected(), newName);
}

bool TCardTree::RenameNode(QTreeWidgetItem* node, const QString& newName)
{
    if (!node || node == FRootNode)
        return false;
    if (NameExists(newName))
        throw ECardError(NameTakenMessage());
    FDbAccess.ExecuteBatch(
        Sql::Format(SqlTemplate::RenameGroup, {Sql::Name(FTableName), Sql::Quoted(newName),
                                               Sql::Number(KeyOf(node).SelfIndex)}));
    const qint32 number = KeyOf(node).SelfIndex;
    FIndex.Remove(number, node);
    node->setText(0, newName);
    FIndex.Add(number, node);
    return true;
}

int TCardTree::MaxSelfIndex()
{
    FinishLoading();
    return FIndex.HighestNumber();
}

int TCardTree::SelectedIndex() const
{
    return KeyOf(Selected()).SelfIndex;
}

bool TCardTree::NameExists(const QString& name)
{
    FinishLoading();
    return FIndex.HasCaption(name, FRootNode);
}

void TCardTree::RequireFreeName(const QString& name)
{
    if (NameExists(name))
        throw ECardError(NameTakenMessage());
}

void TCardTree::RequireRoomUnder(const QTreeWidgetItem* parent)
{
    NextGroupNumber(MaxSelfIndex());
    if (LevelOf(parent) >= MaxShownLevel)
        throw ECardError(tr("这个分组已在第 %1 层，树中不能再展开更深的分组，"
                            "无法在它下面新建分组。请在上面几层新建。")
                             .arg(LevelOf(parent)));
}

QTreeWidgetItem* TCardTree::Selected() const
{
    // Focus alone makes a node current without selecting it; that is not a choice of the user.
    QTreeWidgetItem* current = FTreeView->currentItem();
    return current && current->isSelected() ? current : nullptr;
}

void TCardTree::Select(QTreeWidgetItem* node)
{
    FTreeView->setCurrentItem(node);
}

void TCardTree::SetPictures(const QIcon& rootIcon, const QIcon& groupIcon)
{
    // Every node shows one of the two pictures the tree holds.
    FinishLoading();
    FRootIcon = rootIcon;
    FGroupIcon = groupIcon;
    ForEachNode(FRootNode, [this](QTreeWidgetItem* node) {
        static_cast<TGroupNode*>(node)->UsePicture(node == FRootNode ? FRootIcon : FGroupIcon);
    });
}

void TCardTree::Clear()
{
    FLoad.reset();
    FReload.reset();
    DeleteNodes();
    FTreeView->clear();
    FIndex.Clear();
    FRootNode = MakeNode(FRootCaption, TGroupKey{0, 0}, 0);
    static_cast<TGroupNode*>(FRootNode)->UsePicture(FRootIcon);
    FTreeView->addTopLevelItem(FRootNode);
    FIndex.Add(0, FRootNode);
    FRootNode->setExpanded(true);
}

void TCardTree::Reload()
{
    // Read first: a table that can't be read leaves the tree as it was, numbers and all.
    FinishLoading();
    std::vector<TGroupRow> rows = ReadGroupRows(FDbAccess, FTableName);
    std::unique_ptr<TGroupTreeLoader> load = MakeLoader();
    load->UseRows(std::move(rows));
    load->Step(std::chrono::steady_clock::time_point::max());
    PutInPlace(std::move(load));
}

void TCardTree::BeginReload()
{
    // A reload under way starts again.
    FReload.reset();
    FinishLoading();
    FReload = MakeLoader();
    FReloadWhole = false;
}

bool TCardTree::ReloadStep(std::chrono::nanoseconds budget)
{
    if (!FReload || FReloadWhole)
        return true;
    auto failed = qScopeGuard([this] { FReload.reset(); });
    FReloadWhole = FReload->Step(std::chrono::steady_clock::now() + budget);
    failed.dismiss();
    return FReloadWhole;
}

void TCardTree::EndReload()
{
    if (FReload && FReloadWhole)
        PutInPlace(std::move(FReload));
    FReload.reset();
}

void TCardTree::PutInPlace(std::unique_ptr<TGroupTreeLoader> load)
{
    // What the user sees is kept by group number: the selection, the open branches, the scroll.
    // The selection's way up is kept too, for a selected group that is gone.
    std::vector<std::pair<qint32, QStringList>> way;
    for (const QTreeWidgetItem* up = Selected(); up; up = up->parent())
        way.emplace_back(KeyOf(up).SelfIndex, PathOf(up));
    // The open branches on show: below a closed one nothing is looked at, which keeps a large
    // tree's walk short.
    std::vector<qint32> expanded;
    for (std::vector<const QTreeWidgetItem*> open{FRootNode}; !open.empty();) {
        const QTreeWidgetItem* node = open.back();
        open.pop_back();
        if (!node->isExpanded())
            continue;
        expanded.push_back(KeyOf(node).SelfIndex);
        for (int i = 0; i < node->childCount(); ++i)
            open.push_back(node->child(i));
    }
    const int scroll = FTreeView->verticalScrollBar()->value();
    // The old nodes leave the view at once and are freed in a later turn of the event loop:
    // freeing a large tree takes longer than anything else here.
    if (const int at = FTreeView->indexOfTopLevelItem(FRootNode); at >= 0) {
        QTreeWidgetItem* old = FTreeView->takeTopLevelItem(at);
        const bool deep = FDeepestLevel >= DeepCut;
        // The functor holds the nodes: a view closed before its turn came frees them with it.
        if (deep)
            QTimer::singleShot(0, FTreeView,
                               [held = std::shared_ptr<QTreeWidgetItem>(old, &FreeNodes)] {});
        else
            FreeInSteps(FTreeView, {old});
    }
    // The deepest level made stays counted: it is the new nodes' or more.
    FIndex.Clear();
    FRootNode = MakeNode(FRootCaption, TGroupKey{0, 0}, 0);
    static_cast<TGroupNode*>(FRootNode)->UsePicture(FRootIcon);
    FTreeView->addTopLevelItem(FRootNode);
    FIndex.Add(0, FRootNode);
    FIndex.AddLoaded(*load);
    FRootNode->addChildren(load->TakeTopNodes());
    FRootNode->setExpanded(true);

    // New nodes are closed: only the open ones are told.
    for (const qint32 number : expanded)
        if (QTreeWidgetItem* node = FIndex.First(number))
            node->setExpanded(true);
    for (const auto& [number, path] : way) {
        QTreeWidgetItem* byNumber = FIndex.First(number);
        QTreeWidgetItem* node = byNumber && PathOf(byNumber) == path ? byNumber : NodeAtPath(path);
        if (!node)
            node = byNumber;
        if (node) {
            Select(node);
            break;
        }
    }
    FTreeView->verticalScrollBar()->setValue(scroll);
}

void TCardTree::FreeInSteps(QObject* context, std::vector<QTreeWidgetItem*> pending)
{
    // A node's children are taken off it before it goes (each taking walks the branch below,
    // which a shallow tree keeps short), so that each turn frees a bounded number of nodes.
    constexpr int NodesPerTurn = 5000;
    for (int freed = 0; freed < NodesPerTurn && !pending.empty(); ++freed) {
        QTreeWidgetItem* node = pending.back();
        pending.pop_back();
        const QList<QTreeWidgetItem*> children = node->takeChildren();
        pending.insert(pending.end(), children.begin(), children.end());
        delete node;
    }
    if (pending.empty())
        return;
    // What is left belongs to the next turn's functor, which frees it all should the context go
    // before that turn comes.
    const std::shared_ptr<std::vector<QTreeWidgetItem*>> rest(
        new std::vector<QTreeWidgetItem*>(std::move(pending)),
        [](std::vector<QTreeWidgetItem*>* nodes) {
            for (QTreeWidgetItem* node : *nodes)
                FreeNodes(node);
            delete nodes;
        });
    QTimer::singleShot(0, context,
                       [context, rest] { FreeInSteps(context, std::exchange(*rest, {})); });
}

QStringList TCardTree::PathOf(const QTreeWidgetItem* node)
{
    QStringList path;
    for (; node && node->parent(); node = node->parent())
        path.prepend(node->text(0));
    return path;
}

QTreeWidgetItem* TCardTree::NodeAtPath(const QStringList& path) const
{
    QTreeWidgetItem* node = FRootNode;
    for (const QString& caption : path) {
        QTreeWidgetItem* below = nullptr;
        for (int i = 0; node && i < node->childCount() && !below; ++i)
            if (node->child(i)->text(0) == caption)
                below = node->child(i);
        node = below;
    }
    return node;
}
