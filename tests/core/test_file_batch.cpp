// The commit journal's codec, FileBatch commits and the recovery of a data folder.
#include "support/FaultFs.h"
#include "support/TempDir.h"
#include "util/CommitJournal.h"
#include "util/FileBatch.h"
#include "util/Paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace mrt::test {
namespace {

namespace fs = std::filesystem;


Journal sampleJournal() {
    return Journal{"0123abcd", {{false, true, "Io2003.usr"}, {false, false, "Inf2004.usr"}, {true, true, "x y.usr"}}};
}

TEST(JournalCodec, RoundTripsAndRefusesEveryCutAndEveryChangedByte) {
    const std::string bytes = EncodeJournal(sampleJournal());
    Journal back;
    ASSERT_TRUE(DecodeJournal(bytes, back));
    EXPECT_EQ(back.tag, "0123abcd");
    ASSERT_EQ(back.entries.size(), 3u);
    EXPECT_TRUE(back.entries[0].hadOld);
    EXPECT_FALSE(back.entries[1].hadOld);
    EXPECT_TRUE(back.entries[2].remove);
    EXPECT_EQ(back.entries[2].target, "x y.usr");
    // A journal cut off by a crash, at any length, is never taken for a whole one.
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(DecodeJournal(bytes.substr(0, n), back)) << n;
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::string changed = bytes;
        changed[i] = static_cast<char>(changed[i] ^ 0x04);
        EXPECT_FALSE(DecodeJournal(changed, back)) << i;
    }
}

TEST(JournalCodec, NamesThatLeaveTheFolderAreRefusedEvenWithARightChecksum) {
    Journal back;
    for (const char* bad : {"../Io2003.usr", "sub/Io2003.usr", "..", ""}) {
        Journal j{"0123abcd", {{false, false, bad}}};
        EXPECT_FALSE(DecodeJournal(EncodeJournal(j), back)) << bad;
    }
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u); // the standard check value
}

class BatchTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return dir / name; }
    bool has(const std::string& name) const { return fs::exists(path(name)); }
    void expectNoTemporaryFiles() const {
        for (const auto& e : fs::directory_iterator(dir.path()))
            EXPECT_FALSE(IsTempFileName(e.path().filename().string())) << e.path();
    }
    TempDir dir;
    std::string error;
};

TEST_F(BatchTest, ReplacesCreatesAndRemovesTogether) {
    WriteBytes(path("a"), "old-a");
    WriteBytes(path("gone"), "old-gone");
    FileBatch batch;
    ASSERT_TRUE(batch.Stage(path("a"), "first", error));
    ASSERT_TRUE(batch.Stage(path("a"), "new-a", error)); // the later staging wins
    ASSERT_TRUE(batch.Stage(path("b"), "new-b", error));
    ASSERT_TRUE(batch.StageRemoval(path("gone"), error));
    ASSERT_TRUE(batch.StageRemoval(path("never-there"), error));
    ASSERT_TRUE(batch.Stage(path("c"), "staged, then dropped", error));
    ASSERT_TRUE(batch.StageRemoval(path("c"), error));
    EXPECT_TRUE(batch.RemovalStaged(path("gone")));
    EXPECT_EQ(ReadBytes(batch.StagedFile(path("a"))), "new-a");
    EXPECT_EQ(batch.StagedFile(path("gone")), "");
    EXPECT_EQ(ReadBytes(path("a")), "old-a"); // nothing visible before the commit
    ASSERT_TRUE(batch.Commit(error)) << error;
    EXPECT_EQ(FolderFiles(dir.path()), (Files{{"a", "new-a"}, {"b", "new-b"}}));
    EXPECT_TRUE(batch.Empty());
}

