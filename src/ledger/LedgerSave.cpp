#include "ledger/LedgerSave.h"

#include "ledger/AmountExpr.h"
#include "ledger/LedgerBalance.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerFiles.h"
#include "port/Dialogs.h"
#include "util/DateText.h"
#include "util/FileBatch.h"
#include "util/Paths.h"
#include "util/SystemError.h"

#include <cerrno>
#include <unistd.h>

#include <cstring>
#include <limits>

namespace mrt {
namespace {

constexpr const char* kWriteErrorTitle = "入出金ファイル書込みエラー";

// Holds one year file at a time while a save walks forward through the years; every finished
// year (year file and information file) is staged into the batch.
class SaveWriter {
public:
    SaveWriter(LedgerIndex& idx, Dialogs& dlg, FileBatch& batch) : m_idx(idx), m_dlg(dlg), m_batch(batch) {}

    std::string error;         // description for the write-error message
    bool messageShown = false; // the failure was already reported (information file)

    // The months the block was loaded from: every line they held is in the block. Months
    // outside it are written or emptied only when they hold no line of their own.
    void SetLoadedRange(int y1, int m1, int y2, int m2) {
        m_loadedFirst = y1 * 12 + m1;
        m_loadedLast = y2 * 12 + m2;
    }

    // Makes `year` the current year. With `create`, a year without a year file (or lying beyond
    // the ledger's last year) gets a new one.
    bool OpenYear(int year, bool create) {
        if (m_open && m_year == year) {
            if (create && !m_hasFile) return createFile();
            return true;
        }
        if (!FinishYear()) return false;
        m_year = year;
        m_yi = m_idx.YearIndex(year);
        if (OpenIoFile(m_idx, year, m_dlg, m_file) < 0) {
            error = m_file.error;
            return false;
        }
        // A year file this commit removes is missing already.
        if (m_batch.RemovalStaged(m_file.path)) {
            m_file.bytes.clear();
            m_file.existed = false;
        }
        // A year already written by this save is taken up again from its staged content.
        std::string staged = m_batch.StagedFile(m_file.path);
        if (!staged.empty()) {
            if (!ReadWholeFile(staged, m_file.bytes)) {
                error = SystemErrorText(errno);
                return false;
            }
            m_file.existed = true;
        }
        m_open = true;
        m_created = false;
        m_openedMonths = m_idx.Months[m_yi - 1];
        m_checkedMonths.fill(false);
        m_hasFile = m_file.existed;
        bool beyondEnd = m_idx.LastYear == 0 || year > m_idx.LastYear;
        if (create && (!m_hasFile || beyondEnd)) {
            // A year file is made anew only when it holds no line: lines that no information
            // file counts were never loaded and must not be written over.
            if (m_hasFile && staged.empty() && !holdsNoLine()) return false;
            return createFile();
        }
        if (m_hasFile && !repairShortFile()) return false;
        m_ms = MonthStartTable(m_idx, m_yi);
        return true;
    }

    // Stages the current year (its year file when it has one, and its information file).
    bool FinishYear() {
        if (!m_open) return true;
        m_open = false;
        SumYearLines(m_idx, m_yi);
        if (m_hasFile && !m_batch.Stage(m_file.path, m_file.bytes, error)) return false;
        // A year whose counts did not change keeps its information file (balance carries).
        bool infUnchanged = m_idx.Months[m_yi - 1] == m_openedMonths && !m_created &&
                            ::access(InfFileName(m_idx, m_yi).c_str(), F_OK) == 0;
        if (!infUnchanged && WriteInfFile(m_idx, m_yi, m_dlg, &m_batch) < 0) {
            messageShown = true;
            return false;
        }
        return true;
    }

    // Empties months from..to of the current year: fillers, region end, LineCount 0.
    bool ClearMonths(int from, int to) {
        for (int m = from; m <= to; ++m) {
            if (!unloadedSlotsFree(m)) return false;
            if (m_hasFile) FillRegion(m_file, m_ms[m - 1] + 1, m_ms[m]);
            m_idx.Inf(m_yi, m).LineCount = 0;
        }
        return true;
    }

    // Empties every month from (y1, m1) to (y2, m2) that lies inside the index.
    bool ClearRange(int y1, int m1, int y2, int m2) {
        for (int y = y1; y <= y2; ++y) {
            if (!m_idx.HoldsYearIndex(m_idx.YearIndex(y))) continue;
            if (!OpenYear(y, false)) return false;
            if (!ClearMonths(y == y1 ? m1 : 1, y == y2 ? m2 : 12)) return false;
        }
        return true;
    }

