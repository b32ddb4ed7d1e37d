#include "compare/window/PlanDialog.h"
#include "ui/QtDialogs.h"
#include "ui/QtLang.h"
#include "ui/ScreenFit.h"

#include "support/Printers.h"
#include "support/RecordingDialogs.h"
#include "support/TestDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>

namespace {
// Runs the real browse dialog and lets `user` act on it once it is up,
// then presses OK.
QString Browse(const QString& initial, const std::function<void(QFileDialog&)>& user, QString* shownDir = nullptr)
{
    QTimer::singleShot(200, [&] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        if (shownDir)
            *shownDir = d->directory().absolutePath();
        user(*d);
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
    return QtDialogs().BrowseFolder("ﾌｫﾙﾀﾞの指定", initial);
}
} // namespace

TEST(BrowseDialog, WithoutAStartFolderOKGivesOnlyWhatTheUserChose)
{
    TestDir dir;
    dir.createDir("start/sub");
    QString shown;
    const auto nothing = [](QFileDialog&) {};
    EXPECT_EQ(Browse("", nothing, &shown), "");
    EXPECT_EQ(shown, QDir::rootPath()); // not the working folder

    EXPECT_EQ(Browse(dir.path("start"), nothing), dir.path("start"));
    EXPECT_EQ(Browse("", [&](QFileDialog& d) { d.setDirectory(dir.path("start")); }), dir.path("start"));
}

// The list message's copy button puts the whole list on the clipboard,
// stray bytes shown as \xHH, and leaves the box open until OK.
TEST(ListMessage, CopyPutsTheWholeListOnTheClipboardAndKeepsTheBoxOpen)
{
    QGuiApplication::clipboard()->clear();
    bool openAfterCopy = false, plain = false;
    QString text;
    QTimer::singleShot(200, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        text = box->text();
        plain = box->icon() == QMessageBox::NoIcon && box->windowTitle() == "FldCmpr";
        for (QAbstractButton* b : box->buttons())
            if (b->text() == "ｺﾋﾟｰ")
                b->click();
        QApplication::processEvents();
        openAfterCopy = box->isVisible();
        box->button(QMessageBox::Ok)->click();
    });
    const QString odd = QString("/a/b") + QChar(0xDCFF); // ends in the byte 0xFF
    QtDialogs().MsgList("2 件", "/a/x\tPermission denied\n" + odd + "\tPermission denied\n");
    EXPECT_EQ(text, "2 件");
    EXPECT_TRUE(openAfterCopy);
    EXPECT_TRUE(plain);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "/a/x\tPermission denied\n/a/b\\xFF\tPermission denied\n");
}

