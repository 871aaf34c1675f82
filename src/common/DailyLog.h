#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

// Appends "yyyy-MM-dd hh:mm:ss" + "：" + text + CR LF to AppPath + "Log<yyyyMMdd>.log", in the
// system locale's encoding. Every failure to write is swallowed: the entry is then lost.
void WriteLog(const QString& text);

// The name of the day file for a moment, without the folder.
QString LogFileName(const QDateTime& moment);

// The clock the log reads; tests replace it. An empty function restores the system clock.
void SetLogClock(std::function<QDateTime()> clock);
