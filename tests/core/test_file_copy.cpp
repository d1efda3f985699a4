#include "support/FaultFs.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "util/CommitJournal.h"
#include "util/FileCopy.h"
#include "util/Paths.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

using namespace mrt;
using namespace mrt::test;
namespace fs = std::filesystem;

namespace {
// Sets a file's modification time to a fixed second.
void setTime(const std::string& path, time_t sec) {
    struct timespec t[2] = {{sec, 0}, {sec, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), t, 0);
}
} // namespace

TEST(ListFiles, MatchesWithoutRegardToCaseAndSkipsEmptyFiles) {
    TempDir dir;
    WriteBytes(dir / "Io2003.usr", "x");
    WriteBytes(dir / "INF2003.USR", "y");
    WriteBytes(dir / "empty.usr", "");
    WriteBytes(dir / "TBITEM.mrt", "z");
    WriteBytes(dir / "Io2004.usr.tmp~", "left by a crash");
    fs::create_directory(dir / "sub.usr");
    std::vector<std::string> names;
    EXPECT_EQ(ListFiles(dir.path(), "*.usr", names), 2);
    EXPECT_EQ(names, (std::vector<std::string>{"INF2003.USR", "Io2003.usr"}));
    EXPECT_EQ(ListFiles(dir.path(), "io????.USR", names), 1);
    EXPECT_EQ(ListFiles(dir.path(), "*.*", names), 3);
    EXPECT_EQ(ListFiles(dir / "missing", "*.*", names), -1);
}

TEST(CopyChangedFiles, CopiesOnceAndKeepsTimes) {
    TempDir src, dst;
    WriteBytes(src / "a.usr", "AAAA");
    WriteBytes(src / "b.usr", "BB");
    WriteBytes(src / "zero.usr", "");
    WriteBytes(src / "other.txt", "no");
    ScriptedDialogs dlg;
    ASSERT_EQ(CopyChangedFiles("Data1/*.usr", src.path(), dst.path(), dlg), 0);
    EXPECT_EQ(ReadBytes(dst / "a.usr"), "AAAA");
    EXPECT_EQ(ReadBytes(dst / "b.usr"), "BB");
    EXPECT_FALSE(fs::exists(dst / "zero.usr"));
    EXPECT_FALSE(fs::exists(dst / "other.txt"));
    EXPECT_EQ(fs::last_write_time(dst / "a.usr"), fs::last_write_time(src / "a.usr"));

    // A second run copies nothing: a target changed by hand but with the same time survives.
    WriteBytes(dst / "a.usr", "hand");
    fs::last_write_time(dst / "a.usr", fs::last_write_time(src / "a.usr"));
    ASSERT_EQ(CopyChangedFiles("*.usr", src.path(), dst.path(), dlg), 0);
    EXPECT_EQ(ReadBytes(dst / "a.usr"), "hand");
}

TEST(CopyChangedFiles, OverwritesWhenTheTimeDiffersWhetherOlderOrNewer) {
    TempDir src, dst;
    WriteBytes(src / "a.usr", "new");
    WriteBytes(dst / "a.usr", "old");
    setTime(src / "a.usr", 1000000);
    setTime(dst / "a.usr", 2000000); // newer target is still replaced: only equality skips
    ScriptedDialogs dlg;
    ASSERT_EQ(CopyChangedFiles("*.usr", src.path(), dst.path(), dlg), 0);
    EXPECT_EQ(ReadBytes(dst / "a.usr"), "new");
}

TEST(CopyChangedFiles, TargetInOtherLetterCaseIsReplacedNotDoubled) {
    TempDir src, dst;
    WriteBytes(src / "Io2003.usr", "fresh");
    WriteBytes(dst / "io2003.USR", "stale");
    setTime(src / "Io2003.usr", 1000000);
    setTime(dst / "io2003.USR", 900000);
    ScriptedDialogs dlg;
    ASSERT_EQ(CopyChangedFiles("*.usr", src.path(), dst.path(), dlg), 0);
    EXPECT_EQ(ReadBytes(dst / "io2003.USR"), "fresh");
    EXPECT_FALSE(fs::exists(dst / "Io2003.usr"));
}

