#include "print/LedgerPrint.h"

#include "ledger/AmountExpr.h"
#include "ledger/LedgerBlock.h"
#include "port/Dialogs.h"
#include "print/PrintOutput.h"
#include "print/PrintSettings.h"
#include "print/Printer.h"
#include "settings/IniRecord.h"
#include "totals/TotalsGrids.h"
#include "util/Cp932.h"
#include "util/DateText.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace mrt {

namespace {

constexpr const char* kPrintTitle = "入出金データ印刷";
constexpr std::array<const char*, kLedgerPrintColumns> kHeaders = {
    "年",         "月",         "日",        "  項 目 名   ", "     内  訳 ・ 備  考      ", "  店 名・相 手 先   ",
    "  入  金  ", "  出  金  ", "  残  高  "};

std::string twoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v % 100);
    return buf;
}

std::string rightIn2(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%2d", v);
    return buf;
}

// "2026年11月 1日": the year in four digits, month and day right-aligned in two.
std::string pageDate(const IoRecord& r) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d", r.Year);
    return std::string(buf) + "年" + rightIn2(r.Month) + "月" + rightIn2(r.Day) + "日";
}

// "2026年11月01日".
std::string rangeDate(const CivilDate& d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d", d.year);
    return std::string(buf) + "年" + twoDigits(d.month) + "月" + twoDigits(d.day) + "日";
}

// A stored text within its field of `fieldBytes` split at `width` bytes on a character boundary:
// the first part filled to `width` bytes, the rest of the field filled to fieldBytes − width
// bytes (one more when a double-byte character had to move down whole). True when the text,
// trailing blanks removed, is longer than `width`.
bool splitField(const std::string& text, int fieldBytes, int width, std::string& first, std::string& rest) {
    std::string sj;
    ToCp932(text, sj);
    while (!sj.empty() && sj.back() == ' ')
        sj.pop_back();
    const bool longer = static_cast<int>(sj.size()) > width;
    size_t cut = 0;
    while (cut < sj.size()) {
        const size_t len = IsCp932LeadByte(static_cast<unsigned char>(sj[cut])) && cut + 1 < sj.size() ? 2 : 1;
        if (static_cast<int>(cut + len) > width) break;
        cut += len;
    }
    first = FromCp932(sj.substr(0, cut)) + std::string(width - cut, ' ');
    const int restWidth = fieldBytes - width;
    std::string tail = sj.substr(cut);
    if (static_cast<int>(tail.size()) < restWidth) tail.append(restWidth - tail.size(), ' ');
    rest = FromCp932(tail);
    return longer;
}

// Refuses the range; the caller asks again.
bool rangeHoldsNothing(const LedgerIndex& idx, int32_t& from, int32_t& to) {
    if (idx.FirstYear == 0) return true;
    const int32_t first = DateNum(idx.FirstYear, idx.FirstMonth, idx.FirstDay);
    const int32_t last = DateNum(idx.LastYear, idx.LastMonth, idx.LastDay);
    if (from < first) {
        from = first;
    } else if (from > last) {
        return true;
    }
    if (to < first) return true;
    if (to > last) to = last;
    return false;
}

CivilDate dateOfNum(int32_t n) {
    return {n / 10000, n / 100 % 100, n % 100};
}

// Prints one page: header, heading table, body table ending the job. 0 or -1 (cancelled).
int printPage(Printer& printer, Dialogs& dlg, const IniRecord& ini, const LedgerPage& page, int number, int points,
              double x0, double y0) {
    PrintTextRecord head;
    head.FontSize = points;
    head.Mode = kPrintStay;
    const int width = kLedgerPrintWidth - kLedgerBalanceWidth + page.balanceWidth;
    if (PrintPageHeader(printer, dlg, head, x0, y0, width, ini.LedgerPrintTitle, ini.PrintUserName,
                        page.firstDate + "～" + page.lastDate, number) != 0)
        return -1;

    PrintTableRecord t;
    t.ColumnCount = kLedgerPrintColumns;
    t.FontName = kPrintMincho;
    t.FontSize = points;
    for (int i = 0; i < kLedgerPrintColumns; ++i)
        t.ColumnWidths[i] = kLedgerPrintWidths[i];
    t.ColumnWidths[kLedgerPrintColumns - 1] = page.balanceWidth;
    t.ColumnGap = 0.73;
    t.FrameWidth = 6;
    for (int i = 0; i < kLedgerPrintColumns - 1; ++i)
        t.ColumnRules[i] = i == 2 || i == 5 ? 3 : 1;
    t.Left = x0;
    t.Top = head.Y + 50;
    t.LineCount = 1;
    t.LineSpacing = 0.27;
    t.Mode = kPrintStay;
    for (int i = 0; i < kLedgerPrintColumns; ++i)
        t.Cell(i, 0) = kHeaders[i];
    if (PrintTable(printer, dlg, t) != 0) return -1;

    const int rows = static_cast<int>(page.rows.size());
    t.Top += 300;
    t.Left = x0;
    t.LineCount = rows;
    t.LineSpacing = 0.3;
    t.Mode = kPrintEndJob;
    t.Cells.assign(kLedgerPrintColumns, std::vector<std::string>(rows));
    for (int k = 0; k < rows; ++k) {
        for (int i = 0; i < kLedgerPrintColumns; ++i)
            t.Cells[i][k] = page.rows[k].cells[i];
        if (k + 1 < rows) t.LineRules[k] = page.rows[k + 1].continuation ? 0 : 1;
    }
    return PrintTable(printer, dlg, t);
}

} // namespace

