#pragma once
#include "util/FileSystem.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace mrt::test {

// A file system for fault tests. Calls go to the real files, numbered from 1, and one of them can
// be made to fail (an I/O error, the later calls go through), or to stop the process there (a
// kill: that call and every later one do nothing and fail), or every write and copy can fail once
// a number of bytes has been written (a full disk). Flushes and folder syncs do not reach the
// disk, and a started flush makes nothing durable at all; instead
// it remembers, for one folder, what they made durable: each file's content at its last flush and
// the folder's names at its last sync. PowerCut rewrites the folder to that state, dropping what
// was never flushed or synced. Files the folder holds when the object is made count as durable.
class FaultFs : public FileSystem {
public:
    explicit FaultFs(const std::string& folder);
    ~FaultFs() override;

    void FailCall(int n) { m_failCall = n; }
    void CrashAt(int n) { m_crashAt = n; }
    void FailWritesAfter(int64_t bytes) { m_bytesLeft = bytes; }
    // Link fails as on a file system without hard links.
    void NoLinks() { m_noLinks = true; }
    // Calls made so far, and their operations in order ("Rename", "SyncFolder", ...).
    int Calls() const { return m_calls; }
    const std::vector<std::string>& Log() const { return m_log; }
    bool Crashed() const { return m_crashAt > 0 && m_calls >= m_crashAt; }
    // The folder holds exactly its durable state afterwards. Folder entries changed since the
    // last folder sync may survive a power cut in any combination; `keepDataNames` takes the
    // harshest one for a commit: the changes to data file names (renames over them, removals)
    // survive while those to temporary names (a new journal, say) are lost.
    void PowerCut(bool keepDataNames = false);

    int OpenForWrite(const std::string& path) override;
    int Write(int fd, const char* data, size_t size) override;
    int Copy(int source, int fd) override;
    int StartFlush(int fd) override;
    int Flush(int fd) override;
    int Close(int fd) override;
    int Rename(const std::string& from, const std::string& to) override;
    int Link(const std::string& from, const std::string& to) override;
    int Remove(const std::string& path) override;
    int SyncFolder(const std::string& folder) override;

private:
    // Counts and logs the call; false (errno set) when it must fail.
    bool pass(const char* op);
    // Writes the bytes to `fd` as far as the full-disk limit lets them; false with errno set when
    // it stopped them.
    bool writeLimited(int fd, const char* data, size_t size);
    // The file's name when `path` lies in the watched folder, else empty.
    std::string nameIn(const std::string& path) const;

    std::string m_folder;
    int m_calls = 0;
    int m_failCall = 0;
    int m_crashAt = 0;
    int64_t m_bytesLeft = -1;
    bool m_noLinks = false;
    std::vector<std::string> m_log;
    int m_nextNode = 1;
    std::map<std::string, int> m_names;   // the folder's names now → file
    std::map<std::string, int> m_durable; // the names as of the last folder sync
    std::map<int, std::string> m_flushed; // file → content at its last flush
    std::map<int, int> m_fdNode;          // open descriptor → file (-1: outside the folder)
};

// Puts a FaultFs in place while it lives.
class ScopedFileSystem {
public:
    explicit ScopedFileSystem(FileSystem& fs) { SetFileSystem(&fs); }
    ~ScopedFileSystem() { SetFileSystem(nullptr); }
    ScopedFileSystem(const ScopedFileSystem&) = delete;
    ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;
};

// Makes every write fail once this many bytes in all have been written from now on (a full
// disk); a negative value puts the real file system back.
void FailWritesAfter(int64_t bytes);

} // namespace mrt::test
