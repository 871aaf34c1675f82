#pragma once

#include <QHash>
#include <QString>
#include <QTreeWidgetItem>

#include <map>
#include <utility>
#include <vector>

class TGroupTreeLoader;

// The nodes of one group tree by number and by caption, kept in step with the nodes by the tree
// object. Each number maps to the first node in display order that carries it, in the order of
// the numbers: a table is read in that order, so a load fills it front to back, and a new group,
// numbered after all others, goes at the end. Further nodes with the same number (only a damaged
// table has them) wait aside. The captions are counted from the first time one is looked up, not
// while loading.
class TGroupIndex final
{
public:
    void Add(qint32 number, QTreeWidgetItem* node);
    void Remove(qint32 number, QTreeWidgetItem* node);
    // Takes in the nodes of a whole load, all of them below the nodes indexed so far.
    void AddLoaded(const TGroupTreeLoader& load);
    void Clear();

    QTreeWidgetItem* First(qint32 number) const;
    // The highest number, at least 0.
    qint32 HighestNumber() const;
    // Whether a node of the tree under root shows the caption.
    bool HasCaption(const QString& caption, QTreeWidgetItem* root);

private:
    using TNumbered = std::pair<qint32, QTreeWidgetItem*>; // a group number and its node

    std::vector<TNumbered> FFirstBySelf;
    std::multimap<qint32, QTreeWidgetItem*> FOthersBySelf;
    QHash<QString, int> FCaptions; // caption -> how many nodes show it, once FCaptionsIndexed
    bool FCaptionsIndexed = false;
};

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
