// The result list as users work with it: sort, find, status line, row
// actions, selection copy, saving, columns and shortcuts, on the real window.
#include "WindowFixture.h"

#include "compare/grid/FindBar.h"
#include "compare/grid/ResultModel.h"
#include "compare/grid/RowActions.h"
#include "compare/grid/vSpr.h"
#include "compare/rows/SortKeys.h"
#include "compare/window/CmprSettings.h"
#include "compare/window/CompareToolDialog.h"
#include "compare/window/FilterDialog.h"
#include "compare/window/SyncActions.h"
#include "env/Dialogs.h"
#include "env/NameBytes.h"
#include "foldertree/view/uTrD.h"
#include "support/Files.h"
#include "support/Printers.h"
#include <QPushButton>

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <tuple>

namespace {
const QDateTime T(QDate(2021, 4, 5), QTime(6, 7, 8));

class List : public Window {
protected:
    // a.txt 1=2, B.cpp 1>2, sub/c.h 2>1, sub/big.bin 1-* (127,015,960
    // bytes), zero 1-* (0 bytes), only2.md 2-*
    fmCmpr& Compared()
    {
        dir.createFile("one/a.txt", "aa", T);
        dir.createFile("two/a.txt", "aa", T);
        dir.createFile("one/B.cpp", "bbb", T.addSecs(600));
        dir.createFile("two/B.cpp", "b", T);
        dir.createFile("one/sub/c.h", "c", T);
        dir.createFile("two/sub/c.h", "cccc", T.addSecs(600));
        const QString big = dir.createFile("one/sub/big.bin", "", T);
        QFile f(big);
        EXPECT_TRUE(f.open(QIODevice::ReadWrite) && f.resize(127015960));
        f.close();
        TestDir::setMTime(big, T);
        dir.createFile("one/zero", "", T);
        dir.createFile("two/only2.md", "m", T);
        fmCmpr& w = Open();
        w.uTrD1->SetRoot(dir.path("one"));
        w.uTrD2->SetRoot(dir.path("two"));
        w.mnCmpr[0]->trigger();
        QApplication::setActiveWindow(&w); // for the window's shortcuts
        w.Spr->setFocus();
        return w;
    }
    QStringList Names(const ResultModel& m)
    {
        QStringList out;
        for (int r = 0; r < m.rowCount(); ++r)
            out << m.CellText(r, 1);
        return out;
    }
    void ClickHeader(vSpr& g, int col, Qt::KeyboardModifiers mods = {})
    {
        QHeaderView* h = g.horizontalHeader();
        const QPoint at(h->sectionViewportPosition(col) + h->sectionSize(col) / 2, h->height() * 3 / 4);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, mods, at);
    }
};

// Rows to sort: sizes with 0 and an absent side, dates across 1999/2000
// and unconvertible, names differing in case, ties keeping their order.
std::vector<GridRow> SortRows()
{
    return {
        {"b", "x.TXT", "1=2", "99/12/31 23:59", "99/12/31 23:59", 5, 5},
        {"A", "y.txt", "1-*", "00/01/01 00:00", "", 0, 0},
        {"", "X.c", "2-*", "", "--/--/-- --:--", 0, 7},
        {"a", "w", "1>2", "70/01/01 00:00", "69/12/31 23:59", 5, 1},
    };
}
} // namespace

// Rows come back from the compact table exactly as they went in: dates of
// the usual form and odd ones, empty cells, a name longer than a block of
// text, stray bytes, any code; a folder's text is held once.
TEST(RowTable, RowsComeBackAsTheyWentIn)
{
    std::vector<GridRow> in = SortRows();
    in.push_back({"b", QString(600000, QChar(u'n')), "1\u22602", "1999/12/31", "ab/cd/ef gh:ij", -1, 1LL << 40});
    in.push_back({"b", "", "", "", "", 0, 0});
    in.push_back({DecodeName("d\xff"), DecodeName("f\xfe.t"), "2>1", "07/03/05 09:41", "00/00/00 00:00", 1, 2});
    for (int i = 0; i < 50000; ++i)
        in.push_back({QString("f%1").arg(i % 7), QString("name%1.txt").arg(i), "1=2", "21/01/01 00:00", "", i, i});
    RowTable t;
    for (const GridRow& r : in)
        t.Add(r);
    t.Done();
    ASSERT_EQ(t.size(), in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        const GridRow r = t.At(i);
        ASSERT_EQ(std::tie(r.sPh, r.sFL, r.sED, r.sU1, r.sU2, r.nS1, r.nS2),
                  std::tie(in[i].sPh, in[i].sFL, in[i].sED, in[i].sU1, in[i].sU2, in[i].nS1, in[i].nS2))
            << i;
    }
    EXPECT_EQ(t.Folder(0).constData(), t.Folder(4).constData()); // "b" held once
    ResultModel m;
    m.SetTable(std::move(t));
    EXPECT_EQ(m.CellText(4, 5), "1999/12/31");
}

