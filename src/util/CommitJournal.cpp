#include "util/CommitJournal.h"

#include "util/CommitGate.h"
#include "util/FileSystem.h"
#include "util/Paths.h"
#include "util/SystemError.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace mrt {
namespace {

constexpr std::string_view kHeader = "mrtkel-commit 1 ";
constexpr std::string_view kEnd = "end ";

bool exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

std::string withSlash(const std::string& folder) {
    if (folder.empty()) return "./";
    return folder.back() == '/' ? folder : folder + "/";
}

std::string folderKey(const std::string& folder) {
    std::error_code ec;
    std::string key = std::filesystem::absolute(withSlash(folder), ec).lexically_normal().string();
    while (key.size() > 1 && key.back() == '/')
        key.pop_back();
    return key;
}

std::map<std::string, FolderMark>& marks() {
    static std::map<std::string, FolderMark> m;
    return m;
}

int failed(std::string& error, const std::string& what) {
    error = what + ": " + SystemErrorText(errno);
    return -1;
}

bool validName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\n") == std::string_view::npos;
}

// True for the files a commit makes: its journals, "<target>.<tag>.tmp~" and "<target>.<tag>.undo.tmp~".
bool isCommitFileName(std::string_view name) {
    if (name == kCommitJournalName || name == kRollbackJournalName) return true;
    if (!IsTempFileName(name)) return false;
    std::string_view rest = name.substr(0, name.size() - std::string_view(kTempSuffix).size());
    if (rest.size() > 5 && rest.substr(rest.size() - 5) == ".undo") rest.remove_suffix(5);
    constexpr size_t kTagLength = 8;
    if (rest.size() < kTagLength + 2 || rest[rest.size() - kTagLength - 1] != '.') return false;
    return rest.substr(rest.size() - kTagLength).find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

// Removes the temporary files of one folder that `isTemp` names. False when one could not be removed.
bool removeTempFiles(const std::string& folder, std::string& error, bool (*isTemp)(std::string_view) = IsTempFileName) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        if (errno == ENOENT || errno == ENOTDIR) return true;
        failed(error, folder);
        return false;
    }
    std::vector<std::string> names;
    while (dirent* e = ::readdir(dir))
        if (isTemp(e->d_name)) names.emplace_back(e->d_name);
    ::closedir(dir);
    for (const std::string& n : names) {
        std::string path = folder + n;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (Fs().Remove(path) != 0 && errno != ENOENT) {
            failed(error, n);
            return false;
        }
    }
    return true;
}

// Reads and decodes one journal file. 1 none; 0 read (`ok` false when it is not a whole
// journal); -1 unreadable.
int readJournal(const std::string& path, Journal& journal, bool& ok, std::string& error) {
    if (!exists(path)) return 1;
    std::string bytes;
    errno = 0;
    if (!ReadWholeFile(path, bytes)) return failed(error, path);
    ok = DecodeJournal(bytes, journal);
    return 0;
}

// Removes the journal; no name means the commit had none. 0, or 1 when it stays (error set).
int removeJournal(const std::string& folder, const std::string& journalName, std::string& error) {
    if (journalName.empty() || Fs().Remove(folder + journalName) == 0 || errno == ENOENT) return 0;
    failed(error, journalName);
    return 1;
}

} // namespace

std::string NewTag() {
    static uint32_t counter = 0;
    uint64_t v = static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
    v ^= static_cast<uint64_t>(::getpid()) << 32;
    v += ++counter * 0x9E3779B97F4A7C15ull;
    v ^= v >> 29;
    char buf[24];
    std::snprintf(buf, sizeof buf, "%08x", static_cast<uint32_t>(v ^ (v >> 32)));
    return buf;
}

std::string StagedName(const std::string& target, const std::string& tag) {
    return target + "." + tag + kTempSuffix;
}

std::string UndoName(const std::string& target, const std::string& tag) {
    return target + "." + tag + ".undo" + kTempSuffix;
}

uint32_t Crc32(std::string_view bytes) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes)
        c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::string EncodeJournal(const Journal& journal) {
    std::string text(kHeader);
    text += journal.tag + "\n";
    for (const JournalEntry& e : journal.entries) {
        text += e.remove ? "D " : "R ";
        text += e.hadOld ? "1 " : "0 ";
        text += e.target + "\n";
    }
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x\n", Crc32(text));
    return text + std::string(kEnd) + crc;
}

bool DecodeJournal(std::string_view bytes, Journal& journal) {
    // The last line is "end <crc>\n" over everything before it.
    if (bytes.size() < kEnd.size() + 9 || bytes.back() != '\n') return false;
    size_t endLine = bytes.rfind('\n', bytes.size() - 2);
    if (endLine == std::string_view::npos) return false;
    std::string_view body = bytes.substr(0, endLine + 1);
    std::string_view last = bytes.substr(endLine + 1);
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x\n", Crc32(body));
    if (last != std::string(kEnd) + crc) return false;

    Journal j;
    size_t pos = 0;
    bool first = true;
    while (pos < body.size()) {
        size_t nl = body.find('\n', pos);
        std::string_view line = body.substr(pos, nl - pos);
        pos = nl + 1;
        if (first) {
            if (line.substr(0, kHeader.size()) != kHeader) return false;
            j.tag = std::string(line.substr(kHeader.size()));
            if (!validName(j.tag) || j.tag.find(' ') != std::string::npos) return false;
            first = false;
            continue;
        }
        if (line.size() < 5 || (line[0] != 'R' && line[0] != 'D') || line[1] != ' ' ||
            (line[2] != '0' && line[2] != '1') || line[3] != ' ' || !validName(line.substr(4)))
            return false;
        j.entries.push_back({line[0] == 'D', line[2] == '1', std::string(line.substr(4))});
    }
    if (first) return false;
    journal = std::move(j);
    return true;
}

