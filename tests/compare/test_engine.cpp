#include "EngineFixture.h"

#include "compare/engine/CmprEngine.h"
#include "compare/engine/DateText.h"
#include "compare/engine/Walker.h"
#include "compare/rows/RowFormat.h"
#include "compare/store/ResultStore.h"
#include "compare/store/RowFetch.h"
#include "env/Error.h"
#include "env/NameBytes.h"
#include "support/Files.h"
#include "support/Hooks.h"
#include "support/Printers.h"
#include "support/TestDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits>
#include <thread>
#include <unistd.h>

// A Mac writes "が" as "か" and a combining mark: the same file, one row,
// each side's own bytes where a row shows that side alone.
TEST_F(Engine, ComposedAndDecomposedNamesAreOneRow)
{
    const QString nfc = QString::fromUtf8("がぎぐ資料.txt"), nfd = nfc.normalized(QString::NormalizationForm_D);
    const QString dirNfc = QString::fromUtf8("プロジェクト"), dirNfd = dirNfc.normalized(QString::NormalizationForm_D);
    file("one/" + nfc);
    file("two/" + nfd);
    file("one/" + dirNfc + "/f");
    file("two/" + dirNfd + "/f");
    file("two/" + dirNfd + "/g");
    const CmprCounts n = run(one(), two());
    EXPECT_EQ(n.Of(CmprCode::Same), 2);
    EXPECT_EQ(n.rows, 3);
    const auto r = rows();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].sFL, nfc);
    EXPECT_EQ(r[1].sPh, dirNfc);
    EXPECT_EQ(r[2].sPh, dirNfd); // only in Folder 2: its own spelling
    EXPECT_EQ(r[2].sED, "2-*");
}

TEST_F(Engine, NumberingLeavesGapsForMatchedFolder2Files)
{
    file("one/a.txt");
    file("one/b.txt");
    file("one/c.txt");
    file("two/a.txt");
    file("two/d.txt");
    run(one(), two());
    auto r = rows();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].nNo, 1001);
    EXPECT_EQ(r[1].nNo, 1002);
    EXPECT_EQ(r[2].nNo, 1003);
    EXPECT_EQ(r[3].nNo, 1005);
    EXPECT_EQ(r[3].sFL, "d.txt");
    EXPECT_EQ(r[0].sED, "1=2");
    EXPECT_EQ(r[1].sED, "1-*");
    EXPECT_EQ(r[3].sED, "2-*");
    EXPECT_EQ(r[3].sU1, "");
    EXPECT_EQ(r[3].nS1, 0);
    EXPECT_EQ(r[1].sU2, "");
}

TEST_F(Engine, FilesBeforeSubfoldersAndRelativeFolders)
{
    file("one/z.txt");
    file("one/a/b/c.txt");
    file("one/a/x.txt");
    dir.createDir("one/empty");
    dir.createDir("two");
    run(one(), two());
    auto r = rows();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].sPh, "");
    EXPECT_EQ(r[0].sFL, "z.txt");
    EXPECT_EQ(r[1].sPh, "a");
    EXPECT_EQ(r[1].sFL, "x.txt");
    EXPECT_EQ(r[2].sPh, "a/b");
    EXPECT_EQ(r[2].sFL, "c.txt");
    for (const Row& x : r)
        EXPECT_EQ(x.sED, "1-*");
}

TEST_F(Engine, SameFolderSecondsAndSizesAreEqual)
{
    file("one/a.txt", "short");
    file("one/sub/b.bin", "1234567890", T0.addSecs(-50));
    run(one(), one());
    for (const Row& x : rows())
        EXPECT_EQ(x.sED, "1=2") << x.sFL.toStdString();

    file("two/a.txt", "much longer content", T0.addSecs(-59)); // 09:41:00 against 09:41:59
    file("two/sub/b.bin", "1234567890", T0.addSecs(-50));
    run(one(), two());
    auto r = rows();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].sED, "1=2");
    EXPECT_EQ(r[0].nS1, 5);
    EXPECT_EQ(r[0].nS2, 19);
    EXPECT_EQ(r[0].sU1, "07/03/05 09:41");
}

