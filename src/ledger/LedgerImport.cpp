#include "ledger/LedgerImport.h"

#include "ledger/AmountExpr.h"
#include "ledger/LedgerBalance.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerCsv.h"
#include "ledger/LedgerSave.h"
#include "ledger/LineRules.h"
#include "ledger/StartDate.h"
#include "names/NameTables.h"
#include "port/Dialogs.h"
#include "util/Cp932.h"
#include "util/Csv.h"
#include "util/DateText.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <map>

namespace mrt {
namespace {

constexpr int kCellsNeeded = 6;

bool isHeader(const std::vector<std::string>& cells) {
    return !cells.empty() && (cells[0] == kLedgerCsvHeader[0] || cells[0] == kLedgerCsvHeaderJa[0]);
}

// A text cell: trailing blanks removed, then refused (naming the field and the rule) when it
// breaks the ledger's text rule; nothing is cut.
bool textCell(const std::string& text, LineText field, std::string& value, std::string& problem) {
    value = TrimRight(text);
    if (LineTextFault fault = CheckLineText(field, value)) {
        problem = LineTextMessage(field, fault);
        return false;
    }
    return true;
}

// An amount cell: an amount of a line as the grid takes it (blank is 0); `problem` says why not.
bool amountCell(const std::string& text, int taxRate, int32_t& amount, std::string& problem) {
    const LineAmountFault fault = CheckLineAmount(text, taxRate, amount);
    if (fault != LineAmountFault::None) problem = LineAmountMessage(fault);
    return fault == LineAmountFault::None;
}

bool wholeNumber(const std::string& text, int32_t& value) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    auto [end, ec] = std::from_chars(first, last, value);
    return first != last && ec == std::errc() && end == last;
}

class Planner {
public:
    Planner(const LedgerIndex& idx, const NameTables& names, int taxRate, bool registerItems)
        : m_names(names), m_taxRate(taxRate), m_register(registerItems) {
        if (idx.YearCount > 0) {
            m_start = DateNum(idx.FirstYear, idx.FirstMonth, idx.FirstDay);
            m_firstYear = idx.FirstYear;
        }
        m_room[kIncomeKind] = ItemMax[kIncomeKind] - names.items.ItemCount[kIncomeKind];
        m_room[kExpenseKind] = ItemMax[kExpenseKind] - names.items.ItemCount[kExpenseKind];
    }

    void Check(const CsvRecord& rec, ImportPlan& plan) {
        ImportRow row;
        row.lineNo = rec.lineNo;
        row.cells = rec.cells;
        const bool firstRow = plan.rows.empty();
        row.problem = checkRow(rec.cells, row.line, firstRow, plan);
        plan.rows.push_back(std::move(row));
    }

private:
    std::string checkRow(const std::vector<std::string>& c, IoRecord& l, bool firstRow, ImportPlan& plan) {
        if (c.size() < kCellsNeeded) return "列が足りません。(日付,項目名,内訳・備考,店名・相手先,入金,出金)";
        int y = 0, m = 0, d = 0;
        if (!ParseDateText(c[0], y, m, d) || CheckLineDate(y, m, d) != LineDateFault::None) return kBadDateMessage;
        l.Year = static_cast<int16_t>(y);
        l.Month = static_cast<int16_t>(m);
        l.Day = static_cast<int16_t>(d);
        std::string problem;
        if (!textCell(c[1], LineText::Item, l.ItemName, problem) || !textCell(c[2], LineText::Note, l.Note, problem) ||
            !textCell(c[3], LineText::Shop, l.ShopName, problem))
            return problem;
        if (!amountCell(c[4], m_taxRate, l.Income, problem) || !amountCell(c[5], m_taxRate, l.Expense, problem))
            return problem;

        // An empty ledger starts at its initial-balance line.
        if (m_start == 0) {
            if (!firstRow) return "最初の行(初期残高)を取り込めないため、この行も取り込めません。";
            if (l.ItemName != kInitialBalanceItem || l.Income != 0 || l.Expense != 0)
                return "家計簿にデータがありません。最初の行を初期残高の行(金額なし、残高に初期残高)にしてください。";
            if (c.size() < 7 || !wholeNumber(c[6], l.Balance)) return "初期残高の行の残高が異常です。";
            m_start = DateNum(l);
            m_firstYear = l.Year;
            plan.startsLedger = true;
            return {};
        }
        if (LineDateFault fault = CheckLineDate(l.Year, l.Month, l.Day, m_start); fault != LineDateFault::None)
            return LineDateMessage(fault);
        if (l.Year - m_firstYear + 1 > kMaxLedgerYears)
            return "家計簿に記録できるのは開始年から" + std::to_string(kMaxLedgerYears) + "年間です。";
        if (LineSideFault fault = CheckLineSide(l); fault != LineSideFault::None) return LineSideMessage(fault);
        return checkItem(l, plan);
    }

