#include "books/BookLedger.h"

#include "ledger/LedgerBalance.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LineRules.h"
#include "util/DateText.h"

#include <climits>
#include <sys/stat.h>

namespace mrt {

int OpenBookLedger(const std::string& dataFolder, LedgerState& st, Dialogs& dlg, std::string& error) {
    st = LedgerState{};
    st.index.SetDataFolder(dataFolder);
    st.BlockMonthsInUse = 1;
    st.MaxBlockLines = INT_MAX;
    struct stat sb;
    if (::stat(dataFolder.c_str(), &sb) != 0) return 0; // nothing recorded yet
    if (ScanLedgerYears(st, dlg) == 0) return 0;
    error = LedgerReadFailedMessage(st);
    return -1;
}

int LoadMonthBlock(LedgerState& st, int year, int month, Dialogs& dlg, std::string& error) {
    LedgerIndex& idx = st.index;
    int r = 0;
    if (CompareYearMonth(year, month, idx.LastYear, idx.LastMonth) >= 0) {
        r = LoadStartBlock(st, dlg);
    } else {
        while (idx.LinesOf(year, month) == 0 && CompareYearMonth(year, month, idx.FirstYear, idx.FirstMonth) > 0)
            AddMonths(year, month, -1);
        idx.BlockStartYear = year;
        idx.BlockStartMonth = month;
        idx.BlockSpan = 1;
        r = LoadLedgerBlock(st, st.block, false, dlg);
    }
    if (r != 0) error = LedgerReadFailedMessage(st);
    return r == 0 ? 0 : -1;
}

int InsertBookLine(LedgerState& st, const IoRecord& line, Dialogs& dlg, std::string& error) {
    const LedgerIndex& idx = st.index;
    if (idx.YearCount == 0) {
        error = "開始日付がありません。先に初期残高を登録してください。";
        return -1;
    }
    if (LineDateFault f =
            CheckLineDate(line.Year, line.Month, line.Day, DateNum(idx.FirstYear, idx.FirstMonth, idx.FirstDay));
        f != LineDateFault::None) {
        error = LineDateMessage(f);
        return -1;
    }
    if (!idx.HoldsYearIndex(idx.YearIndex(line.Year))) {
        error = kBadDateMessage;
        return -1;
    }
    if (LoadMonthBlock(st, line.Year, line.Month, dlg, error) != 0) return -1;
    size_t pos = st.block.size();
    while (pos > 0 && DateNum(st.block[pos - 1]) > DateNum(line))
        --pos;
    IoRecord l = line;
    int64_t before = pos == 0 ? BalanceBefore(st.block.front()) : st.block[pos - 1].Balance;
    if (before < INT32_MIN || before > INT32_MAX || !BalanceAfter(static_cast<int32_t>(before), l, l.Balance)) {
        error = "残高が計算できる範囲を超えました。";
        return -1;
    }
    st.block.insert(st.block.begin() + static_cast<std::ptrdiff_t>(pos), l);
    if (!RecomputeBalances(st.block, pos + 1)) {
        error = "残高が計算できる範囲を超えました。";
        return -1;
    }
    if (BreaksDateOrder(st.block, pos)) st.PreSortF = true;
    st.LedgerModified = true;
    return 0;
}

int BookBalanceAt(const std::string& dataFolder, const CivilDate& day, Dialogs& dlg, int64_t& balance,
                  std::string& error) {
    balance = 0;
    LedgerState st;
    if (OpenBookLedger(dataFolder, st, dlg, error) != 0) return -1;
    const LedgerIndex& idx = st.index;
    if (idx.YearCount == 0) return 0;
    const int32_t dayNum = DateNum(day.year, day.month, day.day);
    if (dayNum < DateNum(idx.FirstYear, idx.FirstMonth, idx.FirstDay)) return 0;
    int y = day.year, m = day.month;
    if (CompareYearMonth(y, m, idx.LastYear, idx.LastMonth) > 0) y = idx.LastYear, m = idx.LastMonth;
    // The month holding the day's last line, or the nearest earlier one with lines.
    while (idx.LinesOf(y, m) == 0 && CompareYearMonth(y, m, idx.FirstYear, idx.FirstMonth) > 0)
        AddMonths(y, m, -1);
    st.index.BlockStartYear = y;
    st.index.BlockStartMonth = m;
    st.index.BlockSpan = 1;
    std::vector<IoRecord> lines;
    if (LoadLedgerBlock(st, lines, true, dlg) != 0) {
        error = LedgerReadFailedMessage(st);
        return -1;
    }
    if (lines.empty()) return 0;
    balance = BalanceBefore(lines.front());
    for (const IoRecord& l : lines)
        if (DateNum(l) <= dayNum) balance = l.Balance;
    return 0;
}

} // namespace mrt

