#include "util/Cp932.h"
#include "util/IntBounds.h"

#include <gtest/gtest.h>
#include <iconv.h>

using namespace mrt;
using namespace std::string_literals;

namespace {
std::string sjis(const std::string& utf8) {
    std::string out;
    EXPECT_TRUE(ToCp932(utf8, out)) << utf8;
    return out;
}
} // namespace

TEST(Cp932Width, CountsDoubleByteCharactersAsTwo) {
    EXPECT_EQ(AnsiByteLength("家計簿"), 6);
    EXPECT_EQ(AnsiByteLength("ｶﾅ12"), 4); // half-width katakana is single-byte
    EXPECT_EQ(AnsiByteLength(""), 0);
    EXPECT_EQ(AnsiByteLength("～①"), 4);
}

TEST(Cp932Width, FitLeftPadsAndCutsOnCharacterBoundaries) {
    EXPECT_EQ(FitLeftBytes("家計簿", 8), "家計簿  ");
    EXPECT_EQ(FitLeftBytes("家計簿", 4), "家計");
    // A cut in the middle of 簿 leaves a blank, never half a character.
    EXPECT_EQ(FitLeftBytes("家計簿", 5), "家計 ");
    EXPECT_EQ(AnsiByteLength(FitLeftBytes("家計簿", 5)), 5);
    EXPECT_EQ(FitLeftBytes("a家", 2), "a ");
    EXPECT_EQ(FitLeftBytes("abc", 0), "");
}

TEST(Cp932Width, FitRightAlignsAndCutsFromTheLeft) {
    EXPECT_EQ(FitRightBytes("12", 5), "   12");
    EXPECT_EQ(FitRightBytes("12345", 3), "345");
    EXPECT_EQ(FitRightBytes("家計簿", 4), "計簿");
    // Keeping the last 3 bytes would keep only the trail byte of 家: it becomes a blank.
    EXPECT_EQ(FitRightBytes("家計", 3), " 計");
}

TEST(Cp932Fields, EncodeCutsWithoutSplittingAndRoundTrips) {
    char buf[5];
    EXPECT_TRUE(EncodeField("食費です", 5, buf));
    EXPECT_EQ(std::string(buf, 5), sjis("食費") + " ");
    EXPECT_EQ(DecodeField(buf, 5), "食費 ");

    // A 16-character full-width text in a 30-byte field keeps 15 characters.
    std::string shop = "あいうえおかきくけこさしすせそた";
    char f30[30];
    EncodeField(shop, 30, f30);
    EXPECT_EQ(TrimRight(DecodeField(f30, 30)), "あいうえおかきくけこさしすせそ");
}

TEST(Cp932Fields, DanglingLeadByteFromAFileIsDropped) {
    std::string raw = sjis("家計");
    raw.push_back(raw[0]); // lead byte of 家 alone at the end of the field
    EXPECT_EQ(DecodeField(raw.data(), static_cast<int>(raw.size())), "家計");
    EXPECT_EQ(FromCp932(raw), "家計");
}

TEST(Cp932Fields, StrayLeadByteDoesNotSwallowTheNextCharacter) {
    // A lead byte followed by a byte that cannot end a double-byte character is bad on its own:
    // the blank, line feed or letter after it is kept.
    EXPECT_EQ(FromCp932(std::string("\x81 ab", 4)), "\xEF\xBF\xBD ab");
    EXPECT_EQ(FromCp932(std::string("x\x82\nz", 4)), "x\xEF\xBF\xBD\nz");
    std::string field = std::string("\x81", 1) + "  " + sjis("家");
    EXPECT_EQ(DecodeField(field.data(), static_cast<int>(field.size())), "\xEF\xBF\xBD  家");
}

TEST(Cp932Fields, UnmappableCharacterIsReportedNotWrittenAsGarbage) {
    EXPECT_FALSE(IsCp932Text("ケーキ🍰"));
    EXPECT_TRUE(IsCp932Text("ケーキ～①髙"));
    char buf[10];
    EXPECT_FALSE(EncodeField("a🍰", 10, buf));
    // The field still holds valid CP932 bytes and its full width.
    EXPECT_EQ(TrimRight(DecodeField(buf, 10)), "a?");
}

TEST(Cp932Fields, TheFirstUnstorableCharacterIsNamed) {
    EXPECT_EQ(FirstNonCp932Char("ケーキ🍰と𠮷"), "🍰");
    EXPECT_EQ(FirstNonCp932Char("𠮷野家"), "𠮷");
    EXPECT_EQ(FirstNonCp932Char("abc\xF0\x9F"), "\xF0\x9F"); // cut short: what is left of it
    EXPECT_EQ(FirstNonCp932Char("ケーキ～①髙"), "");
    EXPECT_EQ(FirstNonCp932Char("plain"), "");
    EXPECT_EQ(FirstNonCp932Char(""), "");
}