    // Writes the lines of one year-month run starting at lines[i]; returns the index after it.
    bool WriteMonth(const std::vector<IoRecord>& lines, size_t& i) {
        int month = lines[i].Month;
        if (!unloadedSlotsFree(month)) return false;
        int pos = m_ms[month - 1] + 1;
        int count = 0;
        for (; i < lines.size() && lines[i].Year == m_year && lines[i].Month == month; ++i) {
            if (pos == m_ms[month]) {
                size_t n = 1;
                while (i + n < lines.size() && lines[i + n].Year == m_year && lines[i + n].Month == month)
                    ++n;
                if (!growMonth(month, static_cast<int>(n))) return false;
            }
            WriteIoRecord(m_file, pos++, lines[i]);
            ++count;
        }
        FillRegion(m_file, pos, m_ms[month]);
        m_idx.Inf(m_yi, month).LineCount = static_cast<int16_t>(count);
        return true;
    }

    // Recomputes the stored balances of every line after (year, month) up to the ledger's last
    // month, starting from `balance`. The block's balance rule is used (a line with an income
    // counts only the income), so balances agree whichever block a line was last saved in.
    bool CarryForward(int year, int month, int32_t balance) {
        for (int y = year; y <= m_idx.LastYear; ++y) {
            int yi = m_idx.YearIndex(y);
            if (!m_idx.HoldsYearIndex(yi) || m_idx.YearLines[yi - 1] < 1) continue;
            if (!OpenYear(y, false)) return false;
            if (!m_hasFile) {
                error = "年のファイルがありません。(" + std::to_string(y) + ")";
                return false;
            }
            int lastMonth = y == m_idx.LastYear ? m_idx.LastMonth : 12;
            for (int m = (y == year ? month + 1 : 1); m <= lastMonth; ++m) {
                int count = m_idx.Inf(yi, m).LineCount;
                for (int k = 1; k <= count; ++k) {
                    int slot = m_ms[m - 1] + k;
                    if (slot > m_file.RecordCount()) {
                        error = "入出金ファイルが途中で終わっています。";
                        return false;
                    }
                    char* rec = m_file.bytes.data() + static_cast<size_t>(slot - 1) * kIoRecordSize;
                    // A damaged line is left as it is, and so is the whole ledger.
                    IoRecord amounts = DecodeIoNumbers(rec);
                    if (std::string why = LineDamage(amounts, y, m); !why.empty()) {
                        error = "入出金ﾃﾞｰﾀの中に[" + std::to_string(y) + "]の異常なﾃﾞｰﾀがあります。\r\n" + fileName() +
                                " " + std::to_string(m) + "月 " + std::to_string(k) + "行目: " + why;
                        return false;
                    }
                    if (!BalanceAfter(balance, amounts, balance)) {
                        error = "残高が計算できる範囲を超えました。";
                        return false;
                    }
                    PatchEncodedBalance(rec, balance);
                }
            }
        }
        return true;
    }

private:
    // Years between the ledger's end and a new year are emptied by the callers' ClearRange, which
    // also writes their information files.
    bool createFile() {
        m_created = true;
        InitYearFile(m_idx, m_yi, m_file);
        m_hasFile = true;
        m_ms = MonthStartTable(m_idx, m_yi);
        return true;
    }

    std::string fileName() const {
        std::string folder, name;
        SplitPath(m_file.path, folder, name);
        return name;
    }

    // A year file shorter than its regions is completed with fillers and region ends only when
    // its year holds no line; otherwise the lines the index counts are not all there.
    bool repairShortFile() {
        std::array<int, 13> ms = MonthStartTable(m_idx, m_yi);
        int have = m_file.RecordCount();
        if (have >= ms[12]) return true;
        for (const InfRecord& month : m_openedMonths) {
            if (month.LineCount > 0) {
                error = fileName() + ": " + std::to_string(have) + " 件の記録しかなく、入出金情報ファイルの " +
                        std::to_string(ms[12]) + " 件に足りません。";
                return false;
            }
        }
        for (int m = 1; m <= 12; ++m)
            if (ms[m] > have) FillRegion(m_file, std::max(ms[m - 1] + 1, have + 1), ms[m]);
        return true;
    }

