#include "env/Error.h"

#include <cerrno>
#include <cstring>

QString ErrText(const std::exception& e)
{
    if (auto* fe = dynamic_cast<const FcError*>(&e))
        return fe->message();
    return QString::fromLocal8Bit(e.what());
}

QString ErrText(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

QString ErrNo() { return ErrText(errno); }
