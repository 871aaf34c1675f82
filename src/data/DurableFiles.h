#pragma once

#include <QString>

// What the code that writes files beside the data file shares.

// A reason that names the file it is about: "<path>: <reason>".
QString Located(const QString& path, const QString& reason);

// Flushes a written file to the disk; false, with errno telling why, when it can't.
bool SyncFile(const QString& path);

// Makes a rename in a folder durable.
void SyncFolder(const QString& folder);
