#include "data/ForeignDatabase.h"

#include <QFile>
#include <QFileInfo>

#include <sqlcipher/sqlite3.h>

TConnection OpenForeignDatabase(const QString& path, QString* error)
{
    // The engine would report a missing file only at the first read.
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("unable to open database file");
        return nullptr;
    }
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    TConnection connection(raw);
    if (rc != SQLITE_OK) {
        *error = EngineMessage(raw);
        return nullptr;
    }
    return connection;
}
