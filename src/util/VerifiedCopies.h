#pragma once
#include "util/ByteBuffer.h"

#include <cstdint>
#include <ctime>
#include <map>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace mrt {

// A 64-bit hash of the bytes, to tell whether a file still holds what it held (not against intent).
uint64_t ContentHash(std::string_view bytes);

// What the backup folder's copies hold, file by file: the copy's size and modification time and a
// hash of its bytes, kept in the backup folder as kFileName. A file whose bytes are those of its
// copy needs no check before it is backed up and no new copy, however its time changed (a restore
// gives every file a new one). An entry counts only while the copy still has the size and time it
// records; a missing or damaged record counts for nothing, so everything is checked and copied.
class VerifiedCopies {
public:
    static constexpr const char* kFileName = "verified-copies.txt";

    // Reads the record of the backup folder (a path ending with "/").
    explicit VerifiedCopies(std::string backupFolder);

    // True when the file `name` of `sourceFolder` holds the bytes of its copy in the backup folder.
    // Reads the file when the record knows the copy and the sizes agree.
    bool SameAsCopy(const std::string& sourceFolder, const std::string& name);
    // The changed files of `sourceFolder` matching `pattern` (see ListChangedFiles) that hold the
    // bytes of their copies: each copy is given its file's times, as a copy would be, so that
    // CopyChangedFiles leaves it alone. The number of such files; -1 when a folder cannot be read.
    int TakeTimesOfSameCopies(const std::string& pattern, const std::string& sourceFolder);
    // After TakeTimesOfSameCopies and the copy: notes the copies of the changed files and of those
    // the record did not know that are now up to date (the copy has its file's size and time),
    // with the hash SameAsCopy took of the file or one taken now.
    void Record(const std::string& pattern, const std::string& sourceFolder);
    // Writes the record when it changed, without waiting for the disk: a record lost or left old by
    // a crash never matches a copy made after it. 0 done; -1 not written (nothing else is wrong).
    int Save();

private:
    struct Entry {
        int64_t size = 0;
        struct timespec modified {};
        uint64_t hash = 0;
    };
    bool hashOf(const std::string& path, const std::string& key, Entry& e);
    bool statCopy(const std::string& name, struct stat& st) const;

    std::string m_folder;
    std::map<std::string, Entry> m_copies; // by file name in lower case
    std::map<std::string, Entry> m_taken;  // hashes of source files taken during this start
    std::map<std::string, std::vector<std::string>> m_toRecord; // by pattern, for Record
    bool m_changed = false;
    ByteBuffer m_bytes;
};

} // namespace mrt
