#include "WindowFixture.h"

#include "app/Main.h"
#include "app/state/Usr.h"
#include "compare/grid/ResultModel.h"
#include "compare/grid/vSpr.h"
#include "compare/window/CmprSettings.h"
#include "compare/window/SyncActions.h"
#include "compare/window/fmCmpr.h"
#include "env/NameBytes.h"
#include "foldertree/view/TreeItemModel.h"
#include "foldertree/view/uTrD.h"
#include "support/Files.h"
#include "support/Printers.h"
#include "support/RecordingDialogs.h"
#include "support/TestDir.h"
#include "ui/PrgEnd.h"
#include "ui/Twips.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <gtest/gtest.h>
#include <qplatformdefs.h>
#include <sys/stat.h>

TEST_F(Window, FirstStartUsesDefaults)
{
    fmCmpr& w = Open();
    EXPECT_EQ(w.windowTitle(), "指定ﾌｫﾙﾀﾞ内のﾌｧｲﾙの比較");
    EXPECT_EQ(w.uTrD1->Root(), dir.path("usData"));
    EXPECT_EQ(w.uTrD2->Root(), dir.path("usData"));
    EXPECT_EQ(w.nDisp(), DispMode::All);
    EXPECT_TRUE(w.mnDisp[0]->isChecked());
    EXPECT_FALSE(w.mnDisp[1]->isChecked());
    EXPECT_FALSE(w.mnCmpr[1]->isEnabled());
    EXPECT_TRUE(Usr::bLdMain);
    EXPECT_TRUE(w.uTrD1->Timer()->isActive());
    EXPECT_EQ(w.Spr->Model().rowCount(), 20);
    QStringList captions;
    for (QAction* a : w.menuBar()->actions())
        captions << a->text();
    EXPECT_EQ(captions, QStringList({"ﾌｫﾙﾀﾞ(&F)", "比較(&C)", "表示設定(&D)"}));
    EXPECT_EQ(w.mnFileAct[4]->text(), "終了(&X)");
    EXPECT_TRUE(w.mnFileAct[3]->isSeparator());
    EXPECT_EQ(w.mnFld2[1]->text(), "指定ﾊﾟｽをｴｸｽﾌﾟﾛｰﾗｰで開く");
}

TEST_F(Window, LayoutIsSavedAndRestoredExactly)
{
    dir.createDir("a/b");
    dir.createDir("c/d");
    {
        fmCmpr& w = Open();
        w.uTrD1->SetRoot(dir.path("a"));
        w.uTrD1->SetPath(dir.path("a/b"));
        w.uTrD2->SetRoot(dir.path("c"));
        w.setGeometry(30, 40, 700, 600); // fits the 800 x 800 test screen
        w.Spr->SetColWidth(ColName, 22.5);
        w.mnDisp_Click(2);
        QApplication::processEvents();
        Close();
    }
    QByteArray first = ReadBytes(Xml());
    EXPECT_TRUE(first.contains("<PATH1>" + dir.path("a/b").toUtf8() + "</PATH1>"));
    EXPECT_TRUE(first.contains("<PATH2>" + dir.path("c").toUtf8() + "</PATH2>"));
    EXPECT_TRUE(first.contains("<LEFT>450</LEFT>"));
    EXPECT_TRUE(first.contains("<CLS_WD>29.75,22.5,7.25,6,8,10.87,8.75,12.75</CLS_WD>"));
    EXPECT_TRUE(first.contains("<DISP>2</DISP>"));
    {
        fmCmpr& w = Open();
        EXPECT_EQ(w.uTrD1->Path(), dir.path("a/b"));
        EXPECT_TRUE(w.mnDisp[2]->isChecked());
        EXPECT_EQ(w.geometry(), QRect(30, 40, 700, 600));
        Close();
    }
    EXPECT_EQ(ReadBytes(Xml()), first);
}