    // True when no slot of the file holds a line (fillers and region ends only).
    bool holdsNoLine() {
        for (int slot = 1; slot <= m_file.RecordCount(); ++slot) {
            int16_t y = EncodedYear(m_file.bytes.data() + static_cast<size_t>(slot - 1) * kIoRecordSize);
            if (y != kFillerYear && y != kRegionEndYear) {
                error = fileName() + ": 入出金情報ファイルに数えられていない行があるため、書き込みません。(" +
                        std::to_string(slot) + "件目)";
                return false;
            }
        }
        return true;
    }

    // Before a month outside the loaded range is written or emptied: the slots after the lines
    // the index counts must be fillers. A line there is one no information file counts (a damaged
    // or lost count), and writing the month would destroy it. Checked once per month.
    bool unloadedSlotsFree(int month) {
        if (!m_hasFile || m_created || m_checkedMonths[month - 1]) return true;
        const int at = m_year * 12 + month;
        if (at >= m_loadedFirst && at <= m_loadedLast) return true;
        // Regions of earlier months may have grown since the year was opened; m_ms follows them.
        const int first = m_ms[month - 1] + m_openedMonths[month - 1].LineCount + 1;
        const int last = std::min(m_ms[month] - 1, m_file.RecordCount());
        for (int slot = first; slot <= last; ++slot) {
            int16_t y = EncodedYear(m_file.bytes.data() + static_cast<size_t>(slot - 1) * kIoRecordSize);
            if (y != kFillerYear) {
                error = fileName() + " " + std::to_string(month) +
                        "月: 入出金情報ファイルに数えられていない行があるため、書き込みません。";
                return false;
            }
        }
        m_checkedMonths[month - 1] = true;
        return true;
    }

    // Inserts n filler slots before the month's region end; later regions move towards the end.
    bool growMonth(int month, int n) {
        InfRecord& inf = m_idx.Inf(m_yi, month);
        if (inf.Capacity + n > std::numeric_limits<int16_t>::max()) {
            error = "１か月に記録できるデータ数を超えました。";
            return false;
        }
        std::string fillers;
        fillers.reserve(static_cast<size_t>(n) * kIoRecordSize);
        std::string one(kIoRecordSize, '\0');
        EncodeIoRecord(FillerRecord(), one.data());
        for (int k = 0; k < n; ++k)
            fillers += one;
        m_file.bytes.insert(static_cast<size_t>(m_ms[month] - 1) * kIoRecordSize, fillers);
        inf.Capacity = static_cast<int16_t>(inf.Capacity + n);
        m_ms = MonthStartTable(m_idx, m_yi);
        return true;
    }