TEST(CopyChangedFiles, SourcesDifferingOnlyInCaseMakeOneTargetHoldingTheLaterOne) {
    TempDir src, dst;
    WriteBytes(src / "IO2003.usr", "upper");
    WriteBytes(src / "io2003.usr", "lower"); // listed after "IO2003.usr"
    ScriptedDialogs dlg;
    ASSERT_EQ(CopyChangedFiles("*.usr", src.path(), dst.path(), dlg), 0);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dst.path())) names.push_back(e.path().filename().string());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0], "IO2003.usr");
    EXPECT_EQ(ReadBytes(dst / "IO2003.usr"), "lower");
}

TEST(CopyChangedFiles, MissingSourceFolderFailsWithTheMessage) {
    TempDir dst;
    ScriptedDialogs dlg;
    dlg.expectBox(MsgResult::OK).expectMessage("ファイルの複写に失敗しました。");
    EXPECT_EQ(CopyChangedFiles("*.*", dst / "nowhere", dst.path(), dlg), -1);
    ASSERT_EQ(dlg.transcript().size(), 1u);
    EXPECT_EQ(dlg.transcript()[0].buttons, (std::vector<std::string>{"Critical", "OK"}));
}

TEST(CopyChangedFiles, ErrorMidwayKeepsTheFilesCopiedBefore) {
    TempDir src, dst;
    WriteBytes(src / "a.usr", "A");
    WriteBytes(src / "b.usr", "B");
    WriteBytes(src / "c.usr", "C");
    // A folder in the way of b.usr makes its copy fail, whoever runs the test.
    fs::create_directories(dst / "b.usr/inner");
    ScriptedDialogs dlg;
    dlg.expectBox(MsgResult::OK).expectMessage("ファイルの複写に失敗しました。");
    EXPECT_EQ(CopyChangedFiles("*.usr", src.path(), dst.path(), dlg), -1);
    EXPECT_EQ(ReadBytes(dst / "a.usr"), "A");
    EXPECT_TRUE(fs::is_directory(dst / "b.usr"));
    EXPECT_FALSE(fs::exists(dst / "c.usr")); // the copy stops at the first error
}

TEST(CopyChangedFiles, UnwritableTargetFails) {
    TempDir src;
    WriteBytes(src / "a.usr", "A");
    ScriptedDialogs dlg;
    dlg.expectBox(MsgResult::OK);
    EXPECT_EQ(CopyChangedFiles("*.usr", src.path(), src / "no/such", dlg), -1);
}

namespace {


bool anyTempFile(const std::string& folder) {
    for (const auto& e : fs::directory_iterator(folder))
        if (IsTempFileName(e.path().filename().string())) return true;
    return false;
}

// A data folder and its backup folder as a start finds them: two files changed since the last
// backup, one new, one unchanged.
class StartUpCopy : public ::testing::Test {
protected:
    void SetUp() override {
        data = home / "Data1";
        bu = home / "Data1/BU";
        fs::create_directories(bu);
        const Files sources{{"Io2003.usr", std::string(200000, 'N')},
                            {"Inf2003.usr", "new inf"},
                            {"Io2004.usr", "new year"},
                            {"Inf2004.usr", "same"}};
        time_t sec = 1000000;
        for (const auto& [name, bytes] : sources) {
            WriteBytes(data + "/" + name, bytes);
            setTime(data + "/" + name, sec++);
        }
        before = {{"Io2003.usr", "old io"}, {"Inf2003.usr", "old inf"}, {"Inf2004.usr", "same"}};
        after = sources;
        resetBackup();
    }

    // The backup folder as it was before the copy.
    void resetBackup() {
        for (const auto& [name, bytes] : FolderFiles(bu))
            fs::remove(bu + "/" + name);
        for (const auto& [name, bytes] : before) {
            WriteBytes(bu + "/" + name, bytes);
            setTime(bu + "/" + name, 500000);
        }
        fs::last_write_time(bu + "/Inf2004.usr", fs::last_write_time(data + "/Inf2004.usr"));
    }

    int copy(ScriptedDialogs& dlg) { return CopyChangedFiles("Data1/*.usr", data, bu, dlg); }

