#include "app/AppScreens.h"
#include "app/AppState.h"
#include "app/CsvCommands.h"
#include "app/EditingPeriod.h"
#include "app/Startup.h"
#include "ledger/LedgerBlock.h"
#include "port/ConsoleDialogs.h"
#include "repeat/RepeatDue.h"
#include "screens/RepeatDueList.h"
#include "support/FaultFs.h"
#include "support/RunTool.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "test_ledger_fixture.h"
#include "util/Clock.h"
#include "util/CommitJournal.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

using namespace mrt;
using namespace mrt::test;
namespace fs = std::filesystem;

namespace {

// A main window that records what the loop asks of it; each editing period runs the next
// scripted action, which picks the command to return with.
class FakeMain : public MainScreen {
public:
    std::deque<std::function<Command(AppState&)>> periods;
    std::vector<std::string> log;
    bool flat = false;
    int state = 0;

    void SplashOn() override { log.push_back("splash"); }
    void SplashOff() override { log.push_back("splash-off"); }
    void SetUpMainWindow(AppState&) override {
        log.push_back("setup");
        flat = true;
    }
    bool FixedStyleFlat() const override { return flat; }
    void SetFixedStyleFlat(bool f) override { flat = f; }
    int RunLedgerEditing(AppState& app) override {
        log.push_back("edit");
        if (BeginEditingPeriod(app, *dlg) != 0) return -1;
        if (periods.empty()) {
            ADD_FAILURE() << "unexpected editing period";
            app.MenuSel = Command::Exit;
        } else {
            auto f = periods.front();
            periods.pop_front();
            app.MenuSel = f(app);
        }
        return EndEditingPeriod(app, *dlg);
    }
    int WindowState() const override { return state; }
    void SetWindowState(int s) override { state = s; }
    void Unload() override { log.push_back("unload"); }
    Dialogs* dlg = nullptr;
};

class FakeScreens : public CommandScreens {
public:
    std::vector<std::string> log;
    std::function<void(AppState&)> settingsAction;
    int Settings(AppState& app) override {
        log.push_back("settings");
        // A start-up that keeps reopening the window would never end: stop it as a run-time error.
        if (std::count(log.begin(), log.end(), "settings") > 10) {
            ADD_FAILURE() << "the settings window keeps being opened";
            throw std::runtime_error("settings opened again and again");
        }
        if (settingsAction) settingsAction(app);
        return 0;
    }
    int NameRegistration(AppState&) override { return log.push_back("names"), 0; }
    int BudgetRegistration(AppState&) override { return log.push_back("budget"), 0; }
    int Totals(AppState&) override { return log.push_back("totals"), 0; }
    int YearReport(AppState&) override { return log.push_back("year"), 0; }
    int Print(AppState&) override { return log.push_back("print"), 0; }
    int Backup(AppState&) override { return log.push_back("backup"), 0; }
    int Restore(AppState&) override { return log.push_back("restore"), -1; }
    void Version() override { log.push_back("version"); }
    std::function<int(AppState&, SearchHit&)> searchAction;
    std::function<int(AppState&)> importAction;
    int Search(AppState& app, SearchHit& hit) override {
        log.push_back("search");
        return searchAction ? searchAction(app, hit) : 1;
    }
    int ExportCsv(AppState&) override { return log.push_back("export"), 0; }
    int ImportCsv(AppState& app) override {
        log.push_back("import");
        return importAction ? importAction(app) : 1;
    }
    std::function<int(AppState&)> dueAction;
    int DueLines(AppState& app) override {
        log.push_back("due");
        return dueAction ? dueAction(app) : 1;
    }
};

// Initial name tables as the program delivers them: a few items with lists.
void makeTbInit(const std::string& folder) {
    NameTables t;
    ScriptedDialogs quiet;
    AddName(t, kItemTable, kIncomeKind, "給与");
    AddName(t, kItemTable, kExpenseKind, "食費");
    AddName(t, kItemTable, kExpenseKind, "光熱費");
    AddName(t, kBrkDnTable, 21, "野菜");
    AddName(t, kShopTable, 21, "八百屋");
    fs::create_directories(folder);
    ASSERT_EQ(SaveItemTable(JoinPath(folder, kItemFileName), t, quiet), 0);
    ASSERT_EQ(SaveBrkDnTable(JoinPath(folder, kBrkDnFileName), t, quiet), 0);
    ASSERT_EQ(SaveShopTable(JoinPath(folder, kShopFileName), t, quiet), 0);
}

struct Fixture {
    TempDir home;
    AppState app;
    ScriptedDialogs dlg;
    FakeMain main;
    FakeScreens screens;
    FixedClock clock{{2004, 4, 1}};

    Fixture() {
        app.home = home.path();
        main.dlg = &dlg;
        SetClock(&clock);
    }
    ~Fixture() { SetClock(nullptr); }

