#include "statement/ShopLookup.h"

#include "ledger/IoRecord.h"
#include "names/NameTables.h"
#include "statement/StatementText.h"

namespace mrt {

void LearnedShops::Add(const IoRecord& line) {
    if (line.ShopName.empty() || line.ItemName.empty() || (line.Income == 0 && line.Expense == 0)) return;
    const int kind = line.Income > 0 ? kIncomeKind : kExpenseKind;
    auto [it, added] = m_byShop[kind].try_emplace(line.ShopName);
    ++it->second.items[line.ItemName];
    if (!line.Note.empty()) ++it->second.breakdowns[line.ItemName + '\n' + line.Note];
    if (added) m_keyed = false;
}

void LearnedShops::key() const {
    if (m_keyed) return;
    for (int k = 0; k < 2; ++k) {
        m_byKey[k].clear();
        for (const auto& [shop, tally] : m_byShop[k])
            m_byKey[k][ShopKey(shop)].push_back(&shop);
    }
    m_keyed = true;
}

LearnedShops::Choice LearnedShops::Best(std::string_view shop, int kind) const {
    Choice best;
    if (kind != kIncomeKind && kind != kExpenseKind) return best;
    key();
    const auto found = m_byKey[kind].find(ShopKey(shop));
    if (found == m_byKey[kind].end()) return best;
    // Spellings that fold alike are one shop.
    std::unordered_map<std::string, int> items, breakdowns;
    for (const std::string* name : found->second) {
        const Tally& t = m_byShop[kind].at(*name);
        for (const auto& [item, n] : t.items)
            items[item] += n;
        for (const auto& [b, n] : t.breakdowns)
            breakdowns[b] += n;
    }
    // Most lines wins; a tie goes to the name that sorts first, so the answer never depends on
    // the order of a hash table.
    for (const auto& [item, n] : items)
        if (n > best.count || (n == best.count && item < best.item)) best.item = item, best.count = n;
    int bestBreakdown = 0;
    for (const auto& [b, n] : breakdowns) {
        const size_t cut = b.find('\n');
        if (b.compare(0, cut, best.item) != 0 || cut != best.item.size()) continue;
        const std::string text = b.substr(cut + 1);
        if (n > bestBreakdown || (n == bestBreakdown && text < best.breakdown))
            best.breakdown = text, bestBreakdown = n;
    }
    return best;
}

std::string ShopProposal::Explain() const {
    switch (source) {
    case ShopSource::Rule:
        return "規則「" + rule + "」";
    case ShopSource::Skip:
        return "規則「" + rule + "」で取り込まない";
    case ShopSource::Learned:
        return "家計簿から (" + std::to_string(count) + " 件)";
    case ShopSource::None:
        break;
    }
    return {};
}

ShopProposal LookupShop(const ShopRules& rules, const LearnedShops& learned, std::string_view shop, int kind) {
    ShopProposal p;
    const std::string key = ShopKey(shop);
    if (key.empty()) return p;
    const ShopRule* chosen = nullptr;
    size_t chosenLength = 0;
    for (const ShopRule& r : rules.rules) {
        const std::string rk = r.key.empty() ? ShopKey(r.shop) : r.key;
        if (rk.empty()) continue;
        if (rk == key) {
            chosen = &r;
            break;
        }
        if (rk.size() > chosenLength && key.find(rk) != std::string::npos) chosen = &r, chosenLength = rk.size();
    }
    if (chosen) {
        p.source = chosen->skip ? ShopSource::Skip : ShopSource::Rule;
        p.rule = chosen->shop;
        p.item = chosen->item;
        p.breakdown = chosen->breakdown;
        return p;
    }
    const LearnedShops::Choice c = learned.Best(shop, kind);
    if (c.count > 0) {
        p.source = ShopSource::Learned;
        p.item = c.item;
        p.breakdown = c.breakdown;
        p.count = c.count;
    }
    return p;
}

} // namespace mrt
