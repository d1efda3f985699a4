#pragma once
#include "budget/Budget.h"
#include "ledger/LedgerIndex.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace mrt {

class Dialogs;
struct NameTables;

// What a year report covers: a calendar year in calendar months, or in the twelve closing
// periods whose closing months lie in the year (period m runs from the day after month m - 1's
// closing day to month m's closing day, so period 1 starts in December of the year before).
struct YearReportOptions {
    int year = 0;
    bool periods = false;
    int closingDay = 31;      // used with periods; a value outside 1..31 is 31
    bool withPrevious = true; // also the year before's totals and the change in %
};

// One row of the report. Amounts in yen.
struct YearReportRow {
    enum class Kind { Item, Unknown, IncomeSum, ExpenseSum, Balance };
    Kind kind = Kind::Item;
    int side = 0; // 0 income, 1 expense; the balance row counts as income
    std::string name;
    std::array<int64_t, 12> months{}; // [month or closing month - 1]
    int64_t total = 0;
    int64_t average = 0; // total / covered months, rounded half away from zero
    bool hasBudget = false;
    int64_t budget = 0;                     // the sum of the year's monthly budgets
    std::array<int64_t, 12> monthBudgets{}; // each month's budget; -1 none
    int64_t difference = 0;                 // total - budget (with a budget only)
    bool hasPrevious = false;
    int64_t previous = 0;
    bool hasChange = false; // previous year known and not zero
    double change = 0;      // (total - previous) / |previous| × 100

    bool IsSummary() const { return kind == Kind::IncomeSum || kind == Kind::ExpenseSum || kind == Kind::Balance; }
};

// The report: income items, "(不明)", "(入金合計)", expense items, "(不明)", "(出金合計)", then
// "(収支差引)" (income minus expense).
struct YearReport {
    YearReportOptions options;
    std::vector<YearReportRow> rows;
    int coveredMonths = 0;        // months of the year within the ledger's first..last month (0..12)
    bool previousCovered = false; // the ledger reaches into the year before
    int64_t lines = 0;            // ledger lines counted in the year

    // "1月" .. "12月", or "1月締" .. "12月締".
    std::string MonthHeader(int month) const;
    // "2026年" or "2026年(25日締)".
    std::string Title() const;
};

// Builds the report from the ledger files described by `index`, reading only the month regions
// of the year (and of the year before, and for closing periods the December before each), with
// the item rows of `names` and the budget of the year in `budget` (ignored unless it holds the
// year). 0 computed; -1 the ledger files could not be read (nothing shown; `why` says why).
int ComputeYearReport(const LedgerIndex& index, const NameTables& names, const BgtRecord& budget,
                      const YearReportOptions& options, YearReport& out, Dialogs& dlg, std::string& why);

// The report of one data folder ("…/Data1/"): reads its item table, the information files of
// its ledger and the budget file of the year, then computes as above. 0 computed; -1 the folder
// cannot be read: `why` says why, or is empty when a message was shown already (a damaged
// ledger). A damaged budget file may ask to be restored from "BU/".
int LoadYearReport(const std::string& dataFolder, const YearReportOptions& options, YearReport& out, Dialogs& dlg,
                   std::string& why);

// "12.3%" / "-4.0%" with one decimal; empty without a change.
std::string YearChangeText(const YearReportRow& row);

} // namespace mrt
