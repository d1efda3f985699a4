// mrtkel-tool totals and budget on a small data folder written through the core's own savers.
#include "budget/BudgetCsv.h"
#include "support/RunTool.h"
#include "test_totals_fixture.h"
#include "util/Cp932.h"

#include <sstream>

using namespace totals_test;

namespace {

std::string runTool(const std::string& args, int& status) {
    return mrt::test::RunTool(args, status);
}

class TotalsTool : public TotalsFixture {
protected:
    void SetUp() override {
        // Expense items listed 交通費, 食費, 光熱費: positions differ from slots.
        MoveName(names, kItemTable, 1, 3, -1);
        MoveName(names, kItemTable, 1, 2, -1);
        ASSERT_EQ(SaveItemTable(DataFolder(dir.path()) + "TBITEM.mrt", names, dlg), 0);
        writeLedger(1000, {{2024, 2, 26, "初期残高", 0, 0},
                           {2024, 2, 27, "食費", 0, 300},
                           {2024, 3, 1, "給与", 9000, 0},
                           {2024, 3, 2, "交通費", 0, 50}});
        budget.HeldYear = 2024;
        FillBudget(budget, -1);
        budget.at(3, 1, 1) = 100; // 食費 (slot 1) in March
        budget.at(3, 1, 3) = 10;  // 交通費 (slot 3): exceeded
        budget.at(12, 0, 1) = 7;  // December only
        ASSERT_EQ(SaveBudget(budget, 2024, names.items, BudgetPlaceOf(dir.path()), dlg), 0);
    }
    std::string home() const { return "--home " + dir.path() + " "; }
};

} // namespace

TEST_F(TotalsTool, CsvTableAsTheWindowShowsIt) {
    int status = -1;
    // Clamped to the last date 3/2; the week starts at the first date 2/26; the period is March
    // (the setting's closing day 31), and the settings file is not written.
    std::string out = runTool(home() + "totals --date 2024-03-31 --csv", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "name,2024-02-26,2024-02-27,2024-02-28,2024-02-29,2024-03-01,2024-03-02,week,period,budget\r\n"
                   "給与,0,0,0,0,9000,0,9000,9000,\r\n"
                   "賞与,0,0,0,0,0,0,0,0,\r\n"
                   "(不明),0,0,0,0,0,0,0,0,\r\n"
                   "交通費,0,0,0,0,0,50,50,50,10*\r\n"
                   "食費,0,300,0,0,0,0,300,0,100\r\n"
                   "光熱費,0,0,0,0,0,0,0,0,\r\n"
                   "(不明),0,0,0,0,0,0,0,0,\r\n"
                   "(入金合計),0,0,0,0,9000,0,9000,9000,\r\n"
                   "(出金合計),0,300,0,0,0,50,350,50,\r\n"
                   "(差引残高),1000,700,700,700,9700,9650,9650,9650,\r\n");
    EXPECT_EQ(test::ReadBytes(DataFolder(dir.path()) + "INIT.mrt"), "");

    // Closing day 1: the closing month becomes April, which has no budget.
    out = runTool(home() + "totals --date 2024-03-02 --closing-day 1 --csv", status);
    EXPECT_NE(out.find("\r\n交通費,0,0,0,0,0,50,50,50,\r\n"), std::string::npos) << out;
    runTool(home() + "totals --date 2024-13-01", status);
    EXPECT_EQ(status, 2);
}

TEST_F(TotalsTool, BudgetCsvInDisplayOrderWithPreviousDecember) {
    int status = -1;
    std::string out = runTool(home() + "budget --year 2024 --csv", status);
    EXPECT_EQ(status, 0);
    std::string march = "3,income,1,1,給与,\r\n3,income,2,2,賞与,\r\n"
                        "3,expense,1,23,交通費,10\r\n3,expense,2,21,食費,100\r\n3,expense,3,22,光熱費,\r\n";
    EXPECT_NE(out.find(march), std::string::npos) << out;
    EXPECT_EQ(out.rfind("month,kind,position,key,item,amount\r\n", 0), 0u);

    // 2025 has no file: every month shows December 2024.
    out = runTool(home() + "budget --year 2025 --csv", status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("\r\n7,income,1,1,給与,7\r\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\r\n7,expense,1,23,交通費,\r\n"), std::string::npos) << out;
    EXPECT_EQ(test::ReadBytes(DataFolder(dir.path()) + "Bgt2025.usr"), "") << "nothing written";

    runTool(home() + "budget", status);
    EXPECT_EQ(status, 2);
}

