#include "compare/store/RowFetch.h"

#include "compare/store/SqlDb.h"

#include <QHash>

QString ModeQuery(DispMode nDisp, bool withNo)
{
    QString q = QStringLiteral("Select sPh, sFL, sED, nS1,sU1, nS2, sU2") +
                (withNo ? QStringLiteral(", nNo") : QString()) + QStringLiteral(" From tbCmpr");
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

// The places on side 2 of the moved files, by row number; empty where the
// store has none (or no table for them).
QHash<qint64, std::pair<QString, QString>> MovedPlaces(SqlDb& db)
{
    QHash<qint64, std::pair<QString, QString>> out;
    if (!db.Prepare(QStringLiteral("Select 1 From sqlite_master Where type='table' And name='tbMove'")).Step())
        return out;
    SqlStmt st = db.Prepare(QStringLiteral("Select nNo, sPh2, sFL2 From tbMove"));
    while (st.Step())
        out.insert(st.Int(0), {st.Text(1), st.Text(2)});
    return out;
}
} // namespace

void FetchRows(SqlDb& db, DispMode nDisp, int chunk, const std::function<void(std::vector<GridRow>&)>& take)
{
    // A forward scan reads each page once: little needs keeping.
    SmallCache cache(db);
    const QHash<qint64, std::pair<QString, QString>> moved = MovedPlaces(db);
    SqlStmt st = db.Prepare(ModeQuery(nDisp, !moved.isEmpty()));
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
        // a store an earlier version wrote to last keeps the moves of the
        // run before: only a row of a moved file takes its place from them
        if (!moved.isEmpty() && r.sED == CodeText(CmprCode::Moved))
            if (const auto it = moved.constFind(st.Int(7)); it != moved.constEnd()) {
                r.sPh2 = it->first;
                r.sFL2 = it->second;
            }
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
