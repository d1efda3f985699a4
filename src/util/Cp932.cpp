#include "util/Cp932.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace mrt {
namespace {

// One conversion descriptor per direction, opened once per thread.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {
        if (m_cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert to CP932");
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as possible. On an unconvertible sequence, stops there and returns false
    // with `consumed` input bytes used.
    bool run(std::string_view in, std::string& out, size_t& consumed) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* inp = const_cast<char*>(in.data());
        size_t inLeft = in.size();
        char buf[512];
        bool ok = true;
        while (inLeft > 0) {
            char* outp = buf;
            size_t outLeft = sizeof buf;
            size_t r = iconv(m_cd, &inp, &inLeft, &outp, &outLeft);
            out.append(buf, outp - buf);
            if (r == static_cast<size_t>(-1)) {
                if (errno == E2BIG) continue;
                ok = false;
                break;
            }
        }
        consumed = in.size() - inLeft;
        return ok;
    }

private:
    iconv_t m_cd;
};

Converter& toSjis() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}
Converter& fromSjis() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

bool isAscii(std::string_view s) {
    for (unsigned char ch : s)
        if (ch >= 0x80) return false;
    return true;
}

// True when the byte can follow a lead byte in a double-byte CP932 character.
bool isTrailByte(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Length of the UTF-8 sequence that starts with byte b (1 for stray bytes).
size_t utf8Length(unsigned char b) {
    if (b < 0xC0) return 1;
    if (b < 0xE0) return 2;
    if (b < 0xF0) return 3;
    return 4;
}

// Cuts CP932 bytes to n bytes from the front, never inside a double-byte character:
// a lead byte that would lose its trail byte becomes a blank.
std::string cutLeft(const std::string& sj, int n) {
    std::string r;
    r.reserve(n);
    size_t i = 0;
    while (i < sj.size() && static_cast<int>(r.size()) < n) {
        unsigned char b = sj[i];
        if (IsCp932LeadByte(b) && i + 1 < sj.size()) {
            if (static_cast<int>(r.size()) + 2 > n) break;
            r.append(sj, i, 2);
            i += 2;
        } else {
            r.push_back(static_cast<char>(b));
            ++i;
        }
    }
    r.resize(n, ' ');
    return r;
}

} // namespace

bool IsCp932LeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool ToCp932(std::string_view utf8, std::string& out) {
    out.clear();
    if (isAscii(utf8)) {
        out.assign(utf8);
        return true;
    }
    bool ok = true;
    while (!utf8.empty()) {
        size_t consumed = 0;
        if (toSjis().run(utf8, out, consumed)) break;
        ok = false;
        out.push_back('?');
        size_t skip = consumed < utf8.size() ? utf8Length(static_cast<unsigned char>(utf8[consumed])) : 1;
        utf8.remove_prefix(std::min(utf8.size(), consumed + skip));
    }
    return ok;
}

std::string FromCp932(std::string_view sjis) {
    if (isAscii(sjis)) return std::string(sjis);
    std::string out;
    while (!sjis.empty()) {
        size_t consumed = 0;
        if (fromSjis().run(sjis, out, consumed)) break;
        sjis.remove_prefix(consumed);
        // A lead byte at the very end has lost its trail byte: drop it.
        if (sjis.size() == 1 && IsCp932LeadByte(static_cast<unsigned char>(sjis[0]))) break;
        // The bad character becomes U+FFFD. A lead byte takes its follower with it only when that
        // byte can be a trail byte; a blank or control byte after a stray lead byte is kept.
        out += "\xEF\xBF\xBD";
        bool pair = IsCp932LeadByte(static_cast<unsigned char>(sjis[0])) && sjis.size() >= 2 &&
                    isTrailByte(static_cast<unsigned char>(sjis[1]));
        sjis.remove_prefix(pair ? 2 : 1);
    }
    return out;
}

bool IsCp932Bytes(std::string_view sjis, bool allowCutEnd) {
    if (isAscii(sjis)) return true;
    std::string out;
    size_t consumed = 0;
    if (fromSjis().run(sjis, out, consumed)) return true;
    return allowCutEnd && consumed + 1 == sjis.size() && IsCp932LeadByte(static_cast<unsigned char>(sjis.back()));
}

