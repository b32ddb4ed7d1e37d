#include "ui/QtDialogs.h"
#include "ui/QtLang.h"
#include "ui/ScreenFit.h"

#include "support/Printers.h"
#include "support/TestDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>
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
