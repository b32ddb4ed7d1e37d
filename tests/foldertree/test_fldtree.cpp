#include "app/state/Usr.h"
#include "env/Error.h"
#include "env/NameBytes.h"
#include "env/NamePattern.h"
#include "foldertree/FldTree.h"
#include "support/Printers.h"
#include "support/RecordingDialogs.h"
#include "support/TestDir.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {
class FolderTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        Usr::bTrBusy = false;
        Usr::sUsrFld = dir.createDir("usData") + "/";
        t.Drive1.SetDrives({"/"});
        t.eCngRt = [this](const QString& p) { events << "CngRt " + p; };
        t.eChkExp = [this] { events << "ChkExp"; };
        t.eCngDr = [this](const QString& p) { events << "CngDr " + p; };
        t.eRClick = [this] { events << "RClick"; };
    }
    QStringList Kids(TvNode* n)
    {
        QStringList out;
        for (TvNode* c = n->Child(); c; c = c->Next())
            out << c->Key() + ":" + c->Text();
        return out;
    }
    TvNode* Node(const QString& text)
    {
        for (int i = 1; i <= t.trView.Count(); ++i)
            if (t.trView.Item(i)->Text() == text)
                return t.trView.Item(i);
        return nullptr;
    }
    TestDir dir;
    DialogsScope ds;
    FldTree t;
    QStringList events;
};
} // namespace

TEST_F(FolderTree, RootReadsTheFirstLevelWithPlaceholders)
{
    dir.createDir("w/b/deep");
    dir.createDir("w/a");
    dir.createDir("w/c");
    t.SetRoot(dir.path("w") + "/");
    TvNode* root = t.trView.Item("Nd000");
    EXPECT_EQ(root->Text(), dir.path("w"));
    EXPECT_EQ(t.Root(), dir.path("w"));
    EXPECT_EQ(t.Path(), dir.path("w"));
    EXPECT_EQ(root->Image(), "icOpen");
    EXPECT_TRUE(root->Expanded());
    EXPECT_EQ(Kids(root), QStringList({"Nd001:a", "Nd002:b", "Nd003:c"}));
    EXPECT_EQ(Kids(t.trView.Item("Nd002")), QStringList({"Nd002X:?"}));
    EXPECT_EQ(t.trView.Item("Nd001")->Children(), 0);
    EXPECT_EQ(events.first(), "CngRt " + dir.path("w"));
    EXPECT_FALSE(Usr::bTrBusy);
    EXPECT_EQ(t.nNdCnt, 3);
    EXPECT_EQ(t.dNdTm.size(), 4u);
}

TEST_F(FolderTree, EmptyOrMissingRootFallsBackToUserData)
{
    dir.createDir("usData/x");
    t.SetRoot("");
    EXPECT_EQ(t.Root(), dir.path("usData"));
    t.SetRoot(dir.path("missing"));
    EXPECT_EQ(t.Root(), dir.path("usData"));
    dir.createDir("leaf");
    t.SetRoot(dir.path("leaf"));
    EXPECT_EQ(t.trView.Item("Nd000")->Image(), "icClose");
    EXPECT_FALSE(t.trView.Item("Nd000")->Expanded());
}

TEST_F(FolderTree, KeysGrowPastNd999AndAreNeverReused)
{
    EXPECT_EQ(FldTree::KeyOf(0), "Nd000");
    EXPECT_EQ(FldTree::KeyOf(7), "Nd007");
    EXPECT_EQ(FldTree::KeyOf(1000), "Nd1000");
    for (int i = 0; i < 1000; ++i)
        dir.createDir(QString("big/d%1").arg(i, 4, 10, QChar('0')));
    t.SetRoot(dir.path("big"));
    EXPECT_NE(t.trView.Find("Nd1000"), nullptr);
    EXPECT_EQ(t.trView.Find("Nd1001"), nullptr);

    dir.createDir("r/a/x");
    t.SetRoot(dir.path("r"));
    TvNode* a = t.trView.Item("Nd001");
    t.trView_Expand(a);
    EXPECT_EQ(Kids(a), QStringList({"Nd002:x"}));
    t.trView.Remove("Nd001");
    t.RfrshTr(); // not removed on disk: nothing comes back by itself
    t.SyncSbFld(t.trView.Item("Nd000"), dir.path("r"));
    EXPECT_EQ(Kids(t.trView.Item("Nd000")), QStringList({"Nd003:a"}));
}

