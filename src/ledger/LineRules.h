#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The rules a ledger line's values must meet, whichever path makes the line: the grid's cells,
// the CSV import and the tool's add; the data check measures stored lines by them too.
namespace mrt {

struct IoRecord;
struct NameTables;

// ---- dates ----

// The years a ledger line may carry: the grid's year cell takes two digits, 0..50 after 2000.
constexpr int kFirstLedgerYear = 2000;
constexpr int kLastLedgerYear = 2050;

inline bool IsLedgerYear(int year) {
    return year >= kFirstLedgerYear && year <= kLastLedgerYear;
}

inline constexpr const char* kBadInputMessage = "入力内容が異常です。";
inline constexpr const char* kBadDateMessage = "日付が異常です。";
inline constexpr const char* kBeforeStartMessage = "データ登録の開始日付より前の日付は入力できません。";

enum class LineDateFault { None, Bad, BeforeStart };

// A line's date: a real calendar date of kFirstLedgerYear..kLastLedgerYear (else Bad), not before
// the ledger's start date `start` (yyyymmdd; 0 while the ledger has none; else BeforeStart).
LineDateFault CheckLineDate(int year, int month, int day, int32_t start = 0);
// kBadDateMessage or kBeforeStartMessage; empty for None.
const char* LineDateMessage(LineDateFault fault);

// ---- amounts ----

// Bounds of an amount stored in a ledger line's income or expense, whole yen.
constexpr int32_t kMinLedgerAmount = 0;
constexpr int32_t kMaxLedgerAmount = 99999999;

// Every refusal of an amount says this.
inline constexpr const char* kAmountRangeMessage = "金額が異常です。( 金額の範囲は 0～99,999,999 )";

// True when the amount may be stored in a ledger line (0..99,999,999).
inline bool IsLedgerAmount(int64_t amount) {
    return amount >= kMinLedgerAmount && amount <= kMaxLedgerAmount;
}

enum class LineAmountFault {
    None,
    NotAnAmount, // not wholly an amount expression ("12abc", "500-", "1,00")
    Refused,     // an expression that fails (division by zero) or leaves the range
    BadRate,     // a "%N" tax marker whose N is not a whole 0..20: the rate is wrong, not the amount
};
// What to tell the user of a refused amount: the rate's range for BadRate, the amount's otherwise.
const char* LineAmountMessage(LineAmountFault fault);

// Reads an amount typed for a line: blank is 0; otherwise the whole text must be an amount
// expression (IsWholeAmountExpr: thousands separators, "%" / "*" / "%N" tax markers) whose value
// EvalAmount finds at `taxRate` without an error. `amount` is set on success only.
LineAmountFault ReadAmountText(std::string_view text, int taxRate, int32_t& amount);
// The same, and the value must be a ledger amount (0..99,999,999).
LineAmountFault CheckLineAmount(std::string_view text, int taxRate, int32_t& amount);

// ---- sides and items ----

enum class LineSideFault { None, NoAmount, BothAmounts };

// A line carries either an income or an expense, never both and never neither.
LineSideFault CheckLineSide(const IoRecord& line);
std::string LineSideMessage(LineSideFault fault);

// Why a line's item does not stand on the line's side of the item table.
struct LineItemFault {
    enum Kind { None, Missing, NotRegistered };
    Kind kind = None;
    int side = 0; // NotRegistered: kIncomeKind or kExpenseKind, the side the line's amount puts it on

    explicit operator bool() const { return kind != None; }
};

// The item of a line with an amount is registered among the items of its side: an income line
// names an income item, an expense line an expense item. Unregistered names count as "(不明)" in
// the totals; the grid offers to register them, the import refuses them or registers them.
LineItemFault CheckLineItem(const NameTables& names, const IoRecord& line);
// "項目名がありません。" or "項目名「…」は出金項目名に登録されていません。"; empty for None.
std::string LineItemMessage(const IoRecord& line, const LineItemFault& fault);
// The side a line's amount puts it on: kIncomeKind for an income, kExpenseKind otherwise.
int LineSideOf(const IoRecord& line);

// ---- texts ----

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
