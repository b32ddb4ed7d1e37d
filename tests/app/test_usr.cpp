#include "app/state/LaunchRecord.h"
#include "app/state/StartArgs.h"
#include "app/state/Usr.h"
#include "env/CodePage.h"
#include "env/NameBytes.h"
#include "support/Files.h"
#include "support/Printers.h"
#include "support/RecordingDialogs.h"
#include "support/TestDir.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

class LaunchArg : public ::testing::Test {
protected:
    void SetUp() override
    {
        Usr::tLnch = LaunchRecord();
        Usr::bLnch = false;
    }
    TestDir dir;
    DialogsScope ds;
};
} // namespace

TEST(Usr, BaseNameDropsTheDvSuffixInAnyCase)
{
    EXPECT_EQ(Usr::ProgramBaseName("Tool_DV"), "Tool");
    EXPECT_EQ(Usr::ProgramBaseName("Tool_dv"), "Tool");
    EXPECT_EQ(Usr::ProgramBaseName("Tool_dvx"), "Tool_dvx");
    EXPECT_EQ(Usr::ProgramBaseName("_Dv"), "");
    EXPECT_EQ(Usr::ProgramBaseName("FldCmpr"), "FldCmpr");
}

TEST(Usr, CutTailRemovesOnlyAnExactTail)
{
    QString s = "C:\\Data\\";
    Usr::CutTail(s, "\\");
    EXPECT_EQ(s, "C:\\Data");
    s = "C:\\Data\\";
    Usr::CutTail(s, "X");
    EXPECT_EQ(s, "C:\\Data\\");
    Usr::CutTail(s, "");
    EXPECT_EQ(s, "C:\\Data\\");
    s = "abcABC";
    Usr::CutTail(s, "abc");
    EXPECT_EQ(s, "abcABC");
}

TEST(Usr, ArgumentsAreOneText)
{
    EXPECT_EQ(Usr::ArgText({"prog"}), "");
    EXPECT_EQ(Usr::ArgText({"prog", "/tmp/my", "file.bin"}), "/tmp/my file.bin");
}

TEST_F(LaunchArg, ValidRecordIsReadAndUsable)
{
    CodePage::SetName("UTF-8");
    QString f = dir.createFile("rec.bin", LaunchFileBytes(100, 200, 9000, 6000, "/", "/Data"));
    Usr::ReadLaunchArg(f);
    EXPECT_TRUE(Usr::bLnch);
    EXPECT_EQ(Usr::tLnch.LEFT, 100);
    EXPECT_EQ(Usr::tLnch.TOP, 200);
    EXPECT_EQ(Usr::tLnch.WIDTH, 9000);
    EXPECT_EQ(Usr::tLnch.HEIGHT, 6000);
    EXPECT_EQ(Usr::tLnch.ROOT, "/");
    EXPECT_EQ(Usr::tLnch.PATH, "/Data");
    CodePage::SetName("");
}

TEST_F(LaunchArg, ShiftJisTextsAndTrailingBytes)
{
    CodePage::SetName("Shift_JIS");
    QByteArray sjisRoot("C:\\\x83\x66\x81\x5B\x83\x5E"); // C:\データ
    QString f = dir.createFile("rec.bin", LaunchFileBytes(1, 2, 3, 4, sjisRoot, "C:\\Data") + "garbage after");
    Usr::ReadLaunchArg(f);
    EXPECT_TRUE(Usr::bLnch);
    EXPECT_EQ(Usr::tLnch.ROOT, QString::fromUtf8("C:\\データ"));
    EXPECT_EQ(Usr::tLnch.PATH, "C:\\Data");
    CodePage::SetName("");
}

