#include "budget/Budget.h"
#include "names/NameTables.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "util/Home.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

using namespace mrt;
using mrt::test::ReadBytes;
using mrt::test::ScriptedDialogs;
using mrt::test::TempDir;
using mrt::test::WriteBytes;

namespace {

// `n` values of -1 as one group line.
std::string noBudgetLine(int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += i + 1 < n ? "-1 ," : "-1 \r\n";
    return s;
}

// Item table with the given numbers of income and expense items in slots 1..n.
NameTables tablesWith(int income, int expense) {
    NameTables t;
    for (int i = 1; i <= income; ++i)
        AddName(t, kItemTable, 0, "収入" + std::to_string(i));
    for (int i = 1; i <= expense; ++i)
        AddName(t, kItemTable, 1, "支出" + std::to_string(i));
    return t;
}

struct BudgetHome {
    TempDir dir;
    BudgetPlace place;
    BudgetHome() {
        MakeFolders(dir / "Data1/BU");
        place = BudgetPlaceOf(dir.path());
    }
    std::string data(const std::string& name) const { return place.dataFolder + name; }
    std::string backup(const std::string& name) const { return place.backupFolder + name; }
    // A backup copy made at an earlier start (the copy routine skips files of equal time).
    bool writeBackup(const std::string& name, const std::string& bytes) const {
        if (!WriteBytes(backup(name), bytes)) return false;
        std::error_code ec;
        auto t = std::filesystem::last_write_time(backup(name), ec);
        std::filesystem::last_write_time(backup(name), t - std::chrono::hours(24), ec);
        return !ec;
    }
};

} // namespace

TEST(BudgetFile, GroupsThenTheSlotSectionByteForByte) {
    BgtRecord rec;
    FillBudget(rec, -1);
    rec.at(1, 0, 1) = 5000;
    rec.at(1, 0, 3) = 30000;
    rec.at(12, 1, 2) = 0;
    rec.at(12, 1, 40) = 777; // an expense item above the count
    std::string expected = " 5000 ,-1 , 30000 \r\n" + noBudgetLine(2);
    for (int month = 2; month <= 11; ++month)
        expected += noBudgetLine(3) + noBudgetLine(2);
    expected += noBudgetLine(3) + "-1 , 0 \r\n";
    expected += "*SLOTS\r\n";
    expected += " 5000 ,-1 , 30000 ," + noBudgetLine(17) + noBudgetLine(50);
    for (int month = 2; month <= 11; ++month)
        expected += noBudgetLine(20) + noBudgetLine(50);
    std::string dec = "-1 , 0 ,";
    for (int slot = 3; slot <= 50; ++slot)
        dec += slot == 40 ? " 777 ," : slot == 50 ? "-1 \r\n" : "-1 ,";
    expected += noBudgetLine(20) + dec;
    EXPECT_EQ(EncodeBudgetFile(rec, {3, 2}), expected);
}

TEST(BudgetFile, KindWithoutItemsHasNoGroupLine) {
    BgtRecord rec;
    FillBudget(rec, 100);
    std::string text = EncodeBudgetFile(rec, {0, 1});
    std::string groups;
    for (int month = 1; month <= 12; ++month)
        groups += " 100 \r\n";
    EXPECT_EQ(text.substr(0, text.find("*SLOTS")), groups);
}

TEST(BudgetFile, PlainGroupFileIsReadAsASequenceOfValues) {
    // 24 groups of two income values and one expense value, written without the slot section.
    std::string text;
    for (int month = 1; month <= 12; ++month)
        text += " " + std::to_string(month * 100) + " ,-1 \r\n " + std::to_string(month) + " \r\n";
    BgtRecord rec;
    ASSERT_TRUE(DecodeBudgetFile(text, {2, 1}, rec));
    EXPECT_EQ(rec.at(3, 0, 1), 300);
    EXPECT_EQ(rec.at(3, 0, 2), -1);
    EXPECT_EQ(rec.at(12, 1, 1), 12);
    EXPECT_EQ(rec.at(12, 1, 2), -1); // slots the file does not hold carry no budget
    EXPECT_EQ(rec.at(5, 0, 20), -1);

    // The line structure plays no part: the same values one per line, with a blank line.
    std::string oneByLine;
    for (int month = 1; month <= 12; ++month)
        oneByLine += std::to_string(month * 100) + "\r\n-1\r\n\r\n  " + std::to_string(month) + "\n";
    BgtRecord again;
    ASSERT_TRUE(DecodeBudgetFile(oneByLine, {2, 1}, again));
    EXPECT_EQ(again.BudgetAmounts, rec.BudgetAmounts);
}

