// The settings window's decisions and the settings command's read and write.
#include "screens/SettingsWindow.h"

#include "port/Dialogs.h"
#include "util/Cp932.h"
#include "util/HalfWidth.h"

#include <cctype>

namespace mrt {
namespace {

constexpr const char* kTitle = "環境設定";
constexpr int kHelpTopic = 500;
constexpr int kValueCol = 1;

int codePoints(const std::string& s) {
    int n = 0;
    for (unsigned char c : s)
        n += (c & 0xC0) != 0x80;
    return n;
}

// The value of a settings text: blanks, digits, an optional decimal part and nothing else.
// False for an empty text or any other character, which the check refuses.
bool parseValue(const std::string& text, double& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const size_t start = i;
    value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = value * 10 + (text[i] - '0');
    if (i == start) return false;
    if (i < text.size() && text[i] == '.') {
        double scale = 0.1;
        for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i, scale /= 10)
            value += (text[i] - '0') * scale;
    }
    return i == text.size();
}

std::string cleaned(const std::string& text) {
    return TrimRight(HalfWidthDigits(text));
}

} // namespace

SettingsEditor::SettingsEditor(std::vector<SettingsItem> rows, Dialogs& dlg, SettingsWindowView& view)
    : m_rows(std::move(rows)), m_dlg(dlg), m_view(view) {
    const int n = static_cast<int>(m_rows.size());
    m_grid.SetRows(n + 1);
    m_grid.SetCols(2);
    m_grid.SetFixedRows(1);
    m_grid.SetFixedCols(1);
    m_grid.SetBackColor(kSettingsGridColor);
    m_grid.SetBackColorFixed(kSettingsFixedColor);
    m_grid.SetBackColorBkg(kSettingsWindowColor);
    m_grid.SetScrollBars(GridScrollBars::None);
    m_grid.SetTextMatrix(0, 0, kSettingsLabelHeader);
    m_grid.SetTextMatrix(0, kValueCol, kSettingsValueHeader);
    m_grid.SetColAlignment(0, GridAlign::Left);
    m_grid.SetColAlignment(kValueCol, GridAlign::Left);
    m_grid.SetFixedAlignment(kValueCol, GridAlign::Left);
}

void SettingsEditor::Open(const std::vector<std::string>& values) {
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        m_grid.SetTextMatrix(row, 0, m_rows[i].label);
        m_grid.SetTextMatrix(row, kValueCol, i < values.size() ? values[i] : m_rows[i].value);
    }
    m_closed = m_confirmed = false;
    m_grid.SetCursor(1, kValueCol);
    openBox(m_grid.TextMatrix(1, kValueCol), 0);
}

std::vector<std::string> SettingsEditor::Values() const {
    std::vector<std::string> v;
    for (int row = 1; row < m_grid.Rows(); ++row)
        v.push_back(m_grid.TextMatrix(row, kValueCol));
    return v;
}

void SettingsEditor::openBox(const std::string& text, int caret) {
    m_boxShown = true;
    m_view.ShowEditBox(m_grid.Row(), kValueCol, text, caret);
    m_help = m_rows[m_grid.Row() - 1].helpLine;
    m_view.SetHelpLine(m_help);
}

void SettingsEditor::moveTo(int row) {
    m_grid.SetCursor(row, kValueCol);
    openBox(m_grid.TextMatrix(row, kValueCol), 0);
}

bool SettingsEditor::valid(int itemRow, const std::string& text) const {
    double v = 0;
    const SettingsItem& it = m_rows[itemRow - 1];
    return parseValue(text, v) && v >= it.min && v <= it.max;
}

int SettingsEditor::check(std::string& text) {
    const std::string clean = cleaned(text);
    if (clean != text) m_view.SetEditText(clean);
    text = clean;
    if (valid(m_grid.Row(), text)) return 0;
    m_dlg.Beep();
    if (m_dlg.MsgKel({"再 入 力", "登録中止"}, "入力内容が異常です。", kTitle) == 2) {
        Cancel();
        return 2;
    }
    m_view.FocusEditBox();
    return 1;
}

void SettingsEditor::GridFocused() {
    if (m_closed) return;
    if (m_boxShown)
        m_view.FocusEditBox();
    else
        openBox(m_grid.Text(), 0);
}

bool SettingsEditor::windowKey(WindowKey key, const std::string& text) {
    switch (key) {
    case WindowKey::Esc:
        Cancel();
        return true;
    case WindowKey::F1:
        Help();
        return true;
    case WindowKey::F12:
        Confirm(text);
        return true;
    default:
        return false;
    }
}

