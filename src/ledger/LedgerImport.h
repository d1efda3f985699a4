#pragma once
#include "ledger/IoRecord.h"
#include "ledger/LedgerIndex.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mrt {

class Dialogs;
struct NameTables;
struct NameFilePaths;

// One record of an import file as read and checked. `problem` is empty for a good line.
struct ImportRow {
    int lineNo = 0;                 // line of the file the record starts on
    IoRecord line;                  // balance not yet computed
    std::vector<std::string> cells; // the record's cells as the file holds them
    std::string problem;
};

// What an import would do. It may be carried out only when Ready(): every row is good.
struct ImportPlan {
    std::vector<ImportRow> rows;
    std::string fileError;                             // the file as a whole cannot be read (no rows then)
    std::vector<std::pair<int, std::string>> newItems; // (kind, name) registered with the lines
    bool startsLedger = false; // the ledger is empty and the first row is its initial-balance line

    int BadRows() const;
    bool Ready() const { return fileError.empty() && !rows.empty() && BadRows() == 0; }
};

// Reads an import file in the ledger's CSV columns (date, item, breakdown/note, shop, income,
// expense; a balance column is ignored; a first header row is skipped) and checks every row as
// the ledger screen checks its cells: a real date of 2000..2050 not before the start date and
// within the ledger's 50 years, texts that meet the ledger's text rule (CheckLineText: never
// cut, an over-long text is an error of its row), an amount expression of 0..99,999,999 in
// exactly one of income and expense (the plain "%" adds `taxRate`), an item registered for the
// line's kind (or, with `registerItems`, one that is registered with the import). An empty
// ledger takes a first row "初期残高" without amounts as its initial-balance line, with the
// balance column as the initial balance.
ImportPlan PlanImport(std::string_view fileBytes, const LedgerIndex& idx, const NameTables& names, int taxRate,
                      bool registerItems);

// Adds the plan's lines to the ledger, each after the last line of its date (as a single added
// line goes), through one block load and one SaveLedgerBlock: either every line is saved or
// none. Then registers the plan's new items. The state's index is updated; its block is the
// range the import touched (the caller loads the block it wants to show).
// 0 done; -1 nothing was changed (message shown); 1 the lines were saved but the new items could
// not be written (message shown).
int ApplyImport(LedgerState& st, NameTables& names, const NameFilePaths& files, const ImportPlan& plan, Dialogs& dlg);

} // namespace mrt