    TempDir home;
    std::string data, bu;
    Files before, after;
};

// Cut at every call it makes (killed, killed with a power cut with or without the renames
// surviving it, an I/O error there), the copy leaves every backup file whole, old or new; the
// next start's clean-up leaves no temporary file, and the next copy completes the backup.
TEST_F(StartUpCopy, EveryCallCutLeavesEachTargetOldOrNew) {
    std::vector<std::string> log;
    {
        FaultFs faults(bu);
        ScopedFileSystem use(faults);
        ScriptedDialogs dlg;
        ASSERT_EQ(copy(dlg), 0);
        log = faults.Log();
        EXPECT_EQ(FolderFiles(bu), after);
        faults.PowerCut();
    }
    EXPECT_EQ(FolderFiles(bu), after); // durable once reported done
    ASSERT_EQ(std::count(log.begin(), log.end(), "Rename"), 3);
    ASSERT_EQ(log.back(), "SyncFolder");

    enum Cut { Kill, KillAndPowerCut, KillAndPowerCutKeepingRenames, IoError };
    for (int n = 1; n <= static_cast<int>(log.size()); ++n) {
        for (Cut cut : {Kill, KillAndPowerCut, KillAndPowerCutKeepingRenames, IoError}) {
            SCOPED_TRACE("call " + std::to_string(n) + " (" + log[n - 1] + "), cut " + std::to_string(cut));
            resetBackup();
            {
                FaultFs faults(bu);
                if (cut == IoError)
                    faults.FailCall(n);
                else
                    faults.CrashAt(n);
                ScopedFileSystem use(faults);
                ScriptedDialogs dlg;
                dlg.expectBox(MsgResult::OK).expectMessage("ファイルの複写に失敗しました。");
                EXPECT_EQ(copy(dlg), -1);
                if (cut == IoError) EXPECT_FALSE(anyTempFile(bu)); // the copy cleans up after itself
                if (cut == KillAndPowerCut || cut == KillAndPowerCutKeepingRenames)
                    faults.PowerCut(cut == KillAndPowerCutKeepingRenames);
            }
            std::string error;
            ASSERT_EQ(RecoverDataFolder(data, error), 0) << error;
            EXPECT_FALSE(anyTempFile(bu));
            Files now = FolderFiles(bu);
            for (const auto& [name, bytes] : after) {
                auto it = now.find(name);
                auto old = before.find(name);
                bool asBefore = old == before.end() ? it == now.end() : it != now.end() && it->second == old->second;
                bool asAfter = it != now.end() && it->second == bytes;
                EXPECT_TRUE(asBefore || asAfter) << name;
            }
            for (const auto& [name, bytes] : now)
                EXPECT_EQ(after.count(name), 1u) << name;
            ScriptedDialogs dlg;
            ASSERT_EQ(copy(dlg), 0);
            EXPECT_EQ(FolderFiles(bu), after);
            if (HasFailure()) return;
        }
    }
}

// The copies carry their sources' times to the nanosecond: the next start writes nothing.
TEST_F(StartUpCopy, TheSecondRunWritesNothing) {
    ScriptedDialogs dlg;
    ASSERT_EQ(copy(dlg), 0);
    FaultFs counting(bu);
    ScopedFileSystem use(counting);
    ASSERT_EQ(copy(dlg), 0);
    EXPECT_EQ(counting.Calls(), 0);
    EXPECT_EQ(FolderFiles(bu), after);
}

// A restoration into a data folder whose commit was left unfinished would be overwritten by its
// completion at the next start: it is refused until the folder has been recovered.
TEST_F(StartUpCopy, ATargetWithAnUnfinishedCommitIsRefusedUntilRecovered) {
    WriteBytes(bu + "/Io2003.usr", "from the backup");
    setTime(bu + "/Io2003.usr", 42);
    const std::string journal = EncodeJournal(Journal{"0000abcd", {{false, true, "Io2003.usr"}}});
    WriteBytes(data + "/" + kCommitJournalName, journal.substr(0, journal.size() - 2)); // cut off
    ScriptedDialogs dlg;
    dlg.expectBox(MsgResult::OK).expectMessage("ファイルの複写に失敗しました。");
    EXPECT_EQ(CopyChangedFiles("Io2003.usr", bu, data, dlg), -1);
    EXPECT_EQ(ReadBytes(data + "/Io2003.usr"), after["Io2003.usr"]);
    std::string error;
    ASSERT_EQ(RecoverDataFolder(data, error), 0) << error;
    EXPECT_EQ(CopyChangedFiles("Io2003.usr", bu, data, dlg), 0);
    EXPECT_EQ(ReadBytes(data + "/Io2003.usr"), "from the backup");
}

} // namespace

