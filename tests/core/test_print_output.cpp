// The printer output layer against a recording printer whose "5" is 100 × 200 twips at 10 pt.
#include "print/PrintOutput.h"
#include "support/PrintSupport.h"
#include "support/ScriptedDialogs.h"
#include "util/Cp932.h"

#include <gtest/gtest.h>

using namespace mrt;
using mrt::test::FailingPrinter;
using mrt::test::ScriptedDialogs;

namespace {

std::vector<const PrintOp*> linesOf(const PrintPage& page) {
    std::vector<const PrintOp*> v;
    for (const PrintOp& op : page.ops)
        if (op.kind == PrintOp::Kind::Line) v.push_back(&op);
    return v;
}

// Three columns of widths 2, 4, 3 with gap 1 at (1000, 2000), 10 pt, line spacing 0.5.
PrintTableRecord smallTable(int lines) {
    PrintTableRecord t;
    t.LineCount = lines;
    t.ColumnCount = 3;
    t.FontSize = 10;
    t.ColumnWidths[0] = 2;
    t.ColumnWidths[1] = 4;
    t.ColumnWidths[2] = 3;
    t.ColumnGap = 1;
    t.LineSpacing = 0.5;
    t.FrameWidth = 6;
    t.Left = 1000;
    t.Top = 2000;
    for (int k = 0; k < lines; ++k)
        for (int i = 0; i < 3; ++i)
            t.Cell(i, k) = std::to_string(k) + std::to_string(i);
    return t;
}

} // namespace

TEST(PrintTable, FrameCellsAndPositionOfAOneLineTable) {
    FailingPrinter p;
    ScriptedDialogs dlg;
    PrintTableRecord t = smallTable(1);
    t.ColumnRules = {1, 1};
    ASSERT_EQ(PrintTable(p, dlg, t), 0);
    const PrintPage& page = p.CurrentPage();
    // Width = (2+1 + 4+1 + 3+1) × 100 = 1200; height = 1.5 × 200 = 300.
    auto boxes = test::TableFrames(page, 6);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_DOUBLE_EQ(boxes[0].right, 2200);
    EXPECT_DOUBLE_EQ(boxes[0].bottom, 2300);
    // Cells start half a gap into their column and are centred in the row.
    std::vector<std::pair<double, double>> at;
    for (const PrintOp& op : page.ops)
        if (op.kind == PrintOp::Kind::Text) at.emplace_back(op.x1, op.y1);
    ASSERT_EQ(at.size(), 3u);
    EXPECT_EQ(at[0], std::make_pair(1050.0, 2050.0));
    EXPECT_EQ(at[1], std::make_pair(1350.0, 2050.0));
    EXPECT_EQ(at[2], std::make_pair(1850.0, 2050.0));
    // No rule inside the frame across a single line; the vertical rules run the full height once.
    auto lines = linesOf(page);
    ASSERT_EQ(lines.size(), 6u);
    for (size_t i = 4; i < 6; ++i) {
        EXPECT_EQ(lines[i]->x1, lines[i]->x2);
        EXPECT_DOUBLE_EQ(lines[i]->y1, 2000);
        EXPECT_DOUBLE_EQ(lines[i]->y2, 2300);
    }
    EXPECT_DOUBLE_EQ(lines[4]->x1, 1300);
    EXPECT_DOUBLE_EQ(lines[5]->x1, 1800);
    // Mode 0: the position after the last cell "02" (two widths of "5").
    EXPECT_DOUBLE_EQ(t.Left, 2050);
    EXPECT_DOUBLE_EQ(t.Top, 2050);
    EXPECT_EQ(p.PagesCompleted(), 0);
}

TEST(PrintTable, RuleWidthsZeroOneAndThree) {
    FailingPrinter p;
    ScriptedDialogs dlg;
    PrintTableRecord t = smallTable(4);
    t.ColumnRules = {0, 3};
    t.LineRules[0] = 0;
    t.LineRules[1] = 1;
    t.LineRules[2] = 3;
    ASSERT_EQ(PrintTable(p, dlg, t), 0);
    auto lines = linesOf(p.CurrentPage());
    // Frame, one vertical rule (after column 2, pen 3), rules below lines 2 and 3.
    ASSERT_EQ(lines.size(), 4u + 1 + 2);
    EXPECT_EQ(lines[4]->pen, 3);
    EXPECT_DOUBLE_EQ(lines[4]->x1, 1800);
    EXPECT_DOUBLE_EQ(lines[4]->y2, 2000 + 4 * 300);
    EXPECT_EQ(lines[5]->pen, 1);
    EXPECT_DOUBLE_EQ(lines[5]->y1, 2600);
    EXPECT_EQ(lines[6]->pen, 3);
    EXPECT_DOUBLE_EQ(lines[6]->y1, 2900);
    EXPECT_DOUBLE_EQ(lines[6]->x2, 2200);
}

