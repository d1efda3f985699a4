#include "screens/ShopRulesScreen.h"

#include "ledger/LineRules.h"
#include "names/NameTables.h"
#include "port/Dialogs.h"
#include "screens/ItemChoice.h"
#include "statement/StatementText.h"

namespace mrt {
namespace {

constexpr const char* kTitle = "明細取込の規則";
constexpr const char* kSkipEntry = "（取り込まない）";
constexpr const char* kSkipCell = "取り込まない";

} // namespace

ShopRulesScreen::ShopRulesScreen(std::string dataFolder, const NameTables& names, Dialogs& dlg)
    : m_dataFolder(std::move(dataFolder)), m_names(names), m_dlg(dlg) {}

bool ShopRulesScreen::Load() {
    std::string why;
    if (LoadShopRules(m_dataFolder, m_rules, &why) < 0) {
        m_dlg.MsgOK(why + "\r\nファイルを直すか、バックアップから戻してください。", kTitle);
        return false;
    }
    m_modified = false;
    return true;
}

std::vector<std::string> ShopRulesScreen::Headers() {
    return {"明細の店名", "項目名", "内訳・備考", "取込"};
}

std::vector<std::string> ShopRulesScreen::RowCells(int r) const {
    const ShopRule& rule = m_rules.rules.at(static_cast<size_t>(r));
    if (rule.skip) return {rule.shop, "", "", kSkipCell};
    return {rule.shop, rule.item, rule.breakdown, ""};
}

bool ShopRulesScreen::chooseItem(ShopRule& rule) {
    std::vector<std::string> entries;
    const int chosen =
        ChooseItem(m_dlg, m_names, {kExpenseKind, kIncomeKind}, {kSkipEntry}, rule.skip ? kSkipEntry : rule.item,
                   "店名「" + rule.shop + "」の明細の項目名を選んでください。", kTitle, entries);
    if (chosen < 1) return false;
    rule.skip = chosen == 1;
    rule.item = rule.skip ? std::string() : entries[static_cast<size_t>(chosen - 1)];
    if (rule.skip) rule.breakdown.clear();
    return true;
}

bool ShopRulesScreen::inputBreakdown(ShopRule& rule) {
    std::string text = rule.breakdown;
    if (m_dlg.InputText(text, "店名「" + rule.shop + "」の明細の内訳・備考 (空欄で省略):", kTitle, 60) != 0)
        return false;
    rule.breakdown = text;
    return true;
}

bool ShopRulesScreen::store(ShopRule rule, int replace) {
    const std::string key = ShopKey(rule.shop);
    for (int i = 0; i < Rows(); ++i)
        if (i != replace && !key.empty() && ShopKey(m_rules.rules[static_cast<size_t>(i)].shop) == key &&
            m_dlg.MsgYesNo2("店名「" + m_rules.rules[static_cast<size_t>(i)].shop +
                                "」の規則がすでにあります。置き換えますか？",
                            kTitle, 1) != 0)
            return false;
    ShopRules work = m_rules;
    if (replace >= 0) work.rules.erase(work.rules.begin() + replace);
    std::string why;
    if (!AddShopRule(work, std::move(rule), why)) {
        m_dlg.MsgOK(why, kTitle);
        return false;
    }
    // A changed rule (same shop, so appended again) keeps its place in the list.
    if (replace >= 0 && static_cast<int>(work.rules.size()) == Rows()) {
        ShopRule changed = std::move(work.rules.back());
        work.rules.pop_back();
        work.rules.insert(work.rules.begin() + replace, std::move(changed));
    }
    m_rules = std::move(work);
    m_modified = true;
    return true;
}

int ShopRulesScreen::Add() {
    ShopRule rule;
    if (m_dlg.InputText(rule.shop, "規則を作る店名 (明細の店名にこの文字列を含む行に使います):", kTitle, 100) != 0)
        return -1;
    rule.shop = NormaliseShopName(rule.shop);
    if (ShopKey(rule.shop).empty()) {
        m_dlg.MsgOK("店名を指定してください。", kTitle);
        return -1;
    }
    // A statement's shop may be longer than the ledger's field (the import cuts it with consent),
    // but a character the ledger cannot hold could never match a line that imports.
    const LineTextFault fault = CheckLineText(LineText::Shop, rule.shop);
    if (fault && fault.kind != LineTextFault::TooLong) {
        m_dlg.MsgOK(LineTextMessage(LineText::Shop, fault), kTitle);
        return -1;
    }
    if (!chooseItem(rule) || (!rule.skip && !inputBreakdown(rule))) return -1;
    if (!store(rule, -1)) return -1;
    const std::string key = ShopKey(rule.shop);
    for (int i = 0; i < Rows(); ++i)
        if (m_rules.rules[static_cast<size_t>(i)].key == key) return i;
    return Rows() - 1;
}

bool ShopRulesScreen::ChangeItem(int r) {
    if (!valid(r)) return false;
    ShopRule rule = m_rules.rules[static_cast<size_t>(r)];
    return chooseItem(rule) && store(std::move(rule), r);
}

bool ShopRulesScreen::ChangeBreakdown(int r) {
    if (!valid(r) || m_rules.rules[static_cast<size_t>(r)].skip) {
        m_dlg.Beep();
        return false;
    }
    ShopRule rule = m_rules.rules[static_cast<size_t>(r)];
    return inputBreakdown(rule) && store(std::move(rule), r);
}

bool ShopRulesScreen::Remove(int r) {
    if (!valid(r)) {
        m_dlg.Beep();
        return false;
    }
    if (!RemoveShopRule(m_rules, m_rules.rules[static_cast<size_t>(r)].shop)) return false;
    m_modified = true;
    return true;
}

int ShopRulesScreen::Save() {
    std::string error;
    if (SaveShopRules(m_dataFolder, m_rules, error) != 0) {
        m_dlg.MsgOK(error, kTitle);
        return -1;
    }
    m_modified = false;
    return 0;
}

bool ShopRulesScreen::Close() {
    return !m_modified ||
           m_dlg.MsgYesNo2("変更した規則を保存せずに閉じますか？\r\n(保存は Enter または F12)", kTitle, 1) == 0;
}

} // namespace mrt
