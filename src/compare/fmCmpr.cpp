#include "compare/fmCmpr.h"

#include "app/Main.h"

#include <QCloseEvent>
#include <QMenuBar>

namespace {
fmCmpr* g_main = nullptr;
}

fmCmpr& fmCmpr::Instance()
{
    if (!g_main)
        g_main = new fmCmpr();
    return *g_main;
}

bool fmCmpr::Exists() { return g_main != nullptr; }

fmCmpr::fmCmpr()
{
    setWindowTitle(QStringLiteral("指定ﾌｫﾙﾀﾞ内のﾌｧｲﾙの比較"));
    menuBar();
}

void fmCmpr::closeEvent(QCloseEvent* e)
{
    e->accept();
    Usr::PrgEnd();
}
