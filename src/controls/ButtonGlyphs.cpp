#include "controls/ButtonGlyphs.h"

#include "common/gui/ProgramIcons.h"

#include <QIcon>
#include <QString>

QIcon ButtonGlyphIcon(TButtonGlyph glyph)
{
    // The desktop theme's icons have no engraved disabled picture: the program's own are used.
    static const char* const Files[ButtonGlyphCount] = {"button-down", "button-ok", "button-lookup",
                                                        "button-folder", "button-find"};
    const QString name = QString::fromLatin1(Files[int(glyph)]);
    QIcon icon = ProgramIcon(name + QStringLiteral(".svg"));
    icon.addFile(QStringLiteral(":/icons/") + name + QStringLiteral("-disabled.svg"), QSize(),
                 QIcon::Disabled);
    return icon;
}
