// Starts the real program under the offscreen platform.
#include "support/TestDir.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

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
