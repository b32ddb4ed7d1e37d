// The result list at 1,000,000 rows: sorting by each column, finding a text,
// and scrolling from the first row to the last a page at a time. Each figure
// is also given as a ratio to a reference taken in the same run: a stable
// sort of 1,000,000 plain 64-bit numbers.
#include "compare/grid/FindBar.h"
#include "compare/grid/ResultModel.h"
#include "compare/grid/vSpr.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <algorithm>
#include <cstdio>

namespace {
std::vector<GridRow> MakeRows(int n)
{
    static const char* const codes[] = {"1=2", "1=2", "1=2", "1>2", "2>1", "1-*", "2-*"};
    QRandomGenerator rnd(1);
    std::vector<GridRow> rows;
    rows.reserve(size_t(n));
    QString folder;
    for (int i = 0; i < n; ++i) {
        if (i % 20 == 0)
            folder = QString("dir%1/Sub%2").arg(rnd.bounded(50000)).arg(i / 400);
        GridRow r;
        r.sPh = folder;
        r.sFL = QString("file%1.%2").arg(rnd.bounded(10000000)).arg(i % 3 ? "txt" : "cpp");
        r.sED = QString::fromLatin1(codes[i % 7]);
        const auto date = [&] {
            return QString("%1/%2/%3 %4:%5")
                .arg(rnd.bounded(100), 2, 10, QLatin1Char('0'))
                .arg(1 + rnd.bounded(12), 2, 10, QLatin1Char('0'))
                .arg(1 + rnd.bounded(28), 2, 10, QLatin1Char('0'))
                .arg(rnd.bounded(24), 2, 10, QLatin1Char('0'))
                .arg(rnd.bounded(60), 2, 10, QLatin1Char('0'));
        };
        if (r.sED != "2-*") {
            r.nS1 = rnd.bounded(1 << 30);
            r.sU1 = date();
        }
        if (r.sED != "1-*") {
            r.nS2 = rnd.bounded(1 << 30);
            r.sU2 = date();
        }
        rows.push_back(std::move(r));
    }
    return rows;
}

double Ms(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

double ReferenceMs(int n)
{
    std::vector<qint64> v(static_cast<size_t>(n));
    QRandomGenerator rnd(2);
    for (auto& x : v)
        x = qint64(rnd.generate64() >> 1);
    QElapsedTimer t;
    t.start();
    std::stable_sort(v.begin(), v.end());
    return Ms(t);
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const double ref = ReferenceMs(n);
    std::printf("rows %d; reference (stable sort of %d numbers) %.1f ms\n", n, n, ref);
    vSpr grid;
    grid.resize(1200, 800);
    grid.show();
    grid.Model().SetRows(MakeRows(n));
    QApplication::processEvents();

    double worstSort = 0;
    for (int col = 0; col < 8; ++col) {
        QElapsedTimer t;
        t.start();
        grid.HeaderClicked(col, false);
        QApplication::processEvents();
        const double ms = Ms(t);
        worstSort = std::max(worstSort, ms);
        std::printf("  sort by column %d: %.0f ms (%.1f x reference)\n", col + 1, ms, ms / ref);
    }
    std::printf("slowest sort: %.0f ms (target under 1000 ms)\n", worstSort);
    grid.HeaderClicked(0, true);

    FindBar find(grid);
    find.Open();
    for (const char* text : {"file123", "SUB1", "no such name"}) {
        QElapsedTimer t;
        t.start();
        find.Edit()->setText(QString::fromLatin1(text));
        find.Next();
        QApplication::processEvents();
        const double ms = Ms(t);
        std::printf("find \"%s\": %d matches, %.0f ms (%.1f x reference; target under 200 ms)\n", text, find.Matches(),
                    ms, ms / ref);
    }

    QScrollBar* bar = grid.verticalScrollBar();
    double worstStep = 0;
    int steps = 0;
    QElapsedTimer all;
    all.start();
    for (int v = 0; v <= bar->maximum(); v += std::max(1, bar->maximum() / 2000)) {
        QElapsedTimer t;
        t.start();
        bar->setValue(v);
        grid.viewport()->repaint();
        worstStep = std::max(worstStep, Ms(t));
        ++steps;
    }
    std::printf("scroll: %d steps over all rows in %.0f ms, slowest step %.1f ms (target under 100 ms)\n", steps,
                Ms(all), worstStep);
    return 0;
}
