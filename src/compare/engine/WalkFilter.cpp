#include "compare/engine/WalkFilter.h"

#include "env/Error.h"
#include "env/NameBytes.h"
#include "env/NamePattern.h"

namespace {
bool HasWildcard(const QString& p)
{
    for (QChar c : p)
        if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('#') || c == QLatin1Char('['))
            return true;
    return false;
}

// ASCII letters lower-cased in place; false when the text holds any other
// byte above 0x7f (then only a decoded, case-folded text compares).
bool LowerAscii(std::string_view in, std::string& out)
{
    out.assign(in);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
        if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
    }
    return true;
}

QString Folded(std::string_view bytes) { return DecodeName(bytes.data(), qsizetype(bytes.size())).toLower(); }

QStringList Patterns(const QStringList& lists, const QStringList& whole, QString& text)
{
    QStringList all;
    for (const QString& l : lists)
        all += PatternList(l);
    for (const QString& w : whole)
        all << w.toLower();
    QStringList out;
    for (const QString& p : all)
        if (!p.isEmpty()) {
            if (const qsizetype at = UnclosedBracket(p); at >= 0)
                throw FcError(ErrKind::InvalidArgument, QStringLiteral("ﾊﾟﾀｰﾝの [ が閉じていません: ") + p);
            out << p;
        }
    text = out.join(QLatin1Char(' '));
    return out;
}
} // namespace

WalkFilter::WalkFilter(const QStringList& exclude, const QStringList& include, const QStringList& excludeWhole)
{
    for (const QString& p : Patterns(exclude, excludeWhole, m_excludeText))
        Add(p.endsWith(QLatin1Char('/')) ? m_excludeFolders : m_exclude, p, p.endsWith(QLatin1Char('/')));
    for (const QString& p : Patterns(include, {}, m_includeText))
        Add(m_include, p, false);
    for (const Set* s : {&m_exclude, &m_excludeFolders, &m_include})
        for (const Pattern& p : s->others)
            m_paths = m_paths || p.path;
}

void WalkFilter::Add(Set& s, const QString& given, bool forFolders)
{
    QString p = given;
    if (forFolders)
        p.chop(1);
    const bool path = p.contains(QLatin1Char('/'));
    const QByteArray utf8 = p.toUtf8();
    if (!path && !HasWildcard(p)) {
        s.names.insert(utf8.toStdString());
    } else if (!path && p.startsWith(QLatin1String("*.")) && !HasWildcard(p.mid(1)) && p.count(QLatin1Char('.')) == 1) {
        s.endings.insert(utf8.mid(1).toStdString());
    } else {
        s.others.push_back({p, forFolders, path});
    }
}

bool WalkFilter::Set::Fits(std::string_view name, std::string_view rel) const
{
    std::string key; // the name lower-cased, in UTF-8
    QString folded;
    if (!LowerAscii(name, key)) {
        folded = Folded(name);
        key = folded.toUtf8().toStdString();
    }
    if (names.count(key))
        return true;
    if (const size_t dot = key.rfind('.'); dot != std::string::npos && endings.count(key.substr(dot)))
        return true;
    if (others.empty())
        return false;
    if (folded.isNull())
        folded = QString::fromLatin1(key.data(), qsizetype(key.size()));
    QString r;
    for (const Pattern& p : others) {
        if (p.path && r.isNull())
            r = Folded(rel);
        if (NameFits(p.path ? r : folded, p.text))
            return true;
    }
    return false;
}

bool WalkFilter::SkipsFolder(std::string_view name, std::string_view rel) const
{
    return (!m_exclude.empty() && m_exclude.Fits(name, rel)) ||
           (!m_excludeFolders.empty() && m_excludeFolders.Fits(name, rel));
}

bool WalkFilter::SkipsFile(std::string_view name, std::string_view rel) const
{
    if (!m_exclude.empty() && m_exclude.Fits(name, rel))
        return true;
    return !m_include.empty() && !m_include.Fits(name, rel);
}
