// Folder tree timings: expanding a folder with 10,000 subfolders in the
// pane, one refresh pass over 10,000 read folder nodes with no changes, and
// reading whole trees of 12,500 / 25,000 / 50,000 folders with ExpndALL.
#include "app/state/Usr.h"
#include "foldertree/view/uTrD.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <sys/stat.h>
#include <vector>

namespace {
double Secs(const std::function<void()>& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e9;
}

// n folders, 10 to a level, each with one file.
void MakeTree(const QString& root, int n)
{
    QStringList level{root};
    int made = 0;
    while (made < n) {
        QStringList next;
        for (const QString& p : level) {
            for (int i = 0; i < 10 && made < n; ++i, ++made) {
                QString d = p + QString("/d%1").arg(i);
                QDir().mkpath(d);
                next << d;
            }
        }
        level = next;
    }
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    Usr::sUsrFld = tmp.path() + "/";

    QString wide = tmp.filePath("wide");
    for (int i = 0; i < 10000; ++i)
        QDir().mkpath(wide + QString("/sub/f%1").arg(i, 5, 10, QChar('0')) + (i % 2 ? "/x" : ""));
    uTrD pane;
    pane.resize(400, 600);
    pane.Tree().Drive1.SetDrives({"/"});
    pane.SetRoot(wide);
    pane.show();
    app.processEvents();
    QTreeView* view = pane.View();
    QModelIndex sub = view->model()->index(0, 0, view->model()->index(0, 0));
    double expand = Secs([&] {
        view->expand(sub);
        view->scrollTo(view->model()->index(0, 0, sub));
        view->viewport()->repaint();
    });
    std::printf("expand a folder with 10,000 subfolders until shown: %.3f s\n", expand);

    std::vector<double> passes;
    for (int i = 0; i < 7; ++i)
        passes.push_back(Secs([&] { pane.Tree().RfrshTr(); }));
    std::sort(passes.begin(), passes.end());
    // reference: the bare stat() of every node's folder, the least any pass must do
    QStringList paths;
    for (int i = 1; i <= pane.GtObjct().Count(); ++i)
        if (pane.GtObjct().Item(i)->Text() != "?")
            paths << pane.GtObjct().Item(i)->FullPath();
    std::vector<double> bare;
    for (int i = 0; i < 7; ++i)
        bare.push_back(Secs([&] {
            struct stat st;
            for (const QString& p : paths)
                ::stat(QFile::encodeName(p).constData(), &st);
        }));
    std::sort(bare.begin(), bare.end());
    std::printf(
        "refresh pass over %lld read folder nodes, no changes: median %.1f ms (fastest %.1f, slowest %.1f);"
        " bare stat() of the same %lld folders %.1f ms, ratio %.2f\n",
        pane.Tree().nNdCnt, passes[3] * 1e3, passes[0] * 1e3, passes[6] * 1e3, qint64(paths.size()), bare[3] * 1e3,
        passes[3] / bare[3]);

    double per = 0;
    for (int n : {12500, 25000, 50000}) {
        QString root = tmp.filePath(QString("deep%1").arg(n));
        MakeTree(root, n);
        FldTree t;
        t.Drive1.SetDrives({"/"});
        t.SetRoot(root);
        double s = Secs([&] { t.ExpndALL(2, true); });
        if (per == 0)
            per = s / n;
        std::printf("ExpndALL reading %d folders: %.3f s (%.2f us/folder, %.2f x the 12,500 rate)\n", n, s, s / n * 1e6,
                    s / n / per);
    }
    return 0;
}
