// Due recurring lines: a start after months away offers each line once, decisions (accept with a
// changed amount, skip, postpone) reach the ledger and the table in one commit, and a crash at
// any call of that commit never lets a line be added twice.
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerFiles.h"
#include "names/NameTables.h"
#include "port/ConsoleDialogs.h"
#include "repeat/RepeatDue.h"
#include "support/FaultFs.h"
#include "support/RunTool.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "util/CommitJournal.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace mrt::test {
namespace {

namespace fs = std::filesystem;

// Takes every message of a crashed save without a script: which calls report depends on the call.
class QuietDialogs : public ConsoleDialogs {
public:
    void MsgOK(const std::string&, const std::string&, int, int) override {}
    MsgResult MsgBox(const std::string&, const std::string&, MsgIcon, MsgButtons) override { return MsgResult::OK; }
};

class DueLines : public ::testing::Test {
protected:
    void SetUp() override {
        int status = 0;
        RunTool("--home '" + home.path() + "' init --start 2024-01-01 --balance 500000", status);
        ASSERT_EQ(status, 0);
        data = DataFolder(home.path());
        RepeatEntry rent;
        rent.item = "住居費";
        rent.note = "家賃";
        rent.shop = "大家";
        rent.side = kExpenseKind;
        rent.amount = "80,000";
        rent.rule = {RepeatKind::Monthly, 1, 27, false, 20240101, 0};
        rent.offeredUpTo = 20240131;
        RepeatEntry phone = rent;
        phone.item = "通信費";
        phone.note = "携帯電話";
        phone.shop = "";
        phone.amount = "3000%";
        phone.rule = {RepeatKind::Monthly, 1, 10, true, 20240101, 0};
        table.entries = {rent, phone};
        ScriptedDialogs dlg;
        ASSERT_EQ(SaveRepeatTable(RepeatFileIn(data), table, dlg), 0);
    }

    // The ledger's lines as "yyyymmdd item income expense", after the initial-balance line.
    std::vector<std::string> ledgerLines() {
        LedgerState st = state();
        ScriptedDialogs dlg;
        st.index.BlockStartYear = st.index.FirstYear;
        st.index.BlockStartMonth = st.index.FirstMonth;
        st.index.BlockSpan = 12 * st.index.YearCount;
        st.MaxBlockLines = 100000;
        EXPECT_EQ(LoadLedgerBlock(st, st.block, false, dlg), 0);
        std::vector<std::string> out;
        for (size_t i = 1; i < st.block.size(); ++i) {
            const IoRecord& l = st.block[i];
            out.push_back(std::to_string(l.Year * 10000 + l.Month * 100 + l.Day) + " " + l.ItemName + " " +
                          std::to_string(l.Income) + " " + std::to_string(l.Expense));
        }
        return out;
    }
    LedgerState state() {
        LedgerState st;
        st.index.SetDataFolder(data);
        ScriptedDialogs dlg;
        EXPECT_EQ(ScanLedgerYears(st, dlg), 0);
        return st;
    }
    NameTables names() {
        NameTables t;
        EXPECT_EQ(LoadItemTable(NameFilesIn(data).item, t), 0);
        return t;
    }
    RepeatTable load() {
        RepeatTable t;
        EXPECT_EQ(LoadRepeatTable(RepeatFileIn(data), t), 0);
        return t;
    }
    // Offers the lines due up to `until` and accepts them all; the number added.
    int acceptAll(int32_t until, Dialogs& dlg) {
        RepeatTable t = load();
        NameTables n = names();
        return ApplyDueLines(state(), n, data, t, CollectDueLines(t, until), until, 10, dlg);
    }

