// The totals window's grids as the computation fills them: headers, colours, the closing-day
// mark, the layout and the labels, on GridModels measured with a fixed pitch (a byte is 100
// twips wide, a text 200 high).
#include "screens/TotalsGrids.h"
#include "test_totals_fixture.h"
#include "util/DateText.h"

using namespace totals_test;

namespace {

class TotalsGrids : public TotalsFixture {
protected:
    GridModel g0, g1, g2;
    TotalsGridModels grids{&g0, &g1, &g2};
    TextMeasure measure = FixedPitchMeasure(100, 200);
    TotalsLayout layout;

    void standardLedger() {
        writeLedger(10000, {{2024, 3, 1, "初期残高", 0, 0},
                            {2024, 3, 5, "給与", 200000, 0},
                            {2024, 3, 9, "食費", 0, 3000},
                            {2024, 3, 12, "光熱費", 0, 8000},
                            {2024, 3, 20, "食費", 0, 1500},
                            {2024, 3, 31, "交通費", 0, 700},
                            {2024, 4, 2, "食費", 0, 400},
                            {2024, 4, 30, "食費", 0, 100}});
    }
    void show(int y, int m, int d, bool rebuild = true) {
        ASSERT_EQ(compute(y, m, d, rebuild), 0);
        layout = ShowTotalsOnGrids(grids, session.state, budget, measure, rebuild);
    }
    int headerMark() const {
        int found = 0;
        for (int c = 0; c < g0.Cols(); ++c)
            if (g0.CellBackColorAt(0, c) == kTotalsClosingMark) found = found ? -1 : c;
        return found;
    }
    std::string trimmed(std::string s) const {
        while (!s.empty() && s.front() == ' ')
            s.erase(s.begin());
        while (!s.empty() && s.back() == ' ')
            s.pop_back();
        return s;
    }
};

} // namespace

TEST(TotalsHeaders, DayHeadersWithTheWeekday) {
    EXPECT_EQ(TotalsDayHeader({2024, 3, 9}), "03/09(土)");
    EXPECT_EQ(TotalsDayHeader({2024, 3, 10}), "03/10(日)");
    EXPECT_EQ(TotalsDayHeader({2026, 12, 7}), "12/07(月)");
    EXPECT_EQ(ClosingTotalHeader(3), "3月締合計");
    EXPECT_EQ(ClosingBudgetHeader(12), "12月予算 ");
    // Closing day 30: February's period ends on its last day; with closing day 31 a 31st that a
    // month lacks is the 1st of the next month when it starts a period.
    EXPECT_EQ(FormatPeriodDate({2024, 2, 30}, true), "2024/02/29");
    EXPECT_EQ(FormatPeriodDate({2024, 2, 31}, false), "2024/03/01");
    EXPECT_EQ(FormatPeriodDate({2023, 12, 26}, false), "2023/12/26");
}

TEST_F(TotalsGrids, HeadersColumnsAndTheReplacedMonthHeaders) {
    standardLedger();
    show(2024, 3, 15);
    const TotalsState& st = session.state;
    ASSERT_EQ(st.DayCount, 7);
    EXPECT_EQ(g0.Cols(), 1 + 7 + 3);
    EXPECT_EQ(g1.Cols(), g0.Cols());
    EXPECT_EQ(g0.TextMatrix(0, 0), " 項 目 名  ");
    EXPECT_EQ(g0.TextMatrix(0, 1), "03/09(土)");
    EXPECT_EQ(g0.TextMatrix(0, 8), " 週 合 計 ");
    EXPECT_EQ(g0.TextMatrix(0, 9), "3月締合計");
    EXPECT_EQ(g0.TextMatrix(0, 10), "3月予算 ");
    // The printout's header list keeps the general month headers.
    EXPECT_EQ(SetTotalsHeaders(st)[9], " 月 合 計 ");
    EXPECT_EQ(SetTotalsHeaders(st)[10], " 予 算 額 ");
    // Widths follow the headers (9 bytes for a day, 10 for the week).
    EXPECT_EQ(g0.ColWidth(1), 900);
    EXPECT_EQ(g2.ColWidth(8), 1000);
    // Rows: income items and (不明) under the header; expense items; the three summaries.
    EXPECT_EQ(g0.Rows(), 1 + 3);
    EXPECT_EQ(g1.Rows(), 4);
    EXPECT_EQ(g2.Rows(), 3);
    EXPECT_EQ(g0.TextMatrix(1, 0), "給与");
    EXPECT_EQ(g1.TextMatrix(3, 0), "(不明)");
    EXPECT_EQ(g2.TextMatrix(2, 0), "(差引残高)");
    // Amounts "#,0" in 10 bytes: the 9th (day column 1) shows 3,000 for 食費, 0 elsewhere.
    EXPECT_EQ(g1.TextMatrix(0, 1), "     3,000");
    EXPECT_EQ(g1.TextMatrix(1, 1), "         0");
    EXPECT_EQ(trimmed(g1.TextMatrix(0, 9)), "4,500");
    EXPECT_EQ(trimmed(g2.TextMatrix(2, 8)), "199,000");
}

