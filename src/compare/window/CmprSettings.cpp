#include "compare/window/CmprSettings.h"

#include "app/state/Usr.h"
#include "compare/window/CmprDialogs.h"
#include "compare/window/WinSettings.h"
#include "env/yIni.h"
#include "ui/Guard.h"

#include <QAction>
#include <QMenu>
#include <algorithm>

CmprRequest CmprSettings::Request(const QString& sFld1, const QString& sFld2) const
{
    CmprRequest req;
    req.sFld1 = sFld1;
    req.sFld2 = sFld2;
    req.rule = m_rule;
    req.filter = WalkFilter({m_exclude}, {m_include});
    req.fso = &Usr::ChkFso();
    if (m_rule.ReadsContents())
        req.digestCache = Usr::DigestCacheFile();
    return req;
}

void CmprSettings::BuildMenus(QMenu* parent, QObject* owner)
{
    QMenu* how = parent->addMenu(QStringLiteral("比較の方法"));
    for (const CriterionInfo& c : kCriteria) {
        QAction* a = how->addAction(QString::fromUtf16(c.shown) + QStringLiteral("で比較"));
        a->setCheckable(true);
        QObject::connect(a, &QAction::triggered, owner, [this, k = c.criterion] {
            m_rule.criterion = k;
            Changed(Change::Rule);
        });
        m_crit[size_t(c.criterion)] = a;
    }
    how->addSeparator();
    m_moves = how->addAction(QString::fromUtf16(kMovesMenu));
    m_moves->setCheckable(true);
    QObject::connect(m_moves, &QAction::triggered, owner, [this](bool on) {
        m_rule.moves = on;
        Changed(Change::Rule);
    });
    QMenu* tol = parent->addMenu(QStringLiteral("更新日時の許容差"));
    for (const ToleranceInfo& t : kTolerances) {
        QAction* a = tol->addAction(QString::fromUtf16(t.menu));
        a->setCheckable(true);
        QObject::connect(a, &QAction::triggered, owner, [this, k = t.tolerance] {
            m_rule.tolerance = k;
            Changed(Change::Rule);
        });
        m_tol[size_t(t.tolerance)] = a;
    }
    m_filter = parent->addAction(QStringLiteral("比較から除くﾌｧｲﾙとﾌｫﾙﾀﾞ..."), owner,
                                 [this] { Usr::Guard([this] { EditFilters(); }); });
    Check();
}

void CmprSettings::Check()
{
    for (size_t i = 0; i < m_crit.size(); ++i)
        if (m_crit[i])
            m_crit[i]->setChecked(size_t(m_rule.criterion) == i);
    for (size_t i = 0; i < m_tol.size(); ++i)
        if (m_tol[i])
            m_tol[i]->setChecked(size_t(m_rule.tolerance) == i);
    if (m_moves)
        m_moves->setChecked(m_rule.moves);
}

void CmprSettings::Changed(Change c)
{
    Check();
    if (m_changed)
        m_changed(c);
}

void CmprSettings::EditFilters()
{
    QString ex = m_exclude, in = m_include;
    if (!CmprDlg().EditFilters(ex, in))
        return;
    m_exclude = ex;
    m_include = in;
    m_filterSet = true;
    Changed(Change::Filters);
}

void CmprSettings::Load(yIni& ini)
{
    WinSettings s;
    LoadSection(ini, kRuleSection, false, s);
    m_rule.criterion = CmprRule::Criterion(std::clamp(s.criterion, 0, int(kCriteria.size()) - 1));
    m_rule.tolerance = CmprRule::Tolerance(std::clamp(s.tolerance, 0, int(kTolerances.size()) - 1));
    m_rule.moves = s.moves != 0;
    LoadSection(ini, kFilterSection, false, s);
    m_exclude = s.exclude;
    m_include = s.include;
    Check();
}

// Each section is written only once the user has chosen other than the
// defaults (or set the patterns), so a settings file of the plain program
// stays as it was.
void CmprSettings::Save(yIni& ini) const
{
    WinSettings s;
    ini.GetGtx(kRuleSection);
    if (!ini.Section().isEmpty() || !m_rule.IsDefault()) {
        s.criterion = int(m_rule.criterion);
        s.tolerance = int(m_rule.tolerance);
        s.moves = m_rule.moves ? 1 : 0;
        SaveSection(ini, kRuleSection, false, s);
    }
    ini.GetGtx(kFilterSection);
    if (!ini.Section().isEmpty() || m_filterSet) {
        s.exclude = m_exclude;
        s.include = m_include;
        SaveSection(ini, kFilterSection, false, s);
    }
}
