// The program's start on a 50-year household ledger (about 14 lines a day, 255,000 lines): name
// tables checked and backed up, the information files scanned, the newest block loaded and the
// changed ledger files copied into the backup folder. Measured after the newest year got a new
// line (the usual evening), and after every file changed (the first start after a restore). The
// main window is left out: a screen that does nothing stands in for it.
#include "app/AppScreens.h"
#include "app/AppState.h"
#include "app/Startup.h"
#include "bytes_read.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerSave.h"
#include "names/NameTables.h"
#include "port/ConsoleDialogs.h"
#include "settings/IniRecord.h"
#include "util/DateText.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

using namespace mrt;

constexpr int kFirstYear = 2000;
constexpr int kYears = 50;

class SilentMain : public MainScreen {
public:
    void SplashOn() override {}
    void SplashOff() override {}
    void SetUpMainWindow(AppState&) override {}
    bool FixedStyleFlat() const override { return true; }
    void SetFixedStyleFlat(bool) override {}
    int RunLedgerEditing(AppState&) override { return -1; }
    int WindowState() const override { return 0; }
    void SetWindowState(int) override {}
    void Unload() override {}
};

class NoScreens : public CommandScreens {
public:
    int Settings(AppState&) override { return -1; }
    int NameRegistration(AppState&) override { return -1; }
    int BudgetRegistration(AppState&) override { return -1; }
    int Totals(AppState&) override { return -1; }
    int Print(AppState&) override { return -1; }
    int Backup(AppState&) override { return -1; }
    int Restore(AppState&) override { return -1; }
    void Version() override {}
    int Search(AppState&, SearchHit&) override { return 1; }
    int ExportCsv(AppState&) override { return -1; }
    int ImportCsv(AppState&) override { return 1; }
};

// A data home of fifty years, made once and backed up by a first start.
struct Home {
    std::string home;
    ConsoleDialogs dlg;
    bool ok = false;

    Home() {
        home = (std::filesystem::temp_directory_path() / "mrtkel-bench-start-home").string();
        std::filesystem::remove_all(home);
        const std::string data = DataFolder(home);
        MakeFolders(JoinPath(data, "BU"));
        NameTables names;
        AddName(names, kItemTable, kIncomeKind, "給与");
        for (const char* item : {"食費", "日用品", "交通費", "光熱費", "外食"})
            AddName(names, kItemTable, kExpenseKind, item);
        const NameFilePaths paths = NameFilesIn(data);
        if (SaveItemTable(paths.item, names, dlg) != 0 || SaveBrkDnTable(paths.brkDn, names, dlg) != 0 ||
            SaveShopTable(paths.shop, names, dlg) != 0)
            return;
        IniRecord settings;
        settings.MaxBlockLines = 1500;
        if (WriteSettings(JoinPath(data, kSettingsFileName), settings) != 0) return;

        LedgerState writer;
        writer.index.SetDataFolder(data);
        const char* items[] = {"食費", "日用品", "交通費", "光熱費", "外食"};
        int32_t balance = 3000000;
        const int32_t first = DateKey(kFirstYear, 1, 1), last = DateKey(kFirstYear + kYears - 1, 12, 31);
        for (int32_t key = first; key <= last; ++key) {
            int y, m, d;
            DateFromKey(key, y, m, d);
            for (int k = 0; k < 14; ++k) {
                IoRecord r;
                r.Year = static_cast<int16_t>(y);
                r.Month = static_cast<int16_t>(m);
                r.Day = static_cast<int16_t>(d);
                if (key == first && k == 0) {
                    r.ItemName = "初期残高";
                    r.Income = balance;
                } else if (d == 25 && k == 0) {
                    r.ItemName = "給与";
                    r.Income = 300000;
                } else {
                    r.ItemName = items[(key + k) % 5];
                    r.Note = "内訳" + std::to_string(k);
                    r.Expense = 100 + (key * 7 + k * 13) % 900;
                }
                balance += r.Income >= 1 ? r.Income : -r.Expense;
                if (!(key == first && k == 0)) r.Balance = balance;
                else r.Balance = r.Income;
                writer.block.push_back(std::move(r));
            }
        }
        writer.LedgerModified = true;
        if (SaveLedgerBlock(writer, dlg) != 0) return;
        ok = start() == 0; // the first start copies everything into the backup folder
    }
    ~Home() { std::filesystem::remove_all(home); }

    int start() {
        AppState app;
        app.home = home;
        SilentMain main;
        NoScreens screens;
        if (PrepareDataFolders(app, dlg) != 0) return -1;
        return StartUp(app, dlg, main, screens);
    }

    // The evening's new line: one line on the newest day, saved as the program saves it.
    bool addLine() {
        LedgerState st;
        st.index.SetDataFolder(DataFolder(home));
        st.BlockMonthsInUse = 3;
        st.MaxBlockLines = 5000;
        if (ScanLedgerYears(st, dlg) != 0 || LoadStartBlock(st, dlg) != 0) return false;
        IoRecord line = st.block.back();
        line.ItemName = "食費";
        line.Note.clear();
        line.Income = 0;
        line.Expense = 500;
        line.Balance -= 500;
        st.block.push_back(line);
        st.LedgerModified = true;
        return SaveLedgerBlock(st, dlg) == 0;
    }

    // Every data file gets a new modification time, as files restored from elsewhere have.
    void touchAll() {
        for (const auto& e : std::filesystem::directory_iterator(DataFolder(home)))
            if (e.is_regular_file()) ::utimensat(AT_FDCWD, e.path().c_str(), nullptr, 0);
    }
};

Home& home() {
    static Home h;
    return h;
}

void BM_StartAfterOneNewLine(benchmark::State& state) {
    Home& h = home();
    if (!h.ok) {
        state.SkipWithError("home generation failed");
        return;
    }
    int64_t read = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (!h.addLine()) state.SkipWithError("adding a line failed");
        const int64_t before = mrt::bench::BytesReadSoFar();
        state.ResumeTiming();
        if (h.start() != 0) state.SkipWithError("start-up failed");
        read += mrt::bench::BytesReadSoFar() - before;
    }
    state.counters["bytes_read"] = static_cast<double>(read) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_StartAfterOneNewLine)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_StartAfterEveryFileChanged(benchmark::State& state) {
    Home& h = home();
    if (!h.ok) {
        state.SkipWithError("home generation failed");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        h.touchAll();
        state.ResumeTiming();
        if (h.start() != 0) state.SkipWithError("start-up failed");
    }
}
BENCHMARK(BM_StartAfterEveryFileChanged)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace
