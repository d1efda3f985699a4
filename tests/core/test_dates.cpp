#include "util/DateText.h"

#include <climits>
#include <cstdio>

#include <gtest/gtest.h>

using namespace mrt;

TEST(DaysInMonth, FebruaryFollowsTheCenturyRule) {
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(2004, 2), 29);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2100, 2), 28);
    EXPECT_EQ(DaysInMonth(2003, 2), 28);
    EXPECT_EQ(DaysInMonth(2003, 4), 30);
    EXPECT_EQ(DaysInMonth(2003, 12), 31);
}

TEST(AddDaysToDateText, CrossesMonthYearAndLeapDays) {
    EXPECT_EQ(AddDaysToDateText("20031231", 1), "20040101");
    EXPECT_EQ(AddDaysToDateText("040228", 1), "040229");
    EXPECT_EQ(AddDaysToDateText("2004/02/28", 2), "2004/03/01");
    EXPECT_EQ(AddDaysToDateText("03/02/28", 1), "03/03/01");
    EXPECT_EQ(AddDaysToDateText("2003-01-31", 0), "2003-01-31");
    EXPECT_EQ(AddDaysToDateText("20040101", 365), "20041231"); // 2004 has 366 days
    EXPECT_EQ(AddDaysToDateText("20030101", 365), "20040101");
    EXPECT_EQ(AddDaysToDateText("991231", 1), "000101");  // 1999 → 2000 in two-digit form
    EXPECT_EQ(AddDaysToDateText("21000228", 1), "21000301"); // 2100 is not a leap year
}

TEST(DateSeparators, InsertsAndRemoves) {
    EXPECT_EQ(DateSeparators("030415", "/"), "03/04/15");
    EXPECT_EQ(DateSeparators("20030415", "-"), "2003-04-15");
    EXPECT_EQ(DateSeparators("03/04/15", ""), "030415");
    EXPECT_EQ(DateSeparators("2003/04/15", ""), "20030415");
}

TEST(DateText, IsBadDateAcceptsTheFourFormsOfRealDates) {
    EXPECT_FALSE(IsBadDate("20030415"));
    EXPECT_FALSE(IsBadDate("030415"));
    EXPECT_FALSE(IsBadDate("2003/04/15"));
    EXPECT_FALSE(IsBadDate("03/04/15"));
    EXPECT_FALSE(IsBadDate("2004/02/29"));
    EXPECT_FALSE(IsBadDate("2004-2-9"));
    EXPECT_TRUE(IsBadDate("2003/02/29"));
    EXPECT_TRUE(IsBadDate("2004/02/30"));
    EXPECT_TRUE(IsBadDate("2003/13/01"));
    EXPECT_TRUE(IsBadDate("2003/04/31"));
    EXPECT_TRUE(IsBadDate(""));
    EXPECT_TRUE(IsBadDate("abc"));
    EXPECT_TRUE(IsBadDate("2003/04"));
    int y, m, d;
    ASSERT_TRUE(ParseDateText("95/01/02", y, m, d));
    EXPECT_EQ(y, 1995);
    ASSERT_TRUE(ParseDateText("90/01/02", y, m, d));
    EXPECT_EQ(y, 2090);
}

TEST(DateKey, CountsDaysFromTheEndOf1899) {
    EXPECT_EQ(DateKey(1899, 12, 30), 0);
    EXPECT_EQ(DateKey(1900, 1, 1), 2);
    EXPECT_EQ(DateKey(2000, 1, 1), 36526);
    EXPECT_EQ(DateKey(2004, 3, 1) - DateKey(2004, 2, 28), 2);
    for (int key : {0, 2, 36526, 38000, 54789}) {
        int y, m, d;
        DateFromKey(key, y, m, d);
        EXPECT_EQ(DateKey(y, m, d), key);
    }
    EXPECT_EQ(DateNum(2003, 4, 15), 20030415);
}

TEST(FormatDate, WritesWhatZeroPaddedPrintfWrites) {
    EXPECT_EQ(FormatDate(2024, 5, 7), "2024/05/07");
    EXPECT_EQ(FormatDate(2024, 12, 31, ""), "20241231");
    EXPECT_EQ(FormatDate(987, 1, 2, "."), "0987.01.02");
    const int values[] = {0,     1,      9,  10, 99,  100,  999,   1000,    2024,   9999,
                          10000, 123456, -1, -5, -42, -999, -2024, INT_MAX, INT_MIN};
    const char* seps[] = {"", "/", "-", "年", "<a long separator text>"};
    for (const char* sep : seps)
        for (int y : values)
            for (int m : {0, 3, 12, 123, -7, INT_MIN})
                for (int d : {1, 31, -3, 100000}) {
                    char buf[32];
                    std::snprintf(buf, sizeof buf, "%04d%s%02d%s%02d", y, sep, m, sep, d);
                    ASSERT_EQ(FormatDate(y, m, d, sep), buf) << y << " " << m << " " << d << " " << sep;
                }
}
