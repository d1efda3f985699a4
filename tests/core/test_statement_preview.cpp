// The statement preview's presenter: the column-mapping step and the year question through the
// dialogs, a closed preview changing nothing, and the rule kept with the import.
#include "ledger/LedgerBlock.h"
#include "names/NameTables.h"
#include "screens/StatementPreview.h"
#include "support/RunTool.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "util/Home.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace mrt::test {
namespace {

class StatementPreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        AddName(names, kItemTable, kIncomeKind, "給料");
        for (const char* out : {"食費", "交際費", "交通費"})
            AddName(names, kItemTable, kExpenseKind, out);
        std::filesystem::create_directories(dir / "Data1");
        ASSERT_EQ(SaveItemTable(dir / "Data1/TBITEM.mrt", names, dlg), 0);
        int status = -1;
        RunTool("--home " + dir.path() + " init --start 2026-01-01 --balance 1000", status);
        ASSERT_EQ(status, 0);
        ASSERT_GE(LoadItemTable(dir / "Data1/TBITEM.mrt", names), 0);
        st.index.SetDataFolder(DataFolder(dir.path()));
        ASSERT_EQ(ScanLedgerYears(st, dlg), 0);
    }
    StatementTarget target() {
        return {DataFolder(dir.path()), &st.index, &names, NameFilesIn(DataFolder(dir.path())), 8, 3, 2026};
    }
    std::string file(const std::string& name) {
        return ReadBytes(std::string(MRTKEL_TEST_DATA) + "/statements/" + name);
    }
    std::string ledger() {
        int status = -1;
        return RunTool("--home " + dir.path() + " ledger --csv", status);
    }
    TempDir dir;
    ScriptedDialogs dlg;
    NameTables names;
    LedgerState st;
};

TEST_F(StatementPreviewTest, AnUnknownLayoutIsMappedByListsAndKeptWithTheImport) {
    StatementPreview p(target(), dlg);
    dlg.expect("ListKel", 1).expectMessage("日付");   // column 1
    dlg.expect("ListKel", 2).expectMessage("店名");   // column 2
    dlg.expect("MsgKel", 1).expectMessage("金額");    // out and in columns
    dlg.expect("ListKel", 3).expectMessage("出金額"); // column 3
    dlg.expect("ListKel", 1).expectMessage("入金額"); // （なし）
    dlg.expect("ListKel", 5).expectMessage("メモ");   // column 4
    dlg.expect("InputKel", 0).withText("長者屋");
    ASSERT_TRUE(p.Load("custom_sjis.csv", file("custom_sjis.csv")));
    ASSERT_EQ(p.Rows(), 2);
    EXPECT_EQ(p.RowState(0), LineState::NeedsItem);
    EXPECT_EQ(p.RowCells(0)[8], "チョウジャヤ ホンテン");
    EXPECT_FALSE(p.Toggle(0));                              // no item yet
    dlg.expect("ListKel", 2).expectMessage("チョウジャヤ"); // 交際費
    ASSERT_TRUE(p.ChangeItem(0));
    dlg.expect("MsgKel", 1).expectMessage("チョウジャヤ ホンテン");
    ASSERT_TRUE(p.AddRule(0));
    EXPECT_EQ(p.RowCells(1)[6], "交際費");
    EXPECT_EQ(p.Plan().Included(), 2);
    EXPECT_NE(p.Summary().find("出金 3,300 円"), std::string::npos) << p.Summary();
    dlg.expect("MsgYesNo2", 1); // the shop names: not registered
    dlg.expect("MsgOK").expectMessage("2 行を取り込みました");
    ASSERT_EQ(p.Import(), 0);
    dlg.VerifyDone();

    ScanLedgerYears(st, dlg);
    StatementPreview again(target(), dlg);
    ASSERT_TRUE(again.Load("custom_sjis.csv", file("custom_sjis.csv"))); // no questions now
    EXPECT_EQ(again.RowState(0), LineState::Duplicate);
    EXPECT_EQ(again.RowCells(1)[6], "交際費");
}

TEST_F(StatementPreviewTest, AYearIsAskedAndAClosedPreviewChangesNothing) {
    const std::string before = ledger();
    StatementPreview p(target(), dlg);
    dlg.expect("InputKel", 0).withText("2026").expectMessage("年");
    ASSERT_TRUE(p.Load("transit_app_utf8bom.csv", file("transit_app_utf8bom.csv")));
    EXPECT_EQ(p.RowCells(3)[3], "2027/01/02");
    dlg.expect("ListKel", 3); // 交通費
    ASSERT_TRUE(p.ChangeItem(0));
    dlg.expect("MsgKel", 1);
    ASSERT_TRUE(p.AddRule(0));
    EXPECT_TRUE(p.CanImport());
    // Closing the window (Esc) drops the preview: the rule and the lines were never written.
    EXPECT_EQ(ledger(), before);
    ShopRules rules;
    EXPECT_EQ(LoadShopRules(DataFolder(dir.path()), rules), 1);

    StatementPreview cancelled(target(), dlg);
    dlg.expect("InputKel", -1);
    EXPECT_FALSE(cancelled.Load("transit_app_utf8bom.csv", file("transit_app_utf8bom.csv")));
    dlg.expect("MsgOK").expectMessage("4行目");
    EXPECT_FALSE(cancelled.Load("bad_byte_sjis.csv", file("bad_byte_sjis.csv")));
}

} // namespace
} // namespace mrt::test
