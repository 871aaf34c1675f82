#pragma once

#include "data/Sqlite.h"

#include <QString>

// Another program's plain SQLite file (a browser's bookmark store): opened read-only and never
// keyed, so the engine reads it as it is. On failure returns null and the engine's message.
TConnection OpenForeignDatabase(const QString& path, QString* error);
