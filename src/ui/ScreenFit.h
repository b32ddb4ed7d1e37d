#pragma once
// Puts a restored window rectangle onto the screens there are now: a saved
// or launched rectangle may be larger than any screen, or lie on a screen
// that is gone.
#include <QList>
#include <QRect>

// The rectangle moved and shrunk into the available area of the screen it
// overlaps most (the first screen when it overlaps none). Unchanged when no
// screens are given.
QRect FitOnScreens(const QRect& want, const QList<QRect>& available);
// The same against the available areas of the screens of this session.
QRect FitOnScreens(const QRect& want);
