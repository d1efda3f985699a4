#pragma once
#include "grid/GridModel.h"
#include "screens/LedgerSheet.h"
#include "totals/Totals.h"
#include "totals/TotalsText.h"

#include <array>
#include <string>
#include <vector>

namespace mrt {

// Colours of the totals window.
constexpr GridColor kTotalsWindowBack = Rgb(184, 202, 184);
constexpr GridColor kTotalsCaptionText = Rgb(0, 80, 16);
constexpr GridColor kTotalsHeaderBack = Rgb(48, 112, 211);
constexpr GridColor kTotalsClosingMark = Rgb(16, 64, 160);
constexpr GridColor kTotalsItemBack = Rgb(255, 216, 232);
constexpr GridColor kTotalsItemText = Rgb(96, 64, 64);
constexpr GridColor kTotalsTintDays = Rgb(240, 255, 255);
constexpr GridColor kTotalsTintWeekMonth = Rgb(240, 255, 240);
constexpr GridColor kTotalsTintBudget = Rgb(224, 240, 255);
constexpr GridColor kTotalsIncomeSumBack = Rgb(216, 255, 184);
constexpr GridColor kTotalsExpenseSumBack = Rgb(255, 255, 208);
constexpr GridColor kTotalsBalanceBack = Rgb(192, 240, 255);
constexpr GridColor kTotalsBalanceText = Rgb(0, 48, 48);
constexpr GridColor kBudgetOverIncome = Rgb(0, 176, 0);
constexpr GridColor kBudgetOverExpense = Rgb(255, 0, 0);

// The three grids: 0 income rows under the header row, 1 expense rows, 2 the summary rows.
using TotalsGridModels = std::array<GridModel*, 3>;
// Grid and grid row of a totals row (1..RowCount).
void TotalsGridRow(const TotalsState& st, int row, int& grid, int& gridRow);

// How tall the grids are: rows shown (header row included) and whether they scroll; row height in
// twips. Set by a full build.
struct TotalsLayout {
    std::array<int, 3> rowsShown{};
    std::array<bool, 3> scrolls{};
    int rowHeight = 0;
    bool fullBuild = false;
};

// Everything ComputeTotals hands to the window, on the grids: the header list, the grids
// (rebuilt with sizes and colours when `rebuild` is set or the column count changed, otherwise
// only the header row's colour reset), the two closing-month headers, the cell texts and budget
// colours, and the closing-day mark. `measure` measures in the window's font ("ＭＳ ゴシック"
// 10 pt). Columns are widened to a longer amount or item name than their header.
TotalsLayout ShowTotalsOnGrids(const TotalsGridModels& grids, TotalsState& st, const BgtRecord& budget,
                               const TextMeasure& measure, bool rebuild);

// Stores the window state of the totals window when it differs; 0 unchanged or written, -1 the
// settings file could not be written.
int StoreTotalsWindowState(IniRecord& settings, const std::string& path, int state);

} // namespace mrt
