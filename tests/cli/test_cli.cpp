// Runs the real fldcmpr-cli.
#include "support/Files.h"
#include "support/Printers.h"
#include "support/TestDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
struct Out {
    int code;
    QString out, err;
};

Out Cli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(FLDCMPR_CLI), args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

const QDateTime T(QDate(2020, 1, 2), QTime(3, 4, 5));
} // namespace

TEST(Cli, PrintsTheRowsOfTheMode)
{
    TestDir d;
    d.createFile("one/sub/archive.tar.gz", QByteArray(1234, 'a'), T);
    d.createFile("one/same.txt", "x", T);
    d.createFile("two/same.txt", "x", T);
    d.createFile("two/sub/archive.tar.gz", "", T.addSecs(3600));
    d.createFile("two/new.c", "yy", T);
    QString db = d.path("r.db");
    Out all = Cli({"--db", db, d.path("one"), d.path("two")});
    EXPECT_EQ(all.code, 1); // the trees differ
    EXPECT_EQ(all.err, "");
    QString t1 = "20/01/02 03:04", t2 = "20/01/02 04:04";
    EXPECT_EQ(all.out, "\tsame\ttxt\t1=2\t1\t" + t1 + "\t1\t" + t1 + "\n" + "sub\tarchive.tar\tgz\t2>1\t1,234\t" + t1 +
                           "\t\t" + t2 + "\n" + "\tnew\tc\t2-*\t\t\t2\t" + t1 + "\n");
    Out m2 = Cli({"--mode", "2", "--db", db, d.path("one"), d.path("two")});
    EXPECT_EQ(m2.out, "sub\tarchive.tar\tgz\t2>1\t1,234\t" + t1 + "\t\t" + t2 + "\n");
    Out m1 = Cli({"--mode", "1", "--db", db, d.path("one"), d.path("two")});
    EXPECT_EQ(m1.out.count('\n'), 2);
}

// Folders named in bytes that are not UTF-8 are found from the arguments;
// every row stays one line, with names escaped for scripts.
TEST(Cli, ByteNamesFromTheArgumentsAndOneLinePerRow)
{
    TestDir d;
    d.createFileBytes(
        "\x8e\x91"
        "1/\x8e\x91.txt",
        "x", T);
    d.createFileBytes(
        "\x8e\x91"
        "2/\x8e\x91.txt",
        "x", T);
    d.createFileBytes(
        "\x8e\x91"
        "1/tab\tand\nline\\.txt",
        "y", T);
    d.createFileBytes(
        "\x8e\x91"
        "1/tab\tand\nline\\",
        "y", T);
    QProcess p;
    p.setWorkingDirectory(d.path());
    p.start("/bin/sh", {"-c", "exec \"$0\" --db r.db \"$(printf '\\216\\2211')\" \"$(printf '\\216\\2212')\"",
                        QStringLiteral(FLDCMPR_CLI)});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1) << p.readAllStandardError().toStdString();
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const QString t = "20/01/02 03:04";
    EXPECT_EQ(out, "\ttab\\tand\\nline\\\\\t\t1-*\t1\t" + t + "\t\t\n" + "\ttab\\tand\\nline\\\\\ttxt\t1-*\t1\t" + t +
                       "\t\t\n" + "\t\\x8E\\x91\ttxt\t1=2\t1\t" + t + "\t1\t" + t + "\n");
}

// A lost output is trouble; a reader that stops early is not, and the
// status still tells whether the trees differ.
TEST(Cli, AFullDiskFailsAndAClosedPipeEndsQuietly)
{
    TestDir d;
    for (int i = 0; i < 3000; ++i)
        d.createFile(QString("one/file%1.txt").arg(i), "x", T);
    d.createDir("two");
    QProcess full;
    full.setStandardOutputFile("/dev/full");
    full.start(QStringLiteral(FLDCMPR_CLI), {"--db", d.path("r.db"), d.path("one"), d.path("two")});
    ASSERT_TRUE(full.waitForFinished(60000));
    EXPECT_EQ(full.exitCode(), 2);
    const QString err = QString::fromUtf8(full.readAllStandardError());
    EXPECT_TRUE(err.startsWith("fldcmpr-cli: 出力に書き込めません")) << err.toStdString();

    // 3000 rows of one-only files: the trees differ, whoever stops reading
    QProcess sh;
    sh.start("/bin/sh", {"-c", "(\"$0\" --db \"$1\" \"$2\" \"$3\"; echo $? >\"$4\") | head -n 1 >/dev/null",
                         QStringLiteral(FLDCMPR_CLI), d.path("r.db"), d.path("one"), d.path("two"), d.path("status")});
    ASSERT_TRUE(sh.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(sh.readAllStandardError()), "");
    EXPECT_EQ(ReadBytes(d.path("status")), "1\n");
}

