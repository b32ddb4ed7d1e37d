// Comparing by size and content, and the tolerances for other clocks, on
// real files.
#include "EngineFixture.h"

#include "compare/engine/CmprEngine.h"
#include "compare/engine/CmprRule.h"
#include "env/Error.h"
#include "support/Files.h"

#include <QFile>
#include <thread>

namespace {
class Content : public Engine {
protected:
    // name -> code of one run under a rule
    std::map<QString, QString> Codes(const CmprRule& rule)
    {
        counts = run(one(), two(), rule);
        std::map<QString, QString> out;
        for (const Row& r : rows())
            out[r.sFL] = r.sED;
        return out;
    }
    void Pair(const QString& name, const QByteArray& a, const QByteArray& b, qint64 secs1, qint64 secs2)
    {
        file("one/" + name, a, T0.addSecs(secs1));
        file("two/" + name, b, T0.addSecs(secs2));
    }
    CmprCounts counts;
};

CmprRule Rule(CmprRule::Criterion c, CmprRule::Tolerance t = CmprRule::None)
{
    CmprRule r;
    r.criterion = c;
    r.tolerance = t;
    return r;
}
} // namespace

// T0 is 09:41:59: one second later is another minute.
TEST_F(Content, EachCriterionAndToleranceGivesItsCodes)
{
    Pair("size", "abc", "abcd", 0, 0);             // same time, other size
    Pair("bytes", "abc", "abd", 0, 0);             // same time and size, other bytes
    Pair("same", "abc", "abc", 0, 0);              // identical
    Pair("fat", "abc", "abc", 0, 2);               // a FAT copy: 2 s later, another minute
    Pair("hour", "abc", "abc", 0, 3601);           // a disk that crossed a zone: 1 h and a second
    Pair("twohours", "abc", "abc", 7200, 0);       // 2 h the other way
    Pair("threehours", "abc", "abc", 0, 3 * 3600); // not a zone shift
    Pair("newer", "abc", "abx", 0, 600);           // differs in time: keeps its code
    Pair("empty", "", "", 0, 0);
    Pair("fatbytes", "abc", "abd", 0, 2); // other bytes 2 s apart
    using C = CmprRule;
    const std::map<QString, QString> byTime = {
        {"size", "1=2"},     {"bytes", "1=2"},      {"same", "1=2"},  {"fat", "2>1"},   {"hour", "2>1"},
        {"twohours", "1>2"}, {"threehours", "2>1"}, {"newer", "2>1"}, {"empty", "1=2"}, {"fatbytes", "2>1"}};
    EXPECT_EQ(Codes(CmprRule()), byTime);
    EXPECT_EQ(counts.Of(CmprCode::Differ), 0);
    auto bySize = byTime;
    bySize["size"] = "1≠2";
    EXPECT_EQ(Codes(Rule(C::TimeSize)), bySize);
    auto byContent = bySize;
    byContent["bytes"] = "1≠2";
    EXPECT_EQ(Codes(Rule(C::Content)), byContent);
    EXPECT_EQ(counts.Of(CmprCode::Differ), 2);
    EXPECT_EQ(counts.rows, 10);
    auto twoSec = byContent;
    twoSec["fat"] = "1=2";
    twoSec["fatbytes"] = "1≠2";
    EXPECT_EQ(Codes(Rule(C::Content, C::TwoSeconds)), twoSec);
    auto hours = twoSec;
    hours["hour"] = "1=2";
    hours["twohours"] = "1=2";
    EXPECT_EQ(Codes(Rule(C::Content, C::WholeHours)), hours);
    // a tolerance alone never looks at sizes
    auto timeHours = byTime;
    timeHours["fat"] = timeHours["fatbytes"] = timeHours["hour"] = timeHours["twohours"] = "1=2";
    EXPECT_EQ(Codes(Rule(C::Time, C::WholeHours)), timeHours);
    // by content alone: equal bytes whatever the times, other bytes by the
    // full time under the tolerance
    std::map<QString, QString> only;
    for (const auto& [name, code] : byTime)
        only[name] = "1=2";
    only["size"] = only["bytes"] = "1≠2";
    only["newer"] = only["fatbytes"] = "2>1";
    EXPECT_EQ(Codes(Rule(C::ContentOnly)), only);
    only["fatbytes"] = "1≠2";
    EXPECT_EQ(Codes(Rule(C::ContentOnly, C::TwoSeconds)), only);
}

TEST(Tolerance, TwoSecondsAndWholeHoursEitherWay)
{
    using C = CmprRule;
    EXPECT_FALSE(WithinTolerance(0, 1, C::None));
    EXPECT_TRUE(WithinTolerance(100, 98, C::TwoSeconds));
    EXPECT_FALSE(WithinTolerance(100, 97, C::TwoSeconds));
    EXPECT_FALSE(WithinTolerance(0, 3600, C::TwoSeconds));
    for (qint64 d : {3598, 3600, 3602, 7198, 7202, -3600, -7201})
        EXPECT_TRUE(WithinTolerance(1000000, 1000000 + d, C::WholeHours)) << d;
    for (qint64 d : {3597, 3603, 5400, 10800})
        EXPECT_FALSE(WithinTolerance(1000000, 1000000 + d, C::WholeHours)) << d;
}

