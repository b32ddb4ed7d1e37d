#include <QApplication>
#include <gtest/gtest.h>

#include "support/Hooks.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    InstallTestHooks();
    return RUN_ALL_TESTS();
}
