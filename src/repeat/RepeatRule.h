#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace mrt {

// How often a recurring line falls due.
enum class RepeatKind {
    Monthly, // every `every` months on day `day` (1..31; the month's last day when it is shorter)
    Weekly,  // every `every` weeks on weekday `day` (0 Sunday .. 6 Saturday)
    Yearly,  // every year on `day` = month × 100 + day (0229 is 28 February in other years)
};

// Dates are yyyymmdd numbers (DateNum). The months or weeks of `every` are counted from the month
// or week of `first`.
struct RepeatRule {
    RepeatKind kind = RepeatKind::Monthly;
    int every = 1; // 1..12 months or 1..52 weeks; 1 for Yearly
    int day = 1;
    bool nextBusinessDay = false; // a Saturday, Sunday or public holiday moves to the next business day
    int32_t first = 0;            // the first date a line may fall on
    int32_t last = 0;             // the last date a line may fall on (before the move); 0 none
};

// One occurrence: the date the rule names and the date the line takes (moved to the next business
// day when the rule asks so; otherwise the same).
struct Occurrence {
    int32_t nominal = 0;
    int32_t date = 0;
};

// Why the rule cannot be used ("毎月の日付は 1～31 です。", ...); empty when it can.
std::string CheckRepeatRule(const RepeatRule& rule);

// The occurrences whose line date lies in (after, until], in date order; none for a rule that
// CheckRepeatRule refuses. Dates beyond 2050 are never produced.
std::vector<Occurrence> OccurrencesIn(const RepeatRule& rule, int32_t after, int32_t until);

// The rule in words: "毎月25日", "2か月ごと 末日", "毎週 金曜日", "毎年 12月10日", with "(翌営業日)".
std::string DescribeRule(const RepeatRule& rule);

// "日", "月", ... "土" for weekday 0..6; -1 when the text names none. Takes "sun".."sat" and
// "sunday".."saturday" (any case), "0".."6" and the Japanese names ("金", "金曜", "金曜日").
int ParseWeekday(const std::string& text);
const char* WeekdayName(int weekday);

} // namespace mrt
