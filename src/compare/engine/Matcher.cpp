#include "compare/engine/Matcher.h"

#include "env/Error.h"
#include "env/NameBytes.h"

#include <QHash>
#include <algorithm>
#include <cstring>

namespace {
// Whether two files have the same relative folder and name regardless of case.
bool SameKey(const WalkResult& w1, const WalkFile& a, const WalkResult& w2, const WalkFile& b)
{
    return SameNameIgnoringCase(w1.Name(a), w2.Name(b)) && SameNameIgnoringCase(w1.Folder(a), w2.Folder(b));
}

bool SameSpelling(const WalkResult& w1, const WalkFile& a, const WalkResult& w2, const WalkFile& b)
{
    return std::strcmp(w1.NameBytes(a), w2.NameBytes(b)) == 0 && w1.Folder(a) == w2.Folder(b);
}
} // namespace

void KeyWalk(WalkResult& w)
{
    if (w.keys.size() == w.files.size())
        return;
    std::vector<QString> folded;
    folded.reserve(w.folders.size());
    for (const QString& f : w.folders)
        folded.push_back(FolderKey(f));
    QString buf;
    w.keys.clear();
    w.keys.reserve(w.files.size());
    for (const WalkFile& f : w.files)
        w.keys.push_back(FileKey(buf, folded[f.folder], QByteArrayView(w.NameBytes(f))));
}

namespace {
// Folder 1's files by key: an open-addressed table of the first file of
// each key, the files of one key chained in walk order. Four bytes a slot
// and four a file.
class KeyTable {
public:
    explicit KeyTable(const WalkResult& w) : m_w(w), m_next(w.files.size(), kNoMatch)
    {
        size_t size = 16;
        while (size < w.files.size() * 2)
            size *= 2;
        m_slots.assign(size, kNoMatch);
        for (size_t i = w.files.size(); i-- > 0;) { // in reverse, so each chain runs forward
            int& head = m_slots[Slot(w.keys[i])];
            m_next[i] = head;
            head = int(i);
        }
    }
    // The first Folder 1 file of the key, or kNoMatch.
    int First(size_t key) const { return m_slots[Slot(key)]; }
    int Next(int i) const { return m_next[size_t(i)]; }

private:
    // The slot of the key: its chain, or the empty slot it would take.
    size_t Slot(size_t key) const
    {
        const size_t mask = m_slots.size() - 1;
        size_t s = (key ^ (key >> 29)) & mask;
        while (m_slots[s] != kNoMatch && m_w.keys[size_t(m_slots[s])] != key)
            s = (s + 1) & mask;
        return s;
    }
    const WalkResult& m_w;
    std::vector<int> m_slots, m_next;
};
} // namespace

// Exact spellings claim their rows first; every row is claimed at most once.
std::vector<int> MatchFiles(const WalkResult& w1, const WalkResult& w2, const std::atomic<bool>* stop)
{
    const auto checkStop = [stop](size_t j) {
        if (stop && (j & 0xffff) == 0 && stop->load(std::memory_order_relaxed))
            ThrowStopped();
    };
    const KeyTable table(w1);
    std::vector<int> head(w2.files.size(), kNoMatch), match(w2.files.size(), kNoMatch);
    std::vector<char> claimed(w1.files.size(), 0);
    auto claim = [&](size_t j, auto&& fits) {
        const WalkFile& f = w2.files[j];
        for (int i = head[j]; i != kNoMatch; i = table.Next(i)) {
            const WalkFile& g = w1.files[size_t(i)];
            if (!claimed[size_t(i)] && fits(g, f)) {
                claimed[size_t(i)] = 1;
                match[j] = i;
                return;
            }
        }
    };
    for (size_t j = 0; j < w2.files.size(); ++j) {
        checkStop(j);
        head[j] = table.First(w2.keys[j]);
        claim(j, [&](const WalkFile& g, const WalkFile& f) { return SameSpelling(w1, g, w2, f); });
    }
    for (size_t j = 0; j < w2.files.size(); ++j) {
        checkStop(j);
        if (match[j] == kNoMatch)
            claim(j, [&](const WalkFile& g, const WalkFile& f) { return SameKey(w1, g, w2, f); });
    }
    return match;
}
