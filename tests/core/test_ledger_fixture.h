#pragma once
// Builds ledger year and information files byte by byte from their layouts, independently of the
// codecs under test, and keeps a plain model of the ledger to compare files against.
#include "ledger/LedgerIndex.h"
#include "support/TempDir.h"
#include "util/Cp932.h"

#include <array>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace mrt::test {

struct Line {
    int y = 0, m = 0, d = 0;
    std::string item, note, shop;
    int32_t inc = 0, exp = 0, bal = 0;
    bool operator==(const Line&) const = default;
};

inline void PrintTo(const Line& l, std::ostream* os) {
    *os << l.y << "/" << l.m << "/" << l.d << " " << l.item << " +" << l.inc << " -" << l.exp << " =" << l.bal;
}

inline std::string le16(int v) {
    auto u = static_cast<uint16_t>(v);
    return {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
}
inline std::string le32(int32_t v) {
    auto u = static_cast<uint32_t>(v);
    std::string s;
    for (int i = 0; i < 4; ++i) s += static_cast<char>((u >> (8 * i)) & 0xFF);
    return s;
}
// CP932 bytes of the text, blank-padded to `width` (the text must fit).
inline std::string field(const std::string& utf8, int width) {
    std::string s;
    ToCp932(utf8, s);
    s.resize(static_cast<size_t>(width), ' ');
    return s;
}
inline std::string lineBytes(const Line& l) {
    return le16(l.y) + le16(l.m) + le16(l.d) + field(l.item, 20) + field(l.note, 40) + field(l.shop, 30) +
           le32(l.inc) + le32(l.exp) + le32(l.bal);
}
inline std::string markerBytes(int year) { return lineBytes(Line{year, 0, 0, "", "", "", 0, 0, 0}); }

struct MonthSpec {
    int capacity = 500;
    std::vector<Line> lines;
};
struct YearSpec {
    std::array<MonthSpec, 12> months;
};
// Year → its twelve months. A year present here gets an information file.
using LedgerModel = std::map<int, YearSpec>;

inline std::string yearFileBytes(const YearSpec& ys) {
    std::string b;
    for (const MonthSpec& ms : ys.months) {
        for (const Line& l : ms.lines) b += lineBytes(l);
        for (int k = static_cast<int>(ms.lines.size()); k < ms.capacity - 1; ++k) b += markerBytes(8888);
        b += markerBytes(9999);
    }
    return b;
}
inline std::string infFileBytes(const YearSpec& ys) {
    std::string b;
    for (const MonthSpec& ms : ys.months)
        b += le16(ms.capacity) + le16(static_cast<int>(ms.lines.size())) + std::string(6, '\0');
    return b;
}
inline int yearLineCount(const YearSpec& ys) {
    int n = 0;
    for (const MonthSpec& ms : ys.months) n += static_cast<int>(ms.lines.size());
    return n;
}
// Writes the information file of every year of the model, and the year file of every year that
// has lines (or of every year with `allYearFiles`).
inline void writeModel(const std::string& data, const LedgerModel& model, bool allYearFiles = false) {
    for (const auto& [y, ys] : model) {
        WriteBytes(data + "/Inf" + std::to_string(y) + ".usr", infFileBytes(ys));
        if (allYearFiles || yearLineCount(ys) > 0)
            WriteBytes(data + "/Io" + std::to_string(y) + ".usr", yearFileBytes(ys));
    }
}
inline std::vector<Line> modelLines(const LedgerModel& model) {
    std::vector<Line> out;
    for (const auto& [y, ys] : model)
        for (const MonthSpec& ms : ys.months)
            for (const Line& l : ms.lines) out.push_back(l);
    return out;
}
// Balances of every line after the first by the balance rule, in ledger order.
inline void recomputeModel(LedgerModel& model) {
    bool first = true;
    int32_t bal = 0;
    for (auto& [y, ys] : model)
        for (MonthSpec& ms : ys.months)
            for (Line& l : ms.lines) {
                if (!first) l.bal = l.inc >= 1 ? bal + l.inc : bal - l.exp;
                first = false;
                bal = l.bal;
            }
}
inline IoRecord toRecord(const Line& l) {
    IoRecord r;
    r.Year = static_cast<int16_t>(l.y);
    r.Month = static_cast<int16_t>(l.m);
    r.Day = static_cast<int16_t>(l.d);
    r.ItemName = l.item;
    r.Note = l.note;
    r.ShopName = l.shop;
    r.Income = l.inc;
    r.Expense = l.exp;
    r.Balance = l.bal;
    return r;
}
inline Line toLine(const IoRecord& r) {
    return Line{r.Year, r.Month, r.Day, r.ItemName, r.Note, r.ShopName, r.Income, r.Expense, r.Balance};
}
// A state pointed at the folder, with the given block settings.
inline LedgerState stateFor(const std::string& data, int blockMonths = 3, int maxLines = 300) {
    LedgerState st;
    st.index.SetDataFolder(data);
    st.BlockMonthsInUse = blockMonths;
    st.MaxBlockLines = maxLines;
    return st;
}
// n expense lines on the given day numbers 1.., items "L<k>".
inline std::vector<Line> monthLines(int y, int m, int n, int32_t expense = 100, int firstTag = 0) {
    std::vector<Line> v;
    for (int k = 0; k < n; ++k) {
        std::string item = "L";
        item += std::to_string(firstTag + k);
        v.push_back(Line{y, m, 1 + k % 28, item, "", "", 0, expense, 0});
    }
    return v;
}

} // namespace mrt::test
