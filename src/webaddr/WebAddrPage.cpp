#include "webaddr/WebAddrPage.h"

#include "common/CardException.h"
#include "common/Messages.h"
#include "common/TextUtil.h"
#include "controls/CardDBGrid.h"
#include "data/DbAccess.h"
#include "groups/CardTree.h"
#include "groups/GroupCommands.h"
#include "webaddr/AddressDialogs.h"
#include "webaddr/IE.h"

#include <QAction>
#include <QHBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QSplitter>
#include <QTreeWidget>

namespace {
const QString RootCaption = QStringLiteral("全部");
} // namespace

TWebAddrPage::TWebAddrPage(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    spl1 = new QSplitter(Qt::Horizontal, this);
    layout->addWidget(spl1);

    pnl2 = new QWidget(spl1);
    auto* left = new QHBoxLayout(pnl2);
    left->setContentsMargins(0, 0, 0, 0);
    tvIE = new QTreeWidget(pnl2);
    tvIE->setIndentation(19);
    left->addWidget(tvIE);

    pnl3 = new QWidget(spl1);
    auto* right = new QHBoxLayout(pnl3);
    right->setContentsMargins(0, 0, 0, 0);
    DBGrid1 = new TCardDBGrid(pnl3);
    DBGrid1->SetGridEvenColor(QColor(0xFF, 0xFB, 0xF0)); // cream
    right->addWidget(DBGrid1);

    spl1->addWidget(pnl2);
    spl1->addWidget(pnl3);
    spl1->setStretchFactor(0, 0);
    spl1->setStretchFactor(1, 1);
    spl1->setChildrenCollapsible(false);
    spl1->setSizes({200, 600});

    FIETree = std::make_unique<TCardTree>(tvIE, QStringLiteral("IEType"), RootCaption,
                                          TTreePictures::WebPages);
    FIECommands = std::make_unique<TGroupCommands>(*FIETree);
    FIECommands->AfterAdd = [this] {
        IEStore.ListAddresses(*DBGrid1, FIETree->SelectedIndex());
    };
    FIECommands->DeleteContent = [](const QString& selfIndex) {
        IEStore.DeleteAddressesOfType(selfIndex);
    };
    FIECommands->ShowSelected = [this] {
        tvIEClick();
    };
    N5 = FIECommands->AppendCommand(QStringLiteral("新建网址"), [this] { N5Click(); });

    // Only a click of the mouse lists another group; moving with the keys does not.
    tvIE->viewport()->installEventFilter(this);

    pmIE = new QMenu(this);
    N1 = pmIE->addAction(QStringLiteral("新建"));
    N2 = pmIE->addAction(QStringLiteral("修改"));
    N3 = pmIE->addAction(QStringLiteral("删除"));
    pmIE->addSeparator();
    N8 = pmIE->addAction(QStringLiteral("打开网页"));
    ConnectGuarded(N1, &QAction::triggered, this, [this] { N1Click(); });
    ConnectGuarded(N2, &QAction::triggered, this, [this] { N2Click(); });
    ConnectGuarded(N3, &QAction::triggered, this, [this] { N3Click(); });
    ConnectGuarded(N8, &QAction::triggered, this, [this] { N8Click(); });

    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    ConnectGuarded(DBGrid1, &QWidget::customContextMenuRequested, this,
                   [this](const QPoint& position) {
                       pmIE->popup(DBGrid1->viewport()->mapToGlobal(position));
                   });
    ConnectGuarded(DBGrid1, &TCardDBGrid::DblClick, this, [this] { DBGrid1DblClick(); });
}

TWebAddrPage::~TWebAddrPage()
{
    // The commands refer to the tree: they go first.
    FIECommands.reset();
    FIETree.reset();
}

QMenu* TWebAddrPage::pmIEType() const
{
    return FIECommands->Menu();
}

void TWebAddrPage::LoadGroups()
{
    FIETree->LoadGroups();
}

void TWebAddrPage::ListAllAddresses()
{
    IEStore.ListAddresses(*DBGrid1, 0);
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
    return QWidget::eventFilter(watched, event);
}

bool TWebAddrPage::SelectionIsRoot() const
{
    const QTreeWidgetItem* node = FIETree->Selected();
    return !node || node == FIETree->RootNode();
}

void TWebAddrPage::tvIEClick()
{
    IEStore.ListAddresses(*DBGrid1, SelectionIsRoot() ? 0 : FIETree->SelectedIndex());
}

void TWebAddrPage::AddAddress()
{
    const QString groupName = SelectionIsRoot() ? RootCaption : FIETree->Selected()->text(0);
    // Addresses saved with "保存后继续新建" show at once, even when the dialog then ends with
    // Cancel.
    int saved = 0;
    const TModalResult result = ShowAddAddress(FIETree->SelectedIndex(), groupName, &saved);
    AfterAddressDialog(saved > 0 ? mrOK : result);
}

void TWebAddrPage::N1Click()
{
    AddAddress();
}

void TWebAddrPage::N5Click()
{
    AddAddress();
}

void TWebAddrPage::N2Click()
{
    if (DBGrid1->IsEmpty())
        return;
    AfterAddressDialog(ShowModifyAddress(DBGrid1->CurrentValue(QStringLiteral("ID"))));
}

void TWebAddrPage::AfterAddressDialog(TModalResult result)
{
    // The tree first: a list that cannot be re-read must not keep it from counting the groups
    // added in the chooser.
    FIETree->Reload();
    if (result == mrOK)
        DbAccess->RequeryGrid();
}

void TWebAddrPage::N3Click()
{
    if (DBGrid1->IsEmpty())
        return;
    const QString id = DBGrid1->CurrentValue(QStringLiteral("ID"));
    const QString title = DBGrid1->CurrentValue(QStringLiteral("标题"));
    if (AskYesNo(QStringLiteral("确实要删除：＂") + title + QStringLiteral("＂吗?")))
        IEStore.DeleteAddress(id);
}

void TWebAddrPage::OpenCurrentAddress()
{
    if (DBGrid1->IsEmpty())
        return;
    const QString url = DBGrid1->CurrentValue(QStringLiteral("网址"));
    if (!IsBlank(url))
        OpenUrl(url);
}

void TWebAddrPage::N8Click()
{
    OpenCurrentAddress();
}

void TWebAddrPage::DBGrid1DblClick()
{
    OpenCurrentAddress();
}
