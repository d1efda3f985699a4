#include "ledger/LedgerBlock.h"

#include "ledger/LedgerFiles.h"
#include "ledger/LedgerSave.h"
#include "port/Dialogs.h"
#include "util/FileCopy.h"
#include "util/FileSystem.h"
#include "util/Paths.h"

#include <algorithm>
#include <climits>
#include <cctype>

namespace mrt {
namespace {

constexpr const char* kOverflowMessage = "入出金データの読込み最大数をオーバーしました。\r\n"
                                         "[登録]の[環境設定]で[入出金データの最大読込み可能数]を変更してください。";

// Steps from (y, m) in direction step (+1/-1) while the month holds no lines and stays inside
// the ledger's first..last month.
void skipEmptyMonths(const LedgerIndex& idx, int& y, int& m, int step) {
    while (idx.LinesOf(y, m) == 0) {
        if (step < 0 && CompareYearMonth(y, m, idx.FirstYear, idx.FirstMonth) <= 0) return;
        if (step > 0 && CompareYearMonth(y, m, idx.LastYear, idx.LastMonth) >= 0) return;
        AddMonths(y, m, step);
    }
}

// Start of the newest block of `toRead` months; toRead becomes the months left to read (fewer
// when the ledger spans fewer). Months without lines are stepped over going back.
void newestBlockStart(const LedgerIndex& idx, int& sy, int& sm, int& toRead) {
    int span = MonthsFromTo(idx.FirstYear, idx.FirstMonth, idx.LastYear, idx.LastMonth);
    if (span >= toRead) {
        sy = idx.LastYear;
        sm = idx.LastMonth;
        for (int i = 0; i < toRead - 1; ++i) {
            if (CompareYearMonth(sy, sm, idx.FirstYear, idx.FirstMonth) <= 0) break;
            AddMonths(sy, sm, -1);
            skipEmptyMonths(idx, sy, sm, -1);
        }
    } else {
        sy = idx.FirstYear;
        sm = idx.FirstMonth;
        toRead = span;
    }
}

// Year of an information file name "Inf2003.usr": the four characters before the extension.
int yearOfInfName(const std::string& name, size_t extLength) {
    if (name.size() < extLength + 4) return -1;
    int year = 0;
    for (size_t i = name.size() - extLength - 4; i < name.size() - extLength; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return -1;
        year = year * 10 + (name[i] - '0');
    }
    return year;
}

// Opens the year file of a year that counts lines: it must exist and hold every slot of its
// month regions. False with `why` set (file name and reason) otherwise.
bool openCountedYear(const LedgerIndex& idx, int year, Dialogs& dlg, IoFileReader& file, std::string& why) {
    if (file.Open(idx, year, dlg) < 0) {
        why = file.Error();
        return false;
    }
    if (!file.Existed()) {
        why = file.Name() + ": ファイルがありません (入出金情報ファイルには行があります)";
        return false;
    }
    int regions = MonthStartTable(idx, idx.YearIndex(year))[12];
    if (file.RecordCount() < regions) {
        why = file.Name() + ": " + std::to_string(file.RecordCount()) + " 件の記録しかなく、入出金情報ファイルの " +
              std::to_string(regions) + " 件に足りません";
        return false;
    }
    return true;
}

// Reads the lines of month m of the open year file (the first LineCount slots of its region).
bool readMonthLines(const LedgerIndex& idx, int yi, const std::array<int, 13>& ms, int m, IoFileReader& file,
                    ByteBuffer& bytes, std::string& why) {
    if (file.Read(ms[m - 1] + 1, idx.Inf(yi, m).LineCount, bytes)) return true;
    why = file.Error();
    return false;
}

// True when a decoded text holds U+FFFD, which the decoder puts for bytes that are no CP932.
bool holdsReplacement(const IoRecord& rec) {
    for (const std::string* t : {&rec.ItemName, &rec.Note, &rec.ShopName})
        if (t->find("\xEF\xBF\xBD") != std::string::npos) return true;
    return false;
}

// "Io2003.usr 4月 12行目: " + what is wrong with the line at `src`; empty when it is sound. With
// `textsDecoded` the texts of `rec` were decoded from `src`, and their bytes are looked at only
// when the decoder met something that is no CP932.
std::string damagedLine(const IoFileReader& file, const char* src, const IoRecord& rec, int year, int month, int k,
                        bool textsDecoded = true) {
    std::string why = LineDamage(rec, year, month);
    if (why.empty() && (!textsDecoded || holdsReplacement(rec))) why = EncodedTextDamage(src);
    if (why.empty()) return why;
    return file.Name() + " " + std::to_string(month) + "月 " + std::to_string(k) + "行目: " + why;
}

void setEmptyLedger(LedgerIndex& idx) {
    idx.FirstYear = idx.FirstMonth = idx.FirstDay = 0;
    idx.LastYear = idx.LastMonth = idx.LastDay = 0;
    for (int yi = 1; yi <= kMaxLedgerYears; ++yi)
        idx.ClearYear(yi);
    idx.TotalLines = 0;
    idx.YearCount = 0;
}

// The day of the first (or last) line of a month that holds lines, from that one line: the year
// file must hold every slot of its regions, the line must be sound and the month must fit in a
// block, as a block load of the month would find; the other lines are checked when a block holds
// them. The index is left as a block load of the month leaves it (its balance is the month's last).
int probeDay(LedgerState& st, int year, int month, bool last, int& day, Dialogs& dlg) {
    LedgerIndex& idx = st.index;
    st.ReadFailure.clear();
    int yi = idx.YearIndex(year);
    if (!idx.HoldsYearIndex(yi) || idx.YearLines[yi - 1] < 1 || month < 1 || month > 12) return -1;
    int count = idx.Inf(yi, month).LineCount;
    if (count <= 0) return -1;
    if (count > st.MaxBlockLines) {
        dlg.MsgBox(kOverflowMessage, "データ読込みエラー", MsgIcon::Critical, MsgButtons::OK);
        return 1;
    }
    std::array<int, 13> ms = MonthStartTable(idx, yi);
    IoFileReader file;
    ByteBuffer bytes;
    const int k = last ? count : 1;
    if (!openCountedYear(idx, year, dlg, file, st.ReadFailure)) return -1;
    if (!file.Read(ms[month - 1] + k, 1, bytes)) {
        st.ReadFailure = file.Error();
        return -1;
    }
    const IoRecord line = DecodeIoNumbers(bytes.data());
    if (std::string why = damagedLine(file, bytes.data(), line, year, month, k, false); !why.empty()) {
        st.ReadFailure = why;
        dlg.MsgBox("入出金ﾃﾞｰﾀの中に[" + std::to_string(year) + "]の異常なﾃﾞｰﾀがあります。\r\n" + st.ReadFailure,
                   "読込みエラー", MsgIcon::Exclamation, MsgButtons::OK);
        return -1;
    }
    day = line.Day;
    idx.BlockStartYear = year;
    idx.BlockStartMonth = month;
    idx.BlockSpan = 1;
    if (last) idx.BlockEndBalance = line.Balance;
    return 0;
}

int scanYears(LedgerState& st, Dialogs& dlg) {
    LedgerIndex& idx = st.index;
    std::string folder, prefix;
    SplitPath(idx.InfPrefix, folder, prefix);
    std::vector<std::string> names;
    // An empty information file is listed too: it is damage to report, not a year without lines.
    if (ListFiles(folder.empty() ? "." : folder, prefix + "*" + idx.InfExtension, names, true) < 0) return -1;
    int smallest = 9999, largest = 0;
    for (const std::string& n : names) {
        int y = yearOfInfName(n, idx.InfExtension.size());
        if (y < 0) continue;
        smallest = std::min(smallest, y);
        largest = std::max(largest, y);
    }
    setEmptyLedger(idx);
    if (smallest > 3000 || largest < 2000) return 0;

    int previousRead = 0;
    for (int y = smallest; y <= largest; ++y) {
        LedgerIndex one = idx;
        one.FirstYear = y;
        int r = ReadInfFile(one, 1, &st.ReadFailure);
        if (r == 1) continue;
        if (r < 0) return -1;
        SumYearLines(one, 1);
        // Empty years before the first year with lines are no part of the ledger.
        if (idx.FirstYear == 0 && one.YearLines[0] == 0) continue;
        if (idx.FirstYear == 0) {
            idx.FirstYear = y;
            for (int m = 1; m <= 12 && idx.FirstMonth == 0; ++m)
                if (one.Inf(1, m).LineCount > 0) idx.FirstMonth = m;
        }
        int yi = idx.YearIndex(y);
        if (!idx.HoldsYearIndex(yi)) {
            if (one.YearLines[0] == 0) continue; // a stray empty year far beyond the ledger
            // Lines beyond the 50 years the ledger can hold.
            st.ReadFailure = "Inf" + std::to_string(y) + idx.InfExtension + ": 開始年から" +
                             std::to_string(kMaxLedgerYears) + "年を超えています";
            return -1;
        }
        // Skipped years are empty; their information files are written by the next save, since
        // reading never writes.
        for (int gap = std::max(previousRead + 1, idx.FirstYear + 1); gap < y; ++gap)
            idx.ClearYear(idx.YearIndex(gap));
        idx.Months[yi - 1] = one.Months[0];
        idx.YearLines[yi - 1] = one.YearLines[0];
        for (int m = 12; m >= 1; --m) {
            if (idx.Inf(yi, m).LineCount > 0) {
                idx.LastYear = y;
                idx.LastMonth = m;
                break;
            }
        }
        idx.TotalLines += idx.YearLines[yi - 1];
        previousRead = y;
    }
    if (idx.FirstYear == 0) {
        setEmptyLedger(idx);
        return 0;
    }
    idx.YearCount = idx.LastYear - idx.FirstYear + 1;
    int r = probeDay(st, idx.FirstYear, idx.FirstMonth, false, idx.FirstDay, dlg);
    if (r == 0) r = probeDay(st, idx.LastYear, idx.LastMonth, true, idx.LastDay, dlg);
    idx.BlockStartYear = idx.BlockStartMonth = 0;
    return r;
}

} // namespace

void AddMonths(int& year, int& month, int n) {
    int total = year * 12 + (month - 1) + n;
    year = total >= 0 ? total / 12 : -((-total + 11) / 12);
    month = total - year * 12 + 1;
}

int CompareYearMonth(int y1, int m1, int y2, int m2) {
    int a = y1 * 12 + m1, b = y2 * 12 + m2;
    return a < b ? -1 : (a > b ? 1 : 0);
}

int MonthsFromTo(int y1, int m1, int y2, int m2) {
    return (y2 * 12 + m2) - (y1 * 12 + m1) + 1;
}

std::string LedgerReadFailedMessage(const LedgerState& st) {
    std::string m = kLedgerReadFailedMessage;
    if (!st.ReadFailure.empty()) m += "\r\n" + st.ReadFailure;
    return m;
}

int ScanLedgerYears(LedgerState& st, Dialogs& dlg) {
    st.ReadFailure.clear();
    int r = scanYears(st, dlg);
    if (r < 0) dlg.MsgOK(LedgerReadFailedMessage(st), "入出金データの読込み");
    return r;
}

int ComputeBlockPos(const LedgerIndex& idx) {
    if (idx.YearCount == 0) return kBlockWhole;
    int ey = idx.BlockStartYear, em = idx.BlockStartMonth;
    AddMonths(ey, em, std::max(idx.BlockSpan, 1) - 1);
    bool startsAfterFirst =
        CompareYearMonth(idx.BlockStartYear, idx.BlockStartMonth, idx.FirstYear, idx.FirstMonth) > 0;
    bool endsBeforeLast = CompareYearMonth(ey, em, idx.LastYear, idx.LastMonth) < 0;
    if (!startsAfterFirst) return endsBeforeLast ? kBlockOldest : kBlockWhole;
    return endsBeforeLast ? kBlockMiddle : kBlockNewest;
}

int LoadLedgerBlock(LedgerState& st, std::vector<IoRecord>& target, bool probe, Dialogs& dlg) {
    LedgerIndex& idx = st.index;
    target.clear();
    st.ReadFailure.clear();
    if (idx.YearCount == 0) {
        if (!probe) st.BlockPos = kBlockWhole;
        return 0;
    }
    int sy = idx.BlockStartYear, sm = idx.BlockStartMonth;
    int toRead = std::max(idx.BlockSpan, 1);
    if (sy <= 0 || sm <= 0) {
        newestBlockStart(idx, sy, sm, toRead);
    } else {
        if (sm > 12 || CompareYearMonth(sy, sm, idx.FirstYear, idx.FirstMonth) < 0 ||
            CompareYearMonth(sy, sm, idx.LastYear, idx.LastMonth) > 0)
            return -1;
        toRead = std::min(toRead, MonthsFromTo(sy, sm, idx.LastYear, idx.LastMonth));
    }

    if (!probe) st.PreSortF = false;
    bool preSort = false;
    int32_t smallest = 0, largest = 0;
    IoFileReader file;
    ByteBuffer bytes;
    for (int y = sy; y <= idx.LastYear && toRead > 0; ++y) {
        int yi = idx.YearIndex(y);
        if (!idx.HoldsYearIndex(yi) || idx.YearLines[yi - 1] < 1) continue;
        // A year that counts lines must have its year file, with every slot of its regions.
        if (!openCountedYear(idx, y, dlg, file, st.ReadFailure)) {
            target.clear();
            return -1;
        }
        std::array<int, 13> ms = MonthStartTable(idx, yi);
        for (int m = (y == sy ? sm : 1); m <= 12 && toRead > 0; ++m) {
            int count = idx.Inf(yi, m).LineCount;
            if (count <= 0) continue;
            --toRead;
            // Only the month's lines are read, never the fillers of its region.
            if (!readMonthLines(idx, yi, ms, m, file, bytes, st.ReadFailure)) {
                target.clear();
                return -1;
            }
            for (int k = 1; k <= count; ++k) {
                const char* src = bytes.data() + static_cast<size_t>(k - 1) * kIoRecordSize;
                target.push_back(DecodeIoRecord(src));
                const IoRecord& line = target.back();
                if (static_cast<int>(target.size()) > st.MaxBlockLines) {
                    target.clear();
                    dlg.MsgBox(kOverflowMessage, "データ読込みエラー", MsgIcon::Critical, MsgButtons::OK);
                    return 1;
                }
                // A marker, an impossible date or amount: the file is damaged, and a block holding
                // such a line would be saved over it.
                if (std::string why = damagedLine(file, src, line, y, m, k); !why.empty()) {
                    target.clear();
                    st.ReadFailure = why;
                    dlg.MsgBox("入出金ﾃﾞｰﾀの中に[" + std::to_string(y) + "]の異常なﾃﾞｰﾀがあります。\r\n" + why,
                               "読込みエラー", MsgIcon::Exclamation, MsgButtons::OK);
                    return -1;
                }
                int32_t key = DateKey(line);
                if (target.size() == 1) {
                    smallest = largest = key;
                } else {
                    if (key < smallest || key < largest) preSort = true;
                    largest = std::max(largest, key);
                    smallest = std::min(smallest, key);
                }
            }
        }
    }
    if (preSort) st.PreSortF = true;
    if (!target.empty()) {
        idx.BlockStartYear = target.front().Year;
        idx.BlockStartMonth = target.front().Month;
        idx.BlockEndBalance = target.back().Balance;
        idx.BlockSpan = MonthsFromTo(idx.BlockStartYear, idx.BlockStartMonth, target.back().Year, target.back().Month);
    }
    if (!probe) st.BlockPos = ComputeBlockPos(idx);
    return 0;
}

namespace {

// Walks every line of the ledger in ledger order, one year file open at a time: `line(file, src,
// year, month, k)` gets the k-th line of the month as its record bytes and returns 1 to go on, 0 to
// stop, -1 when the line is damaged (`failure` set). 0 done or stopped, -1 failed (`failure` set).
template <typename Line>
int walkLedgerLines(const LedgerIndex& idx, Dialogs& dlg, const LedgerYearFiles* opened, std::string& failure,
                    Line line, int firstYear = INT_MIN, int lastYear = INT_MAX) {
    IoFileReader own;
    ByteBuffer bytes; // one month's lines, its storage used again month after month
    const int firstIndex = firstYear <= idx.FirstYear ? 1 : firstYear - idx.FirstYear + 1;
    for (int yi = firstIndex; yi <= idx.YearCount && yi <= kMaxLedgerYears; ++yi) {
        const int year = idx.FirstYear + yi - 1;
        if (year > lastYear) break;
        if (idx.YearLines[yi - 1] < 1) continue;
        IoFileReader* file = opened ? opened->Year(yi) : &own;
        if (!file) {
            failure = IoFileName(idx, year) + ": 開かれていません";
            return -1;
        }
        if (opened)
            BeforeRead(file->Path());
        else if (!openCountedYear(idx, year, dlg, own, failure))
            return -1;
        std::array<int, 13> ms = MonthStartTable(idx, yi);
        for (int m = 1; m <= 12; ++m) {
            const int count = idx.Inf(yi, m).LineCount;
            if (count <= 0) continue;
            if (!readMonthLines(idx, yi, ms, m, *file, bytes, failure)) return -1;
            for (int k = 1; k <= count; ++k) {
                const int r = line(*file, bytes.data() + static_cast<size_t>(k - 1) * kIoRecordSize, year, m, k);
                if (r <= 0) return r;
            }
        }
    }
    return 0;
}

} // namespace

LedgerYearFiles::LedgerYearFiles() = default;
LedgerYearFiles::~LedgerYearFiles() = default;

bool LedgerYearFiles::Open(const LedgerIndex& idx, Dialogs& dlg, std::string& why) {
    m_files.clear();
    for (int yi = 1; yi <= idx.YearCount && yi <= kMaxLedgerYears; ++yi) {
        m_files.emplace_back();
        if (idx.YearLines[yi - 1] < 1) continue;
        auto file = std::make_unique<IoFileReader>();
        if (!openCountedYear(idx, idx.FirstYear + yi - 1, dlg, *file, why)) return false;
        m_files.back() = std::move(file);
    }
    return true;
}

IoFileReader* LedgerYearFiles::Year(int yi) const {
    return yi >= 1 && yi <= static_cast<int>(m_files.size()) ? m_files[yi - 1].get() : nullptr;
}

int ForEachLedgerLine(const LedgerIndex& idx, Dialogs& dlg, const std::function<bool(const IoRecord&)>& visit,
                      std::string* why, const LedgerYearFiles* opened) {
    IoRecord rec; // one record, its texts' storage used again line after line
    std::string failure;
    const int r = walkLedgerLines(idx, dlg, opened, failure,
                                  [&](const IoFileReader& file, const char* src, int year, int m, int k) {
                                      DecodeIoRecordInto(src, rec);
                                      failure = damagedLine(file, src, rec, year, m, k);
                                      if (!failure.empty()) return -1;
                                      return visit(rec) ? 1 : 0;
                                  });
    if (r < 0 && why) *why = failure;
    return r;
}

int ForEachLedgerLineOfYears(const LedgerIndex& idx, int firstYear, int lastYear, Dialogs& dlg,
                             const std::function<bool(const IoRecord&)>& visit, std::string* why) {
    IoRecord rec;
    std::string failure;
    const int r = walkLedgerLines(
        idx, dlg, nullptr, failure,
        [&](const IoFileReader& file, const char* src, int year, int m, int k) {
            DecodeIoRecordInto(src, rec);
            failure = damagedLine(file, src, rec, year, m, k);
            if (!failure.empty()) return -1;
            return visit(rec) ? 1 : 0;
        },
        firstYear, lastYear);
    if (r < 0 && why) *why = failure;
    return r;
}

int ForEachLedgerRecord(const LedgerIndex& idx, Dialogs& dlg,
                        const std::function<int(const char*, const IoRecord&)>& visit, std::string* why,
                        const LedgerYearFiles* opened) {
    std::string failure;
    IoRecord numbers;
    const int r = walkLedgerLines(
        idx, dlg, opened, failure, [&](const IoFileReader& file, const char* src, int year, int m, int k) {
            numbers.Year = EncodedYear(src);
            numbers.Month = EncodedMonth(src);
            numbers.Day = EncodedDay(src);
            numbers.Income = EncodedIncome(src);
            numbers.Expense = EncodedExpense(src);
            numbers.Balance = EncodedBalance(src);
            if (!LineNumbersSound(numbers, year, m)) {
                failure = damagedLine(file, src, numbers, year, m, k);
                return -1;
            }
            const int v = visit(src, numbers);
            if (v >= 0) return v;
            failure = damagedLine(file, src, numbers, year, m, k, false);
            if (failure.empty()) failure = file.Name() + " " + std::to_string(m) + "月 " + std::to_string(k) + "行目";
            return -1;
        });
    if (r < 0 && why) *why = failure;
    return r;
}

int CheckYearLines(const LedgerIndex& idx, int year, Dialogs& dlg, std::string& why) {
    why.clear();
    const int yi = idx.YearIndex(year);
    if (!idx.HoldsYearIndex(yi) || idx.YearLines[yi - 1] < 1) return 0;
    IoFileReader file;
    ByteBuffer bytes;
    if (!openCountedYear(idx, year, dlg, file, why)) return -1;
    const std::array<int, 13> ms = MonthStartTable(idx, yi);
    for (int m = 1; m <= 12; ++m) {
        const int count = idx.Inf(yi, m).LineCount;
        if (count <= 0) continue;
        if (!readMonthLines(idx, yi, ms, m, file, bytes, why)) return -1;
        for (int k = 1; k <= count; ++k) {
            const char* src = bytes.data() + static_cast<size_t>(k - 1) * kIoRecordSize;
            why = damagedLine(file, src, DecodeIoNumbers(src), year, m, k, false);
            if (!why.empty()) return -1;
        }
    }
    return 0;
}

int LinesToLoadAtStart(const LedgerIndex& idx, int blockMonths) {
    if (idx.YearCount == 0) return 0;
    int y = 0, m = 0, toRead = std::max(blockMonths, 1);
    newestBlockStart(idx, y, m, toRead);
    // Counted as LoadLedgerBlock reads: months with lines, in order, until toRead of them.
    int lines = 0;
    for (; toRead > 0 && CompareYearMonth(y, m, idx.LastYear, idx.LastMonth) <= 0; AddMonths(y, m, 1)) {
        int n = idx.LinesOf(y, m);
        if (n <= 0) continue;
        lines += n;
        --toRead;
    }
    return std::max(lines, idx.LinesOf(idx.FirstYear, idx.FirstMonth));
}

int LoadStartBlock(LedgerState& st, Dialogs& dlg) {
    st.index.BlockStartYear = st.index.BlockStartMonth = 0;
    st.index.BlockSpan = st.BlockMonthsInUse;
    st.LedgerModified = false;
    if (st.index.TotalLines == 0) {
        st.block.clear();
        st.BlockPos = kBlockWhole;
        return 0;
    }
    int r = LoadLedgerBlock(st, st.block, false, dlg);
    if (r < 0) dlg.MsgOK(LedgerReadFailedMessage(st), "入出金データの読込み");
    if (r == 0 && st.MaxBlockLines < st.LedgerLineCount() + 1) st.MaxBlockLines = st.LedgerLineCount() + 1;
    return r;
}

int ReReadBlock(LedgerState& st, int direction, int year, int month, Dialogs& dlg) {
    if (ForcedSave(st, dlg, false) < 0) return -1;
    LedgerIndex& idx = st.index;
    if (idx.YearCount == 0) {
        st.block.clear();
        st.BlockPos = kBlockWhole;
        st.LedgerModified = false;
        return 0;
    }
    int y = idx.BlockStartYear, m = idx.BlockStartMonth;
    bool newest = false;
    if (direction > 0) {
        AddMonths(y, m, 1);
        skipEmptyMonths(idx, y, m, 1);
        newest = CompareYearMonth(y, m, idx.LastYear, idx.LastMonth) >= 0;
    } else if (direction < 0) {
        AddMonths(y, m, -1);
        skipEmptyMonths(idx, y, m, -1);
    } else {
        y = year;
        m = month;
        newest = CompareYearMonth(y, m, idx.LastYear, idx.LastMonth) > 0;
        if (!newest) {
            AddMonths(y, m, -(st.BlockMonthsInUse - 1));
            skipEmptyMonths(idx, y, m, -1);
        }
    }
    if (!newest && CompareYearMonth(y, m, idx.FirstYear, idx.FirstMonth) < 0) {
        y = idx.FirstYear;
        m = idx.FirstMonth;
    }
    idx.BlockStartYear = newest ? 0 : y;
    idx.BlockStartMonth = newest ? 0 : m;
    idx.BlockSpan = st.BlockMonthsInUse;
    int r = LoadLedgerBlock(st, st.block, false, dlg);
    if (r < 0) dlg.MsgOK(LedgerReadFailedMessage(st), "読込みエラー");
    if (r != 0) return -1;
    st.LedgerModified = false;
    return 0;
}

} // namespace mrt
