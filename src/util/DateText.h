#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace mrt {

// Number of days of the month; February follows the Gregorian rule (2000 leap, 1900 and 2100 not).
int16_t DaysInMonth(int year, int month);
// True when year/month/day is a real calendar date (years 1..9999).
bool IsValidDate(int year, int month, int day);

// Day serial: days since 30 December 1899 (so 1 January 1900 is 2). Used to order ledger lines.
int32_t DateKey(int year, int month, int day);
// Inverse of DateKey.
void DateFromKey(int32_t key, int& year, int& month, int& day);
// year * 10000 + month * 100 + day, the ledger's comparable date number.
inline int32_t DateNum(int year, int month, int day) { return year * 10000 + month * 100 + day; }

// Two-digit year rule: above 90 means 19xx, anything else 20xx (90 itself is 2090).
int ExpandTwoDigitYear(int yy);

// Date texts: yyyymmdd, yymmdd, yyyy/mm/dd, yy/mm/dd (any one separator character).
// Separator not empty: inserts it (yymmdd → yy/mm/dd, yyyymmdd → yyyy/mm/dd).
// Separator empty: removes it (8 chars → 1-2,4-5,7-8; 10 chars → 1-4,6-7,9-10).
std::string DateSeparators(std::string_view date, std::string_view sep);
// The date `days` (0..365) later, in the same form as the input.
std::string AddDaysToDateText(std::string_view date, int days);
// True when the text is not a real calendar date. Accepts the four forms above and
// yyyy-m-d / yyyy/m/d with 1- or 2-digit month and day.
bool IsBadDate(std::string_view text);
// Parses a date text of the forms above; false when it is not a real date.
bool ParseDateText(std::string_view text, int& year, int& month, int& day);
// yyyy/mm/dd with the given separator.
std::string FormatDate(int year, int month, int day, std::string_view sep = "/");

} // namespace mrt
