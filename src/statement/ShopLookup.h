#pragma once
#include "statement/ShopRules.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace mrt {

struct IoRecord;

// What the ledger itself says of a shop: per side, the item most often used with it and that
// item's most frequent breakdown. Built by LearnShopItems from every line that names a shop.
class LearnedShops {
public:
    // Counts one ledger line (a line without a shop or item counts nothing).
    void Add(const IoRecord& line);
    struct Choice {
        std::string item, breakdown;
        int count = 0; // lines of that shop with that item
    };
    // The most used item of the shop on that side (kIncomeKind / kExpenseKind); count 0 for none.
    Choice Best(std::string_view shop, int kind) const;
    bool Empty() const { return m_byShop[0].empty() && m_byShop[1].empty(); }

private:
    struct Tally {
        std::unordered_map<std::string, int> items;      // item → lines
        std::unordered_map<std::string, int> breakdowns; // item + '\n' + breakdown → lines
    };
    // Raw shop text → tallies per side; folded only when asked (few shops, many lines).
    std::unordered_map<std::string, Tally> m_byShop[2];
    mutable std::unordered_map<std::string, std::vector<const std::string*>> m_byKey[2];
    mutable bool m_keyed = false;
    void key() const;
};

// Where a proposed item came from.
enum class ShopSource { None, Rule, Skip, Learned };

struct ShopProposal {
    ShopSource source = ShopSource::None;
    std::string item, breakdown;
    std::string rule; // Rule/Skip: the rule's shop text
    int count = 0;    // Learned: lines of the ledger behind it
    // For the preview's "rule" column: "規則「…」", "規則「…」で取り込まない", "家計簿から (n 件)", "".
    std::string Explain() const;
};

// The item (and breakdown) for a shop name: a rule of the file first (one equal to the shop
// after folding, else the longest rule the shop contains), then what the ledger learned on the
// `kind` side; source None when neither knows the shop. Receipts and statements both ask this.
ShopProposal LookupShop(const ShopRules& rules, const LearnedShops& learned, std::string_view shop, int kind);

} // namespace mrt