    // A first start that answers the start date and balance questions and then exits.
    void firstStart(const std::string& date = "2004/04/01", const std::string& balance = "50000") {
        makeTbInit(home / "TbInit");
        ASSERT_EQ(PrepareDataFolders(app, dlg), 0);
        dlg.expect("DateInYMD", 0).withText(date).expectMessage("開始する日付を入力してください。");
        dlg.expect("InputKel", 0).withText(balance).expectMessage("最初の残高を入力してください。");
        main.periods.push_back([](AppState&) { return Command::Exit; });
        ASSERT_EQ(RunApplication(app, dlg, main, screens), 0);
        dlg.VerifyDone();
    }
};

} // namespace

TEST(StartUp, FirstStartCopiesInitialTablesAsksStartAndSavesTheFirstLine) {
    Fixture f;
    f.firstStart();
    EXPECT_TRUE(fs::exists(f.home / "Data1/TBITEM.mrt"));
    EXPECT_TRUE(fs::exists(f.home / "Data1/BU/TBITEM.mrt"));
    EXPECT_TRUE(fs::exists(f.home / "Data1/Io2004.usr"));
    EXPECT_EQ(f.app.start.StartDateText, "20040401");
    EXPECT_EQ(f.app.names.items.ItemCount[kExpenseKind], 2);

    // The next start shows the same ledger: one initial-balance line of 50,000.
    AppState again;
    again.home = f.home.path();
    FakeMain main2;
    main2.dlg = &f.dlg;
    main2.periods.push_back([](AppState& a) {
        EXPECT_EQ(a.ledger.block.size(), 1u);
        EXPECT_EQ(a.ledger.block[0].ItemName, "初期残高");
        EXPECT_EQ(a.ledger.block[0].Balance, 50000);
        return Command::Exit;
    });
    ASSERT_EQ(PrepareDataFolders(again, f.dlg), 0);
    EXPECT_EQ(RunApplication(again, f.dlg, main2, f.screens), 0);
    EXPECT_EQ(again.start.StartDateText, "20040401");
    EXPECT_TRUE(fs::exists(f.home / "Data1/BU/Io2004.usr"));
}

// An import adds lines behind the program's back: the loop reads the ledger anew before the next
// period. A line chosen in the search window waits for the next period.
TEST(StartUp, ImportReadsTheLedgerAgainAndASearchChoiceWaitsForTheNextPeriod) {
    Fixture f;
    f.firstStart();
    AppState app;
    app.home = f.home.path();
    ASSERT_EQ(PrepareDataFolders(app, f.dlg), 0);
    f.screens.importAction = [&](AppState& a) {
        ImportPlan plan = PlanAppImport(a, "2004-04-02,食費,,,,300,\n2004-04-03,給与,,,1000,,\n", false);
        EXPECT_TRUE(plan.Ready());
        f.dlg.expect("MsgOK").expectMessage("2 行を取り込みました。");
        return RunAppImport(a, plan, f.dlg);
    };
    f.screens.searchAction = [](AppState& a, SearchHit& hit) {
        SearchResult r;
        EXPECT_EQ(SearchLedger(a.ledger.index, {.text = "食費"}, r), 0);
        EXPECT_EQ(r.hits.size(), 1u);
        hit = r.hits.at(0);
        return 0;
    };
    FakeMain main;
    main.dlg = &f.dlg;
    main.periods.push_back([](AppState&) { return Command::ImportCsv; });
    main.periods.push_back([](AppState& a) {
        EXPECT_EQ(a.ledger.block.size(), 3u);
        EXPECT_EQ(a.ledger.block.back().Balance, 50700);
        return Command::Search;
    });
    main.periods.push_back([](AppState& a) {
        EXPECT_TRUE(a.PendingJump.has_value());
        EXPECT_EQ(a.PendingJump->slot, 2);
        return Command::Exit;
    });
    EXPECT_EQ(RunApplication(app, f.dlg, main, f.screens), 0);
    EXPECT_EQ(f.screens.log, (std::vector<std::string>{"import", "search"}));
}

// Three months away: the start offers the four lines due since and the loop reads the ledger with
// them; the menu command finds nothing more, and the next start offers nothing.
TEST(StartUp, DueRecurringLinesAreOfferedOnceAndReadIntoTheLedger) {
    Fixture f;
    f.firstStart();
    RepeatEntry e;
    e.item = "光熱費";
    e.amount = "5000";
    e.rule = {RepeatKind::Monthly, 1, 10, false, 20040401, 0};
    e.offeredUpTo = 20040401;
    RepeatTable table;
    table.entries = {e};
    ASSERT_EQ(SaveRepeatTable(RepeatFileIn(DataFolder(f.home.path())), table, f.dlg), 0);
    f.clock.Set({2004, 7, 15});
    std::vector<int> offered;
    f.screens.dueAction = [&](AppState& a) {
        RepeatDueList list(a.repeats, AppToday(), a.settings.TaxRate);
        offered.push_back(list.Rows());
        return list.Apply(a.ledger, a.names, a.dataFolder, a.repeats, f.dlg) > 0 ? 0 : 1;
    };
    for (int run = 0; run < 2; ++run) {
        AppState app;
        app.home = f.home.path();
        ASSERT_EQ(PrepareDataFolders(app, f.dlg), 0);
        FakeMain main;
        main.dlg = &f.dlg;
        main.periods.push_back([](AppState& a) {
            EXPECT_EQ(a.ledger.index.TotalLines, 5);
            EXPECT_EQ(a.ledger.block.back().Balance, 30000);
            return Command::DueLines;
        });
        main.periods.push_back([](AppState&) { return Command::Exit; });
        EXPECT_EQ(RunApplication(app, f.dlg, main, f.screens), 0);
    }
    // The first start offers four lines and each menu command none; the second start, with
    // nothing due, opens no list of its own.
    EXPECT_EQ(offered, (std::vector<int>{4, 0, 0}));
    EXPECT_EQ(f.screens.log, (std::vector<std::string>{"due", "due", "due"}));
    EXPECT_EQ(ReadBytes(JoinPath(BackupFolder(f.home.path()), kRepeatFileName)),
              ReadBytes(RepeatFileIn(DataFolder(f.home.path()))));
}

