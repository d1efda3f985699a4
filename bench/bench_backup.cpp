// Copying fifty years of ledger files (about 32 MB) to another folder, as a backup of files chosen
// one by one does: each file whole (temporary file, flush, rename). And the start-up backup of
// the same data folder into Data1/BU/ when one year changed, and when every file did.
#include "backup/BackupCopy.h"
#include "bytes_read.h"
#include "port/ConsoleDialogs.h"
#include "util/FileCopy.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

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
        if (mrt::BackupFilesTogether((root / "Data1/").string(), (root / "stick/").string(), names, dlg, copied,
                                     failure) != 0)
            state.SkipWithError(failure.reason.c_str());
    }
    state.SetBytesProcessed(state.iterations() * 50 * (648000 + 120));
    fs::remove_all(root);
}
BENCHMARK(BM_BackUpFiftyLedgerYears)->Unit(benchmark::kMillisecond)->Iterations(5);

// Gives a file a modification time of its own, as a save would.
void touch(const std::string& path, time_t sec) {
    struct timespec t[2] = {{sec, 0}, {sec, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), t, 0);
}

// range(0): 1 when only the newest year file and its information file changed since the last
// start, 0 when every file did (the first start after a restore).
void BM_StartUpBackup(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / "mrtkel-bench-startup";
    fs::remove_all(root);
    fs::create_directories(root / "Data1/BU");
    const std::string data = (root / "Data1").string(), backup = (root / "Data1/BU").string();
    const std::string year(648000, '\x58'), info(120, '\x01');
    std::vector<std::string> files;
    for (int y = 2000; y < 2050; ++y) {
        for (const auto& [name, bytes] : {std::pair{"Inf" + std::to_string(y) + ".usr", &info},
                                          std::pair{"Io" + std::to_string(y) + ".usr", &year}}) {
            std::ofstream(root / "Data1" / name, std::ios::binary) << *bytes;
            files.push_back((root / "Data1" / name).string());
        }
    }
    mrt::ConsoleDialogs dlg;
    if (mrt::CopyChangedFiles("*.usr", data, backup, dlg) != 0) state.SkipWithError("first copy failed");
    const bool oneYear = state.range(0) == 1;
    time_t sec = 1600000000;
    mrt::bench::BytesReadCounter bytes; // the copies are made in the kernel where it can
    for (auto _ : state) {
        state.PauseTiming();
        ++sec;
        if (oneYear) {
            touch(files[files.size() - 2], sec);
            touch(files.back(), sec);
        } else {
            for (const std::string& f : files)
                touch(f, sec);
        }
        state.ResumeTiming();
        if (mrt::CopyChangedFiles("*.usr", data, backup, dlg) != 0) state.SkipWithError("copy failed");
    }
    bytes.Report(state);
    fs::remove_all(root);
}
BENCHMARK(BM_StartUpBackup)->ArgName("oneYearChanged")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace
