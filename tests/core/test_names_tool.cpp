// mrtkel-tool names: the listing of a small data folder, CSV and text.
#include "names/NameTables.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

#include "support/RunTool.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

using namespace mrt;
using mrt::test::ReadBytes;
using mrt::test::ScriptedDialogs;
using mrt::test::TempDir;
using mrt::test::WriteBytes;

namespace {

std::string runTool(const std::string& args, int& status) { return mrt::test::RunTool(args, status); }

class NamesTool : public ::testing::Test {
protected:
    void SetUp() override {
        NameTables t;
        AddName(t, kItemTable, kIncomeKind, "給料");
        AddName(t, kItemTable, kExpenseKind, "食費");
        AddName(t, kItemTable, kExpenseKind, "雑費");
        MoveName(t, kItemTable, kExpenseKind, 2, -1); // 雑費 (key 22) first
        t.brkDn[21] = DefaultNameList();
        AddName(t, kBrkDnTable, 21, "外食, 弁当");
        AddName(t, kShopTable, 22, "百円ショップ");
        AddName(t, kShopTable, 22, "\"A\"店  ");
        std::filesystem::create_directories(dir / "Data1");
        ScriptedDialogs dlg;
        ASSERT_EQ(SaveItemTable(dir / "Data1/TBITEM.mrt", t, dlg), 0);
        ASSERT_EQ(SaveBrkDnTable(dir / "Data1/TBBRKDN.mrt", t, dlg), 0);
        ASSERT_EQ(SaveShopTable(dir / "Data1/TBSHOP.mrt", t, dlg), 0);
    }
    TempDir dir;
};

} // namespace

TEST_F(NamesTool, CsvListsItemsThenEachItemsNames) {
    int status = -1;
    std::string out = runTool("--home " + dir.path() + " names --csv", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "table,key,position,name\r\n"
                   "income,1,1,給料\r\n"
                   "expense,22,1,雑費\r\n"
                   "expense,21,2,食費\r\n"
                   "shop,22,1,百円ショップ\r\n"
                   "shop,22,2,\"\"\"A\"\"店\"\r\n"
                   "breakdown,21,1,その他\r\n"
                   "breakdown,21,2,\"外食, 弁当\"\r\n");
}

TEST_F(NamesTool, ReadsAShortFileWithoutChangingIt) {
    std::string one = ReadBytes(dir / "Data1/TBSHOP.mrt").substr(0, 1602);
    ASSERT_TRUE(WriteBytes(dir / "Data1/TBSHOP.mrt", one));
    int status = -1;
    std::string out = runTool("--home " + dir.path() + " names", status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("出金項目 (2/50)"), std::string::npos);
    EXPECT_NE(out.find("その他、外食, 弁当"), std::string::npos);
    EXPECT_EQ(ReadBytes(dir / "Data1/TBSHOP.mrt"), one);
}

TEST_F(NamesTool, DamagedTableIsAnError) {
    ASSERT_TRUE(WriteBytes(dir / "Data1/TBBRKDN.mrt", std::string(100, '\xff')));
    int status = -1;
    std::string out = runTool("--home " + dir.path() + " names --csv", status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out, "");
}
