// The digest cache: its digests against xxHash's own, what finds an entry,
// which entries are kept, and the file it writes under damage, failure,
// other writers and a kill in the middle of a save.
#include "compare/engine/DigestCache.h"
#include "env/Aside.h"
#include "env/NameBytes.h"
#include "support/Files.h"
#include "support/TestDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <xxhash.h>

namespace {
constexpr qint64 kSec = 1'000'000'000;
constexpr qint64 kOld = 1'600'000'000 * kSec; // a time long before any read below
constexpr qint64 kRead = kOld + 100 * kSec;   // when those reads began
constexpr qint32 kDay = 20'000;

Digest OneShot(const QByteArray& bytes)
{
    XXH128_canonical_t c;
    XXH128_canonicalFromHash(&c, XXH3_128bits(bytes.constData(), size_t(bytes.size())));
    Digest d;
    std::memcpy(d.data(), c.digest, d.size());
    return d;
}

DigestKey Key(quint64 dev, quint64 ino, qint64 size = 10, qint64 mtime = kOld, qint64 ctime = kOld)
{
    return {{dev, ino, mtime, ctime}, size};
}

Digest D(quint64 n) { return OneShot(QByteArray::number(n)); }

// The names in a folder, sorted.
QStringList Names(const QString& folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

class Cache : public ::testing::Test {
protected:
    QString file() const { return dir.path("cache/digests"); }
    // Whether a fresh cache on the file finds each key's digest (as d(n)
    // for key n), and no problem.
    std::vector<std::optional<Digest>> Find(const std::vector<DigestKey>& keys, const QString& at = {})
    {
        DigestCache c(at.isEmpty() ? file() : at);
        auto out = c.Lookup(keys);
        EXPECT_EQ(c.Problem(), "");
        return out;
    }
    // A cache of the entries of `keys` (digest D(i) for key i), saved.
    void SaveEntries(const std::vector<DigestKey>& keys, qint32 day = kDay, const QString& at = {})
    {
        DigestCache c(at.isEmpty() ? file() : at);
        for (size_t i = 0; i < keys.size(); ++i)
            c.Add(keys[i], D(i), kRead);
        ASSERT_TRUE(c.Save(day)) << c.Problem().toStdString();
    }
    TestDir dir;
};
} // namespace

// The streamed digest is xxHash's XXH3-128 of the whole, canonical form,
// however the bytes are handed in.
TEST(DigestState, IsXxh3OfTheWholeInAnyPieces)
{
    QByteArray big(3 * 1024 * 1024 + 17, '\0');
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char((i * 7919) >> 5);
    for (const QByteArray& bytes : {QByteArray(), QByteArray("abc"), big}) {
        DigestState s;
        for (qsizetype at = 0, piece = 1; at < bytes.size(); at += piece, piece = piece * 3 % 70001 + 1)
            s.Update(bytes.constData() + at, size_t(std::min(piece, bytes.size() - at)));
        EXPECT_EQ(s.Final(), OneShot(bytes)) << bytes.size();
    }
    // the known value of "abc", high half first
    const Digest abc = OneShot("abc");
    const XXH128_hash_t h = XXH3_128bits("abc", 3);
    EXPECT_EQ(abc[0], quint8(h.high64 >> 56));
    EXPECT_EQ(abc[15], quint8(h.low64));
}

// Two files made to share an unseeded XXH3-128 (a 32-byte pair computed
// from its public secret) differ under a seed, and a cache keeps its seed.
TEST(DigestState, ASeedTellsCraftedTwinsApart)
{
    const QByteArray a = QByteArray::fromHex("b8fe6c3923a44bbef9bc0d7f3653eb5848454c4c4f2d4121a7885f442929f3f0");
    const QByteArray b = QByteArray::fromHex("b8fe6c3923a44bbee306db5efb3dfdf14556494c2d2d4221aa7762444b29f2f0");
    auto digest = [](const QByteArray& bytes, quint64 seed) {
        DigestState s(seed);
        s.Update(bytes.constData(), size_t(bytes.size()));
        return s.Final();
    };
    ASSERT_NE(a, b);
    EXPECT_EQ(digest(a, 0), digest(b, 0));
    EXPECT_NE(digest(a, 0x5eed), digest(b, 0x5eed));
    TestDir dir;
    DigestCache first(dir.path("digests")), second(dir.path("digests")), fresh(dir.path("other"));
    first.Add(Key(1, 1), D(1), kRead);
    ASSERT_TRUE(first.Save(kDay));
    second.Lookup({Key(1, 1)});
    fresh.Lookup({Key(1, 1)});
    EXPECT_TRUE(second.SeedKnown() && fresh.SeedKnown());
    EXPECT_EQ(second.Seed(), first.Seed());
    EXPECT_NE(fresh.Seed(), first.Seed());
}

// A cache that another user could have written (the file or its folder
// writable by others) is not used, and a save does not write into such a
// folder.
TEST_F(Cache, OnlyACacheNoOtherUserCanWriteIsUsed)
{
    SaveEntries({Key(1, 1)});
    const struct {
        mode_t file, folder;
    } cases[] = {{0666, 0700}, {0620, 0700}, {0600, 0777}, {0600, 0770}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file * 1000 + c.folder);
        ASSERT_EQ(::chmod(QFile::encodeName(file()).constData(), c.file), 0);
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path("cache")).constData(), c.folder), 0);
        DigestCache other(file());
        EXPECT_FALSE(other.Lookup({Key(1, 1)})[0]);
        EXPECT_TRUE(other.Problem().contains("ほかのﾕｰｻﾞｰ")) << other.Problem().toStdString();
    }
    DigestCache writer(file());
    writer.Add(Key(2, 2), D(2), kRead);
    EXPECT_FALSE(writer.Save(kDay)); // the folder is still writable by others
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path("cache")).constData(), 0700), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(file()).constData(), 0666), 0);
    ASSERT_TRUE(writer.Save(kDay)); // the file others could write is replaced, its entries left out
    EXPECT_EQ(Find({Key(2, 2), Key(1, 1)}), (std::vector<std::optional<Digest>>{D(2), std::nullopt}));
}

