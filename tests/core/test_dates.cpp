#include "util/DateText.h"

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
