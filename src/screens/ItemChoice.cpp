#include "screens/ItemChoice.h"

#include "names/NameTables.h"
#include "port/Dialogs.h"

#include <algorithm>

namespace mrt {

int ChooseItem(Dialogs& dlg, const NameTables& names, const std::vector<int>& kinds,
               const std::vector<std::string>& leading, const std::string& current, const std::string& msg,
               const std::string& ttl, std::vector<std::string>& entries) {
    entries = leading;
    size_t items = 0;
    for (int kind : kinds)
        for (std::string& name : FillItemList(names, kind, false))
            if (std::find(entries.begin() + static_cast<long>(leading.size()), entries.end(), name) == entries.end()) {
                entries.push_back(std::move(name));
                ++items;
            }
    if (items == 0) {
        const std::string side = kinds.size() != 1 ? "" : kinds[0] == kIncomeKind ? "入金" : "出金";
        dlg.MsgOK(side + "項目名が登録されていません。", ttl);
        return 0;
    }
    const int at = FindListEntry(entries, current);
    const int chosen = dlg.ListKel(entries, std::max(at, 0) + 1, msg, ttl);
    return chosen < 1 || chosen > static_cast<int>(entries.size()) ? 0 : chosen;
}

} // namespace mrt