// An entry is found only by a key of the same device, inode, size and both
// times; among many entries, keys in any order, two keys of one file.
TEST_F(Cache, AnEntryIsFoundOnlyByAllOfItsStamp)
{
    std::vector<DigestKey> saved;
    for (quint64 i = 0; i < 3000; ++i)
        saved.push_back(Key(i % 300, (i * 0x9E3779B97F4A7C15) >> 20, qint64(i)));
    saved.push_back(Key(1, 5, 10));
    SaveEntries(saved);
    const size_t mine = saved.size() - 1;

    struct Case {
        const char* what;
        DigestKey key;
        bool found;
    };
    const Case cases[] = {
        {"same", Key(1, 5, 10), true},
        {"same again (a second link)", Key(1, 5, 10), true},
        {"other dev", Key(2, 5, 10), false},
        {"other ino", Key(1, 6, 10), false},
        {"other size", Key(1, 5, 11), false},
        {"other mtime", Key(1, 5, 10, kOld + 1), false},
        {"other ctime", Key(1, 5, 10, kOld, kOld + 1), false},
        {"first entry", saved[0], true},
        {"last of dev 299", saved[2999], true},
        {"before all", Key(0, 0), false},
        {"after all", Key(9, 9), false},
    };
    std::vector<DigestKey> keys;
    for (const Case& c : cases)
        keys.push_back(c.key);
    const auto got = Find(keys);
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(got[i].has_value(), cases[i].found) << cases[i].what;
    }
    EXPECT_EQ(got[0], D(mine));
    EXPECT_EQ(got[7], D(0));
    EXPECT_EQ(got[8], D(2999));
    // all of them, keys of fewer and of many devices
    for (quint64 devices : {200, 300}) {
        std::vector<DigestKey> some;
        std::vector<size_t> at;
        for (size_t i = 0; i < saved.size(); ++i)
            if (saved[i].stamp.dev < devices) {
                some.push_back(saved[i]);
                at.push_back(i);
            }
        const auto all = Find(some);
        for (size_t i = 0; i < some.size(); ++i)
            ASSERT_EQ(all[i], D(at[i])) << devices << " " << i;
    }

    // nothing found where there is no file or no folder, and nothing said
    EXPECT_FALSE(Find(keys, dir.path("none/digests"))[0]);
    EXPECT_FALSE(DigestCache().Lookup(keys)[0]);
}

