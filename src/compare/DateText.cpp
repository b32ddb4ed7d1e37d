#include "compare/DateText.h"

#include <cstdio>
#include <ctime>

namespace {
qint64 FloorMinute(qint64 s) { return s >= 0 ? s / 60 : -((-s + 59) / 60); }

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
} // namespace

QString DateText(qint64 secsSinceEpoch)
{
    std::tm tm{};
    if (!Local(secsSinceEpoch, tm))
        return QStringLiteral("--/--/-- --:--");
    char16_t buf[14] = {0, 0, u'/', 0, 0, u'/', 0, 0, u' ', 0, 0, u':', 0, 0};
    int yy = (tm.tm_year + 1900) % 100;
    Two(buf, yy < 0 ? yy + 100 : yy);
    Two(buf + 3, tm.tm_mon + 1);
    Two(buf + 6, tm.tm_mday);
    Two(buf + 9, tm.tm_hour);
    Two(buf + 12, tm.tm_min);
    return QString(reinterpret_cast<const QChar*>(buf), 14);
}

int CompareMinutes(qint64 secs1, qint64 secs2)
{
    // the minutes the date texts show, so a code never contradicts them
    // (zones whose offset is not whole minutes, clocks set back)
    std::tm a{}, b{};
    qint64 ka, kb;
    if (Local(secs1, a) && Local(secs2, b)) {
        ka = MinuteKey(a);
        kb = MinuteKey(b);
    } else {
        ka = FloorMinute(secs1);
        kb = FloorMinute(secs2);
    }
    return ka == kb ? 0 : (ka > kb ? 1 : -1);
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
