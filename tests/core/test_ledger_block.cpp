// Loading blocks of months, saving them back into the month regions, and moving the block.
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerCheck.h"
#include "ledger/LedgerSave.h"
#include "support/FaultFs.h"
#include "support/ScriptedDialogs.h"
#include "test_ledger_fixture.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace mrt::test {
namespace {

class BlockTest : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedDialogs dlg;
    LedgerModel model;

    void SetUp() override { model[2003].months[0].lines = {Line{2003, 1, 1, "初期残高", "", "", 0, 0, 100000}}; }

    // Writes the model's files and opens the ledger with its newest block.
    LedgerState open(int blockMonths = 3, int maxLines = 300, bool allYearFiles = false) {
        recomputeModel(model);
        writeModel(dir.path(), model, allYearFiles);
        LedgerState st = stateFor(dir.path(), blockMonths, maxLines);
        EXPECT_EQ(ScanLedgerYears(st, dlg), 0);
        EXPECT_EQ(LoadStartBlock(st, dlg), 0);
        return st;
    }
    LedgerState loadAt(int y, int m, int span) {
        LedgerState st = stateFor(dir.path(), span, 1500);
        EXPECT_EQ(ScanLedgerYears(st, dlg), 0);
        st.index.BlockStartYear = y;
        st.index.BlockStartMonth = m;
        st.index.BlockSpan = span;
        EXPECT_EQ(LoadLedgerBlock(st, st.block, false, dlg), 0);
        return st;
    }
    // Every file on disk is exactly what the model describes.
    void expectFiles() {
        for (const auto& [y, ys] : model) {
            SCOPED_TRACE(y);
            EXPECT_EQ(ReadBytes(dir / ("Inf" + std::to_string(y) + ".usr")), infFileBytes(ys));
            std::string io = dir / ("Io" + std::to_string(y) + ".usr");
            if (std::filesystem::exists(io)) {
                EXPECT_TRUE(ReadBytes(io) == yearFileBytes(ys)) << "year file differs";
            } else {
                EXPECT_EQ(yearLineCount(ys), 0);
            }
        }
        LedgerIndex names;
        names.SetDataFolder(dir.path());
        EXPECT_EQ(CheckLedgerFiles(names), std::vector<std::string>{});
    }
    std::vector<Line> blockLines(const LedgerState& st) {
        std::vector<Line> v;
        for (const IoRecord& r : st.block)
            v.push_back(toLine(r));
        return v;
    }
    void save(LedgerState& st) {
        st.LedgerModified = true;
        ASSERT_EQ(SaveLedgerBlock(st, dlg), 0);
        EXPECT_FALSE(st.LedgerModified);
    }
};

TEST_F(BlockTest, TheNewestBlockStepsBackOverEmptyMonths) {
    model[2003].months[1].lines = monthLines(2003, 2, 2);
    model[2003].months[4].lines = monthLines(2003, 5, 3);
    model[2003].months[5].lines = monthLines(2003, 6, 1);
    LedgerState st = open();
    EXPECT_EQ(st.index.BlockStartYear, 2003);
    EXPECT_EQ(st.index.BlockStartMonth, 2);
    EXPECT_EQ(st.index.BlockSpan, 5);
    EXPECT_EQ(st.BlockPos, kBlockNewest);
    EXPECT_EQ(st.LedgerLineCount(), 6);
    EXPECT_EQ(st.index.BlockEndBalance, model[2003].months[5].lines[0].bal);
    EXPECT_FALSE(st.PreSortF);
}

TEST_F(BlockTest, ALedgerShorterThanTheBlockLoadsWhole) {
    model[2003].months[1].lines = monthLines(2003, 2, 2);
    LedgerState st = open(3);
    EXPECT_EQ(st.index.BlockSpan, 2);
    EXPECT_EQ(st.BlockPos, kBlockWhole);
    EXPECT_EQ(blockLines(st), modelLines(model));
}

