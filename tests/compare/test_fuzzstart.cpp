// Damaged settings files and launch files through the real main window:
// it starts, closes and saves without a crash, a hang or a lossy rewrite.
#include "WindowFixture.h"

#include "env/CodePage.h"
#include "support/Files.h"
#include "support/Printers.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QScreen>
#include <cstdio>
#include <gtest/gtest.h>

namespace {
const QByteArray kForeign = "<他>保存してほしい\xe3\x83\x87\xe3\x83\xbc\xe3\x82\xbf 42</他>";
const QByteArray kPayload = "保存してほしい\xe3\x83\x87\xe3\x83\xbc\xe3\x82\xbf 42";

QByteArray BaseDoc()
{
    return "<?xml version='1.0' encoding='UTF-8' ?>\r\n<運用>\r\n   " + kForeign +
           "\r\n   <画面>\r\n      <LEFT>300</LEFT>\r\n      <TOP>200</TOP>\r\n      <WIDTH>9000</WIDTH>\r\n"
           "      <HEIGHT>6000</HEIGHT>\r\n      <DIR_WD>3000</DIR_WD>\r\n      <CLS_WD>29.75,19.5,7</CLS_WD>\r\n"
           "      <DISP>1</DISP>\r\n   </画面>\r\n</運用>";
}

// One random damage: bytes changed (any value), a piece cut out or
// doubled, a piece of markup or a number put in, or the end cut off.
void Damage(QByteArray& b, QRandomGenerator& rng)
{
    static const char* const pieces[] = {"<",
                                         ">",
                                         "</",
                                         "<画面>",
                                         "</画面>",
                                         "<運用>",
                                         "</運用>",
                                         "\r\n",
                                         "1e999",
                                         "nan",
                                         "-5",
                                         "\xff\xfe",
                                         "\x81",
                                         "\x82\xa0",
                                         "9999999999",
                                         "<WIDTH>491505</WIDTH>",
                                         "<LEFT>-900000</LEFT>"};
    const int at = b.isEmpty() ? 0 : int(rng.bounded(qint64(b.size())));
    switch (rng.bounded(5)) {
    case 0:
        if (!b.isEmpty())
            b[at] = char(rng.bounded(256));
        break;
    case 1: b.remove(at, int(rng.bounded(12))); break;
    case 2: b.insert(at, b.mid(at, int(rng.bounded(30)))); break;
    case 3: b.insert(at, pieces[rng.bounded(int(std::size(pieces)))]); break;
    default: b.truncate(at); break;
    }
}

bool Decodes(const QByteArray& b)
{
    bool lossless = false;
    CodePage::Decode(b, &lossless);
    return lossless;
}

class Fuzz : public Window {
protected:
    void SetUp() override
    {
        Window::SetUp();
        CodePage::SetName("UTF-8");
    }
    void TearDown() override
    {
        Window::TearDown();
        Usr::bLnch = false;
        Usr::tLnch = LaunchRecord();
        CodePage::SetName("");
    }
    // Opens and closes the window once; true when its rectangle fitted the screen.
    bool StartAndClose()
    {
        const QRect g = Open().geometry();
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        Close();
        return g.width() <= area.width() && g.height() <= area.height() && area.intersects(g);
    }
};
} // namespace

TEST_F(Fuzz, DamagedSettingsFilesStartCloseAndLoseNoBytes)
{
    QRandomGenerator rng(20261207);
    int runs = 0, undecodable = 0, kept = 0, lossy = 0, unfitted = 0;
    for (int n = 0; n < 300; ++n) {
        QByteArray doc = BaseDoc();
        for (int k = 1 + int(rng.bounded(4)); k > 0; --k)
            Damage(doc, rng);
        QFile::remove(Xml() + ".bak");
        ASSERT_TRUE(WriteBytes(Xml(), doc));
        unfitted += StartAndClose() ? 0 : 1;
        ++runs;
        const QByteArray after = ReadBytes(Xml());
        if (!Decodes(doc)) {
            ++undecodable;
            if (ReadBytes(Xml() + ".bak") == doc)
                ++kept;
            else
                ++lossy;
        } else if (doc.contains(kPayload) && !after.contains(kPayload)) {
            ++lossy; // the program's own section only is rewritten
            ADD_FAILURE() << "lost the foreign section of: " << doc.toStdString();
        }
    }
    std::printf("settings files: %d runs, %d undecodable (%d kept aside), %d lossy rewrites, %d unfitted windows\n",
                runs, undecodable, kept, lossy, unfitted);
    EXPECT_EQ(lossy, 0);
    EXPECT_EQ(unfitted, 0);
    EXPECT_GT(undecodable, 0); // the damage does reach that case
}

TEST_F(Fuzz, DamagedLaunchFilesStartAndClose)
{
    QRandomGenerator rng(7122026);
    const qint32 sizes[] = {0, -1, 1, 15, 9000, 491505, 0x7fffffff, qint32(0x80000000)};
    int runs = 0, used = 0, unfitted = 0;
    for (int n = 0; n < 200; ++n) {
        QByteArray rec = LaunchFileBytes(sizes[rng.bounded(8)], sizes[rng.bounded(8)], sizes[rng.bounded(8)],
                                         sizes[rng.bounded(8)], dir.path("usData").toUtf8(), "/no/such");
        for (int k = int(rng.bounded(3)); k > 0; --k)
            Damage(rec, rng);
        const QString f = dir.path(QString("launch%1.bin").arg(n));
        ASSERT_TRUE(WriteBytes(f, rec));
        Usr::bLnch = false;
        Usr::ReadLaunchArg(f);
        used += Usr::bLnch ? 1 : 0;
        unfitted += StartAndClose() ? 0 : 1;
        ++runs;
    }
    std::printf("launch files: %d runs, %d used, %d unfitted windows\n", runs, used, unfitted);
    EXPECT_EQ(unfitted, 0);
    EXPECT_GT(used, 0);
}
