// The command loop opening the registration windows through CommandScreens, headless: each window
// is a fake that types keys into the window's controller. What the windows change must reach the
// files, and a changed block setting must restart the program.
#include "app/AppScreens.h"
#include "app/AppState.h"
#include "app/EditingPeriod.h"
#include "app/RegistrationCommands.h"
#include "app/Startup.h"
#include "budget/Budget.h"
#include "budget/BudgetWindow.h"
#include "names/NameRegistration.h"
#include "settings/SettingsWindow.h"
#include "util/FileSystem.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "test_ledger_fixture.h"
#include "util/Clock.h"
#include "util/Paths.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

using namespace mrt;
using namespace mrt::test;
namespace fs = std::filesystem;

namespace {

// A main window whose editing periods return the scripted commands.
class FakeMain : public MainScreen {
public:
    Dialogs* dlg = nullptr;
    std::deque<std::function<Command(AppState&)>> periods;
    std::vector<std::string> log;
    bool flat = false;

    void SplashOn() override { log.push_back("splash"); }
    void SplashOff() override {}
    void SetUpMainWindow(AppState&) override {
        log.push_back("setup");
        flat = true;
    }
    bool FixedStyleFlat() const override { return flat; }
    void SetFixedStyleFlat(bool f) override { flat = f; }
    int RunLedgerEditing(AppState& app) override {
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
    int WindowState() const override { return 0; }
    void SetWindowState(int) override {}
    void Unload() override { log.push_back("unload"); }
};

// The three windows as fakes: each hands the controller to what the test's user does.
class FakeNames : public NameRegistrationView {
public:
    std::function<void(NameRegistration&)> user;
    void RunModal(NameRegistration& r) override { user(r); }
    void Refresh(const NameRegistrationScreen&) override {}
    void SetInputText(const std::string&) override {}
    void ReturnFocus() override {}
    void HideWindow() override {}
};

class FakeSettings : public SettingsWindowView {
public:
    std::function<void(SettingsEditor&)> user;
    void RunModal(SettingsEditor& e) override { user(e); }
    void ShowEditBox(int, int, const std::string&, int) override {}
    void HideEditBox() override {}
    void SetEditText(const std::string&) override {}
    void FocusEditBox() override {}
    void FocusOK() override {}
    void SetHelpLine(const std::string&) override {}
    void HideWindow() override {}
};

class FakeBudget : public BudgetWindowView {
public:
    std::deque<std::function<void(BudgetPageEditor&)>> pages;
    void RunModal(BudgetPageEditor& e) override {
        ASSERT_FALSE(pages.empty());
        auto f = pages.front();
        pages.pop_front();
        f(e);
    }
    void ShowEditBox(int, int, const std::string&, int) override {}
    void HideEditBox() override {}
    void SetEditText(const std::string&) override {}
    void FocusEditBox() override {}
    void FocusOK() override {}
    void HideWindow() override {}
};

// CommandScreens with the registration commands on the fake windows.
class Screens : public CommandScreens {
public:
    Dialogs* dlg = nullptr;
    FakeNames names;
    FakeSettings settings;
    FakeBudget budget;
    std::vector<std::string> log;

    int Settings(AppState& app) override {
        log.push_back("settings");
        return RunSettingsCommand(app, *dlg, settings);
    }
    int NameRegistration(AppState& app) override {
        log.push_back("names");
        return RunNameRegistration(app, *dlg, names);
    }
    int BudgetRegistration(AppState& app) override {
        log.push_back("budget");
        return RunBudgetCommand(app, *dlg, budget);
    }
    int Totals(AppState&) override { return 0; }
    int Print(AppState&) override { return 0; }
    int Backup(AppState&) override { return 0; }
    int Restore(AppState&) override { return -1; }
    void Version() override {}
    int Search(AppState&, SearchHit&) override { return 1; }
    int ExportCsv(AppState&) override { return 0; }
    int ImportCsv(AppState&) override { return 1; }
};

struct Loop {
    TempDir home;
    AppState app;
    ScriptedDialogs dlg;
    FakeMain main;
    Screens screens;
    FixedClock clock{{2004, 4, 1}};

