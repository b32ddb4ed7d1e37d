// The walk on many readers gives exactly what it gives on one: the same
// files in the same order, the same folders, keys and skipped paths, over
// trees with links in every direction, stray-byte names and unreadable
// folders; very deep paths; and a stop that ends every reader.
#include "compare/engine/Walker.h"
#include "env/Error.h"
#include "support/TestDir.h"

#include <QFile>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
QByteArray Bytes(const QString& path) { return QFile::encodeName(path); }

// Folders nested up to five deep, files of ASCII, UTF-8 and stray-byte
// names, and links to folders above, below, beside and back to the root.
void MakeTangle(TestDir& dir)
{
    std::mt19937 rnd(7);
    std::vector<QByteArray> folders{"tangle"};
    const char* names[] = {"a", "B", "c.txt", "\xc3\xa9t\xc3\xa9", "caf\xe9", "Z", "_", "\xf0\x9f\x98\x80"};
    dir.createDirBytes("tangle");
    for (int i = 0; i < 120; ++i) {
        const QByteArray parent = folders[rnd() % folders.size()];
        if (parent.count('/') >= 5)
            continue;
        const QByteArray f = parent + "/" + names[rnd() % 8] + QByteArray::number(i);
        dir.createDirBytes(f);
        folders.push_back(f);
        for (int k = int(rnd() % 6); k > 0; --k)
            dir.createFileBytes(f + "/" + names[rnd() % 8] + QByteArray::number(k), QByteArray(int(rnd() % 50), 'x'));
    }
    const QByteArray root = Bytes(dir.path()) + "/";
    auto link = [&](const QByteArray& target, const QByteArray& at) {
        ASSERT_EQ(::symlink((root + target).constData(), (root + at).constData()), 0) << at.constData();
    };
    for (int i = 0; i < 25; ++i)
        link(folders[rnd() % folders.size()], folders[rnd() % folders.size()] + "/link" + QByteArray::number(i));
    link("tangle/nowhere", "tangle/dangling");
    if (geteuid() != 0) {
        dir.createFileBytes(folders[3] + "/shut/in.txt");
        ::chmod((root + folders[3] + "/shut").constData(), 0);
    }
}

void ExpectSame(const WalkResult& a, const WalkResult& b, int readers)
{
    SCOPED_TRACE(readers);
    EXPECT_EQ(a.folders, b.folders);
    ASSERT_EQ(a.files.size(), b.files.size());
    for (size_t i = 0; i < a.files.size(); ++i) {
        EXPECT_STREQ(a.NameBytes(a.files[i]), b.NameBytes(b.files[i])) << i;
        EXPECT_EQ(a.Folder(a.files[i]), b.Folder(b.files[i])) << i;
        EXPECT_EQ(a.files[i].size, b.files[i].size) << i;
        EXPECT_EQ(a.files[i].mtime, b.files[i].mtime) << i;
    }
    EXPECT_EQ(a.keys, b.keys);
    ASSERT_EQ(a.skipped.size(), b.skipped.size());
    for (size_t i = 0; i < a.skipped.size(); ++i)
        EXPECT_EQ(a.skipped[i].path + a.skipped[i].reason, b.skipped[i].path + b.skipped[i].reason);
}
} // namespace

TEST(Walk, ManyReadersWalkAsOne)
{
    TestDir dir;
    MakeTangle(dir);
    const QString top = dir.path("tangle");
    std::atomic<qint64> seen{0};
    const WalkResult one = WalkFolder(top, seen, nullptr, WalkOptions{1});
    ASSERT_GT(one.files.size(), 100u);
#ifndef FLDCMPR_PORTABLE_FS
    EXPECT_EQ(one.keys.size(), one.files.size()); // made by the readers
#endif
    for (int readers : {2, 3, 8, 16}) {
        for (int round = 0; round < 3; ++round)
            ExpectSame(one, WalkFolder(top, seen, nullptr, WalkOptions{readers}), readers);
    }
    if (geteuid() != 0) {
        EXPECT_FALSE(one.skipped.empty());
    }
}

