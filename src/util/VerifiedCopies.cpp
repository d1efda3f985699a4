#include "util/VerifiedCopies.h"

#include "util/FileCopy.h"
#include "util/FileSystem.h"
#include "util/Paths.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace mrt {
namespace {

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull, kPrime2 = 0xC2B2AE3D27D4EB4Full, kPrime3 = 0x165667B19E3779F9ull;
constexpr const char* kHeader = "mrtkel-verified-copies 1";

uint64_t load64(const char* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

uint64_t mix(uint64_t acc, uint64_t input) {
    return std::rotl(acc + input * kPrime2, 31) * kPrime1;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool sameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

uint64_t ContentHash(std::string_view bytes) {
    const char* p = bytes.data();
    const size_t n = bytes.size();
    size_t i = 0;
    // Four lanes of eight bytes, so the multiplications of a block run side by side.
    uint64_t lane[4] = {kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1};
    for (; i + 32 <= n; i += 32)
        for (int l = 0; l < 4; ++l)
            lane[l] = mix(lane[l], load64(p + i + 8 * static_cast<size_t>(l)));
    uint64_t h = std::rotl(lane[0], 1) + std::rotl(lane[1], 7) + std::rotl(lane[2], 12) + std::rotl(lane[3], 18);
    h ^= n * kPrime3;
    for (; i + 8 <= n; i += 8)
        h = std::rotl(h ^ mix(0, load64(p + i)), 27) * kPrime1 + kPrime3;
    for (; i < n; ++i)
        h = std::rotl(h ^ (static_cast<unsigned char>(p[i]) * kPrime3), 11) * kPrime1;
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime3;
    return h ^ (h >> 32);
}

VerifiedCopies::VerifiedCopies(std::string backupFolder) : m_folder(std::move(backupFolder)) {
    std::string text;
    if (!ReadWholeFile(JoinPath(m_folder, kFileName), text)) return;
    // "name size seconds nanoseconds hash" a line between the header and "end COUNT".
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kHeader) return;
    std::map<std::string, Entry> read;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name;
        Entry e;
        unsigned long long hash = 0;
        if (line.rfind("end ", 0) == 0) {
            size_t count = 0;
            if (std::sscanf(line.c_str() + 4, "%zu", &count) == 1 && count == read.size()) m_copies = std::move(read);
            return;
        }
        if (!(fields >> name >> e.size >> e.modified.tv_sec >> e.modified.tv_nsec >> std::hex >> hash)) return;
        e.hash = hash;
        read[lower(name)] = e;
    }
}

bool VerifiedCopies::hashOf(const std::string& path, const std::string& key, Entry& e) {
    struct stat before, after;
    if (::stat(path.c_str(), &before) != 0 || !S_ISREG(before.st_mode)) return false;
    auto taken = m_taken.find(key);
    if (taken != m_taken.end() && taken->second.size == before.st_size &&
        sameTime(taken->second.modified, before.st_mtim)) {
        e = taken->second;
        return true;
    }
    if (!ReadWholeFile(path, m_bytes) || ::stat(path.c_str(), &after) != 0) return false;
    // A file written while it was read has no one hash.
    if (after.st_size != before.st_size || static_cast<int64_t>(m_bytes.size()) != before.st_size ||
        !sameTime(after.st_mtim, before.st_mtim))
        return false;
    e = Entry{before.st_size, before.st_mtim, ContentHash(m_bytes.view())};
    m_taken[key] = e;
    return true;
}

bool VerifiedCopies::SameAsCopy(const std::string& sourceFolder, const std::string& name) {
    const std::string key = lower(name);
    const auto it = m_copies.find(key);
    if (it == m_copies.end()) return false;
    struct stat copy, source;
    if (::stat(ResolveCase(m_folder, name).c_str(), &copy) != 0 || copy.st_size != it->second.size ||
        !sameTime(copy.st_mtim, it->second.modified))
        return false;
    const std::string path = JoinPath(sourceFolder, name);
    if (::stat(path.c_str(), &source) != 0 || source.st_size != it->second.size) return false;
    Entry e;
    return hashOf(path, key, e) && e.hash == it->second.hash;
}

bool VerifiedCopies::statCopy(const std::string& name, struct stat& st) const {
    return ::stat(JoinPath(m_folder, name).c_str(), &st) == 0 || ::stat(ResolveCase(m_folder, name).c_str(), &st) == 0;
}

int VerifiedCopies::TakeTimesOfSameCopies(const std::string& pattern, const std::string& sourceFolder) {
    std::string patFolder, patFile;
    SplitPath(pattern, patFolder, patFile);
    std::vector<std::string> names;
    if (ListFiles(sourceFolder, patFile, names) < 0) return -1;
    std::vector<std::string>& toRecord = m_toRecord[pattern];
    toRecord.clear();
    int same = 0;
    for (const std::string& name : names) {
        struct stat source, copy;
        const std::string path = JoinPath(sourceFolder, name);
        if (::stat(path.c_str(), &source) != 0) return -1;
        const bool hasCopy = statCopy(name, copy);
        if (hasCopy && sameTime(copy.st_mtim, source.st_mtim)) {
            // Unchanged: to be noted only when the record does not know the copy yet.
            const auto known = m_copies.find(lower(name));
            if (known == m_copies.end() || known->second.size != copy.st_size ||
                !sameTime(known->second.modified, copy.st_mtim))
                toRecord.push_back(name);
            continue;
        }
        toRecord.push_back(name);
        if (!hasCopy || !SameAsCopy(sourceFolder, name)) continue;
        const Entry& taken = m_taken[lower(name)];
        if (::stat(path.c_str(), &source) != 0 || !sameTime(source.st_mtim, taken.modified)) continue;
        const struct timespec times[2] = {source.st_atim, source.st_mtim};
        // Where the time cannot be set, the file is copied as any changed file.
        if (::utimensat(AT_FDCWD, ResolveCase(m_folder, name).c_str(), times, 0) != 0) continue;
        m_copies[lower(name)].modified = source.st_mtim;
        m_changed = true;
        ++same;
    }
    return same;
}

void VerifiedCopies::Record(const std::string& pattern, const std::string& sourceFolder) {
    for (const std::string& name : m_toRecord[pattern]) {
        struct stat source, copy;
        const std::string path = JoinPath(sourceFolder, name);
        if (::stat(path.c_str(), &source) != 0 || !statCopy(name, copy) || copy.st_size != source.st_size ||
            !sameTime(copy.st_mtim, source.st_mtim))
            continue;
        const std::string key = lower(name);
        const auto known = m_copies.find(key);
        if (known != m_copies.end() && known->second.size == copy.st_size &&
            sameTime(known->second.modified, copy.st_mtim))
            continue;
        Entry e;
        if (!hashOf(path, key, e) || e.size != copy.st_size || !sameTime(e.modified, copy.st_mtim)) continue;
        m_copies[key] = e;
        m_changed = true;
    }
    m_toRecord.erase(pattern);
}

int VerifiedCopies::Save() {
    if (!m_changed) return 0;
    std::string text = std::string(kHeader) + "\n";
    char line[96];
    for (const auto& [name, e] : m_copies) {
        if (name.find_first_of(" \t\r\n") != std::string::npos) continue; // not a name the record can hold
        std::snprintf(line, sizeof line, " %lld %lld %ld %016llx\n", static_cast<long long>(e.size),
                      static_cast<long long>(e.modified.tv_sec), static_cast<long>(e.modified.tv_nsec),
                      static_cast<unsigned long long>(e.hash));
        text += name + line;
    }
    text += "end " + std::to_string(m_copies.size()) + "\n";
    const std::string path = JoinPath(m_folder, kFileName), temp = path + kTempSuffix;
    const int fd = Fs().OpenForWrite(temp);
    bool ok = fd >= 0 && Fs().Write(fd, text.data(), text.size()) == 0;
    if (fd >= 0 && Fs().Close(fd) != 0) ok = false;
    if (ok && Fs().Rename(temp, path) == 0) {
        m_changed = false;
        return 0;
    }
    Fs().Remove(temp);
    return -1;
}

} // namespace mrt
