#include "receipt/ReceiptOcr.h"

#include <cstdint>

namespace mrt {

namespace {

uint32_t readU(const std::string& b, size_t at, int n, bool little) {
    uint32_t v = 0;
    for (int k = 0; k < n; ++k) {
        const uint32_t byte = static_cast<unsigned char>(b[at + k]);
        v |= little ? byte << (8 * k) : byte << (8 * (n - 1 - k));
    }
    return v;
}

} // namespace

int ExifOrientation(const std::string& b) {
    if (b.size() < 4 || static_cast<unsigned char>(b[0]) != 0xFF || static_cast<unsigned char>(b[1]) != 0xD8) return 1;
    size_t at = 2;
    while (at + 4 <= b.size() && static_cast<unsigned char>(b[at]) == 0xFF) {
        const int marker = static_cast<unsigned char>(b[at + 1]);
        const size_t len = readU(b, at + 2, 2, false);
        if (marker == 0xDA || len < 2) break; // the image data starts: no EXIF before it
        const size_t seg = at + 4;
        if (marker == 0xE1 && seg + 14 <= b.size() && b.compare(seg, 6, std::string("Exif\0\0", 6)) == 0) {
            const size_t tiff = seg + 6;
            const bool little = b[tiff] == 'I';
            const size_t ifd = tiff + readU(b, tiff + 4, 4, little);
            if (ifd + 2 > b.size()) return 1;
            const uint32_t count = readU(b, ifd, 2, little);
            for (uint32_t e = 0; e < count; ++e) {
                const size_t entry = ifd + 2 + 12 * e;
                if (entry + 12 > b.size()) return 1;
                if (readU(b, entry, 2, little) == 0x0112) {
                    const uint32_t v = readU(b, entry + 8, 2, little);
                    return v >= 1 && v <= 8 ? int(v) : 1;
                }
            }
            return 1;
        }
        at = seg + len - 2;
    }
    return 1;
}

} // namespace mrt
