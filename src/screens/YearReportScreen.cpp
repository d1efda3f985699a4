#include "screens/YearReportScreen.h"

#include "port/Dialogs.h"
#include "screens/TotalsGrids.h"
#include "util/FontFaces.h"

#include <algorithm>

namespace mrt {

namespace {

constexpr const char* kTitle = "年間集計";

GridColor rowBack(const YearReportRow& r, int index) {
    switch (r.kind) {
    case YearReportRow::Kind::IncomeSum:
        return kTotalsIncomeSumBack;
    case YearReportRow::Kind::ExpenseSum:
        return kTotalsExpenseSumBack;
    case YearReportRow::Kind::Balance:
        return kTotalsBalanceBack;
    default:
        return index % 2 == 0 ? kTotalsTintDays : kTotalsItemBack;
    }
}

} // namespace

std::vector<YearSeries> YearSpendingSeries(const YearReport& report, int maxSeries) {
    std::vector<const YearReportRow*> rows;
    for (const YearReportRow& r : report.rows)
        if (r.side == 1 && !r.IsSummary() && r.total > 0) rows.push_back(&r);
    std::stable_sort(rows.begin(), rows.end(), [](auto* a, auto* b) { return a->total > b->total; });
    const size_t shown =
        rows.size() > static_cast<size_t>(maxSeries) ? static_cast<size_t>(std::max(maxSeries - 1, 0)) : rows.size();
    std::vector<YearSeries> series;
    for (size_t i = 0; i < shown; ++i)
        series.push_back({rows[i]->name, rows[i]->months});
    if (shown < rows.size()) {
        YearSeries rest{"その他", {}};
        for (size_t i = shown; i < rows.size(); ++i)
            for (int m = 0; m < 12; ++m)
                rest.values[m] += rows[i]->months[m];
        series.push_back(rest);
    }
    return series;
}

int YearRowOfKind(const YearReport& report, YearReportRow::Kind kind) {
    for (size_t i = 0; i < report.rows.size(); ++i)
        if (report.rows[i].kind == kind) return static_cast<int>(i);
    return -1;
}

YearReportScreen::YearReportScreen(std::string dataFolder, const YearReportOptions& options)
    : m_dataFolder(std::move(dataFolder)), m_options(options) {}

int YearReportScreen::Load(Dialogs& dlg) {
    YearReport next;
    std::string why;
    if (LoadYearReport(m_dataFolder, m_options, next, dlg, why) != 0) {
        if (!why.empty()) dlg.MsgOK("年間集計データの読込みに失敗しました。\r\n" + why, kTitle);
        return -1;
    }
    m_report = std::move(next);
    return 0;
}

int YearReportScreen::MoveYear(int years, Dialogs& dlg) {
    const YearReportOptions before = m_options;
    m_options.year = std::clamp(m_options.year + years, 1901, 2099);
    if (m_options.year == before.year) return 0;
    if (Load(dlg) == 0) return 0;
    m_options = before;
    return -1;
}

int YearReportScreen::TogglePeriods(Dialogs& dlg) {
    const YearReportOptions before = m_options;
    m_options.periods = !m_options.periods;
    if (Load(dlg) == 0) return 0;
    m_options = before;
    return -1;
}

std::string YearReportScreen::Caption() const {
    return m_report.Title() + " " + m_report.MonthHeader(1) + "～" + m_report.MonthHeader(12);
}

int YearReportScreen::ReportRow(int gridRow) const {
    const int r = gridRow - 1;
    return r >= 0 && r < static_cast<int>(m_report.rows.size()) ? r : -1;
}

void YearReportScreen::Render(GridModel& g, const TextMeasure& measure) const {
    const YearReport& rep = m_report;
    const bool previous = rep.options.withPrevious;
    std::vector<std::string> headers{" 項 目 名 "};
    for (int m = 1; m <= 12; ++m)
        headers.push_back(rep.MonthHeader(m));
    for (const char* h : {"年間合計", "月平均", "年間予算", "差  額"})
        headers.push_back(h);
    if (previous) {
        headers.push_back("前年合計");
        headers.push_back("前年比");
    }
    const int cols = static_cast<int>(headers.size());
    const int rows = static_cast<int>(rep.rows.size()) + 1;
    const int keepRow = g.Row(), keepCol = g.Col(), keepTop = g.TopRow();
    g.SetRedraw(false);
    g.SetFontName(kGothicFace);
    g.SetFontSize(9);
    g.SetFixedRows(0);
    g.SetFixedCols(0);
    g.SetRows(rows);
    g.SetCols(cols);
    g.SetFixedRows(1);
    g.SetFixedCols(1);
    g.ClearCells();
    const int rowH = static_cast<int>(1.6 * measure("A").height + 0.5);
    g.SetDefaultRowHeight(rowH);
    g.SetAllRowHeights(rowH);
    g.SetBackColorBkg(kTotalsWindowBack);
    g.SetColAlignment(0, GridAlign::Left);
    for (int c = 1; c < cols; ++c)
        g.SetColAlignment(c, GridAlign::Right);
    std::vector<int> widths(cols);
    for (int c = 0; c < cols; ++c) {
        g.SetTextMatrix(0, c, headers[c]);
        g.SetCellBackColorAt(0, c, kTotalsHeaderBack);
        g.SetCellForeColorAt(0, c, Rgb(255, 255, 255));
        widths[c] = measure(headers[c] + " ").width;
    }
    for (int k = 0; k + 1 < rows; ++k) {
        const YearReportRow& r = rep.rows[k];
        std::vector<std::string> cells(cols);
        cells[0] = r.name;
        for (int m = 0; m < 12; ++m)
            cells[1 + m] = GroupedAmount(r.months[m]);
        cells[13] = GroupedAmount(r.total);
        cells[14] = GroupedAmount(r.average);
        cells[15] = r.hasBudget ? GroupedAmount(r.budget) : std::string();
        cells[16] = r.hasBudget ? GroupedAmount(r.difference) : std::string();
        if (previous) {
            cells[17] = r.hasPrevious ? GroupedAmount(r.previous) : std::string();
            cells[18] = YearChangeText(r);
        }
        const GridColor back = rowBack(r, k);
        for (int c = 0; c < cols; ++c) {
            g.SetTextMatrix(k + 1, c, cells[c]);
            g.SetCellBackColorAt(k + 1, c, c >= 15 && c <= 16 && !r.IsSummary() ? kTotalsTintBudget : back);
            g.SetCellForeColorAt(k + 1, c,
                                 r.kind == YearReportRow::Kind::Balance ? kTotalsBalanceText : kTotalsItemText);
            widths[c] = std::max(widths[c], measure(cells[c] + " ").width);
        }
        // Spending above its budget in red, income above its budget in green.
        if (r.hasBudget && r.difference > 0 && r.kind != YearReportRow::Kind::Balance)
            g.SetCellForeColorAt(k + 1, 16, r.side == 1 ? kBudgetOverExpense : kBudgetOverIncome);
    }
    for (int c = 0; c < cols; ++c)
        g.SetColWidth(c, widths[c]);
    g.SetCursor(std::clamp(keepRow, 1, std::max(rows - 1, 1)), std::clamp(keepCol, 1, std::max(cols - 1, 1)));
    g.SetTopRow(std::clamp(keepTop, 1, std::max(rows - 1, 1)));
    g.SetRedraw(true);
}

} // namespace mrt
