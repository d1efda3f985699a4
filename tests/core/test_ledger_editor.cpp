// Entry of ledger lines replayed key by key: the Enter order, the choice boxes, the cell checks
// and the registration of typed names.
#include "test_ledger_editor_fixture.h"

namespace mrt::test {
namespace {

// January to March 2004, started on 5 January with 100,000; the newest block holds it all.
class LineEntry : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        MakeLedger({Line(2004, 1, 5, "初期残高", 0, 0), Line(2004, 1, 10, "食費", 0, 3000, "野菜", "スーパー"),
                    Line(2004, 2, 15, "給与", 200000, 0), Line(2004, 2, 20, "外食", 0, 5000),
                    Line(2004, 3, 3, "日用品", 0, 1200)},
                   100000);
        StartEditing();
    }
    // Clears the edit box as the user would (End, then Backspace over everything).
    void ClearEdit() {
        Press(Key::End);
        while (!editor->EditText().empty())
            Press(Key::Backspace);
    }
};

TEST_F(LineEntry, StartsOnTheNewEntryLineWithTheLastDate) {
    EXPECT_EQ(LastRow(), 5);
    EXPECT_TRUE(view.editVisible);
    EXPECT_EQ(view.editRow, 6);
    EXPECT_EQ(view.editCol, kColDay);
    EXPECT_EQ(view.editText, "3");
    EXPECT_EQ(view.selLength, 1); // the day typed replaces it
    EXPECT_EQ(Cell(6, kColMonth), " 3");
    EXPECT_EQ(grid.TopRow(), 5);
    EXPECT_FALSE(app.ledger.LedgerModified);
    EXPECT_EQ(view.displayed, "2004年01月05日～2004年03月03日");
    EXPECT_EQ(view.help.rfind("　日付(日)を入力してください。", 0), 0u);
}

TEST_F(LineEntry, DayAndEnterLandOnTheExpenseItemBox) {
    Type("8");
    Press(Key::Enter);
    EXPECT_EQ(Cell(6, kColDay), " 8");
    ASSERT_TRUE(view.choiceVisible);
    EXPECT_EQ(view.box, InputCtrl::ExpenseItems);
    EXPECT_EQ(view.entries, (std::vector<std::string>{"（入力なし）", "食費", "日用品", "外食"}));
    EXPECT_EQ(view.choiceSelected, 0);
    EXPECT_TRUE(view.switchVisible);
    EXPECT_EQ(view.switchKind, kExpenseKind);
    EXPECT_EQ(editor->CurrentInput(), InputCtrl::ExpenseItems);
    EXPECT_EQ(editor->HelpTopic(), 102);
    EXPECT_EQ(LastRow(), 5); // not a line before its first amount
}

TEST_F(LineEntry, ExpenseLineSkipsTheIncomeCellAndIsSaved) {
    Type("8");
    Press(Key::Enter);
    Pick("食費");
    Press(Key::Enter);
    ASSERT_EQ(view.box, InputCtrl::Breakdown);
    EXPECT_EQ(view.entries, (std::vector<std::string>{"（入力なし）", "野菜"}));
    Pick("野菜");
    Press(Key::Enter);
    ASSERT_EQ(view.box, InputCtrl::Shop);
    Press(Key::Enter); // "（入力なし）"
    EXPECT_FALSE(view.choiceVisible);
    EXPECT_EQ(editor->InOutRowF(), 1);
    EXPECT_EQ(view.editCol, kColExpense);
    Type("1000");
    Press(Key::Enter);

    EXPECT_EQ(LastRow(), 6);
    EXPECT_EQ(Cell(6, kColItem), "食費");
    EXPECT_EQ(Cell(6, kColNote), "野菜");
    EXPECT_EQ(Cell(6, kColShop), "");
    EXPECT_EQ(Cell(6, kColExpense), "     1,000");
    EXPECT_EQ(Cell(6, kColBalance), "   289,800");
    EXPECT_TRUE(app.ledger.LedgerModified);
    // A new line follows at once, dated like the line just entered.
    EXPECT_EQ(view.editRow, 7);
    EXPECT_EQ(Cell(7, kColDay), " 8");

    EndAndSave();
    Reload();
    ASSERT_EQ(app.ledger.block.size(), 6u);
    EXPECT_EQ(app.ledger.block[5], ([] {
                  IoRecord r = Line(2004, 3, 8, "食費", 0, 1000, "野菜");
                  r.Balance = 289800;
                  return r;
              })());
}

