#pragma once
#include <string>
#include <vector>

namespace mrt {

class Dialogs;
class PrintDevice;
class PrintSettingsForm;
class Printer;
struct BgtRecord;
struct IniRecord;
struct TotalsState;

// The totals printout's cells: line 0 the headers, line r the totals row r; the column widths in
// bytes (a header's length, or a longer amount's, which is never cut) and their sum.
struct TotalsPrintTable {
    std::vector<int> widths;
    std::vector<std::vector<std::string>> lines; // [line][column]
    int tableWidth = 0;
};
// Names are cut to their column; amounts are right-aligned, zero printed as an empty cell; an
// exceeded budget carries "*".
TotalsPrintTable TotalsPrintCells(const TotalsState& st, const BgtRecord& budget);

// Prints the table page by page, `rowsPerPage` totals rows under the header line of each page,
// each page with its header (title, user name, `range`, page number). 0 printed; -1 the user
// cancelled after a printer error.
int PrintTotalsPages(Printer& printer, Dialogs& dlg, const IniRecord& ini, const TotalsState& st,
                     const TotalsPrintTable& table, const std::string& range, int points, int rowsPerPage, double x0,
                     double y0);

struct TotalsPrintSession {
    const TotalsState* state = nullptr;
    const BgtRecord* budget = nullptr;
    IniRecord* settings = nullptr;
    std::string settingsPath; // empty: never written (headless printing)
    Dialogs* dlg = nullptr;
    PrintSettingsForm* form = nullptr;
    PrintDevice* device = nullptr;
};

// The totals window's print command: the print settings without dates, the pages, the
// completion message, and the settings file written when the print settings changed.
// 0 printed; 1 nothing printed (cancelled, only previewed); -1 failed (message shown).
int PrintTotals(TotalsPrintSession& s);

} // namespace mrt
