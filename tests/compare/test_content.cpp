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

// A second comparison by content reads no file the cache knows as it was;
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
    // a file changed within the file system's clock step before it is read
    // gets no entry: the files' change times (now) must be older than that
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    for (const CmprRule::Criterion c : {CmprRule::Content, CmprRule::ContentOnly}) {
        SCOPED_TRACE(int(c));
        BytesRead first, second;
        run(one(), two(), Rule(c), &first);
        EXPECT_EQ(first.bytes, c == CmprRule::Content ? 8 << 20 : 0); // the second criterion finds the first's digests
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