TEST(PrintTable, EndingTheJobCompletesOnePageWhateverTheMode) {
    for (int mode : {kPrintEndJob, kPrintNewPageEndJob}) {
        FailingPrinter p;
        ScriptedDialogs dlg;
        PrintTableRecord t = smallTable(2);
        t.Mode = mode;
        ASSERT_EQ(PrintTable(p, dlg, t), 0);
        EXPECT_EQ(p.PagesCompleted(), 1) << mode;
        EXPECT_EQ(p.JobsEnded(), 1) << mode;
        EXPECT_TRUE(p.CurrentPage().ops.empty());
        // The position is reported only when staying on the page.
        EXPECT_DOUBLE_EQ(t.Left, 1000);
    }
}

TEST(PrintTable, RetryRepeatsOnlyTheFailedStep) {
    FailingPrinter p;
    ScriptedDialogs dlg;
    // Calls: font, width, height, pen, 4 frame lines, then the first cell text (call 9).
    p.failAt = 9;
    p.times = 2;
    dlg.expectBox(MsgResult::Retry).expectMessage("用紙がありません。");
    dlg.expectBox(MsgResult::Retry);
    PrintTableRecord t = smallTable(2);
    ASSERT_EQ(PrintTable(p, dlg, t), 0);
    EXPECT_EQ(dlg.transcript()[0].title, " 印刷エラー");
    EXPECT_EQ(dlg.transcript()[0].buttons, (std::vector<std::string>{"Exclamation", "RetryCancel"}));
    // Everything drawn once: 4 frame lines, 6 cells, no text twice.
    auto texts = test::PageTexts(p.CurrentPage());
    EXPECT_EQ(texts, (std::vector<std::string>{"00", "01", "02", "10", "11", "12"}));
    EXPECT_EQ(linesOf(p.CurrentPage()).size(), 4u);
    EXPECT_EQ(std::count(p.log.begin(), p.log.end(), std::string("text")), 8);
}

TEST(PrintTable, CancelStopsAtOnceWithoutEndingThePage) {
    FailingPrinter p;
    ScriptedDialogs dlg;
    p.failAt = 11; // the third cell
    p.times = 100;
    dlg.expectBox(MsgResult::Cancel);
    PrintTableRecord t = smallTable(2);
    t.Mode = kPrintEndJob;
    EXPECT_EQ(PrintTable(p, dlg, t), -1);
    EXPECT_EQ(test::PageTexts(p.CurrentPage()), (std::vector<std::string>{"00", "01"}));
    EXPECT_EQ(p.log.size(), 11u);
    EXPECT_EQ(p.PagesCompleted(), 0);
    EXPECT_EQ(p.JobsEnded(), 0);
}

TEST(PrintTable, TextsWiderThanTheirColumnArePrintedWhole) {
    FailingPrinter p;
    ScriptedDialogs dlg;
    PrintTableRecord t = smallTable(1);
    t.Cell(0, 0) = "とても長い項目名";
    ASSERT_EQ(PrintTable(p, dlg, t), 0);
    EXPECT_EQ(test::PageTexts(p.CurrentPage())[0], "とても長い項目名");
}

TEST(PrintText, LinesAndTheReportedPosition) {
    FailingPrinter p;
    ScriptedDialogs dlg;
    PrintTextRecord r;
    r.FontSize = 12;
    r.X = 500;
    r.Y = 700;
    r.Text = "ab\r\ncde";
    ASSERT_EQ(PrintText(p, dlg, r), 0);
    const auto& ops = p.CurrentPage().ops;
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_DOUBLE_EQ(ops[1].x1, 500);
    EXPECT_DOUBLE_EQ(ops[1].y1, 700 + 240);
    EXPECT_DOUBLE_EQ(r.X, 500 + 3 * 120);
    EXPECT_DOUBLE_EQ(r.Y, 940);

    // A text ending with CR LF leaves the position at the start of the next line.
    r.Text = "x\r\n";
    r.X = 0;
    r.Y = 0;
    ASSERT_EQ(PrintText(p, dlg, r), 0);
    EXPECT_DOUBLE_EQ(r.X, 0);
    EXPECT_DOUBLE_EQ(r.Y, 240);
}

