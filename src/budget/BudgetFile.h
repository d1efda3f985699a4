#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace mrt {

constexpr int kBudgetMonths = 12;
// Highest slot of any kind, and the highest slot per kind (income 20, expense 50).
constexpr int kBudgetSlots = 50;
constexpr std::array<int, 2> kBudgetSlotMax = {20, 50};

// The budget of one year, one instance for the program.
struct BgtRecord {
    // Yen per [month 1..12][kind 0 income, 1 expense][item slot 1..50]; any negative value
    // means no budget. Index 0 of month and slot is unused.
    std::array<std::array<std::array<int32_t, kBudgetSlots + 1>, 2>, kBudgetMonths + 1> BudgetAmounts{};
    // Path of the budget file the amounts were read from; empty when they came from the
    // previous year's December or from no file at all.
    std::string BudgetFileName;
    // Year the amounts belong to (0 = none loaded). Kept also when BudgetFileName is empty, so that
    // pages committed for a year without a file survive a reload of the same year.
    int HeldYear = 0;

    int32_t& at(int month, int kind, int slot) { return BudgetAmounts[month][kind][slot]; }
    int32_t at(int month, int kind, int slot) const { return BudgetAmounts[month][kind][slot]; }
};

// Number of registered items per kind (ItemCount), which fixes the values per group of the file.
using BudgetCounts = std::array<int, 2>;

// "Bgt" + four-digit year + ".usr".
std::string BudgetFileNameOf(int year);

// Every month, kind and slot set to `value`.
void FillBudget(BgtRecord& rec, int32_t value);

// A value as a print statement writes it: blank or "-", the digits, one trailing blank.
std::string FormatBudgetValue(int32_t value);

// The file text. First the 24 groups (month 1 income, month 1 expense, ... month 12 expense), each
// the values of slots 1..count of its kind on one CR LF line ("," between values; no line when the
// count is 0). Then the line "*SLOTS" and 24 lines in the same order holding every slot 1..20 or
// 1..50 of the kind, so that items in slots above the count keep their budgets and a file stays
// readable after items were added or deleted. A reader that takes only the groups never reaches it.
std::string EncodeBudgetFile(const BgtRecord& rec, BudgetCounts counts);

// Reads file text into rec.BudgetAmounts. With the "*SLOTS" section every slot comes from there;
// without it the groups are read as a plain sequence of values (separated by "," or line ends,
// blanks ignored, exactly counts[kind] per group) into slots 1..count and the other slots get -1.
// False when a value is malformed or values are missing (the file is damaged); rec is then partly set.
bool DecodeBudgetFile(std::string_view text, BudgetCounts counts, BgtRecord& rec);

} // namespace mrt
