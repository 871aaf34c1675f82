#include "common/gui/Contrast.h"

#include <QColor>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace {

double Linear(float channel)
{
    return channel <= 0.04045F ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) +
           0.0722 * Linear(rgb.blueF());
}

} // namespace

double ContrastRatio(const QColor& first, const QColor& second)
{
    const double a = Luminance(first);
    const double b = Luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor Mixed(const QColor& first, const QColor& second, double share)
{
    const QColor a = first.toRgb();
    const QColor b = second.toRgb();
    // Whole channel values, as a painted pixel holds them.
    const auto mix = [share](int x, int y) {
        return int(std::lround(x * share + y * (1 - share)));
    };
    return QColor(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()));
}

QColor ReadableBackground(const QColor& background, const QColor& text)
{
    const QColor away = IsDark(text) ? QColor(Qt::white) : QColor(Qt::black);
    // Small steps keep the colour as near the scheme's as the text allows.
    constexpr int Steps = 20;
    QColor moved = background;
    for (int step = 1; step <= Steps && ContrastRatio(moved, text) < ReadableContrast; ++step)
        moved = Mixed(away, background, double(step) / Steps);
    return moved;
}

QColor MarkColour(const QColor& background, const QColor& text)
{
    for (const QColor& red : {QColor(0xc0, 0x00, 0x00), QColor(0xff, 0x8a, 0x80)})
        if (ContrastRatio(red, background) >= ReadableContrast)
            return red;
    if (ContrastRatio(text, background) >= ReadableContrast)
        return text;
    // A scheme whose own text does not read on it (a light highlight under white text).
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return ContrastRatio(black, background) > ContrastRatio(white, background) ? black : white;
}

QColor PlaceholderColour(const QPalette& palette)
{
    const QColor base = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::Text);
    const QColor hint = palette.color(QPalette::PlaceholderText);
    const QColor shown = Mixed(hint, base, hint.alphaF());
    // Small steps keep it as grey as the scheme's base allows.
    constexpr int Steps = 20;
    QColor moved = shown;
    for (int step = 1; step <= Steps && ContrastRatio(moved, base) < ReadableContrast; ++step)
        moved = Mixed(text, shown, double(step) / Steps);
    return moved;
}

bool IsDark(const QColor& colour)
{
    return Luminance(colour) < 0.18;
}
