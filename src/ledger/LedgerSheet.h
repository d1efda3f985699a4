#pragma once
#include "ledger/IoRecord.h"
#include "ledger/LedgerIndex.h"
#include "ledger/LineRules.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mrt {

class GridModel;
class Dialogs;
struct IniRecord;
struct StartLine;

// Data columns of the ledger grid; grid column = data column (one fixed column "No." at 0).
// Grid row r holds line r of the block (row 1 the carried-balance line); row 0 is the header.
enum LedgerColumn : int {
    kColYear = 1,
    kColMonth = 2,
    kColDay = 3,
    kColItem = 4,
    kColNote = 5,
    kColShop = 6,
    kColIncome = 7,
    kColExpense = 8,
    kColBalance = 9,
};
constexpr int kLedgerDataCols = 9;
// Rows after the last possible line, labelled "*".
constexpr int kLedgerSpareRows = 5;

// One data column: its header, the input length of the edit box in CP932 bytes and whether the
// input method is switched on for it.
struct LedgerColumnSpec {
    const char* header;
    int inputBytes;
    bool imeOn;
};
// col 1..9; anything else gives the fixed column's description.
const LedgerColumnSpec& LedgerColumnOf(int col);
// The line text a name column (kColItem, kColNote, kColShop) holds.
inline LineText LineTextOfColumn(int col) {
    return col == kColItem ? LineText::Item : col == kColNote ? LineText::Note : LineText::Shop;
}

// The shape of the ledger grid, built when the main window is set up.
struct GridSpec {
    std::string title = "家計簿";
    int lineRows = 300;   // MaxBlockLines
    int displayRows = 19; // DisplayRows
    int dataCols = kLedgerDataCols;
    int fixedCols = 1;
    int fixedRows = 1;
};

// Measures a text in the window's measuring font ("ＭＳ ゴシック" 12 pt): width and height in twips.
struct TextSize {
    int width = 0;
    int height = 0;
};
using TextMeasure = std::function<TextSize(const std::string&)>;
// A fixed-pitch measure: every CP932 byte is `halfWidth` twips wide, every text `height` high.
// The default is "ＭＳ ゴシック" at 12 points (a half-width character 120 twips, 240 twips high).
TextMeasure FixedPitchMeasure(int halfWidth = 120, int height = 240);

// What SetUpLedgerGrid computed for the window layout, in twips.
struct LedgerGridGeometry {
    int width = 0;  // grid width including the scroll bar allowance
    int height = 0; // header row + DisplayRows data rows + 0.4 text heights
    bool scrollBar = false;
    int charWidth = 0;  // width of "A" in the measuring font
    int textHeight = 0; // height of "A"
};

// Sets up the ledger grid: 1 + 9 columns, 1 + lineRows + 5 rows, widths from the header texts,
// row heights, alignment, header texts and row labels ("1".."lineRows", then "*" × 5), font.
LedgerGridGeometry SetUpLedgerGrid(GridModel& grid, const GridSpec& spec, const TextMeasure& measure);

// Display forms of a cell value (what the grid shows) and edit forms (what the edit box gets).
// Amount columns: mode 0 for income/expense, mode 2 for the balance; an amount too wide for 10
// bytes is shown whole rather than cut. Date columns: "00" year, month and day right-aligned in 2.
std::string LedgerCellDisplay(int col, int64_t value);
// The cell's text prepared for editing: blanks trimmed; amounts without thousands separators.
std::string LedgerCellEditText(int col, const std::string& cellText);
// The number a cell holds: blanks and thousands separators ignored; 0 for blank or non-numeric.
int64_t LedgerCellNumber(const std::string& cellText);

// Writes a line into the nine data cells of a grid row, in display form.
void FillGridRow(GridModel& grid, int row, const IoRecord& rec);
// Blanks the nine data cells of a row.
void BlankGridRow(GridModel& grid, int row);

// First and last dates of the loaded block (for the " 表示データ " label); 0 when no line.
struct BlockDates {
    int32_t first = 0; // yyyymmdd
    int32_t last = 0;
};
// "2003年04月01日～2003年06月30日", or " 登録済みデータ無し" when both are 0.
std::string DateRangeLabel(int32_t first, int32_t last);

// The ledger block being edited and the checks a cell value passes before it is stored. The lines
// are the ledger's block itself (LedgerState::block): a commit checks the value, updates the line
// and shows it, and a save writes the lines as they are. The grid only shows them: rows
// 1..LastRow() are the lines, LastRow() + 1 is the new-entry row (Entry()), the rows below blank.
// Messages go through `dlg`. The sheet reads the tax rate from `settings` and the start date from
// `start` at each commit; all references must outlive the sheet.
class LedgerSheet {
public:
    LedgerSheet(GridModel& grid, LedgerState& ledger, const IniRecord& settings, const StartLine& start, Dialogs& dlg);

    GridModel& Grid() { return m_grid; }
    const GridModel& Grid() const { return m_grid; }
    LedgerState& Ledger() { return m_ledger; }
    const LedgerState& Ledger() const { return m_ledger; }

    // The block's lines; line r (1-based, as its grid row) is Lines()[r - 1].
    const std::vector<IoRecord>& Lines() const { return m_ledger.block; }
    const IoRecord& Line(int row) const { return m_ledger.block[static_cast<size_t>(row - 1)]; }
    int LastRow() const { return static_cast<int>(m_ledger.block.size()); }
    int NewEntryRow() const { return LastRow() + 1; }

