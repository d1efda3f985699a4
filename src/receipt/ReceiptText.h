#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Text helpers of the receipt reader: the forms the recogniser gives are brought to one form
// before a line is classified, and shop names are compared without regard to width.
namespace mrt {

std::u32string Utf8ToU32(std::string_view utf8);
std::string U32ToUtf8(std::u32string_view text);

// One line as the parser reads it: full-width letters, digits and signs in ASCII, "￥" and a
// backslash as "¥", the ideographic space as a blank, half-width katakana in full width (a
// following voiced mark joined), runs of blanks as one blank, no blanks at either end.
std::u32string NormalizeReceiptLine(std::u32string_view line);

// Similarity of two names, 0..1: one minus the edit distance over the longer length, after
// folding width, letter case and katakana (TextFold); a name contained whole in the other counts
// at least 0.9. 0 when either cannot be folded or is empty.
double NameSimilarity(std::string_view a, std::string_view b);

// A corporate number's check digit (the first of its 13 digits) from the other twelve digits.
int CorporateCheckDigit(std::string_view twelveDigits);

// "¥1,234" with thousands separators; a minus sign before the yen sign when negative.
std::string YenText(int64_t amount);

} // namespace mrt
