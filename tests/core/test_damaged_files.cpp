// Damaged data files are refused by their loaders and never written over: the ledger's
// information and year files, its lines, the name tables; the tool names the file and exits 1.
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerCheck.h"
#include "ledger/LedgerFiles.h"
#include "ledger/LedgerSave.h"
#include "names/NameTables.h"
#include "support/RunTool.h"
#include "support/ScriptedDialogs.h"
#include "test_ledger_fixture.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace mrt::test {
namespace {

namespace fs = std::filesystem;

// File name → bytes of every file in a folder (not recursive).
std::map<std::string, std::string> snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_regular_file()) files[e.path().filename().string()] = ReadBytes(e.path().string());
    return files;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The initial-balance line on 2023-12-20 and one expense line in every month of 2024.
LedgerModel twoYears() {
    LedgerModel model;
    model[2023].months[11].lines = {Line{2023, 12, 20, "初期残高", "", "", 0, 0, 100000}};
    for (int m = 1; m <= 12; ++m)
        model[2024].months[m - 1].lines = {Line{2024, m, 10, "食費", "", "", 0, 100 * m, 0}};
    recomputeModel(model);
    return model;
}

// Offset of line k (1-based) of a month in a year file whose months all have capacity 500.
size_t lineOffset(int month, int k) {
    return (static_cast<size_t>(month - 1) * 500 + (k - 1)) * kIoRecordSize;
}

class DamagedLedger : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedDialogs dlg;
    LedgerModel model = twoYears();

    void SetUp() override { writeModel(dir.path(), model); }
    // Replaces the 16-bit field at `at` of a year file.
    void patch16(int year, size_t at, int value) {
        std::string path = dir / ("Io" + std::to_string(year) + ".usr");
        std::string bytes = ReadBytes(path);
        bytes.replace(at, 2, le16(value));
        WriteBytes(path, bytes);
    }
    void patch8(int year, size_t at, int value) {
        std::string path = dir / ("Io" + std::to_string(year) + ".usr");
        std::string bytes = ReadBytes(path);
        bytes[at] = static_cast<char>(value);
        WriteBytes(path, bytes);
    }
    void patch32(int year, size_t at, int32_t value) {
        std::string path = dir / ("Io" + std::to_string(year) + ".usr");
        std::string bytes = ReadBytes(path);
        bytes.replace(at, 4, le32(value));
        WriteBytes(path, bytes);
    }
    // Scans and loads the newest block; the result of the first step that fails.
    int open(LedgerState& st) {
        int r = ScanLedgerYears(st, dlg);
        return r != 0 ? r : LoadStartBlock(st, dlg);
    }
};

TEST_F(DamagedLedger, ShortOrEmptyInformationFilesAreRefusedByTheScan) {
    for (size_t size : {size_t{0}, size_t{60}}) {
        std::string bytes = infFileBytes(model[2024]);
        WriteBytes(dir / "Inf2024.usr", bytes.substr(0, size));
        LedgerState st = stateFor(dir.path());
        dlg.expect("MsgOK").expectMessage("入出金ﾃﾞｰﾀの読込みに失敗しました。\r\nInf2024.usr: 長さ " +
                                          std::to_string(size) + " バイト");
        EXPECT_EQ(ScanLedgerYears(st, dlg), -1);
        dlg.VerifyDone();
    }
}

