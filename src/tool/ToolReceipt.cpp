// mrtkel-tool receipt: reads a receipt image and adds the lines it makes, all of them or none.
#include "ledger/LedgerImport.h"
#include "names/NameTables.h"
#include "receipt/ReceiptLines.h"
#include "receipt/ReceiptOcr.h"
#include "receipt/ReceiptStore.h"
#include "receipt/ReceiptText.h"
#include "tool/ToolLedger.h"
#include "util/Paths.h"

#include <iostream>

namespace mrt {
namespace {

// receipt FILE [--dry-run] [--csv] [--whole] [--item NAME] [--force]. Prints what was read and the
// proposed lines (--csv: the lines in the ledger's CSV columns on stdout, the reading on stderr).
// Adds the lines unless --dry-run, and only when the receipt's sums hold (--force adds them when
// they do not). Exit 0 done; 1 unreadable image, a refused line or unconfirmed sums; 2 usage.
int runReceipt(ToolContext& ctx) {
    const std::vector<std::string> files = ctx.positional({"--item"});
    if (files.size() != 1 || !ctx.unknownOption({"--dry-run", "--csv", "--whole", "--item", "--force"}).empty()) {
        std::cerr << "usage: mrtkel-tool receipt FILE [--dry-run] [--csv] [--whole] [--item NAME] [--force]\n";
        return 2;
    }
    const bool dryRun = ctx.flag("--dry-run");
    if (!dryRun && !ctx.requireDataFolder("receipt")) return 1;
    if (!dryRun && !ctx.lockForWriting()) return 1;
    NameTables names;
    const NameFilePaths paths = NameFilesIn(ctx.dataFolder);
    if (LoadItemTable(paths.item, names) < 0 || LoadShopTable(paths.shop, names, false) < 0) {
        std::cerr << "receipt: 名前データが読めないか壊れています: " << ctx.dataFolder << "\n";
        return 1;
    }
    LedgerState st;
    if (!OpenToolLedger(ctx, st, true)) return 1;

    ReceiptReader reader;
    std::vector<ReadLine> lines;
    std::string error;
    if (!reader.Read(ctx.argumentPath(files[0]), lines, error)) {
        std::cerr << "receipt: " << error << "\n";
        return 1;
    }
    const ReadReceipt r = ParseReceipt(lines, RegisteredShopNames(names));
    const std::optional<std::string> item = ctx.option("--item");
    std::vector<ProposedLine> proposed =
        ProposeLines(r, ctx.flag("--whole") ? ReceiptSplit::Whole : ReceiptSplit::PerRate, names,
                     [&](const std::string& shop) { return ReceiptShopItem(ctx.dataFolder, st.index, shop); });
    if (item)
        for (ProposedLine& l : proposed)
            l.item = *item;
    const std::string csv = ProposedLinesCsv(proposed);

    std::ostream& report = ctx.flag("--csv") ? std::cerr : std::cout;
    report << DescribeReceipt(r);
    if (ctx.flag("--csv"))
        std::cout << csv;
    else {
        std::cout << "提案する行:\n";
        for (const ProposedLine& l : proposed)
            std::cout << "  " << l.date / 10000 << "/" << l.date / 100 % 100 << "/" << l.date % 100 << "  "
                      << (l.item.empty() ? "（項目名なし）" : l.item) << "  " << l.note << "  " << l.shop << "  "
                      << YenText(l.amount) << "\n";
    }
    if (proposed.empty()) {
        std::cerr << "receipt: 金額が読めないため、行を作れません。\n";
        return 1;
    }
    const ImportPlan plan = PlanImport(csv, st.index, names, ctx.settings.TaxRate, false);
    for (const ImportRow& row : plan.rows)
        if (!row.problem.empty()) std::cerr << row.lineNo << "行目: " << row.problem << "\n";
    if (!plan.Ready()) {
        std::cerr << "receipt: 行に誤りがあるため、何も追加していません。\n";
        return 1;
    }
    if (!r.TotalsConfirmed() && !ctx.flag("--force")) {
        std::cerr << "receipt: 合計が確かめられないため、追加していません（値を確かめて --force で追加できます）。\n";
        return 1;
    }
    if (dryRun) return 0;
    if (ApplyImport(st, names, paths, plan, *ctx.dialogs) < 0) return 1;
    std::cout << plan.rows.size() << " 行を追加しました。\n";
    // The lines stay even when the image cannot be kept; the user is told.
    if (KeepReceiptImage(ctx.dataFolder, ctx.argumentPath(files[0]), proposed, error) != 0) {
        std::cerr << "receipt: " << error << "\n";
        return 1;
    }
    return 0;
}

} // namespace
} // namespace mrt

MRT_TOOL_COMMAND(receipt,
                 "receipt FILE [--dry-run] [--csv] [--whole] [--item NAME] [--force]: reads a receipt image and adds "
                 "its lines (one per tax rate, or --whole one), all or nothing",
                 mrt::runReceipt, mrt::HomeUse::Optional);
