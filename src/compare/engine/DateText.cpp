#include "compare/engine/DateText.h"

#include <cstdio>
#include <ctime>
#include <limits>

namespace {
qint64 FloorDiv(qint64 a, qint64 b) { return a / b - (a % b < 0 ? 1 : 0); }
qint64 FloorMinute(qint64 s) { return FloorDiv(s, 60); }

void Two(char16_t* p, int v)
{
    p[0] = char16_t(u'0' + (v / 10) % 10);
    p[1] = char16_t(u'0' + v % 10);
}

// The local time of a file time; false where the system cannot convert it
// (beyond the range of its calendar).
bool Local(qint64 secs, std::tm& tm)
{
    const std::time_t t = std::time_t(secs);
    if (qint64(t) != secs)
        return false;
#ifdef _WIN32
    return localtime_s(&tm, &t) == 0;
#else
    return localtime_r(&t, &tm) != nullptr;
#endif
}

// The UTC offset of a local time in seconds.
long OffsetOf(const std::tm& tm, qint64 secs)
{
#ifdef _WIN32
    std::tm copy = tm;
    return long(qint64(_mkgmtime(&copy)) - secs);
#else
    (void)secs;
    return tm.tm_gmtoff;
#endif
}

// The shown minute as one number: full year, month, day, hour, minute.
qint64 MinuteKey(const std::tm& tm)
{
    return ((((qint64(tm.tm_year) + 1900) * 12 + tm.tm_mon) * 31 + tm.tm_mday) * 24 + tm.tm_hour) * 60 + tm.tm_min;
}

constexpr qint64 kDay = 86400;
constexpr size_t kDays = 4096; // days remembered, by day number modulo this
constexpr qint64 kNoDay = std::numeric_limits<qint64>::min();
constexpr qint64 kCachedRange = qint64(1) << 56; // far beyond any calendar, far within 64 bits

// The calendar fields of a count of seconds from 1970-01-01 00:00 on a
// clock without zone (days to civil date after H. Hinnant's algorithm).
void CivilFields(qint64 secs, std::tm& tm)
{
    const qint64 days = FloorDiv(secs, kDay);
    const qint64 rest = secs - days * kDay;
    const qint64 z = days + 719468;
    const qint64 era = FloorDiv(z, 146097);
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    const qint64 month = mp < 10 ? mp + 3 : mp - 9;
    const qint64 year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    tm.tm_year = int(year - 1900);
    tm.tm_mon = int(month - 1);
    tm.tm_mday = int(doy - (153 * mp + 2) / 5 + 1);
    tm.tm_hour = int(rest / 3600);
    tm.tm_min = int(rest / 60 % 60);
    tm.tm_sec = int(rest % 60);
}

QString TextOf(const std::tm& tm)
{
    const int yy = (tm.tm_year + 1900) % 100;
    return WriteDateText({yy < 0 ? yy + 100 : yy, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min});
}

// The minutes the date texts show, so a code never contradicts them (zones
// whose offset is not whole minutes, clocks set back); UTC minutes where
// the times have no local fields.
int MinuteOrder(qint64 secs1, qint64 secs2, const std::tm* a, const std::tm* b)
{
    const qint64 ka = a ? MinuteKey(*a) : FloorMinute(secs1);
    const qint64 kb = a ? MinuteKey(*b) : FloorMinute(secs2);
    return ka == kb ? 0 : (ka > kb ? 1 : -1);
}

const QString kNoDate = QStringLiteral("--/--/-- --:--");
} // namespace

LocalTime::LocalTime() : m_days(kDays, Day{kNoDay, 0}) {}

bool LocalTime::Fields(qint64 secs, std::tm& tm)
{
    if (secs <= -kCachedRange || secs >= kCachedRange)
        return Local(secs, tm);
    const qint64 day = FloorDiv(secs, kDay);
    Day& d = m_days[size_t(day) % kDays];
    if (d.day == day) {
        CivilFields(secs + d.offset, tm);
        return true;
    }
    if (!Local(secs, tm))
        return false;
    const long off = OffsetOf(tm, secs);
    std::tm first{}, last{};
    if (Local(day * kDay, first) && Local(day * kDay + kDay - 1, last) && OffsetOf(first, day * kDay) == off &&
        OffsetOf(last, day * kDay + kDay - 1) == off)
        d = {day, off};
    return true;
}

QString LocalTime::Text(qint64 secs)
{
    std::tm tm{};
    return Fields(secs, tm) ? TextOf(tm) : kNoDate;
}

int LocalTime::CompareMinutes(qint64 secs1, qint64 secs2)
{
    std::tm a{}, b{};
    const bool local = Fields(secs1, a) && Fields(secs2, b);
    return MinuteOrder(secs1, secs2, local ? &a : nullptr, &b);
}

QString DateText(qint64 secsSinceEpoch)
{
    std::tm tm{};
    return Local(secsSinceEpoch, tm) ? TextOf(tm) : kNoDate;
}

int CompareMinutes(qint64 secs1, qint64 secs2)
{
    std::tm a{}, b{};
    const bool local = Local(secs1, a) && Local(secs2, b);
    return MinuteOrder(secs1, secs2, local ? &a : nullptr, &b);
}

QString IsoLocalTime(qint64 secsSinceEpoch)
{
    std::tm tm{};
    if (!Local(secsSinceEpoch, tm))
        return QString();
    const long off = OffsetOf(tm, secsSinceEpoch);
    const long a = off < 0 ? -off : off;
    char buf[48];
    int n = std::snprintf(buf, sizeof buf, "%04lld-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld",
                          static_cast<long long>(tm.tm_year) + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                          tm.tm_sec, off < 0 ? '-' : '+', a / 3600, a / 60 % 60);
    if (a % 60 != 0 && n > 0)
        n += std::snprintf(buf + n, sizeof buf - size_t(n), ":%02ld", a % 60);
    return QString::fromLatin1(buf, n);
}

QString WriteDateText(const DateFields& f)
{
    char16_t buf[14] = {0, 0, u'/', 0, 0, u'/', 0, 0, u' ', 0, 0, u':', 0, 0};
    for (size_t k = 0; k < 5; ++k)
        Two(buf + k * 3, f[k]);
    return QString(reinterpret_cast<const QChar*>(buf), 14);
}

bool ReadDateText(QStringView t, DateFields& fields)
{
    if (t.size() != 14 || t[2] != u'/' || t[5] != u'/' || t[8] != u' ' || t[11] != u':')
        return false;
    for (int k = 0; k < 5; ++k) {
        const char16_t a = t[k * 3].unicode(), b = t[k * 3 + 1].unicode();
        if (a < u'0' || a > u'9' || b < u'0' || b > u'9')
            return false;
        fields[size_t(k)] = (a - u'0') * 10 + (b - u'0');
    }
    return true;
}
