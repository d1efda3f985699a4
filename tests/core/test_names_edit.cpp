// Order-array edits, slot reuse, limits, the quick add, look-ups and the work-selection lists.
#include "app/WorkLists.h"
#include "names/NameTables.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

using namespace mrt;
using mrt::test::DialogCall;
using mrt::test::ReadBytes;
using mrt::test::ScriptedDialogs;
using mrt::test::TempDir;
using mrt::test::WriteBytes;

namespace {

std::vector<std::string> brk(const NameTables& t, int key) {
    return FillBrkDnList(t, key, false);
}

void expectPermutation(const int16_t* order, int max) {
    std::vector<int> v(order + 1, order + max + 1);
    std::sort(v.begin(), v.end());
    for (int i = 0; i < max; ++i)
        ASSERT_EQ(v[i], i + 1);
}

NameTables threeBreakdowns(int key) {
    NameTables t;
    for (const char* n : {"朝食", "昼食", "夕食"})
        EXPECT_GT(AddName(t, kBrkDnTable, key, n), 0);
    return t;
}

} // namespace

// ---- Order arrays ----

TEST(NameEdit, DeletedSlotIsReusedByTheNextAdd) {
    NameTables t = threeBreakdowns(30);
    EXPECT_EQ(DeleteName(t, kBrkDnTable, 30, 2), 2); // selection stays at position 2
    EXPECT_EQ(brk(t, 30), (std::vector<std::string>{"朝食", "夕食"}));
    const NameListRecord& r = t.brkDn[30];
    EXPECT_EQ(r.NameOrder[3], 2);     // the freed slot right after the listed ones
    EXPECT_EQ(r.NameText[2], "昼食"); // its text stays until overwritten
    EXPECT_EQ(AddName(t, kBrkDnTable, 30, "間食"), 3);
    EXPECT_EQ(r.NameText[2], "間食");
    EXPECT_EQ(brk(t, 30), (std::vector<std::string>{"朝食", "夕食", "間食"}));
    expectPermutation(r.NameOrder.data(), 50);

    // Deleting the last entry selects the new last one; deleting everything selects nothing.
    EXPECT_EQ(DeleteName(t, kBrkDnTable, 30, 3), 2);
    EXPECT_EQ(DeleteName(t, kBrkDnTable, 30, 1), 1);
    EXPECT_EQ(DeleteName(t, kBrkDnTable, 30, 1), 0);
    EXPECT_EQ(DeleteName(t, kBrkDnTable, 30, 1), -1);
    // The most recently freed slot comes first.
    EXPECT_EQ(AddName(t, kBrkDnTable, 30, "x"), 1);
    EXPECT_EQ(r.NameOrder[1], 3);
}

TEST(NameEdit, NewItemInheritsTheDeletedItemsLists) {
    NameTables t;
    ASSERT_EQ(AddName(t, kItemTable, kIncomeKind, "給料"), 1);
    ASSERT_EQ(AddName(t, kItemTable, kIncomeKind, "賞与"), 2);
    int key = ItemKeyOf(t, kIncomeKind, 1);
    ASSERT_EQ(key, 1);
    AddName(t, kBrkDnTable, key, "基本給");
    AddName(t, kShopTable, key, "本社");

    ASSERT_EQ(DeleteName(t, kItemTable, kIncomeKind, 1), 1);
    EXPECT_EQ(FillItemList(t, kIncomeKind, false), std::vector<std::string>{"賞与"});
    ASSERT_EQ(AddName(t, kItemTable, kIncomeKind, "副業"), 2);
    EXPECT_EQ(ItemKeyOf(t, kIncomeKind, 2), key);
    EXPECT_EQ(FillBrkDnList(t, ItemKeyOf(t, kIncomeKind, 2), false), std::vector<std::string>{"基本給"});
    EXPECT_EQ(FillShopList(t, ItemKeyOf(t, kIncomeKind, 2), false), std::vector<std::string>{"本社"});
}

