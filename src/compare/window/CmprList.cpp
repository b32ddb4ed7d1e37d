#include "compare/window/CmprList.h"

#include "app/state/Usr.h"
#include "compare/grid/ListFile.h"
#include "compare/grid/ResultModel.h"
#include "compare/grid/vSpr.h"
#include "compare/run/CmprRun.h"
#include "compare/run/RowRead.h"
#include "compare/store/RunLog.h"
#include "compare/window/CmprSettings.h"
#include "compare/window/WaitProgress.h"
#include "env/Dialogs.h"
#include "env/Error.h"
#include "env/Heap.h"
#include "ui/sbWait.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

CmprList::CmprList(vSpr& grid, ResultStore& store) : m_grid(grid), m_store(store) {}

void CmprList::SetMenus(const std::array<QAction*, kDispModes>& disp, QAction* copy, QAction* save)
{
    m_disp = disp;
    m_copy = copy;
    m_save = save;
}

bool CmprList::ShwLst()
{
    QString msg = QStringLiteral("比較結果を表にｾｯﾄしています");
    sbWait::Instance().cMsg(msg);
    WaitProgress progress(sbWait::Instance(), false);
    CmprProgress p;
    std::optional<RowTable> rows = ReadOwnTable(m_store.Db(), nDisp, nRun, progress, p);
    if (!rows) {
        sbWait::Instance().cEnd();
        return false;
    }
    auto table = std::make_shared<const RowTable>(std::move(*rows));
    if (nDisp == DispMode::All) // every row of the run: it serves as the window's own copy
        m_own = table;
    Show(table, DispMode::All);
    return true;
}

void CmprList::Show(std::shared_ptr<const RowTable> rows, DispMode filter)
{
    m_grid.Model().SetTable(std::move(rows), filter);
    for (QAction* a : {m_copy, m_save})
        if (a)
            a->setEnabled(true);
    sbWait::Instance().cEnd();
    if (m_onShown)
        m_onShown();
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
    for (int i = 0; i < kDispModes; ++i)
        if (m_disp[size_t(i)])
            m_disp[size_t(i)]->setChecked(DispMode(i) == nDisp);
}

// While the store holds this window's run, the rows are read from it; once
// another window or the CLI has replaced them, the window shows its own
// copy of its result and leaves the store alone. A change not carried out
// leaves the mode as it was.
void CmprList::mnDisp_Click(int Index)
{
    const DispMode was = nDisp;
    nDisp = DispMode(Index);
    CheckDisp();
    if (!bCmprd)
        return;
    try {
        m_store.OpnDb();
        const bool shown = ShwLst();
        m_store.ClsDb();
        if (!shown && m_own) {
            Show(m_own, nDisp);
        } else if (!shown) {
            nDisp = was;
            CheckDisp();
            Usr::Dlg().MsgBox(QStringLiteral("比較結果が他の比較で置き換えられたため表示できません") +
                              QLatin1Char('\n') + QStringLiteral("もう一度比較して下さい"));
        }
    } catch (const std::exception& e) {
        m_store.ClsDb();
        sbWait::Instance().cEnd();
        nDisp = was;
        CheckDisp();
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

namespace {
// Whether the patterns set now are those a result was made with; a list
// that cannot be made into patterns is not.
bool SameFilters(const WalkFilter& shown, const CmprSettings& now)
{
    try {
        const WalkFilter f({now.Exclude()}, {now.Include()});
        return f.ExcludeText() == shown.ExcludeText() && f.IncludeText() == shown.IncludeText();
    } catch (const FcError&) {
        return false;
    }
}
} // namespace

QString CmprList::StatusText(const QString& cur1, const QString& cur2, const CmprSettings& now) const
{
    if (!bCmprd)
        return QString();
    const QString excluded = m_shown.filter.ExcludeText(), included = m_shown.filter.IncludeText();
    QString t;
    if (cur1 != Fld1() || cur2 != Fld2())
        t += QStringLiteral("※ 以前のﾌｫﾙﾀﾞの比較結果です　");
    if (!m_done.isEmpty())
        t += QStringLiteral("※ ") + m_done + QStringLiteral("　");
    if (!excluded.isEmpty() || !included.isEmpty())
        t += QStringLiteral("※ ﾌｨﾙﾀで絞った比較結果です　");
    if (!SameFilters(m_shown.filter, now))
        t += QStringLiteral("※ 今のﾌｨﾙﾀとは違うﾌｨﾙﾀで比較した結果です　");
    if (!(now.Rule() == m_shown.rule))
        t += QStringLiteral("※ 今の比較の方法とは違う方法で比較した結果です　");
    t += QStringLiteral("ﾌｫﾙﾀﾞ1: ") + Fld1() + QStringLiteral("　ﾌｫﾙﾀﾞ2: ") + Fld2() + QStringLiteral("　比較日時: ") +
         m_when.toString(QStringLiteral("yy/MM/dd hh:mm:ss")) + QStringLiteral("　表示 ") +
         QString::number(m_grid.Model().DataRows()) + QStringLiteral(" 件 (");
    const auto n = m_grid.Model().CodeCounts();
    for (size_t i = 0; i < n.size(); ++i) {
        const CmprCode c = kCmprCodes[i].code;
        if (!kCmprCodes[i].onlyWhenMet || n[i] > 0) // 1≠2 and 1↔2 only where there are such rows
            t += (i ? QStringLiteral(", ") : QString()) + CodeText(c) + QLatin1Char(' ') + QString::number(n[i]);
    }
    t += QLatin1Char(')');
    if (!m_shown.rule.IsDefault())
        t += QStringLiteral("　方法: ") + RuleText(m_shown.rule);
    if (!excluded.isEmpty())
        t += QStringLiteral("　除外: ") + excluded;
    if (!included.isEmpty())
        t += QStringLiteral("　対象: ") + included;
    return t;
}

// The run's rows are read back for the grid before they are committed, so
// a stop at any moment up to the commit leaves both the store and the grid
// with the previous result.
void CmprList::CmprFld(const CmprSettings& how, const QString& sFld1, const QString& sFld2, const QString& done)
{
    m_done = done;
    sbWait& w = sbWait::Instance();
    // the wait window's "中止" sets its flag until cEnd
    WaitProgress progress(w, true, QStringLiteral("比較結果を表にｾｯﾄしています"));
    try {
        QString msg = QStringLiteral("ﾌｧｲﾙを比較しています");
        w.cMsg(msg);
        CmprRequest req = how.Request(sFld1, sFld2);
        req.storePath = m_store.Path();
        CmprNeeds needs;
        needs.readBack = DispMode::All;
        CmprOutcome out = CmprRun::Run(req, needs, progress);
        if (!out.cacheNote.isEmpty()) // the run read the bytes instead: said on the status line
            m_done = m_done.isEmpty() ? out.cacheNote : m_done + QStringLiteral("　") + out.cacheNote;
        bCmprd = true;
        nRun = out.nRun;
        m_shown = std::move(req);
        m_when = QDateTime::currentDateTime();
        m_own = out.rows;
        Show(out.rows, nDisp);
        if (!out.skipped.empty())
            Usr::Dlg().MsgList(SkippedText(out.skipped), SkippedList(out.skipped));
    } catch (const std::exception& e) {
        w.cEnd();
        const auto* fe = dynamic_cast<const FcError*>(&e);
        if (fe && fe->kind() == ErrKind::Stopped) // the store keeps the last result
            Usr::Dlg().MsgBox(fe->message());
        else
            Usr::Dlg().MsgBox(QStringLiteral("比較できませんでした") + QLatin1Char('\n') + ErrText(e));
    }
}
