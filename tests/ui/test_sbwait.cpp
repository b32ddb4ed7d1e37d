#include "app/state/Usr.h"
#include "env/Error.h"
#include "support/Printers.h"
#include "support/RecordingDialogs.h"
#include "ui/Guard.h"
#include "ui/Twips.h"
#include "ui/sbWait.h"

#include <QScreen>
#include <gtest/gtest.h>

TEST(Wait, CentresOnTheScreenInTwips)
{
    QPointF at = Twips::Centre(19200, 14400, 8000, 600);
    EXPECT_DOUBLE_EQ(at.x(), 5600);
    EXPECT_DOUBLE_EQ(at.y(), 6900);
    EXPECT_DOUBLE_EQ(Twips::Centre(1001, 11, 0, 0).x(), 500.5);
}

TEST(Wait, MessagesFlagAndWithdrawal)
{
    sbWait& w = sbWait::Instance();
    EXPECT_EQ(w.PanelText(), "しばらくお待ちください");
    EXPECT_EQ(w.windowTitle(), "Form1");

    // withdrawing a window that was never shown is harmless
    Usr::bTrBusy = true;
    w.cEnd();
    EXPECT_FALSE(Usr::bTrBusy);
    EXPECT_FALSE(w.isVisible());

    QString empty;
    w.cMsg(empty);
    EXPECT_EQ(empty, "ﾃﾞｰﾀｰﾍﾞｰｽ問合せ中 お待ちください");
    EXPECT_EQ(w.PanelText(), empty);
    EXPECT_TRUE(Usr::bTrBusy);
    EXPECT_TRUE(w.isVisible());

    QString second = "ﾌｧｲﾙを比較しています";
    w.cMsg(second);
    EXPECT_EQ(w.PanelText(), second);
    EXPECT_TRUE(Usr::bTrBusy);
    EXPECT_EQ(second, "ﾌｧｲﾙを比較しています");

    w.cEnd();
    EXPECT_FALSE(Usr::bTrBusy);
    EXPECT_FALSE(w.isVisible());
}

TEST(Wait, IsCentredWhenShown)
{
    sbWait& w = sbWait::Instance();
    QString t = "x";
    w.cMsg(t);
    QRect scr = w.screen()->geometry();
    EXPECT_NEAR(w.x() + w.width() / 2.0, scr.center().x(), 2);
    EXPECT_NEAR(w.y() + w.height() / 2.0, scr.center().y(), 2);
    w.cEnd();
}

TEST(Guard, AnEscapingErrorIsShownAndTheProgramGoesOn)
{
    DialogsScope ds;
    bool after = false;
    Usr::Guard([] { throw FcError(ErrKind::Database, "broken"); });
    Usr::Guard([&] { after = true; });
    EXPECT_TRUE(after);
    EXPECT_EQ(ds.dlg.messages, QStringList({"broken"}));
}
