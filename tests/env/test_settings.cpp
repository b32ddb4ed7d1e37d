#include "app/state/Usr.h"
#include "env/CodePage.h"
#include "env/Error.h"
#include "env/NameBytes.h"
#include "env/yIni.h"
#include "support/Files.h"
#include "support/Printers.h"
#include "support/RecordingDialogs.h"
#include "support/TestDir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <array>
#include <atomic>
#include <clocale>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
class Settings : public ::testing::Test {
protected:
    void SetUp() override { CodePage::SetName("UTF-8"); }
    void TearDown() override { CodePage::SetName(""); }
    QString Load(const QByteArray& content)
    {
        WriteBytes(dir.path("User.xml"), content);
        bool ok = false;
        ini.GetTxt(dir.path("User.xml"), ok);
        EXPECT_TRUE(ok);
        return dir.path("User.xml");
    }
    TestDir dir;
    DialogsScope ds;
    yIni ini;
};

const QByteArray kDoc =
    "<?xml version='1.0' encoding='UTF-8' ?>\r\n<運用>\r\n   <画面>\r\n"
    "      <LEFT>1200</LEFT>\r\n      <ROOT1>C:\\Data</ROOT1>\r\n   </画面>\r\n</運用>";
} // namespace

TEST_F(Settings, MissingFileGivesTheExactLayout)
{
    CodePage::SetName("");
    EXPECT_EQ(CodePage::Name(), "UTF-8");
    EXPECT_EQ(CodePage::XmlLabel(), "UTF-8");
    for (const char* cp : {"Shift_JIS", "UTF-8"}) {
        CodePage::SetName(cp);
        QString f = dir.path(QString("new_%1.xml").arg(cp));
        bool ok = false;
        ini.GetTxt(f, ok);
        EXPECT_TRUE(QFile::exists(f));
        EXPECT_EQ(ReadBytes(f).size(), 0);
        ini.GetGtx("画面");
        ini.SetVal("LEFT", 1200);
        ini.SetGtx();
        bool wrote = false;
        ini.SetTxt(wrote);
        EXPECT_TRUE(wrote);
        QString label = QString(cp) == "Shift_JIS" ? "Shift-JIS" : "UTF-8";
        QString want = "<?xml version='1.0' encoding='" + label +
                       "' ?>\r\n<運用>\r\n   <画面>\r\n"
                       "      <LEFT>1200</LEFT>\r\n   </画面>\r\n</運用>";
        EXPECT_EQ(ReadBytes(f), CodePage::Encode(want)) << cp;
    }
}

TEST_F(Settings, ReplaceInPlaceAndAppendNewKeys)
{
    QString f = Load(kDoc);
    ini.GetGtx("画面");
    EXPECT_EQ(ini.vGtVal("LEFT", 0).toDouble(), 1200);
    EXPECT_EQ(ini.vGtVal("ROOT1", QString()).toString(), "C:\\Data");
    ini.SetVal("LEFT", 33);
    ini.SetVal("TOP", 44.5);
    ini.SetVal("DISP", true);
    ini.SetGtx();
    bool ok = false;
    ini.SetTxt(ok);
    EXPECT_EQ(ReadBytes(f), QByteArray("<?xml version='1.0' encoding='UTF-8' ?>\r\n<運用>\r\n   <画面>\r\n"
                                       "      <LEFT>33</LEFT>\r\n      <ROOT1>C:\\Data</ROOT1>\r\n"
                                       "      <TOP>44.5</TOP>\r\n      <DISP>True</DISP>\r\n   </画面>\r\n</運用>"));
    // a second section goes before the root's end; the first stays
    ini.GetGtx("他");
    ini.SetVal("A", "x");
    ini.SetGtx();
    EXPECT_TRUE(ini.Text().endsWith("   </画面>\r\n   <他>\r\n      <A>x</A>\r\n   </他>\r\n</運用>"));
}

