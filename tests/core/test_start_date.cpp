#include "ledger/LedgerBlock.h"
#include "ledger/LedgerFiles.h"
#include "ledger/LedgerSave.h"
#include "ledger/StartDate.h"
#include "support/FaultFs.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

using namespace mrt;
using mrt::test::ScriptedDialogs;

namespace {

const std::string kTitle = "開始日付の変更";

IoRecord line(int y, int m, int d, const std::string& item, int32_t income, int32_t expense) {
    IoRecord r;
    r.Year = static_cast<int16_t>(y);
    r.Month = static_cast<int16_t>(m);
    r.Day = static_cast<int16_t>(d);
    r.ItemName = item;
    r.Income = income;
    r.Expense = expense;
    return r;
}

// A ledger in a temporary data folder, written through the ordinary save and read back by a scan.
class Ledger {
public:
    Ledger() {
        std::filesystem::create_directories(data());
        st.index.SetDataFolder(data());
    }

    std::string data() const { return m_dir / "Data1"; }
    std::string file(const std::string& name) const { return data() + "/" + name; }
    bool has(const std::string& name) const { return std::filesystem::exists(file(name)); }

    // Writes the initial-balance line and the entries (in order) as a new ledger.
    void Create(const IoRecord& start, int32_t balance, std::vector<IoRecord> entries) {
        std::vector<IoRecord> lines{start};
        lines[0].ItemName = kInitialBalanceItem;
        lines[0].Balance = balance;
        int32_t b = balance;
        for (IoRecord& e : entries) {
            b += e.Income >= 1 ? e.Income : -e.Expense;
            e.Balance = b;
            lines.push_back(e);
        }
        ScriptedDialogs dlg;
        st.block = lines;
        ASSERT_EQ(SaveLedgerBlock(st, dlg), 0);
        Reload();
    }

    // Fresh index from the files, newest block loaded.
    void Reload() {
        ScriptedDialogs dlg;
        LedgerState fresh;
        fresh.index.SetDataFolder(data());
        fresh.BlockMonthsInUse = 2;
        ASSERT_EQ(ScanLedgerYears(fresh, dlg), 0);
        ASSERT_EQ(LoadStartBlock(fresh, dlg), 0);
        st = fresh;
    }

    // Every line of the ledger, read month by month from the files of the given index.
    std::vector<IoRecord> AllLines(const LedgerIndex& idx) const {
        std::vector<IoRecord> out;
        ScriptedDialogs dlg;
        for (int yi = 1; yi <= idx.YearCount; ++yi) {
            if (idx.YearLines[yi - 1] == 0) continue;
            YearFile f;
            EXPECT_GE(OpenIoFile(idx, idx.FirstYear + yi - 1, dlg, f), 0);
            auto ms = MonthStartTable(idx, yi);
            for (int m = 1; m <= 12; ++m) {
                for (int k = 1; k <= idx.Inf(yi, m).LineCount; ++k) {
                    IoRecord r;
                    EXPECT_TRUE(ReadIoRecord(f, ms[m - 1] + k, r));
                    out.push_back(r);
                }
            }
        }
        return out;
    }

    // Bytes of every file of the data folder.
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& e : std::filesystem::directory_iterator(data()))
            files[e.path().filename().string()] = mrt::test::ReadBytes(e.path().string());
        return files;
    }

    // Runs the tool's independent consistency check over the data folder; "" when it is clean.
    std::string Check() const {
        std::string out = m_dir / "check.txt";
        std::string cmd = std::string(MRTKEL_TOOL_PATH) + " --home '" + m_dir.path() + "' check > '" + out + "' 2>&1";
        int rc = std::system(cmd.c_str());
        return rc == 0 ? "" : "check failed:\n" + mrt::test::ReadBytes(out);
    }

    LedgerState st;

private:
    mrt::test::TempDir m_dir;
};

