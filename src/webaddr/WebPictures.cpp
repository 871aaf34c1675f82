#include "webaddr/WebPictures.h"

#include <QPainter>
#include <QPixmap>
#include <QRadialGradient>

QPixmap BrowserPicture()
{
    constexpr qreal side = 16;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);

    // A blue disc lit from the top left, with a meridian and three parallels.
    const QRectF box(0.5, 0.5, side - 1, side - 1);
    const QPointF c = box.center();
    QRadialGradient sea(c - QPointF(3, 3), side);
    sea.setColorAt(0, QColor(120, 190, 255));
    sea.setColorAt(1, QColor(20, 90, 190));
    p.setPen(QPen(QColor(10, 60, 140), 1));
    p.setBrush(sea);
    p.drawEllipse(box);

    p.setPen(QPen(QColor(235, 245, 255), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, box.width() / 5, box.height() / 2 - 0.5);
    p.drawLine(QPointF(box.left() + 0.5, c.y()), QPointF(box.right() - 0.5, c.y()));
    for (qreal dy : {-box.height() / 4, box.height() / 4})
        p.drawLine(QPointF(box.left() + 2, c.y() + dy), QPointF(box.right() - 2, c.y() + dy));
    return pixmap;
}
