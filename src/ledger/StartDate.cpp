#include "ledger/StartDate.h"

#include "ledger/AmountExpr.h"
#include "ledger/LedgerBalance.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerFiles.h"
#include "ledger/LedgerSave.h"
#include "ledger/LineRules.h"
#include "port/Dialogs.h"
#include "util/DateText.h"
#include "util/FileBatch.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace mrt {
namespace {

constexpr const char* kTitle = "開始日付の変更";
constexpr const char* kWriteErrorTitle = "入出金ファイル書込みエラー";
constexpr const char* kFailureMessage =
    "ファイル処理中にエラーが発生しました。\r\n一旦プログラムを終了します。（再起動してください。）";

// Moves the year records of the index by h places: h > 0 towards higher indices (the ledger
// gains h earlier years), h < 0 towards lower ones (the first -h years are dropped). Vacated
// indices become empty years.
void shiftYears(LedgerIndex& idx, int h) {
    if (h > 0) {
        for (int yi = kMaxLedgerYears - h; yi >= 1; --yi) {
            idx.Months[yi - 1 + h] = idx.Months[yi - 1];
            idx.YearLines[yi - 1 + h] = idx.YearLines[yi - 1];
        }
        for (int yi = 1; yi <= h; ++yi)
            idx.ClearYear(yi);
    } else if (h < 0) {
        int d = -h;
        for (int yi = 1; yi <= kMaxLedgerYears - d; ++yi) {
            idx.Months[yi - 1] = idx.Months[yi - 1 + d];
            idx.YearLines[yi - 1] = idx.YearLines[yi - 1 + d];
        }
        for (int yi = kMaxLedgerYears - d + 1; yi <= kMaxLedgerYears; ++yi)
            idx.ClearYear(yi);
    }
}

// Moves the initial-balance line's place in the index to (y, m, d). `hasEntries` is false when
// the ledger holds the initial-balance line only; it then also ends on the new date.
void moveStartInIndex(LedgerIndex& idx, int y, int m, int d, bool hasEntries) {
    int oldYear = idx.FirstYear, oldMonth = idx.FirstMonth;
    if (y == oldYear) {
        if (m != oldMonth) {
            idx.Inf(1, oldMonth).LineCount = static_cast<int16_t>(idx.Inf(1, oldMonth).LineCount - 1);
            idx.Inf(1, m).LineCount = static_cast<int16_t>(idx.Inf(1, m).LineCount + 1);
        }
    } else if (y < oldYear) {
        int h = oldYear - y;
        idx.Inf(1, oldMonth).LineCount = static_cast<int16_t>(idx.Inf(1, oldMonth).LineCount - 1);
        shiftYears(idx, h);
        idx.Inf(1, m).LineCount = 1;
        idx.YearCount += h;
    } else {
        int h = y - oldYear;
        shiftYears(idx, -h);
        idx.YearCount -= h;
        idx.Inf(1, m).LineCount = static_cast<int16_t>(idx.Inf(1, m).LineCount + 1);
    }
    for (int yi = 1; yi <= kMaxLedgerYears; ++yi)
        SumYearLines(idx, yi);
    idx.FirstYear = y;
    idx.FirstMonth = m;
    idx.FirstDay = d;
    if (!hasEntries) {
        idx.LastYear = y;
        idx.LastMonth = m;
        idx.LastDay = d;
    }
    idx.YearCount = idx.LastYear - idx.FirstYear + 1;
    idx.TotalLines = 0;
    for (int yi = 1; yi <= idx.YearCount; ++yi)
        idx.TotalLines += idx.YearLines[yi - 1];
}

// Shows the failure message, rebuilds the ledger state from the files and gives -1.
int fail(LedgerState& state, Dialogs& dlg) {
    dlg.MsgOK(kFailureMessage, kTitle);
    if (ScanLedgerYears(state, dlg) >= 0) LoadStartBlock(state, dlg);
    return -1;
}

std::string yyyymmdd(int y, int m, int d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
    return buf;
}

} // namespace

