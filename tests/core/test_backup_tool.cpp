// mrtkel-tool backup / restore: scripted backups of a real ledger and its way back.
#include "support/TempDir.h"
#include "util/DataLock.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sys/wait.h>

using namespace mrt;
using namespace mrt::test;
namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int exitCode;
    std::string out; // standard output
    std::string err; // standard error
};
ToolRun tool(const std::string& home, const std::string& args) {
    const std::string out = home + "/.out", err = home + "/.err";
    const std::string cmd =
        std::string(MRTKEL_TOOL_PATH) + " --home '" + home + "' " + args + " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(out), ReadBytes(err)};
}

std::map<std::string, std::string> filesIn(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_regular_file()) files[e.path().filename().string()] = ReadBytes(e.path().string());
    return files;
}

// A ledger over two years with names of its own.
void makeLedger(const std::string& home) {
    ASSERT_EQ(tool(home, "init --start 2024-12-20 --balance 100000").exitCode, 0);
    ASSERT_EQ(tool(home, "add --date 2024-12-25 --item 給与 --income 250000").exitCode, 0);
    ASSERT_EQ(tool(home, "add --date 2024-12-28 --item 食費 --note 年越しそば --shop 新しい店 --expense 1200").exitCode,
              0);
    ASSERT_EQ(tool(home, "add --date 2025-01-03 --item 食費 --expense 800*").exitCode, 0);
}

} // namespace

TEST(BackupTool, ALedgerBackedUpComesBackWholeAfterTheDataFolderIsLost) {
    TempDir home, stick;
    makeLedger(home.path());
    const ToolRun before = tool(home.path(), "ledger --csv");
    ASSERT_EQ(before.exitCode, 0);
    ASSERT_NE(before.out.find("年越しそば"), std::string::npos);

    ToolRun r = tool(home.path(), "backup --to '" + stick.path() + "' --names");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("TBSHOP.mrt -> " + stick.path() + "/TBSHOP.mrt"), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");
    for (const char* year : {"2024", "2025"}) {
        r = tool(home.path(), "backup --to '" + stick.path() + "' --year " + year);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.out.find(std::string("Io") + year + ".usr"), std::string::npos);
    }
    EXPECT_TRUE(fs::exists(stick / "Inf2025.usr"));

    fs::remove_all(home / "Data1");
    r = tool(home.path(), "restore --from '" + stick.path() + "' --names");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = tool(home.path(), "restore --from '" + stick.path() + "' --year 2025");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // A year the backup folder does not hold is refused.
    r = tool(home.path(), "restore --from '" + stick.path() + "' --year 2023");
    EXPECT_EQ(r.exitCode, 1);
    r = tool(home.path(), "restore --from '" + stick.path() + "' --year 2024");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(tool(home.path(), "ledger --csv").out, before.out);
    EXPECT_EQ(tool(home.path(), "check").exitCode, 0);
    EXPECT_TRUE(fs::is_directory(home / "Data1/BU"));
}

