#pragma once
#include <string>
#include <string_view>

// The rules a ledger line's values must meet, whichever path makes the line: the grid's cells,
// the CSV import and the tool's add.
namespace mrt {

// The three texts of a ledger line.
enum class LineText { Item, Note, Shop };

// The field's width in the year files, in CP932 bytes: 20, 40, 30.
int LineTextBytes(LineText field);
// The field's name as the ledger grid heads it: "項目名", "内訳・備考", "店名・相手先".
const char* LineTextName(LineText field);

// Why a text cannot be the value of a field; `kind` None when it can.
struct LineTextFault {
    enum Kind { None, NotCp932, Control, TooLong };
    Kind kind = None;
    std::string character; // NotCp932: the first character code page 932 cannot hold (UTF-8)

    explicit operator bool() const { return kind != None; }
};

// The one text rule of a ledger line: every character has a CP932 form, none is a control
// character (a TAB or line break would not survive the CSV export and import), and the text fits
// its field (LineTextBytes). The caller removes trailing blanks first; nothing is cut here.
LineTextFault CheckLineText(LineText field, std::string_view text);

// The refusal as a sentence naming the field and its limit, for a message box or an import row.
// Empty for a text that passes.
std::string LineTextMessage(LineText field, const LineTextFault& fault);
// The refusal as a short reason without the field's name ("40 バイトまで(全角 20 文字)"), for a
// message that names the field its own way. Empty for a text that passes.
std::string LineTextReason(LineText field, const LineTextFault& fault);

// True when the text holds a control character (below 0x20, or DEL).
bool HasControlChar(std::string_view text);
// The text with every control character replaced by a blank and trailing blanks removed: how a
// text stored before the rule (or by another program) is written where a control character would
// break the output, such as a CSV export.
std::string ControlCharsToBlanks(std::string_view text);

} // namespace mrt
