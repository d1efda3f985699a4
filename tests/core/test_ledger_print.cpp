// The ledger printout: page composition, the range question and the whole command against a
// recording printer ("5" is 100 × 200 twips at 10 pt, so a body row is 260 twips high).
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerSave.h"
#include "print/LedgerPrint.h"
#include "settings/IniRecord.h"
#include "support/PrintSupport.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "util/Clock.h"
#include "util/Cp932.h"
#include "util/DateText.h"
#include "util/Home.h"

#include <filesystem>
#include <gtest/gtest.h>

#include <cmath>

using namespace mrt;
using mrt::test::RecordingDevice;
using mrt::test::ScriptedDialogs;
using mrt::test::ScriptedPrintForm;

namespace {

IoRecord line(int y, int m, int d, const std::string& item, int32_t in, int32_t out, int32_t bal) {
    IoRecord r;
    r.Year = static_cast<int16_t>(y);
    r.Month = static_cast<int16_t>(m);
    r.Day = static_cast<int16_t>(d);
    r.ItemName = item;
    r.Income = in;
    r.Expense = out;
    r.Balance = bal;
    return r;
}

// `n` one-row lines, four a day from 1 March 2026 on.
std::vector<IoRecord> manyLines(int n) {
    std::vector<IoRecord> v;
    int key = DateKey(2026, 3, 1);
    for (int i = 0; i < n; ++i) {
        int y, m, d;
        DateFromKey(key + i / 4, y, m, d);
        v.push_back(line(y, m, d, "食費", 0, 100, 100000 - 100 * i));
    }
    return v;
}

std::string trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    while (!s.empty() && s.front() == ' ')
        s.erase(s.begin());
    return s;
}

} // namespace

TEST(LedgerPage, RowsPerPageAndTheExtraRowOfATwoRowLine) {
    std::vector<IoRecord> lines = manyLines(120);
    std::vector<size_t> sizes;
    LedgerPage page;
    for (size_t next = 0; next < lines.size();) {
        next = BuildLedgerPage(lines, next, 55, page);
        sizes.push_back(page.rows.size());
    }
    EXPECT_EQ(sizes, (std::vector<size_t>{55, 55, 10}));

    // The 55th line needs two rows: the page holds 56.
    lines[54].Note = std::string(30, 'n');
    ASSERT_EQ(BuildLedgerPage(lines, 0, 55, page), 55u);
    EXPECT_EQ(page.rows.size(), 56u);
    // A line needing two rows on a page with one row left still goes on that page.
    EXPECT_EQ(BuildLedgerPage(lines, 0, 1, page), 1u);
}

TEST(LedgerPage, YearAndMonthShownOnceAPageAndAgainOnTheNextPage) {
    std::vector<IoRecord> lines = {line(2026, 12, 30, "a", 0, 1, 1), line(2026, 12, 31, "a", 0, 1, 1),
                                   line(2027, 1, 1, "a", 0, 1, 1), line(2027, 2, 1, "a", 0, 1, 1),
                                   line(2027, 2, 2, "a", 0, 1, 1)};
    LedgerPage page;
    size_t next = BuildLedgerPage(lines, 0, 4, page);
    auto ymd = [&](int r) { return page.rows[r].cells[0] + "|" + page.rows[r].cells[1] + "|" + page.rows[r].cells[2]; };
    EXPECT_EQ(ymd(0), "26|12|30");
    EXPECT_EQ(ymd(1), "  |  |31");
    EXPECT_EQ(ymd(2), "27| 1| 1");
    EXPECT_EQ(ymd(3), "  | 2| 1");
    EXPECT_EQ(page.firstDate, "2026年12月30日");
    EXPECT_EQ(page.lastDate, "2027年 2月 1日");
    BuildLedgerPage(lines, next, 4, page);
    EXPECT_EQ(ymd(0), "27| 2| 2");
}

