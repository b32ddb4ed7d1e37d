#include <QCoreApplication>
#include <gtest/gtest.h>

#include "support/Hooks.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    InstallTestHooks();
    return RUN_ALL_TESTS();
}
