// Ledger record codecs, year and information files, file names and the scan of the data folder.
#include "ledger/IoRecord.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerFiles.h"
#include "ledger/LedgerSave.h"
#include "support/FaultFs.h"
#include "support/ScriptedDialogs.h"
#include "test_ledger_fixture.h"
#include "util/FileBatch.h"
#include "util/Paths.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace mrt::test {
namespace {

TEST(IoRecordCodec, LayoutIsFieldByFieldLittleEndian) {
    Line l{2003, 4, 15, "食費", "パンと牛乳", "スーパー", 0, 1234, -56789};
    std::string bytes(kIoRecordSize, '\0');
    EncodeIoRecord(toRecord(l), bytes.data());
    EXPECT_EQ(bytes, lineBytes(l));
    EXPECT_EQ(toLine(DecodeIoRecord(bytes.data())), l);

    Line big{2050, 12, 31, "給与", "", "", 99999999, 0, 2147483647};
    EncodeIoRecord(toRecord(big), bytes.data());
    EXPECT_EQ(bytes, lineBytes(big));
    EXPECT_EQ(EncodedIncome(bytes.data()), 99999999);
    PatchEncodedBalance(bytes.data(), -1);
    EXPECT_EQ(DecodeIoRecord(bytes.data()).Balance, -1);
    EXPECT_EQ(bytes.substr(104), std::string(4, '\xFF'));
}

TEST(IoRecordCodec, TextsAreCutToTheirByteWidthOnCharacterBoundaries) {
    IoRecord r;
    r.ItemName = "aあいうえおかきくけこ";  // 21 bytes: the cut falls inside "こ"
    r.Note = std::string(45, 'n');
    r.ShopName = "店";
    std::string bytes(kIoRecordSize, '\0');
    EncodeIoRecord(r, bytes.data());
    EXPECT_EQ(bytes.substr(6, 20), field("aあいうえおかきくけ", 20));  // the half character became a blank
    EXPECT_EQ(bytes.substr(26, 40), std::string(40, 'n'));
    IoRecord back = DecodeIoRecord(bytes.data());
    EXPECT_EQ(back.ItemName, "aあいうえおかきくけ");
    EXPECT_EQ(back.Note, std::string(40, 'n'));
    EXPECT_EQ(back.ShopName, "店");
}

TEST(IoRecordCodec, AFieldWrittenElsewhereEndingInALeadByteReadsUpToTheCut) {
    std::string bytes = lineBytes(Line{2003, 1, 2, "", "", "", 0, 0, 0});
    std::string sjis;
    ToCp932("あいうえおかきくけ", sjis);  // 18 bytes
    bytes.replace(6, 20, sjis + "x" + std::string("\x82", 1));  // the 20th byte opens a character
    EXPECT_EQ(DecodeIoRecord(bytes.data()).ItemName, "あいうえおかきくけx");
}

TEST(InfRecordCodec, ReservedBytesAreWrittenZeroAndIgnored) {
    std::string bytes(kInfRecordSize, 'x');
    EncodeInfRecord(InfRecord{612, 37}, bytes.data());
    EXPECT_EQ(bytes, le16(612) + le16(37) + std::string(6, '\0'));
    bytes.replace(4, 6, "abcdef");
    EXPECT_EQ(DecodeInfRecord(bytes.data()), (InfRecord{612, 37}));
}

TEST(YearFiles, InitYearFileHasTwelveRegionsOf500Slots) {
    LedgerIndex idx;
    idx.FirstYear = 2003;
    idx.Inf(1, 4) = InfRecord{700, 12};
    idx.YearLines[0] = 12;
    YearFile f;
    InitYearFile(idx, 1, f);
    EXPECT_EQ(f.bytes.size(), 648000u);
    EXPECT_EQ(f.bytes, yearFileBytes(YearSpec{}));
    EXPECT_EQ(idx.Inf(1, 4), InfRecord{});
    EXPECT_EQ(idx.YearLines[0], 0);
    std::array<int, 13> ms = MonthStartTable(idx, 1);
    EXPECT_EQ(ms[0], 0);
    EXPECT_EQ(ms[3], 1500);
    EXPECT_EQ(ms[12], 6000);
}

TEST(YearFiles, FillRegionAndSlotsBeyondTheEnd) {
    YearFile f;
    FillRegion(f, 1, 3);
    EXPECT_EQ(f.bytes, markerBytes(8888) + markerBytes(8888) + markerBytes(9999));
    IoRecord r;
    EXPECT_TRUE(ReadIoRecord(f, 3, r));
    EXPECT_FALSE(ReadIoRecord(f, 4, r));
    EXPECT_FALSE(ReadIoRecord(f, 0, r));
    WriteIoRecord(f, 5, toRecord(Line{2003, 1, 1, "x", "", "", 1, 0, 1}));
    EXPECT_EQ(f.RecordCount(), 5);
}

// A partial record at the end is a cut-off write: the file is refused rather than read short.
TEST(YearFiles, ALengthThatIsNotAMultipleOf108IsRefused) {
    TempDir dir;
    LedgerModel model;
    model[2003].months[0].lines = {Line{2003, 1, 1, "初期残高", "", "", 0, 0, 5000}};
    writeModel(dir.path(), model);
    std::string path = dir / "Io2003.usr";
    LedgerIndex idx;
    idx.SetDataFolder(dir.path());
    ScriptedDialogs dlg;
    YearFile f;
    EXPECT_EQ(OpenIoFile(idx, 2003, dlg, f), 6000);
    EXPECT_TRUE(f.existed);
    WriteBytes(path, ReadBytes(path) + "tail");
    EXPECT_EQ(OpenIoFile(idx, 2003, dlg, f), -1);
    EXPECT_EQ(f.error, "Io2003.usr: 長さ 648004 バイトが108バイトの記録の整数倍ではありません");
    EXPECT_TRUE(f.bytes.empty());
    EXPECT_EQ(OpenIoFile(idx, 2004, dlg, f), 0);  // missing: an empty image, nothing created
    EXPECT_FALSE(f.existed);
    EXPECT_FALSE(std::filesystem::exists(dir / "Io2004.usr"));
}

TEST(InfFiles, ReadWriteMissingAndImpossible) {
    TempDir dir;
    LedgerIndex idx;
    idx.SetDataFolder(dir.path());
    idx.FirstYear = 2010;
    EXPECT_EQ(ReadInfFile(idx, 1), 1);
    std::string bytes = le16(600) + le16(3) + std::string(6, 'r') + le16(500) + le16(2) + std::string(6, '\0');
    for (int m = 3; m <= 12; ++m)
        bytes += le16(500) + le16(m == 5 ? 4 : 0) + std::string(6, '\0');
    WriteBytes(dir / "Inf2010.usr", bytes);
    ASSERT_EQ(ReadInfFile(idx, 1), 0);
    EXPECT_EQ(idx.Inf(1, 1), (InfRecord{600, 3}));
    EXPECT_EQ(idx.Inf(1, 2), (InfRecord{500, 2}));
    EXPECT_EQ(idx.Inf(1, 5), (InfRecord{500, 4}));

    ScriptedDialogs dlg;
    ASSERT_EQ(WriteInfFile(idx, 1, dlg), 0);
    bytes.replace(4, 6, std::string(6, '\0')); // reserved bytes are written as zeros
    EXPECT_EQ(ReadBytes(dir / "Inf2010.usr"), bytes);

    std::string why;
    WriteBytes(dir / "Inf2010.usr", bytes.substr(0, 110) + le16(500) + le16(500) + std::string(6, '\0'));
    EXPECT_EQ(ReadInfFile(idx, 1, &why), -1); // LineCount above Capacity - 1
    EXPECT_EQ(why, "Inf2010.usr: 12月の行数 500 が容量 500 に合いません");
    EXPECT_EQ(idx.Inf(1, 12), InfRecord{}); // the index is left as it was
}

// A short or long information file is refused: read as empty months, a short one would let the
// next save write those months over their lines.
TEST(InfFiles, AnythingButTwelveRecordsIsRefused) {
    TempDir dir;
    LedgerIndex idx;
    idx.SetDataFolder(dir.path());
    idx.FirstYear = 2024;
    std::string full = infFileBytes(YearSpec{});
    for (size_t size : {size_t{0}, size_t{60}, size_t{119}, size_t{121}, size_t{240}}) {
        std::string bytes = full;
        bytes.resize(size, '\0');
        WriteBytes(dir / "Inf2024.usr", bytes);
        std::string why;
        EXPECT_EQ(ReadInfFile(idx, 1, &why), -1) << size;
        EXPECT_EQ(why, "Inf2024.usr: 長さ " + std::to_string(size) + " バイトが12か月分の 120 バイトではありません");
    }
    WriteBytes(dir / "Inf2024.usr", full);
    EXPECT_EQ(ReadInfFile(idx, 1), 0);
}

TEST(InfFiles, AFailedWriteShowsItsMessageAndLeavesTheFile) {
    TempDir dir;
    LedgerIndex idx;
    idx.SetDataFolder(dir.path() + "/missing-folder");
    idx.FirstYear = 2010;
    ScriptedDialogs dlg;
    dlg.expectBox(MsgResult::OK).expectMessage("入出金情報ファイルの書込みに失敗しました。");
    EXPECT_EQ(WriteInfFile(idx, 1, dlg), -1);
    EXPECT_EQ(dlg.transcript().back().title, "入出金情報ファイルの書込み");
}

TEST(FileBatchTest, NothingChangesUntilCommitAndAFailureKeepsTheOldFiles) {
    TempDir dir;
    WriteBytes(dir / "a", "old-a");
    WriteBytes(dir / "b", "old-b");
    std::string error;
    {
        FileBatch batch;
        ASSERT_TRUE(batch.Stage(dir / "a", "new-a", error));
        EXPECT_EQ(ReadBytes(dir / "a"), "old-a");
        test::FailWritesAfter(3);
        EXPECT_FALSE(batch.Stage(dir / "b", "new-b", error));
        test::FailWritesAfter(-1);
        EXPECT_FALSE(error.empty());
    }  // dropped without commit
    EXPECT_EQ(ReadBytes(dir / "a"), "old-a");
    EXPECT_EQ(ReadBytes(dir / "b"), "old-b");
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_FALSE(IsTempFileName(e.path().filename().string())) << e.path();
    FileBatch batch;
    ASSERT_TRUE(batch.Stage(dir / "a", "new-a", error));
    ASSERT_TRUE(batch.Stage(dir / "b", "new-b", error));
    ASSERT_TRUE(batch.Commit(error));
    EXPECT_EQ(ReadBytes(dir / "a") + ReadBytes(dir / "b"), "new-anew-b");
}

class ScanTest : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedDialogs dlg;
};

