#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The texts of a statement file: its encoding, its dates and amounts, and its shop names.
namespace mrt {

enum class StatementEncoding { Utf8, Utf8Bom, Cp932 };
// "UTF-8", "UTF-8 (BOM付き)", "Shift_JIS (CP932)".
const char* StatementEncodingName(StatementEncoding enc);

// The file's bytes as UTF-8. A byte order mark or well-formed UTF-8 is read as UTF-8; anything
// else must be code page 932 (NEC and IBM extension characters included). False when the bytes
// are neither, with `error` naming the line of the first byte that cannot be read.
bool DecodeStatementBytes(std::string_view bytes, std::string& utf8, StatementEncoding& enc, std::string& error);

// A date cell: "2026/12/07", "2026-12-7", "20261207", "2026年12月7日", "2026.12.07", "26/12/07",
// "12/07", "12月7日"; full-width digits; a time after a blank is ignored. `year` is 0 when the
// text holds none. False when it is no date (a month or day out of range included).
bool ParseStatementDate(std::string_view text, int& year, int& month, int& day);

// An amount cell in whole yen: "1234", "1,234", "¥1,234", "￥1,234", "1,234円", "-1234",
// "−1,234", "▲1,234", "(1,234)" and the same in full-width digits. nullopt for a blank cell;
// `bad` is set when the cell holds something that is no amount.
std::optional<int64_t> ParseStatementAmount(std::string_view text, bool& bad);

// A shop or description as the ledger keeps it: half-width katakana in full width (voiced marks
// joined), full-width letters, digits and blanks in half width, a "-" after katakana as "ー", runs
// of blanks folded into one, and no blanks at either end.
std::string NormaliseShopName(std::string_view utf8);

// The key two shop names are compared by: the normalised name without blanks, letters in lower
// case. Names equal after folding have equal keys.
std::string ShopKey(std::string_view utf8);

} // namespace mrt
