// The budget window's decisions for one page (edit box, validation, sum, page commands, the Esc
// questions), and whole registrations typed through it.
#include "names/NameTables.h"
#include "screens/BudgetWindow.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "util/Clock.h"
#include "util/Home.h"

#include <deque>
#include <functional>
#include <gtest/gtest.h>

using namespace mrt;
using mrt::test::ScriptedDialogs;
using mrt::test::TempDir;

namespace {

class FakeWindow : public BudgetWindowView {
public:
    bool boxShown = false;
    int boxRow = -1;
    std::string boxText;
    int caret = -1;
    int focusOK = 0;
    bool hidden = false;
    // One entry per page shown: what the user does on it.
    std::deque<std::function<void(BudgetPageEditor&)>> pages;
    std::vector<std::string> captions;

    void RunModal(BudgetPageEditor& e) override {
        captions.push_back(e.Page().caption);
        hidden = false;
        if (pages.empty()) {
            ADD_FAILURE() << "a page the test does not expect: " << e.Page().caption;
            return;
        }
        auto user = std::move(pages.front());
        pages.pop_front();
        user(e);
    }
    void ShowEditBox(int row, int col, const std::string& text, int c) override {
        EXPECT_EQ(col, 1);
        boxShown = true;
        boxRow = row;
        boxText = text;
        caret = c;
    }
    void HideEditBox() override { boxShown = false; }
    void SetEditText(const std::string& text) override { boxText = text; }
    void FocusEditBox() override {}
    void FocusOK() override { ++focusOK; }
    void HideWindow() override { hidden = true; }
};

BudgetPage samplePage() {
    BudgetPage p;
    p.year = 2004;
    p.month = 3;
    p.kind = 1;
    p.caption = BudgetPageCaption(2004, 3, 1);
    p.names = {"食費 ", "光熱費 ", "交通費 "};
    p.amounts = {"30000", "", "5000"};
    return p;
}

struct Page {
    ScriptedDialogs dlg;
    FakeWindow view;
    BudgetPageEditor ed{samplePage(), dlg, view};
    Page() { ed.Open(); }
    void type(const std::string& text, WindowKey key = WindowKey::Enter) { ed.KeyInEditBox(key, text); }
    void rejectedAnswer(int button) { dlg.expect("MsgKel", button).expectMessage("入力内容が異常です。"); }
};

} // namespace

TEST(BudgetWindow, OpensOnTheFirstAmountWithThePageSum) {
    Page p;
    const GridModel& g = p.ed.Grid();
    EXPECT_EQ(g.Rows(), 4);
    EXPECT_EQ(g.TextMatrix(0, 0), kBudgetNameHeader);
    EXPECT_EQ(g.TextMatrix(0, 1), kBudgetAmountHeader);
    EXPECT_EQ(g.TextMatrix(2, 0), "光熱費 ");
    EXPECT_EQ(g.BackColorFixed(), Rgb(216, 234, 216));
    EXPECT_EQ(g.ForeColorFixed(), Rgb(80, 80, 80));
    EXPECT_EQ(p.ed.SumGrid().TextMatrix(0, 0), "合  計");
    EXPECT_EQ(p.ed.SumText(), "35000");
    EXPECT_EQ(p.view.boxRow, 1);
    EXPECT_EQ(p.view.boxText, "30000");
    EXPECT_EQ(p.view.caret, 0);
}

