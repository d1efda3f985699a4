// Ledger editor: start and end of an editing period, keys on the idle grid, cursor movement,
// the reaction to a change of row, mouse and scrolling at the block edges.
#include "app/LedgerEditor.h"

#include "app/AppState.h"
#include "grid/GridModel.h"
#include "ledger/AmountExpr.h"
#include "ledger/LedgerIndex.h"
#include "port/Dialogs.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace mrt {
namespace {

constexpr GridColor kSelectionColor = Rgb(224, 112, 160);

const std::string kSecondLine = "　[↑]ｷｰ(またはﾏｳｽのｸﾘｯｸ)で、訂正のため別の行へ移動できます。";

std::string helpText(int col) {
    switch (col) {
    case kColYear:
        return "　日付(年:下２桁)を入力してください。\n" + kSecondLine;
    case kColMonth:
        return "　日付(月)を入力してください。　[年]を変更する場合は[←]ｷｰで戻ります。\n" + kSecondLine;
    case kColDay:
        return "　日付(日)を入力してください。　[月]を変更する場合は[←]ｷｰで戻ります。\n" + kSecondLine;
    case kColItem:
        return "　[↑][↓]ｷｰで[項目]を選択して[Enter]ｷｰを押してください。(またはﾏｳｽのWｸﾘｯｸ)\n"
               "　[TAB]ｷｰで、[入金][出金]の一覧を切り替え。　[ESC]ｷｰで、選択を中止。";
    case kColNote:
        return "　[↑][↓]ｷｰで[内訳・備考]を選択して[Enter]ｷｰを押してください。(またはﾏｳｽのWｸﾘｯｸ)\n"
               "　[ESC]ｷｰで、選択を中止。";
    case kColShop:
        return "　[↑][↓]ｷｰで[店名・相手先]を選択して[Enter]ｷｰを押してください。(またはﾏｳｽのWｸﾘｯｸ)\n"
               "　[ESC]ｷｰで、選択を中止。";
    case kColIncome:
        return "　入金の金額(収入)を入力してください。\n" + kSecondLine;
    case kColExpense:
        return "　出金の金額(支出)を入力してください。　最後に % か * で消費税を付加（%8 なら税率８％）。\n" +
               kSecondLine;
    case kColBalance:
        return "　残高が合わない場合にのみ残高を修正します。\n" + kSecondLine;
    default:
        return "　[↑][↓][→][←]ｷｰで訂正したい位置へ移動し[Enter]ｷｰを押すと入力モードになります。\n"
               "　マウスで訂正したい位置をＷｸﾘｯｸしても、入力モードになります。";
    }
}

std::string slashDate(int32_t d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d/%02d/%02d", d / 10000, d / 100 % 100, d % 100);
    return buf;
}

} // namespace

std::vector<std::string> OnePointHelpTexts() {
    std::vector<std::string> texts;
    for (int col = 0; col <= kColBalance; ++col)
        texts.push_back(helpText(col));
    return texts;
}

LedgerEditor::LedgerEditor(AppState& app, GridModel& grid, Dialogs& dlg, EditorView& view)
    : m_app(app), m_grid(grid), m_dlg(dlg), m_view(view), m_sheet(grid, app.ledger, app.settings, app.start, dlg) {
    m_sheet.ReadBlockOf = [this](int year, int month) { return afterMonthRead(year, month); };
    m_sheet.DatesChanged = [this] { refreshLabels(); };
}

LedgerGridGeometry LedgerEditor::SetUpGrid(const TextMeasure& measure, int rowsLimit) {
    GridSpec spec;
    spec.lineRows = std::max(m_app.ledger.MaxBlockLines, m_app.ledger.LedgerLineCount() + 1);
    spec.displayRows = m_app.settings.DisplayRows;
    if (rowsLimit > 0) spec.displayRows = std::min(spec.displayRows, rowsLimit);
    m_shownRows = spec.displayRows;
    return SetUpLedgerGrid(m_grid, spec, measure);
}

int LedgerEditor::ShownRows() const {
    return m_shownRows > 0 ? m_shownRows : static_cast<int>(m_app.settings.DisplayRows);
}

