#include "receipt/ReceiptText.h"

#include "util/TextFold.h"

#include <algorithm>
#include <vector>

namespace mrt {

std::u32string Utf8ToU32(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        int n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) { // a stray byte stands for itself as U+FFFD
            out += U'\uFFFD';
            ++i;
            continue;
        }
        char32_t cp = n == 1 ? c : c & (0x7F >> n);
        for (int k = 1; k < n; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out += cp;
        i += n;
    }
    return out;
}

std::string U32ToUtf8(std::u32string_view t) {
    std::string out;
    for (char32_t c : t) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

namespace {

// Half-width katakana U+FF66..U+FF9D in full width (U+FF61..U+FF65 are punctuation).
const char32_t kHalfKana[] =
    U"ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン";

char32_t voiced(char32_t c, bool semi) {
    if (semi) return (c >= U'ハ' && c <= U'ホ' && (c - U'ハ') % 3 == 0) ? c + 2 : 0;
    if ((c >= U'カ' && c <= U'ド' && c != U'ッ') || (c >= U'ハ' && c <= U'ホ' && (c - U'ハ') % 3 == 0)) return c + 1;
    if (c == U'ウ') return U'ヴ';
    return 0;
}

} // namespace

std::u32string NormalizeReceiptLine(std::u32string_view line) {
    std::u32string out;
    out.reserve(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        char32_t c = line[i];
        if (c >= 0xFF01 && c <= 0xFF5E)
            c = c - 0xFF01 + 0x21;
        else if (c == 0xFFE5 || c == U'\\' || c == 0xFFE6)
            c = U'¥';
        else if (c == 0x3000 || c == U'\t')
            c = U' ';
        else if (c == 0xFF64 || c == U'、')
            c = U',';
        else if (c == 0xFF70)
            c = U'ー';
        else if (c >= 0xFF66 && c <= 0xFF9D) {
            c = kHalfKana[c - 0xFF66];
            if (i + 1 < line.size() && (line[i + 1] == 0xFF9E || line[i + 1] == 0xFF9F)) {
                if (char32_t v = voiced(c, line[i + 1] == 0xFF9F)) {
                    c = v;
                    ++i;
                }
            }
        }
        if (c == U'¥' && !out.empty() && out.back() == U'¥') continue; // "¥\" read for one yen sign
        if (c == U' ' && (out.empty() || out.back() == U' ')) continue;
        // "1, 546": a blank read after a thousands separator.
        if (c == U' ' && out.size() >= 2 && (out.back() == U',' || out.back() == U'.') && out[out.size() - 2] >= U'0' &&
            out[out.size() - 2] <= U'9')
            continue;
        out += c;
    }
    while (!out.empty() && out.back() == U' ')
        out.pop_back();
    return out;
}

double NameSimilarity(std::string_view a, std::string_view b) {
    FoldedText fa, fb;
    if (!FoldUtf8(a, fa) || !FoldUtf8(b, fb)) return 0;
    // Blanks do not tell shops apart: "スーパー みどり" is "スーパーみどり".
    const auto dropBlanks = [](FoldedText& t) { std::erase(t, uint16_t(' ')); };
    dropBlanks(fa);
    dropBlanks(fb);
    if (fa.empty() || fb.empty()) return 0;
    const size_t n = fa.size(), m = fb.size();
    std::vector<size_t> prev(m + 1), cur(m + 1);
    for (size_t j = 0; j <= m; ++j)
        prev[j] = j;
    for (size_t i = 1; i <= n; ++i) {
        cur[0] = i;
        for (size_t j = 1; j <= m; ++j)
            cur[j] = std::min({prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + (fa[i - 1] == fb[j - 1] ? 0 : 1)});
        std::swap(prev, cur);
    }
    double score = 1.0 - double(prev[m]) / double(std::max(n, m));
    const FoldedText& shorter = n <= m ? fa : fb;
    const FoldedText& longer = n <= m ? fb : fa;
    if (shorter.size() >= 2 && FoldedContains(longer.data(), longer.size(), shorter)) score = std::max(score, 0.9);
    return score;
}

int CorporateCheckDigit(std::string_view d) {
    if (d.size() != 12) return -1;
    int sum = 0;
    for (int n = 1; n <= 12; ++n) {
        const char c = d[12 - n];
        if (c < '0' || c > '9') return -1;
        sum += (c - '0') * (n % 2 ? 1 : 2);
    }
    return 9 - sum % 9;
}

std::string YenText(int64_t amount) {
    const std::string digits = std::to_string(amount < 0 ? -amount : amount);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return std::string(amount < 0 ? "-" : "") + "¥" + grouped;
}

} // namespace mrt
