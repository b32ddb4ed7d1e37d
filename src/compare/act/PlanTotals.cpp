#include "compare/act/PlanTotals.h"

#include <QLocale>

QString PlanBytes(qint64 n) { return QLocale(QLocale::English).toString(n) + QStringLiteral(" ﾊﾞｲﾄ"); }

PlanTotals::PlanTotals(std::vector<PlanLine> lines, const PlanNote& note) : m_lines(std::move(lines))
{
    for (int side : {1, 2})
        m_sides[side].free = note.free[side];
    for (PlanLine& l : m_lines) {
        l.chosen = l.chosen && !l.shownOnly;
        Sum& g = m_groups[l.group];
        g.count += 1;
        g.bytes += l.bytes;
        g.shownOnly = g.shownOnly || l.shownOnly;
        Count(l, 1);
    }
}

// Adds (sign 1) or takes away (-1) what a ticked line counts for.
void PlanTotals::Count(const PlanLine& l, int sign)
{
    if (!l.chosen)
        return;
    Sum& g = m_groups[l.group];
    g.chosen += sign;
    g.chosenBytes += sign * l.bytes;
    if (!l.writes || (l.side != 1 && l.side != 2))
        return;
    Side& s = m_sides[l.side];
    s.writes += sign;
    s.need += sign * l.bytes;
    s.replaces += l.replaces ? sign : 0;
}

void PlanTotals::Choose(size_t i, bool chosen)
{
    PlanLine& l = m_lines[i];
    if (l.shownOnly || l.chosen == chosen)
        return;
    Count(l, -1);
    l.chosen = chosen;
    Count(l, 1);
}

QString PlanTotals::Heading(const QString& group) const
{
    const Sum g = m_groups.value(group);
    // a group never carried out names all it lists
    const bool whole = g.shownOnly || g.chosen == g.count;
    return group + QStringLiteral("  ") +
           (whole ? QStringLiteral("%1 件  ").arg(g.count) + PlanBytes(g.bytes)
                  : QStringLiteral("%1 件中 %2 件  ").arg(g.count).arg(g.chosen) + PlanBytes(g.chosenBytes));
}

QString PlanTotals::Space() const
{
    QStringList t;
    for (int side : {1, 2}) {
        const Side& s = m_sides[side];
        if (s.writes == 0)
            continue;
        t << QStringLiteral("ﾌｫﾙﾀﾞ%1 に書く量 ").arg(side) + PlanBytes(s.need) + QStringLiteral(" / 空き ") +
                 (s.free < 0 ? QStringLiteral("不明") : PlanBytes(s.free)) +
                 (s.Short() ? QStringLiteral("  ※ 空きが足りません") : QString()) +
                 (s.replaces ? QStringLiteral("（置き換えたﾌｧｲﾙはごみ箱に残るため空きは増えません）") : QString());
    }
    return t.isEmpty() ? QStringLiteral("書き込むﾌｧｲﾙはありません") : t.join(QLatin1Char('\n'));
}

QString PlanTotals::Shortfall() const
{
    QString t;
    for (int side : {1, 2}) {
        const Side& s = m_sides[side];
        if (!s.Short())
            continue;
        t += QStringLiteral("ﾌｫﾙﾀﾞ%1 の空きが足りません。\n書く量 ").arg(side) + PlanBytes(s.need) +
             QStringLiteral(" に対して空きは ") + PlanBytes(s.free) + QStringLiteral(" です。\n");
        if (s.replaces)
            t += QStringLiteral("置き換えたﾌｧｲﾙはごみ箱に残るため、空きは増えません。\n");
    }
    return t.isEmpty() ? t
                       : t + QStringLiteral("途中で空きがなくなると、残りのﾌｧｲﾙは書けません。このまま実行しますか?");
}
