#include "app/FormRecycleBin.h"

#include "common/CardException.h"
#include "common/Messages.h"
#include "data/DbAccess.h"
#include "data/WriteTransaction.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString KindOf(const QString& table)
{
    if (table == QLatin1String("NoteType"))
        return TFormRecycleBin::tr("笔记分组");
    if (table == QLatin1String("IEType"))
        return TFormRecycleBin::tr("网址分组");
    if (table == QLatin1String("IE"))
        return TFormRecycleBin::tr("网址");
    return TFormRecycleBin::tr("笔记");
}

} // namespace

TFormRecycleBin::TFormRecycleBin(TDbAccess& dbAccess, TUserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), FDbAccess(dbAccess), FDialogs(dialogs)
{
    setObjectName(QStringLiteral("FormRecycleBin"));
    setWindowTitle(tr("回收站"));

    tvItems = new QTreeWidget(this);
    tvItems->setObjectName(QStringLiteral("tvItems"));
    tvItems->setAccessibleName(tr("回收站中的内容"));
    tvItems->setHeaderLabels({tr("名称"), tr("类型"), tr("原位置"), tr("删除时间")});
    tvItems->setRootIsDecorated(false);
    tvItems->setUniformRowHeights(true);
    tvItems->setSelectionMode(QAbstractItemView::SingleSelection);
    tvItems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lblEmpty = new QLabel(tr("回收站是空的。"), this);
    lblEmpty->setObjectName(QStringLiteral("lblEmpty"));
    lblEmpty->setAlignment(Qt::AlignCenter);

    btnRestore = new QPushButton(tr("还原"), this);
    btnRestore->setObjectName(QStringLiteral("btnRestore"));
    btnRestore->setAccessibleName(tr("还原"));
    btnErase = new QPushButton(tr("彻底删除"), this);
    btnErase->setObjectName(QStringLiteral("btnErase"));
    btnErase->setAccessibleName(tr("彻底删除"));
    btnClose = new QPushButton(tr("关闭"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAccessibleName(tr("关闭"));
    for (QPushButton* button : {btnRestore, btnErase, btnClose})
        button->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(btnRestore, QDialogButtonBox::ActionRole);
    buttons->addButton(btnErase, QDialogButtonBox::ActionRole);
    buttons->addButton(btnClose, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ConnectGuarded(btnRestore, &QPushButton::clicked, this, [this] { RestoreClick(); });
    ConnectGuarded(btnErase, &QPushButton::clicked, this, [this] { EraseClick(); });
    ConnectGuarded(tvItems, &QTreeWidget::itemSelectionChanged, this,
                   [this] { SelectionChanged(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tvItems, 1);
    layout->addWidget(lblEmpty);
    layout->addWidget(buttons);
    ListItems();
    // Room for a usual caption and place; longer ones widen their column.
    const int letter = tvItems->fontMetrics().averageCharWidth();
    const int least[] = {24, 10, 32, 16};
    for (int column = 0; column < tvItems->columnCount(); ++column) {
        tvItems->resizeColumnToContents(column);
        tvItems->setColumnWidth(column,
                                std::max(tvItems->columnWidth(column), least[column] * letter));
    }
    resize(letter * 100, sizeHint().height() * 3 / 2);
}

void TFormRecycleBin::ListItems(int row)
{
    tvItems->clear();
    QList<QTreeWidgetItem*> rows;
    for (const TRecycleBin::TItem& item : TRecycleBin(FDbAccess.Handle()).List()) {
        auto* line = new QTreeWidgetItem({item.What, KindOf(item.TableName), item.Place,
                                          QDateTime::fromMSecsSinceEpoch(item.Deleted)
                                              .toString(QStringLiteral("yyyy-MM-dd hh:mm"))});
        line->setData(0, Qt::UserRole, item.ItemId);
        rows << line;
    }
    tvItems->addTopLevelItems(rows);
    const bool empty = rows.isEmpty();
    tvItems->setVisible(!empty);
    lblEmpty->setVisible(empty);
    if (!empty)
        tvItems->setCurrentItem(rows.at(std::min(row, int(rows.size()) - 1)));
    SelectionChanged();
    (empty ? static_cast<QWidget*>(btnClose) : tvItems)->setFocus();
}

void TFormRecycleBin::SelectionChanged()
{
    const bool chosen = ChosenItem() != 0;
    btnRestore->setEnabled(chosen);
    btnErase->setEnabled(chosen);
}

qint64 TFormRecycleBin::ChosenItem() const
{
    const QTreeWidgetItem* item = tvItems->currentItem();
    return item && item->isSelected() ? item->data(0, Qt::UserRole).toLongLong() : 0;
}

void TFormRecycleBin::RestoreClick()
{
    const qint64 item = ChosenItem();
    if (!item)
        return;
    const int row = tvItems->indexOfTopLevelItem(tvItems->currentItem());
    TWriteTransaction transaction(FDbAccess);
    const TRecycleBin::TRestored restored = TRecycleBin(FDbAccess.Handle()).Restore(item);
    transaction.Commit();
    ListItems(row);
    if (Restored)
        Restored(restored);
}

void TFormRecycleBin::EraseClick()
{
    const qint64 item = ChosenItem();
    if (!item)
        return;
    const int row = tvItems->indexOfTopLevelItem(tvItems->currentItem());
    if (!AskYesNo(
            FDialogs,
            tr("确定要彻底删除“%1”吗？删除后无法找回。").arg(tvItems->currentItem()->text(0))))
        return;
    TWriteTransaction transaction(FDbAccess);
    TRecycleBin(FDbAccess.Handle()).Erase(item);
    transaction.Commit();
    ListItems(row);
}

void EraseExpiredBinItems(TDbAccess& dbAccess)
{
    TWriteTransaction transaction(dbAccess);
    TRecycleBin(dbAccess.Handle()).EraseExpired();
    transaction.Commit();
}
