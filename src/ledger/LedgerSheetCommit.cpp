// The cell checks of the ledger grid: each column's value is checked, stored into its line (or the
// new-entry row) and shown, and its consequences (new line, balances, date order, block dates)
// applied.
#include "grid/GridModel.h"
#include "ledger/AmountExpr.h"
#include "ledger/LedgerBalance.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerIndex.h"
#include "ledger/LedgerSheet.h"
#include "ledger/LineRules.h"
#include "ledger/StartDate.h"
#include "port/Dialogs.h"
#include "settings/IniRecord.h"
#include "util/Cp932.h"
#include "util/DateText.h"

#include <charconv>
#include <cstdlib>

namespace mrt {
namespace {

constexpr const char* kMessageTitle = "ミルテ家計簿";

// A small whole number typed into a date cell: digits only (blanks around allowed); -1 otherwise.
int dateNumber(const std::string& text) {
    size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return -1;
    size_t e = text.find_last_not_of(' ');
    if (e - b + 1 > 4) return -1;
    int v = 0;
    for (size_t i = b; i <= e; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        v = v * 10 + (text[i] - '0');
    }
    return v;
}

} // namespace

int32_t LedgerSheet::startDate() const {
    const std::string& t = m_start.StartDateText; // yyyymmdd
    int32_t date = 0;
    std::from_chars(t.data(), t.data() + t.size(), date);
    return date;
}

void LedgerSheet::markModified() {
    m_ledger.LedgerModified = true;
}

int LedgerSheet::refuse(const std::string& message) {
    m_dlg.Beep();
    int choice = m_dlg.MsgKel({"再 入 力", "入力中止"}, message, kMessageTitle);
    return choice == 1 ? 1 : -1;
}

int LedgerSheet::CommitCell(std::string& text, int col, int row) {
    if (col < kColYear || col > kColBalance || row < 1) return -1;
    if (row > LastRow() + 1) return -1;
    if (row > m_ledger.MaxBlockLines) {
        ShowBlockOverflow();
        return col <= kColDay ? 0 : -1;
    }
    switch (col) {
    case kColYear:
        return commitYear(text, row);
    case kColMonth:
        return commitMonth(text, row);
    case kColDay:
        return commitDay(text, row);
    case kColItem:
    case kColNote:
    case kColShop:
        return commitName(text, col, row);
    case kColIncome:
    case kColExpense:
        return commitAmount(text, col, row);
    default:
        return commitBalance(text, row);
    }
}

// Stores an accepted date value (a year as its two digits) into the line or the new-entry row and
// shows it (its display form back into `text`), then checks the order and marks the block
// changed. Always 0.
int LedgerSheet::storeDateCell(std::string& text, int row, int col, int value) {
    IoRecord& target = row <= LastRow() ? lineAt(row) : m_entry;
    int16_t& field = col == kColYear ? target.Year : col == kColMonth ? target.Month : target.Day;
    const auto stored = static_cast<int16_t>(col == kColYear ? kFirstLedgerYear + value : value);
    const bool changed = field != stored;
    field = stored;
    std::string shown = LedgerCellDisplay(col, value);
    m_grid.SetTextMatrix(row, col, shown);
    text = shown;
    afterDateChange(row, changed);
    return 0;
}

// A year and month outside the loaded block: the questions, and the block of that month read
// when the user agrees. 0 = store the value here; 2 = the block was read; -1 = abandoned.
int LedgerSheet::outsideBlockQuestions(int year, int month) {
    const int ym = year * 100 + month;
    const int firstYm = m_dates.first / 100, lastYm = m_dates.last / 100;
    const bool latest = std::abs(m_ledger.BlockPos) == 2;
    const bool before = m_dates.first != 0 && ym < firstYm;
    bool after = m_dates.last != 0 && ym > lastYm;
    if (after && latest) after = MonthsFromTo(lastYm / 100, lastYm % 100, year, month) - 1 > 2;
    if (!before && !after) return 0;
    if (m_dlg.MsgYesNo("この年月のデータを入力しますか？", kMessageTitle) != 0) return -1;
    if (before && m_dlg.MsgYesNo(std::string("この年月のデータのブロックを読み込みます。") + "\r\n" +
                                     "その位置で(訂正でなくて)新規入力する場合は" + "\r\n" +
                                     "[編集]の[現在行の前に１行挿入する]を使ってデータ入力してください。" + "\r\n" +
                                     "\r\n" + "処理を続けますか？",
                                 kMessageTitle) != 0)
        return -1;
    // In the newest block a later month is simply entered; any other month is in another block.
    if (before || !latest) {
        int r = ReadBlockOf ? ReadBlockOf(year, month) : ReadBlock(0, year, month);
        return r == 0 ? 2 : -1;
    }
    return 0;
}

int LedgerSheet::commitYear(std::string& text, int row) {
    int v = dateNumber(text);
    if (v < 0 || !IsLedgerYear(kFirstLedgerYear + v)) return refuse(kBadDateMessage);
    if (kFirstLedgerYear + v < startDate() / 10000) return refuse(kBeforeStartMessage);
    IoRecord line = RowValues(row);
    line.Year = static_cast<int16_t>(kFirstLedgerYear + v);
    if (row <= LastRow())
        if (LineDateFault fault = CheckLineDate(line.Year, line.Month, line.Day, startDate());
            fault != LineDateFault::None)
            return refuse(LineDateMessage(fault));
    // A new year may take the line out of the loaded block, as a new month may.
    if (line.Month >= 1 && line.Month <= 12)
        if (int r = outsideBlockQuestions(line.Year, line.Month); r != 0) return r;
    return storeDateCell(text, row, kColYear, v);
}

int LedgerSheet::commitMonth(std::string& text, int row) {
    int v = dateNumber(text);
    if (v < 1 || v > 12) return refuse(kBadDateMessage);
    IoRecord line = RowValues(row);
    const int year = line.Year;
    const int32_t start = startDate();
    if (year * 100 + v < start / 100) return refuse(kBeforeStartMessage);
    line.Month = static_cast<int16_t>(v);
    if (row <= LastRow())
        if (LineDateFault fault = CheckLineDate(line.Year, line.Month, line.Day, start); fault != LineDateFault::None)
            return refuse(LineDateMessage(fault));

    if (int r = outsideBlockQuestions(year, v); r != 0) return r;
    return storeDateCell(text, row, kColMonth, v);
}

int LedgerSheet::commitDay(std::string& text, int row) {
    int v = dateNumber(text);
    const bool newRow = row == LastRow() + 1;
    if (v < 1 || v > 31) {
        if (newRow) return -1;
        return refuse(kBadDateMessage);
    }
    IoRecord line = RowValues(row);
    line.Day = static_cast<int16_t>(v);
    if (LineDateFault fault = CheckLineDate(line.Year, line.Month, line.Day, startDate()); fault != LineDateFault::None)
        return refuse(LineDateMessage(fault));
    return storeDateCell(text, row, kColDay, v);
}

// The new-entry row is not a line of the block: its date marks nothing until its first amount
// makes it one (commitAmount checks the order then).
void LedgerSheet::afterDateChange(int row, bool changed) {
    if (row > LastRow()) return;
    markOrder(row);
    if (changed) markModified();
    const int32_t key = RowDate(row);
    if (IsValidDate(key / 10000, key / 100 % 100, key % 100)) noteDate(key);
}

void LedgerSheet::markOrder(int row) {
    const int32_t key = RowDate(row);
    if (row > 1 && key < RowDate(row - 1)) m_ledger.PreSortF = true;
    if (row < LastRow() && key > RowDate(row + 1)) m_ledger.PreSortF = true;
}

int LedgerSheet::commitName(std::string& text, int col, int row) {
    // Date and amount cells refuse anything but their own characters; a name may hold any
    // character the file can store, and the message says which rule it breaks.
    const LineText field = LineTextOfColumn(col);
    std::string value = TrimRight(text);
    if (LineTextFault fault = CheckLineText(field, value)) return refuse(LineTextMessage(field, fault));
    IoRecord& target = row <= LastRow() ? lineAt(row) : m_entry;
    std::string& stored = col == kColItem ? target.ItemName : col == kColNote ? target.Note : target.ShopName;
    if (row <= LastRow() && stored != value) markModified();
    stored = value;
    m_grid.SetTextMatrix(row, col, value);
    text = value;
    return 0;
}

// The new-entry row becomes a line only with a real date not before the start date.
bool LedgerSheet::checkNewLineDate(int row, int& result) {
    IoRecord line = RowValues(row);
    if (LineDateFault fault = CheckLineDate(line.Year, line.Month, line.Day, startDate());
        fault != LineDateFault::None) {
        result = refuse(LineDateMessage(fault));
        return false;
    }
    return true;
}

int LedgerSheet::commitAmount(std::string& text, int col, int row) {
    int32_t amount = 0;
    if (LineAmountFault fault = CheckLineAmount(text, m_settings.TaxRate, amount); fault != LineAmountFault::None)
        return refuse(LineAmountMessage(fault));
    const bool newRow = row == LastRow() + 1;
    const int other = col == kColIncome ? kColExpense : kColIncome;
    auto amountOf = [col](IoRecord& l, bool own) -> int32_t& {
        return (col == kColIncome) == own ? l.Income : l.Expense;
    };
    std::string shown = LedgerCellDisplay(col, amount);
    if (newRow) {
        if (amount != 0) {
            int r = 0;
            if (!checkNewLineDate(row, r)) return r;
        }
        m_grid.SetTextMatrix(row, col, shown);
        text = shown;
        if (amount == 0) return 0;
        // The first non-zero amount turns the new-entry row into a line of the block.
        IoRecord added = RowValues(row);
        amountOf(added, true) = amount;
        amountOf(added, false) = 0;
        m_grid.SetTextMatrix(row, other, std::string());
        if (row >= 2 && !BalanceAfter(Line(row - 1).Balance, added, added.Balance)) {
            m_grid.SetTextMatrix(row, col, std::string());
            m_grid.SetTextMatrix(row, kColBalance, std::string());
            text = LedgerCellEditText(col, text);
            return refuse(kAmountRangeMessage);
        }
        lines().push_back(std::move(added));
        m_shownRows = LastRow();
        m_entry = IoRecord{}; // the row below, the new new-entry row, is blank
        showLine(row);
        markModified();
        markOrder(row);
        noteDate(RowDate(row));
        return 0;
    }

    IoRecord& l = lineAt(row);
    const int32_t oldAmount = amountOf(l, true), oldOther = amountOf(l, false);
    amountOf(l, true) = amount;
    if (amount != 0) amountOf(l, false) = 0;
    if (!RecomputeBalances(row)) {
        amountOf(lineAt(row), true) = oldAmount;
        amountOf(lineAt(row), false) = oldOther;
        RecomputeBalances(row);
        return refuse(kAmountRangeMessage);
    }
    m_grid.SetTextMatrix(row, col, shown);
    m_grid.SetTextMatrix(row, other, LedgerCellDisplay(other, amountOf(lineAt(row), false)));
    if (oldAmount != amount || oldOther != amountOf(lineAt(row), false)) markModified();
    text = shown;
    return 0;
}

int LedgerSheet::commitBalance(std::string& text, int row) {
    // Only a loaded line after the carried-balance line has a balance of its own to adjust.
    if (row < 2 || row > LastRow()) return -1;
    int32_t wanted = 0;
    if (LineAmountFault fault = ReadAmountText(text, m_settings.TaxRate, wanted); fault != LineAmountFault::None)
        return refuse(LineAmountMessage(fault));

    const size_t i = static_cast<size_t>(row - 1);
    int32_t byRule = Line(row).Balance;
    if (!BalanceAfter(Line(row - 1).Balance, Line(row), byRule)) return refuse(kAmountRangeMessage);
    if (wanted == byRule) {
        lineAt(row).Balance = byRule;
        text = LedgerCellDisplay(kColBalance, byRule);
        m_grid.SetTextMatrix(row, kColBalance, text);
        return 0;
    }
    if (LastRow() >= m_ledger.MaxBlockLines) {
        ShowBlockOverflow();
        return -1;
    }
    // Booked into a copy: a refusal leaves the lines as they were.
    std::vector<IoRecord> booked = Lines();
    int r = BookBalanceAdjustment(booked, i, wanted, m_dlg);
    if (r == 1) return -1; // "変更中止"
    if (r < 0) return refuse(kAmountRangeMessage);
    lines() = std::move(booked);
    m_shownRows = LastRow();
    ensureRows(LastRow());
    const bool redraw = m_grid.Redraw();
    m_grid.SetRedraw(false);
    for (int k = row; k <= LastRow(); ++k)
        showLine(k);
    showEntry();
    m_grid.SetRedraw(redraw);
    markModified();
    text = LedgerCellDisplay(kColBalance, Line(row).Balance);
    return 0;
}

} // namespace mrt
