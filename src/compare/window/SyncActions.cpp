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
    static const char* const groups[] = {"ｺﾋﾟｰ",           "置き換え(古いﾌｧｲﾙはごみ箱へ)", "ごみ箱へ", "ﾌｫﾙﾀﾞを作る",
                                         "ﾌｫﾙﾀﾞをごみ箱へ", "日時が同じで内容が違う(行わない)"};
    return QString::fromUtf8(groups[int(k)]);
}

QString Bytes(qint64 n) { return (n == 0 ? QStringLiteral("0") : SizeText(n)) + QStringLiteral(" ﾊﾞｲﾄ"); }

// What each side takes in, against its free space.
QString SpaceNote(const std::vector<SyncAction>& plan, const QString& root1, const QString& root2)
{
    qint64 need[3] = {0, 0, 0};
    for (const SyncAction& a : plan)
        if (a.kind == SyncAction::Copy || a.kind == SyncAction::Replace)
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

bool SyncActions::Plan(const std::function<SyncPlan(const CmprResult&)>& make, SyncPlan& out)
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
        req.walk.stamps = true; // each action is checked again against them
        req.fso = &Usr::ChkFso();
        CmprRun run(std::move(req), progress);
        out = make(run.Compare());
        w.cEnd();
    } catch (const std::exception& e) {
        w.cEnd();
        Usr::Dlg().MsgBox(QStringLiteral("比較できませんでした") + QLatin1Char('\n') + ErrText(e));
        return false;
    }
    if (!out.refused.isEmpty()) {
        Usr::Dlg().MsgBox(out.refused + QStringLiteral("。ﾌｫﾙﾀﾞを揃えることはできません"));
        return false;
    }
    return true;
}

void SyncActions::RunPlan(PlanKind k)
{
    SyncPlan plan;
    const auto tol = m_list.rule.tolerance;
    if (m_list.bCmprd && Plan([&](const CmprResult& r) { return MakePlan(r, k, tol); }, plan))
        Carry(std::move(plan), PlanCaption(k).chopped(3));
}

void SyncActions::ActOnRows(RowAct act, const QStringList& keys)
{
    SyncPlan plan;
    if (m_list.bCmprd && !keys.isEmpty() && Plan([&](const CmprResult& r) { return MakeRowPlan(r, keys, act); }, plan))
        Carry(std::move(plan), RowCaption(act).chopped(3));
}

void SyncActions::Carry(SyncPlan plan, const QString& title)
{
    if (plan.actions.empty() && plan.held.empty()) {
        Usr::Dlg().MsgBox(QStringLiteral("行う作業はありません"));
        return;
    }
    std::vector<PlanLine> lines;
    for (const SyncAction& a : plan.actions)
        lines.push_back({GroupOf(a.kind), QStringLiteral("ﾌｫﾙﾀﾞ%1: ").arg(a.side) + a.Path(), a.bytes,
                         a.kind != SyncAction::Conflict});
    for (const SyncAction& a : plan.held)
        lines.push_back({QStringLiteral("読めなかった所があるため行わない"), QStringLiteral("ﾌｫﾙﾀﾞ%1: ").arg(a.side) + a.Path(),
                         a.bytes, false});
    if (!Usr::Dlg().ConfirmPlan(title, SpaceNote(plan.actions, m_list.Fld1(), m_list.Fld2()), lines))
        return;
    std::vector<SyncAction> all = std::move(plan.actions);
    for (size_t i = 0; i < all.size(); ++i)
        if (lines[i].chosen || all[i].kind == SyncAction::Conflict) // conflicts are reported at the end
            plan.actions.push_back(std::move(all[i]));
    const std::vector<SyncAction>& chosen = plan.actions;
    QString msg = QStringLiteral("ﾌｧｲﾙを揃えています");
    sbWait& w = sbWait::Instance();
    std::vector<SyncOutcome> out;
    {
        WaitProgress progress(w, true);
        w.cMsg(msg);
        out = ApplyPlan(plan, progress);
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
