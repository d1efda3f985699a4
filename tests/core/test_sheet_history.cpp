// Undo and redo of the loaded block: random edit sequences on the sheet undone to the block as
// loaded and redone to the final lines (compared as saved files), and the editor's own steps.
#include "grid/GridModel.h"
#include "ledger/LedgerBalance.h"
#include "ledger/LedgerIndex.h"
#include "ledger/LedgerSave.h"
#include "ledger/LedgerSheet.h"
#include "ledger/SheetHistory.h"
#include "ledger/StartDate.h"
#include "settings/IniRecord.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "test_ledger_editor_fixture.h"
#include "util/Paths.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>

namespace mrt {
namespace {

using test::ScriptedDialogs;
using test::TempDir;

IoRecord line(int d, const std::string& item, int32_t income, int32_t expense) {
    IoRecord r;
    r.Year = 2003;
    r.Month = 4;
    r.Day = static_cast<int16_t>(d);
    r.ItemName = item;
    r.Income = income;
    r.Expense = expense;
    return r;
}

struct HistoryFixture : ::testing::Test {
    TempDir tmp;
    GridModel grid;
    LedgerState ledger;
    IniRecord settings;
    StartLine start;
    ScriptedDialogs dlg;
    LedgerSheet sheet{grid, ledger, settings, start, dlg};

    void SetUp() override {
        GridSpec spec;
        spec.lineRows = 300;
        SetUpLedgerGrid(grid, spec, FixedPitchMeasure());
        ledger.MaxBlockLines = 300;
        ledger.BlockPos = kBlockNewest;
        start.StartDateText = "20030401";
        ledger.block = {line(1, "初期残高", 0, 0), line(3, "食費", 0, 1000), line(5, "給与", 5000, 0),
                        line(30, "外食", 0, 2000)};
        ledger.block[0].Balance = 10000;
        RecomputeBalancesForTest();
        sheet.FillFromBlock();
    }
    void RecomputeBalancesForTest() { RecomputeBalances(ledger.block, 1); }
    // The bytes of the year and info files after saving the sheet's lines into a fresh folder.
    std::string savedBytes(const std::string& name) {
        static int n = 0;
        const std::string folder = JoinPath(tmp.path(), "save" + std::to_string(++n) + "/");
        std::filesystem::create_directories(folder);
        LedgerState st;
        st.index.SetDataFolder(folder);
        st.block = sheet.Lines();
        DropTrailingEmptyLines(st.block);
        st.LedgerModified = true;
        ScriptedDialogs quiet;
        EXPECT_EQ(SaveLedgerBlock(st, quiet), 0);
        return test::ReadBytes(JoinPath(folder, "Io2003.usr")) + "|" +
               test::ReadBytes(JoinPath(folder, "Inf2003.usr")) + "|" + name;
    }
};

// One random change of the kinds the editor makes: an amount, a note, a day, a new line at the
// end, an inserted line, a deleted line, a sort.
void randomChange(std::mt19937& rng, LedgerSheet& sheet) {
    const int last = sheet.LastRow();
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    switch (pick(0, 6)) {
    case 0: {
        if (last < 2) return;
        std::string text = std::to_string(pick(1, 9999));
        sheet.CommitCell(text, kColExpense, pick(2, last));
        return;
    }
    case 1: {
        if (last < 2) return;
        std::string text = "メモ" + std::to_string(pick(1, 99));
        sheet.CommitCell(text, kColNote, pick(2, last));
        return;
    }
    case 2: {
        if (last < 2) return;
        std::string text = std::to_string(pick(1, 30));
        sheet.CommitCell(text, kColDay, pick(2, last));
        return;
    }
    case 3: {
        const int row = last + 1;
        sheet.StartEntry(true);
        std::string item = "食費";
        sheet.CommitCell(item, kColItem, row);
        std::string amount = std::to_string(pick(1, 5000));
        sheet.CommitCell(amount, kColExpense, row);
        return;
    }
    case 4: {
        if (last < 2) return;
        const int row = pick(2, last);
        sheet.InsertLine(row);
        return;
    }
    case 5:
        if (last >= 3) sheet.DeleteLine(pick(2, last));
        return;
    default:
        sheet.SortByDate();
        return;
    }
}

TEST_F(HistoryFixture, RandomEditsUndoToTheLoadedBlockAndRedoToTheLast) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SetUp();
        std::mt19937 rng(seed);
        SheetHistory history;
        const std::string loaded = savedBytes("");
        const int steps = 1 + static_cast<int>(rng() % 60);
        for (int i = 0; i < steps; ++i) {
            history.Begin(sheet, SheetCursor{});
            randomChange(rng, sheet);
            history.End(sheet, SheetCursor{});
        }
        const std::string final = savedBytes("");
        SheetCursor c;
        while (history.Undo(sheet, c)) {
        }
        EXPECT_EQ(history.UndoSteps(), 0u) << "seed " << seed;
        EXPECT_EQ(savedBytes(""), loaded) << "seed " << seed;
        while (history.Redo(sheet, c)) {
        }
        EXPECT_EQ(savedBytes(""), final) << "seed " << seed;
    }
}

