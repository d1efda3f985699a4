#include "names/NameTables.h"
#include "screens/BudgetRegistration.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "util/Clock.h"
#include "util/Home.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>

using namespace mrt;
using mrt::test::ReadBytes;
using mrt::test::ScriptedDialogs;
using mrt::test::TempDir;

namespace {

// A budget window that plays a script: each step may edit the page's amounts, then leaves it.
class ScriptedBudgetView : public BudgetPageView {
public:
    struct Step {
        std::function<void(BudgetPage&)> edit;
        BudgetPageAction action;
    };
    std::deque<Step> steps;
    std::vector<BudgetPage> shown; // the pages as they were handed to the window
    bool unloaded = false;

    void then(BudgetPageAction action, std::function<void(BudgetPage&)> edit = nullptr) {
        steps.push_back({std::move(edit), action});
    }
    BudgetPageAction ShowBudgetPage(BudgetPage& page) override {
        shown.push_back(page);
        if (steps.empty()) {
            ADD_FAILURE() << "page shown that the script does not expect: " << page.caption;
            return BudgetPageAction::Cancelled;
        }
        Step s = std::move(steps.front());
        steps.pop_front();
        if (s.edit) s.edit(page);
        return s.action;
    }
    void UnloadBudgetWindow() override { unloaded = true; }
};

struct RegistrationFixture : ::testing::Test {
    TempDir dir;
    BudgetPlace place;
    NameTables names;
    BgtRecord rec;
    ScriptedDialogs dlg;
    ScriptedBudgetView view;
    FixedClock clock{{2004, 3, 15}};

    RegistrationFixture() {
        MakeFolders(dir / "Data1/BU");
        place = BudgetPlaceOf(dir.path());
        AddName(names, kItemTable, 0, "給与");
        AddName(names, kItemTable, 1, "食費");
        AddName(names, kItemTable, 1, "光熱費");
        SetClock(&clock);
    }
    ~RegistrationFixture() override { SetClock(nullptr); }
};

} // namespace

TEST_F(RegistrationFixture, NoItemsOfAKindEndsAtOnce) {
    NameTables none;
    AddName(none, kItemTable, 1, "食費");
    dlg.expectBox(MsgResult::OK).expectMessage("項目名データがありません。項目名を登録してください。");
    EXPECT_EQ(RunBudgetRegistration(rec, none, place, dlg, view), 0);
    EXPECT_TRUE(view.shown.empty());
}

TEST_F(RegistrationFixture, EditSwitchKindRegisterAndSave) {
    dlg.expect("DateInYM").withText("2004/03");
    view.then(BudgetPageAction::SwitchKind, [](BudgetPage& p) { p.amounts = {"30000+", ""}; });
    view.then(BudgetPageAction::Register, [](BudgetPage& p) { p.amounts = {"250000"}; });
    dlg.expect("DateInYM", -1);
    EXPECT_EQ(RunBudgetRegistration(rec, names, place, dlg, view), 0);
    EXPECT_TRUE(view.unloaded);

    ASSERT_EQ(view.shown.size(), 2u);
    EXPECT_EQ(view.shown[0].caption, "２００４年 ３月分（出金）");
    EXPECT_EQ(view.shown[0].names, (std::vector<std::string>{"食費 ", "光熱費 "}));
    EXPECT_EQ(view.shown[0].amounts, (std::vector<std::string>{"", ""}));
    EXPECT_EQ(view.shown[1].caption, "２００４年 ３月分（入金）");
    EXPECT_EQ(dlg.ops(), "DateInYM,MsgOn,MsgOff,DateInYM");
    EXPECT_EQ(dlg.transcript()[0].message, "予算登録する年月を入力してください。");

    // Groups: income (one item) then expense (two items) per month; "+" filled March to December.
    std::string file = ReadBytes(place.dataFolder + "Bgt2004.usr");
    std::string expected;
    for (int month = 1; month <= 12; ++month) {
        if (month < 3)
            expected += "-1 \r\n-1 ,-1 \r\n";
        else
            expected += std::string(month == 3 ? " 250000 \r\n" : "-1 \r\n") + " 30000 ,-1 \r\n";
    }
    EXPECT_EQ(file.substr(0, file.find("*SLOTS")), expected);
}

TEST_F(RegistrationFixture, CancelledPageIsDroppedAndTheMonthAskedAgain) {
    dlg.expect("DateInYM").withText("2004/05");
    view.then(BudgetPageAction::Cancelled, [](BudgetPage& p) { p.amounts = {"1", "2"}; });
    dlg.expect("DateInYM", -1);
    EXPECT_EQ(RunBudgetRegistration(rec, names, place, dlg, view), 0);
    EXPECT_EQ(rec.at(5, 1, 1), -1);
    EXPECT_EQ(ReadBytes(place.dataFolder + "Bgt2004.usr"), "");
    EXPECT_EQ(dlg.ops(), "DateInYM,DateInYM");
}

TEST_F(RegistrationFixture, MovingPastDecemberSavesAndOpensTheNextYear) {
    dlg.expect("DateInYM").withText("2004/12");
    view.then(BudgetPageAction::NextMonth, [](BudgetPage& p) { p.amounts = {"700", "800"}; });
    view.then(BudgetPageAction::PreviousMonth); // January 2005, back to December 2004
    view.then(BudgetPageAction::Register);
    dlg.expect("DateInYM", -1);
    EXPECT_EQ(RunBudgetRegistration(rec, names, place, dlg, view), 0);

    ASSERT_EQ(view.shown.size(), 3u);
    EXPECT_EQ(view.shown[1].caption, "２００５年 １月分（出金）");
    // January 2005 has no file: it starts with December 2004's amounts.
    EXPECT_EQ(view.shown[1].amounts, (std::vector<std::string>{"700", "800"}));
    EXPECT_EQ(view.shown[2].caption, "２００４年 １２月分（出金）");
    EXPECT_EQ(view.shown[2].amounts, (std::vector<std::string>{"700", "800"}));
    EXPECT_NE(ReadBytes(place.dataFolder + "Bgt2005.usr"), "");
    EXPECT_NE(ReadBytes(place.dataFolder + "Bgt2004.usr"), "");
}

TEST_F(RegistrationFixture, DamagedBudgetEndsTheCommand) {
    ASSERT_TRUE(test::WriteBytes(place.dataFolder + "Bgt2004.usr", "broken"));
    dlg.expect("DateInYM").withText("2004/03");
    dlg.expect("MsgYesNo2", 1);
    EXPECT_NE(RunBudgetRegistration(rec, names, place, dlg, view), 0);
    EXPECT_TRUE(view.shown.empty());
    EXPECT_TRUE(view.unloaded);
}
