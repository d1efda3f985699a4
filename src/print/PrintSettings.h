#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace mrt {

class Dialogs;
struct IniRecord;

// The values exchanged with the print settings dialog (frmPr).
struct PrSetData {
    int DinQ = 0;                   // date parts: 0 (no range) or 6 (from y, m, d; to y, m, d)
    std::vector<std::string> Dnam;  // labels of the date parts
    std::vector<std::string> dates; // the date part texts (in/out)
    int DinQ2 = 4;
    std::vector<std::string> Dnam2; // "タイトル名：", "ユーザー名："
    std::array<std::string, 4> dt2; // title, user name, column offset, line offset (in/out)
    int OptNm = 0;                  // paper: 0 A4, 1 B5 (in/out)
    std::string msg;                // the line at the top of the dialog
    std::string ttl;                // the caption
    // Placement in twips: 0, 0 centres on the screen; a left below 1 with a non-zero top reuses
    // the place where the dialog was last closed.
    int x = 0, y = 0;
    int ColQ = 3; // the date part that takes the caret first
};

// The print settings dialog as the printouts see it; the Qt window implements it, tests and the
// headless printouts answer without a screen.
class PrintSettingsForm {
public:
    virtual ~PrintSettingsForm() = default;
    // Shows the values; on confirmation copies the answers back. 0 confirmed, -1 cancelled.
    virtual int PrSetDataIn(PrSetData& data) = 0;
};

// The print settings of one printout. Titles and the user name are at most 30 characters.
struct PrintFields {
    std::string title, user;
    int paper = 9;            // 9 A4, 13 B5
    int column = 5, line = 0; // start offsets: widths of "5" from the left, lines from the top
    std::string from, to;     // date range texts ("yyyy/mm/dd"); both empty for no range
};

// Rows a page holds at the line offset: 55 on A4, 52 on B5, less the offset.
int PrintRowsPerPage(int paper, int lineOffset);

// The paper of a printout: B5 when `paper` says so, otherwise A4 (and `paper` is set to A4). On
// A4 the font is one point larger than `b5Points`. The font size in points; the rows a page
// holds at the line offset in `rowsPerPage`.
int ChoosePrintPaper(int16_t& paper, int lineOffset, int b5Points, int& rowsPerPage);

// Runs the dialog until the answers can be used: a date row that is not a real date is asked
// again with a beep, a line offset that leaves no row on the page or a title or user name with a
// character CP932 cannot hold again after a message. The positions are rounded and clamped to
// 0..100, title and user name cut to 30 characters.
// 0 confirmed (fields updated); -1 cancelled (fields unchanged).
int AskPrintSettings(PrintSettingsForm& form, Dialogs& dlg, const std::string& caption, const std::string& msg,
                     PrintFields& fields);

// Message of a line offset that leaves no row on a page.
inline constexpr const char* kNoRoomMessage =
    "[上から]の印字開始位置が大きすぎるため、１ページに１行も印刷できません。\r\n"
    "A4は54以下、B5は51以下にしてください。";

enum class PrintoutKind { Ledger, Totals };

// The five settings of a printout as they were before it, to decide afterwards whether the
// settings file is written again.
struct PrintSettingsSnapshot {
    std::string title, user;
    int paper = 0, column = 0, line = 0;
    bool operator==(const PrintSettingsSnapshot&) const = default;
};
PrintSettingsSnapshot TakePrintSnapshot(const IniRecord& rec, PrintoutKind kind);
// The printout's fields of the record as PrintFields (no range) and back.
PrintFields PrintFieldsOf(const IniRecord& rec, PrintoutKind kind);
void StorePrintFields(IniRecord& rec, PrintoutKind kind, const PrintFields& fields);
// Writes the record when one of the five differs from the snapshot; an empty path writes nothing.
// 0 unchanged or written; -1 the write failed.
int SavePrintSettingsIfChanged(const IniRecord& rec, const PrintSettingsSnapshot& before, PrintoutKind kind,
                               const std::string& path);

} // namespace mrt
