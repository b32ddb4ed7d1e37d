// Starts the real program under the offscreen platform.
#include "support/Files.h"
#include "support/Printers.h"
#include "support/TestDir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QtEndian>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
// A copy of the program in a temporary folder, so its usData is fresh.
QString CopyProgram(const TestDir& dir)
{
    QString exe = dir.path("bin/FldCmpr");
    QDir().mkpath(dir.path("bin"));
    QFile::copy(QStringLiteral(FLDCMPR_EXE), exe);
    return exe;
}

void Stop(QProcess& p)
{
    ::kill(pid_t(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(15000));
}
} // namespace

TEST(Start, CreatesUserDataAndEndsCleanly)
{
    TestDir dir;
    QString exe = CopyProgram(dir);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(exe, {});
    ASSERT_TRUE(p.waitForStarted());
    for (int i = 0; i < 100 && !QDir(dir.path("bin/usData")).exists(); ++i)
        QThread::msleep(50);
    EXPECT_TRUE(QDir(dir.path("bin/usData")).exists());
    EXPECT_FALSE(p.waitForFinished(500)); // still running: the window is up
    Stop(p);
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
}

TEST(Start, LaunchFileStartWritesTheLaunchKeys)
{
    TestDir dir;
    QString exe = CopyProgram(dir);
    dir.createDir("root/path");
    const QByteArray rec =
        LaunchFileBytes(1500, 1200, 12000, 9000, dir.path("root").toUtf8(), dir.path("root/path").toUtf8());
    QString launch = dir.createFile("my launch.bin", rec);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(exe, launch.split(' ')); // the arguments are one text again
    ASSERT_TRUE(p.waitForStarted());
    QThread::msleep(1500);
    Stop(p);
    EXPECT_EQ(p.exitCode(), 0);
    QByteArray xml = ReadBytes(dir.path("bin/usData/User.xml"));
    EXPECT_TRUE(xml.contains("<DIR_WD_R>"));
    EXPECT_TRUE(xml.contains("<CLS_WD_R>"));
    EXPECT_FALSE(xml.contains("<LEFT>"));
    EXPECT_FALSE(xml.contains("<ROOT1>"));
}

// A launch file that is a pipe or a device is passed over: the window comes
// up at once instead of waiting on a read that never ends.
TEST(Start, APipeOrDeviceAsLaunchFileDoesNotHang)
{
    TestDir dir;
    QString exe = CopyProgram(dir);
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.path("pipe.bin")).constData(), 0600), 0);
    for (const QString& launch : {dir.path("pipe.bin"), QString("/dev/zero")}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(exe, {launch});
        ASSERT_TRUE(p.waitForStarted());
        for (int i = 0; i < 100 && !QFile::exists(dir.path("bin/usData/User.xml")); ++i)
            QThread::msleep(50);
        QThread::msleep(300);
        Stop(p); // the window is up: the close saves its layout
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << launch.toStdString();
        EXPECT_EQ(p.exitCode(), 0);
        EXPECT_TRUE(ReadBytes(dir.path("bin/usData/User.xml")).contains("<LEFT>")) << launch.toStdString();
        QFile::remove(dir.path("bin/usData/User.xml"));
    }
}

// Two folders on the command line open both panes and compare at once; the
// layout and folders are saved at the end as after a plain start. --help
// and --version answer without a display.
TEST(Start, TwoFoldersAreComparedAtOnce)
{
    TestDir dir;
    QString exe = CopyProgram(dir);
    dir.createFile("one/a.txt", "1");
    dir.createFile("two/a.txt", "1");
    dir.createFile("two/b.txt", "2");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(exe, {dir.path("one"), dir.path("two")});
    ASSERT_TRUE(p.waitForStarted());
    const QString store = dir.path("bin/usData/Cmpr.mdb");
    for (int i = 0; i < 200 && !QFile::exists(store); ++i)
        QThread::msleep(50);
    QThread::msleep(500);
    Stop(p);
    EXPECT_TRUE(QFile::exists(store)); // the comparison ran
    const QString xml = ReadUtf8(dir.path("bin/usData/User.xml"));
    EXPECT_TRUE(xml.contains("<PATH1>" + dir.path("one") + "</PATH1>")) << xml.toStdString();
    EXPECT_TRUE(xml.contains("<PATH2>" + dir.path("two") + "</PATH2>"));

    env.remove("QT_QPA_PLATFORM");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    QProcess help;
    help.setProcessEnvironment(env);
    help.start(exe, {"--help"});
    ASSERT_TRUE(help.waitForFinished(15000));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().startsWith("使い方: FldCmpr"));
    QProcess version;
    version.setProcessEnvironment(env);
    version.start(exe, {"--version"});
    ASSERT_TRUE(version.waitForFinished(15000));
    EXPECT_EQ(version.readAllStandardOutput(), "FldCmpr 1.0\n");
}
