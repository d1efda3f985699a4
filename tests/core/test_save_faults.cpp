// Every kind of save, cut at every file-system call it makes: the process killed there, killed
// with a power cut, or an I/O error there. After the recovery of the next start the data folder
// must hold byte for byte the files of before the save or of after it, and the ledger check must
// pass; a save that reports an error must have left the files as they were.
#include "budget/Budget.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerCheck.h"
#include "ledger/LedgerCsv.h"
#include "ledger/LedgerSave.h"
#include "ledger/StartDate.h"
#include "names/NameTables.h"
#include "port/ConsoleDialogs.h"
#include "support/FaultFs.h"
#include "test_ledger_fixture.h"
#include "util/CommitJournal.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <functional>
#include <map>

namespace mrt::test {
namespace {


// Makes the folder hold exactly `files`, rewriting only what differs.
void restore(const std::string& folder, const Files& files) {
    Files now = FolderFiles(folder);
    for (const auto& [name, bytes] : now)
        if (!files.count(name)) std::filesystem::remove(folder + "/" + name);
    for (const auto& [name, bytes] : files) {
        auto it = now.find(name);
        if (it == now.end() || it->second != bytes) WriteBytes(folder + "/" + name, bytes);
    }
}

std::string names(const Files& files) {
    std::string s;
    for (const auto& [name, bytes] : files)
        s += name + "(" + std::to_string(bytes.size()) + ") ";
    return s;
}

// Answers the start-date questions and keeps every message instead of printing it.
class AnsweringDialogs : public ConsoleDialogs {
public:
    std::string date, amount;
    std::vector<std::string> messages;

