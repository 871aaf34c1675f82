#include "controls/FormBaseDlg.h"

#include "common/CardException.h"
#include "common/gui/ScreenCentre.h"

#include <QApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Dialogs are created without an owner; they still centre on, and stay above, the window that
// was active when they were opened.
QWidget* DefaultParent(QWidget* parent)
{
    return parent ? parent : QApplication::activeWindow();
}
} // namespace

void FitButton(QPushButton* button, QSize least)
{
    // The caption's room as the style gives it, then at least the designed size.
    const QFontMetrics metrics = button->fontMetrics();
    const QSize text(metrics.horizontalAdvance(button->text()) + 2 * metrics.averageCharWidth(),
                     metrics.height() + 8);
    button->setFixedSize(least.expandedTo(text));
}

TFormBaseDlg::TFormBaseDlg(QWidget* parent) : QDialog(DefaultParent(parent))
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    resize(491, 314);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    bvlTop = new QFrame(this);
    bvlTop->setFrameShape(QFrame::HLine);
    bvlTop->setFrameShadow(QFrame::Sunken);
    bvlTop->setFixedHeight(4);
    layout->addWidget(bvlTop);

    Body = new QWidget(this);
    layout->addWidget(Body, 1);

    bvlBottom = new QFrame(this);
    bvlBottom->setFrameShape(QFrame::HLine);
    bvlBottom->setFrameShadow(QFrame::Sunken);
    bvlBottom->setFixedHeight(4);
    layout->addWidget(bvlBottom);

    pnlBottom = new QWidget(this);
    pnlBottom->setMinimumHeight(34);
    auto* bar = new QHBoxLayout(pnlBottom);
    bar->setContentsMargins(8, 4, 8, 5);
    bar->setSpacing(1);
    bar->addStretch(1);
    btnOK = new QPushButton(tr("确定(&O)"), pnlBottom);
    btnCancel = new QPushButton(tr("取消(&C)"), pnlBottom);
    btnOK->setAccessibleName(tr("确定"));
    btnCancel->setAccessibleName(tr("取消"));
    for (QPushButton* button : {btnOK, btnCancel}) {
        FitButton(button);
        bar->addWidget(button);
    }
    btnOK->setDefault(true);
    btnCancel->setAutoDefault(false);
    layout->addWidget(pnlBottom);
    setTabOrder(btnOK, btnCancel);

    // Qt centres a dialog without an owner by a guess at the frame and before it has grown to
    // its font: the login prompt stood off the screen's middle.
    if (!parentWidget())
        KeepCentredOnScreen(*this);

    ConnectGuarded(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    ConnectGuarded(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

TFormBaseDlg::~TFormBaseDlg() = default;

TModalResult TFormBaseDlg::ShowModal()
{
    FModalResult = mrNone;
    exec();
    // Esc and the close box end the dialog without a result of their own: that is Cancel.
    return FModalResult == mrOK ? mrOK : mrCancel;
}

void TFormBaseDlg::SetModalResult(TModalResult result)
{
    FModalResult = result;
    if (result == mrOK)
        accept();
    else if (result != mrNone)
        reject();
}
