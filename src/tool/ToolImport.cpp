// mrtkel-tool import: adds the lines of a CSV file to the ledger, all of them or none.
#include "ledger/LedgerImport.h"
#include "names/NameTables.h"
#include "tool/ToolLedger.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <iostream>

namespace mrt {
namespace {

// import FILE [--register-items] [--dry-run]. Every bad line is reported on stderr with its line
// number and reason, and then nothing is added. Exit 0 when the lines were saved (or, with
// --dry-run, would be); 1 when the file was refused or a file could not be read or written;
// 2 on a usage error.
int runImport(ToolContext& ctx) {
    const std::vector<std::string> files = ctx.positional({});
    if (files.size() != 1) {
        std::cerr << "usage: mrtkel-tool import FILE [--register-items] [--dry-run]\n";
        return 2;
    }
    ByteBuffer bytes;
    if (!ReadWholeFile(ctx.argumentPath(files[0]), bytes)) {
        std::cerr << "import: " << files[0] << " を読めません\n";
        return 1;
    }
    // A trial run reads only, and reads nothing where there is no data folder.
    const bool dryRun = ctx.flag("--dry-run");
    if (dryRun && !ctx.requireDataFolder("import")) return 1;
    if (!dryRun && !MakeFolders(ctx.dataFolder)) {
        std::cerr << "import: データフォルダを作成できません: " << ctx.dataFolder << "\n";
        return 1;
    }
    if (!dryRun && !ctx.lockForWriting()) return 1;
    NameTables names;
    const NameFilePaths paths = NameFilesIn(ctx.dataFolder);
    if (LoadItemTable(paths.item, names) < 0) {
        std::cerr << "import: 項目名データが読めないか壊れています: " << paths.item << "\n";
        return 1;
    }
    LedgerState st;
    if (!OpenToolLedger(ctx, st, true)) return 1;
    const ImportPlan plan = PlanImport(bytes, st.index, names, ctx.settings.TaxRate, ctx.flag("--register-items"));
    if (!plan.fileError.empty()) {
        std::cerr << "import: " << plan.fileError << "\n";
        return 1;
    }
    if (!plan.Ready()) {
        for (const ImportRow& r : plan.rows)
            if (!r.problem.empty()) std::cerr << r.lineNo << "行目: " << r.problem << "\n";
        std::cerr << "import: " << plan.BadRows() << " 行に誤りがあるため、何も取り込んでいません。\n";
        return 1;
    }
    if (dryRun) {
        std::cout << plan.rows.size() << " 行を取り込めます。\n";
        return 0;
    }
    const int r = ApplyImport(st, names, paths, plan, *ctx.dialogs);
    if (r < 0) return 1;
    std::cout << plan.rows.size() << " 行を取り込みました。\n";
    for (const auto& [kind, name] : plan.newItems)
        std::cout << (kind == kIncomeKind ? "入金" : "出金") << "項目名を登録しました: " << name << "\n";
    return r == 0 ? 0 : 1;
}

} // namespace
} // namespace mrt

MRT_TOOL_COMMAND(import,
                 "import FILE [--register-items] [--dry-run]: adds the lines of a CSV file in the ledger's columns "
                 "(all or nothing; bad lines are listed)",
                 mrt::runImport, mrt::HomeUse::Optional);
