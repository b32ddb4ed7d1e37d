#pragma once
// Acting on the shown result from the window: a whole-folder plan or an
// action on the chosen rows. The plan is made from a fresh comparison of
// the shown folders (same rule and filters), shown in a preview, carried
// out with progress and "中止", its failures listed; then the folders are
// compared again, so the grid and the store show the files as they are.
#include "compare/act/SyncPlan.h"

#include <QStringList>
#include <functional>

class CmprList;

class SyncActions {
public:
    explicit SyncActions(CmprList& list) : m_list(list) {}
    void RunPlan(PlanKind k);
    // The rows by their keys (RowKey of their folder and name).
    void ActOnRows(RowAct act, const QStringList& keys);
    static QString PlanCaption(PlanKind k);
    static QString RowCaption(RowAct a);

private:
    // The plan `make` draws from a fresh comparison; false when the
    // comparison failed or was stopped, or the folders may not be acted on.
    bool Plan(const std::function<SyncPlan(const CmprResult&)>& make, SyncPlan& out);
    void Carry(SyncPlan plan, const QString& title);
    CmprList& m_list;
};
