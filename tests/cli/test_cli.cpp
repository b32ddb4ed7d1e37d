// Runs the real fldcmpr-cli.
#include "support/Printers.h"
#include "support/TestDir.h"

#include <QProcess>
#include <gtest/gtest.h>

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
    EXPECT_EQ(all.code, 0);
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
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const QString t = "20/01/02 03:04";
    EXPECT_EQ(out, "\ttab\\tand\\nline\\\\\t\t1-*\t1\t" + t + "\t\t\n" + "\ttab\\tand\\nline\\\\\ttxt\t1-*\t1\t" + t +
                       "\t\t\n" + "\t\\x8E\\x91\ttxt\t1=2\t1\t" + t + "\t1\t" + t + "\n");
}

// A lost output is a failure; a reader that stops early is not.
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
    EXPECT_EQ(full.exitCode(), 1);
    const QString err = QString::fromUtf8(full.readAllStandardError());
    EXPECT_TRUE(err.startsWith("fldcmpr-cli: cannot write the output")) << err.toStdString();

    QProcess sh;
    sh.start("/bin/sh", {"-c", "\"$0\" --db \"$1\" \"$2\" \"$3\" | head -n 1 >/dev/null; echo $?",
                         QStringLiteral(FLDCMPR_CLI), d.path("r.db"), d.path("one"), d.path("two")});
    ASSERT_TRUE(sh.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(sh.readAllStandardError()), "");
}

TEST(Cli, BadInputGivesOneLineAndNothingElse)
{
    TestDir d;
    d.createDir("one");
    QStringList bad[] = {
        {"--db", d.path("r.db"), d.path("one"), d.path("missing")},
        {"--mode", "3", d.path("one"), d.path("one")},
        {"--frobnicate", d.path("one"), d.path("one")},
        {d.path("one")},
        {"--db", d.path("no/such/folder/r.db"), d.path("one"), d.path("one")},
    };
    for (const QStringList& args : bad) {
        Out o = Cli(args);
        EXPECT_EQ(o.code, 1) << args.join(' ').toStdString();
        EXPECT_EQ(o.out, "");
        EXPECT_EQ(o.err.count('\n'), 1) << o.err.toStdString();
        EXPECT_TRUE(o.err.startsWith("fldcmpr-cli: "));
    }
    EXPECT_TRUE(Cli({"--db", d.path("r.db"), d.path("one"), d.path("missing")}).err.contains("missing"));
    Out help = Cli({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains("--mode"));
}
