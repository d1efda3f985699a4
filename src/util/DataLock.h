#pragma once
#include <string>

namespace mrt {

// One program per data folder: an exclusive advisory lock on "<home>/.mrtkel.lock". The system
// drops the lock when its holder exits or is killed, so a lock left by a crash is taken over.
// While it is held, the commits of this process pass the home's commit gate (CommitGate.h).
class DataLock {
public:
    DataLock() = default;
    ~DataLock();
    DataLock(const DataLock&) = delete;
    DataLock& operator=(const DataLock&) = delete;

    // True when this process now holds the lock of the home folder (or already did).
    bool Acquire(const std::string& home);
    void Release();
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
    int m_gate = -1;
};

// Message shown when another program holds the data folder.
inline constexpr const char* kDataLockedMessage =
    "このデータフォルダは他のミルテ家計簿が使用中です。\r\n先に起動したプログラムを終了してから起動してください。";

} // namespace mrt
