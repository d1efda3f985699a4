// A save cut short by a crash, met by the program's start and by the tool's commands; and the
// tool's reading commands, which change no file.
#include "app/AppState.h"
#include "app/Startup.h"
#include "support/RunTool.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "test_ledger_fixture.h"
#include "util/CommitJournal.h"
#include "util/DataLock.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace mrt::test {
namespace {

namespace fs = std::filesystem;


// Every file and folder under `root`: relative path → bytes (files) and modification time.
Files tree(const std::string& root) {
    Files files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        std::string rel = fs::relative(e.path(), root).string();
        std::string stamp = std::to_string(e.last_write_time().time_since_epoch().count());
        files[rel] = (e.is_regular_file() ? ReadBytes(e.path().string()) : "folder") + "@" + stamp;
    }
    return files;
}

// A home folder whose ledger (2003, three lines) a save was adding a fourth line to when it was
// killed: the new files are staged and the journal is whole, no target renamed yet.
class CrashedSave : public ::testing::Test {
protected:
    void SetUp() override {
        data = home / "Data1";
        MakeFolders(data + "/BU");
        model[2003].months[0].lines = {Line{2003, 1, 5, "初期残高", "", "", 0, 0, 10000},
                                       Line{2003, 1, 9, "食費", "", "", 0, 800, 0}};
        model[2003].months[1].lines = {Line{2003, 2, 1, "給与", "", "", 3000, 0, 0}};
        recomputeModel(model);
        writeModel(data, model);
        before = FolderFiles(data);
        LedgerModel next = model;
        next[2003].months[1].lines.push_back(Line{2003, 2, 14, "書籍", "", "", 0, 1200, 0});
        recomputeModel(next);
        WriteBytes(data + "/" + StagedName("Io2003.usr", kTag), yearFileBytes(next[2003]));
        WriteBytes(data + "/" + StagedName("Inf2003.usr", kTag), infFileBytes(next[2003]));
        fs::create_hard_link(data + "/Io2003.usr", data + "/" + UndoName("Io2003.usr", kTag));
        fs::create_hard_link(data + "/Inf2003.usr", data + "/" + UndoName("Inf2003.usr", kTag));
        WriteBytes(data + "/" + kCommitJournalName,
                   EncodeJournal(Journal{kTag, {{false, true, "Io2003.usr"}, {false, true, "Inf2003.usr"}}}));
        after = Files{{"Inf2003.usr", infFileBytes(next[2003])}, {"Io2003.usr", yearFileBytes(next[2003])}};
    }

    std::string tool(const std::string& args, int& status) {
        return RunTool("--home '" + home.path() + "' " + args, status);
    }

    static constexpr const char* kTag = "5a5a5a5a";
    TempDir home;
    std::string data;
    LedgerModel model;
    Files before, after;
};

TEST_F(CrashedSave, TheProgramStartFinishesIt) {
    AppState app;
    app.home = home.path();
    ScriptedDialogs dlg;
    // The data folder has no name tables; the start copies them from the resources after the
    // recovery, which is not what this test is about.
    app.resourceFolder = std::getenv("MRTKEL_SHARE") ? std::getenv("MRTKEL_SHARE") : "";
    dlg.expect("MsgOK");
    ASSERT_EQ(PrepareDataFolders(app, dlg), 0);
    Files now = FolderFiles(data);
    for (const auto& [name, bytes] : after)
        EXPECT_EQ(now[name], bytes) << name;
    for (const auto& [name, bytes] : now)
        EXPECT_FALSE(IsTempFileName(name)) << name;
}

TEST_F(CrashedSave, ACutOffJournalIsUndoneAtTheProgramStart) {
    std::string journal = ReadBytes(data + "/" + kCommitJournalName);
    WriteBytes(data + "/" + kCommitJournalName, journal.substr(0, journal.size() / 2));
    AppState app;
    app.home = home.path();
    app.resourceFolder = std::getenv("MRTKEL_SHARE") ? std::getenv("MRTKEL_SHARE") : "";
    ScriptedDialogs dlg;
    dlg.expect("MsgOK");
    ASSERT_EQ(PrepareDataFolders(app, dlg), 0);
    Files now = FolderFiles(data);
    for (const auto& [name, bytes] : before)
        EXPECT_EQ(now[name], bytes) << name;
    for (const auto& [name, bytes] : now)
        EXPECT_FALSE(IsTempFileName(name)) << name;
}