    LedgerIndex& m_idx;
    Dialogs& m_dlg;
    FileBatch& m_batch;
    bool m_open = false;
    bool m_hasFile = false;
    int m_year = 0;
    int m_yi = 0;
    bool m_created = false;                     // the current year got a new year file
    std::array<InfRecord, 12> m_openedMonths{}; // the current year's months when it was opened
    std::array<bool, 12> m_checkedMonths{};     // months whose unloaded slots were found free
    int m_loadedFirst = 0, m_loadedLast = -1;   // year * 12 + month of the block's loaded range
    YearFile m_file;
    std::array<int, 13> m_ms{};
};

// Checks that every line can be stored: a real date inside the 50 years of the index, amounts in
// 0..99,999,999.
bool checkLines(const LedgerIndex& idx, const std::vector<IoRecord>& lines, std::string& error) {
    for (const IoRecord& l : lines) {
        if (!IsValidDate(l.Year, l.Month, l.Day)) {
            error = "日付が異常なデータがあります。(" + FormatDate(l.Year, l.Month, l.Day) + ")";
            return false;
        }
        if (!IsLedgerAmount(l.Income) || !IsLedgerAmount(l.Expense)) {
            error = std::string(kAmountRangeMessage) + " (" + FormatDate(l.Year, l.Month, l.Day) + ")";
            return false;
        }
        if (!idx.HoldsYearIndex(idx.YearIndex(l.Year))) {
            error = "家計簿に記録できるのは開始年から" + std::to_string(kMaxLedgerYears) + "年間です。(" +
                    FormatDate(l.Year, l.Month, l.Day) + ")";
            return false;
        }
    }
    return true;
}

// True when the batch replaces just the year file and the information file of one year (staged in
// that order) and the new year file holds every slot the old information file counts (lines and
// region ends) as the old one does: the old information file reads the old lines from it. The
// year file can then be committed first and the information file after it, with no journal.
bool yearFileOnlyAdds(const LedgerIndex& before, const LedgerIndex& after, FileBatch& batch) {
    if (batch.Count() != 2 || before.YearCount == 0 || after.FirstYear != before.FirstYear) return false;
    for (int yi = 1; yi <= before.YearCount && yi <= kMaxLedgerYears; ++yi) {
        const std::string io = IoFileName(before, before.FirstYear + yi - 1), inf = InfFileName(before, yi);
        const std::string staged = batch.StagedFile(io);
        if (staged.empty()) continue;
        std::string folder, name;
        SplitPath(io, folder, name);
        if (batch.StagedFile(inf).empty() || batch.Targets().front() != name) return false;
        for (int m = 1; m <= 12; ++m) {
            const InfRecord &o = before.Inf(yi, m), &n = after.Inf(yi, m);
            if (o.Capacity != n.Capacity || n.LineCount < o.LineCount) return false;
        }
        ByteBuffer old, now;
        if (!ReadWholeFile(io, old) || !ReadWholeFile(staged, now)) return false;
        const std::array<int, 13> ms = MonthStartTable(before, yi);
        const auto bytesAt = [](int slot) { return static_cast<size_t>(slot - 1) * kIoRecordSize; };
        if (old.size() < bytesAt(ms[12] + 1) || now.size() < bytesAt(ms[12] + 1)) return false;
        for (int m = 1; m <= 12; ++m) {
            const size_t from = bytesAt(ms[m - 1] + 1), lines = bytesAt(before.Inf(yi, m).LineCount + 1);
            const size_t end = bytesAt(ms[m]);
            if (std::memcmp(old.data() + from, now.data() + from, lines) != 0 ||
                std::memcmp(old.data() + end, now.data() + end, kIoRecordSize) != 0)
                return false;
        }
        return true;
    }
    return false;
}

int saveBlock(LedgerState& st, Dialogs& dlg, FileBatch* outer, std::string& error, bool& messageShown) {
    std::vector<IoRecord>& lines = st.block;
    LedgerIndex idx = st.index;
    bool wasEmpty = idx.YearCount == 0;
    if (wasEmpty) {
        idx.FirstYear = lines.front().Year;
        idx.FirstMonth = lines.front().Month;
        idx.FirstDay = lines.front().Day;
        idx.LastYear = idx.LastMonth = idx.LastDay = 0;
        for (int yi = 1; yi <= kMaxLedgerYears; ++yi)
            idx.ClearYear(yi);
    }
    if (!checkLines(idx, lines, error)) return -1;
    const IoRecord& first = lines.front();
    const IoRecord& last = lines.back();
    // Month regions are written in order, so a block whose months are mixed is sorted first.
    if (!MonthsInOrder(lines)) {
        if (!SortBlock(lines)) {
            error = "残高が計算できる範囲を超えました。";
            return -1;
        }
        st.PreSortF = false;
    }
    // The block's previous range; months in it that lost their lines are cleared.
    int oy = first.Year, om = first.Month, ey = first.Year, em = first.Month;
    if (!wasEmpty && idx.BlockStartYear > 0 && idx.BlockStartMonth > 0) {
        oy = ey = idx.BlockStartYear;
        om = em = idx.BlockStartMonth;
        AddMonths(ey, em, std::max(idx.BlockSpan, 1) - 1);
        // Writing (or clearing) a month before or after the previous range that holds lines
        // outside the block would lose them.
        auto outsideMonthHoldsLines = [&](int fy, int fm, int ty, int tm) {
            for (; CompareYearMonth(fy, fm, ty, tm) <= 0; AddMonths(fy, fm, 1)) {
                if (idx.LinesOf(fy, fm) > 0) {
                    error = "読み込んだ範囲外の月(" + FormatDate(fy, fm, 1).substr(0, 7) +
                            ")に登録済みのデータがあります。";
                    return true;
                }
            }
            return false;
        };
        int by = oy, bm = om, ay = ey, am = em;
        AddMonths(by, bm, -1);
        AddMonths(ay, am, 1);
        if (outsideMonthHoldsLines(first.Year, first.Month, by, bm) ||
            outsideMonthHoldsLines(ay, am, last.Year, last.Month))
            return -1;
    }

    FileBatch own;
    FileBatch& batch = outer ? *outer : own;
    SaveWriter w(idx, dlg, batch);
    if (!wasEmpty && idx.BlockStartYear > 0 && idx.BlockStartMonth > 0) w.SetLoadedRange(oy, om, ey, em);
    auto failed = [&] {
        error = w.error;
        messageShown = w.messageShown;
        return -1;
    };
    if (CompareYearMonth(oy, om, first.Year, first.Month) < 0) {
        int py = first.Year, pm = first.Month;
        AddMonths(py, pm, -1);
        if (!w.ClearRange(oy, om, py, pm)) return failed();
    }
    int y = 0, m = 0;
    for (size_t i = 0; i < lines.size();) {
        const IoRecord& l = lines[i];
        if (l.Year != y) {
            if (y != 0) {
                // The rest of the year and any whole years up to the line's year lie inside the
                // block and have lost their lines.
                if (!w.ClearMonths(m + 1, 12)) return failed();
                if (l.Year > y + 1 && !w.ClearRange(y + 1, 1, l.Year - 1, 12)) return failed();
            }
            if (!w.OpenYear(l.Year, true)) return failed();
            if (y != 0 && !w.ClearMonths(1, l.Month - 1)) return failed();
        } else if (!w.ClearMonths(m + 1, l.Month - 1)) {
            return failed();
        }
        y = l.Year;
        m = l.Month;
        if (!w.WriteMonth(lines, i)) return failed();
    }
    if (CompareYearMonth(ey, em, last.Year, last.Month) > 0) {
        int ny = last.Year, nm = last.Month;
        AddMonths(ny, nm, 1);
        if (!w.ClearRange(ny, nm, ey, em)) return failed();
    }

    // First and last dates.
    if (st.BlockPos <= kBlockOldest && first.Year == idx.FirstYear) {
        idx.FirstMonth = first.Month;
        idx.FirstDay = first.Day;
    }
    bool newest = wasEmpty || st.BlockPos == kBlockNewest || st.BlockPos == kBlockWhole;
    if (newest || DateNum(last) > DateNum(idx.LastYear, idx.LastMonth, idx.LastDay)) {
        idx.LastYear = last.Year;
        idx.LastMonth = last.Month;
        idx.LastDay = last.Day;
    }
    if (!newest && last.Balance != idx.BlockEndBalance && !w.CarryForward(last.Year, last.Month, last.Balance))
        return failed();
    if (!w.FinishYear()) return failed();
    // Years without lines between years with lines get their information file (twelve empty
    // months) here, under the writer's lock; reading the ledger never writes it.
    for (int yi = 1; yi <= idx.LastYear - idx.FirstYear + 1 && yi <= kMaxLedgerYears; ++yi) {
        if (idx.YearLines[yi - 1] > 0) continue;
        std::string inf = InfFileName(idx, yi);
        if (batch.StagedFile(inf).empty() && !batch.RemovalStaged(inf) && ::access(inf.c_str(), F_OK) != 0 &&
            WriteInfFile(idx, yi, dlg, &batch) < 0) {
            messageShown = true;
            return -1;
        }
    }

    idx.YearCount = idx.LastYear - idx.FirstYear + 1;
    idx.TotalLines = 0;
    for (int yi = 1; yi <= idx.YearCount; ++yi)
        idx.TotalLines += idx.YearLines[yi - 1];
    idx.BlockStartYear = first.Year;
    idx.BlockStartMonth = first.Month;
    idx.BlockSpan = MonthsFromTo(first.Year, first.Month, last.Year, last.Month);
    idx.BlockEndBalance = last.Balance;

    if (!outer) {
        // Lines added to the months of one year: the year file alone changes nothing a reader
        // sees, and the information file's rename commits them.
        const bool inOrder = yearFileOnlyAdds(st.index, idx, batch);
        if (!(inOrder ? batch.CommitInOrder(error) : batch.Commit(error))) return -1;
    }
    st.index = idx;
    st.BlockPos = ComputeBlockPos(st.index);
    st.LedgerModified = false;
    return 0;
}

} // namespace

int SaveLedgerBlock(LedgerState& st, Dialogs& dlg, FileBatch* batch) {
    if (st.block.empty()) return 0;
    std::string error;
    bool messageShown = false;
    int r = saveBlock(st, dlg, batch, error, messageShown);
    if (r < 0 && !messageShown) dlg.MsgBox(error, kWriteErrorTitle, MsgIcon::Exclamation, MsgButtons::OK);
    return r;
}

int ForcedSave(LedgerState& st, Dialogs& dlg, bool show) {
    std::string msg = "すでに最終データが書込まれています。";
    if (st.LedgerModified) {
        if (SaveLedgerBlock(st, dlg) < 0) return -1;
        msg = "完了しました。";
    }
    if (show) {
        dlg.MsgOn(msg, "強制保存");
        dlg.WaitSeconds(1.5);
        dlg.MsgOff();
    }
    return 0;
}

} // namespace mrt
