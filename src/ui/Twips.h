#pragma once
// Twips (1/1440 inch) to pixels and back, from the screen's real dpi
// (15 twips to the pixel at 96 dpi).
#include <QPoint>

namespace Twips {
double Dpi();
int ToPx(double twips);
int FromPx(int px);
// Left and top that centre a window on a screen, all in twips.
QPointF Centre(double screenW, double screenH, double winW, double winH);
} // namespace Twips