TEST(LedgerRows, ALongNoteContinuesOnASecondRow) {
    std::vector<LedgerPrintRow> rows;
    IoRecord r = line(2026, 11, 3, "食費", 0, 1234567, -5000);
    r.Note = "0123456789abcdefghijklmnopqrst"; // 30 bytes
    AppendLedgerRows(r, true, true, rows);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].cells[4], "0123456789abcdefghijklmnopq");
    EXPECT_EQ(rows[1].cells[4], "rst" + std::string(10, ' '));
    EXPECT_TRUE(rows[1].continuation);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(rows[1].cells[i], "  ");
    for (int i = 6; i < 9; ++i)
        EXPECT_EQ(rows[1].cells[i], std::string(10, ' '));
    EXPECT_EQ(rows[1].cells[3], std::string(7, ' '));
    EXPECT_EQ(rows[1].cells[5], std::string(10, ' '));
    // Amounts: income 0 empty, expense grouped, balance "#,0"; all 10 bytes.
    EXPECT_EQ(rows[0].cells[6], std::string(10, ' '));
    EXPECT_EQ(rows[0].cells[7], " 1,234,567");
    EXPECT_EQ(rows[0].cells[8], "    -5,000");
    EXPECT_EQ(rows[0].cells[3], "食費" + std::string(9, ' '));

    // A 27-byte note fits on one row; a zero balance prints "0".
    rows.clear();
    r.Note = std::string(27, 'x');
    r.Balance = 0;
    AppendLedgerRows(r, false, false, rows);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(trimmed(rows[0].cells[8]), "0");
    EXPECT_EQ(rows[0].cells[0], "  ");
}

// A balance of -10,000,000 or less is wider than the column's ten bytes: the column widens and the
// text keeps its sign.
TEST(LedgerRows, ABalanceWiderThanTenBytesWidensTheColumnOfThePage) {
    const std::vector<IoRecord> lines = {line(2026, 11, 3, "食費", 0, 12345678, -12345678),
                                         line(2026, 11, 4, "給与", 300, 0, -12345378)};
    EXPECT_EQ(LedgerBalanceWidth(lines), 11);
    EXPECT_EQ(LedgerBalanceWidth({line(2026, 11, 3, "a", 0, 1, -2147483647 - 1)}), 14);
    EXPECT_EQ(LedgerBalanceWidth({line(2026, 11, 3, "a", 1, 0, 99999999)}), 10);
    LedgerPage page;
    BuildLedgerPage(lines, 0, 55, page);
    EXPECT_EQ(page.balanceWidth, 11);
    EXPECT_EQ(page.rows[0].cells[8], "-12,345,678");
    EXPECT_EQ(page.rows[1].cells[8], "-12,345,378");
    // A page of small balances takes the printout's width.
    BuildLedgerPage({line(2026, 11, 5, "a", 0, 1, -5000)}, 0, 55, page, 11);
    EXPECT_EQ(page.rows[0].cells[8], "     -5,000");
}

TEST(LedgerRows, ADoubleByteCharacterAtTheCutMovesDownWhole) {
    std::vector<LedgerPrintRow> rows;
    IoRecord r = line(2026, 11, 3, "一二三四五六七八九十", 0, 1, 1); // 20 bytes
    r.ShopName = "あいうえおかきくけこさしすせそ";                   // 30 bytes
    AppendLedgerRows(r, true, true, rows);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].cells[3], "一二三四五六 ");
    EXPECT_EQ(rows[1].cells[3], "七八九十");
    EXPECT_EQ(rows[0].cells[5], "あいうえおかきくけこ");
    EXPECT_EQ(rows[1].cells[5], "さしすせそ");
    EXPECT_EQ(AnsiByteLength(rows[0].cells[3]), 13);
}

namespace {

class LedgerPrintTest : public ::testing::Test {
protected:
    test::TempDir dir;
    ScriptedDialogs dlg;
    ScriptedPrintForm form;
    RecordingDevice device;
    LedgerState ledger;
    IniRecord settings;
    LedgerPrintSession session;
    FixedClock clock{{2026, 3, 20}};

    LedgerPrintTest() {
        MakeFolders(dir / "Data1/BU");
        SetClock(&clock);
        ledger.MaxBlockLines = 1500;
        session.ledger = &ledger;
        session.settings = &settings;
        session.settingsPath = dir / "Data1/INIT.mrt";
        session.dlg = &dlg;
        session.form = &form;
        session.device = &device;
    }
    ~LedgerPrintTest() override { SetClock(nullptr); }

    // Makes `lines` the whole ledger: the year files of an earlier write() go first, since a save
    // never writes over lines its index does not know.
    void write(const std::vector<IoRecord>& lines) {
        for (const auto& e : std::filesystem::directory_iterator(dir / "Data1"))
            if (e.is_regular_file()) std::filesystem::remove(e.path());
        LedgerState w;
        w.index.SetDataFolder(DataFolder(dir.path()));
        w.block = lines;
        ASSERT_EQ(SaveLedgerBlock(w, dlg), 0);
        ledger.index = LedgerIndex();
        ledger.index.SetDataFolder(DataFolder(dir.path()));
        ASSERT_EQ(ScanLedgerYears(ledger, dlg), 0);
    }
    // Confirms the dialog with the range given ("yyyy", "mm", "dd" ×2).
    void answerRange(std::vector<std::string> dates) {
        form.answer([dates](PrSetData& d) {
            d.dates = dates;
            return 0;
        });
    }
    const std::vector<PrintPage>& pages() const { return device.printer.Pages(); }
    // Rows of the body table of a page (its second table).
    int bodyRows(int page) const {
        auto frames = test::TableFrames(pages()[page], 6);
        EXPECT_EQ(frames.size(), 2u);
        return static_cast<int>(std::lround((frames[1].bottom - frames[1].top) / 260.0));
    }
    // The second header line of a page.
    std::string headerLine(int page) const { return test::PageTexts(pages()[page])[1]; }
};

} // namespace

