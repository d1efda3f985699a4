#pragma once
// A ledger on disk, the program state loaded from it, a grid model, scripted dialogs and a fake
// main window, so that tests can replay what the user types into the ledger editor.
#include "app/AppState.h"
#include "app/EditingPeriod.h"
#include "app/LedgerEditor.h"
#include "grid/GridModel.h"
#include "ledger/LedgerBalance.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerSave.h"
#include "ledger/StartDate.h"
#include "names/NameTables.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "util/Clock.h"
#include "util/Paths.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace mrt::test {

// Remembers what the editor shows; the test plays the user's part of the choice boxes.
class FakeView : public EditorView {
public:
    bool editVisible = false;
    int editRow = 0, editCol = 0;
    ImeMode ime = ImeMode::Keep;
    std::string editText;
    int caret = 0, selLength = 0;

    bool choiceVisible = false;
    InputCtrl box = InputCtrl::Grid;
    std::vector<std::string> entries;
    int choiceSelected = -1;
    std::string choiceText;
    bool switchVisible = false;
    int switchKind = -1;
    std::vector<std::string> otherList;

    std::string help, registered, displayed;
    InputCtrl focus = InputCtrl::Grid;
    bool buttonsOn = false;

    void ShowEditBox(int row, int col, ImeMode mode, int) override {
        editVisible = true;
        editRow = row;
        editCol = col;
        ime = mode;
    }
    void HideEditBox() override { editVisible = false; }
    void SetEditText(const std::string& text, int c, int sel) override {
        editText = text;
        caret = c;
        selLength = sel;
    }
    void ShowChoiceBox(InputCtrl b, int, int, const std::vector<std::string>& e, int selected,
                       const std::string& text) override {
        choiceVisible = true;
        box = b;
        entries = e;
        choiceSelected = selected;
        choiceText = selected >= 0 ? e[static_cast<size_t>(selected)] : text;
    }
    void ReadChoiceBox(int& selected, std::string& text) const override {
        selected = choiceSelected;
        text = choiceText;
    }
    void ShowItemSwitch(int kind, const std::vector<std::string>& other) override {
        switchVisible = true;
        switchKind = kind;
        otherList = other;
    }
    void HideChoiceBoxes() override {
        choiceVisible = false;
        switchVisible = false;
        otherList.clear();
    }
    void SetOnePointHelp(const std::string& t) override { help = t; }
    void RefreshDateLabels(const std::string& r, const std::string& d) override {
        registered = r;
        displayed = d;
    }
    void Focus(InputCtrl c) override { focus = c; }
    void SetButtonsEnabled(bool on) override { buttonsOn = on; }
};

inline IoRecord Line(int y, int m, int d, const std::string& item, int32_t income, int32_t expense,
                     const std::string& note = {}, const std::string& shop = {}) {
    IoRecord r;
    r.Year = static_cast<int16_t>(y);
    r.Month = static_cast<int16_t>(m);
    r.Day = static_cast<int16_t>(d);
    r.ItemName = item;
    r.Note = note;
    r.ShopName = shop;
    r.Income = income;
    r.Expense = expense;
    return r;
}

class EditorFixture : public ::testing::Test {
protected:
    TempDir tmp;
    AppState app;
    GridModel grid;
    ScriptedDialogs dlg;
    FakeView view;
    FixedClock clock{CivilDate{2004, 6, 20}};
    std::unique_ptr<LedgerEditor> editor;

    void SetUp() override {
        SetClock(&clock);
        app.home = tmp.path();
        app.dataFolder = JoinPath(tmp.path(), "Data1/");
        std::filesystem::create_directories(app.dataFolder);
        app.settings.KeyInputMode = 0;
        app.settings.TaxRate = 5;
        app.settings.DisplayRows = 19;
        NameTables& t = app.names;
        for (const char* n : {"給与", "雑収入"})
            AddName(t, kItemTable, kIncomeKind, n);
        for (const char* n : {"食費", "日用品", "外食"})
            AddName(t, kItemTable, kExpenseKind, n);
        const int food = ItemKeyOf(t, kExpenseKind, 1);
        AddName(t, kBrkDnTable, food, "野菜");
        AddName(t, kShopTable, food, "スーパー");
    }
    void TearDown() override { SetClock(nullptr); }

    // Saves the lines (balances by the rule from `opening`) as the ledger in place of the one
    // there, then loads the newest block of `blockMonths` months as the program does at start-up.
    void MakeLedger(std::vector<IoRecord> lines, int32_t opening, int blockMonths = 3) {
        lines.front().Balance = opening;
        RecomputeBalances(lines, 1);
        // A save never writes over year files it did not load: the old ledger goes first.
        for (const auto& e : std::filesystem::directory_iterator(app.dataFolder))
            if (e.path().extension() == ".usr") std::filesystem::remove(e.path());
        ScriptedDialogs quiet;
        LedgerState st;
        st.index.SetDataFolder(app.dataFolder);
        st.block = lines;
        st.LedgerModified = true;
        ASSERT_EQ(SaveLedgerBlock(st, quiet), 0);
        Reload(blockMonths);
    }
    void Reload(int blockMonths = 3) {
        ScriptedDialogs quiet;
        app.ledger = LedgerState{};
        app.ledger.index.SetDataFolder(app.dataFolder);
        app.ledger.BlockMonthsInUse = blockMonths;
        app.ledger.MaxBlockLines = 300;
        ASSERT_EQ(ScanLedgerYears(app.ledger, quiet), 0);
        ASSERT_EQ(LoadStartBlock(app.ledger, quiet), 0);
        app.start.StartDateText = StartDateTextOf(app.ledger.index);
    }
    // Starts an editing period on the loaded block.
    void StartEditing() {
        editor = std::make_unique<LedgerEditor>(app, grid, dlg, view);
        editor->SetUpGrid(FixedPitchMeasure());
        editor->Start();
    }
    // Ends the period and saves as the command loop does.
    void EndAndSave() {
        editor->End();
        ASSERT_EQ(EndEditingPeriod(app, dlg), 0);
    }

    // ---- the user's hands ----
    void Type(const std::string& text) {
        for (size_t i = 0; i < text.size();) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            std::string ch = text.substr(i, n);
            i += n;
            if (editor->Editing())
                editor->KeyInEditBox(Key::Char, ch);
            else
                editor->KeyOnGrid(Key::Char, ch);
        }
    }
    void Press(Key k) {
        if (editor->ChoiceMode() && (k == Key::Enter || k == Key::Esc || k == Key::Tab))
            editor->KeyInChoiceBox(k);
        else if (editor->Editing())
            editor->KeyInEditBox(k);
        else
            editor->KeyOnGrid(k);
    }
    // Selects an entry of the open choice box with the arrows.
    void Pick(const std::string& entry) {
        ASSERT_TRUE(view.choiceVisible);
        auto it = std::find(view.entries.begin(), view.entries.end(), entry);
        ASSERT_NE(it, view.entries.end()) << entry;
        view.choiceSelected = static_cast<int>(it - view.entries.begin());
        view.choiceText = entry;
    }
    // Types a text into the open choice box's edit field.
    void TypeInBox(const std::string& text) {
        ASSERT_TRUE(view.choiceVisible);
        view.choiceSelected = -1;
        view.choiceText = text;
    }

    std::string Cell(int row, int col) const { return grid.TextMatrix(row, col); }
    int LastRow() const { return editor->Sheet().LastRow(); }
};

} // namespace mrt::test
