#pragma once
#include "totals/Totals.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mrt {

// The texts of the totals: headers, amounts, period bounds and labels, shared by the totals
// window and the printouts.

// The date of day column 1..DayCount.
CivilDate TotalsColumnDate(const TotalsState& st, int column);
// "03/09(土)": month, day and the short weekday name.
std::string TotalsDayHeader(const CivilDate& d);
// The header list of column 0 to the last: " 項 目 名  ", the day headers, " 週 合 計 ",
// " 月 合 計 ", " 予 算 額 " (the printout's headers; the screen replaces the last two).
std::vector<std::string> SetTotalsHeaders(const TotalsState& st);
// "3月締合計" and "3月予算 " for closing month 3.
std::string ClosingTotalHeader(int month);
std::string ClosingBudgetHeader(int month);

// A bound of a closing period as a real date ("2024/02/29"): an end beyond its month is the
// month's last day, a start beyond it the 1st of the next month.
std::string FormatPeriodDate(const CivilDate& d, bool end);

// "#,0": thousands separators, 0 as "0", a minus sign before a negative amount.
std::string GroupedAmount(int64_t amount);
// An amount as the grids show it: "#,0" right-aligned in 10 bytes; a longer amount is kept whole.
std::string TotalsAmountText(int64_t amount);
// The budget cell of a totals row: "#,0" without blanks, empty when the row has no budget.
// `exceeded` tells whether the closing-period total is above it.
std::string TotalsBudgetText(const TotalsState& st, const BgtRecord& budget, int row, bool& exceeded);

// The day column (1..DayCount) whose header marks the end of a closing period; 0 for none.
int ClosingMarkColumn(const TotalsState& st);

// The label texts: the ledger's first and last date ("2003年04月01日～2004年03月20日"), the week
// shown ("2024年3月9日～2024年3月15日") and the closing day ("２５日締", "末日締").
struct TotalsLabels {
    std::string registered, shown, closing;
};
TotalsLabels TotalsLabelTexts(const TotalsState& st);

} // namespace mrt
