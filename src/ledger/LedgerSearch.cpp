#include "ledger/LedgerSearch.h"

#include "ledger/AmountExpr.h"
#include "ledger/LedgerFiles.h"
#include "util/Cp932.h"
#include "util/DateText.h"
#include "util/Paths.h"
#include "util/TextFold.h"

#include <algorithm>
#include <cstring>

namespace mrt {
namespace {

// Field offsets of an encoded IoRecord.
constexpr size_t kItemOffset = 6;
constexpr size_t kNoteOffset = kItemOffset + kItemNameBytes;
constexpr size_t kShopOffset = kNoteOffset + kNoteBytes;

int16_t le16At(const char* p) {
    return static_cast<int16_t>(static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[1]) << 8);
}

// Blanks around the text (half- and full-width) do not take part in the match.
std::string trimmedQuery(const std::string& text) {
    std::string t = text;
    auto trimFront = [&] {
        for (;;) {
            if (!t.empty() && (t[0] == ' ' || t[0] == '\t'))
                t.erase(0, 1);
            else if (t.rfind("\xE3\x80\x80", 0) == 0)
                t.erase(0, 3);
            else
                return;
        }
    };
    auto trimBack = [&] {
        for (;;) {
            if (!t.empty() && (t.back() == ' ' || t.back() == '\t'))
                t.pop_back();
            else if (t.size() >= 3 && t.compare(t.size() - 3, 3, "\xE3\x80\x80") == 0)
                t.resize(t.size() - 3);
            else
                return;
        }
    };
    trimFront();
    trimBack();
    return t;
}

class LineMatcher {
public:
    explicit LineMatcher(const SearchQuery& q) : m_q(q) {
        std::string text = trimmedQuery(q.text);
        m_anyText = text.empty();
        if (!m_anyText) m_possible = FoldUtf8(text, m_needle);
    }

    bool Possible() const { return m_possible; }

    // rec: an encoded line of (year, month).
    bool Matches(const char* rec, int year, int month) {
        if (m_q.fromDate > 0 || m_q.toDate > 0) {
            const int32_t date = year * 10000 + month * 100 + le16At(rec + 4);
            if (m_q.fromDate > 0 && date < m_q.fromDate) return false;
            if (m_q.toDate > 0 && date > m_q.toDate) return false;
        }
        if (m_q.minAmount >= 0 || m_q.maxAmount >= 0) {
            const int32_t income = EncodedIncome(rec);
            const int32_t amount = income >= 1 ? income : EncodedExpense(rec);
            if (m_q.minAmount >= 0 && amount < m_q.minAmount) return false;
            if (m_q.maxAmount >= 0 && amount > m_q.maxAmount) return false;
        }
        if (m_anyText) return true;
        return fieldHas(rec + kItemOffset, kItemNameBytes) || fieldHas(rec + kNoteOffset, kNoteBytes) ||
               fieldHas(rec + kShopOffset, kShopNameBytes);
    }

private:
    // The blanks that pad a field are left out before folding.
    bool fieldHas(const char* field, int bytes) {
        size_t n = static_cast<size_t>(bytes);
        while (n > 0 && field[n - 1] == ' ')
            --n;
        if (n < m_needle.size()) return false;
        uint16_t folded[kNoteBytes];
        const size_t units = FoldCp932To(std::string_view(field, n), folded);
        return FoldedContains(folded, units, m_needle);
    }

    const SearchQuery& m_q;
    bool m_anyText = true;
    bool m_possible = true;
    FoldedText m_needle;
};

} // namespace

