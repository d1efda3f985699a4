#include "totals/YearReportCsv.h"

#include "totals/YearReport.h"

#include <cmath>

namespace mrt {

void WriteYearReportCsv(CsvWriter& out, const YearReport& report) {
    const bool previous = report.options.withPrevious;
    out.Text("項目名");
    for (int m = 1; m <= 12; ++m)
        out.Text(report.MonthHeader(m));
    out.Text("年間合計").Text("月平均").Text("年間予算").Text("差額");
    if (previous) out.Text("前年合計").Text("前年比(%)");
    out.EndRow();
    for (const YearReportRow& r : report.rows) {
        out.Text(r.name);
        for (int64_t v : r.months)
            out.Number(v);
        out.Number(r.total).Number(r.average);
        if (r.hasBudget)
            out.Number(r.budget).Number(r.difference);
        else
            out.Empty().Empty();
        if (previous) {
            if (r.hasPrevious)
                out.Number(r.previous);
            else
                out.Empty();
            if (r.hasChange) {
                out.Decimal(std::llround(r.change * 10), 1);
            } else {
                out.Empty();
            }
        }
        out.EndRow();
    }
}

int ExportYearReportCsv(const YearReport& report, CsvEncoding enc, const std::string& path, Dialogs& dlg) {
    CsvWriter csv;
    WriteYearReportCsv(csv, report);
    const int r = WriteCsvFile(csv, enc, path, "CSV出力", dlg);
    return r != 0 ? r : csv.Rows() - 1;
}

} // namespace mrt
