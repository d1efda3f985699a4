#pragma once
#include "util/FontFaces.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace mrt {

class Dialogs;
class Printer;

// What follows a print: stay on the page and report the position, end the job, or start a new
// page and then end the job (the same on paper: no empty page is added). Other values: nothing.
constexpr int kPrintStay = 0;
constexpr int kPrintEndJob = 1;
constexpr int kPrintNewPageEndJob = 2;

// The printout fonts.
inline constexpr const char* kPrintMincho = kMinchoFace;
inline constexpr const char* kPrintGothic = kGothicFace;

// Title of the message of a failed printer step.
inline constexpr const char* kPrintErrorTitle = " 印刷エラー";

struct PrintTextRecord {
    std::string FontName = kPrintMincho;
    int FontSize = 10;
    double X = 0, Y = 0; // twips; with kPrintStay the position after the text on return
    std::string Text;    // CR LF pairs start new lines
    int Mode = kPrintStay;
};

constexpr int kTableMaxLines = 100;
constexpr int kTableMaxColumns = 50;

// A ruled table of text cells. Columns and lines are 0-based here: ColumnWidths[i] is the width
// of column i + 1, ColumnRules[i] the rule after it, LineRules[k] the rule below line k + 1.
struct PrintTableRecord {
    int LineCount = 1;   // 1..100
    int ColumnCount = 1; // 1..50
    std::string FontName = kPrintMincho;
    int FontSize = 10;
    std::array<int, kTableMaxColumns> ColumnWidths{};    // in widths of "5"
    double LineSpacing = 0;                              // row height = (1 + LineSpacing) × text height
    double ColumnGap = 0;                                // after every column, in widths of "5"
    int FrameWidth = 1;                                  // pen width of the outer frame
    std::array<int, kTableMaxColumns - 1> ColumnRules{}; // pen widths; 0 or less = no rule
    std::array<int, kTableMaxLines - 1> LineRules{};
    double Left = 0, Top = 0;                    // twips; with kPrintStay the position after the table on return
    std::vector<std::vector<std::string>> Cells; // [column][line], cut and aligned by the caller
    int Mode = kPrintStay;

    // The cell of column `col` and line `line` (0-based), made on first use.
    std::string& Cell(int col, int line);
    const std::string& CellText(int col, int line) const;
};

// Prints the text at (X, Y) in the record's font; each CR LF starts a new line at X one text
// height lower. Every printer operation is a step that the user may retry or cancel when it
// fails. 0 printed; -1 the user cancelled after an error (nothing more is drawn then).
int PrintText(Printer& printer, Dialogs& dlg, PrintTextRecord& rec);

// Prints the frame, the cells (each at its column's start plus half the gap, vertically centred
// in its row), the vertical rules over the full height and the horizontal rules between lines.
// 0 or -1 as PrintText.
int PrintTable(Printer& printer, Dialogs& dlg, PrintTableRecord& rec);

// The two header lines of a page at (x, y): the title in 16-point "ＭＳ ゴシック", two lines
// lower the user name and the range in the record's font size, ending with the page number
// ("00") right-aligned to a table `width` bytes wide. A title wider than the table is set in
// smaller type, down to 10 points, and beyond that cut at the table's edge with "…". The
// record's mode is the caller's; on return rec.Y lies one line below the second header line.
// 0 or -1.
int PrintPageHeader(Printer& printer, Dialogs& dlg, PrintTextRecord& rec, double x, double y, int width,
                    const std::string& title, const std::string& user, const std::string& range, int page);

// The printer prepared for a printout: the page font chosen and the width and height of "5"
// read. false when the user cancelled after an error.
struct PrinterUnits {
    double width5 = 0, height5 = 0;
};
bool PreparePrinter(Printer& printer, Dialogs& dlg, int points, PrinterUnits& units);

// The text cut to `n` characters or filled with blanks to `n` characters (not bytes).
std::string FitChars(const std::string& utf8, int n);

} // namespace mrt
