#include "test_totals_fixture.h"

#include "totals/TotalsCsv.h"
#include "util/Clock.h"

using namespace totals_test;

namespace {

// Records what the computation hands to the window.
class RecordingTotalsView : public TotalsView {
public:
    std::vector<bool> rebuilds;
    std::vector<int> dayCounts;
    int runs = 0;
    void ShowTotals(const TotalsState& st, const BgtRecord&, bool rebuild) override {
        rebuilds.push_back(rebuild);
        dayCounts.push_back(st.DayCount);
    }
    void RunTotalsWindow() override { ++runs; }
};

class TotalsFlow : public TotalsFixture {
protected:
    RecordingTotalsView view;
    FixedClock clock{{2024, 3, 20}};
    TotalsFlow() {
        session.view = &view;
        SetClock(&clock);
    }
    ~TotalsFlow() override { SetClock(nullptr); }

    void standardLedger() {
        writeLedger(1000, {{2024, 3, 1, "初期残高", 0, 0},
                           {2024, 3, 5, "食費", 0, 100},
                           {2024, 3, 12, "給与", 5000, 0},
                           {2024, 3, 18, "食費", 0, 200}});
    }
    int lastDateNum() const {
        const CivilDate& d = session.state.LastDate;
        return d.year * 10000 + d.month * 100 + d.day;
    }
};

} // namespace

TEST_F(TotalsFlow, OpenAsksTheDateComputesAndRunsTheWindow) {
    standardLedger();
    dlg.expect("DateInYMD").withText("2024/03/12");
    OpenTotals(session);
    EXPECT_EQ(view.runs, 1);
    EXPECT_EQ(dlg.transcript()[0].message, "集計表示する最後の日付を入力してください。");
    EXPECT_EQ(dlg.ops(), "DateInYMD,MsgOn,MsgOff");
    EXPECT_EQ(lastDateNum(), 20240312);
    EXPECT_EQ(view.rebuilds, std::vector<bool>{true});
    EXPECT_EQ(cell(kInSum, 8), 5000);
}

TEST_F(TotalsFlow, CancelledDateOrDamagedBudgetOpensNothing) {
    standardLedger();
    dlg.expect("DateInYMD", -1);
    OpenTotals(session);
    EXPECT_EQ(view.runs, 0);

    ASSERT_TRUE(test::WriteBytes(session.budgetPlace.dataFolder + "Bgt2024.usr", "x"));
    dlg.expect("DateInYMD").withText("2024/03/12");
    dlg.expect("MsgYesNo2", 1);
    OpenTotals(session);
    EXPECT_EQ(view.runs, 0);
    EXPECT_FALSE(dlg.waitOpen());
}

TEST_F(TotalsFlow, WeekMovesClampAndFailuresKeepTheWeek) {
    standardLedger();
    ASSERT_EQ(compute(2024, 3, 12), 0);
    session.state.LastDate = {2024, 3, 12};
    MoveTotalsWeek(session, +7);
    EXPECT_EQ(lastDateNum(), 20240318) << "clamped to the ledger's last date";
    MoveTotalsWeek(session, -1);
    EXPECT_EQ(lastDateNum(), 20240317);
    MoveTotalsWeek(session, -7);
    EXPECT_EQ(lastDateNum(), 20240310);
    MoveTotalsWeek(session, -7);
    EXPECT_EQ(lastDateNum(), 20240303) << "the week starts at the first date and has fewer days";
    EXPECT_EQ(session.state.DayCount, 3);
    EXPECT_EQ(view.rebuilds, (std::vector<bool>{true, false, false, false, false}));

    // A computation that fails (the months hold more lines than a block may) leaves the week.
    ledger.MaxBlockLines = 2;
    dlg.expectBox(MsgResult::OK).expectMessage("入出金データの読込み最大数をオーバーしました。");
    MoveTotalsWeek(session, +1);
    EXPECT_EQ(lastDateNum(), 20240303);
    EXPECT_EQ(dlg.count("Beep"), 1);
}

TEST_F(TotalsFlow, MissingYearFileIsReportedAsAReadFailure) {
    standardLedger();
    ASSERT_EQ(std::remove((DataFolder(dir.path()) + "Io2024.usr").c_str()), 0);
    dlg.expect("MsgOK").expectMessage("集計データ読込みに失敗しました。");
    EXPECT_EQ(compute(2024, 3, 12), -1);
    EXPECT_EQ(dlg.transcript().back().title, "集計データ読込み");
    EXPECT_TRUE(view.rebuilds.empty());
}

TEST_F(TotalsFlow, ClosingDayIsAskedStoredAndRecomputed) {
    standardLedger();
    ASSERT_EQ(compute(2024, 3, 18), 0);
    session.state.LastDate = {2024, 3, 18};
    EXPECT_EQ(cell(kFood, 9), 300); // March

    dlg.expect("InputKel").withText("10");
    SetClosingDay(session);
    EXPECT_EQ(dlg.transcript().back().title, "締め日の設定");
    EXPECT_EQ(settings.ClosingDay, 10);
    IniRecord stored;
    ASSERT_EQ(ReadSettings(session.settingsPath, stored), 0);
    EXPECT_EQ(stored.ClosingDay, 10);
    // 18 March lies in April's period (11 March .. 10 April).
    EXPECT_EQ(session.state.closingMonth, 4);
    EXPECT_EQ(cell(kFood, 9), 200);
    EXPECT_EQ(cell(kInSum, 9), 5000);
    EXPECT_EQ(view.rebuilds.back(), true);

    // The same day again: nothing written, nothing recomputed.
    size_t shown = view.rebuilds.size();
    dlg.expect("InputKel").withText("10");
    SetClosingDay(session);
    EXPECT_EQ(view.rebuilds.size(), shown);
}

// The table shown, written as the totals window's CSV file: UTF-8 with its BOM, Japanese headers
// with the week's dates, a row per item with the day, week and period amounts.
TEST_F(TotalsFlow, TheTableShownIsExportedAsCsv) {
    standardLedger();
    dlg.expect("DateInYMD").withText("2024/03/12");
    OpenTotals(session);
    const std::string path = dir / "totals.csv";
    const int rows = ExportTotalsCsv(session.state, budget, CsvEncoding::Utf8Bom, path, dlg);
    EXPECT_EQ(rows, session.state.RowCount);
    const std::string bytes = test::ReadBytes(path);
    ASSERT_EQ(bytes.rfind("\xEF\xBB\xBF", 0), 0u);
    EXPECT_EQ(bytes.find("\xEF\xBB\xBF項目名,2024-03-06,2024-03-07,"), 0u) << bytes;
    EXPECT_NE(bytes.find(",2024-03-12,週合計,締合計,予算\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("\r\n給与,0,0,0,0,0,0,5000,5000,5000,"), std::string::npos) << bytes;
    // An existing file is replaced only after the question; "no" keeps it.
    dlg.expect("MsgYesNo2", 1);
    EXPECT_EQ(ExportTotalsCsv(session.state, budget, CsvEncoding::Utf8, path, dlg), -2);
    EXPECT_EQ(test::ReadBytes(path), bytes);
}
