#pragma once
// A generated ledger for benchmarks: `years` years from `firstYear`, linesOf(year, month) lines in
// each month (its region grown past 500 slots where they need it), names mixing full- and
// half-width text. Written once into a new folder below `base`; the callers remove it at exit.
#include "ledger/LedgerFiles.h"
#include "port/ConsoleDialogs.h"
#include "util/FileBatch.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace mrt::bench {

inline std::string GeneratedLedgerIn(const std::filesystem::path& base, const char* tag, int firstYear, int years,
                                     const std::function<int(int, int)>& linesOf) {
    std::string dir = (base / (std::string("mrtkel-bench-") + tag + "-XXXXXX")).string();
    if (!mkdtemp(dir.data())) std::abort();
    LedgerIndex idx;
    idx.SetDataFolder(dir);
    ConsoleDialogs dlg;
    std::string filler(kIoRecordSize, '\0'), end(kIoRecordSize, '\0');
    EncodeIoRecord(FillerRecord(), filler.data());
    EncodeIoRecord(RegionEndRecord(), end.data());
    static const char* kItems[] = {"食費", "交通費", "日用品", "ｶﾞｿﾘﾝ", "雑費", "外食"};
    static const char* kShops[] = {"ＡＢＣストア", "ｽｰﾊﾟｰﾏﾙｲﾁ", "駅前薬局", "", "コンビニ７"};
    int32_t balance = 20000000;
    for (int y = firstYear; y < firstYear + years; ++y) {
        idx.FirstYear = y;
        YearFile file;
        for (int m = 1; m <= 12; ++m) {
            const int perMonth = linesOf(y, m);
            InfRecord inf{static_cast<int16_t>(std::max(perMonth + 1, 500)), static_cast<int16_t>(perMonth)};
            idx.Inf(1, m) = inf;
            for (int k = 0; k < perMonth; ++k) {
                IoRecord r;
                r.Year = static_cast<int16_t>(y);
                r.Month = static_cast<int16_t>(m);
                r.Day = static_cast<int16_t>(1 + k * 28 / perMonth);
                if (y == firstYear && m == 1 && k == 0) {
                    r.ItemName = "初期残高";
                } else {
                    r.ItemName = kItems[k % 6];
                    r.Note = "内訳メモ" + std::to_string(k);
                    r.ShopName = kShops[k % 5];
                    if (k % 40 == 0)
                        r.Income = 20000;
                    else
                        r.Expense = 100 + k % 900;
                    balance += r.Income - r.Expense;
                }
                r.Balance = balance;
                std::string b(kIoRecordSize, '\0');
                EncodeIoRecord(r, b.data());
                file.bytes += b;
            }
            for (int k = perMonth + 1; k < inf.Capacity; ++k)
                file.bytes += filler;
            file.bytes += end;
        }
        FileBatch batch;
        std::string error;
        if (!batch.Stage(IoFileName(idx, y), file.bytes, error) || WriteInfFile(idx, 1, dlg, &batch) != 0 ||
            !batch.Commit(error))
            std::abort();
    }
    return dir;
}

// `years` years from 2000, `perMonth` lines in every month, in the temporary folder.
inline std::string GeneratedLedger(const char* tag, int years, int perMonth) {
    return GeneratedLedgerIn(std::filesystem::temp_directory_path(), tag, 2000, years,
                             [perMonth](int, int) { return perMonth; });
}

} // namespace mrt::bench
