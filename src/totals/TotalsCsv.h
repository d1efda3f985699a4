#pragma once
#include "util/Csv.h"

#include <string>

namespace mrt {

class Dialogs;
struct BgtRecord;
struct TotalsState;

// The totals table as CSV: a header row (item name, the week's dates as yyyy-mm-dd, week total,
// period total, budget), then a row per item and summary row with its amounts; the budget cell is
// empty when the row has none and carries "*" after an exceeded budget. The header is Japanese
// (項目名, …, 週合計, 締合計, 予算) for a spreadsheet, else the tool's name, …, week, period, budget.
void WriteTotalsCsv(CsvWriter& out, const TotalsState& st, const BgtRecord& budget, bool japaneseHeader);

// Writes the table shown, with the Japanese header, into `path` in the encoding, whole or not at
// all. The number of rows written; -2 the user kept an existing file; -1 failed (message shown
// under "CSV出力").
int ExportTotalsCsv(const TotalsState& st, const BgtRecord& budget, CsvEncoding enc, const std::string& path,
                    Dialogs& dlg);

} // namespace mrt
