#pragma once

#include <QString>

// The folder of the running executable with its trailing separator. The database, the daily logs
// and the safety copy live there.
const QString& AppPath();

// Set once at start from the executable's location; tests point it at a temporary folder.
void SetAppPath(const QString& folder);
