// Fills the result grid from a store of N rows and reports the time per
// row against a store of 2,000 rows measured in the same run.
#include "compare/grid/ResultModel.h"
#include "compare/grid/vSpr.h"
#include "compare/window/CmprList.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {
void MakeStore(ResultStore& st, qint64 n)
{
    st.OpnDb();
    InTransaction(st.Db(), [&] {
        st.Db().Exec("Delete From tbCmpr");
        SqlStmt ins =
            st.Db().Prepare("Insert Into tbCmpr (nNo, sPh, sFL, sU1, sU2, nS1, nS2, sED) Values (?,?,?,?,?,?,?,?)");
        for (qint64 i = 0; i < n; ++i) {
            QString ph = QString("dir%1/sub%2").arg(i / 20).arg(i / 400);
            QString fl = QString("file%1.txt").arg(i);
            SqlPrm(ins, {1001 + i, ph, fl, QString("21/01/01 00:00"), QString("21/01/01 00:01"), i * 7, i * 3,
                         QString("2>1")});
            ins.Step();
            ins.Reset();
        }
    });
    st.ClsDb();
}

double FillSeconds(vSpr& grid, ResultStore& st)
{
    CmprList list(grid, st);
    list.Adopt(0);
    double best = 1e9;
    for (int k = 0; k < 3; ++k) {
        QElapsedTimer t;
        t.start();
        list.mnDisp_Click(0);
        QApplication::processEvents();
        best = std::min(best, t.nsecsElapsed() / 1e9);
    }
    return best;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    vSpr grid;
    grid.resize(1000, 700);
    grid.show();
    ResultStore small(dir.filePath("small.mdb")), big(dir.filePath("big.mdb"));
    MakeStore(small, 2000);
    MakeStore(big, 200000);
    double ts = FillSeconds(grid, small);
    double tb = FillSeconds(grid, big);
    QElapsedTimer t;
    t.start();
    QScrollBar* sb = grid.verticalScrollBar();
    int steps = 0;
    for (int v = 0; v <= sb->maximum(); v += std::max(1, sb->maximum() / 500), ++steps) {
        sb->setValue(v);
        grid.viewport()->repaint();
    }
    double scroll = t.nsecsElapsed() / 1e9;
    std::printf("fill 2,000 rows: %.4f s (%.2f us/row)\n", ts, ts / 2000 * 1e6);
    std::printf("fill 200,000 rows: %.4f s (%.2f us/row)\n", tb, tb / 200000 * 1e6);
    std::printf("per-row ratio 200,000 / 2,000: %.2f\n", (tb / 200000) / (ts / 2000));
    std::printf("scrolling first to last row in %d repainted steps: %.3f s (%.2f ms/step)\n", steps, scroll,
                scroll / steps * 1e3);
    return 0;
}
