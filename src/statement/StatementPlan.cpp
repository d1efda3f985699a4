#include "statement/StatementPlan.h"

#include "ledger/LedgerBlock.h"
#include "ledger/LedgerIndex.h"
#include "ledger/LineRules.h"
#include "names/NameTables.h"
#include "port/ConsoleDialogs.h"
#include "util/Cp932.h"
#include "util/Csv.h"
#include "util/DateText.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <unordered_map>

namespace mrt {
namespace {

// The ledger walk shows nothing; its result says what went wrong.
class QuietDialogs : public ConsoleDialogs {
public:
    void MsgOK(const std::string&, const std::string&, int, int) override {}
    MsgResult MsgBox(const std::string&, const std::string&, MsgIcon, MsgButtons) override { return MsgResult::Cancel; }
};

int32_t dayOf(int32_t ymd) {
    return DateKey(ymd / 10000, ymd / 100 % 100, ymd % 100);
}

std::string dateText(const IoRecord& l) {
    return FormatDate(l.Year, l.Month, l.Day);
}

int sideOf(const IoRecord& l) {
    return l.Income > 0 ? kIncomeKind : kExpenseKind;
}

int64_t amountOf(const IoRecord& l) {
    return l.Income > 0 ? l.Income : l.Expense;
}

// Statements whose negative amounts are cancellations and refunds of purchases (cards, prepaid
// money), rather than deposits of a bank account or income of a household app.
bool refundsPurchases(const Layout& layout) {
    return layout.sign == SignRule::SpendPositive && layout.map[ColumnRole::Out] < 0;
}

// Lookups of one planning: a statement names few shops many times.
using LookupCache = std::unordered_map<std::string, ShopProposal>;

// Proposes the item of a line from the rules, the ledger or the statement's category.
void propose(PlannedLine& p, const StatementRow& row, const PlanContext& ctx, LookupCache& cache) {
    const int kind = sideOf(p.line);
    const std::string cacheKey = std::to_string(kind) + p.line.ShopName;
    auto cached = cache.find(cacheKey);
    if (cached == cache.end())
        cached = cache.emplace(cacheKey, LookupShop(ctx.rules, ctx.ledger.learned, p.line.ShopName, kind)).first;
    const ShopProposal& sp = cached->second;
    p.line.ItemName.clear();
    p.line.Note.clear();
    p.source.clear();
    if (sp.source == ShopSource::Skip) {
        p.state = LineState::Skipped;
        p.reason = sp.Explain();
        p.source = sp.Explain();
        return;
    }
    if (sp.source != ShopSource::None) {
        p.line.ItemName = sp.item;
        p.line.Note = sp.breakdown;
        p.source = sp.Explain();
    } else if (!row.category.empty() && FindItemPosition(ctx.names, row.category, kind) > 0) {
        p.line.ItemName = row.category;
        p.line.Note = row.subCategory;
        p.source = "明細の分類";
    }
    // The statement's memo as the note, when no breakdown came with the item and it fits.
    if (p.line.Note.empty() && !CheckLineText(LineText::Note, row.memo)) p.line.Note = row.memo;
    if (CheckLineText(LineText::Note, p.line.Note)) p.line.Note.clear();
    p.state = p.line.ItemName.empty() ? LineState::NeedsItem : LineState::New;
}

// Purchases cancelled within the file: a refund takes the latest earlier purchase of the same
// shop and amount that nothing else took.
void pairCancellations(StatementPlan& plan) {
    std::vector<PlannedLine>& lines = plan.lines;
    std::map<std::pair<std::string, int64_t>, std::vector<size_t>> open;
    for (size_t i = 0; i < lines.size(); ++i) {
        PlannedLine& p = lines[i];
        if (p.state == LineState::Error || p.state == LineState::Skipped) continue;
        const auto key = std::make_pair(ShopKey(p.line.ShopName), amountOf(p.line));
        if (p.line.Expense > 0) {
            open[key].push_back(i);
            continue;
        }
        auto found = open.find(key);
        if (found == open.end() || found->second.empty()) {
            p.reason = "返金・取消: 購入の行がないため入金として取り込みます";
            continue;
        }
        PlannedLine& bought = lines[found->second.back()];
        found->second.pop_back();
        bought.state = p.state = LineState::Cancelled;
        bought.reason = std::to_string(plan.file.rows[static_cast<size_t>(p.row)].lineNo) + "行目の取消と相殺";
        p.reason = std::to_string(plan.file.rows[static_cast<size_t>(bought.row)].lineNo) + "行目の購入を取消";
    }
}

// Ledger lines answering for statement lines: the same day first, then the nearest within
// kDuplicateDays; each ledger line answers once.
void markDuplicates(StatementPlan& plan, const std::vector<IoRecord>& nearby) {
    struct Entry {
        int32_t day;
        const IoRecord* line;
        bool used = false;
    };
    std::unordered_map<std::string, std::vector<Entry>> byKey;
    auto keyOf = [](const IoRecord& l) {
        return ShopKey(l.ShopName) + '\n' + std::to_string(sideOf(l)) + '\n' + std::to_string(amountOf(l));
    };
    for (const IoRecord& l : nearby)
        if (l.Income > 0 || l.Expense > 0) byKey[keyOf(l)].push_back({DateKey(l), &l});
    for (int pass = 0; pass < 2; ++pass) {
        for (PlannedLine& p : plan.lines) {
            if (p.state != LineState::New && p.state != LineState::NeedsItem) continue;
            auto found = byKey.find(keyOf(p.line));
            if (found == byKey.end()) continue;
            const int32_t day = DateKey(p.line);
            Entry* best = nullptr;
            for (Entry& e : found->second) {
                const int32_t gap = std::abs(e.day - day);
                if (e.used || (pass == 0 ? gap != 0 : gap > kDuplicateDays)) continue;
                if (!best || gap < std::abs(best->day - day)) best = &e;
            }
            if (!best) continue;
            best->used = true;
            p.state = LineState::Duplicate;
            p.reason = "家計簿の " + dateText(*best->line) + " の行 (" + best->line->ItemName + ") と同じ";
        }
    }
}

// The shop of a line: the field holds at most its bytes; a longer one is cut only with consent.
void fitShop(PlannedLine& p, const std::string& shop) {
    p.line.ShopName = shop;
    p.fullShop.clear();
    if (CheckLineText(LineText::Shop, shop).kind == LineTextFault::TooLong) {
        p.fullShop = shop;
        p.line.ShopName = TrimRight(FitLeftBytes(shop, LineTextBytes(LineText::Shop)));
    }
}

// The lines the import would add, in file order, with the index of each.
std::vector<size_t> includedLines(const StatementPlan& plan) {
    std::vector<size_t> out;
    for (size_t i = 0; i < plan.lines.size(); ++i)
        if (plan.lines[i].include) out.push_back(i);
    return out;
}

std::string importCsv(const StatementPlan& plan, const std::vector<size_t>& which) {
    CsvWriter w;
    w.Reserve(which.size() * 80);
    for (size_t i : which) {
        const IoRecord& l = plan.lines[i].line;
        w.Text(dateText(l)).Text(l.ItemName).Text(l.Note).Text(l.ShopName);
        if (l.Income > 0)
            w.Number(l.Income).Empty();
        else
            w.Empty().Number(l.Expense);
        w.EndRow();
    }
    return std::string(w.Data());
}

ImportPlan planImport(const StatementPlan& plan, const std::vector<size_t>& which, const PlanContext& ctx) {
    return PlanImport(importCsv(plan, which), ctx.index, ctx.names, ctx.taxRate, ctx.registerItems);
}

} // namespace

int ReadStatementLedger(const LedgerIndex& idx, int32_t first, int32_t last, StatementLedger& out, std::string* why) {
    const int32_t from = first > 0 ? dayOf(first) - kDuplicateDays : 0;
    const int32_t to = last > 0 ? dayOf(last) + kDuplicateDays : -1;
    QuietDialogs quiet;
    return ForEachLedgerLine(
        idx, quiet,
        [&](const IoRecord& l) {
            out.learned.Add(l);
            const int32_t day = DateKey(l);
            if (day >= from && day <= to) out.nearby.push_back(l);
            return true;
        },
        why);
}

const char* LineStateName(LineState state) {
    switch (state) {
    case LineState::New:
        return "新規";
    case LineState::Duplicate:
        return "重複";
    case LineState::Skipped:
        return "対象外";
    case LineState::Cancelled:
        return "相殺";
    case LineState::NeedsItem:
        return "項目未定";
    case LineState::Error:
        break;
    }
    return "誤り";
}

int StatementPlan::Included() const {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const PlannedLine& p) { return p.include; }));
}