#ifndef FLDCMPR_PORTABLE_FS
// A folder whose path below the compared one is longer than the system
// opens in one call is still walked.
TEST(Walk, PathsLongerThanOneSystemCallTakes)
{
    TestDir dir;
    const QString top = dir.createDir("deep");
    const std::string part(200, 'd');
    int fd = ::open(Bytes(top).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < 30; ++i) { // 30 * 201 bytes: beyond PATH_MAX
        ASSERT_EQ(::mkdirat(fd, part.c_str(), 0755), 0);
        const int next = ::openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        ASSERT_GE(next, 0);
        fd = next;
    }
    const int f = ::openat(fd, "bottom.txt", O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(f, 0);
    ::close(f);
    ::close(fd);
    std::atomic<qint64> seen{0};
    for (int readers : {1, 4}) {
        const WalkResult w = WalkFolder(top, seen, nullptr, WalkOptions{readers});
        ASSERT_EQ(w.files.size(), 1u);
        EXPECT_STREQ(w.NameBytes(w.files[0]), "bottom.txt");
        EXPECT_EQ(w.Folder(w.files[0]).size(), 30 * 201 - 1);
        EXPECT_TRUE(w.skipped.empty());
    }
    ::system(("rm -rf " + Bytes(top)).constData()); // too deep for a removal by full paths
}
#endif

// A folder whose entries take many reads of the system: every file and
// subfolder is met exactly once, whatever name ends a read.
TEST(Walk, AFolderOfManyLongNamesIsListedWhole)
{
    TestDir dir;
    std::set<QByteArray> made;
    for (int i = 0; i < 3000; ++i) {
        const QByteArray name = QByteArray(200 + i % 50, char('a' + i % 26)) + "\xc3\xa9" + QByteArray::number(i);
        dir.createFileBytes("wide/" + name);
        made.insert(name);
    }
    for (int i = 0; i < 20; ++i)
        dir.createFileBytes("wide/sub" + QByteArray::number(i) + "/in");
    std::atomic<qint64> seen{0};
    for (int readers : {1, 4}) {
        const WalkResult w = WalkFolder(dir.path("wide"), seen, nullptr, WalkOptions{readers});
        std::set<QByteArray> listed;
        size_t below = 0;
        for (const WalkFile& f : w.files) {
            if (w.Folder(f).isEmpty())
                listed.insert(w.NameBytes(f));
            else
                ++below;
        }
        EXPECT_TRUE(listed == made) << readers << ": " << listed.size() << " of " << made.size() << " listed";
        EXPECT_EQ(w.files.size(), made.size() + 20) << readers;
        EXPECT_EQ(below, 20u) << readers;
        EXPECT_EQ(w.folders.size(), 21u) << readers;
        EXPECT_TRUE(w.skipped.empty());
    }
}

TEST(Walk, AStopEndsEveryReader)
{
    TestDir dir;
    for (int d = 0; d < 200; ++d)
        for (int i = 0; i < 50; ++i)
            dir.createFile(QString("many/d%1/f%2").arg(d).arg(i));
    std::atomic<qint64> seen{0};
    std::atomic<bool> stop{false};
    std::thread stopper([&] {
        while (seen.load() < 500)
            std::this_thread::yield();
        stop = true;
    });
    try {
        WalkFolder(dir.path("many"), seen, &stop, WalkOptions{4});
        ADD_FAILURE() << "the walk was not stopped";
    } catch (const FcError& e) {
        EXPECT_EQ(e.kind(), ErrKind::Stopped);
    }
    stopper.join();
    // the readers are gone: the same walk runs again to its end
    stop = false;
    EXPECT_EQ(WalkFolder(dir.path("many"), seen, &stop, WalkOptions{4}).files.size(), 10000u);
}
