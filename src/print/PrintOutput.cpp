#include "print/PrintOutput.h"

#include "port/Dialogs.h"
#include "print/Printer.h"
#include "util/Cp932.h"

#include <cstdio>

namespace mrt {

namespace {

// One numbered printer step: on failure the error is shown with Retry and Cancel; Retry runs
// the same step again, so nothing drawn before it is drawn twice. False when cancelled.
template <class Op> bool step(Printer& printer, Dialogs& dlg, Op op) {
    while (!op()) {
        std::string why = printer.ErrorText();
        if (why.empty()) why = "プリンタに出力できません。";
        if (dlg.MsgBox(why, kPrintErrorTitle, MsgIcon::Exclamation, MsgButtons::RetryCancel) != MsgResult::Retry)
            return false;
    }
    return true;
}

// The page title's type: 16 points, down to 10 when the title is wider than the table.
constexpr int kTitlePoints = 16;
constexpr int kSmallestTitlePoints = 10;

bool allBlank(const std::string& s) {
    return s.find_first_not_of(' ') == std::string::npos;
}

// What follows the print. For kPrintStay (x, y) and the last text printed there give the
// position reported back.
int finish(Printer& printer, Dialogs& dlg, int mode, double x, double y, const std::string& lastText, double& outX,
           double& outY) {
    switch (mode) {
    case kPrintStay: {
        double w = 0;
        if (!lastText.empty() && !step(printer, dlg, [&] { return printer.TextWidth(lastText, w); })) return -1;
        outX = x + w;
        outY = y;
        return 0;
    }
    case kPrintNewPageEndJob:
        if (!step(printer, dlg, [&] { return printer.NewPage(); })) return -1;
        [[fallthrough]];
    case kPrintEndJob:
        return step(printer, dlg, [&] { return printer.EndJob(); }) ? 0 : -1;
    default:
        return 0;
    }
}

} // namespace

std::string& PrintTableRecord::Cell(int col, int line) {
    if (static_cast<int>(Cells.size()) <= col) Cells.resize(col + 1);
    std::vector<std::string>& c = Cells[col];
    if (static_cast<int>(c.size()) <= line) c.resize(line + 1);
    return c[line];
}

const std::string& PrintTableRecord::CellText(int col, int line) const {
    static const std::string empty;
    if (col < 0 || col >= static_cast<int>(Cells.size())) return empty;
    const std::vector<std::string>& c = Cells[col];
    return line >= 0 && line < static_cast<int>(c.size()) ? c[line] : empty;
}

int PrintText(Printer& printer, Dialogs& dlg, PrintTextRecord& rec) {
    if (!step(printer, dlg, [&] { return printer.SetFont(rec.FontName, rec.FontSize); })) return -1;
    const std::string& t = rec.Text;
    double x = rec.X, y = rec.Y;
    double lineHeight = -1;
    std::string line;
    for (size_t pos = 0;;) {
        const size_t br = t.find("\r\n", pos);
        line = t.substr(pos, br == std::string::npos ? std::string::npos : br - pos);
        if (!line.empty() && !step(printer, dlg, [&] { return printer.DrawText(x, y, line); })) return -1;
        if (br == std::string::npos) break;
        if (lineHeight < 0 && !step(printer, dlg, [&] { return printer.TextHeight("5", lineHeight); })) return -1;
        y += lineHeight;
        line.clear();
        pos = br + 2;
    }
    return finish(printer, dlg, rec.Mode, x, y, line, rec.X, rec.Y);
}

int PrintTable(Printer& printer, Dialogs& dlg, PrintTableRecord& rec) {
    if (!step(printer, dlg, [&] { return printer.SetFont(rec.FontName, rec.FontSize); })) return -1;
    double cw = 0, ch = 0;
    if (!step(printer, dlg, [&] { return printer.TextWidth("5", cw); })) return -1;
    if (!step(printer, dlg, [&] { return printer.TextHeight("5", ch); })) return -1;
    const double rh = (1 + rec.LineSpacing) * ch;
    if (!step(printer, dlg, [&] { return printer.SetPenWidth(rec.FrameWidth); })) return -1;

    const int cols =
        rec.ColumnCount < 1 ? 1 : (rec.ColumnCount > kTableMaxColumns ? kTableMaxColumns : rec.ColumnCount);
    const int lines = rec.LineCount < 1 ? 1 : (rec.LineCount > kTableMaxLines ? kTableMaxLines : rec.LineCount);
    // x(i): the start of each column from the table's left edge; x[cols] is the full width.
    std::array<double, kTableMaxColumns + 1> colX{};
    for (int i = 0; i < cols; ++i)
        colX[i + 1] = colX[i] + cw * (rec.ColumnWidths[i] + rec.ColumnGap);
    const double left = rec.Left, top = rec.Top;
    const double right = left + colX[cols], bottom = top + lines * rh;

    const double frame[5][2] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}, {left, top}};
    for (int s = 0; s < 4; ++s) {
        if (!step(printer, dlg,
                  [&] { return printer.DrawLine(frame[s][0], frame[s][1], frame[s + 1][0], frame[s + 1][1]); }))
            return -1;
    }
    // The position after the last drawing: the end of a line, or a text's start plus its width.
    double curX = left, curY = top;
    std::string curText;
    for (int k = 0; k < lines; ++k) {
        const double y = top + k * rh;
        for (int i = 0; i < cols; ++i) {
            const std::string& text = rec.CellText(i, k);
            const double tx = left + colX[i] + rec.ColumnGap * cw / 2, ty = y + (rh - ch) / 2;
            if (!allBlank(text) && !step(printer, dlg, [&] { return printer.DrawText(tx, ty, text); })) return -1;
            curX = tx;
            curY = ty;
            curText = text;
            if (k == 0 && i < cols - 1 && rec.ColumnRules[i] >= 1) {
                const double rx = left + colX[i + 1];
                if (!step(printer, dlg, [&] { return printer.SetPenWidth(rec.ColumnRules[i]); })) return -1;
                if (!step(printer, dlg, [&] { return printer.DrawLine(rx, top, rx, bottom); })) return -1;
                curX = rx;
                curY = bottom;
                curText.clear();
            }
        }
        if (k < lines - 1 && rec.LineRules[k] >= 1) {
            if (!step(printer, dlg, [&] { return printer.SetPenWidth(rec.LineRules[k]); })) return -1;
            if (!step(printer, dlg, [&] { return printer.DrawLine(left, y + rh, right, y + rh); })) return -1;
            curX = right;
            curY = y + rh;
            curText.clear();
        }
    }
    return finish(printer, dlg, rec.Mode, curX, curY, curText, rec.Left, rec.Top);
}

