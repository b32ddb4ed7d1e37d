#include "env/NameBytes.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#ifndef Q_OS_WIN
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#endif

namespace {
const char16_t kEscBase = 0xDC00; // + byte, byte >= 0x80

// Length of the valid UTF-8 sequence at p (1 to 4), or 0 when the byte at p
// does not start one.
int SeqLen(const unsigned char* p, const unsigned char* end)
{
    const unsigned char c = p[0];
    auto cont = [&](int i) { return p + i < end && (p[i] & 0xC0) == 0x80; };
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        return cont(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (!cont(1) || !cont(2))
            return 0;
        if ((c == 0xE0 && p[1] < 0xA0) || (c == 0xED && p[1] >= 0xA0))
            return 0; // overlong, or a surrogate
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3))
            return 0;
        if ((c == 0xF0 && p[1] < 0x90) || (c == 0xF4 && p[1] >= 0x90))
            return 0; // overlong, or above U+10FFFF
        return 4;
    }
    return 0;
}

char32_t CodePoint(const unsigned char* p, int n)
{
    switch (n) {
    case 1: return p[0];
    case 2: return char32_t(p[0] & 0x1F) << 6 | (p[1] & 0x3F);
    case 3: return char32_t(p[0] & 0x0F) << 12 | char32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F);
    default:
        return char32_t(p[0] & 0x07) << 18 | char32_t(p[1] & 0x3F) << 12 | char32_t(p[2] & 0x3F) << 6 | (p[3] & 0x3F);
    }
}

char* PutUtf8(char* o, char32_t u)
{
    if (u < 0x80) {
        *o++ = char(u);
    } else if (u < 0x800) {
        *o++ = char(0xC0 | (u >> 6));
        *o++ = char(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        *o++ = char(0xE0 | (u >> 12));
        *o++ = char(0x80 | ((u >> 6) & 0x3F));
        *o++ = char(0x80 | (u & 0x3F));
    } else {
        *o++ = char(0xF0 | (u >> 18));
        *o++ = char(0x80 | ((u >> 12) & 0x3F));
        *o++ = char(0x80 | ((u >> 6) & 0x3F));
        *o++ = char(0x80 | (u & 0x3F));
    }
    return o;
}

QString FoldAsciiOnly(const QString& s)
{
    QString r = s;
    for (QChar& c : r)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + 32);
    return r;
}

QString FoldPart(const QString& part) { return HasEscapedByte(part) ? FoldAsciiOnly(part) : part.toCaseFolded(); }
} // namespace

void AppendEncodedName(QByteArray& out, QStringView s)
{
    const qsizetype start = out.size();
    out.resize(start + s.size() * 3);
    char* o = out.data() + start;
    const char16_t* p = s.utf16();
    const char16_t* end = p + s.size();
    while (p < end) {
        const char16_t c = *p++;
        if (c < 0x80) {
            *o++ = char(c);
        } else if (IsEscapedByte(QChar(c))) {
            *o++ = char(c - kEscBase);
        } else if (QChar::isHighSurrogate(c) && p < end && QChar::isLowSurrogate(*p)) {
            o = PutUtf8(o, QChar::surrogateToUcs4(c, *p++));
        } else if (QChar::isSurrogate(c)) {
            o = PutUtf8(o, 0xFFFD); // a lone surrogate no name of the system holds
        } else {
            o = PutUtf8(o, c);
        }
    }
    out.resize(o - out.constData());
}

QByteArray EncodeName(QStringView s)
{
    QByteArray out;
    AppendEncodedName(out, s);
    return out;
}

QString DecodeName(const char* bytes, qsizetype len)
{
    QString out(len, Qt::Uninitialized);
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    const auto* end = p + len;
    while (p < end) {
        if (*p < 0x80) {
            *o++ = *p++;
            continue;
        }
        const int n = SeqLen(p, end);
        if (n == 0) {
            *o++ = char16_t(kEscBase + *p++);
            continue;
        }
        const char32_t u = CodePoint(p, n);
        p += n;
        if (u >= 0x10000) {
            *o++ = QChar::highSurrogate(u);
            *o++ = QChar::lowSurrogate(u);
        } else {
            *o++ = char16_t(u);
        }
    }
    out.resize(o - reinterpret_cast<const char16_t*>(out.constData()));
    return out;
}

QString DecodeName(const QByteArray& bytes) { return DecodeName(bytes.constData(), bytes.size()); }

QString DecodeName(const char* zeroTerminated)
{
    return DecodeName(zeroTerminated, qsizetype(qstrlen(zeroTerminated)));
}

QStringList DecodeArguments(int argc, char** argv)
{
#ifdef Q_OS_WIN
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return QCoreApplication::arguments(); // from the wide command line
#else
    QStringList out;
    for (int i = 0; i < argc; ++i)
        out.append(DecodeName(argv[i]));
    return out;
#endif
}

void AppendByteText(QString& out, QChar escaped)
{
    static const char kHex[] = "0123456789ABCDEF";
    const int b = escaped.unicode() - kEscBase;
    out += QLatin1String("\\x");
    out += QLatin1Char(kHex[b >> 4]);
    out += QLatin1Char(kHex[b & 15]);
}

bool HasEscapedByte(QStringView s)
{
    for (QChar c : s)
        if (IsEscapedByte(c))
            return true;
    return false;
}

QString ShownName(const QString& s)
{
    if (!HasEscapedByte(s))
        return s;
    QString r;
    r.reserve(s.size() + 8);
    for (QChar c : s) {
        if (IsEscapedByte(c))
            AppendByteText(r, c);
        else
            r += c;
    }
    return r;
}

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

} // namespace

bool MayCompose(QStringView s)
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

QString ComposedName(const QString& s)
{
    if (!MayCompose(s))
        return s;
    if (!HasEscapedByte(s))
        return s.normalized(QString::NormalizationForm_C);
    QStringList parts = s.split(QLatin1Char('/'));
    for (QString& p : parts)
        if (!HasEscapedByte(p) && MayCompose(p))
            p = p.normalized(QString::NormalizationForm_C);
    return parts.join(QLatin1Char('/'));
}

QString FoldName(const QString& given)
{
    const QString s = ComposedName(given);
    if (!HasEscapedByte(s))
        return s.toCaseFolded();
    QStringList parts = s.split(QLatin1Char('/'));
    for (QString& p : parts)
        p = FoldPart(p);
    return parts.join(QLatin1Char('/'));
}

bool SameNameIgnoringCase(const QString& a, const QString& b)
{
    if (MayCompose(a) || MayCompose(b))
        return FoldName(a) == FoldName(b);
    if (!HasEscapedByte(a) && !HasEscapedByte(b))
        return a.compare(b, Qt::CaseInsensitive) == 0;
    return FoldName(a) == FoldName(b);
}

QString CurrentFolder()
{
#ifdef Q_OS_WIN
    return QDir::currentPath();
#else
    char* cwd = ::getcwd(nullptr, 0);
    const QString out = cwd ? DecodeName(cwd) : QStringLiteral("/");
    std::free(cwd);
    return out;
#endif
}

QString HomeFolder()
{
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(QDir::homePath());
#else
    const QByteArray env = qgetenv("HOME");
    if (env.startsWith('/'))
        return env.size() > 1 && env.endsWith('/') ? DecodeName(env.chopped(1)) : DecodeName(env);
    const passwd* pw = ::getpwuid(::getuid());
    return pw && pw->pw_dir && pw->pw_dir[0] == '/' ? DecodeName(pw->pw_dir) : QStringLiteral("/");
#endif
}
