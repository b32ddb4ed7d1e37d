#include "env/CodePage.h"

#include <windows.h>

namespace CodePage {
// The ANSI code page of the system; 932 is the Japanese one.
QByteArray SystemName()
{
    UINT cp = GetACP();
    if (cp == 932)
        return QByteArrayLiteral("Shift_JIS");
    if (cp == 65001)
        return QByteArrayLiteral("UTF-8");
    return "windows-" + QByteArray::number(cp);
}
} // namespace CodePage
