// mrtkel-tool budget: the monthly budget of a year per item, as the budget window sees it.
#include "budget/Budget.h"
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
    NameTables t;
    std::string itemPath = NameFilesIn(ctx.dataFolder).item;
    if (LoadItemTable(itemPath, t) < 0) {
        std::cerr << "budget: 項目名データが読めないか壊れています: " << itemPath << "\n";
        return 1;
    }
    BgtRecord rec;
    if (LoadBudget(rec, static_cast<int>(year), t.items, BudgetPlaceOf(ctx.home), *ctx.dialogs) != 0) {
        std::cerr << "budget: " << year << "年の予算データが読めません\n";
        return 1;
    }
    const bool csv = ctx.flag("--csv");
    CsvEncoding enc;
    if (!ToolCsvEncoding(ctx, "budget", enc)) return 2;
    CsvWriter out;
    static const char* kKindNames[2] = {"income", "expense"};
    static const char* kKindTitles[2] = {"入金", "出金"};
    if (csv)
        out.Text("month").Text("kind").Text("position").Text("key").Text("item").Text("amount").EndRow();
    else
        std::cout << " 月  区分  項目名                 予算額\n";
    for (int month = 1; month <= kBudgetMonths; ++month) {
        for (int kind = 0; kind < 2; ++kind) {
            std::vector<std::string> items = FillItemList(t, kind, false);
            for (size_t i = 0; i < items.size(); ++i) {
                int position = static_cast<int>(i) + 1;
                int slot = ItemSlotAt(t, kind, position);
                int32_t amount = slot >= 1 && slot <= kBudgetSlotMax[kind] ? rec.at(month, kind, slot) : -1;
                std::string amountText = amount < 0 ? std::string() : std::to_string(amount);
                if (csv) {
                    out.Number(month).Text(kKindNames[kind]).Number(position).Number(ItemKeyOf(t, kind, position));
                    out.Text(TrimRight(items[i]));
                    amount < 0 ? out.Empty() : out.Number(amount);
                    out.EndRow();
                } else {
                    std::cout << rightAligned(std::to_string(month), 3) << "  " << kKindTitles[kind] << "  "
                              << padded(TrimRight(items[i]), 20) << " " << rightAligned(amountText, 10) << "\n";
                }
            }
        }
    }
    if (csv) return WriteToolCsv(out, enc, "budget") ? 0 : 1;
    return 0;
}

} // namespace
} // namespace mrt

MRT_TOOL_COMMAND(budget,
                 "budget --year YYYY [--csv [--encoding E]]: the monthly budget of each item (empty = no budget)",
                 mrt::runBudget);
