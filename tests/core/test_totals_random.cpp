// Random ledgers and weeks checked against a plain model of the totals: per-day sums, the closing
// period summed from every line whose date lies in it, and the balance at the end of each day.
#include "test_totals_fixture.h"
#include "util/DateText.h"

#include <filesystem>
#include <random>
#include <string>

using namespace totals_test;

namespace {

// Rows of the fixture's items; "給与" on an expense line and unknown names are "(不明)".
int modelRow(const Line& l) {
    const std::string name = l.item;
    if (l.income >= 1) return name == "給与" ? kSalary : name == "賞与" ? kBonus : kInUnknown;
    if (name == "食費") return kFood;
    if (name == "光熱費") return kPower;
    if (name == "交通費") return kTravel;
    return kOutUnknown;
}

// The closing period worked out from its definition, as comparable date numbers.
void modelPeriod(const CivilDate& last, int closingDay, int32_t& start, int32_t& end) {
    int y2 = last.year, m2 = last.month;
    if (last.day > closingDay && ++m2 > 12) m2 = 1, ++y2;
    end = DateNum(y2, m2, closingDay);
    if (closingDay == 31)
        start = DateNum(y2, m2, 1);
    else
        start = m2 == 1 ? DateNum(y2 - 1, 12, closingDay + 1) : DateNum(y2, m2 - 1, closingDay + 1);
}

} // namespace

TEST_F(TotalsFixture, RandomLedgersMatchAPlainModel) {
    std::mt19937 rng(7);
    const char* incomeNames[] = {"給与", "賞与", "謎"};
    const char* expenseNames[] = {"食費", "光熱費", "交通費", "旧", "給与"};
    const int closingDays[] = {31, 25, 30, 1, 10, 28, 29, 0};
    for (int round = 0; round < 80; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // Lines at most 12 days apart around a year end: weeks without lines occur, yet every loaded
        // month holds lines.
        std::vector<Line> lines;
        int key = DateKey(2023, 11, 20) + static_cast<int>(rng() % 20);
        const int firstKey = key;
        int y, m, d;
        DateFromKey(key, y, m, d);
        lines.push_back({y, m, d, "初期残高", 0, 0});
        const int count = 5 + static_cast<int>(rng() % 40);
        for (int i = 0; i < count; ++i) {
            key += static_cast<int>(rng() % 6 == 0 ? rng() % 13 : rng() % 3);
            DateFromKey(key, y, m, d);
            if (rng() % 3 == 0)
                lines.push_back({y, m, d, incomeNames[rng() % 3], static_cast<int32_t>(1 + rng() % 1000), 0});
            else
                lines.push_back({y, m, d, expenseNames[rng() % 5], 0, static_cast<int32_t>(rng() % 500)});
        }
        std::filesystem::remove_all(dir / "Data1");
        MakeFolders(dir / "Data1/BU");
        writeLedger(10000, lines);
        std::vector<int64_t> balance(lines.size(), 10000);
        for (size_t i = 1; i < lines.size(); ++i)
            balance[i] = balance[i - 1] + (lines[i].income >= 1 ? lines[i].income : -lines[i].expense);

        settings.ClosingDay = static_cast<int16_t>(closingDays[rng() % 8]);
        const int closingDay = settings.ClosingDay == 0 ? 31 : settings.ClosingDay;
        CivilDate last;
        DateFromKey(firstKey - 10 + static_cast<int>(rng() % (key - firstKey + 20)), last.year, last.month, last.day);
        ASSERT_EQ(ComputeTotals(session, last, true), 0);
        const TotalsState& st = session.state;
        const int weekKey = DateKey(st.WeekStart.year, st.WeekStart.month, st.WeekStart.day);
        const int days = st.DayCount;
        ASSERT_EQ(days, DateKey(last.year, last.month, last.day) - weekKey + 1);
        ASSERT_LE(days, 7);
        int32_t periodStart, periodEnd;
        modelPeriod(last, closingDay, periodStart, periodEnd);

        std::vector<std::array<int64_t, kTotalsColumns + 1>> expected(kBalance + 1);
        bool periodHasLines = false;
        for (size_t i = 0; i < lines.size(); ++i) {
            const Line& l = lines[i];
            const int row = modelRow(l), side = l.income >= 1 ? 0 : 1;
            const int64_t amount = side == 0 ? l.income : l.expense;
            const int column = DateKey(l.y, l.m, l.d) - weekKey + 1;
            if (column >= 1 && column <= days) {
                for (int c : {column, days + 1}) {
                    expected[row][c] += amount;
                    expected[kInSum + side][c] += amount;
                }
            }
            const int32_t date = DateNum(l.y, l.m, l.d);
            if (date >= periodStart && date <= periodEnd) {
                expected[row][days + 2] += amount;
                expected[kInSum + side][days + 2] += amount;
                expected[kBalance][days + 2] = balance[i];
                periodHasLines = true;
            }
        }
        for (int c = 1; c <= days; ++c) {
            int64_t endOfDay = 10000;
            for (size_t i = 0; i < lines.size(); ++i)
                if (DateKey(lines[i].y, lines[i].m, lines[i].d) <= weekKey + c - 1) endOfDay = balance[i];
            expected[kBalance][c] = endOfDay;
        }
        expected[kBalance][days + 1] = expected[kBalance][days];
        if (!periodHasLines) expected[kBalance][days + 2] = expected[kBalance][days];

        for (int r = 1; r <= kBalance; ++r)
            for (int c = 1; c <= days + 2; ++c)
                ASSERT_EQ(cell(r, c), expected[r][c]) << "row " << r << " column " << c << " closing day " << closingDay
                                                      << " last date " << FormatDate(last.year, last.month, last.day);
    }
}