    Loop() {
        app.home = home.path();
        main.dlg = &dlg;
        screens.dlg = &dlg;
        SetClock(&clock);
        NameTables t;
        ScriptedDialogs quiet;
        AddName(t, kItemTable, kIncomeKind, "給与");
        AddName(t, kItemTable, kExpenseKind, "食費");
        fs::create_directories(home / "TbInit");
        SaveItemTable(home / "TbInit/TBITEM.mrt", t, quiet);
        SaveBrkDnTable(home / "TbInit/TBBRKDN.mrt", t, quiet);
        SaveShopTable(home / "TbInit/TBSHOP.mrt", t, quiet);
        EXPECT_EQ(PrepareDataFolders(app, dlg), 0);
        dlg.expect("DateInYMD", 0).withText("2004/04/01");
        dlg.expect("InputKel", 0).withText("50000");
    }
    ~Loop() { SetClock(nullptr); }
    void commands(std::initializer_list<Command> chosen) {
        for (Command c : chosen)
            main.periods.push_back([c](AppState&) { return c; });
    }
    NameTables namesOnFile() {
        NameTables t;
        const NameFilePaths files = app.namePaths();
        EXPECT_EQ(LoadItemTable(files.item, t), 0);
        EXPECT_EQ(LoadBrkDnTable(files.brkDn, t, false), 0);
        EXPECT_EQ(LoadShopTable(files.shop, t, false), 0);
        return t;
    }
};

// Adds an expense item with a breakdown and a shop, as typed in the registration window.
void addExpenseItem(NameRegistration& r, const std::string& item, const std::string& breakdown,
                    const std::string& shop) {
    r.Key(WindowKey::F2);
    r.Key(WindowKey::Enter, item);
    r.Key(WindowKey::Right);
    r.Key(WindowKey::F2);
    r.Key(WindowKey::Enter, breakdown);
    r.Key(WindowKey::Right);
    r.Key(WindowKey::F2);
    r.Key(WindowKey::Enter, shop);
}

} // namespace

TEST(RegistrationCommands, EachWindowOpensFromTheLoopAndItsWorkReachesTheFiles) {
    Loop f;
    f.commands({Command::NameRegistration, Command::BudgetRegistration, Command::Settings, Command::Exit});
    f.screens.names.user = [](NameRegistration& r) {
        addExpenseItem(r, "交通費", "電車", "駅");
        r.Key(WindowKey::F12);
    };
    for (int i = 0; i < 3; ++i)
        f.dlg.expectBox(MsgResult::Yes); // the three additions
    f.dlg.expect("DateInYM").withText("2004/04");
    f.screens.budget.pages.push_back([](BudgetPageEditor& e) {
        EXPECT_EQ(e.Page().names, (std::vector<std::string>{"食費 ", "交通費 "}));
        e.KeyInEditBox(WindowKey::Down, "");
        e.KeyInEditBox(WindowKey::F12, "8000+");
    });
    f.dlg.expect("DateInYM", -1);
    f.screens.settings.user = [](SettingsEditor& e) {
        for (const char* v : {"3", "300", "19"})
            e.KeyInEditBox(WindowKey::Down, v);
        e.KeyInEditBox(WindowKey::F12, "10");
    };

    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    EXPECT_EQ(f.screens.log, (std::vector<std::string>{"names", "budget", "settings"}));
    // The tax rate alone does not restart the program.
    EXPECT_EQ(std::count(f.main.log.begin(), f.main.log.end(), "splash"), 1);
    EXPECT_EQ(f.app.settings.TaxRate, 10);

    NameTables t = f.namesOnFile();
    EXPECT_EQ(FillItemList(t, kExpenseKind, false), (std::vector<std::string>{"食費", "交通費"}));
    const int key = ItemKeyOf(t, kExpenseKind, 2);
    EXPECT_EQ(FillBrkDnList(t, key, false).back(), "電車");
    EXPECT_EQ(FillShopList(t, key, false).back(), "駅");

    BgtRecord budget;
    ASSERT_EQ(LoadBudget(budget, 2004, t.items, BudgetPlaceOf(f.app.home), f.dlg), 0);
    const int slot = ItemSlotAt(t, kExpenseKind, 2);
    EXPECT_EQ(budget.at(4, kExpenseKind, slot), 8000);
    EXPECT_EQ(budget.at(12, kExpenseKind, slot), 8000);
    EXPECT_EQ(budget.at(4, kExpenseKind, ItemSlotAt(t, kExpenseKind, 1)), -1);

    IniRecord rec;
    ASSERT_EQ(ReadSettings(f.app.settingsPath(), rec), 0);
    EXPECT_EQ(rec.TaxRate, 10);
}

TEST(RegistrationCommands, AChangedBlockSettingRestartsWithTheNewBlockAndAnEmptyBudget) {
    Loop f;
    f.commands({Command::BudgetRegistration, Command::Settings});
    f.dlg.expect("DateInYM").withText("2004/04");
    f.screens.budget.pages.push_back([](BudgetPageEditor& e) { e.KeyInEditBox(WindowKey::F12, "100"); });
    f.dlg.expect("DateInYM", -1);
    f.screens.settings.user = [](SettingsEditor& e) { e.KeyInEditBox(WindowKey::F12, "4"); };
    f.main.periods.push_back([](AppState& a) {
        EXPECT_EQ(a.ledger.BlockMonthsInUse, 4);
        EXPECT_EQ(a.budget.HeldYear, 0); // the budget is read again when it is next needed
        EXPECT_TRUE(a.budget.BudgetFileName.empty());
        EXPECT_EQ(a.ledger.block.size(), 1u); // nothing lost: the initial-balance line is back
        return Command::Exit;
    });
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    // The main window went away and everything started again from the splash.
    const auto unload = std::find(f.main.log.begin(), f.main.log.end(), "unload");
    ASSERT_NE(unload, f.main.log.end());
    EXPECT_EQ(*(unload + 1), "splash");
    EXPECT_EQ(std::count(f.main.log.begin(), f.main.log.end(), "splash"), 2);
}

TEST(RegistrationCommands, CancelledNamesAreReadAgainFromTheFiles) {
    Loop f;
    f.commands({Command::NameRegistration, Command::Exit});
    f.screens.names.user = [](NameRegistration& r) {
        r.Key(WindowKey::F2);
        r.Key(WindowKey::Enter, "交通費");
        r.Key(WindowKey::Esc);
    };
    f.dlg.expectBox(MsgResult::Yes);
    f.dlg.expect("MsgYesNo2", 0).expectMessage("登録の変更をすべてキャンセル");
    const std::string before = ReadBytes(f.home / "Data1/TBITEM.mrt");
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    EXPECT_EQ(FillItemList(f.app.names, kExpenseKind, false), (std::vector<std::string>{"食費"}));
    EXPECT_EQ(ReadBytes(f.home / "Data1/TBITEM.mrt"), before);
}

// The system's file system, except that no file whose name holds `refused` can be written while
// `on` is set (a write-protected file, a full disk).
class RefusingFs : public FileSystem {
public:
    explicit RefusingFs(std::string refused) : m_real(Fs()), m_refused(std::move(refused)) { SetFileSystem(this); }
    ~RefusingFs() override { SetFileSystem(nullptr); }
    bool on = true;
    int OpenForWrite(const std::string& path) override {
        if (on && path.find(m_refused) != std::string::npos) {
            errno = ENOSPC;
            return -1;
        }
        return m_real.OpenForWrite(path);
    }
    int Write(int fd, const char* d, size_t n) override { return m_real.Write(fd, d, n); }
    int Copy(int source, int fd) override { return m_real.Copy(source, fd); }
    int StartFlush(int fd) override { return m_real.StartFlush(fd); }
    int Flush(int fd) override { return m_real.Flush(fd); }
    int Close(int fd) override { return m_real.Close(fd); }
    int Rename(const std::string& a, const std::string& b) override { return m_real.Rename(a, b); }
    int Link(const std::string& a, const std::string& b) override { return m_real.Link(a, b); }
    int Remove(const std::string& p) override { return m_real.Remove(p); }
    int SyncFolder(const std::string& f) override { return m_real.SyncFolder(f); }

private:
    FileSystem& m_real;
    std::string m_refused;
};

TEST(RegistrationCommands, ATableThatCannotBeWrittenKeepsTheEditsAndTheWindowOpensAgain) {
    Loop f;
    f.commands({Command::NameRegistration, Command::Exit});
    // The breakdown file cannot be written the first time.
    RefusingFs refusing("TBBRKDN");
    refusing.on = false;
    int opened = 0;
    f.screens.names.user = [&](NameRegistration& r) {
        if (++opened == 1) {
            addExpenseItem(r, "交通費", "電車", "駅");
            refusing.on = true;
        } else {
            // The edits are still there; the disk takes them now.
            EXPECT_EQ(r.Screen().items[kExpenseKind].back(), "交通費");
            EXPECT_EQ(r.Changed(), (std::array<bool, 3>{false, true, false}));
            refusing.on = false;
        }
        r.Key(WindowKey::F12);
    };
    for (int i = 0; i < 3; ++i)
        f.dlg.expectBox(MsgResult::Yes);
    f.dlg.expectBox(MsgResult::OK).expectMessage("TBBRKDN.mrt"); // the writer's own message
    f.dlg.expect("MsgOK").expectMessage("登録データを保存できませんでした。");
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    EXPECT_EQ(opened, 2);
    NameTables t = f.namesOnFile();
    const int key = ItemKeyOf(t, kExpenseKind, 2);
    EXPECT_EQ(FillBrkDnList(t, key, false).back(), "電車");
    EXPECT_EQ(FillShopList(t, key, false).back(), "駅");
}

// The newest block holds more lines than the settings allow: the start-up opens the settings
// window, and once the user raises the limit the program starts again with every line.
TEST(RegistrationCommands, AnOverfullNewestBlockOpensTheSettingsWindow) {
    Loop f;
    f.commands({Command::Exit});
    ASSERT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0); // the first start
    LedgerModel model;
    for (int m = 4; m <= 6; ++m) {
        MonthSpec& ms = model[2004].months[m - 1];
        ms.capacity = 500;
        ms.lines = monthLines(2004, m, 36 - (m == 5 ? 0 : 1));
    }
    auto& april = model[2004].months[3].lines;
    april.insert(april.begin(), Line{2004, 4, 1, "初期残高", "", "", 0, 0, 50000});
    recomputeModel(model);
    writeModel(f.app.dataFolder, model);
    IniRecord rec;
    rec.MaxBlockLines = 100;
    ASSERT_EQ(WriteSettings(f.app.settingsPath(), rec), 0);

