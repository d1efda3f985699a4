// The name registration window's decisions, replayed key by key: panes, work operations with
// their questions, the inline input and closing.
#include "names/NameTables.h"
#include "screens/NameRegistration.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

using namespace mrt;
using mrt::test::ScriptedDialogs;

namespace {

// Records what the controller asks of the window.
class FakeWindow : public NameRegistrationView {
public:
    NameRegistrationScreen screen;
    std::string inputText;
    int focusReturns = 0;
    bool hidden = false;
    std::function<void(NameRegistration&)> user; // what the user does while the window is up

    void RunModal(NameRegistration& reg) override {
        if (user) user(reg);
    }
    void Refresh(const NameRegistrationScreen& s) override { screen = s; }
    void SetInputText(const std::string& text) override { inputText = text; }
    void ReturnFocus() override { ++focusReturns; }
    void HideWindow() override { hidden = true; }
};

using Names = std::vector<std::string>;

// 給与 (income); 食費 with two breakdowns and a shop, 光熱費 with the default list (expense).
NameTables sampleTables() {
    NameTables t;
    for (int key = 1; key <= kItemKeyMax; ++key) {
        t.brkDn[key] = DefaultNameList();
        t.shop[key] = DefaultNameList();
    }
    AddName(t, kItemTable, kIncomeKind, "給与");
    AddName(t, kItemTable, kExpenseKind, "食費");
    AddName(t, kItemTable, kExpenseKind, "光熱費");
    AddName(t, kBrkDnTable, 21, "野菜");
    AddName(t, kShopTable, 21, "八百屋");
    return t;
}

struct Window {
    NameTables t = sampleTables();
    ScriptedDialogs dlg;
    FakeWindow view;
    NameRegistration reg{t, dlg, view};

    Window() { reg.Open(); }
    const NameRegistrationScreen& s() const { return view.screen; }
    // Types a name into the open input box and presses Enter.
    void enter(const std::string& text) { reg.Key(WindowKey::Enter, text); }
};

} // namespace

TEST(NameRegistrationWindow, OpensOnTheExpenseItemsAndTabSwitchesTheKind) {
    Window w;
    EXPECT_EQ(w.s().kind, kExpenseKind);
    EXPECT_EQ(w.s().items[kExpenseKind], (Names{"食費", "光熱費"}));
    EXPECT_EQ(w.s().itemSel[kExpenseKind], 0);
    EXPECT_EQ(w.s().activePane, kItemPane);
    EXPECT_EQ(w.s().brkDn, (Names{"その他", "野菜"}));
    EXPECT_EQ(w.s().brkDnSel, -1); // inactive lists show no selection
    EXPECT_EQ(w.s().incomeCount, "１");
    EXPECT_EQ(w.s().expenseCount, "２");
    EXPECT_EQ(w.s().help, NameRegistration::IdleHelp());

    w.reg.Key(WindowKey::Tab);
    EXPECT_EQ(w.s().kind, kIncomeKind);
    EXPECT_EQ(w.s().brkDn, (Names{"その他"})); // 給与's lists (key 1)
    w.reg.Key(WindowKey::Down);                // a single item: nothing to move to
    w.reg.Key(WindowKey::Tab);
    EXPECT_EQ(w.s().kind, kExpenseKind);
    EXPECT_EQ(w.s().itemSel[kExpenseKind], 0);
}