int64_t StatementPlan::IncludedOut() const {
    int64_t sum = 0;
    for (const PlannedLine& p : lines)
        if (p.include) sum += p.line.Expense;
    return sum;
}

int64_t StatementPlan::IncludedIn() const {
    int64_t sum = 0;
    for (const PlannedLine& p : lines)
        if (p.include) sum += p.line.Income;
    return sum;
}

int StatementPlan::IncludedProblems() const {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [](const PlannedLine& p) {
        return (p.include && !p.problem.empty()) || p.state == LineState::Error;
    }));
}

int StatementPlan::Count(LineState shown) const {
    return static_cast<int>(
        std::count_if(lines.begin(), lines.end(), [&](const PlannedLine& p) { return p.Shown() == shown; }));
}

StatementPlan PlanStatement(StatementFile file, const PlanContext& ctx) {
    StatementPlan plan;
    plan.file = std::move(file);
    plan.lines.reserve(plan.file.rows.size());
    LookupCache cache;
    for (size_t r = 0; r < plan.file.rows.size(); ++r) {
        const StatementRow& row = plan.file.rows[r];
        PlannedLine p;
        p.row = static_cast<int>(r);
        p.line.Year = static_cast<int16_t>(row.year);
        p.line.Month = static_cast<int16_t>(row.month);
        p.line.Day = static_cast<int16_t>(row.day);
        if (!row.problem.empty()) {
            p.state = LineState::Error;
            p.reason = row.problem;
            plan.lines.push_back(std::move(p));
            continue;
        }
        const int64_t magnitude = row.amount < 0 ? -row.amount : row.amount;
        const int32_t amount = magnitude > kMaxLedgerAmount ? kMaxLedgerAmount + 1 : static_cast<int32_t>(magnitude);
        (row.amount < 0 ? p.line.Income : p.line.Expense) = amount;
        fitShop(p, row.shop);
        if (!row.skip.empty()) {
            p.state = LineState::Skipped;
            p.reason = row.skip;
        } else {
            propose(p, row, ctx, cache);
        }
        plan.lines.push_back(std::move(p));
    }
    if (refundsPurchases(plan.file.layout)) pairCancellations(plan);
    markDuplicates(plan, ctx.ledger.nearby);
    for (PlannedLine& p : plan.lines)
        p.include = p.state == LineState::New;
    if (ctx.index.YearCount == 0)
        plan.ledgerError = "家計簿にまだ行がありません。先に開始日付と初期残高を登録してください。";
    CheckPlan(plan, ctx);
    return plan;
}