int PrintPageHeader(Printer& printer, Dialogs& dlg, PrintTextRecord& rec, double x, double y, int width,
                    const std::string& title, const std::string& user, const std::string& range, int page) {
    // The title's room is the table's width: `width` widths of "5" in the record's font.
    double unit = 0;
    if (!step(printer, dlg, [&] { return printer.SetFont(kPrintMincho, rec.FontSize); }) ||
        !step(printer, dlg, [&] { return printer.TextWidth("5", unit); }))
        return -1;
    const double room = width * unit;
    int points = kTitlePoints;
    double lineHeight = 0, textWidth = 0;
    std::string text = "   " + title;
    for (;; --points) {
        if (!step(printer, dlg, [&] { return printer.SetFont(kPrintGothic, points); }) ||
            !step(printer, dlg, [&] { return printer.TextWidth(text, textWidth); }))
            return -1;
        if (points == kTitlePoints && !step(printer, dlg, [&] { return printer.TextHeight("5", lineHeight); }))
            return -1;
        if (textWidth <= room || points == kSmallestTitlePoints) break;
    }
    // Too wide even in the smallest type: cut by characters, the cut marked with "…".
    for (std::string kept = title; textWidth > room && !kept.empty();) {
        size_t last = kept.size() - 1;
        while (last > 0 && (static_cast<unsigned char>(kept[last]) & 0xC0) == 0x80)
            --last;
        kept.erase(last);
        text = "   " + kept + "…";
        if (!step(printer, dlg, [&] { return printer.TextWidth(text, textWidth); })) return -1;
    }

    const int size = rec.FontSize;
    rec.FontName = kPrintGothic;
    rec.FontSize = points;
    rec.Text = text;
    rec.X = x;
    rec.Y = y;
    const int r = PrintText(printer, dlg, rec);
    rec.FontSize = size;
    if (r != 0) return -1;

    // Two title lines of 16 points lower, whatever size the title took.
    rec.FontName = kPrintMincho;
    rec.X = x;
    rec.Y = y + 2 * lineHeight;
    const std::string s = "  　" + FitChars(user, 30) + std::string(14, ' ') + range;
    const int pad = width - AnsiByteLength(s) - 4;
    char number[16];
    std::snprintf(number, sizeof number, "%02d", page);
    rec.Text = std::string(pad > 0 ? pad : 0, ' ') + s + number + "\r\n";
    return PrintText(printer, dlg, rec) == 0 ? 0 : -1;
}

bool PreparePrinter(Printer& printer, Dialogs& dlg, int points, PrinterUnits& units) {
    return step(printer, dlg, [&] { return printer.SetFont(kPrintMincho, points); }) &&
           step(printer, dlg, [&] { return printer.TextWidth("5", units.width5); }) &&
           step(printer, dlg, [&] { return printer.TextHeight("5", units.height5); });
}

std::string FitChars(const std::string& utf8, int n) {
    std::string out;
    int chars = 0;
    for (size_t i = 0; i < utf8.size() && chars < n; ++chars) {
        const unsigned char b = static_cast<unsigned char>(utf8[i]);
        size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        if (b >= 0x80 && b < 0xC0) len = 1; // a stray continuation byte
        out.append(utf8, i, len);
        i += len;
    }
    out.append(static_cast<size_t>(n - chars), ' ');
    return out;
}

} // namespace mrt