TEST(SortKeys, SizesDatesAndTextsByTheirValueEmptyLast)
{
    RowTable rows;
    for (const GridRow& r : SortRows())
        rows.Add(r);
    const struct {
        int col;
        std::vector<int> asc, desc;
    } cases[] = {
        {0, {1, 3, 0, 2}, {0, 1, 3, 2}}, // folder regardless of case; empty last
        {1, {3, 0, 2, 1}, {1, 0, 2, 3}}, // name part; x and X are one, in running order
        {4, {1, 0, 3, 2}, {0, 3, 1, 2}}, // a 0-byte file is a size, an absent side is not
        {5, {3, 0, 1, 2}, {1, 0, 3, 2}}, // 1970 < 1999 < 2000
        {6, {3, 0, 2, 1}, {2, 0, 3, 1}}, // ties (5, 5) keep their running order
        {7, {0, 3, 1, 2}, {3, 0, 1, 2}}, // 2069 after 1999; unshown times last
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SortedOrder(rows, c.col, false), c.asc) << "column " << c.col;
        EXPECT_EQ(SortedOrder(rows, c.col, true), c.desc) << "column " << c.col;
    }
    EXPECT_EQ(DateKey(u"--/--/-- --:--"), -1);
    EXPECT_LT(DateKey(u"99/12/31 23:59"), DateKey(u"00/01/01 00:00"));
    for (const char16_t* odd : {u"99-12-31 23:59", u"99/12/31 2359 ", u"99/1a/31 23:59", u""})
        EXPECT_EQ(DateKey(odd), -1); // a damaged store's text sorts with the unshown times
}

// Header clicks: ascending, descending, the running order; Ctrl+click back
// at once. The model stays sound throughout, the current row follows its
// row, and the list copy follows the order shown.
TEST_F(List, HeaderClicksSortAndTheCopyFollowsTheOrderShown)
{
    fmCmpr& w = Compared();
    vSpr& g = *w.Spr;
    ResultModel& m = g.Model();
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const QStringList running = Names(m);
    ASSERT_EQ(running, QStringList({"B", "a", "zero", "big", "c", "only2"}));
    g.setCurrentIndex(m.index(3, 1)); // big
    ClickHeader(g, 4);
    EXPECT_EQ(Names(m), QStringList({"zero", "c", "a", "B", "big", "only2"}));
    EXPECT_EQ(m.CellText(g.currentIndex().row(), 1), "big");
    ClickHeader(g, 4);
    EXPECT_EQ(Names(m), QStringList({"big", "B", "a", "c", "zero", "only2"})); // empty still last
    w.mnCmpr[1]->trigger();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith("sub\tbig\tbin\t1-*\t127,015,960"));
    ClickHeader(g, 4);
    EXPECT_EQ(Names(m), running);
    ClickHeader(g, 1);
    EXPECT_EQ(Names(m), QStringList({"a", "B", "big", "c", "only2", "zero"}));
    ClickHeader(g, 1, Qt::ControlModifier);
    EXPECT_EQ(Names(m), running);
    ClickHeader(g, 3);
    w.mnDisp[1]->trigger(); // a refill keeps the order chosen
    EXPECT_EQ(Names(m), QStringList({"zero", "big", "B", "only2", "c"}));
    EXPECT_FALSE(g.selectionModel()->isColumnSelected(3, {}));
}

