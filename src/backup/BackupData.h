#pragma once
#include "util/Clock.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mrt {

class Dialogs;

// Directions and kinds of data of the backup and restore commands.
constexpr int kBackupDirection = 1;  // data folder → another folder ("保管")
constexpr int kRestoreDirection = 2; // another folder → data folder ("復帰")
constexpr int kLedgerYearKind = 1;   // the two ledger files of one year
constexpr int kRegisteredKind = 2;   // every ".mrt" file: name tables and settings
constexpr int kChosenFilesKind = 3;  // files picked one by one
constexpr int kGenerationKind = 4;   // restore only: a dated generation kept below the backup folder

// Key of the home folder's settings that keeps the last other folder used.
inline constexpr const char* kLastBackupFolderKey = "LastBackupFolder";

// What CopyData works on, and what it did.
struct CopyJob {
    std::string dataFolder;          // Data1/
    std::string rememberIn;          // home folder whose settings keep the last other folder; empty = not kept
    std::string otherFolder;         // out: the folder copied to (backup) or from (restore)
    std::vector<std::string> copied; // out: the names copied
    bool dataChanged = false;        // out: a restore replaced files of the data folder
};

// Asks which kind of data to copy (the work-selection list with help topic 800); a restore also
// offers the kept generations. 0 with `kind` set; -1 cancelled.
int ChooseBackupData(int direction, int& kind, Dialogs& dlg);

// The whole dialogue of a backup or restore: folders, files, confirmation, the copying under the
// wait window, and the closing message ("データの保管が完了しました。" or "…に失敗しました。").
// The caller holds the data-folder lock. 0 copied; -1 cancelled or failed.
int CopyData(int direction, int kind, CopyJob& job, Dialogs& dlg);

// The year of the ledger files prefix + yyyy + extension in `folder`: one is taken without
// asking, several are offered in a list (by year). Returns the number of years found (0 after
// the message that there is none), or -1 when the list was cancelled.
int ChooseLedgerYear(const std::string& folder, const std::string& prefix, const std::string& extension, int& year,
                     Dialogs& dlg);

// An entry of the year list: "   " + the year in full-width digits + "年の入出金データ   ".
std::string LedgerYearEntry(int year);

// The restore from a kept generation of `backupFolder`: the generation (newest first), then all
// data, a ledger year or the registered data, the confirmation, and the restore under the wait
// window with its closing message. The caller holds the data-folder lock. 0 restored; -1
// cancelled or failed (`dataChanged` as RestoreFilesTogether sets it).
int RestoreFromGeneration(const std::string& backupFolder, const std::string& dataFolder, Dialogs& dlg,
                          bool& dataChanged);

// An entry of the generation list: "  2026年12月07日(月)  12.3MB  ".
std::string GenerationEntry(const CivilDate& date, int64_t bytes);

// The menu command: ChooseBackupData, then CopyData on the data folder of `home`, remembering the
// other folder in its settings. 0 copied; -1 cancelled or failed. `dataChanged` (when given)
// tells whether a restore replaced data files, in which case the program must reload them.
int RunBackupCommand(int direction, const std::string& home, const std::string& dataFolder, Dialogs& dlg,
                     bool* dataChanged = nullptr);

} // namespace mrt