TEST_F(LineEntry, IncomeItemAfterTabEndsTheLineOnTheIncomeAmount) {
    Type("9");
    Press(Key::Enter);
    Press(Key::Tab);
    ASSERT_EQ(view.box, InputCtrl::IncomeItems);
    EXPECT_EQ(view.switchKind, kIncomeKind);
    Pick("雑収入");
    Press(Key::Enter);
    Press(Key::Enter);
    Press(Key::Enter);
    EXPECT_EQ(editor->InOutRowF(), 0);
    EXPECT_EQ(view.editCol, kColIncome);
    Type("5000");
    Press(Key::Enter);
    EXPECT_EQ(LastRow(), 6);
    EXPECT_EQ(Cell(6, kColIncome), "     5,000");
    EXPECT_EQ(view.editRow, 7);
    EXPECT_EQ(view.editCol, kColDay);
}

TEST_F(LineEntry, TabCarriesATypedNameButNotAnEntryOfTheOtherList) {
    Type("9");
    Press(Key::Enter);
    Pick("食費"); // arrowed to an expense item, then switched: nothing to register
    Press(Key::Tab);
    ASSERT_EQ(view.box, InputCtrl::IncomeItems);
    EXPECT_EQ(view.choiceSelected, 0);
    Press(Key::Tab);
    ASSERT_EQ(view.box, InputCtrl::ExpenseItems);
    EXPECT_EQ(view.choiceSelected, 0);
    TypeInBox("賞与"); // a typed name goes over to the income list
    Press(Key::Tab);
    ASSERT_EQ(view.box, InputCtrl::IncomeItems);
    EXPECT_EQ(view.choiceText, "賞与");
    dlg.expect("MsgYesNo2", 1).expectMessage("[賞与]を入金項目名に登録しますか？");
    Press(Key::Enter);
    EXPECT_EQ(Cell(6, kColItem), "賞与");
    EXPECT_EQ(editor->InOutRowF(), 0);
    EXPECT_EQ(dlg.count("MsgYesNo2"), 1);
}

TEST_F(LineEntry, ZeroIncomeGoesOnToTheExpenseCell) {
    Type("9");
    Press(Key::Enter);
    Press(Key::Enter); // no item: the kind stays open
    Press(Key::Enter);
    Press(Key::Enter);
    EXPECT_EQ(editor->InOutRowF(), -1);
    EXPECT_EQ(view.editCol, kColIncome);
    Press(Key::Enter);
    EXPECT_EQ(view.editCol, kColExpense);
    EXPECT_EQ(LastRow(), 5);
}

TEST_F(LineEntry, IncomeTypedOnAnExpenseLineClearsTheExpense) {
    editor->CellClicked(5, kColIncome);
    EXPECT_FALSE(view.editVisible);
    Press(Key::Enter);
    Type("800");
    Press(Key::Enter);
    EXPECT_EQ(Cell(5, kColIncome), "       800");
    EXPECT_EQ(Cell(5, kColExpense), "");
    EXPECT_EQ(Cell(5, kColBalance), "   292,800");
    EXPECT_TRUE(app.ledger.LedgerModified);
    // A non-zero income is the line's last cell: Enter goes down, here to a new line.
    EXPECT_EQ(view.editRow, 6);
    EXPECT_EQ(view.editCol, kColDay);

    // A correction in the middle of a line ends after that cell: the cursor moves on, the box closes.
    editor->CellClicked(3, kColItem);
    EXPECT_EQ(grid.Row(), 3);
    Press(Key::Enter);
    Pick("雑収入");
    Press(Key::Enter);
    EXPECT_EQ(Cell(3, kColItem), "雑収入");
    EXPECT_FALSE(view.editVisible);
    EXPECT_FALSE(view.choiceVisible);
    EXPECT_EQ(grid.Row(), 3);
    EXPECT_EQ(grid.Col(), kColNote);
}

