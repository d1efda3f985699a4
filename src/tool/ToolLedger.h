#pragma once
#include "ledger/LedgerIndex.h"
#include "tool/ToolCommands.h"

#include <string>

namespace mrt {

// Points the state at the context's data folder, takes the block settings and scans the year
// files. A missing data folder is an empty ledger. With `anyBlockSize` the block limit is lifted,
// for commands that read lines without editing a block. False (the reason already on stderr)
// when the ledger cannot be read.
bool OpenToolLedger(ToolContext& ctx, LedgerState& st, bool anyBlockSize = false);

// Parses YYYY-MM-DD (or the other date forms of the program) into year, month, day.
bool ParseToolDate(const std::string& text, int& year, int& month, int& day);

} // namespace mrt
