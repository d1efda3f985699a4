// The ledger editing commands and the reading of other blocks, replayed against a six-month
// ledger held in blocks of two months.
#include "support/FaultFs.h"
#include "test_ledger_editor_fixture.h"

namespace mrt::test {
namespace {

class EditCommands : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        MakeLedger({Line(2004, 1, 5, "初期残高", 0, 0), Line(2004, 1, 20, "食費", 0, 1000),
                    Line(2004, 2, 10, "食費", 0, 2000), Line(2004, 2, 25, "給与", 200000, 0),
                    Line(2004, 3, 5, "外食", 0, 3000), Line(2004, 3, 15, "食費", 0, 1500),
                    Line(2004, 4, 2, "日用品", 0, 800), Line(2004, 4, 28, "食費", 0, 2500),
                    Line(2004, 5, 10, "外食", 0, 4000), Line(2004, 5, 25, "給与", 200000, 0),
                    Line(2004, 6, 3, "食費", 0, 1200), Line(2004, 6, 12, "日用品", 0, 600)},
                   100000, 2);
        StartEditing();
    }
    void MoveTo(const std::string& date) {
        dlg.expect("DateInYMD").withText(date);
        editor->RunCommand(Command::MoveToDate);
    }
    // Enters an expense line of 1 June after the line of 12 June; the new-entry line opens again.
    void EnterLineOfTheFirst() {
        Type("1");
        Press(Key::Enter);
        Pick("食費");
        Press(Key::Enter);
        Press(Key::Enter);
        Press(Key::Enter);
        Type("300");
        Press(Key::Enter);
        ASSERT_EQ(LastRow(), 5);
        ASSERT_TRUE(app.ledger.PreSortF);
        ASSERT_EQ(view.editRow, 6);
        ASSERT_EQ(view.editText, "1");
    }
    std::vector<std::string> Items() const {
        std::vector<std::string> v;
        for (int r = 1; r <= LastRow(); ++r)
            v.push_back(Cell(r, kColItem) + "@" + Cell(r, kColDay));
        return v;
    }
};

TEST_F(EditCommands, NewestBlockIsLoadedWithTheCarriedBalanceLine) {
    EXPECT_EQ(app.ledger.BlockPos, kBlockNewest);
    EXPECT_EQ(Items(), (std::vector<std::string>{"外食@10", "給与@25", "食費@ 3", "日用品@12"}));
    EXPECT_EQ(view.registered, "2004年01月05日～2004年06月12日");
    EXPECT_EQ(view.displayed, "2004年05月10日～2004年06月12日");
}

// The grid only shows the lines: whatever its cells hold, a cell opens with its line's value and a
// save writes the lines as edited.
TEST_F(EditCommands, ASaveWritesTheLinesWhateverTheGridShows) {
    std::vector<IoRecord> expected = app.ledger.block;
    expected[2].Day = 5;
    for (int r = 1; r <= LastRow() + 1; ++r)
        for (int c = kColYear; c <= kColBalance; ++c)
            grid.SetTextMatrix(r, c, c >= kColItem && c <= kColShop ? "壊れた" : "99");
    editor->CellMove(3, kColDay);
    Press(Key::Enter);
    EXPECT_EQ(view.editText, "3");
    Press(Key::End);
    Press(Key::Backspace);
    Type("5");
    Press(Key::Enter);
    EXPECT_EQ(Cell(3, kColDay), " 5");
    ASSERT_EQ(editor->ForcedSaveNow(false), 0);
    EXPECT_EQ(Cell(4, kColItem), "壊れた"); // nothing was shown again: the lines were saved as they are
    Reload(2);
    EXPECT_EQ(app.ledger.block, expected);
}