TEST(NameRegistrationWindow, ArrowsWalkThePanesAndAnotherItemBringsItsLists) {
    Window w;
    w.reg.Key(WindowKey::Down);
    EXPECT_EQ(w.s().itemSel[kExpenseKind], 1);
    EXPECT_EQ(w.s().shop, (Names{"その他"})); // 光熱費
    w.reg.Key(WindowKey::Up);
    EXPECT_EQ(w.s().shop, (Names{"その他", "八百屋"}));

    w.reg.Key(WindowKey::Left); // nothing left of the items
    EXPECT_EQ(w.s().activePane, kItemPane);
    w.reg.Key(WindowKey::Right);
    EXPECT_EQ(w.s().activePane, kBrkDnPane);
    EXPECT_EQ(w.s().brkDnSel, 0);
    w.reg.Key(WindowKey::Down);
    EXPECT_EQ(w.s().brkDnSel, 1);
    w.reg.Key(WindowKey::Right);
    EXPECT_EQ(w.s().activePane, kShopPane);
    EXPECT_EQ(w.s().shopSel, 0);
    EXPECT_EQ(w.s().brkDnSel, -1);
    w.reg.Key(WindowKey::Left); // back to the breakdowns: the first entry again
    EXPECT_EQ(w.s().activePane, kBrkDnPane);
    EXPECT_EQ(w.s().brkDnSel, 0);
    w.reg.Key(WindowKey::Right);
    w.reg.Key(WindowKey::Right); // from the shops round to the items
    EXPECT_EQ(w.s().activePane, kItemPane);
    EXPECT_EQ(w.s().shopSel, -1);
    EXPECT_EQ(w.s().itemSel[kExpenseKind], 0);

    // A click keeps the clicked entry; a click on no entry selects the first.
    w.reg.ListClicked(kShopPane, 1);
    EXPECT_EQ(w.s().activePane, kShopPane);
    EXPECT_EQ(w.s().shopSel, 1);
    w.reg.ListClicked(kBrkDnPane, -1);
    EXPECT_EQ(w.s().brkDnSel, 0);
    EXPECT_EQ(w.s().shopSel, -1);
}

TEST(NameRegistrationWindow, AddAsksThenAppendsAndSelectsTheName) {
    Window w;
    w.reg.Key(WindowKey::Right); // breakdowns of 食費
    w.reg.Key(WindowKey::F2);
    EXPECT_EQ(w.reg.InputState(), kInputRunning);
    EXPECT_EQ(w.s().inputPane, kBrkDnPane);
    EXPECT_EQ(w.view.inputText, "");
    EXPECT_EQ(w.s().help, "登録に追加する名称を入力して[Enter]を押してください。\r\n(中止なら[ESC])");

    w.dlg.expectBox(MsgResult::Yes).expectMessage("このデータを[内訳・備考]に追加してもよいですか？");
    w.enter("果物  ");
    EXPECT_EQ(w.dlg.ops(), "Beep,MsgBox");
    EXPECT_EQ(w.dlg.transcript()[1].title, "追加の確認");
    EXPECT_EQ(w.s().brkDn, (Names{"その他", "野菜", "果物"}));
    EXPECT_EQ(w.s().brkDnSel, 2);
    EXPECT_EQ(w.s().inputPane, -1);
    EXPECT_EQ(w.s().help, NameRegistration::IdleHelp());
    EXPECT_EQ(w.reg.Changed(), (std::array<bool, 3>{false, true, false}));

    // "No" to the question leaves the list as it was.
    w.reg.Key(WindowKey::F2);
    w.dlg.expectBox(MsgResult::No);
    w.enter("菓子");
    EXPECT_EQ(w.s().brkDn.size(), 3u);
}

TEST(NameRegistrationWindow, AddingAnItemUpdatesTheCountAndShowsTheNewItemsLists) {
    Window w;
    w.reg.Key(WindowKey::F2);
    w.dlg.expectBox(MsgResult::Yes).expectMessage("[出金項目名]");
    w.enter("交通費");
    EXPECT_EQ(w.s().items[kExpenseKind], (Names{"食費", "光熱費", "交通費"}));
    EXPECT_EQ(w.s().itemSel[kExpenseKind], 2);
    EXPECT_EQ(w.s().expenseCount, "３");
    EXPECT_EQ(w.s().brkDn, FillBrkDnList(w.t, ItemKeyOf(w.t, kExpenseKind, 3), false));
    EXPECT_EQ(w.reg.Changed()[kItemTable], true);
}

