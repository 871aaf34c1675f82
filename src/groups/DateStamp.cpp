#include "groups/DateStamp.h"

#include <QLocale>

namespace {

std::function<QDateTime()>& Clock()
{
    static std::function<QDateTime()> clock;
    return clock;
}

// The locale's long time format without its time zone ("t" outside quotes): a stamp says when,
// not where.
QString LongTimeFormat(const QLocale& locale)
{
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t'))
            kept += c;
    }
    kept.remove(QStringLiteral("[]"));
    return kept.simplified();
}

} // namespace

QString FormatDateStamp(const QDateTime& moment, bool withTime)
{
    const QLocale locale = QLocale::system();
    QString stamp = locale.toString(moment.date(), QLocale::ShortFormat);
    if (withTime && moment.time() != QTime(0, 0))
        stamp += QLatin1Char(' ') + locale.toString(moment.time(), LongTimeFormat(locale));
    return stamp;
}

QString DateStamp(bool withTime)
{
    const QDateTime now = Clock() ? Clock()() : QDateTime::currentDateTime();
    return FormatDateStamp(now, withTime);
}

bool IsDateStampKey(int key, Qt::KeyboardModifiers modifiers, bool& withTime)
{
    if (!modifiers.testFlag(Qt::ControlModifier) || (key != Qt::Key_D && key != Qt::Key_T))
        return false;
    withTime = key == Qt::Key_T;
    return true;
}

void SetDateStampClock(std::function<QDateTime()> clock)
{
    Clock() = std::move(clock);
}