TEST_F(BlockTest, ExactlyMaxBlockLinesLoadsAndOneMoreOverflows) {
    model[2003].months[1].lines = monthLines(2003, 2, 99);
    LedgerState st = open(2, 100);
    EXPECT_EQ(st.LedgerLineCount(), 100);
    EXPECT_EQ(st.MaxBlockLines, 101); // raised so that a new line fits

    model[2003].months[1].lines.push_back(Line{2003, 2, 28, "x", "", "", 0, 1, 0});
    recomputeModel(model);
    writeModel(dir.path(), model);
    st = stateFor(dir.path(), 2, 100);
    dlg.expectBox(MsgResult::OK).expectMessage("入出金データの読込み最大数をオーバーしました。");
    EXPECT_EQ(ScanLedgerYears(st, dlg), 0); // the probes read one month of 100 lines
    st.MaxBlockLines = 100;
    EXPECT_EQ(LoadStartBlock(st, dlg), 1);
    EXPECT_EQ(dlg.transcript().back().title, "データ読込みエラー");
    EXPECT_TRUE(st.block.empty());
}

// The start-up decides from the index alone whether new block settings will hold the lines, so
// the count must match what the loads read: empty months stepped over, years crossed.
TEST_F(BlockTest, LinesToLoadAtStartCountsWhatTheStartUpReads) {
    model[2003].months[1].lines = monthLines(2003, 2, 2);
    model[2003].months[10].lines = monthLines(2003, 11, 3);
    model[2004].months[0].lines = monthLines(2004, 1, 4);
    model[2004].months[3].lines = monthLines(2004, 4, 5);
    model[2004].months[4].lines = monthLines(2004, 5, 6);
    recomputeModel(model);
    writeModel(dir.path(), model);
    for (int months = 2; months <= 6; ++months) {
        SCOPED_TRACE(months);
        LedgerState st = stateFor(dir.path(), months, 1500);
        ASSERT_EQ(ScanLedgerYears(st, dlg), 0);
        ASSERT_EQ(LoadStartBlock(st, dlg), 0);
        EXPECT_EQ(LinesToLoadAtStart(st.index, months), st.LedgerLineCount());
    }

    // A first month larger than the newest block: the scan reads it whole.
    model[2003].months[0].lines.resize(1);
    for (const Line& l : monthLines(2003, 1, 40))
        model[2003].months[0].lines.push_back(l);
    recomputeModel(model);
    writeModel(dir.path(), model);
    LedgerState st = stateFor(dir.path(), 2, 1500);
    ASSERT_EQ(ScanLedgerYears(st, dlg), 0);
    EXPECT_EQ(LinesToLoadAtStart(st.index, 2), 41);
    st.MaxBlockLines = 40;
    dlg.expectBox(MsgResult::OK).expectMessage("入出金データの読込み最大数をオーバーしました。");
    EXPECT_EQ(ScanLedgerYears(st, dlg), 1);
}

TEST_F(BlockTest, AMarkerInsideTheLineCountIsCorrupt) {
    model[2003].months[1].lines = monthLines(2003, 2, 3);
    model[2003].months[1].lines[1].y = 8888;
    recomputeModel(model);
    writeModel(dir.path(), model);
    LedgerState st = stateFor(dir.path());
    // The scan reads the newest line only; the start's block load meets the marker.
    ASSERT_EQ(ScanLedgerYears(st, dlg), 0);
    dlg.expectBox(MsgResult::OK).expectMessage("入出金ﾃﾞｰﾀの中に[2003]の異常なﾃﾞｰﾀがあります。");
    dlg.expect("MsgOK").expectMessage("入出金ﾃﾞｰﾀの読込みに失敗しました。");
    EXPECT_EQ(LoadStartBlock(st, dlg), -1);
    EXPECT_TRUE(st.block.empty());
}

TEST_F(BlockTest, LinesOutOfOrderSetPreSortF) {
    model[2003].months[1].lines = monthLines(2003, 2, 3);
    model[2003].months[1].lines[1].d = 20;
    model[2003].months[1].lines[2].d = 10;
    LedgerState st = open();
    EXPECT_TRUE(st.PreSortF);
}

TEST_F(BlockTest, SavingAnUnchangedBlockRewritesTheSameBytes) {
    model[2003].months[1].lines = monthLines(2003, 2, 3);
    model[2003].months[11].lines = monthLines(2003, 12, 2);
    model[2004].months[0].capacity = 530;
    model[2004].months[0].lines = monthLines(2004, 1, 510);
    LedgerState st = open(3, 1000);
    save(st);
    expectFiles();
}