    std::string checkItem(const IoRecord& l, ImportPlan& plan) {
        const LineItemFault fault = CheckLineItem(m_names, l);
        if (!fault) return {};
        if (fault.kind != LineItemFault::NotRegistered || !m_register) return LineItemMessage(l, fault);
        const int kind = fault.side;
        const std::pair<int, std::string> item{kind, l.ItemName};
        if (std::find(plan.newItems.begin(), plan.newItems.end(), item) != plan.newItems.end()) return {};
        if (std::string why = CheckNameText(kItemTable, l.ItemName); !why.empty()) return why;
        if (m_room[kind] <= 0)
            return "項目名「" + l.ItemName + "」を登録できません。" + NameListFullMessage(kItemTable, kind);
        --m_room[kind];
        plan.newItems.push_back(item);
        return {};
    }

    const NameTables& m_names;
    int m_taxRate;
    bool m_register;
    int32_t m_start = 0;
    int m_firstYear = 0;
    int m_room[2] = {0, 0};
};

// Loads the block from the month of `from` (or the nearest earlier month with lines) through the
// months with lines up to `to`; reaching the ledger's last month makes it the newest block.
int loadRange(LedgerState& st, int fy, int fm, int ty, int tm, Dialogs& dlg) {
    LedgerIndex& idx = st.index;
    while (idx.LinesOf(fy, fm) == 0 && CompareYearMonth(fy, fm, idx.FirstYear, idx.FirstMonth) > 0)
        AddMonths(fy, fm, -1);
    if (CompareYearMonth(ty, tm, idx.LastYear, idx.LastMonth) > 0) {
        ty = idx.LastYear;
        tm = idx.LastMonth;
    }
    int withLines = 0;
    for (int y = fy, m = fm; CompareYearMonth(y, m, ty, tm) <= 0; AddMonths(y, m, 1))
        if (idx.LinesOf(y, m) > 0) ++withLines;
    idx.BlockStartYear = fy;
    idx.BlockStartMonth = fm;
    idx.BlockSpan = std::max(withLines, 1);
    st.MaxBlockLines = INT_MAX;
    int r = LoadLedgerBlock(st, st.block, false, dlg);
    if (r < 0) dlg.MsgOK(kLedgerReadFailedMessage, "読込みエラー");
    return r == 0 && !st.block.empty() ? 0 : -1;
}

// The block with the new lines, each after the last line (from the end) dated on or before it;
// new lines that meet at one place keep the order of their dates, then of the file.
std::vector<IoRecord> mergeLines(const std::vector<IoRecord>& block, std::vector<IoRecord> added) {
    // sufMin[i]: the earliest date of block[i..]; the place of a date d is after the last i with
    // sufMin[i] <= d, which is the last line dated on or before d.
    std::vector<int32_t> sufMin(block.size());
    int32_t low = INT32_MAX;
    for (size_t i = block.size(); i-- > 0;)
        sufMin[i] = low = std::min(low, DateNum(block[i]));
    std::stable_sort(added.begin(), added.end(),
                     [](const IoRecord& a, const IoRecord& b) { return DateNum(a) < DateNum(b); });
    std::vector<IoRecord> out;
    out.reserve(block.size() + added.size());
    size_t from = 0;
    for (IoRecord& l : added) {
        const auto place =
            static_cast<size_t>(std::upper_bound(sufMin.begin(), sufMin.end(), DateNum(l)) - sufMin.begin());
        for (; from < place; ++from)
            out.push_back(block[from]);
        out.push_back(std::move(l));
    }
    for (; from < block.size(); ++from)
        out.push_back(block[from]);
    return out;
}

bool rebalance(std::vector<IoRecord>& lines, int64_t before) {
    if (before < INT32_MIN || before > INT32_MAX) return false;
    int32_t balance = static_cast<int32_t>(before);
    for (IoRecord& l : lines) {
        if (!BalanceAfter(balance, l, balance)) return false;
        l.Balance = balance;
    }
    return true;
}

} // namespace