void SettingsEditor::KeyOnGrid(WindowKey key, const std::string& typed) {
    if (m_closed || windowKey(key, m_grid.Text())) return;
    switch (key) {
    case WindowKey::Char:
        // Space, like Enter, opens the box on the value as it is.
        if (typed != " ") {
            openBox(typed, codePoints(typed));
            return;
        }
        [[fallthrough]];
    default:
        openBox(m_grid.Text(), 0);
        return;
    }
}

void SettingsEditor::KeyInEditBox(WindowKey key, const std::string& editText) {
    if (m_closed || windowKey(key, editText)) return;
    const int row = m_grid.Row(), last = m_grid.Rows() - 1;
    switch (key) {
    case WindowKey::Enter:
    case WindowKey::ShiftEnter:
    case WindowKey::Up:
    case WindowKey::Down:
        break;
    default:
        return;
    }
    std::string text = editText;
    if (check(text) != 0) return;
    m_grid.SetTextMatrix(row, kValueCol, text);
    if (key == WindowKey::Enter && row == last) {
        m_view.FocusOK();
        return;
    }
    const bool forward = key == WindowKey::Enter || key == WindowKey::Down;
    const int next = forward ? std::min(row + 1, last) : std::max(row - 1, 1);
    moveTo(next);
}

void SettingsEditor::KeyElsewhere(WindowKey key, const std::string& editText) {
    if (m_closed || windowKey(key, editText)) return;
    if (m_boxShown) m_view.FocusEditBox();
}

void SettingsEditor::LeaveCell(const std::string& editText) {
    if (m_closed || !m_boxShown) return;
    m_grid.SetText(editText);
    m_boxShown = false;
    m_view.HideEditBox();
}

void SettingsEditor::Confirm(const std::string& editText) {
    if (m_closed) return;
    if (m_boxShown && editText != m_grid.Text()) {
        std::string text = editText;
        const int r = check(text);
        if (r == 1) m_dlg.Beep();
        if (r != 0) return;
        m_grid.SetText(text);
    }
    // A value left in its cell by a mouse click was not checked yet: no value out of bounds may
    // reach the file.
    for (int row = 1; row < m_grid.Rows(); ++row) {
        const std::string clean = cleaned(m_grid.TextMatrix(row, kValueCol));
        if (valid(row, clean)) {
            m_grid.SetTextMatrix(row, kValueCol, clean);
            continue;
        }
        m_dlg.Beep();
        if (m_dlg.MsgKel({"再 入 力", "登録中止"}, "入力内容が異常です。", kTitle) == 2) {
            Cancel();
            return;
        }
        moveTo(row);
        return;
    }
    m_dlg.CloseAllHelp();
    m_confirmed = m_closed = true;
    m_view.HideWindow();
}

void SettingsEditor::Cancel() {
    if (m_closed) return;
    m_dlg.CloseAllHelp();
    m_closed = true;
    m_confirmed = false;
    m_view.HideWindow();
}

void SettingsEditor::Help() {
    m_dlg.Beep();
    m_dlg.ShowHelpTopic(HelpFile::Sub, kHelpTopic);
    if (m_boxShown) m_view.FocusEditBox();
}

int OpenSettingsWindow(const std::string& path, IniRecord& rec, Dialogs& dlg, SettingsWindowView& view) {
    IniRecord read = rec;
    if (ReadSettings(path, read) < 0) return -1;
    rec = read;
    const std::vector<SettingsItem> rows = SettingsItems(rec);
    std::vector<std::string> values;
    bool writeFailed = false;
    for (;;) {
        SettingsEditor editor(rows, dlg, view);
        view.Attach(editor);
        editor.Open(values);
        view.RunModal(editor);
        if (!editor.Confirmed()) return writeFailed ? -2 : 0;
        dlg.MsgOn("データ処理中、しばらくお待ち下さい", kTitle);
        IniRecord next = rec;
        ApplySettingsItems(editor.Values(), next);
        const int written = WriteSettings(path, next);
        dlg.MsgOff();
        if (written == 0) {
            rec = next;
            return 0;
        }
        writeFailed = true;
        values = editor.Values();
        dlg.MsgBox("環境設定を保存できませんでした。\r\n設定ファイル(" + std::string(kSettingsFileName) +
                       ")に書き込めません。",
                   kTitle, MsgIcon::Critical, MsgButtons::OK);
    }
}

} // namespace mrt