TEST_F(List, FindBarCountsAndStepsThroughTheMatches)
{
    fmCmpr& w = Compared();
    FindBar& f = *w.Find();
    EXPECT_FALSE(f.isVisible());
    QTest::keyClick(w.Spr, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(f.isVisible());
    EXPECT_TRUE(f.Edit()->hasFocus());
    QTest::keyClicks(f.Edit(), "SUB");
    EXPECT_EQ(f.Matches(), 2); // in the folder, regardless of case
    QTest::keyClick(f.Edit(), Qt::Key_Backspace);
    QTest::keyClick(f.Edit(), Qt::Key_Backspace);
    QTest::keyClick(f.Edit(), Qt::Key_Backspace);
    QTest::keyClicks(f.Edit(), "b");
    EXPECT_EQ(f.Matches(), 3); // B.cpp, sub/big.bin, sub/c.h
    EXPECT_EQ(f.CountLabel()->text(), "3 件");
    w.Spr->setCurrentIndex(w.Spr->model()->index(1, 0)); // a.txt
    QStringList seen;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(f.Edit(), Qt::Key_F3);
        seen << w.Spr->Model().CellText(w.Spr->currentIndex().row(), 1);
    }
    EXPECT_EQ(seen, QStringList({"big", "c", "B", "big"})); // round to the first
    QTest::keyClick(f.Edit(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(w.Spr->Model().CellText(w.Spr->currentIndex().row(), 1), "B");
    EXPECT_EQ(f.CountLabel()->text(), "1 / 3 件");
    QTest::keyClick(f.Edit(), Qt::Key_F3, Qt::ShiftModifier); // round to the last
    EXPECT_EQ(w.Spr->Model().CellText(w.Spr->currentIndex().row(), 1), "c");
    QTest::keyClick(f.Edit(), Qt::Key_Escape);
    EXPECT_FALSE(f.isVisible());
}

TEST_F(List, StatusLineNamesTheRunAndSaysWhenTheFoldersChanged)
{
    fmCmpr& w = Compared();
    const QString s = w.StatusLine()->text();
    EXPECT_TRUE(s.contains("ﾌｫﾙﾀﾞ1: " + dir.path("one"))) << s.toStdString();
    EXPECT_TRUE(s.contains("表示 6 件 (1-* 2, 2-* 1, 1=2 1, 1>2 1, 2>1 1)")) << s.toStdString();
    EXPECT_FALSE(s.contains("以前"));
    w.mnDisp[2]->trigger();
    EXPECT_TRUE(w.StatusLine()->text().contains("表示 2 件"));
    dir.createDir("three");
    w.uTrD2->SetRoot(dir.path("three"));
    EXPECT_TRUE(w.StatusLine()->text().startsWith("※ 以前のﾌｫﾙﾀﾞの比較結果です"))
        << w.StatusLine()->text().toStdString();
}

TEST_F(List, RowActionsOpenCopyAndRunTheCompareCommand)
{
    // the external compare command: a real program that records its arguments
    const QString out = dir.path("args.txt");
    WriteBytes(dir.path("usData/User.xml"),
               ("<運用>\r\n   <比較ﾂｰﾙ>\r\n      <CMD>sh -c 'printf \"%s\\n\" \"$1\" \"$2\" > \"$3\"' sh %1 %2 '" +
                out + "'</CMD>\r\n   </比較ﾂｰﾙ>\r\n</運用>\r\n")
                   .toUtf8());
    fmCmpr& w = Compared();
    vSpr& g = *w.Spr;
    g.setFocus();
    g.setCurrentIndex(g.model()->index(0, 0)); // B.cpp, on both sides
    QTest::keyClick(&g, Qt::Key_Return);
    for (int i = 0; i < 100 && !QFile::exists(out); ++i)
        QTest::qWait(20);
    QTest::qWait(50);
    EXPECT_EQ(ReadUtf8(out), dir.path("one/B.cpp") + "\n" + dir.path("two/B.cpp") + "\n");

    g.setCurrentIndex(g.model()->index(5, 0)); // only2.md: opens the file there is
    QTest::keyClick(&g, Qt::Key_Enter);
    EXPECT_EQ(ds.dlg.shell, QStringList({"open " + dir.path("two/only2.md")}));

    QStringList items;
    QTimer::singleShot(100, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction* a : menu->actions())
            items << a->text() + (a->isEnabled() ? "" : " -");
        menu->actions()[2]->trigger(); // Folder 1's folder
        menu->close();
    });
    g.setCurrentIndex(g.model()->index(3, 0)); // sub/big.bin, only in Folder 1
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(5, 5), g.viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(g.viewport(), &key);
    EXPECT_EQ(items, QStringList({"ﾌｫﾙﾀﾞ1のﾌｧｲﾙを開く(&1)", "ﾌｫﾙﾀﾞ2のﾌｧｲﾙを開く(&2) -",
                                  "ﾌｫﾙﾀﾞ1のﾌｧｲﾙがあるﾌｫﾙﾀﾞを開く(&3)", "ﾌｫﾙﾀﾞ2のﾌｧｲﾙがあるﾌｫﾙﾀﾞを開く(&4) -",
                                  "2つのﾊﾟｽをｺﾋﾟｰ(&P)", "比較ﾂｰﾙで比較 (sh)(&T) -", "", "ﾌｫﾙﾀﾞ2へｺﾋﾟｰ...",
                                  "ﾌｫﾙﾀﾞ1へｺﾋﾟｰ...", "ﾌｫﾙﾀﾞ1のﾌｧｲﾙをごみ箱へ...", "ﾌｫﾙﾀﾞ2のﾌｧｲﾙをごみ箱へ..."}));
    EXPECT_EQ(ds.dlg.shell.value(1), "open " + dir.path("one/sub"));
    w.Actions().CopyPaths(4); // sub/c.h
    EXPECT_EQ(QGuiApplication::clipboard()->text(), dir.path("one/sub/c.h") + "\n" + dir.path("two/sub/c.h") + "\n");
}

TEST(CompareCommand, QuotesAndPlaceholdersAsAShellSplitsThem)
{
    EXPECT_EQ(CompareCommand(R"(meld "%1" '%2' --label=a\ b)", "/p 1", "/q'2"),
              QStringList({"meld", "/p 1", "/q'2", "--label=a b"}));
    EXPECT_EQ(CompareCommand("diff%1%2 %3", "a", "b"), QStringList({"diffab", "%3"}));
    EXPECT_TRUE(CompareCommand("   ", "a", "b").isEmpty());
}

namespace {
// PATH set to the given folders for the life of the object.
class PathScope {
public:
    explicit PathScope(const QString& dirs) : m_old(qgetenv("PATH")) { qputenv("PATH", dirs.toLocal8Bit()); }
    ~PathScope() { qputenv("PATH", m_old); }

private:
    QByteArray m_old;
};

// A fake program: an executable shell script.
QString FakeProgram(TestDir& dir, const QString& rel, const QByteArray& body = "exit 0\n")
{
    const QString p = dir.createFile(rel, "#!/bin/sh\n" + body);
    QFile::setPermissions(p, QFile::permissions(p) | QFile::ExeOwner);
    return p;
}
} // namespace

