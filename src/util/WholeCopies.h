#pragma once
#include <ctime>
#include <string>
#include <vector>

namespace mrt {

// One file to copy: where from, where to, and the times the copy is given.
struct WholeCopy {
    std::string source;
    std::string target;
    struct timespec accessed {};
    struct timespec modified {};
};

// Replaces the targets, all inside `folder`, by copies of their sources, each whole or not at
// all. Every copy is first written beside its target under a temporary name (StagedName, one tag
// for the call), given its times and flushed; only then is each renamed over its target, and the
// folder is synced once at the end. On a failure the temporary files not renamed yet are removed;
// the targets renamed before it keep their copies. 0 done; -1 failed (errno set). Writes, flushes,
// renames and the folder sync go through Fs().
int ReplaceWithCopies(const std::string& folder, const std::vector<WholeCopy>& jobs);

} // namespace mrt
