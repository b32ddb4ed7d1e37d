#include "app/state/Usr.h"
#include "env/Shortcut.h"
#include "env/yIni.h"
#include "support/Files.h"
#include "support/Printers.h"
#include "support/RecordingDialogs.h"
#include "support/TestDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {
class Env : public ::testing::Test {
protected:
    void SetUp() override
    {
        Usr::SetProgramFolder(dir.path("Tools"));
        QDir().mkpath(dir.path("Tools"));
        Usr::sPrgNm = "Tool";
    }
    void TearDown() override { Usr::SetProgramFolder(QString()); }
    TestDir dir;
    DialogsScope ds;
    yIni ini;
};
} // namespace

TEST_F(Env, UserDataFolderIsCreatedBesideTheProgram)
{
    ini.W_UserData(42);
    EXPECT_EQ(Usr::sUsrFld, dir.path("Tools/usData/"));
    EXPECT_EQ(Usr::sAppFld, dir.path("Tools/apData/"));
    EXPECT_TRUE(QDir(Usr::sUsrFld).exists());
    EXPECT_FALSE(QDir(Usr::sAppFld).exists());
    EXPECT_EQ(ini.Owner(), 42u);
}

TEST_F(Env, CreateFolderMakesTheWholeMissingChain)
{
    QString deep = dir.path("A/B/C");
    ini.F_CreateFld(deep);
    EXPECT_TRUE(QDir(dir.path("A")).exists());
    EXPECT_TRUE(QDir(deep).exists());
    ini.F_CreateFld(deep); // existing: nothing happens
    EXPECT_TRUE(QDir(deep).exists());
}

TEST_F(Env, CheckSubfoldersCreatesMissingOnesOneLevel)
{
    QDir().mkpath(dir.path("W/a"));
    ini.F_ChkSb(dir.path("W/"), {"a", "b"});
    EXPECT_TRUE(QDir(dir.path("W/b")).exists());
    EXPECT_THROW(ini.F_ChkSb(dir.path("W/"), {"x/y"}), std::exception);
}

TEST_F(Env, HelpShortcutTargetsThePageAndIsOpened)
{
    ini.W_UserData(0);
    ini.W_Help("Index");
    QString link = ShortcutFile(Usr::sUsrFld + "Tool_help.lnk");
    EXPECT_TRUE(link.endsWith("Tool_help.desktop"));
    EXPECT_TRUE(ReadUtf8(link).contains("/index.htm\n"));
    ASSERT_EQ(ds.dlg.shell.size(), 1);
    EXPECT_EQ(ds.dlg.shell[0], "open " + link);
    ini.W_Help("faq.html");
    EXPECT_TRUE(ReadUtf8(link).contains("/faq.html\n"));
    EXPECT_EQ(IniText::HelpPage("Index"), "index.htm");
}

TEST_F(Env, HtmlViewNeedsItsWorkFolder)
{
    ini.W_UserData(0);
    EXPECT_THROW(ini.W_HtmView("file:///x.htm"), std::exception);
    QDir().mkpath(Usr::sUsrFld + "Wrk");
    ini.W_HtmView("file:///x.htm");
    EXPECT_TRUE(ReadUtf8(Usr::sUsrFld + "Wrk/htm_view.desktop").contains("URL=file:///x.htm"));
}

TEST_F(Env, ExploreOnlyExistingFoldersOpenAnything)
{
    QString file = dir.createFile("f.txt", "x");
    ini.W_ExpFd(file, false);
    ini.W_ExpFd(dir.path("missing"), false);
    ini.W_ExpFd("", true);
    EXPECT_TRUE(ds.dlg.shell.isEmpty());
    ini.W_ExpFd(file, true);
    ini.W_ExpFd(dir.path(), false);
    EXPECT_EQ(ds.dlg.shell, QStringList({"open " + file, "explore " + dir.path()}));
    Usr::ExpFld(dir.path());
    EXPECT_EQ(ds.dlg.shell.size(), 3);
}

TEST_F(Env, SpecialFoldersAndSendTo)
{
    EXPECT_EQ(ini.FsGtSpFld(3), ""); // a virtual folder
    EXPECT_EQ(ini.FsGtSpFld(0x7777), "");
    qputenv("XDG_DATA_HOME", dir.path("data").toUtf8());
    QString sendTo = ini.FsGtSpFld(9);
    EXPECT_EQ(sendTo, dir.path("data/applications"));
    QDir().mkpath(sendTo);
    ini.W_SendTo();
    EXPECT_TRUE(ReadUtf8(sendTo + "/Tool.desktop").contains("Exec=\"" + dir.path("Tools/Tool") + "\""));
    ASSERT_EQ(ds.dlg.messages.size(), 1);
    EXPECT_EQ(ds.dlg.messages[0], dir.path("Tools/Tool") + " のｼｮｰﾄｶｯﾄを " + sendTo + " に作成しました");
    qunsetenv("XDG_DATA_HOME");
}

// A shortcut's command line survives every character a path may hold, as
// the desktop entry rules read it: quoted, ", `, $ and \ escaped, % doubled,
// and the string escapes of the file on top.
TEST_F(Env, ShortcutCommandLinesAreEscapedForDesktopEntries)
{
    const QString target = "/opt/p100% a\"b`c$d\\e";
    SaveShortcut(dir.path("odd.lnk"), target);
    const QString body = ReadUtf8(dir.path("odd.desktop"));
    EXPECT_TRUE(body.contains(R"(Exec="/opt/p100%% a\\"b\\`c\\$d\\\\e" %F)"
                              "\n"))
        << body.toStdString();
    SaveShortcut(dir.path("web.lnk"), "https://example.org/a%20b");
    EXPECT_TRUE(ReadUtf8(dir.path("web.desktop")).contains("URL=https://example.org/a%20b\n"));
}

TEST_F(Env, BrowseHandsBackFlagsAndClearsAMissingStart)
{
    QString start = dir.path();
    qint32 flg = 0;
    ds.dlg.browseAnswers.push_back(dir.path("chosen"));
    Usr::BrwsFld(start, flg);
    EXPECT_EQ(flg, 64);
    EXPECT_EQ(start, dir.path("chosen"));
    EXPECT_EQ(ds.dlg.browsed.last(), "ﾌｫﾙﾀﾞの指定|" + dir.path());

    QString missing = dir.path("nope");
    qint32 other = 17;
    Usr::BrwsFld(missing, other); // cancelled
    EXPECT_EQ(other, 17);
    EXPECT_EQ(missing, "");
    EXPECT_EQ(ds.dlg.browsed.last(), "ﾌｫﾙﾀﾞの指定|");
}
