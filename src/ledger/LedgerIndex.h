#pragma once
#include "ledger/IoRecord.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace mrt {

// The ledger covers at most this many consecutive years; year index 1 is FirstYear.
constexpr int kMaxLedgerYears = 50;

// Description of the ledger files: dates, per-month counts of up to 50 years, and the place of
// the block in memory. Line counters are 32-bit in memory (the file fields stay 16-bit).
struct LedgerIndex {
    std::string IoPrefix = "Data1/Io";  // year file name = IoPrefix + yyyy + IoExtension
    std::string IoExtension = ".usr";
    std::string InfPrefix = "Data1/Inf";  // information file name = InfPrefix + yyyy + InfExtension
    std::string InfExtension = ".usr";

    int YearCount = 0;  // FirstYear..LastYear inclusive; 0 = empty ledger
    int FirstYear = 0, FirstMonth = 0, FirstDay = 0;
    int LastYear = 0, LastMonth = 0, LastDay = 0;
    std::array<std::array<InfRecord, 12>, kMaxLedgerYears> Months{};  // [yearIndex - 1][month - 1]
    std::array<int32_t, kMaxLedgerYears> YearLines{};
    int32_t TotalLines = 0;

    int BlockStartYear = 0, BlockStartMonth = 0;  // 0, 0 asks for the newest block
    int BlockSpan = 0;
    int32_t BlockEndBalance = 0;

    // Points the four name parts at a data folder ("" = the current folder).
    void SetDataFolder(const std::string& folder);

    InfRecord& Inf(int yearIndex, int month) { return Months[yearIndex - 1][month - 1]; }
    const InfRecord& Inf(int yearIndex, int month) const { return Months[yearIndex - 1][month - 1]; }
    // Year index of a year (may lie outside 1..50).
    int YearIndex(int year) const { return year - FirstYear + 1; }
    bool HoldsYearIndex(int yearIndex) const { return yearIndex >= 1 && yearIndex <= kMaxLedgerYears; }
    // LineCount of a month, 0 for a year outside the index.
    int LinesOf(int year, int month) const;
    // Twelve empty months (Capacity 500, LineCount 0) and YearLines 0.
    void ClearYear(int yearIndex);
};

// Where the block lies in the ledger: -2 the whole ledger, -1 the oldest part, 1 a middle part,
// 2 the newest part.
enum BlockPosition : int { kBlockWhole = -2, kBlockOldest = -1, kBlockMiddle = 1, kBlockNewest = 2 };

// The program-wide ledger state. One per run in the program; tests and the totals hold others.
struct LedgerState {
    LedgerIndex index;
    std::vector<IoRecord> block;  // LedgerBlock; line 1 carries the balance of all earlier lines
    int BlockPos = kBlockWhole;
    bool LedgerModified = false;
    bool PreSortF = false;  // the block may hold lines out of date order

    // File name and reason of the last failed read of the scan or a block load; empty when none.
    std::string ReadFailure;

    int BlockMonthsInUse = 3;  // months per block (2..6)
    int MaxBlockLines = 300;   // lines a block may hold (100..1500, raised by LoadStartBlock)

    int LedgerLineCount() const { return static_cast<int>(block.size()); }
};

} // namespace mrt