// Checks the balance rule over the whole ledger and that the first line is the initial balance.
void expectConsistent(const std::vector<IoRecord>& lines, int32_t initialBalance) {
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].ItemName, kInitialBalanceItem);
    EXPECT_EQ(lines[0].Balance, initialBalance);
    for (size_t i = 1; i < lines.size(); ++i) {
        int32_t expected = lines[i - 1].Balance + (lines[i].Income >= 1 ? lines[i].Income : -lines[i].Expense);
        EXPECT_EQ(lines[i].Balance, expected) << "line " << i + 1;
        EXPECT_GE(DateNum(lines[i]), DateNum(lines[0])) << "line " << i + 1;
    }
}

// The answers of a complete change: yes, the date, the balance.
void scriptChange(ScriptedDialogs& dlg, const std::string& date, const std::string& balance) {
    dlg.expect("MsgYesNo", 0).expectMessage("この家計簿を開始する日付を変更します。\r\nよろしいですか？");
    dlg.expect("DateInYMD", 0).withText(date);
    dlg.expect("InputKel", 0).withText(balance);
}

// Initial balance 2003/04/10, entries in April, May and July 2003 and January 2004.
void createSpread(Ledger& l) {
    l.Create(line(2003, 4, 10, "", 0, 0), 10000,
             {line(2003, 4, 15, "食費", 0, 1000), line(2003, 5, 2, "給与", 5000, 0), line(2003, 7, 1, "雑費", 0, 300),
              line(2004, 1, 5, "雑費", 0, 200)});
}

} // namespace

TEST(ChangeStartDate, SameYearEarlierMonthKeepsBalances) {
    Ledger l;
    createSpread(l);
    ScriptedDialogs dlg;
    scriptChange(dlg, "2003/02/01", "10000   ");
    StartLine start;
    ASSERT_EQ(ChangeStartDate(l.st, dlg, &start), 0);

    ASSERT_EQ(dlg.transcript().size(), 3u);
    EXPECT_EQ(dlg.transcript()[0].title, kTitle);
    EXPECT_EQ(dlg.transcript()[1].message, "開始する日付を変更してください。");
    EXPECT_EQ(dlg.transcript()[1].buttons, std::vector<std::string>{"2003/04/10"}); // the current date
    EXPECT_EQ(dlg.transcript()[2].message, "最初の残高を入力してください。");
    EXPECT_EQ(start.StartDateText, "20030201");
    EXPECT_EQ(start.InitialBalance, 10000);

    const LedgerIndex& idx = l.st.index;
    EXPECT_EQ(idx.FirstYear, 2003);
    EXPECT_EQ(idx.FirstMonth, 2);
    EXPECT_EQ(idx.FirstDay, 1);
    EXPECT_EQ(idx.Inf(1, 2).LineCount, 1);
    EXPECT_EQ(idx.Inf(1, 4).LineCount, 1);
    EXPECT_EQ(idx.TotalLines, 5);
    EXPECT_EQ(StartDateTextOf(idx), "20030201");
    // The newest block is loaded again.
    ASSERT_FALSE(l.st.block.empty());
    EXPECT_EQ(DateNum(l.st.block.back()), 20040105);

    l.Reload();
    EXPECT_EQ(l.Check(), "");
    std::vector<IoRecord> all = l.AllLines(l.st.index);
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(DateNum(all[0]), 20030201);
    expectConsistent(all, 10000);
    EXPECT_EQ(all.back().Balance, 13500);
}