TEST_F(LineEntry, TaxMarkAddsConsumptionTax) {
    editor->CellClicked(5, kColExpense);
    Press(Key::Enter);
    ClearEdit();
    Type("1000*");
    Press(Key::Enter);
    EXPECT_EQ(Cell(5, kColExpense), "     1,050");
    EXPECT_EQ(Cell(5, kColBalance), "   290,950");
}

TEST_F(LineEntry, DivisionByZeroIsRefusedAndEditedAgain) {
    editor->CellClicked(5, kColExpense);
    Press(Key::Enter);
    ClearEdit();
    Type("100/0");
    dlg.expect("MsgKel", 1).expectMessage("金額が異常です。");
    Press(Key::Enter);
    EXPECT_TRUE(view.editVisible);
    EXPECT_EQ(view.editCol, kColExpense);
    EXPECT_EQ(Cell(5, kColExpense), "     1,200");
    EXPECT_EQ(dlg.transcript()[dlg.transcript().size() - 2].buttons,
              (std::vector<std::string>{"再 入 力", "入力中止"}));
    ClearEdit();
    Type("100");
    Press(Key::Enter);
    EXPECT_EQ(Cell(5, kColExpense), "       100");
}

TEST_F(LineEntry, LettersInAnAmountAreRefusedAndTheLineStaysAsTyped) {
    Type("8");
    Press(Key::Enter);
    Pick("食費");
    Press(Key::Enter);
    Press(Key::Enter);
    Pick("スーパー");
    Press(Key::Enter);
    ASSERT_EQ(view.editCol, kColExpense);
    Type("abc");
    dlg.expect("MsgKel", 1).expectMessage("金額が異常です。");
    Press(Key::Enter);
    EXPECT_TRUE(view.editVisible);
    EXPECT_EQ(view.editRow, 6);
    EXPECT_EQ(view.editCol, kColExpense);
    EXPECT_EQ(view.editText, "abc");
    EXPECT_EQ(Cell(6, kColItem), "食費");
    EXPECT_EQ(Cell(6, kColShop), "スーパー");

    ClearEdit();
    Type("300");
    Press(Key::Enter);
    EXPECT_EQ(LastRow(), 6);
    EXPECT_EQ(Cell(6, kColItem), "食費");
    EXPECT_EQ(Cell(6, kColShop), "スーパー");
    EXPECT_EQ(Cell(6, kColExpense), "       300");
}

TEST_F(LineEntry, DayThirtyInFebruaryIsRefused) {
    editor->CellClicked(3, kColDay);
    Press(Key::Enter);
    ClearEdit();
    Type("30");
    dlg.expect("MsgKel", 2).expectMessage("日付が異常です。"); // "入力中止"
    Press(Key::Enter);
    EXPECT_EQ(Cell(3, kColDay), "15");
    EXPECT_FALSE(app.ledger.LedgerModified);
    // Abandoning in the newest block goes back to the new-entry line.
    EXPECT_EQ(view.editRow, 6);
    EXPECT_TRUE(view.editVisible);
}

