// CSV import of 10,000 lines spread over three years into a ledger of those years (300 lines a
// month): checking the file, one block load, the merge and one save.
#include "generated_ledger.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerImport.h"
#include "names/NameTables.h"

#include <benchmark/benchmark.h>

namespace {

using namespace mrt;

const std::string& pristine() {
    static const std::string folder = [] {
        std::string dir = mrt::bench::GeneratedLedger("import", 3, 300);
        std::atexit([] { std::filesystem::remove_all(pristine()); });
        return dir;
    }();
    return folder;
}

std::string importFile() {
    std::string csv = "date,item,note,shop,income,expense,balance\r\n";
    for (int i = 0; i < 10000; ++i) {
        const int year = 2000 + i % 3, month = 1 + i / 3 % 12, day = 1 + i % 28;
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", year, month, day);
        csv += std::string(date) + (i % 50 == 0 ? ",給与,,," : ",食費,まとめ買い,ＡＢＣストア,") +
               (i % 50 == 0 ? "300000," : ",") + (i % 50 == 0 ? "" : std::to_string(100 + i % 900)) + ",\r\n";
    }
    return csv;
}

void BM_Import10000LinesOver3Years(benchmark::State& state) {
    const std::string csv = importFile();
    const std::string work = pristine() + "-work";
    NameTables names;
    AddName(names, kItemTable, kIncomeKind, "給与");
    AddName(names, kItemTable, kExpenseKind, "食費");
    ConsoleDialogs dlg;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(work);
        std::filesystem::copy(pristine(), work);
        LedgerState st;
        st.index.SetDataFolder(work);
        if (ScanLedgerYears(st, dlg) != 0) std::abort();
        state.ResumeTiming();
        const ImportPlan plan = PlanImport(csv, st.index, names, 10, false);
        if (!plan.Ready() || ApplyImport(st, names, NameFilesIn(work), plan, dlg) != 0)
            state.SkipWithError("import refused");
        if (st.index.TotalLines != 3 * 12 * 300 + 10000) state.SkipWithError("wrong line count");
    }
    std::filesystem::remove_all(work);
}
BENCHMARK(BM_Import10000LinesOver3Years)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