int ImportPlan::BadRows() const {
    return static_cast<int>(
        std::count_if(rows.begin(), rows.end(), [](const ImportRow& r) { return !r.problem.empty(); }));
}

ImportPlan PlanImport(std::string_view fileBytes, const LedgerIndex& idx, const NameTables& names, int taxRate,
                      bool registerItems) {
    ImportPlan plan;
    std::vector<CsvRecord> records;
    if (!ParseCsv(fileBytes, records, plan.fileError)) return plan;
    if (!records.empty() && isHeader(records.front().cells)) records.erase(records.begin());
    if (records.empty()) {
        plan.fileError = "取り込む行がありません。";
        return plan;
    }
    Planner planner(idx, names, taxRate, registerItems);
    for (const CsvRecord& rec : records)
        planner.Check(rec, plan);
    return plan;
}

int ApplyImport(LedgerState& st, NameTables& names, const NameFilePaths& files, const ImportPlan& plan, Dialogs& dlg) {
    constexpr const char* kTitle = "CSV取込";
    if (!plan.Ready()) return -1;
    std::vector<IoRecord> added;
    added.reserve(plan.rows.size());
    for (const ImportRow& r : plan.rows)
        added.push_back(r.line);
    const bool empty = st.index.YearCount == 0;
    if (empty != plan.startsLedger) {
        dlg.MsgOK("家計簿の内容が確認した時と変わっています。もう一度取り込んでください。", kTitle);
        return -1;
    }
    std::vector<IoRecord> lines;
    int64_t before = 0;
    if (empty) {
        const IoRecord start = added.front();
        added.erase(added.begin());
        lines = mergeLines({start}, std::move(added));
        before = start.Balance; // a line without amounts keeps the balance before it
        st.block.clear();
        st.BlockPos = kBlockWhole;
    } else {
        int fy = added.front().Year, fm = added.front().Month, ty = fy, tm = fm;
        for (const IoRecord& l : added) {
            if (CompareYearMonth(l.Year, l.Month, fy, fm) < 0) fy = l.Year, fm = l.Month;
            if (CompareYearMonth(l.Year, l.Month, ty, tm) > 0) ty = l.Year, tm = l.Month;
        }
        if (loadRange(st, fy, fm, ty, tm, dlg) != 0) return -1;
        before = BalanceBefore(st.block.front());
        lines = mergeLines(st.block, std::move(added));
    }
    if (!rebalance(lines, before)) {
        dlg.MsgOK("残高が計算できる範囲を超えました。データは取り込まれていません。", kTitle);
        return -1;
    }
    st.block = std::move(lines);
    st.PreSortF = HasDateDisorder(st.block);
    st.LedgerModified = true;
    if (SaveLedgerBlock(st, dlg) != 0) return -1;

    if (plan.newItems.empty()) return 0;
    const NameTables previous = names;
    for (const auto& [kind, name] : plan.newItems)
        AddName(names, kItemTable, kind, name);
    if (SaveItemTable(files.item, names, dlg) != 0) {
        names = previous;
        dlg.MsgOK("入出金データは取り込みましたが、新しい項目名は登録できませんでした。", kTitle);
        return 1;
    }
    return 0;
}

} // namespace mrt