bool LedgerEditor::LatestBlock() const {
    return std::abs(m_app.ledger.BlockPos) == 2;
}

void LedgerEditor::Start() {
    m_grid.SetBackColorSel(kSelectionColor);
    m_sheet.FillFromBlock();
    m_history.Clear();
    m_grid.SetTopRow(std::max(1, m_sheet.LastRow()));
    m_editText.clear();
    m_caret = m_selLength = 0;
    m_editing = false;
    m_input = m_saved = InputCtrl::Grid;
    // LedgerModified is left as it is: a block that could not be saved at the end of the last
    // period is still unsaved, and a block just loaded or saved is already clear.
    m_view.SetButtonsEnabled(true);
    refreshLabels();
    RetNewLine();
    m_dlg.Beep();
    if (m_app.PendingJump) {
        const SearchHit hit = *m_app.PendingJump;
        m_app.PendingJump.reset();
        JumpToLine(hit);
    }
}

void LedgerEditor::End() {
    InDataRegEnd();
    hideChoiceBoxes();
    cellEditEnd();
    if (m_app.ledger.LedgerModified) m_sheet.DropTrailingEmptyLines();
}

// ---- keys on the idle grid ----------------------------------------------------------------------

void LedgerEditor::KeyOnGrid(Key key, const std::string& text) {
    if (!m_editing) m_input = InputCtrl::Grid;
    switch (key) {
    case Key::Enter:
        cellOpen();
        return;
    case Key::Char:
        if (text == " ") {
            cellOpen();
        } else if (!text.empty() && static_cast<unsigned char>(text[0]) >= 0x20 && text[0] != 0x7F) {
            startTyping(text);
        }
        return;
    case Key::F11:
        EditWorkSelect();
        return;
    case Key::Up:
    case Key::Down:
    case Key::Left:
    case Key::Right:
    case Key::PageUp:
    case Key::PageDown:
    case Key::Home:
    case Key::End:
        moveCursor(key);
        return;
    default:
        return; // Esc and other control keys do nothing
    }
}

void LedgerEditor::moveCursor(Key key) {
    int row = m_grid.Row(), col = m_grid.Col();
    const int lastGridRow = m_grid.Rows() - 1;
    const int page = std::max(1, m_grid.VisibleRows() > 1 ? m_grid.VisibleRows() : ShownRows());
    switch (key) {
    case Key::Up:
        row = std::max(1, row - 1);
        break;
    case Key::Down:
        row = std::min(lastGridRow, row + 1);
        break;
    case Key::Left:
        col = std::max(1, col - 1);
        break;
    case Key::Right:
        col = std::min(kLedgerDataCols, col + 1);
        break;
    case Key::PageUp:
        row = std::max(1, row - page);
        break;
    case Key::PageDown:
        row = std::min(lastGridRow, row + page);
        break;
    case Key::Home:
        col = 1;
        break;
    case Key::End:
        col = kLedgerDataCols;
        break;
    default:
        break;
    }
    if (row == m_grid.Row() && col == m_grid.Col()) return;
    m_grid.SetCursor(row, col);
    m_grid.ScrollToShow(row);
    rowChange();
}

// ---- row change -----------------------------------------------------------------------------------

void LedgerEditor::rowChange() {
    if (m_suppress > 0 || m_inRowChange || m_sheet.LastRow() < 1) return;
    m_inRowChange = true;
    LedgerState& st = m_app.ledger;
    const int row = m_grid.Row(), col = m_grid.Col();
    const int lastRow = m_sheet.LastRow();
    if (row > lastRow) {
        if (LatestBlock()) {
            if (row > lastRow + 1) {
                RetNewLine();
                m_dlg.Beep();
            }
        } else {
            const int32_t oldLast = m_sheet.Dates().last;
            if (ReReadIoData(1, 0, 0) != 0) {
                CellMove(m_sheet.LastRow(), col);
                m_dlg.Beep();
            } else {
                // The first line after the dates that were on screen.
                int r = 2;
                while (r <= m_sheet.LastRow() && m_sheet.RowDate(r) <= oldLast)
                    ++r;
                if (r > m_sheet.LastRow() && LatestBlock())
                    RetNewLine();
                else
                    CellMove(std::min(r, std::max(2, m_sheet.LastRow())), col);
            }
        }
    } else if (row == 1) {
        if (st.BlockPos > 0) {
            const int32_t oldFirst = m_sheet.Dates().first;
            if (ReReadIoData(-1, 0, 0) != 0) {
                m_dlg.Beep();
                CellMove(std::min(2, std::max(1, m_sheet.LastRow() + 1)), col);
            } else {
                // The line just above the lines that were on screen.
                int r = 2;
                while (r < m_sheet.LastRow() && m_sheet.RowDate(r + 1) < oldFirst)
                    ++r;
                CellMove(r, col);
            }
        } else {
            if (col == kColBalance) changeInitialBalance();
            m_dlg.Beep();
            CellMove(2, col);
            if (m_sheet.LastRow() < 2 && LatestBlock()) RetNewLine();
        }
    }
    m_inRowChange = false;
}

