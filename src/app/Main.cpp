#include "app/Main.h"

#include "app/state/StartArgs.h"
#include "app/state/Usr.h"
#include "compare/window/fmCmpr.h"
#include "env/Dialogs.h"
#include "env/Error.h"
#include "env/NameBytes.h"
#include "env/yIni.h"
#include "ui/PrgEnd.h"
#include "ui/sbWait.h"

#include <QFileInfo>
#include <QTimer>

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
    SetIniHost();
    sPrgNm = ProgramBaseName(ExeBaseName(exePath));
    Ini();
    sbWait::Instance().Load();
    Ini().W_UserData(quintptr(sbWait::Instance().winId()));
    ReadLaunchArg(ArgText(args));
    fmCmpr& w = fmCmpr::Instance();
    w.show();
    if (bLnch)
        return;
    const StartArgs s = ReadStartArgs(args.mid(1), ChkFso(), CurrentFolder());
    if (s.errors.isEmpty()) { // two folders compared at once, or one opened in Folder 1
        if (!s.folders.isEmpty())
            w.OpenFolders(s.folders.value(0), s.folders.value(1));
        return;
    }
    // a folder named that is not there: the others open in their panes,
    // nothing is compared, and the message comes once the window is up
    for (int pane = 1; pane <= s.folders.size(); ++pane)
        if (!s.folders[pane - 1].isEmpty())
            w.OpenFolder(pane, s.folders[pane - 1]);
    const QString text = s.errors.join(QLatin1Char('\n'));
    QTimer::singleShot(0, &w, [text] { Dlg().MsgBox(text); });
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
