#pragma once
#include "util/Cp932.h"

#include <string>

namespace mrt {

// A CSV field: quoted (with doubled quotes) when it holds a comma, a quote or a line break.
inline std::string csvField(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
    std::string q = "\"";
    for (char c : s) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + "\"";
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
