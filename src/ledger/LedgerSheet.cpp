#include "ledger/LedgerSheet.h"

#include "grid/GridModel.h"
#include "ledger/AmountExpr.h"
#include "ledger/LedgerBalance.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerIndex.h"
#include "ledger/LedgerSave.h"
#include "port/Dialogs.h"
#include "util/Cp932.h"
#include "util/FontFaces.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace mrt {
namespace {

const LedgerColumnSpec kColumns[kLedgerDataCols + 1] = {
    {"No.", 0, false},
    {" 年", 2, false},
    {" 月", 2, false},
    {" 日", 2, false},
    {" 　項　目　名 ", kItemNameBytes, true},
    {"  内 訳・備 考   ", kNoteBytes, true},
    {" 店名・相手先 ", kShopNameBytes, true},
    {"  入　金  ", 10, false},
    {"  出　金  ", 10, false},
    {"  残　高  ", 10, false},
};

std::string twoDigits(int64_t v, char pad) {
    char buf[24];
    if (pad == '0')
        std::snprintf(buf, sizeof buf, "%02lld", static_cast<long long>(v));
    else
        std::snprintf(buf, sizeof buf, "%2lld", static_cast<long long>(v));
    return buf;
}

std::string grouped(int64_t v) {
    std::string digits = std::to_string(v < 0 ? -v : v);
    std::string out;
    int n = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (n && n % 3 == 0) out.insert(out.begin(), ',');
        out.insert(out.begin(), *it);
        ++n;
    }
    return v < 0 ? "-" + out : out;
}

std::string trimBlanks(const std::string& s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

} // namespace

const LedgerColumnSpec& LedgerColumnOf(int col) {
    if (col < 1 || col > kLedgerDataCols) return kColumns[0];
    return kColumns[col];
}

TextMeasure FixedPitchMeasure(int halfWidth, int height) {
    return [halfWidth, height](const std::string& text) { return TextSize{AnsiByteLength(text) * halfWidth, height}; };
}

LedgerGridGeometry SetUpLedgerGrid(GridModel& grid, const GridSpec& spec, const TextMeasure& measure) {
    LedgerGridGeometry g;
    TextSize a = measure("A");
    g.charWidth = a.width;
    g.textHeight = a.height;

    grid.SetRedraw(false);
    grid.SetFontName(kGothicFace);
    grid.SetFontSize(9);
    const int cols = spec.fixedCols + spec.dataCols;
    const int rows = spec.fixedRows + spec.lineRows + kLedgerSpareRows;
    grid.SetCols(cols);
    grid.SetRows(rows);
    grid.SetFixedCols(spec.fixedCols);
    grid.SetFixedRows(spec.fixedRows);

    int sum = 0;
    for (int c = 0; c < cols; ++c) {
        int w = measure(LedgerColumnOf(c).header).width;
        // The row labels run up to the block's line count: "1500" is wider than "No.".
        if (c == 0) w = std::max(w, measure(std::to_string(spec.lineRows)).width);
        grid.SetColWidth(c, w);
        sum += w;
    }
    const int dataRowHeight = a.height * 6 / 5;
    grid.SetDefaultRowHeight(dataRowHeight);
    grid.SetAllRowHeights(dataRowHeight);
    for (int r = 0; r < spec.fixedRows; ++r)
        grid.SetRowHeight(r, a.height);

    grid.SetColAlignment(0, GridAlign::Center);
    for (int c = kColYear; c <= kColDay; ++c)
        grid.SetColAlignment(c, GridAlign::Center);
    for (int c = kColItem; c < cols; ++c)
        grid.SetColAlignment(c, GridAlign::Left);
    for (int c = 0; c < cols; ++c)
        grid.SetTextMatrix(0, c, LedgerColumnOf(c).header);
    for (int r = 1; r < rows; ++r)
        grid.SetTextMatrix(r, 0, r <= spec.lineRows ? std::to_string(r) : std::string("*"));

    g.height = a.height + spec.displayRows * dataRowHeight + a.height * 2 / 5;
    g.scrollBar = spec.displayRows < spec.lineRows + kLedgerSpareRows;
    g.width = sum + (g.scrollBar ? a.width * 27 / 10 : a.width * 3 / 5);
    grid.SetScrollBars(g.scrollBar ? GridScrollBars::Vertical : GridScrollBars::None);
    grid.SetSelectionMode(GridSelectionMode::Free);
    grid.SetRedraw(true);
    return g;
}

