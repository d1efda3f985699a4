#include "ledger/IoRecord.h"
#include "settings/IniRecord.h"
#include "util/Cp932.h"
#include "util/DateText.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>

namespace {

void BM_FitLeftBytesJapanese(benchmark::State& state) {
    const std::string text = "スーパーマーケット山田屋　駅前店";
    for (auto _ : state) benchmark::DoNotOptimize(mrt::FitLeftBytes(text, 30));
}
BENCHMARK(BM_FitLeftBytesJapanese);

void BM_FitLeftBytesAscii(benchmark::State& state) {
    const std::string text = "Shop 12";
    for (auto _ : state) benchmark::DoNotOptimize(mrt::FitLeftBytes(text, 30));
}
BENCHMARK(BM_FitLeftBytesAscii);

void BM_EncodeField(benchmark::State& state) {
    const std::string text = "食費・日用品";
    char buf[40];
    for (auto _ : state) {
        mrt::EncodeField(text, 40, buf);
        benchmark::DoNotOptimize(buf);
    }
}
BENCHMARK(BM_EncodeField);

// One line as the listings read it: a Japanese item, an ASCII note, a blank shop.
void BM_DecodeIoRecord(benchmark::State& state) {
    mrt::IoRecord rec;
    rec.Year = 2024;
    rec.Month = 5;
    rec.Day = 17;
    rec.ItemName = "食費";
    rec.Note = "lunch 2";
    rec.Expense = 980;
    char buf[mrt::kIoRecordSize];
    mrt::EncodeIoRecord(rec, buf);
    for (auto _ : state)
        benchmark::DoNotOptimize(mrt::DecodeIoRecord(buf));
}
BENCHMARK(BM_DecodeIoRecord);

void BM_FormatDate(benchmark::State& state) {
    int day = 0;
    for (auto _ : state) {
        day = day % 28 + 1;
        benchmark::DoNotOptimize(mrt::FormatDate(2024, 5, day));
    }
}
BENCHMARK(BM_FormatDate);

void BM_SettingsRoundTrip(benchmark::State& state) {
    std::string dir = (std::filesystem::temp_directory_path() / "mrtkel-bench-settings").string();
    std::filesystem::create_directories(dir);
    std::string path = dir + "/INIT.mrt";
    mrt::IniRecord rec;
    mrt::SettingsDefaults(rec);
    for (auto _ : state) {
        if (mrt::WriteSettings(path, rec) != 0) state.SkipWithError("write failed");
        if (mrt::ReadSettings(path, rec) != 0) state.SkipWithError("read failed");
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SettingsRoundTrip)->Unit(benchmark::kMicrosecond);

} // namespace
