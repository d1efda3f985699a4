#include "totals/TotalsText.h"

#include "util/DateText.h"

#include <cstdio>

namespace mrt {

namespace {

std::string twoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

std::string fullWidthDigits(int v) {
    static const char* kDigits[10] = {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
    std::string out;
    for (char c : std::to_string(v))
        out += kDigits[c - '0'];
    return out;
}

std::string longDate(const CivilDate& d) {
    return std::to_string(d.year) + "年" + std::to_string(d.month) + "月" + std::to_string(d.day) + "日";
}

std::string ledgerDate(int y, int m, int d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d", y);
    return std::string(buf) + "年" + twoDigits(m) + "月" + twoDigits(d) + "日";
}

} // namespace

CivilDate TotalsColumnDate(const TotalsState& st, int column) {
    CivilDate d;
    DateFromKey(DateKey(st.WeekStart.year, st.WeekStart.month, st.WeekStart.day) + column - 1, d.year, d.month, d.day);
    return d;
}

std::string TotalsDayHeader(const CivilDate& d) {
    static const char* kWeekdays[7] = {"日", "月", "火", "水", "木", "金", "土"};
    const int key = DateKey(d.year, d.month, d.day); // key 0, 30 December 1899, was a Saturday
    return twoDigits(d.month) + "/" + twoDigits(d.day) + "(" + kWeekdays[((key % 7) + 6) % 7] + ")";
}

std::vector<std::string> SetTotalsHeaders(const TotalsState& st) {
    std::vector<std::string> h{" 項 目 名  "};
    for (int c = 1; c <= st.DayCount; ++c)
        h.push_back(TotalsDayHeader(TotalsColumnDate(st, c)));
    h.push_back(" 週 合 計 ");
    h.push_back(" 月 合 計 ");
    h.push_back(" 予 算 額 ");
    return h;
}

std::string FormatPeriodDate(const CivilDate& bound, bool end) {
    CivilDate d = bound;
    if (d.day > DaysInMonth(d.year, d.month)) {
        if (end) {
            d.day = DaysInMonth(d.year, d.month);
        } else {
            d.day = 1;
            if (++d.month > 12) {
                d.month = 1;
                ++d.year;
            }
        }
    }
    return FormatDate(d.year, d.month, d.day);
}

std::string ClosingTotalHeader(int month) {
    return std::to_string(month) + "月" + "締合計";
}

std::string ClosingBudgetHeader(int month) {
    return std::to_string(month) + "月" + "予算 ";
}

std::string TotalsAmountText(int64_t amount) {
    const std::string t = GroupedAmount(amount);
    return t.size() < 10 ? std::string(10 - t.size(), ' ') + t : t;
}

std::string GroupedAmount(int64_t amount) {
    const uint64_t magnitude = amount < 0 ? 0 - static_cast<uint64_t>(amount) : static_cast<uint64_t>(amount);
    const std::string digits = std::to_string(magnitude);
    std::string out = amount < 0 ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string TotalsBudgetText(const TotalsState& st, const BgtRecord& budget, int row, bool& exceeded) {
    int32_t amount = 0;
    exceeded = false;
    if (!TotalsBudgetOf(st, budget, row, amount, exceeded)) return {};
    return GroupedAmount(amount);
}

int ClosingMarkColumn(const TotalsState& st) {
    for (int i = 1; i <= st.DayCount; ++i) {
        const int d = TotalsColumnDate(st, i).day;
        if (st.closingDay == 31) {
            if (i > 1 && d < TotalsColumnDate(st, i - 1).day) return i - 1;
            if (i == st.DayCount && TotalsColumnDate(st, i + 1).day < d) return i;
        }
        if (d == st.closingDay) return i;
    }
    return 0;
}

TotalsLabels TotalsLabelTexts(const TotalsState& st) {
    TotalsLabels l;
    const LedgerIndex& x = st.index;
    l.registered =
        ledgerDate(x.FirstYear, x.FirstMonth, x.FirstDay) + "～" + ledgerDate(x.LastYear, x.LastMonth, x.LastDay);
    l.shown = longDate(st.WeekStart) + "～" + longDate(st.LastDate);
    l.closing = (st.closingDay == 31 ? std::string("末") : fullWidthDigits(st.closingDay)) + "日締";
    return l;
}

} // namespace mrt
