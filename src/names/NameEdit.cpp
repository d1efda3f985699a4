// In-memory edits of the name tables and the ledger screen's quick add.
#include "names/NameTables.h"
#include "port/Dialogs.h"
#include "util/Cp932.h"

#include <utility>

namespace mrt {
namespace {

// One list of a table seen the same way for items and names: count, order and text arrays
// indexed 1..max.
struct ListRef {
    int16_t* count = nullptr;
    int16_t* order = nullptr;
    std::string* text = nullptr;
    int max = 0;
};

bool listOf(NameTables& t, int which, int kindOrKey, ListRef& ref) {
    if (which == kItemTable) {
        if (kindOrKey != kIncomeKind && kindOrKey != kExpenseKind) return false;
        ref = {&t.items.ItemCount[kindOrKey], t.items.ItemOrder[kindOrKey].data(), t.items.ItemText[kindOrKey].data(),
               ItemMax[kindOrKey]};
        return true;
    }
    if ((which != kBrkDnTable && which != kShopTable) || kindOrKey < 1 || kindOrKey > kItemKeyMax) return false;
    NameListRecord& rec = which == kBrkDnTable ? t.brkDn[kindOrKey] : t.shop[kindOrKey];
    ref = {&rec.NameCount, rec.NameOrder.data(), rec.NameText.data(), kNameMax};
    return true;
}

int nameBytesOf(int which) {
    if (which == kItemTable) return kItemTextBytes;
    return which == kBrkDnTable ? kBrkDnTextBytes : kShopTextBytes;
}

size_t utf8Length(unsigned char b) {
    if (b < 0xC0) return 1;
    if (b < 0xE0) return 2;
    if (b < 0xF0) return 3;
    return 4;
}

} // namespace

std::string CheckNameText(int which, std::string_view name) {
    std::string trimmed = TrimRight(name);
    if (trimmed.empty()) return "名称が入力されていません。";
    if (trimmed == kNoneEntry) return std::string("「") + kNoneEntry + "」は名称として登録できません。";
    for (unsigned char c : trimmed)
        if (c < 0x20 || c == 0x7F) return "改行などの制御文字は登録できません。";
    if (which == kItemTable && trimmed.find('"') != std::string::npos)
        return "項目名には半角の「\"」は使えません。\n全角の「＂」などに置き換えてください。";
    if (!IsCp932Text(trimmed)) {
        for (size_t i = 0; i < trimmed.size();) {
            size_t n = std::min(utf8Length(static_cast<unsigned char>(trimmed[i])), trimmed.size() - i);
            std::string_view ch(trimmed.data() + i, n);
            if (!IsCp932Text(ch)) return NonCp932Refusal(ch, "登録");
            i += n;
        }
        return "ファイルに保存できない文字が含まれているため登録できません。";
    }
    return {};
}

std::string StoredNameText(int which, std::string_view name) {
    return TrimRight(FitLeftBytes(TrimRight(name), nameBytesOf(which)));
}

int NameListCount(const NameTables& t, int which, int kindOrKey) {
    ListRef ref;
    if (!listOf(const_cast<NameTables&>(t), which, kindOrKey, ref)) return -1;
    return *ref.count;
}

int NameListMax(int which, int kindOrKey) {
    if (which == kItemTable) return (kindOrKey == kIncomeKind || kindOrKey == kExpenseKind) ? ItemMax[kindOrKey] : -1;
    if ((which == kBrkDnTable || which == kShopTable) && kindOrKey >= 1 && kindOrKey <= kItemKeyMax) return kNameMax;
    return -1;
}

std::string NameListFullMessage(int which, int kindOrKey) {
    return "これ以上登録できません。(最大" + std::to_string(NameListMax(which, kindOrKey)) + "ﾃﾞｰﾀ)\n" +
           "不要なデータを削除してください。";
}

int AddName(NameTables& t, int which, int kindOrKey, std::string_view name, std::string* error) {
    ListRef ref;
    if (!listOf(t, which, kindOrKey, ref) || *ref.count >= ref.max) return -1;
    std::string why = CheckNameText(which, name);
    if (!why.empty()) {
        if (error) *error = why;
        return -1;
    }
    int position = ++*ref.count;
    ref.text[ref.order[position]] = StoredNameText(which, name);
    return position;
}

int RenameName(NameTables& t, int which, int kindOrKey, int position, std::string_view name, std::string* error) {
    ListRef ref;
    if (!listOf(t, which, kindOrKey, ref) || position < 1 || position > *ref.count) return -1;
    std::string why = CheckNameText(which, name);
    if (!why.empty()) {
        if (error) *error = why;
        return -1;
    }
    ref.text[ref.order[position]] = StoredNameText(which, name);
    return 0;
}

int DeleteName(NameTables& t, int which, int kindOrKey, int position) {
    ListRef ref;
    if (!listOf(t, which, kindOrKey, ref) || position < 1 || position > *ref.count) return -1;
    int n = *ref.count;
    int16_t slot = ref.order[position];
    for (int p = position; p < n; ++p)
        ref.order[p] = ref.order[p + 1];
    ref.order[n] = slot;
    *ref.count = static_cast<int16_t>(n - 1);
    return std::min(position, n - 1);
}

int MoveName(NameTables& t, int which, int kindOrKey, int position, int direction) {
    ListRef ref;
    if (!listOf(t, which, kindOrKey, ref) || position < 1 || position > *ref.count) return 0;
    if (direction != -1 && direction != 1) return 0;
    int other = position + direction;
    if (other < 1 || other > *ref.count) return 0;
    std::swap(ref.order[position], ref.order[other]);
    return other;
}

int QuickAddName(NameTables& t, const NameFilePaths& files, int which, int kindOrKey, std::string_view name,
                 Dialogs& dlg) {
    ListRef ref;
    if (!listOf(t, which, kindOrKey, ref)) return -1;
    if (*ref.count >= ref.max) return 1;
    std::string why = CheckNameText(which, name);
    if (!why.empty()) {
        dlg.MsgOK(why, "登録データの追加");
        return -1;
    }
    int position = *ref.count + 1;
    int slot = ref.order[position];
    std::string previous = ref.text[slot];
    AddName(t, which, kindOrKey, name);

    int rc;
    if (which == kItemTable)
        rc = SaveItemTable(files.item, t, dlg);
    else if (which == kBrkDnTable)
        rc = SaveBrkDnRecord(files.brkDn, kindOrKey, t, dlg);
    else
        rc = SaveShopRecord(files.shop, kindOrKey, t, dlg);
    if (rc != 0) {
        // Keep memory as the file is: the name was not registered.
        *ref.count = static_cast<int16_t>(position - 1);
        ref.text[slot] = previous;
        return -1;
    }
    return 0;
}

} // namespace mrt
