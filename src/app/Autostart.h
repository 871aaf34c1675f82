#pragma once

#include <QString>

// Run at login through the freedesktop autostart entry
// $XDG_CONFIG_HOME/autostart/<name>.desktop (XDG_CONFIG_HOME defaults to ~/.config). The program
// runs at login exactly when that entry exists and its Exec names this executable.

// Writes (enable) or removes the entry, the entry whole or not at all. Returns why it could not,
// naming the file; empty when it could.
QString SetRunAtStartup(const QString& valueName, const QString& executablePath, bool enable);

// Whether the entry exists and its Exec is exactly the executable's full path.
bool IsRunAtStartup(const QString& valueName, const QString& executablePath);

// The entry's path for a name.
QString AutostartEntryPath(const QString& valueName);
