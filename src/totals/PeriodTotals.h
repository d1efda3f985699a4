#pragma once
#include "totals/Totals.h"

#include <string>
#include <vector>

namespace mrt {

class Dialogs;

// The totals of one closing period, as the closing-period column of the totals table holds them.
struct PeriodTotal {
    int year = 0, month = 0;   // the closing month
    CivilDate start, end;      // the closing period (bounds compare as date numbers)
    std::vector<int64_t> rows; // [totals row 1..RowCount]; [RowCount] the balance at its end
    bool hasLines = false;     // a line of the ledger falls in it
};

// The totals of `count` closing periods ending with the closing month (year, month), oldest
// first, with the rows of `rowsOf` (its item lists). The months are read through a private copy
// of `index`, without the block limit: nothing of them is edited. A period without lines has
// zero sums and the balance carried to it. 0 read; -1 the ledger files could not be read.
int ComputePeriodTotals(const LedgerIndex& index, const TotalsState& rowsOf, int closingDay, int year, int month,
                        int count, std::vector<PeriodTotal>& out, Dialogs& dlg);

// One stacked series of the periods chart: a name and its amount in each period.
struct PeriodSeries {
    std::string name;
    std::vector<int64_t> values;
};
// The expense rows (items and "(不明)") with the largest sums over the periods, largest first,
// at most `maxSeries`; the others are gathered into "その他". Rows without any amount are left out.
std::vector<PeriodSeries> ExpenseSeries(const TotalsState& rowsOf, const std::vector<PeriodTotal>& periods,
                                        int maxSeries);

// One bar of the budget chart: an expense row's closing-period total beside its budget.
struct BudgetBar {
    std::string name;
    int64_t total = 0;
    bool hasBudget = false;
    int32_t budget = 0;
    bool over = false; // the total is above the budget
};
// Every registered expense item in list order, then "(不明)" when it holds an amount.
std::vector<BudgetBar> ExpenseBudgetBars(const TotalsState& st, const BgtRecord& budget);

} // namespace mrt
