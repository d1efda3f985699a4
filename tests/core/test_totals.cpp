#include "test_totals_fixture.h"
#include "util/DateText.h"

using namespace totals_test;
using V = std::vector<int64_t>;

TEST(ClosingPeriod, BoundsAndClosingDayRule) {
    CivilDate s, e;
    int y, m;
    ClosingMonthOf({2024, 3, 28}, 25, y, m);
    ClosingPeriodOf(y, m, 25, s, e);
    EXPECT_EQ(DateNum(s.year, s.month, s.day), 20240326);
    EXPECT_EQ(DateNum(e.year, e.month, e.day), 20240425);
    ClosingPeriodOf(2024, 3, 31, s, e); // a calendar month
    EXPECT_EQ(DateNum(s.year, s.month, s.day), 20240301);
    EXPECT_EQ(EffectiveClosingDay(0), 31);
    EXPECT_EQ(EffectiveClosingDay(32), 31);
    EXPECT_EQ(EffectiveClosingDay(1), 1);
}

TEST(ClassifyLine, SidesRowsAndUnknownItems) {
    std::vector<std::string> in = {"（入力なし）", "給与", "賞与"};
    std::vector<std::string> out = {"（入力なし）", "食費", "光熱費", "交通費"};
    IoRecord l;
    l.ItemName = "賞与  ";
    l.Income = 500;
    LineClass c = ClassifyLine(l, in, out);
    EXPECT_EQ(c.row, 2);
    EXPECT_EQ(c.side, 0);
    EXPECT_EQ(c.amount, 500);

    l.Income = 0;
    l.Expense = 70;
    l.ItemName = "交通費";
    c = ClassifyLine(l, in, out);
    EXPECT_EQ(c.row, 3 + 3);
    EXPECT_EQ(c.side, 1);
    EXPECT_EQ(c.amount, 70);

    l.ItemName = "給与"; // an income item on an expense line is not an expense item
    EXPECT_EQ(ClassifyLine(l, in, out).row, 7);
    l.ItemName = "（入力なし）";
    EXPECT_EQ(ClassifyLine(l, in, out).row, 7);
    l.ItemName = "";
    EXPECT_EQ(ClassifyLine(l, in, out).row, 7);

    l.ItemName = "初期残高"; // both amounts zero: an expense line of 0
    l.Expense = 0;
    c = ClassifyLine(l, in, out);
    EXPECT_EQ(c.side, 1);
    EXPECT_EQ(c.row, 7);
    EXPECT_EQ(c.amount, 0);
}

class TotalsTable : public TotalsFixture {};

