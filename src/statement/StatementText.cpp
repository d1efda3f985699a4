#include "statement/StatementText.h"

#include "util/Cp932.h"
#include "util/HalfWidth.h"

#include <algorithm>
#include <vector>

namespace mrt {
namespace {

constexpr size_t kNone = std::string_view::npos;

// Offset of the first byte that breaks UTF-8 (overlong forms and surrogates included), or kNone.
size_t firstBadUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        int len = 0;
        uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF)
            len = 2, cp = c & 0x1F;
        else if (c >= 0xE0 && c <= 0xEF)
            len = 3, cp = c & 0x0F;
        else if (c >= 0xF0 && c <= 0xF4)
            len = 4, cp = c & 0x07;
        else
            return i;
        if (i + len > s.size()) return i;
        for (int k = 1; k < len; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return i;
            cp = (cp << 6) | (t & 0x3F);
        }
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
            return i;
        i += len;
    }
    return kNone;
}

// Offset of the first byte that is no CP932 character (a lone trail byte, a lead byte without its
// trail, or a code the code page leaves unassigned), or kNone.
size_t firstBadCp932(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) {
            ++i;
            continue;
        }
        if (!IsCp932LeadByte(c) || i + 1 >= s.size()) return i;
        const auto t = static_cast<unsigned char>(s[i + 1]);
        if (t < 0x40 || t == 0x7F || t > 0xFC) return i;
        if (!IsCp932Bytes(s.substr(i, 2))) return i;
        i += 2;
    }
    return kNone;
}

int lineOf(std::string_view s, size_t offset) {
    return 1 + static_cast<int>(std::count(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

std::string hexByte(unsigned char b) {
    const char* digits = "0123456789ABCDEF";
    return std::string("0x") + digits[b >> 4] + digits[b & 15];
}

std::string badByteError(std::string_view s, size_t at, const char* encoding) {
    return std::to_string(lineOf(s, at)) + "行目: " + encoding + "読めないバイト (" +
           hexByte(static_cast<unsigned char>(s[at])) + ") があります。ファイルを読み込めません。";
}

// ---- code points ----

std::vector<char32_t> codePoints(std::string_view s) {
    std::vector<char32_t> out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        int len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = len == 1 ? c : len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
        for (int k = 1; k < len && i + k < s.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(cp);
        i += len;
    }
    return out;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Full-width forms of U+FF61..U+FF9F (half-width punctuation and katakana).
constexpr char32_t kFullKana[] = {
    U'。', U'「', U'」', U'、', U'・', U'ヲ', U'ァ', U'ィ', U'ゥ', U'ェ', U'ォ', U'ャ', U'ュ', U'ョ', U'ッ', U'ー',
    U'ア', U'イ', U'ウ', U'エ', U'オ', U'カ', U'キ', U'ク', U'ケ', U'コ', U'サ', U'シ', U'ス', U'セ', U'ソ', U'タ',
    U'チ', U'ツ', U'テ', U'ト', U'ナ', U'ニ', U'ヌ', U'ネ', U'ノ', U'ハ', U'ヒ', U'フ', U'ヘ', U'ホ', U'マ', U'ミ',
    U'ム', U'メ', U'モ', U'ヤ', U'ユ', U'ヨ', U'ラ', U'リ', U'ル', U'レ', U'ロ', U'ワ', U'ン', U'゛', U'゜'};
static_assert(sizeof(kFullKana) / sizeof(kFullKana[0]) == 0x9F - 0x61 + 1);

bool takesVoicedMark(char32_t k) {
    return std::u32string_view(U"カキクケコサシスセソタチツテトハヒフヘホウ").find(k) != std::u32string_view::npos;
}
bool takesSemiVoicedMark(char32_t k) {
    return k >= U'ハ' && k <= U'ホ' && (k - U'ハ') % 3 == 0;
}
bool isKatakana(char32_t c) {
    return (c >= U'ァ' && c <= U'ヺ') || c == U'ー';
}
bool isBlank(char32_t c) {
    return c == U' ' || c == U'\t' || c == 0x3000;
}

bool isDigitText(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int toInt(std::string_view s) {
    int v = 0;
    for (char c : s)
        v = v * 10 + (c - '0');
    return v;
}

// Splits "2026/12/07" at any run of non-digits into its numbers.
std::vector<std::string_view> digitRuns(std::string_view s) {
    std::vector<std::string_view> runs;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && !(s[i] >= '0' && s[i] <= '9'))
            ++i;
        const size_t from = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i;
        if (i > from) runs.push_back(s.substr(from, i - from));
    }
    return runs;
}

} // namespace

const char* StatementEncodingName(StatementEncoding enc) {
    switch (enc) {
    case StatementEncoding::Utf8:
        return "UTF-8";
    case StatementEncoding::Utf8Bom:
        return "UTF-8 (BOM付き)";
    case StatementEncoding::Cp932:
        break;
    }
    return "Shift_JIS (CP932)";
}

bool DecodeStatementBytes(std::string_view bytes, std::string& utf8, StatementEncoding& enc, std::string& error) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        const std::string_view body = bytes.substr(3);
        if (size_t bad = firstBadUtf8(body); bad != kNone) {
            error = badByteError(bytes, bad + 3, "UTF-8 として");
            return false;
        }
        enc = StatementEncoding::Utf8Bom;
        utf8.assign(body);
        return true;
    }
    if (firstBadUtf8(bytes) == kNone) {
        enc = StatementEncoding::Utf8;
        utf8.assign(bytes);
        return true;
    }
    if (size_t bad = firstBadCp932(bytes); bad != kNone) {
        error = badByteError(bytes, bad, "Shift_JIS (CP932) としても UTF-8 としても");
        return false;
    }
    enc = StatementEncoding::Cp932;
    utf8 = FromCp932(bytes);
    return true;
}

