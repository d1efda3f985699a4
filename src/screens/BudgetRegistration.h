#pragma once
#include "budget/Budget.h"

#include <array>
#include <string>
#include <vector>

namespace mrt {

struct NameTables;

// One page of the budget window: the items of one kind for one month, in list order.
struct BudgetPage {
    int year = 0, month = 0, kind = 1; // kind 0 income, 1 expense
    std::string caption;               // e.g. "２００４年 ３月分（出金）"
    std::vector<std::string> names;    // item names, each followed by one blank
    std::vector<std::string> amounts;  // "" for no budget, else the digits; read back after the page closes
    std::array<int, 2> itemCounts{};   // registered items per kind, for the window's count labels
};

// How the user left a page.
enum class BudgetPageAction { Cancelled, Register, SwitchKind, PreviousMonth, NextMonth };

// The budget window as the registration flow drives it (the Qt window implements it).
class BudgetPageView {
public:
    virtual ~BudgetPageView() = default;
    // Shows the page modally. On return page.amounts holds the texts as the user left them
    // (only meaningful when the action is not Cancelled).
    virtual BudgetPageAction ShowBudgetPage(BudgetPage& page) = 0;
    // The registration has ended: the window goes away.
    virtual void UnloadBudgetWindow() = 0;
};

// "２００４年 ３月分（出金）": full-width year, month without leading zero, the kind.
std::string BudgetPageCaption(int year, int month, int kind);

// The page as the window shows it, from the amounts rec holds.
BudgetPage MakeBudgetPage(const BgtRecord& rec, const NameTables& names, int year, int month, int kind);

// The budget registration command: asks for a year and month, shows pages until the user
// registers or cancels, saves, and asks again. 0 = ended by the user; -1 = a save failed;
// another non-zero value = LoadBudget failed.
int RunBudgetRegistration(BgtRecord& rec, const NameTables& names, const BudgetPlace& place, Dialogs& dlg,
                          BudgetPageView& view);

} // namespace mrt
