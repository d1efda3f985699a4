#pragma once

namespace mrt {

class Dialogs;
class NameRegistrationView;
class BudgetWindowView;
class SettingsWindowView;
struct AppState;

// The registration commands of the command loop, each on its window. They return 0 when the
// command ended (confirmed or cancelled) and -1 on a failure already reported to the user.

// 4100: the name registration window over app.names. Confirmed: each changed table is written; when
// a write fails (its message shown) the window opens again with the edits still in memory, to be
// confirmed again or cancelled. Cancelled with changes: the changed tables are read again from
// their files. The ledger screen's choice lists are filled from app.names, so they follow.
int RunNameRegistration(AppState& app, Dialogs& dlg, NameRegistrationView& window);

// 4200: the budget registration on app.budget, one window per page.
int RunBudgetCommand(AppState& app, Dialogs& dlg, BudgetWindowView& window);

// 4400: the settings window on app.settings and the settings file. The command loop then applies
// its restart rule.
int RunSettingsCommand(AppState& app, Dialogs& dlg, SettingsWindowView& window);

} // namespace mrt
