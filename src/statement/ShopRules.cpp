#include "statement/ShopRules.h"

#include "ledger/LineRules.h"
#include "statement/StatementText.h"
#include "util/Cp932.h"
#include "util/Csv.h"
#include "util/FileBatch.h"
#include "util/Paths.h"

#include <algorithm>
#include <charconv>
#include <unistd.h>

namespace mrt {
namespace {

constexpr const char* kMagic = "mrtkel-shop-rules";
constexpr const char* kVersion = "1";

// "date=0;shop=1;out=2" for the mapped roles.
std::string encodeMap(const ColumnMap& map) {
    std::string s;
    for (int r = 0; r < kColumnRoleCount; ++r) {
        if (map.column[static_cast<size_t>(r)] < 0) continue;
        if (!s.empty()) s += ';';
        s += ColumnRoleKey(static_cast<ColumnRole>(r));
        s += '=';
        s += std::to_string(map.column[static_cast<size_t>(r)]);
    }
    return s;
}

bool decodeMap(std::string_view s, ColumnMap& map) {
    while (!s.empty()) {
        const size_t semi = s.find(';');
        const std::string_view part = s.substr(0, semi);
        s = semi == std::string_view::npos ? std::string_view() : s.substr(semi + 1);
        const size_t eq = part.find('=');
        ColumnRole role;
        if (eq == std::string_view::npos || !ColumnRoleOfKey(part.substr(0, eq), role)) return false;
        int col = -1;
        const std::string_view num = part.substr(eq + 1);
        auto [end, ec] = std::from_chars(num.data(), num.data() + num.size(), col);
        if (ec != std::errc() || end != num.data() + num.size() || col < 0 || col > 999) return false;
        map[role] = col;
    }
    return map.Usable();
}

} // namespace

std::string EncodeShopRules(const ShopRules& rules) {
    CsvWriter w;
    w.Text(kMagic).Text(kVersion).EndRow();
    for (const ShopRule& r : rules.rules) {
        w.Text(r.skip ? "skip" : "rule").Text(r.shop);
        if (!r.skip) w.Text(r.item).Text(r.breakdown);
        w.EndRow();
    }
    for (const CustomLayout& l : rules.layouts) {
        w.Text("layout").Text(l.name).Text(SignRuleKey(l.sign)).Text(encodeMap(l.map));
        for (const std::string& h : l.header)
            w.Text(h);
        w.EndRow();
    }
    return std::string(w.Data());
}

bool DecodeShopRules(std::string_view text, ShopRules& rules, std::string& why) {
    std::vector<CsvRecord> records;
    if (!ParseCsv(text, records, why)) return false;
    if (records.empty() || records[0].cells.size() < 2 || records[0].cells[0] != kMagic ||
        records[0].cells[1] != kVersion) {
        why = "明細取込の規則のファイルではありません。";
        return false;
    }
    ShopRules out;
    for (size_t i = 1; i < records.size(); ++i) {
        const std::vector<std::string>& c = records[i].cells;
        const std::string line = std::to_string(records[i].lineNo) + "行目: ";
        if (c[0] == "rule" && c.size() >= 3 && c.size() <= 4 && !c[1].empty() && !c[2].empty()) {
            out.rules.push_back({c[1], false, c[2], c.size() > 3 ? c[3] : std::string(), ShopKey(c[1])});
        } else if (c[0] == "skip" && c.size() == 2 && !c[1].empty()) {
            out.rules.push_back({c[1], true, {}, {}, ShopKey(c[1])});
        } else if (c[0] == "layout" && c.size() >= 5 && !c[1].empty()) {
            CustomLayout l;
            l.name = c[1];
            if (!SignRuleOfKey(c[2], l.sign) || !decodeMap(c[3], l.map)) {
                why = line + "列の割り当てが読めません。";
                return false;
            }
            l.header.assign(c.begin() + 4, c.end());
            out.layouts.push_back(std::move(l));
        } else {
            why = line + "規則として読めません。";
            return false;
        }
    }
    rules = std::move(out);
    return true;
}

std::string ShopRulesPath(const std::string& dataFolder) {
    return ResolveCase(dataFolder, kShopRulesFileName);
}

int LoadShopRules(const std::string& dataFolder, ShopRules& rules, std::string* why) {
    rules = ShopRules{};
    const std::string path = ShopRulesPath(dataFolder);
    if (::access(path.c_str(), F_OK) != 0) return 1;
    std::string bytes, reason;
    if (!ReadWholeFile(path, bytes))
        reason = "読み込めません。";
    else if (!DecodeShopRules(bytes, rules, reason))
        rules = ShopRules{};
    if (reason.empty()) return 0;
    if (why) *why = std::string(kShopRulesFileName) + ": " + reason;
    return -1;
}

int SaveShopRules(const std::string& dataFolder, const ShopRules& rules, std::string& error) {
    FileBatch batch;
    if (!batch.Stage(ShopRulesPath(dataFolder), EncodeShopRules(rules), error) || !batch.Commit(error)) {
        error = "明細取込の規則を保存できませんでした。" + error;
        return -1;
    }
    return 0;
}

bool AddShopRule(ShopRules& rules, ShopRule rule, std::string& why) {
    rule.shop = NormaliseShopName(rule.shop);
    rule.item = std::string(TrimmedRight(rule.item));
    rule.breakdown = std::string(TrimmedRight(rule.breakdown));
    if (ShopKey(rule.shop).empty()) {
        why = "店名を指定してください。";
        return false;
    }
    if (rule.skip) {
        rule.item.clear();
        rule.breakdown.clear();
    } else if (rule.item.empty()) {
        why = "項目名を指定してください。";
        return false;
    }
    const std::pair<LineText, const std::string*> texts[] = {{LineText::Item, &rule.item},
                                                             {LineText::Note, &rule.breakdown}};
    for (const auto& [field, text] : texts)
        if (LineTextFault fault = CheckLineText(field, *text)) {
            why = LineTextMessage(field, fault);
            return false;
        }
    const std::string key = ShopKey(rule.shop);
    rule.key = key;
    auto same =
        std::find_if(rules.rules.begin(), rules.rules.end(), [&](const ShopRule& r) { return ShopKey(r.shop) == key; });
    if (same != rules.rules.end())
        *same = std::move(rule);
    else
        rules.rules.push_back(std::move(rule));
    return true;
}

bool RemoveShopRule(ShopRules& rules, std::string_view shop) {
    const std::string key = ShopKey(shop);
    const auto before = rules.rules.size();
    std::erase_if(rules.rules, [&](const ShopRule& r) { return ShopKey(r.shop) == key; });
    return rules.rules.size() != before;
}

void SaveCustomLayout(ShopRules& rules, CustomLayout layout) {
    auto same = std::find_if(rules.layouts.begin(), rules.layouts.end(),
                             [&](const CustomLayout& l) { return l.name == layout.name; });
    if (same != rules.layouts.end())
        *same = std::move(layout);
    else
        rules.layouts.push_back(std::move(layout));
}

} // namespace mrt
