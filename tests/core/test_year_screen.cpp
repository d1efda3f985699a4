// The year window's presenter: what it renders into the grid, the spending series of the chart,
// and that a failed switch keeps the report and options shown.
#include "screens/YearReportScreen.h"
#include "test_totals_fixture.h"
#include "screens/TotalsGrids.h"

#include <filesystem>

using namespace totals_test;

namespace {

class YearScreenTest : public TotalsFixture {
protected:
    void SetUp() override {
        writeLedger(1000, {{2025, 6, 1, "初期残高", 0, 0},
                           {2025, 7, 2, "交通費", 0, 900},
                           {2026, 1, 5, "食費", 0, 1500},
                           {2026, 1, 28, "光熱費", 0, 300},
                           {2026, 2, 1, "給与", 5000, 0},
                           {2026, 2, 3, "交通費", 0, 200}});
        ASSERT_EQ(SaveItemTable(NameFilesIn(DataFolder(dir.path())).item, names, dlg), 0);
        BgtRecord b;
        FillBudget(b, -1);
        b.HeldYear = 2026;
        b.at(1, 1, 1) = 1000; // 食費 in January: exceeded
        ASSERT_EQ(SaveBudget(b, 2026, names.items, session.budgetPlace, dlg), 0);
    }
};

} // namespace

TEST_F(YearScreenTest, RendersTheReportAndKeepsItWhenASwitchFails) {
    YearReportOptions o;
    o.year = 2026;
    o.closingDay = 25;
    YearReportScreen screen(DataFolder(dir.path()), o);
    ASSERT_EQ(screen.Load(dlg), 0);
    GridModel g;
    screen.Render(g, FixedPitchMeasure());
    // Header, 2 income items + (不明) + sum, 3 expense items + (不明) + sum, balance.
    ASSERT_EQ(g.Rows(), 11);
    ASSERT_EQ(g.Cols(), 19);
    EXPECT_EQ(g.FixedRows(), 1);
    EXPECT_EQ(g.FixedCols(), 1);
    EXPECT_EQ(g.TextMatrix(0, 1), "1月");
    EXPECT_EQ(g.TextMatrix(0, 13), "年間合計");
    EXPECT_EQ(g.TextMatrix(5, 0), "食費");
    EXPECT_EQ(g.TextMatrix(5, 1), "1,500");
    EXPECT_EQ(g.TextMatrix(5, 15), "1,000");
    EXPECT_EQ(g.TextMatrix(5, 16), "500");
    EXPECT_EQ(g.CellForeColorAt(5, 16), kBudgetOverExpense);
    EXPECT_EQ(g.TextMatrix(7, 18), "-77.8%"); // 交通費 200 after 900
    EXPECT_EQ(g.TextMatrix(10, 0), "(収支差引)");
    EXPECT_EQ(g.TextMatrix(10, 13), "3,000");
    EXPECT_EQ(screen.ReportRow(5), 4);
    EXPECT_EQ(screen.ReportRow(0), -1);
    EXPECT_EQ(screen.Caption(), "2026年 1月～12月");

    const std::vector<YearSeries> series = YearSpendingSeries(screen.Report(), 2);
    ASSERT_EQ(series.size(), 2u);
    EXPECT_EQ(series[0].name, "食費");
    EXPECT_EQ(series[1].name, "その他");
    EXPECT_EQ(series[1].values[0], 300);
    EXPECT_EQ(series[1].values[1], 200);

    // Closing on the 25th: the 28 January line counts in February.
    g.SetCursor(6, 2);
    ASSERT_EQ(screen.TogglePeriods(dlg), 0);
    screen.Render(g, FixedPitchMeasure());
    EXPECT_EQ(g.TextMatrix(0, 1), "1月締");
    EXPECT_EQ(g.TextMatrix(6, 2), "300");
    EXPECT_EQ(g.Row(), 6);
    EXPECT_EQ(screen.Caption(), "2026年(25日締) 1月締～12月締");

    // The ledger cannot be read: one message, and the report of 2026 stays.
    std::filesystem::remove(dir / "Data1/Io2025.usr");
    dlg.expect("MsgOK").expectMessage("Io2025.usr");
    EXPECT_EQ(screen.MoveYear(-1, dlg), -1);
    dlg.VerifyDone();
    EXPECT_EQ(screen.Options().year, 2026);
    EXPECT_TRUE(screen.Options().periods);
    EXPECT_EQ(screen.Report().rows[4].total, 1500);
}
