// Ledger benchmarks on a generated 50-year ledger (2000..2049, about 17 lines a day, months grown
// past 500 slots; the newest three months hold 500 lines each): the start-up scan and newest
// block, saving the newest block (an amount changed: one file; a line added: year and
// information file through the commit journal), and saving a block 49 years back that carries
// its balance through every later line. The saves run with the ledger in the temporary folder
// (argument 0: a disk, every flush waits for it) and in /dev/shm (argument 1: memory, where the
// flushes cost nothing and what remains is the program's own work).
#include "bytes_read.h"
#include "generated_ledger.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerFiles.h"
#include "ledger/LedgerSave.h"
#include "port/ConsoleDialogs.h"
#include "util/FileBatch.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace mrt;

constexpr int kFirstYear = 2000;
constexpr int kLastYear = 2049;

// Writes the ledger into a new temporary folder (in /dev/shm when `inMemory`), removed at exit.
std::string buildLedger(bool inMemory) {
    std::filesystem::path base = inMemory ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
    // About 17 lines a day (516 a month, the region grown past 500 slots); the newest three
    // months hold 500 lines each.
    std::string dir = mrt::bench::GeneratedLedgerIn(base, "ledger", kFirstYear, kLastYear - kFirstYear + 1,
                                                    [](int y, int m) { return y == kLastYear && m >= 10 ? 500 : 516; });
    static std::vector<std::string> built;
    if (built.empty())
        std::atexit([] {
            for (const std::string& d : built)
                std::filesystem::remove_all(d);
        });
    built.push_back(dir);
    return dir;
}

// The ledger's folder, built on first use.
const std::string& ledgerFolder(bool inMemory = false) {
    if (inMemory) {
        static const std::string folder = buildLedger(true);
        return folder;
    }
    static const std::string folder = buildLedger(false);
    return folder;
}

LedgerState openLedger(ConsoleDialogs& dlg, bool inMemory = false) {
    LedgerState st;
    st.index.SetDataFolder(ledgerFolder(inMemory));
    st.BlockMonthsInUse = 3;
    st.MaxBlockLines = 1500;
    if (ScanLedgerYears(st, dlg) != 0 || LoadStartBlock(st, dlg) != 0) std::abort();
    return st;
}

void BM_ScanAndLoadStartBlock(benchmark::State& state) {
    ledgerFolder();
    ConsoleDialogs dlg;
    mrt::bench::BytesReadCounter bytes;
    for (auto _ : state) {
        LedgerState st = openLedger(dlg);
        benchmark::DoNotOptimize(st.block.data());
        if (st.LedgerLineCount() != 1500 || st.index.YearCount != 50) state.SkipWithError("unexpected ledger");
    }
    bytes.Report(state);
}
BENCHMARK(BM_ScanAndLoadStartBlock)->Unit(benchmark::kMillisecond)->UseRealTime();

// The scan alone: the information files and the first and last days of the ledger.
void BM_ScanLedgerYears(benchmark::State& state) {
    ledgerFolder();
    ConsoleDialogs dlg;
    for (auto _ : state) {
        LedgerState st;
        st.index.SetDataFolder(ledgerFolder());
        st.MaxBlockLines = 1500;
        if (ScanLedgerYears(st, dlg) != 0 || st.index.YearCount != 50) state.SkipWithError("scan failed");
        benchmark::DoNotOptimize(st.index.LastDay);
    }
}
BENCHMARK(BM_ScanLedgerYears)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveNewestBlock(benchmark::State& state) {
    ConsoleDialogs dlg;
    LedgerState st = openLedger(dlg, state.range(0) != 0);
    int32_t delta = 1;
    for (auto _ : state) {
        IoRecord& last = st.block.back();
        last.Expense += delta;
        last.Balance -= delta;
        delta = -delta;
        st.LedgerModified = true;
        if (SaveLedgerBlock(st, dlg) != 0) state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveNewestBlock)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A line added on the newest date, then taken away again: each save changes a month's line count,
// so the year file and the information file are committed together through the journal.
void BM_SaveNewestBlockAddingALine(benchmark::State& state) {
    ConsoleDialogs dlg;
    LedgerState st = openLedger(dlg, state.range(0) != 0);
    IoRecord added = st.block.back();
    added.ItemName = "書籍";
    added.Note.clear();
    added.Income = 0;
    added.Expense = 1200;
    added.Balance -= 1200;
    for (auto _ : state) {
        if (st.block.back() == added)
            st.block.pop_back();
        else
            st.block.push_back(added);
        st.LedgerModified = true;
        if (SaveLedgerBlock(st, dlg) != 0) state.SkipWithError("save failed");
    }
    // The ledger goes back to its 1,500 newest lines for the next run.
    if (st.block.back() == added) {
        st.block.pop_back();
        st.LedgerModified = true;
        if (SaveLedgerBlock(st, dlg) != 0) state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveNewestBlockAddingALine)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveBlock49YearsBack(benchmark::State& state) {
    ConsoleDialogs dlg;
    LedgerState st = openLedger(dlg, state.range(0) != 0);
    st.index.BlockStartYear = kFirstYear;
    st.index.BlockStartMonth = 2;
    st.index.BlockSpan = 2;
    st.MaxBlockLines = 1500;
    if (LoadLedgerBlock(st, st.block, false, dlg) != 0 || st.BlockPos != kBlockMiddle) std::abort();
    int32_t delta = 1;
    for (auto _ : state) {
        IoRecord& last = st.block.back();
        last.Expense += delta; // changes the balance of every later line
        last.Balance -= delta;
        delta = -delta;
        st.LedgerModified = true;
        if (SaveLedgerBlock(st, dlg) != 0) state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveBlock49YearsBack)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Where a save's time goes: reading a year file, and staging plus committing it.
void BM_ReadYearFile(benchmark::State& state) {
    ConsoleDialogs dlg;
    LedgerIndex idx;
    idx.SetDataFolder(ledgerFolder());
    YearFile f;
    for (auto _ : state)
        benchmark::DoNotOptimize(OpenIoFile(idx, kLastYear, dlg, f));
}
BENCHMARK(BM_ReadYearFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// As a command reads it once: a new image each time, nothing left from the previous read.
void BM_ReadYearFileFresh(benchmark::State& state) {
    ConsoleDialogs dlg;
    LedgerIndex idx;
    idx.SetDataFolder(ledgerFolder());
    for (auto _ : state) {
        YearFile f;
        benchmark::DoNotOptimize(OpenIoFile(idx, kLastYear, dlg, f));
        state.counters["bytes"] = static_cast<double>(f.bytes.size());
    }
}
BENCHMARK(BM_ReadYearFileFresh)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StageAndCommitOneYearFile(benchmark::State& state) {
    ConsoleDialogs dlg;
    LedgerIndex idx;
    idx.SetDataFolder(ledgerFolder());
    YearFile f;
    OpenIoFile(idx, kLastYear, dlg, f);
    std::string copy = ledgerFolder() + "/IoCopy.usr";
    for (auto _ : state) {
        FileBatch batch;
        std::string error;
        if (!batch.Stage(copy, f.bytes, error) || !batch.Commit(error)) state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_StageAndCommitOneYearFile)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
