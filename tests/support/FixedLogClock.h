#pragma once

#include "common/DailyLog.h"

#include <QDateTime>

// The clock of the daily log, fixed while it exists, so that a test reading the day's file can't
// be split by midnight between the write and the read.
class TFixedLogClock final
{
public:
    explicit TFixedLogClock(const QDateTime& now = QDateTime(QDate(2026, 12, 6), QTime(9, 30)))
        : Now(now)
    {
        SetLogClock([now] { return now; });
    }
    ~TFixedLogClock() { SetLogClock({}); }
    TFixedLogClock(const TFixedLogClock&) = delete;
    TFixedLogClock& operator=(const TFixedLogClock&) = delete;

    // The name of the file the log writes to.
    QString FileName() const { return LogFileName(Now); }

    const QDateTime Now;
};
