// The presenter of the shop rules window: rules added, changed and removed in memory and written
// by one save; refusals with their reason; closing without saving leaves the file's bytes.
#include "names/NameTables.h"
#include "screens/ShopRulesScreen.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "util/Home.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace mrt::test {
namespace {

class ShopRulesScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* out : {"食費", "交通費"})
            AddName(names, kItemTable, kExpenseKind, out);
        AddName(names, kItemTable, kIncomeKind, "給料");
        std::filesystem::create_directories(dir / "Data1");
        ShopRules start;
        std::string why, error;
        ASSERT_TRUE(AddShopRule(start, {"コンビニ", false, "食費", ""}, why));
        ASSERT_TRUE(AddShopRule(start, {"カード引落", true, "", ""}, why));
        ASSERT_EQ(SaveShopRules(folder(), start, error), 0);
        before = fileBytes();
    }
    std::string folder() const { return DataFolder(dir.path()); }
    std::string fileBytes() const { return ReadBytes(ShopRulesPath(folder())); }
    std::vector<ShopRule> saved() const {
        ShopRules r;
        EXPECT_EQ(LoadShopRules(folder(), r), 0);
        return r.rules;
    }
    TempDir dir;
    ScriptedDialogs dlg;
    NameTables names;
    std::string before;
};

TEST_F(ShopRulesScreenTest, ChangesAreKeptInMemoryAndWrittenTogether) {
    ShopRulesScreen s(folder(), names, dlg);
    ASSERT_TRUE(s.Load());
    ASSERT_EQ(s.Rows(), 2);
    EXPECT_EQ(s.RowCells(1), (std::vector<std::string>{"カード引落", "", "", "取り込まない"}));
    // New: a half-width shop, an item from the list (skip entry, expense items, income items).
    dlg.expect("InputKel", 0).withText("ｼﾃﾂ ﾊﾞｽ").expectMessage("店名");
    dlg.expect("ListKel", 3).expectMessage("シテツ バス");
    dlg.expect("InputKel", 0).withText("定期券").expectMessage("内訳");
    EXPECT_EQ(s.Add(), 2);
    EXPECT_EQ(s.RowCells(2), (std::vector<std::string>{"シテツ バス", "交通費", "定期券", ""}));
    // Change: the skip rule takes an item, the item rule becomes a skip (breakdown gone), in place.
    dlg.expect("ListKel", 4).expectInitialLine(1);
    EXPECT_TRUE(s.ChangeItem(1));
    dlg.expect("ListKel", 1).expectInitialLine(2);
    EXPECT_TRUE(s.ChangeItem(2));
    dlg.expect("InputKel", 0).withText("昼食");
    EXPECT_TRUE(s.ChangeBreakdown(0));
    EXPECT_FALSE(s.ChangeBreakdown(2)); // a skip rule has no breakdown
    EXPECT_EQ(s.RowCells(1), (std::vector<std::string>{"カード引落", "給料", "", ""}));
    EXPECT_EQ(s.RowCells(2), (std::vector<std::string>{"シテツ バス", "", "", "取り込まない"}));
    EXPECT_TRUE(s.Remove(1));
    EXPECT_FALSE(s.Remove(5));
    EXPECT_EQ(fileBytes(), before); // nothing written before the save
    EXPECT_TRUE(s.Modified());
    ASSERT_EQ(s.Save(), 0);
    EXPECT_FALSE(s.Modified());
    EXPECT_TRUE(s.Close()); // saved: closes without a question
    const std::vector<ShopRule> rules = saved();
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(rules[0], (ShopRule{"コンビニ", false, "食費", "昼食"}));
    EXPECT_EQ(rules[1], (ShopRule{"シテツ バス", true, "", ""}));
    dlg.VerifyDone();
}

TEST_F(ShopRulesScreenTest, RefusalsSayWhyAndChangeNothing) {
    struct Case {
        const char* name;
        std::function<void()> script;
        std::function<bool(ShopRulesScreen&)> act;
    };
    const std::string longBreakdown(41, 'a'); // the breakdown field holds 40 bytes
    const Case cases[] = {
        {"breakdown too long",
         [&] {
             dlg.expect("InputKel", 0).withText(longBreakdown);
             dlg.expect("MsgOK").expectMessage("40");
         },
         [](ShopRulesScreen& s) { return s.ChangeBreakdown(0); }},
        {"shop CP932 cannot hold",
         [&] {
             dlg.expect("InputKel", 0).withText("寿司🍣");
             dlg.expect("MsgOK").expectMessage("🍣");
         },
         [](ShopRulesScreen& s) { return s.Add() >= 0; }},
        {"blank shop",
         [&] {
             dlg.expect("InputKel", 0).withText("  ");
             dlg.expect("MsgOK").expectMessage("店名を指定");
         },
         [](ShopRulesScreen& s) { return s.Add() >= 0; }},
        {"existing shop not replaced",
         [&] {
             dlg.expect("InputKel", 0).withText("ｺﾝﾋﾞﾆ");
             dlg.expect("ListKel", 1);
             dlg.expect("MsgYesNo2", 1).expectMessage("すでにあります");
         },
         [](ShopRulesScreen& s) { return s.Add() >= 0; }},
        {"item choice cancelled", [&] { dlg.expect("ListKel", -1); },
         [](ShopRulesScreen& s) { return s.ChangeItem(0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShopRulesScreen s(folder(), names, dlg);
        ASSERT_TRUE(s.Load());
        c.script();
        EXPECT_FALSE(c.act(s));
        EXPECT_EQ(s.Rows(), 2);
        EXPECT_EQ(s.RowCells(0), (std::vector<std::string>{"コンビニ", "食費", "", ""}));
        EXPECT_FALSE(s.Modified());
        dlg.VerifyDone();
    }
}

TEST_F(ShopRulesScreenTest, EscAsksAndLeavesTheFileAsItWas) {
    ShopRulesScreen s(folder(), names, dlg);
    ASSERT_TRUE(s.Load());
    EXPECT_TRUE(s.Close()); // unchanged: no question
    ASSERT_TRUE(s.Remove(0));
    dlg.expect("MsgYesNo2", 1).expectMessage("保存せずに");
    EXPECT_FALSE(s.Close()); // "no": stays open
    dlg.expect("MsgYesNo2", 0).expectMessage("保存せずに");
    EXPECT_TRUE(s.Close());
    EXPECT_EQ(fileBytes(), before);
    dlg.VerifyDone();
}

TEST_F(ShopRulesScreenTest, ADamagedFileIsNotOpened) {
    ASSERT_TRUE(WriteBytes(ShopRulesPath(folder()), "mrtkel-shop-rules,1\nrule\n"));
    ShopRulesScreen s(folder(), names, dlg);
    dlg.expect("MsgOK").expectMessage("2行目");
    EXPECT_FALSE(s.Load());
    EXPECT_EQ(fileBytes(), "mrtkel-shop-rules,1\nrule\n");
    dlg.VerifyDone();
}

} // namespace
} // namespace mrt::test
