// The totals of a run of closing periods for the chart, checked against ComputeTotals period by
// period on a ledger of fourteen months.
#include "test_totals_fixture.h"
#include "totals/PeriodTotals.h"
#include "util/DateText.h"

using namespace totals_test;

namespace {

class PeriodTotalsTest : public TotalsFixture {
protected:
    // Lines from 5 January 2023 to 28 February 2024: three a week, items in turn, a salary on
    // the 25th, an unregistered item now and then.
    void fourteenMonths() {
        std::vector<Line> lines = {{2023, 1, 5, "初期残高", 0, 0}};
        static const char* out[] = {"食費", "光熱費", "交通費", "旧項目"};
        int k = 0;
        for (int key = DateKey(2023, 1, 6); key <= DateKey(2024, 2, 28); key += 2) {
            int y, m, d;
            DateFromKey(key, y, m, d);
            if (d == 25 || d == 26) lines.push_back({y, m, d, "給与", 250000, 0});
            lines.push_back({y, m, d, out[k % 4], 0, 100 + (k * 37) % 900});
            ++k;
        }
        writeLedger(50000, lines);
    }
};

} // namespace

TEST_F(PeriodTotalsTest, EachPeriodMatchesTheTotalsOfItsClosingMonth) {
    fourteenMonths();
    for (int closingDay : {31, 25}) {
        settings.ClosingDay = static_cast<int16_t>(closingDay);
        ASSERT_EQ(compute(2024, 2, 10), 0);
        std::vector<PeriodTotal> periods;
        ASSERT_EQ(ComputePeriodTotals(ledger.index, session.state, closingDay, 2024, 2, 12, periods, dlg), 0);
        ASSERT_EQ(periods.size(), 12u);
        EXPECT_EQ(periods.front().month, 3);
        EXPECT_EQ(periods.front().year, 2023);
        for (const PeriodTotal& p : periods) {
            // The last day of the closing period as a real date gives the same closing month.
            CivilDate last{p.end.year, p.end.month, std::min<int>(p.end.day, DaysInMonth(p.end.year, p.end.month))};
            ASSERT_EQ(ComputeTotals(session, last, false), 0);
            const TotalsState& st = session.state;
            ASSERT_EQ(st.closingMonth, p.month);
            for (int r = 1; r <= st.RowCount; ++r)
                EXPECT_EQ(p.rows[r], st.table[r][st.DayCount + 2])
                    << "closing day " << closingDay << ", " << p.year << "/" << p.month << ", row " << r;
            EXPECT_TRUE(p.hasLines);
        }
    }
}

TEST_F(PeriodTotalsTest, PeriodsBeforeTheLedgerAreEmptyAndCarryNothing) {
    fourteenMonths();
    ASSERT_EQ(compute(2023, 3, 1), 0);
    std::vector<PeriodTotal> periods;
    ASSERT_EQ(ComputePeriodTotals(ledger.index, session.state, 31, 2023, 2, 4, periods, dlg), 0);
    ASSERT_EQ(periods.size(), 4u);
    EXPECT_FALSE(periods[0].hasLines); // November 2022
    EXPECT_FALSE(periods[1].hasLines);
    EXPECT_TRUE(periods[2].hasLines); // January 2023
    EXPECT_EQ(periods[0].rows[kOutSum], 0);
    EXPECT_EQ(periods[0].rows[kBalance], 0);
    // A period after the ledger's last month carries the last balance.
    std::vector<PeriodTotal> later;
    ASSERT_EQ(ComputePeriodTotals(ledger.index, session.state, 31, 2024, 4, 3, later, dlg), 0);
    EXPECT_TRUE(later[0].hasLines);
    EXPECT_FALSE(later[1].hasLines);
    EXPECT_EQ(later[2].rows[kBalance], later[0].rows[kBalance]);
    EXPECT_EQ(later[2].rows[kInSum], 0);
}

TEST_F(PeriodTotalsTest, ExpenseSeriesLargestFirstTheRestGathered) {
    fourteenMonths();
    ASSERT_EQ(compute(2024, 2, 10), 0);
    std::vector<PeriodTotal> periods;
    ASSERT_EQ(ComputePeriodTotals(ledger.index, session.state, 31, 2024, 2, 12, periods, dlg), 0);
    std::vector<PeriodSeries> all = ExpenseSeries(session.state, periods, 10);
    ASSERT_EQ(all.size(), 4u); // 食費, 光熱費, 交通費 and (不明); 旧項目 counts as (不明)
    for (size_t i = 1; i < all.size(); ++i) {
        int64_t a = 0, b = 0;
        for (int64_t v : all[i - 1].values)
            a += v;
        for (int64_t v : all[i].values)
            b += v;
        EXPECT_GE(a, b);
    }
    std::vector<PeriodSeries> two = ExpenseSeries(session.state, periods, 2);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].name, all[0].name);
    EXPECT_EQ(two[1].name, "その他");
    for (size_t p = 0; p < periods.size(); ++p)
        EXPECT_EQ(two[0].values[p] + two[1].values[p], periods[p].rows[kOutSum]);
}

TEST_F(PeriodTotalsTest, BudgetBarsOfTheClosingPeriod) {
    writeLedger(1000, {{2024, 3, 1, "初期残高", 0, 0}, {2024, 3, 5, "食費", 0, 3000}, {2024, 3, 9, "光熱費", 0, 500}});
    budget.HeldYear = 2024;
    FillBudget(budget, -1);
    budget.at(3, 1, 1) = 2000; // 食費: over
    budget.at(3, 1, 2) = 800;  // 光熱費: within
    ASSERT_EQ(SaveBudget(budget, 2024, names.items, session.budgetPlace, dlg), 0);
    budget = BgtRecord();
    ASSERT_EQ(compute(2024, 3, 9), 0);
    std::vector<BudgetBar> bars = ExpenseBudgetBars(session.state, budget);
    // 食費, 光熱費, 交通費; (不明) holds nothing and is left out.
    ASSERT_EQ(bars.size(), 3u);
    EXPECT_EQ(bars[0].name, "食費");
    EXPECT_EQ(bars[0].total, 3000);
    EXPECT_TRUE(bars[0].hasBudget && bars[0].over);
    EXPECT_EQ(bars[0].budget, 2000);
    EXPECT_TRUE(bars[1].hasBudget);
    EXPECT_FALSE(bars[1].over);
    EXPECT_FALSE(bars[2].hasBudget);
    EXPECT_EQ(bars[2].total, 0);
}