TEST(PrintPageHeader, TitleThenUserRangeAndPageNumberAlignedToTheTable) {
    FailingPrinter p;
    ScriptedDialogs dlg;
    PrintTextRecord r;
    r.FontSize = 10;
    ASSERT_EQ(PrintPageHeader(p, dlg, r, 300, 400, 96, "家計簿", "ユーザー名", "2026年11月 1日～2026年11月30日", 3), 0);
    const auto& ops = p.CurrentPage().ops;
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[0].text, "   家計簿");
    EXPECT_EQ(p.Fonts()[ops[0].font], (PrintFont{"ＭＳ ゴシック", 16}));
    EXPECT_EQ(p.Fonts()[ops[1].font], (PrintFont{"ＭＳ 明朝", 10}));
    // Two 16-point lines below the title; the second line holds 96 − 2 bytes and ends "03".
    EXPECT_DOUBLE_EQ(ops[1].y1, 400 + 2 * 320);
    EXPECT_DOUBLE_EQ(ops[1].x1, 300);
    EXPECT_EQ(AnsiByteLength(ops[1].text), 94);
    EXPECT_EQ(ops[1].text.substr(ops[1].text.size() - 2), "03");
    // The user name is held as 30 characters, then 14 blanks before the range.
    EXPECT_NE(ops[1].text.find("  　ユーザー名" + std::string(25 + 14, ' ') + "2026年11月 1日"), std::string::npos);
    EXPECT_DOUBLE_EQ(r.Y, 400 + 640 + 200);
    EXPECT_EQ(r.FontSize, 10);
}

// A title wider than the table takes smaller type, down to 10 points, then is cut with "…"; the
// second header line stays two 16-point lines lower. Byte metrics: one byte is points × 10 twips.
TEST(PrintPageHeader, AWideTitleFitsTheTableWidth) {
    const std::string thirty = "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほ";
    struct Case {
        int width;
        int points;
        std::string text;
    } cases[] = {
        {96, 15, "   " + thirty},                           // 63 bytes: 10,080 twips at 16, 9,450 at 15
        {66, 10, "   " + thirty},                           // 6,300 twips at 10 points
        {40, 10, "   あいうえおかきくけこさしすせそたち…"}, // 17 characters and the mark: 3,900 twips
    };
    for (const Case& c : cases) {
        FailingPrinter p;
        ScriptedDialogs dlg;
        PrintTextRecord r;
        r.FontSize = 10;
        ASSERT_EQ(PrintPageHeader(p, dlg, r, 300, 400, c.width, thirty, "u", "r", 1), 0) << c.width;
        const auto& ops = p.CurrentPage().ops;
        ASSERT_EQ(ops.size(), 2u);
        EXPECT_EQ(ops[0].text, c.text) << c.width;
        EXPECT_EQ(p.Fonts()[ops[0].font], (PrintFont{"ＭＳ ゴシック", c.points})) << c.width;
        EXPECT_LE(AnsiByteLength(ops[0].text) * c.points * 10, c.width * 100) << c.width;
        EXPECT_DOUBLE_EQ(ops[1].y1, 400 + 2 * 320) << c.width;
        EXPECT_EQ(r.FontSize, 10);
    }
}

TEST(PrintPageHeader, AFailedTitleReturnsAtOnce) {
    FailingPrinter p;
    ScriptedDialogs dlg;
    p.failAt = 2;
    p.times = 10;
    dlg.expectBox(MsgResult::Cancel);
    PrintTextRecord r;
    r.FontSize = 9;
    EXPECT_EQ(PrintPageHeader(p, dlg, r, 0, 0, 96, "t", "u", "r", 1), -1);
    EXPECT_TRUE(p.CurrentPage().ops.empty());
    EXPECT_EQ(r.FontSize, 9);
}

TEST(FitChars, CutsAndFillsByCharacters) {
    EXPECT_EQ(FitChars("あいう", 5), "あいう  ");
    EXPECT_EQ(FitChars(std::string(40, 'x'), 30), std::string(30, 'x'));
    EXPECT_EQ(FitChars("日本語のタイトル", 3), "日本語");
}
