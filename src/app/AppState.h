#pragma once
#include "budget/BudgetFile.h"
#include "ledger/LedgerIndex.h"
#include "ledger/LedgerSearch.h"
#include "ledger/StartDate.h"
#include "names/NameTables.h"
#include "settings/IniRecord.h"

#include <optional>
#include <string>

namespace mrt {

// Command codes the main window puts into MenuSel.
enum MenuCommand : int {
    kCmdNone = 0,
    kCmdBackup = 1200,
    kCmdRestore = 1300,
    kCmdStartDate = 1400,
    kCmdPrint = 1600,
    kCmdExit = 1800,
    kCmdExportCsv = 1910, // CSV出力…
    kCmdImportCsv = 1920, // CSV取込…
    kCmdTotals = 3100,
    kCmdSearch = 3200, // 検索 (Ctrl+F)
    kCmdNameRegistration = 4100,
    kCmdBudgetRegistration = 4200,
    kCmdSettings = 4400,
    kCmdHelp = 5100,
    kCmdVersion = 5300,
    kCmdLeave = -1, // the editing period asks the program to end at once
};

// The program-wide state, created at start-up and living until exit.
struct AppState {
    std::string home;            // home folder, the current folder while running
    std::string dataFolder;      // home/Data1/
    std::string backupFolder;    // home/Data1/BU/
    std::string resourceFolder;  // read-only resources (TbInit/, help/); may be empty

    IniRecord settings;
    // INIT.mrt exists but could not be read: the program ends, and the file is not written.
    bool settingsUnreadable = false;
    NameTables names;
    LedgerState ledger;
    StartLine start;  // StartDateText and InitialBalance
    BgtRecord budget; // the budget of the year in use; emptied at the restart point
    bool EnterMovesFocus = true;

    int MenuSel = kCmdNone;
    // A signal or the end of the desktop session ends the program: no question is asked, the
    // block is saved as at a normal exit, and a failed save ends it all the same.
    bool EndRequested = false;
    // A line chosen in the search window; the next editing period goes to it.
    std::optional<SearchHit> PendingJump;

    std::string settingsPath() const;
    NameFilePaths namePaths() const;
};

} // namespace mrt