TEST_F(BlockTest, AFullMonthGrowsByTheLinesLeftAndLaterMonthsMove) {
    model[2003].months[2].lines = monthLines(2003, 3, 495);
    model[2003].months[3].lines = monthLines(2003, 4, 3);
    model[2003].months[11].lines = monthLines(2003, 12, 1);
    LedgerState st = stateFor(dir.path(), 3, 1500);
    recomputeModel(model);
    writeModel(dir.path(), model);
    st = loadAt(2003, 3, 2);
    ASSERT_EQ(st.LedgerLineCount(), 498);
    std::vector<Line> added = monthLines(2003, 3, 10, 7, 1000);
    for (Line& l : added)
        l.d = 31;
    std::vector<IoRecord> extra;
    for (const Line& l : added)
        extra.push_back(toRecord(l));
    st.block.insert(st.block.begin() + 495, extra.begin(), extra.end());
    for (size_t i = 1; i < st.block.size(); ++i)
        st.block[i].Balance = st.block[i - 1].Balance - st.block[i].Expense;
    save(st);
    auto& march = model[2003].months[2];
    march.lines.insert(march.lines.end(), added.begin(), added.end());
    march.capacity = 506; // 499 slots were free; the 6 lines left grew the region
    recomputeModel(model);
    expectFiles();
    EXPECT_EQ(st.index.Inf(1, 3), (InfRecord{506, 505}));
    EXPECT_EQ(ReadBytes(dir / "Io2003.usr").size(), 6006u * 108);
}

TEST_F(BlockTest, DeletingTheLastLinesClearsMonthsInTheOldRange) {
    model[2003].months[1].lines = monthLines(2003, 2, 2);
    model[2003].months[3].lines = monthLines(2003, 4, 3);
    model[2004].months[1].lines = monthLines(2004, 2, 2);
    LedgerState st = open(3);
    ASSERT_EQ(st.index.BlockStartMonth, 2); // February, April and February 2004
    st.block.resize(4);                     // drops April's last line and all of 2004
    save(st);
    model[2003].months[3].lines.resize(2);
    model[2004].months[1].lines.clear();
    expectFiles();
    EXPECT_EQ(st.index.LastYear, 2003);
    EXPECT_EQ(st.index.LastMonth, 4);
    EXPECT_EQ(st.index.YearCount, 1);
    EXPECT_EQ(st.index.TotalLines, 5);
    LedgerState again = open(3);
    EXPECT_EQ(again.index.LastDay, 2);
}

TEST_F(BlockTest, EmptiedMonthsAtTheStartOfTheRangeAreCleared) {
    for (int m = 2; m <= 6; ++m)
        model[2003].months[m - 1].lines = monthLines(2003, m, 2);
    recomputeModel(model);
    writeModel(dir.path(), model);
    LedgerState st = loadAt(2003, 2, 3);
    ASSERT_EQ(st.LedgerLineCount(), 6);
    EXPECT_EQ(st.BlockPos, kBlockMiddle);
    st.block.erase(st.block.begin(), st.block.begin() + 2); // every line of February
    save(st);
    model[2003].months[1].lines.clear();
    EXPECT_EQ(ReadBytes(dir / "Io2003.usr"), yearFileBytes(model[2003]));
    EXPECT_EQ(ReadBytes(dir / "Inf2003.usr"), infFileBytes(model[2003]));
}

TEST_F(BlockTest, ABlockEndingEarlyCarriesItsBalanceThroughLaterYears) {
    for (int m = 2; m <= 12; ++m)
        model[2003].months[m - 1].lines = monthLines(2003, m, 3);
    model[2004]; // a year without lines: information file only
    model[2005].months[6].lines = monthLines(2005, 7, 4);
    // Both amounts filled: carried by the same rule as inside a block (the income only), so a
    // line's balance does not depend on which block was saved last.
    model[2005].months[6].lines[1].inc = 700;
    recomputeModel(model);
    writeModel(dir.path(), model);
    LedgerState st = loadAt(2003, 2, 2);
    EXPECT_EQ(st.BlockPos, kBlockMiddle);
    st.block[2].Expense += 250;
    for (size_t i = 1; i < st.block.size(); ++i)
        st.block[i].Balance = st.block[i - 1].Balance - st.block[i].Expense;
    save(st);
    model[2003].months[1].lines[2].exp += 250;
    recomputeModel(model);
    expectFiles();
    EXPECT_EQ(st.index.BlockEndBalance, st.block.back().Balance);
}

