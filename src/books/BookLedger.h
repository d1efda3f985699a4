#pragma once
#include "ledger/LedgerIndex.h"
#include "util/Clock.h"

#include <cstdint>
#include <functional>
#include <string>

namespace mrt {

class Dialogs;

// The ledger of one book opened for single-line changes: st points at `dataFolder`, blocks of one
// month, no block-size limit, the year files scanned. 0; -1 unreadable (`error` set, nothing shown).
int OpenBookLedger(const std::string& dataFolder, LedgerState& st, Dialogs& dlg, std::string& error);

// Loads the block holding (year, month): the newest month for a month after the ledger's last,
// otherwise that month (or the nearest earlier month with lines). 0; -1 (`error` set).
int LoadMonthBlock(LedgerState& st, int year, int month, Dialogs& dlg, std::string& error);

// Checks `line` against the ledger of st (a start date, the 50 years), loads its month and puts it
// after the lines of the same or an earlier date with the balances recomputed; the block is then
// ready to be saved. 0; -1 with the reason for the user in `error` (nothing changed on disk).
int InsertBookLine(LedgerState& st, const IoRecord& line, Dialogs& dlg, std::string& error);

// The balance of the book at the end of `day` (0 before its first line). 0; -1 (`error` set).
int BookBalanceAt(const std::string& dataFolder, const CivilDate& day, Dialogs& dlg, int64_t& balance,
                  std::string& error);

} // namespace mrt

namespace mrt {

// Removes from st (whose index is scanned) the first line of (year, month, day) that `match`
// accepts, loading a block that keeps at least one line; the block is then ready to be saved.
// 0 removed; 1 no such line (nothing changed); -1 (`error` set).
int RemoveBookLine(LedgerState& st, int year, int month, int day, const std::function<bool(const IoRecord&)>& match,
                   Dialogs& dlg, std::string& error);
// Replaces the amounts and note of the first line that `match` accepts by those of `now` and
// recomputes the balances. Results as RemoveBookLine.
int ChangeBookLine(LedgerState& st, int year, int month, int day, const std::function<bool(const IoRecord&)>& match,
                   const IoRecord& now, Dialogs& dlg, std::string& error);

} // namespace mrt