TEST(BackupTool, FilesByPatternAndANewTargetFolder) {
    TempDir home, target;
    makeLedger(home.path());
    const std::string to = target / "daily/2025-01-04";
    ToolRun r = tool(home.path(), "backup --to '" + to + "' --files 'io*.USR'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    auto copied = filesIn(to);
    EXPECT_EQ(copied.size(), 2u);
    EXPECT_EQ(copied["Io2025.usr"], ReadBytes(home / "Data1/Io2025.usr"));
    r = tool(home.path(), "backup --to '" + to + "' --files '*.none'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("データの保管に失敗しました。"), std::string::npos);
}

TEST(BackupTool, RefusesWhileTheProgramHoldsTheDataAndOnWrongArguments) {
    TempDir home, stick;
    makeLedger(home.path());
    ASSERT_EQ(tool(home.path(), "backup --to '" + stick.path() + "' --names").exitCode, 0);
    WriteBytes(stick / "TBITEM.mrt", "changed on the stick");
    const auto data = filesIn(home / "Data1");
    {
        DataLock lock;
        ASSERT_TRUE(lock.Acquire(home.path()));
        ToolRun r = tool(home.path(), "restore --from '" + stick.path() + "' --names");
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find("他のミルテ家計簿が使用中です"), std::string::npos);
    }
    EXPECT_EQ(filesIn(home / "Data1"), data);
    EXPECT_EQ(tool(home.path(), "restore --from '" + stick.path() + "'").exitCode, 2);
    EXPECT_EQ(tool(home.path(), "restore --from '" + stick.path() + "' --names --year 2024").exitCode, 2);
    EXPECT_EQ(tool(home.path(), "backup --names").exitCode, 2);
    EXPECT_EQ(tool(home.path(), "restore --from '" + (stick / "missing") + "' --names").exitCode, 1);
    EXPECT_EQ(tool(home.path(), "backup --to '" + stick.path() + "' --year 1999").exitCode, 1);
    EXPECT_EQ(filesIn(home / "Data1"), data);
}

// A year file cut short on the backup medium is refused with Data1/ as it was.
TEST(BackupTool, ATruncatedYearFileIsRefused) {
    TempDir home, stick;
    makeLedger(home.path());
    ASSERT_EQ(tool(home.path(), "backup --to '" + stick.path() + "' --year 2024").exitCode, 0);
    std::string io = ReadBytes(stick / "Io2024.usr");
    WriteBytes(stick / "Io2024.usr", io.substr(0, io.size() - 7));
    const auto data = filesIn(home / "Data1");
    ToolRun r = tool(home.path(), "restore --from '" + stick.path() + "' --year 2024");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Io2024.usr: 長さ"), std::string::npos) << r.err;
    EXPECT_EQ(filesIn(home / "Data1"), data);
}

// A year file holding a line of the year 3000 is refused, named with its reason, and the ledger
// stays readable; so is a backup folder holding the year file twice, in two letter cases.
TEST(BackupTool, ARestoreOfADamagedOrAmbiguousYearIsRefused) {
    TempDir home, stick;
    makeLedger(home.path());
    ASSERT_EQ(tool(home.path(), "backup --to '" + stick.path() + "' --year 2024").exitCode, 0);
    const std::string ledger = tool(home.path(), "ledger --csv").out;
    const auto data = filesIn(home / "Data1");
    const std::string io = ReadBytes(stick / "Io2024.usr");
    // The first line of December: its region follows the 11 regions of 500 slots before it.
    std::string year3000 = io;
    year3000[11 * 500 * 108] = '\xb8';
    year3000[11 * 500 * 108 + 1] = '\x0b';
    WriteBytes(stick / "Io2024.usr", year3000);
    ToolRun r = tool(home.path(), "restore --from '" + stick.path() + "' --year 2024");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Io2024.usr 12月: 1行目 年月が違います (3000/12)"), std::string::npos) << r.err;

    WriteBytes(stick / "Io2024.usr", io);
    WriteBytes(stick / "io2024.usr", io);
    r = tool(home.path(), "restore --from '" + stick.path() + "' --year 2024");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("io2024.usr と Io2024.usr は大文字・小文字だけが違う名前です。"), std::string::npos) << r.err;
    EXPECT_TRUE(filesIn(home / "Data1") == data);
    EXPECT_EQ(tool(home.path(), "ledger --csv").out, ledger);
    EXPECT_EQ(tool(home.path(), "check").exitCode, 0);
}

// A backup that copies nothing makes no folder; one that cannot make its folder says why in
// Japanese.
TEST(BackupTool, AFailedBackupLeavesNoFolderAndSaysWhy) {
    TempDir home, target;
    makeLedger(home.path());
    ToolRun r = tool(home.path(), "backup --to '" + (target / "new") + "' --files '*.none'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(fs::exists(target / "new"));
    WriteBytes(target / "file", "a file, not a folder");
    r = tool(home.path(), "backup --to '" + (target / "file/sub") + "' --names");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("フォルダではないものがパスの途中にあります (Not a directory)"), std::string::npos) << r.err;
}