TEST(CopyChangedFiles, MoreFilesThanAreHeldOpenAtOnceAreAllCopied) {
    TempDir src, dst;
    Files expected;
    for (int k = 0; k < 150; ++k) {
        std::string name = "f" + std::to_string(1000 + k) + ".usr";
        expected[name] = std::string(static_cast<size_t>(k + 1), static_cast<char>('A' + k % 26));
        WriteBytes(src / name, expected[name]);
    }
    ScriptedDialogs dlg;
    ASSERT_EQ(CopyChangedFiles("*.usr", src.path(), dst.path(), dlg), 0);
    EXPECT_EQ(FolderFiles(dst.path()), expected);
    for (const auto& [name, bytes] : expected)
        EXPECT_EQ(fs::last_write_time(dst / name), fs::last_write_time(src / name)) << name;
}

TEST(Paths, SplitJoinAndResolveCase) {
    std::string folder, file;
    SplitPath("Data1/BU/Io2003.usr  ", folder, file);
    EXPECT_EQ(folder, "Data1/BU/");
    EXPECT_EQ(file, "Io2003.usr");
    SplitPath("INIT.mrt", folder, file);
    EXPECT_EQ(folder, "");
    EXPECT_EQ(file, "INIT.mrt");
    EXPECT_EQ(JoinPath("Data1", "INIT.mrt"), "Data1/INIT.mrt");
    EXPECT_EQ(JoinPath("Data1/", "INIT.mrt"), "Data1/INIT.mrt");

    TempDir dir;
    WriteBytes(dir / "tbitem.MRT", "x");
    EXPECT_EQ(ResolveCase(dir.path(), "TBITEM.mrt"), dir / "tbitem.MRT");
    EXPECT_EQ(ResolveCase(dir.path(), "TBSHOP.mrt"), dir / "TBSHOP.mrt");
    ScriptedDialogs dlg;
    EXPECT_EQ(FileMissing(dir / "TBITEM.mrt", dlg), 0);
    EXPECT_EQ(FileMissing(dir / "TBSHOP.mrt", dlg), 1);
}

TEST(Paths, FileMissingAsksRetryOnACheckErrorAndCancelGivesMinusOne) {
    // A symbolic link loop makes the check itself fail (ELOOP), whoever runs the test.
    TempDir dir;
    fs::create_symlink(dir / "b.usr", dir / "a.usr");
    fs::create_symlink(dir / "a.usr", dir / "b.usr");
    ScriptedDialogs dlg;
    dlg.expectBox(MsgResult::Retry);
    dlg.expectBox(MsgResult::Cancel);
    EXPECT_EQ(FileMissing(dir / "a.usr", dlg), -1);
    ASSERT_EQ(dlg.count("MsgBox"), 2);
    EXPECT_EQ(dlg.transcript()[0].title, "ファイルオープンエラー ( " + (dir / "a.usr") + " )");
    EXPECT_EQ(dlg.transcript()[0].buttons, (std::vector<std::string>{"Exclamation", "RetryCancel"}));
}

TEST(ReadWholeFile, ReadsEveryByteOfSmallEmptyAndLargeFilesAndFailsOnFolders) {
    TempDir dir;
    std::string big;
    for (int i = 0; i < 200000; ++i)
        big += static_cast<char>(i * 7 % 256);
    WriteBytes(dir / "big.usr", big);
    WriteBytes(dir / "small.usr", std::string("a\0b", 3));
    WriteBytes(dir / "empty.usr", "");
    std::string data = "left over";
    ASSERT_TRUE(ReadWholeFile(dir / "big.usr", data));
    EXPECT_EQ(data, big);
    ASSERT_TRUE(ReadWholeFile(dir / "small.usr", data));
    EXPECT_EQ(data, std::string("a\0b", 3));
    ASSERT_TRUE(ReadWholeFile(dir / "empty.usr", data));
    EXPECT_EQ(data, "");
    fs::create_directory(dir / "sub");
    EXPECT_FALSE(ReadWholeFile(dir / "sub", data));
    EXPECT_FALSE(ReadWholeFile(dir / "missing.usr", data));
}
