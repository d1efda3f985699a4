#pragma once
#include <string>
#include <vector>

namespace mrt {

class Dialogs;
struct NameTables;

// The item choice list of the windows that name an item without a ledger line (the statement
// preview's F2, the shop rules): `leading` entries first, then the registered items of `kinds`
// in their order (a name on both sides once), `current` selected. Returns the 1-based entry of
// `entries` (the list shown), or 0 when cancelled or when no item is registered (said so).
int ChooseItem(Dialogs& dlg, const NameTables& names, const std::vector<int>& kinds,
               const std::vector<std::string>& leading, const std::string& current, const std::string& msg,
               const std::string& ttl, std::vector<std::string>& entries);

} // namespace mrt
