#include "groups/CaptionDelegate.h"

#include <QEventLoop>
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTreeWidget>
#include <limits>

namespace {
// The node's place in the view's model, which follows the node while it lives and turns invalid
// when it goes.
QPersistentModelIndex PlaceOf(const QTreeWidget* view, const QTreeWidgetItem* node)
{
    if (const QTreeWidgetItem* parent = node->parent())
        return view->model()->index(parent->indexOfChild(const_cast<QTreeWidgetItem*>(node)), 0,
                                    PlaceOf(view, parent));
    return view->model()->index(view->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(node)), 0);
}
} // namespace

bool TCaptionDelegate::EditCaption(QTreeWidget* view, QTreeWidgetItem* node, QString& text)
{
    FCommitted = false;
    FText.clear();
    FEditor = nullptr;

    QPointer<QTreeWidget> alive(view);
    QPointer<TCaptionDelegate> self(this);
    // Whatever runs while the editor is open (a reload of the tree) may delete the node.
    const QPersistentModelIndex place = PlaceOf(view, node);
    const Qt::ItemFlags flags = node->flags();
    node->setFlags(flags | Qt::ItemIsEditable);
    view->scrollToItem(node);
    view->editItem(node, 0);
    if (FEditor) {
        QEventLoop loop;
        // The view (and this delegate with it) can go while the editor is open.
        connect(view, &QObject::destroyed, &loop, &QEventLoop::quit);
        connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
        FLoop = &loop;
        loop.exec();
        if (!self)
            return false;
        FLoop = nullptr;
        // The loop can also end because the application is quitting: the edit is abandoned.
        if (FEditor) {
            FCommitted = false;
            Q_EMIT closeEditor(FEditor, RevertModelCache);
        }
    }
    if (!alive || !place.isValid())
        return false;
    node->setFlags(flags);
    text = FText;
    return FCommitted;
}

QWidget* TCaptionDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->setMaxLength(std::numeric_limits<int>::max()); // a stored caption is never cut
    FEditor = editor;
    // Whichever comes first, the release by the view or the editor's end, stops the wait.
    connect(editor, &QObject::destroyed, this, [this, editor] { EditorGone(editor); });
    return editor;
}

void TCaptionDelegate::setModelData(QWidget* editor, QAbstractItemModel* /*model*/,
                                    const QModelIndex& /*index*/) const
{
    if (editor != FEditor)
        return;
    if (const auto* line = qobject_cast<QLineEdit*>(editor)) {
        FText = line->text();
        FCommitted = true;
    }
}

void TCaptionDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    EditorGone(editor);
    QStyledItemDelegate::destroyEditor(editor, index);
}

void TCaptionDelegate::EditorGone(const QWidget* editor) const
{
    if (editor != FEditor)
        return;
    FEditor = nullptr;
    if (FLoop)
        FLoop->quit();
}
