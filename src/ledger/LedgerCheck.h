#pragma once
#include "ledger/LedgerIndex.h"

#include <string>
#include <vector>

namespace mrt {

// Reads every ledger year file and information file named by the index's prefixes (nothing is
// written) and returns one line of text per inconsistency found; empty when the ledger is sound.
// Checked: counts against capacities, region-end records, lines of the wrong month or year,
// impossible dates, texts that are not CP932, amounts outside 0..99,999,999, balances that do
// not follow from the line before (balance rule, in ledger order), dates before the start date
// (the first line's date),
// information files that count lines for a year without a year file, year files without
// information files, information files that are not 120 bytes, year files that are not whole
// records or shorter than their regions, and a ledger longer than 50 years.
std::vector<std::string> CheckLedgerFiles(const LedgerIndex& names);

// The same checks for the information and year file of one year taken by themselves: the
// balances follow from the year's first line, and the start date, a matter of the whole ledger,
// is not checked. Empty when the year is sound (a year without files is).
std::vector<std::string> CheckLedgerYear(const LedgerIndex& names, int year);

} // namespace mrt
