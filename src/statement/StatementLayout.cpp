#include "statement/StatementLayout.h"

#include "statement/StatementText.h"

namespace mrt {
namespace {

struct RoleName {
    ColumnRole role;
    const char* key;
    const char* label;
};
constexpr RoleName kRoles[] = {
    {ColumnRole::Date, "date", "日付"},
    {ColumnRole::Shop, "shop", "店名・内容"},
    {ColumnRole::ShopAlt, "shop-alt", "店名(空欄のとき)"},
    {ColumnRole::Shop2, "shop2", "店名(続き)"},
    {ColumnRole::Out, "out", "出金額"},
    {ColumnRole::In, "in", "入金額"},
    {ColumnRole::Signed, "amount", "金額(符号付き)"},
    {ColumnRole::Memo, "memo", "メモ"},
    {ColumnRole::Category, "category", "分類"},
    {ColumnRole::SubCategory, "subcategory", "分類の内訳"},
    {ColumnRole::Kind, "kind", "区分"},
    {ColumnRole::Kind2, "kind2", "区分2"},
    {ColumnRole::Include, "include", "計算対象"},
    {ColumnRole::Transfer, "transfer", "振替"},
};

// A column of a built-in layout: the role and the beginnings its header may have.
struct Column {
    ColumnRole role;
    std::vector<const char*> heads;
    bool required;
};
struct Builtin {
    const char* name;
    const char* label;
    SignRule sign;
    std::vector<Column> columns;
};

using R = ColumnRole;
const std::vector<Builtin>& builtins() {
    static const std::vector<Builtin> kLayouts = {
        {"bank-a",
         "銀行 (摘要・支払い金額・預かり金額)",
         SignRule::SpendPositive,
         {{R::Date, {"日付"}, true},
          {R::ShopAlt, {"摘要"}, false},
          {R::Shop, {"摘要内容"}, true},
          {R::Out, {"支払い金額", "支払金額"}, true},
          {R::In, {"預かり金額", "預り金額"}, true},
          {R::Memo, {"メモ"}, false}}},
        {"bank-b",
         "銀行 (内容・出金金額・入金金額)",
         SignRule::SpendPositive,
         {{R::Date, {"日付", "取引日"}, true},
          {R::Shop, {"内容", "摘要"}, true},
          {R::Out, {"出金金額", "出金額", "お引出し"}, true},
          {R::In, {"入金金額", "入金額", "お預入れ"}, true},
          {R::Memo, {"メモ"}, false}}},
        {"card-c",
         "カード (ご利用箇所・ご利用額)",
         SignRule::SpendPositive,
         {{R::Date, {"ご利用年月日", "利用年月日"}, true},
          {R::Shop, {"ご利用箇所", "ご利用先"}, true},
          {R::Signed, {"ご利用額", "ご利用金額"}, true},
          {R::In, {"払戻額"}, false}}},
        {"card-e",
         "カード (利用日/キャンセル日)",
         SignRule::SpendPositive,
         {{R::Date, {"利用日/キャンセル日"}, true},
          {R::Shop, {"利用店名"}, true},
          {R::Kind, {"支払区分"}, false},
          {R::Signed, {"利用金額"}, true}}},
        {"card-d",
         "カード (利用日・利用店名・利用金額)",
         SignRule::SpendPositive,
         {{R::Date, {"利用日", "ご利用日"}, true},
          {R::Shop, {"利用店名", "ご利用店名", "利用先"}, true},
          {R::Kind, {"支払方法"}, false},
          {R::Signed, {"利用金額", "ご利用金額"}, true}}},
        {"emoney-f",
         "電子マネー (利用店舗)",
         SignRule::SpendPositive,
         {{R::Date, {"取引年月日", "取引日"}, true},
          {R::Shop, {"利用店舗"}, true},
          {R::Signed, {"利用金額"}, true},
          {R::Kind, {"利用区分"}, false},
          {R::Kind2, {"チャージ区分"}, false}}},
        {"transit-reader",
         "交通系ICカード (読み取り機)",
         SignRule::Magnitude,
         {{R::Date, {"利用年月日"}, true},
          {R::Shop, {"入場駅", "事業者名"}, true},
          {R::Shop2, {"出場駅", "降車場所"}, false},
          {R::Signed, {"利用額"}, true},
          {R::Memo, {"メモ"}, false}}},
        {"transit-app",
         "交通系ICカード (アプリ)",
         SignRule::SpendNegative,
         {{R::Date, {"月日"}, true},
          {R::Kind, {"種別"}, true},
          {R::Shop, {"利用場所"}, true},
          {R::Kind2, {"種別"}, false},
          {R::Shop2, {"利用場所"}, false},
          {R::Signed, {"入金・利用額", "利用額"}, true}}},
        {"app-g",
         "家計簿アプリ (方法・カテゴリ・収入・支出)",
         SignRule::SpendPositive,
         {{R::Date, {"日付"}, true},
          {R::Kind, {"方法"}, true},
          {R::Category, {"カテゴリ"}, false},
          {R::SubCategory, {"カテゴリの内訳"}, false},
          {R::ShopAlt, {"品目"}, false},
          {R::Memo, {"メモ"}, false},
          {R::Shop, {"お店"}, true},
          {R::In, {"収入"}, true},
          {R::Out, {"支出"}, true},
          {R::Transfer, {"振替"}, false}}},
        {"app-h",
         "家計簿アプリ (計算対象・金額)",
         SignRule::SpendNegative,
         {{R::Include, {"計算対象"}, true},
          {R::Date, {"日付"}, true},
          {R::Shop, {"内容"}, true},
          {R::Signed, {"金額"}, true},
          {R::Category, {"大項目"}, false},
          {R::SubCategory, {"中項目"}, false},
          {R::Memo, {"メモ"}, false},
          {R::Transfer, {"振替"}, false}}},
    };
    return kLayouts;
}

bool startsWith(const std::string& s, const std::string& head) {
    return s.compare(0, head.size(), head) == 0;
}

// Matches the columns of `b` against the folded header cells, each column taking the first free
// cell (left to right) whose text begins with one of its heads. -1 when a required one is missing;
// otherwise the number of columns found.
int matchBuiltin(const Builtin& b, const std::vector<std::string>& keys, ColumnMap& map) {
    std::vector<bool> used(keys.size(), false);
    int found = 0;
    for (const Column& c : b.columns) {
        // An exact header first, so "摘要" is not taken by the head of "摘要内容".
        auto find = [&](bool exact) {
            for (size_t i = 0; i < keys.size(); ++i) {
                if (used[i]) continue;
                for (const char* head : c.heads) {
                    const std::string h = ShopKey(head);
                    if (exact ? keys[i] == h : startsWith(keys[i], h)) return static_cast<int>(i);
                }
            }
            return -1;
        };
        int at = find(true);
        if (at < 0) at = find(false);
        if (at < 0) {
            if (c.required) return -1;
            continue;
        }
        used[at] = true;
        map[c.role] = at;
        ++found;
    }
    return found;
}

std::vector<std::string> headerKeys(const std::vector<std::string>& cells) {
    std::vector<std::string> keys;
    keys.reserve(cells.size());
    for (const std::string& c : cells)
        keys.push_back(ShopKey(c));
    return keys;
}

} // namespace

const char* ColumnRoleKey(ColumnRole role) {
    for (const RoleName& r : kRoles)
        if (r.role == role) return r.key;
    return "";
}

bool ColumnRoleOfKey(std::string_view key, ColumnRole& role) {
    for (const RoleName& r : kRoles)
        if (key == r.key) {
            role = r.role;
            return true;
        }
    return false;
}

const char* ColumnRoleLabel(ColumnRole role) {
    for (const RoleName& r : kRoles)
        if (r.role == role) return r.label;
    return "";
}

const char* SignRuleKey(SignRule rule) {
    switch (rule) {
    case SignRule::SpendPositive:
        return "spend+";
    case SignRule::SpendNegative:
        return "spend-";
    case SignRule::Magnitude:
        break;
    }
    return "abs";
}

bool SignRuleOfKey(std::string_view key, SignRule& rule) {
    for (SignRule r : {SignRule::SpendPositive, SignRule::SpendNegative, SignRule::Magnitude})
        if (key == SignRuleKey(r)) {
            rule = r;
            return true;
        }
    return false;
}

bool ColumnMap::Usable() const {
    return (*this)[ColumnRole::Date] >= 0 && (*this)[ColumnRole::Shop] >= 0 &&
           ((*this)[ColumnRole::Out] >= 0 || (*this)[ColumnRole::In] >= 0 || (*this)[ColumnRole::Signed] >= 0);
}

std::vector<LayoutName> BuiltinLayoutNames() {
    std::vector<LayoutName> names;
    for (const Builtin& b : builtins())
        names.push_back({b.name, b.label});
    return names;
}

bool RecogniseHeader(const std::vector<std::string>& cells, const std::vector<CustomLayout>& custom,
                     std::string_view only, Layout& layout) {
    if (cells.size() < 2) return false;
    const std::vector<std::string> keys = headerKeys(cells);
    // A saved mapping first: the user made it for exactly this header.
    for (const CustomLayout& c : custom) {
        if (!only.empty() && only != c.name) continue;
        if (headerKeys(c.header) != keys) continue;
        layout = Layout{c.name, c.name, c.map, c.sign, true};
        return true;
    }
    int best = -1;
    for (const Builtin& b : builtins()) {
        if (!only.empty() && only != b.name) continue;
        ColumnMap map;
        const int found = matchBuiltin(b, keys, map);
        if (found > best) {
            best = found;
            layout = Layout{b.name, b.label, map, b.sign, false};
        }
    }
    return best >= 0;
}

CustomLayout MakeCustomLayout(std::string name, const std::vector<std::string>& header, const ColumnMap& map,
                              SignRule sign) {
    return CustomLayout{std::move(name), header, map, sign};
}

} // namespace mrt