// A folder whose name is not text (Latin-1 from an old disk) is selected
// again at the next start: its bytes are kept beside the shown path; a
// path of text leaves no trace of them.
TEST_F(Window, APathThatIsNotTextIsKeptToItsBytes)
{
    const QString odd = dir.createDirBytes("A\xff/b\xe9"), plain = dir.createDir("plain");
    {
        fmCmpr& w = Open();
        w.uTrD1->SetRoot(dir.path(""));
        w.uTrD1->SetPath(odd);
        ASSERT_EQ(w.uTrD1->Path(), odd);
        Close();
    }
    const QByteArray xml = ReadBytes(Xml());
    EXPECT_TRUE(xml.contains("<PATH1>" + dir.path("").toUtf8() + "A\\xFF/b\\xE9</PATH1>")) << xml.constData();
    EXPECT_TRUE(xml.contains("<PATH1_BYTES>" + EncodeName(odd).toHex() + "</PATH1_BYTES>"));
    {
        fmCmpr& w = Open();
        EXPECT_EQ(w.uTrD1->Path(), odd);
        w.uTrD1->SetRoot(dir.path(""));
        w.uTrD1->SetPath(plain);
        Close();
    }
    EXPECT_TRUE(ReadBytes(Xml()).contains("<PATH1_BYTES></PATH1_BYTES>")) << ReadBytes(Xml()).constData();
    EXPECT_EQ(Open().uTrD1->Path(), plain);
    Close();
}

// Folders dropped on the window: one opens the pane it lands on, two open
// both panes and compare; a file is not taken.
TEST_F(Window, DroppedFoldersOpenThePanes)
{
    dir.createFile("one/a.txt", "1");
    dir.createFile("two/b.txt", "2");
    fmCmpr& w = Open();
    const auto drop = [&](const QStringList& paths, QWidget* on) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& p : paths)
            urls << QUrl::fromLocalFile(p);
        data.setUrls(urls);
        const QPoint at = on->mapTo(&w, on->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &dropped);
        return true;
    };
    ASSERT_TRUE(drop({dir.path("two")}, w.uTrD2));
    EXPECT_EQ(w.uTrD2->Path(), dir.path("two"));
    EXPECT_FALSE(drop({dir.path("one/a.txt")}, w.uTrD1)); // a file: not taken
    ASSERT_TRUE(drop({dir.path("one"), dir.path("two")}, w.Spr));
    EXPECT_EQ(w.uTrD1->Path(), dir.path("one"));
    QApplication::processEvents(); // the comparison starts once the drop is done
    EXPECT_EQ(w.Spr->Model().rowCount(), 2);
    Close();
}

// Folders on the command line that are not there are named in one message
// once the window is up; a folder that is there opens its pane, the other
// pane starts as on a plain start (at the data folder), nothing is compared.
TEST_F(Window, CommandLineFoldersThatAreNotThereAreNamed)
{
    const QString one = dir.createDir("one"), file = dir.createFile("a.txt"), gone = dir.path("gone");
    const QString missing = "ﾌｫﾙﾀﾞが見つかりません: ";
    struct Case {
        QStringList args;
        QString message, path1, path2; // empty path: as on a plain start
    };
    const Case cases[] = {
        {{gone}, missing + gone, "", ""},
        {{gone, one}, missing + gone, "", one},
        {{one, file}, "ﾌｫﾙﾀﾞではありません: " + file, one, ""},
        {{gone, gone + "2"}, missing + gone + "\n" + missing + gone + "2", "", ""},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString bin = dir.createDir(QString("bin%1").arg(++n)) + "/";
        Usr::SetProgramFolder(bin);
        ds.dlg.messages.clear();
        Usr::Main(QStringList{bin + "FldCmpr"} + c.args, bin + "FldCmpr");
        fmCmpr& w = fmCmpr::Instance();
        EXPECT_TRUE(ds.dlg.messages.isEmpty()); // not before the window is up
        QApplication::processEvents();
        QApplication::processEvents();
        EXPECT_EQ(ds.dlg.messages, QStringList{c.message});
        EXPECT_EQ(w.uTrD1->Path(), c.path1.isEmpty() ? bin + "usData" : c.path1);
        EXPECT_EQ(w.uTrD2->Path(), c.path2.isEmpty() ? bin + "usData" : c.path2);
        EXPECT_FALSE(QFile::exists(bin + "usData/Cmpr.mdb")); // nothing compared
        Close();
    }
    Usr::SetProgramFolder(QString());
}