// Each kind of impossible line is refused by the block loader with its file, month and line, so a
// block holding it is never shown, saved or counted.
TEST_F(DamagedLedger, ImpossibleLinesAreRefusedByTheBlockLoader) {
    struct Case {
        size_t at;
        int bytes;
        int32_t value;
        std::string why;
    } cases[] = {
        {lineOffset(12, 1) + 4, 2, 32767, "Io2024.usr 12月 1行目: 日付が異常です (2024/12/32767)"},
        {lineOffset(12, 1) + 4, 2, 0, "日付が異常です (2024/12/0)"},
        {lineOffset(11, 1) + 2, 2, 13, "Io2024.usr 11月 1行目: 日付が異常です (2024/13/10)"},
        {lineOffset(11, 1) + 2, 2, 12, "日付が異常です (2024/12/10)"}, // a line in the wrong region
        {lineOffset(12, 1), 2, 8888, "日付が異常です (8888/12/10)"},   // a marker inside the count
        {lineOffset(12, 1) + 100, 4, 100000000, "金額が範囲外です (入金 0、出金 100000000)"},
        {lineOffset(12, 1) + 96, 4, -1, "金額が範囲外です (入金 -1、出金 1200)"},
        // A byte that is no CP932 would be read as a replacement character and saved as "?".
        {lineOffset(12, 1) + 26, 1, 0x80, "Io2024.usr 12月 1行目: 内訳・備考の文字が異常です"},
        {lineOffset(11, 1) + 6 + 20 + 40 + 29, 1, 0x82, ""}, // a lead byte cut at the field's end is no damage
    };
    const std::string good = ReadBytes(dir / "Io2024.usr");
    for (const Case& c : cases) {
        WriteBytes(dir / "Io2024.usr", good);
        if (c.bytes == 1)
            patch8(2024, c.at, c.value);
        else if (c.bytes == 2)
            patch16(2024, c.at, c.value);
        else
            patch32(2024, c.at, c.value);
        LedgerState st = stateFor(dir.path());
        if (c.why.empty()) {
            EXPECT_EQ(open(st), 0);
            ASSERT_EQ(st.block.size(), 3u); // October to December
            EXPECT_EQ(st.block[1].ShopName, "");
            continue;
        }
        dlg.expectBox(MsgResult::OK).expectMessage("入出金ﾃﾞｰﾀの中に[2024]の異常なﾃﾞｰﾀがあります。\r\n");
        dlg.expect("MsgOK").expectMessage(c.why);
        EXPECT_EQ(open(st), -1) << c.why;
        EXPECT_TRUE(contains(dlg.transcript()[dlg.transcript().size() - 2].message, c.why)) << c.why;
        EXPECT_TRUE(st.block.empty());
        dlg.VerifyDone();

        // The listing of the whole ledger stops at the same line.
        std::string why;
        ScriptedDialogs quiet;
        LedgerIndex idx;
        idx.SetDataFolder(dir.path());
        idx.FirstYear = 2023;
        idx.YearCount = 2;
        ASSERT_EQ(ReadInfFile(idx, 1), 0);
        ASSERT_EQ(ReadInfFile(idx, 2), 0);
        SumYearLines(idx, 1);
        SumYearLines(idx, 2);
        int visited = 0;
        EXPECT_EQ(ForEachLedgerLine(
                      idx, quiet, [&](const IoRecord&) { return ++visited, true; }, &why),
                  -1);
        EXPECT_TRUE(contains(why, c.why)) << why;
        EXPECT_LT(visited, 13);
    }
}

TEST_F(DamagedLedger, AYearFileShorterThanItsRegionsOrCutInsideARecordIsRefused) {
    const std::string good = ReadBytes(dir / "Io2024.usr");
    WriteBytes(dir / "Io2024.usr", good.substr(0, good.size() - kIoRecordSize));
    LedgerState st = stateFor(dir.path());
    dlg.expect("MsgOK").expectMessage("Io2024.usr: 5999 件の記録しかなく、入出金情報ファイルの 6000 件に足りません");
    EXPECT_EQ(ScanLedgerYears(st, dlg), -1); // the probe of the newest month reads it

    WriteBytes(dir / "Io2024.usr", good.substr(0, good.size() - 1));
    dlg.expect("MsgOK").expectMessage("Io2024.usr: 長さ 647999 バイトが108バイトの記録の整数倍ではありません");
    EXPECT_EQ(ScanLedgerYears(st, dlg), -1);
    dlg.VerifyDone();
}

// A carry of balances through later years stops at a damaged line there, and nothing is written.
TEST_F(DamagedLedger, ACarryOfBalancesThroughADamagedLaterYearWritesNothing) {
    LedgerState st = stateFor(dir.path());
    ASSERT_EQ(ScanLedgerYears(st, dlg), 0);
    st.index.BlockStartYear = 2023;
    st.index.BlockStartMonth = 12;
    st.index.BlockSpan = 1;
    ASSERT_EQ(LoadLedgerBlock(st, st.block, false, dlg), 0);
    ASSERT_EQ(st.block.size(), 1u);
    patch16(2024, lineOffset(7, 1) + 4, 32767);
    const auto before = snapshot(dir.path());
    st.block[0].Balance = 5000; // every later balance must move
    st.LedgerModified = true;
    dlg.expectBox(MsgResult::OK).expectMessage("Io2024.usr 7月 1行目: 日付が異常です (2024/7/32767)");
    EXPECT_EQ(SaveLedgerBlock(st, dlg), -1);
    EXPECT_TRUE(st.LedgerModified);
    EXPECT_EQ(snapshot(dir.path()), before);

    // The same through a later year file that lost its last record.
    patch16(2024, lineOffset(7, 1) + 4, 10);
    std::string io = ReadBytes(dir / "Io2024.usr");
    WriteBytes(dir / "Io2024.usr", io.substr(0, io.size() - kIoRecordSize));
    const auto cut = snapshot(dir.path());
    dlg.expectBox(MsgResult::OK).expectMessage("Io2024.usr: 5999 件の記録しかなく");
    EXPECT_EQ(SaveLedgerBlock(st, dlg), -1);
    EXPECT_EQ(snapshot(dir.path()), cut);
    dlg.VerifyDone();
}