TEST_F(Settings, TypedReadsAndDefaults)
{
    Load(
        "<運用>\r\n   <S>\r\n      <N1>12.7abc</N1>\r\n      <N2>abc</N2>\r\n      <N3></N3>\r\n"
        "      <N4> - 1 2.5 e 2</N4>\r\n      <T></T>\r\n      <B1>true</B1>\r\n      <B2>0</B2>\r\n"
        "      <B3>maybe</B3>\r\n      <D1>2020/02/03</D1>\r\n      <D2>never</D2>\r\n   </S>\r\n</運用>");
    ini.GetGtx("S");
    EXPECT_DOUBLE_EQ(ini.vGtVal("N1", 0).toDouble(), 12.7);
    EXPECT_DOUBLE_EQ(ini.vGtVal("N2", 0).toDouble(), 0);
    EXPECT_EQ(ini.vGtVal("N3", 0).toInt(), 0);
    EXPECT_EQ(ini.vGtVal("N3", 5).toInt(), 5);
    EXPECT_DOUBLE_EQ(ini.vGtVal("N4", 0).toDouble(), -1250);
    EXPECT_EQ(ini.vGtVal("T", QString("def")).toString(), "def");
    EXPECT_EQ(ini.vGtVal("absent", QString("d")).toString(), "d");
    EXPECT_TRUE(ini.vGtVal("B1", false).toBool());
    EXPECT_FALSE(ini.vGtVal("B2", true).toBool());
    EXPECT_TRUE(ini.vGtVal("absentB", true).toBool());
    EXPECT_THROW(ini.vGtVal("B3", false), FcError);
    EXPECT_EQ(ini.vGtVal("D1", QDate(1, 1, 1)).toDate(), QDate(2020, 2, 3));
    EXPECT_EQ(ini.vGtVal("D2", QDate(1999, 1, 1)).toDate(), QDate(1999, 1, 1));
    EXPECT_TRUE(ds.dlg.messages.isEmpty());
}

TEST_F(Settings, NumberTextsRoundTrip)
{
    for (double v : {0.0, 1.0, -2.5, 1e20, 1.5e-7, 123456789012345.0, 0.1 + 0.2}) {
        QString t = IniText::ValueText(v);
        EXPECT_FALSE(t.contains('e')) << t.toStdString();
        EXPECT_DOUBLE_EQ(IniText::LeadingNumber(t), QString::number(v, 'g', 15).toDouble()) << t.toStdString();
    }
    EXPECT_EQ(IniText::ValueText(1e20), "100000000000000000000");
    EXPECT_EQ(IniText::ValueText(1.5e-7), "0.00000015");
    EXPECT_EQ(IniText::ValueText(QVariant(float(0.1f))), "0.1");
    EXPECT_EQ(IniText::ValueText(false), "False");
}

// Numbers keep "." as their decimal point under a locale that writes ","
// (CI generates de_DE.UTF-8); nan and inf are no Booleans.
TEST_F(Settings, NumbersIgnoreTheLocaleAndBooleansAreNeverNanOrInf)
{
    const std::string old = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "needs the de_DE.UTF-8 locale (locale-gen)";
    Load(
        "<運用>\r\n   <画面>\r\n      <N>12.7abc</N>\r\n      <W>29.75,19.5,7.25</W>\r\n"
        "      <B1>nan</B1>\r\n      <B2>inf</B2>\r\n      <B3>-Infinity</B3>\r\n      <B4>0.5</B4>\r\n"
        "   </画面>\r\n</運用>");
    ini.GetGtx("画面");
    EXPECT_DOUBLE_EQ(ini.vGtVal("N", 0).toDouble(), 12.7);
    EXPECT_DOUBLE_EQ(ini.vGtVal("W", 0).toDouble(), 29.75);
    EXPECT_DOUBLE_EQ(IniText::LeadingNumber("19.5"), 19.5);
    EXPECT_EQ(IniText::ValueText(7.25), "7.25");
    for (const char* key : {"B1", "B2", "B3"})
        EXPECT_THROW(ini.vGtVal(key, false), FcError) << key;
    EXPECT_TRUE(ini.vGtVal("B4", false).toBool());
    std::setlocale(LC_ALL, old.c_str());
}

