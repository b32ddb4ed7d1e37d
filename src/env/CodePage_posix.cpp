#include "env/CodePage.h"

namespace CodePage {
// Text in files and file names is UTF-8 on every current Unix system, as Qt
// itself assumes.
QByteArray SystemName() { return QByteArrayLiteral("UTF-8"); }
} // namespace CodePage
