#include "controls/GridColors.h"

#include "common/gui/Contrast.h"

#include <QPalette>

namespace {

QColor Shifted(const QColor& color, int red, int green, int blue)
{
    return QColor(qBound(0, color.red() + red, 255), qBound(0, color.green() + green, 255),
                  qBound(0, color.blue() + blue, 255));
}

} // namespace

TGridColors GridColorsFor(const QPalette& palette)
{
    const QColor base = palette.color(QPalette::Active, QPalette::Base);
    const QColor text = palette.color(QPalette::Active, QPalette::Text);
    const QColor skyBlue(0xA6, 0xCA, 0xF0);
    if (base.lightness() >= 128)
        return {base, ReadableBackground(Shifted(base, 0, -4, -15), text), skyBlue};
    // On a dark base the stripe is a little lighter and warmer, and the lines are dimmed so
    // that they do not outshine the text.
    return {base, ReadableBackground(Shifted(base, 16, 14, 8), text), Mixed(skyBlue, base, 0.4)};
}

TRowColors CurrentRowColors(const QPalette& menuPalette)
{
    const QColor text = menuPalette.color(QPalette::Active, QPalette::HighlightedText);
    return {ReadableBackground(menuPalette.color(QPalette::Active, QPalette::Highlight), text),
            text};
}