TEST_F(FolderTree, RefreshDropsGoneFoldersAndMergesNewOnes)
{
    dir.createDir("r/ab");
    dir.createDir("r/d/old");
    dir.createDir("r/unread/x");
    t.SetRoot(dir.path("r"));
    t.bChkBx(true);
    t.prChSync(true);
    TvNode* root = t.trView.Item("Nd000");
    root->SetChecked(true);
    TvNode* d = Node("d");
    t.trView_Expand(d);
    QDir(dir.path("r/d/old")).removeRecursively();
    dir.createDir("r/b/sub");
    dir.createDir("r/a,b");
    dir.createDir("r/Z");
    dir.createDir("r/unread/y");
    // folder times have a resolution; make sure the parents are later
    TestDir::setMTime(dir.path("r"), QDateTime::currentDateTime().addSecs(5));
    TestDir::setMTime(dir.path("r/d"), QDateTime::currentDateTime().addSecs(5));
    TestDir::setMTime(dir.path("r/unread"), QDateTime::currentDateTime().addSecs(5));
    t.Timer1_Timer();
    QStringList texts;
    for (TvNode* c = root->Child(); c; c = c->Next())
        texts << c->Text();
    EXPECT_EQ(texts, QStringList({"Z", "a,b", "ab", "b", "d", "unread"}));
    TvNode* b = Node("b");
    EXPECT_EQ(b->Key(), "Nd007");
    EXPECT_TRUE(b->Checked());
    EXPECT_FALSE(b->Expanded());
    EXPECT_EQ(Kids(b), QStringList({"Nd007X:?"}));
    EXPECT_EQ(Node("old"), nullptr);
    EXPECT_EQ(Kids(Node("unread")).size(), 1); // still its placeholder

    // a folder read while empty gets its first subfolder as the only child
    dir.createDir("r/d/new");
    TestDir::setMTime(dir.path("r/d"), QDateTime::currentDateTime().addSecs(10));
    t.RfrshTr();
    QStringList dk = Kids(d);
    ASSERT_EQ(dk.size(), 1);
    EXPECT_TRUE(dk[0].endsWith(":new"));

    QDir(dir.path("r/d")).removeRecursively();
    t.RfrshTr();
    EXPECT_EQ(Node("d"), nullptr);
    EXPECT_EQ(Node("new"), nullptr);
}

TEST_F(FolderTree, PathWalksCaseInsensitivelyAndStops)
{
    dir.createDir("Work/src/lib");
    dir.createDir("Work/doc");
    dir.createDir("Work/leaf");
    t.SetRoot(dir.path("Work"));
    t.SetPath(dir.path("Work/src/lib").toUpper());
    EXPECT_EQ(t.Path(), dir.path("Work/src/lib"));
    EXPECT_TRUE(Node("src")->Expanded());

    t.SetPath("");
    EXPECT_EQ(t.Path(), dir.path("Work"));
    t.SetPath("/elsewhere/x");
    EXPECT_EQ(t.Path(), dir.path("Work"));
    t.SetPath(dir.path("Work/leaf/below"));
    EXPECT_EQ(t.Path(), dir.path("Work/leaf"));
    t.SetPath(dir.path("Work/doc"));
    t.SetPath(dir.path("Work/src/missing"));
    EXPECT_EQ(t.Path(), dir.path("Work/doc"));
    t.SetPath(dir.path("Work/src/"));
    EXPECT_EQ(t.Path(), dir.path("Work/doc"));
}

TEST_F(FolderTree, ExpandAllRaisesOnceAndExpandOrder)
{
    dir.createDir("r/a/b/c");
    dir.createDir("r/x");
    t.SetRoot(dir.path("r"));
    events.clear();
    t.ExpndALL(2, true);
    EXPECT_EQ(events, QStringList({"ChkExp"}));
    EXPECT_NE(Node("c"), nullptr);
    EXPECT_FALSE(Node("a")->Expanded());
    t.ExpndALL(0, true);
    EXPECT_TRUE(Node("b")->Expanded());
    t.ExpndALL(1, true);
    EXPECT_FALSE(Node("a")->Expanded());
    EXPECT_TRUE(t.trView.Item("Nd000")->Expanded());
    EXPECT_FALSE(Usr::bTrBusy);

    dir.createDir("s/a/b");
    t.SetRoot(dir.path("s"));
    events.clear();
    t.trView.Expand = [&](TvNode* n) {
        events << QString("children %1").arg(n->Child()->Text());
        t.trView_Expand(n);
        events << QString("children %1").arg(n->Child()->Text());
    };
    Node("a")->SetExpanded(true);
    EXPECT_EQ(events, QStringList({"children ?", "ChkExp", "children b"}));
    events.clear();
    Node("a")->SetExpanded(false);
    EXPECT_EQ(Node("a")->Image(), "icClose");
    EXPECT_EQ(events, QStringList({"ChkExp"}));
}

