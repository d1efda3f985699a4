#include "ledger/LedgerBalance.h"

#include "ledger/AmountExpr.h"
#include "ledger/LedgerBlock.h"
#include "port/Dialogs.h"

#include <algorithm>
#include <limits>

namespace mrt {
namespace {

bool fits32(int64_t v) {
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

} // namespace

bool BalanceAfter(int32_t before, const IoRecord& line, int32_t& after) {
    int64_t v = line.Income >= 1 ? int64_t{before} + line.Income : int64_t{before} - line.Expense;
    if (!fits32(v)) return false;
    after = static_cast<int32_t>(v);
    return true;
}

int64_t BalanceBefore(const IoRecord& line) {
    return line.Income >= 1 ? int64_t{line.Balance} - line.Income : int64_t{line.Balance} + line.Expense;
}

bool RecomputeBalances(std::vector<IoRecord>& lines, size_t from) {
    for (size_t i = std::max<size_t>(from, 1); i < lines.size(); ++i)
        if (!BalanceAfter(lines[i - 1].Balance, lines[i], lines[i].Balance)) return false;
    return true;
}

bool SortBlock(std::vector<IoRecord>& lines) {
    if (lines.size() < 2) return true;
    int64_t opening = BalanceBefore(lines.front());
    std::stable_sort(lines.begin(), lines.end(),
                     [](const IoRecord& a, const IoRecord& b) { return DateNum(a) < DateNum(b); });
    if (!fits32(opening)) return false;
    if (!BalanceAfter(static_cast<int32_t>(opening), lines.front(), lines.front().Balance)) return false;
    return RecomputeBalances(lines, 1);
}

bool MonthsInOrder(const std::vector<IoRecord>& lines) {
    for (size_t i = 1; i < lines.size(); ++i)
        if (CompareYearMonth(lines[i].Year, lines[i].Month, lines[i - 1].Year, lines[i - 1].Month) < 0) return false;
    return true;
}

void DropTrailingEmptyLines(std::vector<IoRecord>& lines) {
    while (lines.size() > 1 && lines.back().Income <= 0 && lines.back().Expense <= 0)
        lines.pop_back();
}

bool HasDateDisorder(const std::vector<IoRecord>& lines) {
    for (size_t i = 1; i < lines.size(); ++i)
        if (DateNum(lines[i]) < DateNum(lines[i - 1])) return true;
    return false;
}

bool BreaksDateOrder(const std::vector<IoRecord>& lines, size_t i) {
    if (i >= lines.size()) return false;
    int32_t key = DateNum(lines[i]);
    if (i > 0 && key < DateNum(lines[i - 1])) return true;
    return i + 1 < lines.size() && key > DateNum(lines[i + 1]);
}

int BookBalanceAdjustment(std::vector<IoRecord>& lines, size_t i, int32_t newBalance, Dialogs& dlg) {
    if (i >= lines.size()) return 1;
    int32_t byRule = lines[i].Balance;
    if (i > 0 && !BalanceAfter(lines[i - 1].Balance, lines[i], byRule)) return -1;
    int64_t difference = int64_t{newBalance} - byRule;
    if (difference == 0) return 1;
    if (!IsLedgerAmount(difference < 0 ? -difference : difference)) return -1;
    dlg.Beep();
    int choice = dlg.MsgKel({"は　い", "変更中止"}, "残高を変更(残高調整)しますか？", "残高調整");
    if (choice != 1) return 1;

    IoRecord adj;
    adj.Year = lines[i].Year;
    adj.Month = lines[i].Month;
    adj.Day = lines[i].Day;
    if (difference > 0) {
        adj.ItemName = "不明な入金";
        adj.Income = static_cast<int32_t>(difference);
    } else {
        adj.ItemName = "不明な出金";
        adj.Expense = static_cast<int32_t>(-difference);
    }
    adj.Note = "残高調整";
    adj.Balance = newBalance;
    lines[i].Balance = byRule;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1, adj);
    return RecomputeBalances(lines, i + 1) ? 0 : -1;
}

} // namespace mrt
