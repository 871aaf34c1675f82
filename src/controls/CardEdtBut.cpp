#include "controls/CardEdtBut.h"

#include "common/CardException.h"

#include <QAction>
#include <QIcon>
#include <QToolButton>

#include <limits>

TCardEdtBut::TCardEdtBut(QWidget* parent) : QLineEdit(parent)
{
    setMaxLength(std::numeric_limits<int>::max()); // a stored name is never cut
    actButton = addAction(ButtonGlyphIcon(FButtonBmp), QLineEdit::TrailingPosition);
    ApplyGlyph();
    ConnectGuarded(actButton, &QAction::triggered, this, [this] { ButClick(); });
}

TCardEdtBut::~TCardEdtBut() = default;

bool TCardEdtBut::ButVisible() const
{
    return actButton->isVisible();
}

void TCardEdtBut::SetButVisible(bool visible)
{
    actButton->setVisible(visible);
}

void TCardEdtBut::SetButtonBmp(TButtonGlyph bmp)
{
    if (bmp == FButtonBmp)
        return;
    FButtonBmp = bmp;
    ApplyGlyph();
}

QToolButton* TCardEdtBut::Button() const
{
    for (QObject* shown : actButton->associatedObjects())
        if (auto* button = qobject_cast<QToolButton*>(shown))
            return button;
    return nullptr;
}

void TCardEdtBut::ApplyGlyph()
{
    actButton->setIcon(ButtonGlyphIcon(FButtonBmp));
    // The glyph is all the button shows; its name says what it stands for.
    static const char* const Names[ButtonGlyphCount] = {
        QT_TRANSLATE_NOOP("TCardEdtBut", "展开"), QT_TRANSLATE_NOOP("TCardEdtBut", "确定"),
        QT_TRANSLATE_NOOP("TCardEdtBut", "浏览"), QT_TRANSLATE_NOOP("TCardEdtBut", "选择分组"),
        QT_TRANSLATE_NOOP("TCardEdtBut", "查找")};
    const QString name = tr(Names[int(FButtonBmp)]);
    actButton->setText(name);
    if (QToolButton* button = Button())
        button->setAccessibleName(name);
}

void TCardEdtBut::ButClick()
{
    setFocus(Qt::MouseFocusReason);
    if (OnButClick)
        OnButClick(this);
}
