#include "budget/BudgetCsv.h"

#include "budget/Budget.h"
#include "names/NameTables.h"
#include "port/Dialogs.h"
#include "util/Cp932.h"

namespace mrt {

void WriteBudgetCsv(const NameTables& t, const BgtRecord& rec, bool japanese, CsvWriter& csv) {
    static const char* kHeader[2][6] = {{"month", "kind", "position", "key", "item", "amount"},
                                        {"月", "区分", "順番", "キー", "項目名", "予算額"}};
    static const char* kKinds[2][2] = {{"income", "expense"}, {"入金", "出金"}};
    for (const char* h : kHeader[japanese])
        csv.Text(h);
    csv.EndRow();
    for (int month = 1; month <= kBudgetMonths; ++month) {
        for (int kind = 0; kind < 2; ++kind) {
            const std::vector<std::string> items = FillItemList(t, kind, false);
            for (size_t i = 0; i < items.size(); ++i) {
                const int position = static_cast<int>(i) + 1;
                const int slot = ItemSlotAt(t, kind, position);
                const int32_t amount = slot >= 1 && slot <= kBudgetSlotMax[kind] ? rec.at(month, kind, slot) : -1;
                csv.Number(month).Text(kKinds[japanese][kind]).Number(position).Number(ItemKeyOf(t, kind, position));
                csv.Text(TrimRight(items[i]));
                amount < 0 ? csv.Empty() : csv.Number(amount);
                csv.EndRow();
            }
        }
    }
}

int ExportBudgetCsv(const NameTables& names, int year, const BudgetPlace& place, CsvEncoding enc,
                    const std::string& path, Dialogs& dlg) {
    constexpr const char* kTitle = "CSV出力";
    BgtRecord budget;
    if (LoadBudget(budget, year, names.items, place, dlg) != 0) {
        dlg.MsgOK(std::to_string(year) + "年の予算データが読めません。", kTitle);
        return -1;
    }
    CsvWriter csv;
    WriteBudgetCsv(names, budget, true, csv);
    const int r = WriteCsvFile(csv, enc, path, kTitle, dlg);
    return r != 0 ? r : csv.Rows() - 1;
}

} // namespace mrt
