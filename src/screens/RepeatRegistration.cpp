#include "screens/RepeatRegistration.h"

#include "ledger/AmountExpr.h"
#include "ledger/IoRecord.h"
#include "names/NameTables.h"
#include "port/Dialogs.h"
#include "util/Cp932.h"
#include "util/DateText.h"

#include <charconv>

namespace mrt {
namespace {

std::string dateText(int32_t d) {
    return d ? FormatDate(d / 10000, d / 100 % 100, d % 100) : std::string();
}

bool dateOf(const std::string& text, int32_t& out) {
    int y, m, d;
    if (!ParseDateText(TrimRight(text), y, m, d) || !IsValidDate(y, m, d)) return false;
    out = DateNum(y, m, d);
    return true;
}

bool numberOf(const std::string& text, int& out) {
    const std::string t = TrimRight(text);
    const char* e = t.data() + t.size();
    auto [p, ec] = std::from_chars(t.data(), e, out);
    return !t.empty() && ec == std::errc() && p == e;
}

} // namespace

RepeatRegistration::RepeatRegistration(RepeatTable table, const NameTables& names, int taxRate, CivilDate today)
    : m_table(std::move(table)), m_names(names), m_taxRate(taxRate), m_today(today) {}

std::vector<std::string> RepeatRegistration::ListRows() const {
    std::vector<std::string> rows;
    for (const RepeatEntry& e : m_table.entries) {
        std::string amount = e.amount;
        std::string error;
        const int32_t v = EvalAmount(e.amount, m_taxRate, &error);
        if (error.empty() && IsLedgerAmount(v)) {
            amount = FormatAmount(v, 2);
            amount.erase(0, amount.find_first_not_of(' '));
        }
        std::string row = DescribeRule(e.rule) + "  " + (e.side == kIncomeKind ? "入金 " : "出金 ") + e.item;
        if (!e.note.empty()) row += " " + e.note;
        if (!e.shop.empty()) row += " " + e.shop;
        row += "  " + amount + "  " + dateText(e.rule.first) + "～" + dateText(e.rule.last);
        rows.push_back(row);
    }
    return rows;
}

RepeatForm RepeatRegistration::NewForm() const {
    RepeatForm f;
    f.day = std::to_string(m_today.day);
    f.first = FormatDate(m_today.year, m_today.month, m_today.day);
    return f;
}

RepeatForm RepeatRegistration::FormOf(int index) const {
    const RepeatEntry& e = m_table.entries.at(static_cast<size_t>(index));
    RepeatForm f;
    f.side = e.side;
    f.item = e.item;
    f.note = e.note;
    f.shop = e.shop;
    f.amount = e.amount;
    f.kind = e.rule.kind;
    f.every = std::to_string(e.rule.every);
    if (e.rule.kind == RepeatKind::Monthly)
        f.day = std::to_string(e.rule.day);
    else if (e.rule.kind == RepeatKind::Weekly)
        f.day = WeekdayName(e.rule.day);
    else
        f.day = std::to_string(e.rule.day / 100) + "/" + std::to_string(e.rule.day % 100);
    f.nextBusinessDay = e.rule.nextBusinessDay;
    f.first = dateText(e.rule.first);
    f.last = dateText(e.rule.last);
    f.offeredUpTo = e.offeredUpTo;
    return f;
}

RepeatForm RepeatRegistration::FormFromLine(const IoRecord& line) const {
    RepeatForm f;
    f.side = line.Income > 0 ? kIncomeKind : kExpenseKind;
    f.item = line.ItemName;
    f.note = line.Note;
    f.shop = line.ShopName;
    f.amount = std::to_string(line.Income > 0 ? line.Income : line.Expense);
    f.day = std::to_string(line.Day);
    f.first = FormatDate(line.Year, line.Month, line.Day);
    f.offeredUpTo = DateNum(line.Year, line.Month, line.Day);
    return f;
}

int RepeatRegistration::itemKey(int side, const std::string& item) const {
    const int pos = FindItemPosition(m_names, item, side);
    return pos > 0 ? ItemKeyOf(m_names, side, pos - m_names.items.ItemCount[kIncomeKind] * side) : -1;
}

std::vector<std::string> RepeatRegistration::Items(int side) const {
    return FillItemList(m_names, side, false);
}
std::vector<std::string> RepeatRegistration::Notes(int side, const std::string& item) const {
    return FillBrkDnList(m_names, itemKey(side, item), false);
}
std::vector<std::string> RepeatRegistration::Shops(int side, const std::string& item) const {
    return FillShopList(m_names, itemKey(side, item), false);
}

std::string RepeatRegistration::EntryOf(const RepeatForm& f, RepeatEntry& e) const {
    e = RepeatEntry{};
    e.side = f.side;
    e.item = TrimRight(f.item);
    e.note = TrimRight(f.note);
    e.shop = TrimRight(f.shop);
    e.amount = TrimRight(f.amount);
    e.offeredUpTo = f.offeredUpTo;
    RepeatRule& r = e.rule;
    r.kind = f.kind;
    r.nextBusinessDay = f.nextBusinessDay;
    if (!numberOf(f.every, r.every)) return "間隔は数字で入力してください。";
    switch (f.kind) {
    case RepeatKind::Monthly:
        if (!numberOf(f.day, r.day)) return "毎月の日付は 1～31 です。";
        break;
    case RepeatKind::Weekly:
        r.day = ParseWeekday(TrimRight(f.day));
        if (r.day < 0) return "曜日は 日・月・火・水・木・金・土 のどれかで入力してください。";
        break;
    case RepeatKind::Yearly: {
        int y = 2000, m = 0, d = 0;
        if (!ParseDateText("2000/" + TrimRight(f.day), y, m, d)) return "毎年の月日は 12/10 のように入力してください。";
        r.day = m * 100 + d;
        break;
    }
    }
    if (!dateOf(f.first, r.first)) return "開始日が異常です。";
    if (!TrimRight(f.last).empty() && !dateOf(f.last, r.last)) return "終了日が異常です。";
    return CheckRepeatEntry(e, &m_names, m_taxRate);
}

int RepeatRegistration::save(const RepeatTable& next, const std::string& path, Dialogs& dlg) {
    if (SaveRepeatTable(path, next, dlg) != 0) return -1;
    m_table = next;
    return 0;
}

std::string RepeatRegistration::Store(const RepeatForm& form, int& index, const std::string& path, Dialogs& dlg) {
    RepeatEntry e;
    if (std::string why = EntryOf(form, e); !why.empty()) return why;
    RepeatTable next = m_table;
    const bool added = index < 0 || index >= static_cast<int>(next.entries.size());
    if (added) {
        next.entries.push_back(e);
    } else {
        // A changed entry keeps the lines it put off.
        e.postponed = next.entries[static_cast<size_t>(index)].postponed;
        next.entries[static_cast<size_t>(index)] = e;
    }
    if (save(next, path, dlg) != 0) return "定期入出金を保存できませんでした。";
    if (added) index = static_cast<int>(m_table.entries.size()) - 1;
    return {};
}

std::string RepeatRegistration::End(int index, const std::string& last, const std::string& path, Dialogs& dlg) {
    if (index < 0 || index >= static_cast<int>(m_table.entries.size())) return {};
    RepeatTable next = m_table;
    RepeatRule& r = next.entries[static_cast<size_t>(index)].rule;
    if (!dateOf(last, r.last)) return "終了日が異常です。";
    if (std::string why = CheckRepeatRule(r); !why.empty()) return why;
    return save(next, path, dlg) == 0 ? std::string() : "定期入出金を保存できませんでした。";
}

int RepeatRegistration::Remove(int index, const std::string& path, Dialogs& dlg) {
    if (index < 0 || index >= static_cast<int>(m_table.entries.size())) return -1;
    RepeatTable next = m_table;
    next.entries.erase(next.entries.begin() + index);
    return save(next, path, dlg);
}

} // namespace mrt
