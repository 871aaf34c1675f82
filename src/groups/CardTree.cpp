#include "groups/CardTree.h"

#include "common/Errors.h"
#include "common/Messages.h"
#include "data/DbAccess.h"
#include "data/Sql.h"

#include <QScrollBar>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <algorithm>
#include <limits>
#include <set>
#include <vector>

namespace {

constexpr int SelfIndexRole = Qt::UserRole;
constexpr int ParentIndexRole = Qt::UserRole + 1;

const QString& NameTakenMessage()
{
    static const QString message = QStringLiteral("该名称已经存在，请重新输入！");
    return message;
}

int IndexInParent(const QTreeWidgetItem* node)
{
    if (const QTreeWidgetItem* parent = node->parent())
        return parent->indexOfChild(const_cast<QTreeWidgetItem*>(node));
    const QTreeWidget* view = node->treeWidget();
    return view ? view->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(node)) : 0;
}

// The positions from the top level down to the node.
std::vector<int> PathOf(const QTreeWidgetItem* node)
{
    std::vector<int> path;
    for (; node; node = node->parent())
        path.push_back(IndexInParent(node));
    return {path.rbegin(), path.rend()};
}

// Whether a comes before b in display order: each node before its children, children in order.
// Only nodes that share a number are ever compared, so the cost of the paths does not matter.
bool Before(const QTreeWidgetItem* a, const QTreeWidgetItem* b)
{
    return PathOf(a) < PathOf(b);
}

// A node of a group tree: its numbers and its picture (a shared handle) are plain members rather
// than data roles, each of which would cost an entry of its own in every node.
class TGroupNode final : public QTreeWidgetItem
{
public:
    TGroupNode(const QString& caption, TGroupKey key, const QIcon& icon)
        : QTreeWidgetItem(QStringList(caption)), FKey(key), FIcon(icon)
    {}

    QVariant data(int column, int role) const override
    {
        if (column == 0) {
            if (role == SelfIndexRole)
                return FKey.SelfIndex;
            if (role == ParentIndexRole)
                return FKey.ParentIndex;
            if (role == Qt::DecorationRole && !FOwnIcon)
                return FIcon;
        }
        return QTreeWidgetItem::data(column, role);
    }

    void setData(int column, int role, const QVariant& value) override
    {
        if (column == 0 && role == SelfIndexRole)
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
    TGroupKey FKey;
    QIcon FIcon;
    bool FOwnIcon = false;
};

// Repainting is off while many nodes are added, and back on however the adding ends.
class TUpdatesOff final
{
public:
    explicit TUpdatesOff(QWidget* widget) : FWidget(widget), FWas(widget->updatesEnabled())
    {
        FWidget->setUpdatesEnabled(false);
    }
    ~TUpdatesOff() { FWidget->setUpdatesEnabled(FWas); }
    TUpdatesOff(const TUpdatesOff&) = delete;
    TUpdatesOff& operator=(const TUpdatesOff&) = delete;

private:
    QWidget* FWidget;
    bool FWas;
};

} // namespace

