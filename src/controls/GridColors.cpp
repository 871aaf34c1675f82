#include "controls/GridColors.h"

#include <QPalette>

namespace {

QColor Shifted(const QColor& color, int red, int green, int blue)
{
    return QColor(qBound(0, color.red() + red, 255), qBound(0, color.green() + green, 255),
                  qBound(0, color.blue() + blue, 255));
}

QColor Mixed(const QColor& a, const QColor& b, double share)
{
    return QColor::fromRgbF(float(a.redF() * share + b.redF() * (1 - share)),
                            float(a.greenF() * share + b.greenF() * (1 - share)),
                            float(a.blueF() * share + b.blueF() * (1 - share)));
}

} // namespace

TGridColors GridColorsFor(const QPalette& palette)
{
    const QColor base = palette.color(QPalette::Active, QPalette::Base);
    const QColor skyBlue(0xA6, 0xCA, 0xF0);
    if (base.lightness() >= 128)
        return {base, Shifted(base, 0, -4, -15), skyBlue};
    // On a dark base the stripe is a little lighter and warmer, and the lines are dimmed so
    // that they do not outshine the text.
    return {base, Shifted(base, 16, 14, 8), Mixed(skyBlue, base, 0.4)};
}
