// Copying fifty years of ledger files (about 32 MB) to another folder, as a backup of files chosen
// one by one does: each file whole (temporary file, flush, rename).
#include "backup/BackupCopy.h"
#include "port/ConsoleDialogs.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>

namespace {

void BM_BackUpFiftyLedgerYears(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / "mrtkel-bench-backup";
    fs::remove_all(root);
    fs::create_directories(root / "Data1");
    fs::create_directories(root / "stick");
    std::vector<std::string> names;
    const std::string year(648000, '\x58'), info(120, '\x01');
    for (int y = 2000; y < 2050; ++y) {
        for (const auto& [name, bytes] : {std::pair{"Inf" + std::to_string(y) + ".usr", &info},
                                          std::pair{"Io" + std::to_string(y) + ".usr", &year}}) {
            std::ofstream(root / "Data1" / name, std::ios::binary) << *bytes;
            names.push_back(name);
        }
    }
    mrt::ConsoleDialogs dlg;
    for (auto _ : state) {
        std::vector<std::string> copied;
        mrt::CopyFailure failure;
        if (mrt::CopyFilesWhole((root / "Data1/").string(), (root / "stick/").string(), names, dlg, copied, failure) !=
            0)
            state.SkipWithError(failure.reason.c_str());
    }
    state.SetBytesProcessed(state.iterations() * 50 * (648000 + 120));
    fs::remove_all(root);
}
BENCHMARK(BM_BackUpFiftyLedgerYears)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
