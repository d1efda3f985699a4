// Ledger editor: the entry of one line — the edit box and its two key input modes, the Enter
// order and the commit of a value (the choice boxes are in LedgerEditorChoice.cpp).
#include "app/AppState.h"
#include "app/LedgerEditor.h"
#include "grid/GridModel.h"
#include "names/NameTables.h"
#include "port/Dialogs.h"
#include "util/Cp932.h"

#include <algorithm>
#include <charconv>

namespace mrt {
namespace {

constexpr GridColor kSelectionColor = Rgb(224, 112, 160);

// The text split into its UTF-8 characters.
std::vector<std::string> chars(const std::string& s) {
    std::vector<std::string> out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
        n = std::min(n, s.size() - i);
        out.push_back(s.substr(i, n));
        i += n;
    }
    return out;
}

std::string join(const std::vector<std::string>& cs) {
    std::string s;
    for (const std::string& c : cs)
        s += c;
    return s;
}

int charCount(const std::string& s) {
    return static_cast<int>(chars(s).size());
}

ImeMode imeOf(int col) {
    return LedgerColumnOf(col).imeOn ? ImeMode::On : ImeMode::Off;
}

// Value of a text of at most 12 digits.
int64_t digitsValue(const std::string& digits) {
    int64_t v = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), v);
    return v;
}

// What a typed text looks like once stored, to tell whether a pending edit changes the cell.
std::string displayForm(int col, const std::string& text) {
    if (col >= kColIncome && col <= kColBalance) {
        std::string t = LedgerCellEditText(col, text);
        if (t.empty()) return col == kColBalance ? t : std::string();
        if (t.find_first_not_of("0123456789") == std::string::npos && t.size() <= 12)
            return LedgerCellDisplay(col, digitsValue(t));
        return text;
    }
    if (col <= kColDay) {
        std::string t = LedgerCellEditText(col, text);
        if (!t.empty() && t.size() <= 4 && t.find_first_not_of("0123456789") == std::string::npos)
            return LedgerCellDisplay(col, digitsValue(t));
        return text;
    }
    return TrimRight(text);
}

} // namespace

// ---- the edit box -----------------------------------------------------------------------------------

void LedgerEditor::showEdit() {
    const bool overwrite = m_app.settings.KeyInputMode != 0 && !m_insertOn;
    const int n = charCount(m_editText);
    m_caret = std::clamp(m_caret, 0, n);
    if (overwrite && m_selLength == 0 && m_caret < n) m_selLength = 1;
    if (!overwrite && m_selLength == 1 && m_caret < n) {
        // leave a user selection alone; only the overwrite mode forces one character
    }
    m_selLength = std::clamp(m_selLength, 0, n - m_caret);
    m_view.SetEditText(m_editText, m_caret, m_selLength);
}

void LedgerEditor::syncEditFromView() {
    std::string text;
    int caret = 0;
    if (m_view.ReadEditBox(text, caret)) {
        m_editText = text;
        m_caret = caret;
        m_selLength = 0;
    }
}

void LedgerEditor::cellEditStart(ImeMode ime) {
    const int row = m_grid.Row(), col = m_grid.Col();
    ++m_suppress;
    m_grid.ScrollToShow(row);
    --m_suppress;
    m_view.ShowEditBox(row, col, ime, LedgerColumnOf(col).inputBytes);
    showEdit();
    m_editRow = row;
    m_editCol = col;
    setHelp(col);
    m_editing = true;
    m_input = InputCtrl::EditBox;
    m_grid.SetBackColorSel(kSelectionColor);
    // Pending events run only once the edit state is complete: a key waiting among them must
    // find the edit box open.
    m_view.ProcessEvents();
    m_view.Focus(InputCtrl::EditBox);
}

void LedgerEditor::cellEditEnd() {
    m_view.HideEditBox();
    m_view.Focus(InputCtrl::Grid);
    m_grid.SetBackColorSel(kSelectionColor);
    setHelp(0);
    m_editing = false;
    m_input = InputCtrl::Grid;
    m_view.ProcessEvents();
}

void LedgerEditor::cellOpen() {
    const int row = m_grid.Row(), col = m_grid.Col();
    if (row < 1 || col < 1) return;
    if (row > m_sheet.LastRow() + 1 || (row == 1 && m_sheet.LastRow() >= 1)) {
        // Neither a line nor the new-entry row (the carried-balance line is never edited).
        m_dlg.Beep();
        return;
    }
    if (col != kColYear) dateEntryRow(row);
    m_editText = m_sheet.CellEditText(row, col);
    m_caret = 0;
    m_selLength = 0;
    cellEditStart(imeOf(col));
    if (m_editText.empty() && col == kColYear && row > m_sheet.LastRow()) {
        RetNewLine();
        return;
    }
    hideChoiceBoxes();
    if (col >= kColItem && col <= kColShop) choiceBoxOpen(col, m_editText);
}

