#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mrt {

// Text folded for matching without regard to width and letter case. Works on CP932 bytes, the
// form the ledger files hold, so a search never decodes a line it does not show. One unit per
// character: ASCII lower-cased; full-width letters, digits, symbols and the ideographic space
// become their ASCII forms; half-width katakana (a following voiced or semi-voiced mark joined)
// become the full-width character's CP932 code; every other character its CP932 code.
using FoldedText = std::vector<uint16_t>;

// Appends the folding of `cp932` to `out`. A lead byte at the very end is dropped.
void FoldCp932(std::string_view cp932, FoldedText& out);
// The same into `out`, which holds at least cp932.size() units; returns the units written.
size_t FoldCp932To(std::string_view cp932, uint16_t* out);

// The folding of a UTF-8 text. False when the text holds a character CP932 cannot store (no
// ledger line can hold it then); `out` is left empty.
bool FoldUtf8(std::string_view utf8, FoldedText& out);

// True when `needle` occurs in `hay` (an empty needle occurs everywhere).
bool FoldedContains(const uint16_t* hay, size_t hayLength, const FoldedText& needle);

} // namespace mrt
