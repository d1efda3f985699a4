#pragma once

class QWidget;

namespace mrt {

class Dialogs;
struct AppState;

// The year report window (表示 › 年間集計) for `year` of the home's data folder, calendar months
// or closing periods with the stored closing day; `year` 0 the year of the ledger's last line.
// Returns when the window closes: 0 shown; -1 the report could not be read (message shown).
int RunYearCommand(AppState& app, Dialogs& dlg, QWidget* owner, int year = 0, bool periods = false);

} // namespace mrt
