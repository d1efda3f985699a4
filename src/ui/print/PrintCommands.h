#pragma once
#include <QStringList>

namespace mrt {

class Dialogs;
struct AppState;

// The print command of the main window: the ledger printout with frmPr and the Qt printer.
// Questions go through `dlg`; its owner window is the owner of the print windows.
int RunLedgerPrint(AppState& app, Dialogs& dlg);

// True when the arguments ask for a printout without windows (--print-ledger, --print-totals).
bool IsHeadlessPrint(int argc, char** argv);
// mrtkel --home DIR --print-ledger FROM TO --pdf FILE, or --print-totals DATE --pdf FILE (the
// week ending at DATE with the stored closing day), dates YYYY-MM-DD: the printout with the
// stored print settings into a PDF file, no window and no question. One printout per call. A
// relative FILE is taken from the current folder. A QApplication must exist. Returns the exit
// code: 0 written; 1 nothing written (the reason on stderr); 2 usage error.
int RunHeadlessPrint(const QStringList& args);

} // namespace mrt
