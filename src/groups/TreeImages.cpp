#include "groups/TreeImages.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <array>

namespace {

const QColor Outline(96, 72, 16);
const QColor FolderBack(232, 176, 48);
const QColor FolderFront(255, 214, 90);
const QColor FolderOpenFront(255, 232, 150);

void ClosedFolder(QPainter& p)
{
    p.setPen(Outline);
    p.setBrush(FolderBack);
    QPainterPath tab;
    tab.moveTo(1.5, 4.5);
    tab.lineTo(1.5, 2.5);
    tab.lineTo(6.5, 2.5);
    tab.lineTo(7.5, 4.5);
    p.drawPath(tab);
    p.setBrush(FolderFront);
    p.drawRect(QRectF(1.5, 4.5, 13, 9));
    // A light edge along the top makes the folder read as a solid box at 16 pixels.
    p.setPen(QColor(255, 244, 200));
    p.drawLine(QPointF(2.5, 5.5), QPointF(13.5, 5.5));
}

void OpenFolder(QPainter& p)
{
    p.setPen(Outline);
    p.setBrush(FolderBack);
    QPainterPath back;
    back.moveTo(1.5, 13.5);
    back.lineTo(1.5, 2.5);
    back.lineTo(6.5, 2.5);
    back.lineTo(7.5, 4.5);
    back.lineTo(12.5, 4.5);
    back.lineTo(12.5, 7.5);
    p.drawPath(back);
    // A sheet of paper standing in the open folder.
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 5.5, 8, 5));
    p.setBrush(FolderOpenFront);
    QPainterPath front;
    front.moveTo(1.5, 13.5);
    front.lineTo(4.5, 7.5);
    front.lineTo(15.0, 7.5);
    front.lineTo(12.5, 13.5);
    front.closeSubpath();
    p.drawPath(front);
}

void Globe(QPainter& p)
{
    p.setPen(QPen(QColor(16, 64, 128), 1));
    p.setBrush(QColor(120, 180, 240));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(5.0, 1.5, 6, 13));
    p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
    p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
    // Land.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 150, 60));
    p.drawEllipse(QRectF(3.5, 4, 3.5, 3));
    p.drawEllipse(QRectF(9, 9, 3.5, 3));
}

void WebPage(QPainter& p, bool lit)
{
    p.setPen(QColor(64, 64, 64));
    p.setBrush(lit ? QColor(255, 252, 220) : QColor(Qt::white));
    QPainterPath sheet;
    sheet.moveTo(2.5, 0.5);
    sheet.lineTo(10.5, 0.5);
    sheet.lineTo(13.5, 3.5);
    sheet.lineTo(13.5, 15.5);
    sheet.lineTo(2.5, 15.5);
    sheet.closeSubpath();
    p.drawPath(sheet);
    p.drawLine(QPointF(10.5, 0.5), QPointF(10.5, 3.5));
    p.drawLine(QPointF(10.5, 3.5), QPointF(13.5, 3.5));
    // The page's title bar, and lines of text below it.
    p.fillRect(QRectF(4, 5, 8, 2), lit ? QColor(230, 120, 0) : QColor(40, 100, 200));
    const QColor text = lit ? QColor(150, 110, 40) : QColor(150, 150, 150);
    for (int y : {9, 11, 13})
        p.fillRect(QRectF(4, y, y == 13 ? 5 : 8, 1), text);
}

QImage Paint(TTreePictures pictures, int index)
{
    QImage image(TreeImageSide, TreeImageSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (pictures == TTreePictures::Folders) {
        if (index == 2)
            OpenFolder(p);
        else
            ClosedFolder(p);
    } else if (index == 0) {
        Globe(p);
    } else {
        WebPage(p, index == 2);
    }
    return image;
}

QPixmap Picture(TTreePictures pictures, int index)
{
    return QPixmap::fromImage(TreeImage(pictures, index));
}

} // namespace

QImage TreeImage(TTreePictures pictures, int index)
{
    // Images, not pixmaps, are kept: they need no GUI application and outlive it harmlessly.
    static std::array<std::array<QImage, 3>, 2> cache;
    QImage& slot =
        cache.at(pictures == TTreePictures::Folders ? 0 : 1).at(size_t(qBound(0, index, 2)));
    if (slot.isNull())
        slot = Paint(pictures, qBound(0, index, 2));
    return slot;
}

QIcon TreeRootIcon(TTreePictures pictures)
{
    QIcon icon;
    const QPixmap root = Picture(pictures, 0);
    icon.addPixmap(root, QIcon::Normal);
    // Given explicitly, so the style does not tint the root's picture while it is selected.
    icon.addPixmap(root, QIcon::Selected);
    return icon;
}

QIcon TreeGroupIcon(TTreePictures pictures)
{
    QIcon icon;
    icon.addPixmap(Picture(pictures, 1), QIcon::Normal);
    icon.addPixmap(Picture(pictures, 2), QIcon::Selected);
    return icon;
}
