#include "groups/GroupLoader.h"

#include <QHash>
#include <QTreeWidgetItem>

#include <algorithm>

// Where each row of a group table goes, worked out on plain numbers before any node exists: the
// root is slot 0, the table's row r slot r + 1. Rows are placed in the order read, as the load
// describes, so a row can only go under a node read before it.
struct TGroupTreeShape
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

namespace {

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

TGroupTreeShape ShapeOf(const std::vector<TGroupRow>& rows)
{
    const int slotCount = int(rows.size()) + 1;
    TGroupTreeShape shape;
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

TGroupTreeLoader::TGroupTreeLoader(TDbAccess& dbAccess, QString tableName, TNodeMaker makeNode)
    : FDbAccess(dbAccess), FTableName(std::move(tableName)), FMakeNode(std::move(makeNode))
{}

TGroupTreeLoader::~TGroupTreeLoader()
{
    // Branches not handed over are in no view, so nothing else would free them.
    qDeleteAll(FTopNodes);
}

void TGroupTreeLoader::UseRows(std::vector<TGroupRow> rows)
{
    FReader.reset();
    FRows = std::move(rows);
    FRead = true;
}

bool TGroupTreeLoader::Step(std::chrono::steady_clock::time_point deadline)
{
    if (!FRead) {
        if (!FReader)
            FReader = std::make_unique<TGroupRowReader>(FDbAccess, FTableName);
        // The clock is read every so many rows.
        while (!FReader->Read(FRows, 256)) {
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
        }
        FReader.reset();
        FRead = true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
    if (!FShape) {
        FShape = std::make_unique<TGroupTreeShape>(ShapeOf(FRows));
        FNodes.assign(FRows.size() + 1, nullptr);
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
    }
    return MakeNodes(deadline);
}

bool TGroupTreeLoader::FirstOfNumber(size_t row) const
{
    return FShape->FirstOfNumber[row + 1];
}

QList<QTreeWidgetItem*> TGroupTreeLoader::TakeTopNodes()
{
    return std::exchange(FTopNodes, {});
}

bool TGroupTreeLoader::MakeNodes(const std::chrono::steady_clock::time_point& deadline)
{
    // The clock is read every so many nodes.
    constexpr size_t Batch = 256;
    constexpr size_t FetchAhead = 16;
    const std::vector<int>& order = FShape->MakeOrder;
    while (FMade < order.size()) {
        const size_t stop = std::min(order.size(), FMade + Batch);
        for (; FMade < stop; ++FMade) {
            // The make order is not the order read, so in a large tree each row and parent lies
            // anywhere in memory: what the coming nodes need is fetched ahead, the row and the
            // parent's slot well ahead, the parent node (known once its slot is) nearer.
            if (FMade + FetchAhead < order.size()) {
                const int later = order[FMade + FetchAhead];
                __builtin_prefetch(&FRows[size_t(later) - 1]);
                __builtin_prefetch(&FShape->Parent[size_t(later)]);
            }
            if (FMade + FetchAhead / 2 < order.size()) {
                const int soon = order[FMade + FetchAhead / 2];
                __builtin_prefetch(FNodes[size_t(FShape->Parent[size_t(soon)])]);
            }
            const int slot = order[FMade];
            TGroupRow& row = FRows[size_t(slot) - 1];
            QTreeWidgetItem* node =
                FMakeNode(std::move(row.Caption), row.Key, FShape->Level[size_t(slot)]);
            FNodes[size_t(slot)] = node;
            // A parent out of the view takes its child without any work for a view. Its later
            // children are made first, so each goes in front.
            if (const int up = FShape->Parent[size_t(slot)])
                FNodes[size_t(up)]->insertChild(0, node);
            else
                FTopNodes.prepend(node);
        }
        if (std::chrono::steady_clock::now() >= deadline)
            break;
    }
    return FMade == order.size();
}
