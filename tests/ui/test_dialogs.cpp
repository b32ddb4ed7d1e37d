#include "ui/QtDialogs.h"

#include "support/Printers.h"
#include "support/TestDir.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>
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