TEST(BudgetWindow, EnterStoresMovesAndUpdatesTheSum) {
    Page p;
    p.type("31000");
    EXPECT_EQ(p.ed.SumText(), "36000");
    EXPECT_EQ(p.view.boxRow, 2);
    p.type("1000+", WindowKey::Up);
    EXPECT_EQ(p.view.boxRow, 1);
    EXPECT_EQ(p.ed.SumText(), "37000");
    p.type("31000", WindowKey::Up); // the first row stays
    EXPECT_EQ(p.view.boxRow, 1);
    // Emptying a cell lowers the sum by its old amount; the cell then means no budget.
    p.type("", WindowKey::Down);
    EXPECT_EQ(p.ed.SumText(), "6000");
    p.type("1000+", WindowKey::Down);
    p.type("5000", WindowKey::Down); // the last row stays
    EXPECT_EQ(p.view.boxRow, 3);
    EXPECT_EQ(p.view.focusOK, 0);
    p.type("5000"); // Enter on the last row: to the register button
    EXPECT_EQ(p.view.focusOK, 1);
    EXPECT_FALSE(p.ed.Closed());
    p.ed.KeyElsewhere(WindowKey::F12, "5000");
    EXPECT_TRUE(p.ed.Closed());
    EXPECT_EQ(p.ed.Action(), BudgetPageAction::Register);
    EXPECT_EQ(p.ed.Amounts(), (std::vector<std::string>{"", "1000+", "5000"}));
    EXPECT_EQ(p.dlg.transcript().size(), 0u);
}

TEST(BudgetWindow, LettersAndLongAmountsAreRefused) {
    Page p;
    p.rejectedAnswer(1);
    p.type("123456789"); // nine digits: more than the column's 8 bytes
    EXPECT_EQ(p.dlg.ops(), "Beep,MsgKel");
    EXPECT_EQ(p.dlg.transcript().back().title, "予算表");
    EXPECT_EQ(p.dlg.transcript().back().buttons, (std::vector<std::string>{"再 入 力", "登録中止"}));
    EXPECT_EQ(p.ed.Grid().TextMatrix(1, 1), "30000");
    EXPECT_EQ(p.view.boxRow, 1);
    p.type("12345678+"); // eight digits and the copy mark fit
    EXPECT_EQ(p.ed.Grid().TextMatrix(1, 1), "12345678+");
    p.rejectedAnswer(1);
    p.type("abc");
    p.rejectedAnswer(1);
    p.type("-5");
    p.rejectedAnswer(1);
    p.type("1,000");
    EXPECT_EQ(p.ed.Grid().TextMatrix(2, 1), "");
    // Full-width digits from an input method are taken as digits.
    p.type(" １０００＋ ");
    EXPECT_EQ(p.ed.Grid().TextMatrix(2, 1), "1000+");
    // "登録中止" ends the page as cancelled.
    p.rejectedAnswer(2);
    p.type("x");
    EXPECT_TRUE(p.ed.Closed());
    EXPECT_EQ(p.ed.Action(), BudgetPageAction::Cancelled);
}

TEST(BudgetWindow, PageCommandsStoreThePendingEditFirst) {
    struct Case {
        WindowKey key;
        BudgetPageAction action;
    };
    for (Case c :
         {Case{WindowKey::Tab, BudgetPageAction::SwitchKind}, Case{WindowKey::F2, BudgetPageAction::PreviousMonth},
          Case{WindowKey::F3, BudgetPageAction::NextMonth}, Case{WindowKey::F12, BudgetPageAction::Register}}) {
        Page p;
        p.type("0", c.key);
        EXPECT_EQ(p.ed.Action(), c.action);
        EXPECT_TRUE(p.view.hidden);
        EXPECT_EQ(p.ed.Amounts()[0], "0");
    }
    // A refused text keeps the page open.
    Page p;
    p.rejectedAnswer(1);
    p.type("zero", WindowKey::F3);
    EXPECT_FALSE(p.ed.Closed());
}

TEST(BudgetWindow, ATextLeftByAClickIsCheckedByThePageCommand) {
    Page p;
    p.ed.LeaveCell("12a");
    EXPECT_FALSE(p.view.boxShown);
    EXPECT_EQ(p.ed.Grid().TextMatrix(1, 1), "12a");
    p.ed.Grid().SetCursor(3, 1);
    p.ed.KeyOnGrid(WindowKey::Char, "7"); // a digit on the grid replaces the whole amount
    EXPECT_EQ(p.view.boxText, "7");
    EXPECT_EQ(p.view.caret, 1);
    p.rejectedAnswer(1);
    p.type("7", WindowKey::F12);
    EXPECT_FALSE(p.ed.Closed());
    EXPECT_EQ(p.ed.Grid().TextMatrix(3, 1), "7");
    EXPECT_EQ(p.view.boxRow, 1); // back on the refused cell
    EXPECT_EQ(p.view.boxText, "12a");
    p.type("12", WindowKey::F12);
    EXPECT_EQ(p.ed.Action(), BudgetPageAction::Register);
}

