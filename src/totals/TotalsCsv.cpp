#include "totals/TotalsCsv.h"

#include "totals/Totals.h"
#include "util/DateText.h"

namespace mrt {

void WriteTotalsCsv(CsvWriter& out, const TotalsState& st, const BgtRecord& budget, bool japaneseHeader) {
    out.Text(japaneseHeader ? "項目名" : "name");
    const int32_t first = DateKey(st.WeekStart.year, st.WeekStart.month, st.WeekStart.day);
    for (int c = 1; c <= st.DayCount; ++c) {
        int y = 0, m = 0, d = 0;
        DateFromKey(first + c - 1, y, m, d);
        out.Text(FormatDate(y, m, d, "-"));
    }
    if (japaneseHeader)
        out.Text("週合計").Text("締合計").Text("予算").EndRow();
    else
        out.Text("week").Text("period").Text("budget").EndRow();
    for (int r = 1; r <= st.RowCount; ++r) {
        out.Text(st.rowNames[r]);
        for (int c = 1; c <= st.DayCount + 2; ++c)
            out.Number(st.table[r][c]);
        int32_t amount = 0;
        bool exceeded = false;
        if (!TotalsBudgetOf(st, budget, r, amount, exceeded))
            out.Empty();
        else if (exceeded)
            out.Text(std::to_string(amount) + "*");
        else
            out.Number(amount);
        out.EndRow();
    }
}

int ExportTotalsCsv(const TotalsState& st, const BgtRecord& budget, CsvEncoding enc, const std::string& path,
                    Dialogs& dlg) {
    CsvWriter csv;
    WriteTotalsCsv(csv, st, budget, true);
    const int r = WriteCsvFile(csv, enc, path, "CSV出力", dlg);
    return r != 0 ? r : csv.Rows() - 1;
}

} // namespace mrt
