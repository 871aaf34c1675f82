#pragma once

#include "groups/CaptionDelegate.h"

#include <QMenu>
#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QKeyEvent;
class QPoint;
class QTreeWidgetItem;
class TCardTree;

// The group menu of a page's tree view — "新建组", "重命名组", "删除组" — and the commands
// behind it, the same for the notebook and the address page. The page fills in the hooks that
// refresh its content. A right click opens the menu without changing the selected node; the
// keys Insert, F2 and Delete on the tree run the three group commands.
class TGroupCommands final : public QObject
{
    Q_OBJECT

public:
    TGroupCommands(TCardTree& tree, QObject* parent = nullptr);
    ~TGroupCommands() override;

    QMenu* Menu() const { return FMenu; }
    QAction* actNewGroup = nullptr;    // "新建组"
    QAction* actRenameGroup = nullptr; // "重命名组"
    QAction* actDeleteGroup = nullptr; // "删除组"

    // Appends a separator and a command of the page's own to the menu; the page connects to it.
    QAction* AppendCommand(const QString& caption);

    // The commands. Without the node they need selected each refuses, saying what to select;
    // refusals and database errors are thrown (the menu runs them guarded, so they are shown
    // there).
    // New group under the selected node, named in "新建组"; the new node becomes selected.
    void NewGroupClick();
    // Rename the selected group in place; waits, dispatching events, until the editor closes.
    void RenameGroupClick();
    // Delete the selected leaf group with its content, then show the newly selected node's.
    void DeleteGroupClick();
    // The end of an in-place edit with a text: an unchanged caption writes nothing, any other
    // text renames the group; a refusal leaves the caption as it was.
    void GroupEdited(QTreeWidgetItem* node, const QString& newText);

    bool Renaming() const { return FRenaming; }

    // Page hooks, each optional; they may refuse by throwing, which stops the command.
    // The user confirmed that the group with this number (decimal) goes with its content (the
    // tree moves both into the recycle bin at once): finish what is still being written into it.
    std::function<void(const QString& selfIndex)> BeforeDelete;
    // The group with this number is about to be deleted: what goes with it, as the second line
    // of the question, or an empty text when nothing does.
    std::function<QString(const QString& groupIndex)> DescribeContent;

Q_SIGNALS:
    // The new group is selected: the page shows its (empty) content.
    void GroupAdded();
    // A group was deleted and another node is selected: the page shows that node's content.
    void GroupDeleted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PopupMenu(const QPoint& position);
    // Insert, F2 and Delete on the tree run "新建组", "重命名组" and "删除组"; true when the key
    // was one of them.
    bool CommandKey(const QKeyEvent& key);

    TCardTree& FTree;
    // The tree's view, compared by address only: the page may free the tree before these
    // commands, while the view still sends events on its way out.
    const QObject* FView = nullptr;
    QPointer<QMenu> FMenu;
    QPointer<TCaptionDelegate> FDelegate;
    bool FRenaming = false;
};