// Trouble is exit status 2 with a message and no rows: one line for a
// failed run, and for a command line that cannot be run a second line with
// the usage.
TEST(Cli, BadInputGivesAMessageAndStatus2)
{
    TestDir d;
    d.createDir("one");
    const struct {
        QStringList args;
        int lines;
    } bad[] = {
        {{"--db", d.path("r.db"), d.path("one"), d.path("missing")}, 1},
        {{"--db", d.path("no/such/folder/r.db"), d.path("one"), d.path("one")}, 1},
        {{"--mode", "3", d.path("one"), d.path("one")}, 2},
        {{"--frobnicate", d.path("one"), d.path("one")}, 2},
        {{"-V", d.path("one"), d.path("one")}, 2},
        {{"--format", "xml", d.path("one"), d.path("one")}, 2},
        {{"--no-store", "--db", d.path("r.db"), d.path("one"), d.path("one")}, 2},
        {{"--no-store", "--store", d.path("one"), d.path("one")}, 2},
        {{"--store", "--db", d.path("r.db"), d.path("one"), d.path("one")}, 2},
        {{"--format=json", "--header", d.path("one"), d.path("one")}, 2},
        {{"--bom", d.path("one"), d.path("one")}, 2},
        {{"--db"}, 2},
        {{d.path("one")}, 2},
    };
    for (const auto& b : bad) {
        Out o = Cli(b.args);
        EXPECT_EQ(o.code, 2) << b.args.join(' ').toStdString();
        EXPECT_EQ(o.out, "");
        EXPECT_EQ(o.err.count('\n'), b.lines) << o.err.toStdString();
        EXPECT_TRUE(o.err.startsWith("fldcmpr-cli: "));
    }
    EXPECT_TRUE(Cli({"--db", d.path("r.db"), d.path("one"), d.path("missing")}).err.contains("missing"));
    Out help = Cli({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains("--mode"));
}

// Patterns from the options and from a file; a pattern or a file that
// cannot be used fails with status 2, never a run without the filter.
TEST(Cli, ExclusionAndInclusionPatterns)
{
    TestDir d;
    for (const char* f : {"a.c", "b.tmp", ".git/HEAD", "src/m.c", "src/m.h"})
        d.createFile(QString("one/") + f, "x", T);
    d.createFile("two/a.c", "x", T);
    d.createFile("two/src/m.c", "x", T);
    const QString list = d.createFile("ex.txt", "# noise\n\n.git/\r\n*.TMP\n");
    const QStringList folders = {d.path("one"), d.path("two")};
    Out o = Cli(QStringList{"--no-store", "--summary", "--exclude-from", list, "--exclude", "m.h"} + folders);
    EXPECT_EQ(o.code, 0) << o.out.toStdString();
    EXPECT_TRUE(o.err.contains("除いたﾌｫﾙﾀﾞ: 1\n除いたﾌｧｲﾙ: 2\n")) << o.err.toStdString();
    o = Cli(QStringList{"--no-store", "--include", "*.h", "--format", "json", "--summary"} + folders);
    EXPECT_EQ(o.code, 1);
    EXPECT_TRUE(o.out.contains("\"name\":\"m.h\"") && !o.out.contains("a.c"));
    EXPECT_TRUE(o.out.contains("\"leftOut\":{\"folders\":0,\"files\":6}")) << o.out.toStdString();
    o = Cli(QStringList{"--no-store", "--summary"} + folders); // no filter: the summary as it always was
    EXPECT_FALSE(o.err.contains("除いた"));
    for (const QStringList& bad :
         {QStringList{"--exclude", "x [a"}, QStringList{"--exclude-from", d.path("none")}, QStringList{"--include"}}) {
        o = Cli(QStringList{"--no-store"} + bad + folders);
        EXPECT_EQ(o.code, 2) << bad.join(' ').toStdString();
        EXPECT_TRUE(o.out.isEmpty());
        EXPECT_TRUE(o.err.startsWith("fldcmpr-cli: ")) << o.err.toStdString();
    }
}

// --sync prints a plan and changes nothing; with --apply it carries it out,
// and a file changed since the comparison is left alone with status 2.
TEST(Cli, SyncPrintsThePlanAndAppliesIt)
{
    TestDir d;
    d.createFile("one/only1", "1", T);
    d.createFile("two/only2", "22", T);
    d.createFile("one/d/n\tx", "new", T.addSecs(600));
    d.createFile("two/d/n\tx", "old", T);
    const QStringList folders = {d.path("one"), d.path("two")};
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", d.createDir("share"));
    auto run = [&](const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(FLDCMPR_CLI), args + folders);
        p.waitForFinished(60000);
        return Out{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                   QString::fromUtf8(p.readAllStandardError())};
    };
    const QString plan = "copy\t2\tonly1\t1\nreplace\t2\td/n\\tx\t3\ntrash\t2\tonly2\t2\n";
    Out o = run({"--sync", "mirror-2"});
    EXPECT_EQ(o.code, 1);
    EXPECT_EQ(o.out, plan);
    EXPECT_EQ(ReadBytes(d.path("two/d/n\tx")), "old");
    d.createFile("two/only2", "changed", T.addSecs(60)); // each run compares afresh: the plan follows
    o = run({"--sync", "update-both"});
    EXPECT_EQ(o.out, "copy\t2\tonly1\t1\nreplace\t2\td/n\\tx\t3\ncopy\t1\tonly2\t7\n");
    o = run({"--sync", "mirror-2", "--apply"});
    EXPECT_EQ(o.code, 0) << o.err.toStdString();
    EXPECT_EQ(o.out, "copy\t2\tonly1\t1\nreplace\t2\td/n\\tx\t3\ntrash\t2\tonly2\t7\n");
    EXPECT_EQ(ReadBytes(d.path("two/d/n\tx")), "new");
    EXPECT_EQ(ReadBytes(d.path("share/Trash/files/only2")), "changed");
    EXPECT_EQ(run({"--sync", "mirror-2"}).code, 0); // nothing left to do
    for (const QStringList& bad : {QStringList{"--sync", "mirror"}, QStringList{"--apply"},
                                   QStringList{"--sync", "update-2", "--db", d.path("x.db")}})
        EXPECT_EQ(run(bad).code, 2) << bad.join(' ').toStdString();
}