TEST(CompareTool, WithoutACommandTheFirstUsualProgramOnPathIsUsed)
{
    TestDir dir;
    FakeProgram(dir, "a/tkdiff");
    FakeProgram(dir, "b/kdiff3");
    dir.createFile("a/meld", "not executable");
    dir.createDir("b/kompare");
    const QStringList ab = {dir.path("a"), dir.path("b")};
    const struct {
        QString cmd;
        QStringList dirs;
        QString line, name;
    } cases[] = {
        {"", ab, "kdiff3 %1 %2", "kdiff3"}, // the table's order, not PATH's; no plain file or folder
        {"", {dir.path("a")}, "tkdiff %1 %2", "tkdiff"},
        {" ", {dir.path("nothing")}, "", ""},
        {"", {}, "", ""},
        {"'/opt/my diff' -x %1 %2", {}, "'/opt/my diff' -x %1 %2", "my diff"}, // set: itself
    };
    for (const auto& c : cases) {
        const CompareTool t = ToolFor(c.cmd, c.dirs);
        EXPECT_EQ(t.cmdLine, c.line) << c.cmd.toStdString();
        EXPECT_EQ(t.name, c.name) << c.cmd.toStdString();
        EXPECT_EQ(t.automatic, c.cmd.trimmed().isEmpty() && t.Usable());
    }
}

TEST(CompareTool, ACommandIsCheckedBeforeItIsKept)
{
    TestDir dir;
    const QString tool = FakeProgram(dir, "bin/my diff");
    const struct {
        QString cmd;
        const char* why; // a part of the message; empty: accepted
    } cases[] = {
        {"", ""},
        {"'my diff' %1 %2", ""},
        {R"(my\ diff --L="a b" '%2' "%1")", ""},
        {"\"" + tool + "\" %1 %2", ""},
        {"'my diff %1 %2", "閉じていない引用符"},
        {"'my diff' %1", "%1 と %2"},
        {"%1 %2", "%1 と %2"},
        {"meld %1 %2", "見つかりません: meld"},
        {dir.path("bin") + " %1 %2", "見つかりません"},
    };
    for (const auto& c : cases) {
        const QString why = CheckCompareCommand(c.cmd, {dir.path("bin")});
        if (*c.why)
            EXPECT_TRUE(why.contains(QString::fromUtf8(c.why))) << c.cmd.toStdString() << ": " << why.toStdString();
        else
            EXPECT_EQ(why, "") << c.cmd.toStdString();
    }
}

TEST_F(List, CompareToolDialogNamesTheAutomaticChoiceAndChecksAtOk)
{
    PathScope path(dir.createDir("bin"));
    FakeProgram(dir, "bin/kompare");
    CompareToolDialog d("");
    QStringList texts;
    for (QLabel* l : d.findChildren<QLabel*>())
        texts << l->text();
    EXPECT_TRUE(texts.join("\n").contains("自動で使うﾂｰﾙ: kompare (" + dir.path("bin/kompare") + ")"))
        << texts.join("\n").toStdString();
    d.Edit()->setText("kompare %1");
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Rejected);
    ASSERT_EQ(ds.dlg.messages.size(), 1);
    d.Edit()->setText(" kompare %1 %2 ");
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.Command(), "kompare %1 %2");
}

