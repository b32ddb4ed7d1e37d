#include "compare/engine/CmprEngine.h"
#include "compare/engine/Matcher.h"
#include "env/NameBytes.h"
#include "support/Printers.h"
#include "support/TestDir.h"

#include <gtest/gtest.h>

namespace {
// A walk made by hand: "folder|name" per file; a folder starts where the
// folder of the file before differs.
WalkResult Walk(const QStringList& files)
{
    WalkResult w;
    for (const QString& f : files) {
        const QString folder = f.section('|', 0, 0), name = f.section('|', 1);
        if (w.folders.empty() || w.folders.back() != folder)
            w.AddFolder(folder);
        w.AddFile(EncodeName(name), 1, 0);
    }
    KeyWalk(w);
    return w;
}

// Rows kept in memory: the engine needs no store.
class Rows : public RowSink {
public:
    void Row(const CmprRow& r) override { lines << QString::number(r.nNo) + " " + r.sFL + " " + r.sED(); }
    void End(const QString&, const QString&, const CmprCounts& n) override { counts = n; }
    QStringList lines;
    CmprCounts counts;
};
} // namespace

TEST(Matcher, ExactSpellingFirstThenCaseEachFileOnce)
{
    const WalkResult one = Walk({"|a.txt", "|A.TXT", "d|x", "D|y", "|only1", "|caf" + DecodeName("\xe9")});
    const WalkResult two = Walk({"|A.TXT", "|a.txt", "|a.Txt", "d|X", "d|Y", "|CAF" + DecodeName("\xe9"), "|new"});
    const std::vector<int> m = MatchFiles(one, two);
    // A.TXT and a.txt each find their own spelling; a.Txt finds no row left
    EXPECT_EQ(m, (std::vector<int>{1, 0, kNoMatch, 2, 3, 5, kNoMatch}));
}

TEST(Matcher, StrayByteNamesMatchOnlyTheSameBytes)
{
    const WalkResult one = Walk({"|" + DecodeName("caf\xc9"), "|" + DecodeName("\xc3\x84")});
    const WalkResult two = Walk({"|" + DecodeName("caf\xe9"), "|" + DecodeName("\xc3\xa4")});
    EXPECT_EQ(MatchFiles(one, two), (std::vector<int>{kNoMatch, 1})); // É is not é in Latin-1; Ä is ä in UTF-8
}

// A composed and a decomposed spelling of one name, in names and folders,
// with the case rule; names that are not UTF-8 keep the byte rule.
TEST(Matcher, OneNameHoweverItIsComposed)
{
    const QString ga = QString::fromUtf8("が"), kaMark = QString::fromUtf8("か\u3099");
    const QString proj = QString::fromUtf8("プロジェクト"), projNfd = proj.normalized(QString::NormalizationForm_D);
    const QString e = QString::fromUtf8("é"), eMark = QString::fromUtf8("e\u0301");
    ASSERT_NE(proj, projNfd);
    const WalkResult one = Walk({"|" + ga + "ぎぐ資料.txt", proj + "|f", "|Caf" + e, "|" + QString::fromUtf8("\u212B"),
                                 "|x" + DecodeName("\xff") + e, "|plain.txt"});
    const WalkResult two = Walk({"|" + kaMark + "ぎぐ資料.txt", projNfd + "|f", "|CAF" + eMark,
                                 "|" + QString::fromUtf8("\u00C5"), "|x" + DecodeName("\xff") + eMark, "|plain.txt"});
    EXPECT_EQ(MatchFiles(one, two), (std::vector<int>{0, 1, 2, 3, kNoMatch, 5}));
    EXPECT_TRUE(SameNameIgnoringCase(proj + "/" + e, projNfd + "/" + eMark.toUpper()));
    EXPECT_FALSE(SameNameIgnoringCase(ga, QString::fromUtf8("か")));
}

TEST(Pipeline, RowsGoToAnySinkInNumberOrder)
{
    TestDir dir;
    dir.createFile("one/a.txt", "1");
    dir.createFile("one/b.txt", "1");
    dir.createFile("two/B.TXT", "1");
    dir.createFile("two/c.txt", "1");
    Rows rows;
    CmprInput in;
    in.sFld1 = dir.path("one");
    in.sFld2 = dir.path("two");
    CmprObserver quiet;
    CmprEngine::Run(in, quiet).Emit(rows);
    EXPECT_EQ(rows.lines, QStringList({"1001 a.txt 1-*", "1002 b.txt 1=2", "1004 c.txt 2-*"}));
    EXPECT_EQ(rows.counts.rows, 3);
}
