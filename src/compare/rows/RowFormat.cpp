#include "compare/rows/RowFormat.h"

#include "compare/rows/GridColumns.h"
#include "env/NameBytes.h"

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

void AppendTsvText(QString& out, QStringView text) { AppendTsvCell(out, text); }

void AppendRowLine(QString& out, const GridRow& r, LineStyle style, SizeStyle sizeStyle, bool moved)
{
    std::array<QString, 2> sizes; // views otherwise: this runs for every row
    if (!moved) {
        AppendLine(out, RowCells(r, sizes, sizeStyle), style);
        return;
    }
    const auto cells = RowCells(r, sizes, sizeStyle);
    const QString place = MovedPlace(r);
    std::array<QStringView, kGridCols + 1> all;
    std::copy(cells.begin(), cells.end(), all.begin());
    all[kGridCols] = place;
    AppendLine(out, all, style);
}

void AppendHeaderLine(QString& out, LineStyle style, bool moved)
{
    std::array<QString, kGridCols + 1> texts;
    for (int i = 0; i < kGridCols; ++i)
        texts[size_t(i)] = HeaderText(kGridColumns[size_t(i)]);
    texts[kGridCols] = QString::fromUtf16(kMovedHeader);
    std::vector<QStringView> cells(texts.begin(), texts.begin() + kGridCols + (moved ? 1 : 0));
    AppendLine(out, cells, style);
}
