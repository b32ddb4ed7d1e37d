#pragma once
#include <QApplication>

namespace Usr {
// Prepares the environment and shows the main window.
void Main(const QStringList& args, const QString& exePath);
// Unloads every window, releases the shared objects and ends the event loop.
void PrgEnd();
// Whether PrgEnd has run (tests reset it).
bool Ending();
void ResetEnding();
} // namespace Usr

// The application object: an error that escapes an event handler is shown
// and the program goes on.
class FcApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};
