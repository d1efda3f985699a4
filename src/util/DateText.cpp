#include "util/DateText.h"

#include <cctype>
#include <cstdio>

namespace mrt {
namespace {

bool allDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

int toInt(std::string_view s) {
    int v = 0;
    for (char c : s) v = v * 10 + (c - '0');
    return v;
}

// Days from 1970-01-01 in the proleptic Gregorian calendar.
int64_t daysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

constexpr int64_t kSerialEpoch = -25569; // 1899-12-30 relative to 1970-01-01

} // namespace

int16_t DaysInMonth(int year, int month) {
    if (month == 4 || month == 6 || month == 9 || month == 11) return 30;
    if (month == 2) {
        if (year % 4 != 0) return 28;
        if (year % 100 != 0 || year == 2000 || year % 400 == 0) return 29;
        return 28;
    }
    return 31;
}

bool IsValidDate(int year, int month, int day) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

int32_t DateKey(int year, int month, int day) {
    return static_cast<int32_t>(daysFromCivil(year, month, day) - kSerialEpoch);
}

void DateFromKey(int32_t key, int& year, int& month, int& day) {
    int64_t z = key + kSerialEpoch + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

int ExpandTwoDigitYear(int yy) { return yy > 90 ? 1900 + yy : 2000 + yy; }

std::string DateSeparators(std::string_view date, std::string_view sep) {
    std::string d(date);
    if (!sep.empty()) {
        std::string s(sep);
        if (d.size() == 6) return d.substr(0, 2) + s + d.substr(2, 2) + s + d.substr(4, 2);
        if (d.size() < 8) return d;
        return d.substr(0, 4) + s + d.substr(4, 2) + s + d.substr(6, 2);
    }
    if (d.size() == 8) return d.substr(0, 2) + d.substr(3, 2) + d.substr(6, 2);
    if (d.size() < 10) return d;
    return d.substr(0, 4) + d.substr(5, 2) + d.substr(8, 2);
}

std::string AddDaysToDateText(std::string_view date, int days) {
    std::string sep;
    std::string d(date);
    if (d.size() == 10) {
        sep = d.substr(4, 1);
    } else if (d.size() == 8 && !std::isdigit(static_cast<unsigned char>(d[2]))) {
        sep = d.substr(2, 1);
    }
    if (!sep.empty()) d = DateSeparators(d, "");
    const size_t width = d.size(); // 6 or 8
    if (width == 6) d = std::to_string(ExpandTwoDigitYear(toInt(d.substr(0, 2)))).substr(0, 2) + d;
    if (d.size() != 8 || !allDigits(d)) return std::string(date);

    int y = toInt(d.substr(0, 4)), m = toInt(d.substr(4, 2)), day = toInt(d.substr(6, 2));
    // Counted through the day serial, so century years (1900, 2100) are not taken as leap years.
    int32_t key = DateKey(y, m, day) + days;
    DateFromKey(key, y, m, day);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, day);
    std::string r(buf);
    r = r.substr(r.size() - width);
    if (!sep.empty()) r = DateSeparators(r, sep);
    return r;
}

bool ParseDateText(std::string_view text, int& year, int& month, int& day) {
    std::string t(text);
    while (!t.empty() && t.back() == ' ') t.pop_back();
    while (!t.empty() && t.front() == ' ') t.erase(t.begin());
    if (allDigits(t)) {
        if (t.size() == 8) {
            year = toInt(t.substr(0, 4));
        } else if (t.size() == 6) {
            year = ExpandTwoDigitYear(toInt(t.substr(0, 2)));
            t = "00" + t;
        } else {
            return false;
        }
        month = toInt(t.substr(4, 2));
        day = toInt(t.substr(6, 2));
        return IsValidDate(year, month, day);
    }
    // Three groups of digits separated by any one non-digit character each.
    std::string parts[3];
    int n = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        char c = t[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            parts[n] += c;
        } else {
            if (parts[n].empty() || ++n > 2) return false;
        }
    }
    if (n != 2 || parts[2].empty()) return false;
    if (parts[0].size() > 4 || parts[1].size() > 2 || parts[2].size() > 2) return false;
    year = toInt(parts[0]);
    if (parts[0].size() <= 2) year = ExpandTwoDigitYear(year);
    else if (parts[0].size() != 4) return false;
    month = toInt(parts[1]);
    day = toInt(parts[2]);
    return IsValidDate(year, month, day);
}

bool IsBadDate(std::string_view text) {
    int y, m, d;
    return !ParseDateText(text, y, m, d);
}

namespace {
// Appends `v` as printf's "%0<width>d" writes it: zero-padded to `width`, a minus sign counting
// toward the width.
void appendPadded(std::string& out, int v, int width) {
    char digits[12];
    int n = 0;
    long long u = v < 0 ? -static_cast<long long>(v) : v;
    do {
        digits[n++] = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u > 0);
    if (v < 0) {
        out += '-';
        --width;
    }
    for (int i = n; i < width; ++i)
        out += '0';
    while (n > 0)
        out += digits[--n];
}
} // namespace

std::string FormatDate(int year, int month, int day, std::string_view sep) {
    std::string r;
    r.reserve(8 + 2 * sep.size());
    if (year >= 0 && year <= 9999 && month >= 0 && month <= 99 && day >= 0 && day <= 99 && sep.size() <= 11) {
        // Every real date: the digits are put in place at once.
        const char y[4] = {static_cast<char>('0' + year / 1000), static_cast<char>('0' + year / 100 % 10),
                           static_cast<char>('0' + year / 10 % 10), static_cast<char>('0' + year % 10)};
        const char m[2] = {static_cast<char>('0' + month / 10), static_cast<char>('0' + month % 10)};
        const char d[2] = {static_cast<char>('0' + day / 10), static_cast<char>('0' + day % 10)};
        r.append(y, 4).append(sep).append(m, 2).append(sep).append(d, 2);
        return r;
    }
    appendPadded(r, year, 4);
    r += sep;
    appendPadded(r, month, 2);
    r += sep;
    appendPadded(r, day, 2);
    // The text was formatted into 32 bytes before; a longer one was cut there.
    if (r.size() > 31) r.resize(31);
    return r;
}

} // namespace mrt