TEST(BudgetFile, DamageIsDetected) {
    std::string good;
    for (int i = 0; i < 24; ++i)
        good += " 1 \r\n";
    BgtRecord rec;
    EXPECT_TRUE(DecodeBudgetFile(good, {1, 1}, rec));
    EXPECT_FALSE(DecodeBudgetFile(good, {2, 1}, rec)) << "fewer values than the counts need";
    std::string bad = good;
    bad.replace(bad.find(" 1 "), 3, "1x3");
    EXPECT_FALSE(DecodeBudgetFile(bad, {1, 1}, rec));
    EXPECT_FALSE(DecodeBudgetFile(" 1 ,, 2 \r\n" + good, {1, 1}, rec)) << "an empty field";
    EXPECT_FALSE(DecodeBudgetFile(" 99999999999 \r\n" + good, {1, 1}, rec)) << "beyond 32 bits";

    BgtRecord full;
    FillBudget(full, 5);
    std::string text = EncodeBudgetFile(full, {1, 1});
    EXPECT_TRUE(DecodeBudgetFile(text, {1, 1}, rec));
    EXPECT_FALSE(DecodeBudgetFile(text.substr(0, text.size() - 10), {1, 1}, rec)) << "cut slot section";
}

TEST(BudgetFile, BudgetsFollowTheirSlotsWhenItemsChange) {
    BgtRecord rec;
    FillBudget(rec, -1);
    rec.at(4, 0, 1) = 100;
    rec.at(4, 0, 3) = 300; // slot 3 is listed although only two items are registered
    rec.at(4, 1, 1) = 50;
    std::string text = EncodeBudgetFile(rec, {2, 1});

    // A reader that takes only the groups sees exactly the described layout.
    std::string groups = text.substr(0, text.find("*SLOTS"));
    BgtRecord plain;
    ASSERT_TRUE(DecodeBudgetFile(groups, {2, 1}, plain));
    EXPECT_EQ(plain.at(4, 0, 1), 100);
    EXPECT_EQ(plain.at(4, 1, 1), 50);

    // After items were added or removed the values still belong to their slots.
    for (BudgetCounts counts : {BudgetCounts{2, 1}, BudgetCounts{5, 1}, BudgetCounts{1, 0}}) {
        BgtRecord back;
        ASSERT_TRUE(DecodeBudgetFile(text, counts, back));
        EXPECT_EQ(back.BudgetAmounts, rec.BudgetAmounts);
    }
}

TEST(BudgetLoad, OwnFilePreviousDecemberOrNothing) {
    BudgetHome home;
    ScriptedDialogs dlg;
    NameTables t = tablesWith(3, 2);
    BgtRecord rec;
    FillBudget(rec, -1);
    rec.HeldYear = 2003;
    rec.at(12, 0, 2) = 2000;
    rec.at(12, 1, 1) = 1500;
    rec.at(11, 1, 1) = 999;
    ASSERT_EQ(SaveBudget(rec, 2003, t.items, home.place, dlg), 0);

    BgtRecord loaded;
    ASSERT_EQ(LoadBudget(loaded, 2003, t.items, home.place, dlg), 0);
    EXPECT_EQ(loaded.BudgetFileName, home.data("Bgt2003.usr"));
    EXPECT_EQ(loaded.at(11, 1, 1), 999);

    // 2004 has no file: every month starts with December 2003; no file is created.
    ASSERT_EQ(LoadBudget(loaded, 2004, t.items, home.place, dlg), 0);
    EXPECT_EQ(loaded.BudgetFileName, "");
    for (int month = 1; month <= 12; ++month) {
        EXPECT_EQ(loaded.at(month, 0, 2), 2000);
        EXPECT_EQ(loaded.at(month, 1, 1), 1500);
        EXPECT_EQ(loaded.at(month, 0, 1), -1);
    }
    EXPECT_EQ(ReadBytes(home.data("Bgt2004.usr")), "");

    // 2006 has neither file: no budget anywhere.
    ASSERT_EQ(LoadBudget(loaded, 2006, t.items, home.place, dlg), 0);
    for (int month = 1; month <= 12; ++month)
        for (int slot = 1; slot <= 50; ++slot)
            EXPECT_EQ(loaded.at(month, 1, slot), -1);
    EXPECT_EQ(dlg.transcript().size(), 0u);
}