TEST_F(Window, PaneSizeAppliedOnlyAbove300)
{
    QSize design;
    {
        fmCmpr& w = Open();
        design = w.PaneTwips();
        Close();
    }
    auto start = [&](int pw, int ph) {
        WriteBytes(Xml(), QString("<運用>\r\n   <画面>\r\n      <WIDTH>12000</WIDTH>\r\n      <HEIGHT>9000</HEIGHT>\r\n"
                                  "      <DIR_WD>%1</DIR_WD>\r\n      <DIR_HI>%2</DIR_HI>\r\n      <DISP>5</DISP>\r\n"
                                  "   </画面>\r\n</運用>")
                              .arg(pw)
                              .arg(ph)
                              .toUtf8());
        return &Open();
    };
    fmCmpr* w = start(300, 4000);
    QSize pane = w->PaneTwips();
    EXPECT_NE(pane.height(), 4000);
    EXPECT_FALSE(w->mnDisp[0]->isChecked() || w->mnDisp[1]->isChecked() || w->mnDisp[2]->isChecked());
    EXPECT_EQ(w->nDisp(), DispMode(5));
    Close();
    w = start(4500, 3000);
    EXPECT_NEAR(w->PaneTwips().width(), 4500, 15);
    EXPECT_NEAR(w->PaneTwips().height(), 3000, 15);
    Close();
    (void)design;
}

TEST_F(Window, LaunchRecordStartWritesOnlyItsKeys)
{
    dir.createDir("L/sub");
    QByteArray before =
        "<運用>\r\n   <画面>\r\n      <LEFT>1</LEFT>\r\n      <ROOT1>/x</ROOT1>\r\n   </画面>\r\n</運用>";
    WriteBytes(Xml(), before);
    Usr::bLnch = true;
    Usr::tLnch = {1500, 1200, 9000, 9000, dir.path("L"), dir.path("L/sub")}; // fits the 800 x 800 test screen
    fmCmpr& w = Open();
    EXPECT_EQ(w.geometry(), QRect(100, 80, 600, 600));
    EXPECT_EQ(w.uTrD1->Root(), dir.path("L"));
    EXPECT_EQ(w.uTrD1->Path(), dir.path("L/sub"));
    EXPECT_EQ(w.uTrD2->Root(), dir.path("usData"));
    EXPECT_EQ(w.uTrD2->Path(), dir.path("usData"));
    Close();
    QString after = QString::fromUtf8(ReadBytes(Xml()));
    EXPECT_TRUE(
        after.startsWith("<運用>\r\n   <画面>\r\n      <LEFT>1</LEFT>\r\n      <ROOT1>/x</ROOT1>\r\n"
                         "      <DIR_WD_R>"));
    EXPECT_TRUE(after.contains("<CLS_WD_R>29.75,19.5,7.25,6,8,10.87,8.75,12.75</CLS_WD_R>\r\n      <DISP>0</DISP>"));
    EXPECT_FALSE(after.contains("<TOP>"));
    EXPECT_FALSE(after.contains("<DIR_WD>"));
}

TEST_F(Window, ComparisonFromTheMenuAndWithoutSelection)
{
    QDateTime t(QDate(2022, 2, 2), QTime(2, 2));
    dir.createFile("one/a.txt", "1", t);
    dir.createFile("two/a.txt", "1", t.addSecs(300));
    fmCmpr& w = Open();
    w.uTrD1->SetRoot(dir.path("one"));
    w.uTrD2->SetRoot(dir.path("two"));
    w.mnCmpr[0]->trigger();
    EXPECT_EQ(w.Spr->Model().rowCount(), 1);
    EXPECT_EQ(w.Spr->Model().CellText(0, 3), "2>1");
    EXPECT_TRUE(w.mnCmpr[1]->isEnabled());
    EXPECT_FALSE(w.Store().IsOpen());

    w.uTrD2->GtObjct().SelectedItem()->SetSelected(false);
    EXPECT_EQ(w.uTrD2->Path(), "");
    w.mnCmpr[0]->trigger();
    ASSERT_EQ(ds.dlg.messages.size(), 1);
    EXPECT_TRUE(ds.dlg.messages[0].contains("ﾌｫﾙﾀﾞ2"));
    EXPECT_EQ(w.Spr->Model().rowCount(), 1);
    EXPECT_FALSE(Usr::bTrBusy);

    w.mnFileAct[2]->trigger(); // optimisation leaves the store open
    EXPECT_TRUE(w.Store().IsOpen());
    w.mnDisp[1]->trigger();
    EXPECT_EQ(w.Spr->Model().rowCount(), 1);
    EXPECT_FALSE(w.Store().IsOpen());
}

