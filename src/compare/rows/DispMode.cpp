#include "compare/rows/DispMode.h"

#include <QStringList>

namespace {
// A mode either lists the codes it leaves out (texts not ours are shown)
// or the codes it shows (texts not ours are left out).
struct ModeRule {
    bool all = false;
    bool othersShown = true;
};

ModeRule RuleOf(DispMode m)
{
    switch (m) {
    case DispMode::Differences: return {false, true};
    case DispMode::Changed: return {false, false};
    default: return {true, true};
    }
}

bool Shows(DispMode m, const CmprCodeInfo& i)
{
    switch (m) {
    case DispMode::Differences: return i.code != CmprCode::Same;
    case DispMode::Changed: return i.side1 && i.side2 && i.code != CmprCode::Same && !i.sameBytes;
    default: return true;
    }
}
} // namespace

bool ShownInMode(DispMode m, CmprCode c) { return RuleOf(m).all || Shows(m, kCmprCodes[size_t(c)]); }

bool ShownInMode(DispMode m, QStringView code)
{
    const ModeRule rule = RuleOf(m);
    if (rule.all)
        return true;
    const std::optional<CmprCode> c = CodeOf(code);
    return c ? Shows(m, kCmprCodes[size_t(*c)]) : rule.othersShown;
}

QString ModeCondition(DispMode m)
{
    const ModeRule rule = RuleOf(m);
    if (rule.all)
        return QString();
    QStringList listed;
    for (const CmprCodeInfo& i : kCmprCodes)
        if (Shows(m, i) != rule.othersShown)
            listed << QLatin1Char('\'') + QString::fromUtf16(i.text) + QLatin1Char('\'');
    if (listed.size() == 1)
        return QStringLiteral("sED") + (rule.othersShown ? QStringLiteral("<>") : QStringLiteral("=")) + listed[0];
    return QStringLiteral("sED") + (rule.othersShown ? QStringLiteral(" Not In (") : QStringLiteral(" In (")) +
           listed.join(QLatin1Char(',')) + QLatin1Char(')');
}