std::string LedgerCellDisplay(int col, int64_t value) {
    switch (col) {
    case kColYear:
        return twoDigits(value % 100, '0');
    case kColMonth:
    case kColDay:
        return twoDigits(value, ' ');
    case kColIncome:
    case kColExpense:
    case kColBalance: {
        if (value == 0 && col != kColBalance) return {};
        std::string text = grouped(value);
        // A balance, or an amount from a file written elsewhere, can outgrow the 10 bytes of the
        // column; the cell is read back into the line, so it is never cut.
        return text.size() >= 10 ? text : std::string(10 - text.size(), ' ') + text;
    }
    default:
        return std::to_string(value);
    }
}

std::string LedgerCellEditText(int col, const std::string& cellText) {
    std::string t = trimBlanks(cellText);
    if (col >= kColIncome && col <= kColBalance) t.erase(std::remove(t.begin(), t.end(), ','), t.end());
    return t;
}

int64_t LedgerCellNumber(const std::string& cellText) {
    int64_t v = 0;
    bool neg = false, any = false;
    for (size_t i = 0; i < cellText.size(); ++i) {
        char c = cellText[i];
        if (c == ' ' || c == ',') continue;
        if (c == '-' && !any && !neg) {
            neg = true;
            continue;
        }
        if (c < '0' || c > '9') return 0;
        any = true;
        if (v > std::numeric_limits<int64_t>::max() / 10 - 10) return 0;
        v = v * 10 + (c - '0');
    }
    return neg ? -v : v;
}

void FillGridRow(GridModel& grid, int row, const IoRecord& rec) {
    grid.SetTextMatrix(row, kColYear, LedgerCellDisplay(kColYear, rec.Year));
    grid.SetTextMatrix(row, kColMonth, LedgerCellDisplay(kColMonth, rec.Month));
    grid.SetTextMatrix(row, kColDay, LedgerCellDisplay(kColDay, rec.Day));
    grid.SetTextMatrix(row, kColItem, rec.ItemName);
    grid.SetTextMatrix(row, kColNote, rec.Note);
    grid.SetTextMatrix(row, kColShop, rec.ShopName);
    grid.SetTextMatrix(row, kColIncome, LedgerCellDisplay(kColIncome, rec.Income));
    grid.SetTextMatrix(row, kColExpense, LedgerCellDisplay(kColExpense, rec.Expense));
    grid.SetTextMatrix(row, kColBalance, LedgerCellDisplay(kColBalance, rec.Balance));
}

void BlankGridRow(GridModel& grid, int row) {
    for (int c = 1; c <= kLedgerDataCols; ++c)
        grid.SetTextMatrix(row, c, std::string());
}

std::string DateRangeLabel(int32_t first, int32_t last) {
    if (first == 0 && last == 0) return " 登録済みデータ無し";
    auto one = [](int32_t d) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%d年%02d月%02d日", d / 10000, d / 100 % 100, d % 100);
        return std::string(buf);
    };
    return one(first) + "～" + one(last);
}

// ---- LedgerSheet ------------------------------------------------------------------------------

LedgerSheet::LedgerSheet(GridModel& grid, LedgerState& ledger, const IniRecord& settings, const StartLine& start,
                         Dialogs& dlg)
    : m_grid(grid), m_ledger(ledger), m_settings(settings), m_start(start), m_dlg(dlg) {}

void LedgerSheet::ensureRows(int lines) {
    const int needed = m_grid.FixedRows() + lines + kLedgerSpareRows;
    if (m_grid.Rows() >= needed) return;
    const int old = m_grid.Rows();
    m_grid.SetRows(needed);
    for (int r = std::max(old, 1); r < needed; ++r)
        m_grid.SetTextMatrix(r, 0, r <= lines ? std::to_string(r) : std::string("*"));
    // Earlier "*" labels that now number lines.
    for (int r = 1; r <= lines && r < old; ++r)
        m_grid.SetTextMatrix(r, 0, std::to_string(r));
}

IoRecord LedgerSheet::RowValues(int row) const {
    if (row >= 1 && row <= LastRow()) return Line(row);
    IoRecord r = row == NewEntryRow() ? m_entry : IoRecord{};
    if (r.Year == 0) r.Year = kFirstLedgerYear;
    return r;
}