TEST_F(Window, RightClickPopsUpTheTreesOwnMenu)
{
    dir.createDir("p/q");
    fmCmpr& w = Open();
    w.uTrD2->SetRoot(dir.path("p"));
    emit w.uTrD2->eRClick();
    ASSERT_EQ(w.LastPopup(), w.mnFile[1]);
    w.LastPopup()->close();
    w.mnFld2[1]->trigger();
    EXPECT_EQ(ds.dlg.shell.last(), "explore " + dir.path("p"));
    emit w.uTrD1->eRClick();
    EXPECT_EQ(w.LastPopup(), w.mnFile[0]);
    w.LastPopup()->close();
}

TEST_F(Window, AFailedSaveIsReportedAndTheProgramStillEnds)
{
    fmCmpr& w = Open();
    {
        FileSizeLimit full(10); // the disk fills while the settings are written
        w.close();
    }
    EXPECT_TRUE(Usr::Ending());
    ASSERT_EQ(ds.dlg.messages.size(), 1);
    EXPECT_TRUE(ds.dlg.messages[0].startsWith("画面の設定を保存できませんでした"));
}

// A settings file that is a pipe, or a link to a device, is not read (it
// would hang the start) and is left as it is.
TEST_F(Window, SettingsThatAreNoRegularFileAreNotReadNorWritten)
{
    ASSERT_EQ(::mkfifo(EncodeName(Xml()).constData(), 0600), 0);
    {
        fmCmpr& w = Open();
        ASSERT_EQ(ds.dlg.messages.size(), 1);
        EXPECT_TRUE(ds.dlg.messages[0].contains("User.xml"));
        EXPECT_EQ(w.uTrD1->Root(), dir.path("usData"));
        Close();
    }
    QT_STATBUF st;
    ASSERT_EQ(QT_LSTAT(EncodeName(Xml()).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    QFile::remove(Xml());

    ASSERT_TRUE(QFile::link("/dev/zero", Xml()));
    Open();
    EXPECT_EQ(ds.dlg.messages.size(), 2);
    Close();
    EXPECT_EQ(QFileInfo(Xml()).symLinkTarget(), "/dev/zero");
}

// A saved window far larger than the screen, or off it, opens on it.
TEST_F(Window, AHugeOrOffScreenSavedWindowOpensOnTheScreen)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    for (const QList<int>& geo : {QList<int>{0, 0, 491505, 491505}, QList<int>{-900000, 900000, 9000, 6000}}) {
        WriteBytes(Xml(), QString("<運用>\r\n   <画面>\r\n      <LEFT>%1</LEFT>\r\n      <TOP>%2</TOP>\r\n"
                                  "      <WIDTH>%3</WIDTH>\r\n      <HEIGHT>%4</HEIGHT>\r\n   </画面>\r\n</運用>")
                              .arg(geo[0])
                              .arg(geo[1])
                              .arg(geo[2])
                              .arg(geo[3])
                              .toUtf8());
        fmCmpr& w = Open();
        const QRect g = w.geometry(); // the window's own area; the desktop may add a frame
        EXPECT_LE(g.width(), area.width()) << geo[0];
        EXPECT_LE(g.height(), area.height()) << geo[0];
        EXPECT_TRUE(area.intersects(g)) << geo[0];
        Close();
    }
}

TEST_F(Window, UnreadableOrDamagedSettingsFallBackToDefaults)
{
    QDir().mkdir(Xml()); // something that cannot be read as the settings file
    {
        fmCmpr& w = Open();
        ASSERT_EQ(ds.dlg.messages.size(), 1);
        EXPECT_TRUE(ds.dlg.messages[0].contains("User.xml"));
        EXPECT_EQ(w.uTrD1->Root(), dir.path("usData"));
        EXPECT_TRUE(w.mnDisp[0]->isChecked());
        Close();
    }
    EXPECT_EQ(ds.dlg.messages.size(), 1); // nothing written over it, nothing more to say
    EXPECT_TRUE(QFileInfo(Xml()).isDir());
    QDir().rmdir(Xml());

    WriteBytes(Xml(),
               "<運用>\r\n   <画面>\r\n      <LEFT>1e99</LEFT>\r\n      <WIDTH>-5</WIDTH>\r\n"
               "      <HEIGHT>abc</HEIGHT>\r\n      <ROOT1>/no/such/folder</ROOT1>\r\n      <CLS_WD>1,x</CLS_WD>\r\n"
               "      <DISP>2</DISP>\r\n   </画面>\r\n</運用>");
    fmCmpr& w = Open();
    EXPECT_EQ(w.uTrD1->Root(), dir.path("usData"));
    EXPECT_TRUE(w.mnDisp[2]->isChecked());
    EXPECT_DOUBLE_EQ(w.Spr->ColWidth(ColPh), 1);
    EXPECT_DOUBLE_EQ(w.Spr->ColWidth(ColName), 0);
    EXPECT_DOUBLE_EQ(w.Spr->ColWidth(ColExt), 7.25);
    EXPECT_EQ(ds.dlg.messages.size(), 1);
    Close();
}

TEST_F(Window, EndFromTheMenuSavesAndEnds)
{
    fmCmpr& w = Open();
    w.mnFileAct[4]->trigger();
    EXPECT_TRUE(Usr::Ending());
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(ReadBytes(Xml()).contains("<DISP>0</DISP>"));
    EXPECT_EQ(Usr::oIni, nullptr); // the shared objects were released
}

namespace {
// A preview's line as "group|path|side and what it does": w writes, r
// replaces, o older over newer, s shown only, c chosen.
QString Described(const PlanLine& l)
{
    return QString("%1|%2|%3 ").arg(l.group, l.path).arg(l.side) + (l.writes ? "w" : "") + (l.replaces ? "r" : "") +
           (l.olderOverNewer ? "o" : "") + (l.shownOnly ? "s" : "") + (l.chosen ? "c" : "");
}
} // namespace

// The previews of two plans over the same folders: each action under its
// group with what it does, an older file over a newer one in a group of its
// own, a conflict that cannot be chosen, and the filters in force named.
TEST_F(Window, PlanPreviewsSayWhatEachLineDoesAndWhatTheComparisonLeftOut)
{
    const QDateTime t(QDate(2023, 3, 3), QTime(3, 3));
    for (const char* f : {"one/new.txt", "one/old.txt", "one/skip/x.txt", "one/a.md"})
        dir.createFile(f, "n", t);
    dir.createFile("two/old.txt", "O", t.addSecs(600));
    dir.createFile("one/same.txt", "ab", t);
    dir.createFile("two/same.txt", "abc", t);
    fmCmpr& w = Open();
    w.uTrD1->SetRoot(dir.path("one"));
    w.uTrD2->SetRoot(dir.path("two"));
    ds.dlg.filterAnswers.push_back({"skip/", "*.txt"});
    w.Settings().FilterAction()->trigger();
    w.mnCmpr[0]->trigger();
    const struct {
        int plan;
        QStringList lines; // in the plan's order
    } cases[] = {
        {0, {"ｺﾋﾟｰ|ﾌｫﾙﾀﾞ2: new.txt|2 wc", "日時が同じで内容が違う(行わない)|ﾌｫﾙﾀﾞ2: same.txt|2 s"}},
        {3,
         {"ｺﾋﾟｰ|ﾌｫﾙﾀﾞ2: new.txt|2 wc",
          "※新しいﾌｧｲﾙを古いﾌｧｲﾙで置き換えます(新しいﾌｧｲﾙはごみ箱へ)|ﾌｫﾙﾀﾞ2: old.txt|2 wroc",
          "置き換え(古いﾌｧｲﾙはごみ箱へ)|ﾌｫﾙﾀﾞ2: same.txt|2 wrc"}},
    };
    for (const auto& c : cases) {
        w.Sync().PlanAction(PlanKind(c.plan))->trigger(); // the preview cancelled: nothing done
        QStringList lines;
        for (const PlanLine& l : ds.dlg.planLines)
            lines << Described(l);
        EXPECT_EQ(lines, c.lines) << c.plan;
        EXPECT_TRUE(ds.dlg.plans.last().endsWith("\n比較から除いたもの: skip/\n比較したﾌｧｲﾙ: *.txt"))
            << ds.dlg.plans.last().toStdString();
    }
    Close();
}

// What could not be read is named, and the actions held back for it are
// listed apart, never to be chosen.
TEST_F(Window, PlanPreviewNamesWhatCouldNotBeReadAndWhatIsHeldBack)
{
    dir.createFile("one/locked/y.txt", "y");
    dir.createFile("two/locked/x.txt", "x");
    if (!LockFolder(dir.path("two/locked")))
        GTEST_SKIP() << "needs a user without root rights: an unreadable folder";
    fmCmpr& w = Open();
    w.uTrD1->SetRoot(dir.path("one"));
    w.uTrD2->SetRoot(dir.path("two"));
    w.mnCmpr[0]->trigger();
    w.Sync().PlanAction(PlanKind(4))->trigger(); // Folder 1 made like Folder 2
    QFile::setPermissions(dir.path("two/locked"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_EQ(ds.dlg.planLines.size(), 1u);
    EXPECT_EQ(Described(ds.dlg.planLines[0]), "読めなかった所があるため行わない|ﾌｫﾙﾀﾞ1: locked|1 s");
    EXPECT_TRUE(
        ds.dlg.plans.last().endsWith("\n読めなかった所: ﾌｫﾙﾀﾞ2: locked\n"
                                     "もう一方の側のその下はごみ箱へ移さず置き換えません(行わない作業 1 件)"))
        << ds.dlg.plans.last().toStdString();
    Close();
}

TEST(TreePane, ModelPassesQtChecksAndFollowsTheNodes)
{
    TestDir d;
    d.createDir("r/a/b");
    d.createDir("r/c");
    Usr::sUsrFld = d.path("r") + "/";
    uTrD pane;
    auto* model = pane.View()->model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    pane.Tree().Drive1.SetDrives({"/"});
    Usr::bLdMain = false;
    pane.SetRoot(d.path("r"));
    pane.show();
    EXPECT_FALSE(pane.Timer()->isActive()); // the main window is not loaded
    pane.hide();
    Usr::bLdMain = true;
    pane.show();
    EXPECT_TRUE(pane.Timer()->isActive());
    EXPECT_EQ(pane.Timer()->interval(), 1000);
    EXPECT_EQ(model->rowCount(), 1);
    QModelIndex root = model->index(0, 0);
    EXPECT_EQ(model->rowCount(root), 2);
    EXPECT_TRUE(pane.View()->isExpanded(root));
    QModelIndex a = model->index(0, 0, root);
    pane.View()->expand(a); // as the user does
    EXPECT_EQ(model->data(model->index(0, 0, a)).toString(), "b");
    EXPECT_EQ(pane.GtObjct().Item("Nd001")->Image(), "icOpen");
    pane.SetPath(d.path("r/a/b"));
    EXPECT_EQ(pane.View()->currentIndex(), model->index(0, 0, a));
    pane.Tree().bChkBx(true);
    EXPECT_TRUE(model->setData(a, Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(pane.GtObjct().Item("Nd001")->Checked());
    pane.ExpndALL(1, true);
    EXPECT_FALSE(pane.View()->isExpanded(a));
    pane.hide();
    EXPECT_FALSE(pane.Timer()->isActive());
}