    void MsgOK(const std::string& msg, const std::string&, int, int) override { messages.push_back(msg); }
    MsgResult MsgBox(const std::string& msg, const std::string&, MsgIcon, MsgButtons) override {
        messages.push_back(msg);
        return MsgResult::OK;
    }
    int MsgYesNo(const std::string&, const std::string&) override { return 0; }
    int DateInYMD(const std::string&, const std::string&, std::string& out) override {
        out = date;
        return 0;
    }
    int InputKel(std::string& txt, const std::string&, const std::string&, int, int, const std::string&) override {
        txt = amount;
        return 0;
    }
};

struct Scenario {
    const char* name;
    LedgerModel ledger;                                                  // the ledger before the save
    std::function<void(const std::string& home)> extraFiles;             // other files before the save
    std::function<int(const std::string& home, AnsweringDialogs&)> save; // loads, changes, saves
    bool noLinks = false;                                                // a file system without hard links
};

void PrintTo(const Scenario& s, std::ostream* os) {
    *os << s.name;
}

LedgerState loaded(const std::string& home, int blockMonths = 3) {
    LedgerState st = stateFor(DataFolder(home), blockMonths, 1500);
    ConsoleDialogs quiet;
    if (ScanLedgerYears(st, quiet) != 0 || LoadStartBlock(st, quiet) != 0) ADD_FAILURE() << "ledger not loaded";
    return st;
}

// Appends an expense line to the block, balance following the last line.
void addLine(LedgerState& st, int y, int m, int d, int32_t expense) {
    IoRecord r = toRecord(Line{y, m, d, "追加", "", "", 0, expense, st.block.back().Balance - expense});
    st.block.push_back(r);
    st.LedgerModified = true;
}

int saveLedger(LedgerState& st, Dialogs& dlg) {
    return SaveLedgerBlock(st, dlg);
}

// Lines on the 1st..nth day of each month given, plus the initial-balance line on 2003-01-05.
LedgerModel ledgerOf(std::initializer_list<std::pair<int, int>> yearMonths, int perMonth) {
    LedgerModel model;
    model[2003].months[0].lines = {Line{2003, 1, 5, "初期残高", "", "", 0, 0, 50000}};
    for (auto [y, m] : yearMonths) {
        auto more = monthLines(y, m, perMonth, 100 + m);
        auto& lines = model[y].months[m - 1].lines;
        lines.insert(lines.end(), more.begin(), more.end());
    }
    recomputeModel(model);
    return model;
}

std::vector<Scenario> scenarios() {
    std::vector<Scenario> list;
    list.push_back({"NewestDate", ledgerOf({{2003, 2}, {2003, 3}}, 4), nullptr,
                    [](const std::string& home, AnsweringDialogs& dlg) {
                        LedgerState st = loaded(home);
                        addLine(st, 2003, 3, 20, 700);
                        return saveLedger(st, dlg);
                    }});
    list.push_back({"NewestDateWithoutHardLinks", ledgerOf({{2003, 2}, {2003, 3}}, 4), nullptr,
                    [](const std::string& home, AnsweringDialogs& dlg) {
                        LedgerState st = loaded(home);
                        addLine(st, 2003, 3, 20, 700);
                        return saveLedger(st, dlg);
                    },
                    true});
    // A block four years back: its new balance is carried through every later year file (a
    // commit of more than four files, each flushed on its own).
    list.push_back({"FarBackWithCarries", ledgerOf({{2003, 2}, {2004, 6}, {2005, 6}, {2006, 6}, {2007, 3}}, 2), nullptr,
                    [](const std::string& home, AnsweringDialogs& dlg) {
                        LedgerState st = loaded(home);
                        st.index.BlockStartYear = 2003;
                        st.index.BlockStartMonth = 1;
                        st.index.BlockSpan = 2;
                        ConsoleDialogs quiet;
                        if (LoadLedgerBlock(st, st.block, false, quiet) != 0) return 99;
                        st.block.back().Expense += 5;
                        st.block.back().Balance -= 5;
                        st.LedgerModified = true;
                        return saveLedger(st, dlg);
                    }});
    // A line two years after the last one: a new year file, and an information file for the
    // empty year in between.
    list.push_back({"NewYearAfterAGap", ledgerOf({{2003, 2}, {2004, 11}}, 3), nullptr,
                    [](const std::string& home, AnsweringDialogs& dlg) {
                        LedgerState st = loaded(home);
                        addLine(st, 2006, 1, 3, 300);
                        return saveLedger(st, dlg);
                    }});
    // A month holding 498 of its 499 line slots receives three more lines: it grows.
    LedgerModel full = ledgerOf({{2003, 3}}, 2);
    full[2003].months[3].lines = monthLines(2003, 4, 498, 1);
    recomputeModel(full);
    list.push_back({"MonthAtCapacityGrows", full, nullptr, [](const std::string& home, AnsweringDialogs& dlg) {
                        LedgerState st = loaded(home);
                        for (int k = 0; k < 3; ++k)
                            addLine(st, 2003, 4, 25, 10 + k);
                        return saveLedger(st, dlg);
                    }});
    // The start moves a year later: the year the initial-balance line leaves is removed.
    {
        LedgerModel model;
        model[2003].months[11].lines = {Line{2003, 12, 1, "初期残高", "", "", 0, 0, 9000}};
        model[2004].months[1].lines = monthLines(2004, 2, 3);
        recomputeModel(model);
        list.push_back({"StartDateLaterDropsAYear", model, nullptr, [](const std::string& home, AnsweringDialogs& dlg) {
                            LedgerState st = loaded(home);
                            dlg.date = "2004/01/15";
                            dlg.amount = "12000";
                            return ChangeStartDate(st, dlg);
                        }});
    }
    // The start moves two years earlier: every year is shifted and rewritten.
    list.push_back({"StartDateEarlier", ledgerOf({{2003, 2}, {2004, 3}}, 2), nullptr,
                    [](const std::string& home, AnsweringDialogs& dlg) {
                        LedgerState st = loaded(home);
                        dlg.date = "2001/05/05";
                        dlg.amount = "50000";
                        return ChangeStartDate(st, dlg);
                    }});
    list.push_back({"BudgetReplaced", ledgerOf({{2003, 2}}, 1),
                    [](const std::string& home) {
                        NameTables t;
                        AddName(t, kItemTable, 1, "食費");
                        BgtRecord rec;
                        FillBudget(rec, -1);
                        rec.HeldYear = 2003;
                        rec.at(1, 1, 1) = 100;
                        ConsoleDialogs quiet;
                        EXPECT_EQ(SaveBudget(rec, 2003, t.items, BudgetPlaceOf(home), quiet), 0);
                    },
                    [](const std::string& home, AnsweringDialogs& dlg) {
                        NameTables t;
                        AddName(t, kItemTable, 1, "食費");
                        BgtRecord rec;
                        BudgetPlace place = BudgetPlaceOf(home);
                        if (LoadBudget(rec, 2003, t.items, place, dlg) != 0) return 99;
                        rec.at(2, 1, 1) = 2500;
                        return SaveBudget(rec, 2003, t.items, place, dlg);
                    }});
    list.push_back(
        {"NameTablesWritten", ledgerOf({{2003, 2}}, 1), nullptr, [](const std::string& home, AnsweringDialogs& dlg) {
             NameTables t;
             AddName(t, kItemTable, 1, "食費");
             AddName(t, kItemTable, 0, "給与");
             return SaveItemTable(NameFilesIn(DataFolder(home)).item, t, dlg);
         }});
    return list;
}

enum class Cut { Kill, KillAndPowerCut, KillAndPowerCutKeepingRenames, IoError };

class SaveFaults : public ::testing::TestWithParam<Scenario> {
protected:
    void SetUp() override {
        MakeFolders(home / "Data1/BU");
        data = DataFolder(home.path());
        writeModel(data, GetParam().ledger);
        if (GetParam().extraFiles) GetParam().extraFiles(home.path());
        before = FolderFiles(data);
        beforeLines = lines();
    }