TEST(NameEdit, MovesSwapNeighboursAndStopAtTheEnds) {
    NameTables t = threeBreakdowns(1);
    auto before = t.brkDn[1].NameOrder;
    EXPECT_EQ(MoveName(t, kBrkDnTable, 1, 1, -1), 0);
    EXPECT_EQ(MoveName(t, kBrkDnTable, 1, 3, +1), 0);
    EXPECT_EQ(t.brkDn[1].NameOrder, before);
    EXPECT_EQ(MoveName(t, kBrkDnTable, 1, 3, -1), 2);
    EXPECT_EQ(brk(t, 1), (std::vector<std::string>{"朝食", "夕食", "昼食"}));
    EXPECT_EQ(MoveName(t, kBrkDnTable, 1, 1, +1), 2);
    EXPECT_EQ(brk(t, 1), (std::vector<std::string>{"夕食", "朝食", "昼食"}));

    // Moving an item keeps its key, so its lists follow it.
    AddName(t, kItemTable, kExpenseKind, "食費");
    AddName(t, kItemTable, kExpenseKind, "雑費");
    EXPECT_EQ(MoveName(t, kItemTable, kExpenseKind, 2, -1), 1);
    EXPECT_EQ(FillItemList(t, kExpenseKind, false), (std::vector<std::string>{"雑費", "食費"}));
    EXPECT_EQ(ItemKeyOf(t, kExpenseKind, 1), 22);
    EXPECT_EQ(ItemKeyOf(t, kExpenseKind, 2), 21);
}

// Random edits checked against a plain list of names: order arrays stay permutations, the
// listed names are what a simple model expects, a new name always takes the last-freed slot.
TEST(NameEdit, RandomEditsKeepOrderArraysConsistent) {
    std::mt19937 rng(12345);
    for (int which : {kItemTable, kShopTable}) {
        int kindOrKey = which == kItemTable ? kIncomeKind : 7;
        int max = NameListMax(which, kindOrKey);
        NameTables t;
        std::vector<std::string> model;
        std::vector<int> freed; // stack of freed slots
        const int16_t* order = which == kItemTable ? t.items.ItemOrder[0].data() : t.shop[7].NameOrder.data();
        for (int step = 0; step < 3000; ++step) {
            int n = static_cast<int>(model.size());
            int op = rng() % 4;
            int p = n ? static_cast<int>(rng() % n) + 1 : 1;
            if (op == 0) {
                std::string name = "n" + std::to_string(step);
                int expectSlot = order[n + 1 <= max ? n + 1 : max];
                int r = AddName(t, which, kindOrKey, name);
                if (n == max) {
                    ASSERT_EQ(r, -1);
                } else {
                    ASSERT_EQ(r, n + 1);
                    if (!freed.empty()) {
                        ASSERT_EQ(expectSlot, freed.back());
                        freed.pop_back();
                    }
                    model.push_back(name);
                }
            } else if (op == 1 && n > 0) {
                freed.push_back(order[p]);
                ASSERT_EQ(DeleteName(t, which, kindOrKey, p), std::min(p, n - 1));
                model.erase(model.begin() + (p - 1));
            } else if (op == 2 && n > 0) {
                int dir = rng() % 2 ? 1 : -1;
                int r = MoveName(t, which, kindOrKey, p, dir);
                if (p + dir < 1 || p + dir > n) {
                    ASSERT_EQ(r, 0);
                } else {
                    ASSERT_EQ(r, p + dir);
                    std::swap(model[p - 1], model[p + dir - 1]);
                }
            } else if (op == 3 && n > 0) {
                std::string name = "r" + std::to_string(step);
                ASSERT_EQ(RenameName(t, which, kindOrKey, p, name), 0);
                model[p - 1] = name;
            }
            ASSERT_NO_FATAL_FAILURE(expectPermutation(order, max));
            ASSERT_EQ(which == kItemTable ? FillItemList(t, kindOrKey, false) : FillShopList(t, 7, false), model);
        }
    }
}

