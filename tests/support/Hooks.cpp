#include "support/Hooks.h"
#include "support/Printers.h"

#include "app/state/Usr.h"
#include "compare/store/SqlDb.h"

#include <gtest/gtest.h>

void InstallTestHooks()
{
    Usr::SetIniHost();
    SqlDb::SetCloseFailureHandler([](const QString& why) { ADD_FAILURE() << why.toStdString(); });
}