TEST_F(BatchTest, FilesOfOneBatchShareAFolder) {
    fs::create_directories(path("sub"));
    FileBatch batch;
    ASSERT_TRUE(batch.Stage(path("a"), "x", error));
    EXPECT_FALSE(batch.Stage(path("sub/b"), "y", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(batch.StageRemoval(path("sub/c"), error));
}

// A journal this process did not finish belongs to a commit the next start must complete: no
// new commit may write over it.
TEST_F(BatchTest, AnUnfinishedJournalStopsTheNextCommitUntilRecovery) {
    WriteBytes(path("a"), "old-a");
    WriteBytes(path(kCommitJournalName), EncodeJournal(Journal{"feedf00d", {{false, true, "a"}}}));
    WriteBytes(path(StagedName("a", "feedf00d")), "from the crashed save");
    FileBatch batch;
    ASSERT_TRUE(batch.Stage(path("a"), "new-a", error));
    ASSERT_TRUE(batch.Stage(path("b"), "new-b", error));
    EXPECT_FALSE(batch.Commit(error));
    EXPECT_EQ(error, kUnfinishedCommitMessage);
    EXPECT_EQ(FolderFiles(dir.path()).count("b"), 0u);
    ASSERT_EQ(RecoverDataFolder(dir.path(), error), 0) << error;
    EXPECT_EQ(FolderFiles(dir.path()), (Files{{"a", "from the crashed save"}}));
    ASSERT_TRUE(batch.Stage(path("a"), "new-a", error));
    ASSERT_TRUE(batch.Stage(path("b"), "new-b", error));
    EXPECT_TRUE(batch.Commit(error)) << error;
    EXPECT_EQ(FolderFiles(dir.path()), (Files{{"a", "new-a"}, {"b", "new-b"}}));
}

// The commit is durable before its journal is removed: a failure there is no failure of the
// save, and the journal left behind is written over by the next commit of this process.
TEST_F(BatchTest, AJournalThatCouldNotBeRemovedDoesNotFailTheSaveOrTheNextOne) {
    WriteBytes(path("a"), "old-a");
    WriteBytes(path("b"), "old-b");
    int removeJournalAt = 0;
    {
        FaultFs counting(dir.path());
        ScopedFileSystem use(counting);
        FileBatch batch;
        ASSERT_TRUE(batch.Stage(path("a"), "a1", error) && batch.Stage(path("b"), "b1", error));
        ASSERT_TRUE(batch.Commit(error));
        removeJournalAt = counting.Calls(); // the journal goes last
        ASSERT_EQ(counting.Log().back(), "Remove");
    }
    FaultFs failing(dir.path());
    failing.FailCall(removeJournalAt);
    ScopedFileSystem use(failing);
    FileBatch batch;
    ASSERT_TRUE(batch.Stage(path("a"), "a2", error) && batch.Stage(path("b"), "b2", error));
    EXPECT_TRUE(batch.Commit(error)) << error;
    EXPECT_TRUE(has(kCommitJournalName));
    ASSERT_TRUE(batch.Stage(path("a"), "a3", error) && batch.Stage(path("b"), "b3", error));
    EXPECT_TRUE(batch.Commit(error)) << error;
    EXPECT_EQ(FolderFiles(dir.path()), (Files{{"a", "a3"}, {"b", "b3"}}));
}

// When the undoing of a failed commit fails as well (the disk gone for good), the save says so
// and the folder takes no further commit until the next start has recovered it.
TEST_F(BatchTest, AFailureThatCannotBeUndoneStopsFurtherCommitsUntilRecovery) {
    WriteBytes(path("a"), "old-a");
    WriteBytes(path("b"), "old-b");
    std::vector<std::string> log;
    {
        FaultFs counting(dir.path());
        ScopedFileSystem use(counting);
        FileBatch batch;
        ASSERT_TRUE(batch.Stage(path("a"), "new-a", error) && batch.Stage(path("b"), "new-b", error));
        ASSERT_TRUE(batch.Commit(error));
        log = counting.Log();
    }
    WriteBytes(path("a"), "old-a");
    WriteBytes(path("b"), "old-b");
    int secondRename = 0;
    for (size_t i = 0, renames = 0; i < log.size(); ++i)
        if (log[i] == "Rename" && ++renames == 2) secondRename = static_cast<int>(i) + 1;
    ASSERT_GT(secondRename, 0);
    {
        FaultFs failing(dir.path());
        failing.CrashAt(secondRename); // this and every later call fail
        ScopedFileSystem use(failing);
        FileBatch batch;
        ASSERT_TRUE(batch.Stage(path("a"), "new-a", error) && batch.Stage(path("b"), "new-b", error));
        EXPECT_FALSE(batch.Commit(error));
        EXPECT_NE(error.find(kCommitNotUndoneMessage), std::string::npos) << error;
    }
    EXPECT_EQ(ReadBytes(path("a")), "new-a"); // half done, with its journal
    EXPECT_EQ(ReadBytes(path("b")), "old-b");
    FileBatch next;
    ASSERT_TRUE(next.Stage(path("c"), "c", error));
    EXPECT_FALSE(next.Commit(error));
    EXPECT_EQ(error, kUnfinishedCommitMessage);
    EXPECT_FALSE(has("c"));
    ASSERT_EQ(RecoverDataFolder(dir.path(), error), 0) << error;
    EXPECT_EQ(FolderFiles(dir.path()), (Files{{"a", "new-a"}, {"b", "new-b"}}));
    ASSERT_TRUE(next.Stage(path("c"), "c", error));
    EXPECT_TRUE(next.Commit(error)) << error;
}

// A commit of nine files (six replaced, two created, one removed), cut at every call it makes:
// killed, killed with a power cut (with or without the data renames surviving it), or an I/O
// error there. After the recovery of the next start the folder holds the files of before or of
// after the commit; an error reported by the commit leaves those of before.
TEST_F(BatchTest, ACommitOfManyFilesCutAtEveryCallGivesBeforeOrAfter) {
    Files before{{"gone", "old-gone"}};
    Files after;
    for (int k = 0; k < 6; ++k) {
        before["f" + std::to_string(k)] = "old-" + std::to_string(k);
        after["f" + std::to_string(k)] = "new-" + std::to_string(k);
    }
    after["new1"] = "created 1";
    after["new2"] = "created 2";
    auto reset = [&]() {
        for (const auto& [name, bytes] : FolderFiles(dir.path()))
            fs::remove(path(name));
        for (const auto& [name, bytes] : before)
            WriteBytes(path(name), bytes);
    };
    auto commit = [&](FaultFs& faults) {
        ScopedFileSystem use(faults);
        FileBatch batch;
        for (const auto& [name, bytes] : after)
            if (!batch.Stage(path(name), bytes, error)) return false;
        return batch.StageRemoval(path("gone"), error) && batch.Commit(error);
    };

    reset();
    std::vector<std::string> log;
    {
        FaultFs faults(dir.path());
        ASSERT_TRUE(commit(faults)) << error;
        log = faults.Log();
        faults.PowerCut();
    }
    ASSERT_EQ(RecoverDataFolder(dir.path(), error), 0) << error;
    ASSERT_EQ(FolderFiles(dir.path()), after); // durable once reported done
    int lastSync = 0;
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i] == "SyncFolder") lastSync = static_cast<int>(i) + 1;
    ASSERT_EQ(std::count(log.begin(), log.end(), "Flush"), 9); // the eight staged files and the journal

    enum Cut { Kill, KillAndPowerCut, KillAndPowerCutKeepingRenames, IoError };
    for (int n = 1; n <= static_cast<int>(log.size()); ++n) {
        for (Cut cut : {Kill, KillAndPowerCut, KillAndPowerCutKeepingRenames, IoError}) {
            SCOPED_TRACE("call " + std::to_string(n) + " (" + log[n - 1] + "), cut " + std::to_string(cut));
            reset();
            bool done = false;
            {
                FaultFs faults(dir.path());
                if (cut == IoError)
                    faults.FailCall(n);
                else
                    faults.CrashAt(n);
                done = commit(faults);
                if (cut == KillAndPowerCut || cut == KillAndPowerCutKeepingRenames)
                    faults.PowerCut(cut == KillAndPowerCutKeepingRenames);
            }
            if (cut == IoError) {
                EXPECT_EQ(done, n > lastSync);
                if (!done) {
                    Files now = FolderFiles(dir.path());
                    std::erase_if(now, [](const auto& f) { return IsTempFileName(f.first); });
                    EXPECT_EQ(now, before);
                }
            }
            ASSERT_EQ(RecoverDataFolder(dir.path(), error), 0) << error;
            Files now = FolderFiles(dir.path());
            EXPECT_TRUE(now == before || now == after);
            if (cut == IoError) EXPECT_EQ(now == after, done);
            if (HasFailure()) return;
        }
    }
}

