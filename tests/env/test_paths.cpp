#include "env/PathRules.h"
#include "env/yIni.h"

#include "support/Printers.h"

#include <gtest/gtest.h>

namespace {
const PathStyle W = PathStyle::Windows;
const PathStyle P = PathStyle::Posix;
} // namespace

TEST(PathRules, DriveRootsAndOpening)
{
    EXPECT_TRUE(IsDriveRoot("C:", W));
    EXPECT_FALSE(IsDriveRoot("C:\\Data", W));
    EXPECT_EQ(OpenPath("C:", W), "C:\\");
    EXPECT_EQ(OpenPath("D:\\Work", W), "D:\\Work");
    EXPECT_TRUE(IsDriveRoot("/", P));
    EXPECT_FALSE(IsDriveRoot("/home", P));
    EXPECT_EQ(OpenPath("/", P), "/");
}

TEST(PathRules, TrailingSeparatorAndJoin)
{
    EXPECT_EQ(StripTrailingSep("C:\\", W), "C:");
    EXPECT_EQ(StripTrailingSep("D:\\Work\\", W), "D:\\Work");
    EXPECT_EQ(StripTrailingSep("/", P), "/");
    EXPECT_EQ(StripTrailingSep("/home/", P), "/home");
    EXPECT_EQ(JoinPath("C:", "Windows", W), "C:\\Windows");
    EXPECT_EQ(JoinPath("/", "home", P), "/home");
    EXPECT_EQ(JoinPath("/home", "x", P), "/home/x");
}

TEST(PathRules, AbsolutePathKeepsDotDotAndDropsDots)
{
    EXPECT_EQ(AbsolutePath("rel//./c", "/home/u", P), "/home/u/rel/c");
    EXPECT_EQ(AbsolutePath("../x/", "/home/u", P), "/home/u/../x"); // a link is never resolved
    EXPECT_EQ(AbsolutePath("/a/./b", "/ignored", P), "/a/b");
    EXPECT_EQ(AbsolutePath(".", "/", P), "/");
    EXPECT_EQ(AbsolutePath("x", "C:\\Data", W), "C:\\Data\\x");
}

TEST(PathRules, RelativeFolderStripsTheComparedFolder)
{
    struct Case {
        PathStyle st;
        const char *file, *name, *folder, *rel;
    } cases[] = {
        {W, "D:\\Work\\a\\b\\c.txt", "c.txt", "D:\\Work", "a\\b"},
        {W, "D:\\Work\\c.txt", "c.txt", "D:\\Work", ""},
        {W, "D:\\x\\y.txt", "y.txt", "D:", "x"},
        {W, "d:\\WORK\\a\\c.txt", "c.txt", "D:\\Work", "a"},
        {P, "/home/u/a/b/c.txt", "c.txt", "/home/u", "a/b"},
        {P, "/home/u/c.txt", "c.txt", "/home/u", ""},
        {P, "/x/y.txt", "y.txt", "/", "x"},
        {P, "/y.txt", "y.txt", "/", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RelFolder(c.file, c.name, c.folder, c.st), QString(c.rel)) << c.file;
    // a compared folder itself, as the walk meets it
    EXPECT_EQ(RelPath("C:\\", "C:", W), "");
    EXPECT_EQ(RelPath("/", "/", P), "");
    EXPECT_EQ(RelPath("/home/u/a", "/home/u/", P), "a");
}

TEST(PathRules, FolderChainSkipsTheDrivePart)
{
    EXPECT_EQ(IniText::FolderChain("D:\\A\\B\\C", '\\'), QStringList({"D:\\A", "D:\\A\\B", "D:\\A\\B\\C"}));
    EXPECT_EQ(IniText::FolderChain("/a/b/", '/'), QStringList({"/a", "/a/b"}));
}