TEST(NameRegistrationWindow, AddAtTheMaximumShowsTheLimitAndOpensNoInput) {
    Window w;
    for (int i = 2; i <= ItemMax[kIncomeKind]; ++i)
        AddName(w.t, kItemTable, kIncomeKind, "収入" + std::to_string(i));
    w.reg.Open();
    w.reg.Key(WindowKey::Tab);
    w.dlg.expect("MsgOK").expectMessage("これ以上登録できません。(最大20ﾃﾞｰﾀ)");
    w.reg.Key(WindowKey::F2);
    EXPECT_EQ(w.dlg.transcript().back().title, "登録データの追加");
    EXPECT_NE(w.dlg.transcript().back().message.find("不要なデータを削除してください。"), std::string::npos);
    EXPECT_EQ(w.reg.InputState(), kInputNone);
    EXPECT_EQ(w.s().inputPane, -1);
}

TEST(NameRegistrationWindow, RenamingToTheSameTextOrToBlanksAsksNothing) {
    Window w;
    w.reg.Key(WindowKey::F3);
    EXPECT_EQ(w.view.inputText, "食費");
    EXPECT_EQ(w.s().help, "名称を変更して[Enter]を押してください。\r\n(中止なら[ESC])");
    w.enter("食費   ");
    w.reg.Key(WindowKey::F3);
    w.enter("   ");
    EXPECT_EQ(w.dlg.transcript().size(), 0u);
    EXPECT_EQ(w.reg.Changed(), (std::array<bool, 3>{}));
    EXPECT_EQ(w.s().inputPane, -1);
}

TEST(NameRegistrationWindow, RenamingAnItemWarnsAboutItsLists) {
    Window w;
    w.reg.Key(WindowKey::F3);
    w.dlg.expectBox(MsgResult::Yes)
        .expectMessage("[出金項目名]の「食費」をこの名称に変更してもよいですか？\r\n\r\n"
                       "[項目名]には関連した[内訳・備考][店名・相手先]が登録されています。");
    w.enter("食料品");
    EXPECT_EQ(w.dlg.transcript().back().title, "変更の確認");
    EXPECT_EQ(w.s().items[kExpenseKind][0], "食料品");
    // The item kept its key, so its lists stay with it.
    EXPECT_EQ(w.s().brkDn, (Names{"その他", "野菜"}));

    // A breakdown's rename question has no such warning.
    w.reg.Key(WindowKey::Right);
    w.reg.Key(WindowKey::F3);
    w.dlg.expectBox(MsgResult::Yes);
    w.enter("雑費");
    EXPECT_EQ(w.dlg.transcript().back().message, "[内訳・備考]の「その他」をこの名称に変更してもよいですか？");
}

TEST(NameRegistrationWindow, TheOnlyEntryCannotBeDeletedAndOneOfTwoIsAskedFor) {
    Window w;
    w.reg.Key(WindowKey::Down); // 光熱費: only "その他"
    w.reg.Key(WindowKey::Right);
    w.dlg.expectBox(MsgResult::OK).expectMessage("登録データを全部削除することはできません。");
    w.reg.Key(WindowKey::F4);
    EXPECT_EQ(w.dlg.transcript().back().title, "削除");
    EXPECT_EQ(w.dlg.transcript().back().buttons, (Names{"Critical", "OK"}));
    EXPECT_EQ(w.s().brkDn.size(), 1u);

    w.reg.Key(WindowKey::Left);
    w.reg.Key(WindowKey::Up); // 食費: その他, 野菜
    w.reg.Key(WindowKey::Right);
    w.reg.Key(WindowKey::Down);
    w.dlg.expectBox(MsgResult::Yes).expectMessage("「野菜」を[内訳・備考]から削除してもよいですか？");
    w.reg.Key(WindowKey::F4);
    EXPECT_EQ(w.dlg.transcript().back().title, "削除の確認");
    EXPECT_EQ(w.s().brkDn, (Names{"その他"}));
    EXPECT_EQ(w.s().brkDnSel, 0); // the last entry went: the new last one is selected
    EXPECT_TRUE(w.reg.Changed()[kBrkDnTable]);
}