// A last line without amounts is dropped when the block is saved; while nothing is saved it stays
// on screen as it stays on disk, whatever the saves that found nothing to write and the periods
// in between.
TEST_F(EditCommands, ALastLineWithoutAmountsStaysShownWhileNothingIsSaved) {
    MakeLedger({Line(2004, 5, 1, "初期残高", 0, 0), Line(2004, 5, 10, "外食", 0, 4000),
                Line(2004, 6, 3, "食費", 0, 1200), Line(2004, 6, 12, "メモだけ", 0, 0)},
               100000, 2);
    StartEditing();
    ASSERT_EQ(LastRow(), 4);
    ASSERT_EQ(editor->ForcedSaveNow(false), 0); // nothing modified: nothing written
    editor->End();
    ASSERT_EQ(EndEditingPeriod(app, dlg), 0);
    editor->Start();
    EXPECT_EQ(LastRow(), 4);
    EXPECT_EQ(Cell(4, kColItem), "メモだけ");
    // A change saves the block without it.
    editor->CellMove(3, kColExpense);
    Press(Key::Enter);
    Press(Key::End);
    Press(Key::Backspace);
    Type("5");
    Press(Key::Enter);
    ASSERT_EQ(editor->ForcedSaveNow(false), 0);
    EXPECT_EQ(LastRow(), 3);
    Reload(2);
    EXPECT_EQ(app.ledger.block.size(), 3u);
}

// A save puts mixed months in order; when it fails the lines stay as the grid shows them, and the
// next save sorts and shows them.
TEST_F(EditCommands, AFailedSaveLeavesTheLinesAsShown) {
    editor->CellMove(4, kColMonth);
    Press(Key::Enter);
    Press(Key::End);
    Press(Key::Backspace);
    Type("5"); // 12 June becomes 12 May, after 3 June
    Press(Key::Enter);
    ASSERT_TRUE(app.ledger.PreSortF);
    const std::vector<std::string> shown = {"外食@10", "給与@25", "食費@ 3", "日用品@12"};
    const std::string closing = Cell(4, kColBalance);
    {
        FaultFs fs(app.dataFolder);
        fs.FailCall(1);
        ScopedFileSystem use(fs);
        dlg.expectBox(MsgResult::OK);
        EXPECT_EQ(editor->ForcedSaveNow(false), -1);
    }
    EXPECT_TRUE(app.ledger.LedgerModified);
    EXPECT_EQ(Items(), shown);
    EXPECT_EQ(app.ledger.block[2].Month, 6);
    EXPECT_EQ(app.ledger.block[3].Month, 5);
    ASSERT_EQ(editor->ForcedSaveNow(false), 0);
    EXPECT_EQ(Items(), (std::vector<std::string>{"外食@10", "日用品@12", "給与@25", "食費@ 3"}));
    EXPECT_EQ(app.ledger.block[1].Month, 5);
    EXPECT_EQ(Cell(4, kColBalance), closing);
}

TEST_F(EditCommands, DateOutOfOrderOffersTheSortBeforeTheNextCommand) {
    Type("1"); // 1 June after 12 June
    Press(Key::Enter);
    EXPECT_FALSE(app.ledger.PreSortF); // not a line yet
    Pick("食費");
    Press(Key::Enter);
    Press(Key::Enter);
    Press(Key::Enter);
    Type("300");
    Press(Key::Enter);
    ASSERT_EQ(LastRow(), 5);
    EXPECT_TRUE(app.ledger.PreSortF);

    dlg.expect("MsgYesNo2", 0).expectMessage("まず入出力ﾃﾞｰﾀを日付順に並び替えます。");
    editor->RunCommand(Command::EditForcedSave);
    EXPECT_TRUE(dlg.saw("MsgOn", "完了しました。"));
    EXPECT_FALSE(app.ledger.PreSortF);
    EXPECT_FALSE(app.ledger.LedgerModified);
    EXPECT_EQ(Items(), (std::vector<std::string>{"外食@10", "給与@25", "食費@ 1", "食費@ 3", "日用品@12"}));
    EXPECT_EQ(Cell(5, kColBalance), "   483,100");

    Reload(2);
    ASSERT_EQ(app.ledger.block.size(), 5u);
    EXPECT_EQ(app.ledger.block[2].Day, 1);
    EXPECT_EQ(app.ledger.block[2].Expense, 300);
    EXPECT_EQ(app.ledger.block[4].Balance, 483100);
    EXPECT_FALSE(app.ledger.PreSortF);
}