TEST_F(LedgerPrintTest, PrintsPagesOf55RowsWithHeadersAndTheCompletionMessage) {
    write(manyLines(120));
    answerRange({"2026", "03", "01", "2026", "03", "31"});
    dlg.expect("MsgOK").expectMessage("2026年03月01日から 2026年03月30日まで 印刷完了しました。");
    ASSERT_EQ(PrintLedger(session), 0);
    EXPECT_EQ(form.shown[0].ttl, "入出金データの印刷");
    EXPECT_EQ(form.shown[0].msg, "印刷する日付を入力してください。");
    EXPECT_EQ(dlg.ops(), "MsgOn,MsgOff,MsgOK");
    EXPECT_EQ(dlg.transcript()[0].message, "2026年03月01日から 2026年03月30日まで 印刷中\r\n（　印刷中止＝[ESC] ）");
    EXPECT_EQ(dlg.transcript()[0].title, "入出金データ印刷");
    ASSERT_EQ(pages().size(), 3u);
    EXPECT_EQ(bodyRows(0), 55);
    EXPECT_EQ(bodyRows(1), 55);
    EXPECT_EQ(bodyRows(2), 10);
    EXPECT_EQ(device.printer.JobsEnded(), 3);
    EXPECT_EQ(device.ended, std::vector<bool>{true});
    EXPECT_EQ(device.begun[0].fileStem, "家計簿_2026年03月01日-2026年03月30日");
    EXPECT_EQ(device.begun[0].paper, 9);
    // Page 2 starts with line 56 (day 14) and shows the year and month again.
    EXPECT_NE(headerLine(1).find("2026年 3月14日～2026年 3月28日02"), std::string::npos) << headerLine(1);
    EXPECT_EQ(test::PageTexts(pages()[0])[0], "   家計簿");
    auto texts = test::PageTexts(pages()[1]);
    auto firstBody = std::find(texts.begin(), texts.end(), "  残  高  ") + 1;
    EXPECT_EQ(*firstBody, "26");
    EXPECT_EQ(*(firstBody + 1), " 3");
    // Nothing changed: no settings file.
    EXPECT_TRUE(test::ReadBytes(session.settingsPath).empty());
}

TEST_F(LedgerPrintTest, HeadingTableThenBodyBelowIt) {
    write(manyLines(3));
    answerRange({"2026", "03", "01", "2026", "03", "31"});
    dlg.expect("MsgOK");
    ASSERT_EQ(PrintLedger(session), 0);
    auto frames = test::TableFrames(pages()[0], 6);
    ASSERT_EQ(frames.size(), 2u);
    // X0 = 5 widths of "5"; the table is 96 + 9 × 0.73 widths wide.
    EXPECT_DOUBLE_EQ(frames[0].left, 500);
    EXPECT_NEAR(frames[0].right - frames[0].left, (96 + 9 * 0.73) * 100, 1e-6);
    // Header: title line at 0, two 16-point lines, the 10-point line: the heading table 50 below.
    EXPECT_DOUBLE_EQ(frames[0].top, 640 + 200 + 50);
    // The body starts 300 twips below where the heading table's last cell was printed.
    EXPECT_DOUBLE_EQ(frames[1].top, frames[0].top + (254 - 200) / 2.0 + 300);
    // Rules: below each line that the next one does not continue.
    int rules = 0;
    for (const PrintOp& op : pages()[0].ops)
        if (op.kind == PrintOp::Kind::Line && op.y1 == op.y2 && op.y1 > frames[1].top && op.y1 < frames[1].bottom)
            ++rules;
    EXPECT_EQ(rules, 2);
}

