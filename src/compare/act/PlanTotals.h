#pragma once
// The totals of a plan's preview as the user ticks its lines: the count and
// bytes of each group, and on each side what the ticked copies and replaces
// write against the free space there. A replaced file goes to the trash on
// its own volume, so replacing frees nothing: the whole new file counts.
#include "compare/act/PlanLine.h"

#include <QHash>
#include <vector>

class PlanTotals {
public:
    PlanTotals(std::vector<PlanLine> lines, const PlanNote& note);
    // Follows the user's tick on line i; a line only shown keeps its state.
    void Choose(size_t i, bool chosen);
    const std::vector<PlanLine>& Lines() const { return m_lines; }
    // "ｺﾋﾟｰ  3 件  1,234 ﾊﾞｲﾄ", or "ｺﾋﾟｰ  3 件中 2 件  1,000 ﾊﾞｲﾄ" while some are left out.
    QString Heading(const QString& group) const;
    // A line per side the ticked lines write on: the bytes, the free space,
    // and a mark when they do not fit.
    QString Space() const;
    bool Fits() const { return Shortfall().isEmpty(); }
    // Why the ticked lines do not fit, as the question before they are
    // carried out; empty when they fit.
    QString Shortfall() const;

private:
    struct Sum {
        int count = 0, chosen = 0;
        qint64 bytes = 0, chosenBytes = 0;
        bool shownOnly = false;
    };
    struct Side {
        int writes = 0, replaces = 0; // ticked lines
        qint64 need = 0, free = -1;
        bool Short() const { return free >= 0 && need > free; }
    };
    void Count(const PlanLine& l, int sign);
    std::vector<PlanLine> m_lines;
    QHash<QString, Sum> m_groups;
    Side m_sides[3];
};

// "1,234 ﾊﾞｲﾄ", "0 ﾊﾞｲﾄ".
QString PlanBytes(qint64 n);