TEST(MessageBox, PlainWithTheTitleTheTextAndOK)
{
    QString seen;
    QTimer::singleShot(200, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = QString("%1|%2|%3|%4")
                   .arg(box->windowTitle(), box->text())
                   .arg(box->icon() == QMessageBox::NoIcon)
                   .arg(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    QtDialogs().MsgBox("比較できませんでした\rﾌｫﾙﾀﾞ");
    EXPECT_EQ(seen, "FldCmpr|比較できませんでした\nﾌｫﾙﾀﾞ|1|1");
}

namespace {
const QString kOlder = "※新しいﾌｧｲﾙを古いﾌｧｲﾙで置き換えます(新しいﾌｧｲﾙはごみ箱へ)";
const QString kReplace = "置き換え(古いﾌｧｲﾙはごみ箱へ)";
const QString kConflict = "日時が同じで内容が違う(行わない)";
const QString kTrashKeeps = "（置き換えたﾌｧｲﾙはごみ箱に残るため空きは増えません）";

// A line on `side`; `does` holds w (writes), r (replaces), o (older over
// newer), s (shown only).
PlanLine Line(int side, const QString& group, const QString& name, qint64 bytes, const QString& does)
{
    const auto has = [&](char c) { return does.contains(QLatin1Char(c)); };
    return {group,   QString("ﾌｫﾙﾀﾞ%1: ").arg(side) + name, bytes, !has('s'), side, has('w'), has('r'), has('o'),
            has('s')};
}

// Copies to both sides, a replace, an older file over a newer one and a
// conflict; Folder 2 takes in 2,000 bytes, Folder 1 50.
std::vector<PlanLine> Plan()
{
    return {Line(2, "ｺﾋﾟｰ", "a.txt", 1000, "w"),   Line(2, "ｺﾋﾟｰ", "b.txt", 500, "w"),
            Line(2, kReplace, "c.txt", 300, "wr"), Line(2, kOlder, "d.txt", 200, "wro"),
            Line(1, kConflict, "e.txt", 7, "s"),   Line(1, "ｺﾋﾟｰ", "f.txt", 50, "w")};
}

QTreeWidgetItem* Item(QTreeWidget* tree, const QString& startsWith)
{
    return tree->findItems(startsWith, Qt::MatchStartsWith | Qt::MatchRecursive).value(0);
}
} // namespace

// The headings and the space line follow the boxes, a line or a whole
// group at a time. Older files over newer ones come first, marked; the
// conflict comes last and cannot be ticked.
TEST(PlanPreview, TotalsAndTheSpaceLineFollowTheTicks)
{
    DialogsScope ds;
    PlanDialog d("ﾌｫﾙﾀﾞ2を更新する", PlanNote{"比較から除いたもの: .git/", {-1, -1, 1500}}, Plan());
    QTreeWidget* tree = d.Tree();
    QStringList headings;
    for (int g = 0; g < tree->topLevelItemCount(); ++g)
        headings << tree->topLevelItem(g)->text(0);
    EXPECT_EQ(headings, QStringList({kOlder + "  1 件  200 ﾊﾞｲﾄ", "ｺﾋﾟｰ  3 件  1,550 ﾊﾞｲﾄ",
                                     kReplace + "  1 件  300 ﾊﾞｲﾄ", kConflict + "  1 件  7 ﾊﾞｲﾄ"}));
    EXPECT_EQ(Item(tree, "ﾌｫﾙﾀﾞ2: d.txt")->foreground(0).color(), QColor(Qt::darkRed));
    QTreeWidgetItem* conflict = Item(tree, "ﾌｫﾙﾀﾞ1: e.txt");
    EXPECT_EQ(conflict->checkState(0), Qt::Unchecked);
    EXPECT_FALSE(conflict->flags() & Qt::ItemIsUserCheckable);
    EXPECT_EQ(d.SpaceLine()->text(),
              "ﾌｫﾙﾀﾞ1 に書く量 50 ﾊﾞｲﾄ / 空き 不明\n"
              "ﾌｫﾙﾀﾞ2 に書く量 2,000 ﾊﾞｲﾄ / 空き 1,500 ﾊﾞｲﾄ  ※ 空きが足りません" +
                  kTrashKeeps);
    const struct {
        QString untick, copies, space; // the copies' heading, the space line's last line
    } steps[] = {
        {"ﾌｫﾙﾀﾞ2: a.txt", "ｺﾋﾟｰ  3 件中 2 件  550 ﾊﾞｲﾄ", "ﾌｫﾙﾀﾞ2 に書く量 1,000 ﾊﾞｲﾄ / 空き 1,500 ﾊﾞｲﾄ" + kTrashKeeps},
        {"ﾌｫﾙﾀﾞ2: c.txt", "ｺﾋﾟｰ  3 件中 2 件  550 ﾊﾞｲﾄ", "ﾌｫﾙﾀﾞ2 に書く量 700 ﾊﾞｲﾄ / 空き 1,500 ﾊﾞｲﾄ" + kTrashKeeps},
        {"ﾌｫﾙﾀﾞ2: d.txt", "ｺﾋﾟｰ  3 件中 2 件  550 ﾊﾞｲﾄ", "ﾌｫﾙﾀﾞ2 に書く量 500 ﾊﾞｲﾄ / 空き 1,500 ﾊﾞｲﾄ"},
        {"ｺﾋﾟｰ", "ｺﾋﾟｰ  3 件中 0 件  0 ﾊﾞｲﾄ", "書き込むﾌｧｲﾙはありません"},
    };
    for (const auto& s : steps) {
        Item(tree, s.untick)->setCheckState(0, Qt::Unchecked);
        QApplication::processEvents(); // the texts follow once the boxes are set
        EXPECT_EQ(Item(tree, "ｺﾋﾟｰ")->text(0), s.copies) << s.untick.toStdString();
        EXPECT_EQ(d.SpaceLine()->text().section('\n', -1), s.space) << s.untick.toStdString();
    }
}

// 実行 with ticked lines that do not fit asks again, saying why; No returns
// to the preview, Yes carries the plan out. Lines that fit ask nothing.
TEST(PlanPreview, RunAsksAgainWhenTheTickedLinesDoNotFit)
{
    const struct {
        qint64 free2;
        bool yes, asked, accepted;
    } cases[] = {{5000, false, false, true}, {1500, false, true, false}, {1500, true, true, true}};
    for (const auto& c : cases) {
        DialogsScope ds;
        ds.dlg.yesNoAnswers.push_back(c.yes);
        PlanDialog d("ﾌｫﾙﾀﾞ2を更新する", PlanNote{QString(), {-1, -1, c.free2}}, Plan());
        d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        EXPECT_EQ(d.result() == QDialog::Accepted, c.accepted) << c.free2 << c.yes;
        EXPECT_EQ(ds.dlg.questions.value(0),
                  c.asked ? "ﾌｫﾙﾀﾞ2 の空きが足りません。\n書く量 2,000 ﾊﾞｲﾄ に対して空きは 1,500 ﾊﾞｲﾄ です。\n"
                            "置き換えたﾌｧｲﾙはごみ箱に残るため、空きは増えません。\n"
                            "途中で空きがなくなると、残りのﾌｧｲﾙは書けません。このまま実行しますか?"
                          : "");
    }
}

// A long path loses folders from its middle until it fits; the side and
// the file name stay whole.
TEST(PlanPreview, LongPathsAreShortenedInTheMiddle)
{
    const QString path = "ﾌｫﾙﾀﾞ2: abc/def/ghi/xyz/name.txt"; // 32 characters
    const struct {
        QString path;
        int room;
        QString shown;
    } cases[] = {
        {path, 32, path},
        {path, 31, "ﾌｫﾙﾀﾞ2: abc/def/…/xyz/name.txt"},
        {path, 29, "ﾌｫﾙﾀﾞ2: abc/…/xyz/name.txt"},
        {path, 22, "ﾌｫﾙﾀﾞ2: abc/…/name.txt"},
        {path, 5, "ﾌｫﾙﾀﾞ2: …/name.txt"},
        {"ﾌｫﾙﾀﾞ1: a-long-name.txt", 5, "ﾌｫﾙﾀﾞ1: a-long-name.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShortPath(c.path, c.room, [](const QString& s) { return int(s.size()); }), c.shown) << c.room;
}

// Restored rectangles land on the screens there are.
TEST(ScreenFit, HugeAndOffScreenRectanglesComeBackOntoAScreen)
{
    const QList<QRect> two = {QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 1024)};
    const struct {
        QRect want, got;
    } cases[] = {
        {QRect(100, 100, 800, 600), QRect(100, 100, 800, 600)},       // fits: unchanged
        {QRect(0, 0, 32767, 32767), QRect(0, 0, 1920, 1040)},         // larger than any screen
        {QRect(2000, 50, 800, 600), QRect(2000, 50, 800, 600)},       // on the second screen
        {QRect(3000, 900, 800, 600), QRect(2400, 424, 800, 600)},     // hangs off the second
        {QRect(-5000, -5000, 400, 300), QRect(0, 0, 400, 300)},       // off every screen
        {QRect(40000, 40000, 32767, 32767), QRect(0, 0, 1920, 1040)}, // both
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitOnScreens(c.want, two), c.got) << c.want.x() << "," << c.want.y();
    EXPECT_EQ(FitOnScreens(QRect(1, 2, 3, 4), {}), QRect(1, 2, 3, 4));
}

// Qt's texts follow the environment's language; where it names none, they
// are Japanese like the program's own.
TEST(QtLang, TheEnvironmentsLanguageOrJapanese)
{
    EXPECT_EQ(QtTextLocale("", "", "").language(), QLocale::Japanese);
    EXPECT_EQ(QtTextLocale("", "", "C.UTF-8").language(), QLocale::Japanese);
    EXPECT_EQ(QtTextLocale("POSIX", "de_DE.UTF-8", "").language(), QLocale::Japanese);
    EXPECT_EQ(QtTextLocale("", "de_DE.UTF-8", "ja_JP.UTF-8").language(), QLocale::German);
    EXPECT_EQ(QtTextLocale("", "", "fr_FR@euro").language(), QLocale::French);
    EXPECT_EQ(QtTextLocale("", "", "ja_JP.eucJP").language(), QLocale::Japanese);

    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
    const QByteArray lang = qgetenv("LANG");
    qputenv("LANG", "C.UTF-8");
    QTranslator* t = LoadQtTranslations();
    qputenv("LANG", lang);
    ASSERT_NE(t, nullptr) << "Qt's Japanese translation (qt6-translations-l10n) is missing";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8("キャンセル"));
    QCoreApplication::removeTranslator(t);
    delete t;
}
