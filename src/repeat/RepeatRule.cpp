#include "repeat/RepeatRule.h"

#include "ledger/LedgerBlock.h"
#include "util/DateText.h"
#include "util/Holidays.h"

#include <algorithm>
#include <cctype>

namespace mrt {
namespace {

constexpr int32_t kLastDate = 20501231;
// A holiday run with its weekend never moves a date by more than this many days.
constexpr int kMaxMove = 10;

void split(int32_t date, int& y, int& m, int& d) {
    y = date / 10000;
    m = date / 100 % 100;
    d = date % 100;
}

int32_t keyOf(int32_t date) {
    int y, m, d;
    split(date, y, m, d);
    return DateKey(y, m, d);
}

int32_t dateOfKey(int32_t key) {
    int y, m, d;
    DateFromKey(key, y, m, d);
    return DateNum(y, m, d);
}

bool validDate(int32_t date) {
    int y, m, d;
    split(date, y, m, d);
    return IsValidDate(y, m, d);
}

int32_t moved(const RepeatRule& r, int32_t nominal) {
    if (!r.nextBusinessDay) return nominal;
    int32_t key = keyOf(nominal);
    for (;;) {
        int y, m, d;
        DateFromKey(key, y, m, d);
        if (IsBusinessDay(y, m, d)) return DateNum(y, m, d);
        ++key;
    }
}

const char* const kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};

} // namespace

std::string CheckRepeatRule(const RepeatRule& r) {
    if (!validDate(r.first) || r.first < 20000101 || r.first > kLastDate) return "開始日が異常です。";
    if (r.last != 0 && (!validDate(r.last) || r.last < r.first || r.last > kLastDate))
        return "終了日が異常です。(開始日より後の日付にしてください)";
    switch (r.kind) {
    case RepeatKind::Monthly:
        if (r.every < 1 || r.every > 12) return "何か月ごとかは 1～12 です。";
        if (r.day < 1 || r.day > 31) return "毎月の日付は 1～31 です。";
        break;
    case RepeatKind::Weekly:
        if (r.every < 1 || r.every > 52) return "何週ごとかは 1～52 です。";
        if (r.day < 0 || r.day > 6) return "曜日が異常です。";
        break;
    case RepeatKind::Yearly:
        if (r.every != 1) return "毎年の繰返しは 1 年ごとです。";
        if (!IsValidDate(2000, r.day / 100, r.day % 100)) return "毎年の月日が異常です。";
        break;
    }
    return {};
}

std::vector<Occurrence> OccurrencesIn(const RepeatRule& r, int32_t after, int32_t until) {
    std::vector<Occurrence> out;
    if (!CheckRepeatRule(r).empty()) return out;
    until = std::min(until, kLastDate);
    const int32_t end = r.last ? std::min(r.last, until) : until;
    if (end < r.first || until <= after) return out;
    // Nominal dates before this cannot move past `after`.
    const int32_t fromKey = std::max(keyOf(r.first), validDate(after) ? keyOf(after) - kMaxMove : 0);
    const int32_t from = dateOfKey(fromKey);
    auto take = [&](int32_t nominal) {
        if (nominal < r.first || nominal > end) return;
        const int32_t date = moved(r, nominal);
        if (date > after && date <= until) out.push_back({nominal, date});
    };
    int fy, fm, fd;
    split(r.first, fy, fm, fd);
    switch (r.kind) {
    case RepeatKind::Monthly: {
        int y, m, d;
        split(from, y, m, d);
        int k = ((y - fy) * 12 + (m - fm)) / r.every * r.every;
        for (;; k += r.every) {
            int yy = fy, mm = fm;
            AddMonths(yy, mm, k);
            const int32_t nominal = DateNum(yy, mm, std::min<int>(r.day, DaysInMonth(yy, mm)));
            if (nominal > end) break;
            take(nominal);
        }
        break;
    }
    case RepeatKind::Weekly: {
        const int32_t firstKey = keyOf(r.first);
        const int32_t start = firstKey + (r.day - Weekday(fy, fm, fd) + 7) % 7;
        const int32_t step = 7 * r.every;
        int32_t key = start + std::max<int32_t>(0, (fromKey - start) / step) * step;
        for (;; key += step) {
            const int32_t nominal = dateOfKey(key);
            if (nominal > end) break;
            take(nominal);
        }
        break;
    }
    case RepeatKind::Yearly: {
        const int month = r.day / 100, day = r.day % 100;
        for (int y = std::max(fy, from / 10000); DateNum(y, 1, 1) <= end; ++y)
            take(DateNum(y, month, std::min<int>(day, DaysInMonth(y, month))));
        break;
    }
    }
    return out;
}

std::string DescribeRule(const RepeatRule& r) {
    std::string s;
    switch (r.kind) {
    case RepeatKind::Monthly:
        s = r.every == 1 ? "毎月" : std::to_string(r.every) + "か月ごと ";
        s += r.day >= 31 ? "末日" : std::to_string(r.day) + "日";
        break;
    case RepeatKind::Weekly:
        s = r.every == 1 ? "毎週 " : std::to_string(r.every) + "週ごと ";
        s += std::string(WeekdayName(r.day)) + "曜日";
        break;
    case RepeatKind::Yearly:
        s = "毎年 " + std::to_string(r.day / 100) + "月" + std::to_string(r.day % 100) + "日";
        break;
    }
    if (r.nextBusinessDay) s += "(翌営業日)";
    return s;
}

const char* WeekdayName(int weekday) {
    return weekday >= 0 && weekday <= 6 ? kWeekdays[weekday] : "";
}

int ParseWeekday(const std::string& text) {
    static const char* const kShort[] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};
    static const char* const kLong[] = {"sunday", "monday", "tuesday", "wednesday", "thursday", "friday", "saturday"};
    std::string low = text;
    std::transform(low.begin(), low.end(), low.begin(), [](unsigned char c) { return std::tolower(c); });
    for (int w = 0; w < 7; ++w) {
        const std::string ja = kWeekdays[w];
        if (low == kShort[w] || low == kLong[w] || low == std::to_string(w) || text == ja || text == ja + "曜" ||
            text == ja + "曜日")
            return w;
    }
    return -1;
}

} // namespace mrt
