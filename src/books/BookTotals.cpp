#include "books/BookTotals.h"

#include "books/BookLedger.h"
#include "ledger/LedgerBlock.h"
#include "names/NameTables.h"
#include "port/Dialogs.h"
#include "settings/IniRecord.h"
#include "util/DateText.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace mrt {
namespace {

int32_t dateNum(const CivilDate& d) {
    return DateNum(d.year, d.month, d.day);
}

CivilDate addDays(const CivilDate& d, int days) {
    CivilDate r;
    DateFromKey(DateKey(d.year, d.month, d.day) + days, r.year, r.month, r.day);
    return r;
}

struct BookRange {
    LedgerState st;
    bool empty = true;
};

} // namespace

void RemoveFromTotals(const IoRecord& line, TotalsState& st) {
    auto& t = st.table;
    const int days = st.DayCount;
    const int sumRow = st.RowCount - 2;
    const LineClass c = ClassifyLine(line, st.incomeList, st.expenseList);
    const int m = DateKey(line) - DateKey(st.WeekStart.year, st.WeekStart.month, st.WeekStart.day) + 1;
    if (m >= 1 && m <= days) {
        for (int col : {m, days + 1}) {
            t[c.row][col] -= c.amount;
            t[sumRow + c.side][col] -= c.amount;
        }
    }
    if (InClosingPeriod(line, st.periodStart, st.periodEnd)) {
        t[c.row][days + 2] -= c.amount;
        t[sumRow + c.side][days + 2] -= c.amount;
    }
}