TEST(Cp932Fields, WindowsMappingsSurviveARoundTrip) {
    // Code page 932 holds the wave dash as U+FF5E and the NEC circled digits.
    EXPECT_EQ(sjis("～"), "\x81\x60");
    EXPECT_EQ(sjis("①"), "\x87\x40");
    EXPECT_EQ(FromCp932("\x81\x60\x87\x40"), "～①");
}

TEST(Cp932Text, NulToBlankTrim) {
    EXPECT_EQ(NulToBlankTrim(std::string("ab\0c\0\0  ", 8)), "ab c");
    EXPECT_EQ(NulToBlankTrim("   "), "");
    EXPECT_EQ(TrimRight(" a b  "), " a b");
}

TEST(IntBounds, MinMaxClamp) {
    EXPECT_EQ(ClampInt(7, 6, 2), 6);
    EXPECT_EQ(ClampInt(0, 6, 2), 2);
    EXPECT_EQ(ClampInt(4, 6, 2), 4);
    EXPECT_EQ(MinInt(-3, 2), -3);
    EXPECT_EQ(MaxInt(-3, 2), 2);
}

TEST(DecodeFieldTrimmed, GivesWhatDecodingThenTrimmingGives) {
    const std::string cases[] = {
        std::string(30, ' '),
        std::string(30, '\0'),
        sjis("食費") + std::string(26, ' '),
        "abc  \0 \0"s + std::string(22, ' '),
        sjis("ｶﾞｿﾘﾝ") + " x" + std::string(23, '\0'),
        "a\x81 " + std::string(27, ' '),   // a stray lead byte before the padding
        "a\x81\0" + std::string(27, '\0'), // the same before NULs
        std::string(29, ' ') + "\x82",     // a lead byte cut off at the end
        sjis("家計簿") + "\xA0\xFD  ",     // bytes that are no CP932 character
    };
    for (const std::string& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c));
        EXPECT_EQ(DecodeFieldTrimmed(c.data(), static_cast<int>(c.size())),
                  TrimRight(DecodeField(c.data(), static_cast<int>(c.size()))));
    }
    EXPECT_EQ(DecodeFieldTrimmed(cases[2].data(), 30), "食費");
    EXPECT_EQ(DecodeFieldTrimmed(cases[5].data(), 30), "a\xEF\xBF\xBD");

    // Random fields drawn from blanks, NULs, ASCII, lead and trail bytes and half-width kana.
    const unsigned char pool[] = {' ',  ' ',  ' ',  '\0', 'a',  '~',  '\\', 0x81, 0x82, 0x88,
                                  0x9F, 0xE0, 0x40, 0x9F, 0xA0, 0xB1, 0xDE, 0xFC, 0xFD, 0x7F};
    uint32_t seed = 12345;
    for (int round = 0; round < 5000; ++round) {
        std::string f(1 + round % 40, ' ');
        for (char& ch : f) {
            seed = seed * 1103515245u + 12345u;
            ch = static_cast<char>(pool[(seed >> 16) % sizeof pool]);
        }
        ASSERT_EQ(DecodeFieldTrimmed(f.data(), static_cast<int>(f.size())),
                  TrimRight(DecodeField(f.data(), static_cast<int>(f.size()))))
            << testing::PrintToString(f);
    }
}

namespace {

// Converts from the start of `in` as far as iconv goes, appending to `out` and taking the converted
// bytes off `in`; true when it went to the end.
bool iconvStep(iconv_t cd, std::string_view& in, std::string& out) {
    char* inp = const_cast<char*>(in.data());
    size_t left = in.size();
    char buf[4096];
    char* outp = buf;
    size_t room = sizeof buf;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    size_t r = iconv(cd, &inp, &left, &outp, &room);
    out.append(buf, static_cast<size_t>(outp - buf));
    in.remove_prefix(in.size() - left);
    return r != static_cast<size_t>(-1);
}

// The reference decoding straight through iconv, character by character, that the table decoder
// must match: a refused sequence becomes U+FFFD (a lead byte takes its follower when that can be a
// trail byte), a lead byte at the very end is dropped.
std::string iconvDecode(std::string_view in, bool& sound, bool& cutEnd) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    std::string out;
    sound = true;
    cutEnd = false;
    while (!in.empty()) {
        if (iconvStep(cd, in, out)) break;
        auto b0 = static_cast<unsigned char>(in[0]);
        if (in.size() == 1 && IsCp932LeadByte(b0)) {
            cutEnd = true;
            break;
        }
        sound = false;
        out += "\xEF\xBF\xBD";
        bool pair = IsCp932LeadByte(b0) && in.size() >= 2 &&
                    ((static_cast<unsigned char>(in[1]) >= 0x40 && static_cast<unsigned char>(in[1]) <= 0x7E) ||
                     (static_cast<unsigned char>(in[1]) >= 0x80 && static_cast<unsigned char>(in[1]) <= 0xFC));
        in.remove_prefix(pair ? 2 : 1);
    }
    iconv_close(cd);
    return out;
}

} // namespace

