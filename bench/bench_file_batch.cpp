// A ledger save's commit: a FileBatch of 2 files (a year file and its information file) and of
// 10 files (a save far back, its balance carried through later years), each staged and committed.
#include "util/FileBatch.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>

namespace {

void BM_FileBatchCommit(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / "mrtkel-bench-batch";
    fs::remove_all(root);
    fs::create_directories(root);
    const int files = static_cast<int>(state.range(0));
    const std::string year(648000, '\x58'), info(120, '\x01');
    std::string error;
    int round = 0;
    for (auto _ : state) {
        ++round;
        mrt::FileBatch batch;
        for (int k = 0; k < files; ++k) {
            const bool isYear = k % 2 == 0;
            std::string bytes = isYear ? year : info;
            bytes[0] = static_cast<char>(round);
            const std::string name = (isYear ? "Io" : "Inf") + std::to_string(2000 + k / 2) + ".usr";
            if (!batch.Stage((root / name).string(), bytes, error)) state.SkipWithError(error.c_str());
        }
        if (!batch.Commit(error)) state.SkipWithError(error.c_str());
    }
    fs::remove_all(root);
}
BENCHMARK(BM_FileBatchCommit)->Arg(2)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
