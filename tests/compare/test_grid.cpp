#include "app/state/Usr.h"
#include "compare/grid/ResultModel.h"
#include "compare/grid/vSpr.h"
#include "compare/store/SqlDb.h"
#include "compare/window/CmprList.h"
#include "compare/window/CmprSettings.h"
#include "support/Files.h"
#include "support/Printers.h"
#include "support/RecordingDialogs.h"
#include "support/TestDir.h"
#include "ui/sbWait.h"
#include <QFile>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
const QDateTime T(QDate(2021, 4, 5), QTime(6, 7, 8));

class Grid : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 3; ++i) {
            disp[size_t(i)] = new QAction(&grid);
            disp[size_t(i)]->setCheckable(true);
        }
        copy = new QAction(&grid);
        copy->setEnabled(false);
        list.SetMenus(disp, copy);
    }
    // one file of each code
    void MakeTrees()
    {
        dir.createFile("one/same.txt", "s", T);
        dir.createFile("two/same.txt", "s", T);
        dir.createFile("one/d/newer1.tar.gz", "1234", T.addSecs(600));
        dir.createFile("two/d/newer1.tar.gz", "", T);
        dir.createFile("one/newer2", "a", T);
        dir.createFile("two/newer2", "b", T.addSecs(600));
        dir.createFile("one/.profile", QByteArray(2500, 'p'), T);
        dir.createFile("two/only2.c", "cc", T);
    }
    QStringList Column(int col)
    {
        QStringList out;
        for (int r = 0; r < grid.Model().rowCount(); ++r)
            out << grid.Model().CellText(r, col);
        return out;
    }
    TestDir dir;
    DialogsScope ds;
    ResultStore store{dir.path("Cmpr.mdb")};
    vSpr grid;
    CmprSettings how;
    CmprList list{grid, store};
    std::array<QAction*, 3> disp{};
    QAction* copy = nullptr;
};
} // namespace

TEST_F(Grid, DesignBeforeTheFirstFill)
{
    EXPECT_EQ(grid.Model().rowCount(), 20);
    EXPECT_EQ(grid.Model().columnCount(), 8);
    EXPECT_EQ(grid.Model().headerData(0, Qt::Vertical, Qt::DisplayRole).toInt(), 1);
    QStringList tops, subs;
    for (int c = 0; c < 8; ++c) {
        tops << ResultModel::TopHeader(c);
        subs << ResultModel::SubHeader(c);
    }
    EXPECT_EQ(tops, QStringList({"ﾊﾟｽ", "ﾌｧｲﾙ名", "拡張子", "比較", "ﾌｫﾙﾀﾞ1", "ﾌｫﾙﾀﾞ1", "ﾌｫﾙﾀﾞ2", "ﾌｫﾙﾀﾞ2"}));
    EXPECT_EQ(subs, QStringList({"", "", "", "", "ｻｲｽﾞ", "更新日", "ｻｲｽﾞ", "更新日"}));
    EXPECT_EQ(ResultModel::GroupSpan(4), 2);
    EXPECT_EQ(ResultModel::GroupSpan(6), 2);
    EXPECT_EQ(ResultModel::TextColour(3), QColor("#800000"));
    EXPECT_EQ(ResultModel::BackColour(3), QColor("#FFFFDF"));
    EXPECT_EQ(ResultModel::TextColour(4), QColor("#0000A0"));
    EXPECT_EQ(ResultModel::TextColour(2), QColor("#444444"));
    EXPECT_EQ(ResultModel::BackColour(1), QColor(Qt::white));
    for (int c = 0; c < kGridCols; ++c)
        EXPECT_DOUBLE_EQ(grid.ColWidth(c), vSpr::DesignWidths()[size_t(c)]);
    grid.SetColWidth(ColName, 33.5);
    EXPECT_DOUBLE_EQ(grid.ColWidth(ColName), 33.5);
}

