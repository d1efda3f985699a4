#include "totals/YearReport.h"

#include "ledger/LedgerBlock.h"
#include "ledger/LedgerFiles.h"
#include "names/NameTables.h"
#include "totals/Totals.h"
#include "util/ByteBuffer.h"
#include "util/Cp932.h"
#include "util/Paths.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <unordered_map>

namespace mrt {

namespace {

// Ledger lines as the report needs them: date, amounts and the totals row, the texts but the item
// name never decoded. Item names are matched on their file bytes; a name the lists do not hold
// in those bytes is decoded and matched as the totals match it.
class LineRows {
public:
    explicit LineRows(const TotalsState& rowsOf) : m_rowsOf(rowsOf) {
        for (int side = 0; side < 2; ++side) {
            const std::vector<std::string>& list = side == 0 ? rowsOf.incomeList : rowsOf.expenseList;
            for (size_t pos = 1; pos < list.size(); ++pos) {
                char field[kItemNameBytes];
                if (!EncodeField(list[pos], kItemNameBytes, field)) continue;
                const std::string key(TrimmedRight(std::string_view(field, kItemNameBytes)));
                if (key.empty()) continue;
                m_rows[side].emplace(key, side == 0 ? static_cast<int>(pos) : rowsOf.nIn + static_cast<int>(pos));
            }
        }
    }
    // The totals row of the encoded line `src` whose numbers are `rec`.
    int RowOf(const char* src, IoRecord& rec) {
        const int side = rec.Income >= 1 ? 0 : 1;
        const std::string_view raw = TrimmedRight(std::string_view(src + 6, kItemNameBytes));
        if (raw.empty()) return side == 0 ? m_rowsOf.nIn : m_rowsOf.nIn + m_rowsOf.nOut;
        if (auto it = m_rows[side].find(std::string(raw)); it != m_rows[side].end()) return it->second;
        DecodeFieldTrimmedInto(src + 6, kItemNameBytes, rec.ItemName);
        return ClassifyLine(rec, m_rowsOf.incomeList, m_rowsOf.expenseList).row;
    }

private:
    const TotalsState& m_rowsOf;
    std::unordered_map<std::string, int> m_rows[2];
};

// Visits the lines of the months (fromY, fromM)..(toY, toM) that hold lines, and no other month,
// with the checks of a block load on their dates and amounts. 0 read; -1 a year file is missing,
// short or unreadable, or a line is damaged (`why` says which; nothing shown).
int forEachLine(const LedgerIndex& index, int fromY, int fromM, int toY, int toM, Dialogs& dlg, std::string& why,
                const std::function<void(const char*, IoRecord&)>& visit) {
    if (index.YearCount == 0 || index.FirstYear == 0) return 0;
    if (CompareYearMonth(fromY, fromM, index.FirstYear, index.FirstMonth) < 0) {
        fromY = index.FirstYear;
        fromM = index.FirstMonth;
    }
    if (CompareYearMonth(toY, toM, index.LastYear, index.LastMonth) > 0) {
        toY = index.LastYear;
        toM = index.LastMonth;
    }
    IoFileReader file;
    ByteBuffer bytes;
    IoRecord rec;
    for (int y = fromY; y <= toY; ++y) {
        const int yi = index.YearIndex(y);
        if (!index.HoldsYearIndex(yi) || index.YearLines[yi - 1] < 1) continue;
        const int m0 = y == fromY ? fromM : 1, m1 = y == toY ? toM : 12;
        bool any = false;
        for (int m = m0; m <= m1; ++m)
            any = any || index.Inf(yi, m).LineCount > 0;
        if (!any) continue;
        if (file.Open(index, y, dlg) < 0) {
            why = file.Error();
            return -1;
        }
        const std::array<int, 13> ms = MonthStartTable(index, yi);
        if (!file.Existed() || file.RecordCount() < ms[12]) {
            why = file.Name() + ": 入出金情報ファイルの記録数に足りません";
            return -1;
        }
        for (int m = m0; m <= m1; ++m) {
            const int count = index.Inf(yi, m).LineCount;
            if (count <= 0) continue;
            if (!file.Read(ms[m - 1] + 1, count, bytes)) {
                why = file.Error();
                return -1;
            }
            for (int k = 0; k < count; ++k) {
                const char* src = bytes.data() + static_cast<size_t>(k) * kIoRecordSize;
                rec = DecodeIoNumbers(src);
                if (std::string damage = LineDamage(rec, y, m); !damage.empty()) {
                    why = file.Name() + " " + std::to_string(m) + "月 " + std::to_string(k + 1) + "行目: " + damage;
                    return -1;
                }
                visit(src, rec);
            }
        }
    }
    return 0;
}

// Months of `year` within the ledger's first..last month.
int coveredMonthsOf(const LedgerIndex& index, int year) {
    if (index.YearCount == 0 || index.FirstYear == 0) return 0;
    int n = 0;
    for (int m = 1; m <= 12; ++m)
        if (CompareYearMonth(year, m, index.FirstYear, index.FirstMonth) >= 0 &&
            CompareYearMonth(year, m, index.LastYear, index.LastMonth) <= 0)
            ++n;
    return n;
}

int64_t roundedDiv(int64_t a, int64_t b) {
    if (b <= 0) return 0;
    return a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b);
}

} // namespace

