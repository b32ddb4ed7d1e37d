// What a copy of a file carries over, on real files: its data byte for byte
// in any layout of data and holes, the holes kept as holes, its extended
// attributes, its mode and its times to the nanosecond.
#include "compare/act/FileData.h"
#include "env/NameBytes.h"
#include "support/TestDir.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr qint64 KiB = 1024, MiB = 1024 * KiB;

struct Extent {
    qint64 at, len;
};

// Bytes that are never zero and differ from place to place in the file.
QByteArray Pattern(const Extent& e)
{
    QByteArray b(e.len, Qt::Uninitialized);
    for (qint64 i = 0; i < e.len; ++i)
        b[i] = char(1 + (quint64(e.at + i) * 2654435761u >> 11) % 255);
    return b;
}

// Whether two files hold the same first `size` bytes, compared a MiB at a
// time; a stretch that is a hole in both reads as zeros in both and is
// skipped.
bool SameBytes(int a, int b, qint64 size)
{
    const auto next = [size](int fd, qint64 at) {
        const qint64 data = ::lseek(fd, at, SEEK_DATA);
        return data >= 0 ? data : errno == ENXIO ? size : at;
    };
    std::vector<char> x(MiB), y(MiB);
    for (qint64 at = 0; (at = std::max(at, std::min(next(a, at), next(b, at)) / MiB * MiB)) < size; at += MiB) {
        const ssize_t n = ::pread(a, x.data(), MiB, at), m = ::pread(b, y.data(), MiB, at);
        if (n <= 0 || n != m || std::memcmp(x.data(), y.data(), size_t(n)) != 0)
            return false;
    }
    return true;
}

qint64 Ns(const struct timespec& t) { return t.tv_sec * qint64(1000000000) + t.tv_nsec; }

struct stat Stat(int fd)
{
    struct stat st {};
    EXPECT_EQ(::fstat(fd, &st), 0);
    return st;
}

class FileData : public ::testing::Test {
protected:
    // A file of the test's folder (or an absolute path) opened, closed with the test.
    int Open(const QString& name, int flags)
    {
        const QString path = name.startsWith('/') ? name : dir.path(name);
        fds.push_back(::open(EncodeName(path).constData(), flags | O_CLOEXEC, 0644));
        return fds.back();
    }
    void TearDown() override
    {
        for (int fd : fds)
            ::close(fd);
    }
    // A file of `size` bytes holding data in `data` alone, holes elsewhere.
    int Make(const QString& name, qint64 size, const std::vector<Extent>& data)
    {
        const int fd = Open(name, O_CREAT | O_EXCL | O_RDWR);
        EXPECT_EQ(::ftruncate(fd, size), 0);
        for (const Extent& e : data)
            EXPECT_EQ(::pwrite(fd, Pattern(e).constData(), size_t(e.len), e.at), e.len);
        return fd;
    }
    CopyEnd Copy(int in, int out)
    {
        err.clear();
        bytes = 0;
        return CopyFileData(in, Stat(in), out, stop, bytes, err);
    }
    TestDir dir;
    std::vector<int> fds;
    std::atomic<bool> stop{false};
    std::atomic<qint64> bytes{0};
    QString err;
};
} // namespace

TEST_F(FileData, EachLayoutCopiedExactlyHolesKept)
{
    const struct {
        const char* name;
        qint64 size;
        std::vector<Extent> data;
    } layouts[] = {
        {"empty", 0, {}},
        {"small", 1000, {{0, 1000}}},
        {"all hole", 3 * MiB, {}},
        {"hole first", 2 * MiB + 123, {{MiB, MiB + 123}}},
        {"hole between", MiB + 70 * KiB + 7, {{0, 64 * KiB}, {MiB, 70 * KiB + 7}}},
        {"hole last", 3 * MiB, {{0, 5000}}},
        {"many pieces", 20 * MiB + 3, {{0, 20 * MiB + 3}}},
        {"1 GiB, 4 KiB of data", 1024 * MiB, {{512 * MiB, 4 * KiB}}},
    };
    for (const auto& l : layouts) {
        SCOPED_TRACE(l.name);
        const int in = Make(QStringLiteral("src ") + l.name, l.size, l.data);
        const int out = Open(QStringLiteral("dst ") + l.name, O_CREAT | O_EXCL | O_RDWR);
        ASSERT_EQ(Copy(in, out), CopyEnd::Done) << err.toStdString();
        EXPECT_TRUE(err.isEmpty());
        qint64 data = 0;
        for (const Extent& e : l.data)
            data += e.len;
        EXPECT_GE(bytes, data); // a clone counts the whole size
        EXPECT_LE(bytes, l.size);
        EXPECT_EQ(Stat(out).st_size, l.size);
        EXPECT_TRUE(SameBytes(in, out, l.size));
        EXPECT_LE(Stat(out).st_blocks, Stat(in).st_blocks + 128); // 64 KiB of slack
    }
}

TEST_F(FileData, StopOrFailureSaysWhy)
{
    const int in = Make("src", 20 * MiB, {{0, 20 * MiB}});
    const int readOnly = Open("readonly", O_CREAT | O_EXCL | O_RDONLY);
    EXPECT_EQ(Copy(in, readOnly), CopyEnd::Failed);
    EXPECT_FALSE(err.isEmpty());
    const int out = Open("dst", O_CREAT | O_EXCL | O_RDWR);
    stop = true;
    EXPECT_EQ(Copy(in, out), CopyEnd::Stopped);
    EXPECT_EQ(err, QStringLiteral("中止しました"));
    EXPECT_EQ(bytes, 0);
}

TEST_F(FileData, UserXattrCopiedRefusalNamed)
{
    const int in = Make("src", 10, {{0, 10}});
    if (::fsetxattr(in, "user.fldcmpr", "value", 5, 0) != 0)
        GTEST_SKIP() << "no user extended attributes on this file system";
    const int out = Open("dst", O_CREAT | O_EXCL | O_RDWR);
    EXPECT_EQ(CopyXattrs(in, out), QString());
    char value[16] = {};
    EXPECT_EQ(::fgetxattr(out, "user.fldcmpr", value, sizeof value), 5);
    EXPECT_STREQ(value, "value");
    // A device takes no user. attribute: the note names the one refused.
    const int device = Open("/dev/null", O_WRONLY);
    EXPECT_TRUE(CopyXattrs(in, device).contains(QStringLiteral("user.fldcmpr")));
}

TEST_F(FileData, ModeAndNanosecondTimesKept)
{
    for (const mode_t mode : {0640, 04751}) {
        SCOPED_TRACE(mode);
        const QString name = QString::number(mode, 8);
        const int in = Make("src" + name, 10, {{0, 10}});
        const struct timespec times[2] = {{1500000000, 111111111}, {1600000000, 123456789}};
        ASSERT_EQ(::fchmod(in, mode), 0);
        ASSERT_EQ(::futimens(in, times), 0);
        const struct stat st = Stat(in); // before the copy reads it and moves its access time
        const int out = Open("dst" + name, O_CREAT | O_EXCL | O_RDWR);
        ASSERT_EQ(Copy(in, out), CopyEnd::Done);
        ASSERT_TRUE(CopyModeAndTimes(out, st, err)) << err.toStdString();
        const struct stat got = Stat(out);
        EXPECT_EQ(got.st_mode & 07777, mode);
        EXPECT_EQ(Ns(got.st_atim), Ns(times[0]));
        EXPECT_EQ(Ns(got.st_mtim), Ns(times[1]));
    }
}