// File name → bytes of the files directly in a folder, ledger year and information files left out.
std::map<std::string, std::string> tableFiles(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(folder)) {
        std::string name = e.path().filename().string();
        if (e.is_regular_file() && name.find(".usr") == std::string::npos) files[name] = ReadBytes(e.path().string());
    }
    return files;
}

// `mrtkel-tool init` on a new home leaves what the program's first start leaves, so the program
// then starts with the initial names and the tool's initial-balance line.
TEST(StartUp, ToolInitPreparesTheDataFolderAsTheFirstStartDoes) {
    const std::string resources = FindResourceFolder(MRTKEL_TOOL_PATH);
    ASSERT_FALSE(resources.empty());
    Fixture byProgram;
    byProgram.app.resourceFolder = resources;
    ASSERT_EQ(PrepareDataFolders(byProgram.app, byProgram.dlg), 0);

    Fixture f;
    f.app.resourceFolder = resources;
    int status = -1;
    RunTool("--home '" + f.home.path() + "' init --start 2004-04-01 --balance 50000", status);
    ASSERT_EQ(status, 0);
    EXPECT_TRUE(fs::is_directory(f.home / "Data1/BU"));
    const auto tables = tableFiles(f.home / "Data1");
    EXPECT_EQ(tables.size(), 3u);
    EXPECT_EQ(tables, tableFiles(byProgram.home / "Data1"));

    ASSERT_EQ(PrepareDataFolders(f.app, f.dlg), 0); // nothing to copy, nothing to say
    f.main.periods.push_back([](AppState& a) {
        EXPECT_GT(a.names.items.ItemCount[kExpenseKind], 0);
        EXPECT_EQ(a.ledger.block.size(), 1u);
        return Command::Exit;
    });
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    EXPECT_EQ(f.dlg.count("MsgOK"), 0);
}

// A data folder that exists without name tables gets the initial ones, with a word to the user;
// a table kept in the backup folder is the user's and is not replaced by the initial one.
TEST(StartUp, DataFolderWithoutNameTablesGetsTheInitialOnes) {
    Fixture f;
    makeTbInit(f.home / "TbInit");
    LedgerModel model;
    model[2004].months[3].lines = {Line{2004, 4, 1, "初期残高", "", "", 0, 0, 50000}};
    fs::create_directories(f.home / "Data1/BU");
    writeModel(f.home / "Data1", model);

    f.dlg.expect("MsgOK").expectMessage(kInitTablesCopiedMessage);
    ASSERT_EQ(PrepareDataFolders(f.app, f.dlg), 0);
    EXPECT_EQ(tableFiles(f.home / "Data1"), tableFiles(f.home / "TbInit"));
    f.main.periods.push_back([](AppState& a) {
        EXPECT_EQ(a.names.items.ItemCount[kExpenseKind], 2);
        EXPECT_EQ(a.ledger.block.size(), 1u);
        return Command::Exit;
    });
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    f.dlg.VerifyDone();

    // Only the table missing from both folders is copied.
    Fixture g;
    makeTbInit(g.home / "TbInit");
    fs::create_directories(g.home / "Data1/BU");
    const std::string ownItems = "own items\r\n";
    WriteBytes(g.home / "Data1/tbitem.mrt", ownItems);
    WriteBytes(g.home / "Data1/BU/TBSHOP.mrt", "own shops");
    g.dlg.expect("MsgOK").expectMessage(kInitTablesCopiedMessage);
    ASSERT_EQ(PrepareDataFolders(g.app, g.dlg), 0);
    EXPECT_EQ(ReadBytes(g.home / "Data1/tbitem.mrt"), ownItems);
    EXPECT_FALSE(fs::exists(g.home / "Data1/TBITEM.mrt"));
    EXPECT_EQ(ReadBytes(g.home / "Data1/TBBRKDN.mrt"), ReadBytes(g.home / "TbInit/TBBRKDN.mrt"));
    EXPECT_FALSE(fs::exists(g.home / "Data1/TBSHOP.mrt"));
    g.dlg.VerifyDone();

    // Without initial tables the start ends as the first start does.
    Fixture h;
    fs::create_directories(h.home / "Data1/BU");
    h.dlg.expectBox(MsgResult::OK).expectMessage("テーブルデータ用初期ファイルが異常です");
    EXPECT_EQ(PrepareDataFolders(h.app, h.dlg), -1);
}

