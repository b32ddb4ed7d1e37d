#include "compare/window/SyncActions.h"

#include "app/state/Usr.h"
#include "compare/act/SyncRun.h"
#include "compare/run/CmprRun.h"
#include "compare/window/CmprDialogs.h"
#include "compare/window/CmprList.h"
#include "compare/window/CmprSettings.h"
#include "compare/window/WaitProgress.h"
#include "env/Dialogs.h"
#include "env/Error.h"
#include "env/NameBytes.h"
#include "ui/Guard.h"
#include "ui/sbWait.h"

#include <QAction>
#include <QMenu>
#include <QStorageInfo>
#include <algorithm>

namespace {
QString GroupOf(const SyncAction& a)
{
    if (a.olderOverNewer)
        return QStringLiteral("※新しいﾌｧｲﾙを古いﾌｧｲﾙで置き換えます(新しいﾌｧｲﾙはごみ箱へ)");
    return QString::fromUtf16(kActionKinds[size_t(a.kind)].group);
}

QString PathOf(const SyncAction& a)
{
    const QString to = QStringLiteral("ﾌｫﾙﾀﾞ%1: ").arg(a.side) + a.Path();
    return a.kind == SyncAction::Move
               ? QStringLiteral("ﾌｫﾙﾀﾞ%1: ").arg(a.side) + a.SrcPath() + QStringLiteral(" → ") + a.Path()
               : to;
}

// An action as its preview lists it; a conflict is shown, never carried out.
PlanLine LineOf(const SyncAction& a)
{
    const bool conflict = a.kind == SyncAction::Conflict;
    PlanLine l{GroupOf(a), PathOf(a), a.bytes, !conflict, a.side};
    l.writes = a.kind == SyncAction::Copy || a.kind == SyncAction::Replace;
    l.replaces = a.kind == SyncAction::Replace;
    l.olderOverNewer = a.olderOverNewer;
    l.shownOnly = conflict;
    return l;
}

// What the preview names below its lines: the filters in force (nothing
// they leave out is touched), and the paths that could not be read, below
// which the other side is neither trashed nor replaced.
QString NoteOf(const SyncPlan& plan, const QString& exclude, const QString& include)
{
    QStringList t;
    if (!exclude.trimmed().isEmpty())
        t << QStringLiteral("比較から除いたもの: ") + exclude.trimmed();
    if (!include.trimmed().isEmpty())
        t << QStringLiteral("比較したﾌｧｲﾙ: ") + include.trimmed();
    if (!plan.unread.empty()) {
        const size_t shown = std::min<size_t>(plan.unread.size(), 5);
        QStringList paths;
        for (size_t i = 0; i < shown; ++i)
            paths << QStringLiteral("ﾌｫﾙﾀﾞ%1: ").arg(plan.unread[i].first) + plan.unread[i].second;
        if (plan.unread.size() > shown)
            paths << QStringLiteral("ほか %1 か所").arg(plan.unread.size() - shown);
        t << QStringLiteral("読めなかった所: ") + paths.join(QStringLiteral("、"));
        t << QStringLiteral("もう一方の側のその下はごみ箱へ移さず置き換えません") +
                 (plan.held.empty() ? QString() : QStringLiteral("(行わない作業 %1 件)").arg(plan.held.size()));
    }
    return t.join(QLatin1Char('\n'));
}

// A side's free space; -1 when it cannot be known.
qint64 FreeOn(const QString& root)
{
    const QStorageInfo s(root);
    return s.isValid() ? s.bytesAvailable() : -1;
}

QString Caption(const char16_t* text) { return QString::fromUtf16(text); }
// A menu entry's caption as a title: without its "...".
QString Title(const char16_t* text) { return Caption(text).chopped(3); }
} // namespace

void SyncActions::BuildMenus(QMenu* parent, QObject* owner, std::function<QStringList()> keys)
{
    QMenu* rows = parent->addMenu(QStringLiteral("選択した行の操作"));
    QMenu* plans = parent->addMenu(QStringLiteral("ﾌｫﾙﾀﾞを揃える"));
    for (const RowActInfo& r : kRowActs)
        m_row[size_t(r.act)] = rows->addAction(Caption(r.caption), owner,
                                               [this, a = r.act, keys] { Usr::Guard([&] { ActOnRows(a, keys()); }); });
    for (const PlanInfo& p : kPlans)
        m_plan[size_t(p.kind)] =
            plans->addAction(Caption(p.caption), owner, [this, k = p.kind] { Usr::Guard([&] { RunPlan(k); }); });
    for (QAction* a : m_row)
        a->setEnabled(false);
    for (QAction* a : m_plan)
        a->setEnabled(false);
}

void SyncActions::Enable()
{
    for (QAction* a : m_row)
        a->setEnabled(true);
    for (QAction* a : m_plan)
        a->setEnabled(true);
}

bool SyncActions::Plan(const std::function<SyncPlan(const CmprResult&)>& make, SyncPlan& out)
{
    QString msg = QStringLiteral("ﾌｧｲﾙを比較しています");
    sbWait& w = sbWait::Instance();
    WaitProgress progress(w, true);
    try {
        w.cMsg(msg);
        CmprNeeds needs;
        needs.stamps = true; // each action is checked again against them
        needs.use = [&](const CmprResult& r) { out = make(r); };
        CmprRun::Run(m_how.Request(m_list.Fld1(), m_list.Fld2()), needs, progress);
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
    const CmprRule rule = m_how.Rule();
    if (m_list.Compared() && Plan([&](const CmprResult& r) { return MakePlan(r, k, rule); }, plan))
        Carry(std::move(plan), Title(kPlans[size_t(k)].caption));
}

void SyncActions::ActOnRows(RowAct act, const QStringList& keys)
{
    SyncPlan plan;
    if (m_list.Compared() && !keys.isEmpty() &&
        Plan([&](const CmprResult& r) { return MakeRowPlan(r, keys, act); }, plan))
        Carry(std::move(plan), Title(kRowActs[size_t(act)].caption));
}

void SyncActions::Carry(SyncPlan plan, const QString& title)
{
    if (plan.actions.empty() && plan.held.empty()) {
        Usr::Dlg().MsgBox(QStringLiteral("行う作業はありません"));
        return;
    }
    std::vector<PlanLine> lines;
    for (const SyncAction& a : plan.actions)
        lines.push_back(LineOf(a));
    for (const SyncAction& a : plan.held) {
        PlanLine l{QStringLiteral("読めなかった所があるため行わない"), PathOf(a), a.bytes, false, a.side};
        l.shownOnly = true;
        lines.push_back(l);
    }
    PlanNote note{NoteOf(plan, m_how.Exclude(), m_how.Include()), {-1, FreeOn(m_list.Fld1()), FreeOn(m_list.Fld2())}};
    if (!CmprDlg().ConfirmPlan(title, note, lines))
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
        failed += ShownName(PathOf(chosen[i])) + QLatin1Char('\t') + out[i].reason + QLatin1Char('\n');
    }
    const QString did =
        QStringLiteral("%1: %2 件を行いました").arg(title).arg(done) +
        (failed.isEmpty() ? QString() : QStringLiteral("、%1 件はできませんでした").arg(int(chosen.size()) - done));
    // the grid and the store as the files are now
    const QString fld1 = m_list.Fld1(), fld2 = m_list.Fld2();
    m_list.CmprFld(m_how, fld1, fld2, did);
    if (!failed.isEmpty())
        Usr::Dlg().MsgList(QStringLiteral("できなかった作業が %1 件あります").arg(int(chosen.size()) - done) +
                               QLatin1Char('\n') + failed.left(2000),
                           failed);
}
