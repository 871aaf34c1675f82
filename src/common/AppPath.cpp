#include "common/AppPath.h"

#include <QDir>

namespace {
QString& Storage()
{
    static QString path;
    return path;
}
} // namespace

const QString& AppPath()
{
    return Storage();
}

void SetAppPath(const QString& folder)
{
    if (folder.isEmpty()) {
        Storage().clear();
        return;
    }
    QString path = QDir::cleanPath(QDir(folder).absolutePath());
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    Storage() = path;
}
