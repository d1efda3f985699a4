#pragma once
#include "ledger/IoRecord.h"
#include "ledger/LedgerImport.h"
#include "statement/ShopLookup.h"
#include "statement/StatementFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mrt {

struct LedgerIndex;
struct NameTables;

// A statement line within this many days of a ledger line of the same amount and shop is taken
// for that line.
constexpr int kDuplicateDays = 3;

// What the import needs of the ledger: the items learned from all of it, and its lines near the
// statement's dates.
struct StatementLedger {
    LearnedShops learned;
    std::vector<IoRecord> nearby; // lines dated within the statement's dates ± kDuplicateDays
};
// One walk over the ledger (ForEachLedgerLine). `first` and `last` are yyyymmdd (0 keeps no lines).
// 0 done; -1 a year file cannot be read (`why` says which).
int ReadStatementLedger(const LedgerIndex& idx, int32_t first, int32_t last, StatementLedger& out, std::string* why);

enum class LineState {
    New,       // will be added
    Duplicate, // the ledger has it already: left out unless ticked
    Skipped,   // a rule or the statement's own mark leaves it out (top-up, card bill, transfer)
    Cancelled, // a purchase and its cancellation in the same file: both left out
    NeedsItem, // no rule knows the shop: an item must be chosen
    Error,     // the line cannot be read, or would break a ledger rule (see PlannedLine::problem)
};
// "新規", "重複", "対象外", "相殺", "項目未定", "誤り".
const char* LineStateName(LineState state);

struct PlannedLine {
    int row = 0; // index of the statement row
    IoRecord line;
    LineState state = LineState::New;
    bool include = false;
    bool itemByHand = false;
    std::string source; // where the item came from ("規則「…」", "家計簿から (n 件)", "明細の分類", "手入力")
    std::string reason;   // what the state means for this line (duplicate of which line, skip reason)
    std::string problem;  // a ledger rule the included line breaks; the line shows as Error then
    std::string fullShop; // the shop before the cut, when it is longer than the field
    bool cutConsented = false;

    LineState Shown() const { return problem.empty() ? state : LineState::Error; }
};

// Whatever the preview holds; the presenter and the tool change it through the functions below.
struct StatementPlan {
    StatementFile file;
    std::vector<PlannedLine> lines;
    std::string ledgerError; // the ledger cannot take lines (no start date yet); nothing imports
    std::vector<std::pair<int, std::string>> newItems; // items the import registers (registerItems)

    int Included() const;
    int64_t IncludedOut() const;
    int64_t IncludedIn() const;
    int IncludedProblems() const; // included lines with a problem, unreadable rows included
    int Count(LineState shown) const;
};

// What planning reads.
struct PlanContext {
    const ShopRules& rules;
    const StatementLedger& ledger;
    const NameTables& names;
    const LedgerIndex& index;
    int taxRate = 0;
    bool registerItems = false; // items named by rules but not registered are registered with the lines
};

// Proposes a ledger line for every statement row: its item from the rules, the ledger or the
// statement's category; skips; purchases cancelled within the file; duplicates of ledger lines
// (a ledger line answers for one statement line only, so two equal coffees are two lines). Then
// CheckPlan.
StatementPlan PlanStatement(StatementFile file, const PlanContext& ctx);
// Checks every included line as the CSV import checks its rows (LineRules: dates against the start
// date, texts, amounts, sides, registered items); sets `problem` and `newItems`.
void CheckPlan(StatementPlan& plan, const PlanContext& ctx);

// ---- what the user changes ----
// Sets the item (by hand); the line then counts as new unless it is a duplicate or cancelled.
void SetLineItem(StatementPlan& plan, int i, const std::string& item, const PlanContext& ctx);
// Includes or leaves out the line. False when it cannot be included: unreadable, or without item.
bool ToggleLine(StatementPlan& plan, int i, const PlanContext& ctx);
// Takes the cut shop for a line whose shop is longer than the field. False when it needs none.
bool ConsentCut(StatementPlan& plan, int i, const PlanContext& ctx);
// A rule from the line: its shop to its item and breakdown, or to skip.
ShopRule RuleFromLine(const StatementPlan& plan, int i, bool skip);
// Proposes items again after the rules changed; lines set by hand keep theirs.
void ReapplyRules(StatementPlan& plan, const PlanContext& ctx);

// The included lines as an import (LedgerImport's plan); Ready() only when every one passes.
ImportPlan ImportOf(const StatementPlan& plan, const PlanContext& ctx);

// The preview as CSV (UTF-8): one record per statement row.
std::string PreviewCsv(const StatementPlan& plan);

} // namespace mrt