TEST_F(Engine, NewerSidesUseTheFullYear)
{
    file("one/old.txt", "x", QDateTime(QDate(1999, 6, 1), QTime(12, 0)));
    file("two/old.txt", "x", QDateTime(QDate(2005, 6, 1), QTime(12, 0)));
    file("one/new.txt", "x", T0.addSecs(120));
    file("two/new.txt", "x", T0);
    CmprCounts c = run(one(), two());
    auto r = rows();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].sFL, "new.txt");
    EXPECT_EQ(r[0].sED, "1>2");
    EXPECT_EQ(r[1].sED, "2>1"); // 2005 is newer than 1999
    EXPECT_EQ(r[1].sU1, "99/06/01 12:00");
    EXPECT_EQ(c.Of(CmprCode::Newer1), 1);
    EXPECT_EQ(c.Of(CmprCode::Newer2), 1);
}

TEST_F(Engine, CaseIsIgnoredAndFolder1SpellingKept)
{
    file("one/Docs/Readme.txt", "a");
    file("two/DOCS/README.TXT", "bb");
    file("one/Ärger.TXT");
    file("two/ärger.txt");
    run(one(), two());
    auto r = rows();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0].sFL, "Ärger.TXT");
    EXPECT_EQ(r[0].sED, "1=2");
    EXPECT_EQ(r[1].sPh, "Docs");
    EXPECT_EQ(r[1].sFL, "Readme.txt");
    EXPECT_EQ(r[1].nS2, 2);
}

TEST_F(Engine, CaseTwinsEachKeepTheirOwnRow)
{
    file("one/a.txt", "1");
    file("one/A.txt", "22");
    file("two/A.txt", "333");
    file("two/B.txt", "4");
    file("two/b.txt", "55");
    run(one(), two());
    auto r = rows();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].sFL, "A.txt"); // code order: A before a
    EXPECT_EQ(r[0].nS2, 3);       // the exact spelling wins
    EXPECT_EQ(r[1].sFL, "a.txt");
    EXPECT_EQ(r[1].sED, "1-*");
    EXPECT_EQ(r[2].sFL, "B.txt");
    EXPECT_EQ(r[3].sFL, "b.txt");
    EXPECT_EQ(r[3].nS2, 2);
}

TEST_F(Engine, OddNamesAreStoredExactly)
{
    QStringList names = {"it's.txt", "what?.txt", "50% ' \"q\".md", "semi;colon; DROP TABLE tbCmpr;--",
                         "日本語ﾌｧｲﾙ.txt"};
    for (const QString& n : names) {
        file("one/" + n);
        file("two/" + n);
    }
    run(one(), two());
    auto r = rows();
    ASSERT_EQ(r.size(), size_t(names.size()));
    QStringList got;
    for (const Row& x : r) {
        got << x.sFL;
        EXPECT_EQ(x.sED, "1=2");
    }
    names.sort();
    got.sort();
    EXPECT_EQ(got, names);
}

TEST_F(Engine, LargeSparseFilesKeepTheirSize)
{
    QString p = dir.createFile("one/big.img", "");
    QFile f(p);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.resize(5LL * 1024 * 1024 * 1024));
    f.close();
    TestDir::setMTime(p, T0);
    dir.createDir("two");
    run(one(), two());
    auto r = rows();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].nS1, 5368709120LL);
    EXPECT_EQ(SizeText(r[0].nS1), "5,368,709,120");
}

