// What the readers read: a block load, a listing, a search and the check read the lines the
// information files count (and the region ends, for the check), the scan the ledger's first and
// last lines only, never whole year files; and they still give the same lines and refuse the same
// damage. Bytes are counted by the kernel (/proc/self/io "rchar").
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerCheck.h"
#include "ledger/LedgerFiles.h"
#include "ledger/LedgerSearch.h"
#include "support/BytesRead.h"
#include "support/ScriptedDialogs.h"
#include "test_ledger_fixture.h"

#include <gtest/gtest.h>

namespace mrt::test {
namespace {

constexpr int kFirstYear = 2011;
constexpr int kYears = 5;
constexpr int kPerMonth = 40;
constexpr int64_t kLineBytes = kPerMonth * kIoRecordSize;   // one month's lines
constexpr int64_t kYearFileBytes = 12 * 500 * kIoRecordSize; // a whole year file
// Room for what else a call may read besides the year files (information files, listings).
constexpr int64_t kSlack = 4096;

// Bytes read while `f` runs.
template <typename F>
int64_t bytesReadBy(F&& f) {
    const int64_t before = BytesReadSoFar();
    f();
    const int64_t after = BytesReadSoFar();
    return before < 0 || after < 0 ? -1 : after - before;
}

class ReadAmounts : public ::testing::Test {
protected:
    void SetUp() override {
        if (BytesReadSoFar() < 0) GTEST_SKIP() << "no /proc/self/io here";
        for (int y = kFirstYear; y < kFirstYear + kYears; ++y)
            for (int m = 1; m <= 12; ++m) {
                std::vector<Line> lines = monthLines(y, m, kPerMonth, 100, m * 100);
                if (m % 3 == 0) lines[5].shop = "駅前書店";
                model[y].months[m - 1].lines = lines;
            }
        model[kFirstYear].months[0].lines[0] = Line{kFirstYear, 1, 1, "初期残高", "", "", 5000000, 0, 5000000};
        recomputeModel(model);
        writeModel(dir.path(), model);
        st = stateFor(dir.path(), 3, 1000);
        ASSERT_EQ(ScanLedgerYears(st, dlg), 0);
    }

