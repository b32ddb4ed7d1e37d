#include "env/NameCompose.h"

#include "env/NameBytes.h"

#include <QStringList>

namespace {
// Where the characters lie that composition replaces although they combine
// with nothing (singletons such as U+212B ANGSTROM SIGN, the compatibility
// ideographs, letters excluded from composition), and the Hangul jamo that
// join with the syllable before them. Common composed letters (Latin,
// Greek, Cyrillic, kana, ideographs) lie outside.
bool InReplacedRange(char16_t u)
{
    return (u >= 0x0340 && u <= 0x0390) || (u >= 0x0958 && u <= 0x0F7F) || (u >= 0x1160 && u <= 0x11FF) ||
           (u >= 0x1F70 && u <= 0x1FFF) || (u >= 0x2000 && u <= 0x2ADF) || (u >= 0xF900 && u <= 0xFB4F) ||
           (u >= 0xD7B0 && u <= 0xD7FF) || (u >= 0xA960 && u <= 0xA97F);
}

bool PartMayCompose(QStringView s)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t u = s[i].unicode();
        if (u < 0x0300)
            continue;
        if (QChar::isHighSurrogate(u) && i + 1 < s.size() && QChar::isLowSurrogate(s[i + 1].unicode())) {
            const char32_t c = QChar::surrogateToUcs4(u, s[i + 1].unicode());
            ++i;
            if (QChar::combiningClass(c) != 0 || (c >= 0x2F800 && c <= 0x2FA1F) || (c >= 0x1D15E && c <= 0x1D1C0))
                return true;
            continue;
        }
        if (QChar::combiningClass(u) != 0 || InReplacedRange(u))
            return true;
    }
    return false;
}
} // namespace

bool MayCompose(QStringView s) { return PartMayCompose(s); }

QString ComposedName(const QString& s)
{
    if (!PartMayCompose(s))
        return s;
    if (!HasEscapedByte(s))
        return s.normalized(QString::NormalizationForm_C);
    QStringList parts = s.split(QLatin1Char('/'));
    for (QString& p : parts)
        if (!HasEscapedByte(p) && PartMayCompose(p))
            p = p.normalized(QString::NormalizationForm_C);
    return parts.join(QLatin1Char('/'));
}