// A folder reached both through a link and by its real path is listed
// under its real path, whichever comes first by name; a link to a folder
// outside the compared one is listed under the link.
TEST_F(Engine, RealFoldersBeforeTheirLinks)
{
    file("one/normal/f1");
    file("one/normal/f2");
    file("two/normal/f1");
    file("two/normal/f2");
    file("outside/o.txt");
    file("two/ext/o.txt");
    dir.createDir("one/links");
    for (const auto& [target, at] : {std::pair{"../normal", "one/links/to-normal"}, {"../../outside", "one/links/ext"}})
        ASSERT_EQ(::symlink(target, QFile::encodeName(dir.path(at)).constData()), 0);
    ASSERT_EQ(::symlink("../outside", QFile::encodeName(dir.path("one/ext")).constData()), 0);
    const CmprCounts n = run(one(), two());
    QStringList got;
    for (const Row& r : rows())
        got << r.sPh + "/" + r.sFL + " " + r.sED;
    EXPECT_EQ(got, QStringList({"normal/f1 1=2", "normal/f2 1=2", "ext/o.txt 1=2"}));
    EXPECT_EQ(n.rows, n.Of(CmprCode::Same));
}

TEST_F(Engine, LinkLoopsEnd)
{
    file("one/a/f.txt");
    ASSERT_EQ(::symlink(QFile::encodeName(one()).constData(), QFile::encodeName(dir.path("one/a/up")).constData()), 0);
    file("two/a/f.txt");
    run(one(), two());
    auto r = rows();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].sED, "1=2");
}

// Both walkers (the POSIX one and the Qt one other platforms use) list the
// same entries in the same order: code-point order, which is not UTF-16
// order above U+FFFF, files before subfolders.
TEST_F(Engine, WalkOrderIsCodePointOrderOnEveryPlatformWalker)
{
    for (const char* n : {"b.txt", "B.txt", "a", "_x", ".hidden", "\xc3\xa9", "\xf0\x9f\x98\x80", "\xee\x80\x80"})
        file(QString("one/") + QString::fromUtf8(n));
    file("one/b/in_b");
    file("one/A/in_A");
    const QString target = dir.path("nowhere/at/all");
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(dir.path("one/dangling")).constData()),
              0);
    std::atomic<qint64> seen{0};
    WalkResult w = WalkFolder(one(), seen);
    QStringList names;
    for (const WalkFile& f : w.files)
        names << w.Folder(f) + "|" + w.Name(f);
    EXPECT_EQ(names, QStringList({"|.hidden", "|B.txt", "|_x", "|a", "|b.txt", "|dangling",
                                  QString::fromUtf8("|\xc3\xa9"), QString::fromUtf8("|\xee\x80\x80"),
                                  QString::fromUtf8("|\xf0\x9f\x98\x80"), "A|in_A", "b|in_b"}));
    EXPECT_EQ(seen.load(), 11);
    const WalkFile& link = w.files[5];
    EXPECT_EQ(link.size, QFile::encodeName(target).size()); // the link's own size
#ifndef FLDCMPR_PORTABLE_FS
    EXPECT_GT(link.mtime, 0); // the link's own time; Qt cannot read that of a link whose target is gone
#endif
}

TEST_F(Engine, FailedRunKeepsThePreviousResult)
{
    file("one/a.txt");
    file("two/a.txt");
    run(one(), two());
    auto before = rows();
    ASSERT_EQ(before.size(), 1u);
    file("one/b.txt");
    EXPECT_THROW(run(one(), dir.path("missing")), FcError);
    EXPECT_THROW(run("", two()), FcError);
    auto after = rows();
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].sED, "1=2");
}