TEST(BudgetLoad, HeldYearKeepsCommittedChangesEvenWithoutItsOwnFile) {
    BudgetHome home;
    ScriptedDialogs dlg;
    NameTables t = tablesWith(1, 1);
    BgtRecord rec;
    ASSERT_EQ(LoadBudget(rec, 2010, t.items, home.place, dlg), 0);
    CommitBudgetPage(rec, 2010, 6, 1, {"4500"}, t.items);
    ASSERT_EQ(LoadBudget(rec, 2010, t.items, home.place, dlg), 0);
    EXPECT_EQ(rec.at(6, 1, 1), 4500);

    // Saved, reloaded after another year: the file now answers.
    ASSERT_EQ(SaveBudget(rec, 2010, t.items, home.place, dlg), 0);
    ASSERT_EQ(LoadBudget(rec, 2011, t.items, home.place, dlg), 0);
    ASSERT_EQ(LoadBudget(rec, 2010, t.items, home.place, dlg), 0);
    EXPECT_EQ(rec.at(6, 1, 1), 4500);
    EXPECT_EQ(rec.BudgetFileName, home.data("Bgt2010.usr"));
}

TEST(BudgetLoad, DamagedFileIsRestoredFromTheBackupWhenTheUserAgrees) {
    BudgetHome home;
    NameTables t = tablesWith(1, 1);
    std::string good;
    for (int month = 1; month <= 12; ++month)
        good += " 10 \r\n 20 \r\n";
    ASSERT_TRUE(home.writeBackup("Bgt2004.usr", good));
    ASSERT_TRUE(WriteBytes(home.data("Bgt2004.usr"), " 10 \r\n 2"));

    ScriptedDialogs dlg;
    dlg.expect("MsgYesNo2", 0).expectMessage("予算データが異常です。前回登録時のデータに戻します。\r\n(直前の");
    BgtRecord rec;
    ASSERT_EQ(LoadBudget(rec, 2004, t.items, home.place, dlg), 0);
    EXPECT_EQ(dlg.transcript()[0].title, "予算データ異常");
    EXPECT_EQ(rec.at(7, 1, 1), 20);
    EXPECT_EQ(ReadBytes(home.data("Bgt2004.usr")), good);
}

TEST(BudgetLoad, DeclinedOrImpossibleRestoreFails) {
    BudgetHome home;
    NameTables t = tablesWith(1, 1);
    ASSERT_TRUE(WriteBytes(home.data("Bgt2004.usr"), "garbage\r\n"));
    {
        ScriptedDialogs dlg;
        dlg.expect("MsgYesNo2", 1);
        BgtRecord rec;
        EXPECT_EQ(LoadBudget(rec, 2004, t.items, home.place, dlg), -1);
        EXPECT_EQ(rec.HeldYear, 0);
        EXPECT_EQ(ReadBytes(home.data("Bgt2004.usr")), "garbage\r\n");
    }
    {
        // No copy in the backup folder: the question is not asked again and again.
        ScriptedDialogs dlg;
        dlg.expect("MsgYesNo2", 0);
        dlg.expect("MsgOK").expectMessage("予算データを復元できませんでした。");
        BgtRecord rec;
        EXPECT_EQ(LoadBudget(rec, 2004, t.items, home.place, dlg), -1);
    }
    {
        // The backup copy is damaged as well: one restore, then failure.
        ASSERT_TRUE(home.writeBackup("Bgt2004.usr", "also bad\r\n"));
        ScriptedDialogs dlg;
        dlg.expect("MsgYesNo2", 0);
        dlg.expect("MsgOK").expectMessage("予算データを復元できませんでした。");
        BgtRecord rec;
        EXPECT_EQ(LoadBudget(rec, 2004, t.items, home.place, dlg), -1);
        EXPECT_EQ(ReadBytes(home.data("Bgt2004.usr")), "also bad\r\n");
    }
}