// Lines that no information file counts (its file lost, or counts lost) are never written over
// by a save that reaches their year: not by a new year file, not by emptying a gap year.
TEST_F(DamagedLedger, ASaveNeverWritesOverLinesThatNoInformationFileCounts) {
    LedgerModel later;
    later[2026].months[2].lines = {Line{2026, 3, 3, "給与", "", "", 5000, 0, 9999}};
    const std::string orphan = yearFileBytes(later[2026]);
    WriteBytes(dir / "Io2026.usr", orphan); // lines of 2026 without Inf2026.usr

    auto addLine = [&](int y, int m) {
        LedgerState st = stateFor(dir.path());
        EXPECT_EQ(open(st), 0);
        IoRecord l = st.block.back();
        l.Year = static_cast<int16_t>(y);
        l.Month = static_cast<int16_t>(m);
        l.Day = 1;
        l.Expense = 1;
        l.Balance -= 1;
        st.block.push_back(l);
        st.LedgerModified = true;
        return SaveLedgerBlock(st, dlg);
    };
    auto before = snapshot(dir.path());
    dlg.expectBox(MsgResult::OK).expectMessage("Io2026.usr: 入出金情報ファイルに数えられていない行があるため");
    EXPECT_EQ(addLine(2026, 5), -1); // the year would be made anew
    EXPECT_EQ(snapshot(dir.path()), before);

    dlg.expectBox(MsgResult::OK).expectMessage("Io2026.usr 3月: 入出金情報ファイルに数えられていない行があるため");
    EXPECT_EQ(addLine(2027, 1), -1); // 2026 lies between the block's lines and would be emptied
    EXPECT_EQ(snapshot(dir.path()), before);
    dlg.VerifyDone();

    // A year file holding no line (fillers only, or empty) is made anew, the same as a missing one.
    WriteBytes(dir / "Io2026.usr", "");
    EXPECT_EQ(addLine(2026, 5), 0);
    LedgerState st = stateFor(dir.path());
    ASSERT_EQ(open(st), 0);
    EXPECT_EQ(st.index.LastYear, 2026);
    EXPECT_EQ(st.index.TotalLines, 14);
    EXPECT_EQ(ReadBytes(dir / "Io2026.usr").size(), 6000u * kIoRecordSize);
}

TEST_F(DamagedLedger, ASaveRefusesAmountsOutsideTheLedgerRange) {
    LedgerState st = stateFor(dir.path());
    ASSERT_EQ(open(st), 0);
    const auto before = snapshot(dir.path());
    st.block.back().Expense = 100000000;
    st.LedgerModified = true;
    dlg.expectBox(MsgResult::OK).expectMessage("金額が異常です。");
    EXPECT_EQ(SaveLedgerBlock(st, dlg), -1);
    EXPECT_EQ(snapshot(dir.path()), before);
}