// A folder or file below that cannot be read is passed over and recorded;
// every readable file is still listed, and the run log keeps the count.
TEST_F(Engine, UnreadableFoldersAndFilesAreSkippedAndRecorded)
{
    file("one/a.txt");
    file("two/a.txt");
    file("two/locked/hidden.txt");
    file("two/z/after.txt");
    file("two/noexec/f1.txt");
    file("two/noexec/f2.txt");
    if (!LockFolder(dir.path("two/locked")))
        GTEST_SKIP() << "needs a user without root rights: an unreadable folder";
    QFile::setPermissions(dir.path("two/noexec"), QFileDevice::ReadOwner); // listed, but no entry can be read
    CmprCounts c = run(one(), two());
    QStringList names;
    for (const Row& x : rows())
        names << x.sFL + " " + x.sED;
    EXPECT_EQ(names, QStringList({"a.txt 1=2", "after.txt 2-*"}));
    QStringList skipped;
    for (const WalkSkip& s : outcome.skipped)
        skipped << s.path.mid(two().size() + 1);
    EXPECT_EQ(skipped, QStringList({"locked", "noexec/f1.txt", "noexec/f2.txt"}));
    EXPECT_EQ(c.skipped, 3);
    store.OpnDb();
    {
        SqlStmt st = store.Db().Prepare("Select nSkip From tbRun");
        ASSERT_TRUE(st.Step());
        EXPECT_EQ(st.Int(0), 3);
    }
    store.ClsDb();
    // only a compared folder that cannot be read itself fails the run
    EXPECT_THROW(run(dir.path("two/locked"), one()), FcError);
}

