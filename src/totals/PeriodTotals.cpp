#include "totals/PeriodTotals.h"

#include "ledger/LedgerBlock.h"
#include "util/DateText.h"

#include <algorithm>
#include <climits>

namespace mrt {

namespace {

int32_t dateNum(const CivilDate& d) {
    return DateNum(d.year, d.month, d.day);
}

} // namespace

int ComputePeriodTotals(const LedgerIndex& index, const TotalsState& rowsOf, int closingDay, int year, int month,
                        int count, std::vector<PeriodTotal>& out, Dialogs& dlg) {
    out.assign(std::max(count, 0), PeriodTotal());
    if (count <= 0) return 0;
    closingDay = EffectiveClosingDay(closingDay);
    for (int p = 0; p < count; ++p) {
        PeriodTotal& t = out[p];
        t.year = year;
        t.month = month;
        AddMonths(t.year, t.month, p - (count - 1));
        ClosingPeriodOf(t.year, t.month, closingDay, t.start, t.end);
        t.rows.assign(static_cast<size_t>(rowsOf.RowCount) + 1, 0);
    }
    if (index.YearCount == 0 || index.FirstYear == 0) return 0;

    // The months of the periods that the ledger holds.
    int sy = out.front().start.year, sm = out.front().start.month;
    if (CompareYearMonth(sy, sm, index.FirstYear, index.FirstMonth) < 0) sy = index.FirstYear, sm = index.FirstMonth;
    const int ey = out.back().year, em = out.back().month;
    if (CompareYearMonth(sy, sm, index.LastYear, index.LastMonth) > 0 || CompareYearMonth(ey, em, sy, sm) < 0) return 0;
    LedgerState reader;
    reader.index = index;
    reader.MaxBlockLines = INT_MAX;
    reader.index.BlockStartYear = sy;
    reader.index.BlockStartMonth = sm;
    reader.index.BlockSpan = MonthsFromTo(sy, sm, ey, em);
    std::vector<IoRecord> lines;
    if (LoadLedgerBlock(reader, lines, true, dlg) != 0) return -1;

    const int sumRow = rowsOf.RowCount - 2, balRow = rowsOf.RowCount;
    std::vector<int32_t> starts;
    for (const PeriodTotal& t : out)
        starts.push_back(dateNum(t.start));
    const int32_t lastEnd = dateNum(out.back().end);
    int64_t carried = 0;
    for (const IoRecord& line : lines) {
        const int32_t d = DateNum(line);
        if (d < starts.front()) {
            carried = line.Balance;
            continue;
        }
        if (d > lastEnd) continue;
        const int p = static_cast<int>(std::upper_bound(starts.begin(), starts.end(), d) - starts.begin()) - 1;
        PeriodTotal& t = out[p];
        const LineClass c = ClassifyLine(line, rowsOf.incomeList, rowsOf.expenseList);
        t.rows[c.row] += c.amount;
        t.rows[sumRow + c.side] += c.amount;
        t.rows[balRow] = line.Balance;
        t.hasLines = true;
    }
    // Balances carried over periods without lines.
    for (PeriodTotal& t : out) {
        if (t.hasLines)
            carried = t.rows[balRow];
        else
            t.rows[balRow] = carried;
    }
    return 0;
}

std::vector<PeriodSeries> ExpenseSeries(const TotalsState& rowsOf, const std::vector<PeriodTotal>& periods,
                                        int maxSeries) {
    struct Candidate {
        int row;
        int64_t sum;
    };
    std::vector<Candidate> rows;
    for (int r = rowsOf.nIn + 1; r <= rowsOf.nIn + rowsOf.nOut; ++r) {
        int64_t sum = 0;
        for (const PeriodTotal& p : periods)
            sum += p.rows[r];
        if (sum > 0) rows.push_back({r, sum});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Candidate& a, const Candidate& b) { return a.sum > b.sum; });
    const size_t shown =
        rows.size() > static_cast<size_t>(maxSeries) ? static_cast<size_t>(std::max(maxSeries - 1, 0)) : rows.size();
    std::vector<PeriodSeries> series;
    for (size_t i = 0; i < shown; ++i) {
        PeriodSeries s{rowsOf.rowNames[rows[i].row], {}};
        for (const PeriodTotal& p : periods)
            s.values.push_back(p.rows[rows[i].row]);
        series.push_back(std::move(s));
    }
    if (shown < rows.size()) {
        PeriodSeries rest{"その他", std::vector<int64_t>(periods.size(), 0)};
        for (size_t i = shown; i < rows.size(); ++i)
            for (size_t p = 0; p < periods.size(); ++p)
                rest.values[p] += periods[p].rows[rows[i].row];
        series.push_back(std::move(rest));
    }
    return series;
}

std::vector<BudgetBar> ExpenseBudgetBars(const TotalsState& st, const BgtRecord& budget) {
    std::vector<BudgetBar> bars;
    const int periodCol = st.DayCount + 2;
    for (int r = st.nIn + 1; r <= st.nIn + st.nOut; ++r) {
        BudgetBar b;
        b.name = st.rowNames[r];
        b.total = st.table[r][periodCol];
        b.hasBudget = TotalsBudgetOf(st, budget, r, b.budget, b.over);
        if (r == st.expenseUnknownRow() && b.total == 0) continue;
        bars.push_back(std::move(b));
    }
    return bars;
}

} // namespace mrt
