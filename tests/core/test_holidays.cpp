// Japanese public holidays: whole years checked day by day against the published calendars, and
// single dates of the rules that those years do not show.
#include "util/DateText.h"
#include "util/Holidays.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace mrt::test {
namespace {

struct KnownYear {
    int year;
    std::vector<int> holidays; // month * 100 + day
};

const KnownYear kKnownYears[] = {
    {2000, {101, 110, 211, 320, 429, 503, 504, 505, 720, 915, 923, 1009, 1103, 1123, 1223}},
    {2007, {101, 108, 211, 212, 321, 429, 430, 503, 504, 505, 716, 917, 923, 924, 1008, 1103, 1123, 1223, 1224}},
    {2019, {101, 114, 211, 321, 429, 430, 501,  502,  503,  504,  505,
            506, 715, 811, 812, 916, 923, 1014, 1022, 1103, 1104, 1123}},
    {2020, {101, 113, 211, 223, 224, 320, 429, 503, 504, 505, 506, 723, 724, 810, 921, 922, 1103, 1123}},
    {2021, {101, 111, 211, 223, 320, 429, 503, 504, 505, 722, 723, 808, 809, 920, 923, 1103, 1123}},
    {2024,
     {101, 108, 211, 212, 223, 320, 429, 503, 504, 505, 506, 715, 811, 812, 916, 922, 923, 1014, 1103, 1104, 1123}},
    {2025, {101, 113, 211, 223, 224, 320, 429, 503, 504, 505, 506, 721, 811, 915, 923, 1013, 1103, 1123, 1124}},
    {2026, {101, 112, 211, 223, 320, 429, 503, 504, 505, 506, 720, 811, 921, 922, 923, 1012, 1103, 1123}},
};

TEST(Holidays, WholeYearsMatchThePublishedCalendars) {
    for (const KnownYear& k : kKnownYears) {
        const std::set<int> expected(k.holidays.begin(), k.holidays.end());
        for (int m = 1; m <= 12; ++m)
            for (int d = 1; d <= DaysInMonth(k.year, m); ++d)
                EXPECT_EQ(IsPublicHoliday(k.year, m, d), expected.count(m * 100 + d) == 1)
                    << k.year << "-" << m << "-" << d << " " << HolidayName(k.year, m, d);
    }
}

TEST(Holidays, NamesAndSingleDatesOfEachRule) {
    struct Case {
        int y, m, d;
        std::string name;
    };
    const Case cases[] = {
        {2019, 5, 1, "即位の日"},
        {2019, 10, 22, "即位礼正殿の儀"},
        {2019, 4, 30, "国民の休日"},
        {2019, 12, 23, ""},
        {2018, 12, 23, "天皇誕生日"},
        {2018, 12, 24, "振替休日"},
        {2008, 5, 6, "振替休日"},
        {2009, 9, 22, "国民の休日"},
        {2015, 9, 22, "国民の休日"},
        {2032, 9, 21, "国民の休日"},
        {2006, 5, 4, "国民の休日"},
        {2006, 4, 29, "みどりの日"},
        {2007, 4, 29, "昭和の日"},
        {2002, 7, 20, "海の日"},
        {2003, 7, 21, "海の日"},
        {2002, 9, 16, "振替休日"},
        {2015, 8, 11, ""},
        {2016, 8, 11, "山の日"},
        {2020, 10, 12, ""},
        {2021, 10, 11, ""},
        {2022, 10, 10, "スポーツの日"},
        {2012, 9, 22, "秋分の日"},
        {2023, 3, 21, "春分の日"},
        {2050, 1, 1, "元日"},
        {1999, 1, 1, ""},
        {2051, 1, 1, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HolidayName(c.y, c.m, c.d), c.name) << c.y << "-" << c.m << "-" << c.d;
}

TEST(Holidays, WeekdaysAndBusinessDays) {
    EXPECT_EQ(Weekday(2000, 1, 1), 6);  // Saturday
    EXPECT_EQ(Weekday(2026, 12, 7), 1); // Monday
    EXPECT_EQ(Weekday(2050, 12, 31), 6);
    EXPECT_TRUE(IsBusinessDay(2026, 12, 7));
    EXPECT_FALSE(IsBusinessDay(2026, 12, 5));  // Saturday
    EXPECT_FALSE(IsBusinessDay(2026, 12, 6));  // Sunday
    EXPECT_FALSE(IsBusinessDay(2026, 11, 23)); // holiday on a Monday
    // Every year has between 15 and 26 holidays, and every holiday of 2000..2050 is a real date.
    for (int y = kFirstHolidayYear; y <= kLastHolidayYear; ++y) {
        int n = 0;
        for (int m = 1; m <= 12; ++m)
            for (int d = 1; d <= DaysInMonth(y, m); ++d)
                n += IsPublicHoliday(y, m, d);
        EXPECT_GE(n, 15) << y;
        EXPECT_LE(n, 26) << y;
    }
}

} // namespace
} // namespace mrt::test
