#pragma once
#include "statement/StatementLayout.h"

#include <string>
#include <string_view>
#include <vector>

namespace mrt {

// The statement import's own file in the data folder: the shop rules and the saved column
// mappings, UTF-8 CSV. Backed up and restored with the other ".mrt" files.
inline constexpr const char* kShopRulesFileName = "SHOPRULE.mrt";

// A rule: a statement line whose shop holds `shop` (compared after folding, ShopKey) takes the
// item and breakdown, or is skipped (card bills in a bank statement, top-ups, own transfers).
struct ShopRule {
    std::string shop; // as the user gave it (normalised)
    bool skip = false;
    std::string item, breakdown;
    std::string key{}; // ShopKey(shop), kept by AddShopRule and DecodeShopRules; empty = not yet

    bool operator==(const ShopRule& o) const {
        return shop == o.shop && skip == o.skip && item == o.item && breakdown == o.breakdown;
    }
};

struct ShopRules {
    std::vector<ShopRule> rules;
    std::vector<CustomLayout> layouts;
};

// The file's text, and back. Decode is false with `why` naming the line for anything it does not
// know, so that a damaged file is never half read.
std::string EncodeShopRules(const ShopRules& rules);
bool DecodeShopRules(std::string_view text, ShopRules& rules, std::string& why);

// The file's path in a data folder (letter case resolved).
std::string ShopRulesPath(const std::string& dataFolder);
// 0 read; 1 no file (rules empty); -1 unreadable or damaged (`why`: the file and the reason; the
// rules are left empty).
int LoadShopRules(const std::string& dataFolder, ShopRules& rules, std::string* why = nullptr);
// Writes the file whole or not at all (a batch of one file: its rename is the commit).
// 0 written; -1 failed with `error` set (the old file stays).
int SaveShopRules(const std::string& dataFolder, const ShopRules& rules, std::string& error);

// Adds a rule, replacing one for the same shop (after folding). False with `why` when the shop is
// blank, or an item rule names no item, or a name could not be a ledger line's text.
bool AddShopRule(ShopRules& rules, ShopRule rule, std::string& why);
// Removes the rule for that shop (after folding); false when there is none.
bool RemoveShopRule(ShopRules& rules, std::string_view shop);
// Adds or replaces a saved mapping of that name.
void SaveCustomLayout(ShopRules& rules, CustomLayout layout);

} // namespace mrt