void LedgerEditor::changeInitialBalance() {
    const std::string title = "初期残高 変更";
    if (m_dlg.MsgYesNo2("初期残高を変更してもよろしいですか ?", title, 1) != 0) return;
    const int64_t current = m_sheet.Line(1).Balance;
    std::string text = std::to_string(current);
    if (text.size() < 8) text.append(8 - text.size(), ' ');
    if (m_dlg.InputKel(text, "初期残高を変更してください。", title, 0, 0, "0") != 0) return;
    FocusKeep(0);
    const std::string trimmed = LedgerCellEditText(kColBalance, text);
    const int64_t amount = LedgerCellNumber(trimmed);
    if (trimmed.empty() || trimmed.find_first_not_of("0123456789") != std::string::npos || !IsLedgerAmount(amount)) {
        m_dlg.MsgOK(kAmountRangeMessage, title);
    } else {
        int32_t balance = static_cast<int32_t>(amount);
        if (m_sheet.SumBalanceFrom(balance)) {
            m_app.start.InitialBalance = static_cast<int32_t>(amount);
            m_app.ledger.LedgerModified = true;
        } else {
            // A balance that leaves 32 bits: the old one stays.
            int32_t old = static_cast<int32_t>(current);
            m_sheet.SumBalanceFrom(old);
            m_dlg.MsgOK(kAmountRangeMessage, title);
        }
    }
    FocusKeep(2);
}

// ---- mouse ----------------------------------------------------------------------------------------

void LedgerEditor::CellClicked(int row, int col) {
    if (row < m_grid.FixedRows() || col < m_grid.FixedCols()) return;
    m_input = InputCtrl::Grid;
    if (m_editing) {
        const int editRow = m_editRow, editCol = m_editCol;
        int r = cellCommit();
        if (r == 1) {
            m_grid.SetCursor(editRow, editCol);
            return;
        }
        if (r != 0) return;
        ++m_suppress;
        m_grid.SetCursor(row, col);
        --m_suppress;
        if (row == editRow && row > m_sheet.LastRow()) {
            cellOpen();
            return;
        }
        cellEditEnd();
        hideChoiceBoxes();
        rowChange();
        return;
    }
    m_grid.SetCursor(row, col);
    rowChange();
}

void LedgerEditor::CellDoubleClicked(int row, int col) {
    if (m_editing) {
        const int before = m_newLines;
        CellClicked(row, col);
        if (m_editing || before != m_newLines) return; // refused, abandoned or editing went on
    } else {
        CellClicked(row, col);
    }
    if (m_grid.Row() == row && m_grid.Col() == col) cellOpen();
}

// ---- scrolling ------------------------------------------------------------------------------------

int LedgerEditor::BlockReadQuestion(int direction) {
    const int32_t date = direction == 1 ? m_sheet.Dates().last : m_sheet.Dates().first;
    std::string msg = slashDate(date) + "より" + (direction == 1 ? "後" : "前") + "のデータを読み込みます。";
    MsgResult r = m_dlg.MsgBox(msg, "入出金データの読み替え", MsgIcon::Question, MsgButtons::OKCancel);
    return r == MsgResult::OK ? 0 : 1;
}