TEST_F(Settings, DamagedElementsAreReportedAndReadAsEmpty)
{
    QString f = Load("<運用>\r\n   <画面>\r\n      <LEFT>5\r\n      </TOP>7\r\n   </画面>\r\n   <壊>\r\n</運用>");
    ini.GetGtx("画面");
    EXPECT_EQ(ini.vGtVal("LEFT", 9).toInt(), 9);
    ASSERT_EQ(ds.dlg.messages.size(), 1);
    // the file as it was is kept before a save rewrites it, once, and the
    // user told where
    EXPECT_EQ(ds.dlg.messages[0], "<LEFT> の設定が読み込めません\rﾕｰｻﾞｰ環境ﾌｧｲﾙ(" + f +
                                      ") が破損しています\r元のﾌｧｲﾙを " + f + ".bak に残しました");
    EXPECT_EQ(ReadBytes(f + ".bak"), ReadBytes(f));
    EXPECT_EQ(ini.vGtVal("TOP", 3).toInt(), 3);
    EXPECT_EQ(ds.dlg.messages.size(), 2);
    EXPECT_EQ(ds.dlg.messages[1], "<TOP> の設定が読み込めません\rﾕｰｻﾞｰ環境ﾌｧｲﾙ(" + f + ") が破損しています");
    bool ok = false;
    ini.GetTxt(f, ok); // read again, damaged again: a second copy beside the first
    ini.GetGtx("画面");
    ini.vGtVal("LEFT", 9);
    EXPECT_TRUE(ds.dlg.messages.last().endsWith(f + ".bak2 に残しました"));

    ini.GetGtx("壊"); // a start tag without an end tag
    EXPECT_EQ(ds.dlg.messages.size(), 4);
    ini.SetVal("X", 1);
    ini.SetGtx();
    EXPECT_TRUE(ini.Text().endsWith("   <壊>\r\n   <壊>\r\n      <X>1</X>\r\n   </壊>\r\n</運用>"));
}

// What a killed save left behind goes at the next save (a temporary file
// of a save going on now stays); a settings file that is a link to nothing
// is reported, not followed to make a file elsewhere.
TEST_F(Settings, StaleTemporariesGoAndALinkToNothingIsNotFollowed)
{
    const QString f = Load("<運用>\r\n</運用>");
    const QString stale = f + ".$$$abc123", link = f + ".$$$zzz999", fresh = f + ".$$$new456";
    const QString outside = dir.createFile("outside/keep.txt", "keep");
    ASSERT_TRUE(WriteBytes(stale, "half") && WriteBytes(fresh, "now"));
    ASSERT_TRUE(QFile::link(outside, link));
    const QDateTime old = QDateTime::currentDateTime().addSecs(-120);
    for (const QString& p : {stale, link})
        ASSERT_EQ(
            ::utimensat(AT_FDCWD, EncodeName(p).constData(),
                        std::array<timespec, 2>{{{old.toSecsSinceEpoch(), 0}, {old.toSecsSinceEpoch(), 0}}}.data(),
                        AT_SYMLINK_NOFOLLOW),
            0);
    bool ok = false;
    ini.SetTxt(ok);
    EXPECT_TRUE(ok);
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadBytes(outside), "keep");
    EXPECT_TRUE(QFileInfo::exists(fresh));

    const QString dangling = dir.path("linked.xml"), nowhere = dir.path("outside/User.xml");
    ASSERT_TRUE(QFile::link(nowhere, dangling));
    EXPECT_THROW(ini.GetTxt(dangling, ok), FcError);
    EXPECT_THROW(Usr::ChkFso().WriteAnsiTextAtomic(dangling, "<運用>\r\n</運用>"), FcError);
    EXPECT_FALSE(QFileInfo::exists(nowhere));
}

TEST_F(Settings, InvalidSectionsAndTexts)
{
    Load("<運用><S></S></運用>");
    EXPECT_THROW(ini.GetGtx("S"), FcError);
    Load("<S>\r\n      <A>1</A>\r\n   </S>");
    ini.GetGtx("T");
    ini.SetVal("A", 2);
    EXPECT_THROW(ini.SetGtx(), FcError);
}

