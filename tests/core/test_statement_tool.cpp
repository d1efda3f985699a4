// mrtkel-tool import-statement and rules: an unreadable line leaves the data folder's bytes as they
// were, a second import adds nothing, a rule added once skips the card bill, a mapping is kept.
#include "names/NameTables.h"
#include "support/RunTool.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace mrt::test {
namespace {

std::string statement(const std::string& name) {
    return std::string(MRTKEL_TEST_DATA) + "/statements/" + name;
}

class StatementTool : public ::testing::Test {
protected:
    void SetUp() override {
        NameTables t;
        AddName(t, kItemTable, kIncomeKind, "給料");
        for (const char* out : {"食費", "交際費", "光熱費", "雑費"})
            AddName(t, kItemTable, kExpenseKind, out);
        std::filesystem::create_directories(dir / "Data1");
        ScriptedDialogs dlg;
        ASSERT_EQ(SaveItemTable(dir / "Data1/TBITEM.mrt", t, dlg), 0);
        ASSERT_EQ(run("init --start 2026-10-01 --balance 100000"), 0) << err;
    }
    int run(const std::string& args) {
        int status = -1;
        err.clear();
        out = RunTool("--home " + dir.path() + " " + args, status, "", &err);
        return status;
    }
    // Every file of the data folder with its bytes.
    std::map<std::string, std::string> folderBytes() {
        std::map<std::string, std::string> files;
        for (const auto& e : std::filesystem::recursive_directory_iterator(dir / "Data1"))
            if (e.is_regular_file()) files[e.path().string()] = ReadBytes(e.path().string());
        return files;
    }
    TempDir dir;
    std::string out, err;
};

TEST_F(StatementTool, AnUnreadableLineImportsNothingAndNamesTheLine) {
    ASSERT_EQ(run("rules add ﾔｻｲﾉｲｴ --item 食費"), 0) << err;
    const auto before = folderBytes();
    struct Bad {
        const char* file;
        const char* named;
    } bad[] = {{"bad_byte_sjis.csv", "4行目"}, {"bad_date_sjis.csv", "3行目: 日付「2026/11/31」"}};
    for (const Bad& b : bad) {
        EXPECT_EQ(run("import-statement " + statement(b.file)), 1) << b.file;
        EXPECT_NE(err.find(b.named), std::string::npos) << err;
        EXPECT_EQ(folderBytes(), before) << b.file;
    }
}

TEST_F(StatementTool, ASecondImportAddsNothingAndARuleSkipsTheCardBill) {
    ASSERT_EQ(run("rules add ミドリカード --skip"), 0) << err;
    ASSERT_EQ(run("rules add ｷﾕｳﾖ --item 給料"), 0) << err;
    ASSERT_EQ(run("rules add トウキョウガス --item 光熱費 --breakdown ガス"), 0) << err;
    ASSERT_EQ(run("rules add ATM --item 雑費"), 0) << err;
    ASSERT_EQ(run("rules list"), 0);
    EXPECT_NE(out.find("ミドリカード"), std::string::npos);
    EXPECT_NE(out.find("光熱費 / ガス"), std::string::npos);

    ASSERT_EQ(run("import-statement --dry-run --csv " + statement("bank_a_sjis.csv")), 0) << err;
    EXPECT_NE(out.find("2,2026/11/25,ﾐﾄﾞﾘｶｰﾄﾞ,45000,対象外,,"), std::string::npos) << out;
    EXPECT_NE(out.find("5,2026/11/28,ﾄｳｷｮｳｶﾞｽ,5432,新規,○,光熱費,ガス,トウキョウガス,,5432"), std::string::npos) << out;
    ASSERT_EQ(run("ledger --csv"), 0);
    const std::string empty = out;

    ASSERT_EQ(run("import-statement " + statement("bank_a_sjis.csv")), 0) << err;
    EXPECT_NE(out.find("3 行を取り込みました"), std::string::npos) << out;
    ASSERT_EQ(run("ledger --csv"), 0);
    const std::string once = out;
    EXPECT_NE(once.find("給料,,キユウヨ サクラショウジ,250000"), std::string::npos) << once;
    EXPECT_EQ(once.find("ミドリカード"), std::string::npos);
    EXPECT_NE(once, empty);

    ASSERT_EQ(run("import-statement " + statement("bank_a_sjis.csv")), 0) << err;
    EXPECT_NE(out.find("0 行を取り込みました"), std::string::npos) << out;
    ASSERT_EQ(run("ledger --csv"), 0);
    EXPECT_EQ(out, once);

    ASSERT_EQ(run("rules remove ﾐﾄﾞﾘｶｰﾄﾞ"), 0) << err;
    EXPECT_EQ(run("rules remove ﾐﾄﾞﾘｶｰﾄﾞ"), 1);
    EXPECT_EQ(run("rules add 店"), 2);
}

TEST_F(StatementTool, AMappingSavedUnderANameIsRecognisedTheNextTime) {
    EXPECT_EQ(run("import-statement --dry-run " + statement("custom_sjis.csv")), 1);
    EXPECT_NE(err.find("2: 支払先"), std::string::npos) << err;
    ASSERT_EQ(run("import-statement --dry-run --map date=1,shop=2,out=3 --save-layout 長者屋 " +
                  statement("custom_sjis.csv")),
              0)
        << err;
    // A trial run keeps nothing.
    EXPECT_EQ(run("import-statement --dry-run " + statement("custom_sjis.csv")), 1);
    ASSERT_EQ(run("rules add チョウジャヤ --item 交際費"), 0) << err;
    ASSERT_EQ(
        run("import-statement --map date=1,shop=2,out=3,memo=4 --save-layout 長者屋 " + statement("custom_sjis.csv")),
        0)
        << err;
    ASSERT_EQ(run("import-statement --dry-run --csv " + statement("custom_sjis.csv")), 0) << err;
    EXPECT_NE(out.find("3,2026/11/19,ﾁｮｳｼﾞｬﾔ ﾎﾝﾃﾝ,1100,重複"), std::string::npos) << out;
    ASSERT_EQ(run("rules list"), 0);
    EXPECT_NE(out.find("形式「長者屋」: date=1 shop=2 out=3 memo=4"), std::string::npos) << out;
    ASSERT_EQ(run("ledger --csv"), 0);
    EXPECT_NE(out.find("交際費,会食,チョウジャヤ ホンテン,0,2200"), std::string::npos) << out;
}

TEST_F(StatementTool, AFileWithoutYearsTakesOne) {
    ASSERT_EQ(run("rules add ミナトマチ --item 雑費"), 0);
    EXPECT_EQ(run("import-statement --dry-run " + statement("transit_app_utf8bom.csv")), 1);
    EXPECT_NE(err.find("--year"), std::string::npos);
    ASSERT_EQ(run("import-statement --year 2026 --csv --dry-run " + statement("transit_app_utf8bom.csv")), 0) << err;
    EXPECT_NE(out.find("5,2027/01/02"), std::string::npos) << out;
}

} // namespace
} // namespace mrt::test
