#pragma once
#include <array>

// The font faces the windows, grids and printouts name, and the installed fonts that stand in for
// each (Debian's IPA fonts, Noto CJK as fallback): one list for the windows and the printers.
namespace mrt {

inline constexpr char kGothicFace[] = "ＭＳ ゴシック";    // fixed pitch: full width = 2 × half width
inline constexpr char kPGothicFace[] = "ＭＳ Ｐゴシック"; // proportional
inline constexpr char kMinchoFace[] = "ＭＳ 明朝";

struct FaceAliases {
    const char* face;
    std::array<const char*, 3> fonts; // in order of preference; nullptr ends a shorter list
};

inline constexpr std::array<FaceAliases, 3> kFaceAliases = {{
    {kGothicFace, {"IPAGothic", "Noto Sans Mono CJK JP", "Noto Sans CJK JP"}},
    {kPGothicFace, {"IPAPGothic", "Noto Sans CJK JP", nullptr}},
    {kMinchoFace, {"IPAMincho", "Noto Serif CJK JP", nullptr}},
}};

} // namespace mrt
