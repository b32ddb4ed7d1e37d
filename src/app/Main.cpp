#include "app/Main.h"

#include "app/state/Usr.h"
#include "compare/window/fmCmpr.h"
#include "env/Dialogs.h"
#include "env/Error.h"
#include "env/yIni.h"
#include "ui/sbWait.h"

#include <QFileInfo>

namespace {
bool g_ending = false;

QString ExeBaseName(const QString& exePath)
{
#ifdef Q_OS_WIN
    return QFileInfo(exePath).completeBaseName();
#else
    return QFileInfo(exePath).fileName();
#endif
}
} // namespace

namespace Usr {

void Main(const QStringList& args, const QString& exePath)
{
    sPrgNm = ProgramBaseName(ExeBaseName(exePath));
    Ini();
    sbWait::Instance().Load();
    Ini().W_UserData(quintptr(sbWait::Instance().winId()));
    ReadLaunchArg(ArgText(args));
    fmCmpr::Instance().show();
}

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

bool FcApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        Usr::Dlg().MsgBox(ErrText(e));
    } catch (...) {
        Usr::Dlg().MsgBox(QStringLiteral("予期しないｴﾗｰが発生しました"));
    }
    return false;
}