// A file changed within the clock's step of the start of its read could
// have been changed again unseen: its digest is not kept.
TEST_F(Cache, ADigestOfAFileChangedJustBeforeItsReadIsNotKept)
{
    const qint64 edge = kRead - DigestCache::kStepNs;
    struct Case {
        qint64 mtime, ctime;
        bool kept;
    };
    const Case cases[] = {
        {edge, edge, true},   {edge + 1, edge, false},     {edge, edge + 1, false},
        {kRead, kOld, false}, {kOld, kRead + kSec, false},
    };
    DigestCache c(file());
    std::vector<DigestKey> keys;
    for (quint64 i = 0; i < std::size(cases); ++i) {
        keys.push_back(Key(1, i, 10, cases[i].mtime, cases[i].ctime));
        c.Add(keys.back(), D(i), kRead);
    }
    // a file just made has just changed (its ctime is now)
    const QString real = dir.createFile("new.txt", "new");
    struct stat st;
    ASSERT_EQ(::stat(EncodeName(real).constData(), &st), 0);
    keys.push_back({{st.st_dev, st.st_ino, qint64(st.st_mtim.tv_sec) * kSec + st.st_mtim.tv_nsec,
                     qint64(st.st_ctim.tv_sec) * kSec + st.st_ctim.tv_nsec},
                    3});
    c.Add(keys.back(), OneShot("new"), DigestCache::NowNs());
    ASSERT_TRUE(c.Save());
    const auto got = Find(keys);
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(got[i].has_value(), cases[i].kept) << i;
    EXPECT_FALSE(got.back());
}

// A damaged file finds nothing, says so once, and the next save writes a
// good file in its place.
TEST_F(Cache, ADamagedFileFindsNothingAndIsReplaced)
{
    const std::vector<DigestKey> keys = {Key(1, 1), Key(1, 2), Key(2, 1)};
    SaveEntries(keys);
    const QByteArray good = ReadBytes(file());
    ASSERT_EQ(good.size(), 40 + 3 * 60);
    auto flipped = [&](qsizetype at) {
        QByteArray b = good;
        b[at] = char(b[at] ^ 0x10);
        return b;
    };
    QByteArray unordered = good; // the first two records swapped, checksum made to fit
    std::swap_ranges(unordered.begin() + 40, unordered.begin() + 100, unordered.begin() + 100);
    const XXH64_hash_t sum = XXH3_64bits(unordered.constData() + 40, 3 * 60);
    for (int i = 0; i < 8; ++i)
        unordered[24 + i] = char(sum >> (8 * i));
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"truncated", good.chopped(1)},
        {"header only", good.left(40)},
        {"a byte more", good + "x"},
        {"flipped in a digest", flipped(40 + 60 + 45)},
        {"flipped in the count", flipped(16)},
        {"flipped in the version", flipped(8)},
        {"flipped in the checksum", flipped(30)},
        {"out of order", unordered},
        {"garbage", QByteArray(4096, '\x5a')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteBytes(file(), c.bytes));
        DigestCache damaged(file());
        EXPECT_FALSE(damaged.Lookup(keys)[0]);
        const QString said = damaged.Problem();
        EXPECT_TRUE(said.contains(file()) && said.contains("破損")) << said.toStdString();
        damaged.Lookup(keys);
        EXPECT_EQ(damaged.Problem(), said); // once
        damaged.Add(Key(3, 3), D(3), kRead);
        ASSERT_TRUE(damaged.Save(kDay));
        EXPECT_EQ(Find({Key(3, 3), Key(1, 1)}), (std::vector<std::optional<Digest>>{D(3), std::nullopt}));
        EXPECT_EQ(Names(dir.path("cache")), QStringList({"digests", "digests.lock", "digests.seed"}));
    }
    // damaged, with nothing of its own to add, it is still replaced
    ASSERT_TRUE(WriteBytes(file(), "junk"));
    DigestCache c(file());
    c.Lookup(keys);
    ASSERT_TRUE(c.Save(kDay));
    Find(keys);
}

