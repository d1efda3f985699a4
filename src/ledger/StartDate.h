#pragma once
#include "ledger/LedgerIndex.h"

#include <cstdint>
#include <string>

namespace mrt {

class Dialogs;

// Item name of the ledger's very first line, which carries the initial balance.
inline constexpr const char* kInitialBalanceItem = "初期残高";

// Program-wide copies of the initial-balance line: its date as yyyymmdd and its balance.
struct StartLine {
    std::string StartDateText;
    int32_t InitialBalance = 0;
};

// The ledger's very first line: the start date, "初期残高", no amounts, the initial balance.
IoRecord InitialBalanceLine(int year, int month, int day, int32_t balance);

// The start date of the index (FirstYear/FirstMonth/FirstDay) as yyyymmdd; "" for an empty ledger.
std::string StartDateTextOf(const LedgerIndex& idx);

// The command "開始日付の変更": asks for a new start date and initial balance, moves the
// initial-balance line, rewrites the ledger files and reloads the newest block into `state`.
// 0 = done or abandoned; -1 = a file step failed (message shown, newest block reloaded from
// the files), after which the program ends. `start`, when given, is updated on success.
int ChangeStartDate(LedgerState& state, Dialogs& dlg, StartLine* start = nullptr);

// The initial balance changed from the grid: line 1 of the block in memory takes the balance,
// the following lines' balances are recomputed and LedgerModified is set. Only meaningful for a
// block that holds the ledger's first line (BlockPos negative). -1 (block unchanged) when a
// balance would leave 32 bits or the block is empty; 0 otherwise.
int ChangeInitialBalance(LedgerState& state, int32_t balance, StartLine* start = nullptr);

} // namespace mrt