TEST_F(HistoryFixture, StepsAreCountedChangesAndTheOldestFallOffAtTheLimit) {
    SheetHistory history(3);
    SheetCursor c;
    history.Begin(sheet, SheetCursor{2, kColExpense, 1});
    std::string same = "1000"; // the value it already has: no step
    sheet.CommitCell(same, kColExpense, 2);
    history.End(sheet, SheetCursor{3, kColDay, 1});
    EXPECT_EQ(history.UndoSteps(), 0u);
    for (int amount : {100, 200, 300, 400}) {
        history.Begin(sheet, SheetCursor{2, kColExpense, 1});
        std::string text = std::to_string(amount);
        sheet.CommitCell(text, kColExpense, 2);
        history.End(sheet, SheetCursor{3, kColDay, 1});
    }
    EXPECT_EQ(history.UndoSteps(), 3u);
    ASSERT_TRUE(history.Undo(sheet, c));
    EXPECT_EQ(grid.TextMatrix(2, kColExpense), "       300");
    EXPECT_EQ(c.row, 2);
    EXPECT_EQ(c.col, kColExpense);
    ASSERT_TRUE(history.Undo(sheet, c));
    ASSERT_TRUE(history.Undo(sheet, c));
    EXPECT_EQ(grid.TextMatrix(2, kColExpense), "       100"); // 1,000 → 100 fell off the end
    EXPECT_FALSE(history.Undo(sheet, c));
    ASSERT_TRUE(history.Redo(sheet, c));
    EXPECT_EQ(c.row, 3);
    // A new change drops what could have been redone.
    history.Begin(sheet, SheetCursor{});
    std::string text = "5";
    sheet.CommitCell(text, kColExpense, 3);
    history.End(sheet, SheetCursor{});
    EXPECT_EQ(history.RedoSteps(), 0u);
}

// A change the history did not see (made without Begin/End) is never undone past: the history
// starts afresh from it rather than putting back lines that no longer match.
TEST_F(HistoryFixture, AnUnseenChangeEndsTheHistory) {
    SheetHistory history;
    SheetCursor c;
    history.Begin(sheet, SheetCursor{});
    std::string text = "50";
    sheet.CommitCell(text, kColExpense, 2);
    history.End(sheet, SheetCursor{});
    std::string other = "70";
    sheet.CommitCell(other, kColExpense, 3);
    EXPECT_FALSE(history.Undo(sheet, c));
    EXPECT_EQ(grid.TextMatrix(2, kColExpense), "        50");
    EXPECT_EQ(grid.TextMatrix(3, kColExpense), "        70");
}

// A full block of 1,500 lines with a hundred steps of one changed line each stays small: rows
// that did not change are shared between the pictures.
TEST_F(HistoryFixture, AHundredStepsOfAFullBlockShareTheirRows) {
    ledger.MaxBlockLines = 1500;
    ledger.block.clear();
    ledger.block.push_back(line(1, "初期残高", 0, 0));
    ledger.block[0].Balance = 99999999;
    for (int i = 1; i < 1500; ++i)
        ledger.block.push_back(line(1 + i % 28, "食費", 0, 1));
    RecomputeBalancesForTest();
    sheet.FillFromBlock();
    SheetHistory history;
    history.Begin(sheet, SheetCursor{});
    for (int i = 0; i < 100; ++i) {
        history.Begin(sheet, SheetCursor{});
        std::string note = "n" + std::to_string(i);
        sheet.CommitCell(note, kColNote, 2 + i);
        history.End(sheet, SheetCursor{});
    }
    EXPECT_EQ(history.UndoSteps(), 100u);
    EXPECT_LT(history.Bytes(), 2u << 20);
    // Sorting moves every line: each step then owns a whole block of rows, and the oldest steps
    // go before the pictures pass their budget.
    SheetHistory small(100, 4u << 20);
    for (int i = 0; i < 40; ++i) {
        small.Begin(sheet, SheetCursor{});
        std::string day = std::to_string(1 + i % 28);
        sheet.CommitCell(day, kColDay, 2);
        sheet.SortByDate();
        small.End(sheet, SheetCursor{});
    }
    EXPECT_LE(small.Bytes(), 4u << 20);
    EXPECT_GE(small.UndoSteps(), 1u);
    EXPECT_LT(small.UndoSteps(), 40u);
    const SheetVersion a = SheetHistory::Take(sheet);
    const SheetVersion b = SheetHistory::Take(sheet, &a);
    for (size_t i = 0; i < a.rows.size(); ++i)
        ASSERT_EQ(a.rows[i], b.rows[i]); // the same row objects, not copies
}

} // namespace

