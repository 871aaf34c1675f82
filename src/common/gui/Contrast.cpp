#include "common/gui/Contrast.h"

#include <QColor>

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

bool IsDark(const QColor& colour)
{
    return Luminance(colour) < 0.18;
}
