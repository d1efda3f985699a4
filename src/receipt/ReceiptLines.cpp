#include "receipt/ReceiptLines.h"

#include "receipt/ReceiptText.h"
#include "statement/ShopLookup.h"

#include "ledger/LedgerSearch.h"
#include "names/NameTables.h"
#include "util/Cp932.h"
#include "util/Csv.h"
#include "util/TextFold.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace mrt {

namespace {

bool registered(const NameTables& names, const std::string& item) {
    return FindItemPosition(names, item, kExpenseKind) > 0;
}

std::string trimmedField(const std::string& text, int bytes) {
    std::string t = FitLeftBytes(text, bytes);
    while (!t.empty() && t.back() == ' ')
        t.pop_back();
    return t;
}

} // namespace

std::vector<ProposedLine> ProposeLines(const ReadReceipt& r, ReceiptSplit split, const NameTables& names,
                                       const ShopItemLookup& shopItem) {
    std::vector<ProposedLine> out;
    const std::string known = shopItem ? shopItem(r.shop) : std::string();
    const std::string shop = trimmedField(r.shop, 30);
    const auto pick = [&](std::initializer_list<std::string> choices) {
        for (const std::string& c : choices)
            if (!c.empty() && registered(names, c)) return c;
        return std::string();
    };
    if (split == ReceiptSplit::Whole || (r.reduced.included <= 0 && r.standard.included <= 0)) {
        const int64_t amount =
            r.total >= 0 ? r.total
                         : std::max<int64_t>(r.reduced.included, 0) + std::max<int64_t>(r.standard.included, 0);
        if (amount > 0) out.push_back({r.date, pick({known, "食費"}), "レシート", shop, amount, 0});
        return out;
    }
    if (r.reduced.included > 0)
        out.push_back({r.date, pick({"食費", known}), "レシート 軽減税率8%分", shop, r.reduced.included, 8});
    if (r.standard.included > 0)
        out.push_back({r.date, pick({known == "食費" ? std::string() : known, "日用品"}), "レシート 10%分", shop,
                       r.standard.included, 10});
    return out;
}

std::string MostFrequentShopItem(const LedgerIndex& idx, const std::string& shop) {
    FoldedText want, have;
    if (shop.empty() || !FoldUtf8(shop, want)) return {};
    SearchQuery q;
    q.text = shop;
    q.limit = 5000;
    SearchResult found;
    if (SearchLedger(idx, q, found) != 0) return {};
    std::map<std::string, std::pair<int, size_t>> counts; // item -> (lines, newest rank: lower is newer)
    for (size_t i = 0; i < found.hits.size(); ++i) {
        const IoRecord& line = found.hits[i].line;
        if (line.Expense <= 0 || line.ItemName.empty()) continue;
        have.clear();
        if (!FoldUtf8(line.ShopName, have) || have != want) continue;
        auto [it, fresh] = counts.try_emplace(line.ItemName, 0, i);
        ++it->second.first;
    }
    std::string best;
    std::pair<int, size_t> bestScore{0, 0};
    for (const auto& [item, score] : counts)
        if (score.first > bestScore.first || (score.first == bestScore.first && score.second < bestScore.second)) {
            best = item;
            bestScore = score;
        }
    return best;
}

std::string ProposedLinesCsv(const std::vector<ProposedLine>& lines) {
    CsvWriter csv;
    for (const ProposedLine& l : lines) {
        char date[16];
        std::snprintf(date, sizeof date, "%04d/%02d/%02d", l.date / 10000, l.date / 100 % 100, l.date % 100);
        csv.Text(l.date > 0 ? date : "").Text(l.item).Text(l.note).Text(l.shop).Empty().Number(l.amount).EndRow();
    }
    return std::string(csv.Data());
}

} // namespace mrt

namespace mrt {

std::vector<std::string> RegisteredShopNames(const NameTables& names) {
    std::vector<std::string> out;
    for (int key = 1; key <= kItemKeyMax; ++key) {
        const ShopRecord& list = names.shop[key];
        for (int k = 1; k <= list.NameCount && k <= kNameMax; ++k) {
            const std::string& name = list.NameText[list.NameOrder[k]];
            if (!name.empty() && std::find(out.begin(), out.end(), name) == out.end()) out.push_back(name);
        }
    }
    return out;
}

std::string DescribeReceipt(const ReadReceipt& r) {
    std::string o;
    const auto line = [&](const std::string& label, const std::string& value) { o += label + ": " + value + "\n"; };
    const auto yen = [](int64_t v) { return v < 0 ? std::string("（読めません）") : YenText(v); };
    line("店名", r.shop.empty() ? "（読めません）"
                                : r.shop + (r.shopRegistered ? "（登録済み）" : "（未登録）") +
                                      (r.shopRead != r.shop && !r.shopRead.empty() ? "  読み取り: " + r.shopRead : ""));
    char date[32] = "（読めません）";
    if (r.date > 0)
        std::snprintf(date, sizeof date, "%04d/%02d/%02d", r.date / 10000, r.date / 100 % 100, r.date % 100);
    std::string when = date;
    if (r.time >= 0) {
        char t[16];
        std::snprintf(t, sizeof t, " %02d:%02d", r.time / 100 % 100, r.time % 100);
        when += t;
    }
    line("日付", when);
    line("登録番号", r.tnumber.empty() ? "（なし）"
                                       : r.tnumber + (r.tcheck == TNumberCheck::Valid ? "（検査数字 正）"
                                                                                      : "（検査数字が合いません）"));
    for (const ReceiptItem& it : r.items)
        o += "  " + it.name + "  " + YenText(it.price) + (it.reduced ? " ※" : "") + "\n";
    line("小計", yen(r.subtotal));
    for (const RatePart* p : {&r.reduced, &r.standard}) {
        if (p->base < 0 && p->tax < 0) continue;
        line(std::to_string(p->rate) + "%対象", yen(p->base) + "  税 " + yen(p->tax) + "  税込 " + yen(p->included));
    }
    line("合計", yen(r.total) + (r.mode == TaxMode::Excluded ? "（外税）" : "（内税）"));
    if (!r.payment.empty()) line("支払", r.payment + (r.paymentAmount >= 0 ? " " + YenText(r.paymentAmount) : ""));
    if (r.issues.empty()) o += "確認: 合計と税率ごとの額が合っています\n";
    for (const ReceiptIssue& i : r.issues)
        o += std::string(i.affectsTotals ? "要確認: " : "注意: ") + i.text + "\n";
    return o;
}

std::string ReceiptShopItem(const std::string& dataFolder, const LedgerIndex& idx, const std::string& shop) {
    ShopRules rules;
    if (!shop.empty() && LoadShopRules(dataFolder, rules) == 0) {
        const ShopProposal p = LookupShop(rules, LearnedShops(), shop, kExpenseKind);
        if (p.source == ShopSource::Rule && !p.item.empty()) return p.item;
    }
    return MostFrequentShopItem(idx, shop);
}

} // namespace mrt
