#pragma once
#include "ledger/IoRecord.h"
#include "ledger/LedgerIndex.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mrt {

// What to look for. The text is matched in the item, the breakdown/note and the shop name, each
// on its own, without regard to full-/half-width letters, digits and katakana or letter case;
// blank text matches every line. Bounds are inclusive; 0 / -1 leave them open.
struct SearchQuery {
    std::string text;
    int32_t fromDate = 0;   // yyyymmdd
    int32_t toDate = 0;     // yyyymmdd
    int32_t minAmount = -1; // the line's amount: its income when it has one, else its expense
    int32_t maxAmount = -1;
    size_t limit = 10000; // hits kept; the count goes on past it
};

// One line found, with the place it holds in its month region (the k-th line of the month).
struct SearchHit {
    IoRecord line;
    int slot = 0;
};

struct SearchResult {
    std::vector<SearchHit> hits; // newest first (by date; a day's later lines first)
    int64_t total = 0;           // every matching line, also those beyond the limit
};

// Searches every line of the ledger, reading each year file directly (not through blocks).
// 0 done; -1 a year file is missing or unreadable (error describes it; result is empty).
// A text with a character CP932 cannot hold matches nothing.
int SearchLedger(const LedgerIndex& idx, const SearchQuery& query, SearchResult& result, std::string* error = nullptr);

} // namespace mrt

namespace mrt {

// A date field of a range: blank leaves the side open (0); otherwise a date in the program's
// forms ("2024/03/05", "24/3/5", "2024-03-05"). False for anything else.
bool ParseDateBound(const std::string& text, int32_t& date);

// The search window's fields as a query. Amounts are whole yen, thousands separators allowed;
// blank leaves the side open. False with `problem` set to the message to show when a field is
// neither blank nor valid, or a range ends before it starts.
bool SearchQueryOf(const std::string& text, const std::string& from, const std::string& to, const std::string& min,
                   const std::string& max, SearchQuery& query, std::string& problem);

} // namespace mrt