    TempDir home;
    std::string data;
    RepeatTable table;
};

std::vector<int32_t> datesOf(const std::vector<DueLine>& lines) {
    std::vector<int32_t> d;
    for (const DueLine& l : lines)
        d.push_back(l.date);
    return d;
}

TEST_F(DueLines, AStartAfterThreeMonthsAwayOffersEachLineOnce) {
    const std::vector<DueLine> due = CollectDueLines(table, 20240430);
    // 10 February 2024 is a Saturday, the 11th a holiday on a Sunday, the 12th its substitute.
    EXPECT_EQ(datesOf(due), (std::vector<int32_t>{20240213, 20240227, 20240311, 20240327, 20240410, 20240427}));
    ScriptedDialogs dlg;
    EXPECT_EQ(acceptAll(20240430, dlg), 6);
    EXPECT_EQ(ledgerLines(), (std::vector<std::string>{"20240213 通信費 0 3300", "20240227 住居費 0 80000",
                                                       "20240311 通信費 0 3300", "20240327 住居費 0 80000",
                                                       "20240410 通信費 0 3300", "20240427 住居費 0 80000"}));
    EXPECT_TRUE(CollectDueLines(load(), 20240430).empty());
    EXPECT_EQ(acceptAll(20240430, dlg), 0);
    EXPECT_EQ(ledgerLines().size(), 6u);
    // The next day brings nothing new; the next month its two lines.
    EXPECT_TRUE(CollectDueLines(load(), 20240501).empty());
    EXPECT_EQ(datesOf(CollectDueLines(load(), 20240531)), (std::vector<int32_t>{20240510, 20240527}));
}

TEST_F(DueLines, ChangedAmountsSkippedAndPostponedLines) {
    std::vector<DueLine> due = CollectDueLines(table, 20240331);
    ASSERT_EQ(due.size(), 4u);
    due[0].amount = "4,120"; // 13 Feb phone: a bill that varies
    due[1].choice = DueChoice::Skip;
    due[2].choice = DueChoice::Postpone;
    ScriptedDialogs dlg;
    RepeatTable t = load();
    NameTables n = names();
    ASSERT_EQ(ApplyDueLines(state(), n, data, t, due, 20240331, 10, dlg), 2);
    EXPECT_EQ(ledgerLines(), (std::vector<std::string>{"20240213 通信費 0 4120", "20240327 住居費 0 80000"}));
    EXPECT_EQ(load().entries[1].postponed, std::vector<int32_t>{20240311});
    // The postponed line comes back first, once, with the month's new lines.
    due = CollectDueLines(load(), 20240430);
    EXPECT_EQ(datesOf(due), (std::vector<int32_t>{20240311, 20240410, 20240427}));
    EXPECT_TRUE(due[0].wasPostponed);
    ASSERT_EQ(acceptAll(20240430, dlg), 3);
    EXPECT_EQ(ledgerLines().size(), 5u);
    EXPECT_TRUE(load().entries[1].postponed.empty());
}

TEST_F(DueLines, ALineTheLedgerRefusesAddsNothing) {
    table.entries[0].item = "登録なし";
    ScriptedDialogs dlg;
    ASSERT_EQ(SaveRepeatTable(RepeatFileIn(data), table, dlg), 0);
    const std::string before = ReadBytes(RepeatFileIn(data));
    dlg.expect("MsgOK").expectMessage("2024/02/27 登録なし: 項目名「登録なし」");
    EXPECT_EQ(acceptAll(20240331, dlg), -1);
    EXPECT_TRUE(ledgerLines().empty());
    EXPECT_EQ(ReadBytes(RepeatFileIn(data)), before);
}

// A copy of the data folder's files: name → bytes.
std::map<std::string, std::string> filesOf(const std::string& folder) {
    std::map<std::string, std::string> m;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_regular_file()) m[e.path().filename().string()] = ReadBytes(e.path().string());
    return m;
}
void restoreFiles(const std::string& folder, const std::map<std::string, std::string>& files) {
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_regular_file()) fs::remove(e.path());
    for (const auto& [name, bytes] : files)
        WriteBytes(folder + "/" + name, bytes);
}

TEST_F(DueLines, ACrashBetweenAcceptingAndSavingNeverAddsALineTwice) {
    const auto before = filesOf(data);
    int calls = 0;
    {
        FaultFs probe(data);
        ScopedFileSystem use(probe);
        ScriptedDialogs dlg;
        ASSERT_EQ(acceptAll(20240331, dlg), 4);
        calls = probe.Calls();
    }
    ASSERT_GT(calls, 3);
    for (int n = 1; n <= calls; ++n) {
        for (int powerCut = 0; powerCut <= 1; ++powerCut) {
            SCOPED_TRACE("crash at call " + std::to_string(n) + (powerCut ? " with a power cut" : ""));
            restoreFiles(data, before);
            {
                FaultFs fs(data);
                fs.CrashAt(n);
                ScopedFileSystem use(fs);
                QuietDialogs dlg;
                acceptAll(20240331, dlg);
                if (powerCut) fs.PowerCut(true);
            }
            // The restart finishes or undoes the commit; the lines still due are accepted again.
            std::string error;
            ASSERT_EQ(RecoverDataFolder(data, error), 0) << error;
            const size_t added = ledgerLines().size();
            EXPECT_TRUE(added == 0 || added == 4) << added;
            ScriptedDialogs dlg;
            EXPECT_EQ(acceptAll(20240331, dlg), static_cast<int>(4 - added));
            EXPECT_EQ(ledgerLines().size(), 4u);
            EXPECT_TRUE(CollectDueLines(load(), 20240331).empty());
        }
    }
}

} // namespace
} // namespace mrt::test
