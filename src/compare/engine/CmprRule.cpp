#include "compare/engine/CmprRule.h"

QString RuleText(const CmprRule& r)
{
    QString t = QString::fromUtf16(kCriteria[size_t(r.criterion)].shown);
    const char16_t* tol = kTolerances[size_t(r.tolerance)].shown;
    if (*tol)
        t += QStringLiteral("、") + QString::fromUtf16(tol);
    if (r.moves)
        t += QStringLiteral("、") + QString::fromUtf16(kMovesShown);
    return t;
}
