// Randomized edits of random blocks, saved to the files and applied to a plain in-memory ledger;
// after every save the files must hold exactly the plain ledger's lines and balances and pass the
// consistency check. Brief by default; MRTKEL_LONG=1 runs it long. MRTKEL_SEED picks the seed.
#include "ledger/LedgerBalance.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerCheck.h"
#include "ledger/LedgerSave.h"
#include "support/ScriptedDialogs.h"
#include "test_ledger_fixture.h"
#include "util/DateText.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <random>

namespace mrt::test {
namespace {

int ymOf(int y, int m) { return y * 12 + (m - 1); }
int ymOf(const Line& l) { return ymOf(l.y, l.m); }

class RandomLedger {
public:
    explicit RandomLedger(uint32_t seed) : m_rng(seed) {}

    int below(int n) { return static_cast<int>(m_rng() % static_cast<uint32_t>(n)); }

    // A line dated inside months [lo, hi] (year*12 + month-1) and not before the start date.
    Line randomLine(int lo, int hi, const Line& start) {
        static const char* kItems[] = {"食費", "交通費", "日用品", "ｶﾞｿﾘﾝ", "給与", "雑費"};
        int ym = lo + below(hi - lo + 1);
        Line l;
        l.y = ym / 12;
        l.m = ym % 12 + 1;
        l.d = 1 + below(DaysInMonth(l.y, l.m));
        if (ymOf(l) == ymOf(start) && l.d < start.d) l.d = start.d;
        l.item = kItems[below(6)];
        l.note = below(3) == 0 ? "メモ" + std::to_string(below(100)) : "";
        l.shop = below(4) == 0 ? "店" + std::to_string(below(10)) : "";
        (l.item == std::string("給与") ? l.inc : l.exp) = 1 + below(99999);
        return l;
    }

private:
    std::mt19937 m_rng;
};

void runRandomized(uint32_t seed, int rounds) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    TempDir dir;
    ScriptedDialogs dlg;
    RandomLedger rnd(seed);
    const Line start{2003, 3, 15, "初期残高", "", "", 0, 0, 500000};
    std::vector<Line> plain = {start};

    LedgerState st = stateFor(dir.path(), 2 + rnd.below(5), 1500);
    ASSERT_EQ(ScanLedgerYears(st, dlg), 0);
    st.block = {toRecord(start)};
    st.LedgerModified = true;
    ASSERT_EQ(SaveLedgerBlock(st, dlg), 0);

    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // Move to a random block.
        int move = rnd.below(4);
        if (move == 0) {
            ASSERT_EQ(LoadStartBlock(st, dlg), 0);
        } else if (move == 3) {
            const Line& at = plain[static_cast<size_t>(rnd.below(static_cast<int>(plain.size())))];
            ASSERT_EQ(ReReadBlock(st, 0, at.y, at.m, dlg), 0);
        } else {
            ASSERT_EQ(ReReadBlock(st, move == 1 ? -1 : 1, 0, 0, dlg), 0);
        }
        const LedgerIndex& idx = st.index;
        int lo = ymOf(idx.BlockStartYear, idx.BlockStartMonth);
        int hi = lo + idx.BlockSpan - 1;
        bool newest = st.BlockPos == kBlockNewest || st.BlockPos == kBlockWhole;
        bool holdsFirst = st.BlockPos <= kBlockOldest;

        // The block is exactly the plain ledger's lines of its months.
        std::vector<Line> before, inRange, after;
        for (const Line& l : plain) (ymOf(l) < lo ? before : ymOf(l) > hi ? after : inRange).push_back(l);
        std::vector<Line> loaded;
        for (const IoRecord& r : st.block) loaded.push_back(toLine(r));
        ASSERT_EQ(loaded, inRange);
        ASSERT_EQ(holdsFirst, before.empty());
        ASSERT_EQ(newest, after.empty());

