#pragma once
#include "ledger/LineRules.h" // the range of a ledger amount and its message

#include <cstdint>
#include <string>
#include <string_view>

namespace mrt {

class Dialogs;

// Shown when an amount ends in "%N" with N not a whole 0..20: the amount may be fine, the rate is not.
inline constexpr const char* kTaxRateRangeMessage = "税率が異常です。( 税率の範囲は 0～20 )";
// EvalAmount's error text for such a tax marker.
inline constexpr const char* kTaxRateError = "tax rate";

// Evaluates an amount expression: terms joined by "+"/"-", factors joined by "*"/"/", each
// factor's value rounded half-to-even as it is applied; a trailing "%" or "*" adds consumption
// tax at taxRate percent, a trailing "%N" (N a whole 0..20) tax at N percent ("980%8" adds the
// reduced 8 %; "*N" is a multiplication). Commas are thousands separators ("1,000" is 1000); a
// comma anywhere else is refused. Blank text gives 0.
// Result -1 with *error set (when error is not null) for a division by zero, a 32-bit overflow,
// a "%" not followed by a tax rate of 0..20, a misplaced comma, or more than 10 terms or 10 factors in a term; on
// success *error is cleared. Note that "-1" itself evaluates to -1 without an error; callers that only need the range
// check need not tell the two apart, since both are refused.
int32_t EvalAmount(const std::string& expr, int taxRate, std::string* error = nullptr);

// True when the text holds nothing but what an amount expression is made of: digits, blanks,
// ".", ",", the operators "+", "-", "*", "/" and the tax marker "%". EvalAmount reads any other
// text as a number up to its first odd character, so a cell check refuses it first.
bool IsAmountText(std::string_view text);

// True when the whole text is an amount expression as EvalAmount reads it: thousands separators
// only between a digit and three digits, an optional trailing tax marker ("%", "*" or "%N"), and
// every factor a number (blanks, an optional sign, digits with at most one decimal point) with
// nothing left unread. EvalAmount reads "12abc" as 12 and "500-" as 500; the line rules refuse
// them, and blank text, instead.
bool IsWholeAmountExpr(std::string_view text);

// EvalAmount as text: plain digits, a leading "-" when negative, "-1" on failure.
std::string EvalAmountText(const std::string& expr, int taxRate);

// The message for an amount cell EvalAmount refused with `error` (or whose value is out of range,
// `error` empty): the tax rate's range for a bad "%N", otherwise the amount's.
const char* AmountRefusalMessage(const std::string& error);

// Display forms of an amount:
//   mode 0: thousands separators, zero shown as nothing, right-aligned in 10 CP932 bytes;
//   mode 2: thousands separators, zero shown as "0", right-aligned in 10 bytes;
//   other:  plain digits, left-aligned in 8 bytes (cut when longer).
std::string FormatAmount(int64_t amount, int mode);
// The same for an amount held as text (a grid cell): a text that is a whole number, optionally
// signed and with thousands separators, is formatted as that number; any other text (blank
// included) is only aligned.
std::string FormatAmount(const std::string& amountText, int mode);

// Asks for an amount with the numeric input dialog (title "金額入力", range 0..99,999,999);
// the initial text is the default in plain digits padded with blanks to 8 characters.
// 0 = confirmed (amount set), -1 = cancelled (amount unchanged).
int AskAmount(Dialogs& dlg, const std::string& prompt, int32_t defaultAmount, int32_t& amount);

} // namespace mrt
