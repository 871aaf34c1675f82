#include "webaddr/FormBaseIE.h"

#include "common/CardException.h"
#include "common/Messages.h"
#include "common/TextUtil.h"
#include "common/gui/Contrast.h"
#include "controls/CardEdtBut.h"
#include "groups/GroupDialogs.h"
#include "webaddr/IE.h"
#include "webaddr/WebPictures.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <initializer_list>
#include <limits>

namespace {

// The label names its field for the accessibility tools and its mnemonic-less caption still
// moves the focus there through the buddy.
QLabel* FieldLabel(const QString& caption, QWidget* field, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setMinimumWidth(qMax(60, label->sizeHint().width()));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(field);
    field->setAccessibleName(caption);
    return label;
}

} // namespace

TFormBaseIE::TFormBaseIE(TIE& store, TUserDialogs& dialogs, QWidget* parent)
    : TFormBaseDlg(parent), FStore(store), FDialogs(dialogs)
{
    resize(408, 300);

    auto* grid = new QGridLayout(Body);
    grid->setContentsMargins(14, 16, 14, 8);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(12);

    edtGroup = new TCardEdtBut(Body);
    lblGroup = FieldLabel(tr("分组"), edtGroup, Body);
    edtGroup->setAccessibleDescription(tr("按 F4 选择分组"));
    edtGroup->setReadOnly(true);
    QPalette face = edtGroup->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    edtGroup->setPalette(face);
    // The text cannot be typed into; the cursor says so, the button keeps its arrow.
    edtGroup->setCursor(Qt::ForbiddenCursor);
    edtGroup->SetButtonBmp(TButtonGlyph::CardFind);
    // The magnifier, but what the button does is choose a group.
    if (QToolButton* button = edtGroup->Button())
        button->setAccessibleName(tr("选择分组"));
    edtGroup->setText(tr("未分组"));
    edtGroup->OnButClick = [this](TCardEdtBut*) {
        edtGroupButClick();
    };
    // Nothing can be typed there: Tab passes it by, F4 or Alt+Down opens the chooser.
    edtGroup->setFocusPolicy(Qt::ClickFocus);

    edtIE = new QLineEdit(Body);
    lblAddress = FieldLabel(tr("网址"), edtIE, Body);
    QPalette blue = edtIE->palette();
    blue.setColor(QPalette::Text, AddressColour(blue));
    edtIE->setPalette(blue);

    // A button, so that it shows when it has the focus and screen readers offer it as one;
    // Space or Enter on it opens the address.
    imgOpen = new QToolButton(Body);
    imgOpen->setIcon(BrowserPicture());
    imgOpen->setIconSize(QSize(16, 16));
    imgOpen->setAutoRaise(true);
    // The style's own mark on a flat button is too faint to be seen: the focus has a frame in
    // the highlight colour.
    imgOpen->setStyleSheet(
        QStringLiteral("QToolButton { border: 2px solid transparent; border-radius: 3px; }"
                       "QToolButton:focus { border-color: palette(highlight); }"
                       "QToolButton:hover { border-color: palette(mid); }"));
    imgOpen->setCursor(Qt::PointingHandCursor);
    imgOpen->setToolTip(tr("在浏览器中打开"));
    imgOpen->setAccessibleName(tr("在浏览器中打开"));
    imgOpen->installEventFilter(this);
    imgOpen->setFocusPolicy(Qt::TabFocus);
    ConnectGuarded(imgOpen, &QToolButton::clicked, this, [this] { imgOpenClick(); });

    edtName = new QLineEdit(Body);
    lblTitle = FieldLabel(tr("标题"), edtName, Body);

    mmoRemark = new QPlainTextEdit(Body);
    lblRemark = FieldLabel(tr("备注"), mmoRemark, Body);
    mmoRemark->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmoRemark->setTabChangesFocus(true);
    // Four lines of the font at least, and never lower than the design height.
    mmoRemark->setFixedHeight(
        qMax(93, 4 * mmoRemark->fontMetrics().lineSpacing() + 2 * mmoRemark->frameWidth() + 8));
    mmoRemark->installEventFilter(this);

    for (QWidget* input : std::initializer_list<QWidget*>{edtGroup, edtIE, edtName, mmoRemark})
        input->setMinimumWidth(256);
    // A stored address or title is never cut at the edit's default length.
    for (QLineEdit* edit : {edtIE, edtName})
        edit->setMaxLength(std::numeric_limits<int>::max());

    // The icon stands just right of the address.
    auto* address = new QHBoxLayout;
    address->setSpacing(2);
    address->addWidget(edtIE);
    address->addWidget(imgOpen);
    address->addStretch(1);

    grid->addWidget(lblGroup, 0, 0);
    grid->addWidget(edtGroup, 0, 1, Qt::AlignLeft);
    grid->addWidget(lblAddress, 1, 0);
    AddressColumn = new QVBoxLayout;
    AddressColumn->setSpacing(2);
    AddressColumn->addLayout(address);
    grid->addLayout(AddressColumn, 1, 1);
    grid->addWidget(lblTitle, 2, 0);
    grid->addWidget(edtName, 2, 1, Qt::AlignLeft);
    grid->addWidget(lblRemark, 3, 0, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(mmoRemark, 3, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);

    // Tab goes from field to field as they are typed, the address to the title; the globe,
    // which would take a title typed on it for nothing, comes after the buttons.
    setTabOrder(edtIE, edtName);
    setTabOrder(edtName, mmoRemark);
    setTabOrder(mmoRemark, btnOK);
    setTabOrder(btnOK, btnCancel);
    setTabOrder(btnCancel, imgOpen);
}

TFormBaseIE::~TFormBaseIE() = default;

QColor TFormBaseIE::AddressColour(const QPalette& palette)
{
    // Blue reads well only on a light base; a dark scheme's link colour is made for its base.
    return IsDark(palette.color(QPalette::Base)) ? palette.color(QPalette::Link) : QColor(Qt::blue);
}

void TFormBaseIE::edtGroupButClick()
{
    int index = 0;
    QString name;
    if (ChooseGroup(FStore.Connection(), FDialogs, index, name) == mrOK) {
        GroupID = index;
        edtGroup->setText(name);
    }
    edtIE->setFocus();
}

void TFormBaseIE::imgOpenClick()
{
    if (!IsBlank(edtIE->text()))
        OpenUrl(FDialogs, edtIE->text());
}

void TFormBaseIE::SetRemark(const QString& remark)
{
    mmoRemark->setPlainText(remark);
    FStoredRemark = remark;
    FShownRemark = mmoRemark->toPlainText();
}

QString TFormBaseIE::Remark() const
{
    const QString shown = mmoRemark->toPlainText();
    return shown == FShownRemark ? FStoredRemark : shown;
}

bool TFormBaseIE::ValidateUrl()
{
    if (!IsBlank(edtIE->text()))
        return true;
    ShowError(FDialogs, tr("网址不能为空！"));
    return false;
}

void TFormBaseIE::CopyToStore() const
{
    FStore.TypeID = GroupID;
    FStore.IEUrl = edtIE->text();
    FStore.IEName = edtName->text();
    FStore.ReMark = Remark();
}

void TFormBaseIE::showEvent(QShowEvent* event)
{
    // The design size is the least; a larger font makes the dialog grow instead of cutting.
    setMinimumSize(QSize(408, 300).expandedTo(minimumSizeHint()));
    resize(size().expandedTo(minimumSize()));
    TFormBaseDlg::showEvent(event);
    edtIE->setFocus();
}

void TFormBaseIE::keyPressEvent(QKeyEvent* event)
{
    // The keys that no field takes for itself come here.
    if (IsChooserKey(*event)) {
        RunGuarded([this] { edtGroupButClick(); });
        return;
    }
    if (IsOKKey(*event)) {
        btnOK->click();
        return;
    }
    TFormBaseDlg::keyPressEvent(event);
}

bool TFormBaseIE::IsChooserKey(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    return (key.key() == Qt::Key_F4 && modifiers == Qt::NoModifier) ||
           (key.key() == Qt::Key_Down && modifiers == Qt::AltModifier);
}

bool TFormBaseIE::IsOKKey(const QKeyEvent& key)
{
    // Enter alone makes a new line in the remark; Ctrl+Enter is OK everywhere.
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) &&
           modifiers == Qt::ControlModifier;
}

bool TFormBaseIE::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mmoRemark && event->type() == QEvent::KeyPress &&
        IsOKKey(*static_cast<QKeyEvent*>(event))) {
        btnOK->click();
        return true;
    }
    // Enter on the globe opens the address, as Space does, instead of pressing OK.
    if (watched == imgOpen && event->type() == QEvent::KeyPress) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        const bool plain = (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (plain && (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)) {
            RunGuarded([this] { imgOpenClick(); });
            return true;
        }
    }
    return TFormBaseDlg::eventFilter(watched, event);
}
