#include "compare/rows/RowTable.h"

#include "compare/engine/DateText.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr qsizetype kBlock = qsizetype(1) << 19; // characters
} // namespace

void RowTable::Clear()
{
    m_rows.clear();
    m_folders.clear();
    m_codes.clear();
    m_folderIndex.clear();
    m_moved.clear();
    m_blocks.clear();
    m_room = m_blockSize = 0;
}

RowTable::Date RowTable::Pack(const QString& t)
{
    if (t.isEmpty())
        return {kNone, 0, 0, 0, 0};
    DateFields f;
    if (ReadDateText(t, f))
        return {quint8(f[0]), quint8(f[1]), quint8(f[2]), quint8(f[3]), quint8(f[4])};
    return {kText, 0, 0, 0, 0};
}

QString RowTable::Unpack(const Date& d, const QChar*& text) const
{
    if (d[0] == kNone)
        return QString();
    if (d[0] == kText) { // its length, then its characters
        const qsizetype n = qsizetype(text[0].unicode()) << 16 | text[1].unicode();
        QString s(text + 2, n);
        text += n + 2;
        return s;
    }
    return WriteDateText({d[0], d[1], d[2], d[3], d[4]});
}

const QChar* RowTable::Store(const GridRow& r, const Date& d1, const Date& d2)
{
    qsizetype need = r.sFL.size();
    for (const auto* d : {&d1, &d2})
        if ((*d)[0] == kText)
            need += 2 + (d == &d1 ? r.sU1 : r.sU2).size();
    if (need > m_room || m_blocks.empty()) { // a new block; a row longer than a block gets one of its own size
        m_blockSize = std::max(kBlock, need);
        m_blocks.push_back(std::make_unique_for_overwrite<QChar[]>(size_t(m_blockSize)));
        m_room = m_blockSize;
    }
    QChar* o = m_blocks.back().get() + (m_blockSize - m_room);
    QChar* const at = o;
    o = std::copy(r.sFL.begin(), r.sFL.end(), o);
    for (const auto* d : {&d1, &d2}) {
        if ((*d)[0] != kText)
            continue;
        const QString& t = d == &d1 ? r.sU1 : r.sU2;
        *o++ = QChar(char16_t(t.size() >> 16));
        *o++ = QChar(char16_t(t.size() & 0xffff));
        o = std::copy(t.begin(), t.end(), o);
    }
    m_room -= need;
    return at;
}

quint32 RowTable::FolderOf(const QString& f)
{
    if (!m_folders.empty() && m_folders.back() == f)
        return quint32(m_folders.size() - 1);
    auto it = m_folderIndex.constFind(f);
    if (it != m_folderIndex.constEnd())
        return it.value();
    m_folders.push_back(f);
    m_folderIndex.insert(f, quint32(m_folders.size() - 1));
    return quint32(m_folders.size() - 1);
}

quint16 RowTable::CodeOf(const QString& c)
{
    for (size_t i = 0; i < m_codes.size(); ++i)
        if (m_codes[i] == c)
            return quint16(i);
    m_codes.push_back(c);
    return quint16(m_codes.size() - 1);
}

void RowTable::Add(const GridRow& r)
{
    const Date d1 = Pack(r.sU1), d2 = Pack(r.sU2);
    const QChar* text = Store(r, d1, d2);
    m_rows.push_back({r.nS1, r.nS2, text, FolderOf(r.sPh), quint32(r.sFL.size()), CodeOf(r.sED), d1, d2});
    if (r.Moved())
        m_moved.emplace(m_rows.size() - 1, std::pair{r.sPh2, r.sFL2});
}

const std::pair<QString, QString>* RowTable::Moved(size_t i) const
{
    const auto it = m_moved.find(i);
    return it == m_moved.end() ? nullptr : &it->second;
}

GridRow RowTable::At(size_t i) const
{
    const Packed& p = m_rows[i];
    const QChar* dates = p.text + p.nameLen;
    GridRow r;
    r.sPh = m_folders[p.folder];
    r.sFL = QString::fromRawData(p.text, qsizetype(p.nameLen));
    r.sED = m_codes[p.code];
    r.sU1 = Unpack(p.d1, dates);
    r.sU2 = Unpack(p.d2, dates);
    r.nS1 = p.s1;
    r.nS2 = p.s2;
    if (const auto* m = Moved(i)) {
        r.sPh2 = m->first;
        r.sFL2 = m->second;
    }
    return r;
}