namespace test {
namespace {

class EditorUndo : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        MakeLedger(
            {Line(2004, 6, 1, "初期残高", 0, 0), Line(2004, 6, 5, "食費", 0, 1000), Line(2004, 6, 8, "日用品", 0, 500)},
            50000);
        StartEditing();
    }
    void EnterLine(const std::string& day, const std::string& amount) {
        Type(day);
        Press(Key::Enter);
        Pick("食費");
        Press(Key::Enter);
        Press(Key::Enter);
        Press(Key::Enter);
        Type(amount);
        Press(Key::Enter);
    }
};

TEST_F(EditorUndo, ANewLineIsUndoneAndRedoneWithItsCursor) {
    EnterLine("10", "300");
    ASSERT_EQ(LastRow(), 4);
    EXPECT_TRUE(editor->RunCommand(Command::Undo));
    EXPECT_EQ(LastRow(), 3);
    EXPECT_EQ(Cell(4, kColItem), "");
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_FALSE(editor->Editing());
    editor->RunCommand(Command::Redo);
    EXPECT_EQ(LastRow(), 4);
    EXPECT_EQ(Cell(4, kColExpense), "       300");
    EXPECT_EQ(Cell(4, kColBalance), "    48,200");
    EndAndSave();
    Reload();
    EXPECT_EQ(app.ledger.block.size(), 4u);
}

TEST_F(EditorUndo, ADeletedLineComesBackAndTheSortIsUndoneWithItsFlag) {
    editor->CellMove(2, kColDay);
    dlg.expect("MsgYesNo2", 0).expectMessage("現在カーソルのある行を削除します。");
    editor->RunCommand(Command::DeleteLine);
    ASSERT_EQ(LastRow(), 2);
    editor->Undo();
    EXPECT_EQ(LastRow(), 3);
    EXPECT_EQ(Cell(2, kColItem), "食費");
    EXPECT_EQ(Cell(3, kColBalance), "    48,500");

    editor->RetNewLine();
    EnterLine("2", "100"); // before 8 June: the block is out of order
    ASSERT_TRUE(app.ledger.PreSortF);
    dlg.expect("MsgYesNo2", 0).expectMessage("日付順に並び替えをします。");
    editor->RunCommand(Command::SortByDate);
    ASSERT_FALSE(app.ledger.PreSortF);
    EXPECT_EQ(Cell(2, kColDay), " 2");
    editor->Undo();
    EXPECT_TRUE(app.ledger.PreSortF); // back to the unsorted lines, still to be sorted
    EXPECT_EQ(Cell(4, kColDay), " 2");
}

// The dates of the block shown beside the grid follow the lines that undo and redo bring back.
TEST_F(EditorUndo, UndoAndRedoShowTheDatesOfTheirLines) {
    EnterLine("10", "300");
    ASSERT_EQ(view.displayed, "2004年06月01日～2004年06月10日");
    editor->Undo();
    EXPECT_EQ(view.displayed, "2004年06月01日～2004年06月08日");
    editor->Redo();
    EXPECT_EQ(view.displayed, "2004年06月01日～2004年06月10日");
    editor->CellMove(3, kColDay);
    Press(Key::Enter);
    Press(Key::End);
    Press(Key::Backspace);
    Type("12");
    Press(Key::Enter);
    ASSERT_EQ(view.displayed, "2004年06月01日～2004年06月12日");
    editor->Undo();
    EXPECT_EQ(view.displayed, "2004年06月01日～2004年06月10日");
}

// An undone sort stays undone when the period ends and starts again (another window opened and
// closed): the lines shown are the lines kept, and still those on disk.
TEST_F(EditorUndo, AnUndoneSortStaysUndoneAfterTheWindowComesBack) {
    EnterLine("2", "100"); // 2 June after 8 June
    ASSERT_EQ(editor->ForcedSaveNow(false), 0);
    dlg.expect("MsgYesNo2", 0).expectMessage("日付順に並び替えをします。");
    editor->RunCommand(Command::SortByDate);
    ASSERT_EQ(Cell(2, kColDay), " 2");
    editor->Undo();
    ASSERT_EQ(Cell(4, kColDay), " 2");
    editor->End();
    ASSERT_EQ(EndEditingPeriod(app, dlg), 0);
    editor->Start();
    EXPECT_EQ(Cell(2, kColDay), " 5");
    EXPECT_EQ(Cell(4, kColDay), " 2");
    EXPECT_TRUE(app.ledger.PreSortF);
    const std::vector<IoRecord> shown = app.ledger.block;
    Reload();
    EXPECT_EQ(app.ledger.block, shown);
}

TEST_F(EditorUndo, NothingIsUndoneAcrossASave) {
    EnterLine("10", "300");
    ASSERT_EQ(editor->ForcedSaveNow(false), 0);
    EXPECT_FALSE(editor->Undo());
    EXPECT_EQ(LastRow(), 4);
    EXPECT_GE(dlg.count("Beep"), 1);
}

} // namespace
} // namespace test
} // namespace mrt
