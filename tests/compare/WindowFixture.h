#pragma once
// The main window on a fresh user data folder below a temporary folder,
// opened and closed as the user does; dialogs are answered by a recorder.
#include "app/Main.h"
#include "app/state/Usr.h"
#include "compare/window/fmCmpr.h"
#include "support/RecordingDialogs.h"
#include "support/TestDir.h"
#include "ui/PrgEnd.h"

#include <QApplication>
#include <gtest/gtest.h>

class Window : public ::testing::Test {
protected:
    void SetUp() override
    {
        Usr::sUsrFld = dir.createDir("usData") + "/";
        Usr::bLnch = false;
        Usr::tLnch = LaunchRecord();
        Usr::bTrBusy = false;
        Usr::ResetEnding();
        Usr::oIni.reset();
    }
    void TearDown() override
    {
        fmCmpr::Discard();
        Usr::ResetEnding();
    }
    fmCmpr& Open()
    {
        fmCmpr& w = fmCmpr::Instance();
        w.show();
        QApplication::processEvents();
        QApplication::processEvents();
        return w;
    }
    // Closes the window as the user does, saving its layout.
    void Close()
    {
        fmCmpr::Instance().close();
        fmCmpr::Discard();
        Usr::ResetEnding();
        Usr::oIni.reset();
    }
    QString Xml() const { return Usr::sUsrFld + "User.xml"; }
    TestDir dir;
    DialogsScope ds;
};
