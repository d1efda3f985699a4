#pragma once

namespace mrt {

class Dialogs;
struct AppState;

// The totals command of the main window: asks the last date, shows frmTotal until it closes;
// its F12 prints the totals (frmPr, a printer, a PDF file or the preview) and F9 shows the chart.
// Questions go through `dlg`, owned by the totals window while it is open. Returns 0.
int RunTotalsCommand(AppState& app, Dialogs& dlg);

} // namespace mrt
