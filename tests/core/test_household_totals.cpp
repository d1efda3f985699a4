// The totals over all books against a plain model: three books with random lines and random
// transfers between them; every item row, day, week and closing-period cell is the sum over the
// books of their lines that are no transfer, and the balance row the sum of the books' balances.
#include "books/BookCreate.h"
#include "books/BookLedger.h"
#include "books/BookTotals.h"
#include "ledger/LedgerBalance.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerSave.h"
#include "ledger/StartDate.h"
#include "names/NameTables.h"
#include "port/ConsoleDialogs.h"
#include "settings/IniRecord.h"
#include "support/TempDir.h"
#include "util/DateText.h"
#include "util/Home.h"
#include "util/Paths.h"

#include <gtest/gtest.h>

#include <random>

namespace mrt::test {
namespace {

struct ModelLine {
    int32_t date;
    std::string item;
    int32_t income = 0, expense = 0;
    bool transfer = false;
};

CivilDate dayOf(int key) {
    CivilDate d;
    DateFromKey(key, d.year, d.month, d.day);
    return d;
}

int32_t num(const CivilDate& d) {
    return DateNum(d.year, d.month, d.day);
}

class HouseholdTotals : public ::testing::TestWithParam<unsigned> {};

TEST_P(HouseholdTotals, AreTheBooksTotalsWithoutTheTransfers) {
    std::mt19937 rng(GetParam());
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    TempDir home;
    ConsoleDialogs quiet;
    NameTables names;
    for (const char* in : {"給与", "賞与"})
        AddName(names, kItemTable, 0, in);
    for (const char* out : {"食費", "日用品", "交通費"})
        AddName(names, kItemTable, 1, out);
    const std::vector<std::string> items = {"給与", "賞与", "食費", "日用品", "交通費", "謎", ""};

    // Three books starting within January 2024, each with a block of random lines.
    const int base = DateKey(2024, 1, 1);
    std::vector<Book> books = {FirstBook()};
    std::vector<std::vector<ModelLine>> model(3);
    std::vector<int32_t> opening(3);
    std::vector<int> startKey(3);
    std::string error;
    for (int b = 0; b < 3; ++b) {
        startKey[b] = base + pick(0, 30);
        opening[b] = pick(0, 500000);
        const CivilDate s = dayOf(startKey[b]);
        if (b > 0) {
            NewBook nb{"口座" + std::to_string(b), BookKind::Bank, s, opening[b], "", ""};
            ASSERT_EQ(CreateBook(home.path(), books, nb, quiet, error), 0) << error;
        }
        LedgerState st;
        st.index.SetDataFolder(BookDataFolder(home.path(), books[b].folder));
        MakeFolders(BookDataFolder(home.path(), books[b].folder));
        if (b > 0) ASSERT_EQ(OpenBookLedger(BookDataFolder(home.path(), books[b].folder), st, quiet, error), 0);
        std::vector<IoRecord> lines = {InitialBalanceLine(s.year, s.month, s.day, opening[b])};
        int key = startKey[b];
        for (int n = pick(5, 60); n > 0; --n) {
            key += pick(0, 3);
            IoRecord l;
            const CivilDate d = dayOf(key);
            l.Year = static_cast<int16_t>(d.year), l.Month = static_cast<int16_t>(d.month),
            l.Day = static_cast<int16_t>(d.day);
            l.ItemName = items[static_cast<size_t>(pick(0, 6))];
            (pick(0, 3) == 0 ? l.Income : l.Expense) = pick(1, 30000);
            BalanceAfter(lines.back().Balance, l, l.Balance);
            lines.push_back(l);
            model[b].push_back({num(d), l.ItemName, l.Income, l.Expense});
        }
        if (b == 0) {
            st.block = lines;
            ASSERT_EQ(SaveLedgerBlock(st, quiet), 0);
        } else {
            // The initial line is there already: the block holding it takes the rest.
            ASSERT_EQ(LoadStartBlock(st, quiet), 0);
            st.block = lines;
            ASSERT_EQ(SaveLedgerBlock(st, quiet), 0);
        }
    }
    // Random transfers, on days where both books have started.
    for (int n = pick(1, 12); n > 0; --n) {
        Transfer t;
        const int from = pick(0, 2), to = (from + pick(1, 2)) % 3;
        const CivilDate d = dayOf(std::max(startKey[from], startKey[to]) + pick(0, 70));
        t.year = d.year, t.month = d.month, t.day = d.day, t.amount = pick(1, 90000);
        t.from = books[from].folder, t.to = books[to].folder;
        ASSERT_EQ(EnterTransfer(home.path(), books, t, quiet, error), 0) << error;
        model[from].push_back({num(d), "振替", 0, t.amount, true});
        model[to].push_back({num(d), "振替", t.amount, 0, true});
    }

    IniRecord settings;
    SettingsDefaults(settings);
    for (int round = 0; round < 6; ++round) {
        settings.ClosingDay = static_cast<int16_t>(round == 0 ? 31 : pick(1, 31));
        // A week inside the books' span, so that it is not clamped.
        const int firstKey = *std::min_element(startKey.begin(), startKey.end());
        CivilDate last = dayOf(firstKey + 6 + pick(0, 80));
        LedgerState first;
        ASSERT_EQ(OpenBookLedger(BookDataFolder(home.path(), "Data1"), first, quiet, error), 0);
        if (num(last) > DateNum(first.index.LastYear, first.index.LastMonth, first.index.LastDay)) {
            // Past every book's end the week would be clamped; stay where some book has lines.
            int32_t maxLast = 0;
            for (const auto& m : model)
                for (const ModelLine& l : m)
                    maxLast = std::max(maxLast, l.date);
            if (num(last) > maxLast) last = {maxLast / 10000, maxLast / 100 % 100, maxLast % 100};
        }
        BgtRecord budget;
        TotalsSession s;
        s.ledger = &first;
        s.names = &names;
        s.settings = &settings;
        s.budget = &budget;
        s.dlg = &quiet;
        UseHouseholdTotals(s, home.path(), books);
        CivilDate asked = last;
        ASSERT_EQ(ComputeTotals(s, asked, true), 0);
        const TotalsState& st = s.state;
        ASSERT_EQ(num(st.LastDate), num(last));
        ASSERT_EQ(st.DayCount, 7);

        // The plain model: sums over the books' lines that are no transfer.
        std::vector<std::array<int64_t, kTotalsColumns + 1>> want(static_cast<size_t>(st.RowCount) + 1);
        const int weekKey = DateKey(st.WeekStart.year, st.WeekStart.month, st.WeekStart.day);
        const int sumRow = st.RowCount - 2;
        for (int b = 0; b < 3; ++b) {
            for (const ModelLine& l : model[b]) {
                if (l.transfer) continue;
                IoRecord r;
                r.ItemName = l.item, r.Income = l.income, r.Expense = l.expense;
                const LineClass c = ClassifyLine(r, st.incomeList, st.expenseList);
                const int col = DateKey(l.date / 10000, l.date / 100 % 100, l.date % 100) - weekKey + 1;
                if (col >= 1 && col <= 7) {
                    for (int k : {col, 8}) {
                        want[c.row][k] += c.amount;
                        want[sumRow + c.side][k] += c.amount;
                    }
                }
                if (l.date >= num(st.periodStart) && l.date <= num(st.periodEnd)) {
                    want[c.row][9] += c.amount;
                    want[sumRow + c.side][9] += c.amount;
                }
            }
            // Balances: running sums in date order (the lines were entered in it, transfers after
            // the other lines of their day).
            std::vector<ModelLine> ordered = model[b];
            std::stable_sort(ordered.begin(), ordered.end(),
                             [](const ModelLine& x, const ModelLine& y) { return x.date < y.date; });
            auto balanceAt = [&](int32_t day) -> int64_t {
                if (day < DateNum(dayOf(startKey[b]).year, dayOf(startKey[b]).month, dayOf(startKey[b]).day)) return 0;
                int64_t v = opening[b];
                for (const ModelLine& l : ordered)
                    if (l.date <= day) v += l.income >= 1 ? l.income : -int64_t(l.expense);
                return v;
            };
            for (int c = 1; c <= 7; ++c)
                want[st.RowCount][c] += balanceAt(num(dayOf(weekKey + c - 1)));
            want[st.RowCount][8] += balanceAt(num(dayOf(weekKey + 6)));
            int32_t lastInPeriod = 0;
            for (const ModelLine& l : ordered)
                if (l.date >= num(st.periodStart) && l.date <= num(st.periodEnd)) lastInPeriod = l.date;
            want[st.RowCount][9] += balanceAt(lastInPeriod ? lastInPeriod : num(dayOf(weekKey + 6)));
        }
        for (int r = 1; r <= st.RowCount; ++r)
            for (int c = 1; c <= 9; ++c)
                EXPECT_EQ(st.table[r][c], want[r][c])
                    << "seed " << GetParam() << " round " << round << " row " << st.rowNames[r] << " column " << c;
        if (HasFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, HouseholdTotals, ::testing::Range(1u, 7u));

} // namespace
} // namespace mrt::test