std::string LedgerSheet::CellText(int row, int col) const {
    if (row >= 1 && row <= LastRow()) {
        const IoRecord& l = Line(row);
        switch (col) {
        case kColYear:
            return LedgerCellDisplay(col, l.Year);
        case kColMonth:
            return LedgerCellDisplay(col, l.Month);
        case kColDay:
            return LedgerCellDisplay(col, l.Day);
        case kColItem:
            return l.ItemName;
        case kColNote:
            return l.Note;
        case kColShop:
            return l.ShopName;
        case kColIncome:
            return LedgerCellDisplay(col, l.Income);
        case kColExpense:
            return LedgerCellDisplay(col, l.Expense);
        case kColBalance:
            return LedgerCellDisplay(col, l.Balance);
        default:
            return {};
        }
    }
    if (row != NewEntryRow()) return {};
    switch (col) {
    case kColYear:
        return m_entry.Year == 0 ? std::string() : LedgerCellDisplay(col, m_entry.Year);
    case kColMonth:
        return m_entry.Month == 0 ? std::string() : LedgerCellDisplay(col, m_entry.Month);
    case kColDay:
        return m_entry.Day == 0 ? std::string() : LedgerCellDisplay(col, m_entry.Day);
    case kColItem:
        return m_entry.ItemName;
    case kColNote:
        return m_entry.Note;
    case kColShop:
        return m_entry.ShopName;
    default:
        return {};
    }
}

std::string LedgerSheet::CellEditText(int row, int col) const {
    return LedgerCellEditText(col, CellText(row, col));
}

void LedgerSheet::showLine(int row) {
    FillGridRow(m_grid, row, Line(row));
}

void LedgerSheet::showEntry() {
    const int row = NewEntryRow();
    if (row > m_grid.Rows() - 1) return;
    for (int c = 1; c <= kLedgerDataCols; ++c)
        m_grid.SetTextMatrix(row, c, CellText(row, c));
}

void LedgerSheet::blankRows(int from, int to) {
    to = std::min(to, m_grid.Rows() - 1);
    for (int r = std::max(from, 1); r <= to; ++r)
        BlankGridRow(m_grid, r);
}

void LedgerSheet::StartEntry(bool dated) {
    m_entry = IoRecord{};
    if (dated && LastRow() >= 1) {
        const IoRecord& last = Line(LastRow());
        m_entry.Year = last.Year;
        m_entry.Month = last.Month;
        m_entry.Day = last.Day;
    }
    showEntry();
}

void LedgerSheet::DateEntryLikeLastLine() {
    if (LastRow() < 1 || m_entry.Year != 0 || m_entry.Month != 0 || m_entry.Day != 0) return;
    const IoRecord& last = Line(LastRow());
    m_entry.Year = last.Year;
    m_entry.Month = last.Month;
    m_entry.Day = last.Day;
    const int row = NewEntryRow();
    for (int c = kColYear; c <= kColDay; ++c)
        m_grid.SetTextMatrix(row, c, CellText(row, c));
}

void LedgerSheet::FillFromBlock() {
    const int n = LastRow();
    ensureRows(std::max(n, m_ledger.MaxBlockLines));
    const bool redraw = m_grid.Redraw();
    m_grid.SetRedraw(false);
    for (int r = 1; r <= n; ++r)
        showLine(r);
    blankRows(n + 1, std::max(m_shownRows + 1, n + 1));
    m_entry = IoRecord{};
    m_shownRows = n;
    m_grid.SetRedraw(redraw);
    ResetDates();
}

void LedgerSheet::ShowLines(std::vector<IoRecord> shown) {
    const int oldEntryRow = m_shownRows + 1;
    const int n = static_cast<int>(shown.size());
    ensureRows(n);
    lines() = std::move(shown);
    m_shownRows = n;
    const bool redraw = m_grid.Redraw();
    m_grid.SetRedraw(false);
    for (int r = 1; r <= n; ++r)
        showLine(r);
    blankRows(n + 1, std::max(oldEntryRow, n + 1));
    m_entry = IoRecord{};
    m_grid.SetRedraw(redraw);
    ResetDates();
}

bool LedgerSheet::InsertLine(int row) {
    if (row < 2 || row > LastRow()) return false;
    ensureRows(LastRow() + 1);
    IoRecord added;
    added.Year = Line(row).Year;
    added.Month = Line(row).Month;
    added.Day = Line(row).Day;
    added.Balance = Line(row - 1).Balance;
    lines().insert(lines().begin() + (row - 1), std::move(added));
    m_shownRows = LastRow();
    const bool redraw = m_grid.Redraw();
    m_grid.SetRedraw(false);
    for (int r = row; r <= LastRow(); ++r)
        showLine(r);
    showEntry();
    m_grid.SetRedraw(redraw);
    RecomputeBalances(row + 1);
    return true;
}

bool LedgerSheet::DeleteLine(int row) {
    if (row < 1 || row > LastRow()) return false;
    // The new-entry row moves up with the lines, so that it keeps its date and nothing is left
    // behind below it.
    const int oldEntryRow = std::min(LastRow() + 1, m_grid.Rows() - 1);
    lines().erase(lines().begin() + (row - 1));
    m_shownRows = LastRow();
    const bool redraw = m_grid.Redraw();
    m_grid.SetRedraw(false);
    for (int r = row; r <= LastRow(); ++r)
        showLine(r);
    showEntry();
    blankRows(oldEntryRow, oldEntryRow);
    m_grid.SetRedraw(redraw);
    if (row >= 2 && row <= LastRow()) return RecomputeBalances(row);
    return true;
}

