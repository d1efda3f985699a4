// Reading a receipt's recognised text: the fields, the sums' checks that flag a misread amount,
// the T-number's check digit, shop matching across widths, and the lines proposed from it.
#include "ledger/LedgerIndex.h"
#include "names/NameTables.h"
#include "receipt/ReceiptLines.h"
#include "receipt/ReceiptParse.h"
#include "receipt/ReceiptText.h"
#include "statement/ShopRules.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace mrt::test {
namespace {

const std::vector<std::string> kShops = {"ﾄﾞﾗｯｸﾞあおば", "スーパーみどり", "まるやま商店"};

// Included tax, both rates, half-width names, era date, marks after the price, cash with change.
const char* kIncluded = R"(スーパーみどり 本町店
TEL 03-1234-5678
登録番号 T7000012050002
令和8年12月7日(月) 14:32
ｷﾞｭｳﾆｭｳ ¥198※
食パン ¥238 ※
ﾃｨｯｼｭ5箱 ¥398
値引 -¥20
小計 ¥814
(8%対象 ¥416 内消費税 ¥30)
(10%対象 ¥398 内消費税 ¥36)
合計 ¥814
お預り ¥1,000
お釣り ¥186
※は軽減税率対象商品です)";

// Excluded tax as the engine reads it: blanks in words and after separators, "¥\", marks in front.
const char* kExcluded = R"(ﾄﾞﾗｯｸﾞ あおば
登録番号T7000012050002
2026/01/05 9:03
軽 キャベツ ¥\1, 180
洗剤 ¥420
小計 ¥1, 600
8%対象 ¥1, 180
10%対象 ¥420
外税 8% ¥94
外税 10% ¥42
合計 ¥1, 736
クレジット ¥1, 736)";

struct Case {
    const char* name;
    std::string text;
    int32_t date;
    int64_t total, reduced, standard; // per-rate amounts tax included (-1 none)
    TNumberCheck tcheck;
    const char* shop;
    bool confirmed;
};

std::string replaced(std::string s, const std::string& from, const std::string& to) {
    s.replace(s.find(from), from.size(), to);
    return s;
}

