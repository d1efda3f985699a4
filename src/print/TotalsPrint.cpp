#include "print/TotalsPrint.h"

#include "port/Dialogs.h"
#include "print/PrintOutput.h"
#include "print/PrintSettings.h"
#include "print/Printer.h"
#include "settings/IniRecord.h"
#include "totals/Totals.h"
#include "totals/TotalsText.h"
#include "util/Cp932.h"

#include <algorithm>

namespace mrt {

namespace {

constexpr const char* kTitle = "集計データの印刷";

// Right-aligned in n bytes; a longer text is kept whole.
std::string rightIn(const std::string& text, int n) {
    const int len = AnsiByteLength(text);
    return len < n ? std::string(n - len, ' ') + text : text;
}

} // namespace

TotalsPrintTable TotalsPrintCells(const TotalsState& st, const BgtRecord& budget) {
    TotalsPrintTable t;
    const std::vector<std::string> headers = SetTotalsHeaders(st);
    const int cols = std::min<int>(static_cast<int>(headers.size()), kTableMaxColumns);
    const int budgetCol = cols - 1;
    t.lines.assign(static_cast<size_t>(st.RowCount) + 1, std::vector<std::string>(cols));
    for (int j = 0; j < cols; ++j)
        t.widths.push_back(AnsiByteLength(headers[j]));
    // Cell texts without blanks first, to widen a column an amount does not fit.
    for (int r = 1; r <= st.RowCount; ++r) {
        std::vector<std::string>& line = t.lines[r];
        for (int j = 1; j < budgetCol; ++j) {
            const int64_t v = st.table[r][j];
            line[j] = v == 0 ? std::string() : GroupedAmount(v);
        }
        bool exceeded = false;
        std::string b = TotalsBudgetText(st, budget, r, exceeded);
        if (b == "0") b.clear();
        if (!b.empty() && exceeded) b += "*";
        line[budgetCol] = b;
        for (int j = 1; j < cols; ++j)
            t.widths[j] = std::max(t.widths[j], AnsiByteLength(line[j]));
    }
    for (int j = 0; j < cols; ++j)
        t.lines[0][j] = FitLeftBytes(headers[j], t.widths[j]);
    for (int r = 1; r <= st.RowCount; ++r) {
        t.lines[r][0] = FitLeftBytes(st.rowNames[r], t.widths[0]);
        for (int j = 1; j < cols; ++j)
            t.lines[r][j] = rightIn(t.lines[r][j], t.widths[j]);
    }
    for (int w : t.widths)
        t.tableWidth += w;
    return t;
}

int PrintTotalsPages(Printer& printer, Dialogs& dlg, const IniRecord& ini, const TotalsState& st,
                     const TotalsPrintTable& table, const std::string& range, int points, int rowsPerPage, double x0,
                     double y0) {
    const int cols = static_cast<int>(table.widths.size());
    int page = 0;
    for (int first = 1; first <= st.RowCount;) {
        const int n = std::min(rowsPerPage, st.RowCount - first + 1);
        PrintTextRecord head;
        head.FontSize = points;
        head.Mode = kPrintStay;
        if (PrintPageHeader(printer, dlg, head, x0, y0, table.tableWidth, ini.TotalsPrintTitle, ini.PrintUserName,
                            range, ++page) != 0)
            return -1;
        PrintTableRecord t;
        t.ColumnCount = cols;
        t.LineCount = n + 1;
        t.FontName = kPrintMincho;
        t.FontSize = points;
        t.LineSpacing = 0.27;
        t.ColumnGap = 0.73;
        t.FrameWidth = 6;
        t.Left = x0;
        t.Top = head.Y + 50;
        t.Mode = kPrintNewPageEndJob;
        for (int j = 0; j < cols; ++j)
            t.ColumnWidths[j] = table.widths[j];
        // Thick rules after the names and before the week, month and budget columns.
        for (int j = 0; j < cols - 1; ++j)
            t.ColumnRules[j] = j == 0 || j >= cols - 4 ? 3 : 1;
        t.Cells.assign(cols, std::vector<std::string>(n + 1));
        for (int j = 0; j < cols; ++j)
            t.Cells[j][0] = table.lines[0][j];
        t.LineRules[0] = 3;
        for (int k = 1; k <= n; ++k) {
            const int r = first + k - 1;
            for (int j = 0; j < cols; ++j)
                t.Cells[j][k] = table.lines[r][j];
            // Thick below the income items, the expense items and the expense total.
            if (k < n) t.LineRules[k] = r == st.nIn || r == st.nIn + st.nOut || r == st.RowCount - 1 ? 3 : 1;
        }
        if (PrintTable(printer, dlg, t) != 0) return -1;
        first += n;
    }
    return 0;
}

namespace {

int runTotalsPrint(TotalsPrintSession& s) {
    Dialogs& dlg = *s.dlg;
    IniRecord& ini = *s.settings;
    const TotalsState& st = *s.state;
    const TotalsPrintTable table = TotalsPrintCells(st, *s.budget);
    const std::string range = TotalsLabelTexts(st).shown;

    PrintFields fields = PrintFieldsOf(ini, PrintoutKind::Totals);
    if (AskPrintSettings(*s.form, dlg, kTitle, "[ 印刷 ] ボタンで印刷を開始します。", fields) != 0) return 1;
    StorePrintFields(ini, PrintoutKind::Totals, fields);
    int rowsPerPage = 0;
    const int points = ChoosePrintPaper(ini.TotalsPaperSize, ini.TotalsPrintLine, 8, rowsPerPage);
    if (rowsPerPage < 1) {
        dlg.MsgOK(kNoRoomMessage, kTitle);
        return -1;
    }

    PrintoutInfo info;
    info.paper = ini.TotalsPaperSize;
    info.documentName = ini.TotalsPrintTitle + " " + range;
    info.fileStem = ini.TotalsPrintTitle + "_" + range;
    Printer* printer = s.device->BeginPrintout(info);
    if (!printer) return 1;
    PrinterUnits units;
    if (!PreparePrinter(*printer, dlg, points, units)) {
        s.device->EndPrintout(false);
        return 1;
    }
    const double x0 = ini.TotalsPrintColumn * units.width5, y0 = ini.TotalsPrintLine * units.height5;
    const bool completed = PrintTotalsPages(*printer, dlg, ini, st, table, range, points, rowsPerPage, x0, y0) == 0;
    const int delivered = s.device->EndPrintout(completed);
    if (!completed || delivered != 0) return delivered < 0 ? -1 : 1;
    dlg.MsgOK(range + "  印刷完了しました。", kTitle);
    return 0;
}

} // namespace

int PrintTotals(TotalsPrintSession& s) {
    const PrintSettingsSnapshot before = TakePrintSnapshot(*s.settings, PrintoutKind::Totals);
    const int r = runTotalsPrint(s);
    SavePrintSettingsIfChanged(*s.settings, before, PrintoutKind::Totals, s.settingsPath);
    return r;
}

} // namespace mrt
