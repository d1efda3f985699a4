// The dates of generations: their folder names, the counts kept, and which dates thinning keeps.
#include "backup/Generations.h"

#include "util/HomeSettings.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace mrt {
namespace {

int64_t floorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Calendar weeks numbered from the Monday before 1970-01-01 (a Thursday).
int64_t weekOf(int64_t day) {
    return floorDiv(day + 3, 7);
}

int64_t monthOf(const CivilDate& d) {
    return int64_t{d.year} * 12 + (d.month - 1);
}

int countSetting(const std::string& home, const char* key, int fallback) {
    const std::string text = ReadHomeSetting(home, key);
    if (text.empty()) return fallback;
    try {
        size_t used = 0;
        const int v = std::stoi(text, &used);
        if (used != text.size()) return fallback;
        return std::clamp(v, 0, 10000);
    } catch (const std::exception&) {
        return fallback;
    }
}

} // namespace

GenerationCounts ReadGenerationCounts(const std::string& home) {
    GenerationCounts c;
    c.days = countSetting(home, kGenerationDaysKey, c.days);
    c.weeks = countSetting(home, kGenerationWeeksKey, c.weeks);
    c.months = countSetting(home, kGenerationMonthsKey, c.months);
    return c;
}

// The proleptic Gregorian day count (days from civil, era of 400 years).
int64_t DayNumber(const CivilDate& d) {
    const int64_t y = d.year - (d.month <= 2);
    const int64_t era = floorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t mp = (d.month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + d.day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilDate DateOfDayNumber(int64_t days) {
    const int64_t z = days + 719468;
    const int64_t era = floorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {static_cast<int>(yoe + era * 400 + (month <= 2)), month, day};
}

std::string GenerationDateText(const CivilDate& d) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    return text;
}

bool ParseGenerationDate(const std::string& text, CivilDate& d) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9') return false;
    CivilDate c{std::stoi(text.substr(0, 4)), std::stoi(text.substr(5, 2)), std::stoi(text.substr(8, 2))};
    if (c.month < 1 || c.month > 12 || c.day < 1) return false;
    const CivilDate back = DateOfDayNumber(DayNumber(c));
    if (back.year != c.year || back.month != c.month || back.day != c.day) return false; // 02-30 and the like
    d = c;
    return true;
}

std::vector<CivilDate> GenerationsToKeep(std::vector<CivilDate> dates, const CivilDate& today,
                                         const GenerationCounts& counts) {
    std::vector<int64_t> days;
    for (const CivilDate& d : dates)
        days.push_back(DayNumber(d));
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    if (days.empty()) return {};
    // The newest of each week and month; a later date of the same bucket replaces an earlier one.
    std::map<int64_t, int64_t> newestOfWeek, newestOfMonth;
    for (int64_t day : days) {
        newestOfWeek[weekOf(day)] = day;
        newestOfMonth[monthOf(DateOfDayNumber(day))] = day;
    }
    const int64_t now = DayNumber(today);
    const int64_t weeklyAge = int64_t{counts.days} + 7 * int64_t{counts.weeks};
    std::vector<CivilDate> kept;
    for (int64_t day : days) {
        const CivilDate d = DateOfDayNumber(day);
        const int64_t age = now - day; // negative: a date after today (a clock set back) is kept
        const bool keep = day == days.back() || age < counts.days ||
                          (age < weeklyAge && newestOfWeek[weekOf(day)] == day) ||
                          (monthOf(today) - monthOf(d) < counts.months && newestOfMonth[monthOf(d)] == day);
        if (keep) kept.push_back(d);
    }
    return kept;
}

} // namespace mrt
