// mrtkel-tool settings: the Name=value listing, and which home folder the tool reads.
#include "settings/IniRecord.h"
#include "support/TempDir.h"
#include "util/DataLock.h"

#include "support/RunTool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

using namespace mrt;
using mrt::test::TempDir;

namespace {

std::string runTool(const std::string& env, const std::string& args, int& status) {
    return mrt::test::RunTool(args, status, env);
}

// A home folder whose settings file carries the given tax rate.
void makeHome(const std::string& home, int taxRate) {
    std::filesystem::create_directories(home + "/Data1");
    IniRecord rec;
    rec.TaxRate = static_cast<int16_t>(taxRate);
    ASSERT_EQ(WriteSettings(home + "/Data1/INIT.mrt", rec), 0);
}

std::string taxLine(const std::string& out) {
    size_t at = out.find("TaxRate=");
    return at == std::string::npos ? "" : out.substr(at, out.find('\n', at) - at);
}

} // namespace

TEST(ToolSettings, ListsTheNamedFieldsInRecordOrderWithoutAFile) {
    TempDir home;
    std::filesystem::create_directories(home / "Data1");
    int status = -1;
    std::string out = runTool("", "--home '" + home.path() + "' settings", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "KeyInputMode=1\nMainWindowState=0\nTotalsWindowState=0\nBlockMonths=3\nMaxBlockLines=300\n"
                   "DisplayRows=19\nClosingDay=31\nLedgerPrintTitle=家計簿\nTotalsPrintTitle=家計簿集計\n"
                   "PrintUserName=ユーザー名\nLedgerPaperSize=9\nLedgerPrintColumn=5\nLedgerPrintLine=0\n"
                   "TotalsPaperSize=9\nTotalsPrintColumn=5\nTotalsPrintLine=0\nTwoColumnItemBox=0\nTaxRate=10\n");
    // Looking at the settings writes nothing.
    EXPECT_FALSE(std::filesystem::exists(home / "Data1/INIT.mrt"));
}

TEST(ToolSettings, ReadsAFileInOtherLetterCaseAndTrimsTexts) {
    TempDir home;
    std::filesystem::create_directories(home / "Data1");
    IniRecord rec;
    rec.ClosingDay = 25;
    rec.PrintUserName = "山田　花子  ";
    rec.reserved1 = std::string(100, 'x');
    ASSERT_EQ(WriteSettings(home / "Data1/init.MRT", rec), 0);
    int status = -1;
    std::string out = runTool("", "settings --home '" + home.path() + "'", status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("\nClosingDay=25\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\nPrintUserName=山田　花子\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("xxx"), std::string::npos) << "a reserved field was listed";
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 18);
}

// A settings file that cannot be read (here a folder in its place, which even root cannot read)
// stops every command but check with a message naming it; add --tax never falls back to the
// default rate, and nothing is written.
TEST(ToolSettings, AnUnreadableSettingsFileIsAnErrorNotTheDefaults) {
    TempDir home;
    int status = -1;
    runTool("", "--home '" + home.path() + "' init --start 2024-01-01 --balance 1000", status);
    ASSERT_EQ(status, 0);
    const std::string io = mrt::test::ReadBytes(home / "Data1/Io2024.usr");
    std::filesystem::create_directory(home / "Data1/INIT.mrt");
    for (const char* cmd :
         {"add --date 2024-01-05 --item 食費 --expense 1000 --tax", "eval 100%", "settings", "ledger"}) {
        std::string err;
        mrt::test::RunTool("--home '" + home.path() + "' " + cmd, status, "", &err);
        EXPECT_EQ(status, 1) << cmd;
        EXPECT_NE(err.find("INIT.mrt: 環境設定ファイルを読み込めません"), std::string::npos) << cmd << ": " << err;
    }
    EXPECT_EQ(mrt::test::ReadBytes(home / "Data1/Io2024.usr"), io);
    EXPECT_TRUE(std::filesystem::is_directory(home / "Data1/INIT.mrt"));
    std::string out = runTool("", "--home '" + home.path() + "' check", status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("INIT.mrt: 環境設定ファイルを読み込めません"), std::string::npos) << out;

    // Without the file the defaults hold: 1000 with tax at 10% is 1100.
    std::filesystem::remove(home / "Data1/INIT.mrt");
    runTool("", "--home '" + home.path() + "' add --date 2024-01-05 --item 食費 --expense 1000 --tax", status);
    EXPECT_EQ(status, 0);
    out = runTool("", "--home '" + home.path() + "' ledger --csv", status);
    EXPECT_NE(out.find("2024-01-05,食費,,,0,1100,-100\r\n"), std::string::npos) << out;
}

TEST(ToolSettings, HomeOptionThenMrtkelHomeThenXdgDataHome) {
    TempDir root;
    makeHome(root / "opt", 11);
    makeHome(root / "env", 12);
    makeHome(root / "xdg/mrtkel", 13);
    makeHome(root / "user/.local/share/mrtkel", 14);
    const std::string env =
        "MRTKEL_HOME='" + (root / "env") + "' XDG_DATA_HOME='" + (root / "xdg") + "' HOME='" + (root / "user") + "'";
    const std::string noMrtkel = "-u MRTKEL_HOME XDG_DATA_HOME='" + (root / "xdg") + "' HOME='" + (root / "user") + "'";
    int status = -1;
    EXPECT_EQ(taxLine(runTool(env, "--home '" + (root / "opt") + "' settings", status)), "TaxRate=11");
    EXPECT_EQ(taxLine(runTool(env, "settings", status)), "TaxRate=12");
    EXPECT_EQ(taxLine(runTool(noMrtkel, "settings", status)), "TaxRate=13");
    EXPECT_EQ(taxLine(runTool("-u MRTKEL_HOME -u XDG_DATA_HOME HOME='" + (root / "user") + "'", "settings", status)),
              "TaxRate=14");
    // A relative XDG_DATA_HOME is ignored rather than taken below the current folder.
    EXPECT_EQ(
        taxLine(runTool("-C '" + root.path() + "' -u MRTKEL_HOME XDG_DATA_HOME=xdg HOME='" + (root / "user") + "'",
                        "settings", status)),
        "TaxRate=14");
}

// One program per data folder: a second holder is refused, a writing tool command too, and the
// lock is free again once its holder lets go (as when a program ends or is killed).
TEST(DataLock, OneHolderPerHomeFolderAndWritingToolCommandsRespectIt) {
    mrt::test::TempDir home;
    mrt::DataLock first;
    ASSERT_TRUE(first.Acquire(home.path()));
    mrt::DataLock second;
    EXPECT_FALSE(second.Acquire(home.path()));

    int status = 0;
    runTool("", "--home '" + home.path() + "' init --start 2004-04-01 --balance 100", status);
    EXPECT_NE(status, 0);
    EXPECT_FALSE(std::filesystem::exists(home / "Data1/Io2004.usr"));

    first.Release();
    EXPECT_TRUE(second.Acquire(home.path()));
    second.Release();
    runTool("", "--home '" + home.path() + "' init --start 2004-04-01 --balance 100", status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(std::filesystem::exists(home / "Data1/Io2004.usr"));
}