TEST_F(FolderTree, BusyFlagSilencesClicksButNotRightClicks)
{
    dir.createDir("r/a");
    t.SetRoot(dir.path("r"));
    events.clear();
    Usr::bTrBusy = true;
    t.trView.UserClick();
    t.trView.UserMouseUp(2, 0, 1, 1);
    t.trView_Expand(Node("a"));
    Usr::bTrBusy = false;
    t.trView.UserClick();
    t.trView.UserMouseUp(1, 0, 1, 1);
    EXPECT_EQ(events, QStringList({"RClick", "CngDr " + dir.path("r")}));
}

TEST_F(FolderTree, ButtonOnAnotherVolumeRebuildsTwiceAndCancelChangesNothing)
{
    dir.createDir("vol/sub");
    dir.createDir("r/a");
    t.Drive1.SetDrives({"/", dir.path("vol")});
    t.SetRoot(dir.path("r"));
    t.SetPath(dir.path("r/a"));
    events.clear();
    ds.dlg.browseAnswers.push_back(dir.path("vol/sub"));
    t.cmFld_Click();
    EXPECT_EQ(events.filter("CngRt"), QStringList({"CngRt " + dir.path("vol"), "CngRt " + dir.path("vol/sub")}));
    EXPECT_EQ(ds.dlg.browsed.last(), "ﾌｫﾙﾀﾞの指定|" + dir.path("r/a")); // the pane's folder
    events.clear();
    t.cmFld_Click(); // cancelled
    t.F_GtFld();
    EXPECT_EQ(ds.dlg.browsed.last(), "ﾌｫﾙﾀﾞの指定|" + dir.path("vol/sub"));
    t.F_GtFld(0, true);
    EXPECT_TRUE(events.filter("CngRt").isEmpty());
    EXPECT_EQ(t.Root(), dir.path("vol/sub"));
    EXPECT_EQ(ds.dlg.prompts.last(), "ﾙｰﾄﾊﾟｽを指定して下さい|FldCmpr|" + dir.path("vol/sub"));
    ds.dlg.inputAnswers.push_back(dir.path("r"));
    t.F_GtFld(0, true);
    EXPECT_EQ(t.Root(), dir.path("r"));
    ds.dlg.inputAnswers.push_back("relative/x"); // on no drive
    t.F_GtFld(0, true);
    EXPECT_EQ(ds.dlg.messages.last(), "relative/x Not Found !!");
    EXPECT_EQ(t.trView.Count(), 0);
    EXPECT_FALSE(Usr::bTrBusy);
    ds.dlg.inputAnswers.push_back(dir.path("nothing"));
    t.F_GtFld(0, true);
    EXPECT_EQ(ds.dlg.messages.last(), dir.path("nothing") + " Not Found");
    EXPECT_EQ(t.trView.Count(), 0);
    EXPECT_EQ(t.Root(), "");
}

TEST_F(FolderTree, OpenFolderUsesTheShell)
{
    t.OpnFld();
    EXPECT_TRUE(ds.dlg.shell.isEmpty());
    dir.createDir("r");
    t.SetRoot(dir.path("r"));
    t.OpnFld();
    EXPECT_EQ(ds.dlg.shell, QStringList({"explore " + dir.path("r")}));
}

TEST_F(FolderTree, UnreadableFolderOnExpandIsReported)
{
    dir.createDir("r/locked/x");
    t.SetRoot(dir.path("r"));
    QDir(dir.path("r/locked")).removeRecursively(); // gone before the user expands it
    t.trView_Expand(Node("locked"));
    EXPECT_EQ(ds.dlg.messages.size(), 1);
}

