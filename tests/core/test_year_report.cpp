// The year report against a plain model: random ledgers over three years, summed per item and
// month (or closing period) straight from the lines, with budgets, the year before and the
// reading of only the year's month regions.
#include "test_totals_fixture.h"
#include "totals/YearReport.h"
#include "totals/YearReportCsv.h"
#include "util/DateText.h"

#include <cmath>
#include <filesystem>
#include <random>

using namespace totals_test;

namespace {

// Report rows of the fixture's items: 0 給与, 1 賞与, 2 (不明), 3 (入金合計), 4 食費, 5 光熱費,
// 6 交通費, 7 (不明), 8 (出金合計), 9 (収支差引).
int modelRow(const Line& l) {
    const std::string name = l.item;
    if (l.income >= 1) return name == "給与" ? 0 : name == "賞与" ? 1 : 2;
    if (name == "食費") return 4;
    if (name == "光熱費") return 5;
    if (name == "交通費") return 6;
    return 7;
}

// The year and month (1..12) a line counts in: its own month, or with a closing day the month
// whose period [previous closing day + 1, closing day] holds the date.
void modelMonth(const Line& l, bool periods, int closingDay, int& y, int& m) {
    y = l.y;
    m = l.m;
    if (!periods || closingDay >= 31) return;
    if (l.d > closingDay && ++m > 12) m = 1, ++y;
}

class YearReportTest : public TotalsFixture {
protected:
    YearReport report;
    std::string why;
    int compute(const YearReportOptions& o, const BgtRecord& b) {
        return ComputeYearReport(ledger.index, names, b, o, report, dlg, why);
    }
};

} // namespace

TEST_F(YearReportTest, RandomLedgersMatchAPlainModel) {
    std::mt19937 rng(11);
    const char* incomeNames[] = {"給与", "賞与", "謎"};
    const char* expenseNames[] = {"食費", "光熱費", "交通費", "旧", "給与"};
    const int closingDays[] = {31, 25, 30, 1, 10, 28, 29, 15};
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::vector<Line> lines;
        int key = DateKey(2022, 1, 1) + static_cast<int>(rng() % 400);
        int y, m, d;
        DateFromKey(key, y, m, d);
        lines.push_back({y, m, d, "初期残高", 0, 0});
        const int count = 20 + static_cast<int>(rng() % 150);
        for (int i = 0; i < count; ++i) {
            key += static_cast<int>(rng() % 12);
            DateFromKey(key, y, m, d);
            if (rng() % 3 == 0)
                lines.push_back({y, m, d, incomeNames[rng() % 3], static_cast<int32_t>(1 + rng() % 100000), 0});
            else
                lines.push_back({y, m, d, expenseNames[rng() % 5], 0, static_cast<int32_t>(rng() % 50000)});
        }
        std::filesystem::remove_all(dir / "Data1");
        MakeFolders(dir / "Data1/BU");
        writeLedger(1000000, lines);

        YearReportOptions o;
        o.year = 2022 + static_cast<int>(rng() % 3);
        o.periods = rng() % 2 == 0;
        o.closingDay = closingDays[rng() % 8];
        BgtRecord b;
        FillBudget(b, -1);
        b.HeldYear = o.year;
        b.at(3, 1, 1) = 20000; // 食費 in March and December; 給与 every month
        b.at(12, 1, 1) = 5000;
        for (int month = 1; month <= 12; ++month)
            b.at(month, 0, 1) = 250000;
        ASSERT_EQ(compute(o, b), 0) << why;
        ASSERT_EQ(report.rows.size(), 10u);

        std::array<std::array<int64_t, 12>, 10> expected{};
        std::array<int64_t, 10> previous{};
        int64_t counted = 0;
        for (const Line& l : lines) {
            int ly, lm;
            modelMonth(l, o.periods, o.closingDay, ly, lm);
            const int row = modelRow(l);
            const int side = l.income >= 1 ? 0 : 1;
            const int64_t amount = side == 0 ? l.income : l.expense;
            if (ly == o.year) {
                ++counted;
                expected[row][lm - 1] += amount;
                expected[side == 0 ? 3 : 8][lm - 1] += amount;
            } else if (ly == o.year - 1) {
                previous[row] += amount;
                previous[side == 0 ? 3 : 8] += amount;
            }
        }
        for (int month = 0; month < 12; ++month)
            expected[9][month] = expected[3][month] - expected[8][month];
        previous[9] = previous[3] - previous[8];
        EXPECT_EQ(report.lines, counted);
        const int first = DateNum(lines.front().y, lines.front().m, 1) / 100;
        const int last = DateNum(lines.back().y, lines.back().m, 1) / 100;
        int covered = 0;
        for (int month = 1; month <= 12; ++month)
            covered += o.year * 100 + month >= first && o.year * 100 + month <= last;
        ASSERT_EQ(report.coveredMonths, covered);
        const bool prevCovered = (o.year - 1) * 100 + 12 >= first;
        for (size_t r = 0; r < 10; ++r) {
            const YearReportRow& row = report.rows[r];
            int64_t total = 0;
            for (int month = 0; month < 12; ++month) {
                ASSERT_EQ(row.months[month], expected[r][month]) << "row " << r << " month " << month + 1;
                total += expected[r][month];
            }
            EXPECT_EQ(row.total, total);
            if (covered > 0) EXPECT_LE(std::llabs(row.average * covered - total), covered / 2 + 1);
            EXPECT_EQ(row.hasPrevious, prevCovered);
            if (prevCovered) EXPECT_EQ(row.previous, previous[r]) << "row " << r;
            if (prevCovered && previous[r] != 0)
                EXPECT_NEAR(row.change, (total - previous[r]) * 100.0 / std::fabs(double(previous[r])), 1e-9);
        }
        // Budgets: 給与 12 × 250,000, 食費 25,000; the sums and the balance follow.
        EXPECT_TRUE(report.rows[0].hasBudget);
        EXPECT_EQ(report.rows[0].budget, 3000000);
        EXPECT_EQ(report.rows[0].difference, report.rows[0].total - 3000000);
        EXPECT_EQ(report.rows[4].budget, 25000);
        EXPECT_FALSE(report.rows[5].hasBudget);
        EXPECT_FALSE(report.rows[2].hasBudget);
        EXPECT_EQ(report.rows[3].budget, 3000000);
        EXPECT_EQ(report.rows[8].budget, 25000);
        EXPECT_EQ(report.rows[9].budget, 2975000);
        for (int month = 0; month < 12; ++month) {
            const int64_t food = month == 2 ? 20000 : month == 11 ? 5000 : -1;
            EXPECT_EQ(report.rows[4].monthBudgets[month], food);
            EXPECT_EQ(report.rows[8].monthBudgets[month], food);
            EXPECT_EQ(report.rows[5].monthBudgets[month], -1);
            EXPECT_EQ(report.rows[9].monthBudgets[month], 250000 - std::max<int64_t>(food, 0));
        }
    }
}

