#include "app/TermSignal.h"

namespace Usr {
// A Windows session end reaches the main window as a close event through
// Qt itself (WM_QUERYENDSESSION / WM_CLOSE), so no hook is needed here.
void CloseOnTermSignal() {}
} // namespace Usr
