#include "controls/ButtonGlyphs.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <array>

namespace {

struct TInk
{
    QColor Line;
    QColor Fill;
};

// One 10 x 10 picture with its top-left corner at the painter's origin.
void DrawGlyph(QPainter& p, TBmpCount bmp, const TInk& ink)
{
    switch (bmp) {
    case TBmpCount::CardDown:
        // Row by row, so the small triangle keeps crisp edges.
        for (int row = 0; row < 4; ++row)
            p.fillRect(QRect(1 + row, 3 + row, 7 - 2 * row, 1), ink.Line);
        break;
    case TBmpCount::CardOK: {
        QPen pen(ink.Line, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
        p.setPen(pen);
        p.setRenderHint(QPainter::Antialiasing, false);
        const QPoint tick[] = {QPoint(2, 5), QPoint(4, 7), QPoint(8, 2)};
        p.drawPolyline(tick, 3);
        break;
    }
    case TBmpCount::CardLookup:
        for (int x : {1, 4, 7})
            p.fillRect(QRect(x, 6, 2, 2), ink.Line);
        break;
    case TBmpCount::CardFolder:
        p.setPen(ink.Line);
        p.setBrush(ink.Fill);
        p.drawRect(QRect(0, 3, 9, 5)); // the body
        p.drawLine(1, 2, 3, 2);        // the tab
        p.drawLine(0, 3, 0, 3);
        p.drawLine(4, 3, 4, 3);
        break;
    case TBmpCount::CardFind:
        p.setPen(QPen(ink.Line, 1));
        p.setBrush(ink.Fill);
        p.drawEllipse(QRect(0, 0, 5, 5)); // the lens
        p.setPen(QPen(ink.Line, 2, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(5.5, 5.5), QPointF(9, 9)); // the handle
        break;
    }
}

QImage PaintStrip(TBmpCount bmp)
{
    QImage strip(2 * ButtonGlyphSide, ButtonGlyphSide, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    QPainter p(&strip);

    const QColor fill = bmp == TBmpCount::CardFolder ? QColor(255, 214, 90) : QColor(200, 228, 255);
    DrawGlyph(p, bmp, {Qt::black, fill});

    // The greyed picture: grey over a white shadow one pixel down and right, the way disabled
    // glyphs look engraved.
    p.save();
    p.translate(ButtonGlyphSide + 1, 1);
    DrawGlyph(p, bmp, {Qt::white, Qt::white});
    p.restore();
    p.translate(ButtonGlyphSide, 0);
    DrawGlyph(p, bmp, {QColor(128, 128, 128), QColor(192, 192, 192)});
    return strip;
}

} // namespace

const QImage& LoadButtonGlyph(TBmpCount bmp)
{
    static std::array<QImage, ButtonGlyphCount> cache;
    QImage& glyph = cache.at(static_cast<std::size_t>(bmp));
    if (glyph.isNull())
        glyph = PaintStrip(bmp);
    return glyph;
}
