#include "ui/PrgEnd.h"

#include "app/state/Usr.h"

#include <QApplication>
#include <QWidget>

namespace {
bool g_ending = false;
} // namespace

namespace Usr {

void PrgEnd()
{
    if (g_ending)
        return;
    g_ending = true;
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (w->isVisible())
            w->close();
    }
    ReleaseShared();
    QCoreApplication::exit(0);
}

bool Ending() { return g_ending; }
void ResetEnding() { g_ending = false; }

} // namespace Usr
