#pragma once

namespace mrt {

// Japanese public holidays of 2000..2050, computed by the holiday law as it stands for each year:
// fixed dates, the Mondays of the "Happy Monday" rule, the equinoxes by the usual formula, the
// moved holidays of 2019..2021 (enthronement days, the games of 2020 and 2021), substitute
// holidays for a holiday on a Sunday, and citizens' holidays between two holidays.
constexpr int kFirstHolidayYear = 2000;
constexpr int kLastHolidayYear = 2050;

// True when the date is a public holiday (any kind above). False outside 2000..2050.
bool IsPublicHoliday(int year, int month, int day);
// The holiday's name ("元日", "振替休日", "国民の休日", ...); empty on other days.
const char* HolidayName(int year, int month, int day);
// 0 Sunday .. 6 Saturday.
int Weekday(int year, int month, int day);
// Neither a Saturday, a Sunday nor a public holiday.
bool IsBusinessDay(int year, int month, int day);

} // namespace mrt
