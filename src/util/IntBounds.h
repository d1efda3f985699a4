#pragma once
#include <cstdint>

namespace mrt {

// 16-bit integer helpers shared by the windows and the file code.
inline int16_t MinInt(int16_t a, int16_t b) { return a < b ? a : b; }
inline int16_t MaxInt(int16_t a, int16_t b) { return a > b ? a : b; }
// upper when value > upper, else the larger of value and lower.
inline int16_t ClampInt(int16_t value, int16_t upper, int16_t lower) {
    return value > upper ? upper : MaxInt(value, lower);
}

} // namespace mrt
