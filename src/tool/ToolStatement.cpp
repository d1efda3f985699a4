// mrtkel-tool import-statement: a bank, card or e-money statement into the ledger, with the same
// preview the window shows; all or nothing.
#include "ledger/LedgerIndex.h"
#include "names/NameTables.h"
#include "statement/StatementImport.h"
#include "tool/ToolLedger.h"
#include "tool/ToolText.h"
#include "totals/TotalsText.h"
#include "util/Paths.h"

#include <cstdio>
#include <iostream>
#include <sstream>

namespace mrt {
namespace {

constexpr const char* kUsage =
    "usage: mrtkel-tool import-statement FILE [--layout NAME] [--year YYYY] [--map ROLE=COL,...] [--sign "
    "spend+|spend-|abs] [--save-layout NAME] [--cut] [--register-items] [--dry-run] [--csv]\n";

// "date=1,shop=2,out=4": 1-based columns of the roles.
bool parseMap(const std::string& text, ColumnMap& map, std::string& why) {
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ',')) {
        const size_t eq = part.find('=');
        ColumnRole role;
        long col = 0;
        if (eq == std::string::npos || !ColumnRoleOfKey(part.substr(0, eq), role) ||
            !parseWholeArg(part.substr(eq + 1), col) || col < 1 || col > 999) {
            why = "--map の「" + part + "」が読めません (例: date=1,shop=2,out=3,in=4)。";
            return false;
        }
        map[role] = static_cast<int>(col - 1);
    }
    if (!map.Usable()) why = "--map には date, shop と out, in, amount のどれかが必要です。";
    return map.Usable();
}

void printHeaderForMapping(const StatementFile& f) {
    std::cerr << f.headerLine << "行目の列:\n";
    for (size_t i = 0; i < f.header.size(); ++i) {
        std::cerr << "  " << i + 1 << ": " << f.header[i];
        if (!f.sampleRows.empty() && i < f.sampleRows[0].size()) std::cerr << "  (例: " << f.sampleRows[0][i] << ")";
        std::cerr << "\n";
    }
    std::cerr << "列の役割: ";
    for (int r = 0; r < kColumnRoleCount; ++r)
        std::cerr << (r ? ", " : "") << ColumnRoleKey(static_cast<ColumnRole>(r)) << "("
                  << ColumnRoleLabel(static_cast<ColumnRole>(r)) << ")";
    std::cerr << "\n--map date=1,shop=2,out=3 のように割り当て、--save-layout 名前 で保存できます。\n";
}

std::string dateDash(const IoRecord& l) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", l.Year, l.Month, l.Day);
    return buf;
}

void printPreview(const StatementPlan& plan) {
    std::cout << "形式: " << plan.file.layout.label << " (" << plan.file.layout.name
              << ")  文字コード: " << StatementEncodingName(plan.file.encoding) << "  見出し: " << plan.file.headerLine
              << "行目\n";
    for (const PlannedLine& p : plan.lines) {
        const StatementRow& row = plan.file.rows[static_cast<size_t>(p.row)];
        std::string line = rightAligned(std::to_string(row.lineNo), 4) + "  " + (p.include ? "○ " : "  ") +
                           padded(LineStateName(p.Shown()), 10);
        if (row.problem.empty()) {
            line += dateDash(p.line) + "  " + padded(p.line.ItemName.empty() ? "-" : p.line.ItemName, 12) + " " +
                    padded(p.line.ShopName, 30) + " " +
                    rightAligned(p.line.Income > 0 ? "+" + GroupedAmount(p.line.Income) : GroupedAmount(p.line.Expense),
                                 11);
        }
        const std::string why = p.problem.empty() ? p.reason : p.problem;
        if (!p.source.empty()) line += "  [" + p.source + "]";
        if (!why.empty() && why != p.source) line += "  " + why;
        std::cout << line << "\n";
    }
}

void printSummary(const StatementPlan& plan, std::ostream& out) {
    out << "取り込む行: " << plan.Included() << " 行 (出金 " << GroupedAmount(plan.IncludedOut()) << " 円, 入金 "
        << GroupedAmount(plan.IncludedIn()) << " 円)  重複: " << plan.Count(LineState::Duplicate)
        << "  対象外: " << plan.Count(LineState::Skipped) << "  相殺: " << plan.Count(LineState::Cancelled)
        << "  項目未定: " << plan.Count(LineState::NeedsItem) << "  誤り: " << plan.Count(LineState::Error) << "\n";
}