class RecoveryTest : public BatchTest {};

TEST_F(RecoveryTest, AJournalCutOffByACrashIsDiscardedWithItsFiles) {
    WriteBytes(path("Io2003.usr"), "old");
    std::string journal = EncodeJournal(Journal{"00000001", {{false, true, "Io2003.usr"}}});
    WriteBytes(path(kCommitJournalName), journal.substr(0, journal.size() - 3));
    WriteBytes(path(StagedName("Io2003.usr", "00000001")), "new");
    fs::create_hard_link(path("Io2003.usr"), path(UndoName("Io2003.usr", "00000001")));
    EXPECT_TRUE(HasUnfinishedCommit(dir.path()));
    ASSERT_EQ(RecoverDataFolder(dir.path(), error), 0) << error;
    EXPECT_EQ(FolderFiles(dir.path()), (Files{{"Io2003.usr", "old"}}));
    EXPECT_FALSE(HasUnfinishedCommit(dir.path()));
}

// A rollback journal whose undoing was cut short: one target already has its old file back, the
// other still holds the new one, a created file is still there.
TEST_F(RecoveryTest, ARollbackJournalIsUndoneToTheEnd) {
    const std::string tag = "00000002";
    WriteBytes(path("a"), "old-a"); // put back already
    WriteBytes(path("b"), "new-b");
    WriteBytes(path(UndoName("b", tag)), "old-b");
    WriteBytes(path("c"), "created");
    WriteBytes(path("d"), "old-d"); // never renamed: its staged file is still there
    WriteBytes(path(StagedName("d", tag)), "new-d");
    fs::create_hard_link(path("d"), path(UndoName("d", tag)));
    WriteBytes(
        path(kRollbackJournalName),
        EncodeJournal(Journal{tag, {{false, true, "a"}, {false, true, "b"}, {false, false, "c"}, {false, true, "d"}}}));
    ASSERT_EQ(RecoverDataFolder(dir.path(), error), 0) << error;
    EXPECT_EQ(FolderFiles(dir.path()), (Files{{"a", "old-a"}, {"b", "old-b"}, {"d", "old-d"}}));
}

