#pragma once
#include <string>
#include <vector>

namespace mrt {

class Dialogs;
class PrintDevice;
class PrintSettingsForm;
class Printer;
struct IniRecord;
struct YearReport;

// The printable room of an A4 sheet across, in twips (287 × 196 mm: a printer's usual margins).
constexpr double kYearPageWidth = 16270;
constexpr double kYearPageHeight = 11110;

// The year printout's cells: line 0 the headers, line k report row k - 1; the column widths in
// bytes (a header's, or a longer cell's, which is never cut) and their sum. Zero amounts are
// empty cells; budget, difference and change are empty where the row has none.
struct YearPrintTable {
    std::vector<int> widths;
    std::vector<std::vector<std::string>> lines; // [line][column]
    int tableWidth = 0;
};
YearPrintTable YearReportPrintCells(const YearReport& report);

// The largest font size from 9 down to 5 points at which the table, `columnOffset` widths of "5"
// from the left edge, fits the sheet's width; 5 when none does. -1 the user cancelled after a
// printer error.
int ChooseYearPrintPoints(Printer& printer, Dialogs& dlg, const YearPrintTable& table, int columnOffset);

// Prints the table on A4 sheets across, as many rows on a page as its height holds below the
// page header (title, user, `range`, page number), the header line repeated on each page.
// 0 printed; -1 the user cancelled after a printer error.
int PrintYearReportPages(Printer& printer, Dialogs& dlg, const YearReport& report, const YearPrintTable& table,
                         const std::string& title, const std::string& user, const std::string& range, int points,
                         double x0, double y0);

struct YearPrintSession {
    const YearReport* report = nullptr;
    const IniRecord* settings = nullptr; // the totals printout's user name and offsets
    Dialogs* dlg = nullptr;
    PrintSettingsForm* form = nullptr;
    PrintDevice* device = nullptr;
};

// The year window's print command: the print settings (title and user name for this printout;
// the paper is always A4 across), the pages and the completion message. Nothing is stored.
// 0 printed; 1 nothing printed (cancelled, only previewed); -1 failed (message shown).
int PrintYearReport(YearPrintSession& s);

} // namespace mrt