// A save that cannot write says why, gives up without throwing, leaves the
// file as it was and no temporary file, and keeps its entries for a later
// save.
TEST_F(Cache, ASaveThatCannotWriteSaysWhyAndKeepsItsEntriesForLater)
{
    SaveEntries({Key(1, 1)});
    const QByteArray before = ReadBytes(file());
    enum Block { FileInTheWay, DiskFull, Locked, ReadOnlyFolder };
    for (Block block : {FileInTheWay, DiskFull, Locked, ReadOnlyFolder}) {
        SCOPED_TRACE(int(block));
        if (block == ReadOnlyFolder && geteuid() == 0)
            continue; // root writes there anyway
        const QString path = block == FileInTheWay ? dir.path("blocker/sub/digests") : file();
        if (block == FileInTheWay)
            dir.createFile("blocker", "a file where a folder should be");
        DigestCacheBounds bounds;
        bounds.lockWaitMs = 100;
        DigestCache c(path, bounds);
        for (quint64 i = 0; i < 100; ++i)
            c.Add(Key(2, i), D(i), kRead);
        bool saved = true;
        {
            std::optional<FileSizeLimit> full;
            int other = -1; // another program's save in progress
            if (block == DiskFull)
                full.emplace(1000);
            if (block == Locked) {
                other = ::open(EncodeName(file() + ".lock").constData(), O_RDWR | O_CLOEXEC);
                ASSERT_EQ(::flock(other, LOCK_EX), 0);
            }
            if (block == ReadOnlyFolder)
                ::chmod(EncodeName(dir.path("cache")).constData(), 0500);
            EXPECT_NO_THROW(saved = c.Save(kDay));
            ::chmod(EncodeName(dir.path("cache")).constData(), 0700);
            if (other >= 0)
                ::close(other);
        }
        EXPECT_FALSE(saved);
        const QString said = c.Problem();
        EXPECT_TRUE(said.contains(block == FileInTheWay ? dir.path("blocker/sub") : file())) << said.toStdString();
        EXPECT_EQ(ReadBytes(file()), before);
        EXPECT_EQ(Names(dir.path("cache")), QStringList({"digests", "digests.lock", "digests.seed"}));

        QFile::remove(dir.path("blocker"));
        ASSERT_TRUE(c.Save(kDay));
        EXPECT_EQ(c.Problem(), said);
        EXPECT_EQ(Find({Key(2, 99)}, path)[0], D(99));
        ASSERT_TRUE(WriteBytes(file(), before));
    }
}

// Two programs on one file, saving in turn or at once: each one's entries
// kept; of two entries of one file the one of its later change.
TEST_F(Cache, TwoWritersKeepEachOthersEntries)
{
    DigestCache a(file()), b(file());
    EXPECT_FALSE(a.Lookup({Key(1, 1)})[0]);
    EXPECT_FALSE(b.Lookup({Key(1, 1)})[0]);
    a.Add(Key(1, 1), D(1), kRead);
    a.Add(Key(7, 7, 10, kOld, kOld + kSec), D(71), kRead); // a later change of the file
    b.Add(Key(2, 2), D(2), kRead);
    b.Add(Key(7, 7), D(70), kRead);
    ASSERT_TRUE(a.Save(kDay));
    ASSERT_TRUE(b.Save(kDay));
    EXPECT_EQ(Find({Key(1, 1), Key(2, 2), Key(7, 7, 10, kOld, kOld + kSec), Key(7, 7)}),
              (std::vector<std::optional<Digest>>{D(1), D(2), D(71), std::nullopt}));

    // at once: the lock keeps them in turn
    constexpr quint64 kEach = 20'000;
    DigestCache c(file()), d(file());
    for (quint64 i = 0; i < kEach; ++i) {
        c.Add(Key(3, i), D(i), kRead);
        d.Add(Key(4, i), D(i), kRead);
    }
    bool savedC = false, savedD = false;
    std::thread t([&] { savedC = c.Save(kDay); });
    savedD = d.Save(kDay);
    t.join();
    ASSERT_TRUE(savedC && savedD);
    const auto got = Find({Key(1, 1), Key(3, 0), Key(3, kEach - 1), Key(4, 0), Key(4, kEach - 1)});
    EXPECT_EQ(std::count(got.begin(), got.end(), std::nullopt), 0);
}