TEST_F(YearReportTest, ReadsOnlyTheMonthsOfTheYearAndTheYearBefore) {
    writeLedger(5000, {{2020, 5, 1, "初期残高", 0, 0},
                       {2020, 6, 1, "食費", 0, 100},
                       {2022, 3, 4, "食費", 0, 300},
                       {2023, 1, 10, "食費", 0, 200},
                       {2023, 12, 31, "給与", 9000, 0},
                       {2024, 1, 5, "食費", 0, 50}});
    // The 2020 file is gone: the reports of 2022 and 2023 never open it, that of 2021 must.
    std::filesystem::remove(dir / "Data1/Io2020.usr");
    YearReportOptions o;
    o.year = 2023;
    BgtRecord none;
    ASSERT_EQ(compute(o, none), 0) << why;
    EXPECT_EQ(report.rows[4].total, 200);
    EXPECT_EQ(report.rows[4].previous, 300);
    EXPECT_DOUBLE_EQ(report.rows[4].change, -100.0 / 3.0);
    EXPECT_EQ(YearChangeText(report.rows[4]), "-33.3%");
    EXPECT_EQ(report.rows[0].total, 9000);
    EXPECT_FALSE(report.rows[0].hasBudget);
    // Closing on the 25th: 31 December 2023 belongs to January 2024.
    o.periods = true;
    o.closingDay = 25;
    ASSERT_EQ(compute(o, none), 0) << why;
    EXPECT_EQ(report.rows[0].total, 0);
    o.year = 2024;
    ASSERT_EQ(compute(o, none), 0) << why;
    EXPECT_EQ(report.rows[0].months[0], 9000);
    EXPECT_EQ(report.rows[4].months[0], 50);
    EXPECT_EQ(report.rows[9].months[0], 8950);
    o.year = 2022;
    o.periods = false;
    ASSERT_EQ(compute(o, none), 0) << why;
    EXPECT_EQ(report.rows[4].total, 300);
    o.year = 2021;
    EXPECT_EQ(compute(o, none), -1);
    EXPECT_NE(why.find("Io2020"), std::string::npos) << why;
}

TEST_F(YearReportTest, DataFolderReportReadsTheBudgetFileAndWritesCsv) {
    writeLedger(5000, {{2025, 12, 1, "初期残高", 0, 0}, {2026, 2, 3, "食費", 0, 1200}, {2026, 3, 3, "給与", 1000, 0}});
    SaveItemTable(NameFilesIn(DataFolder(dir.path())).item, names, dlg);
    BgtRecord b;
    FillBudget(b, -1);
    b.HeldYear = 2026;
    for (int month = 1; month <= 12; ++month)
        b.at(month, 1, 1) = 1000;
    ASSERT_EQ(SaveBudget(b, 2026, names.items, session.budgetPlace, dlg), 0);
    YearReportOptions o;
    o.year = 2026;
    ASSERT_EQ(LoadYearReport(DataFolder(dir.path()), o, report, dlg, why), 0) << why;
    ASSERT_EQ(report.rows[4].name, "食費");
    EXPECT_EQ(report.rows[4].budget, 12000);
    EXPECT_EQ(report.rows[4].difference, -10800);
    EXPECT_EQ(report.coveredMonths, 3);
    EXPECT_EQ(report.rows[4].average, 400);
    CsvWriter csv;
    WriteYearReportCsv(csv, report);
    const std::string text(csv.Data());
    EXPECT_EQ(
        text.substr(0, text.find("\r\n")),
        "項目名,1月,2月,3月,4月,5月,6月,7月,8月,9月,10月,11月,12月,年間合計,月平均,年間予算,差額,前年合計,前年比(%)");
    EXPECT_NE(text.find("\r\n食費,0,1200,0,0,0,0,0,0,0,0,0,0,1200,400,12000,-10800,0,\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n(収支差引),0,-1200,1000,0,0,0,0,0,0,0,0,0,-200,-67,-12000,11800,0,\r\n"),
              std::string::npos)
        << text;
    // A change is a plain number: a negative one gets no guarding quote.
    CsvWriter d;
    d.Decimal(-41, 1).Decimal(5, 1).Decimal(1234, 1).EndRow();
    EXPECT_EQ(d.Data(), "-4.1,0.5,123.4\r\n");
}