// The initial tables go into the data folder in one commit: cut at any call (killed, killed with a
// power cut, an I/O error there), the folder holds all three or none once it is recovered, and
// the next start completes them.
TEST(StartUp, InitialTablesArriveAllOrNone) {
    auto prepared = [](Fixture& f) {
        makeTbInit(f.home / "TbInit");
        fs::create_directories(f.home / "Data1/BU");
    };
    int calls = 0;
    {
        Fixture f;
        prepared(f);
        FaultFs faults(f.home / "Data1");
        ScopedFileSystem use(faults);
        f.dlg.expect("MsgOK").expectMessage(kInitTablesCopiedMessage);
        ASSERT_EQ(PrepareDataFolders(f.app, f.dlg), 0);
        calls = faults.Calls();
    }
    ASSERT_GT(calls, 3);
    enum Cut { Kill, KillAndPowerCut, KillAndPowerCutKeepingRenames, IoError };
    for (int n = 1; n <= calls; ++n) {
        for (Cut cut : {Kill, KillAndPowerCut, KillAndPowerCutKeepingRenames, IoError}) {
            SCOPED_TRACE("call " + std::to_string(n) + ", cut " + std::to_string(cut));
            Fixture f;
            prepared(f);
            {
                FaultFs faults(f.home / "Data1");
                if (cut == IoError)
                    faults.FailCall(n);
                else
                    faults.CrashAt(n);
                ScopedFileSystem use(faults);
                ConsoleDialogs quiet;
                PrepareDataFolders(f.app, quiet);
                if (cut == KillAndPowerCut || cut == KillAndPowerCutKeepingRenames)
                    faults.PowerCut(cut == KillAndPowerCutKeepingRenames);
            }
            std::string error;
            ASSERT_EQ(RecoverDataFolder(DataFolder(f.home.path()), error), 0) << error;
            const size_t copied = tableFiles(f.home / "Data1").size();
            EXPECT_TRUE(copied == 0 || copied == 3) << copied;
            if (copied == 0) f.dlg.expect("MsgOK").expectMessage(kInitTablesCopiedMessage);
            ASSERT_EQ(PrepareDataFolders(f.app, f.dlg), 0);
            EXPECT_EQ(tableFiles(f.home / "Data1"), tableFiles(f.home / "TbInit"));
            f.dlg.VerifyDone();
            if (HasFailure()) return;
        }
    }
}

TEST(StartUp, StartDateOutsideTheGridYearsIsAskedAgainAndTheLineIsSavedAtOnce) {
    Fixture f;
    makeTbInit(f.home / "TbInit");
    ASSERT_EQ(PrepareDataFolders(f.app, f.dlg), 0);
    f.dlg.expect("DateInYMD", 0).withText("0008/12/07");
    f.dlg.expect("MsgOK").expectMessage("日付が異常です。");
    f.dlg.expect("DateInYMD", 0).withText("2051/01/01");
    f.dlg.expect("MsgOK").expectMessage("日付が異常です。");
    f.dlg.expect("DateInYMD", 0).withText("2050/12/31");
    f.dlg.expect("InputKel", 0).withText("1200");
    // The initial-balance line is on disk before the user does anything else.
    f.main.periods.push_back([&f](AppState&) {
        EXPECT_TRUE(fs::exists(f.home / "Data1/Io2050.usr"));
        return Command::Exit;
    });
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    EXPECT_EQ(f.app.start.StartDateText, "20501231");
}

TEST(StartUp, FirstStartWithoutInitialTablesEndsWithTheMessage) {
    Fixture f;
    f.dlg.expectBox(MsgResult::OK).expectMessage("テーブルデータ用初期ファイルが異常です");
    EXPECT_EQ(PrepareDataFolders(f.app, f.dlg), -1);
    EXPECT_TRUE(fs::is_directory(f.home / "Data1"));
    EXPECT_TRUE(fs::is_directory(f.home / "Data1/BU"));
}

TEST(StartUp, CancellingTheStartDateLeavesTheProgram) {
    Fixture f;
    makeTbInit(f.home / "TbInit");
    ASSERT_EQ(PrepareDataFolders(f.app, f.dlg), 0);
    f.dlg.expect("DateInYMD", -1);
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    EXPECT_FALSE(fs::exists(f.home / "Data1/Io2004.usr"));
}

TEST(StartUp, DamagedTableRestoredFromBackupRestarts) {
    Fixture f;
    f.firstStart();
    std::string good = ReadBytes(f.home / "Data1/TBITEM.mrt");
    WriteBytes(f.home / "Data1/TBITEM.mrt", "garbage\r\n");
    fs::last_write_time(f.home / "Data1/TBITEM.mrt", fs::file_time_type::clock::now() + std::chrono::hours(1));

    f.dlg.expect("MsgYesNo2", 0).expectMessage("項目名データが異常です。前回立ち上げ時のデータに戻します。");
    f.main.periods.push_back([](AppState& a) {
        EXPECT_EQ(a.names.items.ItemCount[kExpenseKind], 2);
        return Command::Exit;
    });
    f.main.log.clear();
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    EXPECT_EQ(ReadBytes(f.home / "Data1/TBITEM.mrt"), good);
    // Two splashes: the first start-up and the one after the restart.
    EXPECT_EQ(std::count(f.main.log.begin(), f.main.log.end(), "splash"), 2);
}

