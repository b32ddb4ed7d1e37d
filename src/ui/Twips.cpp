#include "ui/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace Twips {
double Dpi()
{
    QScreen* s = QGuiApplication::primaryScreen();
    double d = s ? s->logicalDotsPerInch() : 96.0;
    return d > 0 ? d : 96.0;
}

int ToPx(double twips) { return int(std::lround(twips * Dpi() / 1440.0)); }

int FromPx(int px) { return int(std::lround(px * 1440.0 / Dpi())); }

QPointF Centre(double screenW, double screenH, double winW, double winH)
{
    return QPointF((screenW - winW) / 2.0, (screenH - winH) / 2.0);
}
} // namespace Twips
