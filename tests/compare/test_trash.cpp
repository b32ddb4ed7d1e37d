// The trash on real folders: a trash made where it is missing, info files
// holding the exact bytes of the path, names never taken twice or too long,
// a second name taken back, other volumes' trash.
#include "compare/act/Trash.h"
#include "env/NameBytes.h"
#include "support/Files.h"
#include "support/TestDir.h"

#include <QDir>
#include <QRegularExpression>
#include <QScopeGuard>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
class Trashing : public ::testing::Test {
protected:
    // the user's trash two folders below what exists
    void SetUp() override { qputenv("XDG_DATA_HOME", dir.path("new/share").toUtf8()); }
    void TearDown() override { qputenv("XDG_DATA_HOME", m_was); }
    QByteArray Home(const char* rel) const { return EncodeName(dir.path("new/share/Trash/")) + rel; }
    // Makes a file by the bytes of its relative path and reserves its entry.
    bool Reserve(Trash& t, const QByteArray& rel, QString& err)
    {
        file = EncodeName(dir.createFileBytes(rel, "old"));
        struct stat st;
        return ::lstat(file.constData(), &st) == 0 && t.Prepare(file, st, err);
    }
    TestDir dir;
    QByteArray file, m_was = qgetenv("XDG_DATA_HOME");
};

// A small file's bytes by the bytes of its path; "(none)" where it cannot be read.
QByteArray Read(const QByteArray& path)
{
    QByteArray out(4096, '\0');
    const int fd = ::open(path.constData(), O_RDONLY);
    const ssize_t n = fd < 0 ? -1 : ::read(fd, out.data(), size_t(out.size()));
    if (fd >= 0)
        ::close(fd);
    return n < 0 ? QByteArray("(none)") : out.left(n);
}
QByteArray Base(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1); }

TEST_F(Trashing, AMadeTrashHoldsTheExactAbsolutePath)
{
    const struct {
        QByteArray file, given; // given relative to the test folder, or absolute where empty
    } cases[] = {{"資料/ä b.txt", ""}, {"x\x82y", ""}, {"rel/c%41", "./rel//./c%41"}};
    const QString was = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const QRegularExpression form(
        "^\\[Trash Info\\]\nPath=([^\n]*)\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n$");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const QByteArray abs = EncodeName(dir.createFileBytes(c.file, "old"));
        QString err;
        ASSERT_TRUE(MoveToTrash(DecodeName(c.given.isEmpty() ? abs : c.given), err)) << err.toStdString();
        const QByteArray info = Read(Home("info/") + Base(abs) + ".trashinfo");
        const auto m = form.match(QString::fromLatin1(info));
        ASSERT_TRUE(m.hasMatch()) << info.toStdString();
        EXPECT_EQ(QByteArray::fromPercentEncoding(m.captured(1).toLatin1()), abs);
        EXPECT_EQ(Read(Home("files/") + Base(abs)), "old");
        EXPECT_EQ(Read(abs), "(none)");
    }
    QDir::setCurrent(was);
    for (const char* made : {"new", "new/share", "new/share/Trash", "new/share/Trash/files", "new/share/Trash/info"}) {
        struct stat st;
        ASSERT_EQ(::stat(EncodeName(dir.path(made)).constData(), &st), 0) << made;
        EXPECT_EQ(st.st_mode & 0777, 0700u) << made;
    }
}

// A name in files/ without its info file, and an info file alone, are both
// someone's: neither is taken nor written over.
TEST_F(Trashing, NeverTakesATakenName)
{
    dir.createFile("new/share/Trash/files/a.txt", "orphan");
    dir.createFile("new/share/Trash/info/a 2.txt.trashinfo", "theirs");
    Trash t;
    QString err;
    ASSERT_TRUE(Reserve(t, "a.txt", err) && t.Move(err)) << err.toStdString();
    EXPECT_EQ(t.TrashedAt(), Home("files/a 3.txt"));
    EXPECT_EQ(t.InfoAt(), Home("info/a 3.txt.trashinfo"));
    EXPECT_EQ(Read(Home("files/a.txt")), "orphan");
    EXPECT_EQ(Read(Home("info/a 2.txt.trashinfo")), "theirs");
    EXPECT_EQ(Read(t.TrashedAt()), "old");
}

