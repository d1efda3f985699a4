#include "util/Cp932.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <stdexcept>
#include <vector>

namespace mrt {
namespace {

// One conversion descriptor per direction, opened once per thread.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {
        if (m_cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(kCp932UnavailableMessage);
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

} // namespace

bool Cp932Available() {
    try {
        toSjis();
        fromSjis();
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

namespace {

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

// CP932 to UTF-8 by table: each character is looked up once through iconv, the first time a text
// holds it (a row of 188 trail bytes per lead byte), and copied from the table afterwards. Reading
// a ledger decodes hundreds of thousands of short fields; a call into iconv for each cost more
// than all the rest of a listing.
class DecodeTable {
public:
    struct Entry {
        char utf8[3];
        uint8_t length = 0; // 0: no character (iconv refuses the bytes)
    };

    const Entry& Single(unsigned char b) {
        if (!m_singleKnown[b]) {
            m_single[b] = convert(std::string_view(reinterpret_cast<const char*>(&b), 1));
            m_singleKnown[b] = true;
        }
        return m_single[b];
    }

    const Entry& Pair(unsigned char lead, unsigned char trail) {
        std::unique_ptr<std::array<Entry, 256>>& row = m_rows[lead];
        if (!row) {
            row = std::make_unique<std::array<Entry, 256>>();
            fillRow(static_cast<char>(lead), *row);
        }
        return (*row)[trail];
    }

private:
    // The characters of one lead byte: its pairs converted in as few iconv calls as there are
    // refused pairs in the row (a call stops at each), one call per pair should the output not
    // split into one character a pair.
    static void fillRow(char lead, std::array<Entry, 256>& row) {
        std::string in;
        std::vector<unsigned char> trails;
        for (int t = 0x40; t <= 0xFC; ++t) {
            if (!isTrailByte(static_cast<unsigned char>(t))) continue;
            in += lead;
            in += static_cast<char>(t);
            trails.push_back(static_cast<unsigned char>(t));
        }
        size_t pos = 0;
        std::string out;
        while (pos < in.size()) {
            out.clear();
            size_t consumed = 0;
            const bool ok = fromSjis().run(std::string_view(in).substr(pos), out, consumed);
            if (consumed % 2 != 0 || !splitInto(out, trails, pos / 2, consumed / 2, row)) break;
            pos += consumed;
            if (ok) return;
            pos += 2; // the refused pair stays without a character
        }
        for (unsigned char t : trails) {
            const char pair[2] = {lead, static_cast<char>(t)};
            row[t] = convert(std::string_view(pair, 2));
        }
    }

    // Puts the `count` characters of `utf8` into the row at trails[first..]. False when the text
    // does not hold exactly that many characters of at most three bytes.
    static bool splitInto(const std::string& utf8, const std::vector<unsigned char>& trails, size_t first, size_t count,
                          std::array<Entry, 256>& row) {
        size_t i = 0;
        for (size_t k = 0; k < count; ++k) {
            if (i >= utf8.size()) return false;
            const size_t len = utf8Length(static_cast<unsigned char>(utf8[i]));
            if (len > 3 || i + len > utf8.size()) return false;
            Entry& e = row[trails[first + k]];
            std::copy(utf8.begin() + static_cast<std::ptrdiff_t>(i),
                      utf8.begin() + static_cast<std::ptrdiff_t>(i + len), e.utf8);
            e.length = static_cast<uint8_t>(len);
            i += len;
        }
        return i == utf8.size();
    }

    // The bytes as one character, or an empty entry when iconv takes them otherwise.
    static Entry convert(std::string_view bytes) {
        std::string out;
        size_t consumed = 0;
        Entry e;
        if (!fromSjis().run(bytes, out, consumed) || consumed != bytes.size() || out.empty() || out.size() > 3 ||
            utf8Length(static_cast<unsigned char>(out[0])) != out.size())
            return e;
        std::copy(out.begin(), out.end(), e.utf8);
        e.length = static_cast<uint8_t>(out.size());
        return e;
    }

    std::array<std::unique_ptr<std::array<Entry, 256>>, 256> m_rows;
    std::array<Entry, 256> m_single{};
    std::array<bool, 256> m_singleKnown{};
};

DecodeTable& decodeTable() {
    thread_local DecodeTable t;
    return t;
}

// Walks CP932 bytes as iconv reads them: calls `ch` with each character's UTF-8 bytes, `bad` at
// each sequence iconv refuses (with the bytes it covers: a lead byte takes its follower only when
// that can be a trail byte). A lead byte at the very end is left out; the result is false then.
template <typename Ch, typename Bad> bool walkCp932(std::string_view sjis, Ch ch, Bad bad) {
    DecodeTable& t = decodeTable();
    const size_t n = sjis.size();
    size_t i = 0;
    while (i < n) {
        const auto c = static_cast<unsigned char>(sjis[i]);
        if (c < 0x80) {
            ch(&sjis[i], 1);
            ++i;
            continue;
        }
        if (IsCp932LeadByte(c)) {
            if (i + 1 >= n) return false;
            const auto next = static_cast<unsigned char>(sjis[i + 1]);
            const DecodeTable::Entry& e = t.Pair(c, next);
            if (e.length) {
                ch(e.utf8, e.length);
                i += 2;
            } else {
                const size_t skip = isTrailByte(next) ? 2 : 1;
                if (!bad(i)) return true;
                i += skip;
            }
            continue;
        }
        const DecodeTable::Entry& e = t.Single(c);
        if (e.length) {
            ch(e.utf8, e.length);
        } else if (!bad(i)) {
            return true;
        }
        ++i;
    }
    return true;
}

// The UTF-8 text of CP932 bytes: a bad character becomes U+FFFD; a lead byte at the very end has
// lost its trail byte and goes.
void decodeCp932Into(std::string_view sjis, std::string& out) {
    // No byte gives more than three bytes of UTF-8 (a half-width kana, a refused byte).
    out.resize(sjis.size() * 3);
    char* o = out.data();
    walkCp932(
        sjis,
        [&](const char* p, size_t len) {
            for (size_t k = 0; k < len; ++k)
                *o++ = p[k];
        },
        [&](size_t) {
            std::memcpy(o, "\xEF\xBF\xBD", 3);
            o += 3;
            return true;
        });
    out.resize(static_cast<size_t>(o - out.data()));
}

std::string decodeCp932(std::string_view sjis) {
    std::string out;
    decodeCp932Into(sjis, out);
    return out;
}

} // namespace

bool IsCp932LeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

namespace {

// UTF-8 to CP932 by character: each character of the BMP is converted through iconv the first
// time a text holds it and taken from the table afterwards. A save encodes every text of its block;
// a call into iconv for each cost more than the rest of the encoding.
class EncodeTable {
public:
    // The CP932 bytes of the character `ch` (its UTF-8 bytes, code point `cp`) into `out`; their
    // count, 0 when CP932 has no such character.
    int Lookup(uint32_t cp, std::string_view ch, char out[2]) {
        if (!m_codes) m_codes = std::make_unique<uint32_t[]>(0x10000);
        uint32_t& e = m_codes[cp];
        if (e == 0) {
            std::string sj;
            size_t consumed = 0;
            if (toSjis().run(ch, sj, consumed) && consumed == ch.size() && !sj.empty() && sj.size() <= 2)
                e = kKnown | (static_cast<uint32_t>(sj.size()) << 16) | static_cast<unsigned char>(sj[0]) |
                    (sj.size() == 2 ? static_cast<uint32_t>(static_cast<unsigned char>(sj[1])) << 8 : 0);
            else
                e = kKnown;
        }
        const int len = static_cast<int>((e >> 16) & 3);
        out[0] = static_cast<char>(e & 0xFF);
        out[1] = static_cast<char>((e >> 8) & 0xFF);
        return len;
    }

private:
    static constexpr uint32_t kKnown = 1u << 31;
    std::unique_ptr<uint32_t[]> m_codes;
};

EncodeTable& encodeTable() {
    thread_local EncodeTable t;
    return t;
}

// The code point of the well-formed UTF-8 sequence of the BMP at s[i] (two or three bytes, no
// surrogate, not overlong), its length in `len`; -1 for anything else.
int32_t bmpCodePoint(std::string_view s, size_t i, size_t& len) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    auto cont = [&](size_t k) { return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80; };
    if (b0 >= 0xC2 && b0 <= 0xDF && cont(1)) {
        len = 2;
        return ((b0 & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F);
    }
    if (b0 >= 0xE0 && b0 <= 0xEF && cont(1) && cont(2)) {
        const int32_t cp = ((b0 & 0x0F) << 12) | ((static_cast<unsigned char>(s[i + 1]) & 0x3F) << 6) |
                           (static_cast<unsigned char>(s[i + 2]) & 0x3F);
        if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
        len = 3;
        return cp;
    }
    return -1;
}

// The conversion through iconv for any text: an unconvertible character becomes "?".
bool toCp932Iconv(std::string_view utf8, std::string& out) {
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

} // namespace

bool ToCp932(std::string_view utf8, std::string& out) {
    out.clear();
    if (isAscii(utf8)) {
        out.assign(utf8);
        return true;
    }
    // Well-formed text of the BMP goes through the table; anything else through iconv whole.
    out.reserve(utf8.size());
    EncodeTable& t = encodeTable();
    bool ok = true;
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        size_t len = 0;
        const int32_t cp = bmpCodePoint(utf8, i, len);
        if (cp < 0) {
            out.clear();
            return toCp932Iconv(utf8, out);
        }
        char sj[2];
        const int n = t.Lookup(static_cast<uint32_t>(cp), utf8.substr(i, len), sj);
        if (n == 0) {
            ok = false;
            out.push_back('?');
        } else {
            out.append(sj, static_cast<size_t>(n));
        }
        i += len;
    }
    return ok;
}

std::string FromCp932(std::string_view sjis) {
    if (isAscii(sjis)) return std::string(sjis);
    return decodeCp932(sjis);
}

bool IsCp932Bytes(std::string_view sjis, bool allowCutEnd) {
    if (isAscii(sjis)) return true;
    bool sound = true;
    const bool complete = walkCp932(
        sjis, [](const char*, size_t) {},
        [&](size_t) {
            sound = false;
            return false;
        });
    if (!sound) return false;
    return complete || allowCutEnd;
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

std::string NonCp932Refusal(std::string_view ch, std::string_view action) {
    return "「" + std::string(ch) + "」はファイルに保存できない文字のため" + std::string(action) + "できません。";
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

std::string_view FieldTextBytes(const char* src, int n, bool* ascii) {
    // Most of a field is padding: the walk stops one byte after the last byte that is no blank or
    // NUL (a lead byte there takes that blank as its pair).
    size_t last = static_cast<size_t>(n);
    // Eight bytes at a time: each is a blank or NUL exactly when it has no bit but 0x20.
    while (last >= 8) {
        uint64_t word;
        std::memcpy(&word, src + last - 8, 8);
        if ((word & 0xDFDFDFDFDFDFDFDFull) != 0) break;
        last -= 8;
    }
    while (last > 0 && (src[last - 1] == ' ' || src[last - 1] == '\0'))
        --last;
    if (ascii) *ascii = true;
    if (last == 0) return {};
    std::string_view raw(src, std::min(static_cast<size_t>(n), last + 1));
    // The walk of DecodeField, noting where the last character that is no blank or NUL ends; a
    // double-byte unit always counts, as its second byte is never part of the padding.
    size_t i = 0, end = raw.size(), keep = 0;
    bool plain = true;
    while (i < end) {
        auto c = static_cast<unsigned char>(raw[i]);
        if (IsCp932LeadByte(c)) {
            if (i + 1 >= end) break;
            i += 2;
            keep = i;
            plain = false;
        } else {
            ++i;
            if (c != ' ' && c != '\0') keep = i;
            if (c >= 0x80) plain = false;
        }
    }
    if (ascii) *ascii = plain;
    return raw.substr(0, keep);
}

FieldAppend AppendFieldText(const char* src, int n, ByteBuffer& out, const std::array<bool, 128>& stops) {
    size_t last = static_cast<size_t>(n);
    while (last >= 8) {
        uint64_t word;
        std::memcpy(&word, src + last - 8, 8);
        if ((word & 0xDFDFDFDFDFDFDFDFull) != 0) break;
        last -= 8;
    }
    while (last > 0 && (src[last - 1] == ' ' || src[last - 1] == '\0'))
        --last;
    if (last == 0) return FieldAppend::Done;
    // The walk of FieldTextBytes and the decoding in one: a character is written as three bytes,
    // of which its length counts, and the text ends after its last character that is no blank.
    const size_t end = std::min(static_cast<size_t>(n), last + 1), start = out.size();
    char* const base = out.extend(end * 3);
    char* o = base;
    char* keep = base;
    DecodeTable& t = decodeTable();
    auto refuse = [&](FieldAppend why) {
        out.truncate(start);
        return why;
    };
    for (size_t i = 0; i < end;) {
        const auto c = static_cast<unsigned char>(src[i]);
        if (c < 0x80) {
            // A NUL after the text's last byte is padding.
            if (stops[c] && (c != 0 || i < last)) return refuse(FieldAppend::Stopped);
            *o++ = static_cast<char>(c);
            ++i;
            if (c != ' ' && c != 0) keep = o;
            continue;
        }
        const DecodeTable::Entry* e;
        if (IsCp932LeadByte(c)) {
            if (i + 1 >= end) break; // a lead byte cut off at the field's end is dropped
            e = &t.Pair(c, static_cast<unsigned char>(src[i + 1]));
            i += 2;
        } else {
            e = &t.Single(c);
            ++i;
        }
        if (e->length == 0) return refuse(FieldAppend::NotCp932);
        std::memcpy(o, e->utf8, 3);
        o += e->length;
        keep = o;
    }
    out.truncate(start + static_cast<size_t>(keep - base));
    return FieldAppend::Done;
}

void DecodeFieldTrimmedInto(const char* src, int n, std::string& out) {
    bool ascii = true;
    const std::string_view text = FieldTextBytes(src, n, &ascii);
    if (ascii) {
        out.assign(text);
        return;
    }
    decodeCp932Into(text, out);
    // A stray lead byte before a blank decodes to U+FFFD and keeps that blank, which goes.
    out.resize(TrimmedRight(out).size());
}

std::string DecodeFieldTrimmed(const char* src, int n) {
    std::string out;
    DecodeFieldTrimmedInto(src, n, out);
    return out;
}

std::string NulToBlankTrim(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (c == '\0') c = ' ';
    return TrimRight(s);
}

std::string_view TrimmedRight(std::string_view text) {
    size_t e = text.size();
    while (e > 0 && (text[e - 1] == ' ' || text[e - 1] == '\0'))
        --e;
    return text.substr(0, e);
}

std::string TrimRight(std::string_view text) {
    return std::string(TrimmedRight(text));
}

} // namespace mrt