TEST_F(ScanTest, AnEmptyFolderIsAnEmptyLedger) {
    LedgerState st = stateFor(dir.path());
    EXPECT_EQ(ScanLedgerYears(st, dlg), 0);
    EXPECT_EQ(st.index.YearCount, 0);
    EXPECT_EQ(st.index.TotalLines, 0);
    EXPECT_EQ(LoadStartBlock(st, dlg), 0);
    EXPECT_EQ(st.BlockPos, kBlockWhole);
    EXPECT_TRUE(st.block.empty());
}

TEST_F(ScanTest, DatesCountsAndAGapYearReadAsEmptyWithoutWritingAnything) {
    LedgerModel model;
    model[2003].months[2].lines = {Line{2003, 3, 9, "初期残高", "", "", 0, 0, 1000}};
    model[2003].months[6].lines = monthLines(2003, 7, 4);
    model[2005].months[1].capacity = 640;
    model[2005].months[1].lines = monthLines(2005, 2, 3);
    model[2005].months[1].lines.back().d = 27;
    recomputeModel(model);
    writeModel(dir.path(), model);
    WriteBytes(dir / "Inf2001.usr", infFileBytes(YearSpec{}));  // an empty year before the ledger

    LedgerState st = stateFor(dir.path());
    ASSERT_EQ(ScanLedgerYears(st, dlg), 0);
    const LedgerIndex& idx = st.index;
    EXPECT_EQ(idx.FirstYear, 2003);
    EXPECT_EQ(idx.FirstMonth, 3);
    EXPECT_EQ(idx.FirstDay, 9);
    EXPECT_EQ(idx.LastYear, 2005);
    EXPECT_EQ(idx.LastMonth, 2);
    EXPECT_EQ(idx.LastDay, 27);
    EXPECT_EQ(idx.YearCount, 3);
    EXPECT_EQ(idx.TotalLines, 8);
    EXPECT_EQ(idx.YearLines[0], 5);
    EXPECT_EQ(idx.YearLines[1], 0);
    EXPECT_EQ(idx.Inf(3, 2), (InfRecord{640, 3}));
    EXPECT_EQ(idx.Inf(2, 7), (InfRecord{500, 0}));
    // Reading writes nothing; the next save gives the gap year its information file.
    EXPECT_FALSE(std::filesystem::exists(dir / "Inf2004.usr"));
    ASSERT_EQ(LoadStartBlock(st, dlg), 0);
    st.block.back().Expense += 1;
    st.block.back().Balance -= 1;
    st.LedgerModified = true;
    ASSERT_EQ(SaveLedgerBlock(st, dlg), 0);
    EXPECT_EQ(ReadBytes(dir / "Inf2004.usr"), infFileBytes(YearSpec{}));
    EXPECT_FALSE(std::filesystem::exists(dir / "Io2004.usr"));
}

