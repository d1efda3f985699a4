#pragma once
#include "budget/Budget.h"
#include "ledger/LedgerIndex.h"
#include "util/Clock.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mrt {

class Dialogs;
struct IniRecord;
struct NameTables;

// Columns of the totals table: 1..DayCount the days, DayCount + 1 the week, DayCount + 2 the
// closing period. At most 9 are used; index 0 is unused.
constexpr int kTotalsColumns = 10;

// Where one ledger line is counted: its 1-based totals row, its side (0 income, 1 expense) and
// its amount in yen.
struct LineClass {
    int row = 0;
    int side = 1;
    int32_t amount = 0;
};

// The two item lists are the choice lists of the ledger screen: "（入力なし）" at index 0, then the
// registered items in display order. A line with Income >= 1 is income, any other an expense;
// its item name (trailing blanks ignored) selects the row, an unregistered or empty name the
// "(不明)" row of its side.
LineClass ClassifyLine(const IoRecord& line, const std::vector<std::string>& incomeList,
                       const std::vector<std::string>& expenseList);
// start <= line date <= end, compared as numbers (a bound's day may exceed the month's length).
bool InClosingPeriod(const IoRecord& line, const CivilDate& start, const CivilDate& end);

// The closing day in use: a stored value outside 1..31 is 31.
int EffectiveClosingDay(int stored);
// The month whose closing period holds `day`: its own month, or the next when the day lies
// after the closing day.
void ClosingMonthOf(const CivilDate& day, int closingDay, int& year, int& month);
// The closing period of (year, month): from the day after the previous month's closing day
// (the 1st for closing day 31) to (year, month, closingDay).
void ClosingPeriodOf(int year, int month, int closingDay, CivilDate& start, CivilDate& end);

// Everything one computation produces, kept while the totals window is open.
struct TotalsState {
    // Rows: nIn and nOut count the entries of the two item lists ("（入力なし）" included).
    int nIn = 0, nOut = 0;
    int RowCount = 0;
    std::vector<std::string> rowNames;                // [1..RowCount]; [0] unused
    std::vector<std::string> incomeList, expenseList; // the ledger screen's item lists
    std::array<std::vector<int>, 2> itemSlots;        // [kind][position] = item slot; [0] unused
    LedgerIndex index;                                // private copy; its block fields are the totals'

    // Kept for the window: the column count the grids were built for and each grid's count.
    int builtColumns = 0;
    std::array<int, 3> gridColumns{};

    CivilDate LastDate, WeekStart;
    int DayCount = 0;
    int closingDay = 31;
    int closingYear = 0, closingMonth = 0; // ClosingMonth (Y2, M2)
    CivilDate periodStart, periodEnd;      // ClosingPeriod
    // TotalsTable[row 1..RowCount][column 1..10] in yen. 64-bit so that large sums do not wrap.
    std::vector<std::array<int64_t, kTotalsColumns + 1>> table;

    int incomeUnknownRow() const { return nIn; }
    int expenseUnknownRow() const { return nIn + nOut; }
    int balanceRow() const { return RowCount; }
};

// Builds rowNames, the item lists and their slots from the name tables.
void BuildTotalsRows(const NameTables& names, TotalsState& st);

// Clears the table and adds the lines (date order) as the totals window shows them: day
// columns and week of WeekStart..WeekStart + DayCount - 1, the closing period once, and the
// balance row carried over days without lines. Needs the rows, WeekStart, DayCount and period.
void AccumulateTotals(const std::vector<IoRecord>& lines, TotalsState& st);

// The budget cell of a totals row. False for the "(不明)" and summary rows and for items without
// a budget (negative amount, or `budget` not holding the closing month's year). Otherwise
// `amount` is the budget of the closing month and `exceeded` whether the period total is above it.
bool TotalsBudgetOf(const TotalsState& st, const BgtRecord& budget, int row, int32_t& amount, bool& exceeded);

// The totals window as the computation drives it (the Qt window implements it).
class TotalsView {
public:
    virtual ~TotalsView() = default;
    // A new table is ready: headers, grids (fully rebuilt when `rebuild`), labels, values, mark.
    virtual void ShowTotals(const TotalsState& st, const BgtRecord& budget, bool rebuild) = 0;
    // Shows the window and returns when it closes; its keys call MoveTotalsWeek / SetClosingDay.
    virtual void RunTotalsWindow() = 0;
};

// What the totals read and write. The main ledger state is only read: the totals load their
// months through a private copy of its index and never touch its block.
struct TotalsSession {
    const LedgerState* ledger = nullptr;
    const NameTables* names = nullptr;
    IniRecord* settings = nullptr; // ClosingDay is read and, by SetClosingDay, written
    std::string settingsPath;
    BgtRecord* budget = nullptr;
    BudgetPlace budgetPlace;
    Dialogs* dlg = nullptr;
    TotalsView* view = nullptr; // may be null (the tool reads the state)
    TotalsState state;
    // When set, ComputeTotals hands the computation to it (the totals over several books).
    std::function<int(TotalsSession&, CivilDate&, bool)> compute;
};

// Computes the totals of the week ending at lastDate (clamped into the ledger and stored back).
// 0 = computed and handed to the view; -1 = nothing shown (message already given).
int ComputeTotals(TotalsSession& s, CivilDate& lastDate, bool rebuild);
// Moves the week by n days (-7, -1, +1, +7); a failed recomputation keeps the shown week and beeps.
void MoveTotalsWeek(TotalsSession& s, int days);
// Asks for the closing day; a changed value is stored, written to the settings file and the
// totals recomputed.
void SetClosingDay(TotalsSession& s);
// The totals command: asks for the last date, computes, and runs the window until it closes.
void OpenTotals(TotalsSession& s);

} // namespace mrt