// Long names are shortened by whole characters, the extension kept, so the
// info file's name fits in 255 bytes, the second time with " 2" too.
TEST_F(Trashing, LongNamesFit)
{
    for (const QByteArray& name : {QByteArray(246, 'n') + ".txt", QByteArray("資").repeated(85)}) {
        for (int time = 1; time <= 2; ++time) {
            SCOPED_TRACE(name.size());
            Trash t;
            QString err;
            ASSERT_TRUE(Reserve(t, name, err) && t.Move(err)) << err.toStdString();
            EXPECT_LE(Base(t.InfoAt()).size(), 255);
            EXPECT_EQ(Base(t.InfoAt()), Base(t.TrashedAt()) + ".trashinfo");
            EXPECT_TRUE(QUtf8StringView(Base(t.TrashedAt())).isValidUtf8());
            EXPECT_EQ(Base(t.TrashedAt()).endsWith(".txt"), name.endsWith(".txt"));
            EXPECT_EQ(Base(t.TrashedAt()).contains(" 2"), time == 2);
            EXPECT_EQ(Read(t.TrashedAt()), "old");
        }
    }
}

// Undo takes back a second name while the file is in place; once another
// file took its place, the trash holds the old one's only name and keeps it.
TEST_F(Trashing, LinkThenUndo)
{
    for (const bool replaced : {false, true}) {
        Trash t;
        QString err;
        ASSERT_TRUE(Reserve(t, "f", err)) << err.toStdString();
        ASSERT_EQ(t.Link(err), Trash::LinkEnd::Done) << err.toStdString();
        if (replaced) {
            WriteBytes(dir.path("g"), "new");
            ::rename(EncodeName(dir.path("g")).constData(), file.constData());
        }
        t.Undo();
        EXPECT_EQ(Read(file), replaced ? "new" : "old");
        EXPECT_EQ(QDir(DecodeName(Home("files"))).isEmpty(), !replaced);
        EXPECT_EQ(QDir(DecodeName(Home("info"))).isEmpty(), !replaced);
    }
}

// A file on a volume of its own goes to that volume's trash; where the
// volume has no hard links, Link says so and Move still works.
TEST_F(Trashing, OtherVolumes)
{
    if (::getuid() != 0)
        GTEST_SKIP() << "needs root to mount a file system";
    const MountedTmpfs fs(dir.createDir("tmpfs"), "size=1m");
    const QByteArray vfat = EncodeName(dir.createDir("vfat")), img = EncodeName(dir.path("fat.img"));
    const bool fat = std::system(("mkfs.vfat -C '" + img + "' 2048 >/dev/null 2>&1 && mount -o loop '" + img + "' '" +
                                  vfat + "' 2>/dev/null")
                                     .constData()) == 0;
    const auto unmount = qScopeGuard([&] { fat&& std::system(("umount '" + vfat + "'").constData()); });
    const struct {
        const char* vol;
        bool mounted; // vfat needs dosfstools and a kernel that has it
        Trash::LinkEnd link;
    } cases[] = {{"tmpfs", fs.Ok(), Trash::LinkEnd::Done}, {"vfat", fat, Trash::LinkEnd::Unsupported}};
    for (const auto& c : cases) {
        if (!c.mounted)
            continue;
        SCOPED_TRACE(c.vol);
        Trash t;
        QString err;
        ASSERT_TRUE(Reserve(t, c.vol + QByteArray("/sub/f"), err)) << err.toStdString();
        ASSERT_EQ(t.Link(err), c.link) << err.toStdString();
        ASSERT_TRUE(c.link == Trash::LinkEnd::Done || t.Move(err)) << err.toStdString();
        const QByteArray trash = EncodeName(dir.path(c.vol)) + "/.Trash-" + QByteArray::number(::getuid());
        EXPECT_EQ(t.TrashedAt(), trash + "/files/f");
        EXPECT_EQ(Read(t.TrashedAt()), "old");
    }
}
} // namespace
