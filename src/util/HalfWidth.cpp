#include "util/HalfWidth.h"

namespace mrt {

std::string HalfWidthDigits(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const auto b = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
        if (i + 2 < s.size() && b(0) == 0xEF && b(1) == 0xBC) {
            const unsigned char c = b(2);
            if (c >= 0x90 && c <= 0x99) { // U+FF10..U+FF19
                out += static_cast<char>('0' + (c - 0x90));
                i += 3;
                continue;
            }
            if (c == 0x8B || c == 0x8D) { // U+FF0B "＋", U+FF0D "－"
                out += c == 0x8B ? '+' : '-';
                i += 3;
                continue;
            }
        }
        if (i + 2 < s.size() && b(0) == 0xE3 && b(1) == 0x80 && b(2) == 0x80) { // U+3000
            out += ' ';
            i += 3;
            continue;
        }
        out += s[i++];
    }
    return out;
}

} // namespace mrt
