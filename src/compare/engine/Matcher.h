#pragma once
// Matching Folder 2's files to Folder 1's: by relative folder and name
// regardless of case (over all of Unicode for valid names; only ASCII case
// for names holding stray bytes), the exact spelling first, each Folder 1
// file taken by at most one Folder 2 file.
#include "compare/engine/MatchKey.h"
#include "compare/engine/Walker.h"

#include <atomic>
#include <vector>

// The Folder 1 file a Folder 2 file has no partner in.
inline constexpr int kNoMatch = -1;

// Gives a walk whose keys are missing (a walk built by hand) its keys.
void KeyWalk(WalkResult& w);

// For each Folder 2 file, the index of the Folder 1 file it pairs with, or
// kNoMatch. Once `stop` is set it ends soon with FcError(Stopped).
std::vector<int> MatchFiles(const WalkResult& w1, const WalkResult& w2, const std::atomic<bool>* stop = nullptr);
