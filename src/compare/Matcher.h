#pragma once
// Matching Folder 2's files to Folder 1's: by relative folder and name
// regardless of case (over all of Unicode for valid names; only ASCII case
// for names holding stray bytes), the exact spelling first, each Folder 1
// file taken by at most one Folder 2 file.
#include "compare/Walker.h"

#include <vector>

// The Folder 1 file a Folder 2 file has no partner in.
inline constexpr int kNoMatch = -1;

// A walk with a hash of each file's case-folded relative folder and name.
struct KeyedWalk {
    WalkResult w;
    std::vector<size_t> keys;
};
KeyedWalk KeyWalk(WalkResult w);

// For each Folder 2 file, the index of the Folder 1 file it pairs with, or
// kNoMatch.
std::vector<int> MatchFiles(const KeyedWalk& k1, const KeyedWalk& k2);