int RollForward(const std::string& folderIn, const Journal& journal, const std::string& journalName,
                std::string& error) {
    const std::string folder = withSlash(folderIn);
    for (const JournalEntry& e : journal.entries) {
        const std::string target = folder + e.target;
        if (e.remove) {
            if (exists(target) && Fs().Remove(target) != 0 && errno != ENOENT) return failed(error, e.target);
        } else {
            const std::string staged = folder + StagedName(e.target, journal.tag);
            if (exists(staged) && Fs().Rename(staged, target) != 0) return failed(error, e.target);
        }
    }
    if (Fs().SyncFolder(folder) != 0) return failed(error, folder);
    // From here the commit is durable; what follows only tidies up.
    for (const JournalEntry& e : journal.entries) {
        const std::string undo = folder + UndoName(e.target, journal.tag);
        if (e.hadOld && exists(undo)) Fs().Remove(undo);
    }
    return removeJournal(folder, journalName, error);
}

int RollBack(const std::string& folderIn, const Journal& journal, const std::string& journalName, std::string& error) {
    const std::string folder = withSlash(folderIn);
    for (const JournalEntry& e : journal.entries) {
        const std::string target = folder + e.target;
        const std::string staged = folder + StagedName(e.target, journal.tag);
        const std::string undo = folder + UndoName(e.target, journal.tag);
        // A staged file still present was never renamed: its target was not touched. (A removal
        // has no staged file; its target is untouched while it exists.)
        bool untouched = e.remove ? exists(target) : exists(staged);
        if (untouched) {
            if (!e.remove && Fs().Remove(staged) != 0 && errno != ENOENT) return failed(error, e.target);
            // The undo copy is a second name of the target here; renaming it over the target
            // would do nothing, so it is removed.
            if (e.hadOld && exists(undo) && Fs().Remove(undo) != 0 && errno != ENOENT) return failed(error, e.target);
        } else if (e.hadOld) {
            // No undo copy left means it was renamed back already.
            if (exists(undo) && Fs().Rename(undo, target) != 0) return failed(error, e.target);
        } else if (exists(target) && Fs().Remove(target) != 0 && errno != ENOENT) {
            return failed(error, e.target);
        }
    }
    if (Fs().SyncFolder(folder) != 0) return failed(error, folder);
    return removeJournal(folder, journalName, error);
}

FolderMark MarkOf(const std::string& folder) {
    auto it = marks().find(folderKey(folder));
    return it == marks().end() ? FolderMark::None : it->second;
}

void SetMark(const std::string& folder, FolderMark mark) {
    if (mark == FolderMark::None)
        marks().erase(folderKey(folder));
    else
        marks()[folderKey(folder)] = mark;
}

bool HasUnfinishedCommit(const std::string& folder) {
    const std::string f = withSlash(folder);
    return exists(f + kCommitJournalName) || exists(f + kRollbackJournalName);
}

namespace {

// The journal part of a recovery: a rollback journal rolled back, a whole commit journal rolled
// forward, one cut off by a crash removed. `folder` ends in "/". 0 done; -1 (error set).
int finishCommit(const std::string& folder, std::string& error) {
    Journal journal;
    bool whole = false;
    // A rollback journal first: it was renamed from a whole commit journal.
    int r = readJournal(folder + kRollbackJournalName, journal, whole, error);
    if (r < 0) return -1;
    if (r == 0) {
        if (!whole) {
            error = std::string("壊れた取り消し記録です (") + kRollbackJournalName + ")";
            return -1;
        }
        if (RollBack(folder, journal, kRollbackJournalName, error) != 0) return -1;
    }
    r = readJournal(folder + kCommitJournalName, journal, whole, error);
    if (r < 0) return -1;
    if (r == 0) {
        // A journal cut off by a crash: its commit never renamed anything, so its staged and undo
        // files simply go with the other temporary files.
        if (whole) {
            if (RollForward(folder, journal, kCommitJournalName, error) != 0) return -1;
        } else if (Fs().Remove(folder + kCommitJournalName) != 0 && errno != ENOENT) {
            return failed(error, kCommitJournalName);
        }
    }
    return 0;
}

} // namespace

int RecoverDataFolder(const std::string& folderIn, std::string& error) {
    const std::string folder = withSlash(folderIn);
    // Readers wait while the targets are finished or put back.
    std::optional<CommitSection> section;
    if (HasUnfinishedCommit(folder)) section.emplace();
    if (finishCommit(folder, error) != 0) return -1;
    if (!removeTempFiles(folder, error)) return -1;
    if (!removeTempFiles(ResolveCase(folder, "BU") + "/", error)) return -1;
    SetMark(folder, FolderMark::None);
    return 0;
}

int RecoverCopyFolder(const std::string& folderIn, std::string& error) {
    const std::string folder = withSlash(folderIn);
    if (finishCommit(folder, error) != 0) return -1;
    if (!removeTempFiles(folder, error, isCommitFileName)) return -1;
    SetMark(folder, FolderMark::None);
    return 0;
}

} // namespace mrt
