// The year report of a 100,000-line ledger: 20 years of about 417 lines a month, and the worst
// case of one year holding all 100,000 lines; from an index already scanned, and from the data
// folder alone (item table, information files, budget file, then the months of the year).
#include "generated_ledger.h"
#include "ledger/LedgerBlock.h"
#include "names/NameTables.h"
#include "totals/YearReport.h"
#include "util/Home.h"

#include <benchmark/benchmark.h>

#include <climits>
#include <map>
#include <memory>

namespace {

using namespace mrt;

// One generated data folder with the generator's items registered and a budget for every item.
struct Folder {
    std::string dir;
    ConsoleDialogs dlg;
    NameTables names;
    LedgerState ledger;
    BgtRecord budget;
    bool ok = false;

    Folder(const char* tag, int years, int perMonth) {
        dir = bench::GeneratedLedgerIn(std::filesystem::temp_directory_path(), tag, 2000, years,
                                       [perMonth](int, int) { return perMonth; });
        for (const char* item : {"食費", "交通費", "日用品", "ｶﾞｿﾘﾝ", "雑費", "外食"}) {
            AddName(names, kItemTable, 0, item);
            AddName(names, kItemTable, 1, item);
        }
        if (SaveItemTable(NameFilesIn(dir).item, names, dlg) != 0) return;
        FillBudget(budget, 30000);
        budget.HeldYear = 2000 + years - 1;
        const BudgetPlace place{dir + "/", dir + "/BU/"};
        MakeFolders(place.backupFolder);
        if (SaveBudget(budget, budget.HeldYear, names.items, place, dlg) != 0) return;
        ledger.index.SetDataFolder(dir);
        ledger.MaxBlockLines = INT_MAX;
        ok = ScanLedgerYears(ledger, dlg) == 0;
    }
    ~Folder() { std::filesystem::remove_all(dir); }
};

Folder& folder(int years) {
    static std::map<int, std::unique_ptr<Folder>> made;
    auto& f = made[years];
    if (!f) f = years == 20 ? std::make_unique<Folder>("year20", 20, 417) : std::make_unique<Folder>("year1", 1, 8334);
    return *f;
}

// Arguments: years of the ledger (20 or 1), closing periods (0 calendar months, 1 closing day 25).
void BM_YearReportFromIndex(benchmark::State& state) {
    Folder& f = folder(static_cast<int>(state.range(0)));
    if (!f.ok) return state.SkipWithError("ledger generation failed");
    YearReportOptions o;
    o.year = f.budget.HeldYear;
    o.periods = state.range(1) != 0;
    o.closingDay = 25;
    YearReport report;
    std::string why;
    for (auto _ : state) {
        if (ComputeYearReport(f.ledger.index, f.names, f.budget, o, report, f.dlg, why) != 0)
            return state.SkipWithError(why.c_str());
        benchmark::DoNotOptimize(report.rows.data());
    }
    state.counters["ledger lines"] = static_cast<double>(f.ledger.index.TotalLines);
    state.counters["lines of the year"] = static_cast<double>(report.lines);
}
BENCHMARK(BM_YearReportFromIndex)->Args({20, 0})->Args({20, 1})->Args({1, 0})->Unit(benchmark::kMillisecond);

void BM_YearReportFromDataFolder(benchmark::State& state) {
    Folder& f = folder(static_cast<int>(state.range(0)));
    if (!f.ok) return state.SkipWithError("ledger generation failed");
    YearReportOptions o;
    o.year = f.budget.HeldYear;
    o.periods = true;
    o.closingDay = 25;
    YearReport report;
    std::string why;
    for (auto _ : state) {
        if (LoadYearReport(f.dir + "/", o, report, f.dlg, why) != 0) return state.SkipWithError(why.c_str());
        benchmark::DoNotOptimize(report.rows.data());
    }
    state.counters["ledger lines"] = static_cast<double>(f.ledger.index.TotalLines);
}
BENCHMARK(BM_YearReportFromDataFolder)->Arg(20)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
