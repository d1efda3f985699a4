#include "util/TextFold.h"

#include "util/Cp932.h"

#include <algorithm>
#include <array>

namespace mrt {
namespace {

// Full-width katakana (UTF-8) of the half-width katakana 0xA1..0xDF.
constexpr const char* kHalfKana[] = {"。", "「", "」", "、", "・", "ヲ", "ァ", "ィ", "ゥ", "ェ", "ォ", "ャ", "ュ",
                                     "ョ", "ッ", "ー", "ア", "イ", "ウ", "エ", "オ", "カ", "キ", "ク", "ケ", "コ",
                                     "サ", "シ", "ス", "セ", "ソ", "タ", "チ", "ツ", "テ", "ト", "ナ", "ニ", "ヌ",
                                     "ネ", "ノ", "ハ", "ヒ", "フ", "ヘ", "ホ", "マ", "ミ", "ム", "メ", "モ", "ヤ",
                                     "ユ", "ヨ", "ラ", "リ", "ル", "レ", "ロ", "ワ", "ン", "゛", "゜"};
static_assert(sizeof kHalfKana / sizeof kHalfKana[0] == 0xDF - 0xA1 + 1);

constexpr unsigned char kVoicedMark = 0xDE;
constexpr unsigned char kSemiVoicedMark = 0xDF;
constexpr uint16_t kFullVu = 0x8394; // ヴ

constexpr int kReplacement = 0xFFFD;

bool leadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The code point of a UTF-8 text of exactly one character of one to three bytes; -1 otherwise.
int codePoint(const std::string& u) {
    const auto b = [&](size_t i) { return static_cast<unsigned char>(u[i]); };
    if (u.size() == 1 && b(0) < 0x80) return b(0);
    if (u.size() == 2 && b(0) >= 0xC0 && b(0) < 0xE0) return (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
    if (u.size() == 3 && b(0) >= 0xE0 && b(0) < 0xF0) return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
    return -1;
}

// The fold of every single byte and every double-byte code (lead << 8 | trail).
struct FoldTable {
    std::array<uint16_t, 256> single{};
    std::vector<uint16_t> dbl = std::vector<uint16_t>(65536);

    FoldTable() {
        for (int b = 0; b < 256; ++b)
            single[b] = static_cast<uint16_t>(b >= 'A' && b <= 'Z' ? b + 32 : b);
        for (int b = 0xA1; b <= 0xDF; ++b) {
            std::string sj;
            ToCp932(kHalfKana[b - 0xA1], sj);
            single[b] =
                static_cast<uint16_t>(static_cast<unsigned char>(sj[0]) << 8 | static_cast<unsigned char>(sj[1]));
        }
        for (int c = 0; c < 65536; ++c)
            dbl[c] = static_cast<uint16_t>(c);
        // Every double-byte code folds through its Unicode character: full-width forms of ASCII
        // (U+FF01..U+FF5E) and the ideographic space to ASCII, every other character to the code
        // CP932 encodes it as, so that the NEC-selected IBM extensions (0xED40..0xEEFC), the IBM
        // extensions (0xFA40..0xFC4B) and the NEC special characters that repeat a character
        // ("≒", "∵", "Ⅰ", "¬", "髙") match however the line was written.
        std::string sj;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!leadByte(static_cast<unsigned char>(lead))) continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F) continue;
                const char code[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                const std::string u = FromCp932(std::string_view(code, 2));
                const int cp = codePoint(u);
                if (cp < 0 || cp == kReplacement) continue;
                if (cp >= 0xFF01 && cp <= 0xFF5E) {
                    dbl[lead << 8 | trail] = single[cp - 0xFF01 + 0x21];
                } else if (cp == 0x3000) {
                    dbl[lead << 8 | trail] = single[' '];
                } else if (ToCp932(u, sj) && sj.size() == 2) {
                    dbl[lead << 8 | trail] = static_cast<uint16_t>(static_cast<unsigned char>(sj[0]) << 8 |
                                                                   static_cast<unsigned char>(sj[1]));
                }
            }
        }
    }
};

const FoldTable& table() {
    static const FoldTable t;
    return t;
}

// Half-width kana that take the voiced mark (カ..ト, ハ..ホ) and the semi-voiced one (ハ..ホ).
bool takesVoiced(unsigned char b) {
    return (b >= 0xB6 && b <= 0xC4) || (b >= 0xCA && b <= 0xCE) || b == 0xB3;
}
bool takesSemiVoiced(unsigned char b) {
    return b >= 0xCA && b <= 0xCE;
}

} // namespace

size_t FoldCp932To(std::string_view s, uint16_t* out) {
    const FoldTable& t = table();
    const size_t n = s.size();
    size_t w = 0;
    for (size_t i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            out[w++] = t.single[b];
            continue;
        }
        if (leadByte(b)) {
            if (i + 1 >= n) break;
            out[w++] = t.dbl[b << 8 | static_cast<unsigned char>(s[++i])];
            continue;
        }
        uint16_t u = t.single[b];
        if (b >= 0xB3 && b <= 0xCE && i + 1 < n) {
            const auto mark = static_cast<unsigned char>(s[i + 1]);
            if (mark == kVoicedMark && takesVoiced(b)) {
                u = b == 0xB3 ? kFullVu : static_cast<uint16_t>(u + 1);
                ++i;
            } else if (mark == kSemiVoicedMark && takesSemiVoiced(b)) {
                u = static_cast<uint16_t>(u + 2);
                ++i;
            }
        }
        out[w++] = u;
    }
    return w;
}

void FoldCp932(std::string_view s, FoldedText& out) {
    const size_t at = out.size();
    out.resize(at + s.size());
    out.resize(at + FoldCp932To(s, out.data() + at));
}

bool FoldUtf8(std::string_view utf8, FoldedText& out) {
    out.clear();
    std::string sj;
    if (!ToCp932(utf8, sj)) return false;
    FoldCp932(sj, out);
    return true;
}

bool FoldedContains(const uint16_t* hay, size_t hayLength, const FoldedText& needle) {
    if (needle.empty()) return true;
    if (needle.size() > hayLength) return false;
    const uint16_t first = needle[0];
    const size_t last = hayLength - needle.size();
    for (size_t i = 0; i <= last; ++i) {
        if (hay[i] != first) continue;
        if (std::equal(needle.begin() + 1, needle.end(), hay + i + 1)) return true;
    }
    return false;
}

} // namespace mrt
