#include "env/NameBytes.h"

#include "support/Printers.h"

#include <gtest/gtest.h>

namespace {
struct Case {
    QByteArray bytes;
    bool valid;
    const char* shown;
};
} // namespace

// Every byte string comes back as the same bytes; only valid UTF-8 decodes
// without escapes, and the shown text spells each stray byte out.
TEST(NameBytes, AnyBytesRoundTripAndShowTheirStrayBytes)
{
    const Case cases[] = {
        {"plain.txt", true, "plain.txt"},
        {"\xe8\xb3\x87\xe6\x96\x99.txt", true, "\xe8\xb3\x87\xe6\x96\x99.txt"}, // 資料 in UTF-8
        {"\xf0\x9f\x98\x80", true, "\xf0\x9f\x98\x80"},                         // above U+FFFF
        {"\x8e\x91\x97\xbf.txt", false, "\\x8E\\x91\\x97\\xBF.txt"},            // 資料 in Shift_JIS
        {"\x95\\", false, "\\x95\\"},                                           // 表 in Shift_JIS: a backslash byte
        {"caf\xe9", false, "caf\\xE9"},                                         // Latin-1
        {"\xc0\xaf", false, "\\xC0\\xAF"},                                      // overlong "/"
        {"\xed\xa0\x80", false, "\\xED\\xA0\\x80"},                             // a surrogate in UTF-8
        {"\xf4\x90\x80\x80", false, "\\xF4\\x90\\x80\\x80"},                    // above U+10FFFF
        {"\xe3\x81", false, "\\xE3\\x81"},                                      // cut short
        {"?*\t\n\\", true, "?*\t\n\\"},
    };
    for (const Case& c : cases) {
        const QString s = DecodeName(c.bytes);
        EXPECT_EQ(EncodeName(s), c.bytes);
        EXPECT_EQ(HasEscapedByte(s), !c.valid) << c.shown;
        EXPECT_EQ(ShownName(s), QString::fromUtf8(c.shown));
        if (c.valid) {
            EXPECT_EQ(s, QString::fromUtf8(c.bytes));
        }
    }
    // two names that differ in one stray byte stay two names
    EXPECT_NE(DecodeName("\x8e\x91"), DecodeName("\x8e\x92"));
    EXPECT_NE(ShownName(DecodeName("\x8e\x91")), ShownName(DecodeName("\x8e\x92")));
}

TEST(NameBytes, CaseRules)
{
    // valid names fold over all of Unicode
    EXPECT_TRUE(SameNameIgnoringCase(QString::fromUtf8("\xc3\x84rger.TXT"), QString::fromUtf8("\xc3\xa4rger.txt")));
    // a stray-byte name matches only itself apart from ASCII case
    EXPECT_TRUE(SameNameIgnoringCase(DecodeName("CAF\xe9.txt"), DecodeName("caf\xe9.TXT")));
    EXPECT_FALSE(SameNameIgnoringCase(DecodeName("caf\xc9"), DecodeName("caf\xe9"))); // É and é in Latin-1
    EXPECT_FALSE(SameNameIgnoringCase(DecodeName("\x8e\x91\x97\xbf"), DecodeName("\x95\xf1\x8d\x90")));
    EXPECT_FALSE(SameNameIgnoringCase(DecodeName("caf\xe9"), QString::fromUtf8("caf\xc3\xa9")));
    // each part of a relative folder keeps its own rule
    EXPECT_EQ(FoldName(QString::fromUtf8("\xc3\x84") + "/" + DecodeName("A\xe9")),
              QString::fromUtf8("\xc3\xa4") + "/" + DecodeName("a\xe9"));
    EXPECT_EQ(FoldName(DecodeName("\xc3\x84\xe9")),
              DecodeName("\xc3\x84\xe9")); // no Unicode folding beside a stray byte
}

TEST(NameBytes, ArgumentsKeepTheirBytes)
{
    char a0[] = "prog", a1[] = "/tmp/\x8e\x91", a2[] = "plain";
    char* argv[] = {a0, a1, a2};
    const QStringList args = DecodeArguments(3, argv);
    ASSERT_EQ(args.size(), 3);
    EXPECT_EQ(EncodeName(args[1]), QByteArray("/tmp/\x8e\x91"));
    EXPECT_EQ(args[2], "plain");
}
