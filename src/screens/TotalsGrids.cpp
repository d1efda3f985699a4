#include "screens/TotalsGrids.h"

#include "settings/IniRecord.h"
#include "util/Cp932.h"
#include "util/FontFaces.h"

#include <algorithm>

namespace mrt {

namespace {

constexpr int kShownIncomeRows = 5;
constexpr int kShownExpenseRows = 16;

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
