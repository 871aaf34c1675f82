#include "groups/CardTree.h"

#include "common/Errors.h"
#include "common/Messages.h"
#include "data/DbAccess.h"
#include "data/Sql.h"

#include <QKeyEvent>
#include <QScopeGuard>
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

QString NameTakenMessage()
{
    return QCoreApplication::translate("TCardTree", "该名称已经存在，请重新输入！");
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

// Where a number stands, or would stand, in a list of numbered nodes in the order of the numbers.
template <typename TNumberedList> auto PlaceOfNumber(TNumberedList& list, qint32 number)
{
    return std::lower_bound(list.begin(), list.end(), number,
                            [](const auto& numbered, qint32 n) { return numbered.first < n; });
}

// Calls visit for the node and every node below it.
template <typename F> void ForEachNode(QTreeWidgetItem* top, F visit)
{
    std::vector<QTreeWidgetItem*> pending{top};
    while (!pending.empty()) {
        QTreeWidgetItem* node = pending.back();
        pending.pop_back();
        visit(node);
        for (int i = 0; i < node->childCount(); ++i)
            pending.push_back(node->child(i));
    }
}

// Where each row of a group table goes, worked out on plain numbers before any node exists: the
// root is slot 0, the table's row r slot r + 1. Rows are placed in the order read, as the load
// describes, so a row can only go under a node read before it.
struct TTreeShape
{
    std::vector<int> Parent; // slot -> its parent's slot
    std::vector<int> Level;  // slot -> its level, the root's 0
    // Every slot but the root's in the order its node is made: each after its parent, a parent's
    // children last first. That is the order in which a walk with a stack visits the nodes (Qt's
    // own, when the whole tree goes into the view, and this file's), so the nodes lie in memory
    // as they are walked.
    std::vector<int> MakeOrder;
    // Whether the slot is the first in display order with its number; only a damaged table has
    // slots that are not.
    std::vector<bool> FirstOfNumber;
};

// The slots of the numbers met so far. A table that numbers each new group after all others
// has its numbers close together, and they are looked up in a plain array over their range;
// scattered numbers (a damaged or hand-made table) go to a hash.
class TSlotsByNumber
{
public:
    static constexpr int None = -1;

    // Ready for the numbers of the rows and the root's 0.
    explicit TSlotsByNumber(const std::vector<TGroupRow>& rows)
    {
        qint64 low = 0;
        qint64 high = 0;
        for (const TGroupRow& row : rows) {
            low = std::min<qint64>(low, row.Key.SelfIndex);
            high = std::max<qint64>(high, row.Key.SelfIndex);
        }
        if (high - low < 4 * (qint64(rows.size()) + 1)) {
            FLow = low;
            FDense.assign(size_t(high - low + 1), None);
        } else {
            FSparse.reserve(qsizetype(rows.size()) + 1);
        }
    }

    int Find(qint32 number) const
    {
        if (FDense.empty())
            return FSparse.value(number, None);
        const qint64 at = qint64(number) - FLow;
        return at >= 0 && at < qint64(FDense.size()) ? FDense[size_t(at)] : None;
    }

    // The number must be a row's or 0.
    void Set(qint32 number, int slot)
    {
        if (FDense.empty())
            FSparse.insert(number, slot);
        else
            FDense[size_t(qint64(number) - FLow)] = slot;
    }

private:
    qint64 FLow = 0;
    std::vector<int> FDense; // by number - FLow, when the numbers are close together
    QHash<qint32, int> FSparse;
};

TTreeShape ShapeOf(const std::vector<TGroupRow>& rows)
{
    const int slotCount = int(rows.size()) + 1;
    TTreeShape shape;
    std::vector<int>& parent = shape.Parent;
    parent.assign(size_t(slotCount), 0);
    std::vector<int> position(size_t(slotCount), 0); // among the parent's children
    std::vector<int>& depth = shape.Level;
    depth.assign(size_t(slotCount), 0);
    std::vector<int> childCount(size_t(slotCount), 0);
    shape.FirstOfNumber.assign(size_t(slotCount), true);

    // Display order is the order of the paths of positions from the root.
    const auto pathOf = [&](int slot) {
        std::vector<int> path;
        for (; slot != 0; slot = parent[size_t(slot)])
            path.push_back(position[size_t(slot)]);
        std::reverse(path.begin(), path.end());
        return path;
    };
    TSlotsByNumber firstBySelf(rows); // number -> the first slot in display order with it so far
    firstBySelf.Set(0, 0);
    // The path from the root to the last slot in display order: a new slot becomes the last one
    // exactly when its parent lies on that path.
    std::vector<int> lastPath{0};

    for (int slot = 1; slot < slotCount; ++slot) {
        const TGroupKey key = rows[size_t(slot - 1)].Key;
        const int known = firstBySelf.Find(key.ParentIndex);
        const int up = known != TSlotsByNumber::None ? known : lastPath.back();
        parent[size_t(slot)] = up;
        position[size_t(slot)] = childCount[size_t(up)]++;
        const int upDepth = depth[size_t(up)];
        depth[size_t(slot)] = upDepth + 1;

        const int same = firstBySelf.Find(key.SelfIndex);
        if (same == TSlotsByNumber::None) {
            firstBySelf.Set(key.SelfIndex, slot);
        } else if (pathOf(slot) < pathOf(same)) {
            shape.FirstOfNumber[size_t(same)] = false;
            firstBySelf.Set(key.SelfIndex, slot);
        } else {
            shape.FirstOfNumber[size_t(slot)] = false;
        }

        if (size_t(upDepth) < lastPath.size() && lastPath[size_t(upDepth)] == up) {
            lastPath.resize(size_t(upDepth) + 1);
            lastPath.push_back(slot);
        }
    }

    // The children lists, each parent's together and in the order read (a counting sort by
    // parent), then a walk of them with a stack.
    std::vector<int> childrenFrom(size_t(slotCount) + 1, 0);
    for (int slot = 0; slot < slotCount; ++slot)
        childrenFrom[size_t(slot) + 1] = childrenFrom[size_t(slot)] + childCount[size_t(slot)];
    std::vector<int> children(rows.size());
    std::vector<int> filled(childrenFrom.begin(), childrenFrom.end() - 1);
    for (int slot = 1; slot < slotCount; ++slot)
        children[size_t(filled[size_t(parent[size_t(slot)])]++)] = slot;
    shape.MakeOrder.reserve(rows.size());
    std::vector<int> pending{0};
    while (!pending.empty()) {
        const int slot = pending.back();
        pending.pop_back();
        if (slot != 0)
            shape.MakeOrder.push_back(slot);
        for (int i = childrenFrom[size_t(slot)]; i < childrenFrom[size_t(slot) + 1]; ++i)
            pending.push_back(children[size_t(i)]);
    }
    return shape;
}

} // namespace

