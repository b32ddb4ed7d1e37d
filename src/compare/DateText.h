#pragma once
// A file's last-modified time as "yy/mm/dd hh:mm" in local time.
#include <QString>

// "--/--/-- --:--" for a time the system cannot convert to local time.
QString DateText(qint64 secsSinceEpoch);
// Which of two modification times is newer, to the minute the date texts
// show: 0 same minute, 1 the first newer, -1 the second newer. Full years
// are compared. Times that cannot be converted compare by UTC minutes.
int CompareMinutes(qint64 secs1, qint64 secs2);