TEST(StartUp, DecliningTheRestoreEndsWithoutChangingFiles) {
    Fixture f;
    f.firstStart();
    WriteBytes(f.home / "Data1/TBITEM.mrt", "garbage\r\n");
    f.dlg.expect("MsgYesNo2", 1);
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 1);
    EXPECT_EQ(ReadBytes(f.home / "Data1/TBITEM.mrt"), "garbage\r\n");
    EXPECT_TRUE(f.main.periods.empty());
}

// A damaged ledger file (here an information file emptied) is offered back from the copy of the
// last clean start, as any damaged file is; declining ends the program with the file as it was.
TEST(StartUp, DamagedInformationFileOffersTheBackupCopy) {
    Fixture f;
    f.firstStart();
    f.main.periods.push_back([](AppState&) { return Command::Exit; });
    ASSERT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0); // a clean start backs the ledger up
    const std::string good = ReadBytes(f.home / "Data1/Inf2004.usr");
    ASSERT_EQ(ReadBytes(f.home / "Data1/BU/Inf2004.usr"), good);
    WriteBytes(f.home / "Data1/Inf2004.usr", "");

    f.dlg.expect("MsgOK").expectMessage("Inf2004.usr: 長さ 0 バイト");
    f.dlg.expect("MsgYesNo2", 1).expectMessage("入出金データが異常です。前回立ち上げ時のデータに戻します。");
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 1);
    EXPECT_EQ(ReadBytes(f.home / "Data1/Inf2004.usr"), "");
    f.dlg.VerifyDone();

    f.dlg.expect("MsgOK").expectMessage("Inf2004.usr: 長さ 0 バイト");
    f.dlg.expect("MsgYesNo2", 0).expectMessage("入出金データが異常です。");
    f.main.periods.push_back([](AppState& a) {
        EXPECT_EQ(a.ledger.block.size(), 1u);
        EXPECT_EQ(a.ledger.block[0].Balance, 50000);
        return Command::Exit;
    });
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    EXPECT_EQ(ReadBytes(f.home / "Data1/Inf2004.usr"), good);
    f.dlg.VerifyDone();
}

// A settings file that exists but cannot be read ends the program with a message; the defaults
// are not used and the file is not written, though the window state would have been stored.
TEST(StartUp, UnreadableSettingsEndTheProgramWithoutWritingThem) {
    Fixture f;
    f.firstStart();
    IniRecord rec;
    rec.TaxRate = 8;
    ASSERT_EQ(WriteSettings(f.app.settingsPath(), rec), 0);
    const std::string bytes = ReadBytes(f.home / "Data1/INIT.mrt");
    f.main.state = 2;
    f.main.log.clear();
    // The read fails at start only: by the exit the file could be written again, and still is not.
    struct ReadableAfterTheMessage : ScriptedDialogs {
        MsgResult MsgBox(const std::string& msg, const std::string& ttl, MsgIcon icon, MsgButtons buttons) override {
            SetSettingsReadFailure(0);
            return ScriptedDialogs::MsgBox(msg, ttl, icon, buttons);
        }
    } dlg;
    SetSettingsReadFailure(EIO);
    dlg.expectBox(MsgResult::OK).expectMessage("環境設定ファイルを読み込めません。\r\nINIT.mrt: ");
    EXPECT_EQ(RunApplication(f.app, dlg, f.main, f.screens), 1);
    SetSettingsReadFailure(0);
    dlg.VerifyDone();
    EXPECT_EQ(ReadBytes(f.home / "Data1/INIT.mrt"), bytes);
    EXPECT_EQ(std::count(f.main.log.begin(), f.main.log.end(), "edit"), 0);
}

// After a first start, the ledger's newest three months hold 107 lines and the settings file
// allows 100 per block.
void makeOverfullLedger(Fixture& f, int perMonth = 36, int capacity = 500) {
    f.firstStart();
    LedgerModel model;
    for (int m = 4; m <= 6; ++m) {
        MonthSpec& ms = model[2004].months[m - 1];
        ms.capacity = capacity;
        ms.lines = monthLines(2004, m, perMonth - (m == 5 ? 0 : 1));
    }
    auto& april = model[2004].months[3].lines;
    april.insert(april.begin(), Line{2004, 4, 1, "初期残高", "", "", 0, 0, 50000});
    recomputeModel(model);
    writeModel(f.app.dataFolder, model);
    IniRecord rec;
    SettingsDefaults(rec);
    rec.MaxBlockLines = 100;
    ASSERT_EQ(WriteSettings(f.app.settingsPath(), rec), 0);
}

// The settings window as it behaves when the user confirms: the record is written to the file.
std::function<void(AppState&)> confirmSettings(int maxBlockLines) {
    return [maxBlockLines](AppState& a) {
        a.settings.MaxBlockLines = static_cast<int16_t>(maxBlockLines);
        ASSERT_EQ(WriteSettings(a.settingsPath(), a.settings), 0);
    };
}