TCardTree::TCardTree(QTreeWidget* treeView, QString tableName, QString rootCaption,
                     TTreePictures pictures)
    : FTreeView(treeView), FTableName(std::move(tableName)), FRootCaption(std::move(rootCaption)),
      FRootIcon(TreeRootIcon(pictures)), FGroupIcon(TreeGroupIcon(pictures))
{
    FTreeView->clear();
    FTreeView->setColumnCount(1);
    FTreeView->setHeaderHidden(true);
    FTreeView->setSelectionMode(QAbstractItemView::SingleSelection);
    // Captions are edited only while the rename command runs, and only through it.
    FTreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FTreeView->setUniformRowHeights(true);

    FRootNode = MakeNode(FRootCaption, TGroupKey{0, 0});
    static_cast<TGroupNode*>(FRootNode)->UsePicture(FRootIcon);
    FTreeView->addTopLevelItem(FRootNode);
    IndexNode(FRootNode);

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

TCardTree::~TCardTree() = default;

TGroupKey TCardTree::KeyOf(const QTreeWidgetItem* node)
{
    if (!node)
        return {};
    return {node->data(0, SelfIndexRole).toInt(), node->data(0, ParentIndexRole).toInt()};
}

QTreeWidgetItem* TCardTree::MakeNode(const QString& caption, TGroupKey key) const
{
    return new TGroupNode(caption, key, FGroupIcon);
}

void TCardTree::IndexNode(QTreeWidgetItem* node)
{
    ++FCaptions[node->text(0)];
    const qint32 self = KeyOf(node).SelfIndex;
    const auto at = FFirstBySelf.find(self);
    if (at == FFirstBySelf.end()) {
        FFirstBySelf.insert(self, node);
        FMaxSelf = FFirstBySelf.size() == 1 ? self : std::max(FMaxSelf, self);
        return;
    }
    if (Before(node, at.value())) {
        FOthersBySelf.emplace(self, at.value());
        at.value() = node;
    } else {
        FOthersBySelf.emplace(self, node);
    }
}

void TCardTree::UnindexNode(QTreeWidgetItem* node)
{
    const auto caption = FCaptions.find(node->text(0));
    if (caption != FCaptions.end() && --caption.value() <= 0)
        FCaptions.erase(caption);

    const qint32 self = KeyOf(node).SelfIndex;
    auto [from, to] = FOthersBySelf.equal_range(self);
    const auto first = FFirstBySelf.find(self);
    if (first != FFirstBySelf.end() && first.value() == node) {
        if (from == to) {
            FFirstBySelf.erase(first);
            if (self == FMaxSelf) {
                FMaxSelf = 0;
                for (auto it = FFirstBySelf.cbegin(); it != FFirstBySelf.cend(); ++it)
                    FMaxSelf =
                        it == FFirstBySelf.cbegin() ? it.key() : std::max(FMaxSelf, it.key());
            }
            return;
        }
        auto earliest = from;
        for (auto it = std::next(from); it != to; ++it)
            if (Before(it->second, earliest->second))
                earliest = it;
        first.value() = earliest->second;
        FOthersBySelf.erase(earliest);
        return;
    }
    for (auto it = from; it != to; ++it)
        if (it->second == node) {
            FOthersBySelf.erase(it);
            return;
        }
}

QTreeWidgetItem* TCardTree::FirstWithSelfIndex(qint32 selfIndex) const
{
    return FFirstBySelf.value(selfIndex, nullptr);
}

void TCardTree::LoadGroups()
{
    AddRows(ReadGroupRows(FTableName));
}

void TCardTree::AddRows(const std::vector<TGroupRow>& rows)
{
    const TUpdatesOff updatesOff(FTreeView);
    FFirstBySelf.reserve(FFirstBySelf.size() + qsizetype(rows.size()));
    FCaptions.reserve(FCaptions.size() + qsizetype(rows.size()));

    // A tree that holds only its root, nothing current or selected (the first loading, a reload),
    // is filled with the root out of the view: the view's model then does no work per node and
    // takes the finished branches in one step.
    const int rootRow = FTreeView->indexOfTopLevelItem(FRootNode);
    const bool detached = rootRow >= 0 && FRootNode->childCount() == 0 &&
                          !FTreeView->currentItem() && FTreeView->selectedItems().isEmpty();
    if (detached)
        FTreeView->takeTopLevelItem(rootRow);

    // The path from the root to the last node in display order, and each node's depth: a new
    // node becomes the last one exactly when its parent lies on that path.
    std::vector<QTreeWidgetItem*> lastPath;
    for (QTreeWidgetItem* node = FRootNode; node;
         node = node->childCount() ? node->child(node->childCount() - 1) : nullptr)
        lastPath.push_back(node);
    QHash<const QTreeWidgetItem*, int> depths;
    depths.reserve(qsizetype(rows.size()) + 1);
    const auto depthOf = [&depths](const QTreeWidgetItem* node) {
        const auto known = depths.constFind(node);
        if (known != depths.cend())
            return known.value();
        int depth = 0;
        for (const QTreeWidgetItem* up = node->parent(); up; up = up->parent())
            ++depth;
        depths.insert(node, depth);
        return depth;
    };

    for (const TGroupRow& row : rows) {
        QTreeWidgetItem* parent = FirstWithSelfIndex(row.Key.ParentIndex);
        if (!parent)
            parent = lastPath.back();
        QTreeWidgetItem* node = MakeNode(row.Caption, row.Key);
        parent->addChild(node);
        IndexNode(node);

        const int parentDepth = depthOf(parent);
        depths.insert(node, parentDepth + 1);
        if (size_t(parentDepth) < lastPath.size() && lastPath[size_t(parentDepth)] == parent) {
            lastPath.resize(size_t(parentDepth) + 1);
            lastPath.push_back(node);
        }
    }
    if (detached)
        FTreeView->insertTopLevelItem(rootRow, FRootNode);
    FRootNode->setExpanded(true);
}

QTreeWidgetItem* TCardTree::AddGroup(const QString& name)
{
    if (NameExists(name))
        throw ECardError(NameTakenMessage());
    QTreeWidgetItem* parent = Selected();
    if (!parent)
        parent = FRootNode;
    const int largest = MaxSelfIndex();
    if (largest == std::numeric_limits<qint32>::max())
        throw ECardError(QStringLiteral("分组编号已用完，不能再新建分组！"));
    const TGroupKey key{largest + 1, SelectedIndex()};

    DbExecute(
        Sql::Format(SqlTemplate::AddGroup, {Sql::Name(FTableName), Sql::Number(key.SelfIndex),
                                            Sql::Number(key.ParentIndex), Sql::Quoted(name)}));

    QTreeWidgetItem* node = MakeNode(name, key);
    parent->addChild(node);
    IndexNode(node);
    parent->setExpanded(true);
    return node;
}

void TCardTree::DeleteGroup()
{
    QTreeWidgetItem* node = Selected();
    if (!node)
        throw ECardError(QStringLiteral("请选择要删除的分组！"));
    if (node->childCount() > 0)
        throw ECardError(QStringLiteral("还有下级分组，不能删除该分组！"));
    if (node == FRootNode)
        throw ECardError(QStringLiteral("不能删除根分组！"));
    if (!AskYesNo(QStringLiteral("确定要删除 ") + node->text(0) + QStringLiteral(" 分组吗？")))
        throw EAbort();

    const QString n = QString::number(SelectedIndex());
    DbExecute(Sql::Format(SqlTemplate::DeleteGroupSelf, {Sql::Name(FTableName), Sql::Key(n)}) +
              QString::fromUtf16(BatchDelimiter) +
              Sql::Format(SqlTemplate::DeleteGroupChildren, {Sql::Name(FTableName), Sql::Key(n)}));

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
    UnindexNode(node);
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
    DbExecute(Sql::Format(SqlTemplate::RenameGroup, {Sql::Name(FTableName), Sql::Quoted(newName),
                                                     Sql::Number(KeyOf(node).SelfIndex)}));
    UnindexNode(node);
    node->setText(0, newName);
    IndexNode(node);
    return true;
}

int TCardTree::MaxSelfIndex() const
{
    // The root's 0 is always in the index, so the result is at least 0.
    return std::max(0, FFirstBySelf.isEmpty() ? 0 : FMaxSelf);
}

int TCardTree::SelectedIndex() const
{
    return KeyOf(Selected()).SelfIndex;
}

bool TCardTree::NameExists(const QString& name) const
{
    return FCaptions.contains(name);
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
    FRootIcon = rootIcon;
    FGroupIcon = groupIcon;
    std::vector<QTreeWidgetItem*> pending{FRootNode};
    while (!pending.empty()) {
        auto* node = static_cast<TGroupNode*>(pending.back());
        pending.pop_back();
        node->UsePicture(node == FRootNode ? FRootIcon : FGroupIcon);
        for (int i = 0; i < node->childCount(); ++i)
            pending.push_back(node->child(i));
    }
}

void TCardTree::Reload()
{
    // Read first: a table that can't be read leaves the tree as it was, numbers and all.
    const std::vector<TGroupRow> rows = ReadGroupRows(FTableName);

    // What the user sees is kept by group number: the selection, the open branches, the scroll.
    const QTreeWidgetItem* selected = Selected();
    const qint32 selectedIndex = SelectedIndex();
    std::set<qint32> expanded;
    std::vector<QTreeWidgetItem*> pending{FRootNode};
    while (!pending.empty()) {
        QTreeWidgetItem* node = pending.back();
        pending.pop_back();
        if (node->isExpanded())
            expanded.insert(KeyOf(node).SelfIndex);
        for (int i = 0; i < node->childCount(); ++i)
            pending.push_back(node->child(i));
    }
    const int scroll = FTreeView->verticalScrollBar()->value();

    FTreeView->clear();
    FFirstBySelf.clear();
    FOthersBySelf.clear();
    FCaptions.clear();
    FRootNode = MakeNode(FRootCaption, TGroupKey{0, 0});
    static_cast<TGroupNode*>(FRootNode)->UsePicture(FRootIcon);
    FTreeView->addTopLevelItem(FRootNode);
    IndexNode(FRootNode);
    AddRows(rows);

    pending = {FRootNode};
    while (!pending.empty()) {
        QTreeWidgetItem* node = pending.back();
        pending.pop_back();
        node->setExpanded(expanded.count(KeyOf(node).SelfIndex) > 0);
        for (int i = 0; i < node->childCount(); ++i)
            pending.push_back(node->child(i));
    }
    if (selected)
        if (QTreeWidgetItem* node = FirstWithSelfIndex(selectedIndex))
            Select(node);
    FTreeView->verticalScrollBar()->setValue(scroll);
}
