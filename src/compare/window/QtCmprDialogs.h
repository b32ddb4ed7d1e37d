#pragma once
// The comparison window's dialogs in the running program, on Qt widgets.
#include "compare/window/CmprDialogs.h"

class QtCmprDialogs : public ICmprDialogs {
public:
    bool EditFilters(QString& exclude, QString& include) override;
    bool EditCompareTool(QString& cmd) override;
    bool ConfirmPlan(const QString& title, const PlanNote& note, std::vector<PlanLine>& lines) override;
};
