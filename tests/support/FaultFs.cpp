#include "support/FaultFs.h"

#include "util/Paths.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace mrt::test {
namespace {

std::string normal(const std::string& path) {
    std::error_code ec;
    std::string p = std::filesystem::absolute(path, ec).lexically_normal().string();
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    return p;
}

std::string readAll(int fd) {
    struct stat st;
    if (::fstat(fd, &st) != 0) return {};
    std::string data(static_cast<size_t>(st.st_size), '\0');
    size_t got = 0;
    while (got < data.size()) {
        ssize_t n = ::pread(fd, data.data() + got, data.size() - got, static_cast<off_t>(got));
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    data.resize(got);
    return data;
}

void writePlain(const std::string& path, const std::string& data) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
}

} // namespace

FaultFs::FaultFs(const std::string& folder) {
    if (folder.empty()) return;
    m_folder = normal(folder);
    DIR* dir = ::opendir(m_folder.c_str());
    if (!dir) return;
    while (dirent* e = ::readdir(dir)) {
        std::string path = m_folder + "/" + e->d_name;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        int node = m_nextNode++;
        m_names[e->d_name] = node;
        ReadWholeFile(path, m_flushed[node]);
    }
    ::closedir(dir);
    m_durable = m_names;
}

FaultFs::~FaultFs() {
    if (&Fs() == this) SetFileSystem(nullptr);
}

bool FaultFs::pass(const char* op) {
    ++m_calls;
    m_log.emplace_back(op);
    if ((m_crashAt > 0 && m_calls >= m_crashAt) || m_calls == m_failCall) {
        errno = EIO;
        return false;
    }
    return true;
}

std::string FaultFs::nameIn(const std::string& path) const {
    if (m_folder.empty()) return {};
    std::filesystem::path p(normal(path));
    if (p.parent_path().string() != m_folder) return {};
    return p.filename().string();
}

int FaultFs::OpenForWrite(const std::string& path) {
    if (!pass("OpenForWrite")) return -1;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return -1;
    int node = -1;
    if (std::string name = nameIn(path); !name.empty()) {
        auto it = m_names.find(name);
        node = it != m_names.end() ? it->second : (m_names[name] = m_nextNode++);
    }
    m_fdNode[fd] = node;
    return fd;
}

bool FaultFs::writeLimited(int fd, const char* data, size_t size) {
    size_t n = size;
    bool full = m_bytesLeft >= 0 && static_cast<int64_t>(size) > m_bytesLeft;
    if (full) n = static_cast<size_t>(m_bytesLeft);
    size_t done = 0;
    while (done < n) {
        ssize_t w = ::write(fd, data + done, n - done);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(w);
    }
    if (m_bytesLeft >= 0) m_bytesLeft -= static_cast<int64_t>(n);
    if (full) {
        errno = ENOSPC;
        return false;
    }
    return true;
}

int FaultFs::Write(int fd, const char* data, size_t size) {
    if (!pass("Write")) return -1;
    return writeLimited(fd, data, size) ? 0 : -1;
}

int FaultFs::Copy(int source, int fd) {
    if (!pass("Copy")) return -1;
    return ReadChunks(source, [&](const char* data, size_t n) { return writeLimited(fd, data, n); });
}

int FaultFs::StartFlush(int fd) {
    if (!pass("StartFlush")) return -1;
    if (m_fdNode.count(fd)) return 0;
    errno = EBADF;
    return -1;
}

int FaultFs::Flush(int fd) {
    if (!pass("Flush")) return -1;
    auto it = m_fdNode.find(fd);
    if (it == m_fdNode.end()) {
        errno = EBADF;
        return -1;
    }
    if (it->second >= 0) m_flushed[it->second] = readAll(fd);
    return 0;
}

int FaultFs::Close(int fd) {
    bool ok = pass("Close");
    ::close(fd); // the descriptor is released whatever the result
    m_fdNode.erase(fd);
    if (!ok) {
        errno = EIO;
        return -1;
    }
    return 0;
}

int FaultFs::Rename(const std::string& from, const std::string& to) {
    if (!pass("Rename")) return -1;
    if (::rename(from.c_str(), to.c_str()) != 0) return -1;
    std::string a = nameIn(from), b = nameIn(to);
    int node = -1;
    if (!a.empty()) {
        auto it = m_names.find(a);
        if (it != m_names.end()) node = it->second;
        m_names.erase(a);
    }
    if (!b.empty()) {
        if (node < 0) node = m_nextNode++;
        m_names[b] = node;
    }
    return 0;
}

int FaultFs::Link(const std::string& from, const std::string& to) {
    if (!pass("Link")) return -1;
    if (m_noLinks) {
        errno = EPERM;
        return -1;
    }
    if (::link(from.c_str(), to.c_str()) != 0) return -1;
    std::string a = nameIn(from), b = nameIn(to);
    if (!b.empty()) {
        auto it = a.empty() ? m_names.end() : m_names.find(a);
        m_names[b] = it != m_names.end() ? it->second : m_nextNode++;
    }
    return 0;
}

int FaultFs::Remove(const std::string& path) {
    if (!pass("Remove")) return -1;
    if (::unlink(path.c_str()) != 0) return -1;
    if (std::string name = nameIn(path); !name.empty()) m_names.erase(name);
    return 0;
}

int FaultFs::SyncFolder(const std::string& folder) {
    if (!pass("SyncFolder")) return -1;
    if (!m_folder.empty() && normal(folder) == m_folder) m_durable = m_names;
    return 0;
}

void FaultFs::PowerCut(bool keepDataNames) {
    if (m_folder.empty()) return;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(m_folder, ec))
        if (e.is_regular_file()) ::unlink(e.path().c_str());
    std::map<std::string, int> survivors = m_durable;
    if (keepDataNames) {
        for (auto it = survivors.begin(); it != survivors.end();)
            it = IsTempFileName(it->first) || m_names.count(it->first) ? std::next(it) : survivors.erase(it);
        for (const auto& [name, node] : m_names)
            if (!IsTempFileName(name)) survivors[name] = node;
    }
    for (const auto& [name, node] : survivors) {
        auto it = m_flushed.find(node);
        writePlain(m_folder + "/" + name, it == m_flushed.end() ? std::string() : it->second);
    }
    m_names = m_durable = survivors;
}

void FailWritesAfter(int64_t bytes) {
    static std::unique_ptr<FaultFs> fs;
    if (bytes < 0) {
        SetFileSystem(nullptr);
        fs.reset();
        return;
    }
    fs = std::make_unique<FaultFs>("");
    fs->FailWritesAfter(bytes);
    SetFileSystem(fs.get());
}

} // namespace mrt::test