TEST_F(LineEntry, DateBeforeTheStartDateIsRefusedAndTheOrderBreakMarked) {
    Press(Key::Left); // caret at 0: back to the month
    EXPECT_EQ(view.editCol, kColMonth);
    EXPECT_EQ(view.editText, "3");
    Press(Key::Delete);
    Type("1");
    Press(Key::Enter);
    EXPECT_EQ(view.editCol, kColDay);
    Press(Key::Delete);
    Type("2");
    dlg.expect("MsgKel", 1).expectMessage("データ登録の開始日付より前の日付は入力できません。");
    Press(Key::Enter);
    EXPECT_EQ(view.editCol, kColDay);
    ClearEdit();
    Type("6");
    Press(Key::Right); // caret after the last character: as Enter
    EXPECT_EQ(view.box, InputCtrl::ExpenseItems);
    EXPECT_FALSE(app.ledger.PreSortF); // the new-entry line is not a line yet
    Pick("食費");
    Press(Key::Enter);
    Press(Key::Enter);
    Press(Key::Enter);
    Type("300");
    Press(Key::Enter);
    EXPECT_EQ(LastRow(), 6);
    EXPECT_TRUE(app.ledger.PreSortF); // 6 January after a line of 3 March
}

TEST_F(LineEntry, TypedShopNameIsRegisteredOrOnlyEntered) {
    Type("8");
    Press(Key::Enter);
    Pick("食費");
    Press(Key::Enter);
    Press(Key::Enter);
    TypeInBox("八百屋");
    dlg.expect("MsgYesNo2", 0).expectMessage("[八百屋]を店名・相手先に登録しますか？");
    Press(Key::Enter);
    EXPECT_EQ(Cell(6, kColShop), "八百屋");
    EXPECT_EQ(view.editCol, kColExpense);
    const int food = ItemKeyOf(app.names, kExpenseKind, 1);
    // Saved at once: a fresh read of the shop file holds the name.
    NameTables fromDisk;
    ASSERT_EQ(LoadShopTable(app.namePaths().shop, fromDisk, false), 0);
    EXPECT_EQ(FillShopList(fromDisk, food, false), (std::vector<std::string>{"スーパー", "八百屋"}));

    Type("500");
    Press(Key::Enter);
    Type("9");
    Press(Key::Enter);
    Pick("食費");
    Press(Key::Enter);
    Press(Key::Enter);
    TypeInBox("魚屋");
    dlg.expect("MsgYesNo2", 1);
    Press(Key::Enter);
    EXPECT_EQ(Cell(7, kColShop), "魚屋");
    EXPECT_EQ(FillShopList(app.names, food, false), (std::vector<std::string>{"スーパー", "八百屋"}));
}

// After "再 入 力" the name is corrected in the edit box, not in the choice box; a new name
// typed there is offered for registration all the same, in the list the box was showing.
TEST_F(LineEntry, NameCorrectedAfterARefusalIsOfferedForRegistration) {
    // The item box of a new line switched to the income list: the corrected item is an income item.
    Type("8");
    Press(Key::Enter);
    ASSERT_EQ(view.box, InputCtrl::ExpenseItems);
    Press(Key::Tab);
    ASSERT_EQ(view.box, InputCtrl::IncomeItems);
    TypeInBox("臨時収入🎉");
    dlg.expect("MsgKel", 1);
    Press(Key::Enter);
    ASSERT_FALSE(editor->ChoiceMode());
    ASSERT_TRUE(view.editVisible);
    ClearEdit();
    Type("臨時収入");
    dlg.expect("MsgYesNo2", 1).expectMessage("[臨時収入]を入金項目名に登録しますか？");
    Press(Key::Enter);
    EXPECT_EQ(Cell(6, kColItem), "臨時収入");
    Press(Key::Esc);

    const int food = ItemKeyOf(app.names, kExpenseKind, 1);
    editor->CellClicked(2, kColNote);
    Press(Key::Enter);
    ASSERT_EQ(view.box, InputCtrl::Breakdown);
    TypeInBox("ケーキ🎂");
    dlg.expect("MsgKel", 1);
    Press(Key::Enter);
    ClearEdit();
    Type("ケーキ");
    dlg.expect("MsgYesNo2", 0).expectMessage("[ケーキ]を内訳・備考に登録しますか？");
    Press(Key::Enter);
    EXPECT_EQ(Cell(2, kColNote), "ケーキ");
    EXPECT_EQ(FillBrkDnList(app.names, food, false), (std::vector<std::string>{"野菜", "ケーキ"}));
}

