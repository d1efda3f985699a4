#pragma once
#include "util/Csv.h"

#include <string>

namespace mrt {

class Dialogs;
struct BgtRecord;
struct TotalsState;

// The totals table as CSV: a header row (name, the week's dates as yyyy-mm-dd, week, period,
// budget), then a row per item and summary row with its amounts; the budget cell is empty when
// the row has none and carries "*" after an exceeded budget.
void WriteTotalsCsv(CsvWriter& out, const TotalsState& st, const BgtRecord& budget);

// Writes the table shown into `path` in the encoding, whole or not at all. The number of rows
// written; -2 the user kept an existing file; -1 failed (message shown under "CSV出力").
int ExportTotalsCsv(const TotalsState& st, const BgtRecord& budget, CsvEncoding enc, const std::string& path,
                    Dialogs& dlg);

} // namespace mrt