void AppendLedgerRows(const IoRecord& line, bool showYear, bool showMonth, std::vector<LedgerPrintRow>& rows) {
    LedgerPrintRow row, more;
    row.cells[0] = showYear ? twoDigits(line.Year) : "  ";
    row.cells[1] = showMonth ? rightIn2(line.Month) : "  ";
    row.cells[2] = rightIn2(line.Day);
    bool longer = splitField(line.ItemName, kItemNameBytes, 13, row.cells[3], more.cells[3]);
    longer |= splitField(line.Note, kNoteBytes, 27, row.cells[4], more.cells[4]);
    longer |= splitField(line.ShopName, kShopNameBytes, 20, row.cells[5], more.cells[5]);
    row.cells[6] = FormatAmount(static_cast<int64_t>(line.Income), 0);
    row.cells[7] = FormatAmount(static_cast<int64_t>(line.Expense), 0);
    row.cells[8] = TotalsAmountText(line.Balance);
    rows.push_back(std::move(row));
    if (!longer) return;
    more.continuation = true;
    for (int i = 0; i < 3; ++i)
        more.cells[i] = "  ";
    for (int i = 6; i < 9; ++i)
        more.cells[i] = std::string(10, ' ');
    rows.push_back(std::move(more));
}

int LedgerBalanceWidth(const std::vector<IoRecord>& lines) {
    if (lines.empty()) return kLedgerBalanceWidth;
    const auto [low, high] = std::minmax_element(
        lines.begin(), lines.end(), [](const IoRecord& a, const IoRecord& b) { return a.Balance < b.Balance; });
    const int longest =
        std::max(AnsiByteLength(GroupedAmount(low->Balance)), AnsiByteLength(GroupedAmount(high->Balance)));
    return std::max(kLedgerBalanceWidth, longest);
}

size_t BuildLedgerPage(const std::vector<IoRecord>& lines, size_t next, int rowsPerPage, LedgerPage& page,
                       int balanceWidth) {
    page = LedgerPage();
    int year = -1, month = -1;
    while (next < lines.size() && (page.rows.empty() || static_cast<int>(page.rows.size()) < rowsPerPage)) {
        const IoRecord& line = lines[next++];
        const bool showYear = line.Year != year;
        AppendLedgerRows(line, showYear, showYear || line.Month != month, page.rows);
        if (page.firstDate.empty()) page.firstDate = pageDate(line);
        page.lastDate = pageDate(line);
        year = line.Year;
        month = line.Month;
    }
    page.balanceWidth = std::max(balanceWidth, kLedgerBalanceWidth);
    for (const LedgerPrintRow& row : page.rows)
        page.balanceWidth = std::max(page.balanceWidth, AnsiByteLength(row.cells[8]));
    for (LedgerPrintRow& row : page.rows) {
        std::string& cell = row.cells[8];
        cell.insert(0, static_cast<size_t>(page.balanceWidth - AnsiByteLength(cell)), ' ');
    }
    return next;
}

int AskLedgerPrintRange(LedgerPrintSession& s, PrintFields& fields, CivilDate& from, CivilDate& to) {
    const LedgerIndex& idx = s.ledger->index;
    if (s.lastFrom.empty() || s.lastTo.empty()) {
        CivilDate t = AppClock().Today();
        if (idx.LastYear > 0 && CompareYearMonth(t.year, t.month, idx.LastYear, idx.LastMonth) > 0) {
            t.year = idx.LastYear;
            t.month = idx.LastMonth;
        }
        s.lastFrom = FormatDate(t.year, t.month, 1);
        s.lastTo = FormatDate(t.year, t.month, DaysInMonth(t.year, t.month));
    }
    for (;;) {
        fields.from = s.lastFrom;
        fields.to = s.lastTo;
        if (AskPrintSettings(*s.form, *s.dlg, "入出金データの印刷", "印刷する日付を入力してください。", fields) != 0)
            return -1;
        StorePrintFields(*s.settings, PrintoutKind::Ledger, fields);
        s.lastFrom = fields.from;
        s.lastTo = fields.to;
        int y1, m1, d1, y2, m2, d2;
        if (!ParseDateText(fields.from, y1, m1, d1) || !ParseDateText(fields.to, y2, m2, d2)) continue;
        int32_t a = DateNum(y1, m1, d1), b = DateNum(y2, m2, d2);
        if (b < a) std::swap(a, b);
        if (rangeHoldsNothing(idx, a, b)) {
            s.dlg->MsgOK("該当するデータがありません。", "印刷する日付");
            continue;
        }
        from = dateOfNum(a);
        to = dateOfNum(b);
        return 0;
    }
}

