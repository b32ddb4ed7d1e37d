#include "compare/Matcher.h"

#include "env/NameBytes.h"

#include <QHash>

namespace {
// Whether two files have the same relative folder and name regardless of case.
bool SameKey(const WalkResult& w1, const WalkFile& a, const WalkResult& w2, const WalkFile& b)
{
    return SameNameIgnoringCase(a.name, b.name) && SameNameIgnoringCase(w1.folders[a.folder], w2.folders[b.folder]);
}

bool SameSpelling(const WalkResult& w1, const WalkFile& a, const WalkResult& w2, const WalkFile& b)
{
    return a.name == b.name && w1.folders[a.folder] == w2.folders[b.folder];
}
} // namespace

KeyedWalk KeyWalk(WalkResult w)
{
    KeyedWalk k{std::move(w), {}};
    std::vector<QString> folded;
    folded.reserve(k.w.folders.size());
    for (const QString& f : k.w.folders)
        folded.push_back(FoldName(f) + QChar(0));
    k.keys.reserve(k.w.files.size());
    for (const WalkFile& f : k.w.files)
        k.keys.push_back(qHash(QString(folded[f.folder] + FoldName(f.name)), 0));
    return k;
}

// Exact spellings claim their rows first; every row is claimed at most once.
std::vector<int> MatchFiles(const KeyedWalk& k1, const KeyedWalk& k2)
{
    const WalkResult &w1 = k1.w, &w2 = k2.w;
    QHash<size_t, int> first; // files whose keys hash alike are chained
    first.reserve(qsizetype(w1.files.size()));
    std::vector<int> next(w1.files.size(), kNoMatch), last(w1.files.size(), kNoMatch);
    for (size_t i = 0; i < w1.files.size(); ++i) {
        auto it = first.find(k1.keys[i]);
        if (it == first.end()) {
            first.insert(k1.keys[i], int(i));
            last[i] = int(i);
        } else {
            next[size_t(last[size_t(it.value())])] = int(i);
            last[size_t(it.value())] = int(i);
        }
    }
    std::vector<int> head(w2.files.size(), kNoMatch), match(w2.files.size(), kNoMatch);
    std::vector<char> claimed(w1.files.size(), 0);
    auto claim = [&](size_t j, auto&& fits) {
        const WalkFile& f = w2.files[j];
        for (int i = head[j]; i != kNoMatch; i = next[size_t(i)]) {
            const WalkFile& g = w1.files[size_t(i)];
            if (!claimed[size_t(i)] && fits(g, f)) {
                claimed[size_t(i)] = 1;
                match[j] = i;
                return;
            }
        }
    };
    for (size_t j = 0; j < w2.files.size(); ++j) {
        head[j] = first.value(k2.keys[j], kNoMatch);
        claim(j, [&](const WalkFile& g, const WalkFile& f) { return SameSpelling(w1, g, w2, f); });
    }
    for (size_t j = 0; j < w2.files.size(); ++j) {
        if (match[j] == kNoMatch)
            claim(j, [&](const WalkFile& g, const WalkFile& f) { return SameKey(w1, g, w2, f); });
    }
    return match;
}