        // Edit it as the ledger window would.
        int editHi = newest ? std::min(hi + (rnd.below(8) == 0 ? 26 : 3), ymOf(2049, 12)) : hi;
        size_t firstEditable = holdsFirst ? 1 : 0;
        std::vector<IoRecord>& b = st.block;
        for (int e = 1 + rnd.below(8); e > 0; --e) {
            int op = rnd.below(10);
            if (op < 4) {
                size_t p = firstEditable + static_cast<size_t>(rnd.below(static_cast<int>(b.size() - firstEditable) + 1));
                b.insert(b.begin() + static_cast<std::ptrdiff_t>(p), toRecord(rnd.randomLine(lo, editHi, start)));
            } else if (op < 7 && b.size() > firstEditable + (holdsFirst ? 0 : 1)) {
                size_t p = firstEditable + static_cast<size_t>(rnd.below(static_cast<int>(b.size() - firstEditable)));
                b.erase(b.begin() + static_cast<std::ptrdiff_t>(p));
            } else if (op < 9 && b.size() > firstEditable) {
                size_t p = firstEditable + static_cast<size_t>(rnd.below(static_cast<int>(b.size() - firstEditable)));
                Line moved = rnd.randomLine(lo, editHi, start);
                b[p].Year = static_cast<int16_t>(moved.y);
                b[p].Month = static_cast<int16_t>(moved.m);
                b[p].Day = static_cast<int16_t>(moved.d);
                if (BreaksDateOrder(b, p)) st.PreSortF = true;
            } else if (b.size() > 1) {
                ASSERT_TRUE(SortBlock(b));
            }
        }
        // Balances from the balance before the block, as the grid keeps them.
        int32_t opening = before.empty() ? start.bal : before.back().bal;
        ASSERT_TRUE(BalanceAfter(opening, b[0], b[0].Balance));
        ASSERT_TRUE(RecomputeBalances(b, 1));
        st.LedgerModified = true;
        ASSERT_EQ(SaveLedgerBlock(st, dlg), 0);

        // The plain ledger: lines before, the block as saved, lines after with carried balances.
        plain = before;
        for (const IoRecord& r : st.block) plain.push_back(toLine(r));
        plain.insert(plain.end(), after.begin(), after.end());
        for (size_t i = 1; i < plain.size(); ++i)
            plain[i].bal = plain[i].inc >= 1 ? plain[i - 1].bal + plain[i].inc : plain[i - 1].bal - plain[i].exp;

        // A fresh scan sees the same index, and the files hold exactly the plain ledger.
        LedgerState fresh = stateFor(dir.path(), st.BlockMonthsInUse, 1500);
        ASSERT_EQ(ScanLedgerYears(fresh, dlg), 0);
        EXPECT_EQ(fresh.index.FirstYear * 10000 + fresh.index.FirstMonth * 100 + fresh.index.FirstDay,
                  idx.FirstYear * 10000 + idx.FirstMonth * 100 + idx.FirstDay);
        EXPECT_EQ(fresh.index.LastYear * 10000 + fresh.index.LastMonth * 100 + fresh.index.LastDay,
                  plain.back().y * 10000 + plain.back().m * 100 + plain.back().d);
        EXPECT_EQ(idx.LastYear * 10000 + idx.LastMonth * 100 + idx.LastDay,
                  plain.back().y * 10000 + plain.back().m * 100 + plain.back().d);
        EXPECT_EQ(fresh.index.TotalLines, static_cast<int32_t>(plain.size()));
        EXPECT_EQ(idx.TotalLines, static_cast<int32_t>(plain.size()));
        for (int yi = 1; yi <= idx.YearCount; ++yi) {
            EXPECT_EQ(fresh.index.YearLines[yi - 1], idx.YearLines[yi - 1]);
            EXPECT_TRUE(fresh.index.Months[yi - 1] == idx.Months[yi - 1]) << "year index " << yi;
        }
        ASSERT_EQ(CheckLedgerFiles(fresh.index), std::vector<std::string>{});
        std::vector<Line> onDisk;
        ASSERT_EQ(ForEachLedgerLine(fresh.index, dlg, [&](const IoRecord& r) {
                      onDisk.push_back(toLine(r));
                      return true;
                  }),
                  0);
        size_t diff = 0;
        while (diff < onDisk.size() && diff < plain.size() && onDisk[diff] == plain[diff]) ++diff;
        ASSERT_EQ(diff, plain.size()) << "first difference at line " << diff << ": on disk "
                                      << (diff < onDisk.size() ? ::testing::PrintToString(onDisk[diff]) : "none")
                                      << ", expected "
                                      << (diff < plain.size() ? ::testing::PrintToString(plain[diff]) : "none");
        ASSERT_EQ(onDisk.size(), plain.size());
    }
}

TEST(LedgerRandom, EditsOfRandomBlocksMatchAPlainLedger) {
    bool longRun = std::getenv("MRTKEL_LONG") && std::string(std::getenv("MRTKEL_LONG")) == "1";
    uint32_t seed = std::getenv("MRTKEL_SEED") ? static_cast<uint32_t>(std::atoi(std::getenv("MRTKEL_SEED"))) : 20240611;
    int seeds = longRun ? 20 : 2;
    for (int s = 0; s < seeds && !::testing::Test::HasFailure(); ++s) runRandomized(seed + s, longRun ? 400 : 30);
}

} // namespace
} // namespace mrt::test
