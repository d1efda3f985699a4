#pragma once
// Bytes a process reads, for the "bytes read" counter of the benchmarks: the kernel's count of
// what the read calls of this process returned (/proc/self/io "rchar"; page cache or disk alike).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace mrt::bench {

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

// Counts the bytes read between its making and Report(), per iteration of the benchmark.
class BytesReadCounter {
public:
    BytesReadCounter() : m_start(BytesReadSoFar()) {}
    void Report(benchmark::State& state) const {
        const int64_t end = BytesReadSoFar();
        if (m_start < 0 || end < 0 || state.iterations() == 0) return;
        state.counters["bytes_read"] =
            static_cast<double>(end - m_start) / static_cast<double>(state.iterations());
    }

private:
    int64_t m_start;
};

} // namespace mrt::bench
