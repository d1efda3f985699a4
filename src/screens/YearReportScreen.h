#pragma once
#include "grid/GridModel.h"
#include "screens/LedgerSheet.h"
#include "totals/YearReport.h"

#include <string>
#include <vector>

namespace mrt {

class Dialogs;

// One stacked series of the year chart: a name and its amount in each of the twelve months.
struct YearSeries {
    std::string name;
    std::array<int64_t, 12> values{};
};

// The expense rows (items and "(不明)") with the largest year totals, largest first, at most
// `maxSeries`; the others gathered into "その他". Rows without any amount are left out.
std::vector<YearSeries> YearSpendingSeries(const YearReport& report, int maxSeries);
// Index of the report's row of the kind; -1 when there is none.
int YearRowOfKind(const YearReport& report, YearReportRow::Kind kind);

// The year window without its widgets: which data folder and year it shows, the report, and the
// grid it renders into (header row and name column fixed; one grid row per report row).
class YearReportScreen {
public:
    YearReportScreen(std::string dataFolder, const YearReportOptions& options);

    // Reads the report for the options. 0 read; -1 not (message shown; the report shown before,
    // if any, stays).
    int Load(Dialogs& dlg);
    // Another year, or calendar months ⇄ closing periods, read at once. On failure the options
    // shown before are kept. 0 / -1 as Load.
    int MoveYear(int years, Dialogs& dlg);
    int TogglePeriods(Dialogs& dlg);

    const YearReport& Report() const { return m_report; }
    const YearReportOptions& Options() const { return m_options; }
    const std::string& DataFolder() const { return m_dataFolder; }
    // "2026年 1月～12月" or "2026年(25日締) 1月締～12月締".
    std::string Caption() const;

    // Texts, widths, colours. `measure` measures in the grid's font.
    void Render(GridModel& grid, const TextMeasure& measure) const;
    // The report row of a grid row; -1 for the header row or beyond.
    int ReportRow(int gridRow) const;

private:
    std::string m_dataFolder;
    YearReportOptions m_options;
    YearReport m_report;
};

} // namespace mrt