// A sort refills the grid; the new-entry line of the newest block then shows the date of the new
// last line, as any new-entry line does.
TEST_F(EditCommands, NewEntryLineAfterASortFromTheEditListShowsTheLastDate) {
    EnterLineOfTheFirst();
    dlg.expect("SubMenu", 1);
    dlg.expect("MsgYesNo2", 0).expectMessage("日付順に並び替えをします。");
    dlg.expect("SubMenu", -1);
    editor->KeyOnGrid(Key::F11);
    EXPECT_EQ(Items(), (std::vector<std::string>{"外食@10", "給与@25", "食費@ 1", "食費@ 3", "日用品@12"}));
    EXPECT_EQ(Cell(6, kColYear), "04");
    EXPECT_EQ(Cell(6, kColMonth), " 6");
    EXPECT_EQ(Cell(6, kColDay), "12");
    editor->CellClicked(6, kColDay);
    Press(Key::Enter);
    ASSERT_TRUE(view.editVisible);
    EXPECT_EQ(view.editText, "12");
}

// The sort question of a command may come while the new line is open (F2 asks before anything
// ends the entry): the line starts afresh with the new last date instead of keeping the old day.
TEST_F(EditCommands, SortWhileTheNewLineIsOpenStartsItAfreshWithTheLastDate) {
    EnterLineOfTheFirst();
    dlg.expect("MsgYesNo2", 0).expectMessage("まず入出力ﾃﾞｰﾀを日付順に並び替えます。");
    EXPECT_EQ(editor->PreSortCheck(), 0);
    EXPECT_EQ(Cell(6, kColMonth), " 6");
    EXPECT_EQ(Cell(6, kColDay), "12");
    EXPECT_TRUE(view.editVisible);
    EXPECT_EQ(view.editRow, 6);
    EXPECT_EQ(view.editText, "12");
    EndAndSave(); // the pending edit matches its cell: nothing is committed or asked
    Reload(2);
    EXPECT_EQ(app.ledger.block.size(), 5u);
    EXPECT_FALSE(app.ledger.PreSortF);
}

TEST_F(EditCommands, SortThatWouldOverflowABalanceLeavesTheSortPending) {
    // In entry order the balance stays within 32 bits; in date order the income comes first.
    MakeLedger({Line(2004, 6, 1, "初期残高", 0, 0), Line(2004, 6, 10, "食費", 0, 99000000),
                Line(2004, 6, 5, "給与", 99000000, 0)},
               2147000000);
    StartEditing();
    ASSERT_TRUE(app.ledger.PreSortF);
    dlg.expect("MsgYesNo2", 0).expectMessage("日付順に並び替えをします。");
    dlg.expect("MsgOK");
    editor->RunCommand(Command::SortByDate);
    EXPECT_TRUE(app.ledger.PreSortF);
    EXPECT_EQ(Items(), (std::vector<std::string>{"初期残高@ 1", "食費@10", "給与@ 5"}));
    dlg.expect("MsgYesNo2", 1).expectMessage("まず入出力ﾃﾞｰﾀを日付順に並び替えます。");
    EXPECT_EQ(editor->PreSortCheck(), 1);
}

