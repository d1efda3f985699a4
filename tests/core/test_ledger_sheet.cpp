#include "grid/GridModel.h"
#include "ledger/LedgerIndex.h"
#include "ledger/LedgerSheet.h"
#include "ledger/StartDate.h"
#include "settings/IniRecord.h"
#include "support/ScriptedDialogs.h"
#include "util/Cp932.h"

#include <gtest/gtest.h>

namespace mrt {
namespace {

using test::ScriptedDialogs;

IoRecord line(int y, int m, int d, const std::string& item, int32_t income, int32_t expense, int32_t balance) {
    IoRecord r;
    r.Year = static_cast<int16_t>(y);
    r.Month = static_cast<int16_t>(m);
    r.Day = static_cast<int16_t>(d);
    r.ItemName = item;
    r.Income = income;
    r.Expense = expense;
    r.Balance = balance;
    return r;
}

struct SheetFixture : ::testing::Test {
    GridModel grid;
    LedgerState ledger;
    IniRecord settings;
    StartLine start;
    ScriptedDialogs dlg;
    LedgerSheet sheet{grid, ledger, settings, start, dlg};

    void SetUp() override {
        GridSpec spec;
        spec.lineRows = 300;
        SetUpLedgerGrid(grid, spec, FixedPitchMeasure());
        ledger.MaxBlockLines = 300;
        ledger.BlockPos = kBlockNewest;
        start.StartDateText = "20030401";
        ledger.block = {line(2003, 4, 1, "初期残高", 0, 0, 10000), line(2003, 4, 3, "食費", 0, 1000, 9000),
                        line(2003, 4, 5, "給与", 5000, 0, 14000), line(2003, 4, 30, "外食", 0, 2000, 12000)};
        sheet.FillFromBlock();
    }
    std::string cell(int r, int c) const { return grid.TextMatrix(r, c); }
    int commit(std::string text, int col, int row) { return sheet.CommitCell(text, col, row); }
};

TEST(LedgerGridLayout, RowsLabelsWidthsAndScrollBar) {
    GridModel grid;
    GridSpec spec;
    spec.lineRows = 300;
    spec.displayRows = 19;
    LedgerGridGeometry g = SetUpLedgerGrid(grid, spec, FixedPitchMeasure(100, 200));
    EXPECT_EQ(grid.Rows(), 306);
    EXPECT_EQ(grid.Cols(), 10);
    EXPECT_EQ(grid.TextMatrix(300, 0), "300");
    for (int r = 301; r <= 305; ++r)
        EXPECT_EQ(grid.TextMatrix(r, 0), "*");
    EXPECT_EQ(grid.TextMatrix(0, 4), " 　項　目　名 ");
    // Widths are the header texts' CP932 bytes: " 年" is 3 bytes, "  入　金  " 10.
    EXPECT_EQ(grid.ColWidth(1), 300);
    EXPECT_EQ(grid.ColWidth(7), 1000);
    EXPECT_TRUE(g.scrollBar);
    EXPECT_EQ(g.height, 200 + 19 * 240 + 80);

    EXPECT_EQ(grid.ColWidth(0), 300); // "No." and "300" alike

    spec.displayRows = 400; // every row fits: no scroll bar
    g = SetUpLedgerGrid(grid, spec, FixedPitchMeasure(100, 200));
    EXPECT_FALSE(g.scrollBar);

    // Blocks of more than 999 lines: the "No." column is as wide as the longest row label.
    spec.lineRows = 1500;
    spec.displayRows = 19;
    const LedgerGridGeometry wide = SetUpLedgerGrid(grid, spec, FixedPitchMeasure(100, 200));
    EXPECT_EQ(grid.TextMatrix(1500, 0), "1500");
    EXPECT_EQ(grid.ColWidth(0), 400);
    ASSERT_TRUE(wide.scrollBar);
    EXPECT_EQ(wide.width, g.width + 100 + 210); // one digit wider, and 2.7 "A" for the bar, not 0.6
}

TEST_F(SheetFixture, RowsRoundTripAndBlockDates) {
    EXPECT_EQ(sheet.LastRow(), 4);
    EXPECT_EQ(cell(2, kColYear), "03");
    EXPECT_EQ(cell(2, kColMonth), " 4");
    EXPECT_EQ(cell(2, kColExpense), "     1,000");
    EXPECT_EQ(cell(2, kColIncome), "");
    EXPECT_EQ(cell(1, kColBalance), "    10,000");
    // The grid shows the lines; the new-entry row and the rows below are blank.
    for (int r = 1; r <= 6; ++r)
        for (int c = kColYear; c <= kColBalance; ++c)
            EXPECT_EQ(cell(r, c), sheet.CellText(r, c)) << r << "," << c;
    EXPECT_EQ(cell(4, kColItem), "外食");
    EXPECT_EQ(cell(5, kColDay), "");
    EXPECT_EQ(sheet.Dates().first, 20030401);
    EXPECT_EQ(sheet.Dates().last, 20030430);
    EXPECT_EQ(DateRangeLabel(20030401, 20030430), "2003年04月01日～2003年04月30日");

    // A shorter block blanks the rows that held lines.
    ledger.block.resize(2);
    sheet.FillFromBlock();
    EXPECT_EQ(cell(3, kColItem), "");
    EXPECT_EQ(cell(4, kColExpense), "");
}

// Amounts of nine digits cannot be typed, but a file written elsewhere may hold them: they are
// shown whole and read back unchanged; committing one is refused with the limit named.
TEST_F(SheetFixture, StoredAmountsWiderThanTheColumnRoundTripWhole) {
    ledger.block[2].Income = 123456789;
    ledger.block[3].Expense = 100000000;
    ledger.block[2].Balance = 123465789;
    ledger.block[3].Balance = 23465789;
    sheet.FillFromBlock();
    EXPECT_EQ(cell(3, kColIncome), "123,456,789");
    EXPECT_EQ(cell(4, kColExpense), "100,000,000");
    sheet.DropTrailingEmptyLines(); // as a save prepares the lines
    EXPECT_EQ(ledger.block[2].Income, 123456789);
    EXPECT_EQ(ledger.block[3].Expense, 100000000);

    dlg.expect("MsgKel", 2).expectMessage("金額が異常です。( 金額の範囲は 0～99,999,999 )");
    EXPECT_EQ(commit("123456789", kColIncome, 3), -1);
    EXPECT_EQ(cell(3, kColIncome), "123,456,789");
}

TEST_F(SheetFixture, DateCellsRefuseImpossibleDates) {
    dlg.expect("MsgKel", 1).expectMessage("日付が異常です。");
    EXPECT_EQ(commit("51", kColYear, 2), 1);
    dlg.expect("MsgKel", 2).expectMessage("日付が異常です。");
    EXPECT_EQ(commit("31", kColDay, 2), -1); // April has 30 days; "入力中止"
    dlg.expect("MsgKel", 1).expectMessage("データ登録の開始日付より前の日付は入力できません。");
    EXPECT_EQ(commit("2", kColYear, 2), 1);
    EXPECT_EQ(cell(2, kColDay), " 3");
    EXPECT_FALSE(ledger.LedgerModified);

    // On the new-entry row a day outside 1..31 drops out silently.
    EXPECT_EQ(commit("0", kColDay, 5), -1);
    EXPECT_EQ(commit("12", kColDay, 2), 0);
    EXPECT_TRUE(ledger.LedgerModified);
    EXPECT_TRUE(ledger.PreSortF); // 12th before the 5th on the line below
}

// A new year takes a line out of the loaded block as a new month does: the same questions come
// first, and declining leaves the line where it was (a save could not hold it there).
TEST_F(SheetFixture, YearOutsideTheBlockAsksAsTheMonthDoes) {
    start.StartDateText = "20000101";
    dlg.expect("MsgYesNo", 1).expectMessage("この年月のデータを入力しますか？");
    EXPECT_EQ(commit("2", kColYear, 3), -1);
    EXPECT_EQ(cell(3, kColYear), "03");
    dlg.expect("MsgYesNo", 0).expectMessage("この年月のデータを入力しますか？");
    dlg.expect("MsgYesNo", 1).expectMessage("処理を続けますか？");
    EXPECT_EQ(commit("2", kColYear, 3), -1);
    EXPECT_EQ(cell(3, kColYear), "03");
    EXPECT_FALSE(ledger.LedgerModified);
    // A year far after the newest block asks too.
    dlg.expect("MsgYesNo", 1).expectMessage("この年月のデータを入力しますか？");
    EXPECT_EQ(commit("5", kColYear, 3), -1);
    EXPECT_EQ(cell(3, kColYear), "03");
}

TEST_F(SheetFixture, AmountsClearTheOtherCellAndRecomputeBalances) {
    std::string t = "3000";
    EXPECT_EQ(sheet.CommitCell(t, kColIncome, 2), 0);
    EXPECT_EQ(t, "     3,000");
    EXPECT_EQ(cell(2, kColExpense), "");
    EXPECT_EQ(cell(2, kColBalance), "    13,000");
    EXPECT_EQ(cell(4, kColBalance), "    16,000");
    EXPECT_TRUE(ledger.LedgerModified);

    settings.TaxRate = 5;
    EXPECT_EQ(commit("1000*", kColExpense, 4), 0);
    EXPECT_EQ(cell(4, kColExpense), "     1,050");
    EXPECT_EQ(cell(4, kColBalance), "    16,950");

    dlg.expect("MsgKel", 1).expectMessage("金額が異常です。");
    EXPECT_EQ(commit("100/0", kColExpense, 4), 1);
    dlg.expect("MsgKel", 1).expectMessage("金額が異常です。");
    EXPECT_EQ(commit("100000000", kColIncome, 3), 1);
    EXPECT_EQ(cell(4, kColExpense), "     1,050");
    // A rate beyond 20 % is named as the fault, not the amount, in amount and balance cells alike.
    for (const char* text : {"1000%21", "1000%8.5"}) {
        dlg.expect("MsgKel", 1).expectMessage("税率が異常です。( 税率の範囲は 0～20 )");
        EXPECT_EQ(commit(text, kColExpense, 4), 1) << text;
        dlg.expect("MsgKel", 1).expectMessage("税率が異常です。");
        EXPECT_EQ(commit(text, kColBalance, 3), 1) << text;
    }
    EXPECT_EQ(cell(4, kColExpense), "     1,050");
}

// Only what an amount expression is made of may stand in an amount cell; anything else would
// be read as 0 and silently lose the amount.
TEST_F(SheetFixture, AmountTextWithOtherCharactersIsRefused) {
    for (const char* text : {"abc", "12円", "１２", "3000x", "1e3"}) {
        dlg.expect("MsgKel", 1).expectMessage("金額が異常です。");
        EXPECT_EQ(commit(text, kColExpense, 2), 1) << text;
    }
    dlg.expect("MsgKel", 1).expectMessage("金額が異常です。");
    EXPECT_EQ(commit("abc", kColBalance, 3), 1);
    EXPECT_EQ(cell(2, kColExpense), "     1,000");
    EXPECT_FALSE(ledger.LedgerModified);

    settings.TaxRate = 5;
    EXPECT_EQ(commit(" 2,000 ", kColExpense, 2), 0); // the comma separates thousands
    EXPECT_EQ(cell(2, kColExpense), "     2,000");
    EXPECT_EQ(commit("2.5*2+1000-10/2%", kColExpense, 2), 0);
    EXPECT_EQ(cell(2, kColExpense), "     1,048"); // (2 × 2 + 1000 − 5) × 1.05
}

TEST_F(SheetFixture, NewEntryRowBecomesALineOnItsFirstAmount) {
    sheet.StartEntry(true); // 30 April, the last line's date
    EXPECT_EQ(cell(5, kColDay), "30");
    EXPECT_EQ(commit("5", kColMonth, 5), 0);
    EXPECT_EQ(commit("2", kColDay, 5), 0);
    EXPECT_FALSE(ledger.LedgerModified);
    EXPECT_EQ(commit("0", kColIncome, 5), 0);
    EXPECT_EQ(sheet.LastRow(), 4);
    EXPECT_FALSE(ledger.LedgerModified);
    EXPECT_EQ(commit("800", kColExpense, 5), 0);
    EXPECT_EQ(sheet.LastRow(), 5);
    EXPECT_EQ(cell(5, kColBalance), "    11,200");
    EXPECT_EQ(sheet.Dates().last, 20030502);
    EXPECT_TRUE(ledger.LedgerModified);
    ASSERT_EQ(ledger.block.size(), 5u);
    EXPECT_EQ(ledger.block[4].Expense, 800);
}

TEST_F(SheetFixture, TextThatCp932CannotHoldIsRefused) {
    // The message names the character that cannot be stored.
    dlg.expect("MsgKel", 2).expectMessage("「🎂」はファイルに保存できない文字");
    EXPECT_EQ(commit("ケーキ🎂", kColNote, 2), -1);
    EXPECT_EQ(cell(2, kColNote), "");
    dlg.expect("MsgKel", 1).expectMessage("「𠮷」はファイルに保存できない文字");
    EXPECT_EQ(commit("𠮷野家", kColShop, 2), 1);
    EXPECT_EQ(commit("①", kColItem, 2), 0); // code page 932 holds it: nothing asked
    dlg.expect("MsgKel", 1).expectMessage("「😀」");
    EXPECT_EQ(commit("食費😀", kColItem, 2), 1);
    EXPECT_EQ(cell(2, kColItem), "①");
    EXPECT_EQ(dlg.transcript().back().message.find("バイト"), std::string::npos);
    // Date and amount cells refuse such a character with their own messages.
    dlg.expect("MsgKel", 1).expectMessage("日付が異常です。");
    EXPECT_EQ(commit("1🎂", kColDay, 2), 1);
    dlg.expect("MsgKel", 1).expectMessage("金額が異常です。");
    EXPECT_EQ(commit("1🎂", kColExpense, 2), 1);
    EXPECT_EQ(cell(2, kColExpense), "     1,000");
}

// A text is never cut: one longer than its field, or holding a control character, is refused
// with the field named; trailing blanks do not count.
TEST_F(SheetFixture, TextsLongerThanTheirFieldOrWithControlCharactersAreRefused) {
    const struct {
        int col;
        std::string text, message; // message empty: taken
    } cases[] = {
        {kColItem, "あいうえおかきくけこ  ", ""},
        {kColItem, "あいうえおかきくけこさ", "項目名が長すぎます。項目名は 20 バイト(全角 10 文字)までです。"},
        {kColNote, std::string(41, 'n'), "内訳・備考が長すぎます。内訳・備考は 40 バイト(全角 20 文字)までです。"},
        {kColShop, std::string(30, 's'), ""},
        {kColShop, std::string(31, 's'), "店名・相手先が長すぎます。店名・相手先は 30 バイト(全角 15 文字)までです。"},
        {kColNote, "a\tb", "内訳・備考に改行やタブなどの制御文字は入力できません。"},
        {kColShop, "a\nb", "店名・相手先に改行やタブなどの制御文字は入力できません。"},
    };
    for (const auto& c : cases) {
        const std::string before = cell(2, c.col);
        std::string t = c.text;
        if (c.message.empty()) {
            EXPECT_EQ(sheet.CommitCell(t, c.col, 2), 0) << c.text;
            EXPECT_EQ(cell(2, c.col), TrimRight(c.text));
            continue;
        }
        dlg.expect("MsgKel", 1).expectMessage(c.message);
        EXPECT_EQ(sheet.CommitCell(t, c.col, 2), 1) << c.text;
        EXPECT_EQ(cell(2, c.col), before) << c.text;
    }
}

TEST_F(SheetFixture, ChangedBalanceBooksAnAdjustmentLine) {
    dlg.expect("MsgKel", 1).expectMessage("残高を変更(残高調整)しますか？");
    EXPECT_EQ(commit("14500", kColBalance, 3), 0);
    EXPECT_EQ(sheet.LastRow(), 5);
    EXPECT_EQ(cell(3, kColBalance), "    14,000");
    EXPECT_EQ(cell(4, kColItem), "不明な入金");
    EXPECT_EQ(cell(4, kColNote), "残高調整");
    EXPECT_EQ(cell(4, kColIncome), "       500");
    EXPECT_EQ(cell(4, kColBalance), "    14,500");
    EXPECT_EQ(cell(5, kColBalance), "    12,500");

    dlg.expect("MsgKel", 2);
    EXPECT_EQ(commit("100", kColBalance, 5), -1); // "変更中止"
    EXPECT_EQ(sheet.LastRow(), 5);
    EXPECT_EQ(commit("12500", kColBalance, 5), 0); // no difference: nothing asked
}

TEST_F(SheetFixture, InsertAndDeleteRows) {
    ASSERT_TRUE(sheet.InsertLine(3));
    EXPECT_EQ(sheet.LastRow(), 5);
    EXPECT_EQ(cell(3, kColItem), "");
    EXPECT_EQ(cell(4, kColItem), "給与");
    ASSERT_TRUE(sheet.DeleteLine(3));
    ASSERT_TRUE(sheet.DeleteLine(3)); // 給与 goes; the balances follow
    EXPECT_EQ(sheet.LastRow(), 3);
    EXPECT_EQ(cell(3, kColItem), "外食");
    EXPECT_EQ(cell(3, kColBalance), "     7,000");
    EXPECT_EQ(cell(4, kColItem), "");
}

TEST_F(SheetFixture, SortKeepsEntryOrderOfEqualDatesAndDropsTrailingEmptyLines) {
    ledger.block = {line(2003, 4, 1, "初期残高", 0, 0, 0), line(2003, 4, 5, "a", 0, 1, -1),
                    line(2003, 4, 3, "b", 0, 2, -3), line(2003, 4, 3, "c", 0, 3, -6), line(2003, 4, 9, "", 0, 0, -6)};
    sheet.FillFromBlock();
    ASSERT_TRUE(sheet.SortByDate());
    EXPECT_EQ(sheet.LastRow(), 4);
    EXPECT_EQ(cell(2, kColItem), "b");
    EXPECT_EQ(cell(3, kColItem), "c");
    EXPECT_EQ(cell(4, kColItem), "a");
    EXPECT_EQ(cell(4, kColBalance), "        -6");
    EXPECT_EQ(dlg.count("MsgOn"), 1);
}

} // namespace
} // namespace mrt
