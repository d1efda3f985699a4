// mrtkel-tool rules: the shop rules of the statement import (list, add, remove).
#include "statement/ShopRules.h"
#include "tool/ToolCommands.h"
#include "tool/ToolText.h"

#include <iostream>

namespace mrt {
namespace {

constexpr const char* kUsage =
    "usage: mrtkel-tool rules list | rules add SHOP (--item ITEM [--breakdown TEXT] | --skip) "
    "| rules remove SHOP\n";

int listRules(const ShopRules& rules) {
    for (const ShopRule& r : rules.rules) {
        std::cout << padded(r.shop, 30) << " → ";
        if (r.skip)
            std::cout << "取り込まない\n";
        else
            std::cout << r.item << (r.breakdown.empty() ? "" : " / " + r.breakdown) << "\n";
    }
    for (const CustomLayout& l : rules.layouts) {
        std::cout << "形式「" << l.name << "」:";
        for (int r = 0; r < kColumnRoleCount; ++r)
            if (int col = l.map.column[static_cast<size_t>(r)]; col >= 0)
                std::cout << " " << ColumnRoleKey(static_cast<ColumnRole>(r)) << "=" << col + 1;
        std::cout << " (" << SignRuleKey(l.sign) << ")\n";
    }
    return 0;
}

// rules list | add SHOP (--item I [--breakdown B] | --skip) | remove SHOP. Exit 0 done; 1 the file
// could not be read or written, or there is no such rule; 2 on a usage error.
int runRules(ToolContext& ctx) {
    const std::vector<std::string> valueOptions = {"--item", "--breakdown"};
    const std::vector<std::string> words = ctx.positional(valueOptions);
    std::vector<std::string> known = valueOptions;
    known.emplace_back("--skip");
    const std::string verb = words.empty() ? std::string() : words[0];
    const bool list = verb == "list" && words.size() == 1;
    const bool edit = (verb == "add" || verb == "remove") && words.size() == 2;
    if ((!list && !edit) || !ctx.unknownOption(known).empty()) {
        std::cerr << kUsage;
        return 2;
    }
    if (!ctx.requireDataFolder("rules")) return 1;
    if (!list && !ctx.lockForWriting()) return 1;
    ShopRules rules;
    std::string why;
    if (LoadShopRules(ctx.dataFolder, rules, &why) < 0) {
        std::cerr << "rules: " << why << "\n";
        return 1;
    }
    if (list) return listRules(rules);
    if (verb == "add") {
        const bool skip = ctx.flag("--skip");
        if (skip == ctx.option("--item").has_value()) {
            std::cerr << kUsage;
            return 2;
        }
        ShopRule rule{words[1], skip, ctx.option("--item").value_or(""), ctx.option("--breakdown").value_or("")};
        if (!AddShopRule(rules, rule, why)) {
            std::cerr << "rules: " << why << "\n";
            return 1;
        }
    } else if (!RemoveShopRule(rules, words[1])) {
        std::cerr << "rules: 「" << words[1] << "」の規則はありません。\n";
        return 1;
    }
    std::string error;
    if (SaveShopRules(ctx.dataFolder, rules, error) != 0) {
        std::cerr << "rules: " << error << "\n";
        return 1;
    }
    return 0;
}

} // namespace
} // namespace mrt

MRT_TOOL_COMMAND(rules,
                 "rules list | rules add SHOP (--item ITEM [--breakdown TEXT] | --skip) | rules remove SHOP: the shop "
                 "rules of the statement import",
                 mrt::runRules);
