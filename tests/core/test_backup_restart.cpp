// The restore command inside the command loop: after a restore the program starts again from the
// restored files (verified, copied to Data1/BU/, newest block loaded).
#include "app/AppScreens.h"
#include "app/AppState.h"
#include "app/EditingPeriod.h"
#include "app/Startup.h"
#include "backup/BackupData.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "test_ledger_fixture.h"
#include "util/Home.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

using namespace mrt;
using namespace mrt::test;
namespace fs = std::filesystem;

namespace {

// Each editing period runs the next scripted action, which returns the command chosen.
class ScriptedMain : public MainScreen {
public:
    explicit ScriptedMain(Dialogs& dlg) : m_dlg(dlg) {}
    std::deque<std::function<Command(AppState&)>> periods;
    std::vector<std::string> log;
    void SplashOn() override { log.push_back("splash"); }
    void SplashOff() override {}
    void SetUpMainWindow(AppState&) override { m_flat = true; }
    bool FixedStyleFlat() const override { return m_flat; }
    void SetFixedStyleFlat(bool f) override { m_flat = f; }
    int RunLedgerEditing(AppState& app) override {
        if (BeginEditingPeriod(app, m_dlg) != 0) return -1;
        if (periods.empty()) {
            ADD_FAILURE() << "unexpected editing period";
            app.MenuSel = Command::Exit;
        } else {
            app.MenuSel = periods.front()(app);
            periods.pop_front();
        }
        return EndEditingPeriod(app, m_dlg);
    }
    int WindowState() const override { return 0; }
    void SetWindowState(int) override {}
    void Unload() override { log.push_back("unload"); }

private:
    Dialogs& m_dlg;
    bool m_flat = false;
};

// The backup and restore commands as the program runs them; the other windows are not opened.
class BackupScreens : public CommandScreens {
public:
    explicit BackupScreens(Dialogs& dlg) : m_dlg(dlg) {}
    int Settings(AppState&) override { return 0; }
    int NameRegistration(AppState&) override { return 0; }
    int BudgetRegistration(AppState&) override { return 0; }
    int Totals(AppState&) override { return 0; }
    int Print(AppState&) override { return 0; }
    int Backup(AppState& app) override { return RunBackupCommand(kBackupDirection, app.home, app.dataFolder, m_dlg); }
    int Restore(AppState& app) override {
        bool changed = false;
        RunBackupCommand(kRestoreDirection, app.home, app.dataFolder, m_dlg, &changed);
        return changed ? 0 : -1;
    }
    void Version() override {}
    int Search(AppState&, SearchHit&) override { return 1; }
    int ExportCsv(AppState&) override { return 0; }
    int ImportCsv(AppState&) override { return 1; }

private:
    Dialogs& m_dlg;
};

// A data folder holding the initial name tables and a ledger of one line on 2004-04-01.
void makeDataFolder(const TempDir& home) {
    const std::string resources = FindResourceFolder(MRTKEL_TOOL_PATH);
    ASSERT_FALSE(resources.empty());
    fs::create_directories(home / "Data1/BU");
    fs::copy(resources + "/TbInit", home / "Data1");
}

YearSpec yearWith(std::vector<Line> lines) {
    YearSpec y;
    for (Line& l : lines)
        y.months[static_cast<size_t>(l.m - 1)].lines.push_back(l);
    return y;
}

} // namespace

TEST(RestoreCommand, TheProgramStartsAgainFromTheRestoredLedger) {
    TempDir home, stick;
    makeDataFolder(home);
    const YearSpec now = yearWith({{2004, 4, 1, "初期残高", "", "", 0, 0, 50000}});
    WriteBytes(home / "Data1/Inf2004.usr", infFileBytes(now));
    WriteBytes(home / "Data1/Io2004.usr", yearFileBytes(now));
    // The backup: two lines, written on another computer with other letter case.
    const YearSpec saved = yearWith(
        {{2004, 3, 1, "初期残高", "", "", 0, 0, 70000}, {2004, 3, 5, "食費", "野菜", "八百屋", 0, 1200, 68800}});
    WriteBytes(stick / "inf2004.usr", infFileBytes(saved));
    WriteBytes(stick / "io2004.usr", yearFileBytes(saved));

    AppState app;
    app.home = home.path();
    ScriptedDialogs dlg;
    ScriptedMain main(dlg);
    BackupScreens screens(dlg);
    ASSERT_EQ(PrepareDataFolders(app, dlg), 0);
    dlg.VerifyDone();
    std::vector<std::string> restoredLines;
    main.periods.push_back([&](AppState& a) {
        EXPECT_EQ(a.ledger.block.back().Balance, 50000);
        dlg.expect("SubMenuH", kLedgerYearKind);
        dlg.expect("GetDirName", 0).withText(stick.path());
        dlg.expect("MsgKel2", 1);
        dlg.expect("MsgOK").expectMessage("データの復帰が完了しました。");
        return Command::Restore;
    });
    main.periods.push_back([&](AppState& a) {
        for (const IoRecord& r : a.ledger.block)
            restoredLines.push_back(r.ItemName + ":" + std::to_string(r.Balance));
        return Command::Exit;
    });
    ASSERT_EQ(RunApplication(app, dlg, main, screens), 0);
    EXPECT_EQ(main.log, (std::vector<std::string>{"splash", "unload", "splash", "unload"}));
    EXPECT_EQ(restoredLines, (std::vector<std::string>{"初期残高:70000", "食費:68800"}));
    EXPECT_EQ(app.start.StartDateText, "20040301");
    // The restored files replaced the old ones under their names, and the backup folder follows.
    EXPECT_EQ(ReadBytes(home / "Data1/Io2004.usr"), yearFileBytes(saved));
    EXPECT_FALSE(fs::exists(home / "Data1/io2004.usr"));
    EXPECT_EQ(ReadBytes(home / "Data1/BU/Io2004.usr"), yearFileBytes(saved));
}

TEST(RestoreCommand, ACancelledRestoreKeepsTheProgramRunning) {
    TempDir home;
    makeDataFolder(home);
    const YearSpec now = yearWith({{2004, 4, 1, "初期残高", "", "", 0, 0, 50000}});
    WriteBytes(home / "Data1/Inf2004.usr", infFileBytes(now));
    WriteBytes(home / "Data1/Io2004.usr", yearFileBytes(now));
    AppState app;
    app.home = home.path();
    ScriptedDialogs dlg;
    ScriptedMain main(dlg);
    BackupScreens screens(dlg);
    ASSERT_EQ(PrepareDataFolders(app, dlg), 0);
    dlg.VerifyDone();
    main.periods.push_back([&](AppState&) {
        dlg.expect("SubMenuH", kRegisteredKind);
        dlg.expect("GetDirName", -1);
        dlg.expect("MsgOK").expectMessage("データの復帰に失敗しました。");
        return Command::Restore;
    });
    main.periods.push_back([&](AppState&) { return Command::Exit; });
    ASSERT_EQ(RunApplication(app, dlg, main, screens), 0);
    EXPECT_EQ(main.log, (std::vector<std::string>{"splash", "unload"}));
}