TEST(ChangeStartDate, SameYearLaterMonthUpToTheFirstEntry) {
    Ledger l;
    l.Create(line(2003, 3, 20, "", 0, 0), 500, {line(2003, 5, 10, "給与", 1000, 0), line(2003, 5, 11, "食費", 0, 200)});
    ScriptedDialogs dlg;
    scriptChange(dlg, "2003/05/10", "700"); // the first entry's own date is allowed
    ASSERT_EQ(ChangeStartDate(l.st, dlg), 0);

    l.Reload();
    EXPECT_EQ(l.Check(), "");
    const LedgerIndex& idx = l.st.index;
    EXPECT_EQ(idx.FirstMonth, 5);
    EXPECT_EQ(idx.Inf(1, 3).LineCount, 0);
    EXPECT_EQ(idx.Inf(1, 5).LineCount, 3);
    std::vector<IoRecord> all = l.AllLines(idx);
    ASSERT_EQ(all.size(), 3u);
    expectConsistent(all, 700);
    EXPECT_EQ(all[2].Balance, 1500);

    // The old line's slot in March is a free slot again.
    YearFile f;
    ASSERT_GT(OpenIoFile(idx, 2003, dlg, f), 0);
    IoRecord r;
    ASSERT_TRUE(ReadIoRecord(f, MonthStartTable(idx, 1)[2] + 1, r));
    EXPECT_EQ(r.Year, kFillerYear);
}

TEST(ChangeStartDate, EarlierYearCreatesTheYearAndCarriesTheBalance) {
    Ledger l;
    createSpread(l);
    // A stray year file before the ledger, no whole number of lines, may be what is left of lost
    // data: it is named and never written over, and nothing changes.
    ASSERT_TRUE(mrt::test::WriteBytes(l.file("Io2001.usr"), std::string(1000, 'x')));
    {
        ScriptedDialogs refused;
        scriptChange(refused, "2001/12/31", "20000");
        refused.expectBox(MsgResult::OK).expectMessage("Io2001.usr");
        refused.expect("MsgOK").expectMessage("ファイル処理中にエラーが発生しました。");
        StartLine unchanged;
        EXPECT_EQ(ChangeStartDate(l.st, refused, &unchanged), -1);
        EXPECT_EQ(mrt::test::ReadBytes(l.file("Io2001.usr")), std::string(1000, 'x'));
        EXPECT_FALSE(l.has("Inf2001.usr"));
    }
    // Once the user has moved it away, the year is made new.
    std::filesystem::remove(l.file("Io2001.usr"));
    ScriptedDialogs dlg;
    scriptChange(dlg, "2001/12/31", "20000");
    StartLine start;
    ASSERT_EQ(ChangeStartDate(l.st, dlg, &start), 0);
    EXPECT_EQ(start.InitialBalance, 20000);

    EXPECT_TRUE(l.has("Io2001.usr"));
    EXPECT_EQ(std::filesystem::file_size(l.file("Io2001.usr")), 648000u);
    EXPECT_TRUE(l.has("Inf2001.usr"));
    EXPECT_TRUE(l.has("Inf2002.usr")); // a year without lines: information file only
    EXPECT_FALSE(l.has("Io2002.usr"));

    l.Reload();
    EXPECT_EQ(l.Check(), "");
    const LedgerIndex& idx = l.st.index;
    EXPECT_EQ(idx.FirstYear, 2001);
    EXPECT_EQ(idx.YearCount, 4);
    EXPECT_EQ(idx.YearLines[0], 1);
    EXPECT_EQ(idx.YearLines[1], 0);
    EXPECT_EQ(idx.YearLines[2], 3);
    EXPECT_EQ(idx.YearLines[3], 1);
    EXPECT_EQ(idx.Inf(3, 4).LineCount, 1);
    YearFile f;
    ASSERT_EQ(OpenIoFile(idx, 2001, dlg, f), 6000);
    IoRecord r;
    ASSERT_TRUE(ReadIoRecord(f, 1, r));
    EXPECT_EQ(r.Year, kFillerYear);
    std::vector<IoRecord> all = l.AllLines(idx);
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(DateNum(all[0]), 20011231);
    expectConsistent(all, 20000);
    EXPECT_EQ(all.back().Balance, 23500); // beyond the two rewritten months
}