TEST(StartUp, OverfullNewestBlockRestartsOnlyOnceTheSettingsHoldIt) {
    Fixture f;
    makeOverfullLedger(f);
    std::vector<std::function<void(AppState&)>> windows = {
        [](AppState&) {},     // cancelled
        confirmSettings(105), // confirmed, still too few
        confirmSettings(120),
    };
    size_t opened = 0;
    f.screens.settingsAction = [&](AppState& a) {
        if (opened < windows.size()) windows[opened++](a);
    };
    f.dlg.expectBox(MsgResult::OK).expectMessage("入出金データの読込み最大数をオーバーしました。");
    f.dlg.expect("MsgYesNo2", 1).expectMessage("(107行)が、１ﾌﾞﾛｯｸあたりの最大入力可能数(100)を超えています。");
    f.dlg.expect("MsgYesNo2", 1).expectMessage("最大入力可能数(105)");
    f.main.periods.push_back([](AppState& a) {
        EXPECT_EQ(a.ledger.block.size(), 107u);
        return Command::Exit;
    });
    f.main.log.clear();
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    EXPECT_EQ(f.screens.log, (std::vector<std::string>{"settings", "settings", "settings"}));
    EXPECT_EQ(f.dlg.count("MsgBox"), 1); // one overflow message, then one restart that loads
    EXPECT_EQ(std::count(f.main.log.begin(), f.main.log.end(), "splash"), 2);
}

// Settings that only changed in memory (the window could not write them) or were left alone are
// what the next start-up would read again: the user is offered the way out instead.
TEST(StartUp, OverfullNewestBlockOffersToEndTheProgram) {
    Fixture f;
    makeOverfullLedger(f);
    const std::string before = ReadBytes(f.app.settingsPath());
    f.screens.settingsAction = [](AppState& a) { a.settings.MaxBlockLines = 500; };
    f.dlg.expectBox(MsgResult::OK).expectMessage("入出金データの読込み最大数をオーバーしました。");
    f.dlg.expect("MsgYesNo2", 0).expectMessage("プログラムを終了しますか？");
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 1);
    EXPECT_EQ(f.screens.log, (std::vector<std::string>{"settings"}));
    EXPECT_EQ(f.dlg.transcript().back().title, "データ読込みエラー");
    EXPECT_EQ(ReadBytes(f.app.settingsPath()), before);
}

// More lines in the newest two months than any block may hold: no setting helps, so the window
// is not offered at all.
TEST(StartUp, NewestMonthsBeyondEverySettingEndTheProgram) {
    Fixture f;
    makeOverfullLedger(f, 760, 800);
    f.dlg.expectBox(MsgResult::OK).expectMessage("入出金データの読込み最大数をオーバーしました。");
    f.dlg.expectBox(MsgResult::OK).expectMessage("環境設定を変更しても読込めません。");
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 1);
    EXPECT_TRUE(f.screens.log.empty());
}

TEST(CommandLoop, SettingsChangeRestartsOnlyForLayoutSettings) {
    Fixture f;
    f.firstStart();
    // Tax rate only: same window, no restart.
    f.screens.settingsAction = [](AppState& a) { a.settings.TaxRate = 8; };
    f.main.periods.push_back([](AppState&) { return Command::Settings; });
    f.main.periods.push_back([](AppState&) { return Command::Exit; });
    f.main.log.clear();
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    EXPECT_EQ(std::count(f.main.log.begin(), f.main.log.end(), "splash"), 1);

    // Display rows: the window is unloaded and everything starts again from the splash.
    f.screens.settingsAction = [](AppState& a) { a.settings.DisplayRows = 25; };
    f.main.periods.push_back([](AppState&) { return Command::Settings; });
    f.main.periods.push_back([](AppState&) { return Command::Exit; });
    f.main.log.clear();
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    EXPECT_EQ(std::count(f.main.log.begin(), f.main.log.end(), "splash"), 2);
}

TEST(CommandLoop, TotalsAreNotOfferedForALedgerOfOneLine) {
    Fixture f;
    f.firstStart();
    f.main.periods.push_back([](AppState&) { return Command::Totals; });
    f.main.periods.push_back([](AppState&) { return Command::Version; });
    f.main.periods.push_back([](AppState&) { return Command::Exit; });
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    EXPECT_EQ(f.screens.log, (std::vector<std::string>{"version"}));
}

// A block that cannot be saved at the end of an editing period stays in memory: the command is
// not run and editing goes on, so the lines typed are saved once the disk takes them again.
TEST(CommandLoop, FailedSaveKeepsTheLinesAndGoesBackToEditing) {
    Fixture f;
    f.firstStart();
    f.main.periods.push_back([](AppState& a) {
        IoRecord line = a.ledger.block[0];
        line.ItemName = "食費";
        line.Expense = 700;
        line.Balance -= 700;
        a.ledger.block.push_back(line);
        a.ledger.LedgerModified = true;
        test::FailWritesAfter(0);
        return Command::Totals;
    });
    f.main.periods.push_back([](AppState& a) {
        test::FailWritesAfter(-1);
        EXPECT_EQ(a.ledger.block.size(), 2u);
        EXPECT_TRUE(a.ledger.LedgerModified);
        return Command::Exit;
    });
    f.dlg.expectBox(MsgResult::OK);
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    EXPECT_TRUE(f.screens.log.empty()); // the totals command never ran
    LedgerState again;
    again.index.SetDataFolder(f.app.dataFolder);
    ASSERT_EQ(ScanLedgerYears(again, f.dlg), 0);
    EXPECT_EQ(again.index.TotalLines, 2);
}

