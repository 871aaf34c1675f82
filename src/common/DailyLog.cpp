#include "common/DailyLog.h"

#include "common/AppPath.h"

#include <QFile>
#include <QStringEncoder>

#include <utility>

namespace {
std::function<QDateTime()>& Clock()
{
    static std::function<QDateTime()> clock;
    return clock;
}

QDateTime Now()
{
    return Clock() ? Clock()() : QDateTime::currentDateTime();
}
} // namespace

QString LogFileName(const QDateTime& moment)
{
    return QStringLiteral("Log") + moment.toString(QStringLiteral("yyyyMMdd")) +
           QStringLiteral(".log");
}

void SetLogClock(std::function<QDateTime()> clock)
{
    Clock() = std::move(clock);
}

void WriteLog(const QString& text)
{
    if (AppPath().isEmpty())
        return;
    const QDateTime now = Now();
    const QString entry = now.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) +
                          QStringLiteral("：") + text + QStringLiteral("\r\n");
    QStringEncoder encoder(QStringConverter::System);
    const QByteArray bytes = encoder.encode(entry);

    QFile file(AppPath() + LogFileName(now));
    // The log names what the user did; only the user may read it.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return;
    file.write(bytes);
    file.close();
}
