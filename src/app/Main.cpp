#include "app/Main.h"

#include "app/state/StartArgs.h"
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
    fmCmpr& w = fmCmpr::Instance();
    w.show();
    if (!bLnch) // two folders compared at once, or one opened in Folder 1
        if (const StartArgs s = ReadStartArgs(args.mid(1), ChkFso()); !s.folders.isEmpty())
            w.OpenFolders(s.folders.value(0), s.folders.value(1));
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
