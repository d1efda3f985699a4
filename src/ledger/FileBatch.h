#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mrt {

// Replaces several files together: each staged file is written completely to a temporary file
// beside its target; Commit flushes them to disk and renames them over their targets only after
// every one was written. Until Commit nothing visible changes; a batch dropped without Commit
// removes its temporary files.
class FileBatch {
public:
    FileBatch() = default;
    ~FileBatch();
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;

    // Writes the temporary file of `path` (replacing an earlier staging of the same path).
    // False with `error` set when it could not be written.
    bool Stage(const std::string& path, std::string_view data, std::string& error);
    // Flushes and renames every staged file. False with `error` set when something failed; the
    // files renamed before the failure stay replaced.
    bool Commit(std::string& error);
    // Removes the temporary files without touching the targets.
    void Abort();

    bool Empty() const { return m_files.empty(); }
    // The temporary file holding the staged content of `path`; empty when it is not staged.
    std::string StagedFile(const std::string& path) const;

private:
    struct Staged {
        std::string path;
        std::string temp;
    };
    std::vector<Staged> m_files;
};

// Fault injection for tests: every staged write fails once this many bytes in total have been
// written by FileBatch objects from now on; a negative value switches it off.
void SetFileBatchFailureAfter(int64_t bytes);

} // namespace mrt