    // Runs the save with `fs` in place; its result.
    int runWith(FaultFs& fs, AnsweringDialogs& dlg) {
        if (GetParam().noLinks) fs.NoLinks();
        ScopedFileSystem use(fs);
        return GetParam().save(home.path(), dlg);
    }

    // The ledger's lines as a listing shows them.
    std::string lines() const {
        LedgerState st = stateFor(data, 3, INT_MAX);
        ConsoleDialogs quiet;
        CsvWriter csv;
        if (ScanLedgerYears(st, quiet) != 0 || WriteLedgerCsv(st.index, 0, 0, false, csv, quiet) < 0)
            return "unreadable";
        return std::string(csv.Data());
    }

    // The files of before, but for year files that hold the same lines where the information files
    // point (a commit cut between a year file and its information file, which commits it).
    bool sameLedgerAsBefore(const Files& now) const {
        if (now.size() != before.size()) return false;
        for (const auto& [name, bytes] : now) {
            auto it = before.find(name);
            if (it == before.end() || (it->second != bytes && name.rfind("Io", 0) != 0)) return false;
        }
        return lines() == beforeLines;
    }

    std::string checkLedger() const {
        LedgerIndex idx;
        idx.SetDataFolder(data);
        std::string all;
        for (const std::string& p : CheckLedgerFiles(idx))
            all += p + "\n";
        return all;
    }

    TempDir home;
    std::string data;
    Files before;
    std::string beforeLines;
};

TEST_P(SaveFaults, EveryCallCutGivesTheFilesOfBeforeOrAfter) {
    ASSERT_EQ(checkLedger(), "");
    // The save undisturbed, then a power cut: what it reported saved is durable.
    Files after;
    std::vector<std::string> log;
    {
        FaultFs fs(data);
        AnsweringDialogs dlg;
        ASSERT_EQ(runWith(fs, dlg), 0) << (dlg.messages.empty() ? "" : dlg.messages[0]);
        log = fs.Log();
        after = FolderFiles(data);
        ASSERT_TRUE(FolderFiles(data, false) == after) << "temporary files left: " << names(after);
        fs.PowerCut();
    }
    ASSERT_TRUE(after != before);
    std::string error;
    ASSERT_EQ(RecoverDataFolder(data, error), 0) << error;
    ASSERT_TRUE(FolderFiles(data) == after) << names(FolderFiles(data));
    ASSERT_EQ(checkLedger(), "");
    // A call at or before the last folder sync fails the save; after it the save is durable.
    int lastSync = 0;
    for (size_t i = 0; i < log.size(); ++i)
        if (log[i] == "SyncFolder") lastSync = static_cast<int>(i) + 1;
    ASSERT_GT(lastSync, 0);

    const int calls = static_cast<int>(log.size());
    for (int n = 1; n <= calls; ++n) {
        for (Cut cut : {Cut::Kill, Cut::KillAndPowerCut, Cut::KillAndPowerCutKeepingRenames, Cut::IoError}) {
            static const char* kCutNames[] = {"killed", "killed, power cut", "killed, power cut keeping renames",
                                              "I/O error"};
            SCOPED_TRACE("call " + std::to_string(n) + " of " + std::to_string(calls) + " (" + log[n - 1] + "), " +
                         kCutNames[static_cast<int>(cut)]);
            restore(data, before);
            AnsweringDialogs dlg;
            int rc = 0;
            {
                FaultFs fs(data);
                if (cut == Cut::IoError)
                    fs.FailCall(n);
                else
                    fs.CrashAt(n);
                rc = runWith(fs, dlg);
                if (cut == Cut::KillAndPowerCut || cut == Cut::KillAndPowerCutKeepingRenames)
                    fs.PowerCut(cut == Cut::KillAndPowerCutKeepingRenames);
            }
            if (cut == Cut::IoError) {
                if (n <= lastSync) {
                    EXPECT_EQ(rc, -1);
                    EXPECT_FALSE(dlg.messages.empty());
                    EXPECT_TRUE(FolderFiles(data, false) == before) << names(FolderFiles(data));
                } else {
                    EXPECT_EQ(rc, 0);
                    EXPECT_TRUE(FolderFiles(data, false) == after) << names(FolderFiles(data));
                }
            }
            std::string error;
            ASSERT_EQ(RecoverDataFolder(data, error), 0) << error;
            Files now = FolderFiles(data);
            bool asBefore = now == before || (cut != Cut::IoError && sameLedgerAsBefore(now)), asAfter = now == after;
            EXPECT_TRUE(asBefore || asAfter) << names(now);
            if (cut == Cut::IoError) {
                EXPECT_EQ(asAfter, n > lastSync);
            }
            EXPECT_EQ(checkLedger(), "");
            if (HasFailure()) return;
        }
    }
}

// A failed rename or folder sync makes the save put the old files back at once; the process
// killed at any call of that undoing (with or without a power cut) must still give the files of
// before or after the save.
class UndoFaults : public SaveFaults {};

TEST_P(UndoFaults, KilledWhileUndoingAFailedCommitGivesBeforeOrAfter) {
    std::vector<std::string> log;
    Files after;
    {
        FaultFs fs(data);
        AnsweringDialogs dlg;
        ASSERT_EQ(runWith(fs, dlg), 0);
        log = fs.Log();
        after = FolderFiles(data);
    }
    // The calls that change targets: from the first rename up to the last folder sync.
    int firstRename = 0, lastSync = 0;
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i] == "Rename" && firstRename == 0) firstRename = static_cast<int>(i) + 1;
        if (log[i] == "SyncFolder") lastSync = static_cast<int>(i) + 1;
    }
    ASSERT_GT(firstRename, 0);
    int undone = 0;
    for (int n = firstRename; n <= lastSync; ++n) {
        int calls = 0;
        restore(data, before);
        {
            FaultFs fs(data);
            fs.FailCall(n);
            AnsweringDialogs dlg;
            ASSERT_EQ(runWith(fs, dlg), -1);
            calls = fs.Calls();
        }
        undone += calls > n;
        for (int m = n + 1; m <= calls; ++m) {
            for (int powerCut = 0; powerCut <= 2; ++powerCut) {
                SCOPED_TRACE("I/O error at call " + std::to_string(n) + " (" + log[n - 1] + "), killed at call " +
                             std::to_string(m) + (powerCut ? ", power cut" : "") +
                             (powerCut == 2 ? " keeping renames" : ""));
                restore(data, before);
                {
                    FaultFs fs(data);
                    fs.FailCall(n);
                    fs.CrashAt(m);
                    AnsweringDialogs dlg;
                    EXPECT_EQ(runWith(fs, dlg), -1);
                    if (powerCut) fs.PowerCut(powerCut == 2);
                }
                std::string error;
                ASSERT_EQ(RecoverDataFolder(data, error), 0) << error;
                Files now = FolderFiles(data);
                EXPECT_TRUE(now == before || now == after || sameLedgerAsBefore(now)) << names(now);
                EXPECT_EQ(checkLedger(), "");
                if (HasFailure()) return;
            }
        }
    }
    EXPECT_GT(undone, 0);
}

