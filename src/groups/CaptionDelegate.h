#pragma once

#include <QStyledItemDelegate>

class QEventLoop;
class QTreeWidget;
class QTreeWidgetItem;

// The delegate of a group tree view. It lets the rename command edit one caption in place and
// hands the typed text back instead of writing it into the node: the caption changes only when
// the group's row was renamed.
class TCaptionDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Opens the editor on the node and dispatches events until it closes. True, with the text,
    // when the edit ended with one (Enter, or the focus moving away); false when it was cancelled
    // (Esc), no editor opened, or the node went meanwhile. The node is editable only meanwhile.
    bool EditCaption(QTreeWidget* view, QTreeWidgetItem* node, QString& text);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

private:
    void EditorGone(const QWidget* editor) const;

    mutable QWidget* FEditor = nullptr; // the open editor, only to compare with
    mutable bool FCommitted = false;
    mutable QString FText;
    mutable QEventLoop* FLoop = nullptr;
};
