#include "data/CopyRotation.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>

namespace {
constexpr char16_t DatedFormat[] = u"yyyyMMdd-hhmmss";
}

QString SetAsideAsDated(const QString& path)
{
    const QFileInfo file(path);
    if (!file.exists())
        return {};
    const QString stem = file.completeBaseName() + QLatin1Char('-');
    const QString suffix = file.suffix().isEmpty() ? QString() : QLatin1Char('.') + file.suffix();
    const QRegularExpression dated(QStringLiteral("^") + QRegularExpression::escape(stem) +
                                   QStringLiteral("(\\d{8}-\\d{6})") +
                                   QRegularExpression::escape(suffix) + QStringLiteral("$"));

    QDateTime moment = file.lastModified();
    moment.setMSecsSinceEpoch(moment.toMSecsSinceEpoch() / 1000 * 1000);
    const QString format = QString::fromUtf16(DatedFormat);
    for (const QString& name : file.dir().entryList(QDir::Files, QDir::Name)) {
        const QRegularExpressionMatch match = dated.match(name);
        if (!match.hasMatch())
            continue;
        const QDateTime made = QDateTime::fromString(match.captured(1), format);
        if (made.isValid() && made >= moment)
            moment = made.addSecs(1);
    }
    const QString target = file.dir().filePath(stem + moment.toString(format) + suffix);
    if (std::rename(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) !=
        0)
        return QDir::toNativeSeparators(path) + QStringLiteral(": ") + qt_error_string(errno);
    return {};
}

void PruneCopies(const QString& folder, const QRegularExpression& pattern, int keep)
{
    const QDir dir(folder);
    QStringList copies = dir.entryList(QDir::Files, QDir::Name).filter(pattern);
    while (copies.size() > keep)
        QFile::remove(dir.filePath(copies.takeFirst()));
}
