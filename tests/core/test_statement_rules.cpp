// Shop rules and their file, the items learned from the ledger, duplicates and cancellations, and
// importing a statement (twice: the second adds nothing).
#include "ledger/LedgerBlock.h"
#include "names/NameTables.h"
#include "statement/StatementImport.h"
#include "support/RunTool.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "util/Home.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace mrt::test {
namespace {

std::string dataFile(const std::string& name) {
    return ReadBytes(std::string(MRTKEL_TEST_DATA) + "/statements/" + name);
}

TEST(ShopRulesFile, RoundTripsAndRefusesWhatItDoesNotKnow) {
    ShopRules rules;
    std::string why;
    ASSERT_TRUE(AddShopRule(rules, {"ﾓﾘﾉｺｰﾋｰ", false, "食費", "喫茶, 軽食"}, why));
    ASSERT_TRUE(AddShopRule(rules, {"ミドリカード", true, "x", "y"}, why));
    ASSERT_TRUE(AddShopRule(rules, {"=SUM(A1)", false, "雑費", ""}, why));
    ColumnMap map;
    map[ColumnRole::Date] = 0, map[ColumnRole::Shop] = 2, map[ColumnRole::Signed] = 3;
    SaveCustomLayout(rules, MakeCustomLayout("私の形式", {"年月日", "x", "支払先", "額"}, map, SignRule::Magnitude));
    // The same shop after folding replaces its rule.
    ASSERT_TRUE(AddShopRule(rules, {"モリノコーヒー", false, "交際費", ""}, why));
    ASSERT_EQ(rules.rules.size(), 3u);
    EXPECT_EQ(rules.rules[0].item, "交際費");
    EXPECT_EQ(rules.rules[1].item, ""); // a skip keeps no item

    ShopRules back;
    ASSERT_TRUE(DecodeShopRules(EncodeShopRules(rules), back, why)) << why;
    EXPECT_EQ(back.rules, rules.rules);
    ASSERT_EQ(back.layouts.size(), 1u);
    EXPECT_EQ(back.layouts[0].header, rules.layouts[0].header);
    EXPECT_EQ(back.layouts[0].map.column, map.column);
    EXPECT_EQ(back.layouts[0].sign, SignRule::Magnitude);

    const std::string bad[] = {"", "other,1\r\n", "mrtkel-shop-rules,1\r\nrule,店\r\n",
                               "mrtkel-shop-rules,1\r\nlayout,x,spend+,date=0\r\n",
                               "mrtkel-shop-rules,1\r\nskip,a\r\nwhat,a,b\r\n"};
    for (const std::string& text : bad)
        EXPECT_FALSE(DecodeShopRules(text, back, why)) << text;
    EXPECT_NE(why.find("3行目"), std::string::npos) << why;

    EXPECT_FALSE(AddShopRule(rules, {"　", false, "食費", ""}, why));
    EXPECT_FALSE(AddShopRule(rules, {"店", false, "", ""}, why));
    EXPECT_FALSE(AddShopRule(rules, {"店", false, "あいうえおかきくけこさ", ""}, why)); // 22 bytes
    EXPECT_NE(why.find("20"), std::string::npos) << why;
    EXPECT_TRUE(RemoveShopRule(rules, "ｍｉｄｏｒｉ") == false);
    EXPECT_TRUE(RemoveShopRule(rules, "ﾐﾄﾞﾘｶｰﾄﾞ"));

    TempDir dir;
    EXPECT_EQ(LoadShopRules(dir.path(), back), 1);
    std::string error;
    ASSERT_EQ(SaveShopRules(dir.path(), rules, error), 0) << error;
    ASSERT_EQ(LoadShopRules(dir.path(), back), 0);
    EXPECT_EQ(back.rules, rules.rules);
    WriteBytes(dir / kShopRulesFileName, "mrtkel-shop-rules,1\r\nbroken\r\n");
    EXPECT_EQ(LoadShopRules(dir.path(), back, &why), -1);
    EXPECT_NE(why.find(kShopRulesFileName), std::string::npos);
}

TEST(ShopLookupTest, RulesBeforeTheLedgerAndTheLongestContainedRuleWins) {
    ShopRules rules;
    std::string why;
    AddShopRule(rules, {"ハナマル", false, "日用品", ""}, why);
    AddShopRule(rules, {"ハナマルストア キタグチ", false, "食費", "食料品"}, why);
    AddShopRule(rules, {"チャージ", true, "", ""}, why);
    LearnedShops learned;
    auto line = [](const char* shop, const char* item, const char* note, int32_t in, int32_t out) {
        IoRecord l;
        l.ShopName = shop, l.ItemName = item, l.Note = note, l.Income = in, l.Expense = out;
        return l;
    };
    learned.Add(line("ﾔｻｲﾉｲｴ", "食費", "野菜", 0, 300));
    learned.Add(line("ヤサイノイエ", "食費", "果物", 0, 300));
    learned.Add(line("ヤサイノイエ", "食費", "野菜", 0, 300));
    learned.Add(line("ヤサイノイエ", "日用品", "", 0, 300));
    learned.Add(line("ヤサイノイエ", "雑収入", "返金", 50, 0));

    const ShopProposal exact = LookupShop(rules, learned, "ﾊﾅﾏﾙｽﾄｱ ｷﾀｸﾞﾁ", kExpenseKind);
    EXPECT_EQ(exact.source, ShopSource::Rule);
    EXPECT_EQ(exact.item, "食費");
    EXPECT_EQ(exact.Explain(), "規則「ハナマルストア キタグチ」");
    EXPECT_EQ(LookupShop(rules, learned, "ハナマルストア 南口", kExpenseKind).item, "日用品");
    EXPECT_EQ(LookupShop(rules, learned, "ｶｰﾄﾞ ﾁｬｰｼﾞ", kExpenseKind).source, ShopSource::Skip);

    const ShopProposal taught = LookupShop(rules, learned, "ヤサイノイエ", kExpenseKind);
    EXPECT_EQ(taught.source, ShopSource::Learned);
    EXPECT_EQ(taught.item, "食費");
    EXPECT_EQ(taught.breakdown, "野菜");
    EXPECT_EQ(taught.count, 3);
    EXPECT_EQ(LookupShop(rules, learned, "ヤサイノイエ", kIncomeKind).item, "雑収入");
    EXPECT_EQ(LookupShop(rules, learned, "ヤサイノ", kExpenseKind).source, ShopSource::None);
}

// A data folder with registered items and a ledger that started on 2026-10-01.
class StatementLedgerTest : public ::testing::Test {
protected:
    void SetUp() override {
        NameTables t;
        for (const char* in : {"給料", "雑収入"})
            AddName(t, kItemTable, kIncomeKind, in);
        for (const char* out : {"食費", "日用品", "交際費", "交通費", "光熱費", "雑費"})
            AddName(t, kItemTable, kExpenseKind, out);
        std::filesystem::create_directories(dir / "Data1");
        ScriptedDialogs dlg;
        ASSERT_EQ(SaveItemTable(dir / "Data1/TBITEM.mrt", t, dlg), 0);
        tool("init --start 2026-10-01 --balance 500000");
        // The ledger knows the coffee shop as 交際費 (twice) and 食費 (once).
        tool("add --date 2026-10-03 --item 交際費 --note 喫茶 --shop 'モリノコーヒー　エキマエテン' --expense 520");
        tool("add --date 2026-10-09 --item 交際費 --note 喫茶 --shop 'ﾓﾘﾉｺｰﾋｰ ｴｷﾏｴﾃﾝ' --expense 480");
        tool("add --date 2026-10-20 --item 食費 --shop 'モリノコーヒー エキマエテン' --expense 300");
        // Typed by hand two days after the card's date: the statement's line is a duplicate.
        tool("add --date 2026-11-04 --item 日用品 --shop ㈱ハナマル商店 --expense 3300");
    }
    void tool(const std::string& args) {
        int status = -1;
        std::string err;
        RunTool("--home " + dir.path() + " " + args, status, "", &err);
        ASSERT_EQ(status, 0) << args << "\n" << err;
    }
    struct Session {
        LedgerState st;
        NameTables names;
        StatementImport import;
    };
    void open(Session& s, const std::string& file, bool registerItems = false) {
        s.st.index.SetDataFolder(DataFolder(dir.path()));
        ScriptedDialogs dlg;
        ASSERT_EQ(ScanLedgerYears(s.st, dlg), 0);
        ASSERT_GE(LoadItemTable(dir / "Data1/TBITEM.mrt", s.names), 0);
        std::string error;
        ASSERT_EQ(s.import.Open(DataFolder(dir.path()), s.st.index, s.names, 8, registerItems, error), 0) << error;
        ASSERT_TRUE(s.import.Read(dataFile(file), {}, 0, error)) << error << s.import.Plan().file.error;
    }
    int ledgerLines() {
        int status = -1;
        const std::string out = RunTool("--home " + dir.path() + " ledger --csv", status);
        return static_cast<int>(std::count(out.begin(), out.end(), '\n'));
    }
    TempDir dir;
};

TEST_F(StatementLedgerTest, CardStatementIsPlannedImportedAndAddsNothingTheSecondTime) {
    Session s;
    open(s, "card_c_sjis.csv");
    const StatementPlan& plan = s.import.Plan();
    ASSERT_EQ(plan.lines.size(), 4u);
    // ㈱ハナマル商店 was typed two days later; the coffees are learned as 交際費; the stationer's
    // refund has no purchase in the file and comes in as income, which needs an income item.
    EXPECT_EQ(plan.lines[0].state, LineState::Duplicate);
    EXPECT_NE(plan.lines[0].reason.find("2026/11/04"), std::string::npos);
    for (int i : {1, 2}) {
        EXPECT_EQ(plan.lines[i].Shown(), LineState::New);
        EXPECT_EQ(plan.lines[i].line.ItemName, "交際費");
        EXPECT_EQ(plan.lines[i].line.Note, "喫茶");
        EXPECT_EQ(plan.lines[i].source, "家計簿から (2 件)");
    }
    EXPECT_EQ(plan.lines[3].state, LineState::NeedsItem);
    EXPECT_EQ(plan.lines[3].line.Income, 1200);
    EXPECT_NE(plan.lines[3].reason.find("入金"), std::string::npos);
    EXPECT_EQ(plan.Included(), 2);
    EXPECT_EQ(plan.IncludedOut(), 960);

    // The refund gets an item by hand; an expense item on an income line is refused.
    SetLineItem(s.import.Plan(), 3, "食費", s.import.Context());
    EXPECT_EQ(plan.lines[3].Shown(), LineState::Error);
    SetLineItem(s.import.Plan(), 3, "雑収入", s.import.Context());
    EXPECT_EQ(plan.lines[3].Shown(), LineState::New);
    ScriptedDialogs dlg;
    const int before = ledgerLines();
    ASSERT_EQ(s.import.Apply(s.st, s.names, NameFilesIn(DataFolder(dir.path())), dlg), 0);
    EXPECT_EQ(ledgerLines(), before + 3);

    Session again;
    open(again, "card_c_sjis.csv");
    EXPECT_EQ(again.import.Plan().Included(), 0);
    EXPECT_EQ(again.import.Plan().Count(LineState::Duplicate), 4);
    ASSERT_EQ(again.import.Apply(again.st, again.names, NameFilesIn(DataFolder(dir.path())), dlg), 0);
    EXPECT_EQ(ledgerLines(), before + 3);
}

TEST_F(StatementLedgerTest, CancellationsPairWithinTheFileAndRulesSkipCardBills) {
    Session card;
    open(card, "card_d_utf8bom.csv");
    const StatementPlan& p = card.import.Plan();
    ASSERT_EQ(p.lines.size(), 5u);
    EXPECT_EQ(p.lines[1].state, LineState::Cancelled);
    EXPECT_EQ(p.lines[2].state, LineState::Cancelled);
    EXPECT_EQ(p.lines[1].reason, "4行目の取消と相殺");
    EXPECT_FALSE(p.lines[1].include || p.lines[2].include);
    EXPECT_EQ(p.lines[4].line.Income, 550); // a refund without its purchase: income

    Session bank;
    open(bank, "bank_a_sjis.csv");
    std::string why;
    // A rule added from the card bill's line skips it, and is written with the import.
    ASSERT_TRUE(bank.import.AddRule(RuleFromLine(bank.import.Plan(), 0, true), why)) << why;
    EXPECT_EQ(bank.import.Plan().lines[0].state, LineState::Skipped);
    EXPECT_EQ(bank.import.Plan().lines[0].source, "規則「ミドリカード」で取り込まない");
    ASSERT_TRUE(bank.import.AddRule({"トウキョウガス", false, "光熱費", "ガス"}, why));
    EXPECT_EQ(bank.import.Plan().lines[3].line.ItemName, "光熱費");
    EXPECT_TRUE(bank.import.Plan().lines[3].include);
    ScriptedDialogs dlg;
    ASSERT_EQ(bank.import.Apply(bank.st, bank.names, NameFilesIn(DataFolder(dir.path())), dlg), 0);
    ShopRules saved;
    ASSERT_EQ(LoadShopRules(DataFolder(dir.path()), saved), 0);
    EXPECT_EQ(saved.rules.size(), 2u);

    Session next;
    open(next, "bank_a_sjis.csv");
    EXPECT_EQ(next.import.Plan().lines[0].state, LineState::Skipped);
    EXPECT_EQ(next.import.Plan().lines[3].state, LineState::Duplicate);
}

TEST_F(StatementLedgerTest, ALongShopIsCutOnlyWithConsent) {
    const std::string longName = "ﾄｸｼﾏﾁｮｳﾘﾂ ｻｸﾗｶﾞｵｶﾁｭｳｵｳﾄｼｮｶﾝ ﾊﾞｲﾃﾝ"; // 50 bytes in full width
    WriteBytes(dir / "long.csv", "利用日,利用店名・商品名,利用金額\n2026/11/05," + longName + ",700\n");
    Session s;
    s.st.index.SetDataFolder(DataFolder(dir.path()));
    ScriptedDialogs dlg;
    ASSERT_EQ(ScanLedgerYears(s.st, dlg), 0);
    ASSERT_GE(LoadItemTable(dir / "Data1/TBITEM.mrt", s.names), 0);
    std::string error;
    ASSERT_EQ(s.import.Open(DataFolder(dir.path()), s.st.index, s.names, 8, false, error), 0);
    ASSERT_TRUE(s.import.Read(ReadBytes(dir / "long.csv"), {}, 0, error));
    SetLineItem(s.import.Plan(), 0, "雑費", s.import.Context());
    const PlannedLine& l = s.import.Plan().lines[0];
    EXPECT_EQ(l.Shown(), LineState::Error);
    EXPECT_NE(l.problem.find("30"), std::string::npos) << l.problem;
    EXPECT_NE(l.problem.find(l.line.ShopName), std::string::npos);
    dlg.expect("MsgOK");
    EXPECT_EQ(s.import.Apply(s.st, s.names, NameFilesIn(DataFolder(dir.path())), dlg), -1);
    ASSERT_TRUE(ConsentCut(s.import.Plan(), 0, s.import.Context()));
    EXPECT_EQ(l.Shown(), LineState::New);
    EXPECT_EQ(s.import.Apply(s.st, s.names, NameFilesIn(DataFolder(dir.path())), dlg), 0);
}

} // namespace
} // namespace mrt::test

namespace mrt::test {
namespace {

TEST_F(StatementLedgerTest, TheRulesFileIsBackedUpAndADamagedOneIsNotRestored) {
    ShopRules rules;
    std::string why, error;
    ASSERT_TRUE(AddShopRule(rules, {"ミドリカード", true, "", ""}, why));
    ASSERT_EQ(SaveShopRules(DataFolder(dir.path()), rules, error), 0);
    TempDir other;
    tool("backup --to " + other.path() + " --names");
    EXPECT_EQ(ReadBytes(other / kShopRulesFileName), EncodeShopRules(rules));

    WriteBytes(other / kShopRulesFileName, "mrtkel-shop-rules,1\r\nskip\r\n");
    int status = -1;
    RunTool("--home " + dir.path() + " restore --from " + other.path() + " --names", status);
    EXPECT_NE(status, 0);
    EXPECT_EQ(ReadBytes(dir / ("Data1/" + std::string(kShopRulesFileName))), EncodeShopRules(rules));
}

} // namespace
} // namespace mrt::test
