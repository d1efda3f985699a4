#pragma once
#include "ledger/IoRecord.h"
#include "util/Clock.h"

#include <array>
#include <string>
#include <vector>

namespace mrt {

class Dialogs;
class PrintDevice;
class Printer;
class PrintSettingsForm;
struct IniRecord;
struct LedgerState;
struct PrintFields;

// The nine printed columns: widths in CP932 bytes (also widths of "5" on paper) and headers.
constexpr int kLedgerPrintColumns = 9;
inline constexpr std::array<int, kLedgerPrintColumns> kLedgerPrintWidths = {2, 2, 2, 13, 27, 20, 10, 10, 10};
constexpr int kLedgerPrintWidth = 96;
// The balance column is this wide at least, wider when a balance needs more (a balance of
// -10,000,000 or less): the text is never cut.
constexpr int kLedgerBalanceWidth = 10;

// One printed row: a ledger line, or the continuation of its long texts (day cell blank).
struct LedgerPrintRow {
    std::array<std::string, kLedgerPrintColumns> cells;
    bool continuation = false;
};

// The rows of one ledger line. Year and month are left blank when `showYear` / `showMonth` is
// false. A text longer than its column continues on a second row with the rest of its field;
// a double-byte character is never split (it moves to the second row whole). The balance is
// right-aligned in kLedgerBalanceWidth bytes, or longer when it needs more.
void AppendLedgerRows(const IoRecord& line, bool showYear, bool showMonth, std::vector<LedgerPrintRow>& rows);

// One page of the printout: its rows and the dates of its first and last line
// ("2026年11月 1日").
struct LedgerPage {
    std::vector<LedgerPrintRow> rows;
    std::string firstDate, lastDate;
    int balanceWidth = kLedgerBalanceWidth; // bytes of the balance column; every balance cell fills it
};
// The balance column's width that holds every balance of the lines.
int LedgerBalanceWidth(const std::vector<IoRecord>& lines);
// Fills a page from lines[next]: lines are taken while the page has fewer rows than rowsPerPage
// (at least one line per page), so the last line may add one row more. The balance column is
// `balanceWidth` wide, or wider when a balance of the page needs it. Returns the index of the
// first line not taken.
size_t BuildLedgerPage(const std::vector<IoRecord>& lines, size_t next, int rowsPerPage, LedgerPage& page,
                       int balanceWidth = kLedgerBalanceWidth);

// The geometry of the pages: font size, rows per page and the start position in twips.
struct LedgerPageSetup {
    int points = 10;
    int rowsPerPage = 55;
    double x0 = 0, y0 = 0;
};

// Prints the lines page by page (header, heading table, body table ending the job). Before every
// page but the first `stop` (may be null) is asked whether the user wants to stop.
// 0 every page printed; 1 stopped; -1 the user cancelled after a printer error.
int PrintLedgerPages(Printer& printer, Dialogs& dlg, const IniRecord& ini, const std::vector<IoRecord>& lines,
                     const LedgerPageSetup& setup, PrintDevice* stop);

// What the ledger printout reads and writes. The main ledger state is only read: the lines are
// loaded through a private copy of its index, its block stays as it is.
struct LedgerPrintSession {
    const LedgerState* ledger = nullptr;
    IniRecord* settings = nullptr;
    std::string settingsPath; // empty: the settings file is never written (headless printing)
    Dialogs* dlg = nullptr;
    PrintSettingsForm* form = nullptr;
    PrintDevice* device = nullptr;
    // The range last entered ("yyyy/mm/dd"), proposed again by the next printout of the run.
    std::string lastFrom, lastTo;
};

// Asks the print settings with the date range until the range meets the ledger: a to-date
// before the from-date is swapped, the range is cut to the ledger's first and last dates, and a
// range outside them is refused with "該当するデータがありません。". The settings answered are
// stored in the record at once. 0 with from and to set; -1 cancelled.
int AskLedgerPrintRange(LedgerPrintSession& s, PrintFields& fields, CivilDate& from, CivilDate& to);

// The print command: settings and range, then the lines of the range page by page, with the
// wait message ([Esc] stops between pages) and the completion message; the settings file is
// written afterwards when the print settings changed.
// 0 printed; 1 nothing printed (cancelled, stopped, only previewed, nothing in the range);
// -1 failed (message shown).
int PrintLedger(LedgerPrintSession& s);

} // namespace mrt