#ifndef FLDCMPR_PORTABLE_FS
// A launch file named in bytes that are not UTF-8 is found from the
// program's arguments; something that is not a regular file is not read.
TEST_F(LaunchArg, ANameInOtherBytesIsFoundAndOnlyRegularFilesAreRead)
{
    CodePage::SetName("UTF-8");
    const QString f = dir.createFileBytes("\x8e\x91 \xe9.bin", LaunchFileBytes(5, 6, 700, 800, "/", "/x"));
    QByteArray arg = EncodeName(f);
    char a0[] = "FldCmpr";
    char* argv[] = {a0, arg.data()};
    Usr::ReadLaunchArg(Usr::ArgText(DecodeArguments(2, argv)));
    EXPECT_TRUE(Usr::bLnch);
    EXPECT_EQ(Usr::tLnch.WIDTH, 700);

    Usr::bLnch = false;
    const QByteArray fifo = EncodeName(dir.path("pipe.bin"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    Usr::ReadLaunchArg(dir.path("pipe.bin")); // would wait for a writer if it were opened
    EXPECT_FALSE(Usr::bLnch);
    Usr::ReadLaunchArg("/dev/zero"); // a device: endless if it were read
    EXPECT_FALSE(Usr::bLnch);
    EXPECT_TRUE(ds.dlg.messages.isEmpty());
    CodePage::SetName("");
}

// A folder named in Latin-1 on an old disk is the one a launch record names
// in those bytes; a file of the system's that tells no size (the kernel's
// log would keep a reader waiting) is read as empty, never waited on.
TEST_F(LaunchArg, FolderBytesComeBeforeDecodingAndNothingIsWaitedOn)
{
    const QString naive = dir.createDirBytes("na\xefve");
    const QByteArray bytes = EncodeName(naive);
    Usr::ReadLaunchArg(dir.createFile("l1.bin", LaunchFileBytes(5, 6, 700, 800, bytes, bytes + "/gone")));
    EXPECT_TRUE(Usr::bLnch);
    EXPECT_EQ(Usr::tLnch.ROOT, naive);
    EXPECT_NE(Usr::tLnch.PATH, naive + "/gone"); // no such folder: decoded as before
    EXPECT_EQ(Usr::tLnch.PATH, CodePage::Decode(bytes + "/gone"));
    Usr::bLnch = false;
    Usr::ReadLaunchArg("/proc/self/status");
    EXPECT_FALSE(Usr::bLnch);
    EXPECT_TRUE(ds.dlg.messages.isEmpty());
}
#endif

TEST_F(LaunchArg, ZeroOrNegativeSizeIsReadButNotUsed)
{
    Usr::ReadLaunchArg(dir.createFile("w0.bin", LaunchFileBytes(100, 200, 0, 6000, "/", "/x")));
    EXPECT_FALSE(Usr::bLnch);
    EXPECT_EQ(Usr::tLnch.LEFT, 100);
    Usr::ReadLaunchArg(dir.createFile("hneg.bin", LaunchFileBytes(1, 1, 10, -5, "/", "/x")));
    EXPECT_FALSE(Usr::bLnch);
}

TEST_F(LaunchArg, ShortFilesLeaveMissingFieldsEmpty)
{
    QByteArray full = LaunchFileBytes(7, 8, 900, 600, "/root", "/root/p");
    Usr::ReadLaunchArg(dir.createFile("short1.bin", full.left(10)));
    EXPECT_FALSE(Usr::bLnch);
    EXPECT_EQ(Usr::tLnch.LEFT, 7);
    EXPECT_EQ(Usr::tLnch.TOP, 8);
    EXPECT_EQ(Usr::tLnch.WIDTH, 0);

    Usr::ReadLaunchArg(dir.createFile("short2.bin", full.left(16 + 2 + 3)));
    EXPECT_TRUE(Usr::bLnch);
    EXPECT_EQ(Usr::tLnch.ROOT, "/ro");
    EXPECT_EQ(Usr::tLnch.PATH, "");

    Usr::tLnch = LaunchRecord();
    Usr::bLnch = false;
    Usr::ReadLaunchArg(dir.createFile("empty.bin", QByteArray()));
    EXPECT_FALSE(Usr::bLnch);
}

TEST_F(LaunchArg, QuotedOrMissingNamesAreIgnored)
{
    QString f = dir.createFile("rec.bin", LaunchFileBytes(1, 2, 3, 4, "/", "/"));
    Usr::ReadLaunchArg("\"" + f + "\"");
    EXPECT_FALSE(Usr::bLnch);
    Usr::ReadLaunchArg("");
    Usr::ReadLaunchArg(dir.path("nothing.bin"));
    EXPECT_FALSE(Usr::bLnch);
    EXPECT_EQ(Usr::tLnch.WIDTH, 0);
}

TEST_F(LaunchArg, UnreadableFileIsReportedNotFatal)
{
    DialogsScope ds;
    QString f = dir.createFile("locked.bin", LaunchFileBytes(1, 2, 3, 4, "/", "/"));
    QFile::setPermissions(f, QFileDevice::Permissions());
    if (QFile(f).open(QIODevice::ReadOnly)) {
        f = "/sys/bus/pci/rescan"; // a write-only attribute: opening it to read fails even for root
        if (!QFile::exists(f))
            GTEST_SKIP() << "needs a user without root rights: an unreadable file";
    }
    Usr::ReadLaunchArg(f);
    EXPECT_FALSE(Usr::bLnch);
    ASSERT_EQ(ds.dlg.messages.size(), 1);
    EXPECT_TRUE(ds.dlg.messages[0].contains(f));
}

// The user data folder: beside a portable program that can write there;
// for an installed program, or one whose folder cannot be written, the
// per-user data folder.
TEST(Usr, UserDataBesideAPortableProgramElseInTheUsersDataFolder)
{
    TestDir dir;
    const QByteArray xdg = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path("xdg")));
    const QString bin = dir.createDir("bin") + "/";
    const QString perUser = dir.path("xdg") + "/FldCmpr/usData/";
    Usr::SetProgramFolder(bin);
    EXPECT_EQ(Usr::UserDataFolder(), bin + "usData/");
    dir.createDir("bin/usData");
    EXPECT_EQ(Usr::UserDataFolder(), bin + "usData/");
    if (geteuid() != 0) {
        ::chmod(QFile::encodeName(bin + "usData").constData(), 0555); // shipped read-only
        EXPECT_EQ(Usr::UserDataFolder(), perUser);
        ::chmod(QFile::encodeName(bin + "usData").constData(), 0755);
    }
    dir.createFile("share/applications/jp.example.fldcmpr.desktop");
    EXPECT_EQ(Usr::UserDataFolder(), perUser); // installed, even where root could write
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(Usr::UserDataFolder(), QDir::homePath() + "/.local/share/FldCmpr/usData/");
    if (!xdg.isNull())
        qputenv("XDG_DATA_HOME", xdg);
    Usr::SetProgramFolder(QString());
}