TEST(NameRegistrationWindow, AMoveAtTheTopAfterAnAddKeepsTheListMarked) {
    Window w;
    w.reg.Key(WindowKey::Right);
    w.reg.Key(WindowKey::F2);
    w.dlg.expectBox(MsgResult::Yes);
    w.enter("果物");
    w.reg.Key(WindowKey::Home);
    w.reg.Key(WindowKey::PageUp); // already at the top
    EXPECT_EQ(w.dlg.count("Beep"), 2);
    EXPECT_EQ(w.s().brkDn, (Names{"その他", "野菜", "果物"}));
    EXPECT_TRUE(w.reg.Changed()[kBrkDnTable]);
    w.reg.Key(WindowKey::PageDown);
    EXPECT_EQ(w.s().brkDn, (Names{"野菜", "その他", "果物"}));
    EXPECT_EQ(w.s().brkDnSel, 1); // the selection follows the entry
    w.reg.Key(WindowKey::F12);
    EXPECT_TRUE(w.reg.Closed());
    EXPECT_EQ(w.reg.Result(), 1);
}

TEST(NameRegistrationWindow, WorkKeysDuringTheInputOnlyReturnTheFocus) {
    Window w;
    w.reg.Key(WindowKey::F2);
    const int before = w.view.focusReturns;
    for (WindowKey k :
         {WindowKey::F2, WindowKey::F3, WindowKey::F4, WindowKey::PageUp, WindowKey::Tab, WindowKey::Right})
        w.reg.Key(k, "途中");
    EXPECT_EQ(w.view.focusReturns, before + 6);
    EXPECT_EQ(w.reg.InputState(), kInputRunning);
    EXPECT_EQ(w.s().kind, kExpenseKind);
    EXPECT_EQ(w.s().activePane, kItemPane);
    EXPECT_EQ(w.dlg.transcript().size(), 0u);
    // Esc ends only the input, without a change or a question.
    w.reg.Key(WindowKey::Esc, "途中");
    EXPECT_EQ(w.reg.InputState(), kInputCancelled);
    EXPECT_FALSE(w.reg.Closed());
    EXPECT_EQ(w.s().items[kExpenseKind].size(), 2u);
}

TEST(NameRegistrationWindow, ConfirmDuringTheInputEndsOnlyTheInput) {
    Window w;
    w.reg.Key(WindowKey::F2);
    w.dlg.expectBox(MsgResult::Yes);
    w.reg.Button(TblButton::OK, "雑費");
    EXPECT_FALSE(w.reg.Closed());
    EXPECT_EQ(w.s().items[kExpenseKind].back(), "雑費");
    // A click on a list while typing cancels the input.
    w.reg.Key(WindowKey::F2);
    w.reg.ListClicked(kShopPane, 0);
    EXPECT_EQ(w.reg.InputState(), kInputCancelled);
    EXPECT_EQ(w.s().inputPane, -1);
    EXPECT_EQ(w.s().activePane, kShopPane);
}