TEST_F(TotalsGrids, ColoursTintsAndTheBudgetOverrun) {
    standardLedger();
    budget.HeldYear = 2024;
    FillBudget(budget, -1);
    budget.at(3, 0, 1) = 100000; // 給与: exceeded by 200,000
    budget.at(3, 1, 1) = 5000;   // 食費: 4,500 is within
    budget.at(3, 1, 2) = 7000;   // 光熱費: exceeded by 8,000
    ASSERT_EQ(SaveBudget(budget, 2024, names.items, session.budgetPlace, dlg), 0);
    budget = BgtRecord();
    show(2024, 3, 15);
    const int b = 10;
    EXPECT_EQ(g0.TextMatrix(1, b), "100,000");
    EXPECT_EQ(g0.CellForeColorAt(1, b), kBudgetOverIncome);
    EXPECT_EQ(g1.CellForeColorAt(0, b), Rgb(0, 0, 0));
    EXPECT_EQ(g1.CellForeColorAt(1, b), kBudgetOverExpense);
    EXPECT_EQ(g1.TextMatrix(1, b), "7,000");
    // No budget, and no budget cell for (不明).
    EXPECT_EQ(g1.TextMatrix(2, b), "");
    EXPECT_EQ(g1.TextMatrix(3, b), "");
    EXPECT_EQ(g0.TextMatrix(3, b), "");

    // Header row, item rows (name column too), tints on every second row from the first.
    EXPECT_EQ(g0.CellBackColorAt(0, 4), kTotalsHeaderBack);
    EXPECT_EQ(g0.CellForeColorAt(0, 4), Rgb(255, 255, 255));
    EXPECT_EQ(g0.CellFontSizeAt(0, 4), 8);
    EXPECT_EQ(g0.CellBackColorAt(2, 0), kTotalsItemBack);
    EXPECT_EQ(g0.CellForeColorAt(2, 0), kTotalsItemText);
    EXPECT_EQ(g0.CellBackColorAt(2, 3), kTotalsItemBack);
    EXPECT_EQ(g0.CellBackColorAt(1, 3), kTotalsTintDays);
    EXPECT_EQ(g0.CellBackColorAt(1, 0), kTotalsItemBack);
    EXPECT_EQ(g1.CellBackColorAt(0, 8), kTotalsTintWeekMonth);
    EXPECT_EQ(g1.CellBackColorAt(2, 9), kTotalsTintWeekMonth);
    EXPECT_EQ(g1.CellBackColorAt(2, 10), kTotalsTintBudget);
    EXPECT_EQ(g1.CellBackColorAt(3, 10), kTotalsItemBack);
    EXPECT_EQ(g2.CellBackColorAt(0, 5), kTotalsIncomeSumBack);
    EXPECT_EQ(g2.CellBackColorAt(1, 5), kTotalsExpenseSumBack);
    EXPECT_EQ(g2.CellBackColorAt(2, 5), kTotalsBalanceBack);
    EXPECT_EQ(g2.CellForeColorAt(2, 0), kTotalsBalanceText);
    EXPECT_EQ(g0.HighLight(), GridHighLight::Never);
    EXPECT_EQ(g0.CellAlignmentAt(0, 0), GridAlign::Center);
    EXPECT_EQ(g0.CellAlignmentAt(0, 9), GridAlign::Center);
    EXPECT_EQ(g0.CellAlignmentAt(2, 0), GridAlign::Left);
    EXPECT_EQ(g0.CellAlignmentAt(2, 9), GridAlign::Right);
    EXPECT_EQ(g1.CellAlignmentAt(0, 0), GridAlign::Left);
}

