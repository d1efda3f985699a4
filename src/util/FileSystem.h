#pragma once
#include <cstddef>
#include <functional>
#include <string>

namespace mrt {

// The file-system calls of every write path (file batches, whole-file writes, the commit journal
// and its recovery). Reading goes to the system directly. Each call returns 0, or -1 with errno
// set. Tests put a fault-injecting implementation in place with SetFileSystem.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Creates `path`, or empties an existing one, for writing; a descriptor or -1.
    virtual int OpenForWrite(const std::string& path) = 0;
    // Writes all `size` bytes at the end of what was written so far.
    virtual int Write(int fd, const char* data, size_t size) = 0;
    // Writes the rest of the file open for reading as `source` (from its offset to its end) at the
    // end of what was written to `fd` so far; inside the kernel where the system can.
    virtual int Copy(int source, int fd) = 0;
    // Starts writing what was written to `fd` to the disk and returns without waiting, so that a
    // later Flush mostly waits on writes already under way. Makes nothing durable; where the
    // system cannot do it, nothing happens and the result is 0.
    virtual int StartFlush(int fd) = 0;
    // Makes the data written to `fd` durable (not the folder entry of a new file).
    virtual int Flush(int fd) = 0;
    // Releases the descriptor, also when the result is -1.
    virtual int Close(int fd) = 0;
    // Replaces `to` by `from` in one step.
    virtual int Rename(const std::string& from, const std::string& to) = 0;
    // Gives the file `from` a second name `to` (which must not exist).
    virtual int Link(const std::string& from, const std::string& to) = 0;
    virtual int Remove(const std::string& path) = 0;
    // Makes the creations, renames and removals inside `folder` durable.
    virtual int SyncFolder(const std::string& folder) = 0;
};

// Reads `source` from its offset to its end in chunks, handing each to `sink` (false stops with
// -1). 0 at the end; -1 on a read error (errno set) or when the sink refused.
int ReadChunks(int source, const std::function<bool(const char*, size_t)>& sink);

// The file system in use; the system's own unless a test replaced it.
FileSystem& Fs();
// Puts `fs` in place (not owned); nullptr goes back to the system's own.
void SetFileSystem(FileSystem* fs);

// Called with the path of every file that ReadWholeFile or the year-file reader is about to open,
// and of a year file opened earlier that a walk of the ledger is about to read, so a test can let
// another program save between two reads. An empty hook (the default) removes it.
void SetReadHook(std::function<void(const std::string& path)> hook);
void BeforeRead(const std::string& path);

} // namespace mrt
