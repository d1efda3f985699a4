#include "settings/IniRecord.h"
#include "support/TempDir.h"
#include "util/Cp932.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace mrt;
using mrt::test::ReadBytes;
using mrt::test::TempDir;
using mrt::test::WriteBytes;

namespace {

// The record built independently from the layout table: offset, width, content.
std::string layoutBytes() {
    std::string b(450, ' ');
    auto i16 = [&b](int off, int v) {
        b[off] = static_cast<char>(v & 0xFF);
        b[off + 1] = static_cast<char>((v >> 8) & 0xFF);
    };
    auto text = [&b](int off, const std::string& utf8) {
        std::string sj;
        ToCp932(utf8, sj);
        b.replace(off, sj.size(), sj);
    };
    i16(30, 1);    // KeyInputMode
    i16(32, 0);    // MainWindowState
    i16(34, 0);    // TotalsWindowState
    i16(136, 3);   // BlockMonths
    i16(138, 300); // MaxBlockLines
    i16(140, 19);  // DisplayRows
    i16(142, 31);  // ClosingDay
    text(242, "家計簿");
    text(272, "家計簿集計");
    text(302, "ユーザー名");
    i16(332, 9);
    i16(334, 5);
    i16(336, 0);
    i16(338, 9);
    i16(340, 5);
    i16(342, 0);
    i16(444, 0); // TwoColumnItemBox
    i16(446, 10); // TaxRate: today's standard rate for a new data folder
    i16(448, 0);
    return b;
}

} // namespace

TEST(SettingsFile, DefaultsWrittenMatchTheLayoutByteForByte) {
    TempDir dir;
    IniRecord rec;
    rec.BlockMonths = 99; // overwritten by the defaults
    SettingsDefaults(rec);
    ASSERT_EQ(WriteSettings(dir / "INIT.mrt", rec), 0);
    std::string bytes = ReadBytes(dir / "INIT.mrt");
    ASSERT_EQ(bytes.size(), 450u);
    EXPECT_EQ(bytes, layoutBytes());
    // "家計簿" is 6 bytes followed by 24 blanks.
    EXPECT_EQ(bytes.substr(248, 24), std::string(24, ' '));
}

TEST(SettingsFile, ReadBackEveryField) {
    TempDir dir;
    IniRecord rec;
    rec.KeyInputMode = 0;
    rec.MainWindowState = 2;
    rec.TotalsWindowState = 1;
    rec.BlockMonths = 6;
    rec.MaxBlockLines = 1500;
    rec.DisplayRows = 30;
    rec.ClosingDay = 25;
    rec.LedgerPrintTitle = "山田家の家計簿";
    rec.TotalsPrintTitle = "集計";
    rec.PrintUserName = "山田　花子";
    rec.LedgerPaperSize = 13;
    rec.LedgerPrintColumn = -2;
    rec.LedgerPrintLine = 3;
    rec.TotalsPaperSize = 13;
    rec.TotalsPrintColumn = 7;
    rec.TotalsPrintLine = 1;
    rec.TwoColumnItemBox = 1;
    rec.TaxRate = 10;
    rec.reserved1 = std::string(100, 'x');
    ASSERT_EQ(WriteSettings(dir / "INIT.mrt", rec), 0);
    IniRecord back;
    ASSERT_EQ(ReadSettings(dir / "INIT.mrt", back), 0);
    EXPECT_EQ(EncodeIniRecord(back), EncodeIniRecord(rec));
    EXPECT_EQ(back.PrintUserName, "山田　花子");
    EXPECT_EQ(back.LedgerPrintColumn, -2);
    EXPECT_EQ(back.reserved1, std::string(100, 'x'));
}

TEST(SettingsFile, MissingFileGivesDefaultsAndWritesNothing) {
    TempDir dir;
    IniRecord rec;
    rec.TaxRate = 8;
    EXPECT_EQ(ReadSettings(dir / "INIT.mrt", rec), 1);
    EXPECT_EQ(rec.TaxRate, 10);
    EXPECT_EQ(rec.KeyInputMode, 1);
    EXPECT_EQ(rec.BlockMonths, 3);
    EXPECT_TRUE(ReadBytes(dir / "INIT.mrt").empty());
}

