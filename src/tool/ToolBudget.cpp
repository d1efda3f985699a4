// mrtkel-tool budget: the monthly budget of a year per item, as the budget window sees it.
#include "budget/Budget.h"
#include "budget/BudgetCsv.h"
#include "names/NameTables.h"
#include "tool/ToolCommands.h"
#include "tool/ToolCsv.h"
#include "tool/ToolText.h"
#include "util/Cp932.h"

#include <iostream>

namespace mrt {
namespace {

// budget --year Y [--csv]. Reads the item table and the year's budget (the previous December's,
// or none, when the year has no file) without changing any file. Exit 0; 1 when the item table
// or the budget cannot be read; 2 on a usage error.
int runBudget(ToolContext& ctx) {
    auto yearText = ctx.option("--year");
    long year = 0;
    if (!yearText || !parseWholeArg(*yearText, year) || year < 1 || year > 9999) {
        std::cerr << "usage: mrtkel-tool budget --year YYYY [--csv]\n";
        return 2;
    }
    CsvEncoding enc;
    if (!ToolCsvEncoding(ctx, "budget", enc)) return 2;
    if (!ctx.requireDataFolder("budget")) return 1;
    NameTables t;
    std::string itemPath = NameFilesIn(ctx.dataFolder).item;
    std::string why;
    if (LoadItemTable(itemPath, t, &why) < 0) {
        std::cerr << "budget: 項目名データが読めないか壊れています: " << why << "\n";
        return 1;
    }
    BgtRecord rec;
    if (LoadBudget(rec, static_cast<int>(year), t.items, BudgetPlaceOf(ctx.home), *ctx.dialogs) != 0) {
        std::cerr << "budget: " << year << "年の予算データが読めません\n";
        return 1;
    }
    if (ctx.flag("--csv")) {
        CsvWriter out;
        ToolCsvOutput stdoutCsv(out, enc, "budget");
        WriteBudgetCsv(t, rec, false, out);
        return stdoutCsv.Finish() ? 0 : 1;
    }
    static const char* kKindTitles[2] = {"入金", "出金"};
    std::cout << " 月  区分  項目名                 予算額\n";
    for (int month = 1; month <= kBudgetMonths; ++month) {
        for (int kind = 0; kind < 2; ++kind) {
            std::vector<std::string> items = FillItemList(t, kind, false);
            for (size_t i = 0; i < items.size(); ++i) {
                int slot = ItemSlotAt(t, kind, static_cast<int>(i) + 1);
                int32_t amount = slot >= 1 && slot <= kBudgetSlotMax[kind] ? rec.at(month, kind, slot) : -1;
                std::string amountText = amount < 0 ? std::string() : std::to_string(amount);
                std::cout << rightAligned(std::to_string(month), 3) << "  " << kKindTitles[kind] << "  "
                          << padded(TrimRight(items[i]), 20) << " " << rightAligned(amountText, 10) << "\n";
            }
        }
    }
    return 0;
}

} // namespace
} // namespace mrt

MRT_TOOL_COMMAND(budget,
                 "budget --year YYYY [--csv [--encoding E]]: the monthly budget of each item (empty = no budget)",
                 mrt::runBudget);
