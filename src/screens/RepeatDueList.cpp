#include "screens/RepeatDueList.h"

#include "ledger/AmountExpr.h"
#include "ledger/LineRules.h"
#include "names/NameTables.h"
#include "util/Cp932.h"
#include "util/DateText.h"

namespace mrt {

RepeatDueList::RepeatDueList(const RepeatTable& table, int32_t until, int taxRate)
    : m_table(table), m_lines(CollectDueLines(table, until)), m_until(until), m_taxRate(taxRate) {}

std::array<std::string, 7> RepeatDueList::Cells(int row) const {
    const DueLine& l = m_lines.at(static_cast<size_t>(row));
    const RepeatEntry& e = m_table.entries.at(static_cast<size_t>(l.entry));
    std::string error;
    const int32_t amount = EvalAmount(l.amount, m_taxRate, &error);
    std::string shown = error.empty() && IsLedgerAmount(amount) ? TrimRight(FormatAmount(amount, 2)) : l.amount;
    shown.erase(0, shown.find_first_not_of(' '));
    static const char* const kChoice[] = {"追加", "とばす", "保留"};
    return {FormatDate(l.date / 10000, l.date / 100 % 100, l.date % 100) + (l.wasPostponed ? "*" : ""),
            e.side == kIncomeKind ? "入金" : "出金",
            e.item,
            e.note,
            e.shop,
            shown,
            kChoice[static_cast<int>(l.choice)]};
}

void RepeatDueList::Choose(int row, DueChoice choice) {
    if (row >= 0 && row < Rows()) m_lines[static_cast<size_t>(row)].choice = choice;
}

std::string RepeatDueList::ChangeAmount(int row, const std::string& text) {
    if (row < 0 || row >= Rows()) return {};
    int32_t amount = 0;
    const std::string t = TrimRight(text);
    if (t.empty()) return kAmountRangeMessage;
    if (LineAmountFault f = CheckLineAmount(t, m_taxRate, amount); f != LineAmountFault::None)
        return LineAmountMessage(f);
    if (amount == 0) return kAmountRangeMessage;
    m_lines[static_cast<size_t>(row)].amount = t;
    return {};
}

std::string RepeatDueList::Summary() const {
    int n[3] = {0, 0, 0};
    for (const DueLine& l : m_lines)
        ++n[static_cast<int>(l.choice)];
    return "追加 " + std::to_string(n[0]) + " 行　とばす " + std::to_string(n[1]) + " 行　保留 " +
           std::to_string(n[2]) + " 行";
}

int RepeatDueList::Apply(const LedgerState& st, NameTables& names, const std::string& dataFolder, RepeatTable& table,
                         Dialogs& dlg) {
    return ApplyDueLines(st, names, dataFolder, table, m_lines, m_until, m_taxRate, dlg);
}

} // namespace mrt
