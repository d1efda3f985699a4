// mrtkel-tool init and add: the initial-balance line of an empty ledger, and one new line through
// the same block load, cell checks, balance recomputation and save that the ledger window uses.
#include "app/AppState.h"
#include "app/Startup.h"
#include "ledger/AmountExpr.h"
#include "ledger/LedgerBalance.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerSave.h"
#include "ledger/LineRules.h"
#include "ledger/StartDate.h"
#include "names/NameTables.h"
#include "tool/ToolLedger.h"
#include "util/Cp932.h"
#include "util/DateText.h"
#include "util/Home.h"

#include <iostream>

namespace mrt {
namespace {

int refuse(const char* cmd, const std::string& msg) {
    std::cerr << cmd << ": " << msg << "\n";
    return 1;
}

// A date option checked by the ledger's date rule; prints the refusal and returns false.
bool inputDate(const char* cmd, const std::string& text, int& y, int& m, int& d) {
    if (!ParseToolDate(text, y, m, d) || CheckLineDate(y, m, d) != LineDateFault::None) {
        refuse(cmd, kBadDateMessage);
        return false;
    }
    return true;
}

// A text option checked by the ledger's text rule; a refusal names the option and the rule the
// text breaks.
bool inputText(const char* cmd, const char* option, const std::string& text, LineText field) {
    const LineTextFault fault = CheckLineText(field, text);
    if (!fault) return true;
    refuse(cmd, std::string(kBadInputMessage) + " (" + option + ": " + LineTextReason(field, fault) + ")");
    return false;
}

// An amount option checked by the ledger's amount rule; a value must be given (blank is no
// amount here, where a cell would take it as 0). Prints the refusal and returns false.
bool inputAmount(const char* cmd, const char* option, const std::string& text, int taxRate, int32_t& amount) {
    const bool blank = text.find_first_not_of(' ') == std::string::npos;
    const LineAmountFault fault = blank ? LineAmountFault::NotAnAmount : CheckLineAmount(text, taxRate, amount);
    if (fault == LineAmountFault::NotAnAmount)
        refuse(cmd, std::string(kAmountRangeMessage) + " (" + option + " \"" + text +
                        "\": 数値、1,000 のような桁区切りの数値、または 1200+300 のような式で指定してください)");
    else if (fault != LineAmountFault::None)
        refuse(cmd, LineAmountMessage(fault));
    return fault == LineAmountFault::None;
}

// An item the name table does not hold on the line's side is kept, as the ledger screen keeps a
// name the user chose not to register; the note says that the totals count the line as "(不明)".
void noteUnregisteredItem(const ToolContext& ctx, const IoRecord& line) {
    NameTables names;
    if (LoadItemTable(NameFilesIn(ctx.dataFolder).item, names) < 0) return;
    if (const LineItemFault fault = CheckLineItem(names, line); fault.kind == LineItemFault::NotRegistered)
        std::cerr << "add: " << LineItemMessage(line, fault) << "集計では「(不明)」に数えます。\n";
}

bool prepareWrite(ToolContext& ctx) {
    if (!MakeFolders(ctx.dataFolder)) {
        std::cerr << "cannot create " << ctx.dataFolder << "\n";
        return false;
    }
    return ctx.lockForWriting();
}

// init --start YYYY-MM-DD --balance N: the initial-balance line of an empty ledger.
int runInit(ToolContext& ctx) {
    auto start = ctx.option("--start");
    auto balance = ctx.option("--balance");
    if (!start || !balance) {
        std::cerr << "usage: mrtkel-tool init --start YYYY-MM-DD --balance N\n";
        return 2;
    }
    int y, m, d;
    if (!inputDate("init", *start, y, m, d)) return 1;
    int32_t amount = 0;
    if (!inputAmount("init", "--balance", *balance, ctx.settings.TaxRate, amount)) return 1;
    // The data folder as the program's first start leaves it: folders and initial name tables.
    if (!ctx.lockForWriting()) return 1;
    AppState app;
    app.home = ctx.home;
    app.resourceFolder = ctx.resourceFolder;
    if (PrepareDataFolders(app, *ctx.dialogs) != 0) return 1;
    LedgerState st;
    if (!OpenToolLedger(ctx, st)) return 1;
    if (st.index.TotalLines > 0) return refuse("init", "家計簿にはすでにデータがあります。");
    st.block = {InitialBalanceLine(y, m, d, amount)};
    st.LedgerModified = true;
    return SaveLedgerBlock(st, *ctx.dialogs) == 0 ? 0 : 1;
}

// Loads the block that holds (year, month): the newest block for a month after the ledger's
// last month, otherwise the block starting at the month (or the nearest earlier month with lines).
int loadBlockFor(LedgerState& st, int year, int month, Dialogs& dlg) {
    LedgerIndex& idx = st.index;
    if (CompareYearMonth(year, month, idx.LastYear, idx.LastMonth) >= 0) return LoadStartBlock(st, dlg);
    while (idx.LinesOf(year, month) == 0 && CompareYearMonth(year, month, idx.FirstYear, idx.FirstMonth) > 0)
        AddMonths(year, month, -1);
    idx.BlockStartYear = year;
    idx.BlockStartMonth = month;
    idx.BlockSpan = st.BlockMonthsInUse;
    int r = LoadLedgerBlock(st, st.block, false, dlg);
    if (r < 0) dlg.MsgOK(LedgerReadFailedMessage(st), "読込みエラー");
    return r;
}

// add --date D --item NAME [--note T] [--shop T] (--income EXPR | --expense EXPR) [--tax]
// Exit 0 when the line was saved; 1 when the input was refused or the ledger could not be read
// or written (nothing written); 2 on a usage error.
int runAdd(ToolContext& ctx) {
    auto date = ctx.option("--date");
    auto item = ctx.option("--item");
    auto income = ctx.option("--income");
    auto expense = ctx.option("--expense");
    if (!date || !item || income.has_value() == expense.has_value()) {
        std::cerr << "usage: mrtkel-tool add --date YYYY-MM-DD --item NAME [--note T] [--shop T] "
                     "(--income EXPR | --expense EXPR) [--tax]\n";
        return 2;
    }
    IoRecord line;
    int y, m, d;
    if (!inputDate("add", *date, y, m, d)) return 1;
    line.Year = static_cast<int16_t>(y);
    line.Month = static_cast<int16_t>(m);
    line.Day = static_cast<int16_t>(d);
    line.ItemName = TrimRight(*item);
    line.Note = TrimRight(ctx.option("--note").value_or(""));
    line.ShopName = TrimRight(ctx.option("--shop").value_or(""));
    if (line.ItemName.empty()) return refuse("add", LineItemMessage(line, {LineItemFault::Missing}));
    if (!inputText("add", "--item", line.ItemName, LineText::Item) ||
        !inputText("add", "--note", line.Note, LineText::Note) ||
        !inputText("add", "--shop", line.ShopName, LineText::Shop))
        return 1;
    std::string expr = income ? *income : *expense;
    // --tax is the "%" typed at the end of the amount.
    if (ctx.flag("--tax") && expr.find_first_not_of(' ') != std::string::npos) expr += "%";
    int32_t amount = 0;
    if (!inputAmount("add", income ? "--income" : "--expense", expr, ctx.settings.TaxRate, amount)) return 1;
    (income ? line.Income : line.Expense) = amount;
    if (LineSideFault fault = CheckLineSide(line); fault != LineSideFault::None)
        return refuse("add", LineSideMessage(fault));

    if (!prepareWrite(ctx)) return 1;
    LedgerState st;
    if (!OpenToolLedger(ctx, st)) return 1;
    const LedgerIndex& idx = st.index;
    if (idx.YearCount == 0) return refuse("add", "開始日付がありません。先に init で初期残高を登録してください。");
    if (LineDateFault fault =
            CheckLineDate(line.Year, line.Month, line.Day, DateNum(idx.FirstYear, idx.FirstMonth, idx.FirstDay));
        fault != LineDateFault::None)
        return refuse("add", LineDateMessage(fault));
    if (!idx.HoldsYearIndex(idx.YearIndex(line.Year))) return refuse("add", kBadDateMessage);
    // One line goes into one month: the block is that month alone (or the nearest earlier month
    // with lines), so an evening's line reads and rewrites one month, not the window's block.
    st.BlockMonthsInUse = 1;
    if (loadBlockFor(st, line.Year, line.Month, *ctx.dialogs) != 0) return 1;
    if (st.LedgerLineCount() + 1 > st.MaxBlockLines)
        return refuse("add", "このブロックの入出金データ数が最大読込み可能数(" + std::to_string(st.MaxBlockLines) +
                                 ")に達しています。");

    // After the last line of the same date or earlier.
    size_t pos = st.block.size();
    while (pos > 0 && DateNum(st.block[pos - 1]) > DateNum(line))
        --pos;
    int64_t before = pos == 0 ? BalanceBefore(st.block.front()) : st.block[pos - 1].Balance;
    if (before < INT32_MIN || before > INT32_MAX || !BalanceAfter(static_cast<int32_t>(before), line, line.Balance))
        return refuse("add", "残高が計算できる範囲を超えました。");
    st.block.insert(st.block.begin() + static_cast<std::ptrdiff_t>(pos), line);
    if (!RecomputeBalances(st.block, pos + 1)) return refuse("add", "残高が計算できる範囲を超えました。");
    if (BreaksDateOrder(st.block, pos)) st.PreSortF = true;
    st.LedgerModified = true;
    if (SaveLedgerBlock(st, *ctx.dialogs) != 0) return 1;
    noteUnregisteredItem(ctx, line);
    return 0;
}

} // namespace
} // namespace mrt

MRT_TOOL_COMMAND(init, "init --start YYYY-MM-DD --balance N: gives an empty ledger its initial-balance line",
                 mrt::runInit, mrt::HomeUse::Writes);
MRT_TOOL_COMMAND(add,
                 "add --date YYYY-MM-DD --item NAME [--note T] [--shop T] (--income EXPR | --expense EXPR) [--tax]: "
                 "adds one ledger line",
                 mrt::runAdd, mrt::HomeUse::Writes);
