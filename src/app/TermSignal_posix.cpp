#include "app/TermSignal.h"

#include "compare/window/fmCmpr.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int g_fds[2] = {-1, -1};

void OnSignal(int)
{
    char c = 1;
    ssize_t n = ::write(g_fds[0], &c, 1);
    (void)n;
}
} // namespace

namespace Usr {
void CloseOnTermSignal()
{
    if (g_fds[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_fds) != 0)
        return;
    // Owned by the application, so it goes with the event loop it serves.
    auto* sn = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(sn, &QSocketNotifier::activated, [] {
        char c;
        ssize_t n = ::read(g_fds[1], &c, 1);
        (void)n;
        if (fmCmpr::Exists())
            fmCmpr::Instance().close();
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}
} // namespace Usr
