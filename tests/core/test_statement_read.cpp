// Statement files: encodings, header rows after holder lines, layouts, date and amount forms,
// cancellations, footers and shop names, over test files in the layouts users download.
#include "statement/StatementFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace mrt::test {
namespace {

std::string dataFile(const std::string& name) {
    return ReadBytes(std::string(MRTKEL_TEST_DATA) + "/statements/" + name);
}

// One expected line: file line, date, normalised shop, amount (out positive), skip reason start.
struct Line {
    int lineNo;
    int ymd;
    const char* shop;
    int64_t amount;
    const char* skip;
};
struct Case {
    const char* file;
    const char* layout;
    StatementEncoding encoding;
    int headerLine;
    int year; // given for a file without years
    std::vector<Line> lines;
};

const Case kCases[] = {
    {"bank_a_sjis.csv",
     "bank-a",
     StatementEncoding::Cp932,
     1,
     0,
     {{2, 20261125, "ミドリカード", 45000, ""},
      {3, 20261125, "キユウヨ サクラショウジ", -250000, ""},
      {4, 20261127, "ATM", 10000, ""},
      {5, 20261128, "トウキョウガス", 5432, ""}}},
    {"bank_b_sjis.csv",
     "bank-b",
     StatementEncoding::Cp932,
     1,
     0,
     {{2, 20261103, "デンキダイ ヒノデデンリョク", 8120, ""},
      {3, 20261105, "振込 タナカ イチロウ", -3000, ""},
      {4, 20261110, "VISAデビット SUNMART", 1980, ""}}},
    {"card_c_sjis.csv",
     "card-c",
     StatementEncoding::Cp932,
     5,
     0,
     {{6, 20261102, "㈱ハナマル商店", 3300, ""},
      {7, 20261104, "モリノコーヒー エキマエテン", 480, ""},
      {8, 20261104, "モリノコーヒー エキマエテン", 480, ""},
      {9, 20261109, "髙島文具店", -1200, ""}}},
    {"card_d_utf8bom.csv",
     "card-d",
     StatementEncoding::Utf8Bom,
     1,
     0,
     {{2, 20261101, "イオンモール サクラガオカ", 1280, ""},
      {3, 20261103, "ネットショップ ABC", 4400, ""},
      {4, 20261106, "ネットショップ ABC", -4400, ""},
      {5, 20261108, "ヤサイノイエ", 2160, ""},
      {6, 20261112, "ヤクゾウドラッグ", -550, ""}}},
    {"card_e_sjis.csv",
     "card-e",
     StatementEncoding::Cp932,
     1,
     0,
     {{2, 20261102, "ベーカリー コムギ", 650, ""},
      {3, 20261115, "シネマ スバル", 1800, ""},
      {4, 20261116, "シネマ スバル", -1800, ""}}},
    {"emoney_f_sjis.csv",
     "emoney-f",
     StatementEncoding::Cp932,
     1,
     0,
     {{2, 20261101, "ハナマルストア キタグチ", 1024, ""},
      {3, 20261101, "ハナマルストア キタグチ", 5000, "チャージ"},
      {4, 20261107, "ハナマルストア 南口", 756, ""}}},
    {"transit_reader_sjis.csv",
     "transit-reader",
     StatementEncoding::Cp932,
     1,
     0,
     {{2, 20261110, "サクラガオカ→ミナトマチ", 220, ""},
      {3, 20261110, "ミナトマチ→サクラガオカ", 220, ""},
      {4, 20261111, "チャージ", 3000, "チャージ"}}},
    {"transit_app_utf8bom.csv",
     "transit-app",
     StatementEncoding::Utf8Bom,
     1,
     2026,
     {{2, 20261228, "サクラガオカ→ミナトマチ", 220, ""},
      {3, 20261230, "", 150, ""},
      {4, 20261231, "チャージ", -3000, "チャージ"},
      {5, 20270102, "ミナトマチ→サクラガオカ", 220, ""}}},
    {"app_g_utf8.csv",
     "app-g",
     StatementEncoding::Utf8,
     1,
     0,
     {{2, 20261120, "洋食キッチン ポポ", 1100, ""},
      {3, 20261121, "サクラ商事", -5000, ""},
      {4, 20261122, "", 0, "振替"},
      {5, 20261123, "洗剤", 398, ""}}},
    {"app_h_sjis.csv",
     "app-h",
     StatementEncoding::Cp932,
     1,
     0,
     {{2, 20261114, "コンビニ ミドリマート", 598, ""},
      {3, 20261115, "カード引き落とし", 45000, "振替"},
      {4, 20261116, "テストチュウ", 100, "計算対象外"},
      {5, 20261117, "リョウキン バック", -120, ""}}},
};

TEST(StatementRead, EveryLayoutReadsToItsLines) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.file);
        const StatementFile f = ReadStatement(dataFile(c.file), {}, {}, c.year);
        ASSERT_EQ(f.error, "");
        EXPECT_EQ(f.layout.name, c.layout);
        EXPECT_EQ(f.encoding, c.encoding);
        EXPECT_EQ(f.headerLine, c.headerLine);
        ASSERT_EQ(f.rows.size(), c.lines.size());
        for (size_t i = 0; i < c.lines.size(); ++i) {
            const StatementRow& r = f.rows[i];
            const Line& l = c.lines[i];
            SCOPED_TRACE(l.lineNo);
            EXPECT_EQ(r.problem, "");
            EXPECT_EQ(r.lineNo, l.lineNo);
            EXPECT_EQ(r.year * 10000 + r.month * 100 + r.day, l.ymd);
            EXPECT_EQ(r.shop, l.shop);
            EXPECT_EQ(r.amount, l.amount);
            EXPECT_EQ(r.skip.substr(0, std::string(l.skip).size()), l.skip);
            EXPECT_EQ(r.skip.empty(), std::string(l.skip).empty());
        }
    }
}