bool ParseStatementDate(std::string_view text, int& year, int& month, int& day) {
    std::string s = HalfWidthDigits(text);
    // Leading blanks off, then a time after the first blank ("2026/12/07 10:33") off.
    const size_t start = s.find_first_not_of(' ');
    if (start == std::string::npos) return false;
    s.erase(0, start);
    if (size_t blank = s.find(' '); blank != std::string::npos) s.erase(blank);
    if (s.empty() || !(s[0] >= '0' && s[0] <= '9')) return false;
    const std::vector<std::string_view> runs = digitRuns(s);
    int y = 0, m = 0, d = 0;
    if (runs.size() == 1 && runs[0].size() == 8 && isDigitText(s)) {
        y = toInt(runs[0].substr(0, 4)), m = toInt(runs[0].substr(4, 2)), d = toInt(runs[0].substr(6, 2));
    } else if (runs.size() == 1 && runs[0].size() == 4 && isDigitText(s)) {
        m = toInt(runs[0].substr(0, 2)), d = toInt(runs[0].substr(2, 2)); // "1207": month and day
    } else if (runs.size() == 3 && runs[0].size() <= 4 && runs[1].size() <= 2 && runs[2].size() <= 2) {
        y = toInt(runs[0]), m = toInt(runs[1]), d = toInt(runs[2]);
        if (runs[0].size() <= 2)
            y += 2000;
        else if (runs[0].size() != 4)
            return false;
    } else if (runs.size() == 2 && runs[0].size() <= 2 && runs[1].size() <= 2) {
        m = toInt(runs[0]), d = toInt(runs[1]);
    } else {
        return false;
    }
    if (m < 1 || m > 12 || d < 1 || d > 31) return false;
    // A date without a year is checked against a leap year, so 2/29 stays possible.
    const int checkYear = y == 0 ? 2000 : y;
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (checkYear % 4 == 0 && checkYear % 100 != 0) || checkYear % 400 == 0;
    if (d > kDays[m - 1] || (m == 2 && d == 29 && !leap)) return false;
    year = y, month = m, day = d;
    return true;
}

std::optional<int64_t> ParseStatementAmount(std::string_view text, bool& bad) {
    bad = false;
    const std::string half = HalfWidthDigits(text);
    std::string digits;
    bool negative = false, open = false, seenDigit = false;
    const std::vector<char32_t> cps = codePoints(half);
    for (size_t i = 0; i < cps.size(); ++i) {
        const char32_t c = cps[i];
        if (c >= U'0' && c <= U'9') {
            digits += static_cast<char>(c);
            seenDigit = true;
        } else if (c == U',' || c == U'，' || c == U' ' || c == U'¥' || c == U'￥' || c == U'\\' || c == U'円') {
            // separators and currency marks
        } else if ((c == U'-' || c == U'−' || c == U'▲' || c == U'△') && !seenDigit && !negative) {
            negative = true;
        } else if (c == U'+' && !seenDigit) {
        } else if (c == U'(' && !seenDigit && !negative) {
            negative = open = true;
        } else if (c == U')' && open && seenDigit && i + 1 == cps.size()) {
            open = false;
        } else if (c == U'.' && seenDigit) {
            // Whole yen: a decimal part of zeros only ("1234.00").
            for (++i; i < cps.size(); ++i)
                if (cps[i] != U'0') {
                    bad = true;
                    return std::nullopt;
                }
        } else {
            bad = true;
            return std::nullopt;
        }
    }
    if (open || (!seenDigit && negative)) {
        bad = true;
        return std::nullopt;
    }
    if (!seenDigit) return std::nullopt;
    const size_t first = digits.find_first_not_of('0');
    if (first != std::string::npos && digits.size() - first > 12) {
        bad = true;
        return std::nullopt;
    }
    int64_t v = 0;
    for (char c : digits)
        v = v * 10 + (c - '0');
    return negative ? -v : v;
}

std::string NormaliseShopName(std::string_view utf8) {
    if (utf8.empty()) return {};
    const std::vector<char32_t> in = codePoints(utf8);
    std::vector<char32_t> out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        char32_t c = in[i];
        if (c >= 0xFF61 && c <= 0xFF9F) {
            c = kFullKana[c - 0xFF61];
            const char32_t next = i + 1 < in.size() ? in[i + 1] : 0;
            if (next == 0xFF9E && takesVoicedMark(c)) {
                c = c == U'ウ' ? U'ヴ' : c + 1;
                ++i;
            } else if (next == 0xFF9F && takesSemiVoicedMark(c)) {
                c = c + 2;
                ++i;
            }
        } else if ((c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A)) {
            c = c - 0xFF10 + U'0';
        } else if ((c == U'-' || c == U'－' || c == U'−') && !out.empty() && isKatakana(out.back())) {
            c = U'ー';
        }
        if (isBlank(c) || c < 0x20) {
            if (!out.empty() && out.back() != U' ') out.push_back(U' ');
            continue;
        }
        out.push_back(c);
    }
    while (!out.empty() && out.back() == U' ')
        out.pop_back();
    std::string s;
    s.reserve(utf8.size());
    for (char32_t c : out)
        appendUtf8(s, c);
    return s;
}

std::string ShopKey(std::string_view utf8) {
    std::string s = NormaliseShopName(utf8);
    std::string key;
    key.reserve(s.size());
    for (char c : s) {
        if (c == ' ') continue;
        key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return key;
}

} // namespace mrt