bool LooksLikeUtf8(std::string_view b) {
    if (b.size() >= 3 && b.substr(0, 3) == "\xEF\xBB\xBF") return true;
    bool wide = false;
    for (size_t i = 0; i < b.size();) {
        auto c = static_cast<unsigned char>(b[i]);
        size_t n = c < 0x80                 ? 1
                   : c >= 0xC2 && c <= 0xDF ? 2
                   : c >= 0xE0 && c <= 0xEF ? 3
                   : c >= 0xF0 && c <= 0xF4 ? 4
                                            : 0;
        if (n == 0 || i + n > b.size()) return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(b[i + k]) & 0xC0) != 0x80) return false;
        if (n >= 3) wide = true;
        i += n;
    }
    return wide;
}

bool IsCp932Text(std::string_view utf8) {
    std::string tmp;
    return ToCp932(utf8, tmp);
}

std::string FirstNonCp932Char(std::string_view utf8) {
    if (isAscii(utf8)) return {};
    std::string converted;
    size_t consumed = 0;
    if (toSjis().run(utf8, converted, consumed) || consumed >= utf8.size()) return {};
    size_t n = std::min(utf8Length(static_cast<unsigned char>(utf8[consumed])), utf8.size() - consumed);
    return std::string(utf8.substr(consumed, n));
}

int AnsiByteLength(std::string_view utf8) {
    std::string sj;
    ToCp932(utf8, sj);
    return static_cast<int>(sj.size());
}

std::string FitLeftBytes(std::string_view utf8, int n) {
    if (n <= 0) return {};
    std::string sj;
    ToCp932(utf8, sj);
    return FromCp932(cutLeft(sj, n));
}

std::string FitRightBytes(std::string_view utf8, int n) {
    if (n <= 0) return {};
    std::string sj;
    ToCp932(utf8, sj);
    if (static_cast<int>(sj.size()) <= n) return std::string(n - sj.size(), ' ') + FromCp932(sj);
    // Walk from the start to find character boundaries, keep the last n bytes; a trail byte
    // whose lead was cut off becomes a blank.
    size_t start = sj.size() - n;
    size_t i = 0;
    while (i < start)
        i += (IsCp932LeadByte(static_cast<unsigned char>(sj[i])) && i + 1 < sj.size()) ? 2 : 1;
    std::string r(i - start, ' ');
    r.append(sj, i, std::string::npos);
    return FromCp932(r);
}

bool EncodeField(std::string_view utf8, int n, char* dest) {
    std::string sj;
    bool ok = ToCp932(utf8, sj);
    std::string cut = cutLeft(sj, n);
    std::copy(cut.begin(), cut.end(), dest);
    return ok;
}

std::string DecodeField(const char* src, int n) {
    std::string_view raw(src, n);
    // Walk characters so that a lead byte in the last position (its trail cut off by whoever
    // wrote the file) is dropped rather than decoded with the next field's byte.
    size_t i = 0, end = raw.size();
    while (i < end) {
        if (IsCp932LeadByte(static_cast<unsigned char>(raw[i]))) {
            if (i + 1 >= end) {
                end = i;
                break;
            }
            i += 2;
        } else {
            ++i;
        }
    }
    return FromCp932(raw.substr(0, end));
}

std::string DecodeFieldTrimmed(const char* src, int n) {
    std::string_view raw(src, n);
    // The walk of DecodeField, noting where the last character that is no blank or NUL ends; a
    // double-byte unit always counts, as its second byte is never part of the padding.
    size_t i = 0, end = raw.size(), keep = 0;
    bool ascii = true;
    while (i < end) {
        auto c = static_cast<unsigned char>(raw[i]);
        if (IsCp932LeadByte(c)) {
            if (i + 1 >= end) break;
            i += 2;
            keep = i;
            ascii = false;
        } else {
            ++i;
            if (c != ' ' && c != '\0') keep = i;
            if (c >= 0x80) ascii = false;
        }
    }
    std::string_view text = raw.substr(0, keep);
    if (ascii) return std::string(text);
    std::string s = FromCp932(text);
    // A stray lead byte before a blank decodes to U+FFFD and keeps that blank, which goes.
    if (!s.empty() && (s.back() == ' ' || s.back() == '\0')) return TrimRight(s);
    return s;
}

std::string NulToBlankTrim(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (c == '\0') c = ' ';
    return TrimRight(s);
}

std::string TrimRight(std::string_view text) {
    size_t e = text.size();
    while (e > 0 && (text[e - 1] == ' ' || text[e - 1] == '\0'))
        --e;
    return std::string(text.substr(0, e));
}

} // namespace mrt