// Large pairs differing only in their last byte, or not at all; an
// unreadable file is recorded and keeps its time code.
TEST_F(Content, BigFilesToTheLastByteAndAnUnreadableFile)
{
    QByteArray big(3 * 1024 * 1024 + 17, 'q');
    QByteArray other = big;
    other[other.size() - 1] = 'r';
    for (int i = 0; i < 6; ++i)
        Pair(QString("same%1").arg(i), big, big, 0, 0);
    Pair("last", big, other, 0, 0);
    Pair("locked", "abc", "abd", 0, 0);
    QFile::setPermissions(dir.path("two/locked"), QFileDevice::Permissions());
    const bool root = QFile(dir.path("two/locked")).open(QIODevice::ReadOnly);
    auto codes = Codes(Rule(CmprRule::Content));
    EXPECT_EQ(codes["last"], "1≠2");
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(codes[QString("same%1").arg(i)], "1=2");
    if (root)
        GTEST_SKIP() << "needs a user without root rights: an unreadable file";
    EXPECT_EQ(codes["locked"], "1=2");
    ASSERT_EQ(outcome.skipped.size(), 1u);
    EXPECT_EQ(outcome.skipped[0].path, dir.path("two/locked"));
    EXPECT_EQ(counts.skipped, 1);
}

// Stopping inside the content compare ends the run at once with the store
// unchanged.
TEST_F(Content, StoppingAContentRunChangesNothing)
{
    Pair("a", "x", "x", 0, 0);
    Codes(CmprRule());
    const auto before = rows();
    QByteArray big(8 * 1024 * 1024, 'z');
    for (int i = 0; i < 40; ++i)
        Pair(QString("big%1").arg(i), big, big, 0, 0);
    StopIn stop(CmprPhase::Content);
    EXPECT_THROW(run(one(), two(), Rule(CmprRule::Content), &stop), FcError);
    EXPECT_EQ(rows().size(), before.size());
    for (int i = 0; i < 8; ++i) { // moves are looked for by reading too
        file(QString("one/moved%1").arg(i), big);
        file(QString("two/renamed%1").arg(i), big);
    }
    CmprRule moves;
    moves.moves = true;
    StopIn again(CmprPhase::Content);
    EXPECT_THROW(run(one(), two(), moves, &again), FcError);
    EXPECT_EQ(rows().size(), before.size());
}

namespace {
// The bytes a content compare read, the most it reported.
class BytesRead : public CmprObserver {
public:
    void Progress(const CmprProgress& p) override
    {
        if (p.phase == CmprPhase::Content)
            bytes = std::max(bytes, p.bytes);
    }
    qint64 bytes = 0;
};
} // namespace

// A second comparison by content reads no file the cache knows as it was
// (a pair of other bytes read whole is known too);
// a file changed since (other bytes, its size and modification time put
// back: only its change time tells) is read again and found out; a damaged
// cache is said once and the run reads everything, its rows the same.
TEST_F(Content, TheDigestCacheSparesReadingButNeverHidesAChange)
{
    digestCache = dir.path("cache/digests");
    if (!KeepsChangeTimes(dir.path()))
        GTEST_SKIP() << "the test folder's file system keeps no change times: the cache keeps nothing there";
    const QByteArray big(1 << 20, 'c');
    for (int i = 0; i < 4; ++i)
        Pair(QString("f%1").arg(i), big, big, -30 * 86400, -30 * 86400);
    Pair("small", "abc", "abd", -30 * 86400, -30 * 86400); // other bytes, read whole: both sides cached
    // a file changed within the file system's clock step before it is read
    // gets no entry: the files' change times (now) must be older than that
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    for (const CmprRule::Criterion c : {CmprRule::Content, CmprRule::ContentOnly}) {
        SCOPED_TRACE(int(c));
        BytesRead first, second;
        run(one(), two(), Rule(c), &first);
        EXPECT_EQ(first.bytes, c == CmprRule::Content ? (8 << 20) + 6 : 0); // the second criterion finds the first's
        counts = run(one(), two(), Rule(c), &second);
        EXPECT_EQ(second.bytes, 0);
        EXPECT_EQ(counts.Of(CmprCode::Same), 4);
        EXPECT_TRUE(outcome.cacheNote.isEmpty()) << outcome.cacheNote.toStdString();
    }
    QByteArray changed = big;
    changed[100] = 'x';
    Pair("f2", big, changed, -30 * 86400, -30 * 86400); // same size and time, another change time
    BytesRead third;
    EXPECT_EQ(Codes(Rule(CmprRule::ContentOnly))["f2"], "1≠2");
    run(one(), two(), Rule(CmprRule::ContentOnly), &third);
    EXPECT_GT(third.bytes, 0);
    ASSERT_TRUE(WriteBytes(digestCache, "damaged"));
    EXPECT_EQ(Codes(Rule(CmprRule::Content))["f2"], "1≠2");
    EXPECT_FALSE(outcome.cacheNote.isEmpty());
    EXPECT_EQ(Codes(Rule(CmprRule::Content))["f1"], "1=2");
    EXPECT_TRUE(outcome.cacheNote.isEmpty()); // the damaged file was replaced by a good one
}