std::string YearReport::MonthHeader(int month) const {
    return std::to_string(month) + (options.periods ? "月締" : "月");
}

std::string YearReport::Title() const {
    std::string t = std::to_string(options.year) + "年";
    if (options.periods) {
        const int c = EffectiveClosingDay(options.closingDay);
        t += c == 31 ? "(末日締)" : "(" + std::to_string(c) + "日締)";
    }
    return t;
}

int ComputeYearReport(const LedgerIndex& index, const NameTables& names, const BgtRecord& budget,
                      const YearReportOptions& options, YearReport& out, Dialogs& dlg, std::string& why) {
    out = YearReport();
    out.options = options;
    const int year = options.year;
    const int closingDay = EffectiveClosingDay(options.closingDay);
    const bool shifted = options.periods && closingDay < 31;

    TotalsState rowsOf;
    BuildTotalsRows(names, rowsOf);
    const int nIn = rowsOf.nIn, nOut = rowsOf.nOut;

    // Sums per totals row (1..nIn + nOut): [0] the year, [1] the year before.
    std::vector<std::array<int64_t, 12>> sums[2];
    sums[0].assign(static_cast<size_t>(nIn + nOut) + 1, {});
    sums[1].assign(static_cast<size_t>(nIn + nOut) + 1, {});
    const int firstYear = options.withPrevious ? year - 1 : year;
    int fromY = firstYear, fromM = 1;
    if (shifted) AddMonths(fromY, fromM, -1);
    LineRows rows(rowsOf);
    const int r = forEachLine(index, fromY, fromM, year, 12, dlg, why, [&](const char* src, IoRecord& line) {
        int y = line.Year, m = line.Month;
        if (shifted) ClosingMonthOf(CivilDate{line.Year, line.Month, line.Day}, closingDay, y, m);
        if (y != year && y != firstYear) return;
        sums[y == year ? 0 : 1][rows.RowOf(src, line)][m - 1] += line.Income >= 1 ? line.Income : line.Expense;
        if (y == year) ++out.lines;
    });
    if (r != 0) return -1;

    out.coveredMonths = coveredMonthsOf(index, year);
    out.previousCovered = options.withPrevious && coveredMonthsOf(index, year - 1) > 0;

    auto addRow = [&](YearReportRow::Kind kind, int side, const std::string& name, int totalsRow) {
        YearReportRow r;
        r.kind = kind;
        r.side = side;
        r.name = name;
        r.monthBudgets.fill(-1);
        if (totalsRow > 0) {
            r.months = sums[0][totalsRow];
            for (int64_t v : sums[1][totalsRow])
                r.previous += v;
        }
        // The year's budget of a registered item: its monthly budgets that are set.
        if (kind == YearReportRow::Kind::Item && budget.HeldYear == year) {
            const int pos = side == 0 ? totalsRow : totalsRow - nIn;
            const int slot = rowsOf.itemSlots[side][pos];
            if (slot >= 1 && slot <= kBudgetSlotMax[side]) {
                for (int m = 1; m <= 12; ++m) {
                    const int32_t b = budget.at(m, side, slot);
                    if (b < 0) continue;
                    r.hasBudget = true;
                    r.budget += b;
                    r.monthBudgets[m - 1] = b;
                }
            }
        }
        out.rows.push_back(r);
    };
    auto addSum = [&](YearReportRow::Kind kind, int side, const std::string& name, size_t first, size_t last) {
        YearReportRow r;
        r.kind = kind;
        r.side = side;
        r.name = name;
        r.monthBudgets.fill(-1);
        for (size_t i = first; i < last; ++i) {
            const YearReportRow& s = out.rows[i];
            for (int m = 0; m < 12; ++m) {
                r.months[m] += s.months[m];
                if (s.monthBudgets[m] >= 0)
                    r.monthBudgets[m] = std::max<int64_t>(r.monthBudgets[m], 0) + s.monthBudgets[m];
            }
            r.previous += s.previous;
            if (s.hasBudget) r.hasBudget = true, r.budget += s.budget;
        }
        out.rows.push_back(r);
    };

    const size_t incomeFirst = out.rows.size();
    for (int pos = 1; pos < nIn; ++pos)
        addRow(YearReportRow::Kind::Item, 0, rowsOf.rowNames[pos], pos);
    addRow(YearReportRow::Kind::Unknown, 0, "(不明)", nIn);
    const size_t incomeSum = out.rows.size();
    addSum(YearReportRow::Kind::IncomeSum, 0, "(入金合計)", incomeFirst, incomeSum);
    const size_t expenseFirst = out.rows.size();
    for (int pos = 1; pos < nOut; ++pos)
        addRow(YearReportRow::Kind::Item, 1, rowsOf.rowNames[nIn + pos], nIn + pos);
    addRow(YearReportRow::Kind::Unknown, 1, "(不明)", nIn + nOut);
    const size_t expenseSum = out.rows.size();
    addSum(YearReportRow::Kind::ExpenseSum, 1, "(出金合計)", expenseFirst, expenseSum);
    {
        YearReportRow b;
        b.kind = YearReportRow::Kind::Balance;
        b.side = 0;
        b.name = "(収支差引)";
        const YearReportRow& in = out.rows[incomeSum];
        const YearReportRow& ex = out.rows[expenseSum];
        for (int m = 0; m < 12; ++m) {
            b.months[m] = in.months[m] - ex.months[m];
            const bool any = in.monthBudgets[m] >= 0 || ex.monthBudgets[m] >= 0;
            b.monthBudgets[m] =
                any ? std::max<int64_t>(in.monthBudgets[m], 0) - std::max<int64_t>(ex.monthBudgets[m], 0) : -1;
        }
        b.previous = in.previous - ex.previous;
        b.hasBudget = in.hasBudget || ex.hasBudget;
        b.budget = in.budget - ex.budget;
        out.rows.push_back(b);
    }

    for (YearReportRow& r : out.rows) {
        r.total = 0;
        for (int64_t v : r.months)
            r.total += v;
        r.average = roundedDiv(r.total, out.coveredMonths);
        if (r.hasBudget) r.difference = r.total - r.budget;
        r.hasPrevious = out.previousCovered;
        if (!r.hasPrevious) r.previous = 0;
        r.hasChange = r.hasPrevious && r.previous != 0;
        if (r.hasChange)
            r.change = static_cast<double>(r.total - r.previous) / std::fabs(static_cast<double>(r.previous)) * 100.0;
    }
    return 0;
}

