#pragma once
#include "ledger/IoRecord.h"

#include <vector>

namespace mrt {

class Dialogs;
struct AppState;

// Start of an editing period. An empty ledger (first start) asks for the start date (today by
// default) and the initial balance and becomes the one initial-balance line; otherwise the start
// date is taken from the index. The initial-balance line is saved at once. 0 ready; -1 the user
// cancelled or the line could not be saved (message shown; the program ends).
int BeginEditingPeriod(AppState& app, Dialogs& dlg);

// Result of an editing period whose block could not be saved (the save showed its message; the
// block stays in memory, still marked modified).
constexpr int kEditSaveFailed = -2;

// End of an editing period; app.ledger.block holds the lines as the editor left them.
// -1 when MenuSel asks to leave; kEditSaveFailed when the save failed; 0 otherwise. A modified
// block is saved, with the wait message when it holds more than 100 lines.
int EndEditingPeriod(AppState& app, Dialogs& dlg);

} // namespace mrt