TEST_F(Grid, ComparisonFillsAllModes)
{
    MakeTrees();
    list.CmprFld(how, dir.path("one"), dir.path("two"));
    EXPECT_TRUE(ds.dlg.messages.isEmpty()) << ds.dlg.messages.join("|").toStdString();
    EXPECT_TRUE(list.Compared());
    EXPECT_FALSE(store.IsOpen());
    EXPECT_TRUE(copy->isEnabled());
    EXPECT_EQ(Column(3), QStringList({"1-*", "2>1", "1=2", "1>2", "2-*"}));
    EXPECT_EQ(Column(1), QStringList({"", "newer2", "same", "newer1.tar", "only2"}));
    EXPECT_EQ(Column(2), QStringList({"profile", "", "txt", "gz", "c"}));
    EXPECT_EQ(Column(0), QStringList({"", "", "", "d", ""}));
    EXPECT_EQ(Column(4), QStringList({"2,500", "1", "1", "4", ""}));
    EXPECT_EQ(Column(6), QStringList({"", "1", "1", "", "2"}));
    EXPECT_EQ(Column(5)[4], "");

    list.mnDisp_Click(1);
    EXPECT_EQ(Column(3), QStringList({"1-*", "2>1", "1>2", "2-*"}));
    EXPECT_TRUE(disp[1]->isChecked());
    EXPECT_FALSE(disp[0]->isChecked());
    list.mnDisp_Click(2);
    EXPECT_EQ(Column(3), QStringList({"2>1", "1>2"}));
    EXPECT_EQ(list.Disp(), DispMode::Changed);
    EXPECT_FALSE(store.IsOpen());

    list.CopyList();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "\tnewer2\t\t2>1\t1\t21/04/05 06:07\t1\t21/04/05 06:17\n"
              "d\tnewer1.tar\tgz\t1>2\t4\t21/04/05 06:17\t\t21/04/05 06:07\n");
    EXPECT_TRUE(grid.selectionModel()->selectedIndexes().isEmpty());
}

#ifndef FLDCMPR_PORTABLE_FS
// A name in other bytes shows its stray bytes as \xHH in the cells and the
// copied list; a cell with a tab is quoted so the paste keeps eight cells.
TEST_F(Grid, ByteNamesShowTheirBytesAndOddCellsAreQuoted)
{
    dir.createFileBytes("one/\x8e\x91/\x97\xbf.txt", "a", T);
    dir.createFile("one/a\tb.txt", "a", T);
    dir.createDir("two");
    list.CmprFld(how, dir.path("one"), dir.path("two"));
    EXPECT_EQ(Column(0), QStringList({"", "\\x8E\\x91"}));
    EXPECT_EQ(Column(1), QStringList({"a\tb", "\\x97\\xBF"}));
    list.CopyList();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "\t\"a\tb\"\ttxt\t1-*\t1\t21/04/05 06:07\t\t\n"
              "\\x8E\\x91\t\\x97\\xBF\ttxt\t1-*\t1\t21/04/05 06:07\t\t\n");
}
#endif

// Another window comparing into the same store: this window goes on with
// its own copy of its result, never showing the other's rows and never
// writing the store.
TEST_F(Grid, AnotherWindowsRunIsNotShownUnderThisWindowsFolders)
{
    MakeTrees();
    list.CmprFld(how, dir.path("one"), dir.path("two"));
    const QStringList mine = Column(1);
    dir.createFile("three/other.txt", "o", T);
    dir.createDir("four");
    vSpr otherGrid;
    ResultStore otherStore(store.Path());
    CmprList other(otherGrid, otherStore);
    other.CmprFld(how, dir.path("three"), dir.path("four"));
    ASSERT_TRUE(ds.dlg.messages.isEmpty());
    list.mnDisp_Click(1);
    EXPECT_TRUE(ds.dlg.messages.isEmpty()) << ds.dlg.messages.join("|").toStdString();
    QStringList differing = mine;
    differing.removeAll("same");
    EXPECT_EQ(Column(1), differing);
    EXPECT_TRUE(disp[1]->isChecked());
    EXPECT_FALSE(store.IsOpen());
    list.mnDisp_Click(0);
    EXPECT_EQ(Column(1), mine);
    list.CopyList();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains("newer2"));
    other.mnDisp_Click(1); // the latest run's own window refills as before
    EXPECT_TRUE(ds.dlg.messages.isEmpty());
    EXPECT_EQ(otherGrid.Model().CellText(0, 1), "other");

    store.OpnDb(); // the run log says what each run compared
    {
        SqlStmt st = store.Db().Prepare("Select sFld1, sFld2, nRows, n1Only From tbRun Order By nRun");
        ASSERT_TRUE(st.Step());
        EXPECT_EQ(st.Text(0), dir.path("one"));
        EXPECT_EQ(st.Int(2), 5);
        ASSERT_TRUE(st.Step());
        EXPECT_EQ(st.Text(1), dir.path("four"));
        EXPECT_EQ(st.Int(3), 1);
    }
    store.ClsDb();
}

