#include "groups/FormViewIEType.h"

#include "common/CardException.h"
#include "groups/CardTree.h"
#include "groups/GroupDialogs.h"

#include <QBoxLayout>
#include <QPushButton>
#include <QTreeWidget>

TFormViewIEType::TFormViewIEType(TDbAccess& dbAccess, TUserDialogs& dialogs, QWidget* parent)
    : TFormBaseDlg(parent)
{
    setWindowTitle(tr("选择组"));
    resize(288, 381);

    tvGroups = new QTreeWidget(Body);
    tvGroups->setIndentation(19);
    tvGroups->setAccessibleName(tr("网址分组"));
    auto* layout = new QVBoxLayout(Body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tvGroups);

    btnNewGroup = new QPushButton(tr("新建分组"), pnlBottom);
    btnNewGroup->setAccessibleName(tr("新建分组"));
    FitButton(btnNewGroup);
    if (auto* bar = qobject_cast<QBoxLayout*>(pnlBottom->layout()))
        bar->insertWidget(0, btnNewGroup);

    setTabOrder(tvGroups, btnNewGroup);
    setTabOrder(btnNewGroup, btnOK);
    tvGroups->setFocus();

    FGroupTree = std::make_unique<TCardTree>(dbAccess, dialogs, tvGroups, QStringLiteral("IEType"),
                                             tr("全部"), TTreePictures::Folders);

    ConnectGuarded(btnNewGroup, &QPushButton::clicked, this, [this] { btnNewGroupClick(); });
    ConnectGuarded(tvGroups, &QTreeWidget::itemDoubleClicked, this, [this] { btnOKClick(); });
}

TFormViewIEType::~TFormViewIEType() = default;

void TFormViewIEType::showEvent(QShowEvent* event)
{
    TFormBaseDlg::showEvent(event);
    if (FShown)
        return;
    FShown = true;
    RunGuarded([this] { FormShow(); });
}

void TFormViewIEType::FormShow()
{
    FGroupTree->LoadGroups();
}

void TFormViewIEType::btnOKClick()
{
    QTreeWidgetItem* node = FGroupTree->Selected();
    if (!node)
        return;
    ChosenIndex = node == FGroupTree->RootNode() ? 0 : FGroupTree->SelectedIndex();
    SetModalResult(mrOK);
}

void TFormViewIEType::btnNewGroupClick()
{
    QTreeWidgetItem* node = FGroupTree->Selected();
    if (!node)
        return;
    QString name;
    // A name already taken is refused while the name dialog is open.
    if (InputGroupName(FGroupTree->Dialogs(), PositionText(node), name,
                       [this](const QString& typed) { FGroupTree->RequireFreeName(typed); }) ==
        mrOK)
        FGroupTree->AddGroup(name);
}
