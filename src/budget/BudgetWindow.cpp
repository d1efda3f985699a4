// The budget window's decisions for one page.
#include "budget/BudgetWindow.h"

#include "budget/Budget.h"
#include "port/Dialogs.h"
#include "util/FontFaces.h"
#include "util/HalfWidth.h"

namespace mrt {
namespace {

constexpr const char* kTitle = "予算表";
constexpr const char* kEscTitle = "[ESC]中断";
constexpr int kHelpTopic = 400;
constexpr int kAmountCol = 1;

int codePoints(const std::string& s) {
    int n = 0;
    for (unsigned char c : s)
        n += (c & 0xC0) != 0x80;
    return n;
}

} // namespace

std::string BudgetWindowHelp() {
    return "予算額を入力・訂正して、[登録]ボタンを押して下さい。\r\n"
           "予算の設定が不要な項目は、スペースにします。\r\n"
           "金額の最後に＋を付けると以降の月にｺﾋﾟｰされます。";
}

bool CleanBudgetText(const std::string& text, std::string& out) {
    std::string s = HalfWidthDigits(text);
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) {
        out.clear();
        return true;
    }
    s = s.substr(first, s.find_last_not_of(' ') - first + 1);
    const size_t digits = !s.empty() && s.back() == '+' ? s.size() - 1 : s.size();
    if (digits == 0 || digits > static_cast<size_t>(kBudgetAmountBytes)) return false;
    for (size_t i = 0; i < digits; ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    out = s;
    return true;
}

BudgetPageEditor::BudgetPageEditor(const BudgetPage& page, Dialogs& dlg, BudgetWindowView& view)
    : m_page(page), m_dlg(dlg), m_view(view) {
    const int n = static_cast<int>(m_page.names.size());
    m_grid.SetRows(n + 1);
    m_grid.SetCols(2);
    m_grid.SetFixedRows(1);
    m_grid.SetFixedCols(1);
    m_grid.SetFontName(kGothicFace);
    m_grid.SetFontSize(10);
    m_grid.SetBackColorFixed(kBudgetFixedColor);
    m_grid.SetForeColorFixed(kBudgetFixedTextColor);
    m_grid.SetBackColorBkg(kBudgetGridBkgColor);
    m_grid.SetScrollBars(GridScrollBars::Vertical);
    for (int c = 0; c < 2; ++c) {
        m_grid.SetColAlignment(c, GridAlign::Left);
        m_grid.SetFixedAlignment(c, GridAlign::Left);
    }
    m_grid.SetTextMatrix(0, 0, kBudgetNameHeader);
    m_grid.SetTextMatrix(0, kAmountCol, kBudgetAmountHeader);

    m_sum.SetRows(1);
    m_sum.SetCols(2);
    m_sum.SetFixedRows(0);
    m_sum.SetFixedCols(1);
    m_sum.SetFontName(kGothicFace);
    m_sum.SetFontSize(10);
    m_sum.SetBackColorFixed(kBudgetSumFixedColor);
    m_sum.SetForeColorFixed(kBudgetFixedTextColor);
    m_sum.SetBackColorBkg(kBudgetGridBkgColor);
    m_sum.SetScrollBars(GridScrollBars::None);
    m_sum.SetHighLight(GridHighLight::Never);
    m_sum.SetFocusRect(GridFocusRect::None);
    for (int c = 0; c < 2; ++c)
        m_sum.SetColAlignment(c, GridAlign::Left);
    m_sum.SetTextMatrix(0, 0, kBudgetSumCaption);
}

void BudgetPageEditor::Open() {
    const int n = static_cast<int>(m_page.names.size());
    m_total = 0;
    for (int i = 0; i < n; ++i) {
        m_grid.SetTextMatrix(i + 1, 0, m_page.names[i]);
        const std::string amount = i < static_cast<int>(m_page.amounts.size()) ? m_page.amounts[i] : std::string();
        m_grid.SetTextMatrix(i + 1, kAmountCol, amount);
        m_total += BudgetTextValue(amount);
    }
    m_sum.SetTextMatrix(0, 1, std::to_string(m_total));
    m_closed = false;
    m_action = BudgetPageAction::Cancelled;
    m_grid.SetCursor(1, kAmountCol);
    if (n > 0) openBox(m_grid.Text(), 0);
}

std::vector<std::string> BudgetPageEditor::Amounts() const {
    std::vector<std::string> v;
    for (int row = 1; row < m_grid.Rows(); ++row)
        v.push_back(m_grid.TextMatrix(row, kAmountCol));
    return v;
}

void BudgetPageEditor::openBox(const std::string& text, int caret) {
    m_boxShown = true;
    m_grid.ScrollToShow(m_grid.Row());
    m_view.ShowEditBox(m_grid.Row(), kAmountCol, text, caret);
}

void BudgetPageEditor::setCell(int row, const std::string& text) {
    m_total += static_cast<long long>(BudgetTextValue(text)) - BudgetTextValue(m_grid.TextMatrix(row, kAmountCol));
    m_grid.SetTextMatrix(row, kAmountCol, text);
    m_sum.SetTextMatrix(0, 1, std::to_string(m_total));
}

int BudgetPageEditor::askAgain() {
    m_dlg.Beep();
    if (m_dlg.MsgKel({"再 入 力", "登録中止"}, "入力内容が異常です。", kTitle) == 2) {
        cancel();
        return 2;
    }
    return 1;
}

int BudgetPageEditor::storePending(const std::string& editText) {
    if (!m_boxShown || editText == m_grid.Text()) return 0;
    std::string clean;
    if (!CleanBudgetText(editText, clean)) {
        const int r = askAgain();
        if (r == 1) m_view.FocusEditBox();
        return r;
    }
    if (clean != editText) m_view.SetEditText(clean);
    setCell(m_grid.Row(), clean);
    return 0;
}

int BudgetPageEditor::checkAll() {
    for (int row = 1; row < m_grid.Rows(); ++row) {
        std::string clean;
        if (CleanBudgetText(m_grid.TextMatrix(row, kAmountCol), clean)) {
            if (clean != m_grid.TextMatrix(row, kAmountCol)) setCell(row, clean);
            continue;
        }
        const int r = askAgain();
        if (r == 1) {
            m_grid.SetCursor(row, kAmountCol);
            openBox(m_grid.Text(), 0);
        }
        return r;
    }
    return 0;
}

void BudgetPageEditor::command(BudgetPageAction action, const std::string& editText) {
    if (storePending(editText) != 0 || checkAll() != 0) return;
    if (action == BudgetPageAction::Register) m_grid.SetCursor(1, kAmountCol);
    m_action = action;
    m_closed = true;
    m_view.HideWindow();
}

void BudgetPageEditor::escQuestion(bool inBox) {
    // The question in the edit box has its own wording.
    const char* question = inBox ? "作業を中止てもよろしいですか。" : "作業を中止してもよろしいですか。";
    if (m_dlg.MsgYesNo2(question, kEscTitle, 0) == 0) {
        cancel();
        return;
    }
    if (inBox)
        m_view.FocusEditBox();
    else
        m_dlg.Beep();
}

void BudgetPageEditor::cancel() {
    m_action = BudgetPageAction::Cancelled;
    m_dlg.CloseAllHelp();
    m_closed = true;
    m_view.HideWindow();
}

void BudgetPageEditor::help() {
    m_dlg.ShowHelpTopic(HelpFile::Sub, kHelpTopic);
    if (m_boxShown) m_view.FocusEditBox();
}

void BudgetPageEditor::GridFocused() {
    if (m_closed || m_grid.Rows() < 2) return;
    if (m_boxShown)
        m_view.FocusEditBox();
    else
        openBox(m_grid.Text(), 0);
}

void BudgetPageEditor::KeyOnGrid(WindowKey key, const std::string& typed) {
    if (m_closed) return;
    switch (key) {
    case WindowKey::Esc:
        escQuestion(false);
        return;
    case WindowKey::Tab:
    case WindowKey::F1:
    case WindowKey::F2:
    case WindowKey::F3:
    case WindowKey::F12:
        KeyElsewhere(key, m_grid.Text());
        return;
    case WindowKey::Char:
        openBox(typed, codePoints(typed));
        return;
    default:
        openBox(m_grid.Text(), 0);
        return;
    }
}

void BudgetPageEditor::KeyInEditBox(WindowKey key, const std::string& editText) {
    if (m_closed) return;
    const int row = m_grid.Row(), last = m_grid.Rows() - 1;
    switch (key) {
    case WindowKey::Esc:
        escQuestion(true);
        return;
    case WindowKey::Enter:
    case WindowKey::Up:
    case WindowKey::Down:
        break;
    case WindowKey::Tab:
    case WindowKey::F1:
    case WindowKey::F2:
    case WindowKey::F3:
    case WindowKey::F12:
        KeyElsewhere(key, editText);
        return;
    default:
        return;
    }
    if (storePending(editText) != 0) return;
    if (key == WindowKey::Enter && row == last) {
        m_view.FocusOK();
        return;
    }
    const int next = key == WindowKey::Up ? std::max(row - 1, 1) : std::min(row + 1, last);
    m_grid.SetCursor(next, kAmountCol);
    openBox(m_grid.Text(), 0);
}

void BudgetPageEditor::KeyElsewhere(WindowKey key, const std::string& editText) {
    if (m_closed) return;
    switch (key) {
    case WindowKey::Esc:
        cancel();
        return;
    case WindowKey::Tab:
        command(BudgetPageAction::SwitchKind, editText);
        return;
    case WindowKey::F2:
        command(BudgetPageAction::PreviousMonth, editText);
        return;
    case WindowKey::F3:
        command(BudgetPageAction::NextMonth, editText);
        return;
    case WindowKey::F12:
        command(BudgetPageAction::Register, editText);
        return;
    case WindowKey::F1:
        help();
        return;
    default:
        if (m_boxShown) m_view.FocusEditBox();
        return;
    }
}

void BudgetPageEditor::LeaveCell(const std::string& editText) {
    if (m_closed || !m_boxShown) return;
    setCell(m_grid.Row(), editText);
    m_boxShown = false;
    m_view.HideEditBox();
}

void BudgetPageEditor::Button(BgtButton button, const std::string& editText) {
    if (m_closed) return;
    switch (button) {
    case BgtButton::SwitchKind:
        command(BudgetPageAction::SwitchKind, editText);
        return;
    case BgtButton::PreviousMonth:
        command(BudgetPageAction::PreviousMonth, editText);
        return;
    case BgtButton::NextMonth:
        command(BudgetPageAction::NextMonth, editText);
        return;
    case BgtButton::OK:
        command(BudgetPageAction::Register, editText);
        return;
    case BgtButton::Cancel:
        cancel();
        return;
    case BgtButton::Help:
        help();
        return;
    }
}

void BudgetPageEditor::CloseRequested() {
    if (!m_closed) cancel();
}

BudgetPageAction BudgetWindowPages::ShowBudgetPage(BudgetPage& page) {
    BudgetPageEditor editor(page, m_dlg, m_window);
    m_window.Attach(editor);
    editor.Open();
    m_window.RunModal(editor);
    // Closing the window any other way than by a page command counts as a cancel.
    if (!editor.Closed() || editor.Action() == BudgetPageAction::Cancelled) return BudgetPageAction::Cancelled;
    page.amounts = editor.Amounts();
    return editor.Action();
}

} // namespace mrt