// The CLI, a process of its own, compares other folders into the window's
// store: the window's modes, copy and status line go on from its own copy,
// and the store keeps the CLI's rows.
TEST_F(Grid, TheCliReplacingTheStoreLeavesTheWindowItsResult)
{
    MakeTrees();
    list.CmprFld(how, dir.path("one"), dir.path("two"));
    const QStringList mine = Column(1);
    dir.createFile("three/cli.txt", "c", T);
    dir.createDir("four");
    QProcess cli;
    cli.start(QStringLiteral(FLDCMPR_CLI), {"--db", store.Path(), "-q", dir.path("three"), dir.path("four")});
    ASSERT_TRUE(cli.waitForFinished(30000));
    ASSERT_EQ(cli.exitCode(), 1) << cli.readAllStandardError().constData();
    list.mnDisp_Click(2);
    list.mnDisp_Click(0);
    EXPECT_EQ(Column(1), mine);
    EXPECT_TRUE(ds.dlg.messages.isEmpty());
    EXPECT_TRUE(list.StatusText(dir.path("one"), dir.path("two"), how).contains(dir.path("one")));
    store.OpnDb();
    SqlStmt st = store.Db().Prepare("Select sFL From tbCmpr");
    ASSERT_TRUE(st.Step());
    EXPECT_EQ(st.Text(0), "cli.txt");
    EXPECT_FALSE(st.Step());
}

// A run that could not read everything still fills the grid, then says
// how much it skipped and names it.
TEST_F(Grid, SkippedFoldersAreCountedAndNamedAfterTheRun)
{
    MakeTrees();
    dir.createFile("two/locked/x.txt", "x", T);
    if (!LockFolder(dir.path("two/locked")))
        GTEST_SKIP() << "needs a user without root rights: an unreadable folder";
    list.CmprFld(how, dir.path("one"), dir.path("two"));
    EXPECT_EQ(grid.Model().rowCount(), 5);
    ASSERT_EQ(ds.dlg.messages.size(), 1);
    EXPECT_TRUE(ds.dlg.messages[0].contains("1 件")) << ds.dlg.messages[0].toStdString();
    EXPECT_TRUE(ds.dlg.messages[0].contains(dir.path("two/locked")));
    ASSERT_EQ(ds.dlg.lists.size(), 1); // the whole list, for the clipboard
    EXPECT_EQ(ds.dlg.lists[0], dir.path("two/locked") + "\tPermission denied\n");
}

// A run over 200,000 files stopped from the wait window after 100 ms: it
// ends at once, says so and changes nothing; a key sent to the grid
// meanwhile is dropped, not acted on after the run.
TEST_F(Grid, StoppingARunChangesNothingAndDropsInputMeanwhile)
{
    MakeTrees();
    list.CmprFld(how, dir.path("one"), dir.path("two"));
    const QStringList before = Column(1);
    for (int d = 0; d < 2; ++d) {
        const QByteArray folder = QFile::encodeName(dir.createDir(QString("big/d%1").arg(d)));
        for (int i = 0; i < 100000; ++i)
            ::close(::open((folder + "/f" + QByteArray::number(i)).constData(), O_WRONLY | O_CREAT, 0644));
    }
    QElapsedTimer clock;
    qint64 stopAt = -1;
    QTimer::singleShot(100, [&] {
        QCoreApplication::postEvent(&grid, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier));
        QTest::mouseClick(sbWait::Instance().StopButton(), Qt::LeftButton);
        stopAt = clock.elapsed();
    });
    clock.start();
    list.CmprFld(how, dir.path("big"), dir.path("two"));
    const qint64 stoppedIn = clock.elapsed() - stopAt;
    std::printf("stopped %lld ms after the button (run %lld ms)\n", qlonglong(stoppedIn), qlonglong(clock.elapsed()));
    ASSERT_GE(stopAt, 0) << "the button was never pressed";
    EXPECT_LT(stoppedIn, 2000);
    ASSERT_EQ(ds.dlg.messages.size(), 1);
    EXPECT_EQ(ds.dlg.messages[0], "比較を中止しました");
    EXPECT_EQ(Column(1), before);
    QApplication::processEvents();
    EXPECT_TRUE(grid.selectionModel()->selectedIndexes().isEmpty()); // Ctrl+A was not replayed
    list.mnDisp_Click(0); // the store still holds the earlier result, and it is this window's
    EXPECT_EQ(Column(1), before);
    EXPECT_EQ(ds.dlg.messages.size(), 1);
    EXPECT_FALSE(sbWait::Instance().StopButton()->isVisible());
}

