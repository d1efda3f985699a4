// Totals of one week over a 50-year ledger of about 15 lines a day, and budget files of a full
// year with 70 items.
#include "bytes_read.h"
#include "budget/Budget.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerSave.h"
#include "names/NameTables.h"
#include "port/ConsoleDialogs.h"
#include "settings/IniRecord.h"
#include "totals/Totals.h"
#include "util/DateText.h"
#include "util/Home.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>

namespace {

using namespace mrt;


constexpr int kFirstYear = 1980;
constexpr int kYears = 50;
constexpr int kLinesPerDay = 15;

// A deterministic pseudo-random sequence.
struct Lcg {
    uint64_t s = 12345;
    uint32_t next() {
        s = s * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>(s >> 33);
    }
};

// The generated household: names, ledger files and a totals session. Built once per run.
struct Household {
    std::string home;
    ConsoleDialogs dlg;
    NameTables names;
    LedgerState ledger;
    IniRecord settings;
    BgtRecord budget;
    TotalsSession session;
    bool ok = false;

    Household() {
        home = (std::filesystem::temp_directory_path() / "mrtkel-bench-totals").string();
        std::filesystem::remove_all(home);
        MakeFolders(home + "/Data1/BU");
        for (int i = 1; i <= 20; ++i)
            AddName(names, kItemTable, 0, "収入項目" + std::to_string(i));
        for (int i = 1; i <= 50; ++i)
            AddName(names, kItemTable, 1, "支出項目" + std::to_string(i));
        std::vector<std::string> in = FillItemList(names, 0, false), out = FillItemList(names, 1, false);

        LedgerState writer;
        writer.index.SetDataFolder(DataFolder(home));
        Lcg rng;
        int32_t balance = 1000000;
        int32_t first = DateKey(kFirstYear, 1, 1), last = DateKey(kFirstYear + kYears - 1, 12, 31);
        writer.block.reserve(static_cast<size_t>(last - first + 1) * kLinesPerDay);
        for (int32_t key = first; key <= last; ++key) {
            int y, m, d;
            DateFromKey(key, y, m, d);
            for (int k = 0; k < kLinesPerDay; ++k) {
                IoRecord r;
                r.Year = static_cast<int16_t>(y);
                r.Month = static_cast<int16_t>(m);
                r.Day = static_cast<int16_t>(d);
                r.Note = "内訳" + std::to_string(k);
                r.ShopName = "店" + std::to_string(rng.next() % 40);
                if (key == first && k == 0) {
                    r.ItemName = "初期残高";
                } else if (k == 0) {
                    r.ItemName = in[rng.next() % in.size()];
                    r.Income = 30000 + static_cast<int32_t>(rng.next() % 10000);
                } else {
                    r.ItemName = rng.next() % 50 == 0 ? std::string("削除済み") : out[rng.next() % out.size()];
                    r.Expense = 100 + static_cast<int32_t>(rng.next() % 4800);
                }
                balance += r.Income >= 1 ? r.Income : -r.Expense;
                r.Balance = balance;
                writer.block.push_back(std::move(r));
            }
        }
        if (SaveLedgerBlock(writer, dlg) != 0) return;
        ledger.index.SetDataFolder(DataFolder(home));
        ledger.MaxBlockLines = 1500;
        if (ScanLedgerYears(ledger, dlg) != 0) return;

        settings.ClosingDay = 25; // periods across two months: the most months to read
        session.ledger = &ledger;
        session.names = &names;
        session.settings = &settings;
        session.settingsPath = DataFolder(home) + "INIT.mrt";
        session.budget = &budget;
        session.budgetPlace = BudgetPlaceOf(home);
        session.dlg = &dlg;
        ok = true;
    }
    ~Household() { std::filesystem::remove_all(home); }
};

Household& household() {
    static std::unique_ptr<Household> h = std::make_unique<Household>();
    return *h;
}

void BM_TotalsAnyWeek(benchmark::State& state) {
    Household& h = household();
    if (!h.ok) {
        state.SkipWithError("ledger generation failed");
        return;
    }
    CivilDate start{kFirstYear, 1, 1};
    CivilDate date = start;
    if (ComputeTotals(h.session, date, true) != 0) state.SkipWithError("first computation failed");
    Lcg rng;
    const int32_t firstKey = DateKey(kFirstYear, 1, 1);
    const int32_t span = DateKey(kFirstYear + kYears - 1, 12, 31) - firstKey + 1;
    mrt::bench::BytesReadCounter bytes;
    for (auto _ : state) {
        CivilDate last;
        DateFromKey(firstKey + static_cast<int32_t>(rng.next() % span), last.year, last.month, last.day);
        if (ComputeTotals(h.session, last, false) != 0) state.SkipWithError("computation failed");
        benchmark::DoNotOptimize(h.session.state.table.data());
    }
    bytes.Report(state);
    state.counters["ledger lines"] = static_cast<double>(h.ledger.index.TotalLines);
    state.counters["months read"] = h.session.state.index.BlockSpan;
}
BENCHMARK(BM_TotalsAnyWeek)->Unit(benchmark::kMillisecond);

// A year's budget file with 20 income and 50 expense items.
struct BudgetYear {
    std::string home;
    NameTables names;
    BgtRecord rec;
    ConsoleDialogs dlg;
    BudgetPlace place;
    BudgetYear() {
        home = (std::filesystem::temp_directory_path() / "mrtkel-bench-budget").string();
        MakeFolders(home + "/Data1/BU");
        place = BudgetPlaceOf(home);
        for (int i = 1; i <= 20; ++i)
            AddName(names, kItemTable, 0, "収入" + std::to_string(i));
        for (int i = 1; i <= 50; ++i)
            AddName(names, kItemTable, 1, "支出" + std::to_string(i));
        rec.HeldYear = 2024;
        FillBudget(rec, -1);
        for (int m = 1; m <= 12; ++m)
            for (int k = 0; k < 2; ++k)
                for (int s = 1; s <= kBudgetSlotMax[k]; ++s)
                    rec.at(m, k, s) = (m * 1000 + s * 37) * (k + 1);
    }
    ~BudgetYear() { std::filesystem::remove_all(home); }
};

void BM_BudgetSave(benchmark::State& state) {
    BudgetYear b;
    for (auto _ : state)
        if (SaveBudget(b.rec, 2024, b.names.items, b.place, b.dlg) != 0) state.SkipWithError("save failed");
}
BENCHMARK(BM_BudgetSave)->Unit(benchmark::kMicrosecond);

void BM_BudgetLoad(benchmark::State& state) {
    BudgetYear b;
    if (SaveBudget(b.rec, 2024, b.names.items, b.place, b.dlg) != 0) state.SkipWithError("save failed");
    BgtRecord loaded;
    for (auto _ : state) {
        loaded.HeldYear = 0; // force a read of the file
        if (LoadBudget(loaded, 2024, b.names.items, b.place, b.dlg) != 0) state.SkipWithError("load failed");
    }
    if (loaded.BudgetAmounts != b.rec.BudgetAmounts) state.SkipWithError("round trip differs");
}
BENCHMARK(BM_BudgetLoad)->Unit(benchmark::kMicrosecond);

} // namespace