// A save killed at any moment leaves the old file whole; what it was
// writing is a temporary file of the program's, which the next save takes
// away.
TEST_F(Cache, ASaveKilledMidwayLeavesTheOldFile)
{
    const std::vector<DigestKey> old = {Key(1, 1), Key(5, 5), Key(9, 9)};
    SaveEntries(old);
    const QByteArray before = ReadBytes(file());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        DigestCache big(file());
        for (quint64 i = 0; i < 2'000'000; ++i)
            big.Add(Key(5, i + 10), D(i), kRead);
        big.Save(kDay);
        for (;;)
            ::pause(); // killed here at the latest
    }
    // killed once it is writing (or, on a fast disk, just after)
    const QString folder = dir.path("cache");
    for (int waited = 0; waited < 60'000; ++waited) {
        const QStringList names = Names(folder);
        if (std::any_of(names.begin(), names.end(),
                        [&](const QString& n) {
                            return n.startsWith(".fldcmpr-") && QFileInfo(folder + "/" + n).size() > 0;
                        }) ||
            ReadBytes(file()) != before)
            break;
        ::usleep(1000);
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));

    const auto got = Find(old);
    EXPECT_EQ(std::count(got.begin(), got.end(), std::nullopt), 0);
    for (const QString& n : Names(folder))
        EXPECT_TRUE(n == "digests" || n == "digests.lock" || n == "digests.seed" ||
                    Aside::IsAsideName(EncodeName(n).constData()))
            << n.toStdString();
    SaveEntries({Key(6, 6)});
    EXPECT_EQ(Names(folder), QStringList({"digests", "digests.lock", "digests.seed"}));
}

// Entries not seen for the days kept go; those found by lookups are seen
// again; beyond the count kept the least recently seen go, of one day the
// first by device and inode.
TEST_F(Cache, EntriesNotSeenForLongGoAndTheCountIsBounded)
{
    const quint64 big = quint64(1) << 40;
    const std::vector<DigestKey> keys = {Key(1, 1), Key(1, 2), Key(2, 5), Key(2, 6), Key(3, big),
                                         Key(1, 3), Key(1, 4), Key(1, 5), Key(1, 6), Key(1, 7)};
    // "1" for each key found
    auto found = [&] {
        std::string out;
        for (const auto& d : Find(keys))
            out += d ? '1' : '0';
        return out;
    };
    SaveEntries({keys.begin(), keys.begin() + 5}, kDay);
    {
        DigestCache c(file());
        c.Lookup({Key(3, big), Key(1, 2)});
        c.Lookup({Key(2, 6), Key(2, 5, 99)});
        ASSERT_TRUE(c.Save(kDay + 60));
    }
    SaveEntries({Key(1, 3)}, kDay + 89);
    EXPECT_EQ(found(), "1111110000"); // 89 days unseen
    SaveEntries({Key(1, 4)}, kDay + 90);
    EXPECT_EQ(found(), "0101111000"); // 90 days unseen: gone; those seen again stay

    DigestCacheBounds bounds;
    bounds.maxEntries = 4;
    DigestCache c(file(), bounds);
    c.Add(Key(1, 5), D(5), kRead);
    ASSERT_TRUE(c.Save(kDay + 91));
    EXPECT_EQ(found(), "0100011100");
    bounds.maxEntries = 2;
    DigestCache d(file(), bounds);
    for (quint64 i : {7, 6})
        d.Add(Key(1, i), D(i), kRead);
    ASSERT_TRUE(d.Save(kDay + 91));
    EXPECT_EQ(found(), "0000000110");
    EXPECT_EQ(QFileInfo(file()).size(), 40 + 2 * 60);
}