void CheckPlan(StatementPlan& plan, const PlanContext& ctx) {
    for (PlannedLine& p : plan.lines)
        p.problem.clear();
    plan.newItems.clear();
    const std::vector<size_t> which = includedLines(plan);
    for (size_t i : which) {
        PlannedLine& p = plan.lines[i];
        if (!p.fullShop.empty() && !p.cutConsented) {
            const LineTextFault fault = CheckLineText(LineText::Shop, p.fullShop);
            p.problem = LineTextMessage(LineText::Shop, fault) + " 切り詰めると「" + p.line.ShopName + "」";
        }
    }
    if (which.empty() || !plan.ledgerError.empty()) return;
    const ImportPlan checked = planImport(plan, which, ctx);
    if (!checked.fileError.empty()) {
        for (size_t i : which)
            plan.lines[i].problem = checked.fileError;
        return;
    }
    for (size_t k = 0; k < which.size() && k < checked.rows.size(); ++k)
        if (PlannedLine& p = plan.lines[which[k]]; p.problem.empty()) p.problem = checked.rows[k].problem;
    plan.newItems = checked.newItems;
}

void SetLineItem(StatementPlan& plan, int i, const std::string& item, const PlanContext& ctx) {
    PlannedLine& p = plan.lines.at(static_cast<size_t>(i));
    if (p.state == LineState::Error) return;
    p.line.ItemName = item;
    p.itemByHand = true;
    p.source = "手入力";
    if (p.state == LineState::NeedsItem || p.state == LineState::Skipped) {
        p.state = LineState::New;
        p.include = true;
    }
    CheckPlan(plan, ctx);
}

