#include "compare/window/SyncActions.h"

#include "app/state/Usr.h"
#include "compare/act/SyncRun.h"
#include "compare/rows/GridRow.h"
#include "compare/run/CmprRun.h"
#include "compare/window/CmprList.h"
#include "compare/window/WaitProgress.h"
#include "env/Dialogs.h"
#include "env/Error.h"
#include "env/NameBytes.h"
#include "ui/sbWait.h"

#include <QStorageInfo>

namespace {
QString GroupOf(SyncAction::Kind k)
{
    return k == SyncAction::Copy      ? QStringLiteral("ｺﾋﾟｰ")
           : k == SyncAction::Replace ? QStringLiteral("置き換え(古いﾌｧｲﾙはごみ箱へ)")
                                      : QStringLiteral("ごみ箱へ");
}

QString Bytes(qint64 n) { return (n == 0 ? QStringLiteral("0") : SizeText(n)) + QStringLiteral(" ﾊﾞｲﾄ"); }

// What each side takes in, against its free space.
QString SpaceNote(const std::vector<SyncAction>& plan, const QString& root1, const QString& root2)
{
    qint64 need[3] = {0, 0, 0};
    for (const SyncAction& a : plan)
        if (a.kind != SyncAction::Trash)
            need[a.side] += a.bytes;
    QString t;
    for (int side : {1, 2}) {
        if (need[side] == 0)
            continue;
        const qint64 free = QStorageInfo(side == 1 ? root1 : root2).bytesAvailable();
        t += (t.isEmpty() ? QString() : QStringLiteral("\n")) + QStringLiteral("ﾌｫﾙﾀﾞ%1 に書く量 ").arg(side) +
             Bytes(need[side]) + QStringLiteral(" / 空き ") + Bytes(free) +
             (free < need[side] ? QStringLiteral("  ※ 空きが足りません") : QString());
    }
    return t.isEmpty() ? QStringLiteral("書き込むﾌｧｲﾙはありません") : t;
}
} // namespace

QString SyncActions::PlanCaption(PlanKind k)
{
    const char* const captions[] = {"ﾌｫﾙﾀﾞ2を更新する...", "ﾌｫﾙﾀﾞ1を更新する...", "両方を新しい方に揃える...",
                                    "ﾌｫﾙﾀﾞ2をﾌｫﾙﾀﾞ1と同じにする...", "ﾌｫﾙﾀﾞ1をﾌｫﾙﾀﾞ2と同じにする..."};
    return QString::fromUtf8(captions[int(k)]);
}

QString SyncActions::RowCaption(RowAct a)
{
    const char* const captions[] = {"ﾌｫﾙﾀﾞ2へｺﾋﾟｰ...", "ﾌｫﾙﾀﾞ1へｺﾋﾟｰ...", "ﾌｫﾙﾀﾞ1のﾌｧｲﾙをごみ箱へ...",
                                    "ﾌｫﾙﾀﾞ2のﾌｧｲﾙをごみ箱へ..."};
    return QString::fromUtf8(captions[int(a)]);
}

bool SyncActions::Pairs(std::vector<CmprResult::Pair>& out)
{
    QString msg = QStringLiteral("ﾌｧｲﾙを比較しています");
    sbWait& w = sbWait::Instance();
    WaitProgress progress(w, true);
    try {
        w.cMsg(msg);
        CmprRequest req;
        req.sFld1 = m_list.Fld1();
        req.sFld2 = m_list.Fld2();
        req.rule = m_list.rule;
        req.filter = WalkFilter({m_list.exclude}, {m_list.include});
        req.fso = &Usr::ChkFso();
        CmprRun run(std::move(req), progress);
        out = run.Compare().Pairs();
        w.cEnd();
        return true;
    } catch (const std::exception& e) {
        w.cEnd();
        Usr::Dlg().MsgBox(QStringLiteral("比較できませんでした") + QLatin1Char('\n') + ErrText(e));
        return false;
    }
}

void SyncActions::RunPlan(PlanKind k)
{
    std::vector<CmprResult::Pair> pairs;
    if (m_list.bCmprd && Pairs(pairs))
        Carry(MakePlan(pairs, k), PlanCaption(k).chopped(3));
}

void SyncActions::ActOnRows(RowAct act, const QStringList& keys)
{
    std::vector<CmprResult::Pair> pairs;
    if (m_list.bCmprd && !keys.isEmpty() && Pairs(pairs))
        Carry(MakeRowPlan(pairs, keys, act), RowCaption(act).chopped(3));
}

void SyncActions::Carry(std::vector<SyncAction> plan, const QString& title)
{
    if (plan.empty()) {
        Usr::Dlg().MsgBox(QStringLiteral("行う作業はありません"));
        return;
    }
    std::vector<PlanLine> lines;
    for (const SyncAction& a : plan)
        lines.push_back({GroupOf(a.kind), QStringLiteral("ﾌｫﾙﾀﾞ%1: ").arg(a.side) + a.Path(), a.bytes, true});
    if (!Usr::Dlg().ConfirmPlan(title, SpaceNote(plan, m_list.Fld1(), m_list.Fld2()), lines))
        return;
    std::vector<SyncAction> chosen;
    for (size_t i = 0; i < plan.size(); ++i)
        if (lines[i].chosen)
            chosen.push_back(std::move(plan[i]));
    QString msg = QStringLiteral("ﾌｧｲﾙを揃えています");
    sbWait& w = sbWait::Instance();
    std::vector<SyncOutcome> out;
    {
        WaitProgress progress(w, true);
        w.cMsg(msg);
        out = ApplyPlan(chosen, m_list.Fld1(), m_list.Fld2(), progress);
        w.cEnd();
    }
    int done = 0;
    QString failed;
    for (size_t i = 0; i < chosen.size(); ++i) {
        if (out[i].state == SyncOutcome::Done) {
            ++done;
            continue;
        }
        failed += ShownName(QStringLiteral("ﾌｫﾙﾀﾞ%1: ").arg(chosen[i].side) + chosen[i].Path()) + QLatin1Char('\t') +
                  out[i].reason + QLatin1Char('\n');
    }
    m_list.done =
        QStringLiteral("%1: %2 件を行いました").arg(title).arg(done) +
        (failed.isEmpty() ? QString() : QStringLiteral("、%1 件はできませんでした").arg(int(chosen.size()) - done));
    m_list.CmprFld(m_list.Fld1(), m_list.Fld2()); // the grid and the store as the files are now
    if (!failed.isEmpty())
        Usr::Dlg().MsgList(QStringLiteral("できなかった作業が %1 件あります").arg(int(chosen.size()) - done) +
                               QLatin1Char('\n') + failed.left(2000),
                           failed);
}
