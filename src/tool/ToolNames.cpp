// mrtkel-tool names: lists the registered items and each item's breakdown and shop names.
#include "names/NameTables.h"
#include "tool/ToolCommands.h"
#include "tool/ToolCsv.h"
#include "tool/ToolText.h"
#include "util/Cp932.h"

#include <iostream>

namespace mrt {
namespace {

// One CSV row: table, owning key, 1-based display position, the name without trailing blanks.
void csvRow(CsvWriter& out, const char* table, int key, int position, const std::string& name) {
    out.Text(table).Number(key).Number(position).Text(TrimRight(name)).EndRow();
}

// The items of both kinds first, then for each item in display order its breakdown and shop rows.
void writeCsv(CsvWriter& out, const NameTables& t) {
    out.Text("table").Text("key").Text("position").Text("name").EndRow();
    static const char* kKindNames[2] = {"income", "expense"};
    for (int kind = 0; kind < 2; ++kind) {
        std::vector<std::string> items = FillItemList(t, kind, false);
        for (size_t i = 0; i < items.size(); ++i)
            csvRow(out, kKindNames[kind], ItemKeyOf(t, kind, static_cast<int>(i) + 1), static_cast<int>(i) + 1,
                   items[i]);
    }
    for (int kind = 0; kind < 2; ++kind) {
        for (int p = 1; p <= t.items.ItemCount[kind]; ++p) {
            int key = ItemKeyOf(t, kind, p);
            std::vector<std::string> brkDn = FillBrkDnList(t, key, false);
            for (size_t i = 0; i < brkDn.size(); ++i)
                csvRow(out, "breakdown", key, static_cast<int>(i) + 1, brkDn[i]);
            std::vector<std::string> shops = FillShopList(t, key, false);
            for (size_t i = 0; i < shops.size(); ++i)
                csvRow(out, "shop", key, static_cast<int>(i) + 1, shops[i]);
        }
    }
}

void writeNameLine(const char* label, const std::vector<std::string>& names) {
    std::cout << "      " << label;
    if (names.empty()) std::cout << "(なし)";
    for (size_t i = 0; i < names.size(); ++i)
        std::cout << (i ? "、" : "") << TrimRight(names[i]);
    std::cout << "\n";
}

void writeText(const NameTables& t) {
    static const char* kKindTitles[2] = {"入金項目", "出金項目"};
    for (int kind = 0; kind < 2; ++kind) {
        std::cout << kKindTitles[kind] << " (" << t.items.ItemCount[kind] << "/" << ItemMax[kind] << ")\n";
        std::vector<std::string> items = FillItemList(t, kind, false);
        for (size_t i = 0; i < items.size(); ++i) {
            int key = ItemKeyOf(t, kind, static_cast<int>(i) + 1);
            std::string pos = std::to_string(i + 1);
            std::cout << std::string(4 - std::min<size_t>(pos.size(), 3), ' ') << pos << "  "
                      << padded(TrimRight(items[i]), kItemTextBytes) << "  [key " << key << "]\n";
            writeNameLine("内訳・備考  : ", FillBrkDnList(t, key, false));
            writeNameLine("店名・相手先: ", FillShopList(t, key, false));
        }
    }
}

// names [--csv]. Reads the three tables without changing any file (a short breakdown or shop
// file is completed in memory only). Exit 0, or 1 when a table cannot be read.
int runNames(ToolContext& ctx) {
    CsvEncoding enc;
    if (!ToolCsvEncoding(ctx, "names", enc)) return 2;
    if (!ctx.requireDataFolder("names")) return 1;
    NameTables t;
    NameFilePaths files = NameFilesIn(ctx.dataFolder);
    std::string why[3];
    struct {
        int rc;
        const char* what;
        const std::string& reason;
    } loads[] = {{LoadItemTable(files.item, t, &why[0]), "項目名データ", why[0]},
                 {LoadBrkDnTable(files.brkDn, t, false, &why[1]), "内訳・備考データ", why[1]},
                 {LoadShopTable(files.shop, t, false, &why[2]), "店名・相手先データ", why[2]}};
    for (const auto& l : loads) {
        if (l.rc < 0) {
            std::cerr << "names: " << l.what << "が読めないか壊れています: " << l.reason << "\n";
            return 1;
        }
    }
    if (ctx.flag("--csv")) {
        CsvWriter out;
        ToolCsvOutput stdoutCsv(out, enc, "names");
        writeCsv(out, t);
        return stdoutCsv.Finish() ? 0 : 1;
    }
    writeText(t);
    return 0;
}

} // namespace
} // namespace mrt

MRT_TOOL_COMMAND(names, "names [--csv [--encoding E]]: lists the items and each item's breakdown and shop names",
                 mrt::runNames);