// No command set: the row menu (Shift+F10) names the tool found on PATH and
// runs it, or says what is missing; the menu's dialog sets a command, kept
// in User.xml only once set.
TEST_F(List, TheCompareToolFoundOnPathIsNamedAndRunOrMissingIsSaid)
{
    PathScope path(dir.createDir("bin"));
    fmCmpr& w = Compared();
    vSpr& g = *w.Spr;
    g.setCurrentIndex(g.model()->index(0, 0)); // B.cpp, on both sides
    const auto chooseCompare = [&] {
        QString text;
        QTimer::singleShot(100, [&] {
            auto* menu = g.findChild<QMenu*>(); // the row menu, open
            if (!menu)
                return;
            QAction* a = menu->actions()[5];
            text = a->text() + (a->isEnabled() ? "" : " -");
            a->trigger();
            menu->close();
        });
        QTest::keyClick(&g, Qt::Key_F10, Qt::ShiftModifier);
        return text;
    };
    const int before = ds.dlg.messages.size();
    EXPECT_EQ(chooseCompare(), "比較ﾂｰﾙで比較(&T)");
    ASSERT_EQ(ds.dlg.messages.size(), before + 1);
    EXPECT_TRUE(ds.dlg.messages.last().contains("meld, kdiff3, kompare, diffuse, kdiff, tkdiff, xxdiff"));
    EXPECT_TRUE(ds.dlg.messages.last().contains("比較ﾂｰﾙの設定..."));

    const QString out = dir.path("args.txt");
    FakeProgram(dir, "bin/diffuse", "printf '%s\\n' \"$1\" \"$2\" > '" + out.toUtf8() + "'\n");
    const auto ran = [&] {
        for (int i = 0; i < 100 && !QFile::exists(out); ++i)
            QTest::qWait(20);
        QTest::qWait(50);
        const QString args = ReadUtf8(out);
        QFile::remove(out);
        return args;
    };
    const QString both = dir.path("one/B.cpp") + "\n" + dir.path("two/B.cpp") + "\n";
    EXPECT_EQ(chooseCompare(), "比較ﾂｰﾙで比較 (diffuse)(&T)");
    EXPECT_EQ(ran(), both);
    QTest::keyClick(&g, Qt::Key_Return);
    EXPECT_EQ(ran(), both);
    Close();
    EXPECT_FALSE(ReadUtf8(Xml()).contains("比較ﾂｰﾙ")); // automatic: the file as it was

    fmCmpr& again = Open();
    EXPECT_EQ(again.mnTool->text(), "比較ﾂｰﾙの設定...");
    ds.dlg.toolAnswers.push_back("xxdiff %2 %1");
    again.mnTool->trigger();
    EXPECT_EQ(again.Actions().Command(), "xxdiff %2 %1");
    Close();
    EXPECT_TRUE(ReadUtf8(Xml()).contains("<CMD>xxdiff %2 %1</CMD>"));
    fmCmpr& third = Open();
    third.mnTool->trigger(); // cancelled: the command stays
    EXPECT_EQ(ds.dlg.toolsShown.last(), "xxdiff %2 %1");
    ds.dlg.toolAnswers.push_back("");
    third.mnTool->trigger(); // back to the automatic choice
    EXPECT_EQ(third.Actions().CompareCaption(), "比較ﾂｰﾙで比較 (diffuse)(&T)");
    Close();
    EXPECT_FALSE(ReadUtf8(Xml()).contains("xxdiff"));
}

TEST_F(List, CtrlACtrlCCopyTheSelectedRowsAsTheListCopyDoes)
{
    fmCmpr& w = Compared();
    vSpr& g = *w.Spr;
    g.setFocus();
    QTest::keyClick(&g, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&g, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), g.Model().ClipboardText());
    g.clearSelection();
    g.selectionModel()->select(g.model()->index(1, 2), QItemSelectionModel::Select);
    g.selectionModel()->select(g.model()->index(4, 6), QItemSelectionModel::Select);
    QTest::keyClick(&g, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "\ta\ttxt\t1=2\t2\t21/04/05 06:07\t2\t21/04/05 06:07\n"
              "sub\tc\th\t2>1\t1\t21/04/05 06:07\t4\t21/04/05 06:17\n");
}

TEST_F(List, SavingTheListAsCsvOrTsvInTheOrderShown)
{
    fmCmpr& w = Compared();
    ClickHeader(*w.Spr, 1, {});
    ClickHeader(*w.Spr, 1, {}); // names descending
    ASSERT_TRUE(w.mnSave->isEnabled());
    ds.dlg.saveAnswers = {dir.path("list.csv")};
    w.mnSave->trigger();
    const QByteArray csv = ReadBytes(dir.path("list.csv"));
    EXPECT_TRUE(csv.startsWith("\xef\xbb\xbf" + QString("ﾊﾟｽ,ﾌｧｲﾙ名,拡張子,比較,ﾌｫﾙﾀﾞ1 ｻｲｽﾞ").toUtf8()))
        << csv.left(60).constData();
    const QList<QByteArray> lines = csv.split('\n');
    ASSERT_EQ(lines.size(), 8); // header, six rows, the end
    EXPECT_TRUE(lines[1].startsWith(",zero,,1-*,,")) << lines[1].constData();
    EXPECT_TRUE(lines[6].startsWith(",a,txt,1=2,2,")) << lines[6].constData();
    EXPECT_TRUE(lines[1].endsWith('\r'));
    EXPECT_TRUE(csv.contains("sub,big,bin,1-*,\"127,015,960\","));

    ds.dlg.saveAnswers = {dir.path("list.tsv")};
    w.mnSave->trigger();
    const QByteArray tsv = ReadBytes(dir.path("list.tsv"));
    EXPECT_FALSE(tsv.startsWith("\xef\xbb\xbf"));
    EXPECT_TRUE(tsv.contains("\nsub\tbig\tbin\t1-*\t127,015,960\t"));

    ds.dlg.saveAnswers = {dir.path("no/such/list.csv")};
    w.mnSave->trigger();
    ASSERT_EQ(ds.dlg.messages.size(), 1);
    EXPECT_TRUE(ds.dlg.messages[0].startsWith("比較ﾘｽﾄを保存できませんでした"));
    ds.dlg.saveAnswers.clear(); // cancelled: nothing happens
    w.mnSave->trigger();
    EXPECT_EQ(ds.dlg.messages.size(), 1);
}

