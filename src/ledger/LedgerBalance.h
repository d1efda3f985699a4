#pragma once
#include "ledger/IoRecord.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mrt {

class Dialogs;

// The balance rule: a line with Income >= 1 is a receipt of Income, any other line a payment of
// Expense. False when the result leaves the 32-bit range (`after` is then unchanged).
bool BalanceAfter(int32_t before, const IoRecord& line, int32_t& after);
// The balance before a line, undoing the rule on its stored Balance (64-bit: cannot overflow).
int64_t BalanceBefore(const IoRecord& line);

// Recomputes lines[from..] (0-based, from >= 1) from the stored balance of lines[from - 1].
// False on a 32-bit overflow; the lines before the failing one are then already updated.
bool RecomputeBalances(std::vector<IoRecord>& lines, size_t from);

// Orders the lines by date key; lines of equal date keep their order. The balance before the
// first line is kept and every balance recomputed, so the block's closing balance is unchanged.
// False on a 32-bit overflow (the lines are then in their new order with partial balances).
bool SortBlock(std::vector<IoRecord>& lines);

// True when no line's year and month come before those of the line above it (a save writes the
// month regions in this order).
bool MonthsInOrder(const std::vector<IoRecord>& lines);
// Drops trailing lines with neither income nor expense (the new-entry row and blank rows), but
// never the last remaining line.
void DropTrailingEmptyLines(std::vector<IoRecord>& lines);

// True when some line has a smaller date key than a line before it.
bool HasDateDisorder(const std::vector<IoRecord>& lines);
// True when lines[i]'s date is earlier than the line above or later than the line below it.
bool BreaksDateOrder(const std::vector<IoRecord>& lines, size_t i);

// The user gave lines[i] the balance newBalance. The difference to its balance by the rule is
// booked, after a confirmation, as a new line right after it ("不明な入金"/"不明な出金",
// note "残高調整") and the balances from line i on are recomputed.
// 0 booked; 1 nothing booked (no difference, or the user chose "変更中止"); -1 the difference is
// not a ledger amount (over 99,999,999) or a balance overflowed.
int BookBalanceAdjustment(std::vector<IoRecord>& lines, size_t i, int32_t newBalance, Dialogs& dlg);

} // namespace mrt
