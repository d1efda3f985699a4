#pragma once
#include "ledger/LedgerIndex.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mrt {

class Dialogs;

// Year-month arithmetic: adds n months (n may be negative), keeping month in 1..12.
void AddMonths(int& year, int& month, int n);
// -1, 0 or 1 by chronological order of (y1, m1) and (y2, m2).
int CompareYearMonth(int y1, int m1, int y2, int m2);
// Calendar months from (y1, m1) to (y2, m2) inclusive; 0 or less when the second is earlier.
int MonthsFromTo(int y1, int m1, int y2, int m2);

// Builds st.index from the information files; writes nothing (a missing information file of a
// year between years with lines reads as twelve empty months). 0 done, 1 a one-month probe
// overflowed MaxBlockLines, -1 read error (message shown).
int ScanLedgerYears(LedgerState& st, Dialogs& dlg);

// Reads the block described by st.index.BlockStartYear/BlockStartMonth/BlockSpan into `target`
// and sets the block fields of the index (start, span, end balance) and st.PreSortF; unless
// probing also st.BlockPos. 0 done; 1 more than st.MaxBlockLines lines (message shown); -1 error
// (a corrupt line's message shown; other read errors are reported by the caller).
// On a non-zero result `target` is left empty, so a partial block can never be saved.
int LoadLedgerBlock(LedgerState& st, std::vector<IoRecord>& target, bool probe, Dialogs& dlg);

// The newest block into st.block (BlockMonthsInUse months). Same results; clears LedgerModified
// and raises MaxBlockLines to the block's length + 1 when it is lower.
int LoadStartBlock(LedgerState& st, Dialogs& dlg);

// Lines the start-up holds at once with `blockMonths` months per block: the newest block, or the
// ledger's first month when that is larger (the scan refuses a first month larger than a block). The
// start-up overflows when this exceeds MaxBlockLines. From the index only; no file is read.
int LinesToLoadAtStart(const LedgerIndex& idx, int blockMonths);

// Saves a modified block, then moves the block: direction 1 one month later, -1 one month
// earlier, 0 the block that ends at (year, month); months without lines are stepped over.
// 0 done, -1 failed (message shown).
int ReReadBlock(LedgerState& st, int direction, int year, int month, Dialogs& dlg);

class IoFileReader;

// The year files of every year with lines, all open at once: opened while the files hold one saved
// state, they are read in that state however long the reading takes, for a save renames new files
// over the old ones and never writes into one.
class LedgerYearFiles {
public:
    LedgerYearFiles();
    ~LedgerYearFiles();
    LedgerYearFiles(const LedgerYearFiles&) = delete;
    LedgerYearFiles& operator=(const LedgerYearFiles&) = delete;

    // False with `why` set as the walks below report it: a year file missing, unreadable or
    // shorter than its regions.
    bool Open(const LedgerIndex& idx, Dialogs& dlg, std::string& why);
    // The file of year index yi (1-based); nullptr when that year has no lines or was not opened.
    IoFileReader* Year(int yi) const;

private:
    std::vector<std::unique_ptr<IoFileReader>> m_files; // by year index - 1
};

// Visits every line of the ledger in ledger order (year by year, month by month, slot order),
// holding one year file at a time, or reading those `opened` holds; `visit` returns false to stop. 0 done, -1 a year
// file is missing, unreadable, shorter than its regions or holds a damaged line (nothing shown; `why`, when given,
// receives the file and the reason).
int ForEachLedgerLine(const LedgerIndex& idx, Dialogs& dlg, const std::function<bool(const IoRecord&)>& visit,
                      std::string* why = nullptr, const LedgerYearFiles* opened = nullptr);
// The same for readers that decode the texts themselves: `visit` gets each line as its record bytes
// (kIoRecordSize) and its numbers (texts left empty), once the numbers passed the checks, and
// returns 1 to go on, 0 to stop, -1 when a text holds bytes that are no CP932 (the line is then
// reported as damaged).
int ForEachLedgerRecord(const LedgerIndex& idx, Dialogs& dlg,
                        const std::function<int(const char* record, const IoRecord& numbers)>& visit,
                        std::string* why = nullptr, const LedgerYearFiles* opened = nullptr);
// The lines of the years firstYear..lastYear only, as ForEachLedgerLine visits them; the other
// year files are not opened.
int ForEachLedgerLineOfYears(const LedgerIndex& idx, int firstYear, int lastYear, Dialogs& dlg,
                             const std::function<bool(const IoRecord&)>& visit, std::string* why = nullptr);

// Reads every line the information file of `year` counts, with the checks of a block load (the
// year file holds every slot of its regions, no line is damaged) but no text decoded. 0 sound or
// no lines; -1 damaged or unreadable (`why`: the file and the reason; nothing shown).
int CheckYearLines(const LedgerIndex& idx, int year, Dialogs& dlg, std::string& why);

// BlockPos of the block described by the index (start and span) against the ledger's range.
int ComputeBlockPos(const LedgerIndex& idx);

// Message shown when the ledger cannot be read.
inline constexpr const char* kLedgerReadFailedMessage = "入出金ﾃﾞｰﾀの読込みに失敗しました。";
// kLedgerReadFailedMessage followed by the file and reason of st.ReadFailure, when known.
std::string LedgerReadFailedMessage(const LedgerState& st);

} // namespace mrt
