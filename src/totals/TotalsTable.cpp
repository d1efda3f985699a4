#include "names/NameTables.h"
#include "totals/Totals.h"
#include "util/DateText.h"

#include <algorithm>
#include <string_view>

namespace mrt {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.remove_suffix(1);
    return s;
}

// Index of the first list entry equal to the name (trailing blanks ignored); -1 for none or an
// empty name.
int findEntry(const std::vector<std::string>& list, std::string_view name) {
    name = trimmed(name);
    if (name.empty()) return -1;
    for (size_t i = 0; i < list.size(); ++i)
        if (trimmed(list[i]) == name) return static_cast<int>(i);
    return -1;
}

int32_t dateNum(const CivilDate& d) {
    return DateNum(d.year, d.month, d.day);
}

} // namespace

LineClass ClassifyLine(const IoRecord& line, const std::vector<std::string>& incomeList,
                       const std::vector<std::string>& expenseList) {
    const int nIn = static_cast<int>(incomeList.size());
    const int nOut = static_cast<int>(expenseList.size());
    LineClass c;
    if (line.Income >= 1) {
        c.side = 0;
        c.amount = line.Income;
        int pos = findEntry(incomeList, line.ItemName);
        c.row = pos >= 1 ? pos : nIn;
    } else {
        c.side = 1;
        c.amount = line.Expense;
        int pos = findEntry(expenseList, line.ItemName);
        c.row = pos >= 1 ? nIn + pos : nIn + nOut;
    }
    return c;
}

bool InClosingPeriod(const IoRecord& line, const CivilDate& start, const CivilDate& end) {
    int32_t d = DateNum(line);
    return dateNum(start) <= d && d <= dateNum(end);
}

int EffectiveClosingDay(int stored) {
    return stored >= 1 && stored <= 31 ? stored : 31;
}

void ClosingMonthOf(const CivilDate& day, int closingDay, int& year, int& month) {
    year = day.year;
    month = day.month;
    if (day.day > closingDay) {
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
}

void ClosingPeriodOf(int year, int month, int closingDay, CivilDate& start, CivilDate& end) {
    end = {year, month, closingDay};
    if (closingDay + 1 > 31) {
        start = {year, month, 1};
    } else {
        start = {year, month - 1, closingDay + 1};
        if (start.month == 0) start = {year - 1, 12, closingDay + 1};
    }
}

void BuildTotalsRows(const NameTables& names, TotalsState& st) {
    st.incomeList = FillItemList(names, kIncomeKind, true);
    st.expenseList = FillItemList(names, kExpenseKind, true);
    st.nIn = static_cast<int>(st.incomeList.size());
    st.nOut = static_cast<int>(st.expenseList.size());
    st.RowCount = st.nIn + st.nOut + 3;
    st.rowNames.assign(1, std::string());
    for (int kind = 0; kind < 2; ++kind) {
        const std::vector<std::string>& list = kind == 0 ? st.incomeList : st.expenseList;
        st.itemSlots[kind].assign(1, 0);
        for (size_t pos = 1; pos < list.size(); ++pos) {
            st.rowNames.push_back(list[pos]);
            st.itemSlots[kind].push_back(ItemSlotAt(names, kind, static_cast<int>(pos)));
        }
        st.rowNames.push_back("(不明)");
    }
    st.rowNames.push_back("(入金合計)");
    st.rowNames.push_back("(出金合計)");
    st.rowNames.push_back("(差引残高)");
}

void AccumulateTotals(const std::vector<IoRecord>& lines, TotalsState& st) {
    st.table.assign(static_cast<size_t>(st.RowCount) + 1, {});
    auto& t = st.table;
    const int days = st.DayCount;
    const int weekCol = days + 1, periodCol = days + 2;
    const int sumRow = st.RowCount - 2; // + side: the income or expense total
    const int balRow = st.RowCount;
    const int32_t weekKey = DateKey(st.WeekStart.year, st.WeekStart.month, st.WeekStart.day);

    bool periodDone = false;
    int lastFilled = 0;
    int64_t carried = 0;
    auto fillBalance = [&](int from, int to) {
        for (int c = from; c <= to; ++c)
            t[balRow][c] = carried;
    };
    const size_t n = lines.size();
    for (size_t k = 0;;) {
        if (k >= n) {
            fillBalance(lastFilled + 1, days);
            break;
        }
        const IoRecord& line = lines[k];
        const int m = DateKey(line) - weekKey + 1;
        if (m > days) {
            if (lastFilled < days) {
                if (lastFilled == 0) carried = int64_t(line.Balance) + line.Expense - line.Income;
                fillBalance(lastFilled + 1, days);
                lastFilled = days;
            }
            if (periodDone) break;
        }
        if (!periodDone) {
            // The closing period is a contiguous run of lines: summed once, from its first line.
            size_t j = k;
            for (; j < n && InClosingPeriod(lines[j], st.periodStart, st.periodEnd); ++j) {
                LineClass c = ClassifyLine(lines[j], st.incomeList, st.expenseList);
                t[c.row][periodCol] += c.amount;
                t[sumRow + c.side][periodCol] += c.amount;
            }
            if (j > k) {
                periodDone = true;
                t[balRow][periodCol] = lines[j - 1].Balance;
            }
        }
        if (m > days) break;
        if (m < 1) {
            carried = line.Balance;
            ++k;
            continue;
        }
        if (lastFilled + 1 < m) {
            if (lastFilled == 0) carried = int64_t(line.Balance) + line.Expense - line.Income;
            fillBalance(lastFilled + 1, m - 1);
        }
        LineClass c = ClassifyLine(line, st.incomeList, st.expenseList);
        t[c.row][m] += c.amount;
        t[sumRow + c.side][m] += c.amount;
        t[sumRow + c.side][weekCol] += c.amount;
        t[c.row][weekCol] += c.amount;
        t[balRow][m] = line.Balance;
        lastFilled = m;
        carried = line.Balance;
        ++k;
    }
    t[balRow][weekCol] = t[balRow][days];
    if (!periodDone) t[balRow][periodCol] = t[balRow][days];
}

bool TotalsBudgetOf(const TotalsState& st, const BgtRecord& budget, int row, int32_t& amount, bool& exceeded) {
    int side, pos;
    if (row >= 1 && row < st.nIn) {
        side = 0;
        pos = row;
    } else if (row > st.nIn && row < st.nIn + st.nOut) {
        side = 1;
        pos = row - st.nIn;
    } else {
        return false;
    }
    if (budget.HeldYear != st.closingYear || st.closingMonth < 1 || st.closingMonth > 12) return false;
    if (pos >= static_cast<int>(st.itemSlots[side].size())) return false;
    int slot = st.itemSlots[side][pos];
    if (slot < 1 || slot > kBudgetSlotMax[side]) return false;
    amount = budget.at(st.closingMonth, side, slot);
    if (amount < 0) return false;
    exceeded = amount < st.table[row][st.DayCount + 2];
    return true;
}

} // namespace mrt
