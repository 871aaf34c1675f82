#include "controls/CardEdtBut.h"

#include "common/CardException.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QToolButton>

#include <limits>

namespace {
// What the sunken frame of the edit takes on each side: the button sits inside it.
constexpr int FrameInset = 2;
} // namespace

TCardEdtBut::TCardEdtBut(QWidget* parent)
    : QLineEdit(parent), FPanel(new QWidget(this)), FButton(new QToolButton(FPanel))
{
    // The button never takes the focus: a click leaves it in the edit.
    FButton->setFocusPolicy(Qt::NoFocus);
    setMaxLength(std::numeric_limits<int>::max()); // a stored name is never cut
    FButton->setCursor(Qt::ArrowCursor);
    FButton->setIconSize(QSize(ButtonGlyphSide, ButtonGlyphSide));
    FPanel->setCursor(Qt::ArrowCursor);
    ApplyGlyph();
    ConnectGuarded(FButton, &QToolButton::clicked, this, [this] { ButClick(); });
    UpdateButtonLayout();
}

TCardEdtBut::~TCardEdtBut() = default;

void TCardEdtBut::SetButVisible(bool visible)
{
    if (visible == FButVisible)
        return;
    FButVisible = visible;
    UpdateButtonLayout();
}

void TCardEdtBut::SetButtonBmp(TBmpCount bmp)
{
    if (bmp == FButtonBmp)
        return;
    FButtonBmp = bmp;
    ApplyGlyph();
}

void TCardEdtBut::ApplyGlyph()
{
    // The button gets its own copies of the two pictures of the shared strip.
    const QImage& strip = LoadButtonGlyph(FButtonBmp);
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(strip.copy(0, 0, ButtonGlyphSide, ButtonGlyphSide)),
                   QIcon::Normal);
    icon.addPixmap(
        QPixmap::fromImage(strip.copy(ButtonGlyphSide, 0, ButtonGlyphSide, ButtonGlyphSide)),
        QIcon::Disabled);
    FButton->setIcon(icon);
    // The glyph is all the button shows; its name says what it stands for.
    static const char* const Names[ButtonGlyphCount] = {
        QT_TRANSLATE_NOOP("TCardEdtBut", "展开"), QT_TRANSLATE_NOOP("TCardEdtBut", "确定"),
        QT_TRANSLATE_NOOP("TCardEdtBut", "浏览"), QT_TRANSLATE_NOOP("TCardEdtBut", "选择分组"),
        QT_TRANSLATE_NOOP("TCardEdtBut", "查找")};
    FButton->setAccessibleName(tr(Names[int(FButtonBmp)]));
}

void TCardEdtBut::UpdateButtonLayout()
{
    const QMargins margins = textMargins();
    if (!FButVisible) {
        FPanel->setGeometry(0, 0, 0, 0);
        FButton->setGeometry(0, 0, 0, 0);
        FPanel->hide();
        setTextMargins(margins.left(), margins.top(), 0, margins.bottom());
        return;
    }
    const int inset = hasFrame() ? FrameInset : 0;
    const int side = qMax(0, height() - 2 * inset);
    FPanel->setGeometry(width() - inset - side, inset, side, side);
    FButton->setGeometry(0, 0, side, side);
    FPanel->show();
    setTextMargins(margins.left(), margins.top(), side, margins.bottom());
}

void TCardEdtBut::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    RunGuarded([this] { UpdateButtonLayout(); });
}

void TCardEdtBut::ButClick()
{
    setFocus(Qt::MouseFocusReason);
    if (OnButClick)
        OnButClick(this);
}
