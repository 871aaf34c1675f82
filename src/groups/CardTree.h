#pragma once

#include <QHash>
#include <QString>

class QTreeWidget;
class QTreeWidgetItem;

// The key every node of a group tree carries: the group's own number and its parent's. The
// root's key is {0, 0}.
struct TGroupKey
{
    qint32 SelfIndex = 0;
    qint32 ParentIndex = 0;
};

// Binds one tree view to one group table (IEType or NoteType): shows the table as a hierarchy
// under a single root node and carries out every edit of it. The table row is written first and
// the tree changed only after the statement succeeded, so the tree never shows a group the
// table lacks. The selected node is the tree view's current item.
class TCardTree final
{
public:
    // Empties the tree view and makes the root node; reads nothing yet.
    TCardTree(QTreeWidget* treeView, QString tableName, QString rootCaption);
    ~TCardTree();
    TCardTree(const TCardTree&) = delete;
    TCardTree& operator=(const TCardTree&) = delete;

    // Reads the whole table into the tree; called once, right after construction.
    void LoadGroups();
    // Adds a group under the selected node (under the root when nothing is selected) and returns
    // the new node, which is not selected. Refuses a caption that already stands in the tree.
    QTreeWidgetItem* AddGroup(const QString& name);
    // Deletes the selected leaf group after the user confirmed; No is the silent abort.
    void DeleteGroup();
    // Renames the selected group (never the root); refuses a caption already in the tree.
    bool RenameGroup(const QString& newName);

    int MaxSelfIndex() const;
    int SelectedIndex() const; // 0 when nothing is selected, and for the root
    bool NameExists(const QString& name) const;

    QTreeWidget* TreeView() const { return FTreeView; }
    QTreeWidgetItem* RootNode() const { return FRootNode; }
    const QString& TableName() const { return FTableName; }
    const QString& RootCaption() const { return FRootCaption; }

    static TGroupKey KeyOf(const QTreeWidgetItem* node);

private:
    QTreeWidget* FTreeView;
    QString FTableName;
    QString FRootCaption;
    QTreeWidgetItem* FRootNode = nullptr;
};