TEST_F(FolderTree, CheckMarksSpreadAndFilters)
{
    dir.createDir("r/top/Tmp/old");
    dir.createDir("r/top/x/tmp2");
    dir.createDir("r/top/x/BAK");
    dir.createDir("r/top/x/CVS");
    dir.createDir("r/top/x/tmp_old");
    dir.createDir("r/top/keep/old");
    t.SetRoot(dir.path("r"));
    t.prChSync(true); // ignored: boxes hidden
    EXPECT_FALSE(t.bSyncChk);
    t.bChkBx(true);
    TvNode* top = Node("top");
    t.trView.UserCheck(top, true); // switch off: no spread
    EXPECT_EQ(t.CheckedPaths(), QStringList({dir.path("r/top")}));
    t.prChSync(true);
    events.clear();
    t.trView.UserCheck(top, false);
    t.trView.UserCheck(top, true);
    EXPECT_EQ(events, QStringList({"ChkExp", "ChkExp"}));
    EXPECT_FALSE(top->Expanded());
    EXPECT_EQ(t.CheckedPaths().size(), 10);

    top->SetSelected(true);
    t.SetChkBx(false);
    EXPECT_TRUE(t.CheckedPaths().isEmpty());
    t.ChkOnOff();
    EXPECT_EQ(t.CheckedPaths(), QStringList({dir.path("r/top")}));

    t.prChSync(false);
    t.SetChkBx(false);
    Node("old")->SetChecked(false);
    t.SetChkFlt("old,  cvs", "tmp*  bak");
    QStringList checked = t.CheckedPaths();
    EXPECT_TRUE(checked.contains(dir.path("r/top/Tmp")));
    EXPECT_TRUE(checked.contains(dir.path("r/top/x/tmp2")));
    EXPECT_TRUE(checked.contains(dir.path("r/top/x/BAK")));
    EXPECT_TRUE(checked.contains(dir.path("r/top/x/tmp_old")));
    EXPECT_FALSE(checked.contains(dir.path("r/top/Tmp/old"))); // a match is not descended
    EXPECT_EQ(checked.size(), 4);
    EXPECT_FALSE(Usr::bTrBusy);
}

TEST_F(FolderTree, DriveRootChildrenAllGetPlaceholders)
{
    t.SetRoot("/");
    TvNode* root = t.trView.Item("Nd000");
    EXPECT_EQ(root->Text(), "/");
    EXPECT_EQ(t.dNdTm[0], DriveRootTime());
    ASSERT_GT(root->Children(), 0);
    for (TvNode* c = root->Child(); c; c = c->Next()) {
        ASSERT_EQ(c->Children(), 1) << c->Text().toStdString();
        EXPECT_EQ(c->Child()->Key(), c->Key() + "X");
        EXPECT_EQ(c->Child()->Text(), "?");
        EXPECT_EQ(c->FullPath(), "/" + c->Text());
    }
    EXPECT_EQ(t.Drive1.Drive(), "/");
}

TEST_F(FolderTree, DriveListNotifiesOnlyRealChanges)
{
    int changes = 0;
    DriveList dl;
    dl.SetDrives({"/", "/mnt/usb"});
    dl.Change = [&] { ++changes; };
    dl.SetDrive("/home/x");
    dl.SetDrive("/etc");
    EXPECT_EQ(changes, 1);
    dl.SetDrive("/mnt/usb/photos");
    EXPECT_EQ(dl.Drive(), "/mnt/usb");
    dl.SetDrive("/mnt/usbstick"); // not below /mnt/usb
    EXPECT_EQ(dl.Drive(), "/");
    dl.SetDrive("");
    EXPECT_EQ(changes, 3);
    EXPECT_THROW(dl.SetDrive("relative/path"), FcError);
    dl.UserSelect(1);
    EXPECT_EQ(changes, 4);
}

