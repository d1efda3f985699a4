#include "budget/BudgetFile.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <vector>

namespace mrt {

namespace {

constexpr std::string_view kSlotsMarker = "*SLOTS";
constexpr std::string_view kLineEnd = "\r\n";

int clampCount(int count, int kind) {
    return std::clamp(count, 0, kBudgetSlotMax[kind]);
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// A free-format integer field: blanks around, optional sign, at least one digit, 32-bit range.
bool parseValue(std::string_view field, int32_t& out) {
    std::string_view s = trimBlanks(field);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
        s = trimBlanks(s);
    }
    if (s.empty()) return false;
    int64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > int64_t(std::numeric_limits<int32_t>::max()) + 1) return false;
    }
    if (negative) v = -v;
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return false;
    out = static_cast<int32_t>(v);
    return true;
}

// Splits text into lines at CR LF, LF or CR; the line ends are not kept.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// Hands out the values of the groups one by one, across lines; blank lines are skipped.
class ValueStream {
public:
    explicit ValueStream(const std::vector<std::string_view>& lines) : m_lines(lines) {}

    bool next(int32_t& out) {
        while (m_fields.empty() || m_field >= m_fields.size()) {
            if (m_line >= m_lines.size()) return false;
            std::string_view line = m_lines[m_line++];
            m_fields.clear();
            m_field = 0;
            if (trimBlanks(line).empty()) continue;
            size_t start = 0;
            for (;;) {
                size_t comma = line.find(',', start);
                m_fields.push_back(line.substr(start, comma == std::string_view::npos ? line.npos : comma - start));
                if (comma == std::string_view::npos) break;
                start = comma + 1;
            }
        }
        return parseValue(m_fields[m_field++], out);
    }

private:
    const std::vector<std::string_view>& m_lines;
    size_t m_line = 0;
    std::vector<std::string_view> m_fields;
    size_t m_field = 0;
};

// The "*SLOTS" section: exactly 24 lines of 20 or 50 values.
bool decodeSlots(const std::vector<std::string_view>& lines, size_t first, BgtRecord& rec) {
    size_t line = first;
    for (int month = 1; month <= kBudgetMonths; ++month) {
        for (int kind = 0; kind < 2; ++kind) {
            if (line >= lines.size()) return false;
            std::string_view text = lines[line++];
            int slot = 0;
            size_t start = 0;
            for (;;) {
                size_t comma = text.find(',', start);
                std::string_view field =
                    text.substr(start, comma == std::string_view::npos ? text.npos : comma - start);
                if (++slot > kBudgetSlotMax[kind]) return false;
                if (!parseValue(field, rec.at(month, kind, slot))) return false;
                if (comma == std::string_view::npos) break;
                start = comma + 1;
            }
            if (slot != kBudgetSlotMax[kind]) return false;
        }
    }
    return true;
}

} // namespace

std::string BudgetFileNameOf(int year) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "Bgt%04d.usr", year);
    return buf;
}

void FillBudget(BgtRecord& rec, int32_t value) {
    for (auto& month : rec.BudgetAmounts)
        for (auto& kind : month)
            kind.fill(value);
}

std::string FormatBudgetValue(int32_t value) {
    std::string digits = std::to_string(value < 0 ? -int64_t(value) : int64_t(value));
    return (value < 0 ? "-" : " ") + digits + " ";
}

std::string EncodeBudgetFile(const BgtRecord& rec, BudgetCounts counts) {
    std::string out;
    out.reserve(16384);
    auto writeLine = [&](int month, int kind, int last) {
        for (int slot = 1; slot <= last; ++slot) {
            out += FormatBudgetValue(rec.at(month, kind, slot));
            out += slot < last ? std::string_view(",") : kLineEnd;
        }
    };
    for (int month = 1; month <= kBudgetMonths; ++month)
        for (int kind = 0; kind < 2; ++kind)
            writeLine(month, kind, clampCount(counts[kind], kind));
    out += kSlotsMarker;
    out += kLineEnd;
    for (int month = 1; month <= kBudgetMonths; ++month)
        for (int kind = 0; kind < 2; ++kind)
            writeLine(month, kind, kBudgetSlotMax[kind]);
    return out;
}

bool DecodeBudgetFile(std::string_view text, BudgetCounts counts, BgtRecord& rec) {
    FillBudget(rec, -1);
    std::vector<std::string_view> lines = splitLines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (trimBlanks(lines[i]) == kSlotsMarker) return decodeSlots(lines, i + 1, rec);
    }
    ValueStream values(lines);
    for (int month = 1; month <= kBudgetMonths; ++month) {
        for (int kind = 0; kind < 2; ++kind) {
            int count = clampCount(counts[kind], kind);
            for (int slot = 1; slot <= count; ++slot) {
                if (!values.next(rec.at(month, kind, slot))) return false;
            }
        }
    }
    return true;
}

} // namespace mrt
