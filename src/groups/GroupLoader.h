#pragma once

#include "groups/GroupRows.h"

#include <QList>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class QTreeWidgetItem;
class TDbAccess;
struct TGroupTreeShape;

// Reads a group table in steps and makes the tree of its nodes, for a window that is to answer
// while a large table loads: the rows are read a few hundred at a time, their statement left open
// between steps, then placed on plain numbers (each row under the first node in display order
// whose number is its parent number, else under the last node in display order), and the nodes
// made a batch at a time. Every made node hangs under its parent at once, except the root's
// children: they are handed over together at the end, so the view takes the whole tree at once.
class TGroupTreeLoader final
{
public:
    // Makes one node at its level below the root (the root's children are at level 1).
    using TNodeMaker = std::function<QTreeWidgetItem*(QString caption, TGroupKey key, int level)>;

    TGroupTreeLoader(TDbAccess& dbAccess, QString tableName, TNodeMaker makeNode);
    // Frees the made branches that were not handed over.
    ~TGroupTreeLoader();
    TGroupTreeLoader(const TGroupTreeLoader&) = delete;
    TGroupTreeLoader& operator=(const TGroupTreeLoader&) = delete;

    // Takes rows read already instead of reading the table.
    void UseRows(std::vector<TGroupRow> rows);
    // Works until the deadline; true once every node is made. A read that fails throws.
    bool Step(std::chrono::steady_clock::time_point deadline);

    // Once whole: the rows' nodes, by row, with their numbers, and whether each is the first node
    // in display order with its number (only a damaged table has nodes that are not).
    size_t NodeCount() const { return FRows.size(); }
    QTreeWidgetItem* Node(size_t row) const { return FNodes[row + 1]; }
    qint32 Number(size_t row) const { return FRows[row].Key.SelfIndex; }
    bool FirstOfNumber(size_t row) const;
    // Hands the root's children over, in display order.
    QList<QTreeWidgetItem*> TakeTopNodes();

private:
    bool MakeNodes(const std::chrono::steady_clock::time_point& deadline);

    TDbAccess& FDbAccess;
    QString FTableName;
    TNodeMaker FMakeNode;
    std::unique_ptr<TGroupRowReader> FReader; // while reading
    bool FRead = false;
    std::vector<TGroupRow> FRows;
    std::unique_ptr<TGroupTreeShape> FShape; // once the rows are read
    std::vector<QTreeWidgetItem*> FNodes; // by slot (the root's 0, row r's r + 1); null until made
    size_t FMade = 0;                     // how many of the shape's make order
    QList<QTreeWidgetItem*> FTopNodes;
};
