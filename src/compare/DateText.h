#pragma once
// A file's last-modified time as "yy/mm/dd hh:mm" in local time.
#include <QString>

// "--/--/-- --:--" for a time the system cannot convert to local time.
QString DateText(qint64 secsSinceEpoch);
// The same local time as ISO 8601 to the second with its UTC offset
// ("2024-05-01T10:00:00+09:00"; "+00:19:32" where the offset holds seconds,
// as in some zones before 1940); empty where it cannot be converted.
QString IsoLocalTime(qint64 secsSinceEpoch);
// Which of two modification times is newer, to the minute the date texts
// show: 0 same minute, 1 the first newer, -1 the second newer. Full years
// are compared. Times that cannot be converted compare by UTC minutes.
int CompareMinutes(qint64 secs1, qint64 secs2);
