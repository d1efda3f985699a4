#include "util/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace mrt {
namespace {

// Errors of a copy inside the kernel that mean the system or the pair of files cannot do it (an
// older system, files on different file systems, a pipe); the copy then reads and writes.
bool copyUnsupported(int e) {
    return e == ENOSYS || e == EXDEV || e == EINVAL || e == EOPNOTSUPP;
}

class SystemFileSystem : public FileSystem {
public:
    int OpenForWrite(const std::string& path) override {
        return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    }

    int Write(int fd, const char* data, size_t size) override {
        while (size > 0) {
            ssize_t w = ::write(fd, data, size);
            if (w < 0) {
                if (errno == EINTR) continue;
                return -1;
            }
            data += w;
            size -= static_cast<size_t>(w);
        }
        return 0;
    }

    int Copy(int source, int fd) override {
        // Both offsets move with what was copied, so the read and write below go on from there.
        for (;;) {
            ssize_t n = ::copy_file_range(source, nullptr, fd, nullptr, size_t{1} << 30, 0);
            if (n == 0) return 0;
            if (n > 0) continue;
            if (errno == EINTR) continue;
            if (!copyUnsupported(errno)) return -1;
            break;
        }
        return ReadChunks(source, [&](const char* data, size_t n) { return Write(fd, data, n) == 0; });
    }

    int StartFlush(int fd) override {
        if (::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE) == 0) return 0;
        // Where it is not to be had, the later Flush does all the waiting; a write error is one.
        return errno == ENOSYS || errno == EINVAL || errno == ESPIPE || errno == EOPNOTSUPP ? 0 : -1;
    }

    int Flush(int fd) override { return ::fdatasync(fd); }

    int Close(int fd) override { return ::close(fd); }

    int Rename(const std::string& from, const std::string& to) override { return ::rename(from.c_str(), to.c_str()); }

    int Link(const std::string& from, const std::string& to) override { return ::link(from.c_str(), to.c_str()); }

    int Remove(const std::string& path) override { return ::unlink(path.c_str()); }

    int SyncFolder(const std::string& folder) override {
        int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return -1;
        int r = ::fsync(fd);
        int saved = errno;
        ::close(fd);
        errno = saved;
        return r;
    }
};

SystemFileSystem g_system;
FileSystem* g_current = &g_system;

} // namespace

int ReadChunks(int source, const std::function<bool(const char*, size_t)>& sink) {
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(source, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) return 0;
        if (!sink(buf, static_cast<size_t>(n))) return -1;
    }
}

FileSystem& Fs() {
    return *g_current;
}

void SetFileSystem(FileSystem* fs) {
    g_current = fs ? fs : &g_system;
}

namespace {
std::function<void(const std::string&)>& readHook() {
    static std::function<void(const std::string&)> hook;
    return hook;
}
} // namespace

void SetReadHook(std::function<void(const std::string& path)> hook) {
    readHook() = std::move(hook);
}

void BeforeRead(const std::string& path) {
    if (readHook()) readHook()(path);
}

} // namespace mrt