// A block read or a sort refills the grid and leaves the new-entry row blank; editing that starts
// on it in the newest block gives it the date of the last line first, as RetNewLine does, so that
// typing the day alone makes a real date.
void LedgerEditor::dateEntryRow(int row) {
    const int lastRow = m_sheet.LastRow();
    if (row != lastRow + 1 || lastRow < 1 || !LatestBlock()) return;
    m_sheet.DateEntryLikeLastLine();
}

void LedgerEditor::startTyping(const std::string& text) {
    const int row = m_grid.Row();
    if (row < 1 || row > m_sheet.LastRow() + 1 || (row == 1 && m_sheet.LastRow() >= 1)) {
        m_dlg.Beep();
        return;
    }
    dateEntryRow(row);
    m_editText.clear();
    m_caret = 0;
    m_selLength = 0;
    hideChoiceBoxes();
    cellEditStart(ImeMode::Keep);
    if (m_editCol >= kColItem && m_editCol <= kColShop) takeLineKind(m_editCol);
    editKey(Key::Char, text);
}

// Typing and caret keys inside the edit box. The overwrite mode (DOS type with insert off)
// replaces the character after the caret; a selection is always replaced by what is typed.
bool LedgerEditor::editKey(Key key, const std::string& text) {
    std::vector<std::string> cs = chars(m_editText);
    const int n = static_cast<int>(cs.size());
    const bool dos = m_app.settings.KeyInputMode != 0;
    m_caret = std::clamp(m_caret, 0, n);
    int sel = std::clamp(m_selLength, 0, n - m_caret);
    switch (key) {
    case Key::Char: {
        std::vector<std::string> add = chars(text);
        if (add.empty()) return true;
        if (sel == 0 && dos && !m_insertOn && m_caret < n)
            sel = std::min<int>(static_cast<int>(add.size()), n - m_caret);
        std::vector<std::string> next = cs;
        next.erase(next.begin() + m_caret, next.begin() + m_caret + sel);
        next.insert(next.begin() + m_caret, add.begin(), add.end());
        // The column's input length, in CP932 bytes.
        const int maxBytes = LedgerColumnOf(m_editCol).inputBytes;
        if (maxBytes > 0 && AnsiByteLength(join(next)) > maxBytes) {
            m_dlg.Beep();
            return true;
        }
        m_editText = join(next);
        m_caret += static_cast<int>(add.size());
        m_selLength = 0;
        break;
    }
    case Key::Backspace:
        if (sel > 0) {
            cs.erase(cs.begin() + m_caret, cs.begin() + m_caret + sel);
        } else if (m_caret > 0) {
            cs.erase(cs.begin() + m_caret - 1);
            --m_caret;
        }
        m_editText = join(cs);
        m_selLength = 0;
        break;
    case Key::Delete:
        if (m_caret < n) cs.erase(cs.begin() + m_caret, cs.begin() + m_caret + std::max(sel, 1));
        m_editText = join(cs);
        m_selLength = 0;
        break;
    case Key::Left:
        m_caret = std::max(0, m_caret - 1), m_selLength = 0;
        break;
    case Key::Right:
        m_caret = std::min(n, m_caret + (sel > 1 ? sel : 1)), m_selLength = 0;
        break;
    case Key::Home:
        m_caret = 0, m_selLength = 0;
        break;
    case Key::End:
        m_caret = n, m_selLength = 0;
        break;
    case Key::Insert:
        if (dos) m_insertOn = !m_insertOn;
        m_selLength = 0;
        break;
    default:
        return false;
    }
    showEdit();
    return true;
}

bool LedgerEditor::KeyInEditBox(Key key, const std::string& text, int caret, const std::string& editText) {
    if (!m_editing) return false;
    if (caret >= 0) {
        m_editText = editText;
        m_caret = caret;
        m_selLength = 0;
    }
    const int n = charCount(m_editText);
    if (key == Key::Left && m_caret == 0) key = Key::ShiftEnter;
    if (key == Key::Right && m_caret >= n && m_selLength == 0) key = Key::Enter;
    switch (key) {
    case Key::Esc:
        abandonEntry();
        return true;
    case Key::Enter:
    case Key::ShiftEnter:
    case Key::Up:
    case Key::Down:
        commitAndMove(key);
        return true;
    case Key::Tab:
    case Key::ShiftTab:
    case Key::F11:
    case Key::PageUp:
    case Key::PageDown:
        return false;
    default:
        return editKey(key, text);
    }
}

void LedgerEditor::abandonEntry() {
    if (LatestBlock())
        RetNewLine();
    else
        RetNowLine();
}

// ---- commit and the Enter order ---------------------------------------------------------------------

