#include "env/Error.h"

QString ErrText(const std::exception& e)
{
    if (auto* fe = dynamic_cast<const FcError*>(&e))
        return fe->message();
    return QString::fromLocal8Bit(e.what());
}
