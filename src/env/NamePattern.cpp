#include "env/NamePattern.h"

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

// Whether one character fits the pattern element at p (every element but
// "*" stands for exactly one character); next is the element after it.
bool FitsOne(const QString& pat, qsizetype p, QChar c, qsizetype& next)
{
    const QChar pc = pat[p];
    next = p + 1;
    if (pc == QLatin1Char('?'))
        return true;
    if (pc == QLatin1Char('#'))
        return c.isDigit();
    if (pc == QLatin1Char('[')) {
        qsizetype end;
        const bool hit = InList(pat, p + 1, c, end);
        if (end < 0) // an unclosed bracket stands for itself
            return c == pc;
        next = end;
        return hit;
    }
    return c == pc;
}

// Elements of one character each let a mismatch go back to the last "*"
// only: time is at most name length times pattern length, however many
// "*" the pattern holds.
bool Fits(const QString& s, const QString& pat)
{
    qsizetype i = 0, p = 0, starP = -1, starI = 0;
    while (i < s.size()) {
        if (p < pat.size() && pat[p] == QLatin1Char('*')) {
            while (p < pat.size() && pat[p] == QLatin1Char('*'))
                ++p;
            starP = p;
            starI = i;
            continue;
        }
        qsizetype next;
        if (p < pat.size() && FitsOne(pat, p, s[i], next)) {
            p = next;
            ++i;
            continue;
        }
        if (starP < 0)
            return false;
        p = starP;
        i = ++starI;
    }
    while (p < pat.size() && pat[p] == QLatin1Char('*'))
        ++p;
    return p == pat.size();
}
} // namespace

bool NameFits(const QString& name, const QString& pattern) { return Fits(name, pattern); }

qsizetype UnclosedBracket(const QString& pattern)
{
    for (qsizetype p = 0; p < pattern.size(); ++p) {
        if (pattern[p] != QLatin1Char('['))
            continue;
        qsizetype end;
        InList(pattern, p + 1, QChar(), end);
        if (end < 0)
            return p;
        p = end - 1;
    }
    return -1;
}

QStringList PatternList(const QString& text)
{
    QString t = text;
    while (t.contains(QStringLiteral("  ")))
        t.replace(QStringLiteral("  "), QStringLiteral(" "));
    t.replace(QLatin1Char(' '), QLatin1Char(','));
    return t.toLower().split(QLatin1Char(','));
}