std::string scenarioName(const ::testing::TestParamInfo<Scenario>& info) {
    return info.param.name;
}

// The far-back save undoes as the other ledger saves do (what differs comes before the first
// rename); leaving it out of the undo faults keeps the suite short.
std::vector<Scenario> undoScenarios() {
    std::vector<Scenario> list = scenarios();
    std::erase_if(list, [](const Scenario& s) { return std::string(s.name) == "FarBackWithCarries"; });
    return list;
}

// The flushes and folder syncs a save waits for: lines added to a month that has room for them
// commit the year file, then its information file, each with one flush and one folder sync; a
// commit of more files also flushes and syncs its journal.
TEST(SaveSyncs, LinesAddedToAMonthNeedNoJournal) {
    const struct {
        const char* scenario;
        int flushes, folderSyncs;
    } kCases[] = {{"NewestDate", 2, 2}, {"MonthAtCapacityGrows", 3, 2}, {"FarBackWithCarries", 6, 2}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.scenario);
        const std::vector<Scenario> all = scenarios();
        const auto it =
            std::find_if(all.begin(), all.end(), [&](const Scenario& s) { return std::string(s.name) == c.scenario; });
        ASSERT_NE(it, all.end());
        TempDir home;
        MakeFolders(home / "Data1/BU");
        writeModel(DataFolder(home.path()), it->ledger);
        FaultFs fs(DataFolder(home.path()));
        AnsweringDialogs dlg;
        {
            ScopedFileSystem use(fs);
            ASSERT_EQ(it->save(home.path(), dlg), 0);
        }
        EXPECT_EQ(std::count(fs.Log().begin(), fs.Log().end(), "Flush"), c.flushes);
        EXPECT_EQ(std::count(fs.Log().begin(), fs.Log().end(), "SyncFolder"), c.folderSyncs);
    }
}

INSTANTIATE_TEST_SUITE_P(Saves, SaveFaults, ::testing::ValuesIn(scenarios()), scenarioName);
INSTANTIATE_TEST_SUITE_P(Saves, UndoFaults, ::testing::ValuesIn(undoScenarios()), scenarioName);

} // namespace
} // namespace mrt::test
