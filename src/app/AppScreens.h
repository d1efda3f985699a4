#pragma once

namespace mrt {

struct AppState;
struct IoRecord;
struct SearchHit;

// The main window as the start-up sequence and the command loop see it. The Qt window implements
// it; tests drive the loop with a scripted one.
class MainScreen {
public:
    virtual ~MainScreen() = default;
    virtual void SplashOn() = 0;
    virtual void SplashOff() = 0;
    // Builds (or rebuilds) the window for the current state: grid, menus, caption, layout; shows it.
    virtual void SetUpMainWindow(AppState& app) = 0;
    // The fixed-cell style: flat while the user edits, inset while a command runs.
    virtual bool FixedStyleFlat() const = 0;
    virtual void SetFixedStyleFlat(bool flat) = 0;
    // One editing period: shows the block, lets the user work until a command is chosen
    // (app.MenuSel set), ends it (pending edit stored, block saved when modified).
    // -1 = leave the program, 0 = carry out app.MenuSel.
    virtual int RunLedgerEditing(AppState& app) = 0;
    // 0 normal, 1 minimised, 2 maximised.
    virtual int WindowState() const = 0;
    virtual void SetWindowState(int state) = 0;
    // Closes the main window (before a restart or at exit).
    virtual void Unload() = 0;
};

// The windows the command loop opens for the larger commands. Each returns 0 when it did its work
// (or the user closed it) and -1 on a failure that it has already reported.
class CommandScreens {
public:
    virtual ~CommandScreens() = default;
    virtual int Settings(AppState& app) = 0;
    virtual int NameRegistration(AppState& app) = 0;
    virtual int BudgetRegistration(AppState& app) = 0;
    virtual int Totals(AppState& app) = 0;
    // The year report window (表示 › 年間集計).
    virtual int YearReport(AppState& app) = 0;
    virtual int Print(AppState& app) = 0;
    virtual int Backup(AppState& app) = 0;
    // 0 when data files were replaced (the program then restarts), -1 otherwise.
    virtual int Restore(AppState& app) = 0;
    virtual void Version() = 0;
    // The search window. 0 when the user chose a line to go to (`jump` set), 1 when it was closed
    // without one.
    virtual int Search(AppState& app, SearchHit& jump) = 0;
    // The CSV export window.
    virtual int ExportCsv(AppState& app) = 0;
    // The medical-expense form of a year (scripted screens without it do nothing).
    virtual int MedicalForm(AppState&) { return 0; }
    // The CSV import: file choice, preview, import. 0 when lines were added (the loop then reads
    // the ledger again), 1 when nothing was added.
    virtual int ImportCsv(AppState& app) = 0;
    // The list of the recurring lines due up to today (app.repeats). 0 when lines were added (the
    // loop then reads the ledger again), 1 when none were.
    virtual int DueLines(AppState& app) {
        (void)app;
        return 1;
    }
    // The registration window of recurring lines; with `line` a new entry made from it is open.
    virtual int RecurringRegistration(AppState& app, const IoRecord* line) {
        (void)app;
        (void)line;
        return 0;
    }
    // The statement import (bank, card, e-money files): file choice, preview, import. 0 when the
    // ledger changed, 1 when nothing was added.
    virtual int ImportStatement(AppState&) { return 1; }
    // The receipt reader: image choice, reading, preview, adding. 0 when lines were added, 1 when
    // nothing was added (also where the program has no receipt reader).
    virtual int ReadReceipt(AppState&) { return 1; }
    // The shop rules window of the statement import (登録 › 明細取込の規則).
    virtual int ShopRules(AppState&) { return 0; }
};

} // namespace mrt
