#pragma once
#include "budget/BudgetFile.h"
#include "util/Csv.h"

#include <string>

namespace mrt {

class Dialogs;
struct NameTables;
struct BudgetPlace;

// The budget of a year as CSV: month, kind, position, key, item, amount (empty = no budget),
// for every month and every registered item in display order. The tool writes the English
// header and kinds ("income", "expense"), the program's export the Japanese ones.
void WriteBudgetCsv(const NameTables& names, const BgtRecord& budget, bool japanese, CsvWriter& csv);

// The export of the budget of `year` into a file (see WriteCsvFile). The number of rows written;
// -2 when the user kept an existing file; -1 on a failure (message shown).
int ExportBudgetCsv(const NameTables& names, int year, const BudgetPlace& place, CsvEncoding enc,
                    const std::string& path, Dialogs& dlg);

} // namespace mrt
