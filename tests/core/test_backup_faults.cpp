// Backups and restores cut at every file-system call they make: the process killed there, killed
// with a power cut, or an I/O error there. Afterwards the folder written to holds the files of
// before or of after, once the next backup (or start, for the data folder) has recovered it, and
// that next backup or restore works.
#include "backup/BackupCopy.h"
#include "backup/BackupData.h"
#include "port/ConsoleDialogs.h"
#include "support/FaultFs.h"
#include "support/ScriptedDialogs.h"
#include "test_ledger_fixture.h"
#include "util/CommitJournal.h"
#include "util/Paths.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>

namespace mrt::test {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

Files folderFiles(const std::string& folder, bool withTemp = true) {
    Files files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        std::string name = e.path().filename().string();
        if (e.is_regular_file() && (withTemp || !IsTempFileName(name))) files[name] = ReadBytes(e.path().string());
    }
    return files;
}

// Makes the folder hold exactly `files`.
void reset(const std::string& folder, const Files& files) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const auto& [name, bytes] : files)
        WriteBytes(folder + "/" + name, bytes);
}

std::string names(const Files& files) {
    std::string s;
    for (const auto& [name, bytes] : files)
        s += name + "(" + std::to_string(bytes.size()) + ") ";
    return s;
}

// A ledger year with `lines` expenses in March.
Files ledgerYear(int lines) {
    LedgerModel m;
    m[2024].months[0].lines = {Line{2024, 1, 5, "初期残高", "", "", 0, 0, 90000}};
    m[2024].months[2].lines = monthLines(2024, 3, lines, 250);
    recomputeModel(m);
    return {{"Inf2024.usr", infFileBytes(m[2024])}, {"Io2024.usr", yearFileBytes(m[2024])}};
}

enum class Cut { Kill, KillAndPowerCut, KillAndPowerCutKeepingRenames, IoError };
const char* const kCutNames[] = {"killed", "killed, power cut", "killed, power cut keeping renames", "I/O error"};

// The calls of an undisturbed run, and the number of the last folder sync: a failure at or before
// it fails the copy, one after it only leaves tidying undone.
struct CleanRun {
    std::vector<std::string> log;
    int lastSync = 0;
};
CleanRun cleanRun(const std::string& watched, const std::function<int()>& run) {
    FaultFs fs(watched);
    ScopedFileSystem use(fs);
    EXPECT_EQ(run(), 0);
    CleanRun r{fs.Log(), 0};
    for (size_t i = 0; i < r.log.size(); ++i)
        if (r.log[i] == "SyncFolder") r.lastSync = static_cast<int>(i) + 1;
    return r;
}

// Runs `run` with call n cut as `cut` in the folder `watched`; its result.
int cutRun(const std::string& watched, int n, Cut cut, const std::function<int()>& run) {
    FaultFs fs(watched);
    if (cut == Cut::IoError)
        fs.FailCall(n);
    else
        fs.CrashAt(n);
    int rc = 0;
    {
        ScopedFileSystem use(fs);
        rc = run();
    }
    if (cut == Cut::KillAndPowerCut || cut == Cut::KillAndPowerCutKeepingRenames)
        fs.PowerCut(cut == Cut::KillAndPowerCutKeepingRenames);
    return rc;
}

// The data folder holds a newer ledger than the backup folder, which also keeps a file of its own.
class BackupFaults : public ::testing::Test {
protected:
    void SetUp() override {
        data = home / "Data1";
        Files now = ledgerYear(6);
        now["TBITEM.mrt"] = "items, now";
        reset(data, now);
        older = ledgerYear(2);
        older["TBITEM.mrt"] = ReadBytes(std::string(MRTKEL_TEST_DATA) + "/names/TBITEM.mrt");
        older["memo.txt"] = "kept by the user";
        newer = older;
        for (const auto& [name, bytes] : now)
            newer[name] = bytes;
    }

    int backUp() {
        ConsoleDialogs quiet;
        std::vector<std::string> copied;
        CopyFailure failure;
        return BackupFilesTogether(data + "/", target + "/", {"Inf2024.usr", "Io2024.usr", "TBITEM.mrt"}, quiet, copied,
                                   failure);
    }

    TempDir home, stick;
    std::string data, target = stick / "backup";
    Files older, newer;
};

TEST_F(BackupFaults, EveryCallCutLeavesTheOlderOrTheNewerBackupAndTheNextBackupWorks) {
    reset(target, older);
    const CleanRun clean = cleanRun(target, [&] { return backUp(); });
    ASSERT_EQ(folderFiles(target), newer) << names(folderFiles(target));
    ASSERT_GT(clean.lastSync, 0);
    const int calls = static_cast<int>(clean.log.size());
    for (int n = 1; n <= calls; ++n) {
        for (Cut cut : {Cut::Kill, Cut::KillAndPowerCut, Cut::KillAndPowerCutKeepingRenames, Cut::IoError}) {
            SCOPED_TRACE("call " + std::to_string(n) + " of " + std::to_string(calls) + " (" + clean.log[n - 1] +
                         "), " + kCutNames[static_cast<int>(cut)]);
            reset(target, older);
            const int rc = cutRun(target, n, cut, [&] { return backUp(); });
            if (cut == Cut::IoError) {
                EXPECT_EQ(rc, n <= clean.lastSync ? -1 : 0);
                EXPECT_EQ(folderFiles(target, false), n <= clean.lastSync ? older : newer);
            }
            // What the next backup finds there once it has recovered the folder.
            std::string error;
            ASSERT_EQ(RecoverCopyFolder(target, error), 0) << error;
            const Files found = folderFiles(target);
            EXPECT_TRUE(found == older || found == newer) << names(found);
            if (cut == Cut::IoError) EXPECT_EQ(found == newer, n > clean.lastSync);
            // A cut that left the journal behind is recovered by the next backup itself.
            reset(target, older);
            cutRun(target, n, cut, [&] { return backUp(); });
            EXPECT_EQ(backUp(), 0);
            EXPECT_EQ(folderFiles(target), newer) << names(folderFiles(target));
            if (HasFailure()) return;
        }
    }
}

