// mrtkel-tool repeat: entries added, listed and removed; due lines listed and added once.
#include "support/RunTool.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace mrt::test {
namespace {

class RepeatTool : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(run("init --start 2024-01-01 --balance 500000"), 0); }
    int run(const std::string& args, const std::string& env = "") {
        err.clear();
        int status = 0;
        out = RunTool("--home '" + home.path() + "' " + args, status, env, &err);
        return status;
    }
    TempDir home;
    std::string out, err;
};

TEST_F(RepeatTool, AddListDueApplyRemove) {
    ASSERT_EQ(run("repeat add --item 住居費 --note 家賃 --shop 大家 --expense 80,000 --monthly 27 --first 2024-01-27"),
              0)
        << err;
    ASSERT_EQ(run("repeat add --item 給与 --income 250000 --weekly fri --every-weeks 2 --first 2024-01-05 "
                  "--last 2024-01-31 --next-business-day"),
              0)
        << err;
    ASSERT_EQ(run("repeat list"), 0);
    EXPECT_NE(out.find("1\t出金\t住居費\t家賃\t大家\t80,000\t毎月27日\t2024-01-27\t\t\t\n"), std::string::npos) << out;
    EXPECT_NE(out.find("2\t入金\t給与\t\t\t250000\t2週ごと 金曜日(翌営業日)\t2024-01-05\t2024-01-31\t\t\n"),
              std::string::npos)
        << out;

    // Today from the environment: the lines due so far, nothing written.
    ASSERT_EQ(run("repeat due", "MRTKEL_TODAY=2024-01-27"), 0);
    EXPECT_EQ(out, "2024-01-05\t給与\t\t\t入金\t250,000\n"
                   "2024-01-19\t給与\t\t\t入金\t250,000\n"
                   "2024-01-27\t住居費\t家賃\t大家\t出金\t80,000\n");
    ASSERT_EQ(run("repeat due --until 2024-02-29 --apply"), 0) << err;
    EXPECT_NE(out.find("4 行を追加しました。"), std::string::npos) << out;
    ASSERT_EQ(run("repeat due --until 2024-02-29 --apply"), 0) << err;
    EXPECT_EQ(out, "0 行を追加しました。\n");
    ASSERT_EQ(run("ledger --csv"), 0);
    EXPECT_NE(out.find("2024-02-27,住居費,家賃,大家,0,80000,840000"), std::string::npos) << out;

    ASSERT_EQ(run("repeat remove 1"), 0);
    ASSERT_EQ(run("repeat list"), 0);
    EXPECT_EQ(out.find("住居費"), std::string::npos);
    EXPECT_NE(out.find("1\t入金\t給与"), std::string::npos);
}

TEST_F(RepeatTool, RefusalsSayWhyAndChangeNothing) {
    const std::pair<const char*, const char*> refused[] = {
        {"repeat add --item 未登録 --expense 100 --monthly 1 --first 2024-01-01", "登録されていません"},
        {"repeat add --item 食費 --expense 1億 --monthly 1 --first 2024-01-01", "金額"},
        {"repeat add --item 食費 --expense 100 --monthly 32 --first 2024-01-01", "1～31"},
        {"repeat add --item 食費 --expense 100 --weekly xyz --first 2024-01-01", "曜日"},
        {"repeat add --item 食費 --expense 100 --yearly 13-01 --first 2024-01-01", "月日"},
        {"repeat add --item 食費 --expense 100 --monthly 1 --first 2024-02-01 --last 2024-01-01", "終了日"},
        {"repeat remove 1", "ありません"},
    };
    for (const auto& [args, why] : refused) {
        EXPECT_EQ(run(args), 1) << args;
        EXPECT_NE(err.find(why), std::string::npos) << args << ": " << err;
    }
    EXPECT_EQ(run("repeat add --item 食費 --income 1 --expense 1 --monthly 1 --first 2024-01-01"), 2);
    EXPECT_EQ(run("repeat add --item 食費 --expense 1 --monthly 1 --weekly mon --first 2024-01-01"), 2);
    EXPECT_EQ(run("repeat due --bogus"), 2);
    ASSERT_EQ(run("repeat list"), 0);
    EXPECT_EQ(out.find('\n'), out.size() - 1) << out; // the heading alone
}

TEST_F(RepeatTool, BackupAndRestoreCarryTheTableAndRefuseADamagedOne) {
    ASSERT_EQ(run("repeat add --item 住居費 --expense 80000 --monthly 27 --first 2024-01-27"), 0) << err;
    TempDir other;
    ASSERT_EQ(run("backup --to '" + other.path() + "' --names"), 0) << err;
    const std::string table = ReadBytes(home / "Data1/TBREPEAT.mrt");
    ASSERT_FALSE(table.empty());
    EXPECT_EQ(ReadBytes(other / "TBREPEAT.mrt"), table);

    ASSERT_EQ(run("repeat remove 1"), 0);
    ASSERT_EQ(run("restore --from '" + other.path() + "' --names"), 0) << err;
    EXPECT_EQ(ReadBytes(home / "Data1/TBREPEAT.mrt"), table);

    WriteBytes(other / "TBREPEAT.mrt", table.substr(0, table.size() - 6));
    ASSERT_EQ(run("repeat remove 1"), 0);
    EXPECT_EQ(run("restore --from '" + other.path() + "' --names"), 1);
    EXPECT_NE(err.find("TBREPEAT.mrt"), std::string::npos) << err;
    ASSERT_EQ(run("repeat list"), 0);
    EXPECT_EQ(out.find("住居費"), std::string::npos);
}

} // namespace
} // namespace mrt::test
