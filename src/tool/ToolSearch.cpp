// mrtkel-tool search: the lines whose names hold a text, within optional date and amount ranges.
#include "ledger/LedgerCsv.h"
#include "ledger/LedgerSearch.h"
#include "screens/LedgerSheet.h"
#include "tool/ToolCsv.h"
#include "tool/ToolLedger.h"
#include "tool/ToolText.h"
#include "util/Cp932.h"
#include "util/DateText.h"

#include <iostream>

namespace mrt {
namespace {

bool dateBound(const ToolContext& ctx, const char* name, int32_t& date) {
    auto text = ctx.option(name);
    if (!text) return true;
    int y, m, d;
    if (!ParseToolDate(*text, y, m, d)) {
        std::cerr << "search: " << name << " takes a date YYYY-MM-DD\n";
        return false;
    }
    date = DateNum(y, m, d);
    return true;
}

bool amountBound(const ToolContext& ctx, const char* name, int32_t& amount) {
    auto text = ctx.option(name);
    if (!text) return true;
    long v = 0;
    if (!parseWholeArg(*text, v) || v < 0 || v > 99999999) {
        std::cerr << "search: " << name << " takes an amount 0..99999999\n";
        return false;
    }
    amount = static_cast<int32_t>(v);
    return true;
}

// True when the text holds nothing but blanks (half- or full-width) and tabs.
bool blankText(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ' ' || text[i] == '\t') continue;
        if (text.compare(i, 3, "\xE3\x80\x80") != 0) return false;
        i += 2;
    }
    return true;
}

// search [--from D] [--to D] [--min N] [--max N] [--csv [--encoding E]] [--] [TEXT]: newest first,
// with the count; without a text, the lines within the ranges. Exit 0 (also when nothing
// matched); 1 when the ledger cannot be read; 2 on a usage error.
int runSearch(ToolContext& ctx) {
    const std::vector<std::string> valueOptions = {"--from", "--to", "--min", "--max", "--encoding"};
    const std::vector<std::string> words = ctx.positional(valueOptions);
    std::vector<std::string> known = valueOptions;
    known.push_back("--csv");
    // An option the command does not know would otherwise be dropped and the search widened.
    if (const std::string unknown = ctx.unknownOption(known); !unknown.empty()) {
        std::cerr << "search: " << unknown << " というオプションはありません。\"-\" で始まる文字を探すときは "
                  << "search -- " << unknown << " のように指定してください。\n";
        return 2;
    }
    if (words.size() > 1) {
        std::cerr << "usage: mrtkel-tool search [--from D] [--to D] [--min N] [--max N] [--csv] [--] TEXT\n";
        return 2;
    }
    if (!words.empty() && blankText(words[0])) {
        std::cerr << "search: 探す文字が空白だけです。文字を指定してください。\n";
        return 2;
    }
    SearchQuery q;
    q.text = words.empty() ? std::string() : words[0];
    q.limit = SIZE_MAX;
    CsvEncoding enc;
    if (!dateBound(ctx, "--from", q.fromDate) || !dateBound(ctx, "--to", q.toDate) ||
        !amountBound(ctx, "--min", q.minAmount) || !amountBound(ctx, "--max", q.maxAmount) ||
        !ToolCsvEncoding(ctx, "search", enc))
        return 2;
    if (!ctx.requireDataFolder("search")) return 1;
    LedgerState st;
    if (!OpenToolLedger(ctx, st, true)) return 1;
    SearchResult found;
    std::string error;
    if (SearchLedger(st.index, q, found, &error) < 0) {
        std::cerr << "search: " << error << "\n";
        return 1;
    }
    if (ctx.flag("--csv")) {
        CsvWriter out;
        ToolCsvOutput stdoutCsv(out, enc, "search");
        out.Text("date").Text("item").Text("note").Text("shop").Text("income").Text("expense").EndRow();
        for (const SearchHit& h : found.hits) {
            const IoRecord& l = h.line;
            out.Date(l.Year, l.Month, l.Day);
            for (const std::string* text : {&l.ItemName, &l.Note, &l.ShopName})
                LedgerCsvText(out, *text);
            out.Number(l.Income).Number(l.Expense).EndRow();
        }
        return stdoutCsv.Finish() ? 0 : 1;
    }
    for (const SearchHit& h : found.hits) {
        const IoRecord& l = h.line;
        std::cout << FormatDate(l.Year, l.Month, l.Day, "-") << "  " << padded(TrimRight(l.ItemName), kItemNameBytes)
                  << "  " << padded(TrimRight(l.Note), kNoteBytes) << "  "
                  << padded(TrimRight(l.ShopName), kShopNameBytes) << "  " << LedgerCellDisplay(kColIncome, l.Income)
                  << "  " << LedgerCellDisplay(kColExpense, l.Expense) << "\n";
    }
    std::cout << found.total << " 件\n";
    return 0;
}

} // namespace
} // namespace mrt

MRT_TOOL_COMMAND(search,
                 "search [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--min N] [--max N] [--csv [--encoding E]] [--] TEXT: "
                 "lines whose item, note or shop holds the text (full-/half-width alike), newest first",
                 mrt::runSearch);