TEST_F(LedgerPrintTest, ABalanceOfMinusTenMillionPrintsWithItsSignOnAWiderTable) {
    std::vector<IoRecord> lines = manyLines(60);
    lines[0].Expense = 12345678;
    lines[0].Balance = -12345678;
    write(lines);
    answerRange({"2026", "03", "01", "2026", "03", "31"});
    dlg.expect("MsgOK");
    ASSERT_EQ(PrintLedger(session), 0);
    ASSERT_EQ(pages().size(), 2u);
    auto texts = test::PageTexts(pages()[0]);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "-12,345,678"), texts.end());
    // Both pages are one byte wider: 97 + 9 × 0.73 widths of "5".
    for (int p = 0; p < 2; ++p) {
        for (const auto& frame : test::TableFrames(pages()[p], 6))
            EXPECT_NEAR(frame.right - frame.left, (97 + 9 * 0.73) * 100, 1e-6) << p;
    }
    texts = test::PageTexts(pages()[1]);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "     94,500"), texts.end());
}

TEST_F(LedgerPrintTest, BFiveUsesNinePointsAndTheLineOffset) {
    write(manyLines(60));
    settings.LedgerPaperSize = 13;
    settings.LedgerPrintLine = 2;
    answerRange({"2026", "03", "01", "2026", "03", "31"});
    dlg.expect("MsgOK");
    ASSERT_EQ(PrintLedger(session), 0);
    ASSERT_EQ(pages().size(), 2u);
    auto frames = test::TableFrames(pages()[0], 6);
    EXPECT_EQ(std::lround((frames[1].bottom - frames[1].top) / (1.3 * 180)), 50);
    EXPECT_DOUBLE_EQ(frames[0].left, 5 * 90);
    EXPECT_DOUBLE_EQ(test::TableFrames(pages()[0], 6)[0].top, 2 * 180 + 640 + 180 + 50);
    EXPECT_EQ(device.begun[0].paper, 13);
}

TEST_F(LedgerPrintTest, ASwappedRangePrintsTheSameAsTheRange) {
    std::vector<IoRecord> lines = manyLines(80);
    write(lines);
    answerRange({"2026", "03", "10", "2026", "03", "05"});
    dlg.expect("MsgOK").expectMessage("2026年03月05日から 2026年03月10日まで");
    ASSERT_EQ(PrintLedger(session), 0);
    ASSERT_EQ(pages().size(), 1u);
    EXPECT_EQ(bodyRows(0), 24); // six days of four lines
    EXPECT_NE(headerLine(0).find("2026年 3月 5日～2026年 3月10日01"), std::string::npos);
}

TEST_F(LedgerPrintTest, TheRangeIsCutToTheLedgerAndOutsideItAskedAgain) {
    write(manyLines(8)); // 1 and 2 March 2026
    answerRange({"2025", "01", "01", "2025", "12", "31"});
    answerRange({"2020", "01", "01", "2030", "01", "01"});
    dlg.expect("MsgOK").expectMessage("該当するデータがありません。");
    dlg.expect("MsgOK").expectMessage("2026年03月01日から 2026年03月02日まで 印刷完了");
    ASSERT_EQ(PrintLedger(session), 0);
    EXPECT_EQ(dlg.transcript()[0].title, "印刷する日付");
    // The second question proposes what was entered.
    EXPECT_EQ(form.shown[1].dates[0], "2025");
    EXPECT_EQ(bodyRows(0), 8);
}

TEST_F(LedgerPrintTest, OnlyTheDaysOfTheRange) {
    std::vector<IoRecord> lines;
    for (int d = 1; d <= 30; ++d)
        lines.push_back(line(2026, 4, d, "食費", 0, d, 1000 - d));
    write(lines);
    answerRange({"2026", "04", "10", "2026", "04", "20"});
    dlg.expect("MsgOK");
    ASSERT_EQ(PrintLedger(session), 0);
    EXPECT_EQ(bodyRows(0), 11);
    EXPECT_NE(headerLine(0).find("2026年 4月10日～2026年 4月20日"), std::string::npos);

    // Days of the months without a line: nothing printed and nothing claimed.
    std::vector<IoRecord> sparse = {line(2026, 5, 1, "a", 0, 1, 1), line(2026, 5, 31, "a", 0, 1, 0)};
    write(sparse);
    answerRange({"2026", "05", "10", "2026", "05", "20"});
    dlg.expect("MsgOK").expectMessage("該当するデータがありません。");
    EXPECT_EQ(PrintLedger(session), 1);
    EXPECT_EQ(device.ended.back(), false);
}

