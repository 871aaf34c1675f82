#pragma once

#include "groups/GroupRows.h"
#include "groups/TreeImages.h"

#include <QHash>
#include <QIcon>
#include <QString>

#include <map>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

// Binds one tree view to one group table (IEType or NoteType): shows the table as a hierarchy
// under a single root node and carries out every edit of it. The table row is written first and
// the tree changed only after the statement succeeded, so the tree never shows a group the
// table lacks. The selected node is the tree view's current item, provided it is selected; the
// view keeps one node selected once the user has chosen one. Captions change only through this
// object, which keeps its indexes of numbers and captions in step with the nodes.
class TCardTree final
{
public:
    // Empties the tree view and makes the root node; reads nothing yet.
    TCardTree(QTreeWidget* treeView, QString tableName, QString rootCaption,
              TTreePictures pictures = TTreePictures::Folders);
    ~TCardTree();
    TCardTree(const TCardTree&) = delete;
    TCardTree& operator=(const TCardTree&) = delete;

    // Reads the whole table into the tree; called once, right after construction. Each row goes
    // under the first node in display order whose number is the row's parent number, or under
    // the last node in display order when there is none. A row that can't be read leaves the
    // tree as it was.
    void LoadGroups();
    // Reads the table afresh, for the groups another tree object over the same table has added
    // meanwhile (the choose-group dialog's). The selected group and the open branches stay as
    // they were.
    void Reload();
    // Adds a group under the selected node (under the root when nothing is selected) and returns
    // the new node, which is not selected. Refuses a caption that already stands in the tree.
    QTreeWidgetItem* AddGroup(const QString& name);
    // Deletes the selected leaf group after the user confirmed; No is the silent abort. The
    // next sibling, else the previous one, else the parent becomes the selected node.
    void DeleteGroup();
    // Renames the selected group (never the root); refuses a caption already in the tree.
    bool RenameGroup(const QString& newName);
    // The same for a given group node: the end of an in-place edit names the node it edited,
    // which need not be the selected one any more. False, writing nothing, for the root or none.
    bool RenameNode(QTreeWidgetItem* node, const QString& newName);

    int MaxSelfIndex() const;
    int SelectedIndex() const; // 0 when nothing is selected, and for the root
    bool NameExists(const QString& name) const;

    QTreeWidgetItem* Selected() const;
    // Makes the node the current and only selected one.
    void Select(QTreeWidgetItem* node);
    // Other pictures for the nodes: the root's, and a group's with its selected picture as the
    // icon's Selected mode.
    void SetPictures(const QIcon& rootIcon, const QIcon& groupIcon);

    QTreeWidget* TreeView() const { return FTreeView; }
    QTreeWidgetItem* RootNode() const { return FRootNode; }
    const QString& TableName() const { return FTableName; }
    const QString& RootCaption() const { return FRootCaption; }

    static TGroupKey KeyOf(const QTreeWidgetItem* node);

private:
    void AddRows(const std::vector<TGroupRow>& rows);
    QTreeWidgetItem* MakeNode(const QString& caption, TGroupKey key) const;
    void IndexNode(QTreeWidgetItem* node);
    void UnindexNode(QTreeWidgetItem* node);
    QTreeWidgetItem* FirstWithSelfIndex(qint32 selfIndex) const;

    QTreeWidget* FTreeView;
    QString FTableName;
    QString FRootCaption;
    QTreeWidgetItem* FRootNode = nullptr;
    QIcon FRootIcon;
    QIcon FGroupIcon;

    // Number -> the first node in display order that carries it; further nodes with the same
    // number (only a damaged table has them) wait in FOthersBySelf.
    // A hash: loading looks a parent up for every row, and that must not grow with the tree.
    QHash<qint32, QTreeWidgetItem*> FFirstBySelf;
    std::multimap<qint32, QTreeWidgetItem*> FOthersBySelf;
    qint32 FMaxSelf = 0;           // the largest number in FFirstBySelf
    QHash<QString, int> FCaptions; // caption -> how many nodes show it
};
