// The system's own file-system calls that have a fallback: the copy inside the kernel and the
// started flush; and a whole file read into a buffer.
#include "support/TempDir.h"
#include "util/FileSystem.h"
#include "util/Paths.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace mrt::test {
namespace {

std::string pattern(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>(i * 131 % 251);
    return s;
}

TEST(SystemFileSystem, CopyAppendsTheRestOfTheSourceFromItsOffset) {
    TempDir dir;
    const std::string bytes = pattern(3 * 1024 * 1024 + 17);
    ASSERT_TRUE(WriteBytes(dir / "src", bytes));
    int source = ::open((dir / "src").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(source, 0);
    ASSERT_EQ(::lseek(source, 1000, SEEK_SET), 1000);
    int fd = Fs().OpenForWrite(dir / "dst");
    ASSERT_GE(fd, 0);
    ASSERT_EQ(Fs().Write(fd, "head", 4), 0);
    EXPECT_EQ(Fs().Copy(source, fd), 0);
    EXPECT_EQ(Fs().StartFlush(fd), 0);
    EXPECT_EQ(Fs().Flush(fd), 0);
    EXPECT_EQ(Fs().Close(fd), 0);
    ::close(source);
    EXPECT_TRUE(ReadBytes(dir / "dst") == "head" + bytes.substr(1000));
}

// A pipe cannot be copied from inside the kernel, nor its writing started: the copy reads and
// writes instead, and the started flush does nothing without failing.
TEST(SystemFileSystem, APipeIsCopiedByReadingAndItsFlushStartsQuietly) {
    TempDir dir;
    const std::string bytes = pattern(300000);
    int p[2];
    ASSERT_EQ(::pipe(p), 0);
    std::thread writer([&] {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(p[1], bytes.data() + done, bytes.size() - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        ::close(p[1]);
    });
    int fd = Fs().OpenForWrite(dir / "dst");
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Fs().Copy(p[0], fd), 0);
    writer.join();
    EXPECT_EQ(Fs().StartFlush(p[0]), 0);
    EXPECT_EQ(Fs().Close(fd), 0);
    ::close(p[0]);
    EXPECT_TRUE(ReadBytes(dir / "dst") == bytes);
}

TEST(SystemFileSystem, StartingTheFlushOfNoOpenFileFails) {
    TempDir dir;
    int fd = Fs().OpenForWrite(dir / "f");
    ASSERT_GE(fd, 0);
    ASSERT_EQ(Fs().Close(fd), 0);
    EXPECT_EQ(Fs().StartFlush(fd), -1);
    EXPECT_EQ(errno, EBADF);
}

} // namespace
} // namespace mrt::test

namespace mrt::test {
namespace {

// A whole file read into a buffer that is used again: every byte in place, also from a pipe whose
// length is unknown until its end (the buffer grows past its first 64 KiB).
TEST(ReadWholeFile, ReadsEveryByteIntoAReusedBufferAlsoFromAPipe) {
    TempDir dir;
    const std::string big = pattern(700000), small = pattern(1000);
    ASSERT_TRUE(WriteBytes(dir / "big", big));
    ASSERT_TRUE(WriteBytes(dir / "small", small));
    ByteBuffer buffer;
    ASSERT_TRUE(ReadWholeFile(dir / "big", buffer));
    EXPECT_TRUE(buffer == big);
    ASSERT_TRUE(ReadWholeFile(dir / "small", buffer));
    EXPECT_TRUE(buffer == small);
    EXPECT_FALSE(ReadWholeFile(dir / "missing", buffer));
    EXPECT_TRUE(buffer.empty());

    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    std::thread writer([&] {
        int fd = ::open((dir / "pipe").c_str(), O_WRONLY | O_CLOEXEC);
        for (size_t done = 0; fd >= 0 && done < big.size();) {
            ssize_t n = ::write(fd, big.data() + done, big.size() - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        ::close(fd);
    });
    EXPECT_TRUE(ReadWholeFile(dir / "pipe", buffer));
    writer.join();
    EXPECT_TRUE(buffer == big);

    // The members a year file's bytes use keep the meaning they have for a string.
    std::string expected = small;
    ByteBuffer copy = buffer;
    copy.resize(1000, 'x');
    copy.insert(10, "ins");
    copy.resize(1010, '\0');
    expected.insert(10, "ins");
    expected.resize(1010, '\0');
    EXPECT_TRUE(copy == expected); // the pattern's first 1000 bytes are `small`
    ByteBuffer moved = std::move(copy);
    EXPECT_EQ(moved.size(), 1010u);
    EXPECT_TRUE(copy.empty());
}

} // namespace
} // namespace mrt::test
