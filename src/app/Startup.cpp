#include "app/Startup.h"

#include "app/AppScreens.h"
#include "app/AppState.h"
#include "app/BookCommands.h"
#include "app/EditingPeriod.h"
#include "backup/Generations.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerFiles.h"
#include "ledger/StartDate.h"
#include "port/Dialogs.h"
#include "repeat/RepeatDue.h"
#include "util/Clock.h"
#include "util/CommitJournal.h"
#include "util/DateText.h"
#include "util/FileBatch.h"
#include "util/FileCopy.h"
#include "util/Home.h"
#include "util/Paths.h"
#include "util/ProgramInfo.h"
#include "util/VerifiedCopies.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <optional>
#include <strings.h>
#include <sys/stat.h>
#include <vector>

namespace mrt {
namespace {

constexpr const char* kProgramTitle = kProgramName;
constexpr const char* kOverflowTitle = "データ読込みエラー";
constexpr const char* kOverflowExitQuestion =
    "最大入力可能数を増やすか読込み月数を減らさないと、家計簿を開けません。\r\n"
    "プログラムを終了しますか？　([いいえ]で環境設定に戻ります)";
constexpr const char* kBlockTooLargeMessage =
    "最新の入出金データが多すぎるため、環境設定を変更しても読込めません。\r\nプログラムを終了します。";

bool isFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool fileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Copies the files matching each of `patterns` from the initial name tables into the data folder,
// all of them in one commit, so a crash leaves all or none of them. The three name tables must be
// among what the patterns name. 0 copied; -1 the initial tables are missing or could not be
// copied (message shown; the data folder is as it was).
int CheckInitTables(const AppState& app, const std::vector<std::string>& patterns, Dialogs& dlg) {
    // The home folder's TbInit/ wins over the one delivered with the program.
    std::string tbInit = ResolveCase(app.home, "TbInit");
    if (!isFolder(tbInit) && !app.resourceFolder.empty()) tbInit = ResolveCase(app.resourceFolder, "TbInit");
    const std::string dataFolder = DataFolder(app.home);
    FileBatch batch;
    std::string error;
    std::vector<std::string> names, staged; // staged: the targets' names, one per letter-case twin
    auto stagedAs = [&](const std::string& name) {
        return std::find_if(staged.begin(), staged.end(),
                            [&](const std::string& s) { return ::strcasecmp(s.c_str(), name.c_str()) == 0; });
    };
    bool copied = isFolder(tbInit);
    for (size_t i = 0; copied && i < patterns.size(); ++i) {
        copied = ListFiles(tbInit, patterns[i], names) > 0;
        for (size_t n = 0; copied && n < names.size(); ++n) {
            auto twin = stagedAs(names[n]);
            const std::string target =
                twin != staged.end() ? JoinPath(dataFolder, *twin) : ResolveCase(dataFolder, names[n]);
            std::string bytes;
            copied = ReadWholeFile(JoinPath(tbInit, names[n]), bytes) && batch.Stage(target, bytes, error);
            if (twin == staged.end()) staged.push_back(target.substr(dataFolder.size()));
        }
    }
    for (const char* table : {kItemFileName, kBrkDnFileName, kShopFileName}) {
        const bool wanted = std::any_of(patterns.begin(), patterns.end(),
                                        [&](const std::string& p) { return WildcardMatch(p, table); });
        if (wanted && stagedAs(table) == staged.end()) copied = false;
    }
    if (copied) copied = batch.Commit(error);
    if (!copied) {
        batch.Abort();
        dlg.MsgBox(kInitTablesMessage, kProgramTitle, MsgIcon::Critical, MsgButtons::OK);
        return -1;
    }
    return 0;
}

// The working copies of the block settings, clamped, and the Enter-as-Tab flag.
void applySettings(AppState& app) {
    ClampBlockSettings(app.settings);
    app.ledger.BlockMonthsInUse = app.settings.BlockMonths;
    app.ledger.MaxBlockLines = app.settings.MaxBlockLines;
    app.EnterMovesFocus = app.settings.KeyInputMode != 0;
}

// The settings as a start-up takes them: from the file, defaults when it is missing. A file that
// is there but cannot be read ends the program with a message (0 read or missing, -1 unreadable):
// running on defaults would store amounts with the wrong tax rate and later replace the file.
int readStartSettings(AppState& app, IniRecord& rec, Dialogs& dlg) {
    std::string why;
    int r = ReadSettings(app.settingsPath(), rec, &why);
    if (r < 0) {
        app.settingsUnreadable = true;
        dlg.MsgBox("環境設定ファイルを読み込めません。\r\n" + why + "\r\nプログラムを終了します。", kProgramTitle,
                   MsgIcon::Critical, MsgButtons::OK);
        return -1;
    }
    if (r != 0) SettingsDefaults(rec);
    return 0;
}

// The newest block holds more lines than MaxBlockLines (its message shown). Opens the settings
// window until the settings on file let the start-up hold the lines; offers to end the program
// whenever they do not, so a cancelled or insufficient change never restarts into the same
// overflow. 1 restart; -1 exit.
int settleBlockOverflow(AppState& app, Dialogs& dlg, CommandScreens& screens) {
    const LedgerIndex& index = app.ledger.index;
    IniRecord best; // the fewest months and the most lines the settings allow
    best.BlockMonths = 0;
    best.MaxBlockLines = INT16_MAX;
    ClampBlockSettings(best);
    if (LinesToLoadAtStart(index, best.BlockMonths) > best.MaxBlockLines) {
        dlg.MsgBox(kBlockTooLargeMessage, kOverflowTitle, MsgIcon::Critical, MsgButtons::OK);
        return -1;
    }
    for (;;) {
        if (app.EndRequested) return -1;
        screens.Settings(app);
        IniRecord next;
        if (readStartSettings(app, next, dlg) != 0) return -1;
        ClampBlockSettings(next);
        const int lines = LinesToLoadAtStart(index, next.BlockMonths);
        if (lines <= next.MaxBlockLines) return 1;
        const std::string question = "一度に読込む入出金データ(" + std::to_string(lines) +
                                     "行)が、１ﾌﾞﾛｯｸあたりの最大入力可能数(" + std::to_string(next.MaxBlockLines) +
                                     ")を超えています。\r\n" + kOverflowExitQuestion;
        if (dlg.MsgYesNo2(question, kOverflowTitle, 0) == 0) return -1;
    }
}

// Runs one command of the loop. 0 continue; 1 restart; -1 exit.
int dispatch(AppState& app, Command command, Dialogs& dlg, MainScreen& main, CommandScreens& screens) {
    switch (command) {
    case Command::Backup:
        screens.Backup(app);
        return 0;
    case Command::Restore:
        if (screens.Restore(app) == 0) {
            main.Unload();
            return 1;
        }
        return 0;
    case Command::StartDate:
        if (ChangeStartDate(app.ledger, dlg, &app.start) != 0) return -1;
        dlg.Beep();
        return 0;
    case Command::Print:
        screens.Print(app);
        return 0;
    case Command::SwitchBook:
    case Command::AddBook:
        if ((command == Command::AddBook ? AddBookCommand(app, dlg) : SwitchBook(app, dlg)) == 0) return 0;
        main.Unload();
        return 1;
    case Command::TransferEntry:
        // A transfer into or out of the book in use changed its files: they are read anew.
        if (EnterTransferCommand(app, dlg) == 0) return 0;
        if (ScanLedgerYears(app.ledger, dlg) != 0 || LoadStartBlock(app.ledger, dlg) != 0) {
            main.Unload();
            return 1;
        }
        return 0;
    case Command::Totals:
        // Totals need at least one line besides the initial-balance line.
        if (app.ledger.index.TotalLines > 1) screens.Totals(app);
        return 0;
    case Command::YearReport:
        screens.YearReport(app);
        return 0;
    case Command::NameRegistration:
        screens.NameRegistration(app);
        return 0;
    case Command::BudgetRegistration:
        screens.BudgetRegistration(app);
        return 0;
    case Command::Settings: {
        const IniRecord before = app.settings;
        screens.Settings(app);
        applySettings(app);
        if (before.BlockMonths != app.settings.BlockMonths || before.MaxBlockLines != app.settings.MaxBlockLines ||
            before.DisplayRows != app.settings.DisplayRows) {
            main.Unload();
            return 1;
        }
        return 0;
    }
    case Command::Help:
        dlg.ShowHelpContents(HelpFile::Main);
        return 0;
    case Command::Version:
        screens.Version();
        return 0;
    case Command::Search: {
        SearchHit hit;
        if (screens.Search(app, hit) == 0) app.PendingJump = hit;
        return 0;
    }
    case Command::ExportCsv:
        screens.ExportCsv(app);
        return 0;
    case Command::MedicalForm:
        screens.MedicalForm(app);
        return 0;
    case Command::ImportCsv:
    case Command::DueLines:
    case Command::ImportStatement:
    case Command::ReadReceipt: {
        // The added lines may lie in any block: the index and the newest block are read anew;
        // when that fails the program starts over from the files.
        const int added = command == Command::ImportCsv    ? screens.ImportCsv(app)
                          : command == Command::DueLines   ? screens.DueLines(app)
                          : command == Command::ReadReceipt ? screens.ReadReceipt(app)
                                                            : screens.ImportStatement(app);
        if (added != 0) return 0;
        if (ScanLedgerYears(app.ledger, dlg) != 0 || LoadStartBlock(app.ledger, dlg) != 0) {
            main.Unload();
            return 1;
        }
        app.start.StartDateText = StartDateTextOf(app.ledger.index);
        return 0;
    }
    case Command::RecurringRegistration:
        screens.RecurringRegistration(app, nullptr);
        return 0;
    case Command::ShopRules:
        screens.ShopRules(app);
        return 0;
    case Command::LineToRecurring: {
        const std::optional<IoRecord> line = std::move(app.PendingRecurringLine);
        app.PendingRecurringLine.reset();
        screens.RecurringRegistration(app, line ? &*line : nullptr);
        return 0;
    }
    default:
        return 0;
    }
}

// The year files changed since the last start are read whole before they replace their copies
// in the backup folder: one damaged since (in a month the start did not load) must not take the
// place of its last sound copy. One that holds the bytes of its copy replaces nothing and is not
// read line by line. -1 after the read-failure message when one is damaged.
int checkChangedYears(AppState& app, Dialogs& dlg, VerifiedCopies& copies) {
    const LedgerIndex& idx = app.ledger.index;
    std::vector<std::string> changed;
    // A folder that cannot be listed fails the copy that follows, with its own message.
    if (ListChangedFiles("*" + idx.IoExtension, app.dataFolder, app.backupFolder, changed) < 0) return 0;
    for (const std::string& name : changed) {
        const int year = YearOfFileName(name, idx.IoPrefix, idx.IoExtension);
        if (year < 0 || copies.SameAsCopy(app.dataFolder, name)) continue;
        if (CheckYearLines(idx, year, dlg, app.ledger.ReadFailure) != 0) {
            dlg.MsgOK(LedgerReadFailedMessage(app.ledger), "入出金データの読込み");
            return -1;
        }
    }
    return 0;
}

} // namespace

int32_t AppToday() {
    const CivilDate t = AppClock().Today();
    return DateNum(t.year, t.month, t.day);
}

bool HasDueLines(const AppState& app) {
    return !CollectDueLines(app.repeats, AppToday()).empty();
}

std::string AppState::settingsPath() const {
    return ResolveCase(dataFolder, kSettingsFileName);
}

NameFilePaths AppState::namePaths() const {
    return NameFilesIn(dataFolder);
}

int PrepareDataFolders(AppState& app, Dialogs& dlg) {
    app.dataFolder = DataFolder(app.home);
    // A save cut short by a crash is finished or undone before anything is read.
    if (std::string error; RecoverDataFolder(app.dataFolder, error) != 0) {
        dlg.MsgBox(std::string(kRecoveryFailedMessage) + "\r\n" + error, kProgramTitle, MsgIcon::Critical,
                   MsgButtons::OK);
        return -1;
    }
    if (!isFolder(app.dataFolder)) {
        MakeFolders(app.dataFolder);
        MakeFolders(JoinPath(app.dataFolder, "BU"));
        if (CheckInitTables(app, {"*.*"}, dlg) != 0) return -1;
    } else {
        // A data folder made without the first start (by the tool, say) lacks name tables. A table
        // the backup folder still holds is left alone: the user's names are there.
        std::vector<std::string> missing;
        const std::string backup = BackupFolder(app.home);
        for (const char* name : {kItemFileName, kBrkDnFileName, kShopFileName}) {
            if (!fileExists(ResolveCase(app.dataFolder, name)) && !fileExists(ResolveCase(backup, name)))
                missing.emplace_back(name);
        }
        if (!missing.empty()) {
            if (CheckInitTables(app, missing, dlg) != 0) return -1;
            dlg.MsgOK(kInitTablesCopiedMessage, kProgramTitle);
        }
    }
    MakeFolders(app.dataFolder);
    MakeFolders(JoinPath(app.dataFolder, "BU"));
    app.dataFolder = DataFolder(app.home);
    app.backupFolder = BackupFolder(app.home);
    return 0;
}

int VerifyAndBackUp(AppState& app, const std::string& pattern, const std::string& displayName, bool error, Dialogs& dlg,
                    VerifiedCopies* copies) {
    if (error) {
        std::string q = displayName + "が異常です。前回立ち上げ時のデータに戻します。" + "\r\n" +
                        "(前回の登録部分は削除されます)　　よろしいですか？";
        if (dlg.MsgYesNo2(q, displayName + "異常", 1) != 0) return -1;
        return CopyChangedFiles(pattern, app.backupFolder, app.dataFolder, dlg) == 0 ? 1 : -1;
    }
    // A folder that cannot be read fails the copy below, with its message.
    if (copies) copies->TakeTimesOfSameCopies(pattern, app.dataFolder);
    if (CopyChangedFiles(pattern, app.dataFolder, app.backupFolder, dlg) != 0) return -1;
    if (copies) copies->Record(pattern, app.dataFolder);
    return 0;
}

int StartUp(AppState& app, Dialogs& dlg, MainScreen& main, CommandScreens& screens) {
    main.SplashOn();
    app.dataFolder = DataFolder(app.home);
    app.backupFolder = BackupFolder(app.home);

    if (readStartSettings(app, app.settings, dlg) != 0) {
        main.SplashOff();
        return -1;
    }
    app.ledger = LedgerState{};
    app.budget = BgtRecord{};
    applySettings(app);

    // Name tables: each verified and backed up right after it is read.
    app.names = NameTables{};
    const NameFilePaths paths = app.namePaths();
    struct Table {
        int (*load)(const std::string&, NameTables&);
        std::string path, pattern, display;
    };
    auto loadItems = [](const std::string& p, NameTables& t) { return LoadItemTable(p, t); };
    auto loadBrkDn = [](const std::string& p, NameTables& t) { return LoadBrkDnTable(p, t); };
    auto loadShop = [](const std::string& p, NameTables& t) { return LoadShopTable(p, t); };
    const Table tables[] = {
        {loadItems, paths.item, kItemFileName, "項目名データ"},
        {loadBrkDn, paths.brkDn, kBrkDnFileName, "内訳・備考データ"},
        {loadShop, paths.shop, kShopFileName, "店名・相手先データ"},
    };
    VerifiedCopies copies(app.backupFolder);
    for (const Table& t : tables) {
        int r = t.load(t.path, app.names);
        int v = VerifyAndBackUp(app, t.pattern, t.display, r < 0, dlg, &copies);
        if (v != 0) {
            main.SplashOff();
            return v;
        }
    }

    // The recurring lines, verified and backed up as the name tables are.
    {
        const int rr = LoadRepeatTable(RepeatFileIn(app.dataFolder), app.repeats);
        const int rv = VerifyAndBackUp(app, kRepeatFileName, "定期入出金データ", rr < 0, dlg);
        if (rv != 0) {
            main.SplashOff();
            return rv;
        }
    }

    // The ledger: scan the information files and load the newest block.
    app.ledger.index.SetDataFolder(app.dataFolder);
    int r = ScanLedgerYears(app.ledger, dlg);
    if (r == 0) r = LoadStartBlock(app.ledger, dlg);
    if (r == 1) {
        main.SplashOff();
        return settleBlockOverflow(app, dlg, screens);
    }
    if (r == 0) r = checkChangedYears(app, dlg, copies);
    int v = VerifyAndBackUp(app, "*.usr", "入出金データ", r != 0, dlg, &copies);
    if (v != 0) {
        main.SplashOff();
        return v;
    }
    copies.Save(); // a record not written only means more reading at the next start
    // The data as this clean start found it is kept as the day's generation.
    KeepGenerationAtStart(app.home, app.dataFolder, app.backupFolder, dlg);
    app.settings.MaxBlockLines = static_cast<int16_t>(app.ledger.MaxBlockLines);
    app.start.StartDateText = StartDateTextOf(app.ledger.index);
    if (!app.ledger.block.empty()) app.start.InitialBalance = app.ledger.BlockPos < 0 ? app.ledger.block[0].Balance : 0;

    if (app.settings.MainWindowState < 3) main.SetWindowState(app.settings.MainWindowState);
    main.SetUpMainWindow(app);
    main.SplashOff();
    return 0;
}

void ExitSequence(AppState& app, MainScreen& main) {
    int state = main.WindowState();
    if (state != app.settings.MainWindowState && !app.settingsUnreadable) {
        app.settings.MainWindowState = static_cast<int16_t>(state);
        WriteSettings(app.settingsPath(), app.settings);
    }
    main.Unload();
}

int RunApplication(AppState& app, Dialogs& dlg, MainScreen& main, CommandScreens& screens) {
    for (;;) {
        int outcome = 0; // 1 restart, -1 exit
        try {
            int s = StartUp(app, dlg, main, screens);
            if (s == 1) continue;
            if (s < 0) {
                ExitSequence(app, main);
                return 1;
            }
            // The recurring lines that fell due while the program was not running, once per run.
            if (!app.DueLinesOffered) {
                app.DueLinesOffered = true;
                if (HasDueLines(app)) outcome = dispatch(app, Command::DueLines, dlg, main, screens);
            }
            while (outcome == 0) {
                if (!main.FixedStyleFlat()) main.SetUpMainWindow(app);
                app.MenuSel = Command::None;
                int e = main.RunLedgerEditing(app);
                if (e == kEditSaveFailed && app.EndRequested) {
                    // Ending on a signal: nobody is there to answer, the message went to stderr.
                    ExitSequence(app, main);
                    return 1;
                }
                if (e == kEditSaveFailed) {
                    // The lines typed are still in memory: back to editing rather than losing
                    // them, unless the user, leaving, agrees to go without them.
                    if (app.MenuSel != Command::Exit ||
                        dlg.MsgYesNo2("入出金データを保存できませんでした。\r\n保存せずに終了しますか？", "終了", 1) !=
                            0)
                        continue;
                    outcome = -1;
                    break;
                }
                if (e < 0 || app.MenuSel == Command::Exit || app.MenuSel == Command::Leave) {
                    outcome = -1;
                    break;
                }
                main.SetFixedStyleFlat(false);
                outcome = dispatch(app, app.MenuSel, dlg, main, screens);
            }
        } catch (const std::exception& ex) {
            MsgResult a = dlg.MsgBox(ex.what(), kProgramTitle, MsgIcon::Exclamation, MsgButtons::OKCancel);
            outcome = a == MsgResult::OK ? 1 : -1;
            if (outcome == 1) main.Unload();
        }
        if (outcome == -1) {
            ExitSequence(app, main);
            return 0;
        }
    }
}

} // namespace mrt