// ---- Limits and name checks ----

TEST(NameEdit, ListsStopAtTheirMaximum) {
    NameTables t;
    for (int i = 1; i <= 20; ++i)
        ASSERT_EQ(AddName(t, kItemTable, kIncomeKind, "i" + std::to_string(i)), i);
    EXPECT_EQ(AddName(t, kItemTable, kIncomeKind, "more"), -1);
    for (int i = 1; i <= 50; ++i)
        ASSERT_EQ(AddName(t, kItemTable, kExpenseKind, "e" + std::to_string(i)), i);
    EXPECT_EQ(AddName(t, kItemTable, kExpenseKind, "more"), -1);
    EXPECT_EQ(ItemKeyOf(t, kExpenseKind, 50), 70);
    EXPECT_EQ(NameListFullMessage(kItemTable, kIncomeKind),
              "これ以上登録できません。(最大20ﾃﾞｰﾀ)\n不要なデータを削除してください。");
    EXPECT_EQ(AddName(t, kBrkDnTable, 0, "x"), -1);
    EXPECT_EQ(AddName(t, kShopTable, 71, "x"), -1);
    EXPECT_EQ(AddName(t, kItemTable, 2, "x"), -1);
}

TEST(NameEdit, UnstorableNamesAreRefusedWithAReason) {
    NameTables t;
    std::string why;
    EXPECT_EQ(AddName(t, kItemTable, kExpenseKind, "\"特別\"費", &why), -1);
    EXPECT_NE(why.find("\""), std::string::npos);
    EXPECT_EQ(t.items.ItemCount[1], 0);
    // Breakdown and shop names are fixed fields: a quotation mark is fine there.
    EXPECT_EQ(AddName(t, kShopTable, 21, "\"A\" 店"), 1);
    EXPECT_EQ(AddName(t, kShopTable, 21, "Shop😀", &why), -1);
    EXPECT_NE(why.find("😀"), std::string::npos);
    EXPECT_EQ(AddName(t, kShopTable, 21, "a\nb", &why), -1);
    EXPECT_EQ(AddName(t, kShopTable, 21, "   ", &why), -1);
    EXPECT_EQ(t.shop[21].NameCount, 1);
    // Full-width quotation marks and the tilde of code page 932 are storable.
    EXPECT_EQ(CheckNameText(kItemTable, "＂特別＂費～"), "");
    ASSERT_EQ(AddName(t, kItemTable, kIncomeKind, "a"), 1);
    EXPECT_EQ(RenameName(t, kItemTable, kIncomeKind, 1, "b\"", &why), -1);
    EXPECT_EQ(FillItemList(t, kIncomeKind, false), std::vector<std::string>{"a"});
}

TEST(NameEdit, ItemNamesFitTheLedgerItemField) {
    NameTables t;
    // 11 full-width characters are 22 bytes; a ledger line holds 20.
    ASSERT_EQ(AddName(t, kItemTable, kExpenseKind, "あいうえおかきくけこさ  "), 1);
    EXPECT_EQ(FillItemList(t, kExpenseKind, false), std::vector<std::string>{"あいうえおかきくけこ"});
    ASSERT_EQ(RenameName(t, kItemTable, kExpenseKind, 1, "食費  "), 0);
    EXPECT_EQ(t.items.ItemText[1][1], "食費");
}

// ---- Quick add ----

class QuickAdd : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedDialogs dlg;
    NameTables t;
    NameFilePaths files{dir / "TBITEM.mrt", dir / "TBBRKDN.mrt", dir / "TBSHOP.mrt"};
};

