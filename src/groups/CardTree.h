#pragma once

#include "groups/GroupIndex.h"
#include "groups/GroupRows.h"
#include "groups/TreeImages.h"

#include <QCoreApplication>
#include <QIcon>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class QObject;
class QTreeWidget;
class QTreeWidgetItem;
class TDbAccess;
class TGroupTreeLoader;
class TUserDialogs;

// Binds one tree view to one group table (IEType or NoteType): shows the table as a hierarchy
// under a single root node and carries out every edit of it. The table row is written first and
// the tree changed only after the statement succeeded, so the tree never shows a group the
// table lacks. The selected node is the tree view's current item, provided it is selected; the
// view keeps one node selected once the user has chosen one. Captions change only through this
// object, which keeps its indexes of numbers and captions in step with the nodes.
class TCardTree final
{
    Q_DECLARE_TR_FUNCTIONS(TCardTree)

public:
    // How many levels of groups below the root the view lays out. Qt lays out an open branch by
    // calling itself for each open level, so a chain of open branches as deep as a damaged or
    // hostile table can hold would overflow the stack: the groups of this level show no
    // children, whatever is below them stays loaded but out of sight, and no group is made below
    // them.
    static constexpr int MaxShownLevel = 1000;

    // Empties the tree view and makes the root node; reads nothing yet. The table is read and
    // written through the given connection; questions go to the given dialogs.
    TCardTree(TDbAccess& dbAccess, TUserDialogs& dialogs, QTreeWidget* treeView, QString tableName,
              QString rootCaption, TTreePictures pictures = TTreePictures::Folders);
    ~TCardTree();
    TCardTree(const TCardTree&) = delete;
    TCardTree& operator=(const TCardTree&) = delete;

    // Where the tree and the commands over it ask the user.
    TUserDialogs& Dialogs() const { return FDialogs; }

    // Reads the whole table into the tree; called once, right after construction. Each row goes
    // under the first node in display order whose number is the row's parent number, or under
    // the last node in display order when there is none. A row that can't be read leaves the
    // tree as it was.
    void LoadGroups();
    // The same in steps, for a window that is to answer while a large table loads. The table
    // is read a few hundred rows at a time, its statement left open between steps (writes, such
    // as a note's save, may come in between). The tree shows its root alone until the load is
    // whole, and every call below that needs the whole tree (the group commands, the numbers and
    // captions, a reload) first finishes the load. A step that fails to read ends the load with
    // the root alone, and throws.
    void BeginLoading();
    // Works for about the given time; true once the tree is whole.
    bool LoadStep(std::chrono::nanoseconds budget);
    void FinishLoading();
    bool Loading() const { return FLoad != nullptr; }
    // Reads the table afresh, for the groups another tree object over the same table has added
    // meanwhile (the choose-group dialog's), or another connection's changes (a merge). The open
    // branches and the scroll stay as they were, and so does the selected group: by its number
    // while that still names the group at the same path of captions, else by the path (a merge
    // may number a group anew), else by the number (renamed or moved); a selected group that is
    // gone leaves the selection to the nearest group above it that is left.
    void Reload();
    // The same in steps, for a large table read again under a window that is to answer: the
    // tree stays as it is, and usable, while the table is read and the new nodes are made beside
    // it; EndReload then puts them in its place as Reload does. Every call that needs the whole
    // tree (FinishLoading) ends a reload first. A step that fails to read ends the reload,
    // leaving the tree as it was, and throws.
    void BeginReload();
    // Works for about the given time; true once the new nodes are all made (or no reload is
    // under way).
    bool ReloadStep(std::chrono::nanoseconds budget);
    void EndReload();
    bool Reloading() const { return FReload != nullptr; }
    // The captions from below the root down to the node; empty for the root and none.
    static QStringList PathOf(const QTreeWidgetItem* node);
    // The node at that path of captions, or null.
    QTreeWidgetItem* NodeAtPath(const QStringList& path) const;
    // Leaves the root alone, reading nothing, for groups that must not stay on show (they
    // belong to a file that has been replaced, or the program is locked); a load under way
    // stops.
    void Clear();
    // Adds a group under the selected node (under the root when nothing is selected) and returns
    // the new node, which is not selected. Refuses a caption that already stands in the tree.
    QTreeWidgetItem* AddGroup(const QString& name);
    // Deletes the selected leaf group after the user confirmed; No is the silent abort. The
    // next sibling, else the previous one, else the parent becomes the selected node. A
    // non-empty consequence is the question's second line: what goes with the group. The group's
    // rows and its content (note or addresses) go into the recycle bin in one transaction, after
    // beforeDelete, run once the user said Yes.
    void DeleteGroup(const QString& consequence = QString(),
                     const std::function<void()>& beforeDelete = {});
    // Renames the selected group (never the root); refuses a caption already in the tree.
    bool RenameGroup(const QString& newName);
    // The same for a given group node: the end of an in-place edit names the node it edited,
    // which need not be the selected one any more. False, writing nothing, for the root or none.
    bool RenameNode(QTreeWidgetItem* node, const QString& newName);

    int MaxSelfIndex();
    int SelectedIndex() const; // 0 when nothing is selected, and for the root
    bool NameExists(const QString& name);
    // Throws the refusal of a caption that already stands in the tree.
    void RequireFreeName(const QString& name);
    // Throws the refusal when no group can be added under the node: the numbers are used up, or
    // the node's children would lie below the shown levels. Changes nothing.
    void RequireRoomUnder(const QTreeWidgetItem* parent);
    // The node's level: 0 for the root, 1 for the groups under it.
    static int LevelOf(const QTreeWidgetItem* node);

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
    // Hangs the made branches under the root and indexes them: the load is whole.
    void EndLoading();
    // Replaces the nodes with those of a whole load, keeping what the user sees (see Reload).
    void PutInPlace(std::unique_ptr<TGroupTreeLoader> load);
    std::unique_ptr<TGroupTreeLoader> MakeLoader();
    QTreeWidgetItem* MakeNode(QString caption, TGroupKey key, int level);
    // For a deep tree: takes the root out of the view and frees it with every node below, a
    // branch of bounded depth at a time, since Qt frees a node's children by calling itself for
    // each level. A shallow tree is left to the view.
    void DeleteNodes();
    // Frees a node out of any view with every node below it, deep or not.
    static void FreeNodes(QTreeWidgetItem* top);
    // The same for shallow branches, a bounded number of nodes in each turn of the event loop
    // while the context lives.
    static void FreeInSteps(QObject* context, std::vector<QTreeWidgetItem*> pending);
    // How many levels a branch freed at once may have.
    static constexpr int DeepCut = 256;

    TDbAccess& FDbAccess;
    TUserDialogs& FDialogs;
    QTreeWidget* FTreeView;
    QPointer<QTreeWidget> FViewAlive;
    QString FTableName;
    QString FRootCaption;
    QTreeWidgetItem* FRootNode = nullptr;
    QIcon FRootIcon;
    QIcon FGroupIcon;

    TGroupIndex FIndex;
    int FDeepestLevel = 0;                     // of any node made so far
    std::unique_ptr<TGroupTreeLoader> FLoad;   // while loading
    std::unique_ptr<TGroupTreeLoader> FReload; // while reading again in steps
    bool FReloadWhole = false;                 // its nodes are all made
};
