#include "ledger/LedgerBlock.h"
#include "names/NameTables.h"
#include "port/Dialogs.h"
#include "settings/IniRecord.h"
#include "totals/Totals.h"
#include "util/Cp932.h"
#include "util/DateText.h"
#include "util/ProgramInfo.h"

#include <cstdio>

namespace mrt {

namespace {

constexpr const char* kLoadTitle = "集計データ読込み";
constexpr const char* kWaitMessage = "データ処理中、しばらくお待ち下さい";
constexpr const char* kAppTitle = kProgramName;

int32_t dateNum(const CivilDate& d) {
    return DateNum(d.year, d.month, d.day);
}

CivilDate addDays(const CivilDate& d, int days) {
    CivilDate r;
    DateFromKey(DateKey(d.year, d.month, d.day) + days, r.year, r.month, r.day);
    return r;
}

// Steps 1 and 2: the last date clamped to the ledger's last date, the week start to its first.
void clampWeek(const LedgerIndex& idx, CivilDate& lastDate, CivilDate& weekStart) {
    const CivilDate first{idx.FirstYear, idx.FirstMonth, idx.FirstDay};
    const CivilDate last{idx.LastYear, idx.LastMonth, idx.LastDay};
    if (dateNum(lastDate) > dateNum(last)) lastDate = last;
    weekStart = addDays(lastDate, -6);
    if (dateNum(weekStart) < dateNum(first)) {
        weekStart = first;
        if (dateNum(weekStart) > dateNum(lastDate)) {
            lastDate = addDays(weekStart, 6);
            if (dateNum(lastDate) > dateNum(last)) lastDate = last;
        }
    }
}

bool earlierMonth(int y1, int m1, int y2, int m2) {
    return CompareYearMonth(y1, m1, y2, m2) < 0;
}

} // namespace

int ComputeTotals(TotalsSession& s, CivilDate& lastDate, bool rebuild) {
    TotalsState& st = s.state;
    const LedgerIndex& main = s.ledger->index;
    // Rows and the index copy are built at least once, whatever the caller asked.
    if (rebuild || st.RowCount == 0) {
        st.index = main;
        BuildTotalsRows(*s.names, st);
    }
    const LedgerIndex& idx = st.index;
    // An empty ledger has no dates to clamp to: nothing to compute.
    if (idx.YearCount == 0 || idx.FirstYear == 0) {
        st.WeekStart = {0, 0, 0};
        st.DayCount = 0;
        st.table.assign(static_cast<size_t>(st.RowCount) + 1, {});
        return 0;
    }
    CivilDate weekStart;
    clampWeek(idx, lastDate, weekStart);
    const int dayCount = DateKey(lastDate.year, lastDate.month, lastDate.day) -
                         DateKey(weekStart.year, weekStart.month, weekStart.day) + 1;

    const int closingDay = EffectiveClosingDay(s.settings->ClosingDay);
    int y2, m2;
    ClosingMonthOf(lastDate, closingDay, y2, m2);
    CivilDate periodStart, periodEnd;
    ClosingPeriodOf(y2, m2, closingDay, periodStart, periodEnd);

    // Only the months of the week and of the closing period are read.
    int sy = periodStart.year, sm = periodStart.month;
    if (earlierMonth(weekStart.year, weekStart.month, sy, sm)) sy = weekStart.year, sm = weekStart.month;
    if (earlierMonth(sy, sm, idx.FirstYear, idx.FirstMonth)) sy = idx.FirstYear, sm = idx.FirstMonth;
    int ey = y2, em = m2;
    if (earlierMonth(ey, em, lastDate.year, lastDate.month)) ey = lastDate.year, em = lastDate.month;

    LedgerState reader;
    reader.index = idx;
    reader.MaxBlockLines = s.ledger->MaxBlockLines;
    reader.index.BlockStartYear = sy;
    reader.index.BlockStartMonth = sm;
    reader.index.BlockSpan = MonthsFromTo(sy, sm, ey, em);
    std::vector<IoRecord> lines;
    int r = LoadLedgerBlock(reader, lines, true, *s.dlg);
    if (r == 1) return -1;
    if (r != 0) {
        s.dlg->MsgOK("集計データ読込みに失敗しました。", kLoadTitle);
        return -1;
    }
    if (lines.empty()) {
        s.dlg->MsgOK("該当する集計データがありません。", kLoadTitle);
        return -1;
    }
    st.index.BlockStartYear = reader.index.BlockStartYear;
    st.index.BlockStartMonth = reader.index.BlockStartMonth;
    st.index.BlockSpan = reader.index.BlockSpan;
    st.index.BlockEndBalance = reader.index.BlockEndBalance;

    st.LastDate = lastDate;
    st.WeekStart = weekStart;
    st.DayCount = dayCount;
    st.closingDay = closingDay;
    st.closingYear = y2;
    st.closingMonth = m2;
    st.periodStart = periodStart;
    st.periodEnd = periodEnd;
    AccumulateTotals(lines, st);

    // The budget column shows what the record holds afterwards; TotalsBudgetOf shows none
    // unless it holds the closing month's year.
    LoadBudget(*s.budget, y2, s.names->items, s.budgetPlace, *s.dlg);
    if (s.view) s.view->ShowTotals(st, *s.budget, rebuild);
    return 0;
}

void MoveTotalsWeek(TotalsSession& s, int days) {
    // The date before the move is kept whole: the computation may have clamped it on the way.
    CivilDate before = s.state.LastDate;
    CivilDate moved = addDays(before, days);
    if (ComputeTotals(s, moved, false) != 0) {
        s.state.LastDate = before;
        s.dlg->Beep();
    }
}

void SetClosingDay(TotalsSession& s) {
    std::string text = FitLeftBytes(std::to_string(EffectiveClosingDay(s.settings->ClosingDay)), 2);
    if (s.dlg->InputKel(text, "月集計の締め日を入力してください。\r\n(月末締めの場合は31を入れます。)", "締め日の設定",
                        0, 0, "01,31") != 0)
        return;
    int day = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            day = day * 10 + (c - '0');
        else if (c != ' ')
            break;
    }
    if (day < 1 || day > 31 || day == s.settings->ClosingDay) return;
    s.settings->ClosingDay = static_cast<int16_t>(day);
    if (WriteSettings(s.settingsPath, *s.settings) != 0) {
        // The new closing day stays in use for this run; the user learns that it was not stored.
        s.dlg->MsgBox("環境設定ファイルの書込みに失敗しました。", "締め日の設定", MsgIcon::Exclamation, MsgButtons::OK);
    }
    CivilDate lastDate = s.state.LastDate;
    ComputeTotals(s, lastDate, true);
}

void OpenTotals(TotalsSession& s) {
    CivilDate today = AppClock().Today();
    std::string answer;
    if (s.dlg->DateInYMD("集計表示する最後の日付を入力してください。", FormatDate(today.year, today.month, today.day),
                         answer) != 0)
        return;
    CivilDate lastDate;
    if (!ParseDateText(answer, lastDate.year, lastDate.month, lastDate.day)) return;
    s.dlg->MsgOn(kWaitMessage, kAppTitle);
    if (LoadBudget(*s.budget, lastDate.year, s.names->items, s.budgetPlace, *s.dlg) != 0) {
        s.dlg->MsgOff();
        return;
    }
    int r = ComputeTotals(s, lastDate, true);
    s.state.LastDate = lastDate;
    s.dlg->MsgOff();
    if (r == 0 && s.view) s.view->RunTotalsWindow();
}

} // namespace mrt
