#include "compare/RowFormat.h"

#include "compare/CmprEngine.h"
#include "compare/GridColumns.h"
#include "compare/SqlDb.h"
#include "env/NameBytes.h"

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

bool ShownInMode(int nDisp, const QString& code)
{
    if (nDisp == 1)
        return code != CmprCd::Same;
    if (nDisp == 2)
        return code == CmprCd::Newer1 || code == CmprCd::Newer2 || code == CmprCd::Differ;
    return true;
}

QString ModeQuery(int nDisp)
{
    QString q = QStringLiteral("Select sPh, sFL, sED, nS1,sU1, nS2, sU2 From tbCmpr");
    if (nDisp == 1)
        q += QStringLiteral(" Where sED<>'1=2'");
    else if (nDisp == 2)
        q += QStringLiteral(" Where sED In ('1>2','2>1','1≠2')");
    return q + QStringLiteral(" Order By nNo");
}

namespace {
// Appends the cell, each run of characters that stand as they are in one go
// (this runs for every cell of every row); `write` gives the characters
// `special` picks their written form.
template <typename Special, typename Write>
void AppendCell(QString& out, QStringView cell, Special special, Write write)
{
    qsizetype run = 0;
    for (qsizetype i = 0; i < cell.size(); ++i) {
        if (!special(cell[i]))
            continue;
        out += cell.mid(run, i - run);
        write(out, cell[i]);
        run = i + 1;
    }
    out += cell.mid(run);
}

// The cell, in double quotes with inner quotes doubled when `quote`; an
// escaped byte as \xHH.
void AppendQuotedCell(QString& out, QStringView cell, bool quote)
{
    if (quote)
        out += QLatin1Char('"');
    AppendCell(
        out, cell, [](QChar c) { return IsEscapedByte(c) || c == QLatin1Char('"'); },
        [](QString& o, QChar c) {
            if (IsEscapedByte(c))
                AppendByteText(o, c);
            else
                o += QStringLiteral("\"\"");
        });
    if (quote)
        out += QLatin1Char('"');
}

// A spreadsheet takes a pasted cell holding a tab, a line break or a double
// quote whole when it is quoted, inner quotes doubled.
void AppendClipboardCell(QString& out, QStringView cell)
{
    bool quote = false, escapes = false;
    for (QChar c : cell) {
        quote = quote || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r') ||
                c == QLatin1Char('"');
        escapes = escapes || IsEscapedByte(c);
    }
    if (!quote && !escapes)
        out += cell;
    else
        AppendQuotedCell(out, cell, quote);
}

// One line per row for scripts: backslash, tab, line feed and carriage
// return are written as \\, \t, \n, \r, an escaped byte as \xHH.
void AppendTsvCell(QString& out, QStringView cell)
{
    AppendCell(
        out, cell,
        [](QChar c) {
            const char16_t u = c.unicode();
            return u == '\\' || u == '\t' || u == '\n' || u == '\r' || IsEscapedByte(c);
        },
        [](QString& o, QChar c) {
            switch (c.unicode()) {
            case '\\': o += QStringLiteral("\\\\"); break;
            case '\t': o += QStringLiteral("\\t"); break;
            case '\n': o += QStringLiteral("\\n"); break;
            case '\r': o += QStringLiteral("\\r"); break;
            default: AppendByteText(o, c);
            }
        });
}

// RFC 4180: a cell holding a comma, quote or line break is quoted, inner
// quotes doubled; an escaped byte is written as \xHH, as UTF-8 has none.
void AppendCsvCell(QString& out, QStringView cell)
{
    bool quote = false;
    for (QChar c : cell)
        quote =
            quote || c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
    AppendQuotedCell(out, cell, quote);
}

template <typename Cells>
void AppendLine(QString& out, const Cells& cells, LineStyle style)
{
    bool first = true;
    for (QStringView c : cells) {
        if (!first)
            out += style == LineStyle::Csv ? QLatin1Char(',') : QLatin1Char('\t');
        first = false;
        switch (style) {
        case LineStyle::Tsv: AppendTsvCell(out, c); break;
        case LineStyle::Csv: AppendCsvCell(out, c); break;
        case LineStyle::Clipboard: AppendClipboardCell(out, c); break;
        }
    }
    out += style == LineStyle::Csv ? QStringLiteral("\r\n") : QStringLiteral("\n");
}
} // namespace

void AppendRowLine(QString& out, const GridRow& r, LineStyle style, SizeStyle sizeStyle)
{
    std::array<QString, 2> sizes; // views otherwise: this runs for every row
    AppendLine(out, RowCells(r, sizes, sizeStyle), style);
}

void AppendHeaderLine(QString& out, LineStyle style)
{
    std::array<QString, kGridCols> texts;
    std::array<QStringView, kGridCols> cells;
    for (int i = 0; i < kGridCols; ++i) {
        texts[size_t(i)] = HeaderText(kGridColumns[size_t(i)]);
        cells[size_t(i)] = texts[size_t(i)];
    }
    AppendLine(out, cells, style);
}

namespace {
// The program's own text of a stored code, without decoding it; null for
// any other text.
QString KnownCode(QByteArrayView bytes)
{
    for (const QString* c : CmprCd::kAll)
        if (QAnyStringView::equal(QUtf8StringView(bytes), *c))
            return *c;
    return QString();
}
} // namespace

void FetchRows(SqlDb& db, int nDisp, int chunk, const std::function<void(std::vector<GridRow>&)>& take)
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
