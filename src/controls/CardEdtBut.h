#pragma once

#include "controls/ButtonGlyphs.h"

#include <QLineEdit>

#include <functional>

class QToolButton;

// A single-line edit with a small square button inside its right end. The button shows one of
// the built-in glyphs; clicking it focuses the edit and calls OnButClick. The right text margin
// is the button's width, so the text never runs under it.
class TCardEdtBut final : public QLineEdit
{
    Q_OBJECT

public:
    explicit TCardEdtBut(QWidget* parent = nullptr);
    ~TCardEdtBut() override;

    bool ButVisible() const { return FButVisible; }
    void SetButVisible(bool visible);

    TBmpCount ButtonBmp() const { return FButtonBmp; }
    void SetButtonBmp(TBmpCount bmp);

    // Called with the control after a click on the button; runs guarded.
    std::function<void(TCardEdtBut*)> OnButClick;

    // Places the button at the right end, square, and sets the text margin to match.
    void UpdateButtonLayout();

    QToolButton* Button() const { return FButton; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ButClick();
    void ApplyGlyph();

    QWidget* FPanel;
    QToolButton* FButton;
    bool FButVisible = true;
    TBmpCount FButtonBmp = TBmpCount::CardDown;
};
