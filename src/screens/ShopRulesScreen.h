#pragma once
#include "statement/ShopRules.h"

#include <string>
#include <vector>

namespace mrt {

class Dialogs;
struct NameTables;

// The presenter of the shop rules window (登録 › 明細取込の規則): the rules of the statement
// import, changed in memory and written together by Save; closing without saving leaves the
// file as it was. Questions go through Dialogs.
class ShopRulesScreen {
public:
    ShopRulesScreen(std::string dataFolder, const NameTables& names, Dialogs& dlg);

    // Reads the rules. False (the reason shown) when the file is damaged: the window then does not
    // open, so that saving cannot overwrite what it could not read.
    bool Load();

    static std::vector<std::string> Headers();
    int Rows() const { return static_cast<int>(m_rules.rules.size()); }
    std::vector<std::string> RowCells(int r) const;
    bool Modified() const { return m_modified; }

    // Ins/F3: a new rule (shop, then item or skip, then breakdown). The new rule's row, or -1.
    int Add();
    // F2: the rule's item from the registered items, or skip.
    bool ChangeItem(int r);
    // F4: the rule's breakdown (item rules only).
    bool ChangeBreakdown(int r);
    // Del/F5: removes the rule.
    bool Remove(int r);
    // Enter/F12: writes all changes as one file. 0 saved (the window closes); -1 failed (said so).
    int Save();
    // Esc: true when the window may close; asks first when there are unsaved changes.
    bool Close();

private:
    bool valid(int r) const { return r >= 0 && r < Rows(); }
    // The item or skip for `rule`; false when cancelled.
    bool chooseItem(ShopRule& rule);
    bool inputBreakdown(ShopRule& rule);
    // Puts `rule` in place of the rule at `replace` (-1 for a new rule); false with the reason
    // shown when it is refused.
    bool store(ShopRule rule, int replace);

    std::string m_dataFolder;
    const NameTables& m_names;
    Dialogs& m_dlg;
    ShopRules m_rules;
    bool m_modified = false;
};

} // namespace mrt
