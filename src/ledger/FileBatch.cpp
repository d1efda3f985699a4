#include "ledger/FileBatch.h"

#include "util/Paths.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace mrt {
namespace {

int64_t g_failAfter = -1; // bytes still allowed before an injected failure; -1 = off
// Above this many files a commit syncs the file system once instead of each file.
constexpr size_t kFilesPerSync = 4;

std::string tempName(const std::string& path) { return path + kTempSuffix; }

bool writeAll(int fd, std::string_view data, std::string& error) {
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        size_t chunk = left;
        if (g_failAfter >= 0) {
            if (g_failAfter == 0) {
                error = std::strerror(ENOSPC);
                return false;
            }
            if (static_cast<int64_t>(chunk) > g_failAfter) chunk = static_cast<size_t>(g_failAfter);
        }
        ssize_t w = ::write(fd, p, chunk);
        if (w < 0) {
            if (errno == EINTR) continue;
            error = std::strerror(errno);
            return false;
        }
        if (g_failAfter >= 0) g_failAfter -= w;
        p += w;
        left -= static_cast<size_t>(w);
    }
    return true;
}

} // namespace

void SetFileBatchFailureAfter(int64_t bytes) { g_failAfter = bytes < 0 ? -1 : bytes; }

FileBatch::~FileBatch() { Abort(); }

bool FileBatch::Stage(const std::string& path, std::string_view data, std::string& error) {
    std::string temp = tempName(path);
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    bool ok = writeAll(fd, data, error);
    if (::close(fd) != 0 && ok) {
        error = std::strerror(errno);
        ok = false;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    for (const Staged& s : m_files)
        if (s.path == path) return true;
    m_files.push_back({path, temp});
    return true;
}

bool FileBatch::Commit(std::string& error) {
    // Flush every temporary file before the first rename, so a crash leaves either the old
    // files or complete new ones. Many files are flushed with one file-system sync, which costs
    // about as much as flushing one file.
    if (m_files.size() > kFilesPerSync) {
        int fd = ::open(m_files.front().temp.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::syncfs(fd) != 0) {
            error = std::strerror(errno);
            if (fd >= 0) ::close(fd);
            Abort();
            return false;
        }
        ::close(fd);
    } else for (const Staged& s : m_files) {
        int fd = ::open(s.temp.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::fdatasync(fd) != 0) {
            error = std::strerror(errno);
            if (fd >= 0) ::close(fd);
            Abort();
            return false;
        }
        ::close(fd);
    }
    for (size_t i = 0; i < m_files.size(); ++i) {
        if (std::rename(m_files[i].temp.c_str(), m_files[i].path.c_str()) != 0) {
            error = std::strerror(errno);
            m_files.erase(m_files.begin(), m_files.begin() + static_cast<std::ptrdiff_t>(i));
            Abort();
            return false;
        }
    }
    m_files.clear();
    return true;
}

std::string FileBatch::StagedFile(const std::string& path) const {
    for (const Staged& s : m_files)
        if (s.path == path) return s.temp;
    return {};
}

void FileBatch::Abort() {
    for (const Staged& s : m_files) ::unlink(s.temp.c_str());
    m_files.clear();
}

} // namespace mrt
