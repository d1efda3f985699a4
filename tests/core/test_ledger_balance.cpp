// The balance rule, sorting by date, balance adjustment lines, and the tool's ledger commands.
#include "ledger/LedgerBalance.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerCheck.h"
#include "ledger/LedgerSave.h"
#include "support/ScriptedDialogs.h"
#include "test_ledger_fixture.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace mrt::test {
namespace {

std::vector<IoRecord> block(std::initializer_list<Line> lines) {
    std::vector<IoRecord> v;
    for (const Line& l : lines)
        v.push_back(toRecord(l));
    return v;
}

TEST(BalanceRule, IncomeWinsInsideTheBlockAndOverflowIsReported) {
    auto b = block({{2003, 1, 1, "初期残高", "", "", 0, 0, 1000},
                    {2003, 1, 2, "a", "", "", 300, 50, 0}, // both filled: only the income counts
                    {2003, 1, 3, "b", "", "", 0, 200, 0}});
    ASSERT_TRUE(RecomputeBalances(b, 1));
    EXPECT_EQ(b[1].Balance, 1300);
    EXPECT_EQ(b[2].Balance, 1100);
    EXPECT_EQ(BalanceBefore(b[1]), 1000);
    b[0].Balance = 2147483600;
    EXPECT_FALSE(RecomputeBalances(b, 1));
}

TEST(SortBlockTest, EqualDatesKeepTheirOrderAndTheClosingBalanceStays) {
    auto b = block({{2003, 1, 5, "five", "", "", 0, 10, 990},
                    {2003, 1, 3, "three-a", "", "", 0, 20, 970},
                    {2003, 1, 3, "three-b", "", "", 100, 0, 1070}});
    ASSERT_TRUE(SortBlock(b));
    EXPECT_EQ(b[0].ItemName, "three-a");
    EXPECT_EQ(b[1].ItemName, "three-b");
    EXPECT_EQ(b[2].ItemName, "five");
    // The balance before the block (1000) is kept, so the block still closes at 1070.
    EXPECT_EQ(b[0].Balance, 980);
    EXPECT_EQ(b[1].Balance, 1080);
    EXPECT_EQ(b[2].Balance, 1070);
    EXPECT_FALSE(HasDateDisorder(b));
}

TEST(SortBlockTest, OrderBreaksAreFoundAgainstBothNeighbours) {
    auto b = block(
        {{2003, 1, 3, "", "", "", 0, 0, 0}, {2003, 1, 9, "", "", "", 0, 0, 0}, {2003, 1, 5, "", "", "", 0, 0, 0}});
    EXPECT_TRUE(HasDateDisorder(b));
    EXPECT_TRUE(BreaksDateOrder(b, 1)); // later than the line below
    EXPECT_TRUE(BreaksDateOrder(b, 2)); // earlier than the line above
    EXPECT_FALSE(BreaksDateOrder(b, 0));
}

TEST(SortBlockTest, SavingABlockWithMixedMonthsSortsItFirst) {
    TempDir dir;
    ScriptedDialogs dlg;
    LedgerState st = stateFor(dir.path());
    st.block = block({{2003, 1, 1, "初期残高", "", "", 0, 0, 1000},
                      {2003, 3, 1, "m", "", "", 0, 100, 900},
                      {2003, 2, 1, "f", "", "", 0, 50, 850}});
    st.PreSortF = true;
    st.LedgerModified = true;
    ASSERT_EQ(SaveLedgerBlock(st, dlg), 0);
    EXPECT_EQ(st.block[1].ItemName, "f");
    EXPECT_EQ(st.block[2].Balance, 850);
    EXPECT_FALSE(st.PreSortF);
    LedgerIndex names;
    names.SetDataFolder(dir.path());
    EXPECT_EQ(CheckLedgerFiles(names), std::vector<std::string>{});
}

class AdjustmentTest : public ::testing::Test {
protected:
    ScriptedDialogs dlg;
    std::vector<IoRecord> b = block({{2003, 1, 1, "初期残高", "", "", 0, 0, 1000},
                                     {2003, 1, 2, "a", "", "", 0, 100, 900},
                                     {2003, 1, 4, "b", "", "", 0, 100, 800}});
};

TEST_F(AdjustmentTest, RaisingABalanceBooksAnUnknownReceipt) {
    dlg.expect("MsgKel", 1).expectMessage("残高を変更(残高調整)しますか？");
    ASSERT_EQ(BookBalanceAdjustment(b, 1, 1900, dlg), 0);
    ASSERT_EQ(b.size(), 4u);
    EXPECT_EQ(toLine(b[2]), (Line{2003, 1, 2, "不明な入金", "残高調整", "", 1000, 0, 1900}));
    EXPECT_EQ(b[1].Balance, 900);
    EXPECT_EQ(b[3].Balance, 1800);
    EXPECT_EQ(dlg.transcript()[0].op, "Beep");
    EXPECT_EQ(dlg.transcript()[1].buttons, (std::vector<std::string>{"は　い", "変更中止"}));
}

TEST_F(AdjustmentTest, LoweringBooksAnUnknownPaymentAndCancelOrNoChangeBookNothing) {
    dlg.expect("MsgKel", 2);
    EXPECT_EQ(BookBalanceAdjustment(b, 2, 500, dlg), 1);
    EXPECT_EQ(b.size(), 3u);
    EXPECT_EQ(BookBalanceAdjustment(b, 2, 800, dlg), 1); // no difference: no question
    dlg.expect("MsgKel", 1);
    ASSERT_EQ(BookBalanceAdjustment(b, 2, 500, dlg), 0);
    EXPECT_EQ(toLine(b[3]), (Line{2003, 1, 4, "不明な出金", "残高調整", "", 0, 300, 500}));
    EXPECT_EQ(BookBalanceAdjustment(b, 3, 500 + 100000000, dlg), -1); // not a ledger amount
}

// The tool runs in its own home folder; output is captured through a file.
struct ToolRun {
    int exitCode;
    std::string out;
};
ToolRun tool(const std::string& home, const std::string& args) {
    std::string outFile = home + "/.out";
    std::string cmd = std::string(MRTKEL_TOOL_PATH) + " --home '" + home + "' " + args + " >'" + outFile + "' 2>&1";
    int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(outFile)};
}

