#include "compare/CmprList.h"

#include "app/Usr.h"
#include "compare/CmprEngine.h"
#include "compare/ListFile.h"
#include "compare/ResultModel.h"
#include "compare/RowFormat.h"
#include "compare/RowTable.h"
#include "compare/RunLog.h"
#include "compare/StoreSink.h"
#include "compare/vSpr.h"
#include "env/Error.h"
#include "env/Heap.h"
#include "ui/Dialogs.h"
#include "ui/sbWait.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>

namespace {
const int kChunk = 10000;

// Chunks of rows handed from the thread that reads the store to the one
// that makes the table; at most two wait, so memory holds little more than
// the table.
class Chunks {
public:
    struct Closed {};
    // Waits for room; throws Closed once the taker has given up.
    void Put(std::vector<GridRow>&& c)
    {
        std::unique_lock lk(m_mx);
        m_cv.wait(lk, [&] { return m_q.size() < 2 || m_closed; });
        if (m_closed)
            throw Closed{};
        m_q.push_back(std::move(c));
        m_cv.notify_all();
    }
    // The next chunk; false once the reader has ended and all are taken.
    bool Take(std::vector<GridRow>& c)
    {
        std::unique_lock lk(m_mx);
        m_cv.wait(lk, [&] { return !m_q.empty() || m_closed; });
        if (m_q.empty())
            return false;
        c = std::move(m_q.front());
        m_q.pop_front();
        m_cv.notify_all();
        return true;
    }
    void Close()
    {
        std::lock_guard lk(m_mx);
        m_closed = true;
        m_cv.notify_all();
    }

private:
    std::mutex m_mx;
    std::condition_variable m_cv;
    std::deque<std::vector<GridRow>> m_q;
    bool m_closed = false;
};

// The rows of a display mode as the grid's table: the store is read on a
// thread of its own while the table is made of what it has read.
RowTable ReadTable(SqlDb& db, int nDisp)
{
    Chunks chunks;
    auto reader = std::async(std::launch::async, [&] {
        try {
            FetchRows(db, nDisp, kChunk, [&](std::vector<GridRow>& c) { chunks.Put(std::move(c)); });
        } catch (const Chunks::Closed&) {
        } catch (...) {
            chunks.Close();
            throw;
        }
        chunks.Close();
    });
    RowTable all;
    try {
        std::vector<GridRow> c;
        while (chunks.Take(c))
            for (const GridRow& r : c)
                all.Add(r);
    } catch (...) {
        chunks.Close();
        reader.wait();
        throw;
    }
    reader.get(); // what the reading met, if anything
    all.Done();
    return all;
}
} // namespace

CmprList::CmprList(vSpr& grid, ResultStore& store) : m_grid(grid), m_store(store) {}

void CmprList::SetMenus(const std::array<QAction*, 3>& disp, QAction* copy, QAction* save)
{
    m_disp = disp;
    m_copy = copy;
    m_save = save;
}

void CmprList::ShwLst()
{
    QString msg = QStringLiteral("比較結果を表にｾｯﾄしています");
    sbWait::Instance().cMsg(msg);
    RowTable all = ReadTable(m_store.Db(), nDisp);
    m_grid.Model().SetTable(std::move(all));
    for (QAction* a : {m_copy, m_save})
        if (a)
            a->setEnabled(true);
    sbWait::Instance().cEnd();
    if (onShown)
        onShown();
}

QString CmprList::SkippedText(const std::vector<WalkSkip>& skipped)
{
    const size_t shown = std::min<size_t>(skipped.size(), 20);
    QString t = QStringLiteral("読めなかったﾌｫﾙﾀﾞとﾌｧｲﾙが ") + QString::number(skipped.size()) +
                QStringLiteral(" 件あり、比較から除きました");
    for (size_t i = 0; i < shown; ++i)
        t += QLatin1Char('\n') + skipped[i].path + QStringLiteral(" (") + skipped[i].reason + QLatin1Char(')');
    if (shown < skipped.size())
        t += QStringLiteral("\n...");
    return t;
}

QString CmprList::SkippedList(const std::vector<WalkSkip>& skipped)
{
    QString t;
    for (const WalkSkip& s : skipped)
        t += s.path + QLatin1Char('\t') + s.reason + QLatin1Char('\n');
    return t;
}

void CmprList::CheckDisp()
{
    for (int i = 0; i < 3; ++i)
        if (m_disp[size_t(i)])
            m_disp[size_t(i)]->setChecked(i == nDisp);
}

