#pragma once
#include "util/Cp932.h"

#include <charconv>
#include <string>

namespace mrt {

// A whole decimal number that makes up the whole argument ("+" or "-" may open it), read
// without regard to the C locale; false for anything else or beyond the range of long.
inline bool parseWholeArg(const std::string& s, long& value) {
    const char* first = s.data();
    const char* last = s.data() + s.size();
    if (first != last && *first == '+' && last - first > 1 && first[1] != '-') ++first;
    auto [end, ec] = std::from_chars(first, last, value);
    return first != last && ec == std::errc() && end == last;
}

// Text padded with blanks to `width` columns, a double-width character counting two.
inline std::string padded(const std::string& s, int width) {
    int w = AnsiByteLength(s);
    return w >= width ? s : s + std::string(width - w, ' ');
}

// Text right-aligned in `width` columns.
inline std::string rightAligned(const std::string& s, int width) {
    int w = AnsiByteLength(s);
    return w >= width ? s : std::string(width - w, ' ') + s;
}

} // namespace mrt