TEST_F(Grid, NoRowsStillEnablesTheCopy)
{
    dir.createFile("one/a", "x", T);
    dir.createFile("two/a", "x", T);
    list.SetDisp(DispMode::Changed);
    list.CmprFld(how, dir.path("one"), dir.path("two"));
    EXPECT_EQ(grid.Model().rowCount(), 0);
    EXPECT_TRUE(copy->isEnabled());
}

TEST_F(Grid, ModeChangeBeforeAComparisonOnlyMovesTheMark)
{
    MakeTrees();
    store.OpnDb(); // rows of an earlier run are in the store
    store.ClsDb();
    list.mnDisp_Click(2);
    EXPECT_EQ(list.Disp(), DispMode::Changed);
    EXPECT_TRUE(disp[2]->isChecked());
    EXPECT_EQ(grid.Model().rowCount(), 20);
    EXPECT_FALSE(grid.Model().Filled());
    EXPECT_FALSE(copy->isEnabled());
}

TEST_F(Grid, AllRowsBeyondTenThousandAreShown)
{
    store.OpnDb();
    InTransaction(store.Db(), [&] {
        SqlStmt ins = store.Db().Prepare(
            "Insert Into tbCmpr (nNo, sPh, sFL, sU1, sU2, nS1, nS2, sED) "
            "Values (?,?,?,?,?,?,?,?)");
        for (qint64 i = 0; i < 25000; ++i) {
            QString name = QString("f%1.txt").arg(i);
            SqlPrm(ins,
                   {1001 + i, QString("p"), name, QString("21/01/01 00:00"), QString(), i, qint64(0), QString("1-*")});
            ins.Step();
            ins.Reset();
        }
    });
    store.ClsDb();
    list.Adopt(0);
    list.mnDisp_Click(0);
    EXPECT_EQ(grid.Model().rowCount(), 25000);
    EXPECT_EQ(grid.Model().CellText(24999, 1), "f24999");
    EXPECT_EQ(grid.Model().CellText(24999, 4), "24,999");
}

// A change that is not carried out leaves the mode and its mark as they
// were: a store that cannot be read, or one that holds another run where
// the window has no rows of its own.
TEST_F(Grid, AFailedRefillIsReportedAndClosesTheStore)
{
    list.Adopt(0);
    ASSERT_TRUE(WriteBytes(store.Path(), QByteArray(4096, 'z')));
    list.mnDisp_Click(1);
    EXPECT_EQ(ds.dlg.messages.size(), 1);
    EXPECT_FALSE(store.IsOpen());
    EXPECT_FALSE(Usr::bTrBusy);
    EXPECT_EQ(list.Disp(), DispMode::All);
    EXPECT_TRUE(disp[0]->isChecked() && !disp[1]->isChecked());
    ASSERT_TRUE(QFile::remove(store.Path()));
    MakeTrees();
    vSpr otherGrid;
    ResultStore otherStore(store.Path());
    CmprList(otherGrid, otherStore).CmprFld(how, dir.path("one"), dir.path("two"));
    list.Adopt(999);
    list.mnDisp_Click(2);
    ASSERT_EQ(ds.dlg.messages.size(), 2);
    EXPECT_TRUE(ds.dlg.messages[1].contains("他の比較")) << ds.dlg.messages[1].toStdString();
    EXPECT_EQ(list.Disp(), DispMode::All);
    EXPECT_TRUE(disp[0]->isChecked() && !disp[2]->isChecked());
}

TEST_F(Grid, AFailedComparisonLeavesTheGridAndFreesTheTrees)
{
    MakeTrees();
    list.CmprFld(how, dir.path("one"), dir.path("two"));
    int before = grid.Model().rowCount();
    list.CmprFld(how, dir.path("one"), dir.path("gone"));
    ASSERT_EQ(ds.dlg.messages.size(), 1);
    EXPECT_TRUE(ds.dlg.messages[0].startsWith("比較できませんでした"));
    EXPECT_TRUE(ds.dlg.messages[0].contains("gone"));
    EXPECT_EQ(grid.Model().rowCount(), before);
    EXPECT_FALSE(Usr::bTrBusy);
    EXPECT_FALSE(sbWait::Instance().isVisible());
    EXPECT_FALSE(store.IsOpen());
}

TEST(ModelTester, ResultModelPassesQtChecks)
{
    ResultModel m;
    QAbstractItemModelTester t(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    std::vector<GridRow> rows(3);
    rows[1].sFL = "a.b";
    m.SetRows(std::move(rows));
    EXPECT_EQ(m.rowCount(), 3);
    m.SetRows({});
    EXPECT_EQ(m.rowCount(), 0);
}