TEST(NameRegistrationWindow, NamesTheFilesCannotHoldAreRefusedAndTheInputStays) {
    Window w;
    w.reg.Key(WindowKey::F2);
    w.dlg.expect("MsgOK").expectMessage("項目名には半角の「\"」は使えません。");
    w.enter("A\"B");
    EXPECT_EQ(w.reg.InputState(), kInputRunning);
    EXPECT_EQ(w.s().inputPane, kItemPane);
    w.dlg.expect("MsgOK").expectMessage("「☃」はファイルに保存できない文字のため登録できません。");
    w.enter("雪☃");
    // 11 full-width characters are 22 bytes: more than an item name's 20.
    w.dlg.expect("MsgOK").expectMessage("[出金項目名]は半角20文字(全角10文字)までです。");
    w.enter("一二三四五六七八九十壱");
    EXPECT_EQ(w.dlg.transcript().back().title, "登録データの追加");
    // Ten characters fit exactly.
    w.dlg.expectBox(MsgResult::Yes);
    w.enter("一二三四五六七八九十");
    EXPECT_EQ(w.s().items[kExpenseKind].back(), "一二三四五六七八九十");
    // A shop takes 30 bytes: 16 full-width characters are refused.
    w.reg.Key(WindowKey::Right);
    w.reg.Key(WindowKey::Right);
    w.reg.Key(WindowKey::F3);
    w.dlg.expect("MsgOK").expectMessage("[店名・相手先]は半角30文字(全角15文字)までです。");
    w.enter("あいうえおかきくけこさしすせそた");
    EXPECT_EQ(w.dlg.transcript().back().title, "登録データの変更");
    EXPECT_EQ(w.s().shop.front(), "その他");
}

TEST(NameRegistrationWindow, CancelAfterAnAddAsksAndNoKeepsTheWindowOpen) {
    Window w;
    w.reg.Key(WindowKey::F2);
    w.dlg.expectBox(MsgResult::Yes);
    w.enter("雑費");
    w.dlg.expect("MsgYesNo2", 1).expectMessage("登録の変更をすべてキャンセルして作業を終了してもよいですか？");
    w.reg.Key(WindowKey::Esc);
    EXPECT_EQ(w.dlg.transcript().back().title, "登録変更キャンセルの確認");
    EXPECT_FALSE(w.reg.Closed());
    EXPECT_EQ(w.s().items[kExpenseKind].back(), "雑費");
    w.dlg.expect("MsgYesNo2", 0);
    w.reg.Button(TblButton::Cancel);
    EXPECT_TRUE(w.reg.Closed());
    EXPECT_TRUE(w.view.hidden);
    EXPECT_EQ(w.reg.Result(), -1);
}

TEST(NameRegistrationWindow, ClosingWithoutChangesAsksNothing) {
    for (WindowKey k : {WindowKey::F12, WindowKey::Esc}) {
        Window w;
        w.reg.Key(WindowKey::Tab);
        w.reg.Key(WindowKey::Right);
        w.reg.Key(k);
        EXPECT_TRUE(w.reg.Closed());
        EXPECT_EQ(w.reg.Result(), 0);
        EXPECT_EQ(w.dlg.ops(), "CloseAllHelp");
    }
}

TEST(NameRegistrationWindow, CloseBoxWhileTypingAsksTheCancelQuestion) {
    Window w;
    w.reg.Key(WindowKey::F2);
    w.dlg.expectBox(MsgResult::Yes);
    w.enter("雑費");
    w.reg.Key(WindowKey::F3);
    w.dlg.expect("MsgYesNo2", 1);
    EXPECT_FALSE(w.reg.CloseRequested());
    EXPECT_EQ(w.reg.InputState(), kInputCloseAsked);
    EXPECT_EQ(w.s().inputPane, -1);
    w.dlg.expect("MsgYesNo2", 0);
    EXPECT_TRUE(w.reg.CloseRequested());
    EXPECT_EQ(w.reg.Result(), -1);
}

TEST(NameRegistrationWindow, TableRegstKeepsMarksOfAnEarlierFailedSave) {
    NameTables t = sampleTables();
    ScriptedDialogs dlg;
    FakeWindow view;
    view.user = [](NameRegistration& reg) { reg.Key(WindowKey::F12); };
    std::array<bool, 3> changed{false, false, true};
    int result = 0;
    TableRegst(t, dlg, view, changed, result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(changed, (std::array<bool, 3>{false, false, true}));

    // A window that went away on its own counts as cancelled.
    view.user = nullptr;
    TableRegst(t, dlg, view, changed, result);
    EXPECT_EQ(result, -1);
}
