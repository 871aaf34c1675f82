#pragma once

#include "groups/DateStamp.h"

#include <QDateTime>

// The clock of the date stamps, fixed while it exists.
class TFixedClock final
{
public:
    explicit TFixedClock(const QDateTime& now)
    {
        SetDateStampClock([now] { return now; });
    }
    ~TFixedClock() { SetDateStampClock({}); }
    TFixedClock(const TFixedClock&) = delete;
    TFixedClock& operator=(const TFixedClock&) = delete;
};