void LedgerEditor::Scrolled(int topRow) {
    if (m_nonScrl) return;
    m_grid.SetTopRow(topRow);
    if (m_editing) {
        const int editRow = m_editRow, editCol = m_editCol;
        int r = cellCommit();
        if (r == 1) {
            m_grid.SetCursor(editRow, editCol);
            m_grid.ScrollToShow(editRow);
            return;
        }
        if (r != 0) return;
        hideChoiceBoxes();
        cellEditEnd();
    }
    m_nonScrl = true;
    ++m_suppress;
    const int lastRow = m_sheet.LastRow();
    const int top = m_grid.TopRow();
    const int p = m_grid.Row() - top + 1;
    const int displayRows = ShownRows();
    if (top > lastRow) {
        m_grid.SetTopRow(std::max(1, lastRow));
        if (LatestBlock()) {
            m_grid.SetRow(std::max(1, lastRow));
            if (m_sheet.Entry().Day == 0) RetNewLine();
        } else if (BlockReadQuestion(1) != 0 || ReReadIoData(1, 0, 0) != 0) {
            CellMove(m_sheet.LastRow(), m_grid.Col());
            m_dlg.Beep();
        } else {
            CellMove(std::min(m_grid.TopRow() + 1, m_sheet.LastRow()), m_grid.Col());
        }
    } else if (top == 1) {
        if (m_grid.Row() == 2) {
            // already on the first line below the carried balance
        } else if (m_app.ledger.BlockPos > 0) {
            if (BlockReadQuestion(-1) != 0 || ReReadIoData(-1, 0, 0) != 0) m_dlg.Beep();
            CellMove(std::min(m_grid.TopRow() + 1, std::max(1, m_sheet.LastRow())), m_grid.Col());
        } else {
            CellMove(m_grid.TopRow() + 1, m_grid.Col());
        }
    } else if (p > displayRows) {
        m_grid.SetRow(top);
    } else if (p < 1) {
        m_grid.SetRow(std::min(top + displayRows - 1, lastRow));
    }
    m_nonScrl = false;
    --m_suppress;
}

// ---- focus, help, labels ----------------------------------------------------------------------------

void LedgerEditor::FocusKeep(int mode) {
    switch (mode) {
    case 0:
        m_saved = m_input;
        break;
    case 1:
        m_view.ProcessEvents();
        if (m_input != InputCtrl::Grid) RetNowLine();
        m_view.ProcessEvents();
        m_saved = m_input;
        break;
    default:
        m_input = m_saved;
        if (m_input == InputCtrl::EditBox && !m_editing) m_input = InputCtrl::Grid;
        // A command that opened a cell for input (inserting a line) leaves the caret in that cell.
        if (m_input == InputCtrl::Grid && m_editing) m_input = InputCtrl::EditBox;
        if (m_input != InputCtrl::Grid && m_input != InputCtrl::EditBox && !m_choiceMode) m_input = InputCtrl::Grid;
        m_view.Focus(m_input);
        break;
    }
}

int LedgerEditor::HelpTopic() const {
    if (m_input == InputCtrl::Grid) return 100;
    switch (m_editCol) {
    case kColYear:
    case kColMonth:
    case kColDay:
        return 101;
    case kColItem:
        return 102;
    case kColNote:
        return 103;
    case kColShop:
        return 104;
    default:
        return 105;
    }
}

void LedgerEditor::setHelp(int col) {
    m_help = helpText(col);
    m_view.SetOnePointHelp(m_help);
}

void LedgerEditor::refreshLabels() {
    const LedgerIndex& idx = m_app.ledger.index;
    const BlockDates& d = m_sheet.Dates();
    int32_t regFirst = d.first, regLast = d.last;
    if (idx.YearCount != 0) {
        regFirst = idx.FirstYear * 10000 + idx.FirstMonth * 100 + idx.FirstDay;
        int32_t last = idx.LastYear * 10000 + idx.LastMonth * 100 + idx.LastDay;
        regLast = LatestBlock() ? std::max(last, d.last) : last;
    }
    m_view.RefreshDateLabels(DateRangeLabel(regFirst, regLast), DateRangeLabel(d.first, d.last));
}

void LedgerEditor::CancelEntry() {
    if (m_input != InputCtrl::Grid) abandonEntry();
    m_dlg.Beep();
}

} // namespace mrt
