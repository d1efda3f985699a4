// Keys, choice lists and look-ups on the name tables.
#include "names/NameTables.h"
#include "util/Cp932.h"

namespace mrt {
namespace {

bool validKind(int kind) {
    return kind == kIncomeKind || kind == kExpenseKind;
}

std::vector<std::string> fillNameList(const std::array<NameListRecord, kItemKeyMax + 1>& recs, int key, bool withNone) {
    std::vector<std::string> list;
    if (withNone) list.emplace_back(kNoneEntry);
    if (key < 1 || key > kItemKeyMax) return list;
    const NameListRecord& rec = recs[key];
    for (int p = 1; p <= rec.NameCount; ++p)
        list.push_back(NulToBlankTrim(rec.NameText[rec.NameOrder[p]]));
    return list;
}

} // namespace

int ItemSlotAt(const NameTables& t, int kind, int position) {
    if (!validKind(kind) || position < 1 || position > ItemMax[kind]) return -1;
    return t.items.ItemOrder[kind][position];
}

int ItemKeyOf(const NameTables& t, int kind, int position) {
    int slot = ItemSlotAt(t, kind, position);
    return slot < 0 ? -1 : slot + ItemMax[kIncomeKind] * kind;
}

std::vector<std::string> FillItemList(const NameTables& t, int kind, bool withNone) {
    std::vector<std::string> list;
    if (withNone) list.emplace_back(kNoneEntry);
    if (!validKind(kind)) return list;
    const ItemRecord& it = t.items;
    for (int p = 1; p <= it.ItemCount[kind]; ++p)
        list.push_back(TrimRight(it.ItemText[kind][it.ItemOrder[kind][p]]));
    return list;
}

std::vector<std::string> FillBrkDnList(const NameTables& t, int key, bool withNone) {
    return fillNameList(t.brkDn, key, withNone);
}

std::vector<std::string> FillShopList(const NameTables& t, int key, bool withNone) {
    return fillNameList(t.shop, key, withNone);
}

int FindListEntry(const std::vector<std::string>& list, std::string_view text) {
    std::string wanted = NulToBlankTrim(text);
    if (wanted.empty()) return -1;
    for (size_t i = 0; i < list.size(); ++i)
        if (TrimRight(list[i]) == wanted) return static_cast<int>(i);
    return -1;
}

int FindItemPosition(const NameTables& t, std::string_view name, int kind) {
    if (!validKind(kind)) return 0;
    std::string wanted = TrimRight(name);
    if (wanted.empty()) return 0;
    const ItemRecord& it = t.items;
    for (int p = 1; p <= it.ItemCount[kind]; ++p)
        if (TrimRight(it.ItemText[kind][it.ItemOrder[kind][p]]) == wanted) return p + it.ItemCount[kIncomeKind] * kind;
    return 0;
}

} // namespace mrt
