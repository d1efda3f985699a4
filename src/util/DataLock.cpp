#include "util/DataLock.h"

#include "util/CommitGate.h"
#include "util/Paths.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace mrt {

DataLock::~DataLock() {
    Release();
}

bool DataLock::Acquire(const std::string& home) {
    if (m_fd >= 0) return true;
    std::string path = JoinPath(home, ".mrtkel.lock");
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_gate = OpenCommitGate(home);
    return true;
}

void DataLock::Release() {
    if (m_fd < 0) return;
    CloseCommitGate(m_gate);
    m_gate = -1;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

} // namespace mrt
