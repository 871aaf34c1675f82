#include "webaddr/WebPictures.h"

#include "common/gui/ProgramIcons.h"

#include <QIcon>

QIcon BrowserPicture()
{
    return ProgramIcon(QStringLiteral("web-browser.svg"), QStringLiteral("web-browser"));
}