TEST_F(BlockTest, ALineInANewYearAfterAGapCreatesInformationFilesOnly) {
    model[2003].months[10].lines = monthLines(2003, 11, 2);
    LedgerState st = open(3);
    st.block.push_back(toRecord(Line{2005, 3, 4, "給与", "", "", 5000, 0, st.block.back().Balance + 5000}));
    save(st);
    model[2004];
    model[2005].months[2].lines = {Line{2005, 3, 4, "給与", "", "", 5000, 0, 0}};
    recomputeModel(model);
    expectFiles();
    EXPECT_FALSE(std::filesystem::exists(dir / "Io2004.usr"));
    EXPECT_EQ(st.index.LastYear, 2005);
    EXPECT_EQ(st.index.LastDay, 4);
    EXPECT_EQ(st.index.YearCount, 3);
    EXPECT_EQ(st.BlockPos, kBlockWhole);
}

TEST_F(BlockTest, TheFirstSaveOfAnEmptyLedgerSetsItsDates) {
    LedgerState st = stateFor(dir.path());
    ASSERT_EQ(ScanLedgerYears(st, dlg), 0);
    ASSERT_EQ(LoadStartBlock(st, dlg), 0);
    st.block = {toRecord(Line{2010, 6, 15, "初期残高", "", "", 0, 0, 30000})};
    save(st);
    model.clear();
    model[2010].months[5].lines = {Line{2010, 6, 15, "初期残高", "", "", 0, 0, 30000}};
    expectFiles();
    EXPECT_EQ(st.index.FirstYear, 2010);
    EXPECT_EQ(st.index.FirstDay, 15);
    EXPECT_EQ(st.index.LastMonth, 6);
}

TEST_F(BlockTest, AFailedWriteChangesNoFileAndKeepsTheBlockModified) {
    model[2003].months[1].lines = monthLines(2003, 2, 3);
    model[2004].months[1].lines = monthLines(2004, 2, 3);
    LedgerState st = open(3);
    LedgerState before = st;
    st.block.back().Expense = 1;
    st.block.push_back(toRecord(Line{2004, 3, 1, "x", "", "", 0, 5, 0}));
    for (int64_t failAt : {int64_t{0}, int64_t{2 * 648000 + 50}}) {
        SCOPED_TRACE(failAt);
        if (failAt == 0)
            dlg.expectBox(MsgResult::OK).expectMessage("空き容量が足りません (No space");
        else
            dlg.expectBox(MsgResult::OK).expectMessage("入出金情報ファイルの書込みに失敗しました。");
        test::FailWritesAfter(failAt);
        st.LedgerModified = true;
        EXPECT_EQ(SaveLedgerBlock(st, dlg), -1);
        test::FailWritesAfter(-1);
        EXPECT_TRUE(st.LedgerModified);
        EXPECT_EQ(st.index.TotalLines, before.index.TotalLines);
        expectFiles();
    }
    EXPECT_EQ(dlg.transcript()[0].title, "入出金ファイル書込みエラー");
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(e.path().extension(), ".usr") << e.path();
}

TEST_F(BlockTest, ALineForAMonthHoldingLinesBeyondTheBlockIsRefused) {
    for (int m = 2; m <= 6; ++m)
        model[2003].months[m - 1].lines = monthLines(2003, m, 2);
    recomputeModel(model);
    writeModel(dir.path(), model);
    LedgerState st = loadAt(2003, 2, 2);
    st.block.push_back(toRecord(Line{2003, 5, 9, "x", "", "", 0, 5, 0}));
    dlg.expectBox(MsgResult::OK).expectMessage("2003/04");
    st.LedgerModified = true;
    EXPECT_EQ(SaveLedgerBlock(st, dlg), -1);
    expectFiles();
}

TEST_F(BlockTest, ALineMovedBeforeTheBlockIntoAMonthHoldingLinesIsRefused) {
    // Writing February from the block alone would drop the two February lines it never loaded.
    for (int m = 2; m <= 6; ++m)
        model[2003].months[m - 1].lines = monthLines(2003, m, 2);
    recomputeModel(model);
    writeModel(dir.path(), model);
    LedgerState st = loadAt(2003, 4, 2);
    st.block[0].Month = 2;
    st.block[0].Day = 20;
    dlg.expectBox(MsgResult::OK).expectMessage("2003/02");
    st.LedgerModified = true;
    EXPECT_EQ(SaveLedgerBlock(st, dlg), -1);
    EXPECT_TRUE(st.LedgerModified);
    expectFiles();
}

