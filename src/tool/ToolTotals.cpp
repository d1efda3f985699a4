// mrtkel-tool totals: the totals table of one week and its closing period, as the window shows it.
#include "books/BookTotals.h"
#include "names/NameTables.h"
#include "tool/ToolCommands.h"
#include "tool/ToolCsv.h"
#include "tool/ToolLedger.h"
#include "tool/ToolText.h"
#include "totals/Totals.h"
#include "totals/TotalsCsv.h"
#include "util/Cp932.h"
#include "util/DateText.h"
#include "util/Paths.h"

#include <algorithm>
#include <iostream>

namespace mrt {
namespace {

// "#,0": thousands separators, 0 shown as "0".
std::string grouped(int64_t v) {
    std::string digits = std::to_string(v < 0 ? -v : v);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return (v < 0 ? "-" : "") + out;
}

CivilDate dayOfColumn(const TotalsState& st, int column) {
    CivilDate d;
    DateFromKey(DateKey(st.WeekStart.year, st.WeekStart.month, st.WeekStart.day) + column - 1, d.year, d.month, d.day);
    return d;
}

// "mm/dd(aaa)" with the short Japanese weekday name.
std::string dayHeader(const CivilDate& d) {
    static const char* kWeekdays[7] = {"日", "月", "火", "水", "木", "金", "土"};
    int key = DateKey(d.year, d.month, d.day); // key 0 (30 December 1899) was a Saturday
    return FormatDate(d.year, d.month, d.day).substr(5) + "(" + kWeekdays[(key % 7 + 6) % 7] + ")";
}

// The closing period's bounds compare as date numbers, so they may name days a month lacks
// (06/31 holds every June day). For display: an end beyond the month is its last day, a start
// beyond the month is the 1st of the next.
std::string periodEndText(CivilDate d) {
    d.day = std::min<int>(d.day, DaysInMonth(d.year, d.month));
    return FormatDate(d.year, d.month, d.day);
}
std::string periodStartText(CivilDate d) {
    if (d.day > DaysInMonth(d.year, d.month)) {
        d.day = 1;
        if (++d.month > 12) {
            d.month = 1;
            ++d.year;
        }
    }
    return FormatDate(d.year, d.month, d.day);
}

// One column of the text table: a blank, then the text right-aligned in kCell columns. The blank
// keeps a number that fills its cell apart from the one before it.
constexpr int kCell = 12;
std::string cell(const std::string& text) {
    return " " + rightAligned(text, kCell);
}

void writeText(const TotalsState& st, const BgtRecord& budget) {
    constexpr int kName = 20;
    std::cout << "表示データ " << FormatDate(st.WeekStart.year, st.WeekStart.month, st.WeekStart.day) << "～"
              << FormatDate(st.LastDate.year, st.LastDate.month, st.LastDate.day) << "  締め日 "
              << (st.closingDay == 31 ? std::string("末日") : std::to_string(st.closingDay) + "日") << "  締め期間 "
              << periodStartText(st.periodStart) << "～" << periodEndText(st.periodEnd) << "\n";
    std::cout << padded("項目名", kName);
    for (int c = 1; c <= st.DayCount; ++c)
        std::cout << cell(dayHeader(dayOfColumn(st, c)));
    std::cout << cell("週合計") << cell(std::to_string(st.closingMonth) + "月締合計")
              << cell(std::to_string(st.closingMonth) + "月予算") << "\n";
    for (int r = 1; r <= st.RowCount; ++r) {
        if (r == st.nIn + 1 || r == st.RowCount - 2)
            std::cout << std::string(kName + (1 + kCell) * (st.DayCount + 3), '-') << "\n";
        std::cout << padded(st.rowNames[r], kName);
        for (int c = 1; c <= st.DayCount + 2; ++c)
            std::cout << cell(grouped(st.table[r][c]));
        int32_t amount = 0;
        bool exceeded = false;
        if (TotalsBudgetOf(st, budget, r, amount, exceeded))
            std::cout << cell(grouped(amount) + (exceeded ? "*" : " "));
        std::cout << "\n";
    }
}

// totals --date YYYY-MM-DD [--closing-day N] [--csv]. The closing day option replaces the setting
// for this run only; no file is changed. Exit 0; 1 when the data cannot be read or the ledger is
// empty; 2 on a usage error.
int runTotals(ToolContext& ctx) {
    auto dateText = ctx.option("--date");
    CivilDate lastDate;
    if (!dateText || !ParseToolDate(*dateText, lastDate.year, lastDate.month, lastDate.day)) {
        std::cerr << "usage: mrtkel-tool totals --date YYYY-MM-DD [--closing-day N] [--csv]\n";
        return 2;
    }
    CsvEncoding enc;
    if (!ToolCsvEncoding(ctx, "totals", enc)) return 2;
    IniRecord settings = ctx.settings;
    if (auto cd = ctx.option("--closing-day")) {
        long v = 0;
        if (!parseWholeArg(*cd, v) || v < -32768 || v > 32767) {
            std::cerr << "totals: --closing-day takes a day number (1..31; other values mean 31)\n";
            return 2;
        }
        settings.ClosingDay = static_cast<int16_t>(v);
    }
    if (!ctx.requireDataFolder("totals")) return 1;
    NameTables names;
    std::string itemPath = NameFilesIn(ctx.dataFolder).item;
    std::string why;
    if (LoadItemTable(itemPath, names, &why) < 0) {
        std::cerr << "totals: 項目名データが読めないか壊れています: " << why << "\n";
        return 1;
    }
    LedgerState ledger;
    if (!OpenToolLedger(ctx, ledger)) return 1;
    if (ledger.index.YearCount == 0) {
        std::cerr << "totals: 入出金データがありません\n";
        return 1;
    }
    BgtRecord budget;
    TotalsSession s;
    s.ledger = &ledger;
    s.names = &names;
    s.settings = &settings;
    s.settingsPath = ResolveCase(ctx.dataFolder, kSettingsFileName);
    s.budget = &budget;
    s.budgetPlace = BudgetPlaceOf(ctx.home);
    s.dlg = ctx.dialogs;
    if (ctx.allBooks) {
        // The household: every book, transfers between them left out, the first book's budget.
        std::vector<Book> books;
        std::string error;
        if (LoadBooks(ctx.home, books, error) != 0) {
            std::cerr << "totals: " << error << "\n";
            return 1;
        }
        UseHouseholdTotals(s, ctx.home, books);
    }
    if (ComputeTotals(s, lastDate, true) != 0) return 1;
    if (ctx.flag("--csv")) {
        CsvWriter out;
        ToolCsvOutput stdoutCsv(out, enc, "totals");
        WriteTotalsCsv(out, s.state, budget, false);
        return stdoutCsv.Finish() ? 0 : 1;
    }
    if (ctx.allBooks) std::cout << kAllBooksLabel << " (家計簿間の振替を除く、予算は1番目の家計簿)\n";
    writeText(s.state, budget);
    return 0;
}

} // namespace
} // namespace mrt

MRT_TOOL_COMMAND(
    totals,
    "totals --date YYYY-MM-DD [--closing-day N] [--csv [--encoding E]]: totals of the week ending at the date, its "
    "closing period and the budget (\"*\" = exceeded); with --book all over every book, transfers left out",
    mrt::runTotals);
