// A file rewritten in place, where its folder takes no new file: a full
// disk leaves the old file whole, and a process killed while it writes
// leaves the old file, the new one, or the old one's copy.
#include "env/DirList.h"
#include "support/Files.h"
#include "support/TestDir.h"

#include <QByteArray>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
class InPlace : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_was = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dir.createDir("share").toUtf8()); // where the copy goes
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", m_was); }
    TestDir dir;
    QByteArray m_was;
};

TEST_F(InPlace, AFullDiskLeavesTheOldFileWhole)
{
    const QString small = dir.createDir("small");
    const MountedTmpfs fs(small, "size=256k");
    if (!fs.Ok())
        GTEST_SKIP() << "needs root to mount a small file system";
    const QByteArray old(20000, 'o');
    const QString f = dir.createFile("small/User.xml", old);
    dir.createFile("small/filler", QByteArray(200 * 1024, 'f'));
    QString err;
    EXPECT_FALSE(DirList::RewriteInPlace(f, QByteArray(100000, 'n'), err));
    EXPECT_FALSE(err.isEmpty());
    EXPECT_EQ(ReadBytes(f), old);
    EXPECT_TRUE(DirList::RewriteInPlace(f, "short", err)) << err.toStdString(); // less room needs none
    EXPECT_EQ(ReadBytes(f), "short");
    EXPECT_FALSE(QFile::exists(DirList::InPlaceCopyPath(f)));
}

TEST_F(InPlace, AKillWhileWritingLeavesTheOldTheNewOrTheCopy)
{
    const QByteArray old(64 * 1024, 'o'), fresh(48 * 1024 * 1024, 'n');
    const QString f = dir.createFile("User.xml", old);
    int torn = 0;
    for (int round = 0; round < 12; ++round) {
        ASSERT_TRUE(WriteBytes(f, old));
        const pid_t child = ::fork();
        if (child == 0) {
            QString err;
            ::_exit(DirList::RewriteInPlace(f, fresh, err) ? 0 : 1);
        }
        ::usleep(useconds_t(2000 * round));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const QByteArray now = ReadBytes(f);
        if (now == old || now == fresh)
            continue;
        ++torn; // cut off while writing: the old text is in its copy
        EXPECT_EQ(ReadBytes(DirList::InPlaceCopyPath(f)), old) << "round " << round;
    }
    std::printf("torn %d of 12\n", torn);
}
} // namespace
