#include "webaddr/WebAddrPage.h"

#include "common/CardException.h"
#include "common/Messages.h"
#include "common/TextUtil.h"
#include "controls/CardDBGrid.h"
#include "data/DbAccess.h"
#include "data/GridSet.h"
#include "data/RecycleBin.h"
#include "groups/CardTree.h"
#include "groups/GroupCommands.h"
#include "webaddr/AddressDialogs.h"
#include "webaddr/IE.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <utility>

namespace {
// The root's caption is translated where it is shown.
const char* const RootCaption = QT_TRANSLATE_NOOP("TWebAddrPage", "全部");

// Shows the key beside the item. The shortcut's context belongs to no widget the menu is shown
// for, so it never fires by itself: the key stays the list's alone.
void ShowKeyInMenu(QAction& action, const QKeySequence& key)
{
    action.setShortcut(key);
    action.setShortcutContext(Qt::WidgetShortcut);
    action.setShortcutVisibleInContextMenu(true);
}
} // namespace

TWebAddrPage::TWebAddrPage(TIE& store, TUserDialogs& dialogs, QWidget* parent)
    : QWidget(parent), FStore(store), FDialogs(dialogs)
{
    setObjectName(QStringLiteral("WebAddrPage"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("splitter"));
    layout->addWidget(splitter);

    pnlGroupTree = new QWidget(splitter);
    pnlGroupTree->setObjectName(QStringLiteral("pnlGroupTree"));
    auto* left = new QHBoxLayout(pnlGroupTree);
    left->setContentsMargins(0, 0, 0, 0);
    tvIE = new QTreeWidget(pnlGroupTree);
    tvIE->setObjectName(QStringLiteral("tvIE"));
    tvIE->setIndentation(19);
    tvIE->setAccessibleName(tr("网址分组"));
    left->addWidget(tvIE);

    pnlAddressGrid = new QWidget(splitter);
    pnlAddressGrid->setObjectName(QStringLiteral("pnlAddressGrid"));
    auto* right = new QHBoxLayout(pnlAddressGrid);
    right->setContentsMargins(0, 0, 0, 0);
    AddressGrid = new TCardDBGrid(pnlAddressGrid);
    AddressGrid->setObjectName(QStringLiteral("AddressGrid"));
    AddressGrid->setAccessibleName(tr("网址列表"));
    // The stripes stay the grid's own: cream on a light palette, a shade of the base on a dark
    // one.
    right->addWidget(AddressGrid);

    splitter->addWidget(pnlGroupTree);
    splitter->addWidget(pnlAddressGrid);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    splitter->setSizes({200, 600});

    FIETree =
        std::make_unique<TCardTree>(FStore.Connection(), FDialogs, tvIE, QStringLiteral("IEType"),
                                    tr(RootCaption), TTreePictures::WebPages);
    FIECommands = std::make_unique<TGroupCommands>(*FIETree);
    ConnectGuarded(FIECommands.get(), &TGroupCommands::GroupAdded, this, [this] { tvIEClick(); });
    FIECommands->DescribeContent = [this](const QString& groupIndex) {
        const int count = FStore.CountAddressesOfType(groupIndex);
        return count > 0 ? tr("该分组中的 %n 个网址将一并删除。", nullptr, count) : QString();
    };
    ConnectGuarded(FIECommands.get(), &TGroupCommands::GroupDeleted, this, [this] { tvIEClick(); });
    actNewAddressInGroup = FIECommands->AppendCommand(tr("新建网址"));
    actNewAddressInGroup->setObjectName(QStringLiteral("actNewAddressInGroup"));
    ConnectGuarded(actNewAddressInGroup, &QAction::triggered, this,
                   [this] { NewAddressInGroupClick(); });

    // A click lists its group when the button comes up; the keys list theirs once they rest.
    tvIE->viewport()->installEventFilter(this);
    FFollowTimer = new QTimer(this);
    FFollowTimer->setSingleShot(true);
    FFollowTimer->setInterval(120);
    ConnectGuarded(FFollowTimer, &QTimer::timeout, this, [this] { FollowSelection(); });
    ConnectGuarded(tvIE, &QTreeWidget::currentItemChanged, this, [this] { SelectionMoved(); });

    pmIE = new QMenu(this);
    pmIE->setObjectName(QStringLiteral("pmIE"));
    actNewAddress = pmIE->addAction(tr("新建"));
    actNewAddress->setObjectName(QStringLiteral("actNewAddress"));
    actModifyAddress = pmIE->addAction(tr("修改"));
    actModifyAddress->setObjectName(QStringLiteral("actModifyAddress"));
    actDeleteAddress = pmIE->addAction(tr("删除"));
    actDeleteAddress->setObjectName(QStringLiteral("actDeleteAddress"));
    pmIE->addSeparator();
    actOpenAddress = pmIE->addAction(tr("打开网页"));
    actOpenAddress->setObjectName(QStringLiteral("actOpenAddress"));
    // The list's own key handling runs these keys (AddressGridKey); the menu only shows them,
    // so each key still fires once.
    const std::pair<QAction*, QKeySequence> keys[] = {
        {actNewAddress, QKeySequence(Qt::Key_Insert)},
        {actModifyAddress, QKeySequence(Qt::Key_F2)},
        {actDeleteAddress, QKeySequence(Qt::Key_Delete)},
        {actOpenAddress, QKeySequence(Qt::Key_Return)}};
    for (const auto& [action, key] : keys)
        ShowKeyInMenu(*action, key);
    ConnectGuarded(actNewAddress, &QAction::triggered, this, [this] { NewAddressClick(); });
    ConnectGuarded(actModifyAddress, &QAction::triggered, this, [this] { ModifyAddressClick(); });
    ConnectGuarded(actDeleteAddress, &QAction::triggered, this, [this] { DeleteAddressClick(); });
    ConnectGuarded(actOpenAddress, &QAction::triggered, this, [this] { OpenAddressClick(); });

    AddressGrid->SetPlaceholderText(tr("右键点击这里新建网址，或复制网址后按 Insert"));
    AddressGrid->installEventFilter(this);
    AddressGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    ConnectGuarded(AddressGrid, &QWidget::customContextMenuRequested, this,
                   [this](const QPoint& position) {
                       pmIE->popup(AddressGrid->viewport()->mapToGlobal(position));
                   });
    ConnectGuarded(AddressGrid, &TCardDBGrid::DblClick, this, [this] { AddressGridDblClick(); });
}

TWebAddrPage::~TWebAddrPage()
{
    FFollowTimer->stop();
    tvIE->disconnect(this);
    AddressGrid->removeEventFilter(this);
    // The commands refer to the tree: they go first.
    FIECommands.reset();
    FIETree.reset();
}

bool TWebAddrPage::MakeCurrent(const QString& id)
{
    return MakeCurrent(QStringLiteral("ID"), id);
}

bool TWebAddrPage::MakeCurrent(const QString& field, const QString& id)
{
    const int idColumn = AddressGrid->ColumnOf(field);
    QAbstractItemModel* model = AddressGrid->model();
    for (int row = 0; model && idColumn >= 0 && row < model->rowCount(); ++row) {
        if (model->index(row, idColumn).data().toString() != id)
            continue;
        const int shown = AddressGrid->ColumnOf(QStringLiteral("标题"));
        const QModelIndex index = model->index(row, std::max(0, shown));
        AddressGrid->setCurrentIndex(index);
        AddressGrid->scrollTo(index);
        return true;
    }
    return false;
}

void TWebAddrPage::SelectAddress(const QString& id)
{
    MakeCurrent(id);
    AddressGrid->setFocus();
}

QString TWebAddrPage::CurrentAddressId() const
{
    return AddressGrid->IsEmpty() ? QString() : AddressGrid->CurrentValue(QStringLiteral("ID"));
}

void TWebAddrPage::ListAgainIfClosed(const QString& currentId)
{
    if (!FListed || FStore.Connection().GridSet().Active())
        return;
    FStore.ListAddresses(*AddressGrid, FListedIndex);
    if (!currentId.isEmpty())
        MakeCurrent(currentId);
}

void TWebAddrPage::LoadGroups()
{
    FIETree->LoadGroups();
}

void TWebAddrPage::BeginFollow()
{
    FIETree->BeginReload();
}

bool TWebAddrPage::FollowStep(std::chrono::nanoseconds budget)
{
    if (FIETree->Reloading()) {
        if (FIETree->ReloadStep(budget))
            FIETree->EndReload();
        return false;
    }
    // A list not read yet is read when it is seen.
    if (!FListed || FListWhenShown)
        return true;
    if (!FKeepCurrent) {
        FKeepId = CurrentAddressId();
        FKeepUrl =
            FKeepId.isEmpty() ? QString() : AddressGrid->CurrentValue(QStringLiteral("网址"));
        FKeepScroll = AddressGrid->verticalScrollBar()->value();
        FKeepCurrent = true;
    }
    if (isVisible())
        ListKeepingCurrent();
    else
        FListWhenShown = true;
    return true;
}

void TWebAddrPage::ListKeepingCurrent()
{
    const bool keep = std::exchange(FKeepCurrent, false);
    tvIEClick();
    if (!keep)
        return;
    if (!FKeepId.isEmpty() && !MakeCurrent(FKeepId))
        MakeCurrent(QStringLiteral("网址"), FKeepUrl);
    AddressGrid->verticalScrollBar()->setValue(FKeepScroll);
}

void TWebAddrPage::ListAllAddresses()
{
    FFollowTimer->stop();
    FListWhenShown = false;
    FListed = true;
    FStore.ListAddresses(*AddressGrid, 0);
    FListedIndex = 0;
}

void TWebAddrPage::Clear()
{
    FIETree->Clear();
    // The emptied tree's selection must not list anything afterwards.
    FFollowTimer->stop();
    FListWhenShown = false;
}

void TWebAddrPage::FirstShow()
{
    LoadGroups();
    ListAllAddresses();
}

bool TWebAddrPage::eventFilter(QObject* watched, QEvent* event)
{
    // The press has already moved the selection when the button comes up.
    if (watched == tvIE->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        RunGuarded([this] { tvIEClick(); });
    if (watched == AddressGrid && event->type() == QEvent::KeyPress) {
        bool handled = false;
        RunGuarded([&] { handled = AddressGridKey(*static_cast<QKeyEvent*>(event)); });
        if (handled)
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool TWebAddrPage::AddressGridKey(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier)
        return false;
    QAction* action = nullptr;
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        action = actOpenAddress;
        break;
    case Qt::Key_Insert:
        action = actNewAddress;
        break;
    case Qt::Key_F2:
        action = actModifyAddress;
        break;
    case Qt::Key_Delete:
        action = actDeleteAddress;
        break;
    default:
        return false;
    }
    action->trigger();
    return true;
}

void TWebAddrPage::SelectionMoved()
{
    FFollowTimer->start();
}

void TWebAddrPage::FollowSelection()
{
    // A re-read tree selects the same group again: the list shown is still the right one.
    if ((SelectionIsRoot() ? 0 : FIETree->SelectedIndex()) != FListedIndex)
        tvIEClick();
}

bool TWebAddrPage::SelectionIsRoot() const
{
    const QTreeWidgetItem* node = FIETree->Selected();
    return !node || node == FIETree->RootNode();
}

void TWebAddrPage::ListWhenShown()
{
    if (isVisible())
        tvIEClick();
    else
        FListWhenShown = true;
}

void TWebAddrPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (FListWhenShown)
        RunGuarded([this] { ListKeepingCurrent(); });
}

void TWebAddrPage::tvIEClick()
{
    // A group chosen by the user lists from its top.
    FKeepCurrent = false;
    FFollowTimer->stop();
    FListWhenShown = false;
    FListed = true;
    const qint32 typeId = SelectionIsRoot() ? 0 : FIETree->SelectedIndex();
    FStore.ListAddresses(*AddressGrid, typeId);
    FListedIndex = typeId;
}

void TWebAddrPage::AddAddress()
{
    // The list still to follow the selection is shown first: the new address joins it.
    if (FFollowTimer->isActive())
        tvIEClick();
    const QString groupName = SelectionIsRoot() ? tr(RootCaption) : FIETree->Selected()->text(0);
    // Addresses saved with "保存后继续新建" show at once, even when the dialog then ends with
    // Cancel.
    int saved = 0;
    const TModalResult result =
        ShowAddAddress(FStore, FDialogs, FIETree->SelectedIndex(), groupName, &saved);
    AfterAddressDialog(saved > 0 ? mrOK : result);
}

void TWebAddrPage::NewAddressClick()
{
    AddAddress();
}

void TWebAddrPage::NewAddressInGroupClick()
{
    AddAddress();
}

void TWebAddrPage::ModifyAddressClick()
{
    if (AddressGrid->IsEmpty())
        return;
    AfterAddressDialog(
        ShowModifyAddress(FStore, FDialogs, AddressGrid->CurrentValue(QStringLiteral("ID"))));
}

void TWebAddrPage::AfterAddressDialog(TModalResult result)
{
    // The tree first: a list that cannot be re-read must not keep it from counting the groups
    // added in the chooser.
    FIETree->Reload();
    if (result != mrOK)
        return;
    FStore.Connection().RequeryGrid();
    // The texts just typed show whole, as those of a group opened.
    AddressGrid->RefitColumns();
}

void TWebAddrPage::DeleteAddressClick()
{
    if (AddressGrid->IsEmpty())
        return;
    const QString id = AddressGrid->CurrentValue(QStringLiteral("ID"));
    const QString title = AddressGrid->CurrentValue(QStringLiteral("标题"));
    if (AskYesNo(FDialogs, tr("确实要删除：＂%1＂吗?").arg(title) + QLatin1Char('\n') +
                               TRecycleBin::DeletionNote()))
        FStore.DeleteAddress(id);
}

void TWebAddrPage::OpenCurrentAddress()
{
    if (AddressGrid->IsEmpty())
        return;
    const QString url = AddressGrid->CurrentValue(QStringLiteral("网址"));
    if (!IsBlank(url))
        OpenUrl(FDialogs, url);
}

void TWebAddrPage::OpenAddressClick()
{
    OpenCurrentAddress();
}

void TWebAddrPage::AddressGridDblClick()
{
    OpenCurrentAddress();
}