TEST_F(DamagedLedger, CheckReportsWrongSizesImpossibleDatesAndAmounts) {
    LedgerIndex names;
    names.SetDataFolder(dir.path());
    EXPECT_EQ(CheckLedgerFiles(names), std::vector<std::string>{});
    patch16(2024, lineOffset(3, 1) + 4, 32767);
    patch32(2024, lineOffset(5, 1) + 100, 100000000);
    patch8(2024, lineOffset(8, 1) + 6 + 20 + 40, 0xFD);
    WriteBytes(dir / "Inf2023.usr", infFileBytes(model[2023]) + std::string(10, '\0'));
    std::vector<std::string> found = CheckLedgerFiles(names);
    auto has = [&](const std::string& s) {
        for (const std::string& f : found)
            if (contains(f, s)) return true;
        return false;
    };
    EXPECT_TRUE(has("Inf2023.usr: 長さ 130 バイトが12か月分の 120 バイトではありません。"));
    EXPECT_TRUE(has("Io2024.usr 3月: 1行目 日付が異常です (日 32767)。"));
    EXPECT_TRUE(has("Io2024.usr 5月: 1行目 金額が 0～99,999,999 の範囲外です (入金 0、出金 100000000)。"));
    // The amount also breaks the balance of the line itself (it was written for 500).
    EXPECT_TRUE(has("Io2024.usr 5月: 1行目 残高"));
    EXPECT_TRUE(has("Io2024.usr 8月: 1行目 店名・相手先の文字が異常です (CP932 ではありません)。"));
    EXPECT_EQ(found.size(), 5u) << ::testing::PrintToString(found);
}

// ---- The reproducers, through the tool: a clear message naming the file, exit 1, nothing lost.

class DamagedLedgerTool : public ::testing::Test {
protected:
    TempDir home;
    std::string data = home / "Data1";

    void SetUp() override {
        fs::create_directories(data);
        writeModel(data, twoYears());
    }
    int run(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
        int status = -1;
        std::string o = RunTool("--home '" + home.path() + "' " + args, status, "", err);
        if (out) *out = o;
        return status;
    }
    // Every command that reads or writes the ledger fails with exit 1, its message naming `file`,
    // and no file changes; check reports `file` too.
    void expectRefusedEverywhere(const std::string& file) {
        const auto before = snapshot(data);
        for (const char* cmd : {"ledger", "totals --date 2024-12-31", "add --date 2024-12-20 --item 食費 --expense 300",
                                "add --date 2025-01-05 --item 食費 --expense 300"}) {
            std::string out, err;
            EXPECT_EQ(run(cmd, &out, &err), 1) << cmd;
            EXPECT_TRUE(contains(err, file)) << cmd << ": " << err;
            EXPECT_FALSE(contains(out, "32767")) << cmd;
        }
        std::string out;
        EXPECT_EQ(run("check", &out), 1);
        EXPECT_TRUE(contains(out, file)) << out;
        EXPECT_EQ(snapshot(data), before);
    }
};

TEST_F(DamagedLedgerTool, AnEmptyInformationFileLosesNothing) {
    WriteBytes(data + "/Inf2024.usr", "");
    expectRefusedEverywhere("Inf2024.usr");
}

TEST_F(DamagedLedgerTool, AnInformationFileCutAfterJuneLosesNothing) {
    WriteBytes(data + "/Inf2024.usr", infFileBytes(twoYears()[2024]).substr(0, 6 * kInfRecordSize));
    expectRefusedEverywhere("Inf2024.usr");
}

TEST_F(DamagedLedgerTool, ALineOnDay32767LosesNothingAndCrashesNothing) {
    std::string io = ReadBytes(data + "/Io2023.usr");
    io.replace(lineOffset(12, 1) + 4, 2, le16(32767));
    WriteBytes(data + "/Io2023.usr", io);
    expectRefusedEverywhere("Io2023.usr");
}

// ---- Name tables.

class DamagedNames : public ::testing::Test {
protected:
    TempDir dir;
    NameFilePaths files = NameFilesIn(dir.path());
    NameTables t;

    void SetUp() override {
        ScriptedDialogs quiet;
        AddName(t, kItemTable, kIncomeKind, "給与");
        AddName(t, kItemTable, kExpenseKind, "食費");
        AddName(t, kBrkDnTable, 21, "野菜");
        AddName(t, kShopTable, 21, "八百屋");
        ASSERT_EQ(SaveItemTable(files.item, t, quiet), 0);
        ASSERT_EQ(SaveBrkDnTable(files.brkDn, t, quiet), 0);
        ASSERT_EQ(SaveShopTable(files.shop, t, quiet), 0);
        ASSERT_EQ(CheckNameFiles(files), std::vector<std::string>{});
    }
};

