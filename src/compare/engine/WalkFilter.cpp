#include "compare/engine/WalkFilter.h"

#include "env/Error.h"
#include "env/NameBytes.h"
#include "env/NamePattern.h"

namespace {
bool IsWildcard(QChar c)
{
    return c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('#') || c == QLatin1Char('[');
}

bool HasWildcard(const QString& p)
{
    for (QChar c : p)
        if (IsWildcard(c))
            return true;
    return false;
}

// The name with ASCII letters lower-cased, in `room` when it fits; empty
// when the name holds a byte above 0x7f (only its decoded, lower-cased
// text then compares).
std::string_view LowerAscii(std::string_view in, char* room, size_t size, std::string& spill)
{
    char* out = room;
    if (in.size() > size) {
        spill.resize(in.size());
        out = spill.data();
    }
    for (size_t i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (static_cast<unsigned char>(c) >= 0x80)
            return {};
        out[i] = c >= 'A' && c <= 'Z' ? char(c + 32) : c;
    }
    return {out, in.size()};
}

// Where the literal end of a pattern starts: after its last wildcard
// element ("*", "?", "#", or a whole [...] list).
qsizetype LiteralTailStart(const QString& p)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i < p.size(); ++i) {
        if (p[i] == QLatin1Char('[')) {
            qsizetype j = i + 1;
            if (j < p.size() && p[j] == QLatin1Char('!'))
                ++j;
            i = p.indexOf(QLatin1Char(']'), j + 1); // the first character of a list may be "]"
            start = i + 1;                          // a list is closed: the patterns were checked
        } else if (IsWildcard(p[i])) {
            start = i + 1;
        }
    }
    return start;
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
    for (const QString& p : all) {
        if (p.isEmpty())
            continue;
        if (UnclosedBracket(p) >= 0)
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
}

void WalkFilter::Add(Set& s, const QString& given, bool forFolders)
{
    QString p = given;
    if (forFolders)
        p.chop(1);
    const bool path = p.contains(QLatin1Char('/'));
    const std::string utf8 = p.toUtf8().toStdString();
    if (!path && !HasWildcard(p)) {
        s.names.insert(utf8);
        return;
    }
    if (!path && p.startsWith(QLatin1String("*.")) && !HasWildcard(p.mid(1)) && p.count(QLatin1Char('.')) == 1) {
        s.endings.insert(utf8.substr(1));
        return;
    }
    // the literal end after the last wildcard: a name that does not end so
    // cannot fit, whatever stands before
    QString tail = p.mid(LiteralTailStart(p));
    const bool whole = tail.contains(QLatin1Char('/'));
    if (whole)
        tail = tail.mid(tail.lastIndexOf(QLatin1Char('/')) + 1);
    s.others.push_back({p, path, tail.toUtf8().toStdString(), whole});
}

bool WalkFilter::Set::Fits(std::string_view folder, std::string_view name) const
{
    char room[256];
    std::string spill, decoded;
    std::string_view key = LowerAscii(name, room, sizeof room, spill);
    QString folded;
    if (key.empty() && !name.empty()) { // not plain ASCII
        folded = Folded(name);
        decoded = folded.toUtf8().toStdString();
        key = decoded;
    }
    if (names.find(key) != names.end())
        return true;
    if (const size_t dot = key.rfind('.');
        dot != std::string_view::npos && endings.find(key.substr(dot)) != endings.end())
        return true;
    QString rel;
    for (const Pattern& p : others) {
        if (p.wholeTail ? key != p.tail : !key.ends_with(p.tail))
            continue;
        if (folded.isNull())
            folded = QString::fromLatin1(key.data(), qsizetype(key.size()));
        if (p.path && rel.isNull()) {
            rel = folder.empty() ? folded : Folded(folder) + QLatin1Char('/') + folded;
        }
        if (NameFits(p.path ? rel : folded, p.text))
            return true;
    }
    return false;
}

bool WalkFilter::SkipsFolder(std::string_view folder, std::string_view name) const
{
    return (!m_exclude.empty() && m_exclude.Fits(folder, name)) ||
           (!m_excludeFolders.empty() && m_excludeFolders.Fits(folder, name));
}

bool WalkFilter::SkipsFile(std::string_view folder, std::string_view name) const
{
    if (!m_exclude.empty() && m_exclude.Fits(folder, name))
        return true;
    return !m_include.empty() && !m_include.Fits(folder, name);
}
