// The window's whole comparison of two folders: the main window opened on
// a fresh user data folder, the run (walk, store) and the grid filled, then
// the program ends. bench_speed.py times the process and reads its peak
// memory, against fldcmpr-cli's on the same folders.
//   bench_window ONE TWO [DATA]
// DATA: the user data folder to use, kept afterwards (its Cmpr.mdb can then
// be compared with another build's); a temporary one otherwise.
#include "app/state/Usr.h"
#include "compare/grid/ResultModel.h"
#include "compare/grid/vSpr.h"
#include "compare/window/CmprList.h"
#include "compare/window/CmprSettings.h"
#include "compare/window/fmCmpr.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: bench_window ONE TWO [DATA]\n");
        return 2;
    }
    QTemporaryDir dir;
    Usr::sUsrFld = (argc == 4 ? QString::fromLocal8Bit(argv[3]) : dir.path()) + "/";
    fmCmpr& w = fmCmpr::Instance();
    w.show();
    QApplication::processEvents();
    w.List().CmprFld(w.Settings(), QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    QApplication::processEvents();
    std::printf("rows %d\n", w.Spr->Model().DataRows());
    fmCmpr::Discard();
    return 0;
}
