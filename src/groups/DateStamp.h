#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

// The date stamps that Ctrl+D and Ctrl+T insert into the group name and the note.

// Ctrl+D: the date in the user's short date format. Ctrl+T: the short date, a blank and the time
// in the user's long time format; the blank and the time are left out at exactly 00:00:00.
QString FormatDateStamp(const QDateTime& moment, bool withTime);

// The stamp for now.
QString DateStamp(bool withTime);

// Whether a key press asks for a stamp: D or T with Ctrl held, whatever else is held. Sets
// withTime for T.
bool IsDateStampKey(int key, Qt::KeyboardModifiers modifiers, bool& withTime);

// The clock the stamps read; tests set a fixed one, an empty function restores the real clock.
void SetDateStampClock(std::function<QDateTime()> clock);