TEST_F(BlockTest, ADateBeyondFiftyYearsIsRefused) {
    LedgerState st = open(3);
    st.block.push_back(toRecord(Line{2053, 1, 1, "x", "", "", 0, 5, 0}));
    dlg.expectBox(MsgResult::OK).expectMessage("50年間");
    st.LedgerModified = true;
    EXPECT_EQ(SaveLedgerBlock(st, dlg), -1);
    expectFiles();
}

TEST_F(BlockTest, ReReadBlockMovesByMonthsWithLines) {
    for (int m : {2, 3, 5, 6})
        model[2003].months[m - 1].lines = monthLines(2003, m, 1);
    LedgerState st = open(2);
    auto start = [&] { return st.index.BlockStartYear * 100 + st.index.BlockStartMonth; };
    EXPECT_EQ(start(), 200305);
    ASSERT_EQ(ReReadBlock(st, -1, 0, 0, dlg), 0); // April is empty: back to March
    EXPECT_EQ(start(), 200303);
    EXPECT_EQ(st.LedgerLineCount(), 2); // March and May
    EXPECT_EQ(st.index.BlockSpan, 3);
    ASSERT_EQ(ReReadBlock(st, -1, 0, 0, dlg), 0);
    ASSERT_EQ(ReReadBlock(st, -1, 0, 0, dlg), 0);
    ASSERT_EQ(ReReadBlock(st, -1, 0, 0, dlg), 0); // stays at the first month
    EXPECT_EQ(start(), 200301);
    EXPECT_EQ(st.BlockPos, kBlockOldest);
    ASSERT_EQ(ReReadBlock(st, 0, 2003, 5, dlg), 0); // ends at May: starts at April → March
    EXPECT_EQ(start(), 200303);
    ASSERT_EQ(ReReadBlock(st, 1, 0, 0, dlg), 0); // April empty → May
    EXPECT_EQ(start(), 200305);
    EXPECT_EQ(st.BlockPos, kBlockNewest);
    ASSERT_EQ(ReReadBlock(st, 0, 2003, 2, dlg), 0);
    EXPECT_EQ(start(), 200301);
    ASSERT_EQ(ReReadBlock(st, 0, 2004, 1, dlg), 0); // after the last month: the newest block
    EXPECT_EQ(start(), 200305);
    ASSERT_EQ(ReReadBlock(st, 1, 0, 0, dlg), 0);
    EXPECT_EQ(start(), 200305);
}

TEST_F(BlockTest, ReReadBlockSavesAModifiedBlockFirst) {
    model[2003].months[1].lines = monthLines(2003, 2, 2);
    model[2003].months[2].lines = monthLines(2003, 3, 2);
    LedgerState st = open(2);
    st.block.back().Expense = 42;
    st.block.back().Balance = st.block[st.block.size() - 2].Balance - 42;
    st.LedgerModified = true;
    ASSERT_EQ(ReReadBlock(st, -1, 0, 0, dlg), 0);
    EXPECT_FALSE(st.LedgerModified);
    model[2003].months[2].lines.back().exp = 42;
    recomputeModel(model);
    expectFiles();
}

TEST_F(BlockTest, ForcedSaveTellsWhatItDid) {
    LedgerState st = open(2);
    EXPECT_EQ(ForcedSave(st, dlg, true), 0);
    EXPECT_TRUE(dlg.saw("MsgOn", "すでに最終データが書込まれています。"));
    st.LedgerModified = true;
    EXPECT_EQ(ForcedSave(st, dlg, true), 0);
    EXPECT_TRUE(dlg.saw("MsgOn", "完了しました。"));
    EXPECT_EQ(dlg.count("WaitSeconds"), 2);
    EXPECT_FALSE(st.LedgerModified);
}

