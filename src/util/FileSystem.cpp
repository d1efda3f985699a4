#include "util/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace mrt {
namespace {

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

    int SyncAll(const std::string& path) override {
        int fd = ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return -1;
        int r = ::syncfs(fd);
        int saved = errno;
        ::close(fd);
        errno = saved;
        return r;
    }
};

SystemFileSystem g_system;
FileSystem* g_current = &g_system;

} // namespace

FileSystem& Fs() {
    return *g_current;
}

void SetFileSystem(FileSystem* fs) {
    g_current = fs ? fs : &g_system;
}

} // namespace mrt
