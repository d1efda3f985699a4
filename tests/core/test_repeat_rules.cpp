// The rules of recurring lines across month ends, leap years, weekends and holidays, and the
// table file they are kept in.
#include "repeat/RepeatRule.h"
#include "repeat/RepeatTable.h"
#include "support/TempDir.h"
#include "util/Cp932.h"

#include <gtest/gtest.h>
#include <vector>

namespace mrt::test {
namespace {

RepeatRule monthly(int day, int32_t first, int every = 1, bool business = false, int32_t last = 0) {
    return {RepeatKind::Monthly, every, day, business, first, last};
}
RepeatRule weekly(int weekday, int32_t first, int every = 1, bool business = false) {
    return {RepeatKind::Weekly, every, weekday, business, first, 0};
}
RepeatRule yearly(int mmdd, int32_t first, bool business = false) {
    return {RepeatKind::Yearly, 1, mmdd, business, first, 0};
}

struct RuleCase {
    const char* what;
    RepeatRule rule;
    int32_t after, until;
    std::vector<int32_t> dates;
};

TEST(RepeatRules, OccurrencesAcrossMonthEndsLeapYearsWeekendsAndHolidays) {
    const RuleCase cases[] = {
        {"day 31 takes each month's last day, 29 February in a leap year",
         monthly(31, 20240101),
         20231231,
         20240430,
         {20240131, 20240229, 20240331, 20240430}},
        {"day 31 in a common February", monthly(31, 20230201), 0, 20230331, {20230228, 20230331}},
        {"every two months from the first month",
         monthly(25, 20240125, 2),
         0,
         20240731,
         {20240125, 20240325, 20240525, 20240725}},
        {"a Saturday and a Sunday move to Monday",
         monthly(25, 20250101, 1, true),
         0,
         20250531,
         {20250127, 20250225, 20250325, 20250425, 20250526}},
        {"Golden Week with its substitute holiday", monthly(3, 20250501, 1, true), 0, 20250531, {20250507}},
        {"a holiday and its substitute after a weekend",
         monthly(10, 20240201, 1, true),
         0,
         20240331,
         {20240213, 20240311}},
        {"a month-end line moved into the next month is due there",
         monthly(31, 20240801, 1, true),
         20240831,
         20240930,
         {20240902, 20240930}},
        {"a moved line is not due before its new date", monthly(31, 20240801, 1, true), 0, 20240901, {}},
        {"the first date lies after the month's day", monthly(5, 20240110), 0, 20240331, {20240205, 20240305}},
        {"the last date ends it",
         monthly(10, 20240110, 1, false, 20240315),
         0,
         20241231,
         {20240110, 20240210, 20240310}},
        {"only the dates after the offered one", monthly(10, 20200110), 20240215, 20240410, {20240310, 20240410}},
        {"every two weeks on Friday", weekly(5, 20240101, 2), 0, 20240205, {20240105, 20240119, 20240202}},
        {"Mondays on holidays move to Tuesday",
         weekly(1, 20240101, 1, true),
         0,
         20240115,
         {20240102, 20240109, 20240115}},
        {"29 February in other years is the 28th",
         yearly(229, 20240101),
         0,
         20280301,
         {20240229, 20250228, 20260228, 20270228, 20280229}},
        {"New Year's Eve on a Sunday moves past New Year's Day",
         yearly(1231, 20230101, true),
         20231230,
         20240105,
         {20240102}},
        {"nothing beyond 2050", monthly(1, 20501201), 0, 20510301, {20501201}},
    };
    for (const RuleCase& c : cases) {
        std::vector<int32_t> got;
        for (const Occurrence& o : OccurrencesIn(c.rule, c.after, c.until))
            got.push_back(o.date);
        EXPECT_EQ(got, c.dates) << c.what;
    }
}

TEST(RepeatRules, RefusedRulesAndTheirWords) {
    EXPECT_EQ(CheckRepeatRule(monthly(25, 20240101)), "");
    EXPECT_NE(CheckRepeatRule(monthly(32, 20240101)), "");
    EXPECT_NE(CheckRepeatRule(monthly(0, 20240101)), "");
    EXPECT_NE(CheckRepeatRule(monthly(5, 20240101, 13)), "");
    EXPECT_NE(CheckRepeatRule(monthly(5, 20240230)), "");
    EXPECT_NE(CheckRepeatRule(monthly(5, 19991231)), "");
    EXPECT_NE(CheckRepeatRule(monthly(5, 20240101, 1, false, 20231231)), "");
    EXPECT_NE(CheckRepeatRule(weekly(7, 20240101)), "");
    EXPECT_NE(CheckRepeatRule(yearly(230, 20240101)), "");
    EXPECT_TRUE(OccurrencesIn(monthly(32, 20240101), 0, 20241231).empty());

    EXPECT_EQ(DescribeRule(monthly(25, 20240101)), "毎月25日");
    EXPECT_EQ(DescribeRule(monthly(31, 20240101, 2, true)), "2か月ごと 末日(翌営業日)");
    EXPECT_EQ(DescribeRule(weekly(5, 20240101)), "毎週 金曜日");
    EXPECT_EQ(DescribeRule(yearly(1210, 20240101)), "毎年 12月10日");
    EXPECT_EQ(ParseWeekday("Fri"), 5);
    EXPECT_EQ(ParseWeekday("sunday"), 0);
    EXPECT_EQ(ParseWeekday("金曜日"), 5);
    EXPECT_EQ(ParseWeekday("6"), 6);
    EXPECT_EQ(ParseWeekday("fr"), -1);
}

RepeatEntry entry(const char* item, int side, const char* amount, RepeatRule rule) {
    RepeatEntry e;
    e.item = item;
    e.side = side;
    e.amount = amount;
    e.rule = rule;
    return e;
}

TEST(RepeatTableFile, RoundTripInCp932) {
    RepeatTable t;
    t.entries.push_back(entry("住居費", 1, "80,000", monthly(27, 20240101)));
    t.entries[0].note = "家賃, \"本宅\"";
    t.entries[0].shop = "=大家";
    t.entries[0].offeredUpTo = 20240331;
    t.entries[0].postponed = {20240227, 20240327};
    t.entries.push_back(entry("給与", 0, "250000", weekly(5, 20240105, 2, true)));
    t.entries.push_back(entry("保険料", 1, "1200%8", yearly(229, 20240101)));
    t.entries[2].rule.last = 20301231;
    std::string bytes, error;
    ASSERT_TRUE(EncodeRepeatTable(t, bytes, error)) << error;
    EXPECT_FALSE(LooksLikeUtf8(bytes));
    EXPECT_NE(bytes.find(std::string("\x89\xc6\x92\xc0", 4)), std::string::npos); // 家賃 in CP932

    TempDir dir;
    ASSERT_TRUE(WriteBytes(dir / kRepeatFileName, bytes));
    RepeatTable back;
    ASSERT_EQ(LoadRepeatTable(dir / kRepeatFileName, back), 0);
    ASSERT_EQ(back.entries.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const RepeatEntry &a = t.entries[i], &b = back.entries[i];
        EXPECT_EQ(b.item, a.item);
        EXPECT_EQ(b.note, a.note);
        EXPECT_EQ(b.shop, a.shop);
        EXPECT_EQ(b.side, a.side);
        EXPECT_EQ(b.amount, a.amount);
        EXPECT_EQ(b.rule.kind, a.rule.kind);
        EXPECT_EQ(b.rule.every, a.rule.every);
        EXPECT_EQ(b.rule.day, a.rule.day);
        EXPECT_EQ(b.rule.nextBusinessDay, a.rule.nextBusinessDay);
        EXPECT_EQ(b.rule.first, a.rule.first);
        EXPECT_EQ(b.rule.last, a.rule.last);
        EXPECT_EQ(b.offeredUpTo, a.offeredUpTo);
        EXPECT_EQ(b.postponed, a.postponed);
    }
    EXPECT_EQ(LoadRepeatTable(dir / "missing.mrt", back), 1);
    EXPECT_TRUE(back.entries.empty());

    t.entries[0].note = "絵文字😀";
    EXPECT_FALSE(EncodeRepeatTable(t, bytes, error));
    EXPECT_NE(error.find("😀"), std::string::npos);
}

TEST(RepeatTableFile, DamagedFilesAreRefusedWithTheirReason) {
    const std::pair<const char*, const char*> damaged[] = {
        {"other,1\r\n", "定期入出金のファイルではありません"},
        {"定期入出金,2\r\n", "新しい形式"},
        {"定期入出金,1\r\n住居費,,,1,80000,M,1,27,0,20240101,0,0\r\n", "2行目: 列の数"},
        {"定期入出金,1\r\n住居費,,,1,80000,X,1,27,0,20240101,0,0,\r\n", "2行目: 繰返しの種類"},
        {"定期入出金,1\r\n住居費,,,1,80000,M,1,32,0,20240101,0,0,\r\n", "2行目: 毎月の日付"},
        {"定期入出金,1\r\n住居費,,,2,80000,M,1,27,0,20240101,0,0,\r\n", "2行目: 入金・出金"},
        {"定期入出金,1\r\n住居費,,,1,80000,M,1,27,0,20240101,0,0,2024x\r\n", "2行目: 保留"},
    };
    TempDir dir;
    for (const auto& [utf8, reason] : damaged) {
        std::string bytes;
        ASSERT_TRUE(ToCp932(utf8, bytes));
        ASSERT_TRUE(WriteBytes(dir / kRepeatFileName, bytes));
        RepeatTable t;
        std::string why;
        EXPECT_EQ(LoadRepeatTable(dir / kRepeatFileName, t, &why), -1) << utf8;
        EXPECT_NE(why.find(reason), std::string::npos) << why;
        EXPECT_EQ(why.rfind(kRepeatFileName, 0), 0u) << why;
    }
}

} // namespace
} // namespace mrt::test
