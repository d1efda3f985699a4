// Switching books in the program: from a small book to a book of fifty years (about 240,000
// lines) and back, as ファイル › 家計簿の切替 does it (the chosen book's recovery check, its
// folders prepared, the start-up steps on it), until the main window has painted its block.
#include "../generated_ledger.h"
#include "app/AppState.h"
#include "app/Startup.h"
#include "books/Books.h"
#include "names/NameTables.h"
#include "settings/IniRecord.h"
#include "ui/dialogs/Fonts.h"
#include "ui/dialogs/QtDialogs.h"
#include "ui/main/QtCommandScreens.h"
#include "ui/main/QtMainScreen.h"
#include "ui/main/frmMain.h"
#include "util/CommitJournal.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

using namespace mrt;
namespace fs = std::filesystem;

// A home with a small first book (one year) and a second of fifty years, both with name tables
// and settings, each started once so that their backup folders are current.
struct TwoBooks {
    std::string home;
    bool ok = false;

    TwoBooks() {
        home = (fs::temp_directory_path() / "mrtkel-bench-books-home").string();
        fs::remove_all(home);
        MakeFolders(home);
        const std::string small = bench::GeneratedLedgerIn(home, "small", 2026, 1, [](int, int) { return 60; });
        const std::string large = bench::GeneratedLedgerIn(home, "large", 2000, 50, [](int, int) { return 400; });
        fs::rename(small, home + "/Data1");
        fs::rename(large, home + "/Data2");
        ConsoleDialogs dlg;
        for (const char* folder : {"Data1", "Data2"}) {
            const std::string data = BookDataFolder(home, folder);
            MakeFolders(JoinPath(data, "BU"));
            NameTables names;
            AddName(names, kItemTable, kIncomeKind, "給与");
            for (const char* item : {"食費", "交通費", "日用品", "雑費", "外食"})
                AddName(names, kItemTable, kExpenseKind, item);
            const NameFilePaths paths = NameFilesIn(data);
            if (SaveItemTable(paths.item, names, dlg) != 0 || SaveBrkDnTable(paths.brkDn, names, dlg) != 0 ||
                SaveShopTable(paths.shop, names, dlg) != 0)
                return;
            IniRecord settings;
            SettingsDefaults(settings);
            settings.MaxBlockLines = 1500;
            if (WriteSettings(JoinPath(data, kSettingsFileName), settings) != 0) return;
        }
        ok = WriteWholeFile(JoinPath(home, kBooksFileName),
                            EncodeBooks({FirstBook(), Book{"Data2", "銀行", BookKind::Bank}}));
    }
    ~TwoBooks() { fs::remove_all(home); }
};

// The program's steps of a switch to `folder`; 0 when the window is painted.
int switchTo(AppState& app, const std::string& folder, Dialogs& dlg, QtMainScreen& main, CommandScreens& screens) {
    main.Unload();
    SetBookFolderName(folder);
    std::string error;
    if (RecoverDataFolder(BookDataFolder(app.home, folder), error) != 0) return -1;
    app.bookName = folder;
    using Clock = std::chrono::steady_clock;
    const auto t0 = Clock::now();
    if (PrepareDataFolders(app, dlg) != 0) return -1;
    const auto t1 = Clock::now();
    if (StartUp(app, dlg, main, screens) != 0) return -1;
    const auto t2 = Clock::now();
    frmMain* w = main.window();
    w->show();
    const bool painted = !w->grab().isNull();
    const auto t3 = Clock::now();
    if (std::getenv("BENCH_PARTS"))
        std::fprintf(stderr, "%s prepare %.1f start %.1f paint %.1f ms\n", folder.c_str(),
                     std::chrono::duration<double, std::milli>(t1 - t0).count(),
                     std::chrono::duration<double, std::milli>(t2 - t1).count(),
                     std::chrono::duration<double, std::milli>(t3 - t2).count());
    return painted ? 0 : -1;
}

void BM_SwitchToFiftyYearBook(benchmark::State& state) {
    static TwoBooks books;
    if (!books.ok) {
        state.SkipWithError("home generation failed");
        return;
    }
    AppState app;
    app.home = books.home;
    QtDialogs dlg(nullptr, &app.settings);
    QtMainScreen main(dlg);
    QtCommandScreens screens(dlg);
    // The first visit of each book copies it into its backup folder; the switches after it
    // are measured.
    if (switchTo(app, "Data2", dlg, main, screens) != 0 || switchTo(app, "Data1", dlg, main, screens) != 0) {
        state.SkipWithError("first start failed");
        return;
    }
    for (auto _ : state) {
        if (switchTo(app, "Data2", dlg, main, screens) != 0) state.SkipWithError("switch failed");
        state.PauseTiming();
        if (switchTo(app, "Data1", dlg, main, screens) != 0) state.SkipWithError("switch back failed");
        state.ResumeTiming();
    }
    main.Unload();
}
BENCHMARK(BM_SwitchToFiftyYearBook)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
