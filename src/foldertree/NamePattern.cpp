#include "foldertree/NamePattern.h"

#include <vector>

namespace {
// Whether character c fits the bracket list starting after '[' at p;
// sets end to the position after ']'. Returns false with end = -1 when the
// list is not closed.
bool InList(const QString& pat, qsizetype p, QChar c, qsizetype& end)
{
    bool neg = p < pat.size() && pat[p] == QLatin1Char('!');
    if (neg)
        ++p;
    bool hit = false;
    bool first = true;
    while (p < pat.size() && (pat[p] != QLatin1Char(']') || first)) {
        QChar lo = pat[p];
        if (p + 2 < pat.size() && pat[p + 1] == QLatin1Char('-') && pat[p + 2] != QLatin1Char(']')) {
            QChar hi = pat[p + 2];
            if (c >= lo && c <= hi)
                hit = true;
            p += 3;
        } else {
            if (c == lo)
                hit = true;
            ++p;
        }
        first = false;
    }
    if (p >= pat.size()) {
        end = -1;
        return false;
    }
    end = p + 1;
    return hit != neg;
}

bool Fits(const QString& s, qsizetype i, const QString& pat, qsizetype p)
{
    while (p < pat.size()) {
        QChar pc = pat[p];
        if (pc == QLatin1Char('*')) {
            while (p < pat.size() && pat[p] == QLatin1Char('*'))
                ++p;
            if (p == pat.size())
                return true;
            for (qsizetype k = i; k <= s.size(); ++k)
                if (Fits(s, k, pat, p))
                    return true;
            return false;
        }
        if (i >= s.size())
            return false;
        QChar c = s[i];
        if (pc == QLatin1Char('?')) {
            ++p;
        } else if (pc == QLatin1Char('#')) {
            if (!c.isDigit())
                return false;
            ++p;
        } else if (pc == QLatin1Char('[')) {
            qsizetype end;
            bool hit = InList(pat, p + 1, c, end);
            if (end < 0) { // an unclosed bracket stands for itself
                if (c != pc)
                    return false;
                ++p;
            } else {
                if (!hit)
                    return false;
                p = end;
            }
        } else {
            if (c != pc)
                return false;
            ++p;
        }
        ++i;
    }
    return i == s.size();
}
} // namespace

bool NameFits(const QString& name, const QString& pattern) { return Fits(name, 0, pattern, 0); }

QStringList PatternList(const QString& text)
{
    QString t = text;
    while (t.contains(QStringLiteral("  ")))
        t.replace(QStringLiteral("  "), QStringLiteral(" "));
    t.replace(QLatin1Char(' '), QLatin1Char(','));
    return t.toLower().split(QLatin1Char(','));
}
