#pragma once
#include "statement/StatementPlan.h"

#include <string>
#include <string_view>

namespace mrt {

class Dialogs;
struct LedgerState;
struct NameFilePaths;

// One import of a statement into the ledger of one data folder: the rules of that folder, the
// file read and planned against the ledger, the user's changes, and the import itself. The
// window's presenter and the tool both work through it.
class StatementImport {
public:
    // The data folder whose rules and ledger are used (the ledger's index points into it), the
    // name tables the lines are checked against. 0 ready; -1 the rules file cannot be read (error).
    int Open(const std::string& dataFolder, const LedgerIndex& index, const NameTables& names, int taxRate,
             bool registerItems, std::string& error);
    // Reads and plans the file (ReadStatement, ReadStatementLedger, PlanStatement). `layout` forces
    // a layout by name; `year` is the year of dates without one (0: none). False when the file or the
    // ledger cannot be read (plan.file.error, or `error` for the ledger).
    bool Read(std::string_view bytes, std::string_view layout, int year, std::string& error);

    PlanContext Context() const { return {m_rules, m_ledger, *m_names, *m_index, m_taxRate, m_registerItems}; }
    StatementPlan& Plan() { return m_plan; }
    const StatementPlan& Plan() const { return m_plan; }
    const ShopRules& Rules() const { return m_rules; }
    // Rules changed in the preview are kept here and written with the import.
    bool AddRule(const ShopRule& rule, std::string& why);
    bool RulesChanged() const { return m_rulesChanged; }
    void SaveLayout(CustomLayout layout);
    // Whether items named by rules but not registered are registered with the import; rechecks.
    void SetRegisterItems(bool on);

    // Adds the included lines through the CSV import's path (one save, all or nothing), then writes
    // the rules when they changed. 0 done; 1 the lines were saved but the rules or new items were
    // not (message shown); -1 nothing was added (message shown).
    int Apply(LedgerState& st, NameTables& names, const NameFilePaths& files, Dialogs& dlg);

private:
    std::string m_dataFolder;
    const LedgerIndex* m_index = nullptr;
    const NameTables* m_names = nullptr;
    int m_taxRate = 0;
    bool m_registerItems = false;
    ShopRules m_rules;
    bool m_rulesChanged = false;
    StatementLedger m_ledger;
    StatementPlan m_plan;
};

} // namespace mrt
