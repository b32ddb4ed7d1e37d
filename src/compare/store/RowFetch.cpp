#include "compare/store/RowFetch.h"

#include "compare/store/SqlDb.h"

QString ModeQuery(DispMode nDisp)
{
    QString q = QStringLiteral("Select sPh, sFL, sED, nS1,sU1, nS2, sU2 From tbCmpr");
    if (const QString where = ModeCondition(nDisp); !where.isEmpty())
        q += QStringLiteral(" Where ") + where;
    return q + QStringLiteral(" Order By nNo");
}

namespace {
// The program's own text of a stored code, without decoding it; null for
// any other text.
QString KnownCode(QByteArrayView bytes)
{
    for (const CmprCodeInfo& c : kCmprCodes)
        if (QAnyStringView::equal(QUtf8StringView(bytes), QStringView(c.text)))
            return CodeText(c.code);
    return QString();
}
} // namespace

void FetchRows(SqlDb& db, DispMode nDisp, int chunk, const std::function<void(std::vector<GridRow>&)>& take)
{
    // A forward scan reads each page once: little needs keeping.
    SmallCache cache(db);
    SqlStmt st = db.Prepare(ModeQuery(nDisp));
    std::vector<GridRow> rows;
    rows.reserve(size_t(chunk));
    QByteArray lastPhBytes;
    QString lastPh;
    bool first = true;
    while (st.Step()) {
        GridRow r;
        if (const QByteArrayView ph = st.Bytes(0); first || ph != lastPhBytes) {
            lastPhBytes = ph.toByteArray();
            lastPh = st.Text(0);
            first = false;
        }
        r.sPh = lastPh; // rows of one folder share one text, read once
        r.sFL = st.Text(1);
        r.sED = KnownCode(st.Bytes(2));
        if (r.sED.isNull())
            r.sED = st.Text(2);
        r.nS1 = st.Int(3);
        r.sU1 = st.Text(4);
        r.nS2 = st.Int(5);
        r.sU2 = st.Text(6);
        rows.push_back(std::move(r));
        if (int(rows.size()) == chunk) {
            take(rows); // may move the rows away
            rows.clear();
            rows.reserve(size_t(chunk));
        }
    }
    if (!rows.empty())
        take(rows);
}