TEST_F(List, AHiddenColumnComesBackHiddenAndSizesShowWhole)
{
    fmCmpr& w = Compared();
    const int need = w.Spr->fontMetrics().horizontalAdvance("127,015,960");
    EXPECT_GE(w.Spr->columnWidth(4), need); // widened for the largest size
    w.Spr->SetColWidth(ColExt, 0);
    EXPECT_TRUE(w.Spr->isColumnHidden(ColExt));
    Close();
    EXPECT_TRUE(ReadUtf8(Xml()).contains("<CLS_WD>29.75,19.5,0,"));
    fmCmpr& again = Open();
    EXPECT_TRUE(again.Spr->isColumnHidden(2));
    EXPECT_EQ(again.Spr->ColWidth(ColExt), 0);
    EXPECT_FALSE(again.Spr->isColumnHidden(3));
}

TEST_F(List, ShortcutsRunCopyAndSwitchModesWithTheCaptionsUnchanged)
{
    dir.createFile("one/a.txt", "1", T);
    dir.createFile("two/a.txt", "1", T.addSecs(600));
    dir.createFile("two/b.txt", "1", T);
    fmCmpr& w = Open();
    w.uTrD1->SetRoot(dir.path("one"));
    w.uTrD2->SetRoot(dir.path("two"));
    EXPECT_EQ(w.mnCmpr[0]->text(), "ﾌｫﾙﾀﾞ1とﾌｫﾙﾀﾞ2のﾌｧｲﾙを比較する");
    EXPECT_EQ(w.mnDisp[2]->text(), "同一ﾌｧｲﾙ名で属性が異なる分だけ表示");
    QApplication::setActiveWindow(&w);
    w.Spr->setFocus();
    QTest::keyClick(w.Spr, Qt::Key_F5);
    EXPECT_EQ(w.Spr->Model().rowCount(), 2);
    QApplication::setActiveWindow(&w); // as the desktop does when the wait window goes
    QTest::keyClick(w.Spr, Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(w.nDisp(), DispMode::Changed);
    EXPECT_EQ(w.Spr->Model().rowCount(), 1);
    QApplication::setActiveWindow(&w);
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(w.Spr, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith("\ta\ttxt\t2>1"));
    QTest::keyClick(w.Spr, Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(w.Spr->Model().rowCount(), 2);
}

// The comparison settings: chosen from the menu, shown by the display modes
// that show differences, kept in a section of their own only once chosen.
TEST_F(List, ComparisonSettingsFromTheMenuAreKeptInTheirOwnSection)
{
    dir.createFile("one/a.txt", "abc", T);
    dir.createFile("two/a.txt", "abcd", T); // same time, other size
    dir.createFile("one/b.txt", "x", T.addSecs(51));
    dir.createFile("two/b.txt", "x", T.addSecs(53)); // a FAT copy, in the next minute
    fmCmpr& w = Open();
    w.uTrD1->SetRoot(dir.path("one"));
    w.uTrD2->SetRoot(dir.path("two"));
    EXPECT_TRUE(w.Settings().CriterionAction(CmprRule::Criterion(0))->isChecked());
    EXPECT_TRUE(w.Settings().ToleranceAction(CmprRule::Tolerance(0))->isChecked());
    w.mnCmpr[0]->trigger();
    EXPECT_EQ(w.Spr->Model().CellText(0, 3), "1=2");
    EXPECT_EQ(w.Spr->Model().CellText(1, 3), "2>1");
    Close();
    EXPECT_FALSE(ReadUtf8(Xml()).contains("比較設定")); // nothing chosen: nothing written

    fmCmpr& w2 = Open();
    w2.uTrD1->SetRoot(dir.path("one"));
    w2.uTrD2->SetRoot(dir.path("two"));
    w2.Settings().CriterionAction(CmprRule::Criterion(2))->trigger();
    w2.Settings().ToleranceAction(CmprRule::Tolerance(1))->trigger();
    EXPECT_TRUE(w2.Settings().CriterionAction(CmprRule::Criterion(2))->isChecked());
    EXPECT_FALSE(w2.Settings().CriterionAction(CmprRule::Criterion(0))->isChecked());
    w2.mnCmpr[0]->trigger();
    EXPECT_EQ(w2.Spr->Model().CellText(0, 3), "1≠2");
    EXPECT_EQ(w2.Spr->Model().CellText(1, 3), "1=2");
    w2.mnDisp[2]->trigger();
    ASSERT_EQ(w2.Spr->Model().rowCount(), 1);
    EXPECT_EQ(w2.Spr->Model().CellText(0, 1), "a");
    EXPECT_TRUE(w2.StatusLine()->text().contains("1≠2 1"));
    Close();
    const QString xml = ReadUtf8(Xml());
    EXPECT_TRUE(xml.contains("<比較設定>\r\n      <CRITERION>2</CRITERION>\r\n      <TOLERANCE>1</TOLERANCE>"))
        << xml.toStdString();
    EXPECT_TRUE(xml.contains("<画面>"));
    fmCmpr& w3 = Open();
    EXPECT_TRUE(w3.Settings().CriterionAction(CmprRule::Criterion(2))->isChecked());
    EXPECT_TRUE(w3.Settings().ToleranceAction(CmprRule::Tolerance(1))->isChecked());
}

// The filter dialog from the menu: what it sets leaves folders and files
// out of the next comparison, the status line says so, and the lists are
// kept in a section of their own only once set; a pattern that cannot be
// used runs no comparison.
TEST_F(List, FiltersFromTheDialogAreKeptAndShown)
{
    Compared();
    Close();
    EXPECT_FALSE(ReadUtf8(Xml()).contains("比較ﾌｨﾙﾀ")); // never set: the file as it was
    fmCmpr& w = Open();
    EXPECT_EQ(w.Settings().FilterAction()->text(), "比較から除くﾌｧｲﾙとﾌｫﾙﾀﾞ...");
    ds.dlg.filterAnswers.push_back({"sub/ *.md", "*.txt *.cpp *.bin *.md"});
    w.Settings().FilterAction()->trigger();
    w.uTrD1->SetRoot(dir.path("one"));
    w.uTrD2->SetRoot(dir.path("two"));
    w.mnCmpr[0]->trigger();
    EXPECT_EQ(Names(w.Spr->Model()), QStringList({"B", "a"}));
    EXPECT_TRUE(w.StatusLine()->text().startsWith("※ ﾌｨﾙﾀで絞った比較結果です"));
    EXPECT_TRUE(w.StatusLine()->text().contains("除外: sub/ *.md　対象: *.txt *.cpp *.bin *.md"))
        << w.StatusLine()->text().toStdString();
    Close();
    EXPECT_TRUE(ReadUtf8(Xml()).contains("<EXCLUDE>sub/ *.md</EXCLUDE>"));
    fmCmpr& again = Open();
    again.Settings().FilterAction()->trigger(); // cancelled: the lists stay
    EXPECT_EQ(ds.dlg.filtersShown.last(), "sub/ *.md|*.txt *.cpp *.bin *.md");
    Close();
    WriteBytes(Xml(), ReadBytes(Xml()).replace("sub/ *.md", "a[b"));
    fmCmpr& bad = Open();
    bad.uTrD1->SetRoot(dir.path("one"));
    bad.uTrD2->SetRoot(dir.path("two"));
    const int before = ds.dlg.messages.size();
    bad.mnCmpr[0]->trigger();
    ASSERT_EQ(ds.dlg.messages.size(), before + 1);
    EXPECT_TRUE(ds.dlg.messages.last().contains("a[b")) << ds.dlg.messages.last().toStdString();
    EXPECT_FALSE(bad.Spr->Model().Filled());
    Close();
}

// OK in the filter dialog compares again, so the list is what the dialog
// says; a rule chosen since is named as not the shown one until the next
// comparison, which the status line then names.
TEST_F(List, TheShownResultFollowsTheFiltersAndNamesItsRule)
{
    fmCmpr& w = Compared();
    ds.dlg.filterAnswers.push_back({"sub/", ""});
    w.Settings().FilterAction()->trigger();
    EXPECT_EQ(Names(w.Spr->Model()), QStringList({"B", "a", "zero", "only2"}));
    EXPECT_TRUE(w.StatusLine()->text().startsWith("※ ﾌｨﾙﾀで絞った比較結果です"))
        << w.StatusLine()->text().toStdString();
    w.Settings().ToleranceAction(CmprRule::Tolerance(1))->trigger();
    EXPECT_TRUE(w.StatusLine()->text().contains("※ 今の比較の方法とは違う方法で比較した結果です"));
    w.Settings().CriterionAction(CmprRule::Criterion(1))->trigger();
    w.mnCmpr[0]->trigger();
    EXPECT_FALSE(w.StatusLine()->text().contains("違う方法"));
    EXPECT_TRUE(w.StatusLine()->text().contains("方法: 更新日時とｻｲｽﾞ、許容差 2秒"))
        << w.StatusLine()->text().toStdString();
    w.Settings().CriterionAction(CmprRule::Criterion(0))->trigger();
    w.Settings().ToleranceAction(CmprRule::Tolerance(0))->trigger();
    Close();
}

// The dialog itself: the preset fills the exclusion list, and OK refuses
// a pattern whose "[" nothing closes.
TEST(FilterDialogTest, PresetAndCheckedPatterns)
{
    DialogsScope ds;
    FilterDialog d("x", "");
    d.findChild<QPushButton*>(QString(), Qt::FindDirectChildrenOnly)->click();
    EXPECT_EQ(d.Exclude(), FilterDialog::Preset());
    EXPECT_TRUE(FilterDialog::Preset().contains(".git/") && FilterDialog::Preset().contains("node_modules/"));
    d.findChildren<QLineEdit*>()[1]->setText("*.c [a");
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Rejected);
    ASSERT_EQ(ds.dlg.messages.size(), 1);
    d.findChildren<QLineEdit*>()[1]->setText("*.c");
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

// A whole-folder plan from the menu: the preview lists each action under
// its kind, one is left out, the rest is done, the replaced file is in the
// trash, and the grid and the status line show the folders as they are now.
// The chosen rows' action goes the same way.
TEST_F(List, PlansAndRowActionsAreShownFirstAndDoneSafely)
{
    const QByteArray was = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dir.createDir("share").toUtf8());
    fmCmpr& w = Compared();
    EXPECT_EQ(w.Sync().PlanAction(PlanKind(0))->text(), "ﾌｫﾙﾀﾞ2を更新する...");
    ds.dlg.planAnswers.push_back({"ﾌｫﾙﾀﾞ2: sub/big.bin"});
    w.Sync().PlanAction(PlanKind(0))->trigger();
    ASSERT_EQ(ds.dlg.plans.size(), 1);
    EXPECT_TRUE(ds.dlg.plans[0].startsWith("ﾌｫﾙﾀﾞ2を更新する|ﾌｫﾙﾀﾞ2 に書く量 ")) << ds.dlg.plans[0].toStdString();
    QStringList listed;
    for (const PlanLine& l : ds.dlg.planLines)
        listed << l.group + " " + l.path;
    EXPECT_EQ(listed, QStringList({"置き換え(古いﾌｧｲﾙはごみ箱へ) ﾌｫﾙﾀﾞ2: B.cpp", "ｺﾋﾟｰ ﾌｫﾙﾀﾞ2: zero",
                                   "ｺﾋﾟｰ ﾌｫﾙﾀﾞ2: sub/big.bin"}));
    EXPECT_EQ(ReadBytes(dir.path("two/B.cpp")), "bbb");
    EXPECT_EQ(ReadBytes(dir.path("share/Trash/files/B.cpp")), "b");
    EXPECT_FALSE(QFileInfo::exists(dir.path("two/sub/big.bin")));
    EXPECT_EQ(Names(w.Spr->Model()), QStringList({"B", "a", "zero", "big", "c", "only2"}));
    EXPECT_EQ(w.Spr->Model().CellText(0, 3), "1=2");
    EXPECT_TRUE(w.StatusLine()->text().startsWith("※ ﾌｫﾙﾀﾞ2を更新する: 2 件を行いました"))
        << w.StatusLine()->text().toStdString();

    w.Spr->selectRow(5); // only2.md, only in Folder 2
    ds.dlg.planAnswers.push_back({});
    w.Sync().RowAction(RowAct(3))->trigger(); // Folder 2's file to the trash
    EXPECT_EQ(ds.dlg.planLines.size(), 1u);
    EXPECT_EQ(ReadBytes(dir.path("share/Trash/files/only2.md")), "m");
    EXPECT_EQ(Names(w.Spr->Model()), QStringList({"B", "a", "zero", "big", "c"}));
    w.Sync().PlanAction(PlanKind(4))->trigger(); // the preview cancelled: nothing done
    EXPECT_EQ(Names(w.Spr->Model()), QStringList({"B", "a", "zero", "big", "c"}));
    Close();
    qputenv("XDG_DATA_HOME", was);
}

// Moves from the menu: a moved file is one row naming both places, counted
// in the status line, not among the changed files; the option is kept with
// the rule.
TEST_F(List, MovesFromTheMenuShowBothPlacesInOneRow)
{
    dir.createFile("one/a/x.jpg", "photo", T);
    dir.createFile("two/b/y.jpg", "photo", T);
    dir.createFile("one/a/z.png", "image", T);
    dir.createFile("two/c/z.png", "image", T);
    fmCmpr& w = Open();
    w.uTrD1->SetRoot(dir.path("one"));
    w.uTrD2->SetRoot(dir.path("two"));
    EXPECT_EQ(w.Settings().MovesAction()->text(), "移動･名前の変更を見つける");
    EXPECT_FALSE(w.Settings().MovesAction()->isChecked());
    w.Settings().MovesAction()->trigger();
    w.mnCmpr[0]->trigger();
    const ResultModel& m = w.Spr->Model();
    ASSERT_EQ(m.rowCount(), 2);
    EXPECT_EQ(QStringList({m.CellText(0, ColPh), m.CellText(0, ColName), m.CellText(0, ColCode)}),
              QStringList({"a → b", "x.jpg → y.jpg", "1↔2"}));
    EXPECT_EQ(QStringList({m.CellText(1, ColPh), m.CellText(1, ColName)}), QStringList({"a → c", "z"}));
    EXPECT_EQ(m.data(m.index(1, ColName), Qt::ToolTipRole).toString(), "ﾌｫﾙﾀﾞ1: a/z.png\nﾌｫﾙﾀﾞ2: c/z.png");
    EXPECT_TRUE(w.StatusLine()->text().contains("1↔2 2")) << w.StatusLine()->text().toStdString();
    EXPECT_TRUE(w.StatusLine()->text().contains("方法: 更新日時(分まで)、移動を探す"));
    EXPECT_TRUE(m.ClipboardText().startsWith("a\tx\tjpg\t1↔2\t5\t21/04/05 06:07\t5\t21/04/05 06:07\tb/y.jpg\n"))
        << m.ClipboardText().toStdString();
    w.mnDisp[2]->trigger();
    EXPECT_EQ(m.rowCount(), 0);
    Close();
    EXPECT_TRUE(ReadUtf8(Xml()).contains("<MOVES>1</MOVES>"));
    EXPECT_TRUE(Open().Settings().MovesAction()->isChecked());
}
