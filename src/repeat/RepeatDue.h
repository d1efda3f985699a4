#pragma once
#include "repeat/RepeatTable.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mrt {

class Dialogs;
struct LedgerState;
struct NameTables;

enum class DueChoice {
    Accept,   // the line goes into the ledger
    Skip,     // this occurrence is dropped for good
    Postpone, // offered again next time
};

// A line that fell due, as the due list shows it.
struct DueLine {
    int entry = 0;             // index into the table's entries
    int32_t date = 0;          // the line's date, yyyymmdd
    bool wasPostponed = false; // put off when offered before
    std::string amount;        // the amount expression of the line: the entry's unless changed
    DueChoice choice = DueChoice::Accept;
};

// The lines due up to `until` (yyyymmdd): the dates put off before, and the occurrences after each
// entry's offered-up-to date. Ordered by date, then by entry. No date appears twice for an entry.
std::vector<DueLine> CollectDueLines(const RepeatTable& table, int32_t until);

// The table after the lines were decided: every entry offered up to `until` (never moved back),
// the postponed lines kept for the next time, the others dropped from its postponed dates.
RepeatTable DecideDueLines(const RepeatTable& table, const std::vector<DueLine>& lines, int32_t until);

// The accepted lines in the ledger's CSV columns (date, item, note, shop, income, expense), as
// the import reads them.
std::string AcceptedLinesCsv(const RepeatTable& table, const std::vector<DueLine>& lines);

// Adds the accepted lines to the ledger through the import (each line checked as an imported
// line is; all or nothing) and writes the decided table in the same commit, so a line is never
// added twice, a crash between the two included. The ledger of `st` is read and written through
// a copy of its index (st itself is left alone: the caller reads the ledger anew). `table` is
// replaced by the decided one on success. Returns the number of lines added (0 and nothing
// written when there is nothing to decide); -1 after a message when nothing was changed.
int ApplyDueLines(const LedgerState& st, NameTables& names, const std::string& dataFolder, RepeatTable& table,
                  const std::vector<DueLine>& lines, int32_t until, int taxRate, Dialogs& dlg);

} // namespace mrt