TEST_F(RecoveryTest, StrayTemporaryFilesGoFromTheFolderAndItsBackupFolder) {
    WriteBytes(path("Io2003.usr"), "data");
    WriteBytes(path("Io2003.usr.0badcafe.tmp~"), "staged by a killed save");
    WriteBytes(path("INIT.mrt.tmp~"), "half a settings file");
    WriteBytes(path("BU/TBITEM.mrt.1.tmp~"), "half a backup copy");
    WriteBytes(path("BU/TBITEM.mrt"), "backup");
    ASSERT_EQ(RecoverDataFolder(dir.path(), error), 0) << error;
    EXPECT_EQ(FolderFiles(dir.path()), (Files{{"Io2003.usr", "data"}}));
    EXPECT_EQ(FolderFiles(path("BU")), (Files{{"TBITEM.mrt", "backup"}}));
    EXPECT_EQ(RecoverDataFolder(path("no-such-folder"), error), 0);
}

TEST_F(RecoveryTest, AnUnreadableJournalStopsTheRecoveryAndKeepsTheStagedFiles) {
    fs::create_directories(path(kCommitJournalName)); // cannot be read as a file
    WriteBytes(path(StagedName("a", "00000003")), "new");
    EXPECT_EQ(RecoverDataFolder(dir.path(), error), -1);
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(has(StagedName("a", "00000003")));
}

} // namespace
} // namespace mrt::test