namespace mrt {
namespace {

// Loads the month of the line and finds it; the index in st.block, or -1 / -2 (error set).
int findInMonth(LedgerState& st, int year, int month, int day, const std::function<bool(const IoRecord&)>& match,
                Dialogs& dlg, std::string& error) {
    if (st.index.YearCount == 0 || st.index.LinesOf(year, month) == 0) return -1;
    if (LoadMonthBlock(st, year, month, dlg, error) != 0) return -2;
    for (size_t i = 0; i < st.block.size(); ++i) {
        const IoRecord& l = st.block[i];
        if (l.Year == year && l.Month == month && l.Day == day && match(l)) return static_cast<int>(i);
    }
    return -1;
}

} // namespace

int RemoveBookLine(LedgerState& st, int year, int month, int day, const std::function<bool(const IoRecord&)>& match,
                   Dialogs& dlg, std::string& error) {
    int i = findInMonth(st, year, month, day, match, dlg, error);
    if (i < 0) return i == -1 ? 1 : -1;
    if (st.block.size() == 1) {
        // A block is never saved empty: it reaches back to the nearest earlier month with lines.
        int py = year, pm = month;
        do
            AddMonths(py, pm, -1);
        while (st.index.LinesOf(py, pm) == 0 && CompareYearMonth(py, pm, st.index.FirstYear, st.index.FirstMonth) > 0);
        if (st.index.LinesOf(py, pm) == 0) {
            error = "家計簿の最初の行は削除できません。";
            return -1;
        }
        st.index.BlockStartYear = py;
        st.index.BlockStartMonth = pm;
        st.index.BlockSpan = MonthsFromTo(py, pm, year, month);
        if (LoadLedgerBlock(st, st.block, false, dlg) != 0) {
            error = LedgerReadFailedMessage(st);
            return -1;
        }
        i = -1;
        for (size_t k = 0; k < st.block.size(); ++k) {
            const IoRecord& l = st.block[k];
            if (l.Year == year && l.Month == month && l.Day == day && match(l)) i = static_cast<int>(k);
        }
        if (i < 0) return 1;
    }
    const size_t pos = static_cast<size_t>(i);
    const int64_t before = pos == 0 ? BalanceBefore(st.block.front()) : st.block[pos - 1].Balance;
    st.block.erase(st.block.begin() + i);
    if (pos == 0) {
        IoRecord& first = st.block.front();
        int32_t after = 0;
        if (before < INT32_MIN || before > INT32_MAX || !BalanceAfter(static_cast<int32_t>(before), first, after)) {
            error = "残高が計算できる範囲を超えました。";
            return -1;
        }
        first.Balance = after;
    }
    if (!RecomputeBalances(st.block, pos == 0 ? 1 : pos)) {
        error = "残高が計算できる範囲を超えました。";
        return -1;
    }
    st.LedgerModified = true;
    return 0;
}

int ChangeBookLine(LedgerState& st, int year, int month, int day, const std::function<bool(const IoRecord&)>& match,
                   const IoRecord& now, Dialogs& dlg, std::string& error) {
    int i = findInMonth(st, year, month, day, match, dlg, error);
    if (i < 0) return i == -1 ? 1 : -1;
    const size_t pos = static_cast<size_t>(i);
    IoRecord& l = st.block[pos];
    const int64_t before = pos == 0 ? BalanceBefore(l) : st.block[pos - 1].Balance;
    l.Income = now.Income;
    l.Expense = now.Expense;
    l.Note = now.Note;
    if (before < INT32_MIN || before > INT32_MAX || !BalanceAfter(static_cast<int32_t>(before), l, l.Balance) ||
        !RecomputeBalances(st.block, pos + 1)) {
        error = "残高が計算できる範囲を超えました。";
        return -1;
    }
    st.LedgerModified = true;
    return 0;
}

} // namespace mrt
