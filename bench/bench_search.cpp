// Search over a 50-year ledger of 274,200 lines (457 a month), read from the year files.
#include "bytes_read.h"
#include "generated_ledger.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerSearch.h"

#include <benchmark/benchmark.h>

namespace {

using namespace mrt;

const std::string& searchFolder() {
    static const std::string folder = [] {
        std::string dir = mrt::bench::GeneratedLedger("search", 50, 457);
        std::atexit([] { std::filesystem::remove_all(searchFolder()); });
        return dir;
    }();
    return folder;
}

LedgerState scanned() {
    ConsoleDialogs dlg;
    LedgerState st;
    st.index.SetDataFolder(searchFolder());
    st.MaxBlockLines = 100000;
    if (ScanLedgerYears(st, dlg) != 0 || st.index.TotalLines != 50 * 12 * 457) std::abort();
    return st;
}

// A text found in some names (half-width shop names typed in full width); the date and amount
// checks run first and the names are folded for every line.
void BM_SearchText(benchmark::State& state) {
    LedgerState st = scanned();
    SearchQuery q;
    q.text = "スーパー";
    mrt::bench::BytesReadCounter bytes;
    for (auto _ : state) {
        SearchResult r;
        if (SearchLedger(st.index, q, r) != 0 || r.total != 50 * 12 * 92) state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(r.hits.data());
    }
    bytes.Report(state);
}
BENCHMARK(BM_SearchText)->Unit(benchmark::kMillisecond)->UseRealTime();

// A text found nowhere: every name of every line is compared.
void BM_SearchTextNotFound(benchmark::State& state) {
    LedgerState st = scanned();
    SearchQuery q;
    q.text = "ＸＹＺ";
    for (auto _ : state) {
        SearchResult r;
        if (SearchLedger(st.index, q, r) != 0 || r.total != 0) state.SkipWithError("wrong count");
    }
}
BENCHMARK(BM_SearchTextNotFound)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same with the scan of the information files a fresh command does first.
void BM_ScanAndSearch(benchmark::State& state) {
    searchFolder();
    SearchQuery q;
    q.text = "ｶﾞｿﾘﾝ";
    q.minAmount = 500;
    for (auto _ : state) {
        LedgerState st = scanned();
        SearchResult r;
        if (SearchLedger(st.index, q, r) != 0 || r.total == 0) state.SkipWithError("nothing found");
    }
}
BENCHMARK(BM_ScanAndSearch)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