TEST_F(EditCommands, ExitWithLinesOutOfOrderSortsAfterItsOneQuestion) {
    MakeLedger(
        {Line(2004, 6, 1, "初期残高", 0, 0), Line(2004, 6, 10, "食費", 0, 1000), Line(2004, 6, 5, "給与", 5000, 0)},
        10000);
    StartEditing();
    ASSERT_TRUE(app.ledger.PreSortF);
    editor->FocusKeep(1); // as the window does before it asks
    // Declining keeps the program running with the lines as they are.
    dlg.expect("MsgYesNo2", 1).expectMessage("日付順に並び替えてから終了します。");
    EXPECT_EQ(editor->ExitQuestion(true), 1);
    EXPECT_TRUE(app.ledger.PreSortF);

    dlg.expect("MsgYesNo2", 0).expectMessage("日付順に並び替えてから終了します。");
    EXPECT_EQ(editor->ExitQuestion(true), 0);
    EXPECT_EQ(dlg.count("MsgYesNo2"), 2);
    EXPECT_FALSE(app.ledger.PreSortF);
    EXPECT_EQ(Items(), (std::vector<std::string>{"初期残高@ 1", "給与@ 5", "食費@10"}));
    EndAndSave();
    Reload();
    ASSERT_EQ(app.ledger.block.size(), 3u);
    EXPECT_EQ(app.ledger.block[1].Day, 5);
    EXPECT_EQ(app.ledger.block[2].Balance, 14000);
}

TEST_F(EditCommands, ExitInOrderAsksOnlyWhenTold) {
    EXPECT_EQ(editor->ExitQuestion(false), 0);
    EXPECT_EQ(dlg.count("MsgYesNo2"), 0);
    dlg.expect("MsgYesNo2", 1).expectMessage("家計簿プログラムを終了します。");
    EXPECT_EQ(editor->ExitQuestion(true), 1);
}

TEST_F(EditCommands, SortCommandWithNothingOutOfOrderOnlySaysSo) {
    dlg.expect("MsgOK").expectMessage("並び替えは完了しています。");
    editor->RunCommand(Command::SortByDate);
    EXPECT_FALSE(app.ledger.LedgerModified);
}

TEST_F(EditCommands, DeleteAndInsertInTheMiddleOfTheBlock) {
    editor->CellClicked(2, kColItem);
    dlg.expect("MsgYesNo2", 1).expectMessage("現在カーソルのある行を削除します。");
    editor->RunCommand(Command::DeleteLine);
    EXPECT_EQ(LastRow(), 4); // declined
    EXPECT_FALSE(view.editVisible);

    dlg.expect("MsgYesNo2", 0);
    editor->RunCommand(Command::DeleteLine);
    EXPECT_EQ(Items(), (std::vector<std::string>{"外食@10", "食費@ 3", "日用品@12"}));
    EXPECT_EQ(Cell(3, kColBalance), "   283,400");
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.Col(), kColDay);

    editor->CellClicked(3, kColItem);
    editor->RunCommand(Command::InsertLine);
    EXPECT_EQ(LastRow(), 4);
    EXPECT_TRUE(view.editVisible);
    EXPECT_EQ(view.editRow, 3);
    EXPECT_EQ(view.editCol, kColDay);
    EXPECT_EQ(Cell(3, kColMonth), " 6"); // dated like the line it was put before
    Press(Key::End);
    Press(Key::Backspace);
    Press(Key::Backspace);
    Type("5");
    Press(Key::Enter);
    EXPECT_FALSE(view.editVisible); // a loaded line: one cell at a time
    Press(Key::Enter);
    Pick("食費");
    Press(Key::Enter);
    editor->CellClicked(3, kColExpense);
    Press(Key::Enter);
    Type("700");
    Press(Key::Enter);
    EXPECT_EQ(Items(), (std::vector<std::string>{"外食@10", "食費@ 3", "食費@ 5", "日用品@12"}));

    EndAndSave();
    Reload(2);
    ASSERT_EQ(app.ledger.block.size(), 4u);
    EXPECT_EQ(app.ledger.block[2].ItemName, "食費");
    EXPECT_EQ(app.ledger.block[2].Expense, 700);
    EXPECT_EQ(app.ledger.block[2].Balance, 283300);
    EXPECT_EQ(app.ledger.block[3].Balance, 282700);
    EXPECT_EQ(app.ledger.index.TotalLines, 12);
}