// The drive list offers the home folder first (its bytes kept), then "/";
// a missing home is not offered.
TEST_F(FolderTree, DriveListOffersTheHomeFolderFirst)
{
    const QByteArray home = qgetenv("HOME");
#ifdef FLDCMPR_PORTABLE_FS // Qt's own file calls take names as UTF-8 text
    const QString odd = dir.createDirBytes("h\xc3\xa9");
#else
    const QString odd = dir.createDirBytes("h\xff");
#endif
    qputenv("HOME", EncodeName(odd));
    const DriveList withHome;
    qputenv("HOME", EncodeName(dir.path("gone")));
    const DriveList without;
    qputenv("HOME", home);
    ASSERT_GE(withHome.Drives().size(), 2);
    EXPECT_EQ(withHome.Drives().mid(0, 2), QStringList({odd, "/"}));
    EXPECT_EQ(withHome.Label(0), odd + "  [ﾎｰﾑ]");
    EXPECT_EQ(without.Drives().first(), "/");
    EXPECT_EQ(DriveList::VolumeOf(odd + "/x"), DriveList::VolumeOf(dir.path("")));
}

TEST_F(FolderTree, SpreadsStopAtAnUnreadableLevelAndKeepTheirMarks)
{
    dir.createDir("r/a/x/deep");
    dir.createDir("r/b/y");
    t.SetRoot(dir.path("r"));
    t.bChkBx(true);
    t.prChSync(true);
    QDir(dir.path("r/b")).removeRecursively(); // b's level is still unread
    t.trView.UserCheck(t.trView.Item("Nd000"), true);
    ASSERT_EQ(ds.dlg.messages.size(), 1);
    EXPECT_TRUE(ds.dlg.messages[0].contains(dir.path("r/b")));
    EXPECT_FALSE(Usr::bTrBusy);
    EXPECT_TRUE(t.CheckedPaths().contains(dir.path("r/a/x/deep")));
    EXPECT_FALSE(events.contains("ChkExp")); // a spread that stopped is not reported as done
    t.trView.UserCheck(t.trView.Item("Nd001"), false);
    EXPECT_TRUE(events.contains("ChkExp"));

    dir.createDir("r/c/w");
    t.SetRoot(dir.path("r"));
    QDir(dir.path("r/c")).removeRecursively();
    t.SetChkFlt("", "zzz");
    EXPECT_EQ(ds.dlg.messages.size(), 2);
    EXPECT_FALSE(Usr::bTrBusy);
}

TEST_F(FolderTree, FiltersWithTheSwitchOnAndEmptyLists)
{
    dir.createDir("r/tmp/old/deeper");
    dir.createDir("r/keep/sub/leaf");
    t.SetRoot(dir.path("r"));
    t.bChkBx(true);
    t.trView.Item("Nd000")->SetSelected(true);
    t.SetChkFlt("", "");
    EXPECT_NE(Node("leaf"), nullptr); // every level was read
    EXPECT_TRUE(t.CheckedPaths().isEmpty());
    EXPECT_FALSE(Node("keep")->Expanded());

    t.prChSync(true);
    t.SetChkFlt("old", "tmp");
    QStringList checked = t.CheckedPaths();
    EXPECT_EQ(checked, QStringList({dir.path("r/tmp"), dir.path("r/tmp/old"), dir.path("r/tmp/old/deeper")}));
}