// Moves: files on one side only pair with files of the same bytes on the
// other side only, the nearest by name (the same name wins over the same
// folder), then by folder; the twin left over, other bytes of the same
// size and empty files stay one-sided. Without the option the rows are as
// ever and the store has no table for moves. With the cache, a second run
// reads none of the candidates.
TEST_F(Content, MovesPairTheNearestTwinsAndNothingElse)
{
    const QByteArray a(3000, 'a'), b(3000, 'b'), c(3000, 'c');
    const std::map<QString, QByteArray> files = {{"one/photos/a.jpg", a},  {"two/trip/a.jpg", a}, {"one/x/IMG.jpg", b},
                                                 {"two/x/renamed.jpg", b}, {"two/y/IMG.jpg", b},  {"one/t1/dup", c},
                                                 {"one/t2/dup", c},        {"two/t2/dupe", c},    {"one/d", "1234"},
                                                 {"two/e", "5678"},        {"one/empty", ""},     {"two/void", ""}};
    for (const auto& [path, data] : files)
        file(path, data, T0.addSecs(-86400));
    const std::map<QString, QString> want = {{"photos/a.jpg", "1↔2 trip/a.jpg"},
                                             {"x/IMG.jpg", "1↔2 y/IMG.jpg"},
                                             {"x/renamed.jpg", "2-* "},
                                             {"t1/dup", "1-* "},
                                             {"t2/dup", "1↔2 t2/dupe"},
                                             {"d", "1-* "},
                                             {"e", "2-* "},
                                             {"empty", "1-* "},
                                             {"void", "2-* "}};
    auto placed = [&] {
        std::map<QString, QString> out;
        store.OpnDb();
        const bool table = store.Db().Prepare("Select 1 From sqlite_master Where name='tbMove'").Step();
        {
            SqlStmt st = store.Db().Prepare(
                table
                    ? "Select sPh, sFL, sED, Coalesce(sPh2 || '/' || sFL2, '') From tbCmpr Left Join tbMove Using (nNo)"
                    : "Select sPh, sFL, sED, '' From tbCmpr");
            while (st.Step())
                out[st.Text(0).isEmpty() ? st.Text(1) : st.Text(0) + "/" + st.Text(1)] = st.Text(2) + " " + st.Text(3);
        }
        store.ClsDb();
        return out;
    };
    run(one(), two());
    for (const auto& [place, code] : placed())
        EXPECT_TRUE(code == "1-* " || code == "2-* ") << place.toStdString();
    CmprRule moves;
    moves.moves = true;
    digestCache = dir.path("cache/digests");
    std::this_thread::sleep_for(std::chrono::milliseconds(2100)); // older than the clock step: cached
    BytesRead first, second;
    counts = run(one(), two(), moves, &first);
    EXPECT_EQ(placed(), want);
    EXPECT_EQ(counts.Of(CmprCode::Moved), 3);
    EXPECT_EQ(counts.rows, qint64(want.size()));
    EXPECT_EQ(first.bytes, 8 * 3000 + 2 * 4); // only files whose size the other side also has
    run(one(), two(), moves, &second);
    EXPECT_EQ(placed(), want);
    if (KeepsChangeTimes(dir.path())) {
        EXPECT_EQ(second.bytes, 0);
    }
}

// A group of twins too large to weigh still pairs every file with its
// namesake in the folder walked alike, in linear time; a link to a file is
// never paired (renamed elsewhere, a relative link leads elsewhere), the
// file it leads to is.
TEST_F(Content, MovesOfManyTwinsPairByNameAndNeverALink)
{
    std::map<QString, QString> want;
    for (int d = 0; d < 64; ++d)
        for (int f = 0; f < 17; ++f) { // 64 namesakes of each name a side: over the weighing limit
            const QString rel = QStringLiteral("d%1/f%2").arg(d).arg(f);
            file("one/new/" + rel, "x");
            file("two/old/" + rel, "x");
            want["new/" + rel] = "old/" + rel;
        }
    file("one/l/a.txt", "linked");
    file("two/data/real", "linked");
    ASSERT_TRUE(QFile::link("data/real", dir.path("two/link")));
    want["l/a.txt"] = "data/real";
    CmprInput in;
    in.sFld1 = one();
    in.sFld2 = two();
    in.rule.moves = true;
    CmprObserver quiet;
    std::map<QString, QString> moved;
    for (const CmprResult::Pair& p : CmprEngine::Run(in, quiet).Pairs()) {
        if (p.cd == CmprCode::Moved)
            moved[p.folder1 + "/" + p.name1] = p.folder2 + "/" + p.name2;
    }
    EXPECT_EQ(moved, want);
}
