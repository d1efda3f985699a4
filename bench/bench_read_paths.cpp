// The paths a command takes through a household ledger of 100,080 lines over 20 years (417 lines a
// month, regions of 500 slots), each with the bytes it reads per operation: loading a block,
// listing every line, the consistency check, and adding a line at the newest date and 15 years
// back (load, insert, save; the line is taken out again outside the timing).
#include "bytes_read.h"
#include "generated_ledger.h"
#include "ledger/LedgerBalance.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerCheck.h"
#include "ledger/LedgerCsv.h"
#include "ledger/LedgerSave.h"
#include "util/Csv.h"

#include <benchmark/benchmark.h>

namespace {

using namespace mrt;

constexpr int kYears = 20;
constexpr int kPerMonth = 417;

const std::string& pathsFolder() {
    static const std::string folder = [] {
        std::string dir = mrt::bench::GeneratedLedger("paths", kYears, kPerMonth);
        std::atexit([] { std::filesystem::remove_all(pathsFolder()); });
        return dir;
    }();
    return folder;
}

LedgerState scanned(Dialogs& dlg) {
    LedgerState st;
    st.index.SetDataFolder(pathsFolder());
    st.BlockMonthsInUse = 3;
    st.MaxBlockLines = 5000;
    if (ScanLedgerYears(st, dlg) != 0 || st.index.TotalLines != kYears * 12 * kPerMonth) std::abort();
    return st;
}

// A three-month block in the middle of the ledger, as paging back to it reads it.
void BM_LoadMiddleBlock(benchmark::State& state) {
    ConsoleDialogs dlg;
    LedgerState st = scanned(dlg);
    mrt::bench::BytesReadCounter bytes;
    for (auto _ : state) {
        st.index.BlockStartYear = 2010;
        st.index.BlockStartMonth = 6;
        st.index.BlockSpan = 3;
        if (LoadLedgerBlock(st, st.block, false, dlg) != 0 || st.block.size() != 3 * kPerMonth)
            state.SkipWithError("load failed");
    }
    bytes.Report(state);
}
BENCHMARK(BM_LoadMiddleBlock)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every line of the ledger as CSV, as the listing writes it.
void BM_ListWholeLedger(benchmark::State& state) {
    ConsoleDialogs dlg;
    LedgerState st = scanned(dlg);
    mrt::bench::BytesReadCounter bytes;
    for (auto _ : state) {
        CsvWriter csv;
        if (WriteLedgerCsv(st.index, 0, 0, false, csv, dlg) != kYears * 12 * kPerMonth)
            state.SkipWithError("listing failed");
        benchmark::DoNotOptimize(csv.Data().data());
    }
    bytes.Report(state);
}
BENCHMARK(BM_ListWholeLedger)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CheckLedger(benchmark::State& state) {
    ConsoleDialogs dlg;
    LedgerState st = scanned(dlg);
    mrt::bench::BytesReadCounter bytes;
    for (auto _ : state) {
        std::vector<std::string> problems = CheckLedgerFiles(st.index);
        if (!problems.empty()) state.SkipWithError(problems.front().c_str());
    }
    bytes.Report(state);
}
BENCHMARK(BM_CheckLedger)->Unit(benchmark::kMillisecond)->UseRealTime();

// Scan, load the block of `year`/`month` (the newest block when 0), add one line at its end and
// save; the line is taken out again with the timing paused.
void addOneLine(benchmark::State& state, int year, int month) {
    ConsoleDialogs dlg;
    int64_t read = 0;
    for (auto _ : state) {
        const int64_t before = mrt::bench::BytesReadSoFar();
        LedgerState st = scanned(dlg);
        if (year == 0) {
            if (LoadStartBlock(st, dlg) != 0) std::abort();
        } else {
            st.index.BlockStartYear = year;
            st.index.BlockStartMonth = month;
            st.index.BlockSpan = 3;
            if (LoadLedgerBlock(st, st.block, false, dlg) != 0) std::abort();
        }
        IoRecord line = st.block.back();
        line.ItemName = "書籍";
        line.Note.clear();
        line.Income = 0;
        line.Expense = 1200;
        st.block.push_back(line);
        RecomputeBalances(st.block, st.block.size() - 1);
        st.LedgerModified = true;
        if (SaveLedgerBlock(st, dlg) != 0) state.SkipWithError("save failed");
        state.PauseTiming();
        read += mrt::bench::BytesReadSoFar() - before;
        st.block.pop_back();
        st.LedgerModified = true;
        if (SaveLedgerBlock(st, dlg) != 0) state.SkipWithError("save failed");
        state.ResumeTiming();
    }
    if (state.iterations() > 0)
        state.counters["bytes_read"] = static_cast<double>(read) / static_cast<double>(state.iterations());
}

void BM_AddAtNewestDate(benchmark::State& state) { addOneLine(state, 0, 0); }
BENCHMARK(BM_AddAtNewestDate)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AddFifteenYearsBack(benchmark::State& state) { addOneLine(state, 2004, 10); }
BENCHMARK(BM_AddFifteenYearsBack)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