int runImportStatement(ToolContext& ctx) {
    const std::vector<std::string> valueOptions = {"--layout", "--year", "--map", "--sign", "--save-layout"};
    const std::vector<std::string> files = ctx.positional(valueOptions);
    std::vector<std::string> known = valueOptions;
    for (const char* f : {"--dry-run", "--csv", "--cut", "--register-items"})
        known.emplace_back(f);
    if (files.size() != 1 || !ctx.unknownOption(known).empty()) {
        std::cerr << kUsage;
        return 2;
    }
    long year = 0;
    if (auto y = ctx.option("--year"); y && (!parseWholeArg(*y, year) || year < 2000 || year > 2050)) {
        std::cerr << "import-statement: --year は 2000～2050 で指定してください。\n";
        return 2;
    }
    SignRule sign = SignRule::SpendPositive;
    if (auto s = ctx.option("--sign"); s && !SignRuleOfKey(*s, sign)) {
        std::cerr << "import-statement: --sign は spend+, spend-, abs のどれかです。\n";
        return 2;
    }
    ColumnMap map;
    const std::optional<std::string> mapText = ctx.option("--map");
    if (std::string why; mapText && !parseMap(*mapText, map, why)) {
        std::cerr << "import-statement: " << why << "\n";
        return 2;
    }
    const std::optional<std::string> saveAs = ctx.option("--save-layout");
    if (saveAs && !mapText) {
        std::cerr << "import-statement: --save-layout は --map と一緒に指定してください。\n";
        return 2;
    }
    std::string bytes;
    if (!ReadWholeFile(ctx.argumentPath(files[0]), bytes)) {
        std::cerr << "import-statement: " << files[0] << " を読めません\n";
        return 1;
    }
    const bool dryRun = ctx.flag("--dry-run");
    if (!ctx.requireDataFolder("import-statement")) return 1;
    if (!dryRun && !ctx.lockForWriting()) return 1;
    NameTables names;
    const NameFilePaths paths = NameFilesIn(ctx.dataFolder);
    if (LoadItemTable(paths.item, names) < 0) {
        std::cerr << "import-statement: 項目名データが読めないか壊れています: " << paths.item << "\n";
        return 1;
    }
    LedgerState st;
    if (!OpenToolLedger(ctx, st, true)) return 1;
    StatementImport im;
    std::string error;
    if (im.Open(ctx.dataFolder, st.index, names, ctx.settings.TaxRate, ctx.flag("--register-items"), error) != 0) {
        std::cerr << "import-statement: " << error << "\n";
        return 1;
    }
    std::string layout = ctx.option("--layout").value_or("");
    if (mapText) {
        // The mapping applies to the header row the file's own layout search could not place.
        StatementFile probe = ReadStatement(bytes, {}, {}, static_cast<int>(year));
        if (!probe.needsMapping) probe = ReadStatement(bytes, {}, "(none)", static_cast<int>(year));
        if (probe.header.empty()) {
            std::cerr << "import-statement: " << probe.error << "\n";
            return 1;
        }
        layout = saveAs.value_or("(--map)");
        im.SaveLayout(MakeCustomLayout(layout, probe.header, map, sign));
    }
    if (!im.Read(bytes, layout, static_cast<int>(year), error)) {
        const StatementFile& f = im.Plan().file;
        std::cerr << "import-statement: " << (f.error.empty() ? error : f.error) << "\n";
        if (f.needsMapping) printHeaderForMapping(f);
        if (f.needsYear) std::cerr << "--year YYYY で最初の行の年を指定してください。\n";
        return 1;
    }
    StatementPlan& plan = im.Plan();
    if (ctx.flag("--cut"))
        for (size_t i = 0; i < plan.lines.size(); ++i)
            if (!plan.lines[i].fullShop.empty() && !plan.lines[i].cutConsented)
                ConsentCut(plan, static_cast<int>(i), im.Context());
    if (ctx.flag("--csv"))
        std::cout << PreviewCsv(plan);
    else
        printPreview(plan);
    printSummary(plan, ctx.flag("--csv") ? std::cerr : std::cout);

    if (const int bad = plan.IncludedProblems(); bad > 0) {
        for (const PlannedLine& p : plan.lines)
            if (p.state == LineState::Error || (p.include && !p.problem.empty()))
                std::cerr << plan.file.rows[static_cast<size_t>(p.row)].lineNo
                          << "行目: " << (p.problem.empty() ? p.reason : p.problem) << "\n";
        std::cerr << "import-statement: " << bad << " 行に誤りがあるため、何も取り込んでいません。\n";
        return 1;
    }
    if (!plan.ledgerError.empty() && plan.Included() > 0) {
        std::cerr << "import-statement: " << plan.ledgerError << "\n";
        return 1;
    }
    if (const int open = plan.Count(LineState::NeedsItem); open > 0)
        std::cerr << "項目が決まらない " << open << " 行は取り込みません (rules add で店名の規則を追加できます)。\n";
    if (dryRun) return 0;
    const int r = im.Apply(st, names, paths, *ctx.dialogs);
    if (r < 0) return 1;
    std::cout << plan.Included() << " 行を取り込みました。\n";
    for (const auto& [kind, name] : plan.newItems)
        std::cout << (kind == kIncomeKind ? "入金" : "出金") << "項目名を登録しました: " << name << "\n";
    return r == 0 ? 0 : 1;
}

} // namespace
} // namespace mrt

static mrt::ToolRegistrar s_importStatement(
    "import-statement",
    "import-statement FILE [--layout NAME] [--year YYYY] [--map ROLE=COL,...] [--save-layout NAME] [--cut] "
    "[--register-items] [--dry-run] [--csv]: previews a bank, card or e-money statement and adds its new "
    "lines (all or nothing)",
    mrt::runImportStatement, mrt::HomeUse::Reads);