TEST_F(LedgerPrintTest, TheProposedRangeIsThisMonthOrTheLedgersLastMonth) {
    write({line(2026, 1, 5, "a", 0, 1, 1)});
    form.cancel();
    EXPECT_EQ(PrintLedger(session), 1);
    EXPECT_EQ(form.shown[0].dates, (std::vector<std::string>{"2026", "01", "01", "2026", "01", "31"}));

    write({line(2026, 1, 5, "a", 0, 1, 1), line(2026, 6, 5, "a", 0, 1, 0)});
    session.lastFrom.clear();
    form.cancel();
    EXPECT_EQ(PrintLedger(session), 1);
    EXPECT_EQ(form.shown[1].dates, (std::vector<std::string>{"2026", "03", "01", "2026", "03", "31"}));
    EXPECT_TRUE(device.begun.empty());
}

TEST_F(LedgerPrintTest, ACancelledPrinterErrorEndsWithoutTheCompletionMessage) {
    write(manyLines(120));
    answerRange({"2026", "03", "01", "2026", "03", "31"});
    // Fail on the second page: after page 1's ~550 calls.
    device.printer.failAt = 700;
    device.printer.times = 1000;
    dlg.expectBox(MsgResult::Cancel);
    EXPECT_EQ(PrintLedger(session), 1);
    EXPECT_EQ(dlg.ops(), "MsgOn,MsgBox,MsgOff");
    EXPECT_EQ(device.printer.PagesCompleted(), 1);
    EXPECT_EQ(device.ended, std::vector<bool>{false});
}

TEST_F(LedgerPrintTest, EscStopsBetweenPages) {
    write(manyLines(120));
    answerRange({"2026", "03", "01", "2026", "03", "31"});
    device.stopAfterPages = 1;
    EXPECT_EQ(PrintLedger(session), 1);
    EXPECT_EQ(dlg.ops(), "MsgOn,MsgOff");
    EXPECT_EQ(device.printer.PagesCompleted(), 1);
    EXPECT_EQ(device.ended, std::vector<bool>{false});
}

TEST_F(LedgerPrintTest, ChangedSettingsAreWrittenAfterThePrintoutEvenWhenNothingPrinted) {
    write(manyLines(4));
    form.answer([](PrSetData& d) {
        d.OptNm = 1;
        return 0;
    });
    device.cancelBegin = true;
    EXPECT_EQ(PrintLedger(session), 1);
    IniRecord back;
    ASSERT_EQ(ReadSettings(session.settingsPath, back), 0);
    EXPECT_EQ(back.LedgerPaperSize, 13);

    // A stored paper code other than 13 prints on A4 and is stored as 9.
    settings.LedgerPaperSize = 0;
    form.confirm();
    EXPECT_EQ(PrintLedger(session), 1);
    ASSERT_EQ(ReadSettings(session.settingsPath, back), 0);
    EXPECT_EQ(back.LedgerPaperSize, 9);
}

TEST_F(LedgerPrintTest, TheMainBlockIsUntouched) {
    write(manyLines(40));
    ledger.block = {line(2026, 3, 9, "x", 0, 5, 5)};
    ledger.index.BlockStartYear = 2026;
    ledger.index.BlockStartMonth = 3;
    ledger.index.BlockSpan = 1;
    const LedgerIndex before = ledger.index;
    answerRange({"2026", "03", "01", "2026", "03", "31"});
    dlg.expect("MsgOK");
    ASSERT_EQ(PrintLedger(session), 0);
    EXPECT_EQ(ledger.block.size(), 1u);
    EXPECT_EQ(ledger.index.BlockSpan, before.BlockSpan);
    EXPECT_EQ(ledger.index.BlockStartMonth, before.BlockStartMonth);
}

TEST_F(LedgerPrintTest, MoreLinesThanABlockHoldsPrintsNothing) {
    write(manyLines(120));
    ledger.MaxBlockLines = 100;
    answerRange({"2026", "03", "01", "2026", "03", "31"});
    dlg.expectBox(MsgResult::OK).expectMessage("読込み最大数をオーバーしました");
    EXPECT_EQ(PrintLedger(session), 1);
    EXPECT_EQ(device.printer.PagesCompleted(), 0);
}

TEST_F(LedgerPrintTest, AStoredOffsetWithoutRoomNeverLoops) {
    write(manyLines(4));
    settings.LedgerPrintLine = 60;
    // The dialog refuses it; the user corrects it.
    form.confirm();
    form.answer([](PrSetData& d) {
        d.dt2[3] = "1";
        return 0;
    });
    dlg.expect("MsgOK").expectMessage("１行も印刷できません");
    dlg.expect("MsgOK").expectMessage("印刷完了");
    ASSERT_EQ(PrintLedger(session), 0);
    EXPECT_EQ(bodyRows(0), 4);
}
