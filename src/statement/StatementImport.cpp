#include "statement/StatementImport.h"

#include "ledger/LedgerIndex.h"
#include "port/Dialogs.h"

#include <algorithm>

namespace mrt {

int StatementImport::Open(const std::string& dataFolder, const LedgerIndex& index, const NameTables& names, int taxRate,
                          bool registerItems, std::string& error) {
    m_dataFolder = dataFolder;
    m_index = &index;
    m_names = &names;
    m_taxRate = taxRate;
    m_registerItems = registerItems;
    m_rulesChanged = false;
    return LoadShopRules(dataFolder, m_rules, &error) < 0 ? -1 : 0;
}

bool StatementImport::Read(std::string_view bytes, std::string_view layout, int year, std::string& error) {
    StatementFile file = ReadStatement(bytes, m_rules.layouts, layout, year);
    m_ledger = StatementLedger{};
    m_plan = StatementPlan{};
    if (!file.error.empty()) {
        m_plan.file = std::move(file);
        return false;
    }
    int32_t first = 0, last = 0;
    for (const StatementRow& r : file.rows) {
        if (!r.problem.empty()) continue;
        const int32_t d = r.year * 10000 + r.month * 100 + r.day;
        first = first == 0 ? d : std::min(first, d);
        last = std::max(last, d);
    }
    if (ReadStatementLedger(*m_index, first, last, m_ledger, &error) != 0) {
        m_plan.file = std::move(file);
        return false;
    }
    m_plan = PlanStatement(std::move(file), Context());
    return true;
}

bool StatementImport::AddRule(const ShopRule& rule, std::string& why) {
    if (!AddShopRule(m_rules, rule, why)) return false;
    m_rulesChanged = true;
    ReapplyRules(m_plan, Context());
    return true;
}

void StatementImport::SaveLayout(CustomLayout layout) {
    SaveCustomLayout(m_rules, std::move(layout));
    m_rulesChanged = true;
}

void StatementImport::SetRegisterItems(bool on) {
    m_registerItems = on;
    CheckPlan(m_plan, Context());
}

int StatementImport::Apply(LedgerState& st, NameTables& names, const NameFilePaths& files, Dialogs& dlg) {
    constexpr const char* kTitle = "明細取込";
    int r = 0;
    if (const int bad = m_plan.IncludedProblems(); bad > 0) {
        dlg.MsgOK(std::to_string(bad) + " 行に誤りがあるため、何も取り込んでいません。", kTitle);
        return -1;
    }
    if (m_plan.Included() > 0) {
        const ImportPlan plan = ImportOf(m_plan, Context());
        if (!plan.Ready()) {
            dlg.MsgOK(plan.fileError.empty()
                          ? std::to_string(plan.BadRows()) + " 行に誤りがあるため、何も取り込んでいません。"
                          : plan.fileError,
                      kTitle);
            return -1;
        }
        r = ApplyImport(st, names, files, plan, dlg);
        if (r < 0) return -1;
    }
    if (m_rulesChanged) {
        std::string error;
        if (SaveShopRules(m_dataFolder, m_rules, error) != 0) {
            dlg.MsgOK(error, kTitle);
            return 1;
        }
        m_rulesChanged = false;
    }
    return r;
}

} // namespace mrt
