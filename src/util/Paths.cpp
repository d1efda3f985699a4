#include "util/Paths.h"

#include "port/Dialogs.h"
#include "util/FileBatch.h"
#include "util/FileSystem.h"
#include "util/SystemError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mrt {

void SplitPath(std::string_view path, std::string& folder, std::string& file) {
    std::string p(path);
    while (!p.empty() && p.back() == ' ')
        p.pop_back();
    size_t pos = p.rfind('/');
    if (pos == std::string::npos) {
        folder.clear();
        file = p;
    } else {
        folder = p.substr(0, pos + 1);
        file = p.substr(pos + 1);
    }
}

std::string JoinPath(std::string_view folder, std::string_view file) {
    std::string r(folder);
    if (r.empty()) return std::string(file); // a bare name stays relative, never "/name"
    if (r.back() != '/') r += '/';
    r += file;
    return r;
}

std::string ResolveCase(std::string_view folder, std::string_view name) {
    std::string exact = JoinPath(folder, name);
    struct stat st;
    if (::stat(exact.c_str(), &st) == 0) return exact;
    std::string dirPath = folder.empty() ? std::string(".") : std::string(folder);
    DIR* dir = ::opendir(dirPath.c_str());
    if (!dir) return exact;
    std::string found;
    std::string wanted(name);
    while (dirent* e = ::readdir(dir)) {
        if (::strcasecmp(e->d_name, wanted.c_str()) == 0) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found.empty() ? exact : JoinPath(folder, found);
}

std::string ResolvePath(std::string_view path) {
    std::string folder, file;
    SplitPath(path, folder, file);
    if (file.empty()) return std::string(path);
    return ResolveCase(folder, file);
}

int FileMissing(std::string_view path, Dialogs& dlg) {
    for (;;) {
        std::string p = ResolvePath(path);
        struct stat st;
        if (::stat(p.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 1 : 0;
        if (errno == ENOENT || errno == ENOTDIR) return 1;
        std::string err = SystemErrorText(errno);
        MsgResult r = dlg.MsgBox(err, "ファイルオープンエラー ( " + std::string(path) + " )", MsgIcon::Exclamation,
                                 MsgButtons::RetryCancel);
        if (r != MsgResult::Retry) return -1;
    }
}

bool IsTempFileName(std::string_view name) {
    const std::string_view suffix(kTempSuffix);
    return name.size() > suffix.size() && name.substr(name.size() - suffix.size()) == suffix;
}

bool ReadWholeFile(const std::string& path, ByteBuffer& data) {
    data.clear();
    BeforeRead(path);
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    // Reads straight into a block of the file's size, which is not cleared first; a file that
    // grows meanwhile is still read to its end, one that shrinks is cut to what was read.
    struct stat st {};
    size_t cap =
        ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : 65536;
    data.reserve(cap);
    size_t used = 0;
    bool ok = true;
    for (;;) {
        if (used == data.capacity()) data.reserve(data.capacity() * 2);
        data.resizeForOverwrite(data.capacity());
        ssize_t n = ::read(fd, data.data() + used, data.size() - used);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        if (n == 0) break;
        used += static_cast<size_t>(n);
    }
    int saved = errno;
    ::close(fd);
    errno = saved;
    data.truncate(ok ? used : 0);
    return ok;
}

bool ReadWholeFile(const std::string& path, std::string& data) {
    ByteBuffer bytes;
    const bool ok = ReadWholeFile(path, bytes);
    data.assign(bytes.view());
    return ok;
}

bool WriteWholeFile(const std::string& path, std::string_view data) {
    FileBatch batch;
    std::string error;
    return batch.Stage(path, data, error) && batch.Commit(error);
}

} // namespace mrt