// The digest cache: beside the program's data in portable use, otherwise in
// the per-user cache folder, whose name is taken as its bytes.
TEST(Usr, DigestCacheBesideAPortableProgramElseInTheUsersCacheFolder)
{
    TestDir dir;
    const QByteArray xdg = qgetenv("XDG_CACHE_HOME");
    const QString bin = dir.createDir("bin") + "/";
    Usr::SetProgramFolder(bin);
    EXPECT_EQ(Usr::DigestCacheFile(), bin + "usCache/digests");
    dir.createFile("share/applications/jp.example.fldcmpr.desktop");   // installed
    const QByteArray odd = EncodeName(dir.path("c")) + '\xe9' + "che"; // not UTF-8
    qputenv("XDG_CACHE_HOME", odd);
    EXPECT_EQ(Usr::DigestCacheFile(), DecodeName(odd + "/FldCmpr/digests"));
    qputenv("XDG_CACHE_HOME", "relative/cache"); // not a path: left aside
    EXPECT_EQ(Usr::DigestCacheFile(), HomeFolder() + "/.cache/FldCmpr/digests");
    qunsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(Usr::DigestCacheFile(), HomeFolder() + "/.cache/FldCmpr/digests");
    if (!xdg.isNull())
        qputenv("XDG_CACHE_HOME", xdg);
    Usr::SetProgramFolder(QString());
}

// The window's command line: one or two folders by their exact bytes, made
// absolute against the current folder; a named folder that is not there
// is left out and said; what names a file is the launch file.
TEST(Usr, StartArgumentsNameFoldersByTheirBytes)
{
    TestDir dir;
#ifdef FLDCMPR_PORTABLE_FS // Qt's own file calls take names as UTF-8 text
    const QString odd = dir.createDirBytes("A\xc3\xa9"), one = dir.createDir("one");
#else
    const QString odd = dir.createDirBytes("A\xff"), one = dir.createDir("one");
#endif
    dir.createFile("a.txt");
    dir.createFile("my launch.bin");
    const QString missing = "ﾌｫﾙﾀﾞが見つかりません: ", notFolder = "ﾌｫﾙﾀﾞではありません: ";
    struct Case {
        QStringList args, folders, errors;
    };
    const Case cases[] = {
        {{odd, "one"}, {odd, one}, {}},
        {{"./one/"}, {one}, {}},
        {{"gone/..//one/."}, {one}, {}}, // taken by the text, as the tree walks it
        {{"one", "gone"}, {one, ""}, {missing + dir.path("gone")}},
        {{"a.txt", odd}, {"", odd}, {notFolder + dir.path("a.txt")}},
        {{DecodeName("gone\xfe")}, {""}, {missing + dir.path("gone\\xFE")}},
        {{"a.txt"}, {}, {}},            // the launch file
        {{"my", "launch.bin"}, {}, {}}, // the launch file, its name in two arguments
        {{"one", "one", "one"}, {}, {}},
        {{"--help"}, {}, {}},
    };
    for (const Case& c : cases) {
        const StartArgs s = ReadStartArgs(c.args, Fso(), dir.path());
        EXPECT_EQ(s.folders, c.folders) << c.args.join(' ').toStdString();
        EXPECT_EQ(s.errors, c.errors) << c.args.join(' ').toStdString();
    }
}