    TempDir dir;
    ScriptedDialogs dlg;
    LedgerModel model;
    LedgerState st;
};

TEST_F(ReadAmounts, ABlockLoadReadsItsMonthsLinesOnly) {
    std::vector<IoRecord> block;
    st.index.BlockStartYear = 2013;
    st.index.BlockStartMonth = 11; // across a year end: two year files are opened
    st.index.BlockSpan = 3;
    const int64_t read = bytesReadBy([&] { ASSERT_EQ(LoadLedgerBlock(st, block, false, dlg), 0); });
    EXPECT_GE(read, 3 * kLineBytes);
    EXPECT_LE(read, 3 * kLineBytes + kSlack);
    ASSERT_EQ(block.size(), 3u * kPerMonth);
    EXPECT_EQ(toLine(block.front()), model[2013].months[10].lines.front());
    EXPECT_EQ(toLine(block.back()), model[2014].months[0].lines.back());
}

TEST_F(ReadAmounts, TheScanReadsTheInformationFilesAndTwoLines) {
    LedgerState fresh = stateFor(dir.path(), 3, 1000);
    const int64_t read = bytesReadBy([&] { ASSERT_EQ(ScanLedgerYears(fresh, dlg), 0); });
    EXPECT_LE(read, kYears * 12 * kInfRecordSize + 2 * kIoRecordSize + kSlack);
    EXPECT_EQ(fresh.index.FirstDay, 1);
    EXPECT_EQ(fresh.index.LastDay, model[kFirstYear + kYears - 1].months[11].lines.back().d);
}

TEST_F(ReadAmounts, AListingAndTheCheckReadTheLinesNotTheFillers) {
    const int64_t allLines = kYears * 12 * kLineBytes;
    std::vector<Line> seen;
    int64_t read = bytesReadBy([&] {
        ASSERT_EQ(ForEachLedgerLine(st.index, dlg, [&](const IoRecord& r) {
                      seen.push_back(toLine(r));
                      return true;
                  }),
                  0);
    });
    EXPECT_EQ(seen, modelLines(model));
    EXPECT_LE(read, allLines + kSlack);
    EXPECT_LT(read, kYears * kYearFileBytes / 2);

    std::vector<std::string> problems;
    read = bytesReadBy([&] { problems = CheckLedgerFiles(st.index); });
    EXPECT_EQ(problems, std::vector<std::string>{});
    EXPECT_LE(read, allLines + kYears * 12 * kIoRecordSize + kYears * 12 * kInfRecordSize + kSlack);
}

TEST_F(ReadAmounts, ASearchReadsOnlyTheMonthsOfItsDates) {
    SearchResult r;
    const int64_t read = bytesReadBy([&] {
        SearchQuery q;
        q.text = "書店";
        q.fromDate = 20130201;
        q.toDate = 20130430;
        ASSERT_EQ(SearchLedger(st.index, q, r), 0);
    });
    EXPECT_EQ(r.total, 1); // March only
    EXPECT_LE(read, 3 * kLineBytes + kSlack);
}

TEST_F(ReadAmounts, DamageInTheLinesReadIsStillRefused) {
    // A stray lead byte in a note of the newest block's last month.
    std::string bytes = ReadBytes(dir / "Io2015.usr");
    const size_t slot = static_cast<size_t>(11 * 500 + kPerMonth - 1);
    bytes[slot * kIoRecordSize + 6 + 20] = '\x81';
    bytes[slot * kIoRecordSize + 6 + 21] = ' ';
    ASSERT_TRUE(WriteBytes(dir / "Io2015.usr", bytes));
    LedgerState fresh = stateFor(dir.path(), 3, 1000);
    dlg.expectBox(MsgResult::OK);
    dlg.expect("MsgOK");
    EXPECT_EQ(ScanLedgerYears(fresh, dlg), -1);
    EXPECT_NE(fresh.ReadFailure.find("Io2015.usr 12月 40行目"), std::string::npos) << fresh.ReadFailure;
    EXPECT_TRUE(dlg.saw("MsgBox", "内訳・備考の文字が異常です"));
    std::vector<IoRecord> block;
    dlg.expectBox(MsgResult::OK);
    st.index.BlockStartYear = 2015;
    st.index.BlockStartMonth = 10;
    st.index.BlockSpan = 3;
    EXPECT_EQ(LoadLedgerBlock(st, block, false, dlg), -1);
    EXPECT_TRUE(block.empty());
    std::vector<std::string> problems = CheckLedgerFiles(st.index);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("Io2015.usr 12月: 40行目"), std::string::npos) << problems[0];
}

TEST(IoFileReaderTest, MissingPartialAndOutOfRangeReads) {
    TempDir dir;
    ScriptedDialogs dlg;
    LedgerIndex idx;
    idx.SetDataFolder(dir.path());
    IoFileReader reader;
    EXPECT_EQ(reader.Open(idx, 2020, dlg), 0);
    EXPECT_FALSE(reader.Existed());

    ASSERT_TRUE(WriteBytes(dir / "Io2020.usr", std::string(3 * kIoRecordSize + 7, 'x')));
    EXPECT_EQ(reader.Open(idx, 2020, dlg), -1);
    EXPECT_NE(reader.Error().find("Io2020.usr"), std::string::npos);
    // The check opens it anyway and counts the whole records.
    ASSERT_EQ(reader.OpenPath(IoFileName(idx, 2020), false), 0);
    EXPECT_EQ(reader.RecordCount(), 3);
    EXPECT_EQ(reader.Size(), 3u * kIoRecordSize + 7);

    ByteBuffer out;
    out.append("left over");
    EXPECT_TRUE(reader.Read(2, 2, out));
    EXPECT_EQ(out.size(), 2u * kIoRecordSize);
    EXPECT_TRUE(reader.Read(4, 0, out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(reader.Read(3, 2, out)); // the fourth record is not whole
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(reader.Read(0, 1, out));
    EXPECT_NE(reader.Error().find("Io2020.usr"), std::string::npos);
}

} // namespace
} // namespace mrt::test
