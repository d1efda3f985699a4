// mrtkel-tool year: the year report, income and expense per item and month with the year's total,
// average, budget and the year before.
#include "tool/ToolCommands.h"
#include "tool/ToolCsv.h"
#include "tool/ToolText.h"
#include "totals/Totals.h"
#include "totals/TotalsText.h"
#include "totals/YearReport.h"
#include "totals/YearReportCsv.h"

#include <iostream>

namespace mrt {
namespace {

constexpr int kName = 20;
constexpr int kCell = 11;

std::string cell(const std::string& text) {
    return " " + rightAligned(text, kCell);
}

void writeText(const YearReport& report) {
    const bool previous = report.options.withPrevious;
    std::cout << "年間集計 " << report.Title() << "\n";
    std::string head = padded("項目名", kName);
    for (int m = 1; m <= 12; ++m)
        head += cell(report.MonthHeader(m));
    head += cell("年間合計") + cell("月平均") + cell("年間予算") + cell("差額");
    if (previous) head += cell("前年合計") + cell("前年比");
    std::cout << head << "\n";
    const int columns = 16 + (previous ? 2 : 0);
    const std::string rule(kName + (1 + kCell) * columns, '-');
    for (const YearReportRow& r : report.rows) {
        if (r.kind == YearReportRow::Kind::Item && &r != &report.rows.front() && (&r - 1)->IsSummary())
            std::cout << rule << "\n";
        if (r.IsSummary()) std::cout << rule << "\n";
        std::string line = padded(r.name, kName);
        for (int64_t v : r.months)
            line += cell(GroupedAmount(v));
        line += cell(GroupedAmount(r.total)) + cell(GroupedAmount(r.average));
        line += cell(r.hasBudget ? GroupedAmount(r.budget) : "") + cell(r.hasBudget ? GroupedAmount(r.difference) : "");
        if (previous) line += cell(r.hasPrevious ? GroupedAmount(r.previous) : "") + cell(YearChangeText(r));
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        std::cout << line << "\n";
    }
}

// year YYYY [--periods] [--closing-day N] [--no-previous] [--csv [--encoding E]]. The closing day
// defaults to the stored one. Exit 0; 1 when the data cannot be read; 2 on a usage error.
int runYear(ToolContext& ctx) {
    const std::vector<std::string> pos = ctx.positional({"--closing-day", "--encoding"});
    long year = 0;
    const std::string unknown =
        ctx.unknownOption({"--periods", "--closing-day", "--no-previous", "--csv", "--encoding"});
    if (pos.size() != 1 || !parseWholeArg(pos[0], year) || year < 1901 || year > 2099 || !unknown.empty()) {
        if (!unknown.empty()) std::cerr << "year: unknown option " << unknown << "\n";
        std::cerr
            << "usage: mrtkel-tool year YYYY [--periods [--closing-day N]] [--no-previous] [--csv [--encoding E]]\n";
        return 2;
    }
    CsvEncoding enc;
    if (!ToolCsvEncoding(ctx, "year", enc)) return 2;
    YearReportOptions options;
    options.year = static_cast<int>(year);
    options.periods = ctx.flag("--periods");
    options.withPrevious = !ctx.flag("--no-previous");
    options.closingDay = ctx.settings.ClosingDay;
    if (auto cd = ctx.option("--closing-day")) {
        long v = 0;
        if (!parseWholeArg(*cd, v) || v < 1 || v > 31) {
            std::cerr << "year: --closing-day takes a day number 1..31 (31 = the month's end)\n";
            return 2;
        }
        options.closingDay = static_cast<int>(v);
    }
    if (!ctx.requireDataFolder("year")) return 1;
    YearReport report;
    std::string why;
    if (LoadYearReport(ctx.dataFolder, options, report, *ctx.dialogs, why) != 0) {
        if (!why.empty()) std::cerr << "year: データを読めません: " << why << "\n";
        return 1;
    }
    if (ctx.flag("--csv")) {
        CsvWriter out;
        ToolCsvOutput stdoutCsv(out, enc, "year");
        WriteYearReportCsv(out, report);
        return stdoutCsv.Finish() ? 0 : 1;
    }
    writeText(report);
    return 0;
}

} // namespace
} // namespace mrt

MRT_TOOL_COMMAND(year,
                 "year YYYY [--periods [--closing-day N]] [--no-previous] [--csv [--encoding E]]: income and expense "
                 "per item for each month (or closing period) of the year, with total, average, budget and the "
                 "year before",
                 mrt::runYear);
