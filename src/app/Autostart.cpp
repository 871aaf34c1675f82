#include "app/Autostart.h"

#include "data/DurableFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString ConfigHome()
{
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    // Only an absolute XDG_CONFIG_HOME counts; anything else means the default.
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return configured;
    return QDir::homePath() + QStringLiteral("/.config");
}

// An Exec argument: quoted, with the characters that are special inside quotes escaped, and
// every backslash doubled once more because the value itself is a desktop-file string.
QString QuoteExec(const QString& path)
{
    QString quoted;
    for (const QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    quoted.replace(QLatin1Char('%'), QLatin1String("%%"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// The first argument of an Exec value, undoing QuoteExec (and accepting an unquoted path).
QString FirstExecArgument(const QString& value)
{
    QString unescaped; // the desktop-file string level: \\ -> \, \s -> blank
    for (qsizetype i = 0; i < value.size(); ++i) {
        QChar c = value.at(i);
        if (c == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar next = value.at(++i);
            c = next == QLatin1Char('s') ? QLatin1Char(' ') : next;
            if (next != QLatin1Char('\\') && next != QLatin1Char('s'))
                unescaped += QLatin1Char('\\');
        }
        unescaped += c;
    }
    QString argument;
    bool quoted = false;
    for (qsizetype i = 0; i < unescaped.size(); ++i) {
        const QChar c = unescaped.at(i);
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (quoted && c == QLatin1Char('\\') && i + 1 < unescaped.size()) {
            argument += unescaped.at(++i);
        } else if (!quoted && c == QLatin1Char(' ')) {
            if (!argument.isEmpty())
                break;
        } else if (c == QLatin1Char('%') && i + 1 < unescaped.size() &&
                   unescaped.at(i + 1) == QLatin1Char('%')) {
            argument += c;
            ++i;
        } else {
            argument += c;
        }
    }
    return argument;
}

} // namespace

QString AutostartEntryPath(const QString& valueName)
{
    return ConfigHome() + QStringLiteral("/autostart/") + valueName + QStringLiteral(".desktop");
}

QString SetRunAtStartup(const QString& valueName, const QString& executablePath, bool enable)
{
    const QString path = AutostartEntryPath(valueName);
    if (!enable) {
        QFile entry(path);
        if (!entry.remove() && entry.exists())
            return Located(path, entry.errorString());
        return {};
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return Located(folder, QCoreApplication::translate("Autostart", "无法创建文件夹"));
    const QString entry =
        QStringLiteral("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=") +
        valueName + QStringLiteral("\nExec=") + QuoteExec(executablePath) +
        QStringLiteral("\nIcon=app.velmora.Velmora\nX-GNOME-Autostart-enabled=true\n");
    return WriteWholeFile(path, entry.toUtf8());
}

bool IsRunAtStartup(const QString& valueName, const QString& executablePath)
{
    QFile file(AutostartEntryPath(valueName));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bool inEntry = false;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inEntry = line == QLatin1String("[Desktop Entry]");
        else if (inEntry && line.startsWith(QLatin1String("Exec=")))
            return FirstExecArgument(line.mid(5)) == executablePath;
    }
    return false;
}