TEST(ChangeStartDate, LaterYearDeletesTheDroppedYears) {
    Ledger l;
    // 2002 holds the initial-balance line only, 2003 nothing, 2004 the entries.
    l.Create(line(2002, 6, 1, "", 0, 0), 1000, {line(2004, 2, 10, "給与", 300, 0), line(2004, 3, 1, "食費", 0, 100)});
    ASSERT_TRUE(l.has("Io2002.usr"));
    ASSERT_EQ(l.st.index.YearCount, 3);

    ScriptedDialogs dlg;
    scriptChange(dlg, "2004/01/01", "1000");
    ASSERT_EQ(ChangeStartDate(l.st, dlg), 0);
    EXPECT_FALSE(l.has("Io2002.usr"));
    EXPECT_FALSE(l.has("Inf2002.usr"));
    EXPECT_FALSE(l.has("Inf2003.usr"));
    EXPECT_TRUE(l.has("Io2004.usr"));

    EXPECT_EQ(l.st.index.FirstYear, 2004);
    EXPECT_EQ(l.st.index.YearCount, 1);
    l.Reload();
    EXPECT_EQ(l.Check(), "");
    const LedgerIndex& idx = l.st.index;
    EXPECT_EQ(idx.FirstYear, 2004);
    EXPECT_EQ(idx.FirstMonth, 1);
    EXPECT_EQ(idx.Inf(1, 1).LineCount, 1);
    EXPECT_EQ(idx.YearLines[0], 3);
    std::vector<IoRecord> all = l.AllLines(idx);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(DateNum(all[0]), 20040101);
    expectConsistent(all, 1000);
}

TEST(ChangeStartDate, LaterYearWithoutLinesGetsItsYearFile) {
    Ledger l;
    l.Create(line(2002, 6, 1, "", 0, 0), 1000, {line(2004, 2, 10, "給与", 300, 0)});
    ScriptedDialogs dlg;
    scriptChange(dlg, "2003/12/31", "50");
    ASSERT_EQ(ChangeStartDate(l.st, dlg), 0);
    EXPECT_FALSE(l.has("Io2002.usr"));
    EXPECT_FALSE(l.has("Inf2002.usr"));
    ASSERT_TRUE(l.has("Io2003.usr"));
    EXPECT_EQ(std::filesystem::file_size(l.file("Io2003.usr")), 648000u);

    l.Reload();
    EXPECT_EQ(l.Check(), "");
    const LedgerIndex& idx = l.st.index;
    EXPECT_EQ(idx.FirstYear, 2003);
    EXPECT_EQ(idx.YearCount, 2);
    EXPECT_EQ(idx.Inf(1, 12).LineCount, 1);
    std::vector<IoRecord> all = l.AllLines(idx);
    ASSERT_EQ(all.size(), 2u);
    expectConsistent(all, 50);
    EXPECT_EQ(all[1].Balance, 350);
}

TEST(ChangeStartDate, RefusedDatesAreAskedAgain) {
    Ledger l;
    createSpread(l);
    auto before = l.Snapshot();
    ScriptedDialogs dlg;
    dlg.expect("MsgYesNo", 0);
    dlg.expect("DateInYMD", 0).withText("1999/12/31");
    dlg.expect("MsgOK").expectMessage("開始日付は２０００年以降にしてください。");
    dlg.expect("DateInYMD", 0).withText("2003/04/16");
    dlg.expect("MsgOK").expectMessage("最初の入出金の日付(2003/04/15)以前の日付にしてください。");
    dlg.expect("DateInYMD", -1);
    EXPECT_EQ(ChangeStartDate(l.st, dlg), 0);
    EXPECT_EQ(dlg.transcript()[2].title, kTitle);
    EXPECT_EQ(l.Snapshot(), before);
}

TEST(ChangeStartDate, TheLedgerStaysWithinFiftyYears) {
    Ledger l;
    l.Create(line(2001, 1, 1, "", 0, 0), 0, {line(2050, 1, 1, "給与", 100, 0)});
    ASSERT_EQ(l.st.index.YearCount, 50);
    ScriptedDialogs dlg;
    dlg.expect("MsgYesNo", 0);
    dlg.expect("DateInYMD", 0).withText("2000/12/31");
    dlg.expect("MsgOK").expectMessage("５０年以内");
    dlg.expect("DateInYMD", 0).withText("2001/01/01");
    EXPECT_EQ(ChangeStartDate(l.st, dlg), 0);
}