TEST_F(TotalsGrids, ClosingDayMarks) {
    standardLedger();
    // Month end: 27 March – 2 April marks 31 March.
    show(2024, 4, 2);
    EXPECT_EQ(headerMark(), 5);
    EXPECT_EQ(g0.TextMatrix(0, 5), "03/31(日)");
    EXPECT_EQ(g0.TextMatrix(0, 9), "4月締合計");
    // A week ending on the month's last day marks its last column.
    show(2024, 3, 31);
    EXPECT_EQ(headerMark(), 7);
    // Closing day 25.
    settings.ClosingDay = 25;
    show(2024, 3, 28);
    EXPECT_EQ(headerMark(), 4);
    EXPECT_EQ(g0.TextMatrix(0, 4), "03/25(月)");
    EXPECT_EQ(g0.TextMatrix(0, 9), "4月締合計");
    // A week without the closing day has no mark; a move without a rebuild removes the old one.
    MoveTotalsWeek(session, -7);
    layout = ShowTotalsOnGrids(grids, session.state, budget, measure, false);
    EXPECT_FALSE(layout.fullBuild);
    EXPECT_EQ(headerMark(), 0);
}

TEST_F(TotalsGrids, TheGridsAreRebuiltOnlyWhenTheColumnCountChanges) {
    standardLedger();
    show(2024, 3, 15);
    EXPECT_TRUE(layout.fullBuild);
    g1.SetTextMatrix(0, 0, "marker");
    show(2024, 3, 16, false);
    EXPECT_FALSE(layout.fullBuild);
    EXPECT_EQ(g1.TextMatrix(0, 0), "marker");
    // Near the ledger's first date the week is shorter: fewer columns, a full build.
    show(2024, 3, 4, false);
    EXPECT_EQ(session.state.DayCount, 4);
    EXPECT_TRUE(layout.fullBuild);
    EXPECT_EQ(g0.Cols(), 1 + 4 + 3);
    EXPECT_EQ(g1.TextMatrix(0, 0), "食費");
    EXPECT_EQ(session.state.builtColumns, 8);
    EXPECT_EQ(session.state.gridColumns[2], 8);
}

TEST_F(TotalsGrids, LayoutScrollsIncomeAfterFiveRowsAndExpenseAfterSixteen) {
    for (const char* n : {"年金", "臨時収入", "利息", "配当"})
        AddName(names, kItemTable, 0, n);
    standardLedger();
    show(2024, 3, 15);
    // Six income items: nIn 7, five rows shown under the header, a scroll bar.
    EXPECT_EQ(session.state.nIn, 7);
    EXPECT_EQ(layout.rowsShown[0], 6);
    EXPECT_TRUE(layout.scrolls[0]);
    EXPECT_EQ(g0.ScrollBars(), GridScrollBars::Vertical);
    // Three expense items: four rows, no scroll bar.
    EXPECT_EQ(layout.rowsShown[1], 4);
    EXPECT_FALSE(layout.scrolls[1]);
    EXPECT_EQ(g1.ScrollBars(), GridScrollBars::None);
    // Row height 1.9 × the text height.
    EXPECT_EQ(layout.rowHeight, 380);
    EXPECT_EQ(g1.RowHeight(2), 380);
}

TEST_F(TotalsGrids, LabelsAndAnAmountWiderThanItsColumn) {
    writeLedger(123456789, {{2024, 3, 1, "初期残高", 0, 0}, {2024, 3, 9, "食費", 0, 3000}});
    show(2024, 3, 9);
    TotalsLabels l = TotalsLabelTexts(session.state);
    EXPECT_EQ(l.registered, "2024年03月01日～2024年03月09日");
    EXPECT_EQ(l.shown, "2024年3月3日～2024年3月9日");
    EXPECT_EQ(l.shown.size(), std::string("2024年3月3日～2024年3月9日").size());
    EXPECT_EQ(l.closing, "末日締");
    // The balance 123,453,789 is 11 bytes: shown whole, its column widened.
    EXPECT_EQ(trimmed(g2.TextMatrix(2, 7)), "123,453,789");
    EXPECT_GT(g2.ColWidth(7), 900);
    EXPECT_EQ(g0.ColWidth(7), g2.ColWidth(7));
    settings.ClosingDay = 25;
    show(2024, 3, 9);
    EXPECT_EQ(TotalsLabelTexts(session.state).closing, "２５日締");
}

TEST(TotalsWindowState, StoredOnlyWhenItChanged) {
    test::TempDir dir;
    IniRecord rec;
    const std::string path = dir / "INIT.mrt";
    EXPECT_EQ(StoreTotalsWindowState(rec, path, 0), 0);
    EXPECT_TRUE(test::ReadBytes(path).empty());
    EXPECT_EQ(StoreTotalsWindowState(rec, path, 2), 0);
    IniRecord back;
    ASSERT_EQ(ReadSettings(path, back), 0);
    EXPECT_EQ(back.TotalsWindowState, 2);
}