// A reading command that meets the journal while no program holds the lock completes the save
// first, as the next writer would, then reads.
TEST_F(CrashedSave, AReadingToolCommandCompletesItWhenTheLockIsFree) {
    int status = 0;
    std::string out = tool("ledger --csv", status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("2003-02-14,書籍,,,0,1200,11000"), std::string::npos) << out;
    EXPECT_EQ(FolderFiles(data), after);
}

// With the lock held by another program the save may still be running: nothing is read, the
// command says the folder is in use, and no file changes.
TEST_F(CrashedSave, AReadingToolCommandReadsNothingWhileAnotherProgramHoldsTheLock) {
    DataLock program;
    ASSERT_TRUE(program.Acquire(home.path()));
    Files held = FolderFiles(data);
    for (const char* command : {"ledger", "check", "totals --date 2003-02-28", "names", "budget --year 2003"}) {
        int status = 0;
        EXPECT_EQ(tool(command, status), "") << command;
        EXPECT_EQ(status, 1) << command;
    }
    EXPECT_EQ(FolderFiles(data), held);
    program.Release();
    int status = 0;
    tool("check", status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(FolderFiles(data), after);
}

TEST_F(CrashedSave, AWritingToolCommandRecoversBeforeItReads) {
    std::string journal = ReadBytes(data + "/" + kCommitJournalName);
    WriteBytes(data + "/" + kCommitJournalName, journal.substr(0, 20)); // never whole: undone
    WriteBytes(data + "/BU/TBITEM.mrt.tmp~", "half a backup copy");
    int status = 0;
    tool("add --date 2003-02-20 --item 雑費 --expense 50", status);
    ASSERT_EQ(status, 0);
    LedgerModel expected = model;
    expected[2003].months[1].lines.push_back(Line{2003, 2, 20, "雑費", "", "", 0, 50, 0});
    recomputeModel(expected);
    Files now = FolderFiles(data);
    EXPECT_EQ(now,
              (Files{{"Inf2003.usr", infFileBytes(expected[2003])}, {"Io2003.usr", yearFileBytes(expected[2003])}}));
    EXPECT_TRUE(FolderFiles(data + "/BU").empty());
}

// The reading commands leave every file and folder of the home as they found it, also with a
// year between years with lines that has no information file.
TEST(ReadingCommands, ChangeNoFile) {
    TempDir home;
    auto tool = [&](const std::string& args, int& status) {
        return RunTool("--home '" + home.path() + "' " + args, status);
    };
    int status = 0;
    tool("init --start 2004-03-01 --balance 5000", status);
    ASSERT_EQ(status, 0);
    tool("add --date 2004-05-02 --item 食費 --expense 300", status);
    ASSERT_EQ(status, 0);
    tool("add --date 2006-01-10 --item 食費 --expense 200", status);
    ASSERT_EQ(status, 0);
    ASSERT_TRUE(fs::remove(home / "Data1/Inf2005.usr")); // as a folder copied from elsewhere may be
    Files start = tree(home.path());
    for (const char* command : {"ledger", "ledger --csv", "check", "totals --date 2006-01-31", "names", "names --csv",
                                "budget --year 2006", "settings", "eval 100"}) {
        tool(command, status);
        EXPECT_EQ(status, 0) << command;
        EXPECT_EQ(tree(home.path()), start) << command;
    }
    std::string listing = tool("ledger --csv", status);
    EXPECT_NE(listing.find("2006-01-10,食費,,,0,200,4500"), std::string::npos) << listing;
    // The next writer gives the empty year its information file.
    tool("add --date 2006-01-11 --item 食費 --expense 1", status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(home / "Data1/Inf2005.usr"), infFileBytes(YearSpec{}));
}

} // namespace
} // namespace mrt::test