int LoadYearReport(const std::string& dataFolder, const YearReportOptions& options, YearReport& out, Dialogs& dlg,
                   std::string& why) {
    NameTables names;
    if (LoadItemTable(NameFilesIn(dataFolder).item, names, &why) < 0) return -1;
    LedgerState ledger;
    ledger.index.SetDataFolder(dataFolder);
    ledger.MaxBlockLines = INT_MAX;
    if (ScanLedgerYears(ledger, dlg) != 0) {
        why.clear(); // the scan has said why
        return -1;
    }
    BgtRecord budget;
    std::string folder = dataFolder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    const BudgetPlace place{folder, ResolveCase(folder, "BU") + "/"};
    if (LoadBudget(budget, options.year, names.items, place, dlg) != 0) budget.HeldYear = 0;
    return ComputeYearReport(ledger.index, names, budget, options, out, dlg, why);
}

std::string YearChangeText(const YearReportRow& row) {
    if (!row.hasChange) return {};
    // Rounded to tenths the way the CSV writes it.
    const long long tenths = std::llround(row.change * 10);
    const long long a = tenths < 0 ? -tenths : tenths;
    return (tenths < 0 ? "-" : "") + std::to_string(a / 10) + "." + std::to_string(a % 10) + "%";
}

} // namespace mrt
