// The trash on real folders: info files a file manager restores from (the
// exact bytes of the path), a trash made where it is missing, names never
// taken twice or too long, a second name taken back, other volumes' trash.
#include "compare/act/Trash.h"
#include "env/NameBytes.h"
#include "support/Files.h"
#include "support/TestDir.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
class Trashing : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_was = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dir.path("share").toUtf8());
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", m_was); }
    QByteArray Home(const char* rel) const { return EncodeName(dir.path("share/Trash/")) + rel; }
    // A file by the bytes of its relative path; its absolute path, lstat in st.
    QByteArray File(const QByteArray& rel, struct stat& st)
    {
        const QByteArray p = EncodeName(dir.createFileBytes(rel, "old"));
        ::lstat(p.constData(), &st);
        return p;
    }
    TestDir dir;
    QByteArray m_was;
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
qsizetype Count(const QByteArray& folder)
{
    return QDir(DecodeName(folder))
        .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System)
        .size();
}
QByteArray Base(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1); }

// Runs a tool with its output dropped; true when it ran and succeeded.
bool Quietly(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, args);
    return p.waitForFinished() && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

TEST_F(Trashing, InfoPathIsTheExactAbsoluteBytes)
{
    const struct {
        QByteArray file, given; // given relative to the test folder, or absolute where empty
    } cases[] = {{"資料/ä b.txt", ""}, {"x\x82y", ""}, {"rel/c%41", "./rel//./c%41"}};
    const QString was = QDir::currentPath();
    QDir::setCurrent(dir.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        struct stat st;
        const QByteArray abs = File(c.file, st);
        QString err;
        ASSERT_TRUE(MoveToTrash(DecodeName(c.given.isEmpty() ? abs : c.given), err)) << err.toStdString();
        const QByteArray info = Read(Home("info/") + Base(abs) + ".trashinfo");
        const QRegularExpression form(
            "^\\[Trash Info\\]\nPath=([^\n]*)\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n$");
        const auto m = form.match(QString::fromLatin1(info));
        ASSERT_TRUE(m.hasMatch()) << info.toStdString();
        EXPECT_EQ(QByteArray::fromPercentEncoding(m.captured(1).toLatin1()), abs);
        EXPECT_EQ(Read(Home("files/") + Base(abs)), "old");
        EXPECT_NE(::lstat(abs.constData(), &st), 0);
    }
    QDir::setCurrent(was);
}

TEST_F(Trashing, AMissingTrashIsMadePrivate)
{
    qputenv("XDG_DATA_HOME", dir.path("new/deeper").toUtf8());
    struct stat st;
    const QByteArray f = File("f", st);
    QString err;
    ASSERT_TRUE(MoveToTrash(DecodeName(f), err)) << err.toStdString();
    for (const char* made :
         {"new", "new/deeper", "new/deeper/Trash", "new/deeper/Trash/files", "new/deeper/Trash/info"}) {
        ASSERT_EQ(::stat(EncodeName(dir.path(made)).constData(), &st), 0) << made;
        EXPECT_EQ(st.st_mode & 0777, 0700u) << made;
    }
    EXPECT_EQ(ReadBytes(dir.path("new/deeper/Trash/files/f")), "old");
}

// A name in files/ without its info file, and an info file alone, are both
// someone's: neither is taken nor written over.
TEST_F(Trashing, NeverTakesATakenName)
{
    dir.createFile("share/Trash/files/a.txt", "orphan");
    dir.createFile("share/Trash/info/a 2.txt.trashinfo", "theirs");
    struct stat st;
    const QByteArray f = File("a.txt", st);
    Trash t;
    QString err;
    ASSERT_TRUE(t.Prepare(f, st, err) && t.Move(err)) << err.toStdString();
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
    const QByteArray cases[] = {QByteArray(246, 'n') + ".txt", QByteArray("資").repeated(85)};
    for (const QByteArray& name : cases) {
        for (const char* at : {"one/", "two/"}) {
            SCOPED_TRACE(name.size());
            struct stat st;
            const QByteArray f = File(at + name, st);
            Trash t;
            QString err;
            ASSERT_TRUE(t.Prepare(f, st, err) && t.Move(err)) << err.toStdString();
            EXPECT_LE(Base(t.InfoAt()).size(), 255);
            EXPECT_EQ(Base(t.InfoAt()), Base(t.TrashedAt()) + ".trashinfo");
            EXPECT_TRUE(QUtf8StringView(Base(t.TrashedAt())).isValidUtf8());
            EXPECT_EQ(Base(t.TrashedAt()).endsWith(".txt"), name.endsWith(".txt"));
            EXPECT_EQ(Read(t.TrashedAt()), "old");
        }
    }
}

// Undo takes back a second name while the file is in place; once another
// file took its place, the trash holds the old one's only name and keeps it.
TEST_F(Trashing, LinkThenUndo)
{
    for (const bool replaced : {false, true}) {
        struct stat st;
        const QByteArray f = File("f", st);
        Trash t;
        QString err;
        ASSERT_TRUE(t.Prepare(f, st, err)) << err.toStdString();
        ASSERT_EQ(t.Link(err), Trash::LinkEnd::Done) << err.toStdString();
        if (replaced) {
            WriteBytes(dir.path("new"), "new");
            ::rename(EncodeName(dir.path("new")).constData(), f.constData());
        }
        t.Undo();
        EXPECT_EQ(Read(f), replaced ? "new" : "old");
        EXPECT_EQ(Count(Home("files")), replaced ? 1 : 0);
        EXPECT_EQ(Count(Home("info")), replaced ? 1 : 0);
    }
}

// A file on a volume of its own goes to that volume's trash; where the
// volume has no hard links, Link says so and Move still works.
TEST_F(Trashing, OtherVolumes)
{
    if (::getuid() != 0)
        GTEST_SKIP() << "needs root to mount a file system";
    const QString vfat = dir.createDir("vfat");
    const MountedTmpfs fs(dir.createDir("tmpfs"), "size=1m");
    const bool fat = Quietly("mkfs.vfat", {"-C", dir.path("fat.img"), "2048"}) &&
                     Quietly("mount", {"-o", "loop", dir.path("fat.img"), vfat});
    const auto unmount = qScopeGuard([&] {
        if (fat)
            Quietly("umount", {vfat});
    });
    const struct {
        const char* vol;
        bool mounted;
        Trash::LinkEnd link;
    } cases[] = {{"tmpfs", fs.Ok(), Trash::LinkEnd::Done}, {"vfat", fat, Trash::LinkEnd::Unsupported}};
    for (const auto& c : cases) {
        if (!c.mounted)
            continue; // vfat needs dosfstools and a kernel that has it
        SCOPED_TRACE(c.vol);
        struct stat st;
        const QByteArray f = File(c.vol + QByteArray("/sub/f"), st);
        Trash t;
        QString err;
        ASSERT_TRUE(t.Prepare(f, st, err)) << err.toStdString();
        ASSERT_EQ(t.Link(err), c.link) << err.toStdString();
        ASSERT_TRUE(c.link == Trash::LinkEnd::Done || t.Move(err)) << err.toStdString();
        const QByteArray trash = EncodeName(dir.path(c.vol)) + "/.Trash-" + QByteArray::number(::getuid());
        EXPECT_EQ(t.TrashedAt(), trash + "/files/f");
        EXPECT_EQ(Read(t.TrashedAt()), "old");
    }
}
} // namespace