// A load in progress: the rows read, their shape, and the nodes made so far.
// Every made node hangs under its parent at once, except the root's children: they wait in
// TopNodes and go under the root in one step at the end, so the view takes the whole tree at
// once.
struct TCardTree::TLoad
{
    std::unique_ptr<TGroupRowReader> Reader; // while reading
    bool Read = false;
    bool Shaped = false;
    std::vector<TGroupRow> Rows;
    TTreeShape Shape;
    std::vector<QTreeWidgetItem*> Nodes; // by slot; null until made
    size_t Made = 0;                     // how many of Shape.MakeOrder
    QList<QTreeWidgetItem*> TopNodes;
};

TCardTree::TCardTree(TDbAccess& dbAccess, QTreeWidget* treeView, QString tableName,
                     QString rootCaption, TTreePictures pictures)
    : FDbAccess(dbAccess), FTreeView(treeView), FViewAlive(treeView),
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

TCardTree::~TCardTree()
{
    // Branches of an unfinished load are not in the view yet, so it would not free them.
    if (FLoad)
        qDeleteAll(FLoad->TopNodes);
    if (FViewAlive && FViewAlive->indexOfTopLevelItem(FRootNode) >= 0)
        DeleteNodes();
}

void TCardTree::DeleteNodes()
{
    // A shallow tree is the view's to free.
    constexpr int Cut = 256;
    if (FDeepestLevel < Cut)
        return;
    // Out of the view first, so that cutting the branches below is no work for the view.
    if (const int at = FTreeView->indexOfTopLevelItem(FRootNode); at >= 0)
        FTreeView->takeTopLevelItem(at);
    // Cut at every so many levels, the deepest cuts first, so that no branch freed is deeper
    // than the cut.
    std::vector<QTreeWidgetItem*> cuts;
    std::vector<std::pair<QTreeWidgetItem*, int>> pending{{FRootNode, 0}};
    while (!pending.empty()) {
        const auto [node, level] = pending.back();
        pending.pop_back();
        if (level % Cut == 0 && node->childCount() > 0)
            cuts.push_back(node);
        for (int i = 0; i < node->childCount(); ++i)
            pending.emplace_back(node->child(i), level + 1);
    }
    for (auto cut = cuts.rbegin(); cut != cuts.rend(); ++cut)
        qDeleteAll((*cut)->takeChildren());
    delete FRootNode;
    FRootNode = nullptr;
    FDeepestLevel = 0;
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

void TCardTree::IndexNode(QTreeWidgetItem* node)
{
    if (FCaptionsIndexed)
        ++FCaptions[node->text(0)];
    const qint32 self = KeyOf(node).SelfIndex;
    const auto at = PlaceOfNumber(FFirstBySelf, self);
    if (at == FFirstBySelf.end() || at->first != self) {
        FFirstBySelf.insert(at, {self, node});
        return;
    }
    if (Before(node, at->second)) {
        FOthersBySelf.emplace(self, at->second);
        at->second = node;
    } else {
        FOthersBySelf.emplace(self, node);
    }
}

void TCardTree::UnindexNode(QTreeWidgetItem* node)
{
    if (FCaptionsIndexed) {
        const auto caption = FCaptions.find(node->text(0));
        if (caption != FCaptions.end() && --caption.value() <= 0)
            FCaptions.erase(caption);
    }

    const qint32 self = KeyOf(node).SelfIndex;
    auto [from, to] = FOthersBySelf.equal_range(self);
    const auto first = PlaceOfNumber(FFirstBySelf, self);
    if (first != FFirstBySelf.end() && first->second == node) {
        if (from == to) {
            FFirstBySelf.erase(first);
            return;
        }
        auto earliest = from;
        for (auto it = std::next(from); it != to; ++it)
            if (Before(it->second, earliest->second))
                earliest = it;
        first->second = earliest->second;
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
    const auto at = PlaceOfNumber(FFirstBySelf, selfIndex);
    return at != FFirstBySelf.end() && at->first == selfIndex ? at->second : nullptr;
}

void TCardTree::LoadGroups()
{
    BeginLoading();
    FinishLoading();
}

void TCardTree::BeginLoading()
{
    FLoad = std::make_unique<TLoad>();
    FLoad->Nodes = {FRootNode};
}

bool TCardTree::LoadStep(std::chrono::nanoseconds budget)
{
    if (!FLoad)
        return true;
    const auto deadline = std::chrono::steady_clock::now() + budget;
    TLoad& load = *FLoad;
    if (!load.Read) {
        // A table that can't be read ends the load with the root alone.
        auto unread = qScopeGuard([this] { FLoad.reset(); });
        if (!load.Reader)
            load.Reader = std::make_unique<TGroupRowReader>(FDbAccess, FTableName);
        // The clock is read every so many rows.
        while (!load.Reader->Read(load.Rows, 256)) {
            if (std::chrono::steady_clock::now() >= deadline) {
                unread.dismiss();
                return false;
            }
        }
        unread.dismiss();
        load.Reader.reset();
        load.Read = true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
    if (!load.Shaped) {
        load.Shape = ShapeOf(load.Rows);
        load.Nodes.resize(load.Rows.size() + 1, nullptr);
        load.Shaped = true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
    if (!MakeNodes(deadline))
        return false;
    EndLoading();
    return true;
}

void TCardTree::FinishLoading()
{
    while (!LoadStep(std::chrono::hours(1))) {
    }
}

bool TCardTree::MakeNodes(const std::chrono::steady_clock::time_point& deadline)
{
    // The clock is read every so many nodes.
    constexpr size_t Batch = 256;
    constexpr size_t FetchAhead = 16;
    TLoad& load = *FLoad;
    const std::vector<int>& order = load.Shape.MakeOrder;
    while (load.Made < order.size()) {
        const size_t stop = std::min(order.size(), load.Made + Batch);
        for (; load.Made < stop; ++load.Made) {
            // The make order is not the order read, so in a large tree each row and parent lies
            // anywhere in memory: what the coming nodes need is fetched ahead, the row and the
            // parent's slot well ahead, the parent node (known once its slot is) nearer.
            if (load.Made + FetchAhead < order.size()) {
                const int later = order[load.Made + FetchAhead];
                __builtin_prefetch(&load.Rows[size_t(later) - 1]);
                __builtin_prefetch(&load.Shape.Parent[size_t(later)]);
            }
            if (load.Made + FetchAhead / 2 < order.size()) {
                const int soon = order[load.Made + FetchAhead / 2];
                __builtin_prefetch(load.Nodes[size_t(load.Shape.Parent[size_t(soon)])]);
            }
            const int slot = order[load.Made];
            TGroupRow& row = load.Rows[size_t(slot) - 1];
            QTreeWidgetItem* node =
                MakeNode(std::move(row.Caption), row.Key, load.Shape.Level[size_t(slot)]);
            load.Nodes[size_t(slot)] = node;
            // A parent out of the view takes its child without any work for a view. Its later
            // children are made first, so each goes in front.
            if (const int up = load.Shape.Parent[size_t(slot)])
                load.Nodes[size_t(up)]->insertChild(0, node);
            else
                load.TopNodes.prepend(node);
        }
        if (std::chrono::steady_clock::now() >= deadline)
            break;
    }
    return load.Made == order.size();
}

void TCardTree::EndLoading()
{
    const std::unique_ptr<TLoad> load = std::move(FLoad);
    // The root is indexed already; a row with its 0 comes after it in display order.
    FFirstBySelf.reserve(FFirstBySelf.size() + load->Rows.size());
    for (size_t slot = 1; slot < load->Nodes.size(); ++slot) {
        const qint32 self = load->Rows[slot - 1].Key.SelfIndex;
        if (load->Shape.FirstOfNumber[slot])
            FFirstBySelf.emplace_back(self, load->Nodes[slot]);
        else
            FOthersBySelf.emplace(self, load->Nodes[slot]);
    }
    // Rows come in the order of their numbers, but the root's 0 goes before negative ones.
    const auto byNumber = [](const TNumbered& a, const TNumbered& b) {
        return a.first < b.first;
    };
    if (!std::is_sorted(FFirstBySelf.begin(), FFirstBySelf.end(), byNumber))
        std::sort(FFirstBySelf.begin(), FFirstBySelf.end(), byNumber);
    FRootNode->addChildren(load->TopNodes);
    FRootNode->setExpanded(true);
}

void TCardTree::IndexCaptions()
{
    if (FCaptionsIndexed)
        return;
    FCaptions.clear();
    ForEachNode(FRootNode, [this](const QTreeWidgetItem* node) { ++FCaptions[node->text(0)]; });
    FCaptionsIndexed = true;
}

QTreeWidgetItem* TCardTree::AddGroup(const QString& name)
{
    // The name check finishes a load first.
    if (NameExists(name))
        throw ECardError(NameTakenMessage());
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
    IndexNode(node);
    parent->setExpanded(true);
    return node;
}

void TCardTree::DeleteGroup(const QString& consequence)
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
    if (!AskYesNo(question))
        throw EAbort();

    const QString n = QString::number(SelectedIndex());
    FDbAccess.ExecuteBatch(
        Sql::Format(SqlTemplate::DeleteGroupSelf, {Sql::Name(FTableName), Sql::Key(n)}) +
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
    FDbAccess.ExecuteBatch(
        Sql::Format(SqlTemplate::RenameGroup, {Sql::Name(FTableName), Sql::Quoted(newName),
                                               Sql::Number(KeyOf(node).SelfIndex)}));
    UnindexNode(node);
    node->setText(0, newName);
    IndexNode(node);
    return true;
}

int TCardTree::MaxSelfIndex()
{
    FinishLoading();
    // The root's 0 is always in the index, so the result is at least 0.
    return std::max(0, FFirstBySelf.empty() ? 0 : FFirstBySelf.back().first);
}

int TCardTree::SelectedIndex() const
{
    return KeyOf(Selected()).SelfIndex;
}

bool TCardTree::NameExists(const QString& name)
{
    FinishLoading();
    IndexCaptions();
    return FCaptions.contains(name);
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
    if (FLoad)
        qDeleteAll(FLoad->TopNodes);
    FLoad.reset();
    DeleteNodes();
    FTreeView->clear();
    FFirstBySelf.clear();
    FOthersBySelf.clear();
    FCaptions.clear();
    FCaptionsIndexed = false;
    FRootNode = MakeNode(FRootCaption, TGroupKey{0, 0}, 0);
    static_cast<TGroupNode*>(FRootNode)->UsePicture(FRootIcon);
    FTreeView->addTopLevelItem(FRootNode);
    IndexNode(FRootNode);
    FRootNode->setExpanded(true);
}

void TCardTree::Reload()
{
    // Read first: a table that can't be read leaves the tree as it was, numbers and all.
    FinishLoading();
    std::vector<TGroupRow> rows = ReadGroupRows(FDbAccess, FTableName);

    // What the user sees is kept by group number: the selection, the open branches, the scroll.
    const QTreeWidgetItem* selected = Selected();
    const qint32 selectedIndex = SelectedIndex();
    std::set<qint32> expanded;
    ForEachNode(FRootNode, [&expanded](const QTreeWidgetItem* node) {
        if (node->isExpanded())
            expanded.insert(KeyOf(node).SelfIndex);
    });
    const int scroll = FTreeView->verticalScrollBar()->value();

    Clear();
    BeginLoading();
    FLoad->Rows = std::move(rows);
    FLoad->Read = true;
    FinishLoading();

    ForEachNode(FRootNode, [&expanded](QTreeWidgetItem* node) {
        node->setExpanded(expanded.count(KeyOf(node).SelfIndex) > 0);
    });
    if (selected)
        if (QTreeWidgetItem* node = FirstWithSelfIndex(selectedIndex))
            Select(node);
    FTreeView->verticalScrollBar()->setValue(scroll);
}
