#include "support/Hooks.h"
#include "support/Printers.h"

#include "compare/store/SqlDb.h"

#include <gtest/gtest.h>

void InstallTestHooks()
{
    SqlDb::SetCloseFailureHandler([](const QString& why) { ADD_FAILURE() << why.toStdString(); });
}