TEST_F(Settings, NamesEmptyFilesAndMarkers)
{
    QString real = dir.path("Tool.xml");
    bool ok = false;
    ini.GetTxt(dir.path("Tool_dv.XML"), ok);
    EXPECT_EQ(ini.File(), real);
    EXPECT_TRUE(QFile::exists(real));

    WriteBytes(real, "");
    QFile::setPermissions(real, QFileDevice::ReadOwner);
    ini.GetTxt(real, ok); // an empty file is not created again
    EXPECT_TRUE(ini.Text().startsWith("<?xml"));
    QFile::setPermissions(real, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    ini.GetGtx("S");
    ini.SetVal("K", QString("a") + QChar(0x2021) + "b");
    ini.SetGtx();
    EXPECT_TRUE(ini.Text().contains("      <K>a\r\nb</K>\r\n"));
}

TEST_F(Settings, LongTextsHaveNoSixteenBitLimit)
{
    Load("");
    ini.GetGtx("S");
    for (int i = 0; i < 3000; ++i)
        ini.SetVal(QString("K%1").arg(i), QString(20, QChar('v')) + QString::number(i));
    ini.SetGtx();
    bool ok = false;
    ini.SetTxt(ok);
    EXPECT_GT(ini.Text().size(), 100000);
    ini.GetTxt(dir.path("User.xml"), ok);
    ini.GetGtx("S");
    EXPECT_EQ(ini.vGtVal("K2999", QString()).toString(), QString(20, QChar('v')) + "2999");
    EXPECT_TRUE(ds.dlg.messages.isEmpty());
}

TEST_F(Settings, ShiftJisFilesAreRead)
{
    QByteArray sjis = "<?xml version='1.0' encoding='Shift-JIS' ?>\r\n\x89\x5e\x97\x70\r\n"; // not used as tags
    CodePage::SetName("Shift_JIS");
    QByteArray doc = CodePage::Encode(
        "<?xml version='1.0' encoding='Shift-JIS' ?>\r\n<運用>\r\n   <画面>\r\n"
        "      <ROOT1>C:\\データ</ROOT1>\r\n   </画面>\r\n</運用>");
    CodePage::SetName("UTF-8"); // the locale is UTF-8; the bytes are not
    Load(doc);
    ini.GetGtx("画面");
    EXPECT_EQ(ini.vGtVal("ROOT1", QString()).toString(), QString::fromUtf8("C:\\データ"));
    (void)sjis;
}

TEST_F(Settings, AFailedSaveKeepsTheOldFile)
{
    QString f = Load(kDoc);
    ini.GetGtx("画面");
    ini.SetVal("LEFT", 1);
    ini.SetGtx();
    bool ok = false;
    {
        FileSizeLimit full(10); // the disk fills while the new text is written
        EXPECT_THROW(ini.SetTxt(ok), FcError);
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(ReadBytes(f), kDoc);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"User.xml"})); // no temporary file left
}

// A link to the settings file: its target is replaced beside itself, the
// link stays, and a link planted at any temporary name is never followed.
TEST_F(Settings, SavesKeepLinksPermissionsAndNeverFollowPlantedLinks)
{
    QDir().mkdir(dir.path("real"));
    WriteBytes(dir.path("real/User.xml"), kDoc);
    QFile::setPermissions(dir.path("real/User.xml"), QFileDevice::Permissions(0x6666)); // rw for everyone
    ASSERT_TRUE(QFile::link(dir.path("real/User.xml"), dir.path("User.xml")));
    WriteBytes(dir.path("victim"), "keep me");
    for (const char* planted : {"User.xml.$$$", "real/User.xml.$$$"})
        QFile::link(dir.path("victim"), dir.path(planted));
    bool ok = false;
    ini.GetTxt(dir.path("User.xml"), ok);
    ini.GetGtx("画面");
    ini.SetVal("LEFT", 77);
    ini.SetGtx();
    ini.SetTxt(ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(QFileInfo(dir.path("User.xml")).isSymLink());
    EXPECT_TRUE(ReadBytes(dir.path("real/User.xml")).contains("<LEFT>77</LEFT>"));
    EXPECT_EQ(QFile::permissions(dir.path("real/User.xml")), QFileDevice::Permissions(0x6666));
    EXPECT_EQ(ReadBytes(dir.path("victim")), "keep me");
}

// Bytes that decode in no known encoding are kept aside once before the
// file is ever rewritten; a Shift_JIS file rewritten in UTF-8 says so.
TEST_F(Settings, UndecodableBytesAreKeptAsideAndLine1NamesTheEncoding)
{
    const QByteArray bad =
        "<?xml version='1.0' encoding='UTF-8' ?>\r\n<運用>\r\n   <他>\xff\xfe\x80</他>\r\n"
        "   <画面>\r\n      <LEFT>5</LEFT>\r\n   </画面>\r\n</運用>";
    const QString f = dir.path("User.xml");
    WriteBytes(f, bad);
    bool ok = false;
    ini.GetTxt(f, ok);
    ASSERT_EQ(ds.dlg.messages.size(), 1);
    EXPECT_TRUE(ds.dlg.messages[0].contains("User.xml.bak"));
    EXPECT_EQ(ReadBytes(f + ".bak"), bad);
    ini.SetTxt(ok);
    ini.GetTxt(f, ok); // the rewritten file reads cleanly: nothing more to say
    EXPECT_EQ(ds.dlg.messages.size(), 1);
    EXPECT_EQ(ReadBytes(f + ".bak"), bad);

    const QByteArray sjis =
        "<?xml version='1.0' encoding='Shift-JIS' ?>\r\n<\x89\x5e\x97\x70>\r\n   <\x89\xe6\x96\xca>\r\n"
        "      <LEFT>7</LEFT>\r\n   </\x89\xe6\x96\xca>\r\n</\x89\x5e\x97\x70>";
    WriteBytes(f, sjis);
    ini.GetTxt(f, ok);
    ini.GetGtx("画面");
    EXPECT_EQ(ini.vGtVal("LEFT", 0).toInt(), 7);
    ini.SetTxt(ok);
    const QByteArray written = ReadBytes(f);
    EXPECT_TRUE(written.startsWith("<?xml version='1.0' encoding='UTF-8' ?>\r\n<運用>"))
        << written.left(60).toStdString();
    EXPECT_EQ(ds.dlg.messages.size(), 1);
}

// Two instances saving at once: each save leaves one whole file, none fails.
TEST_F(Settings, RacingSavesEachLeaveAWholeFile)
{
    const QString f = dir.path("User.xml");
    const QString a = QString(600, 'a'), b = QString(900, 'b');
    std::atomic<int> failures{0}, torn{0};
    std::atomic<bool> done{false};
    auto saver = [&](const QString& text) {
        Fso fs;
        for (int i = 0; i < 200; ++i) {
            try {
                fs.WriteAnsiTextAtomic(f, text);
            } catch (const FcError&) {
                ++failures;
            }
        }
    };
    std::thread reader([&] {
        while (!done) {
            const QByteArray now = ReadBytes(f);
            if (!now.isEmpty() && now != a.toUtf8() && now != b.toUtf8())
                ++torn;
        }
    });
    std::thread one(saver, a), two(saver, b);
    one.join();
    two.join();
    done = true;
    reader.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"User.xml"}));
}

