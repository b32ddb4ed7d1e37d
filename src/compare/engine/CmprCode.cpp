#include "compare/engine/CmprCode.h"

namespace {
const std::array<QString, kCmprCodes.size()>& Texts()
{
    static const std::array<QString, kCmprCodes.size()> t = [] {
        std::array<QString, kCmprCodes.size()> out;
        for (size_t i = 0; i < kCmprCodes.size(); ++i)
            out[i] = QString::fromUtf16(kCmprCodes[i].text);
        return out;
    }();
    return t;
}
} // namespace

const QString& CodeText(CmprCode c) { return Texts()[size_t(c)]; }

std::optional<CmprCode> CodeOf(QStringView text)
{
    for (const CmprCodeInfo& i : kCmprCodes)
        if (text == QStringView(i.text))
            return i.code;
    return std::nullopt;
}

bool HasSide(QStringView code, int side)
{
    const std::optional<CmprCode> c = CodeOf(code);
    if (!c)
        return true;
    const CmprCodeInfo& i = kCmprCodes[size_t(*c)];
    return side == 1 ? i.side1 : i.side2;
}
