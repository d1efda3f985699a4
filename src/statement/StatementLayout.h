#pragma once
#include <array>
#include <string>
#include <string_view>
#include <vector>

// The column layouts of statement files: which column holds the date, the shop, the amounts.
namespace mrt {

// What a column of a statement holds.
enum class ColumnRole {
    Date,
    Shop,        // the shop or description
    ShopAlt,     // taken when the shop cell is blank
    Shop2,       // a second place joined to the shop ("入場駅→出場駅")
    Out,         // money out, positive
    In,          // money in, positive (deposits, refunds)
    Signed,      // one amount whose sign says the direction (see SignRule)
    Memo,        // a note
    Category,    // the statement's own category (an item when a registered item has its name)
    SubCategory, // the statement's own sub-category (a breakdown)
    Kind,        // a kind of entry ("チャージ", "振替", "支出") that may mark a line as no spending
    Kind2,
    Include,  // "0" marks a line the statement itself leaves out of the household's totals
    Transfer, // "1" (or an amount) marks a transfer between own accounts
    Count
};
constexpr int kColumnRoleCount = static_cast<int>(ColumnRole::Count);
// The name of a role as the tool's --map option and the rules file write it ("date", "shop", ...).
const char* ColumnRoleKey(ColumnRole role);
// The role of such a name; false for an unknown name.
bool ColumnRoleOfKey(std::string_view key, ColumnRole& role);
// The role's Japanese name for the column-mapping step ("日付", "店名・内容", ...).
const char* ColumnRoleLabel(ColumnRole role);

// How a Signed column is read.
enum class SignRule {
    SpendPositive, // cards, prepaid money: a purchase positive, a cancellation or refund negative
    SpendNegative, // bank-like exports and household apps: spending negative, money in positive
    Magnitude,     // transit card readers: a fare is spending whichever sign the reader gave it
};
const char* SignRuleKey(SignRule rule); // "spend+", "spend-", "abs"
bool SignRuleOfKey(std::string_view key, SignRule& rule);

// Which column (0-based) holds each role; -1 for none.
struct ColumnMap {
    std::array<int, kColumnRoleCount> column;
    ColumnMap() { column.fill(-1); }
    int& operator[](ColumnRole r) { return column[static_cast<int>(r)]; }
    int operator[](ColumnRole r) const { return column[static_cast<int>(r)]; }
    // A date, a shop and an amount (out, in or signed) are mapped.
    bool Usable() const;
};

// A layout recognised from a file's header row.
struct Layout {
    std::string name;  // "card-c", or the name a custom mapping was saved under
    std::string label; // what the preview shows ("カード (鉄道系)")
    ColumnMap map;
    SignRule sign = SignRule::SpendPositive;
    bool custom = false;
};

// A column mapping made by hand and saved under a name: recognised again by its header row.
struct CustomLayout {
    std::string name;
    std::vector<std::string> header; // the header row's cells as the file had them
    ColumnMap map;
    SignRule sign = SignRule::SpendNegative;
};

// The names and labels of the built-in layouts, in the order they are tried.
struct LayoutName {
    std::string name, label;
};
std::vector<LayoutName> BuiltinLayoutNames();

// The layout a row of cells is the header of: a built-in one whose required columns it has (the one
// with most columns found wins), or a custom one whose header it equals after folding. With
// `only` set, just the layout of that name is tried. False when none fits.
bool RecogniseHeader(const std::vector<std::string>& cells, const std::vector<CustomLayout>& custom,
                     std::string_view only, Layout& layout);

// A custom layout made from a mapping of `header`'s columns.
CustomLayout MakeCustomLayout(std::string name, const std::vector<std::string>& header, const ColumnMap& map,
                              SignRule sign);

} // namespace mrt
