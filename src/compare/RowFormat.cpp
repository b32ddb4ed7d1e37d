#include "compare/RowFormat.h"

#include "compare/SqlDb.h"

NameExt SplitName(const QString& sFL)
{
    qsizetype p = sFL.lastIndexOf(QLatin1Char('.'));
    if (p < 0)
        return {sFL, QString()};
    return {sFL.left(p), sFL.mid(p + 1)};
}

QString SizeText(qint64 bytes)
{
    if (bytes == 0)
        return QString();
    bool neg = bytes < 0;
    QString digits = QString::number(neg ? -bytes : bytes);
    QString out;
    out.reserve(digits.size() + digits.size() / 3 + 1);
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += QLatin1Char(',');
        out += digits[i];
    }
    return neg ? QLatin1Char('-') + out : out;
}

QString ModeQuery(int nDisp)
{
    QString q = QStringLiteral("Select sPh, sFL, sED, nS1,sU1, nS2, sU2 From tbCmpr");
    if (nDisp == 1)
        q += QStringLiteral(" Where sED<>'1=2'");
    else if (nDisp == 2)
        q += QStringLiteral(" Where sED In ('1>2','2>1')");
    return q + QStringLiteral(" Order By nNo");
}

QString RowLine(const GridRow& r)
{
    NameExt ne = SplitName(r.sFL);
    const QChar tab(QLatin1Char('\t'));
    return r.sPh + tab + ne.name + tab + ne.ext + tab + r.sED + tab + SizeText(r.nS1) + tab + r.sU1 + tab +
           SizeText(r.nS2) + tab + r.sU2;
}

void FetchRows(SqlDb& db, int nDisp, int chunk, const std::function<void(std::vector<GridRow>&)>& take)
{
    SqlStmt st = db.Prepare(ModeQuery(nDisp));
    std::vector<GridRow> rows;
    rows.reserve(size_t(chunk));
    QString lastPh;
    while (st.Step()) {
        GridRow r;
        r.sPh = st.Text(0);
        if (r.sPh == lastPh)
            r.sPh = lastPh; // rows of one folder share one text
        else
            lastPh = r.sPh;
        r.sFL = st.Text(1);
        r.sED = st.Text(2);
        r.nS1 = st.Int(3);
        r.sU1 = st.Text(4);
        r.nS2 = st.Int(5);
        r.sU2 = st.Text(6);
        rows.push_back(std::move(r));
        if (int(rows.size()) == chunk) {
            take(rows);
            rows.clear();
        }
    }
    if (!rows.empty())
        take(rows);
}