// Folders that vanish or turn into a file after their parent was listed are
// passed over, not reported: the walk, on one reader so that the order of
// reads is known, is still inside the big folder "a" when "b" becomes a
// file and "c" is removed.
TEST_F(Engine, FoldersChangedDuringTheWalkArePassedOver)
{
    const int big = 20000;
    dir.createDir("one/a");
    for (int i = 0; i < big; ++i) {
        const QByteArray p = QFile::encodeName(dir.path(QString("one/a/f%1").arg(i)));
        const int fd = ::open(p.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    file("one/b/in_b.txt");
    file("one/c/in_c.txt");
    file("one/d/in_d.txt");
    std::atomic<qint64> seen{0};
    std::atomic<qint64> seenWhenChanged{-1};
    std::thread change([&] {
        while (seen.load() == 0)
            std::this_thread::yield();
        QDir(dir.path("one/b")).removeRecursively();
        dir.createFile("one/b", "now a file");
        QDir(dir.path("one/c")).removeRecursively();
        seenWhenChanged = seen.load();
    });
    WalkResult w = WalkFolder(one(), seen, nullptr, WalkOptions{1});
    change.join();
    ASSERT_LT(seenWhenChanged.load(), big) << "the walk left the big folder before the change";
    EXPECT_EQ(w.files.size(), size_t(big) + 1);
    EXPECT_EQ(w.folders, std::vector<QString>({"", "a", "d"}));
    EXPECT_EQ(w.Name(w.files.back()), "in_d.txt");
    EXPECT_TRUE(w.skipped.empty()) << w.skipped.front().path.toStdString();
}

// Every physical folder is walked once per side, by the first path that
// reaches it: a lattice of levels, each linking twice to the next, gives
// one row per real file, not one per path.
TEST_F(Engine, FoldersReachedByManyLinksAreWalkedOnce)
{
    for (const QString& side : {QString("one"), QString("two")}) {
        for (int i = 0; i < 14; ++i) {
            file(QString("%1/L%2/f.txt").arg(side).arg(i));
            if (i == 0)
                continue;
            for (const char* link : {"a", "b"})
                ASSERT_EQ(
                    ::symlink(
                        QFile::encodeName(dir.path(QString("%1/L%2").arg(side).arg(i))).constData(),
                        QFile::encodeName(dir.path(QString("%1/L%2/%3").arg(side).arg(i - 1).arg(link))).constData()),
                    0);
        }
    }
    CmprCounts c = run(one(), two());
    EXPECT_EQ(c.rows, 14); // 2^14 paths per side if each link were walked
    EXPECT_EQ(c.Of(CmprCode::Same), 14);
}

// A store an earlier version made, with its index on folder and name, is
// read and replaced as any other; the index, of use to no query, goes. The
// folder of each row is stored with its own bytes, though rows of one
// folder pass the same text in turn.
TEST_F(Engine, AStoreWithTheOldIndexIsReplacedAndLosesIt)
{
    file("one/a/x.txt");
    file("one/a/y.txt");
    file("one/b/x.txt");
    file("one/x.txt");
    file("two/a/x.txt");
    store.OpnDb();
    store.Db().Exec(
        "CREATE INDEX ixPhFL ON tbCmpr (sPh, sFL); Insert Into tbCmpr (nNo, sPh, sFL) Values (1, 'old', 'old')");
    store.ClsDb();
    run(one(), two());
    const std::vector<Row> r = rows();
    ASSERT_EQ(r.size(), 4u);
    const char* folders[] = {"", "a", "a", "b"};
    for (size_t i = 0; i < r.size(); ++i)
        EXPECT_EQ(r[i].sPh, folders[i]) << i;
    store.OpnDb();
    SqlStmt st = store.Db().Prepare("Select count(*) From sqlite_master Where type = 'index' And name = 'ixPhFL'");
    ASSERT_TRUE(st.Step());
    EXPECT_EQ(st.Int(0), 0);
}

// Reading the rows back for the grid gives the store's page cache back
// first and keeps little while it scans, then leaves the connection's
// cache as it was for the next run's writing.
TEST_F(Engine, ReadingRowsBackLeavesTheCacheAsItWas)
{
    for (int i = 0; i < 30; ++i)
        file(QString("one/f%1.txt").arg(i));
    file("two/f0.txt");
    run(one(), two());
    store.OpnDb();
    int rows = 0, chunks = 0;
    FetchRows(store.Db(), DispMode::Differences, 7, [&](std::vector<GridRow>& chunk) {
        rows += int(chunk.size());
        ++chunks;
    });
    EXPECT_EQ(rows, 29); // f0.txt is 1=2
    EXPECT_EQ(chunks, 5);
    SqlStmt st = store.Db().Prepare("PRAGMA cache_size");
    ASSERT_TRUE(st.Step());
    EXPECT_EQ(st.Int(0), -32768);
}

// Rows go into the store many to a statement: every row arrives whole and
// in place, however many statements it takes and whatever is left over.
TEST_F(Engine, EveryRowIsStoredWholeWhateverTheCount)
{
    for (int n : {63, 64, 65, 200}) {
        for (int i = 0; i < n; ++i)
            file(QString("%1/one/d%2/f%3.txt").arg(n).arg(i % 7).arg(i, 3, 10, QChar('0')), QByteArray(i, 'x'));
        dir.createDir(QString("%1/two").arg(n));
        run(dir.path(QString("%1/one").arg(n)), dir.path(QString("%1/two").arg(n)));
        const std::vector<Row> r = rows();
        ASSERT_EQ(r.size(), size_t(n));
        for (size_t k = 0; k < r.size(); ++k) {
            EXPECT_EQ(r[k].nNo, qint64(1001 + k));
            const int i = r[k].sFL.mid(1, 3).toInt();
            EXPECT_EQ(r[k].sPh, QString("d%1").arg(i % 7));
            EXPECT_EQ(r[k].nS1, i);
            EXPECT_EQ(r[k].sED, "1-*");
            EXPECT_EQ(r[k].sU2, "");
        }
    }
}

TEST_F(Engine, CompactionKeepsRowsAndRemovesAStaleCopy)
{
    file("one/a.txt");
    file("one/b/c.txt");
    file("two/a.txt");
    run(one(), two());
    auto before = rows();
    ASSERT_TRUE(WriteBytes(store.TempPath(), "not a database"));
    store.CmpctDb();
    EXPECT_TRUE(store.IsOpen());
    EXPECT_FALSE(QFile::exists(store.TempPath()));
    store.ClsDb();
    // a stale copy that is a link goes as a link: a read-only file it
    // points at keeps its mode
    const QString target = dir.createFile("elsewhere/ro.bin", "keep");
    ASSERT_TRUE(
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    ASSERT_TRUE(QFile::link(target, store.TempPath()));
    store.CmpctDb();
    store.ClsDb();
    EXPECT_FALSE(QFileInfo(store.TempPath()).isSymLink());
    struct stat st {};
    ASSERT_EQ(::stat(EncodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(ReadBytes(target), "keep");
    auto after = rows();
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].nNo, before[i].nNo);
        EXPECT_EQ(after[i].sFL, before[i].sFL);
        EXPECT_EQ(after[i].sED, before[i].sED);
    }
}

TEST_F(Engine, ADamagedStoreIsReported)
{
    ASSERT_TRUE(WriteBytes(store.Path(), QByteArray(4096, 'z')));
    EXPECT_THROW(store.OpnDb(), FcError);
    EXPECT_FALSE(store.IsOpen());
}

TEST(RowFormat, NamesSizesDatesAndQueries)
{
    struct {
        const char *fl, *name, *ext;
    } cases[] = {{"archive.tar.gz", "archive.tar", "gz"},
                 {".profile", "", "profile"},
                 {"README", "README", ""},
                 {"a.", "a", ""}};
    for (auto& c : cases) {
        NameExt ne = SplitName(c.fl);
        EXPECT_EQ(ne.name, c.name);
        EXPECT_EQ(ne.ext, c.ext);
    }
    EXPECT_EQ(SizeText(0), "");
    EXPECT_EQ(SizeText(999), "999");
    EXPECT_EQ(SizeText(1000), "1,000");
    EXPECT_EQ(SizeText(1234567), "1,234,567");
    EXPECT_EQ(DateText(QDateTime(QDate(2007, 3, 5), QTime(9, 41, 59)).toSecsSinceEpoch()), "07/03/05 09:41");
    EXPECT_EQ(DateText(QDateTime(QDate(1999, 12, 31), QTime(23, 5, 0)).toSecsSinceEpoch()), "99/12/31 23:05");
    EXPECT_EQ(CompareMinutes(60, 119), 0);
    EXPECT_EQ(CompareMinutes(-1, 0), -1);
    EXPECT_EQ(ModeQuery(DispMode::All), "Select sPh, sFL, sED, nS1,sU1, nS2, sU2 From tbCmpr Order By nNo");
    EXPECT_EQ(ModeQuery(DispMode::Differences),
              "Select sPh, sFL, sED, nS1,sU1, nS2, sU2 From tbCmpr Where sED<>'1=2' Order By nNo");
    EXPECT_EQ(ModeQuery(DispMode::Changed),
              "Select sPh, sFL, sED, nS1,sU1, nS2, sU2 From tbCmpr Where sED In ('1>2','2>1','1≠2') Order By nNo");
    EXPECT_EQ(ModeQuery(DispMode(7)), ModeQuery(DispMode::All));
}

TEST(SqlDb, AConnectionClosedWithAStatementStillOpenIsReported)
{
    TestDir dir;
    static QString reported;
    SqlDb::SetCloseFailureHandler([](const QString& why) { reported = why; });
    {
        auto db = std::make_unique<SqlDb>(dir.path("x.db"));
        SqlStmt st = db->Prepare("Select 1");
        db.reset(); // the statement outlives its connection, which is freed with it
    }
    InstallTestHooks();
    EXPECT_TRUE(reported.contains("x.db")) << reported.toStdString();
}

namespace {
// Sets TZ for the life of the object.
class Zone {
public:
    explicit Zone(const char* tz) : m_old(qgetenv("TZ")), m_had(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", tz);
        tzset();
    }
    ~Zone()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray m_old;
    bool m_had;
};
} // namespace

// The code agrees with the two date texts in zones whose offset is not a
// whole number of minutes, and where clocks are set back.
TEST(DateText, CodesAgreeWithTheShownMinutesInEveryZone)
{
    struct {
        const char* zone;
        qint64 from; // seconds since the epoch
    } cases[] = {
        {"Africa/Monrovia", 0},               // UTC-0:44:30 until 1972
        {"Europe/Amsterdam", -1700000000},    // UTC+0:19:32 in the 1920s
        {"Europe/Berlin", 1698541200 - 3600}, // 2023-10-29: 02:00-03:00 twice
    };
    for (const auto& c : cases) {
        if (!QFile::exists(QString("/usr/share/zoneinfo/") + c.zone))
            GTEST_SKIP() << "needs the time zone data (tzdata)";
        Zone z(c.zone);
        int disagree = 0;
        for (qint64 s = c.from; s < c.from + 3 * 3600; s += 7) {
            for (qint64 d : {qint64(13), qint64(41), qint64(3600)}) {
                const bool sameText = DateText(s) == DateText(s + d);
                if (sameText != (CompareMinutes(s, s + d) == 0) ||
                    (!sameText && CompareMinutes(s, s + d) != -1 && DateText(s) < DateText(s + d)))
                    ++disagree;
            }
        }
        EXPECT_EQ(disagree, 0) << c.zone;
    }
    // beyond what local time can show: a clear text and still a sound code
    EXPECT_EQ(DateText(qint64(1) << 60), "--/--/-- --:--");
    EXPECT_EQ(CompareMinutes(qint64(1) << 60, 0), 1);
}

// The conversion a pass uses, which remembers each day's offset, gives the
// system's text and order for every time: across changes of offset, in zones
// of odd offsets, before 1970, and after the zone itself was changed.
TEST(DateText, APassGivesTheSystemsTextsInEveryZone)
{
    const char* zones[] = {"Europe/Berlin",
                           "Australia/Lord_Howe",
                           "Asia/Kathmandu",
                           "Europe/Amsterdam",
                           "America/St_Johns",
                           "Pacific/Apia",
                           "UTC"};
    for (const char* zone : zones) {
        if (!QFile::exists(QString("/usr/share/zoneinfo/") + zone))
            GTEST_SKIP() << "needs the time zone data (tzdata)";
        Zone z(zone);
        LocalTime pass;
        int differ = 0;
        // every 7 hours and 7 seconds over 1910-2040 and every 10 minutes and 7
        // seconds through 2023, each twice: the second time finds the days
        // already looked up
        const struct {
            qint64 from, to, step;
        } spans[] = {{-1893456000, 2208988800, 25207}, {1672531200, 1704067200, 607}};
        for (int round = 0; round < 2; ++round)
            for (const auto& span : spans)
                for (qint64 s = span.from; s < span.to; s += span.step) {
                    differ += pass.Text(s) != DateText(s);
                    differ += pass.CompareMinutes(s, s + 59) != CompareMinutes(s, s + 59);
                }
        EXPECT_EQ(differ, 0) << zone;
    }
    LocalTime pass;
    {
        Zone z("Asia/Tokyo");
        EXPECT_EQ(LocalTime().Text(0), "70/01/01 09:00");
    }
    {
        Zone z("America/New_York");
        EXPECT_EQ(LocalTime().Text(0), "69/12/31 19:00"); // a new pass sees the new zone
    }
    EXPECT_EQ(pass.Text(std::numeric_limits<qint64>::min()), "--/--/-- --:--");
    EXPECT_EQ(pass.Text(std::numeric_limits<qint64>::max()), "--/--/-- --:--");
    EXPECT_EQ(pass.CompareMinutes(std::numeric_limits<qint64>::min(), 0), -1);
}

// A store an earlier version wrote to last keeps the moves of the run
// before: a row read back takes no place from them.
TEST_F(Engine, MovesLeftInTheStoreByAnEarlierRunAreNotARowsPlace)
{
    file("one/a/x", "moved");
    file("two/b/x", "moved");
    CmprRule moves;
    moves.moves = true;
    run(one(), two(), moves);
    store.OpnDb();
    store.Db().Exec("Update tbCmpr Set sED = '1-*'"); // rows anew, tbMove left as it was
    std::vector<GridRow> got;
    FetchRows(store.Db(), DispMode::All, 10,
              [&](std::vector<GridRow>& c) { got.insert(got.end(), c.begin(), c.end()); });
    store.ClsDb();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_FALSE(got[0].Moved());
}