// Typing on the idle grid opens the edit box without a choice box; a new name is offered too,
// in the lists of the line's kind.
TEST_F(LineEntry, NameTypedOnTheIdleGridIsOfferedForRegistration) {
    editor->CellClicked(3, kColItem); // 給与: an income line
    Type("賞与");
    ASSERT_TRUE(view.editVisible);
    ASSERT_FALSE(editor->ChoiceMode());
    dlg.expect("MsgYesNo2", 0).expectMessage("[賞与]を入金項目名に登録しますか？");
    Press(Key::Enter);
    EXPECT_EQ(Cell(3, kColItem), "賞与");
    EXPECT_EQ(FillItemList(app.names, kIncomeKind, false), (std::vector<std::string>{"給与", "雑収入", "賞与"}));

    // A registered name asks nothing.
    editor->CellClicked(2, kColShop);
    Type("スーパー");
    Press(Key::Enter);
    EXPECT_EQ(Cell(2, kColShop), "スーパー");
}

TEST_F(LineEntry, RegistrationIntoAFullListIsRefusedWithAMessage) {
    const int food = ItemKeyOf(app.names, kExpenseKind, 1);
    for (int i = NameListCount(app.names, kShopTable, food); i < kNameMax; ++i)
        ASSERT_GT(AddName(app.names, kShopTable, food, "店" + std::to_string(i)), 0);
    Type("8");
    Press(Key::Enter);
    Pick("食費");
    Press(Key::Enter);
    Press(Key::Enter);
    TypeInBox("五十一番目");
    dlg.expect("MsgYesNo2", 0);
    dlg.expect("MsgOK").expectMessage("これ以上登録できません。(最大50ﾃﾞｰﾀ)");
    Press(Key::Enter);
    EXPECT_EQ(Cell(6, kColShop), "五十一番目");
    EXPECT_EQ(NameListCount(app.names, kShopTable, food), kNameMax);
}

TEST_F(LineEntry, RaisedBalanceBooksUnknownIncomeAndIsSaved) {
    editor->CellClicked(4, kColBalance);
    Press(Key::Enter);
    EXPECT_EQ(view.editText, "292000");
    ClearEdit();
    Type("292500");
    dlg.expect("MsgKel", 1).expectMessage("残高を変更(残高調整)しますか？");
    Press(Key::Enter);
    EXPECT_EQ(LastRow(), 6);
    EXPECT_EQ(Cell(4, kColBalance), "   292,000");
    EXPECT_EQ(Cell(5, kColItem), "不明な入金");
    EXPECT_EQ(Cell(5, kColNote), "残高調整");
    EXPECT_EQ(Cell(5, kColIncome), "       500");
    EXPECT_EQ(Cell(6, kColBalance), "   291,300");

    EndAndSave();
    Reload();
    ASSERT_EQ(app.ledger.block.size(), 6u);
    EXPECT_EQ(app.ledger.block[4].ItemName, "不明な入金");
    EXPECT_EQ(app.ledger.block[4].Income, 500);
    EXPECT_EQ(app.ledger.block[4].Balance, 292500);
    EXPECT_EQ(app.ledger.block[5].Balance, 291300);
}

TEST_F(LineEntry, EmojiInANoteIsRefused) {
    editor->CellClicked(4, kColNote);
    Press(Key::Enter);
    ASSERT_EQ(view.box, InputCtrl::Breakdown);
    TypeInBox("ケーキ🎂");
    dlg.expect("MsgKel", 2).expectMessage("「🎂」はファイルに保存できない文字のため入力できません。");
    Press(Key::Enter);
    EXPECT_EQ(Cell(4, kColNote), "");
    EXPECT_FALSE(app.ledger.LedgerModified);

    // Typed into the edit box of a shop cell, likewise.
    editor->CellClicked(4, kColShop);
    Type("𠮷野家");
    dlg.expect("MsgKel", 1).expectMessage("「𠮷」はファイルに保存できない文字のため入力できません。");
    Press(Key::Enter);
    EXPECT_TRUE(view.editVisible);
    EXPECT_EQ(view.editText, "𠮷野家");
    EXPECT_EQ(Cell(4, kColShop), "");
}