TEST(ChangeStartDate, FirstEntryIsTheEarliestEvenWhenUnsorted) {
    Ledger l;
    l.Create(line(2003, 4, 1, "", 0, 0), 0, {line(2003, 4, 20, "給与", 100, 0), line(2003, 4, 5, "給与", 100, 0)});
    ScriptedDialogs dlg;
    dlg.expect("MsgYesNo", 0);
    dlg.expect("DateInYMD", 0).withText("2003/04/10");
    dlg.expect("MsgOK").expectMessage("(2003/04/05)");
    dlg.expect("DateInYMD", -1);
    EXPECT_EQ(ChangeStartDate(l.st, dlg), 0);
}

TEST(ChangeStartDate, CancelAtEveryQuestionChangesNothing) {
    Ledger l;
    createSpread(l);
    auto before = l.Snapshot();
    LedgerIndex index = l.st.index;
    {
        ScriptedDialogs dlg;
        dlg.expect("MsgYesNo", 1);
        EXPECT_EQ(ChangeStartDate(l.st, dlg), 0);
        EXPECT_EQ(dlg.ops(), "MsgYesNo");
    }
    {
        ScriptedDialogs dlg;
        dlg.expect("MsgYesNo", 0);
        dlg.expect("DateInYMD", -1);
        EXPECT_EQ(ChangeStartDate(l.st, dlg), 0);
    }
    {
        ScriptedDialogs dlg; // the current start date again: nothing to do, no amount asked
        dlg.expect("MsgYesNo", 0);
        dlg.expect("DateInYMD", 0).withText("2003/04/10");
        EXPECT_EQ(ChangeStartDate(l.st, dlg), 0);
    }
    {
        ScriptedDialogs dlg;
        dlg.expect("MsgYesNo", 0);
        dlg.expect("DateInYMD", 0).withText("2003/01/01");
        dlg.expect("InputKel", -1);
        EXPECT_EQ(ChangeStartDate(l.st, dlg), 0);
    }
    EXPECT_EQ(l.Snapshot(), before);
    EXPECT_EQ(l.st.index.FirstMonth, index.FirstMonth);
    EXPECT_EQ(l.st.index.FirstDay, index.FirstDay);
}

TEST(ChangeStartDate, LedgerWithTheInitialLineOnly) {
    Ledger l;
    l.Create(line(2003, 4, 10, "", 0, 0), 800, {});
    ScriptedDialogs dlg;
    dlg.expect("MsgYesNo", 0);
    dlg.expect("DateInYMD", 0).withText("2051/01/01");
    dlg.expect("MsgOK").expectMessage("開始日付は２０５０年以前にしてください。");
    dlg.expect("DateInYMD", 0).withText("2005/01/02");
    dlg.expect("InputKel", 0).withText("900");
    ASSERT_EQ(ChangeStartDate(l.st, dlg), 0);
    EXPECT_FALSE(l.has("Io2003.usr"));
    EXPECT_FALSE(l.has("Inf2003.usr"));
    EXPECT_FALSE(l.has("Inf2004.usr"));

    l.Reload();
    EXPECT_EQ(l.Check(), "");
    const LedgerIndex& idx = l.st.index;
    EXPECT_EQ(idx.FirstYear, 2005);
    EXPECT_EQ(idx.LastYear, 2005);
    EXPECT_EQ(idx.LastDay, 2);
    EXPECT_EQ(idx.YearCount, 1);
    ASSERT_EQ(l.st.block.size(), 1u);
    EXPECT_EQ(DateNum(l.st.block[0]), 20050102);
    EXPECT_EQ(l.st.block[0].Balance, 900);

    // And back into an earlier year.
    ScriptedDialogs again;
    scriptChange(again, "2004/12/31", "900");
    ASSERT_EQ(ChangeStartDate(l.st, again), 0);
    l.Reload();
    EXPECT_EQ(l.Check(), "");
    EXPECT_EQ(l.st.index.FirstYear, 2004);
    EXPECT_EQ(l.st.index.LastYear, 2004);
    EXPECT_EQ(l.st.index.YearCount, 1);
    EXPECT_TRUE(l.has("Io2004.usr"));
    // The year the line left holds nothing: no information file there may still count it.
    EXPECT_FALSE(l.has("Inf2005.usr"));
    EXPECT_FALSE(l.has("Io2005.usr"));
    EXPECT_EQ(l.st.index.TotalLines, 1);
}

