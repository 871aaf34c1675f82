#pragma once

#include <QIcon>

class QString;

// The program's pictures: SVG files under resources/icons, built into the program. Drawing them
// needs Qt's SVG icon engine at run time.
//
// Loads ":/icons/<file>". Where themeName is given, the desktop theme's icon of that freedesktop
// name, which means the same thing, is preferred; the file stands in where the theme has none.
QIcon ProgramIcon(const QString& file, const QString& themeName = QString());

// Makes the pictures reachable under ":/icons/" for code that reads the files itself.
void LoadProgramIcons();