TEST(LedgerTool, InitAddListAndCheck) {
    TempDir home;
    EXPECT_EQ(tool(home.path(), "add --date 2024-01-05 --item 食費 --expense 500").exitCode, 1); // no start yet
    ASSERT_EQ(tool(home.path(), "init --start 2023-12-20 --balance 100000").exitCode, 0);
    EXPECT_EQ(tool(home.path(), "init --start 2023-12-20 --balance 5").exitCode, 1);
    ASSERT_EQ(tool(home.path(), "add --date 2024-01-05 --item 食費 --note 'パン, \"牛乳\"' --expense 300+200").exitCode,
              0);
    ASSERT_EQ(tool(home.path(), "add --date 2023-12-25 --item 給与 --income 250000").exitCode, 0);
    ASSERT_EQ(tool(home.path(), "add --date 2023-12-25 --item 食費 --expense 1000 --tax").exitCode, 0);

    ToolRun r = tool(home.path(), "add --date 2023-12-19 --item 食費 --expense 1");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("データ登録の開始日付より前の日付は入力できません。"), std::string::npos);
    r = tool(home.path(), "add --date 2024-02-30 --item 食費 --expense 1");
    EXPECT_NE(r.out.find("日付が異常です。"), std::string::npos);
    r = tool(home.path(), "add --date 2051-01-01 --item 食費 --expense 1");
    EXPECT_NE(r.out.find("日付が異常です。"), std::string::npos);
    r = tool(home.path(), "add --date 2024-01-06 --item 食費 --expense -500");
    EXPECT_NE(r.out.find("金額が異常です。"), std::string::npos);
    EXPECT_EQ(r.exitCode, 1);

    r = tool(home.path(), "ledger --csv");
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "date,item,note,shop,income,expense,balance\r\n"
                     "2023-12-20,初期残高,,,0,0,100000\r\n"
                     "2023-12-25,給与,,,250000,0,350000\r\n"
                     "2023-12-25,食費,,,0,1100,348900\r\n"
                     "2024-01-05,食費,\"パン, \"\"牛乳\"\"\",,0,500,348400\r\n");
    r = tool(home.path(), "ledger --csv --from 2023-12-25 --to 2023-12-31");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3);
    r = tool(home.path(), "ledger");
    EXPECT_NE(r.out.find("348,400"), std::string::npos);
    // A balance wider than the amount column is listed whole, never cut to the column.
    ASSERT_EQ(tool(home.path(), "add --date 2024-01-07 --item 給与 --income 99999999").exitCode, 0);
    ASSERT_EQ(tool(home.path(), "add --date 2024-01-08 --item 給与 --income 99999999").exitCode, 0);
    r = tool(home.path(), "ledger --from 2024-01-08");
    EXPECT_NE(r.out.find("  200,348,398\n"), std::string::npos) << r.out;
    EXPECT_EQ(tool(home.path(), "check").exitCode, 0);

    // A broken balance is reported by check.
    std::string io = home.path() + "/Data1/Io2024.usr";
    std::string bytes = ReadBytes(io);
    bytes[104] = 7;
    WriteBytes(io, bytes);
    r = tool(home.path(), "check");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("Io2024.usr 1月: 1行目 残高"), std::string::npos) << r.out;
}