int ComputeHouseholdTotals(const std::string& home, const std::vector<Book>& books, TotalsSession& s,
                           CivilDate& lastDate, bool rebuild) {
    TotalsState& st = s.state;
    Dialogs& dlg = *s.dlg;
    std::vector<BookRange> ranges(books.size());
    std::string error;
    int32_t first = 0, last = 0;
    for (size_t i = 0; i < books.size(); ++i) {
        if (OpenBookLedger(BookDataFolder(home, books[i].folder), ranges[i].st, dlg, error) != 0) {
            dlg.MsgOK(books[i].name + ": " + error, "集計データ読込み");
            return -1;
        }
        const LedgerIndex& idx = ranges[i].st.index;
        if (idx.YearCount == 0 || idx.FirstYear == 0) continue;
        ranges[i].empty = false;
        const int32_t f = DateNum(idx.FirstYear, idx.FirstMonth, idx.FirstDay);
        const int32_t l = DateNum(idx.LastYear, idx.LastMonth, idx.LastDay);
        if (first == 0 || f < first) first = f;
        if (l > last) last = l;
    }
    if (rebuild || st.RowCount == 0) {
        st.index = s.ledger->index;
        BuildTotalsRows(*s.names, st);
    }
    if (first == 0) {
        st.WeekStart = {0, 0, 0};
        st.DayCount = 0;
        st.table.assign(static_cast<size_t>(st.RowCount) + 1, {});
        return 0;
    }
    const CivilDate firstDay{first / 10000, first / 100 % 100, first % 100};
    const CivilDate lastDay{last / 10000, last / 100 % 100, last % 100};
    // The week as one ledger spanning all books would clamp it.
    if (dateNum(lastDate) > last) lastDate = lastDay;
    CivilDate weekStart = addDays(lastDate, -6);
    if (dateNum(weekStart) < first) {
        weekStart = firstDay;
        if (dateNum(weekStart) > dateNum(lastDate)) {
            lastDate = addDays(weekStart, 6);
            if (dateNum(lastDate) > last) lastDate = lastDay;
        }
    }
    st.LastDate = lastDate;
    st.WeekStart = weekStart;
    st.DayCount = DateKey(lastDate.year, lastDate.month, lastDate.day) -
                  DateKey(weekStart.year, weekStart.month, weekStart.day) + 1;
    st.closingDay = EffectiveClosingDay(s.settings->ClosingDay);
    ClosingMonthOf(lastDate, st.closingDay, st.closingYear, st.closingMonth);
    ClosingPeriodOf(st.closingYear, st.closingMonth, st.closingDay, st.periodStart, st.periodEnd);
    st.index.FirstYear = firstDay.year, st.index.FirstMonth = firstDay.month, st.index.FirstDay = firstDay.day;
    st.index.LastYear = lastDay.year, st.index.LastMonth = lastDay.month, st.index.LastDay = lastDay.day;

    int sy = st.periodStart.year, sm = st.periodStart.month;
    if (CompareYearMonth(weekStart.year, weekStart.month, sy, sm) < 0) sy = weekStart.year, sm = weekStart.month;
    int ey = st.closingYear, em = st.closingMonth;
    if (CompareYearMonth(ey, em, lastDate.year, lastDate.month) < 0) ey = lastDate.year, em = lastDate.month;

    std::vector<Transfer> transfers;
    if (LoadTransfers(home, transfers, error) != 0) {
        dlg.MsgOK(error, "集計データ読込み");
        return -1;
    }
    // Each transfer takes one line of each of its books out of the totals.
    using Side = std::tuple<std::string, int32_t, bool, int32_t>;
    std::map<Side, int> toDrop;
    for (const Transfer& t : transfers) {
        ++toDrop[Side{t.from, DateNum(t.year, t.month, t.day), true, t.amount}];
        ++toDrop[Side{t.to, DateNum(t.year, t.month, t.day), false, t.amount}];
    }

    std::vector<std::array<int64_t, kTotalsColumns + 1>> sum(static_cast<size_t>(st.RowCount) + 1);
    const int cols = st.DayCount + 2;
    for (size_t i = 0; i < books.size(); ++i) {
        if (ranges[i].empty) continue;
        LedgerState& b = ranges[i].st;
        const LedgerIndex& idx = b.index;
        std::vector<IoRecord> lines;
        int by = sy, bm = sm;
        if (CompareYearMonth(by, bm, idx.FirstYear, idx.FirstMonth) < 0) by = idx.FirstYear, bm = idx.FirstMonth;
        int ly = ey, lm = em;
        if (CompareYearMonth(ly, lm, idx.LastYear, idx.LastMonth) > 0) ly = idx.LastYear, lm = idx.LastMonth;
        if (CompareYearMonth(by, bm, ly, lm) <= 0) {
            b.index.BlockStartYear = by;
            b.index.BlockStartMonth = bm;
            b.index.BlockSpan = MonthsFromTo(by, bm, ly, lm);
            if (LoadLedgerBlock(b, lines, true, dlg) != 0) {
                dlg.MsgOK(books[i].name + ": 集計データ読込みに失敗しました。", "集計データ読込み");
                return -1;
            }
        }
        TotalsState one = st;
        if (lines.empty()) {
            // No line in the months read: the book's balance is the one before them (or 0 when it
            // starts after them), all week long.
            int64_t balance = 0;
            if (BookBalanceAt(BookDataFolder(home, books[i].folder), lastDate, dlg, balance, error) != 0) {
                dlg.MsgOK(books[i].name + ": " + error, "集計データ読込み");
                return -1;
            }
            one.table.assign(static_cast<size_t>(st.RowCount) + 1, {});
            for (int c = 1; c <= cols; ++c)
                one.table[static_cast<size_t>(st.RowCount)][static_cast<size_t>(c)] = balance;
        } else {
            AccumulateTotals(lines, one);
            // Days before the book's start hold no money of it.
            const int32_t start = DateNum(idx.FirstYear, idx.FirstMonth, idx.FirstDay);
            for (int c = 1; c <= st.DayCount; ++c)
                if (dateNum(addDays(weekStart, c - 1)) < start) one.table[static_cast<size_t>(st.RowCount)][c] = 0;
            auto& bal = one.table[static_cast<size_t>(st.RowCount)];
            bal[st.DayCount + 1] = bal[st.DayCount];
            if (std::none_of(lines.begin(), lines.end(),
                             [&](const IoRecord& l) { return InClosingPeriod(l, st.periodStart, st.periodEnd); }))
                bal[st.DayCount + 2] = bal[st.DayCount];
            for (const IoRecord& l : lines) {
                const bool out = l.Income < 1;
                auto it = toDrop.find(Side{books[i].folder, DateNum(l), out, out ? l.Expense : l.Income});
                if (it == toDrop.end() || it->second == 0) continue;
                std::string item = l.ItemName;
                while (!item.empty() && item.back() == ' ')
                    item.pop_back();
                if (item != kTransferItem) continue;
                --it->second;
                RemoveFromTotals(l, one);
            }
        }
        for (int r = 1; r <= st.RowCount; ++r)
            for (int c = 1; c <= cols; ++c)
                sum[static_cast<size_t>(r)][static_cast<size_t>(c)] +=
                    one.table[static_cast<size_t>(r)][static_cast<size_t>(c)];
    }
    st.table = std::move(sum);
    LoadBudget(*s.budget, st.closingYear, s.names->items, s.budgetPlace, dlg);
    if (s.view) s.view->ShowTotals(st, *s.budget, rebuild);
    return 0;
}

void UseHouseholdTotals(TotalsSession& s, const std::string& home, const std::vector<Book>& books) {
    s.budgetPlace = {BookDataFolder(home, books.front().folder),
                     ResolveCase(BookDataFolder(home, books.front().folder), "BU") + "/"};
    s.compute = [home, books](TotalsSession& session, CivilDate& lastDate, bool rebuild) {
        return ComputeHouseholdTotals(home, books, session, lastDate, rebuild);
    };
}

} // namespace mrt
