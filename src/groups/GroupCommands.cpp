#include "groups/GroupCommands.h"

#include "common/CardException.h"
#include "common/Errors.h"
#include "groups/CaptionDelegate.h"
#include "groups/CardTree.h"
#include "groups/GroupDialogs.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeWidget>

TGroupCommands::TGroupCommands(TCardTree& tree, QObject* parent) : QObject(parent), FTree(tree)
{
    QTreeWidget* view = FTree.TreeView();
    FView = view;
    FMenu = new QMenu(view);
    actNewGroup = FMenu->addAction(tr("新建组"));
    actRenameGroup = FMenu->addAction(tr("重命名组"));
    actDeleteGroup = FMenu->addAction(tr("删除组"));
    // The menu shows the keys. The tree's key filter runs them; as shortcuts they act only in the
    // open menu, which has the keys to itself then, so no key runs a command twice.
    const std::pair<QAction*, Qt::Key> keys[] = {{actNewGroup, Qt::Key_Insert},
                                                 {actRenameGroup, Qt::Key_F2},
                                                 {actDeleteGroup, Qt::Key_Delete}};
    for (const auto& [action, key] : keys) {
        action->setShortcut(QKeySequence(key));
        action->setShortcutContext(Qt::WidgetShortcut);
        action->setShortcutVisibleInContextMenu(true);
    }
    ConnectGuarded(actNewGroup, &QAction::triggered, this, [this] { NewGroupClick(); });
    ConnectGuarded(actRenameGroup, &QAction::triggered, this, [this] { RenameGroupClick(); });
    ConnectGuarded(actDeleteGroup, &QAction::triggered, this, [this] { DeleteGroupClick(); });

    // The delegate lives with the view, which paints through it.
    FDelegate = new TCaptionDelegate(view);
    view->setItemDelegate(FDelegate);

    view->setContextMenuPolicy(Qt::CustomContextMenu);
    ConnectGuarded(view, &QWidget::customContextMenuRequested, this,
                   [this](const QPoint& position) { PopupMenu(position); });
    view->viewport()->installEventFilter(this);
    view->installEventFilter(this);
    view->setToolTip(tr("右键单击打开分组命令：新建组、重命名组、删除组"));
}

TGroupCommands::~TGroupCommands()
{
    delete FMenu;
}

QAction* TGroupCommands::AppendCommand(const QString& caption)
{
    FMenu->addSeparator();
    return FMenu->addAction(caption);
}

bool TGroupCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FView && event->type() == QEvent::KeyPress)
        return CommandKey(*static_cast<QKeyEvent*>(event));

    // The right button only opens the menu: the commands work on the node the user had chosen,
    // not on the one under the mouse.
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
            return true;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool TGroupCommands::CommandKey(const QKeyEvent& key)
{
    // While a caption is edited the keys belong to the editor.
    if (FRenaming || (key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    QAction* action = nullptr;
    switch (key.key()) {
    case Qt::Key_Insert:
        action = actNewGroup;
        break;
    case Qt::Key_F2:
        action = actRenameGroup;
        break;
    case Qt::Key_Delete:
        action = actDeleteGroup;
        break;
    default:
        return false;
    }
    // The menu item's own path: the same questions, refusals and results, shown the same way.
    action->trigger();
    return true;
}

void TGroupCommands::PopupMenu(const QPoint& position)
{
    if (FMenu)
        FMenu->popup(FTree.TreeView()->viewport()->mapToGlobal(position));
}

void TGroupCommands::NewGroupClick()
{
    if (FRenaming)
        return;
    QTreeWidgetItem* node = FTree.Selected();
    if (!node)
        throw ECardError(tr("请先选择一个分组，新组将建在它下面。"));
    // Refused before the name is asked for.
    FTree.RequireRoomUnder(node);
    QString name;
    // A name already taken is refused while the dialog is open, so that it can be typed again.
    if (InputGroupName(FTree.Dialogs(), PositionText(node), name,
                       [this](const QString& typed) { FTree.RequireFreeName(typed); }) != mrOK)
        return;
    QTreeWidgetItem* added = FTree.AddGroup(name);
    FTree.Select(added);
    Q_EMIT GroupAdded();
}

void TGroupCommands::RenameGroupClick()
{
    if (FRenaming || !FDelegate)
        return;
    QTreeWidgetItem* node = FTree.Selected();
    if (!node || node == FTree.RootNode())
        throw ECardError(tr("请先选择要重命名的分组。"));

    QPointer<TGroupCommands> alive(this);
    FRenaming = true;
    QString text;
    const bool committed = FDelegate->EditCaption(FTree.TreeView(), node, text);
    if (!alive)
        return; // the page went away while the editor was open
    FRenaming = false;
    if (committed && FDelegate)
        GroupEdited(node, text);
}

void TGroupCommands::GroupEdited(QTreeWidgetItem* node, const QString& newText)
{
    if (!node || newText == node->text(0))
        return;
    FTree.RenameNode(node, newText);
}

void TGroupCommands::DeleteGroupClick()
{
    if (FRenaming)
        return;
    // Without a selection the tree's deletion refuses, saying what to select.
    const QString selfIndex = QString::number(FTree.SelectedIndex());
    FTree.DeleteGroup(FTree.Selected() && DescribeContent ? DescribeContent(selfIndex) : QString(),
                      [&] {
                          if (BeforeDelete)
                              BeforeDelete(selfIndex);
                      });
    if (FTree.Selected())
        Q_EMIT GroupDeleted();
}
