#include "util/FileCopy.h"

#include "port/Dialogs.h"
#include "util/FileBatch.h"
#include "util/Paths.h"
#include "util/ProgramInfo.h"
#include "util/WholeCopies.h"

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace mrt {
namespace {

bool matchFrom(const char* p, const char* s) {
    for (; *p; ++p, ++s) {
        if (*p == '*') {
            while (p[1] == '*')
                ++p;
            if (!p[1]) return true;
            for (; *s; ++s)
                if (matchFrom(p + 1, s)) return true;
            return false;
        }
        if (!*s) return false;
        if (*p != '?' && std::tolower(static_cast<unsigned char>(*p)) != std::tolower(static_cast<unsigned char>(*s)))
            return false;
    }
    return *s == 0;
}

} // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
    // "*.*" matches every name, also one without a dot ("README"), so a backup copies it.
    if (pattern == "*.*") return true;
    return matchFrom(pattern.c_str(), name.c_str());
}

int ListFiles(const std::string& folder, const std::string& pattern, std::vector<std::string>& names, bool withEmpty) {
    names.clear();
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return -1;
    while (dirent* e = ::readdir(dir)) {
        std::string n = e->d_name;
        if (n == "." || n == ".." || IsTempFileName(n) || !WildcardMatch(pattern, n)) continue;
        struct stat st;
        if (::stat(JoinPath(folder, n).c_str(), &st) != 0 || !S_ISREG(st.st_mode) || (st.st_size <= 0 && !withEmpty))
            continue;
        names.push_back(n);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return static_cast<int>(names.size());
}

namespace {

// True when `target` exists with the last-modified time of the source.
bool sameTime(const struct stat& source, const std::string& target) {
    struct stat t;
    return ::stat(target.c_str(), &t) == 0 && t.st_mtim.tv_sec == source.st_mtim.tv_sec &&
           t.st_mtim.tv_nsec == source.st_mtim.tv_nsec;
}

} // namespace

int ListChangedFiles(const std::string& pattern, const std::string& sourceFolder, const std::string& targetFolder,
                     std::vector<std::string>& names) {
    std::string patFolder, patFile;
    SplitPath(pattern, patFolder, patFile);
    std::vector<std::string> all;
    if (ListFiles(sourceFolder, patFile, all) < 0) return -1;
    names.clear();
    for (const std::string& n : all) {
        struct stat sst;
        if (::stat(JoinPath(sourceFolder, n).c_str(), &sst) != 0) return -1;
        if (!sameTime(sst, ResolveCase(targetFolder, n))) names.push_back(n);
    }
    return static_cast<int>(names.size());
}

int CopyChangedFiles(const std::string& pattern, const std::string& sourceFolder, const std::string& targetFolder,
                     Dialogs& dlg) {
    auto fail = [&dlg]() {
        dlg.MsgBox("ファイルの複写に失敗しました。", kProgramName, MsgIcon::Critical, MsgButtons::OK);
        return -1;
    };
    std::string patFolder, patFile;
    SplitPath(pattern, patFolder, patFile);
    std::vector<std::string> names;
    if (ListFiles(sourceFolder, patFile, names) < 0) return fail();
    struct stat tst;
    if (::stat(targetFolder.c_str(), &tst) != 0 || !S_ISDIR(tst.st_mode)) return fail();
    // A commit left unfinished there is completed or undone by the next start, over any copy.
    if (CommitsBlocked(targetFolder)) return fail();
    std::vector<WholeCopy> jobs;
    for (const std::string& n : names) {
        WholeCopy job{JoinPath(sourceFolder, n), ResolveCase(targetFolder, n)};
        // Two names differing only in case land on one target, whichever case it has or is given
        // first: the later source is copied over it, so the target ends as the last source listed.
        auto twin = std::find_if(jobs.begin(), jobs.end(), [&](const WholeCopy& j) {
            return j.target.size() == job.target.size() &&
                   ::strcasecmp(j.target.c_str() + targetFolder.size(), job.target.c_str() + targetFolder.size()) == 0;
        });
        const bool hasTwin = twin != jobs.end();
        if (hasTwin) {
            job.target = twin->target;
            jobs.erase(twin);
        }
        struct stat sst;
        if (::stat(job.source.c_str(), &sst) != 0) return fail();
        if (!hasTwin && sameTime(sst, job.target)) continue;
        job.accessed = sst.st_atim;
        job.modified = sst.st_mtim;
        jobs.push_back(std::move(job));
    }
    if (ReplaceWithCopies(targetFolder, jobs) != 0) return fail();
    return 0;
}

} // namespace mrt
