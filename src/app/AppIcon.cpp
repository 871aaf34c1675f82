#include "app/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap Draw(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    // The note page with a folded corner.
    QPainterPath page;
    page.moveTo(5, 2);
    page.lineTo(21, 2);
    page.lineTo(27, 8);
    page.lineTo(27, 30);
    page.lineTo(5, 30);
    page.closeSubpath();
    painter.setPen(QPen(QColor(0x5a, 0x4a, 0x2f), 1.2));
    painter.setBrush(QColor(0xfb, 0xf3, 0xd9));
    painter.drawPath(page);
    painter.setBrush(QColor(0xe3, 0xd3, 0xa4));
    painter.drawPolygon(QPolygonF({QPointF(21, 2), QPointF(21, 8), QPointF(27, 8)}));

    // Ruled lines.
    painter.setPen(QPen(QColor(0xb9, 0xa7, 0x79), 1.2));
    for (int y = 12; y <= 18; y += 3)
        painter.drawLine(QPointF(9, y), QPointF(23, y));

    // The link ring: two interlocked loops.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0x1f, 0x6f, 0xd1), 2.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawRoundedRect(QRectF(7.5, 21, 10, 6), 3, 3);
    painter.setPen(QPen(QColor(0x13, 0x4f, 0x9c), 2.4, Qt::SolidLine, Qt::RoundCap));
    painter.drawRoundedRect(QRectF(14.5, 21, 10, 6), 3, 3);
    return pixmap;
}

} // namespace

QIcon MainIcon()
{
    static const QIcon icon = [] {
        QIcon result;
        for (const int size : {16, 22, 24, 32, 48, 64, 128})
            result.addPixmap(Draw(size));
        return result;
    }();
    return icon;
}
