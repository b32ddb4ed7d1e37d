#include "compare/RowFormat.h"

#include "compare/SqlDb.h"

NameExtView SplitNameView(QStringView sFL)
{
    qsizetype p = sFL.lastIndexOf(QLatin1Char('.'));
    if (p < 0)
        return {sFL, QStringView()};
    return {sFL.left(p), sFL.mid(p + 1)};
}

NameExt SplitName(const QString& sFL)
{
    NameExtView v = SplitNameView(sFL);
    return {v.name.toString(), v.ext.toString()};
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

void AppendRowLine(QString& out, const GridRow& r)
{
    const QChar tab(QLatin1Char('\t'));
    NameExtView ne = SplitNameView(r.sFL); // views: this runs for every row
    out += r.sPh;
    out += tab;
    out += ne.name;
    out += tab;
    out += ne.ext;
    out += tab;
    out += r.sED;
    out += tab;
    out += SizeText(r.nS1);
    out += tab;
    out += r.sU1;
    out += tab;
    out += SizeText(r.nS2);
    out += tab;
    out += r.sU2;
    out += QLatin1Char('\n');
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