// Leaving while the block cannot be saved asks before the lines are given up.
TEST(CommandLoop, ExitWithAFailedSaveAsksFirst) {
    Fixture f;
    f.firstStart();
    auto addLine = [](AppState& a) {
        IoRecord line = a.ledger.block[0];
        line.Income = 100;
        line.Balance += 100;
        a.ledger.block.push_back(line);
        a.ledger.LedgerModified = true;
        test::FailWritesAfter(0);
        return Command::Exit;
    };
    f.main.periods.push_back(addLine);
    f.main.periods.push_back([](AppState&) { return Command::Exit; });
    f.dlg.expectBox(MsgResult::OK);
    f.dlg.expect("MsgYesNo2", 1).expectMessage("保存せずに終了しますか？");
    f.dlg.expectBox(MsgResult::OK);
    f.dlg.expect("MsgYesNo2", 0).expectMessage("保存せずに終了しますか？");
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    test::FailWritesAfter(-1);
}

// Ending on a signal, nobody can answer: a block that cannot be saved ends the program with
// status 1 after the save's message, where a user leaving would be asked first.
TEST(CommandLoop, EndRequestedWithAFailedSaveEndsWithoutTheQuestion) {
    Fixture f;
    f.firstStart();
    f.main.periods.push_back([](AppState& a) {
        IoRecord line = a.ledger.block[0];
        line.Expense = 100;
        line.Balance -= 100;
        a.ledger.block.push_back(line);
        a.ledger.LedgerModified = true;
        a.EndRequested = true;
        mrt::test::FailWritesAfter(0);
        return Command::Exit;
    });
    f.dlg.expectBox(MsgResult::OK).expectMessage(std::strerror(ENOSPC));
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 1);
    mrt::test::FailWritesAfter(-1);
    f.dlg.VerifyDone();
    EXPECT_EQ(f.dlg.count("MsgYesNo2"), 0);
    EXPECT_TRUE(f.main.periods.empty());
}

TEST(CommandLoop, RunTimeErrorOffersRestartOrExit) {
    Fixture f;
    f.firstStart();
    f.main.periods.push_back([](AppState&) -> Command { throw std::runtime_error("ディスクがいっぱいです"); });
    f.main.periods.push_back([](AppState&) { return Command::Exit; });
    f.dlg.expectBox(MsgResult::OK).expectMessage("ディスクがいっぱいです");
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    EXPECT_TRUE(f.main.periods.empty());

    f.main.periods.push_back([](AppState&) -> Command { throw std::runtime_error("x"); });
    f.dlg.expectBox(MsgResult::Cancel);
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
}

TEST(CommandLoop, WindowStateIsWrittenAtExitOnlyWhenChanged) {
    Fixture f;
    f.firstStart();
    EXPECT_FALSE(fs::exists(f.home / "Data1/INIT.mrt"));
    f.main.periods.push_back([&f](AppState&) {
        f.main.state = 2;
        return Command::Exit;
    });
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    IniRecord rec;
    ASSERT_EQ(ReadSettings(f.home / "Data1/INIT.mrt", rec), 0);
    EXPECT_EQ(rec.MainWindowState, 2);
}

