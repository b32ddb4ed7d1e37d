// Starts the real program under the offscreen platform.
#include "env/NameBytes.h"
#include "support/Files.h"
#include "support/Printers.h"
#include "support/TestDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
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

// Starts the program from the folder `cwd` with arguments given as bytes
// (a name need not be UTF-8, which QProcess would not pass on), through the
// shell's printf.
void StartWithBytes(QProcess& p, const QString& exe, const QList<QByteArray>& args, const QString& cwd)
{
    QString script = "exec \"$0\"";
    for (const QByteArray& a : args) {
        QString octal;
        for (char c : a)
            octal += QString("\\%1").arg(uchar(c), 3, 8, QChar('0'));
        script += " \"$(printf '" + octal + "')\"";
    }
    p.setWorkingDirectory(cwd);
    p.start("/bin/sh", {"-c", script, exe});
}

// A folder key of User.xml as the window writes it: text as it is, other
// bytes in the key's _BYTES twin.
QByteArray PathKey(const QString& key, const QString& path)
{
    const QByteArray bytes = EncodeName(path);
    if (QString::fromUtf8(bytes).toUtf8() == bytes)
        return "<" + key.toUtf8() + ">" + bytes + "</" + key.toUtf8() + ">";
    return "<" + key.toUtf8() + "_BYTES>" + bytes.toHex() + "</" + key.toUtf8() + "_BYTES>";
}

// Waits for the file `path`, then a moment for the window to settle.
void WaitFor(const QString& path, int settleMs)
{
    for (int i = 0; i < 200 && !QFile::exists(path); ++i)
        QThread::msleep(50);
    QThread::msleep(settleMs);
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

// Folders named by bytes that are not UTF-8, relative to the current
// folder, are opened and compared as they are; a folder that is not there
// stops the comparison and the other one still opens its pane.
TEST(Start, CommandLineFoldersAreTakenByTheirBytes)
{
    struct Case {
        QList<QByteArray> args;
        bool compared;
        QByteArray path1, path2; // relative to the test folder
    };
    const Case cases[] = {
        {{"A\xff", "B\xe9"}, true, "A\xff", "B\xe9"},
        {{"gone", "B\xe9"}, false, "bin/usData", "B\xe9"},
    };
    for (const Case& c : cases) {
        TestDir dir;
        QString exe = CopyProgram(dir);
        dir.createFileBytes("A\xff/a.txt", "1");
        dir.createFileBytes("B\xe9/b.txt", "2");
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        StartWithBytes(p, exe, c.args, dir.path());
        ASSERT_TRUE(p.waitForStarted());
        const QString store = dir.path("bin/usData/Cmpr.mdb");
        WaitFor(c.compared ? store : dir.path("bin/usData"), 1000);
        Stop(p);
        EXPECT_EQ(p.exitCode(), 0);
        EXPECT_EQ(QFile::exists(store), c.compared);
        const QByteArray xml = ReadBytes(dir.path("bin/usData/User.xml"));
        EXPECT_TRUE(xml.contains(PathKey("PATH1", DecodeName(EncodeName(dir.path("")) + c.path1)))) << xml.constData();
        EXPECT_TRUE(xml.contains(PathKey("PATH2", DecodeName(EncodeName(dir.path("")) + c.path2))));
    }
}

// The first start of an installed program (its data in the per-user
// folder) opens both panes at the home folder; a portable one at its data
// folder, as always.
TEST(Start, FirstStartOfAnInstalledProgramOpensTheHomeFolder)
{
    for (const bool installed : {true, false}) {
        TestDir dir;
        QString exe = CopyProgram(dir);
        const QString home = dir.createDir("home");
        if (installed)
            dir.createFile("share/applications/jp.example.fldcmpr.desktop");
        const QString data = installed ? home + "/.local/share/FldCmpr/usData" : dir.path("bin/usData");
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("HOME", home);
        env.remove("XDG_DATA_HOME");
        p.setProcessEnvironment(env);
        p.start(exe, {});
        ASSERT_TRUE(p.waitForStarted());
        WaitFor(data, 800);
        Stop(p);
        const QByteArray xml = ReadBytes(data + "/User.xml");
        for (const char* key : {"ROOT1", "PATH1", "ROOT2", "PATH2"})
            EXPECT_TRUE(xml.contains(PathKey(key, installed ? home : data))) << key << " " << xml.constData();
    }
}

// The desktop entry read as desktops read it: TryExec is the program's
// name alone, found on the PATH as the installed program, and the entry
// does not make the program the handler of every folder.
TEST(Start, DesktopEntryFindsTheInstalledProgram)
{
    QFile f(QStringLiteral(FLDCMPR_DESKTOP_ENTRY));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QMap<QString, QString> keys;
    QString group;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith('['))
            group = line;
        else if (group == "[Desktop Entry]" && !line.startsWith('#') && line.contains('='))
            keys.insert(line.section('=', 0, 0).trimmed(), line.section('=', 1).trimmed());
    }
    const QString exe = QFileInfo(QStringLiteral(FLDCMPR_EXE)).canonicalFilePath();
    const QString tryExec = keys.value("TryExec");
    EXPECT_FALSE(tryExec.contains(' ') || tryExec.contains('/') || tryExec.contains('%')) << tryExec.toStdString();
    const QString found = QStandardPaths::findExecutable(tryExec, {QFileInfo(exe).path()});
    EXPECT_EQ(QFileInfo(found).canonicalFilePath(), exe);
    EXPECT_EQ(keys.value("Exec"), tryExec + " %F");
    EXPECT_FALSE(keys.value("MimeType").split(';').contains("inode/directory"));
}