void CmprList::mnDisp_Click(int Index)
{
    nDisp = Index;
    CheckDisp();
    if (!bCmprd)
        return;
    try {
        m_store.OpnDb();
        if (RunLog::Latest(m_store.Db()) != nRun) {
            // another window or the CLI compared since: its rows are not
            // this window's folders, so the grid keeps what it shows
            m_store.ClsDb();
            Usr::Dlg().MsgBox(QStringLiteral("比較結果が他の比較で置き換えられたため表示できません") +
                              QLatin1Char('\n') + QStringLiteral("もう一度比較して下さい"));
            return;
        }
        ShwLst();
        m_store.ClsDb();
    } catch (const std::exception& e) {
        m_store.ClsDb();
        sbWait::Instance().cEnd();
        Usr::Dlg().MsgBox(QStringLiteral("比較結果を表示できません") + QLatin1Char('\n') + ErrText(e));
    }
}

void CmprList::CopyList()
{
    QString text = m_grid.Model().ClipboardText();
    m_grid.selectAll();
    QGuiApplication::clipboard()->setText(text);
    m_grid.clearSelection();
}

void CmprList::SaveList()
{
    const QString path = Usr::Dlg().SaveFile(QStringLiteral("比較ﾘｽﾄの保存"), QStringLiteral("比較ﾘｽﾄ.csv"),
                                             QStringLiteral("CSV (*.csv);;TSV (*.tsv)"));
    if (path.isEmpty())
        return;
    try {
        Usr::ChkFso().WriteBytesAtomic(path, ListFileBytes(m_grid.Model(), FormatOfFile(path)));
    } catch (const std::exception& e) {
        Usr::Dlg().MsgBox(QStringLiteral("比較ﾘｽﾄを保存できませんでした") + QLatin1Char('\n') + ErrText(e));
    }
}

QString CmprList::StatusText(const QString& cur1, const QString& cur2) const
{
    if (!bCmprd)
        return QString();
    QString t;
    if (cur1 != m_fld1 || cur2 != m_fld2)
        t += QStringLiteral("※ 以前のﾌｫﾙﾀﾞの比較結果です　");
    t += QStringLiteral("ﾌｫﾙﾀﾞ1: ") + m_fld1 + QStringLiteral("　ﾌｫﾙﾀﾞ2: ") + m_fld2 + QStringLiteral("　比較日時: ") +
         m_when.toString(QStringLiteral("yy/MM/dd hh:mm:ss")) + QStringLiteral("　表示 ") +
         QString::number(m_grid.Model().DataRows()) + QStringLiteral(" 件 (");
    const auto n = m_grid.Model().CodeCounts();
    for (size_t i = 0; i < 6; ++i)
        if (i < 5 || n[i] > 0) // the code of other sizes or contents only where there are such rows
            t += (i ? QStringLiteral(", ") : QString()) + *CmprCd::kAll[i] + QLatin1Char(' ') + QString::number(n[i]);
    return t + QLatin1Char(')');
}

void CmprList::CmprFld(const QString& sFld1, const QString& sFld2)
{
    QString msg = QStringLiteral("ﾌｧｲﾙを比較しています");
    sbWait& w = sbWait::Instance();
    try {
        std::atomic<bool> stop{false};
        w.cMsg(msg);
        w.AllowStop(&stop);
        m_store.OpnDb();
        CmprEngine engine;
        StoreSink sink(m_store.Db());
        engine.Compare(
            sFld1, sFld2, sink, [&w](qint64 n) { w.ShowCount(n); }, &stop, rule,
            [&w](qint64 bytes) { w.ShowBytes(bytes); });
        w.cEnd();
        bCmprd = true;
        nRun = sink.nRun();
        m_fld1 = sFld1;
        m_fld2 = sFld2;
        m_when = QDateTime::currentDateTime();
        ReturnFreedMemory(); // what the run freed in the pieces of every heap
        ShwLst();
        if (!engine.Skipped().empty())
            Usr::Dlg().MsgList(SkippedText(engine.Skipped()), SkippedList(engine.Skipped()));
    } catch (const std::exception& e) {
        m_store.ClsDb();
        w.cEnd();
        const auto* fe = dynamic_cast<const FcError*>(&e);
        if (fe && fe->kind() == ErrKind::Stopped) // the store keeps the last result
            Usr::Dlg().MsgBox(fe->message());
        else
            Usr::Dlg().MsgBox(QStringLiteral("比較できませんでした") + QLatin1Char('\n') + ErrText(e));
        return;
    }
    m_store.ClsDb();
}
