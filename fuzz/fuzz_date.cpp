// Date texts in every form the program reads, and the day serials behind them.
#include "FuzzSupport.h"
#include "util/DateText.h"

using namespace mrt;
using namespace mrt::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Pieces in(data, size);
    const int days = in.Byte() + in.Byte() % 110; // 0..364
    const std::string text(in.Rest());
    int y = 0, m = 0, d = 0;
    const bool parsed = ParseDateText(text, y, m, d);
    if (parsed == IsBadDate(text)) Broken("ParseDateText and IsBadDate disagree");
    DateSeparators(text, "/");
    DateSeparators(text, "");
    AddDaysToDateText(text, days);
    if (!parsed) return 0;
    if (!IsValidDate(y, m, d)) Broken("a parsed date is not a calendar date");
    int y2, m2, d2;
    DateFromKey(DateKey(y, m, d), y2, m2, d2);
    if (y2 != y || m2 != m || d2 != d) Broken("a day serial does not give its date back");
    if (DateNum(y, m, d) != y * 10000 + m * 100 + d) Broken("DateNum");
    const std::string formatted = FormatDate(y, m, d);
    int y3, m3, d3;
    if (!ParseDateText(formatted, y3, m3, d3) || y3 != y || m3 != m || d3 != d)
        Broken("a formatted date does not parse back");
    return 0;
}
