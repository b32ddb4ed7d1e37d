#include "cli/PrintSink.h"

#include "compare/engine/DateText.h"
#include "compare/rows/RowFormat.h"
#include "env/NameBytes.h"

#include <QDir>
#include <array>
#include <cstdio>
#include <deque>
#include <future>

namespace {
// A JSON string: quote, backslash and control characters escaped; a byte
// that was not UTF-8 written as the text \xHH (JSON holds only Unicode).
void AppendJsonString(QString& out, QStringView s)
{
    static const char kHex[] = "0123456789abcdef";
    out += QLatin1Char('"');
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (u == '"' || u == '\\') {
            out += QLatin1Char('\\');
            out += c;
        } else if (u == '\n') {
            out += QLatin1String("\\n");
        } else if (u == '\t') {
            out += QLatin1String("\\t");
        } else if (u == '\r') {
            out += QLatin1String("\\r");
        } else if (u < 0x20) {
            out += QLatin1String("\\u00");
            out += QLatin1Char(kHex[u >> 4]);
            out += QLatin1Char(kHex[u & 15]);
        } else if (IsEscapedByte(c)) {
            QString t;
            AppendByteText(t, c);
            out += QLatin1Char('\\'); // the backslash of \xHH, escaped
            out += t;
        } else {
            out += c;
        }
    }
    out += QLatin1Char('"');
}

// "key":"text", and "key_bytes":"hex of the exact bytes" when the text
// could not hold them.
void AppendNameMember(QString& out, const char* key, const QString& s)
{
    out += QLatin1Char('"') + QLatin1String(key) + QLatin1String("\":");
    AppendJsonString(out, s);
    if (HasEscapedByte(s))
        out += QLatin1String(",\"") + QLatin1String(key) + QLatin1String("_bytes\":\"") +
               QString::fromLatin1(EncodeName(s).toHex()) + QLatin1Char('"');
}

// "sizeN":…,"timeN":…,"epochN":…, all null for the side without the file.
void AppendSide(QString& out, char side, bool has, qint64 size, qint64 mtime)
{
    const QString n = QString(QLatin1Char(side));
    if (!has) {
        out += QLatin1String(",\"size") + n + QLatin1String("\":null,\"time") + n + QLatin1String("\":null,\"epoch") +
               n + QLatin1String("\":null");
        return;
    }
    out += QLatin1String(",\"size") + n + QLatin1String("\":") + QString::number(size);
    out += QLatin1String(",\"time") + n + QLatin1String("\":");
    const QString iso = IsoLocalTime(mtime);
    if (iso.isEmpty())
        out += QLatin1String("null");
    else
        out += QLatin1Char('"') + iso + QLatin1Char('"');
    out += QLatin1String(",\"epoch") + n + QLatin1String("\":") + QString::number(mtime);
}

// The compared folder as a full path, so a summary names it unmistakably.
QString Absolute(const QString& path) { return QDir::cleanPath(QDir::current().absoluteFilePath(path)); }

LineStyle StyleOf(OutFormat f) { return f == OutFormat::Csv ? LineStyle::Csv : LineStyle::Tsv; }
} // namespace

bool PrintSink::Shown(CmprCode code) const { return !m_s.quiet && ShownInMode(m_s.mode, code); }

void PrintSink::Begin()
{
    if (m_s.quiet)
        return;
    if (m_s.bom)
        m_out.Text() += QChar(0xFEFF);
    if (m_s.header)
        AppendHeaderLine(m_out.Text(), StyleOf(m_s.format), m_s.moves);
}

void PrintSink::Row(const CmprRow& r)
{
    if (!Shown(r.cd))
        return;
    if (m_s.format == OutFormat::Json) {
        Json(r);
    } else {
        GridRow g{r.sPh, r.sFL, r.sED(), r.sU1, r.sU2, r.nS1, r.nS2, r.sPh2 ? *r.sPh2 : QString(), r.sFL2};
        AppendRowLine(m_out.Text(), g, StyleOf(m_s.format), m_s.bytes ? SizeStyle::Bytes : SizeStyle::Grouped,
                      m_s.moves);
    }
    m_out.Spill();
}

void PrintSink::Json(const CmprRow& r)
{
    QString& out = m_out.Text();
    out += QLatin1Char('{');
    AppendNameMember(out, "folder", r.sPh);
    out += QLatin1Char(',');
    AppendNameMember(out, "name", r.sFL);
    const CmprCodeInfo& code = kCmprCodes[size_t(r.cd)];
    out += QLatin1String(",\"code\":\"") + r.sED() + QLatin1Char('"');
    AppendSide(out, '1', code.side1, r.nS1, r.nT1);
    AppendSide(out, '2', code.side2, r.nS2, r.nT2);
    if (r.sPh2) { // a moved file: its place on side 2
        out += QLatin1Char(',');
        AppendNameMember(out, "folder2", *r.sPh2);
        out += QLatin1Char(',');
        AppendNameMember(out, "name2", r.sFL2);
    }
    out += QLatin1String("}\n");
}

