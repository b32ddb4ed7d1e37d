#include "EngineFixture.h"

#include "compare/rows/RowFormat.h"
#include "compare/store/RowFetch.h"
#include "compare/store/SqlDb.h"
#include "env/NameBytes.h"

#include <sqlite3.h>

namespace {
const QByteArray kShiryo = "\x8e\x91\x97\xbf"; // 資料 in Shift_JIS
const QByteArray kHokoku = "\x95\xf1\x8d\x90"; // 報告 in Shift_JIS

#ifndef FLDCMPR_PORTABLE_FS
// The stored bytes of sPh/sFL, read with SQLite's own C API.
std::vector<std::pair<QByteArray, QByteArray>> StoredNames(const QString& db)
{
    std::vector<std::pair<QByteArray, QByteArray>> out;
    sqlite3* h = nullptr;
    sqlite3_open_v2(EncodeName(db).constData(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, "Select sPh, sFL From tbCmpr Order By nNo", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        auto col = [&](int c) {
            return QByteArray(static_cast<const char*>(sqlite3_column_blob(st, c)), sqlite3_column_bytes(st, c));
        };
        out.emplace_back(col(0), col(1));
    }
    sqlite3_finalize(st);
    sqlite3_close(h);
    return out;
}
#endif

// Splits pasted text as a spreadsheet does: tab-separated cells, a cell
// in double quotes may hold tabs, line breaks and doubled quotes.
std::vector<QStringList> PasteCells(const QString& text)
{
    std::vector<QStringList> rows;
    QStringList row;
    QString cell;
    bool quoted = false, atStart = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == '"' && atStart) {
            quoted = true;
        } else if (c == '\t' || c == '\n') {
            row << cell;
            cell.clear();
            if (c == '\n') {
                rows.push_back(row);
                row.clear();
            }
        } else {
            cell += c;
        }
        atStart = !quoted && (c == '\t' || c == '\n');
    }
    return rows;
}

QString Lines(ResultStore& store, LineStyle style)
{
    QString out;
    store.OpnDb();
    FetchRows(store.Db(), DispMode::All, 100, [&](std::vector<GridRow>& rows) {
        for (const GridRow& r : rows)
            AppendRowLine(out, r, style);
    });
    store.ClsDb();
    return out;
}
} // namespace

#ifndef FLDCMPR_PORTABLE_FS // Qt's own file calls take names as UTF-8 text

// Two Shift_JIS names that a lossy decoding makes one: each keeps its own
// row, the right files pair up, and the store holds the bytes on disk.
TEST_F(Engine, ShiftJisNamesPairWithTheRightFiles)
{
    dir.createFileBytes("one/" + kShiryo + ".txt", "1234", T0);
    dir.createFileBytes("one/" + kHokoku + ".txt", "1234567", T0);
    dir.createFileBytes("two/" + kHokoku + ".txt", "7654321", T0);
    dir.createFileBytes("two/sub" + kShiryo + "/" + kHokoku, "ab", T0);
    CmprCounts c = run(one(), two());
    EXPECT_EQ(c.rows, 3);
    EXPECT_EQ(c.Of(CmprCode::Same), 1);
    auto r = rows();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(EncodeName(r[0].sFL), kShiryo + ".txt");
    EXPECT_EQ(r[0].sED, "1-*");
    EXPECT_EQ(r[0].nS1, 4);
    EXPECT_EQ(EncodeName(r[1].sFL), kHokoku + ".txt");
    EXPECT_EQ(r[1].sED, "1=2");
    EXPECT_EQ(r[1].nS1, 7);
    EXPECT_EQ(r[1].nS2, 7);
    EXPECT_EQ(r[2].sED, "2-*");
    auto stored = StoredNames(store.Path());
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0].second, kShiryo + ".txt");
    EXPECT_EQ(stored[1].second, kHokoku + ".txt");
    EXPECT_EQ(stored[2].first, "sub" + kShiryo);
    EXPECT_EQ(stored[2].second, kHokoku);
}