// Where the folder takes no new file but the file may be written (a shared
// installation), the file is rewritten in place.
TEST_F(Settings, AFolderWithoutWriteRightsGetsTheFileRewrittenInPlace)
{
    QString f = Load(kDoc);
    QFile::setPermissions(f, QFileDevice::Permissions(0x6666));
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (::access(EncodeName(dir.path()).constData(), W_OK) == 0)
        GTEST_SKIP() << "needs a user without root rights: a folder that takes no new file";
    ini.GetGtx("画面");
    ini.SetVal("LEFT", 5);
    ini.SetGtx();
    bool ok = false;
    ini.SetTxt(ok);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(ReadBytes(f).contains("<LEFT>5</LEFT>"));
}

TEST_F(Settings, DamagedTextsNeverCrash)
{
    QRandomGenerator rng(12345);
    const QString pieces[] = {"<運用>", "</運用>", "<画面>", "</画面>", "<LEFT>", "</LEFT>", "\r\n",
                              "   ",    "12",      "abc",    "<",       ">",      "</",      QString(QChar(0x2021)),
                              "<DISP>", "</DISP>", "True"};
    QString base = QString::fromUtf8(kDoc);
    for (int round = 0; round < 3000; ++round) {
        QString t;
        if (round % 2) {
            t = base.left(int(rng.bounded(base.size() + 1)));
            if (rng.bounded(2))
                t.insert(int(rng.bounded(t.size() + 1)), pieces[rng.bounded(17)]);
        } else {
            int n = int(rng.bounded(12));
            for (int i = 0; i < n; ++i)
                t += pieces[rng.bounded(17)];
        }
        Load(t.toUtf8());
        try {
            ini.GetGtx("画面");
            ini.vGtVal("LEFT", 0);
            ini.vGtVal("DISP", false);
            ini.vGtVal("ROOT1", QString());
            ini.SetVal("LEFT", round);
            ini.SetVal("NEW", QString("v"));
            ini.SetGtx();
            bool ok = false;
            ini.SetTxt(ok);
            ini.GetTxt(dir.path("User.xml"), ok);
            ini.GetGtx("画面");
        } catch (const FcError&) {
            // a reported error is an accepted outcome; a crash or hang is not
        }
    }
    SUCCEED();
}