IoRecord InitialBalanceLine(int year, int month, int day, int32_t balance) {
    IoRecord line;
    line.Year = static_cast<int16_t>(year);
    line.Month = static_cast<int16_t>(month);
    line.Day = static_cast<int16_t>(day);
    line.ItemName = kInitialBalanceItem;
    line.Balance = balance;
    return line;
}

std::string StartDateTextOf(const LedgerIndex& idx) {
    if (idx.YearCount == 0 || idx.FirstYear == 0) return "";
    return yyyymmdd(idx.FirstYear, idx.FirstMonth, idx.FirstDay);
}

int ChangeStartDate(LedgerState& state, Dialogs& dlg, StartLine* start) {
    if (state.index.YearCount == 0 || state.index.TotalLines == 0) return 0; // no initial-balance line yet
    if (dlg.MsgYesNo(std::string("この家計簿を開始する日付を変更します。") + "\r\n" + "よろしいですか？", kTitle) != 0)
        return 0;

    // The first two months that hold lines, into a scratch state built on a copy of the index.
    LedgerState work;
    work.index = state.index;
    work.BlockMonthsInUse = state.BlockMonthsInUse;
    work.MaxBlockLines = INT_MAX; // two months of any size are fine here
    work.index.BlockStartYear = state.index.FirstYear;
    work.index.BlockStartMonth = state.index.FirstMonth;
    work.index.BlockSpan = 2;
    int r = LoadLedgerBlock(work, work.block, false, dlg);
    if (r != 0 || work.block.empty()) {
        if (r <= 0) dlg.MsgOK(LedgerReadFailedMessage(work), "入出金データの読込み");
        return 0; // nothing was changed
    }
    std::vector<IoRecord>& lines = work.block;
    const int32_t initialBalance = lines[0].Balance;

    // The first entry date: the earliest line after the initial-balance line. Lines of one month
    // may be out of order, so the smallest date is taken rather than that of line 2.
    bool hasEntries = lines.size() >= 2;
    int32_t firstEntry = INT32_MAX;
    int ey = 0, em = 0, ed = 0;
    for (size_t i = 1; i < lines.size(); ++i) {
        if (DateNum(lines[i]) < firstEntry) {
            firstEntry = DateNum(lines[i]);
            ey = lines[i].Year;
            em = lines[i].Month;
            ed = lines[i].Day;
        }
    }
    const LedgerIndex& cur = state.index;
    const int32_t currentNum = DateNum(cur.FirstYear, cur.FirstMonth, cur.FirstDay);
    const std::string currentText = FormatDate(cur.FirstYear, cur.FirstMonth, cur.FirstDay);

    int y = 0, m = 0, d = 0;
    for (;;) {
        std::string answer = currentText;
        if (dlg.DateInYMD("開始する日付を変更してください。", currentText, answer) != 0) return 0;
        if (!ParseDateText(answer, y, m, d)) continue; // the dialog only returns real dates
        int32_t newNum = DateNum(y, m, d);
        if (newNum == currentNum) return 0;
        if (y < kFirstLedgerYear) {
            dlg.MsgOK("開始日付は２０００年以降にしてください。", kTitle);
            continue;
        }
        if (hasEntries && newNum > firstEntry) {
            dlg.MsgOK("最初の入出金の日付(" + FormatDate(ey, em, ed) + ")以前の日付にしてください。", kTitle);
            continue;
        }
        if (!hasEntries && y > kLastLedgerYear) {
            dlg.MsgOK("開始日付は２０５０年以前にしてください。", kTitle);
            continue;
        }
        if (hasEntries && cur.LastYear - y + 1 > kMaxLedgerYears) {
            dlg.MsgOK("開始日付から最後の入出金の日付までは５０年以内にしてください。", kTitle);
            continue;
        }
        break;
    }

    int32_t newBalance = initialBalance;
    if (AskAmount(dlg, "最初の残高を入力してください。", initialBalance, newBalance) != 0) return 0;

    // The new first line and, for a new balance, the balances that follow from it.
    lines[0].Year = static_cast<int16_t>(y);
    lines[0].Month = static_cast<int16_t>(m);
    lines[0].Day = static_cast<int16_t>(d);
    if (newBalance != initialBalance) {
        lines[0].Balance = newBalance;
        if (!RecomputeBalances(lines, 1)) return fail(state, dlg);
    }

    const int oldFirstYear = cur.FirstYear;
    moveStartInIndex(work.index, y, m, d, hasEntries);
    LedgerIndex& wi = work.index;
    if (!hasEntries && y != oldFirstYear) {
        // The line alone moves to another year: the block becomes its new month, saved into that
        // month as into an empty one (the save counts the line itself).
        wi.BlockStartYear = y;
        wi.BlockStartMonth = m;
        wi.BlockSpan = 1;
        wi.Inf(wi.YearIndex(y), m).LineCount = 0;
        SumYearLines(wi, wi.YearIndex(y));
        wi.TotalLines = wi.YearLines[wi.YearIndex(y) - 1];
    } else if (CompareYearMonth(y, m, wi.BlockStartYear, wi.BlockStartMonth) < 0) {
        // The line moves to a month before the loaded ones: the block's range starts there, as
        // the index already counts the line in it.
        int ey = wi.BlockStartYear, em = wi.BlockStartMonth;
        AddMonths(ey, em, std::max(wi.BlockSpan, 1) - 1);
        wi.BlockStartYear = y;
        wi.BlockStartMonth = m;
        wi.BlockSpan = MonthsFromTo(y, m, ey, em);
    } else if (MonthsFromTo(wi.BlockStartYear, wi.BlockStartMonth, y, m) > wi.BlockSpan) {
        // Without entries the line may move past the months it was loaded from; the block's range
        // then reaches its new month, which the index already counts.
        wi.BlockSpan = MonthsFromTo(wi.BlockStartYear, wi.BlockStartMonth, y, m);
    }

    // Everything below is one commit: the moved line, the information files of every year and
    // the files of the years the ledger no longer covers are replaced or removed together.
    FileBatch batch;
    std::string error;
    // A year file left from an earlier start before the ledger is no part of it; removing it
    // lets the save set the new first year up from scratch.
    if (y < oldFirstYear && !batch.StageRemoval(IoFileName(work.index, y), error)) return fail(state, dlg);

    if (SaveLedgerBlock(work, dlg, &batch) < 0) return fail(state, dlg);
    for (int yi = 1; yi <= work.index.YearCount; ++yi)
        if (WriteInfFile(work.index, yi, dlg, &batch) < 0) return fail(state, dlg);

    // The dropped years held only the old initial-balance line.
    bool staged = true;
    for (int year = oldFirstYear; year < y; ++year)
        staged = staged && batch.StageRemoval(InfFileName(cur, year - oldFirstYear + 1), error) &&
                 batch.StageRemoval(IoFileName(cur, year), error);
    // A ledger of the initial-balance line alone ends in the line's new year: the years it left
    // after that hold nothing any more, and a stale information file there would count the line.
    if (!hasEntries) {
        for (int year = std::max(y + 1, oldFirstYear); year <= cur.LastYear; ++year)
            staged = staged && batch.StageRemoval(InfFileName(cur, year - oldFirstYear + 1), error) &&
                     batch.StageRemoval(IoFileName(cur, year), error);
    }
    if (!staged || !batch.Commit(error)) {
        dlg.MsgBox(error, kWriteErrorTitle, MsgIcon::Exclamation, MsgButtons::OK);
        return fail(state, dlg);
    }

    state.index = work.index;
    if (LoadStartBlock(state, dlg) != 0) return -1;
    if (start) {
        start->StartDateText = yyyymmdd(y, m, d);
        start->InitialBalance = newBalance;
    }
    return 0;
}

int ChangeInitialBalance(LedgerState& state, int32_t balance, StartLine* start) {
    if (state.block.empty() || state.BlockPos > 0) return -1;
    std::vector<IoRecord> lines = state.block;
    lines[0].Balance = balance;
    if (!RecomputeBalances(lines, 1)) return -1;
    state.block = std::move(lines);
    state.LedgerModified = true;
    if (start) start->InitialBalance = balance;
    return 0;
}

} // namespace mrt