// A year file damaged since the last start, in a month the start does not load, must not replace
// its sound copy in the backup folder: the start reads the changed year whole and offers the copy.
TEST(StartUp, AYearDamagedSinceTheLastStartIsOfferedItsBackupNotBackedUp) {
    Fixture f;
    f.firstStart();
    // The ledger: three lines in February 2003, more from January to May 2004.
    LedgerModel model;
    model[2003].months[1].lines = monthLines(2003, 2, 3);
    model[2003].months[1].lines[0] = Line{2003, 2, 1, "初期残高", "", "", 0, 0, 50000};
    for (int m = 1; m <= 5; ++m)
        model[2004].months[m - 1].lines = monthLines(2004, m, 4, 100, m * 10);
    recomputeModel(model);
    writeModel(f.home / "Data1", model);
    auto start = [&](std::deque<std::function<Command(AppState&)>> periods) {
        AppState app;
        app.home = f.home.path();
        FakeMain main;
        main.dlg = &f.dlg;
        main.periods = std::move(periods);
        EXPECT_EQ(PrepareDataFolders(app, f.dlg), 0);
        return RunApplication(app, f.dlg, main, f.screens);
    };
    ASSERT_EQ(start({[](AppState&) { return Command::Exit; }}), 0);
    const std::string sound = ReadBytes(f.home / "Data1/Io2003.usr");
    ASSERT_EQ(ReadBytes(f.home / "Data1/BU/Io2003.usr"), sound);

    // The last line of February 2003 becomes a filler record.
    std::string damaged = sound;
    damaged.replace(static_cast<size_t>(500 + 2) * 108, 108, markerBytes(8888));
    ASSERT_TRUE(WriteBytes(f.home / "Data1/Io2003.usr", damaged));
    f.dlg.expect("MsgOK").expectMessage("入出金ﾃﾞｰﾀの読込みに失敗しました。\r\nIo2003.usr 2月 3行目");
    f.dlg.expect("MsgYesNo2", 1).expectMessage("入出金データが異常です。前回立ち上げ時のデータに戻します。");
    EXPECT_EQ(start({}), 1);
    f.dlg.VerifyDone();
    EXPECT_EQ(ReadBytes(f.home / "Data1/BU/Io2003.usr"), sound);
    EXPECT_EQ(ReadBytes(f.home / "Data1/Io2003.usr"), damaged);

    // Taking the copy puts the sound year back, and the program starts on it.
    f.dlg.expect("MsgOK").expectMessage("Io2003.usr 2月 3行目");
    f.dlg.expect("MsgYesNo2", 0);
    EXPECT_EQ(start({[](AppState& app) {
                  EXPECT_EQ(app.ledger.index.FirstYear, 2003);
                  return Command::Exit;
              }}),
              0);
    f.dlg.VerifyDone();
    EXPECT_EQ(ReadBytes(f.home / "Data1/Io2003.usr"), sound);
}

// After a restore every file has a new time. A file that holds the bytes of its copy in the backup
// folder is not copied again (the copy keeps its inode and takes the file's time); a file whose
// bytes changed is copied. A record that cannot be read counts for nothing: everything is copied.
TEST(StartUp, FilesHoldingTheBytesOfTheirCopiesOnlyGiveTheCopiesTheirTimes) {
    Fixture f;
    f.firstStart();
    LedgerModel model;
    model[2003].months[1].lines = monthLines(2003, 2, 3);
    model[2003].months[1].lines[0] = Line{2003, 2, 1, "初期残高", "", "", 0, 0, 50000};
    for (int m = 1; m <= 5; ++m)
        model[2004].months[m - 1].lines = monthLines(2004, m, 4, 100, m * 10);
    recomputeModel(model);
    writeModel(f.home / "Data1", model);
    auto start = [&] {
        AppState app;
        app.home = f.home.path();
        FakeMain main;
        main.dlg = &f.dlg;
        main.periods.push_back([](AppState&) { return Command::Exit; });
        EXPECT_EQ(PrepareDataFolders(app, f.dlg), 0);
        EXPECT_EQ(RunApplication(app, f.dlg, main, f.screens), 0);
        f.dlg.VerifyDone();
    };
    auto inode = [&](const std::string& rel) {
        struct stat st {};
        EXPECT_EQ(::stat((f.home / rel).c_str(), &st), 0) << rel;
        return st.st_ino;
    };
    // Every file of the data folder a day later than now, as a restore from elsewhere leaves them.
    auto restoreTimes = [&](int dayOffset) {
        const struct timespec t[2] = {{std::time(nullptr) + dayOffset * 86400, 0},
                                      {std::time(nullptr) + dayOffset * 86400, 0}};
        for (const auto& e : fs::directory_iterator(f.home / "Data1"))
            if (e.is_regular_file()) ASSERT_EQ(::utimensat(AT_FDCWD, e.path().c_str(), t, 0), 0);
    };
    start();
    const std::vector<std::string> files = {"Io2003.usr", "Inf2003.usr", "Io2004.usr", "Inf2004.usr", "TBITEM.mrt"};
    std::map<std::string, ino_t> before;
    for (const std::string& n : files)
        before[n] = inode("Data1/BU/" + n);

    // The same bytes with new times, but 2004 holds other notes.
    for (Line& l : model[2004].months[2].lines)
        l.note = "別の内訳";
    writeModel(f.home / "Data1", model);
    restoreTimes(1);
    start();
    for (const std::string& n : files) {
        EXPECT_EQ(ReadBytes(f.home / ("Data1/BU/" + n)), ReadBytes(f.home / ("Data1/" + n))) << n;
        EXPECT_EQ(fs::last_write_time(f.home / ("Data1/BU/" + n)), fs::last_write_time(f.home / ("Data1/" + n))) << n;
        if (n == "Io2004.usr")
            EXPECT_NE(inode("Data1/BU/" + n), before[n]) << n;
        else
            EXPECT_EQ(inode("Data1/BU/" + n), before[n]) << n;
    }

    WriteBytes(f.home / "Data1/BU/verified-copies.txt", "mrtkel-verified-copies 1\nio2003.usr 1 2 3\n");
    for (const std::string& n : files)
        before[n] = inode("Data1/BU/" + n);
    restoreTimes(2);
    start();
    for (const std::string& n : files) {
        EXPECT_EQ(ReadBytes(f.home / ("Data1/BU/" + n)), ReadBytes(f.home / ("Data1/" + n))) << n;
        EXPECT_NE(inode("Data1/BU/" + n), before[n]) << n;
    }
}
