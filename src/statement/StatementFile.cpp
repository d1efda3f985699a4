#include "statement/StatementFile.h"

#include "util/Csv.h"
#include "util/HalfWidth.h"

#include <algorithm>
#include <cctype>

namespace mrt {
namespace {

constexpr size_t kHeaderSearchRows = 30;
constexpr size_t kSampleRows = 5;
constexpr const char* kNoDate = "日付がありません。";

std::string cell(const std::vector<std::string>& cells, const ColumnMap& map, ColumnRole role) {
    const int at = map[role];
    if (at < 0 || static_cast<size_t>(at) >= cells.size()) return {};
    return cells[static_cast<size_t>(at)];
}

bool hasDigit(std::string_view s) {
    const std::string half = HalfWidthDigits(s);
    return std::any_of(half.begin(), half.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool blank(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t'; });
}

bool mentions(const std::string& text, const char* word) {
    return ShopKey(text).find(ShopKey(word)) != std::string::npos;
}

// Reads the amounts of a row into `row.amount`; false with row.problem set.
bool readAmount(const std::vector<std::string>& cells, const Layout& layout, StatementRow& row, bool& any) {
    any = false;
    int64_t total = 0;
    for (ColumnRole role : {ColumnRole::Out, ColumnRole::In, ColumnRole::Signed}) {
        const std::string text = cell(cells, layout.map, role);
        bool bad = false;
        const std::optional<int64_t> v = ParseStatementAmount(text, bad);
        if (bad) {
            row.problem = "金額「" + text + "」が読めません。";
            return false;
        }
        if (!v || *v == 0) continue;
        any = true;
        switch (role) {
        case ColumnRole::Out:
            total += *v;
            break;
        case ColumnRole::In:
            total -= *v < 0 ? -*v : *v;
            break;
        default:
            if (layout.sign == SignRule::SpendPositive)
                total += *v;
            else if (layout.sign == SignRule::SpendNegative)
                total -= *v;
            else
                total += *v < 0 ? -*v : *v;
            break;
        }
    }
    row.amount = total;
    return true;
}

// The statement's own marks of a line that is no household spending.
std::string skipOf(const std::vector<std::string>& cells, const Layout& layout, const StatementRow& row) {
    const std::string kind =
        cell(cells, layout.map, ColumnRole::Kind) + " " + cell(cells, layout.map, ColumnRole::Kind2);
    if (mentions(kind, "チャージ") || mentions(kind, "ﾁｬｰｼﾞ")) return "チャージ (明細の区分)";
    if (mentions(kind, "振替") || mentions(kind, "transfer")) return "振替 (明細の区分)";
    if (mentions(row.shop, "チャージ")) return "チャージ (明細の内容)";
    const std::string include = cell(cells, layout.map, ColumnRole::Include);
    if (layout.map[ColumnRole::Include] >= 0 && ShopKey(include) == "0") return "計算対象外 (明細の指定)";
    const std::string transfer = ShopKey(cell(cells, layout.map, ColumnRole::Transfer));
    if (!transfer.empty() && transfer != "0") return "振替 (明細の指定)";
    return {};
}

void readRow(const CsvRecord& rec, const Layout& layout, std::vector<StatementRow>& rows) {
    const std::vector<std::string>& c = rec.cells;
    StatementRow row;
    row.lineNo = rec.lineNo;
    const std::string dateText = cell(c, layout.map, ColumnRole::Date);
    bool anyAmount = false;
    StatementRow probe;
    const bool amountRead = readAmount(c, layout, probe, anyAmount);
    // Footers and notes ("合計", a blank line of commas) carry no date.
    if (!hasDigit(dateText)) {
        if (blank(dateText) && !anyAmount && amountRead) return;
        if (!blank(dateText) && !hasDigit(dateText)) return;
        row.problem = kNoDate;
        rows.push_back(std::move(row));
        return;
    }
    if (!ParseStatementDate(dateText, row.year, row.month, row.day)) {
        row.problem = "日付「" + dateText + "」が読めません。";
        rows.push_back(std::move(row));
        return;
    }
    row.rawShop = cell(c, layout.map, ColumnRole::Shop);
    if (blank(row.rawShop)) row.rawShop = cell(c, layout.map, ColumnRole::ShopAlt);
    row.shop = NormaliseShopName(row.rawShop);
    if (const std::string second = NormaliseShopName(cell(c, layout.map, ColumnRole::Shop2)); !second.empty())
        row.shop += row.shop.empty() ? second : "→" + second;
    row.memo = NormaliseShopName(cell(c, layout.map, ColumnRole::Memo));
    row.category = NormaliseShopName(cell(c, layout.map, ColumnRole::Category));
    row.subCategory = NormaliseShopName(cell(c, layout.map, ColumnRole::SubCategory));
    if (!amountRead) {
        row.problem = probe.problem;
    } else {
        row.amount = probe.amount;
        row.skip = skipOf(c, layout, row);
        if (row.skip.empty() && !anyAmount) row.skip = "金額なし";
        if (row.skip.empty() && row.amount == 0) row.skip = "金額 0";
    }
    rows.push_back(std::move(row));
}

// Years for the rows without one: from the file's dated rows when it has any, else from `year`.
// Rows follow each other in time (either way): a month half a year from the one before turns
// the year.
bool fillYears(std::vector<StatementRow>& rows, int year, bool& guessed) {
    int known = 0;
    for (const StatementRow& r : rows)
        if (r.problem.empty() && r.year != 0) known = r.year;
    bool missing = false;
    for (const StatementRow& r : rows)
        if (r.problem.empty() && r.year == 0) missing = true;
    if (!missing) return true;
    int y = known != 0 ? known : year;
    if (y == 0) return false;
    guessed = known == 0;
    int lastMonth = 0;
    for (StatementRow& r : rows) {
        if (!r.problem.empty()) continue;
        if (r.year != 0) {
            y = r.year, lastMonth = r.month;
            continue;
        }
        if (lastMonth != 0 && r.month + 6 <= lastMonth)
            ++y;
        else if (lastMonth != 0 && r.month >= lastMonth + 6)
            --y;
        r.year = y;
        lastMonth = r.month;
    }
    // A day that the year makes impossible (29 February).
    for (StatementRow& r : rows)
        if (r.problem.empty() && r.month == 2 && r.day == 29 &&
            !((r.year % 4 == 0 && r.year % 100 != 0) || r.year % 400 == 0))
            r.problem = "日付「2/29」はその年にありません。";
    return true;
}

} // namespace

int StatementFile::BadRows() const {
    return static_cast<int>(
        std::count_if(rows.begin(), rows.end(), [](const StatementRow& r) { return !r.problem.empty(); }));
}

StatementFile ReadStatement(std::string_view bytes, const std::vector<CustomLayout>& custom, std::string_view only,
                            int year) {
    StatementFile f;
    std::string text;
    if (!DecodeStatementBytes(bytes, text, f.encoding, f.error)) return f;
    std::vector<CsvRecord> records;
    if (!ParseCsv(text, records, f.error)) return f;
    size_t at = 0;
    bool found = false;
    for (; at < records.size() && at < kHeaderSearchRows; ++at)
        if (RecogniseHeader(records[at].cells, custom, only, f.layout)) {
            found = true;
            break;
        }
    if (!found) {
        // The widest of the first rows is most likely the header.
        size_t widest = 0;
        for (size_t i = 0; i < records.size() && i < kHeaderSearchRows; ++i)
            if (records[i].cells.size() > records[widest].cells.size()) widest = i;
        if (!records.empty()) {
            f.header = records[widest].cells;
            f.headerLine = records[widest].lineNo;
            for (size_t i = widest + 1; i < records.size() && f.sampleRows.size() < kSampleRows; ++i)
                f.sampleRows.push_back(records[i].cells);
        }
        f.needsMapping = true;
        f.error = only.empty() ? "見出しの行から明細の形式がわかりません。列の割り当てが必要です。"
                               : "形式「" + std::string(only) + "」の見出しの行が見つかりません。";
        return f;
    }
    f.header = records[at].cells;
    f.headerLine = records[at].lineNo;
    for (size_t i = at + 1; i < records.size(); ++i)
        readRow(records[i], f.layout, f.rows);
    // Totals below the last line ("ご請求額合計") carry an amount but no date.
    while (!f.rows.empty() && f.rows.back().problem == kNoDate)
        f.rows.pop_back();
    if (!fillYears(f.rows, year, f.yearGuessed)) {
        f.needsYear = true;
        f.error = "明細の日付に年がありません。年を指定してください。";
        f.rows.clear();
        return f;
    }
    if (f.rows.empty()) f.error = "取り込む明細の行がありません。";
    return f;
}

} // namespace mrt