TEST(SettingsFile, LongerFileKeepsItsTail) {
    TempDir dir;
    std::string old = layoutBytes() + "TAIL-BYTES";
    old[446] = 8;
    ASSERT_TRUE(WriteBytes(dir / "INIT.mrt", old));
    IniRecord rec;
    ASSERT_EQ(ReadSettings(dir / "INIT.mrt", rec), 0);
    EXPECT_EQ(rec.TaxRate, 8);
    rec.TaxRate = 10;
    ASSERT_EQ(WriteSettings(dir / "INIT.mrt", rec), 0);
    std::string now = ReadBytes(dir / "INIT.mrt");
    ASSERT_EQ(now.size(), 460u);
    EXPECT_EQ(now.substr(450), "TAIL-BYTES");
    EXPECT_EQ(now[446], 10);
}

TEST(SettingsFile, ShorterFileReadsWhatIsThereAndDefaultsTheRest) {
    TempDir dir;
    std::string b = layoutBytes();
    b[136] = 5;               // BlockMonths 5
    b[446] = 8;               // TaxRate beyond the cut
    ASSERT_TRUE(WriteBytes(dir / "INIT.mrt", b.substr(0, 200)));
    IniRecord rec;
    rec.TaxRate = 17;
    ASSERT_EQ(ReadSettings(dir / "INIT.mrt", rec), 0);
    EXPECT_EQ(rec.BlockMonths, 5);
    EXPECT_EQ(rec.TaxRate, 10);
    EXPECT_EQ(rec.LedgerPrintTitle, "家計簿");
}

// A file that is there but cannot be read is an error, never "no settings": the record keeps
// what it held, and a write never replaces the file it could not read.
TEST(SettingsFile, AnUnreadableFileIsAnErrorAndIsNeverReplaced) {
    TempDir dir;
    std::string old = layoutBytes();
    old[446] = 8;
    ASSERT_TRUE(WriteBytes(dir / "INIT.mrt", old));
    for (auto [err, reason] : {std::pair{EIO, "読み書き中に入出力エラーが起きました（媒体の異常か取り外し）"},
                               std::pair{EACCES, "アクセスする権限がありません"}}) {
        SetSettingsReadFailure(err);
        IniRecord rec;
        rec.TaxRate = 17;
        std::string why;
        EXPECT_EQ(ReadSettings(dir / "INIT.mrt", rec, &why), -1);
        EXPECT_EQ(rec.TaxRate, 17);
        EXPECT_EQ(why, std::string("INIT.mrt: 環境設定ファイルを読み込めません。") + reason + " (" + std::strerror(err) + ")");
        EXPECT_EQ(WriteSettings(dir / "INIT.mrt", rec), -1);
        EXPECT_EQ(ReadBytes(dir / "INIT.mrt"), old);
    }
    SetSettingsReadFailure(0);
    IniRecord rec;
    ASSERT_EQ(ReadSettings(dir / "INIT.mrt", rec), 0);
    EXPECT_EQ(rec.TaxRate, 8);
    // A missing file is still no error, with or without the failure switched on.
    SetSettingsReadFailure(EIO);
    EXPECT_EQ(ReadSettings(dir / "none.mrt", rec), 1);
    SetSettingsReadFailure(0);
}

// The same with a file the user may not read (meaningless for root, who reads it anyway).
TEST(SettingsFile, AFileWithoutReadPermissionIsAnErrorAndIsNeverReplaced) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
    TempDir dir;
    const std::string old = layoutBytes();
    ASSERT_TRUE(WriteBytes(dir / "INIT.mrt", old));
    ASSERT_EQ(::chmod((dir / "INIT.mrt").c_str(), 0), 0);
    IniRecord rec;
    std::string why;
    EXPECT_EQ(ReadSettings(dir / "INIT.mrt", rec, &why), -1);
    EXPECT_NE(why.find(std::strerror(EACCES)), std::string::npos) << why;
    EXPECT_EQ(WriteSettings(dir / "INIT.mrt", rec), -1);
    ASSERT_EQ(::chmod((dir / "INIT.mrt").c_str(), 0644), 0);
    EXPECT_EQ(ReadBytes(dir / "INIT.mrt"), old);
}