#ifndef FLDCMPR_PORTABLE_FS // Qt's own file calls take names as UTF-8 text
// Folders named in other bytes, or "?" like the placeholder of an unread
// level, expand, survive refresh passes with their keys, and are selected
// by their path.
TEST_F(FolderTree, FoldersWithAnyNameExpandRefreshAndSelect)
{
    const QByteArray sjis = "\x8e\x91\x97\xbf"; // 資料 in Shift_JIS
    dir.createDirBytes("r/?/inner");
    dir.createDirBytes("r/" + sjis + "/" + sjis + "2");
    dir.createDirBytes("r/caf\xe9/x");
    dir.createDirBytes("r/caf\xc9/y");
    dir.createDir("r/z");
    t.SetRoot(dir.path("r"));
    TvNode* root = t.trView.Item("Nd000");
    const QStringList first = Kids(root);
    ASSERT_EQ(first.size(), 5);
    const qint64 count = t.nNdCnt;
    TvNode* q = Node("?");
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(Kids(q), QStringList({q->Key() + "X:?"}));
    t.trView_Expand(q);
    t.trView_Expand(q); // read once: its folder is not taken for the placeholder
    EXPECT_EQ(Kids(q).size(), 1);
    EXPECT_TRUE(Kids(q)[0].endsWith(":inner"));
    TvNode* s = Node(DecodeName(sjis));
    ASSERT_NE(s, nullptr);
    t.trView_Expand(s);
    ASSERT_EQ(s->Children(), 1);
    EXPECT_EQ(EncodeName(s->Child()->Text()), sjis + "2");
    const qint64 read = t.nNdCnt;
    for (int pass = 0; pass < 3; ++pass) {
        TestDir::setMTime(dir.path("r"), QDateTime::currentDateTime().addSecs(5 + pass));
        t.RfrshTr();
    }
    EXPECT_EQ(Kids(root), first);
    EXPECT_EQ(t.nNdCnt, read);
    EXPECT_GT(read, count);

    // a new folder in other bytes merges in once and keeps its key after
    dir.createDirBytes("r/" + sjis + "new");
    TestDir::setMTime(dir.path("r"), QDateTime::currentDateTime().addSecs(20));
    t.RfrshTr();
    ASSERT_EQ(root->Children(), 6);
    TvNode* added = Node(DecodeName(sjis + "new"));
    ASSERT_NE(added, nullptr);
    const QString key = added->Key();
    TestDir::setMTime(dir.path("r"), QDateTime::currentDateTime().addSecs(25));
    t.RfrshTr();
    EXPECT_EQ(root->Children(), 6);
    EXPECT_EQ(Node(DecodeName(sjis + "new"))->Key(), key);

    const QString deep = s->Child()->FullPath();
    t.SetPath(dir.path("z"));
    t.SetPath(deep);
    EXPECT_EQ(t.Path(), deep);
    EXPECT_EQ(EncodeName(t.Path()), EncodeName(dir.path("r")) + "/" + sjis + "/" + sjis + "2");
    t.SetPath(dir.path("r") + "/" + DecodeName("caf\xe9"));
    EXPECT_EQ(EncodeName(t.Path()), EncodeName(dir.path("r")) + "/caf\xe9"); // not its Latin-1 twin in other case
}
#endif

TEST_F(FolderTree, PathOfTheDriveRootSelectsIt)
{
    t.SetRoot("/");
    TvNode* root = t.trView.Item("Nd000");
    ASSERT_NE(root, nullptr);
    t.SetPath("/");
    EXPECT_EQ(t.Path(), "/");
    EXPECT_TRUE(root->Selected());
    t.SetPath(t.Path()); // reading and writing it back stays there
    EXPECT_EQ(t.Path(), "/");
}

TEST(Pattern, Language)
{
    struct {
        const char *name, *pat;
        bool fits;
    } cases[] = {
        {"tmp", "tmp", true},      {"tmp2", "tmp", false},   {"tmp2", "tmp*", true},   {"tmp", "tmp*", true},
        {"a1", "a#", true},        {"ab", "a#", false},      {"abc", "a?c", true},     {"ac", "a?c", false},
        {"b", "[abc]", true},      {"d", "[abc]", false},    {"e", "[a-f]", true},     {"g", "[a-f]", false},
        {"d", "[!abc]", true},     {"a", "[!abc]", false},   {"a*", "a[*]", true},     {"ab", "a[*]", false},
        {"a?", "a[?]", true},      {"a#", "a[#]", true},     {"a[", "a[[]", true},     {"x.bak", "*.bak", true},
        {"bak.x", "*.bak", false}, {"", "*", true},          {"a[b", "a[b", true},     {"~tmp", "~*", true},
        {"abcabd", "*abd", true},  {"aaab", "a*a*b", true},  {"axbyc", "a*b*c", true}, {"ab", "a*b*c", false},
        {"a1b", "*#*", true},      {"ab", "**?**?**", true}, {"a", "**?**?**", false}, {"", "", true},
    };
    for (auto& c : cases)
        EXPECT_EQ(NameFits(c.name, c.pat), c.fits) << c.name << " " << c.pat;
    // many "*" against a long name that does not fit: answered at once, not
    // after trying every way to split the name
    const QString longName(200, QLatin1Char('a'));
    EXPECT_FALSE(NameFits(longName, "*a*a*a*a*a*a*a*a*a*a*a*a*b"));
    EXPECT_TRUE(NameFits(longName + "b", "*a*a*a*a*a*a*a*a*a*a*a*a*b"));
    EXPECT_EQ(PatternList("bak*  Tmp"), QStringList({"bak*", "tmp"}));
    EXPECT_EQ(PatternList("old, cvs, ~*"), QStringList({"old", "", "cvs", "", "~*"}));
}
