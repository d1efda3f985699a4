// The statement import: 10,000 card lines (Shift_JIS, half-width katakana shops, a year's
// dates) against a ledger of 100,800 lines (28 years of 300 lines a month). The preview reads the
// file, walks the ledger once (items learned, lines near the dates kept), proposes items by rule
// and by the ledger, finds duplicates and checks every line; the import adds them in one save.
#include "generated_ledger.h"
#include "ledger/LedgerBlock.h"
#include "names/NameTables.h"
#include "statement/StatementImport.h"
#include "util/Cp932.h"

#include <benchmark/benchmark.h>

namespace {

using namespace mrt;

constexpr int kYears = 28;
constexpr int kLastYear = 2000 + kYears - 1;

const std::string& pristine() {
    static const std::string folder = [] {
        std::string dir = mrt::bench::GeneratedLedger("statement", kYears, 300);
        ShopRules rules;
        std::string why, error;
        for (int s = 0; s < 200; ++s)
            AddShopRule(rules, {"ﾐｾ" + std::to_string(s), false, "日用品", "まとめ買い"}, why);
        AddShopRule(rules, {"ﾁｬｰｼﾞ", true, "", ""}, why);
        if (SaveShopRules(dir, rules, error) != 0) std::abort();
        std::atexit([] { std::filesystem::remove_all(pristine()); });
        return dir;
    }();
    return folder;
}

// 10,000 lines of one year, 200 shops; the ledger's own "ｽｰﾊﾟｰﾏﾙｲﾁ" lines are learned.
std::string statementFile() {
    std::string csv = "カード番号,****-****-****-1234\r\n利用日,利用店名・商品名,利用者,支払方法,利用金額,支払手数料,"
                      "支払総額,1月支払金額,2月繰越残高,新規サイン\r\n";
    for (int i = 0; i < 10000; ++i) {
        char date[16];
        std::snprintf(date, sizeof date, "%04d/%02d/%02d", kLastYear, 1 + i % 12, 1 + i % 28);
        const std::string shop = i % 4 == 0 ? "ｽｰﾊﾟｰﾏﾙｲﾁ" : "ﾐｾ" + std::to_string(i % 200);
        csv += std::string(date) + "," + shop + ",本人,1回払い,\"" + std::to_string(1000 + i % 5000) + "\",0,,,,\r\n";
    }
    std::string sjis;
    if (!ToCp932(csv, sjis)) std::abort();
    return sjis;
}

NameTables itemTables() {
    NameTables names;
    AddName(names, kItemTable, kIncomeKind, "給与");
    for (const char* item : {"食費", "交通費", "日用品", "ｶﾞｿﾘﾝ", "雑費", "外食"})
        AddName(names, kItemTable, kExpenseKind, item);
    return names;
}

struct Session {
    LedgerState st;
    StatementImport import;
};

void preview(Session& s, const std::string& folder, const NameTables& names, const std::string& bytes,
             benchmark::State& state) {
    std::string error;
    if (s.import.Open(folder, s.st.index, names, 10, false, error) != 0 || !s.import.Read(bytes, {}, 0, error))
        state.SkipWithError("statement refused");
}

void BM_StatementPreview10000Against100800(benchmark::State& state) {
    const std::string bytes = statementFile();
    const NameTables names = itemTables();
    ConsoleDialogs dlg;
    int included = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Session s;
        s.st.index.SetDataFolder(pristine());
        if (ScanLedgerYears(s.st, dlg) != 0) std::abort();
        state.ResumeTiming();
        preview(s, pristine(), names, bytes, state);
        included = s.import.Plan().Included();
    }
    state.counters["included"] = included;
}
BENCHMARK(BM_StatementPreview10000Against100800)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StatementImport10000Into100800(benchmark::State& state) {
    const std::string bytes = statementFile();
    NameTables names = itemTables();
    ConsoleDialogs dlg;
    const std::string work = pristine() + "-work";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(work);
        std::filesystem::copy(pristine(), work);
        Session s;
        s.st.index.SetDataFolder(work);
        if (ScanLedgerYears(s.st, dlg) != 0) std::abort();
        preview(s, work, names, bytes, state);
        const int before = s.st.index.TotalLines;
        const int adding = s.import.Plan().Included();
        state.ResumeTiming();
        if (s.import.Apply(s.st, names, NameFilesIn(work), dlg) != 0) state.SkipWithError("import refused");
        if (s.st.index.TotalLines != before + adding || adding < 9000) state.SkipWithError("wrong line count");
    }
    std::filesystem::remove_all(work);
}
BENCHMARK(BM_StatementImport10000Into100800)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
