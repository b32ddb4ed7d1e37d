#include "compare/Walker.h"

#include "env/Error.h"

void ThrowStopped() { throw FcError(ErrKind::Stopped, QStringLiteral("比較を中止しました")); }
