#include "util/CommitGate.h"

#include "util/CommitJournal.h"
#include "util/DataLock.h"
#include "util/Paths.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mrt {
namespace {

int g_gate = -1;   // the gate this process's commits take
int g_writers = 0; // DataLocks held by this process
int g_depth = 0;   // CommitSections open on g_gate
int g_shared = -1; // a reader's gate while it holds the shared lock over a whole run

// The free run of ReadCommitted under way: its home and the gate as the run began.
struct FreeRun;
FreeRun* g_run = nullptr;

bool lockGate(int fd, int op) {
    while (::flock(fd, op) != 0)
        if (errno != EINTR) return false;
    return true;
}

// The commit count: 8 bytes, little-endian, at the start of the gate (0 while it is shorter).
uint64_t readCount(int fd) {
    unsigned char b[8] = {};
    if (::pread(fd, b, sizeof b, 0) != static_cast<ssize_t>(sizeof b)) return 0;
    uint64_t n = 0;
    for (int i = 7; i >= 0; --i)
        n = n << 8 | b[i];
    return n;
}

// Over the 8 bytes the gate got when it was opened, so the write needs no space on the disk.
bool writeCount(int fd, uint64_t n) {
    unsigned char b[8];
    for (unsigned char& c : b) {
        c = static_cast<unsigned char>(n & 0xFF);
        n >>= 8;
    }
    return ::pwrite(fd, b, sizeof b, 0) == static_cast<ssize_t>(sizeof b);
}

struct Stamp {
    bool present = false;
    dev_t dev = 0;
    ino_t ino = 0;
    uint64_t count = 0;
    bool operator==(const Stamp&) const = default;
};

// The gate as it is when no commit is under way: a commit running now is waited for.
Stamp stampOf(const std::string& home) {
    Stamp s;
    int fd = ::open(JoinPath(home, kCommitGateName).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return s;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && lockGate(fd, LOCK_SH)) {
        s = Stamp{true, st.st_dev, st.st_ino, readCount(fd)};
    }
    ::close(fd); // and with it the shared lock
    return s;
}

void dropShared() {
    if (g_shared >= 0) ::close(g_shared);
    g_shared = -1;
}

struct FreeRun {
    const std::string& home;
    Stamp before;
    bool held = false;
};

// Marks the free run in `g_run` for the time of one call of a reader; runs may nest.
class RunScope {
public:
    explicit RunScope(FreeRun* run) : m_outer(g_run) { g_run = run; }
    ~RunScope() { g_run = m_outer; }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

private:
    FreeRun* m_outer;
};

} // namespace

int OpenCommitGate(const std::string& home) {
    // A reader holding the shared lock that becomes a writer would wait for itself.
    dropShared();
    ++g_writers;
    int fd = ::open(JoinPath(home, kCommitGateName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || (st.st_size < 8 && !writeCount(fd, 0))) {
        ::close(fd);
        return -1;
    }
    g_gate = fd;
    return fd;
}

void CloseCommitGate(int gate) {
    if (g_writers > 0) --g_writers;
    if (gate < 0) return;
    if (gate == g_gate) {
        g_gate = -1;
        g_depth = 0;
    }
    ::close(gate);
}

bool CommitGateHeld() {
    return g_writers > 0;
}

CommitSection::CommitSection() {
    if (g_gate < 0) return;
    m_fd = g_gate;
    if (g_depth++ > 0) return;
    // Readers hold the shared lock only for a moment, unless one has been outrun by commits.
    if (lockGate(m_fd, LOCK_EX)) writeCount(m_fd, readCount(m_fd) + 1);
}

CommitSection::~CommitSection() {
    if (m_fd < 0 || m_fd != g_gate || g_depth == 0) return;
    if (--g_depth == 0) ::flock(m_fd, LOCK_UN);
}

int ReadCommitted(const std::string& home, const std::function<int()>& read, const std::function<void()>& discard) {
    for (int run = 0;; ++run) {
        if (CommitGateHeld()) {
            RunScope scope(nullptr);
            return read();
        }
        if (run >= kFreeReadRuns) {
            int fd = ::open(JoinPath(home, kCommitGateName).c_str(), O_RDONLY | O_CLOEXEC);
            if (fd >= 0 && lockGate(fd, LOCK_SH)) {
                g_shared = fd;
                RunScope scope(nullptr);
                int r = read();
                dropShared();
                return r;
            }
            if (fd >= 0) ::close(fd);
        }
        FreeRun free{home, stampOf(home)};
        int r;
        {
            RunScope scope(&free);
            r = read();
        }
        if (free.held || CommitGateHeld() || stampOf(home) == free.before) return r;
        discard();
    }
}

bool HoldCommittedRun() {
    // Under the shared lock no commit runs: the files opened so far hold the present state.
    dropShared();
    if (!g_run || CommitGateHeld()) return true;
    if (stampOf(g_run->home) != g_run->before) return false;
    g_run->held = true;
    return true;
}

int SettleUnfinishedCommit(const std::string& home, const std::string& dataFolder, DataLock& lock, std::string& error) {
    auto recover = [&] {
        std::string why;
        if (RecoverDataFolder(dataFolder, why) == 0) return 0;
        error = std::string(kRecoveryFailedMessage) + " " + why;
        return -1;
    };
    if (!HasUnfinishedCommit(dataFolder)) return 0;
    if (lock.Acquire(home)) return recover();
    // A commit of the lock's holder holds the gate until its journal is gone.
    stampOf(home);
    if (!HasUnfinishedCommit(dataFolder)) return 0;
    if (lock.Acquire(home)) return recover(); // the holder ended meanwhile
    error = kDataLockedMessage;
    return -1;
}

} // namespace mrt
