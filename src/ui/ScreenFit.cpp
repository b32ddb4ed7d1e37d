#include "ui/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace {
qint64 Overlap(const QRect& a, const QRect& b)
{
    const QRect i = a.intersected(b);
    return i.isEmpty() ? 0 : qint64(i.width()) * i.height();
}
} // namespace

QRect FitOnScreens(const QRect& want, const QList<QRect>& available)
{
    if (available.isEmpty())
        return want;
    QRect screen = available.first();
    qint64 best = 0;
    for (const QRect& s : available) {
        if (Overlap(want, s) > best) {
            best = Overlap(want, s);
            screen = s;
        }
    }
    const int w = std::min(want.width(), screen.width());
    const int h = std::min(want.height(), screen.height());
    const int x = std::clamp(want.x(), screen.left(), screen.left() + screen.width() - w);
    const int y = std::clamp(want.y(), screen.top(), screen.top() + screen.height() - h);
    return QRect(x, y, w, h);
}

QRect FitOnScreens(const QRect& want)
{
    QList<QRect> areas;
    for (const QScreen* s : QGuiApplication::screens())
        areas.append(s->availableGeometry());
    return FitOnScreens(want, areas);
}
