// mrtkel-tool ledger and check: lists the ledger lines and checks the ledger files.
#include "tool/ToolLedger.h"

#include "books/Books.h"
#include "books/Transfers.h"
#include "ledger/AmountExpr.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerCheck.h"
#include "ledger/LedgerCsv.h"
#include "names/NameTables.h"
#include "screens/LedgerSheet.h"
#include "tool/ToolCsv.h"
#include "tool/ToolText.h"
#include "util/Cp932.h"
#include "util/DateText.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <iostream>

namespace mrt {

bool OpenToolLedger(ToolContext& ctx, LedgerState& st, bool anyBlockSize) {
    st.index.SetDataFolder(ctx.dataFolder);
    st.BlockMonthsInUse = std::clamp<int>(ctx.settings.BlockMonths, 2, 6);
    st.MaxBlockLines = anyBlockSize ? INT_MAX : std::clamp<int>(ctx.settings.MaxBlockLines, 100, 1500);
    std::error_code ec;
    if (!std::filesystem::exists(ctx.dataFolder, ec) && !ec) return true; // nothing recorded yet
    return ScanLedgerYears(st, *ctx.dialogs) == 0;
}

bool ParseToolDate(const std::string& text, int& year, int& month, int& day) {
    return ParseDateText(text, year, month, day) && IsValidDate(year, month, day);
}

namespace {

std::string isoDate(const IoRecord& r) {
    return FormatDate(r.Year, r.Month, r.Day, "-");
}

bool dateOption(ToolContext& ctx, const char* name, int32_t& num) {
    auto text = ctx.option(name);
    if (!text) return true;
    int y, m, d;
    if (!ParseToolDate(*text, y, m, d)) {
        std::cerr << "ledger: " << name << " takes a date YYYY-MM-DD\n";
        return false;
    }
    num = DateNum(y, m, d);
    return true;
}

// ledger [--from D] [--to D] [--csv [--encoding E]]: every line in ledger order with its stored
// balance. Exit 0, 1 when the ledger cannot be read, 2 on a usage error.
int runLedger(ToolContext& ctx) {
    int32_t from = 0, to = 99999999;
    if (!dateOption(ctx, "--from", from) || !dateOption(ctx, "--to", to)) return 2;
    bool csv = ctx.flag("--csv");
    CsvEncoding enc;
    if (!ToolCsvEncoding(ctx, "ledger", enc)) return 2;
    if (!ctx.requireDataFolder("ledger")) return 1;
    LedgerState st;
    if (!OpenToolLedger(ctx, st, true)) return 1;
    // With every year file open in one saved state the lines go out as they are read, in chunks.
    LedgerYearFiles years;
    std::string why;
    const bool opened = years.Open(st.index, *ctx.dialogs, why);
    if (!ctx.openedOneState()) return 1;
    if (!opened) {
        std::cerr << "ledger: " << kLedgerReadFailedMessage << "\n" << why << "\n";
        return 1;
    }
    if (csv) {
        CsvWriter out;
        ToolCsvOutput stdoutCsv(out, enc, "ledger");
        if (WriteLedgerCsv(st.index, from, to, false, out, *ctx.dialogs, &why, &years) < 0) {
            std::cerr << "ledger: " << kLedgerReadFailedMessage << "\n" << why << "\n";
            stdoutCsv.Abandon();
            return 1;
        }
        return stdoutCsv.Finish() ? 0 : 1;
    }
    std::cout << padded("日付", 10) << "  " << padded("項目名", kItemNameBytes) << "  "
              << padded("内訳・備考", kNoteBytes) << "  " << padded("店名・相手先", kShopNameBytes) << "  "
              << FitRightBytes("入金", 10) << "  " << FitRightBytes("出金", 10) << "  " << FitRightBytes("残高", 10)
              << "\n";
    int r = ForEachLedgerLine(
        st.index, *ctx.dialogs,
        [&](const IoRecord& l) {
            int32_t num = DateNum(l);
            if (num < from || num > to) return true;
            std::cout << isoDate(l) << "  " << padded(TrimRight(l.ItemName), kItemNameBytes) << "  "
                      << padded(TrimRight(l.Note), kNoteBytes) << "  " << padded(TrimRight(l.ShopName), kShopNameBytes)
                      << "  " << LedgerCellDisplay(kColIncome, l.Income) << "  "
                      << LedgerCellDisplay(kColExpense, l.Expense) << "  " << LedgerCellDisplay(kColBalance, l.Balance)
                      << "\n";
            return true;
        },
        &why, &years);
    if (r < 0) {
        std::cerr << "ledger: " << kLedgerReadFailedMessage << "\n" << why << "\n";
        return 1;
    }
    return 0;
}

// check: reads every ledger file, the name tables and the settings file and prints each
// inconsistency on its own line. Exit 0 when all are sound, 1 otherwise.
int runCheck(ToolContext& ctx) {
    if (!ctx.requireDataFolder("check")) return 1;
    LedgerIndex names;
    names.SetDataFolder(ctx.dataFolder);
    std::vector<std::string> problems = CheckLedgerFiles(names);
    for (std::string& p : CheckNameFiles(NameFilesIn(ctx.dataFolder)))
        problems.push_back(std::move(p));
    if (!ctx.settingsProblem.empty()) problems.push_back(ctx.settingsProblem);
    // Transfers between books: a side that its book no longer holds.
    std::vector<Book> books;
    std::string error;
    if (LoadBooks(ctx.home, books, error) != 0)
        problems.push_back(error);
    else
        for (std::string& p : CheckTransfers(ctx.home, books, *ctx.dialogs))
            problems.push_back(std::move(p));
    for (const std::string& p : problems) std::cout << p << "\n";
    return problems.empty() ? 0 : 1;
}

} // namespace
} // namespace mrt

MRT_TOOL_COMMAND(ledger,
                 "ledger [--from YYYY-MM-DD] [--to YYYY-MM-DD] [--csv [--encoding utf8|utf8-bom|cp932]]: lists the "
                 "ledger lines with balances",
                 mrt::runLedger);
MRT_TOOL_COMMAND(check,
                 "check: checks the ledger files, name tables and settings file and prints each inconsistency "
                 "(exit 1 when any)",
                 mrt::runCheck);