TEST(SettingsFile, UnwritableTargetFails) {
    TempDir dir;
    IniRecord rec;
    EXPECT_EQ(WriteSettings(dir / "no-such-folder/INIT.mrt", rec), -1);
}

TEST(SettingsFile, TitleCutInsideADoubleByteCharacterKeepsWholeCharacters) {
    TempDir dir;
    IniRecord rec;
    rec.LedgerPrintTitle = "b" + std::string("家計簿家計簿家計簿家計簿家計簿"); // 1 + 30 bytes
    ASSERT_EQ(WriteSettings(dir / "INIT.mrt", rec), 0);
    std::string bytes = ReadBytes(dir / "INIT.mrt");
    EXPECT_EQ(bytes[242 + 29], ' ');
    IniRecord back;
    ReadSettings(dir / "INIT.mrt", back);
    EXPECT_EQ(back.LedgerPrintTitle, "b家計簿家計簿家計簿家計簿家計");
}

TEST(SettingsFile, ClampOnlyTheBlockSettings) {
    IniRecord rec;
    rec.BlockMonths = 1;
    rec.MaxBlockLines = 2000;
    rec.DisplayRows = 5;
    ClampBlockSettings(rec);
    EXPECT_EQ(rec.BlockMonths, 2);
    EXPECT_EQ(rec.MaxBlockLines, 1500);
    EXPECT_EQ(rec.DisplayRows, 5);
}

TEST(SettingsItems, LabelsBoundsAndHelpLines) {
    IniRecord rec;
    SettingsDefaults(rec);
    auto items = SettingsItems(rec);
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0].label, "家計簿データの１ﾌﾞﾛｯｸあたり読込み月数 (2～6)");
    EXPECT_EQ(items[1].min, 100);
    EXPECT_EQ(items[1].max, 1500);
    EXPECT_EQ(items[3].label, "消費税の税率設定 　( ％ )");
    EXPECT_NE(items[1].helpLine.find(" 入力例：300\r\n"), std::string::npos);
    EXPECT_NE(items[5].helpLine.find(" 入力例：1\r\n"), std::string::npos);
    EXPECT_EQ(items[5].value, "1");

    ApplySettingsItems({"4", "500", "", "8.6", "1", "0"}, rec);
    EXPECT_EQ(rec.BlockMonths, 4);
    EXPECT_EQ(rec.MaxBlockLines, 500);
    EXPECT_EQ(rec.DisplayRows, 0);
    EXPECT_EQ(rec.TaxRate, 9);
    EXPECT_EQ(rec.TwoColumnItemBox, 1);
    EXPECT_EQ(rec.KeyInputMode, 0);
}

TEST(SettingsItems, OnlyLeadingDigitsCount) {
    // Hex, exponents and words are not numbers of the settings grid: only the leading digits count,
    // and no text can give an undefined value.
    IniRecord rec;
    ApplySettingsItems({"0x10", "1e3", " 12abc", "nan", "inf", "-2.5"}, rec);
    EXPECT_EQ(rec.BlockMonths, 0);
    EXPECT_EQ(rec.MaxBlockLines, 1);
    EXPECT_EQ(rec.DisplayRows, 12);
    EXPECT_EQ(rec.TaxRate, 0);
    EXPECT_EQ(rec.TwoColumnItemBox, 0);
    EXPECT_EQ(rec.KeyInputMode, -2);
    ApplySettingsItems({"99999", "-99999", std::string(400, '9')}, rec);
    EXPECT_EQ(rec.BlockMonths, 32767);
    EXPECT_EQ(rec.MaxBlockLines, -32768);
    EXPECT_EQ(rec.DisplayRows, 32767);
}