TEST(Cp932Decode, TheTableReadsEveryCodeAsIconvDoes) {
    // Every single byte and every pair of bytes, on its own and between ASCII letters.
    for (int a = 0; a < 256; ++a) {
        for (int b = -1; b < 256; ++b) {
            std::string in(1, static_cast<char>(a));
            if (b >= 0) in += static_cast<char>(b);
            for (const std::string& text : {in, "x" + in + "y"}) {
                bool sound = false, cutEnd = false;
                const std::string want = iconvDecode(text, sound, cutEnd);
                ASSERT_EQ(FromCp932(text), want) << testing::PrintToString(text);
                ASSERT_EQ(IsCp932Bytes(text, false), sound && !cutEnd) << testing::PrintToString(text);
                ASSERT_EQ(IsCp932Bytes(text, true), sound) << testing::PrintToString(text);
            }
        }
    }
}

TEST(Cp932Decode, RandomTextsReadAsIconvReadsThem) {
    uint32_t seed = 777;
    for (int round = 0; round < 20000; ++round) {
        std::string text(1 + round % 24, ' ');
        for (char& ch : text) {
            seed = seed * 1103515245u + 12345u;
            // Mostly the bytes of Japanese text, now and then any byte at all.
            const uint32_t r = seed >> 16;
            ch = static_cast<char>(r % 4 == 0 ? r >> 4 : 0x81 + (r >> 4) % 0x7C);
        }
        bool sound = false, cutEnd = false;
        ASSERT_EQ(FromCp932(text), iconvDecode(text, sound, cutEnd)) << testing::PrintToString(text);
        ASSERT_EQ(IsCp932Bytes(text, true), sound) << testing::PrintToString(text);
    }
}

namespace {

// The reference encoding straight through iconv, that the table encoder must match: an unconvertible character
// (or a byte that starts no UTF-8 character) becomes "?", and the rest goes on after it.
std::string iconvEncode(std::string_view in, bool& ok) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    std::string out;
    ok = true;
    while (!in.empty()) {
        if (iconvStep(cd, in, out)) break;
        ok = false;
        out += '?';
        const auto b = static_cast<unsigned char>(in[0]);
        const size_t skip = b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        in.remove_prefix(std::min(in.size(), skip));
    }
    iconv_close(cd);
    return out;
}

std::string utf8Of(uint32_t cp) {
    std::string s;
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return s;
}

} // namespace

TEST(Cp932Encode, EveryCharacterOfTheBmpIsEncodedAsIconvEncodesIt) {
    for (uint32_t cp = 0x80; cp <= 0xFFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        const std::string text = "a" + utf8Of(cp) + "b";
        bool want = false;
        std::string got;
        const std::string expected = iconvEncode(text, want);
        ASSERT_EQ(ToCp932(text, got), want) << std::hex << cp;
        ASSERT_EQ(got, expected) << std::hex << cp;
    }
}

TEST(Cp932Encode, RandomTextsWithBrokenUtf8AreEncodedAsIconvEncodesThem) {
    // Characters of Japanese text and others, now and then a broken or four-byte sequence.
    const std::vector<std::string> pool = {"食",           "費",   "ｶﾞ", "～", "〜", "①", "髙", "€", "😀", "a", ",",
                                           "\xE3\x81",     // cut short
                                           "\xC0\xAF",     // overlong
                                           "\xED\xA0\x80", // a surrogate
                                           "\x80",         "\xFF", "－", "−",  "¥",  "\\"};
    uint32_t seed = 4242;
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int k = 0; k < 1 + round % 12; ++k) {
            seed = seed * 1103515245u + 12345u;
            text += pool[(seed >> 16) % pool.size()];
        }
        bool want = false;
        std::string got;
        const std::string expected = iconvEncode(text, want);
        ASSERT_EQ(ToCp932(text, got), want) << testing::PrintToString(text);
        ASSERT_EQ(got, expected) << testing::PrintToString(text);
    }
}