void PrintSink::End(const QString& sFld1, const QString& sFld2, const CmprCounts& n)
{
    const QString a1 = Absolute(sFld1), a2 = Absolute(sFld2);
    if (m_s.summary && m_s.format == OutFormat::Json)
        m_out.Text() += SummaryJson(a1, a2, n, m_s.differ, m_s.leftOut, m_s.moves);
    m_out.Flush();
    if (m_s.summary && m_s.format != OutFormat::Json)
        std::fputs(SummaryText(a1, a2, n, m_s.differ, m_s.leftOut, m_s.moves).toUtf8().constData(), stderr);
}

void PrintRows(const PrintSettings& s, const CmprResult& r, Output& out, int threads)
{
    PrintSink print(s, out);
    if (threads <= 1) {
        r.Emit(print);
        return;
    }
    constexpr size_t kPlaces = 4096; // rows a piece: a few hundred KiB of text
    const size_t n = r.Places();
    size_t next = 0;
    std::deque<std::future<QByteArray>> pieces;
    auto start = [&] {
        const size_t from = next;
        next = std::min(n, next + kPlaces);
        pieces.push_back(std::async(std::launch::async, [&s, &r, from, to = next] {
            Output text(nullptr);
            PrintSink piece(s, text);
            r.EmitRows(piece, from, to);
            return text.Take();
        }));
    };
    print.Begin();
    while (next < n && pieces.size() < size_t(threads))
        start();
    while (!pieces.empty()) {
        const QByteArray text = pieces.front().get();
        pieces.pop_front();
        if (next < n)
            start();
        out.Put(text);
    }
    print.End(r.Folder1(), r.Folder2(), r.Counts());
}

namespace {
struct CodeCount {
    const QString& code;
    qint64 n;
};
// The codes of a summary: 1≠2 only where a size or content criterion is
// in use, 1↔2 where moves are looked for, so the default summary is as it
// always was.
std::vector<CodeCount> CodeCounts(const CmprCounts& n, bool withDiffer, bool withMoves)
{
    std::vector<CodeCount> c;
    for (const CmprCodeInfo& i : kCmprCodes)
        if (!i.onlyWhenMet || (i.code == CmprCode::Differ ? withDiffer : withMoves))
            c.push_back({CodeText(i.code), n.Of(i.code)});
    return c;
}
} // namespace

QString SummaryText(const QString& sFld1, const QString& sFld2, const CmprCounts& n, bool withDiffer, bool withLeftOut,
                    bool withMoves)
{
    QString t = QStringLiteral("ﾌｫﾙﾀﾞ1: ") + ShownName(sFld1) + QStringLiteral("\nﾌｫﾙﾀﾞ2: ") + ShownName(sFld2) +
                QLatin1Char('\n');
    for (const CodeCount& c : CodeCounts(n, withDiffer, withMoves))
        t += c.code + QStringLiteral(": ") + QString::number(c.n) + QLatin1Char('\n');
    t += QStringLiteral("行数: ") + QString::number(n.rows) + QLatin1Char('\n');
    t += QStringLiteral("読めなかったﾌｫﾙﾀﾞとﾌｧｲﾙ: ") + QString::number(n.skipped) + QLatin1Char('\n');
    if (withLeftOut)
        t += QStringLiteral("除いたﾌｫﾙﾀﾞ: ") + QString::number(n.leftOutFolders) + QStringLiteral("\n除いたﾌｧｲﾙ: ") +
             QString::number(n.leftOutFiles) + QLatin1Char('\n');
    return t;
}

QString SummaryJson(const QString& sFld1, const QString& sFld2, const CmprCounts& n, bool withDiffer, bool withLeftOut,
                    bool withMoves)
{
    QString t = QStringLiteral("{\"summary\":{");
    AppendNameMember(t, "folder1", sFld1);
    t += QLatin1Char(',');
    AppendNameMember(t, "folder2", sFld2);
    t += QStringLiteral(",\"codes\":{");
    bool first = true;
    for (const CodeCount& c : CodeCounts(n, withDiffer, withMoves)) {
        t += (first ? QString() : QStringLiteral(",")) + QLatin1Char('"') + c.code + QStringLiteral("\":") +
             QString::number(c.n);
        first = false;
    }
    t += QStringLiteral("},\"rows\":") + QString::number(n.rows) + QStringLiteral(",\"skipped\":") +
         QString::number(n.skipped);
    if (withLeftOut)
        t += QStringLiteral(",\"leftOut\":{\"folders\":") + QString::number(n.leftOutFolders) +
             QStringLiteral(",\"files\":") + QString::number(n.leftOutFiles) + QLatin1Char('}');
    t += QStringLiteral("}}\n");
    return t;
}
