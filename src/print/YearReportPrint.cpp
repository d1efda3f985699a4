#include "print/YearReportPrint.h"

#include "port/Dialogs.h"
#include "print/PrintOutput.h"
#include "print/PrintSettings.h"
#include "print/Printer.h"
#include "settings/IniRecord.h"
#include "totals/TotalsText.h"
#include "totals/YearReport.h"
#include "util/Cp932.h"

#include <algorithm>

namespace mrt {

namespace {

constexpr const char* kTitle = "年間集計の印刷";
constexpr const char* kDefaultTitle = "年間集計表";
constexpr double kLineSpacing = 0.27;
constexpr double kColumnGap = 0.73;

std::string rightIn(const std::string& text, int n) {
    const int len = AnsiByteLength(text);
    return len < n ? std::string(n - len, ' ') + text : text;
}

std::string amount(int64_t v) {
    return v == 0 ? std::string() : GroupedAmount(v);
}

} // namespace

YearPrintTable YearReportPrintCells(const YearReport& report) {
    YearPrintTable t;
    std::vector<std::string> headers{" 項 目 名 "};
    for (int m = 1; m <= 12; ++m)
        headers.push_back(report.MonthHeader(m));
    for (const char* h : {"年間合計", "月平均", "年間予算", "差  額"})
        headers.push_back(h);
    if (report.options.withPrevious) {
        headers.push_back("前年合計");
        headers.push_back("前年比");
    }
    const int cols = static_cast<int>(headers.size());
    t.lines.assign(report.rows.size() + 1, std::vector<std::string>(cols));
    for (const std::string& h : headers)
        t.widths.push_back(AnsiByteLength(h));
    for (size_t k = 0; k < report.rows.size(); ++k) {
        const YearReportRow& r = report.rows[k];
        std::vector<std::string>& line = t.lines[k + 1];
        for (int m = 0; m < 12; ++m)
            line[1 + m] = amount(r.months[m]);
        line[13] = amount(r.total);
        line[14] = amount(r.average);
        line[15] = r.hasBudget ? GroupedAmount(r.budget) : std::string();
        line[16] = r.hasBudget ? GroupedAmount(r.difference) : std::string();
        if (report.options.withPrevious) {
            line[17] = r.hasPrevious ? amount(r.previous) : std::string();
            line[18] = YearChangeText(r);
        }
        t.widths[0] = std::max(t.widths[0], AnsiByteLength(r.name));
        for (int j = 1; j < cols; ++j)
            t.widths[j] = std::max(t.widths[j], AnsiByteLength(line[j]));
    }
    for (int j = 0; j < cols; ++j)
        t.lines[0][j] = j == 0 ? FitLeftBytes(headers[j], t.widths[j]) : rightIn(headers[j], t.widths[j]);
    for (size_t k = 0; k < report.rows.size(); ++k) {
        std::vector<std::string>& line = t.lines[k + 1];
        line[0] = FitLeftBytes(report.rows[k].name, t.widths[0]);
        for (int j = 1; j < cols; ++j)
            line[j] = rightIn(line[j], t.widths[j]);
    }
    for (int w : t.widths)
        t.tableWidth += w;
    return t;
}

int ChooseYearPrintPoints(Printer& printer, Dialogs& dlg, const YearPrintTable& table, int columnOffset) {
    const double units = columnOffset + table.tableWidth + kColumnGap * static_cast<double>(table.widths.size());
    for (int points = 9; points > 5; --points) {
        PrinterUnits u;
        if (!PreparePrinter(printer, dlg, points, u)) return -1;
        if (units * u.width5 <= kYearPageWidth) return points;
    }
    return 5;
}

int PrintYearReportPages(Printer& printer, Dialogs& dlg, const YearReport& report, const YearPrintTable& table,
                         const std::string& title, const std::string& user, const std::string& range, int points,
                         double x0, double y0) {
    const int cols = static_cast<int>(table.widths.size());
    const int rows = static_cast<int>(report.rows.size());
    PrinterUnits u;
    if (!PreparePrinter(printer, dlg, points, u)) return -1;
    const double rowHeight = (1 + kLineSpacing) * u.height5;
    int page = 0;
    for (int first = 0; first < rows;) {
        PrintTextRecord head;
        head.FontSize = points;
        head.Mode = kPrintStay;
        if (PrintPageHeader(printer, dlg, head, x0, y0, table.tableWidth, title, user, range, ++page) != 0) return -1;
        const double top = head.Y + 50;
        // Rows below the header line that the sheet's height holds; at least one.
        const int room = std::max(1, static_cast<int>((kYearPageHeight - top) / rowHeight) - 1);
        const int n = std::min({room, rows - first, kTableMaxLines - 1});
        PrintTableRecord t;
        t.ColumnCount = cols;
        t.LineCount = n + 1;
        t.FontName = kPrintMincho;
        t.FontSize = points;
        t.LineSpacing = kLineSpacing;
        t.ColumnGap = kColumnGap;
        t.FrameWidth = 6;
        t.Left = x0;
        t.Top = top;
        t.Mode = kPrintNewPageEndJob;
        for (int j = 0; j < cols; ++j)
            t.ColumnWidths[j] = table.widths[j];
        // Thick rules after the names, the twelve months, the difference.
        for (int j = 0; j < cols - 1; ++j)
            t.ColumnRules[j] = j == 0 || j == 12 || j == 16 ? 3 : 1;
        t.Cells.assign(cols, std::vector<std::string>(n + 1));
        for (int j = 0; j < cols; ++j)
            t.Cells[j][0] = table.lines[0][j];
        t.LineRules[0] = 3;
        for (int k = 1; k <= n; ++k) {
            const int r = first + k - 1;
            for (int j = 0; j < cols; ++j)
                t.Cells[j][k] = table.lines[r + 1][j];
            // Thick around the sums: above and below each summary row.
            const bool summary = report.rows[r].IsSummary();
            const bool nextSummary = r + 1 < rows && report.rows[r + 1].IsSummary();
            if (k < n) t.LineRules[k] = summary || nextSummary ? 3 : 1;
        }
        if (PrintTable(printer, dlg, t) != 0) return -1;
        first += n;
    }
    return 0;
}

int PrintYearReport(YearPrintSession& s) {
    Dialogs& dlg = *s.dlg;
    const IniRecord& ini = *s.settings;
    const YearReport& report = *s.report;
    const std::string range = report.Title();

    PrintFields fields = PrintFieldsOf(ini, PrintoutKind::Totals);
    fields.title = kDefaultTitle;
    if (AskPrintSettings(*s.form, dlg, kTitle, "[ 印刷 ] ボタンでA4横に印刷します。", fields) != 0) return 1;
    const YearPrintTable table = YearReportPrintCells(report);

    PrintoutInfo info;
    info.paper = kPaperA4;
    info.landscape = true;
    info.documentName = fields.title + " " + range;
    info.fileStem = fields.title + "_" + range;
    Printer* printer = s.device->BeginPrintout(info);
    if (!printer) return 1;
    const int points = ChooseYearPrintPoints(*printer, dlg, table, fields.column);
    PrinterUnits units;
    if (points < 0 || !PreparePrinter(*printer, dlg, points, units)) {
        s.device->EndPrintout(false);
        return 1;
    }
    const double x0 = fields.column * units.width5, y0 = fields.line * units.height5;
    const bool completed =
        PrintYearReportPages(*printer, dlg, report, table, fields.title, fields.user, range, points, x0, y0) == 0;
    const int delivered = s.device->EndPrintout(completed);
    if (!completed || delivered != 0) return delivered < 0 ? -1 : 1;
    dlg.MsgOK(range + "  印刷完了しました。", kTitle);
    return 0;
}

} // namespace mrt
