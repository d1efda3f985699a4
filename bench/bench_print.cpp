// The ledger printout's page composition: a year of a ledger of 15 lines a day (about 5,500
// lines, a tenth of them with a note that needs a second row) onto a recording printer.
#include "ledger/IoRecord.h"
#include "port/ConsoleDialogs.h"
#include "print/LedgerPrint.h"
#include "print/RecordingPrinter.h"
#include "settings/IniRecord.h"
#include "util/DateText.h"

#include <benchmark/benchmark.h>

namespace {

using namespace mrt;

std::vector<IoRecord> yearOfLines() {
    static const char* items[] = {"食費", "日用品", "交通費", "水道光熱費", "趣味・娯楽"};
    static const char* notes[] = {"野菜・果物", "ティッシュ・紙類", "電車・バス",
                                  "電気代１１月分（１０／２８～１１／２６）", "映画・観劇"};
    static const char* shops[] = {"スーパー", "ドラッグストア", "駅", "電力会社", "映画館"};
    std::vector<IoRecord> v;
    int32_t balance = 50000000;
    const int first = DateKey(2026, 1, 1);
    for (int day = 0; day < 365; ++day) {
        for (int k = 0; k < 15; ++k) {
            IoRecord r;
            int y, m, d;
            DateFromKey(first + day, y, m, d);
            r.Year = static_cast<int16_t>(y);
            r.Month = static_cast<int16_t>(m);
            r.Day = static_cast<int16_t>(d);
            const int i = (day * 15 + k) % 5;
            // Every tenth line carries the long note.
            const int n = (day * 15 + k) % 10 == 0 ? 3 : (i == 3 ? 0 : i);
            r.ItemName = items[i];
            r.Note = notes[n];
            r.ShopName = shops[i];
            r.Expense = 100 + (day * 7 + k * 13) % 9000;
            balance -= r.Expense;
            r.Balance = balance;
            v.push_back(r);
        }
    }
    return v;
}

void BM_ComposeLedgerYear(benchmark::State& state) {
    const std::vector<IoRecord> lines = yearOfLines();
    ConsoleDialogs dlg;
    IniRecord ini;
    const LedgerPageSetup setup{10, 55, 500, 0};
    int pages = 0;
    for (auto _ : state) {
        RecordingPrinter printer;
        printer.KeepPages(false);
        if (PrintLedgerPages(printer, dlg, ini, lines, setup, nullptr) != 0) state.SkipWithError("printout failed");
        pages = printer.PagesCompleted();
    }
    state.counters["lines"] = static_cast<double>(lines.size());
    state.counters["pages"] = pages;
}
BENCHMARK(BM_ComposeLedgerYear)->Unit(benchmark::kMillisecond);

} // namespace