// Latin-1 names match the same bytes apart from ASCII case, never another
// letter; valid names keep matching over all of Unicode.
TEST_F(Engine, StrayByteNamesMatchOnlyTheirOwnBytes)
{
    dir.createFileBytes("one/caf\xe9.TXT", "a", T0);
    dir.createFileBytes("one/na\xefve", "a", T0);
    file("one/\xc3\x84rger.TXT");
    dir.createFileBytes("two/CAF\xe9.txt", "b", T0);
    dir.createFileBytes("two/na\xcfve", "b", T0); // Ï, not ï
    file("two/\xc3\xa4rger.txt");
    run(one(), two());
    QStringList got;
    for (const Row& x : rows())
        got << ShownName(x.sFL) + " " + x.sED;
    EXPECT_EQ(got, QStringList({"caf\\xE9.TXT 1=2", "na\\xEFve 1-*", QString::fromUtf8("\xc3\x84rger.TXT 1=2"),
                                "na\\xCFve 2-*"}));
}

// A compared folder whose own path is not UTF-8 is found and walked.
TEST_F(Engine, AComparedFolderNamedInOtherBytes)
{
    const QString a = dir.createDirBytes(
        "\x8e\x91"
        "1");
    const QString b = dir.createDirBytes(
        "\x8e\x91"
        "2");
    dir.createFileBytes(
        "\x8e\x91"
        "1/x/" +
            kShiryo,
        "a", T0);
    dir.createFileBytes(
        "\x8e\x91"
        "2/x/" +
            kShiryo,
        "a", T0);
    run(a, b);
    auto r = rows();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].sPh, "x");
    EXPECT_EQ(r[0].sED, "1=2");
}

#endif

// Names with characters that mean something to patterns, shells and rows
// are stored as spelled; a pasted list still has one line per row and
// eight cells, and the script format one line per row.
TEST_F(Engine, NamesWithTabsNewlinesAndQuotesKeepEightCells)
{
    const QStringList names = {"a?b", "st*r", "tab\there.txt", "line\nbreak", "back\\slash", "say \"hi\".txt"};
    for (const QString& n : names) {
        file("one/" + n);
        file("two/" + n);
    }
    file("one/q\"/in");
    run(one(), two());
    auto r = rows();
    ASSERT_EQ(r.size(), 7u);
    QStringList stored;
    for (const Row& x : r)
        stored << x.sFL;
    for (const QString& n : names)
        EXPECT_TRUE(stored.contains(n)) << n.toStdString();

    const auto pasted = PasteCells(Lines(store, LineStyle::Clipboard));
    ASSERT_EQ(pasted.size(), 7u);
    QStringList pastedNames;
    for (const QStringList& cells : pasted) {
        EXPECT_EQ(cells.size(), 8) << cells.join('|').toStdString();
        pastedNames << (cells[2].isEmpty() ? cells[1] : cells[1] + "." + cells[2]);
    }
    for (const QString& n : names)
        EXPECT_TRUE(pastedNames.contains(n)) << n.toStdString();
    EXPECT_TRUE(pasted.back()[0] == "q\"");

    const QStringList tsv = Lines(store, LineStyle::Tsv).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(tsv.size(), 7);
    for (const QString& line : tsv)
        EXPECT_EQ(line.count('\t'), 7) << line.toStdString();
    EXPECT_TRUE(tsv.join('\n').contains("tab\\there\ttxt"));
    EXPECT_TRUE(tsv.join('\n').contains("line\\nbreak\t"));
    EXPECT_TRUE(tsv.join('\n').contains("back\\\\slash\t"));
}

#ifndef FLDCMPR_PORTABLE_FS
TEST_F(Engine, StrayBytesShowAsHexInEveryLineStyle)
{
    dir.createFileBytes("one/" + kShiryo + ".txt", "a", T0);
    dir.createFileBytes("one/" + QByteArray("\x95\\") + ".txt", "a", T0); // 表: a backslash byte
    dir.createDir("two");
    run(one(), two());
    const QString clip = Lines(store, LineStyle::Clipboard);
    EXPECT_TRUE(clip.contains("\\x95\\\ttxt")) << clip.toStdString();
    EXPECT_TRUE(clip.contains("\\x8E\\x91\\x97\\xBF\ttxt")) << clip.toStdString();
    const QString tsv = Lines(store, LineStyle::Tsv);
    EXPECT_TRUE(tsv.contains("\\x95\\\\\ttxt")) << tsv.toStdString(); // the real backslash doubled
    EXPECT_FALSE(tsv.contains(QChar(0xDC95)));
}
#endif
