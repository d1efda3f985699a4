#include "totals/TotalsGrids.h"

#include "settings/IniRecord.h"
#include "util/Cp932.h"
#include "util/DateText.h"
#include "util/FontFaces.h"

#include <algorithm>
#include <cstdio>

namespace mrt {

namespace {

constexpr int kShownIncomeRows = 5;
constexpr int kShownExpenseRows = 16;

std::string twoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

std::string fullWidthDigits(int v) {
    static const char* kDigits[10] = {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
    std::string out;
    for (char c : std::to_string(v))
        out += kDigits[c - '0'];
    return out;
}

std::string longDate(const CivilDate& d) {
    return std::to_string(d.year) + "年" + std::to_string(d.month) + "月" + std::to_string(d.day) + "日";
}

std::string ledgerDate(int y, int m, int d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d", y);
    return std::string(buf) + "年" + twoDigits(m) + "月" + twoDigits(d) + "日";
}

std::string trimmed(const std::string& s) {
    const size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// The table row shown on a grid row.
int tableRow(const TotalsState& st, int grid, int gridRow) {
    switch (grid) {
    case 0:
        return gridRow;
    case 1:
        return st.nIn + 1 + gridRow;
    default:
        return st.RowCount - 2 + gridRow;
    }
}

int firstDataRow(int grid) {
    return grid == 0 ? 1 : 0;
}

void setAllWidths(const TotalsGridModels& g, int col, int twips) {
    for (GridModel* m : g)
        m->SetColWidth(col, twips);
}

// Full build: sizes, formats and colours of the three grids for the current rows and columns.
void fullBuild(const TotalsGridModels& g, const TotalsState& st, const std::vector<std::string>& headers,
               const TextMeasure& measure, TotalsLayout& layout) {
    const int cols = static_cast<int>(headers.size());
    const TextSize a = measure("A");
    const int rowH = static_cast<int>(1.9 * a.height + 0.5);
    const int rows[3] = {st.nIn + 1, st.nOut, 3};
    for (int i = 0; i < 3; ++i) {
        GridModel& m = *g[i];
        m.SetRedraw(false);
        m.SetFontName(kGothicFace);
        m.SetFontSize(9);
        m.SetFixedRows(0);
        m.SetFixedCols(0);
        m.SetRows(rows[i]);
        m.SetCols(cols);
        m.SetFixedCols(1);
        m.SetFixedRows(i == 0 ? 1 : 0);
        m.ClearCells();
        m.SetDefaultRowHeight(rowH);
        m.SetAllRowHeights(rowH);
        m.SetHighLight(GridHighLight::Never);
        m.SetFocusRect(GridFocusRect::None);
        m.SetBackColorBkg(kTotalsWindowBack);
        for (int c = 1; c < cols; ++c)
            m.SetColAlignment(c, GridAlign::Right);
        m.SetColAlignment(0, GridAlign::Left);
    }
    // Widths: each header's width; the name column also fits the longest name.
    for (int c = 0; c < cols; ++c)
        setAllWidths(g, c, measure(headers[c]).width);
    int nameWidth = measure(headers[0]).width;
    for (int r = 1; r <= st.RowCount; ++r)
        nameWidth = std::max(nameWidth, measure(st.rowNames[r] + " ").width);
    setAllWidths(g, 0, nameWidth);

    // Item rows, name column included; every second one tinted by column group.
    for (int i = 0; i < 2; ++i) {
        GridModel& m = *g[i];
        for (int r = firstDataRow(i); r < m.Rows(); ++r) {
            const bool tint = (r - firstDataRow(i)) % 2 == 0;
            for (int c = 0; c < cols; ++c) {
                GridColor back = kTotalsItemBack;
                if (tint && c >= 1)
                    back = c <= st.DayCount       ? kTotalsTintDays
                           : c <= st.DayCount + 2 ? kTotalsTintWeekMonth
                                                  : kTotalsTintBudget;
                m.SetCellBackColorAt(r, c, back);
                m.SetCellForeColorAt(r, c, kTotalsItemText);
                m.SetCellFontSizeAt(r, c, 9);
            }
        }
    }
    GridModel& g0 = *g[0];
    for (int c = 0; c < cols; ++c) {
        g0.SetCellBackColorAt(0, c, kTotalsHeaderBack);
        g0.SetCellForeColorAt(0, c, Rgb(255, 255, 255));
        g0.SetCellFontSizeAt(0, c, 8);
    }
    // The header row centred, the names below it left-aligned.
    g0.SetCursor(0, 0);
    g0.SetRowSel(0);
    g0.SetColSel(cols - 1);
    g0.SetCellAlignment(GridAlign::Center);
    g0.SetCursor(1, 1);
    const GridColor sums[3] = {kTotalsIncomeSumBack, kTotalsExpenseSumBack, kTotalsBalanceBack};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < cols; ++c)
            g[2]->SetCellBackColorAt(r, c, sums[r]);
    g[2]->SetCellForeColorAt(2, 0, kTotalsBalanceText);

    for (int i = 0; i < 3; ++i)
        for (int r = firstDataRow(i); r < g[i]->Rows(); ++r)
            g[i]->SetTextMatrix(r, 0, st.rowNames[tableRow(st, i, r)]);

    layout.rowHeight = rowH;
    layout.rowsShown = {1 + std::min(kShownIncomeRows, st.nIn), std::min(kShownExpenseRows, st.nOut), 3};
    layout.scrolls = {st.nIn > kShownIncomeRows, st.nOut > kShownExpenseRows, false};
    for (int i = 0; i < 3; ++i) {
        g[i]->SetScrollBars(layout.scrolls[i] ? GridScrollBars::Vertical : GridScrollBars::None);
        g[i]->SetTopRow(firstDataRow(i));
    }
}

void fillGrids(const TotalsGridModels& g, TotalsState& st, const BgtRecord& budget, const TextMeasure& measure) {
    const int budgetCol = st.DayCount + 3;
    const int pad = measure("A").width;
    for (int i = 0; i < 3; ++i) {
        GridModel& m = *g[i];
        for (int r = firstDataRow(i); r < m.Rows(); ++r) {
            for (int c = 1; c < m.Cols(); ++c)
                m.SetCellForeColorAt(r, c, Rgb(0, 0, 0));
            const int row = tableRow(st, i, r);
            for (int c = 1; c <= st.DayCount + 2; ++c) {
                const std::string text = TotalsAmountText(st.table[row][c]);
                m.SetTextMatrix(r, c, text);
                // An amount wider than its column widens it rather than being cut.
                if (AnsiByteLength(text) > 10) {
                    const int need = measure(trimmed(text)).width + pad;
                    if (need > m.ColWidth(c)) setAllWidths(g, c, need);
                }
            }
            if (i == 2 || r == m.Rows() - 1) {
                m.SetTextMatrix(r, budgetCol, "");
                continue;
            }
            bool exceeded = false;
            m.SetTextMatrix(r, budgetCol, TotalsBudgetText(st, budget, row, exceeded));
            if (exceeded) m.SetCellForeColorAt(r, budgetCol, i == 0 ? kBudgetOverIncome : kBudgetOverExpense);
        }
        st.gridColumns[i] = m.Cols();
    }
}

} // namespace

CivilDate TotalsColumnDate(const TotalsState& st, int column) {
    CivilDate d;
    DateFromKey(DateKey(st.WeekStart.year, st.WeekStart.month, st.WeekStart.day) + column - 1, d.year, d.month, d.day);
    return d;
}

std::string TotalsDayHeader(const CivilDate& d) {
    static const char* kWeekdays[7] = {"日", "月", "火", "水", "木", "金", "土"};
    const int key = DateKey(d.year, d.month, d.day); // key 0, 30 December 1899, was a Saturday
    return twoDigits(d.month) + "/" + twoDigits(d.day) + "(" + kWeekdays[((key % 7) + 6) % 7] + ")";
}

std::vector<std::string> SetTotalsHeaders(const TotalsState& st) {
    std::vector<std::string> h{" 項 目 名  "};
    for (int c = 1; c <= st.DayCount; ++c)
        h.push_back(TotalsDayHeader(TotalsColumnDate(st, c)));
    h.push_back(" 週 合 計 ");
    h.push_back(" 月 合 計 ");
    h.push_back(" 予 算 額 ");
    return h;
}

std::string FormatPeriodDate(const CivilDate& bound, bool end) {
    CivilDate d = bound;
    if (d.day > DaysInMonth(d.year, d.month)) {
        if (end) {
            d.day = DaysInMonth(d.year, d.month);
        } else {
            d.day = 1;
            if (++d.month > 12) {
                d.month = 1;
                ++d.year;
            }
        }
    }
    return FormatDate(d.year, d.month, d.day);
}

std::string ClosingTotalHeader(int month) {
    return std::to_string(month) + "月" + "締合計";
}

std::string ClosingBudgetHeader(int month) {
    return std::to_string(month) + "月" + "予算 ";
}

std::string TotalsAmountText(int64_t amount) {
    const std::string t = GroupedAmount(amount);
    return t.size() < 10 ? std::string(10 - t.size(), ' ') + t : t;
}

std::string GroupedAmount(int64_t amount) {
    const uint64_t magnitude = amount < 0 ? 0 - static_cast<uint64_t>(amount) : static_cast<uint64_t>(amount);
    const std::string digits = std::to_string(magnitude);
    std::string out = amount < 0 ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string TotalsBudgetText(const TotalsState& st, const BgtRecord& budget, int row, bool& exceeded) {
    int32_t amount = 0;
    exceeded = false;
    if (!TotalsBudgetOf(st, budget, row, amount, exceeded)) return {};
    return GroupedAmount(amount);
}

int ClosingMarkColumn(const TotalsState& st) {
    for (int i = 1; i <= st.DayCount; ++i) {
        const int d = TotalsColumnDate(st, i).day;
        if (st.closingDay == 31) {
            if (i > 1 && d < TotalsColumnDate(st, i - 1).day) return i - 1;
            if (i == st.DayCount && TotalsColumnDate(st, i + 1).day < d) return i;
        }
        if (d == st.closingDay) return i;
    }
    return 0;
}

TotalsLabels TotalsLabelTexts(const TotalsState& st) {
    TotalsLabels l;
    const LedgerIndex& x = st.index;
    l.registered =
        ledgerDate(x.FirstYear, x.FirstMonth, x.FirstDay) + "～" + ledgerDate(x.LastYear, x.LastMonth, x.LastDay);
    l.shown = longDate(st.WeekStart) + "～" + longDate(st.LastDate);
    l.closing = (st.closingDay == 31 ? std::string("末") : fullWidthDigits(st.closingDay)) + "日締";
    return l;
}

void TotalsGridRow(const TotalsState& st, int row, int& grid, int& gridRow) {
    if (row <= st.nIn) {
        grid = 0;
        gridRow = row;
    } else if (row <= st.nIn + st.nOut) {
        grid = 1;
        gridRow = row - st.nIn - 1;
    } else {
        grid = 2;
        gridRow = row - (st.RowCount - 2);
    }
}

TotalsLayout ShowTotalsOnGrids(const TotalsGridModels& g, TotalsState& st, const BgtRecord& budget,
                               const TextMeasure& measure, bool rebuild) {
    TotalsLayout layout;
    const std::vector<std::string> headers = SetTotalsHeaders(st);
    const int cols = static_cast<int>(headers.size());
    GridModel& g0 = *g[0];
    layout.fullBuild = rebuild || st.builtColumns != cols;
    if (layout.fullBuild) {
        st.builtColumns = cols;
        fullBuild(g, st, headers, measure, layout);
    } else {
        g0.SetRedraw(false);
        for (int c = 0; c < cols; ++c)
            g0.SetCellBackColorAt(0, c, kTotalsHeaderBack);
    }
    for (int c = 0; c < cols; ++c)
        g0.SetTextMatrix(0, c, headers[c]);
    g0.SetTextMatrix(0, st.DayCount + 2, ClosingTotalHeader(st.closingMonth));
    g0.SetTextMatrix(0, st.DayCount + 3, ClosingBudgetHeader(st.closingMonth));
    fillGrids(g, st, budget, measure);
    if (const int mark = ClosingMarkColumn(st)) g0.SetCellBackColorAt(0, mark, kTotalsClosingMark);
    for (GridModel* m : g)
        m->SetRedraw(true);
    return layout;
}

int StoreTotalsWindowState(IniRecord& settings, const std::string& path, int state) {
    if (state == settings.TotalsWindowState) return 0;
    settings.TotalsWindowState = static_cast<int16_t>(state);
    return WriteSettings(path, settings);
}

} // namespace mrt