TEST_F(DamagedNames, AnItemTableSavedAsUtf8OrNotCp932OrTooLongIsRefused) {
    const std::string good = ReadBytes(files.item);
    const std::string utf8 = FromCp932(good); // the same text saved as UTF-8
    struct Case {
        std::string bytes, why;
    } cases[] = {
        {utf8, "TBITEM.mrt: UTF-8 で保存されています"},
        {"\xEF\xBB\xBF" + good, "TBITEM.mrt: UTF-8 で保存されています"},
        {good + "\"\x85\x40\"\r\n", "TBITEM.mrt: シフトJIS (CP932) のテキストではありません"},
        {good + "\"extra\"\r\n", "TBITEM.mrt: 141 行の後にも値があります"},
        {good.substr(0, good.size() - 4), "TBITEM.mrt: 値が足りないか数値が異常です"},
    };
    for (const Case& c : cases) {
        WriteBytes(files.item, c.bytes);
        NameTables loaded;
        std::string why;
        EXPECT_EQ(LoadItemTable(files.item, loaded, &why), -1) << c.why;
        EXPECT_TRUE(contains(why, c.why)) << why;
        EXPECT_EQ(loaded.items.ItemCount[kExpenseKind], 0);
        EXPECT_EQ(CheckNameFiles(files).size(), 1u);
    }
    // Blank lines, NULs and an end-of-file mark after the values are no content.
    WriteBytes(files.item, good + "\r\n\r\n\x1a");
    EXPECT_EQ(LoadItemTable(files.item, t), 0);
}

TEST_F(DamagedNames, ANameListOfTheWrongSizeOrWithANameThatIsNotCp932IsRefused) {
    const std::string good = ReadBytes(files.brkDn);
    ASSERT_EQ(good.size(), 70u * kBrkDnRecordBytes);
    std::string badName = good;
    badName[static_cast<size_t>(20) * kBrkDnRecordBytes + 2 + 100 + 40] = '\x80'; // key 21, slot 2
    struct Case {
        std::string bytes, why;
    } cases[] = {
        {good + std::string(kBrkDnRecordBytes, ' '), "TBBRKDN.mrt: 長さ 149242 バイトが2102バイトの記録 70 件以内"},
        {good.substr(0, good.size() - 1), "TBBRKDN.mrt: 長さ 147139 バイト"},
        {good.substr(0, 5 * kBrkDnRecordBytes + 7), "TBBRKDN.mrt: 長さ 10517 バイト"},
        {badName, "TBBRKDN.mrt: 21件目の記録が異常です"},
    };
    for (const Case& c : cases) {
        WriteBytes(files.brkDn, c.bytes);
        NameTables loaded;
        std::string why;
        EXPECT_EQ(LoadBrkDnTable(files.brkDn, loaded, true, &why), -1) << c.why;
        EXPECT_TRUE(contains(why, c.why)) << why;
        EXPECT_EQ(ReadBytes(files.brkDn), c.bytes); // never completed or rewritten
        EXPECT_EQ(CheckNameFiles(files), std::vector<std::string>{why});
    }
    // A name cut inside a double-byte character at the field's end (its lead byte last) is no damage.
    std::string cut = good;
    std::string lead;
    ToCp932("野", lead);
    cut[static_cast<size_t>(20) * kBrkDnRecordBytes + 2 + 100 + 40 + 39] = lead[0];
    WriteBytes(files.brkDn, cut);
    EXPECT_EQ(LoadBrkDnTable(files.brkDn, t, false), 0);
    // Fewer than 70 whole records are completed with blank ones.
    WriteBytes(files.shop, ReadBytes(files.shop).substr(0, 3 * kShopRecordBytes));
    EXPECT_EQ(LoadShopTable(files.shop, t, true), 0);
    EXPECT_EQ(ReadBytes(files.shop).size(), 70u * kShopRecordBytes);
}

TEST(DamagedNamesTool, NamesAndCheckNameTheDamagedTable) {
    TempDir home;
    fs::create_directories(home / "Data1");
    NameTables t;
    AddName(t, kItemTable, kExpenseKind, "食費");
    ScriptedDialogs quiet;
    ASSERT_EQ(SaveItemTable(home / "Data1/TBITEM.mrt", t, quiet), 0);
    WriteBytes(home / "Data1/TBITEM.mrt", FromCp932(ReadBytes(home / "Data1/TBITEM.mrt")));
    int status = -1;
    std::string err;
    RunTool("--home '" + home.path() + "' names", status, "", &err);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(contains(err, "TBITEM.mrt: UTF-8 で保存されています")) << err;
    std::string out = RunTool("--home '" + home.path() + "' check", status);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(contains(out, "TBITEM.mrt: UTF-8")) << out;
}

} // namespace
} // namespace mrt::test