TEST(BudgetLoad, DamagedPreviousYearIsTheFileRestored) {
    BudgetHome home;
    NameTables t = tablesWith(1, 1);
    std::string good;
    for (int month = 1; month <= 12; ++month)
        good += " " + std::to_string(month) + " , 5 \r\n";
    ASSERT_TRUE(home.writeBackup("bgt2004.USR", good)); // letter case from another system
    ASSERT_TRUE(WriteBytes(home.data("Bgt2004.usr"), " 1 , x \r\n"));
    ScriptedDialogs dlg;
    dlg.expect("MsgYesNo2", 0);
    BgtRecord rec;
    ASSERT_EQ(LoadBudget(rec, 2005, t.items, home.place, dlg), 0);
    EXPECT_EQ(rec.at(3, 0, 1), 12);
    EXPECT_EQ(rec.at(3, 1, 1), 5);
    EXPECT_EQ(ReadBytes(home.data("Bgt2004.usr")), good);
}

TEST(BudgetSave, FailedWriteShowsItsMessageAndKeepsTheOldFile) {
    BudgetHome home;
    NameTables t = tablesWith(1, 1);
    BgtRecord rec;
    FillBudget(rec, 1);
    rec.HeldYear = 2004;
    ScriptedDialogs dlg;
    // A folder where the file should be cannot be replaced by a file.
    MakeFolders(home.data("Bgt2004.usr"));
    dlg.expectBox(MsgResult::OK).expectMessage("予算データ書き込みに失敗しました。");
    EXPECT_EQ(SaveBudget(rec, 2004, t.items, home.place, dlg), -1);
    EXPECT_EQ(dlg.transcript()[0].title, "ミルテ家計簿");

    // The record holds another year: nothing is written under this year's name.
    dlg.expectBox(MsgResult::OK);
    EXPECT_EQ(SaveBudget(rec, 2005, t.items, home.place, dlg), -1);
    EXPECT_EQ(ReadBytes(home.data("Bgt2005.usr")), "");
}

TEST(BudgetCommit, BlankPlusAndDigits) {
    NameTables t = tablesWith(0, 4);
    DeleteName(t, kItemTable, 1, 2); // slot 2 freed: list is slots 1, 3, 4
    BgtRecord rec;
    FillBudget(rec, 7);
    CommitBudgetPage(rec, 2004, 10, 1, {"", "1000+", "0  ", "abc"}, t.items);
    EXPECT_EQ(rec.at(10, 1, 1), -1);
    EXPECT_EQ(rec.at(10, 1, 3), 1000);
    EXPECT_EQ(rec.at(11, 1, 3), 1000);
    EXPECT_EQ(rec.at(12, 1, 3), 1000);
    EXPECT_EQ(rec.at(9, 1, 3), 7) << "earlier months untouched";
    EXPECT_EQ(rec.at(10, 1, 4), 0) << "\"0\" is a budget of zero";
    EXPECT_EQ(rec.at(11, 1, 4), 7);
    EXPECT_EQ(rec.at(10, 1, 2), 7) << "the free slot is not part of the page";

    CommitBudgetPage(rec, 2004, 3, 1, {" +", "250 ＋", "12ab", "  "}, t.items);
    for (int month = 3; month <= 12; ++month) {
        EXPECT_EQ(rec.at(month, 1, 1), -1);
        EXPECT_EQ(rec.at(month, 1, 3), 250);
    }
    EXPECT_EQ(rec.at(3, 1, 4), 12);
    EXPECT_EQ(rec.at(4, 1, 4), 7);
}
