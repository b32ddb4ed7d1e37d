#pragma once
// How the window compares: the rule (criterion, tolerance, moves) and the
// patterns of what a comparison leaves out. It makes their menu entries
// from the tables of criteria and tolerances, keeps them in sections of the
// settings file of their own (written only once the user has chosen them),
// and makes the window's comparison requests.
#include "compare/engine/CmprRule.h"
#include "compare/run/CmprRun.h"

#include <QString>
#include <array>
#include <functional>

class QAction;
class QMenu;
class QObject;
class yIni;

class CmprSettings {
public:
    enum class Change { Rule, Filters };
    // Told after the user changed the rule or the patterns.
    void OnChanged(std::function<void(Change)> f) { m_changed = std::move(f); }

    // The window's request for two folders. Throws FcError for a pattern
    // that no "]" closes.
    CmprRequest Request(const QString& sFld1, const QString& sFld2) const;
    const CmprRule& Rule() const { return m_rule; }
    // The patterns as typed.
    const QString& Exclude() const { return m_exclude; }
    const QString& Include() const { return m_include; }

    // "比較の方法", "更新日時の許容差" and the entry of the patterns' dialog,
    // added to `parent`; `owner` holds the connections.
    void BuildMenus(QMenu* parent, QObject* owner);
    QAction* CriterionAction(CmprRule::Criterion c) const { return m_crit[size_t(c)]; }
    QAction* ToleranceAction(CmprRule::Tolerance t) const { return m_tol[size_t(t)]; }
    QAction* MovesAction() const { return m_moves; }
    QAction* FilterAction() const { return m_filter; }

    void Load(yIni& ini);
    void Save(yIni& ini) const;

private:
    void Check();
    void EditFilters();
    void Changed(Change c);

    CmprRule m_rule;
    QString m_exclude, m_include;
    bool m_filterSet = false; // the user set the patterns in this session
    std::array<QAction*, kCriteria.size()> m_crit{};
    std::array<QAction*, kTolerances.size()> m_tol{};
    QAction* m_moves = nullptr;
    QAction* m_filter = nullptr;
    std::function<void(Change)> m_changed;
};
