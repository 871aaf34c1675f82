#include "app/AppIcon.h"

QIcon MainIcon()
{
    // The pictures rendered from the program's scalable icon (resources/icons/velmora.svg), the
    // same ones the desktop's menu shows.
    static const QIcon icon = [] {
        // The pictures live in a static library: pull them in explicitly.
        Q_INIT_RESOURCE(icons);
        QIcon result;
        for (const int size : {16, 32, 48, 64, 128, 256})
            result.addFile(QStringLiteral(":/icons/velmora-%1.png").arg(size), QSize(size, size));
        return result;
    }();
    return icon;
}