// Lines added into any month: the first, one between months with lines, an empty month in a gap
// of years, the last, and a new one after it. Every earlier line stays, later balances follow and
// the files stay consistent.
TEST(LedgerTool, AddsIntoGapsEarlierMonthsAndNewMonths) {
    TempDir home;
    ASSERT_EQ(tool(home.path(), "init --start 2020-01-10 --balance 10000").exitCode, 0);
    const char* adds[] = {
        "--date 2020-03-05 --item 食費 --expense 100",  // a new month after the last
        "--date 2023-06-01 --item 給与 --income 5000",  // a new year after a gap
        "--date 2020-01-20 --item 食費 --expense 200",  // the first month
        "--date 2021-07-07 --item 食費 --expense 300",  // an empty month inside the gap years
        "--date 2020-03-01 --item 食費 --expense 400",  // before the line of a month with lines
        "--date 2023-06-01 --item 食費 --expense 500",  // the newest day
    };
    for (const char* a : adds) ASSERT_EQ(tool(home.path(), std::string("add ") + a).exitCode, 0) << a;
    ToolRun r = tool(home.path(), "ledger --csv");
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "date,item,note,shop,income,expense,balance\r\n"
                     "2020-01-10,初期残高,,,0,0,10000\r\n"
                     "2020-01-20,食費,,,0,200,9800\r\n"
                     "2020-03-01,食費,,,0,400,9400\r\n"
                     "2020-03-05,食費,,,0,100,9300\r\n"
                     "2021-07-07,食費,,,0,300,9000\r\n"
                     "2023-06-01,給与,,,5000,0,14000\r\n"
                     "2023-06-01,食費,,,0,500,13500\r\n");
    r = tool(home.path(), "check");
    EXPECT_EQ(r.exitCode, 0) << r.out;
}

// A refused text says what is wrong with it: the character that cannot be stored, a control
// character, or the length.
TEST(LedgerTool, AddSaysWhyATextIsRefused) {
    TempDir home;
    ASSERT_EQ(tool(home.path(), "init --start 2024-01-01 --balance 1000").exitCode, 0);
    ToolRun r = tool(home.path(), "add --date 2024-01-05 --item 食費 --note '𠮷野家の牛丼' --expense 500");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("--note: 「𠮷」"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("バイトまで"), std::string::npos) << r.out;
    r = tool(home.path(), "add --date 2024-01-05 --item 食費 --shop 'ケーキ屋🍰' --expense 500");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("--shop: 「🍰」"), std::string::npos) << r.out;
    r = tool(home.path(), "add --date 2024-01-05 --item 食費 --note \"$(printf 'a\\tb')\" --expense 500");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("制御文字"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("バイトまで"), std::string::npos) << r.out;
    r = tool(home.path(), "add --date 2024-01-05 --item 食費 --note " + std::string(41, 'x') + " --expense 500");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("--note: 40 バイトまで"), std::string::npos) << r.out;
    EXPECT_EQ(tool(home.path(), "ledger --csv").out, "date,item,note,shop,income,expense,balance\r\n"
                                                     "2024-01-01,初期残高,,,0,0,1000\r\n");
}

