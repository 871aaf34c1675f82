#include "groups/GroupIndex.h"

#include "groups/GroupLoader.h"

#include <QTreeWidget>

#include <algorithm>

namespace {

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

// Where a number stands, or would stand, in a list of numbered nodes in the order of the numbers.
template <typename TNumberedList> auto PlaceOfNumber(TNumberedList& list, qint32 number)
{
    return std::lower_bound(list.begin(), list.end(), number,
                            [](const auto& numbered, qint32 n) { return numbered.first < n; });
}

} // namespace

void TGroupIndex::Add(qint32 self, QTreeWidgetItem* node)
{
    if (FCaptionsIndexed)
        ++FCaptions[node->text(0)];
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

void TGroupIndex::Remove(qint32 self, QTreeWidgetItem* node)
{
    if (FCaptionsIndexed) {
        const auto caption = FCaptions.find(node->text(0));
        if (caption != FCaptions.end() && --caption.value() <= 0)
            FCaptions.erase(caption);
    }

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

QTreeWidgetItem* TGroupIndex::First(qint32 selfIndex) const
{
    const auto at = PlaceOfNumber(FFirstBySelf, selfIndex);
    return at != FFirstBySelf.end() && at->first == selfIndex ? at->second : nullptr;
}

void TGroupIndex::AddLoaded(const TGroupTreeLoader& load)
{
    // The root is indexed already; a row with its 0 comes after it in display order.
    FFirstBySelf.reserve(FFirstBySelf.size() + load.NodeCount());
    for (size_t row = 0; row < load.NodeCount(); ++row) {
        if (load.FirstOfNumber(row))
            FFirstBySelf.emplace_back(load.Number(row), load.Node(row));
        else
            FOthersBySelf.emplace(load.Number(row), load.Node(row));
    }
    // Rows come in the order of their numbers, but the root's 0 goes before negative ones.
    const auto byNumber = [](const TNumbered& a, const TNumbered& b) {
        return a.first < b.first;
    };
    if (!std::is_sorted(FFirstBySelf.begin(), FFirstBySelf.end(), byNumber))
        std::sort(FFirstBySelf.begin(), FFirstBySelf.end(), byNumber);
}

void TGroupIndex::Clear()
{
    FFirstBySelf.clear();
    FOthersBySelf.clear();
    FCaptions.clear();
    FCaptionsIndexed = false;
}

qint32 TGroupIndex::HighestNumber() const
{
    return std::max(0, FFirstBySelf.empty() ? 0 : FFirstBySelf.back().first);
}

bool TGroupIndex::HasCaption(const QString& caption, QTreeWidgetItem* root)
{
    if (!FCaptionsIndexed) {
        FCaptions.clear();
        ForEachNode(root, [this](const QTreeWidgetItem* node) { ++FCaptions[node->text(0)]; });
        FCaptionsIndexed = true;
    }
    return FCaptions.contains(caption);
}