bool LedgerSheet::RecomputeBalances(int fromRow) {
    if (fromRow < 2) fromRow = 2;
    for (int r = fromRow; r <= LastRow(); ++r) {
        int32_t balance = 0;
        if (!BalanceAfter(Line(r - 1).Balance, Line(r), balance)) return false;
        if (balance == Line(r).Balance) continue;
        lineAt(r).Balance = balance;
        m_grid.SetTextMatrix(r, kColBalance, LedgerCellDisplay(kColBalance, balance));
    }
    return true;
}

bool LedgerSheet::SumBalanceFrom(int32_t& balance) {
    if (LastRow() < 1) return true;
    lineAt(1).Balance = balance;
    m_grid.SetTextMatrix(1, kColBalance, LedgerCellDisplay(kColBalance, balance));
    if (!RecomputeBalances(2)) return false;
    balance = Line(LastRow()).Balance;
    return true;
}

void LedgerSheet::DropTrailingEmptyLines() {
    mrt::DropTrailingEmptyLines(lines());
}

bool LedgerSheet::SortByDate() {
    if (LastRow() < 2) return true;
    m_dlg.MsgOn("登録データ並び替え中・・・　しばらくお待ちください。", "登録データ並び替え");
    const int row = m_grid.Row(), col = m_grid.Col();
    DropTrailingEmptyLines();
    bool ok = true;
    if (lines().size() >= 2) {
        std::vector<IoRecord> sorted = lines();
        ok = mrt::SortBlock(sorted);
        if (ok) lines() = std::move(sorted);
    }
    FillFromBlock();
    m_grid.SetCursor(std::min(row, m_grid.Rows() - 1), col);
    m_dlg.MsgOff();
    return ok;
}

int LedgerSheet::SaveLines(bool show, bool& reshown) {
    reshown = false;
    if (!m_ledger.LedgerModified) return ForcedSave(m_ledger, m_dlg, show);
    // A save drops trailing lines without amounts and puts months in order; should it fail, the
    // lines stay as the grid shows them.
    std::vector<IoRecord> asShown;
    const bool trailing = LastRow() > 1 && Line(LastRow()).Income <= 0 && Line(LastRow()).Expense <= 0;
    const bool mixedMonths = !MonthsInOrder(Lines());
    if (trailing || mixedMonths) asShown = Lines();
    DropTrailingEmptyLines();
    if (ForcedSave(m_ledger, m_dlg, show) != 0) {
        if (trailing || mixedMonths) lines() = std::move(asShown);
        return -1;
    }
    if (!trailing && !mixedMonths) return 0;
    reshown = asShown != Lines();
    if (reshown) FillFromBlock();
    return 0;
}

void LedgerSheet::ResetDates() {
    m_dates = {};
    if (LastRow() >= 1) {
        m_dates.first = RowDate(1);
        m_dates.last = RowDate(LastRow());
    }
    if (DatesChanged) DatesChanged();
}

void LedgerSheet::noteDate(int32_t date) {
    bool changed = false;
    if (m_dates.first == 0 || date < m_dates.first) m_dates.first = date, changed = true;
    if (date > m_dates.last) m_dates.last = date, changed = true;
    if (changed && DatesChanged) DatesChanged();
}

void LedgerSheet::ShowBlockOverflow() {
    m_dlg.MsgBox("入出金データの読込み最大数をオーバーしました。\r\n"
                 "[登録]の[環境設定]で[入出金データの最大読込み可能数]を変更してください。",
                 "データ読込みエラー", MsgIcon::Critical, MsgButtons::OK);
}

int LedgerSheet::ReadBlock(int direction, int year, int month) {
    LedgerState& st = m_ledger;
    // Save first, so that a failed read can fall back to the block as it is now on disk.
    bool reshown = false;
    if (!st.LedgerModified)
        DropTrailingEmptyLines();
    else if (SaveLines(false, reshown) != 0)
        return -1;
    const LedgerIndex keptIndex = st.index;
    const std::vector<IoRecord> keptBlock = st.block;
    const int keptPos = st.BlockPos;
    const bool keptSort = st.PreSortF;
    if (ReReadBlock(st, direction, year, month, m_dlg) != 0) {
        st.index = keptIndex;
        st.block = keptBlock;
        st.BlockPos = keptPos;
        st.PreSortF = keptSort;
        st.LedgerModified = false;
        FillFromBlock();
        return -1;
    }
    FillFromBlock();
    return 0;
}

} // namespace mrt
