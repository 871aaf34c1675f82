#include "groups/TreeImages.h"

#include "common/gui/ProgramIcons.h"

#include <QIcon>
#include <QPixmap>

namespace {

QPixmap Picture(TTreePictures pictures, int index)
{
    return TreePicture(pictures, index).pixmap(TreeImageSide, TreeImageSide);
}

} // namespace

QIcon TreePicture(TTreePictures pictures, int index)
{
    if (pictures == TTreePictures::Folders)
        return index == 2
                   ? ProgramIcon(QStringLiteral("folder-open.svg"), QStringLiteral("folder-open"))
                   : ProgramIcon(QStringLiteral("folder.svg"), QStringLiteral("folder"));
    if (index == 0)
        return ProgramIcon(QStringLiteral("globe.svg"));
    return ProgramIcon(index == 2 ? QStringLiteral("web-page-lit.svg")
                                  : QStringLiteral("web-page.svg"));
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