TEST_F(ScanTest, FileNamesAreFoundWithoutRegardToCaseAndKeptOnSave) {
    LedgerModel model;
    model[2003].months[0].lines = {Line{2003, 1, 1, "初期残高", "", "", 0, 0, 1000}};
    std::string ys = yearFileBytes(model[2003]);
    WriteBytes(dir / "io2003.USR", ys);
    WriteBytes(dir / "INF2003.usr", infFileBytes(model[2003]));
    LedgerState st = stateFor(dir.path());
    ASSERT_EQ(ScanLedgerYears(st, dlg), 0);
    ASSERT_EQ(LoadStartBlock(st, dlg), 0);
    ASSERT_EQ(st.block.size(), 1u);
    st.block[0].Balance = 2000;
    st.LedgerModified = true;
    ASSERT_EQ(SaveLedgerBlock(st, dlg), 0);
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"INF2003.usr", "io2003.USR"}));
    model[2003].months[0].lines[0].bal = 2000;
    EXPECT_EQ(ReadBytes(dir / "io2003.USR"), yearFileBytes(model[2003]));
}

TEST_F(ScanTest, ImpossibleCountsAreAReadError) {
    WriteBytes(dir / "Inf2003.usr", le16(500) + le16(-3) + std::string(6, '\0'));
    LedgerState st = stateFor(dir.path());
    dlg.expect("MsgOK").expectMessage("入出金ﾃﾞｰﾀの読込みに失敗しました。");
    EXPECT_EQ(ScanLedgerYears(st, dlg), -1);
}

TEST_F(ScanTest, AYearThatCountsLinesButHasNoYearFileIsAReadError) {
    LedgerModel model;
    model[2003].months[0].lines = {Line{2003, 1, 1, "初期残高", "", "", 0, 0, 1000}};
    WriteBytes(dir / "Inf2003.usr", infFileBytes(model[2003]));
    LedgerState st = stateFor(dir.path());
    dlg.expect("MsgOK").expectMessage("入出金ﾃﾞｰﾀの読込みに失敗しました。");
    EXPECT_EQ(ScanLedgerYears(st, dlg), -1);
}

} // namespace
} // namespace mrt::test
