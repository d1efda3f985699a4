#include "util/Holidays.h"

#include "util/DateText.h"

#include <array>
#include <mutex>

namespace mrt {
namespace {

constexpr int kYears = kLastHolidayYear - kFirstHolidayYear + 1;

// One year's holidays: the name index of each day (0 none), by [month - 1][day - 1].
struct YearHolidays {
    std::array<std::array<unsigned char, 31>, 12> name{};
};

const char* const kNames[] = {
    "",           "元日",         "成人の日", "建国記念の日",   "天皇誕生日", "春分の日",   "昭和の日", "憲法記念日",
    "みどりの日", "こどもの日",   "海の日",   "山の日",         "敬老の日",   "秋分の日",   "体育の日", "スポーツの日",
    "文化の日",   "勤労感謝の日", "即位の日", "即位礼正殿の儀", "振替休日",   "国民の休日",
};
enum Name : unsigned char {
    kNewYear = 1,
    kComingOfAge,
    kFoundation,
    kEmperor,
    kVernal,
    kShowa,
    kConstitution,
    kGreenery,
    kChildren,
    kMarine,
    kMountain,
    kRespectAged,
    kAutumnal,
    kHealthSports,
    kSports,
    kCulture,
    kLabour,
    kEnthronement,
    kEnthronementCeremony,
    kSubstitute,
    kCitizens,
};

// The day of the month of the n-th (1-based) given weekday.
int nthWeekday(int year, int month, int n, int weekday) {
    const int first = Weekday(year, month, 1);
    return 1 + (weekday - first + 7) % 7 + 7 * (n - 1);
}

// The equinoxes by the formula the almanac tables follow for 1980..2099.
int vernalEquinox(int year) {
    return static_cast<int>(20.8431 + 0.242194 * (year - 1980)) - (year - 1980) / 4;
}
int autumnalEquinox(int year) {
    return static_cast<int>(23.2488 + 0.242194 * (year - 1980)) - (year - 1980) / 4;
}

YearHolidays computeYear(int y) {
    YearHolidays h;
    auto set = [&](int m, int d, Name n) { h.name[m - 1][d - 1] = n; };
    set(1, 1, kNewYear);
    set(1, nthWeekday(y, 1, 2, 1), kComingOfAge);
    set(2, 11, kFoundation);
    if (y >= 2020) set(2, 23, kEmperor);
    set(3, vernalEquinox(y), kVernal);
    set(4, 29, y >= 2007 ? kShowa : kGreenery);
    set(5, 3, kConstitution);
    if (y >= 2007) set(5, 4, kGreenery);
    set(5, 5, kChildren);
    if (y == 2020)
        set(7, 23, kMarine);
    else if (y == 2021)
        set(7, 22, kMarine);
    else if (y >= 2003)
        set(7, nthWeekday(y, 7, 3, 1), kMarine);
    else
        set(7, 20, kMarine);
    if (y == 2020)
        set(8, 10, kMountain);
    else if (y == 2021)
        set(8, 8, kMountain);
    else if (y >= 2016)
        set(8, 11, kMountain);
    set(9, y >= 2003 ? nthWeekday(y, 9, 3, 1) : 15, kRespectAged);
    set(9, autumnalEquinox(y), kAutumnal);
    if (y == 2020)
        set(7, 24, kSports);
    else if (y == 2021)
        set(7, 23, kSports);
    else
        set(10, nthWeekday(y, 10, 2, 1), y >= 2020 ? kSports : kHealthSports);
    set(11, 3, kCulture);
    set(11, 23, kLabour);
    if (y <= 2018) set(12, 23, kEmperor);
    if (y == 2019) {
        set(5, 1, kEnthronement);
        set(10, 22, kEnthronementCeremony);
    }

    // Citizens' holidays: a day that is no holiday itself between two holidays (before 2007 not
    // on a Sunday). Then substitute holidays: a holiday on a Sunday moves the rest to the next day
    // that is no holiday (before 2007 only to the Monday).
    YearHolidays proper = h;
    const int first = DateKey(y, 1, 1), last = DateKey(y, 12, 31);
    auto properAt = [&](int key) {
        int yy, mm, dd;
        DateFromKey(key, yy, mm, dd);
        return yy == y && proper.name[mm - 1][dd - 1] != 0;
    };
    for (int key = first + 1; key < last; ++key) {
        int yy, mm, dd;
        DateFromKey(key, yy, mm, dd);
        if (properAt(key) || !properAt(key - 1) || !properAt(key + 1)) continue;
        if (y < 2007 && Weekday(yy, mm, dd) == 0) continue;
        set(mm, dd, kCitizens);
    }
    for (int key = first; key <= last; ++key) {
        int yy, mm, dd;
        DateFromKey(key, yy, mm, dd);
        if (!properAt(key) || Weekday(yy, mm, dd) != 0) continue;
        int sub = key + 1;
        if (y >= 2007)
            while (properAt(sub))
                ++sub;
        DateFromKey(sub, yy, mm, dd);
        if (yy == y && h.name[mm - 1][dd - 1] == 0) set(mm, dd, kSubstitute);
    }
    return h;
}

const std::array<YearHolidays, kYears>& table() {
    static std::array<YearHolidays, kYears> years;
    static std::once_flag once;
    std::call_once(once, [] {
        for (int i = 0; i < kYears; ++i)
            years[static_cast<size_t>(i)] = computeYear(kFirstHolidayYear + i);
    });
    return years;
}

} // namespace

int Weekday(int year, int month, int day) {
    // DateKey 1 (31 December 1899) was a Sunday.
    return (DateKey(year, month, day) + 6) % 7;
}

const char* HolidayName(int year, int month, int day) {
    if (year < kFirstHolidayYear || year > kLastHolidayYear || !IsValidDate(year, month, day)) return "";
    return kNames[table()[static_cast<size_t>(year - kFirstHolidayYear)].name[month - 1][day - 1]];
}

bool IsPublicHoliday(int year, int month, int day) {
    return *HolidayName(year, month, day) != '\0';
}

bool IsBusinessDay(int year, int month, int day) {
    const int w = Weekday(year, month, day);
    return w != 0 && w != 6 && !IsPublicHoliday(year, month, day);
}

} // namespace mrt
