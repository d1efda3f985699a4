// mrtkel-tool repeat: the recurring lines (list, add, remove) and the lines they made due.
#include "ledger/AmountExpr.h"
#include "names/NameTables.h"
#include "repeat/RepeatDue.h"
#include "tool/ToolLedger.h"
#include "util/Clock.h"
#include "util/DateText.h"

#include <iostream>

namespace mrt {
namespace {

constexpr const char* kUsage =
    "usage: mrtkel-tool repeat list\n"
    "       mrtkel-tool repeat add --item I [--note T] [--shop S] (--income EXPR | --expense EXPR)\n"
    "           (--monthly D [--every-months N] | --weekly WEEKDAY [--every-weeks N] | --yearly MM-DD)\n"
    "           --first YYYY-MM-DD [--last YYYY-MM-DD] [--next-business-day]\n"
    "       mrtkel-tool repeat remove N\n"
    "       mrtkel-tool repeat due [--until YYYY-MM-DD] [--apply]\n";

int usage() {
    std::cerr << kUsage;
    return 2;
}

int refuse(const std::string& msg) {
    std::cerr << "repeat: " << msg << "\n";
    return 1;
}

std::string dateText(int32_t d) {
    return d ? FormatDate(d / 10000, d / 100 % 100, d % 100, "-") : std::string();
}

bool dateOption(const ToolContext& ctx, const char* name, int32_t& out) {
    const auto text = ctx.option(name);
    if (!text) return true;
    int y, m, d;
    if (!ParseToolDate(*text, y, m, d)) return false;
    out = DateNum(y, m, d);
    return true;
}

bool wholeNumber(const std::string& s, int& v) {
    if (s.empty() || s.size() > 4 || s.find_first_not_of("0123456789") != std::string::npos) return false;
    v = std::stoi(s);
    return true;
}

// The amount a due line adds, or the expression itself when it does not evaluate.
std::string amountShown(const std::string& expr, int taxRate) {
    std::string error;
    const int32_t v = EvalAmount(expr, taxRate, &error);
    return error.empty() && IsLedgerAmount(v) ? FormatAmount(v, 2).substr(FormatAmount(v, 2).find_first_not_of(' '))
                                              : expr;
}

bool loadTable(const ToolContext& ctx, RepeatTable& table) {
    std::string why;
    if (LoadRepeatTable(RepeatFileIn(ctx.dataFolder), table, &why) < 0) {
        refuse(why);
        return false;
    }
    return true;
}

int runList(ToolContext& ctx) {
    RepeatTable table;
    if (!loadTable(ctx, table)) return 1;
    std::cout << "番号\t区分\t項目名\t内訳・備考\t店名・相手先\t金額\t繰返し\t開始日\t終了日\t提示済み\t保留\n";
    int n = 0;
    for (const RepeatEntry& e : table.entries) {
        std::string postponed;
        for (int32_t d : e.postponed)
            postponed += (postponed.empty() ? "" : " ") + dateText(d);
        std::cout << ++n << "\t" << (e.side == kIncomeKind ? "入金" : "出金") << "\t" << e.item << "\t" << e.note
                  << "\t" << e.shop << "\t" << e.amount << "\t" << DescribeRule(e.rule) << "\t"
                  << dateText(e.rule.first) << "\t" << dateText(e.rule.last) << "\t" << dateText(e.offeredUpTo) << "\t"
                  << postponed << "\n";
    }
    return 0;
}

int runAdd(ToolContext& ctx) {
    RepeatEntry e;
    e.item = ctx.option("--item").value_or("");
    e.note = ctx.option("--note").value_or("");
    e.shop = ctx.option("--shop").value_or("");
    const auto income = ctx.option("--income"), expense = ctx.option("--expense");
    if (income.has_value() == expense.has_value()) return usage();
    e.side = income ? kIncomeKind : kExpenseKind;
    e.amount = income ? *income : *expense;

    const auto monthly = ctx.option("--monthly"), weekly = ctx.option("--weekly"), yearly = ctx.option("--yearly");
    if (int(monthly.has_value()) + int(weekly.has_value()) + int(yearly.has_value()) != 1) return usage();
    RepeatRule& r = e.rule;
    if (monthly) {
        r.kind = RepeatKind::Monthly;
        if (!wholeNumber(*monthly, r.day)) return refuse("--monthly は日付 1～31 で指定してください。");
        if (auto n = ctx.option("--every-months"); n && !wholeNumber(*n, r.every))
            return refuse("--every-months は 1～12 で指定してください。");
    } else if (weekly) {
        r.kind = RepeatKind::Weekly;
        r.day = ParseWeekday(*weekly);
        if (r.day < 0) return refuse("--weekly は曜日 (mon, tue, ... または 月, 火, ...) で指定してください。");
        if (auto n = ctx.option("--every-weeks"); n && !wholeNumber(*n, r.every))
            return refuse("--every-weeks は 1～52 で指定してください。");
    } else {
        r.kind = RepeatKind::Yearly;
        int m = 0, d = 0;
        const std::string& t = *yearly;
        if (t.size() != 5 || t[2] != '-' || !wholeNumber(t.substr(0, 2), m) || !wholeNumber(t.substr(3), d))
            return refuse("--yearly は MM-DD で指定してください。");
        r.day = m * 100 + d;
    }
    r.nextBusinessDay = ctx.flag("--next-business-day");
    if (!ctx.option("--first")) return usage();
    if (!dateOption(ctx, "--first", r.first) || !dateOption(ctx, "--last", r.last))
        return refuse("日付は YYYY-MM-DD で指定してください。");
    if (!ctx.lockForWriting()) return 1;
    NameTables names;
    if (LoadItemTable(NameFilesIn(ctx.dataFolder).item, names) < 0) return refuse("項目名データが読めません。");
    if (std::string why = CheckRepeatEntry(e, &names, ctx.settings.TaxRate); !why.empty()) return refuse(why);
    RepeatTable table;
    if (!loadTable(ctx, table)) return 1;
    table.entries.push_back(e);
    if (SaveRepeatTable(RepeatFileIn(ctx.dataFolder), table, *ctx.dialogs) != 0) return 1;
    std::cout << table.entries.size() << ": " << DescribeRule(r) << " " << e.item << " を登録しました。\n";
    return 0;
}

int runRemove(ToolContext& ctx, const std::string& number) {
    int n = 0;
    if (!wholeNumber(number, n)) return usage();
    if (!ctx.lockForWriting()) return 1;
    RepeatTable table;
    if (!loadTable(ctx, table)) return 1;
    if (n < 1 || n > static_cast<int>(table.entries.size())) return refuse(number + " 番の定期入出金はありません。");
    const std::string item = table.entries[static_cast<size_t>(n - 1)].item;
    table.entries.erase(table.entries.begin() + (n - 1));
    if (SaveRepeatTable(RepeatFileIn(ctx.dataFolder), table, *ctx.dialogs) != 0) return 1;
    std::cout << n << ": " << item << " を削除しました。\n";
    return 0;
}

int runDue(ToolContext& ctx) {
    const CivilDate today = AppClock().Today();
    int32_t until = DateNum(today.year, today.month, today.day);
    if (!dateOption(ctx, "--until", until)) return refuse("--until は YYYY-MM-DD で指定してください。");
    const bool apply = ctx.flag("--apply");
    if (apply && !ctx.lockForWriting()) return 1;
    RepeatTable table;
    if (!loadTable(ctx, table)) return 1;
    const std::vector<DueLine> due = CollectDueLines(table, until);
    for (const DueLine& l : due) {
        const RepeatEntry& e = table.entries[static_cast<size_t>(l.entry)];
        std::cout << dateText(l.date) << "\t" << e.item << "\t" << e.note << "\t" << e.shop << "\t"
                  << (e.side == kIncomeKind ? "入金" : "出金") << "\t" << amountShown(l.amount, ctx.settings.TaxRate)
                  << (l.wasPostponed ? "\t(保留分)" : "") << "\n";
    }
    if (!apply) return 0;
    LedgerState st;
    if (!OpenToolLedger(ctx, st, true)) return 1;
    NameTables names;
    if (LoadItemTable(NameFilesIn(ctx.dataFolder).item, names) < 0) return refuse("項目名データが読めません。");
    const int added = ApplyDueLines(st, names, ctx.dataFolder, table, due, until, ctx.settings.TaxRate, *ctx.dialogs);
    if (added < 0) return 1;
    std::cout << added << " 行を追加しました。\n";
    return 0;
}

int runRepeat(ToolContext& ctx) {
    const std::vector<std::string> pos =
        ctx.positional({"--item", "--note", "--shop", "--income", "--expense", "--monthly", "--every-months",
                        "--weekly", "--every-weeks", "--yearly", "--first", "--last", "--until"});
    if (pos.empty()) return usage();
    const std::string& sub = pos[0];
    const std::vector<std::string> known = sub == "add"   ? std::vector<std::string>{"--item",
                                                                                     "--note",
                                                                                     "--shop",
                                                                                     "--income",
                                                                                     "--expense",
                                                                                     "--monthly",
                                                                                     "--every-months",
                                                                                     "--weekly",
                                                                                     "--every-weeks",
                                                                                     "--yearly",
                                                                                     "--first",
                                                                                     "--last",
                                                                                     "--next-business-day"}
                                           : sub == "due" ? std::vector<std::string>{"--until", "--apply"}
                                                          : std::vector<std::string>{};
    if (std::string bad = ctx.unknownOption(known); !bad.empty()) {
        std::cerr << "repeat " << sub << ": unknown option " << bad << "\n";
        return usage();
    }
    if (!ctx.requireDataFolder("repeat")) return 1;
    if (sub == "list" && pos.size() == 1) return runList(ctx);
    if (sub == "add" && pos.size() == 1) return runAdd(ctx);
    if (sub == "remove" && pos.size() == 2) return runRemove(ctx, pos[1]);
    if (sub == "due" && pos.size() == 1) return runDue(ctx);
    return usage();
}

} // namespace
} // namespace mrt

MRT_TOOL_COMMAND(repeat,
                 "repeat list | add ... | remove N | due [--until D] [--apply]: the recurring lines and the lines "
                 "they made due (run \"repeat\" alone for the options)",
                 mrt::runRepeat);
