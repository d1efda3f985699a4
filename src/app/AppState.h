#pragma once
#include "app/Command.h"
#include "budget/BudgetFile.h"
#include "ledger/LedgerIndex.h"
#include "ledger/LedgerSearch.h"
#include "ledger/StartDate.h"
#include "names/NameTables.h"
#include "settings/IniRecord.h"

#include <optional>
#include <string>

namespace mrt {

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

    Command MenuSel = Command::None;
    // A signal or the end of the desktop session ends the program: no question is asked, the
    // block is saved as at a normal exit, and a failed save ends it all the same.
    bool EndRequested = false;
    // A line chosen in the search window; the next editing period goes to it.
    std::optional<SearchHit> PendingJump;

    std::string settingsPath() const;
    NameFilePaths namePaths() const;
};

} // namespace mrt