// The heading names real days: a closing day beyond the month's end is its last day, and a
// period start beyond the previous month's end is the 1st of the closing month.
TEST_F(TotalsTool, TextHeadingShowsTheRealDaysOfTheClosingPeriod) {
    int status = -1;
    std::string out = runTool(home() + "totals --date 2024-02-27", status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("締め日 末日  締め期間 2024/02/01～2024/02/29\n"), std::string::npos) << out;

    out = runTool(home() + "totals --date 2024-03-02 --closing-day 30", status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("締め日 30日  締め期間 2024/03/01～2024/03/30\n"), std::string::npos) << out;

    // Bounds that are real days stay; closing day 29 in a leap year starts March's period on the
    // day after 29 February.
    out = runTool(home() + "totals --date 2024-02-26 --closing-day 28", status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("締め日 28日  締め期間 2024/01/29～2024/02/28\n"), std::string::npos) << out;
    out = runTool(home() + "totals --date 2024-03-01 --closing-day 29", status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("締め日 29日  締め期間 2024/03/01～2024/03/29\n"), std::string::npos) << out;
}

// The program's export of a budget: Japanese header and kinds, display order, empty for none.
TEST_F(TotalsTool, BudgetExportInShiftJis) {
    const std::string file = dir.path() + "/budget.csv";
    ASSERT_EQ(ExportBudgetCsv(names, 2024, BudgetPlaceOf(dir.path()), CsvEncoding::Cp932, file, dlg), 12 * 5);
    const std::string text = FromCp932(test::ReadBytes(file));
    EXPECT_EQ(text.rfind("月,区分,順番,キー,項目名,予算額\r\n1,入金,1,1,給与,\r\n", 0), 0u) << text.substr(0, 80);
    EXPECT_NE(text.find("\r\n3,出金,1,23,交通費,10\r\n3,出金,2,21,食費,100\r\n"), std::string::npos);
    // 2025 has no file: December 2024 stands for every month. The file is replaced after the question.
    dlg.expect("MsgYesNo2", 0).expectMessage("上書きしますか");
    ASSERT_EQ(ExportBudgetCsv(names, 2025, BudgetPlaceOf(dir.path()), CsvEncoding::Utf8, file, dlg), 60);
    EXPECT_NE(test::ReadBytes(file).find("\r\n7,入金,1,1,給与,7\r\n"), std::string::npos);
}

// Amounts that fill their columns still stand apart: every row splits at blanks into as many
// fields as the heading, the largest period total and an exceeded budget among them.
TEST_F(TotalsFixture, ToolTextKeepsFullColumnsApart) {
    writeLedger(99999999, {{2024, 3, 1, "初期残高", 0, 0},
                           {2024, 3, 1, "食費", 0, 99999999},
                           {2024, 3, 2, "食費", 0, 99999999},
                           {2024, 3, 3, "光熱費", 0, 99999999}});
    budget.HeldYear = 2024;
    FillBudget(budget, -1);
    budget.at(3, 1, 1) = 123456789; // 食費 in March
    ASSERT_EQ(SaveBudget(budget, 2024, names.items, BudgetPlaceOf(dir.path()), dlg), 0);
    ASSERT_EQ(SaveItemTable(DataFolder(dir.path()) + "TBITEM.mrt", names, dlg), 0);
    int status = -1;
    const std::string out = runTool("--home " + dir.path() + " totals --date 2024-03-03", status);
    ASSERT_EQ(status, 0) << out;
    auto fields = [](const std::string& line) {
        std::vector<std::string> f;
        std::istringstream in(line);
        for (std::string w; in >> w;)
            f.push_back(w);
        return f;
    };
    std::istringstream lines(out);
    std::string line, heading;
    std::getline(lines, line); // the period
    std::getline(lines, heading);
    const size_t columns = fields(heading).size();
    ASSERT_EQ(columns, 1u + 3u + 3u) << heading;
    std::vector<std::vector<std::string>> rows;
    while (std::getline(lines, line))
        if (line.rfind("---", 0) != 0) rows.push_back(fields(line));
    ASSERT_EQ(rows.size(), 10u) << out;
    for (const auto& r : rows)
        EXPECT_GE(r.size(), columns - 1) << r[0];
    EXPECT_EQ(rows[3], (std::vector<std::string>{"食費", "99,999,999", "99,999,999", "0", "199,999,998", "199,999,998",
                                                 "123,456,789*"}))
        << out;
    EXPECT_EQ(rows[9], (std::vector<std::string>{"(差引残高)", "0", "-99,999,999", "-199,999,998", "-199,999,998",
                                                 "-199,999,998"}))
        << out;
}