TEST_F(QuickAdd, WritesTheChangedTableAtOnce) {
    ASSERT_EQ(QuickAddName(t, files, kItemTable, kExpenseKind, "食費", dlg), 0);
    NameTables back;
    ASSERT_EQ(LoadItemTable(files.item, back), 0);
    EXPECT_EQ(FillItemList(back, kExpenseKind, false), std::vector<std::string>{"食費"});

    ASSERT_EQ(QuickAddName(t, files, kShopTable, 21, "駅前店", dlg), 0);
    std::string shop = ReadBytes(files.shop);
    ASSERT_EQ(shop.size(), 70u * 1602u);
    ASSERT_EQ(LoadShopTable(files.shop, back), 0);
    EXPECT_EQ(FillShopList(back, 21, false), std::vector<std::string>{"駅前店"});
}

TEST_F(QuickAdd, AtTheMaximumNothingIsAddedOrWritten) {
    for (int i = 1; i <= 50; ++i)
        AddName(t, kBrkDnTable, 3, "b" + std::to_string(i));
    EXPECT_EQ(QuickAddName(t, files, kBrkDnTable, 3, "one more", dlg), 1);
    EXPECT_EQ(t.brkDn[3].NameCount, 50);
    EXPECT_FALSE(std::filesystem::exists(files.brkDn));
    EXPECT_TRUE(dlg.transcript().empty());
}

TEST_F(QuickAdd, RefusedNameAndFailedWriteLeaveTheTableAsItWas) {
    dlg.expect("MsgOK").expectMessage("\"");
    EXPECT_EQ(QuickAddName(t, files, kItemTable, kIncomeKind, "a\"b", dlg), -1);
    EXPECT_EQ(t.items.ItemCount[0], 0);

    AddName(t, kShopTable, 5, "old");
    DeleteName(t, kShopTable, 5, 1);
    NameFilePaths broken{dir / "x/TBITEM.mrt", dir / "x/TBBRKDN.mrt", dir / "x/TBSHOP.mrt"};
    dlg.expectBox(MsgResult::OK);
    EXPECT_EQ(QuickAddName(t, broken, kShopTable, 5, "new", dlg), -1);
    EXPECT_EQ(t.shop[5].NameCount, 0);
    EXPECT_EQ(t.shop[5].NameText[1], "old");
    dlg.expectBox(MsgResult::OK);
    EXPECT_EQ(QuickAddName(t, broken, kItemTable, kIncomeKind, "給料", dlg), -1);
    EXPECT_TRUE(FillItemList(t, kIncomeKind, false).empty());
}

// ---- Keys and look-ups ----

TEST(NameLookup, KeysAndSlots) {
    NameTables t;
    AddName(t, kItemTable, kExpenseKind, "a");
    AddName(t, kItemTable, kExpenseKind, "b");
    DeleteName(t, kItemTable, kExpenseKind, 1);
    EXPECT_EQ(ItemSlotAt(t, kExpenseKind, 1), 2);
    EXPECT_EQ(ItemKeyOf(t, kExpenseKind, 1), 22);
    EXPECT_EQ(ItemSlotAt(t, kExpenseKind, 2), 1); // the freed slot follows the listed ones
    EXPECT_EQ(ItemSlotAt(t, kExpenseKind, 50), 50);
    EXPECT_EQ(ItemSlotAt(t, kExpenseKind, 0), -1);
    EXPECT_EQ(ItemSlotAt(t, kExpenseKind, 51), -1);
    EXPECT_EQ(ItemSlotAt(t, kIncomeKind, 21), -1);
    EXPECT_EQ(ItemKeyOf(t, kIncomeKind, 20), 20);
    EXPECT_TRUE(FillBrkDnList(t, ItemKeyOf(t, kIncomeKind, 21), false).empty());
}

