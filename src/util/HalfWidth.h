#pragma once
#include <string>
#include <string_view>

namespace mrt {

// Full-width digits "０".."９", "＋", "－" and the ideographic space "　" in their half-width
// forms; every other character as it is. Number cells accept what an input method typed.
std::string HalfWidthDigits(std::string_view utf8);

} // namespace mrt
