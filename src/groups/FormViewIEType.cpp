#include "groups/FormViewIEType.h"

#include "common/CardException.h"
#include "groups/CardTree.h"
#include "groups/GroupDialogs.h"

#include <QBoxLayout>
#include <QPushButton>
#include <QTreeWidget>

TFormViewIEType::TFormViewIEType(QWidget* parent) : TFormBaseDlg(parent)
{
    setWindowTitle(QStringLiteral("选择组"));
    resize(288, 381);

    tv1 = new QTreeWidget(Body);
    tv1->setIndentation(19);
    auto* layout = new QVBoxLayout(Body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tv1);

    btn1 = new QPushButton(QStringLiteral("新建分组"), pnlBottom);
    btn1->setFixedSize(75, 25);
    if (auto* bar = qobject_cast<QBoxLayout*>(pnlBottom->layout()))
        bar->insertWidget(0, btn1);

    setTabOrder(tv1, btn1);
    setTabOrder(btn1, btnOK);
    tv1->setFocus();

    FGroupTree = std::make_unique<TCardTree>(tv1, QStringLiteral("IEType"), QStringLiteral("全部"),
                                             TTreePictures::Folders);

    ConnectGuarded(btn1, &QPushButton::clicked, this, [this] { btn1Click(); });
    ConnectGuarded(tv1, &QTreeWidget::itemDoubleClicked, this, [this] { btnOKClick(); });
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

void TFormViewIEType::btn1Click()
{
    QTreeWidgetItem* node = FGroupTree->Selected();
    if (!node)
        return;
    QString name;
    if (InputGroupName(PositionText(node), name) == mrOK)
        FGroupTree->AddGroup(name);
}