TEST_F(BlockTest, TheScanTakesTheFirstAndLastDaysFromTheLinesAsAMonthLoadReadsThem) {
    model.clear();
    model[2003].months[2].lines = monthLines(2003, 3, 4);
    model[2003].months[2].lines[0].d = 20; // out of order: the first line, not the smallest day
    model[2003].months[2].lines[0].item = "食費";
    model[2003].months[8].lines = monthLines(2003, 9, 2);
    model[2004].months[6].lines = monthLines(2004, 7, 5, 250);
    model[2004].months[6].lines[4].d = 3;
    model[2004].months[6].lines[4].shop = "ｽｰﾊﾟｰ";
    recomputeModel(model);
    writeModel(dir.path(), model);
    LedgerState st = stateFor(dir.path());
    ASSERT_EQ(ScanLedgerYears(st, dlg), 0);
    EXPECT_EQ(st.index.FirstDay, 20);
    EXPECT_EQ(st.index.LastDay, 3);
    EXPECT_EQ(st.index.BlockStartYear, 0);
    EXPECT_EQ(st.index.BlockSpan, 1);

    // The same lines as loading each of the two months whole.
    for (auto [y, m] : {std::pair{2003, 3}, std::pair{2004, 7}}) {
        LedgerState load = st;
        load.index.BlockStartYear = y;
        load.index.BlockStartMonth = m;
        load.index.BlockSpan = 1;
        std::vector<IoRecord> lines;
        ASSERT_EQ(LoadLedgerBlock(load, lines, true, dlg), 0);
        ASSERT_FALSE(lines.empty());
        if (y == 2003) EXPECT_EQ(lines.front().Day, st.index.FirstDay);
        if (y == 2004) {
            EXPECT_EQ(lines.back().Day, st.index.LastDay);
            EXPECT_EQ(lines.back().Balance, st.index.BlockEndBalance);
        }
    }
}

TEST_F(BlockTest, AMarkerInTheFirstMonthIsRefusedByTheBlockThatHoldsIt) {
    model.clear();
    model[2003].months[1].lines = monthLines(2003, 2, 3);
    model[2003].months[1].lines[2].y = 8888;
    model[2004].months[4].lines = monthLines(2004, 5, 2);
    recomputeModel(model);
    writeModel(dir.path(), model);
    LedgerState st = stateFor(dir.path());
    // The scan takes the first day from the first line alone.
    ASSERT_EQ(ScanLedgerYears(st, dlg), 0);
    EXPECT_EQ(st.index.FirstDay, 1);
    st.index.BlockStartYear = 2003;
    st.index.BlockStartMonth = 2;
    st.index.BlockSpan = 3;
    dlg.expectBox(MsgResult::OK).expectMessage("入出金ﾃﾞｰﾀの中に[2003]の異常なﾃﾞｰﾀがあります。");
    EXPECT_EQ(LoadLedgerBlock(st, st.block, false, dlg), -1);
    EXPECT_TRUE(st.block.empty());
    EXPECT_NE(st.ReadFailure.find("2月 3行目"), std::string::npos);
    LedgerIndex names;
    names.SetDataFolder(dir.path());
    std::vector<std::string> found = CheckLedgerFiles(names);
    ASSERT_FALSE(found.empty());
    EXPECT_NE(found[0].find("2月: 3行目"), std::string::npos) << found[0];
}

TEST_F(BlockTest, ADamagedFirstOrLastLineIsRefusedAtTheScan) {
    for (bool first : {true, false}) {
        SCOPED_TRACE(first ? "first line" : "last line");
        model.clear();
        model[2003].months[1].lines = monthLines(2003, 2, 3);
        model[2004].months[4].lines = monthLines(2004, 5, 2);
        (first ? model[2003].months[1].lines.front() : model[2004].months[4].lines.back()).d = 32;
        recomputeModel(model);
        writeModel(dir.path(), model);
        LedgerState st = stateFor(dir.path());
        dlg.expectBox(MsgResult::OK).expectMessage(first ? "入出金ﾃﾞｰﾀの中に[2003]の異常なﾃﾞｰﾀがあります。"
                                                         : "入出金ﾃﾞｰﾀの中に[2004]の異常なﾃﾞｰﾀがあります。");
        dlg.expect("MsgOK").expectMessage("入出金ﾃﾞｰﾀの読込みに失敗しました。");
        EXPECT_EQ(ScanLedgerYears(st, dlg), -1);
        EXPECT_NE(st.ReadFailure.find(first ? "2月 1行目" : "5月 2行目"), std::string::npos) << st.ReadFailure;
        dlg.VerifyDone();
    }
}

} // namespace
} // namespace mrt::test
