#pragma once
#include <cstdint>
#include <string>

namespace mrt {

class Dialogs;
class MainScreen;
class CommandScreens;
struct AppState;
class VerifiedCopies;

// Message shown when the initial name tables cannot be copied on the first start.
inline constexpr const char* kInitTablesMessage = "テーブルデータ用初期ファイルが異常です\r\nプログラムを終了します。";

// Message shown when a data folder without name tables received the initial ones.
inline constexpr const char* kInitTablesCopiedMessage =
    "項目名・内訳・店名のデータがないため、\r\nテーブルデータ用初期ファイルから作成しました。";

// Prepares the home folder: first finishes or undoes a save that a crash cut short
// (RecoverDataFolder); on the first start (no Data1/) creates Data1/ and Data1/BU/ and copies
// all initial name tables (TbInit/ of the home folder, else of the resource folder); on a later
// start copies those that neither Data1/ nor Data1/BU/ holds, saying so. The program and
// `mrtkel-tool init` both start here. 0 ready; -1 the unfinished save could not be recovered, or
// the initial tables are missing or could not be copied (message shown; the program must end).
int PrepareDataFolders(AppState& app, Dialogs& dlg);

// Copies the files matching `pattern` from the data folder to the backup folder (error clear), or
// after the restore question from the backup folder back (error set). With `copies`, a file that
// holds the bytes of its copy only gives the copy its time, and the copies are noted there.
// 0 backed up; 1 restored (restart); -1 failed or declined (the program ends).
int VerifyAndBackUp(AppState& app, const std::string& pattern, const std::string& displayName, bool error, Dialogs& dlg,
                    VerifiedCopies* copies = nullptr);

// Steps from the restart point: splash, settings, name tables, ledger scan and newest block,
// backups, window state, main window. 0 ready; 1 go to the restart point again; -1 exit.
int StartUp(AppState& app, Dialogs& dlg, MainScreen& main, CommandScreens& screens);

// The whole run after the folders are prepared: start-up, command loop, restarts, exit.
// Run-time errors (exceptions) reaching the loop are shown with OK (restart) / Cancel (exit).
// Returns the process exit code.
int RunApplication(AppState& app, Dialogs& dlg, MainScreen& main, CommandScreens& screens);

// Today by the program's clock, yyyymmdd.
int32_t AppToday();
// True when some recurring line fell due since it was last offered (up to today).
bool HasDueLines(const AppState& app);

// The exit sequence: stores a changed main-window state in the settings file.
void ExitSequence(AppState& app, MainScreen& main);

} // namespace mrt