// A backup into a folder it has to make: a failure removes the folder again, and what succeeds
// leaves the whole backup.
TEST_F(BackupFaults, AFailedBackupRemovesTheFolderItMade) {
    const std::string nested = target + "/2024/march";
    auto backUpNested = [&] {
        ConsoleDialogs quiet;
        std::vector<std::string> copied;
        CopyFailure failure;
        return BackupFilesTogether(data + "/", nested + "/", {"Inf2024.usr", "Io2024.usr", "TBITEM.mrt"}, quiet, copied,
                                   failure);
    };
    fs::create_directories(target);
    const CleanRun clean = cleanRun(nested, backUpNested);
    ASSERT_EQ(folderFiles(nested).size(), 3u);
    for (int n = 1; n <= static_cast<int>(clean.log.size()); ++n) {
        SCOPED_TRACE("I/O error at call " + std::to_string(n) + " (" + clean.log[n - 1] + ")");
        fs::remove_all(target + "/2024");
        const int rc = cutRun(nested, n, Cut::IoError, backUpNested);
        EXPECT_EQ(rc, n <= clean.lastSync ? -1 : 0);
        EXPECT_EQ(fs::exists(target + "/2024"), rc == 0);
        EXPECT_TRUE(fs::exists(target));
        if (rc == 0) EXPECT_EQ(folderFiles(nested, false).size(), 3u);
    }
    // Writes failing on a full disk.
    fs::remove_all(target + "/2024");
    FailWritesAfter(5000);
    EXPECT_EQ(backUpNested(), -1);
    FailWritesAfter(-1);
    EXPECT_FALSE(fs::exists(target + "/2024"));
}

// A backup killed once its journal was durable: the restore from that folder finishes it first
// and brings back the newer files, and nothing of it blocks the folder.
TEST_F(BackupFaults, ARestoreFromAFolderWithAKilledBackupFinishesItFirst) {
    reset(target, older);
    const CleanRun clean = cleanRun(target, [&] { return backUp(); });
    int firstRename = 0;
    for (size_t i = 0; i < clean.log.size() && !firstRename; ++i)
        if (clean.log[i] == "Rename") firstRename = static_cast<int>(i) + 1;
    ASSERT_GT(firstRename, 0);
    reset(target, older);
    cutRun(target, firstRename + 1, Cut::Kill, [&] { return backUp(); });
    ASSERT_TRUE(HasUnfinishedCommit(target));

    fs::remove_all(data);
    fs::create_directories(data + "/BU");
    ScriptedDialogs dlg;
    dlg.expect("GetDirName", 0).withText(target);
    dlg.expect("MsgKel2", 1);
    dlg.expect("MsgOK").expectMessage("データの復帰が完了しました。");
    CopyJob job;
    job.dataFolder = data + "/";
    ASSERT_EQ(CopyData(kRestoreDirection, kLedgerYearKind, job, dlg), 0);
    EXPECT_EQ(folderFiles(target), newer);
    EXPECT_EQ(ReadBytes(data + "/Io2024.usr"), newer["Io2024.usr"]);
}

// The data folder holds a newer ledger; the backup an older one, which the restore brings back.
class RestoreFaults : public BackupFaults {
protected:
    void SetUp() override {
        BackupFaults::SetUp();
        reset(target, older);
        before = folderFiles(data);
        after = before;
        for (const char* n : {"Inf2024.usr", "Io2024.usr", "TBITEM.mrt"})
            after[n] = older[n];
    }

    int restore() {
        ConsoleDialogs quiet;
        std::vector<std::string> copied;
        CopyFailure failure;
        bool changed = false;
        return RestoreFilesTogether(target + "/", data + "/", {"Inf2024.usr", "Io2024.usr", "TBITEM.mrt"}, quiet,
                                    copied, failure, changed);
    }

    Files before, after;
};

TEST_F(RestoreFaults, EveryCallCutLeavesTheDataOfBeforeOrAfterAndTheNextRestoreWorks) {
    const CleanRun clean = cleanRun(data, [&] { return restore(); });
    ASSERT_EQ(folderFiles(data), after);
    const int calls = static_cast<int>(clean.log.size());
    for (int n = 1; n <= calls; ++n) {
        for (Cut cut : {Cut::Kill, Cut::KillAndPowerCut, Cut::KillAndPowerCutKeepingRenames, Cut::IoError}) {
            SCOPED_TRACE("call " + std::to_string(n) + " of " + std::to_string(calls) + " (" + clean.log[n - 1] +
                         "), " + kCutNames[static_cast<int>(cut)]);
            reset(data, before);
            const int rc = cutRun(data, n, cut, [&] { return restore(); });
            if (cut == Cut::IoError) {
                EXPECT_EQ(rc, n <= clean.lastSync ? -1 : 0);
                EXPECT_EQ(folderFiles(data, false), n <= clean.lastSync ? before : after);
            }
            // The next start recovers the data folder before anything reads it.
            std::string error;
            ASSERT_EQ(RecoverDataFolder(data, error), 0) << error;
            const Files found = folderFiles(data);
            EXPECT_TRUE(found == before || found == after) << names(found);
            EXPECT_EQ(restore(), 0);
            EXPECT_EQ(folderFiles(data), after);
            if (HasFailure()) return;
        }
    }
}

} // namespace
} // namespace mrt::test