namespace {

// Everything after the settings snapshot. Same results as PrintLedger.
int runLedgerPrint(LedgerPrintSession& s) {
    Dialogs& dlg = *s.dlg;
    IniRecord& ini = *s.settings;
    PrintFields fields = PrintFieldsOf(ini, PrintoutKind::Ledger);
    CivilDate from, to;
    if (AskLedgerPrintRange(s, fields, from, to) != 0) return 1;

    int rowsPerPage = 0;
    const int points = ChoosePrintPaper(ini.LedgerPaperSize, ini.LedgerPrintLine, 9, rowsPerPage);
    // The dialog refuses such an offset; a stored one must not make the page loop endless.
    if (rowsPerPage < 1) {
        dlg.MsgOK(kNoRoomMessage, kPrintTitle);
        return -1;
    }
    const std::string fromText = rangeDate(from), toText = rangeDate(to);

    PrintoutInfo info;
    info.paper = ini.LedgerPaperSize;
    info.documentName = ini.LedgerPrintTitle + " " + fromText + "～" + toText;
    info.fileStem = ini.LedgerPrintTitle + "_" + fromText + "-" + toText;
    Printer* printer = s.device->BeginPrintout(info);
    if (!printer) return 1;
    PrinterUnits units;
    if (!PreparePrinter(*printer, dlg, points, units)) {
        s.device->EndPrintout(false);
        return 1;
    }
    const double x0 = ini.LedgerPrintColumn * units.width5, y0 = ini.LedgerPrintLine * units.height5;

    // The months of the range, read through a private copy of the index.
    LedgerState reader;
    reader.index = s.ledger->index;
    reader.MaxBlockLines = s.ledger->MaxBlockLines;
    reader.index.BlockStartYear = from.year;
    reader.index.BlockStartMonth = from.month;
    reader.index.BlockSpan = MonthsFromTo(from.year, from.month, to.year, to.month);
    std::vector<IoRecord> loaded;
    const int r = LoadLedgerBlock(reader, loaded, true, dlg);
    if (r == 1) {
        s.device->EndPrintout(false);
        return 1;
    }
    if (r != 0 || loaded.empty()) {
        dlg.MsgOK("入出金データの読込みに失敗しました。", kPrintTitle);
        s.device->EndPrintout(false);
        return -1;
    }
    const int32_t a = DateNum(from.year, from.month, from.day), b = DateNum(to.year, to.month, to.day);
    std::vector<IoRecord> lines;
    for (IoRecord& l : loaded) {
        const int32_t d = DateNum(l);
        if (d >= a && d <= b) lines.push_back(std::move(l));
    }
    // Months with lines but none on the days asked: nothing to print, and not reported as printed.
    if (lines.empty()) {
        dlg.MsgOK("該当するデータがありません。", kPrintTitle);
        s.device->EndPrintout(false);
        return 1;
    }

    dlg.MsgOn(fromText + "から " + toText + "まで 印刷中" + "\r\n" + "（　印刷中止＝[ESC] ）", kPrintTitle);
    const LedgerPageSetup setup{points, rowsPerPage, x0, y0};
    const bool completed = PrintLedgerPages(*printer, dlg, ini, lines, setup, s.device) == 0;
    dlg.MsgOff();
    const int delivered = s.device->EndPrintout(completed);
    if (!completed || delivered != 0) return delivered < 0 ? -1 : 1;
    dlg.MsgOK(fromText + "から " + toText + "まで 印刷完了しました。", kPrintTitle);
    return 0;
}

} // namespace

int PrintLedgerPages(Printer& printer, Dialogs& dlg, const IniRecord& ini, const std::vector<IoRecord>& lines,
                     const LedgerPageSetup& setup, PrintDevice* stop) {
    LedgerPage page;
    int number = 0;
    // One balance width for every page of the printout.
    const int balanceWidth = LedgerBalanceWidth(lines);
    for (size_t next = 0; next < lines.size();) {
        if (number > 0 && stop && stop->StopRequested()) return 1;
        next = BuildLedgerPage(lines, next, setup.rowsPerPage, page, balanceWidth);
        if (printPage(printer, dlg, ini, page, ++number, setup.points, setup.x0, setup.y0) != 0) return -1;
    }
    return 0;
}

int PrintLedger(LedgerPrintSession& s) {
    const PrintSettingsSnapshot before = TakePrintSnapshot(*s.settings, PrintoutKind::Ledger);
    const int r = runLedgerPrint(s);
    SavePrintSettingsIfChanged(*s.settings, before, PrintoutKind::Ledger, s.settingsPath);
    return r;
}

} // namespace mrt