TEST(NameLookup, FindListEntry) {
    std::vector<std::string> list{"（入力なし）", "食費  ", "外食", "食費"};
    EXPECT_EQ(FindListEntry(list, "食費"), 1); // first of two, trailing blanks ignored
    EXPECT_EQ(FindListEntry(list, std::string("外食\0\0 ", 9)), 2);
    EXPECT_EQ(FindListEntry(list, "   "), -1);
    EXPECT_EQ(FindListEntry(list, ""), -1);
    EXPECT_EQ(FindListEntry(list, "食"), -1);
    EXPECT_EQ(FindListEntry({}, "x"), -1);
}

TEST(NameLookup, FindItemPositionCountsIncomeFirst) {
    NameTables t;
    for (const char* n : {"給料", "賞与", "利息", "年金", "雑収入"})
        AddName(t, kItemTable, kIncomeKind, n);
    for (const char* n : {"食費", "住居費", "雑収入"})
        AddName(t, kItemTable, kExpenseKind, n);
    EXPECT_EQ(FindItemPosition(t, "住居費", kExpenseKind), 7);
    EXPECT_EQ(FindItemPosition(t, "食費  ", kExpenseKind), 6);
    EXPECT_EQ(FindItemPosition(t, "年金", kIncomeKind), 4);
    EXPECT_EQ(FindItemPosition(t, "雑収入", kExpenseKind), 8); // same name, other kind
    EXPECT_EQ(FindItemPosition(t, "食費", kIncomeKind), 0);
    EXPECT_EQ(FindItemPosition(t, "", kIncomeKind), 0);
    // A deleted item is no longer found although its text stays in the slot.
    DeleteName(t, kItemTable, kExpenseKind, 1);
    EXPECT_EQ(FindItemPosition(t, "食費", kExpenseKind), 0);
}

// ---- Work-selection lists ----

TEST(WorkLists, RegistrationListRemembersTheChosenEntry) {
    ResetWorkChoices();
    ScriptedDialogs dlg;
    dlg.expect("SubMenu", 2).expectInitialLine(1);
    dlg.expect("SubMenu", -1).expectInitialLine(2);
    dlg.expect("SubMenu", 3).expectInitialLine(2);
    EXPECT_EQ(ChooseRegistrationWork(dlg), 2);
    EXPECT_EQ(WorkCommand(RegistrationWorkList(), 2), Command::BudgetRegistration);
    EXPECT_LE(ChooseRegistrationWork(dlg), 0); // cancelled: the remembered entry stays
    EXPECT_EQ(RememberedRegistrationWork(), 2);
    EXPECT_EQ(ChooseRegistrationWork(dlg), 3);
    EXPECT_EQ(RememberedRegistrationWork(), 3);
    const DialogCall& c = dlg.transcript().front();
    EXPECT_EQ(c.title, "    「 登録 」の 作業選択");
    EXPECT_EQ(c.buttons, (std::vector<std::string>{"項目名・内訳名・店名の登録", "予算表の登録", "環境設定"}));
}

TEST(WorkLists, AuxiliaryListUsesHelpTopic800) {
    ResetWorkChoices();
    ScriptedDialogs dlg;
    dlg.expect("SubMenuH", 3).expectInitialLine(1);
    dlg.expect("SubMenuH", 0).expectInitialLine(3);
    EXPECT_EQ(ChooseAuxiliaryWork(dlg), 3);
    EXPECT_EQ(ChooseAuxiliaryWork(dlg), 0);
    EXPECT_EQ(RememberedAuxiliaryWork(), 3);
    EXPECT_EQ(dlg.transcript().front().message, "800");
    EXPECT_EQ(dlg.transcript().front().title, "    「 補助 」の 作業選択");
    const WorkList& aux = AuxiliaryWorkList();
    EXPECT_EQ((std::vector<Command>{WorkCommand(aux, 1), WorkCommand(aux, 2), WorkCommand(aux, 3)}),
              (std::vector<Command>{Command::Backup, Command::Restore, Command::StartDate}));
    EXPECT_EQ(WorkCommand(aux, 0), Command::None);
    EXPECT_EQ(RememberedRegistrationWork(), 1); // the lists remember separately
}