// Plans refuse one compared folder inside the other; SIGTERM stops
// --apply at a file's end or inside one, every file whole, no temporary
// file left, the run ending with 128 + the signal.
TEST(Cli, SyncRefusesNestedFoldersAndStopsOnASignal)
{
    TestDir d;
    d.createFile("one/a", "a", T);
    d.createDir("one/backup");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", d.createDir("share"));
    Out nested = Cli({"--sync", "mirror-2", d.path("one"), d.path("one/backup")});
    EXPECT_EQ(nested.code, 2);
    EXPECT_TRUE(nested.err.contains("ﾌｫﾙﾀﾞ2がﾌｫﾙﾀﾞ1の中にあります")) << nested.err.toStdString();
    EXPECT_EQ(Cli({d.path("one"), d.path("one/backup")}).code, 1); // a plain comparison still runs

    const QByteArray data(1 << 20, 'd');
    for (int i = 0; i < 300; ++i)
        d.createFile(QString("big/f%1").arg(i, 3, 10, QChar('0')), data, T);
    d.createDir("copy");
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(FLDCMPR_CLI), {"--sync", "update-2", "--apply", d.path("big"), d.path("copy")});
    ASSERT_TRUE(p.waitForStarted());
    // The signal goes once the plan is writing its first copies: before the
    // plan runs the default action would end the process, no test of it.
    QElapsedTimer waited;
    waited.start();
    while (QDir(d.path("copy")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) &&
           p.state() == QProcess::Running && waited.elapsed() < 60000)
        ::usleep(1000);
    p.terminate();
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_TRUE(p.exitCode() == 143 || p.exitCode() == 0) << p.exitCode();
    const QStringList done = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    const QStringList there = QDir(d.path("copy")).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(there.size(), done.size()); // every file printed is there, and nothing else
    for (const QString& f : there)
        EXPECT_EQ(ReadBytes(d.path("copy/" + f)), data) << f.toStdString();
}
