#pragma once
#include <QApplication>

namespace Usr {
// Prepares the environment and shows the main window.
void Main(const QStringList& args, const QString& exePath);
} // namespace Usr

// The application object: an error that escapes an event handler is shown
// and the program goes on.
class FcApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};