TEST(ReceiptParse, ReadsTheFieldsAndFlagsEveryMisreadSum) {
    const Case cases[] = {
        {"included", kIncluded, 20261207, 814, 416, 398, TNumberCheck::Valid, "スーパーみどり", true},
        {"excluded", kExcluded, 20260105, 1736, 1274, 462, TNumberCheck::Valid, "ﾄﾞﾗｯｸﾞあおば", true},
        // A digit of the total misread: the rates and the change disagree with it.
        {"total misread", replaced(kIncluded, "合計 ¥814", "合計 ¥874"), 20261207, 874, 416, 398, TNumberCheck::Valid,
         "スーパーみどり", false},
        // One rate's base misread: its tax, the subtotal and the total disagree.
        {"rate misread", replaced(kExcluded, "10%対象 ¥420", "10%対象 ¥470"), 20260105, 1736, 1274, 512,
         TNumberCheck::Valid, "ﾄﾞﾗｯｸﾞあおば", false},
        // A tax read wrong that the base and the total settle: corrected, still confirmed.
        {"tax misread", replaced(kExcluded, "外税 10% ¥42", "外税 10% ¥12"), 20260105, 1736, 1274, 462,
         TNumberCheck::Valid, "ﾄﾞﾗｯｸﾞあおば", true},
        // The total's line lost: nothing to book without a question.
        {"no total", replaced(kExcluded, "合計 ¥1, 736", "合言十"), 20260105, -1, 1274, 462, TNumberCheck::Valid,
         "ﾄﾞﾗｯｸﾞあおば", false},
        {"bad check digit", replaced(kIncluded, "T7000012050002", "T8000012050002"), 20261207, 814, 416, 398,
         TNumberCheck::BadCheckDigit, "スーパーみどり", true},
        {"misread era and rate", replaced(replaced(kIncluded, "令和8年", "倒和8年"), "(10%対象", "(19%対象"), 20261207,
         814, 416, 398, TNumberCheck::Valid, "スーパーみどり", true},
        {"unregistered shop", replaced(kIncluded, "スーパーみどり 本町店", "八百政"), 20261207, 814, 416, 398,
         TNumberCheck::Valid, "八百政", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadReceipt r = ParseReceiptText(c.text, kShops);
        EXPECT_EQ(r.date, c.date);
        EXPECT_EQ(r.total, c.total);
        EXPECT_EQ(r.reduced.included, c.reduced);
        EXPECT_EQ(r.standard.included, c.standard);
        EXPECT_EQ(r.tcheck, c.tcheck);
        EXPECT_EQ(r.shop, c.shop);
        EXPECT_EQ(r.TotalsConfirmed(), c.confirmed) << DescribeReceipt(r);
    }
}

TEST(ReceiptParse, ItemsMarksDiscountsAndTheDifferenceNamed) {
    ReadReceipt r = ParseReceiptText(kIncluded, kShops);
    ASSERT_EQ(r.items.size(), 4u);
    EXPECT_EQ(r.items[0].name, "ギュウニュウ");
    EXPECT_TRUE(r.items[0].reduced);
    EXPECT_FALSE(r.items[2].reduced);
    EXPECT_EQ(r.items[3].price, -20);
    EXPECT_EQ(r.time, 1432);
    EXPECT_EQ(r.payment, "現金");
    EXPECT_EQ(r.mode, TaxMode::Included);
    EXPECT_EQ(ParseReceiptText(kExcluded, kShops).mode, TaxMode::Excluded);

    // An item misread: the items no longer make the subtotal; the amounts to book still hold.
    r = ParseReceiptText(replaced(kIncluded, "食パン ¥238", "食パン ¥288"), kShops);
    EXPECT_TRUE(r.TotalsConfirmed());
    ASSERT_FALSE(r.issues.empty());
    EXPECT_EQ(r.issues[0].difference, 50);
    EXPECT_NE(r.issues[0].text.find("¥50 違います"), std::string::npos) << r.issues[0].text;

    r = ParseReceiptText(replaced(kIncluded, "合計 ¥814", "合計 ¥874"), kShops);
    bool named = false;
    for (const ReceiptIssue& i : r.issues)
        named |= i.affectsTotals && i.difference == 60;
    EXPECT_TRUE(named) << DescribeReceipt(r);
}

TEST(ReceiptParse, DateForms) {
    const std::pair<const char*, int32_t> dates[] = {
        {"2026年12月07日 10:00", 20261207},
        {"2026/12/7", 20261207},
        {"26/12/07 10:00", 20261207},
        {"R8.12.7", 20261207},
        {"令和元年5月1日", 20190501},
        {"平成31年4月30日", 20190430},
        {"2026/02/30", 0},
        {"TEL 03-1234-5678", 0},
    };
    for (const auto& [text, date] : dates)
        EXPECT_EQ(ParseReceiptText(text, {}).date, date) << text;
}

TEST(ReceiptText, CheckDigitSimilarityAndNormalising) {
    EXPECT_EQ(CorporateCheckDigit("000012050002"), 7); // a published corporate number
    EXPECT_EQ(CheckTNumber("T7000012050002"), TNumberCheck::Valid);
    EXPECT_EQ(CheckTNumber("T1000012050002"), TNumberCheck::BadCheckDigit);
    EXPECT_GE(NameSimilarity("ドラッグあおば", "ﾄﾞﾗｯｸﾞ あおば"), 0.99);
    EXPECT_GE(NameSimilarity("スーパーみどり 本町店", "スーパーみどり"), 0.9);
    EXPECT_LT(NameSimilarity("まるやま商店", "スーパーみどり"), 0.3);
    EXPECT_EQ(U32ToUtf8(NormalizeReceiptLine(Utf8ToU32("ｶﾞﾑ　￥１，０８０ "))), "ガム ¥1,080");
    EXPECT_EQ(YenText(1234567), "¥1,234,567");
    EXPECT_EQ(YenText(-20), "-¥20");
}

TEST(ReceiptLines, OneLinePerRateOrOneForTheReceipt) {
    NameTables names;
    names.items.ItemCount[kExpenseKind] = 3;
    names.items.ItemText[kExpenseKind][1] = "食費";
    names.items.ItemText[kExpenseKind][2] = "日用品";
    names.items.ItemText[kExpenseKind][3] = "医療費";
    const ReadReceipt r = ParseReceiptText(kExcluded, kShops);
    std::vector<ProposedLine> lines = ProposeLines(r, ReceiptSplit::PerRate, names, {});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].item, "食費");
    EXPECT_EQ(lines[0].amount, 1274);
    EXPECT_EQ(lines[1].item, "日用品");
    EXPECT_EQ(lines[1].amount, 462);
    EXPECT_EQ(lines[0].shop, "ﾄﾞﾗｯｸﾞあおば");
    EXPECT_EQ(ProposedLinesCsv(lines), "2026/01/05,食費,レシート 軽減税率8%分,ﾄﾞﾗｯｸﾞあおば,,1274\r\n"
                                       "2026/01/05,日用品,レシート 10%分,ﾄﾞﾗｯｸﾞあおば,,462\r\n");
    // The shop's own item takes the standard-rate part and the whole receipt; unregistered ones are not used.
    lines = ProposeLines(r, ReceiptSplit::PerRate, names, [](const std::string&) { return "医療費"; });
    EXPECT_EQ(lines[1].item, "医療費");
    lines = ProposeLines(r, ReceiptSplit::Whole, names, [](const std::string&) { return "医療費"; });
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].item, "医療費");
    EXPECT_EQ(lines[0].amount, 1736);
    lines = ProposeLines(r, ReceiptSplit::Whole, names, [](const std::string&) { return "未登録"; });
    EXPECT_EQ(lines[0].item, "食費");
}

// The statement import's rule for a shop gives a receipt's item, also for the half-width spelling
// a receipt prints; a shop no rule and no ledger line knows gives none.
TEST(ReceiptLines, TheStatementsShopRuleGivesTheItem) {
    TempDir data;
    ShopRules rules;
    std::string why;
    ASSERT_TRUE(AddShopRule(rules, ShopRule{"モリノコーヒー", false, "交際費", "", ""}, why)) << why;
    ASSERT_EQ(SaveShopRules(data.path(), rules, why), 0) << why;
    LedgerIndex idx;
    EXPECT_EQ(ReceiptShopItem(data.path(), idx, "ﾓﾘﾉｺｰﾋｰ"), "交際費");
    EXPECT_EQ(ReceiptShopItem(data.path(), idx, "ハナマル商店"), "");
}

} // namespace
} // namespace mrt::test
