#pragma once
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
    NameTables names;
    LedgerState ledger;
    StartLine start;  // StartDateText and InitialBalance
    bool EnterMovesFocus = true;

    int MenuSel = kCmdNone;
    // A line chosen in the search window; the next editing period goes to it.
    std::optional<SearchHit> PendingJump;

    std::string settingsPath() const;
    NameFilePaths namePaths() const;
};

} // namespace mrt