int SearchLedger(const LedgerIndex& idx, const SearchQuery& query, SearchResult& result, std::string* error) {
    result = SearchResult{};
    LineMatcher matcher(query);
    if (!matcher.Possible() || idx.YearCount == 0) return 0;
    const int firstYear = query.fromDate > 0 ? std::max(idx.FirstYear, query.fromDate / 10000) : idx.FirstYear;
    const int lastYear = query.toDate > 0 ? std::min(idx.LastYear, query.toDate / 10000) : idx.LastYear;
    IoFileReader file;
    ByteBuffer bytes;
    struct Found {
        int day;
        int slot;
    };
    std::vector<Found> monthFound;
    for (int y = lastYear; y >= firstYear; --y) {
        const int yi = idx.YearIndex(y);
        if (!idx.HoldsYearIndex(yi) || idx.YearLines[yi - 1] < 1) continue;
        const std::string path = IoFileName(idx, y);
        if (file.OpenPath(path) < 0) {
            if (error) *error = "入出金ファイルが読めません。(" + path + ")";
            result = SearchResult{};
            return -1;
        }
        const std::array<int, 13> ms = MonthStartTable(idx, yi);
        auto recordAt = [&](int k) { return bytes.data() + static_cast<size_t>(k - 1) * kIoRecordSize; };
        for (int m = 12; m >= 1; --m) {
            const int count = idx.Inf(yi, m).LineCount;
            // Months outside the asked dates are not read.
            if ((query.fromDate > 0 && y * 100 + m < query.fromDate / 100) ||
                (query.toDate > 0 && y * 100 + m > query.toDate / 100))
                continue;
            if (ms[m - 1] + count > file.RecordCount()) {
                if (error) *error = "入出金ファイルが途中で終わっています。(" + path + ")";
                result = SearchResult{};
                return -1;
            }
            // Only the month's lines are read, not the fillers of its region.
            if (!file.Read(ms[m - 1] + 1, count, bytes)) {
                if (error) *error = "入出金ファイルが読めません。(" + path + ")";
                result = SearchResult{};
                return -1;
            }
            monthFound.clear();
            for (int k = count; k >= 1; --k) {
                const char* rec = recordAt(k);
                if (le16At(rec) != y || le16At(rec + 2) != m) continue; // not a line of this month
                if (matcher.Matches(rec, y, m)) monthFound.push_back({le16At(rec + 4), k});
            }
            result.total += static_cast<int64_t>(monthFound.size());
            // A month's lines may be out of day order until its block is sorted; only the lines
            // kept are decoded.
            std::stable_sort(monthFound.begin(), monthFound.end(),
                             [](const Found& a, const Found& b) { return a.day > b.day; });
            for (const Found& f : monthFound) {
                if (result.hits.size() >= query.limit) break;
                result.hits.push_back(SearchHit{DecodeIoRecord(recordAt(f.slot)), f.slot});
            }
        }
    }
    return 0;
}

} // namespace mrt

namespace mrt {
namespace {

std::string withoutBlanks(const std::string& s) {
    std::string t;
    for (char c : s)
        if (c != ' ' && c != '\t') t += c;
    return t;
}

bool amountBound(const std::string& text, int32_t& amount) {
    std::string t;
    for (char c : withoutBlanks(text))
        if (c != ',') t += c;
    if (t.empty()) {
        amount = -1;
        return true;
    }
    if (t.size() > 8 || t.find_first_not_of("0123456789") != std::string::npos) return false;
    amount = static_cast<int32_t>(std::stol(t));
    return true;
}

} // namespace

bool ParseDateBound(const std::string& text, int32_t& date) {
    const std::string t = withoutBlanks(text);
    date = 0;
    if (t.empty()) return true;
    int y = 0, m = 0, d = 0;
    if (!ParseDateText(t, y, m, d) || !IsValidDate(y, m, d)) return false;
    date = DateNum(y, m, d);
    return true;
}

bool SearchQueryOf(const std::string& text, const std::string& from, const std::string& to, const std::string& min,
                   const std::string& max, SearchQuery& query, std::string& problem) {
    SearchQuery q = query;
    q.text = text;
    if (!ParseDateBound(from, q.fromDate) || !ParseDateBound(to, q.toDate)) {
        problem = "日付が異常です。";
        return false;
    }
    if (!amountBound(min, q.minAmount) || !amountBound(max, q.maxAmount)) {
        problem = kAmountRangeMessage;
        return false;
    }
    if ((q.fromDate && q.toDate && q.fromDate > q.toDate) ||
        (q.minAmount >= 0 && q.maxAmount >= 0 && q.minAmount > q.maxAmount)) {
        problem = "範囲の始めが終わりより後になっています。";
        return false;
    }
    query = q;
    return true;
}

} // namespace mrt