TEST(StatementRead, AFileWithoutYearsNeedsOneAndAForcedLayoutMustFit) {
    const StatementFile noYear = ReadStatement(dataFile("transit_app_utf8bom.csv"), {});
    EXPECT_TRUE(noYear.needsYear);
    EXPECT_TRUE(noYear.rows.empty());
    const StatementFile forced = ReadStatement(dataFile("card_d_utf8bom.csv"), {}, "bank-a");
    EXPECT_NE(forced.error, "");
    const StatementFile chosen = ReadStatement(dataFile("card_e_sjis.csv"), {}, "card-d");
    EXPECT_EQ(chosen.error, "");
    EXPECT_EQ(chosen.layout.name, "card-d");
}

TEST(StatementRead, UnreadableBytesAndValuesNameTheirLine) {
    const StatementFile bytes = ReadStatement(dataFile("bad_byte_sjis.csv"), {});
    EXPECT_NE(bytes.error.find("4行目"), std::string::npos) << bytes.error;
    EXPECT_NE(bytes.error.find("0x80"), std::string::npos) << bytes.error;
    EXPECT_TRUE(bytes.rows.empty());

    const StatementFile badBom = ReadStatement("\xEF\xBB\xBF日付,内容\r\nok\r\n\xFF\r\n", {});
    EXPECT_NE(badBom.error.find("3行目"), std::string::npos) << badBom.error;

    const StatementFile date = ReadStatement(dataFile("bad_date_sjis.csv"), {});
    ASSERT_EQ(date.error, "");
    ASSERT_EQ(date.BadRows(), 1);
    EXPECT_EQ(date.rows[1].lineNo, 3);
    EXPECT_NE(date.rows[1].problem.find("2026/11/31"), std::string::npos);
}

