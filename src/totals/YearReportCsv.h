#pragma once
#include "util/Csv.h"

#include <string>

namespace mrt {

class Dialogs;
struct YearReport;

// The year report as CSV: a header row (項目名, the twelve month headers, 年間合計, 月平均,
// 年間予算, 差額, and with the year before 前年合計, 前年比(%)), then a row per report row.
// Budget, difference and change cells are empty where the row has none.
void WriteYearReportCsv(CsvWriter& out, const YearReport& report);

// Writes the report into `path` in the encoding, whole or not at all. The number of rows
// written; -2 the user kept an existing file; -1 failed (message shown under "CSV出力").
int ExportYearReportCsv(const YearReport& report, CsvEncoding enc, const std::string& path, Dialogs& dlg);

} // namespace mrt
