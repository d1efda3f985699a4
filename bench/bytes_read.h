#pragma once
// The "bytes_read" counter of the benchmarks: what the kernel counted for this process's reads.
#include "support/BytesRead.h"

#include <benchmark/benchmark.h>

namespace mrt::bench {

using mrt::test::BytesReadSoFar;

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
