#pragma once
// Acting on the shown result from the window: a whole-folder plan or an
// action on the chosen rows. The plan is made from a fresh comparison of
// the shown folders (same rule and filters), shown in a preview, carried
// out with progress and "中止", its failures listed; then the folders are
// compared again, so the grid and the store show the files as they are.
#include "compare/act/SyncPlan.h"

#include <QStringList>
#include <array>
#include <functional>

class CmprList;
class CmprSettings;
class QAction;
class QMenu;
class QObject;

class SyncActions {
public:
    SyncActions(CmprList& list, const CmprSettings& how) : m_list(list), m_how(how) {}
    // "選択した行の操作" and "ﾌｫﾙﾀﾞを揃える" added to `parent`, made from the
    // tables of row actions and plans, greyed until a result is shown;
    // `keys` gives the chosen rows' keys; `owner` holds the connections.
    void BuildMenus(QMenu* parent, QObject* owner, std::function<QStringList()> keys);
    // The entries usable once a result is shown.
    void Enable();
    QAction* PlanAction(PlanKind k) const { return m_plan[size_t(k)]; }
    QAction* RowAction(RowAct a) const { return m_row[size_t(a)]; }
    void RunPlan(PlanKind k);
    // The rows by their keys (RowKey of their folder and name).
    void ActOnRows(RowAct act, const QStringList& keys);

private:
    // The plan `make` draws from a fresh comparison; false when the
    // comparison failed or was stopped, or the folders may not be acted on.
    bool Plan(const std::function<SyncPlan(const CmprResult&)>& make, SyncPlan& out);
    void Carry(SyncPlan plan, const QString& title);
    CmprList& m_list;
    const CmprSettings& m_how;
    std::array<QAction*, kPlans.size()> m_plan{};
    std::array<QAction*, kRowActs.size()> m_row{};
};