TEST_F(EditCommands, NewEntryLineKeepsItsDateAfterADeleteInTheMiddle) {
    editor->CellClicked(2, kColItem);
    dlg.expect("MsgYesNo2", 0);
    editor->RunCommand(Command::DeleteLine);
    ASSERT_EQ(LastRow(), 3);
    // The row under the new-entry line shows nothing; the new-entry line still has its date.
    for (int c = kColYear; c <= kColBalance; ++c)
        EXPECT_EQ(Cell(5, c), "") << c;
    EXPECT_EQ(Cell(4, kColMonth), " 6");
    EXPECT_EQ(Cell(4, kColDay), "12");

    // Down onto the new-entry line, then only the day is typed.
    editor->CellClicked(3, kColDay);
    Press(Key::Down);
    Press(Key::Enter);
    Press(Key::End);
    Press(Key::Backspace);
    Press(Key::Backspace);
    Type("20");
    Press(Key::Enter);
    EXPECT_EQ(Cell(4, kColDay), "20");
    EXPECT_EQ(view.box, InputCtrl::ExpenseItems);
}

TEST_F(EditCommands, NewEntryLineOfTheNewestBlockIsDatedAfterABlockRead) {
    MoveTo("2004/01/01");
    ASSERT_EQ(app.ledger.BlockPos, kBlockOldest);
    MoveTo("2004/06/05");
    ASSERT_EQ(app.ledger.BlockPos, kBlockNewest);
    ASSERT_EQ(grid.Row(), 3);
    Press(Key::Down);
    Press(Key::Down);
    ASSERT_EQ(grid.Row(), LastRow() + 1);
    Press(Key::Enter);
    Press(Key::End);
    Press(Key::Backspace);
    Press(Key::Backspace);
    Type("20");
    Press(Key::Enter);
    EXPECT_EQ(Cell(5, kColMonth), " 6");
    EXPECT_EQ(Cell(5, kColDay), "20");
    EXPECT_EQ(view.box, InputCtrl::ExpenseItems);
}

TEST_F(EditCommands, MoveToDatesBeforeInsideAndAfterTheLedger) {
    MoveTo("2003/12/01");
    EXPECT_EQ(app.ledger.BlockPos, kBlockOldest);
    EXPECT_EQ(view.displayed, "2004年01月05日～2004年02月25日");
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_FALSE(view.editVisible);
    EXPECT_TRUE(dlg.saw("MsgOn", "しばらくお待ちください。"));

    MoveTo("2004/02/12");
    EXPECT_EQ(app.ledger.BlockPos, kBlockOldest);
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.TopRow(), 3);

    // Esc in an older block ends the entry on the current line.
    Press(Key::Enter);
    EXPECT_TRUE(view.editVisible);
    Press(Key::Esc);
    EXPECT_FALSE(view.editVisible);
    EXPECT_EQ(grid.Row(), 3);

    MoveTo("2005/01/01");
    EXPECT_EQ(app.ledger.BlockPos, kBlockNewest);
    EXPECT_TRUE(view.editVisible);
    EXPECT_EQ(view.editRow, LastRow() + 1);
}

TEST_F(EditCommands, AbandonedEarlierDayOnTheNewLineLeavesNoSortPending) {
    Type("1"); // 1 June on the new-entry line, before the last line's 12 June
    Press(Key::Enter);
    Press(Key::Esc);
    EXPECT_EQ(LastRow(), 4);
    EXPECT_FALSE(app.ledger.PreSortF);
    EXPECT_EQ(editor->PreSortCheck(), 0); // F2 and the like go on without a question
    dlg.expect("MsgYesNo2", 1).expectMessage("家計簿プログラムを終了します。");
    EXPECT_EQ(editor->ExitQuestion(true), 1);
    dlg.expect("MsgOK").expectMessage("並び替えは完了しています。");
    editor->RunCommand(Command::SortByDate);
}

TEST_F(EditCommands, ReadingAnotherBlockWithLinesOutOfOrderOffersTheSortFirst) {
    Type("1");
    Press(Key::Enter);
    Pick("食費");
    Press(Key::Enter);
    Press(Key::Enter);
    Press(Key::Enter);
    Type("300");
    Press(Key::Enter);
    ASSERT_TRUE(app.ledger.PreSortF);
    Press(Key::Esc);
    dlg.expect("DateInYMD").withText("2004/01/20");
    dlg.expect("MsgYesNo2", 1).expectMessage("並べ替えてから別データ読込みします。");
    editor->RunCommand(Command::MoveToDate);
    EXPECT_EQ(app.ledger.BlockPos, kBlockNewest);
    EXPECT_TRUE(app.ledger.PreSortF);
}