// Closing day 25 and a week across the year end: the closing month is January 2024, its period
// runs from 26 December to 25 January, and the January budget is compared.
TEST_F(TotalsTable, ClosingDay25AcrossTheYearEnd) {
    writeLedger(100000, {{2023, 12, 1, "初期残高", 0, 0},
                         {2023, 12, 20, "食費", 0, 3000},
                         {2023, 12, 24, "給与", 200000, 0},
                         {2023, 12, 26, "光熱費", 0, 8000},
                         {2023, 12, 28, "食費", 0, 1500},
                         {2023, 12, 28, "旧項目", 0, 500}, // an item deleted since
                         {2024, 1, 2, "賞与", 50000, 0},
                         {2024, 1, 10, "交通費", 0, 1200},
                         {2024, 1, 25, "食費", 0, 2000},
                         {2024, 1, 26, "食費", 0, 999},
                         {2024, 2, 3, "食費", 0, 100}});
    // Budgets: December 2023 and January 2024 differ, so the month used is visible.
    budget.HeldYear = 2024;
    FillBudget(budget, -1);
    budget.at(1, 0, 2) = 40000; // 賞与
    budget.at(1, 1, 1) = 3000;  // 食費
    budget.at(1, 1, 2) = 8000;  // 光熱費
    budget.at(1, 1, 3) = 0;     // 交通費
    ASSERT_EQ(SaveBudget(budget, 2024, names.items, session.budgetPlace, dlg), 0);
    budget = BgtRecord();

    settings.ClosingDay = 25;
    ASSERT_EQ(compute(2023, 12, 29), 0);
    const TotalsState& st = session.state;
    EXPECT_EQ(st.DayCount, 7);
    EXPECT_EQ(st.WeekStart.day, 23);
    EXPECT_EQ(st.closingYear * 100 + st.closingMonth, 202401);
    ASSERT_EQ(st.RowCount, 10);
    EXPECT_EQ(st.rowNames, (std::vector<std::string>{"", "給与", "賞与", "(不明)", "食費", "光熱費", "交通費", "(不明)",
                                                     "(入金合計)", "(出金合計)", "(差引残高)"}));

    //            12/23   12/24   12/25   12/26   12/27   12/28   12/29    week   period
    EXPECT_EQ(row(kSalary), (V{0, 200000, 0, 0, 0, 0, 0, 200000, 0}));
    EXPECT_EQ(row(kBonus), (V{0, 0, 0, 0, 0, 0, 0, 0, 50000}));
    EXPECT_EQ(row(kInUnknown), (V{0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(row(kFood), (V{0, 0, 0, 0, 0, 1500, 0, 1500, 3500}));
    EXPECT_EQ(row(kPower), (V{0, 0, 0, 8000, 0, 0, 0, 8000, 8000}));
    EXPECT_EQ(row(kTravel), (V{0, 0, 0, 0, 0, 0, 0, 0, 1200}));
    EXPECT_EQ(row(kOutUnknown), (V{0, 0, 0, 0, 0, 500, 0, 500, 500}));
    EXPECT_EQ(row(kInSum), (V{0, 200000, 0, 0, 0, 0, 0, 200000, 50000}));
    EXPECT_EQ(row(kOutSum), (V{0, 0, 0, 8000, 0, 2000, 0, 10000, 13200}));
    EXPECT_EQ(row(kBalance), (V{97000, 297000, 297000, 289000, 289000, 287000, 287000, 287000, 333800}));

    int32_t amount = 0;
    bool exceeded = false;
    EXPECT_FALSE(TotalsBudgetOf(st, budget, kSalary, amount, exceeded)); // no budget
    ASSERT_TRUE(TotalsBudgetOf(st, budget, kBonus, amount, exceeded));
    EXPECT_EQ(amount, 40000);
    EXPECT_TRUE(exceeded);
    ASSERT_TRUE(TotalsBudgetOf(st, budget, kFood, amount, exceeded));
    EXPECT_TRUE(exceeded);
    ASSERT_TRUE(TotalsBudgetOf(st, budget, kPower, amount, exceeded));
    EXPECT_FALSE(exceeded) << "equal to the budget is not above it";
    ASSERT_TRUE(TotalsBudgetOf(st, budget, kTravel, amount, exceeded));
    EXPECT_EQ(amount, 0);
    EXPECT_TRUE(exceeded) << "a budget of zero";
    for (int r : {kInUnknown, kOutUnknown, kInSum, kOutSum, kBalance})
        EXPECT_FALSE(TotalsBudgetOf(st, budget, r, amount, exceeded));
    // February 2024 was not needed and not read: the block ends with January.
    EXPECT_EQ(st.index.BlockStartYear * 100 + st.index.BlockStartMonth, 202312);
    EXPECT_EQ(st.index.BlockSpan, 2);
}

TEST_F(TotalsTable, ClosingDay30InFebruary) {
    writeLedger(10000, {{2024, 1, 20, "初期残高", 0, 0},
                        {2024, 1, 30, "食費", 0, 100},
                        {2024, 1, 31, "食費", 0, 200},
                        {2024, 2, 29, "食費", 0, 400},
                        {2024, 3, 1, "食費", 0, 800}});
    settings.ClosingDay = 30;
    ASSERT_EQ(compute(2024, 2, 29), 0);
    // Period 31 January .. "30 February": 200 + 400.
    //                    2/23 2/24 2/25 2/26 2/27 2/28 2/29 week period
    EXPECT_EQ(row(kFood), (V{0, 0, 0, 0, 0, 0, 400, 400, 600}));
    EXPECT_EQ(row(kBalance), (V{9700, 9700, 9700, 9700, 9700, 9700, 9300, 9300, 9300}));

    // 1 March belongs to March's period, which starts after every February day.
    ASSERT_EQ(compute(2024, 3, 1, false), 0);
    EXPECT_EQ(session.state.closingMonth, 3);
    EXPECT_EQ(cell(kFood, 9), 800);
    EXPECT_EQ(cell(kFood, 8), 1200); // week 2/24..3/1
    EXPECT_EQ(cell(kBalance, 9), 8500);
}

TEST_F(TotalsTable, WeekClippedByTheFirstDateAndDaysWithoutLines) {
    writeLedger(5000, {{2024, 5, 3, "初期残高", 0, 0}, {2024, 5, 4, "給与", 1000, 0}, {2024, 5, 6, "食費", 0, 300}});
    ASSERT_EQ(compute(2024, 5, 5), 0);
    const TotalsState& st = session.state;
    EXPECT_EQ(st.DayCount, 3);
    EXPECT_EQ(st.WeekStart.day, 3);
    //                          5/3   5/4   5/5  week period
    EXPECT_EQ(row(kSalary), (V{0, 1000, 0, 1000, 1000}));
    EXPECT_EQ(row(kFood), (V{0, 0, 0, 0, 300}));
    EXPECT_EQ(row(kOutUnknown), (V{0, 0, 0, 0, 0})); // the initial line, an expense of 0
    EXPECT_EQ(row(kOutSum), (V{0, 0, 0, 0, 300}));
    EXPECT_EQ(row(kBalance), (V{5000, 6000, 6000, 6000, 5700}));

    // A last date before the ledger: seven days from the first date, cut at the last date.
    CivilDate early{2024, 4, 1};
    ASSERT_EQ(ComputeTotals(session, early, false), 0);
    EXPECT_EQ(early.month * 100 + early.day, 506);
    EXPECT_EQ(session.state.DayCount, 4);
    // A last date after the ledger ends at its last date.
    CivilDate late{2030, 1, 1};
    ASSERT_EQ(ComputeTotals(session, late, false), 0);
    EXPECT_EQ(late.year * 10000 + late.month * 100 + late.day, 20240506);
    EXPECT_EQ(session.state.WeekStart.day, 3);
}

TEST_F(TotalsTable, WeekWithoutLinesShowsTheBalanceBeforeIt) {
    writeLedger(1000, {{2024, 6, 1, "初期残高", 0, 0}, {2024, 6, 20, "食費", 0, 100}});
    ASSERT_EQ(compute(2024, 6, 10), 0);
    EXPECT_EQ(row(kBalance), (V{1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 900}));
    EXPECT_EQ(row(kFood), (V{0, 0, 0, 0, 0, 0, 0, 0, 100}));
    EXPECT_EQ(row(kOutSum), (V{0, 0, 0, 0, 0, 0, 0, 0, 100}));
}

TEST_F(TotalsTable, PeriodWithoutLinesTakesTheLastDaysBalance) {
    // Closing day 5, last date 3 June: the period 6 May .. 5 June holds no line.
    writeLedger(1000, {{2024, 5, 1, "初期残高", 0, 0}, {2024, 6, 10, "食費", 0, 100}});
    settings.ClosingDay = 5;
    ASSERT_EQ(compute(2024, 6, 3), 0);
    EXPECT_EQ(row(kBalance), (V{1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000}));
    EXPECT_EQ(row(kOutSum), (V{0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(row(kFood), (V{0, 0, 0, 0, 0, 0, 0, 0, 0}));
}