TEST(ChangeStartDate, AFailedSaveLeavesTheFilesAndEndsWithMinusOne) {
    Ledger l;
    createSpread(l);
    auto before = l.Snapshot();
    std::vector<IoRecord> block = l.st.block;
    ScriptedDialogs dlg;
    scriptChange(dlg, "2001/05/05", "10000");
    dlg.expectBox(MsgResult::OK); // the save's own error message
    dlg.expect("MsgOK").expectMessage("ファイル処理中にエラーが発生しました。");
    test::FailWritesAfter(0);
    int r = ChangeStartDate(l.st, dlg);
    test::FailWritesAfter(-1);
    EXPECT_EQ(r, -1);
    EXPECT_EQ(l.Snapshot(), before);
    EXPECT_EQ(l.st.index.FirstYear, 2003);
    EXPECT_EQ(l.st.block, block); // reloaded from the files
}

TEST(ChangeInitialBalance, RewritesTheFirstBlockAndCarriesOnSave) {
    Ledger l;
    createSpread(l);
    // The oldest block: April and May 2003.
    ScriptedDialogs dlg;
    l.st.index.BlockStartYear = 2003;
    l.st.index.BlockStartMonth = 4;
    l.st.index.BlockSpan = 2;
    ASSERT_EQ(LoadLedgerBlock(l.st, l.st.block, false, dlg), 0);
    ASSERT_EQ(l.st.BlockPos, kBlockOldest);
    ASSERT_EQ(l.st.block.size(), 3u);

    StartLine start;
    ASSERT_EQ(ChangeInitialBalance(l.st, 12000, &start), 0);
    EXPECT_TRUE(l.st.LedgerModified);
    EXPECT_EQ(start.InitialBalance, 12000);
    EXPECT_EQ(l.st.block[0].Balance, 12000);
    EXPECT_EQ(l.st.block[1].Balance, 11000);
    EXPECT_EQ(l.st.block[2].Balance, 16000);
    EXPECT_EQ(DateNum(l.st.block[0]), 20030410); // the date stays

    ASSERT_EQ(SaveLedgerBlock(l.st, dlg), 0);
    l.Reload();
    EXPECT_EQ(l.Check(), "");
    std::vector<IoRecord> all = l.AllLines(l.st.index);
    expectConsistent(all, 12000);
    EXPECT_EQ(all.back().Balance, 15500);
}

TEST(ChangeInitialBalance, RefusedOutsideTheFirstBlockAndOnOverflow) {
    Ledger l;
    createSpread(l);
    ASSERT_GT(l.st.BlockPos, 0); // the newest block does not hold the initial-balance line
    std::vector<IoRecord> block = l.st.block;
    EXPECT_EQ(ChangeInitialBalance(l.st, 1, nullptr), -1);
    EXPECT_EQ(l.st.block, block);
    EXPECT_FALSE(l.st.LedgerModified);

    Ledger big;
    big.Create(line(2003, 4, 10, "", 0, 0), 0, {line(2003, 4, 11, "給与", 99999999, 0)});
    ASSERT_LT(big.st.BlockPos, 0);
    block = big.st.block;
    EXPECT_EQ(ChangeInitialBalance(big.st, INT32_MAX - 10, nullptr), -1);
    EXPECT_EQ(big.st.block, block);
    EXPECT_EQ(ChangeInitialBalance(big.st, 5, nullptr), 0);
    EXPECT_EQ(big.st.block[1].Balance, 100000004);
}
