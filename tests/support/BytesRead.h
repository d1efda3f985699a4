#pragma once
// Bytes this process has read so far, as the kernel counts what its read calls returned
// (/proc/self/io "rchar": page cache and disk alike); -1 where that is not to be had. For tests
// and benchmarks of how much a reader reads.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace mrt::test {

inline int64_t BytesReadSoFar() {
    std::FILE* f = std::fopen("/proc/self/io", "r");
    if (!f) return -1;
    char line[128];
    int64_t value = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "rchar:", 6) == 0) value = std::strtoll(line + 6, nullptr, 10);
    std::fclose(f);
    return value;
}

} // namespace mrt::test