// An amount option must be wholly a number or an expression of numbers: what would be read only
// in part ("12abc" as 12, "1,00" as 1) is refused, and so is blank text.
TEST(LedgerTool, AmountsThatAreNotWhollyNumbersAreRefused) {
    TempDir home;
    for (const char* bad : {"abc", "''", "12abc", "1,00", "500-"}) {
        ToolRun r = tool(home.path(), std::string("init --start 2024-01-01 --balance ") + bad);
        EXPECT_EQ(r.exitCode, 1) << bad;
        EXPECT_NE(r.out.find("--balance"), std::string::npos) << r.out;
    }
    EXPECT_FALSE(std::filesystem::exists(home.path() + "/Data1/Io2024.usr"));
    ASSERT_EQ(tool(home.path(), "init --start 2024-01-01 --balance 1000+200").exitCode, 0);
    for (const char* bad : {"abc", "''", "12abc", "1,00", "' '", "5x%"}) {
        ToolRun r = tool(home.path(), std::string("add --date 2024-01-05 --item 食費 --expense ") + bad);
        EXPECT_EQ(r.exitCode, 1) << bad;
        EXPECT_NE(r.out.find("--expense"), std::string::npos) << r.out;
        r = tool(home.path(), std::string("add --date 2024-01-05 --item 給与 --tax --income ") + bad);
        EXPECT_EQ(r.exitCode, 1) << bad;
        EXPECT_NE(r.out.find("--income"), std::string::npos) << r.out;
    }
    ASSERT_EQ(tool(home.path(), "add --date 2024-01-05 --item 給与 --income 300*2").exitCode, 0);
    ASSERT_EQ(tool(home.path(), "add --date 2024-01-06 --item 食費 --expense 100 --tax").exitCode, 0);
    EXPECT_EQ(tool(home.path(), "ledger --csv").out, "date,item,note,shop,income,expense,balance\r\n"
                                                     "2024-01-01,初期残高,,,0,0,1200\r\n"
                                                     "2024-01-05,給与,,,600,0,1800\r\n"
                                                     "2024-01-06,食費,,,0,110,1690\r\n");
}

TEST(LedgerTool, ListingNeedsNoBlockLimitAndNoLedgerFiles) {
    TempDir home;
    ToolRun r = tool(home.path(), "ledger --csv"); // no data folder: said so, not listed as empty
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("データフォルダがありません"), std::string::npos) << r.out;
    EXPECT_FALSE(std::filesystem::exists(home / "Data1"));
    std::filesystem::create_directories(home / "Data1");
    r = tool(home.path(), "ledger --csv"); // a data folder without ledger files: an empty ledger
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "date,item,note,shop,income,expense,balance\r\n");

    // A month longer than the block limit (300 by default) is still listed whole.
    LedgerModel model;
    model[2023].months[0].lines = {Line{2023, 1, 1, "初期残高", "", "", 0, 0, 100000}};
    model[2023].months[1].lines = monthLines(2023, 2, 400, 1);
    recomputeModel(model);
    std::filesystem::create_directories(home / "Data1");
    writeModel(home / "Data1", model);
    r = tool(home.path(), "ledger --csv");
    EXPECT_EQ(r.exitCode, 0) << r.out.substr(0, 300);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 402);
    EXPECT_NE(r.out.find("2023-02-08,L399,,,0,1,99600\r\n"), std::string::npos);
}

TEST(LedgerCheckTest, ReportsCountsRegionEndsWrongMonthsAndMissingYearFiles) {
    TempDir dir;
    LedgerModel model;
    model[2003].months[0].lines = {Line{2003, 1, 1, "初期残高", "", "", 0, 0, 1000}};
    model[2003].months[1].lines = monthLines(2003, 2, 3);
    recomputeModel(model);
    model[2003].months[1].lines[1].m = 3; // a line in February's region dated March; the line after
                                          // it still follows from its balance
    writeModel(dir.path(), model);
    std::string io = ReadBytes(dir / "Io2003.usr");
    io.replace(499 * 108, 2, le16(8888)); // January's region end overwritten
    WriteBytes(dir / "Io2003.usr", io);
    YearSpec counted;
    counted.months[4].lines = monthLines(2005, 5, 1);
    WriteBytes(dir / "Inf2005.usr", infFileBytes(counted)); // lines counted, no year file
    WriteBytes(dir / "Inf2004.usr", le16(500) + le16(500) + std::string(6, '\0'));
    LedgerIndex names;
    names.SetDataFolder(dir.path());
    std::vector<std::string> found = CheckLedgerFiles(names);
    auto has = [&](const std::string& s) {
        for (const std::string& f : found)
            if (f.find(s) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(has("Io2003.usr 1月: 領域の終わりの記録がありません。"));
    EXPECT_TRUE(has("Io2003.usr 2月: 2行目 年月が違います"));
    EXPECT_TRUE(has("Inf2005.usr: 入出金ファイルがないのに行数があります。"));
    EXPECT_TRUE(has("Inf2004.usr 1月: 行数 500 が容量 500 - 1 を超えています。"));
    EXPECT_TRUE(has("Inf2004.usr: 長さ 10 バイトが12か月分の 120 バイトではありません。"));
    EXPECT_TRUE(has("Inf2004.usr: 入出金ファイルがないのに行数があります。"));
    EXPECT_EQ(found.size(), 6u) << ::testing::PrintToString(found);
}

} // namespace
} // namespace mrt::test
