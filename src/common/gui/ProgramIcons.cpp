#include "common/gui/ProgramIcons.h"

#include <QString>

void LoadProgramIcons()
{
    // The pictures live in a static library: pull them in explicitly, once.
    static const bool loaded = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    Q_UNUSED(loaded);
}

QIcon ProgramIcon(const QString& file, const QString& themeName)
{
    LoadProgramIcons();
    const QIcon own(QStringLiteral(":/icons/") + file);
    return themeName.isEmpty() ? own : QIcon::fromTheme(themeName, own);
}