int LedgerEditor::cellCommit() {
    const bool choice = m_choiceMode;
    std::string text;
    if (choice) {
        text = choiceBoxFinish();
    } else {
        syncEditFromView();
        text = m_editText;
        // A name typed into the edit box (after a refusal, or typed straight on the grid) is
        // looked up and offered for registration as in the choice box.
        if (m_editCol >= kColItem && m_editCol <= kColShop) {
            std::vector<std::string> list = nameListFor(m_editCol);
            text = typedName(list, TrimRight(text));
            if (text == kNoneEntry) text.clear();
        }
    }
    int r = tracked(SheetCursor{m_editRow, m_editCol, m_grid.TopRow()},
                    [&] { return m_sheet.CommitCell(text, m_editCol, m_editRow); });
    if (choice) hideChoiceBoxes();
    // On 2 the block read has already put the cursor and the edit box where entry goes on.
    if (r != 2) {
        m_editText = LedgerCellEditText(m_editCol, text);
        m_caret = 0;
        m_selLength = 0;
    }
    if (r == -1) {
        abandonEntry();
    } else if (r == 1) {
        m_dlg.Beep();
        if (m_editing) {
            showEdit();
            m_view.Focus(InputCtrl::EditBox);
            m_input = InputCtrl::EditBox;
        }
    } else if (m_editing && r == 0) {
        showEdit();
    }
    return r;
}

void LedgerEditor::nextCell(int& row, int& col, bool& newLine) {
    int lastCol = kColExpense;
    if (col == kColIncome && m_sheet.RowValues(row).Income != 0) lastCol = kColIncome;
    if (col < lastCol) {
        ++col;
        if (col == kColIncome && m_inOutRowF == 1) ++col;
        return;
    }
    if (row + 1 > m_grid.Rows() - 1) return;
    ++row;
    if (LatestBlock() && row > m_sheet.LastRow()) {
        RetNewLine();
        newLine = true;
        return;
    }
    col = kColDay;
}

void LedgerEditor::commitAndMove(Key key) {
    if (cellCommit() != 0) return;
    int row = m_editRow, col = m_editCol;
    bool newLine = false;
    ++m_suppress;
    switch (key) {
    case Key::Up:
        row = std::max(1, row - 1);
        break;
    case Key::Down:
        row = std::min(m_grid.Rows() - 1, row + 1);
        break;
    case Key::ShiftEnter:
        if (col > kColYear) {
            --col;
        } else {
            row = std::max(1, row - 1);
            col = kColYear;
        }
        break;
    default:
        nextCell(row, col, newLine);
        break;
    }
    if (!newLine) {
        m_grid.SetCursor(row, col);
        m_grid.ScrollToShow(row);
    }
    --m_suppress;
    if (newLine) return;
    const int before = m_newLines;
    rowChange();
    if (before != m_newLines || !m_editing) return; // a new line was started or a block read
    if (m_grid.Row() > m_sheet.LastRow())
        cellOpen();
    else
        cellEditEnd();
}

void LedgerEditor::InDataRegEnd() {
    if (!m_editing) return;
    syncEditFromView();
    const int row = m_editRow, col = m_editCol;
    if (displayForm(col, m_editText) == m_sheet.CellText(row, col)) return;
    std::string text = m_editText;
    int r = m_sheet.CommitCell(text, col, row);
    if (r == 1) {
        m_dlg.Beep();
        m_view.Focus(InputCtrl::EditBox);
    } else if (r == 2) {
        m_editText = m_sheet.CellEditText(m_grid.Row(), m_grid.Col());
    } else if (r == 0) {
        m_editText = LedgerCellEditText(col, text);
    }
}

// ---- new line, current line, moves --------------------------------------------------------------------

void LedgerEditor::RetNewLine() {
    const int lastRow = m_sheet.LastRow();
    if (lastRow < 1) return;
    ++m_suppress;
    ++m_newLines;
    const int row = lastRow + 1;
    m_sheet.StartEntry(true);
    m_grid.SetCursor(row, kColDay);
    m_grid.ScrollToShow(row);
    m_editText = m_sheet.CellEditText(row, kColDay);
    m_caret = 0;
    // The whole day selected, so that the day typed replaces it.
    m_selLength = charCount(m_editText);
    hideChoiceBoxes();
    cellEditStart(ImeMode::Off);
    --m_suppress;
}

void LedgerEditor::RetNowLine() {
    ++m_suppress;
    m_grid.SetCol(kColDay);
    hideChoiceBoxes();
    cellEditEnd();
    --m_suppress;
}

void LedgerEditor::CellMove(int row, int col) {
    ++m_suppress;
    m_grid.SetCursor(row, col);
    m_grid.ScrollToShow(row);
    hideChoiceBoxes();
    cellEditEnd();
    --m_suppress;
}

} // namespace mrt