TEST_F(EditCommands, ScrollingPastBothEdgesOfAnOlderBlock) {
    MoveTo("2004/01/01");
    ASSERT_EQ(app.ledger.BlockPos, kBlockOldest);
    ASSERT_EQ(LastRow(), 4);

    dlg.expectBox(MsgResult::Cancel).expectMessage("2004/02/25より後のデータを読み込みます。");
    editor->Scrolled(5);
    EXPECT_EQ(app.ledger.BlockPos, kBlockOldest);
    EXPECT_EQ(grid.Row(), 4);

    dlg.expectBox(MsgResult::OK);
    editor->Scrolled(5);
    EXPECT_EQ(app.ledger.BlockPos, kBlockMiddle);
    EXPECT_EQ(view.displayed, "2004年02月10日～2004年03月15日");

    dlg.expectBox(MsgResult::OK).expectMessage("2004/02/10より前のデータを読み込みます。");
    editor->Scrolled(1);
    EXPECT_EQ(app.ledger.BlockPos, kBlockOldest);
    EXPECT_EQ(grid.Row(), 2);

    // The top of the first block asks nothing.
    editor->CellClicked(4, kColDay);
    editor->Scrolled(1);
    EXPECT_EQ(grid.Row(), 2);

    // Moving below the last line of an older block reads the next one.
    editor->CellClicked(4, kColDay);
    Press(Key::Down);
    EXPECT_EQ(app.ledger.BlockPos, kBlockMiddle);
    EXPECT_EQ(Cell(grid.Row(), kColMonth), " 3");
}

TEST_F(EditCommands, MonthBeforeTheBlockReadsItsBlockAfterTwoQuestions) {
    Press(Key::Left);
    Press(Key::Delete);
    Type("2");
    dlg.expect("MsgYesNo", 0).expectMessage("この年月のデータを入力しますか？");
    dlg.expect("MsgYesNo", 0).expectMessage("処理を続けますか？");
    Press(Key::Enter);
    EXPECT_EQ(app.ledger.BlockPos, kBlockOldest);
    EXPECT_EQ(view.displayed, "2004年01月05日～2004年02月25日");
    // The cursor stands on the line before the month's first line.
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(Cell(3, kColMonth), " 2");

    // A month far after the last line of the newest block asks first; declining abandons.
    MoveTo("2004/06/12");
    Press(Key::Left);
    Press(Key::Delete);
    Type("9");
    dlg.expect("MsgYesNo", 1);
    Press(Key::Enter);
    EXPECT_EQ(Cell(LastRow() + 1, kColMonth), " 6");
    // Two months later is simply entered.
    Press(Key::Left);
    Press(Key::Delete);
    Type("8");
    Press(Key::Enter);
    EXPECT_EQ(Cell(LastRow() + 1, kColMonth), " 8");
}

TEST_F(EditCommands, EditListRemembersTheLastEntryAndShowsAgainAfterSortOrDelete) {
    dlg.expect("SubMenu", 1).expectInitialLine(1);
    dlg.expect("MsgOK").expectMessage("並び替えは完了しています。");
    dlg.expect("SubMenu", 2).expectInitialLine(1);
    // Deleting on the new-entry line of the newest block asks nothing.
    dlg.expect("SubMenu", -1).expectInitialLine(2);
    editor->KeyOnGrid(Key::F11);
    EXPECT_EQ(LastRow(), 4);

    dlg.expect("SubMenu", 3).expectInitialLine(2);
    editor->RunCommand(Command::EditWorkSelect);
    EXPECT_TRUE(view.editVisible); // inserting on the new-entry line starts a new line
    EXPECT_EQ(view.editRow, 5);
}

} // namespace
} // namespace mrt::test