TEST_F(LineEntry, CharacterOnTheIdleGridStartsEditingWithIt) {
    editor->CellClicked(2, kColExpense);
    EXPECT_FALSE(view.editVisible);
    Type("7");
    EXPECT_TRUE(view.editVisible);
    EXPECT_EQ(view.editText, "7");
    EXPECT_EQ(view.caret, 1);
    EXPECT_EQ(view.ime, ImeMode::Keep);
    Press(Key::Enter);
    EXPECT_EQ(Cell(2, kColExpense), "         7");
}

TEST_F(LineEntry, KeyInputModesInsertOrOverwrite) {
    editor->CellClicked(2, kColExpense);
    Press(Key::Enter);
    EXPECT_EQ(view.editText, "3000");
    Type("5"); // Windows type inserts
    EXPECT_EQ(view.editText, "53000");
    Press(Key::Esc);

    app.settings.KeyInputMode = 1; // DOS type overwrites
    editor->CellClicked(2, kColExpense);
    Press(Key::Enter);
    EXPECT_EQ(view.selLength, 1);
    Type("5");
    EXPECT_EQ(view.editText, "5000");
    Press(Key::Insert);
    Type("1");
    EXPECT_EQ(view.editText, "51000");
    Press(Key::Insert);
    Type("2");
    EXPECT_EQ(view.editText, "51200");
    Press(Key::Enter);
    EXPECT_EQ(Cell(2, kColExpense), "    51,200");
}

TEST_F(LineEntry, EscOnTheNewLineStartsItAfreshAndDayZeroDropsIt) {
    Type("8");
    Press(Key::Enter);
    Press(Key::Esc);
    EXPECT_FALSE(view.choiceVisible);
    EXPECT_EQ(view.editRow, 6);
    EXPECT_EQ(Cell(6, kColDay), " 3");
    Press(Key::Delete);
    Type("0");
    Press(Key::Enter); // dropped without a message
    EXPECT_EQ(view.editRow, 6);
    EXPECT_EQ(view.editText, "3");
    EXPECT_EQ(LastRow(), 5);
}

TEST_F(LineEntry, CarriedBalanceLineOffersTheInitialBalanceChange) {
    editor->CellClicked(2, kColBalance);
    dlg.expect("MsgYesNo2", 0).expectMessage("初期残高を変更してもよろしいですか ?");
    dlg.expect("InputKel", 0).withText("120000  ");
    Press(Key::Up);
    EXPECT_EQ(grid.Row(), 2); // never rests on the carried-balance line
    EXPECT_EQ(Cell(1, kColBalance), "   120,000");
    EXPECT_EQ(Cell(5, kColBalance), "   310,800");
    EXPECT_EQ(app.start.InitialBalance, 120000);
    EXPECT_TRUE(app.ledger.LedgerModified);

    Press(Key::Left);
    Press(Key::Up); // another column: no question
    EXPECT_EQ(grid.Row(), 2);
}

// A screen too low for the rows set: the grid shows fewer, and a scroll that leaves the cursor
// below them brings it back to the top row in view.
TEST_F(EditorFixture, ScrollingFollowsTheRowsShownOnALowScreen) {
    std::vector<IoRecord> lines{Line(2004, 6, 1, "初期残高", 0, 0)};
    for (int d = 1; d <= 25; ++d)
        lines.push_back(Line(2004, 6, d, "食費", 0, 100));
    MakeLedger(lines, 100000);
    app.settings.DisplayRows = 30;
    editor = std::make_unique<LedgerEditor>(app, grid, dlg, view);
    editor->SetUpGrid(FixedPitchMeasure(), 10);
    editor->Start();
    EXPECT_EQ(editor->ShownRows(), 10);
    editor->CellClicked(20, kColDay);
    editor->Scrolled(2);
    EXPECT_EQ(grid.Row(), 2);
}

} // namespace
} // namespace mrt::test
