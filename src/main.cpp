#include "app/Main.h"
#include "app/TermSignal.h"
#include "env/Dialogs.h"
#include "env/Error.h"
#include "env/NameBytes.h"
#include "ui/QtDialogs.h"
#include "ui/QtLang.h"

#include <QFont>
#include <QMessageBox>

int main(int argc, char** argv)
{
    FcApplication app(argc, argv);
    LoadQtTranslations();
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic")});
    Usr::SetDlg(std::make_unique<QtDialogs>());
    try {
        Usr::Main(DecodeArguments(argc, argv), app.applicationFilePath());
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, Usr::AppTitle(), ErrText(e));
        return 1;
    }
    Usr::CloseOnTermSignal();
    return app.exec();
}