bool ToggleLine(StatementPlan& plan, int i, const PlanContext& ctx) {
    PlannedLine& p = plan.lines.at(static_cast<size_t>(i));
    if (!p.include && (p.state == LineState::Error || p.line.ItemName.empty())) return false;
    p.include = !p.include;
    CheckPlan(plan, ctx);
    return true;
}

bool ConsentCut(StatementPlan& plan, int i, const PlanContext& ctx) {
    PlannedLine& p = plan.lines.at(static_cast<size_t>(i));
    if (p.fullShop.empty()) return false;
    p.cutConsented = !p.cutConsented;
    CheckPlan(plan, ctx);
    return true;
}

ShopRule RuleFromLine(const StatementPlan& plan, int i, bool skip) {
    const PlannedLine& p = plan.lines.at(static_cast<size_t>(i));
    const std::string& shop = p.fullShop.empty() ? p.line.ShopName : p.fullShop;
    if (skip) return {shop, true, {}, {}};
    return {shop, false, p.line.ItemName, p.line.Note};
}

void ReapplyRules(StatementPlan& plan, const PlanContext& ctx) {
    LookupCache cache;
    for (PlannedLine& p : plan.lines) {
        if (p.itemByHand || p.state == LineState::Error || p.state == LineState::Cancelled ||
            p.state == LineState::Duplicate)
            continue;
        const StatementRow& row = plan.file.rows[static_cast<size_t>(p.row)];
        if (!row.skip.empty()) continue;
        const bool wasIncluded = p.include;
        const LineState was = p.state;
        propose(p, row, ctx, cache);
        p.include = p.state == LineState::New && (wasIncluded || was != LineState::New);
    }
    CheckPlan(plan, ctx);
}

ImportPlan ImportOf(const StatementPlan& plan, const PlanContext& ctx) {
    if (!plan.ledgerError.empty()) {
        ImportPlan none;
        none.fileError = plan.ledgerError;
        return none;
    }
    return planImport(plan, includedLines(plan), ctx);
}

std::string PreviewCsv(const StatementPlan& plan) {
    CsvWriter w;
    w.Reserve(plan.lines.size() * 120);
    for (const char* h : {"行", "日付", "明細の店名", "金額", "状態", "取込", "項目名", "内訳・備考", "店名・相手先",
                          "入金", "出金", "根拠", "理由"})
        w.Text(h);
    w.EndRow();
    for (const PlannedLine& p : plan.lines) {
        const StatementRow& row = plan.file.rows[static_cast<size_t>(p.row)];
        w.Number(row.lineNo);
        if (row.problem.empty())
            w.Text(dateText(p.line)).Text(row.rawShop).Number(row.amount);
        else
            w.Empty().Empty().Empty();
        w.Text(LineStateName(p.Shown())).Text(p.include ? "○" : "");
        w.Text(p.line.ItemName).Text(p.line.Note).Text(p.line.ShopName);
        if (p.line.Income > 0)
            w.Number(p.line.Income).Empty();
        else if (p.line.Expense > 0)
            w.Empty().Number(p.line.Expense);
        else
            w.Empty().Empty();
        w.Text(p.source).Text(p.problem.empty() ? p.reason : p.problem);
        w.EndRow();
    }
    return std::string(w.Data());
}

} // namespace mrt