TEST(BudgetWindow, EscAsksInTheBoxAndOnTheGrid) {
    Page p;
    p.dlg.expect("MsgYesNo2", 1).expectMessage("作業を中止てもよろしいですか。");
    p.type("30000", WindowKey::Esc);
    EXPECT_EQ(p.dlg.transcript().back().title, "[ESC]中断");
    EXPECT_FALSE(p.ed.Closed());
    p.ed.LeaveCell("30000");
    p.dlg.expect("MsgYesNo2", 1).expectMessage("作業を中止してもよろしいですか。");
    p.ed.KeyOnGrid(WindowKey::Esc);
    EXPECT_EQ(p.dlg.transcript().back().op, "Beep"); // "no" on the grid beeps
    p.dlg.expect("MsgYesNo2", 0);
    p.ed.KeyOnGrid(WindowKey::Esc);
    EXPECT_TRUE(p.ed.Closed());
    EXPECT_EQ(p.ed.Action(), BudgetPageAction::Cancelled);
}

// ---- whole registrations typed through the window ----

namespace {

struct Registration : ::testing::Test {
    TempDir dir;
    BudgetPlace place;
    NameTables names;
    BgtRecord rec;
    ScriptedDialogs dlg;
    FakeWindow view;
    FixedClock clock{{2004, 10, 5}};

    Registration() {
        MakeFolders(dir / "Data1/BU");
        place = BudgetPlaceOf(dir.path());
        AddName(names, kItemTable, kIncomeKind, "給与");
        AddName(names, kItemTable, kExpenseKind, "食費");
        AddName(names, kItemTable, kExpenseKind, "光熱費");
        SetClock(&clock);
    }
    ~Registration() override { SetClock(nullptr); }
    int run() {
        BudgetWindowPages pages(dlg, view);
        return RunBudgetRegistration(rec, names, place, dlg, pages);
    }
};

} // namespace

TEST_F(Registration, APlusCopiesTheAmountToTheRestOfTheYear) {
    dlg.expect("DateInYM").withText("2004/10");
    view.pages.push_back([](BudgetPageEditor& e) {
        EXPECT_EQ(e.Grid().TextMatrix(1, 1), "");
        e.KeyInEditBox(WindowKey::Enter, "1000+");
        e.KeyInEditBox(WindowKey::F12, "200");
    });
    dlg.expect("DateInYM", -1);
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(view.captions, (std::vector<std::string>{"２００４年 １０月分（出金）"}));
    for (int month : {10, 11, 12})
        EXPECT_EQ(rec.at(month, kExpenseKind, 1), 1000) << month;
    EXPECT_EQ(rec.at(9, kExpenseKind, 1), -1);
    EXPECT_EQ(rec.at(10, kExpenseKind, 2), 200);
    EXPECT_EQ(rec.at(11, kExpenseKind, 2), -1);
    BgtRecord saved;
    ASSERT_EQ(LoadBudget(saved, 2004, names.items, place, dlg), 0);
    EXPECT_EQ(saved.at(12, kExpenseKind, 1), 1000);
}

TEST_F(Registration, CancellingAPageDropsItsTextsAndAsksForTheMonthAgain) {
    dlg.expect("DateInYM").withText("2004/10");
    view.pages.push_back([](BudgetPageEditor& e) {
        e.KeyInEditBox(WindowKey::Tab, "500"); // the expense page is kept ...
    });
    view.pages.push_back([](BudgetPageEditor& e) {
        EXPECT_EQ(e.Page().caption, "２００４年 １０月分（入金）");
        e.KeyInEditBox(WindowKey::Enter, "250000");
        e.Button(BgtButton::Cancel, ""); // ... the income page is dropped
    });
    dlg.expect("DateInYM", -1).expectMessage("予算登録する年月を入力してください。");
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(rec.at(10, kExpenseKind, 1), 500);
    EXPECT_EQ(rec.at(10, kIncomeKind, 1), -1);
}
