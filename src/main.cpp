#include "app/Main.h"
#include "app/TermSignal.h"
#include "app/state/StartArgs.h"
#include "compare/window/QtCmprDialogs.h"
#include "env/Dialogs.h"
#include "env/Error.h"
#include "env/Fso.h"
#include "env/NameBytes.h"
#include "ui/QtDialogs.h"
#include "ui/QtLang.h"

#include <QFont>
#include <QIcon>
#include <QMessageBox>
#include <cstdio>

int main(int argc, char** argv)
{
    // --help and --version answer without a display
    if (const StartArgs s = ReadStartArgs(DecodeArguments(argc, argv).mid(1), Fso(), CurrentFolder());
        s.help || s.version) {
        std::fputs(s.help ? StartHelp() : "FldCmpr " FLDCMPR_VERSION "\n", stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    FcApplication app(argc, argv);
    // the window's icon, and the desktop entry docks and task bars tie it to
    QGuiApplication::setDesktopFileName(QStringLiteral("jp.example.fldcmpr"));
    // the icon built in, in the sizes an X server takes in one request (with
    // 256 px the whole set is too big for it and the window gets none)
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    LoadQtTranslations();
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic")});
    Usr::SetDlg(std::make_unique<QtDialogs>());
    static QtCmprDialogs cmprDialogs; // asked as long as the window lives
    SetCmprDlg(&cmprDialogs);
    try {
        Usr::Main(DecodeArguments(argc, argv), app.applicationFilePath());
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, Usr::AppTitle(), ErrText(e));
        return 1;
    }
    Usr::CloseOnTermSignal();
    return app.exec();
}
