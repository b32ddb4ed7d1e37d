#pragma once
// A file's last-modified time as "yy/mm/dd hh:mm" in local time.
#include <QString>

#include <array>
#include <ctime>
#include <vector>

// Converts file times to local time for one pass over many files. The
// system's conversion takes a lock and searches the zone's rules on every
// call; here a day whose UTC offset is the same at its first and its last
// second is looked up once and its times are worked out from that offset.
// Days with a change of offset go to the system each time. Made per pass, so
// a change of the zone between passes is seen.
class LocalTime {
public:
    LocalTime();
    // Year, month, day, hour, minute and second of a time; false
    // where the system cannot convert it (beyond its calendar's range).
    bool Fields(qint64 secs, std::tm& tm);
    // "--/--/-- --:--" for a time the system cannot convert to local time.
    QString Text(qint64 secs);
    // Which of two modification times is newer, to the minute the date texts
    // show: 0 same minute, 1 the first newer, -1 the second newer. Full years
    // are compared. Times that cannot be converted compare by UTC minutes.
    int CompareMinutes(qint64 secs1, qint64 secs2);

private:
    struct Day {
        qint64 day;
        long offset;
    };
    std::vector<Day> m_days;
};

QString DateText(qint64 secsSinceEpoch);
// The same local time as ISO 8601 to the second with its UTC offset
// ("2024-05-01T10:00:00+09:00"; "+00:19:32" where the offset holds seconds,
// as in some zones before 1940); empty where it cannot be converted.
QString IsoLocalTime(qint64 secsSinceEpoch);
int CompareMinutes(qint64 secs1, qint64 secs2);
// The five numbers of a shown date: yy, MM, dd, hh, mm.
using DateFields = std::array<int, 5>;
// The shown date "yy/MM/dd hh:mm" of its numbers (each 0 to 99).
QString WriteDateText(const DateFields& fields);
// The numbers of a text of that form; false for any other text (empty,
// "--/--/-- --:--", damaged).
bool ReadDateText(QStringView text, DateFields& fields);
