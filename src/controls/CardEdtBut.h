#pragma once

#include "controls/ButtonGlyphs.h"

#include <QLineEdit>

#include <functional>

class QAction;
class QToolButton;

// A single-line edit with a small button inside its right end (the edit's own trailing action).
// The button shows one of the built-in glyphs; clicking it focuses the edit and calls OnButClick.
// The text never runs under it.
class TCardEdtBut final : public QLineEdit
{
    Q_OBJECT

public:
    explicit TCardEdtBut(QWidget* parent = nullptr);
    ~TCardEdtBut() override;

    bool ButVisible() const;
    void SetButVisible(bool visible);

    TButtonGlyph ButtonBmp() const { return FButtonBmp; }
    void SetButtonBmp(TButtonGlyph bmp);

    // Called with the control after a click on the button; runs guarded.
    std::function<void(TCardEdtBut*)> OnButClick;

    // The button the edit shows for its action.
    QToolButton* Button() const;

private:
    void ButClick();
    void ApplyGlyph();

    QAction* actButton;
    TButtonGlyph FButtonBmp = TButtonGlyph::CardDown;
};
