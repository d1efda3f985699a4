#pragma once
#include "books/Books.h"
#include "books/Transfers.h"
#include "totals/Totals.h"

#include <string>
#include <vector>

namespace mrt {

// The totals of a week and its closing period over all books of the home, as the household sees
// them: the rows are those of s.names (the first book's items), every book's lines are counted
// into them, the lines of transfers between the books are left out (they are neither income nor
// spending of the household), and the balance row is the sum of the books' balances. The week is
// clamped to the span of all books. Results as ComputeTotals (the view, when set, is shown).
int ComputeHouseholdTotals(const std::string& home, const std::vector<Book>& books, TotalsSession& s,
                           CivilDate& lastDate, bool rebuild);

// Takes a counted line out of a totals table (the reverse of what AccumulateTotals added for it;
// the balance row is kept).
void RemoveFromTotals(const IoRecord& line, TotalsState& st);

// Points the session at the totals over all books (s.compute); the budget is the first book's.
void UseHouseholdTotals(TotalsSession& s, const std::string& home, const std::vector<Book>& books);

// The title word of the two views: "この家計簿" / "全家計簿".
inline constexpr const char* kThisBookLabel = "この家計簿";
inline constexpr const char* kAllBooksLabel = "全家計簿";

} // namespace mrt
