// The totals printout against a recording printer ("5" is 90 × 180 twips at 9 pt).
#include "print/TotalsPrint.h"
#include "screens/TotalsGrids.h"
#include "support/PrintSupport.h"
#include "test_totals_fixture.h"
#include "util/Cp932.h"

#include <cmath>

using namespace totals_test;
using mrt::test::RecordingDevice;
using mrt::test::ScriptedPrintForm;

namespace {

class TotalsPrintTest : public TotalsFixture {
protected:
    ScriptedPrintForm form;
    RecordingDevice device;
    TotalsPrintSession print;

    TotalsPrintTest() {
        print.state = &session.state;
        print.budget = &budget;
        print.settings = &settings;
        print.settingsPath = session.settingsPath;
        print.dlg = &dlg;
        print.form = &form;
        print.device = &device;
    }
    void standard() {
        writeLedger(10000, {{2024, 3, 1, "初期残高", 0, 0},
                            {2024, 3, 5, "給与", 200000, 0},
                            {2024, 3, 9, "食費", 0, 3000},
                            {2024, 3, 12, "光熱費", 0, 8000},
                            {2024, 3, 20, "食費", 0, 1500}});
        budget.HeldYear = 2024;
        FillBudget(budget, -1);
        budget.at(3, 0, 1) = 150000; // 給与: exceeded
        budget.at(3, 1, 1) = 0;      // 食費: a zero budget
        budget.at(3, 1, 2) = 9000;   // 光熱費: within
        ASSERT_EQ(SaveBudget(budget, 2024, names.items, session.budgetPlace, dlg), 0);
        budget = BgtRecord();
        ASSERT_EQ(compute(2024, 3, 15), 0);
    }
    const std::vector<PrintPage>& pages() const { return device.printer.Pages(); }
};

std::string trimmed(std::string s) {
    while (!s.empty() && s.front() == ' ')
        s.erase(s.begin());
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

} // namespace

TEST_F(TotalsPrintTest, CellsZeroEmptyExceededBudgetsStarred) {
    standard();
    TotalsPrintTable t = TotalsPrintCells(session.state, budget);
    ASSERT_EQ(t.widths.size(), 11u);
    EXPECT_EQ(t.widths, (std::vector<int>{11, 9, 9, 9, 9, 9, 9, 9, 10, 10, 10}));
    EXPECT_EQ(t.tableWidth, 11 + 7 * 9 + 30);
    EXPECT_EQ(t.lines[0][0], " 項 目 名  ");
    EXPECT_EQ(t.lines[0][9], " 月 合 計 ");
    EXPECT_EQ(t.lines[0][1], "03/09(土)");
    // 給与: nothing in the week, 200,000 in the month, the budget exceeded.
    EXPECT_EQ(t.lines[kSalary][0], "給与       ");
    EXPECT_EQ(t.lines[kSalary][1], std::string(9, ' '));
    EXPECT_EQ(t.lines[kSalary][8], std::string(10, ' '));
    EXPECT_EQ(t.lines[kSalary][9], "   200,000");
    EXPECT_EQ(t.lines[kSalary][10], "  150,000*");
    // 食費: 3,000 on the 9th; a zero budget prints empty although 4,500 is above it.
    EXPECT_EQ(t.lines[kFood][1], "    3,000");
    EXPECT_EQ(t.lines[kFood][10], std::string(10, ' '));
    EXPECT_EQ(trimmed(t.lines[kPower][10]), "9,000");
    // No budget and the (不明) rows: empty.
    EXPECT_EQ(trimmed(t.lines[kTravel][10]), "");
    EXPECT_EQ(trimmed(t.lines[kOutUnknown][10]), "");
    EXPECT_EQ(trimmed(t.lines[kBalance][7]), "199,000");
}

TEST_F(TotalsPrintTest, LongNamesAreCutAndWideAmountsWidenTheirColumn) {
    AddName(names, kItemTable, 1, "とても長い名前の項目");
    writeLedger(99000000, {{2024, 3, 1, "初期残高", 0, 0}, {2024, 3, 9, "給与", 5000000, 0}});
    ASSERT_EQ(compute(2024, 3, 9), 0);
    TotalsPrintTable t = TotalsPrintCells(session.state, budget);
    EXPECT_EQ(t.lines[7][0], "とても長い ");
    // The balance 104,000,000 is 11 bytes: never cut, the day column widened.
    EXPECT_EQ(trimmed(t.lines[session.state.RowCount][7]), "104,000,000");
    EXPECT_EQ(t.widths[7], 11);
    EXPECT_EQ(AnsiByteLength(t.lines[1][7]), 11);
}

TEST_F(TotalsPrintTest, OnePageWithRulesAndTheCompletionMessage) {
    standard();
    form.confirm();
    dlg.expect("MsgOK").expectMessage("2024年3月9日～2024年3月15日  印刷完了しました。");
    ASSERT_EQ(PrintTotals(print), 0);
    EXPECT_EQ(form.shown[0].ttl, "集計データの印刷");
    EXPECT_EQ(form.shown[0].msg, "[ 印刷 ] ボタンで印刷を開始します。");
    EXPECT_EQ(form.shown[0].DinQ, 0);
    EXPECT_EQ(dlg.transcript().back().title, "集計データの印刷");
    ASSERT_EQ(pages().size(), 1u);
    EXPECT_EQ(device.printer.JobsEnded(), 1);
    const PrintPage& page = pages()[0];
    EXPECT_EQ(test::PageTexts(page)[0], "   家計簿集計");
    const std::string second = test::PageTexts(page)[1];
    EXPECT_EQ(AnsiByteLength(second), 104 - 2);
    EXPECT_EQ(second.substr(second.size() - 2), "01");
    EXPECT_NE(second.find("2024年3月9日～2024年3月15日"), std::string::npos);
    // One table of 1 + 10 lines, 9 pt: row height 1.27 × 180.
    auto frames = test::TableFrames(page, 6);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_NEAR(frames[0].bottom - frames[0].top, 11 * 1.27 * 180, 1e-6);
    // Horizontal rules: thick below the header, 給与..(不明) (row 3), the expense rows (row 7) and
    // (出金合計) (row 9); thin below the others; none below the last line.
    std::vector<int> pens;
    std::vector<int> thickColumns;
    for (const PrintOp& op : page.ops) {
        if (op.kind != PrintOp::Kind::Line || op.pen == 6) continue;
        if (op.y1 == op.y2)
            pens.push_back(op.pen);
        else if (op.pen == 3)
            thickColumns.push_back(static_cast<int>(std::lround((op.x1 - frames[0].left) / 90.0 * 100)));
    }
    EXPECT_EQ(pens, (std::vector<int>{3, 1, 1, 3, 1, 1, 1, 3, 1, 3}));
    // Thick after the names and before the week, month and budget columns (widths + gaps of 0.73).
    auto at = [](double widths, int gaps) { return static_cast<int>(std::lround((widths + gaps * 0.73) * 100)); };
    EXPECT_EQ(thickColumns, (std::vector<int>{at(11, 1), at(11 + 63, 8), at(11 + 63 + 10, 9), at(11 + 63 + 20, 10)}));
    EXPECT_EQ(test::TextsAtY(page, frames[0].top + (1.27 * 180 - 180) / 2)[0], " 項 目 名  ");
}

TEST_F(TotalsPrintTest, ManyRowsPrintSeveralPagesEachWithItsHeader) {
    for (int i = 1; i <= 50; ++i)
        AddName(names, kItemTable, 1, "支出" + std::to_string(i));
    standard();
    ASSERT_EQ(session.state.RowCount, 3 + 51 + 3); // 50 expense items at most
    settings.TotalsPaperSize = 13;
    settings.TotalsPrintLine = 2;
    form.confirm();
    dlg.expect("MsgOK");
    ASSERT_EQ(PrintTotals(print), 0);
    // B5: 8 pt and 50 rows a page.
    ASSERT_EQ(pages().size(), 2u);
    EXPECT_EQ(device.begun[0].paper, 13);
    for (int p = 0; p < 2; ++p) {
        const std::string second = test::PageTexts(pages()[p])[1];
        EXPECT_EQ(second.substr(second.size() - 2), p == 0 ? "01" : "02");
        auto frames = test::TableFrames(pages()[p], 6);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(std::lround((frames[0].bottom - frames[0].top) / (1.27 * 160)), p == 0 ? 51 : 8);
    }
    EXPECT_EQ(device.printer.Fonts()[pages()[0].ops.back().font].points, 8);
}

TEST_F(TotalsPrintTest, CancelledErrorOrDialogPrintsNoCompletionMessage) {
    standard();
    form.cancel();
    EXPECT_EQ(PrintTotals(print), 1);
    EXPECT_TRUE(device.begun.empty());

    form.confirm();
    device.printer.failAt = 20;
    device.printer.times = 100;
    dlg.expectBox(MsgResult::Cancel);
    EXPECT_EQ(PrintTotals(print), 1);
    EXPECT_EQ(dlg.ops(), "MsgBox");
    EXPECT_EQ(device.ended, std::vector<bool>{false});
}

TEST_F(TotalsPrintTest, ThePaperIsStoredBackAsA4AndWrittenOnlyWhenChanged) {
    standard();
    form.confirm();
    dlg.expect("MsgOK");
    ASSERT_EQ(PrintTotals(print), 0);
    EXPECT_TRUE(test::ReadBytes(session.settingsPath).empty());

    settings.TotalsPaperSize = 4;
    form.answer([](PrSetData& d) {
        d.dt2[1] = "山田";
        return 0;
    });
    dlg.expect("MsgOK");
    ASSERT_EQ(PrintTotals(print), 0);
    IniRecord back;
    ASSERT_EQ(ReadSettings(session.settingsPath, back), 0);
    EXPECT_EQ(back.TotalsPaperSize, 9);
    EXPECT_EQ(back.PrintUserName, "山田");
}
