#include "app/AppIcon.h"

#include "common/gui/ProgramIcons.h"

QIcon MainIcon()
{
    // The pictures rendered from the program's scalable icon (resources/icons/velmora.svg), the
    // same ones the desktop's menu shows.
    static const QIcon icon = [] {
        LoadProgramIcons();
        QIcon result;
        for (const int size : {16, 32, 48, 64, 128, 256})
            result.addFile(QStringLiteral(":/icons/velmora-%1.png").arg(size), QSize(size, size));
        return result;
    }();
    return icon;
}
