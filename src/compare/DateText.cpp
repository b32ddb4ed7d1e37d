#include "compare/DateText.h"

#include <ctime>

namespace {
qint64 FloorMinute(qint64 s) { return s >= 0 ? s / 60 : -((-s + 59) / 60); }

void Two(char16_t* p, int v)
{
    p[0] = char16_t(u'0' + (v / 10) % 10);
    p[1] = char16_t(u'0' + v % 10);
}
} // namespace

QString DateText(qint64 secsSinceEpoch)
{
    std::time_t t = std::time_t(secsSinceEpoch);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
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
    qint64 a = FloorMinute(secs1), b = FloorMinute(secs2);
    return a == b ? 0 : (a > b ? 1 : -1);
}