    f.dlg.expectBox(MsgResult::OK).expectMessage("入出金データの読込み最大数をオーバーしました。");
    f.screens.settings.user = [](SettingsEditor& e) {
        EXPECT_EQ(e.Grid().TextMatrix(2, 1), "100");
        e.KeyInEditBox(WindowKey::Down, "3");
        e.KeyInEditBox(WindowKey::F12, "200");
    };
    f.main.periods.push_back([](AppState& a) {
        EXPECT_EQ(a.ledger.block.size(), 107u);
        EXPECT_EQ(a.settings.MaxBlockLines, 200);
        return Command::Exit;
    });
    f.screens.log.clear();
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    EXPECT_EQ(f.screens.log, (std::vector<std::string>{"settings"}));
}

// A budget that cannot be written is reported; the amounts typed stay in the budget of the year in
// use, so the next budget command shows them and registers them once the disk takes them.
TEST(RegistrationCommands, AnUnwrittenBudgetKeepsItsAmountsForTheNextTry) {
    Loop f;
    f.commands({Command::BudgetRegistration, Command::BudgetRegistration, Command::Exit});
    const std::string blocker = f.home / "Data1/Bgt2004.usr";
    f.dlg.expect("DateInYM").withText("2004/04");
    f.screens.budget.pages.push_back([&](BudgetPageEditor& e) {
        fs::create_directories(blocker); // the file's place is taken by a folder
        e.KeyInEditBox(WindowKey::F12, "4500");
    });
    f.dlg.expectBox(MsgResult::OK).expectMessage("予算データ書き込みに失敗しました。");
    f.dlg.expect("DateInYM").withText("2004/04");
    f.screens.budget.pages.push_back([&](BudgetPageEditor& e) {
        EXPECT_EQ(e.Grid().TextMatrix(1, 1), "4500");
        fs::remove(blocker);
        e.KeyInEditBox(WindowKey::F12, "4500");
    });
    f.dlg.expect("DateInYM", -1);
    EXPECT_EQ(RunApplication(f.app, f.dlg, f.main, f.screens), 0);
    BgtRecord saved;
    ASSERT_EQ(LoadBudget(saved, 2004, f.app.names.items, BudgetPlaceOf(f.app.home), f.dlg), 0);
    EXPECT_EQ(saved.at(4, kExpenseKind, 1), 4500);
}
