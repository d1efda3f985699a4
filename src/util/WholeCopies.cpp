#include "util/WholeCopies.h"

#include "util/CommitJournal.h"
#include "util/FileSystem.h"
#include "util/Paths.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mrt {
namespace {

// Copies held open at once: each keeps a descriptor until it is flushed.
constexpr size_t kOpenAtOnce = 64;

struct Pending {
    const WholeCopy* job;
    std::string temp;
    int fd = -1;
    bool made = false; // the temporary file may exist
};

// Writes the copy into its temporary file, gives it its times and starts its writing to the disk.
bool writeCopy(Pending& p) {
    int source = ::open(p.job->source.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) return false;
    p.made = true;
    p.fd = Fs().OpenForWrite(p.temp);
    const struct timespec times[2] = {p.job->accessed, p.job->modified};
    bool ok = p.fd >= 0 && Fs().Copy(source, p.fd) == 0 && ::futimens(p.fd, times) == 0 && Fs().StartFlush(p.fd) == 0;
    int saved = errno;
    ::close(source);
    errno = saved;
    return ok;
}

bool flushCopy(Pending& p) {
    bool ok = Fs().Flush(p.fd) == 0;
    int saved = errno;
    int closed = Fs().Close(p.fd);
    p.fd = -1;
    if (ok && closed != 0) return false;
    errno = saved;
    return ok;
}

} // namespace

int ReplaceWithCopies(const std::string& folder, const std::vector<WholeCopy>& jobs) {
    if (jobs.empty()) return 0;
    const std::string tag = NewTag();
    std::vector<Pending> pending;
    pending.reserve(jobs.size());
    for (const WholeCopy& job : jobs) {
        std::string targetFolder, name;
        SplitPath(job.target, targetFolder, name);
        pending.push_back({&job, targetFolder + StagedName(name, tag)});
    }
    size_t renamed = 0;
    auto failed = [&]() {
        int saved = errno ? errno : EIO;
        for (size_t i = renamed; i < pending.size(); ++i) {
            if (pending[i].fd >= 0) Fs().Close(pending[i].fd);
            if (pending[i].made) Fs().Remove(pending[i].temp);
        }
        errno = saved;
        return -1;
    };
    // The disk writes a whole group while its first copies are waited for.
    for (size_t first = 0; first < pending.size(); first += kOpenAtOnce) {
        const size_t end = std::min(first + kOpenAtOnce, pending.size());
        for (size_t i = first; i < end; ++i)
            if (!writeCopy(pending[i])) return failed();
        for (size_t i = first; i < end; ++i)
            if (!flushCopy(pending[i])) return failed();
    }
    for (; renamed < pending.size(); ++renamed)
        if (Fs().Rename(pending[renamed].temp, pending[renamed].job->target) != 0) return failed();
    return Fs().SyncFolder(folder);
}

} // namespace mrt
