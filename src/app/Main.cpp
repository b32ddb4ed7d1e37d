#include "app/Main.h"

#include "app/state/Usr.h"
#include "compare/window/fmCmpr.h"
#include "env/Dialogs.h"
#include "env/Error.h"
#include "env/yIni.h"
#include "ui/PrgEnd.h"
#include "ui/sbWait.h"

#include <QFileInfo>

namespace {
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