TEST(StatementRead, AnUnknownHeaderAsksForAMappingThatIsRecognisedOnceSaved) {
    const std::string bytes = dataFile("custom_sjis.csv");
    const StatementFile first = ReadStatement(bytes, {});
    ASSERT_TRUE(first.needsMapping);
    ASSERT_EQ(first.header.size(), 4u);
    EXPECT_EQ(first.header[1], "支払先");
    EXPECT_EQ(first.sampleRows.size(), 2u);

    ColumnMap map;
    map[ColumnRole::Date] = 0;
    map[ColumnRole::Shop] = 1;
    map[ColumnRole::Out] = 2;
    map[ColumnRole::Memo] = 3;
    const std::vector<CustomLayout> saved = {
        MakeCustomLayout("長者屋カード", first.header, map, SignRule::SpendPositive)};
    const StatementFile second = ReadStatement(bytes, saved);
    ASSERT_EQ(second.error, "");
    EXPECT_TRUE(second.layout.custom);
    EXPECT_EQ(second.layout.name, "長者屋カード");
    ASSERT_EQ(second.rows.size(), 2u);
    EXPECT_EQ(second.rows[0].shop, "チョウジャヤ ホンテン");
    EXPECT_EQ(second.rows[0].amount, 2200);
    EXPECT_EQ(second.rows[0].memo, "会食");
    EXPECT_EQ(second.rows[1].day, 19);
}

TEST(StatementValues, DateAndAmountForms) {
    struct D {
        const char* text;
        int ymd; // -1: refused
    } dates[] = {{"2026/12/07", 20261207},
                 {"2026-12-7", 20261207},
                 {"20261207", 20261207},
                 {"2026年12月7日", 20261207},
                 {"２０２６／１２／０７", 20261207},
                 {"2026/12/07 10:33", 20261207},
                 {"26/12/07", 20261207},
                 {"12/07", 1207},
                 {"12月7日", 1207},
                 {"2/29", 229},
                 {"2026/02/29", -1},
                 {"2026/13/01", -1},
                 {"合計", -1},
                 {"", -1}};
    for (const D& d : dates) {
        int y = 0, m = 0, day = 0;
        const bool ok = ParseStatementDate(d.text, y, m, day);
        EXPECT_EQ(ok ? y * 10000 + m * 100 + day : -1, d.ymd) << d.text;
    }
    struct A {
        const char* text;
        int64_t value;
        bool bad; // refused; value unused
    } amounts[] = {{"1234", 1234, false},
                   {"1,234", 1234, false},
                   {"¥1,234", 1234, false},
                   {"￥1,234", 1234, false},
                   {"-1234", -1234, false},
                   {"−1,234", -1234, false},
                   {"１，２３４", 1234, false},
                   {"1,234円", 1234, false},
                   {"▲500", -500, false},
                   {"(500)", -500, false},
                   {"+3,000", 3000, false},
                   {"1234.00", 1234, false},
                   {"12a", 0, true},
                   {"1234.5", 0, true},
                   {"-", 0, true}};
    for (const A& a : amounts) {
        bool bad = false;
        const std::optional<int64_t> v = ParseStatementAmount(a.text, bad);
        EXPECT_EQ(bad, a.bad) << a.text;
        if (!a.bad) EXPECT_EQ(v.value_or(-999999), a.value) << a.text;
    }
    bool bad = false;
    EXPECT_FALSE(ParseStatementAmount("  ", bad).has_value());
    EXPECT_FALSE(bad);
}

TEST(StatementValues, ShopNamesAreNormalisedAndKeyed) {
    EXPECT_EQ(NormaliseShopName("ｲｵﾝﾓ-ﾙ  ｻｸﾗｶﾞｵｶ"), "イオンモール サクラガオカ");
    EXPECT_EQ(NormaliseShopName("ﾊﾟﾝﾔ ｳﾞｨｰﾅｽ"), "パンヤ ヴィーナス");
    EXPECT_EQ(NormaliseShopName("　ＡＢＣ　ストア１２３ "), "ABC ストア123");
    EXPECT_EQ(NormaliseShopName("SUN-MART"), "SUN-MART");
    EXPECT_EQ(ShopKey("ﾓﾘﾉｺｰﾋｰ ｴｷﾏｴﾃﾝ"), ShopKey("モリノコーヒー　エキマエテン"));
    EXPECT_EQ(ShopKey("Abc Store"), ShopKey("ＡＢＣＳＴＯＲＥ"));
    EXPECT_NE(ShopKey("モリノコーヒー"), ShopKey("モリノ珈琲"));
}

} // namespace
} // namespace mrt::test