    // The new-entry row: what was entered into it before its first amount makes it a line. A
    // date field of 0 is a blank cell (Year 0 included; a year cell holds 2000 + two digits);
    // its amounts are always 0.
    const IoRecord& Entry() const { return m_entry; }
    // The values the cell checks read from a row: the line, or for the new-entry row the entry with
    // a blank year read as 2000 (a blank row below it: 2000 and nothing else).
    IoRecord RowValues(int row) const;
    // Blanks the new-entry row and, when `dated` and the block has a line, gives it the last line's
    // date.
    void StartEntry(bool dated);
    // Gives the new-entry row the last line's date when all three of its date cells are blank.
    void DateEntryLikeLastLine();

    // The text a cell shows (display form) and the text its edit box starts with: blanks trimmed,
    // amounts without thousands separators; "" for a blank cell. Rows 1..NewEntryRow(); "" beyond.
    std::string CellText(int row, int col) const;
    std::string CellEditText(int row, int col) const;

    // Shows the ledger's block: lines in rows 1..n, the rows that showed lines before and the
    // new-entry row blanked, the block dates taken from the lines. Grows the grid when a block is
    // longer than its rows allow. Called whenever the block was replaced from outside.
    void FillFromBlock();
    // Replaces the lines with `lines` and shows them (undo and redo): the rows below them up to the
    // old new-entry row are blanked.
    void ShowLines(std::vector<IoRecord> lines);

    // Inserts a line before line `row` (2..LastRow()) dated as that line, without names or
    // amounts, its balance that of the line above; the balances below it are recomputed. False
    // (nothing done) for another row.
    bool InsertLine(int row);
    // Deletes line `row`: the lines below it and the new-entry row move up and the balances are
    // recomputed from `row`. False when row is outside 1..LastRow().
    bool DeleteLine(int row);

    // Balances of lines fromRow..LastRow() by the balance rule, starting from the balance of the
    // line above (fromRow >= 2). False on a 32-bit overflow (lines before it updated).
    bool RecomputeBalances(int fromRow);
    // The same walk from line 1, whose balance becomes `balance`; returns the closing balance
    // through it.
    bool SumBalanceFrom(int32_t& balance);

    // Sorts the lines by date (stable), drops trailing lines without amounts and shows them again.
    // Shows the sort wait window. False on a balance overflow (block left as it was).
    bool SortByDate();
    // Drops trailing lines without amounts (never the last line), as a save does. The grid is not
    // changed: the caller shows the block again or is about to replace it.
    void DropTrailingEmptyLines();
    // Saves the lines when modified (ForcedSave, with its message when `show`), trailing lines
    // without amounts dropped. When the saved lines differ from the lines shown (dropped lines, or
    // months the save put in order) they are shown again and `reshown` is set. On failure the lines
    // stay as they were shown. 0 done (or nothing to save), -1 failed (message shown).
    int SaveLines(bool show, bool& reshown);

    // The date of line `row` (1..LastRow()) as yyyymmdd.
    int32_t RowDate(int row) const { return DateNum(Line(row)); }
    const BlockDates& Dates() const { return m_dates; }
    // Dates from the first and last lines.
    void ResetDates();

    // Checks the value of one cell and stores it. `text` in: what the user entered; out: the
    // value in display form (what the cell now shows), or unchanged when refused/abandoned.
    // 0 stored; 1 refused, the user chose "再 入 力"; 2 another block was read (the grid was
    // refilled, the value is not stored); -1 abandoned (refused with "入力中止", a question
    // answered no, or nothing to store).
    int CommitCell(std::string& text, int col, int row);

    // Reads the block that ends at (year, month) after the month questions of CommitCell:
    // 0 read (grid refilled), nonzero cancelled or failed. The editor sets this to its own read
    // (sort offer, wait window); by default the block is read with ReadBlock.
    std::function<int(int year, int month)> ReadBlockOf;
    // Called whenever the block dates change (the window refreshes its date label).
    std::function<void()> DatesChanged;

    // Saves a modified block and loads another (ReReadBlock's directions), then refills the grid.
    // On failure the block on screen stays loaded (index and block as before the read). 0 done,
    // -1 failed (message shown).
    int ReadBlock(int direction, int year, int month);

    // The block-full message box of a block read (also shown when a line would exceed
    // MaxBlockLines).
    void ShowBlockOverflow();

private:
    std::vector<IoRecord>& lines() { return m_ledger.block; }
    IoRecord& lineAt(int row) { return m_ledger.block[static_cast<size_t>(row - 1)]; }
    void showLine(int row);
    void showEntry();
    // Blanks rows from..to of the grid (clamped to its last row).
    void blankRows(int from, int to);
    int refuse(const std::string& message);
    int commitYear(std::string& text, int row);
    int outsideBlockQuestions(int year, int month);
    int storeDateCell(std::string& text, int row, int col, int value);
    int commitMonth(std::string& text, int row);
    int commitDay(std::string& text, int row);
    int commitName(std::string& text, int col, int row);
    int commitAmount(std::string& text, int col, int row);
    int commitBalance(std::string& text, int row);
    void afterDateChange(int row, bool changed);
    // Sets PreSortF when line `row` is dated before the line above it or after the line below.
    void markOrder(int row);
    bool checkNewLineDate(int row, int& result);
    int32_t startDate() const;
    void markModified();
    void noteDate(int32_t date);
    void ensureRows(int lines);

    GridModel& m_grid;
    LedgerState& m_ledger;
    const IniRecord& m_settings;
    const StartLine& m_start;
    Dialogs& m_dlg;
    IoRecord m_entry;
    int m_shownRows = 0; // rows that show lines (the new-entry row is the next one)
    BlockDates m_dates;
};

} // namespace mrt
