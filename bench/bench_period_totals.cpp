// The chart's twelve closing periods read from a 50-year ledger of 15 lines a day.
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerSave.h"
#include "names/NameTables.h"
#include "port/ConsoleDialogs.h"
#include "totals/PeriodTotals.h"
#include "util/DateText.h"
#include "util/Home.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

namespace {

using namespace mrt;

constexpr int kFirstYear = 1976;
constexpr int kYears = 50;

struct FiftyYears {
    std::string home;
    ConsoleDialogs dlg;
    NameTables names;
    LedgerState ledger;
    TotalsState rows;
    bool ok = false;

    FiftyYears() {
        home = (std::filesystem::temp_directory_path() / "mrtkel-bench-periods").string();
        std::filesystem::remove_all(home);
        MakeFolders(home + "/Data1/BU");
        for (int i = 1; i <= 5; ++i)
            AddName(names, kItemTable, 0, "収入" + std::to_string(i));
        for (int i = 1; i <= 30; ++i)
            AddName(names, kItemTable, 1, "支出" + std::to_string(i));
        const std::vector<std::string> out = FillItemList(names, 1, false);
        LedgerState writer;
        writer.index.SetDataFolder(DataFolder(home));
        int32_t balance = 1000000;
        const int32_t first = DateKey(kFirstYear, 1, 1), last = DateKey(kFirstYear + kYears - 1, 12, 31);
        for (int32_t key = first; key <= last; ++key) {
            int y, m, d;
            DateFromKey(key, y, m, d);
            for (int k = 0; k < 15; ++k) {
                IoRecord r;
                r.Year = static_cast<int16_t>(y);
                r.Month = static_cast<int16_t>(m);
                r.Day = static_cast<int16_t>(d);
                r.Note = "野菜・果物";
                r.ShopName = "スーパー";
                if (k == 0 && d == 25) {
                    r.ItemName = "収入1";
                    r.Income = 300000;
                } else {
                    r.ItemName = out[(key + k) % out.size()];
                    r.Expense = 100 + (key * 7 + k * 13) % 900;
                }
                balance += r.Income - r.Expense;
                r.Balance = balance;
                writer.block.push_back(std::move(r));
            }
        }
        if (SaveLedgerBlock(writer, dlg) != 0) return;
        ledger.index.SetDataFolder(DataFolder(home));
        ledger.MaxBlockLines = 1500;
        if (ScanLedgerYears(ledger, dlg) != 0) return;
        BuildTotalsRows(names, rows);
        ok = true;
    }
    ~FiftyYears() { std::filesystem::remove_all(home); }
};

void BM_TwelveClosingPeriods(benchmark::State& state) {
    static std::unique_ptr<FiftyYears> f = std::make_unique<FiftyYears>();
    if (!f->ok) {
        state.SkipWithError("ledger generation failed");
        return;
    }
    std::vector<PeriodTotal> periods;
    for (auto _ : state) {
        if (ComputePeriodTotals(f->ledger.index, f->rows, 25, kFirstYear + kYears - 1, 12, 12, periods, f->dlg) != 0)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(periods.data());
    }
    state.counters["ledger lines"] = static_cast<double>(f->ledger.index.TotalLines);
}
BENCHMARK(BM_TwelveClosingPeriods)->Unit(benchmark::kMillisecond);

} // namespace
