#pragma once
#include "grid/GridModel.h"
#include "port/WindowKey.h"
#include "settings/IniRecord.h"

#include <string>
#include <vector>

namespace mrt {

class Dialogs;
class SettingsEditor;

// Colours of the settings window.
inline constexpr GridColor kSettingsWindowColor = Rgb(208, 218, 208);
inline constexpr GridColor kSettingsGridColor = Rgb(255, 255, 232);
inline constexpr GridColor kSettingsFixedColor = Rgb(224, 235, 224);
// Header texts; each column is as wide as its header.
inline constexpr const char* kSettingsLabelHeader = "       環    境    設    定    項    目        ";
inline constexpr const char* kSettingsValueHeader = "     設 定 値     ";

// The window `frmINI` as its controller sees it. Rows and columns are grid indexes.
class SettingsWindowView {
public:
    virtual ~SettingsWindowView() = default;
    // The editor whose grid the window is to show, before it opens its edit box.
    virtual void Attach(SettingsEditor& editor) { (void)editor; }
    // Shows the window modally, handing its keys, clicks and close requests to `editor`, until
    // `editor` asks for it to be hidden.
    virtual void RunModal(SettingsEditor& editor) = 0;
    // Places the edit box exactly over cell (row, col) with `text`, the caret after `caret`
    // characters, and gives it the focus.
    virtual void ShowEditBox(int row, int col, const std::string& text, int caret) = 0;
    virtual void HideEditBox() = 0;
    // Replaces the edit box's text (the checked text goes back into it), caret at its end.
    virtual void SetEditText(const std::string& text) = 0;
    virtual void FocusEditBox() = 0;
    virtual void FocusOK() = 0;
    virtual void SetHelpLine(const std::string& text) = 0;
    // Ends RunModal.
    virtual void HideWindow() = 0;
};

// The settings window's decisions: the six rows in a two-column grid, the edit box over the value
// cell, the bounds check, the movement keys, confirm and cancel.
class SettingsEditor {
public:
    SettingsEditor(std::vector<SettingsItem> rows, Dialogs& dlg, SettingsWindowView& view);

    GridModel& Grid() { return m_grid; }
    const GridModel& Grid() const { return m_grid; }

    // Fills the grid (the texts `values` when given, else the rows' values), makes the value cell
    // of row 1 current and opens the edit box there.
    void Open(const std::vector<std::string>& values = {});

    // The grid got the focus: the edit box opens over the current cell.
    void GridFocused();
    // A key while the grid itself has the focus (edit box hidden): a character opens the box with
    // that character alone; Enter, Space and other control keys with the cell's text; Esc, F1
    // and F12 are the window's.
    void KeyOnGrid(WindowKey key, const std::string& typed = {});
    // A key in the edit box holding `editText`: Enter, Shift+Enter, Up, Down check the text and move;
    // Esc, F1, F12 are the window's. Other keys are the box's own.
    void KeyInEditBox(WindowKey key, const std::string& editText);
    // A key on any other control (the buttons): Esc cancels, F1 helps, F12 confirms; any other
    // key returns the focus to the edit box.
    void KeyElsewhere(WindowKey key, const std::string& editText);
    // The user is leaving the current cell by the mouse or scrolled the grid: the box's text goes
    // into the cell unchecked and the box is hidden.
    void LeaveCell(const std::string& editText);
    void Confirm(const std::string& editText); // F12, cmdOK
    void Cancel();                             // Esc, cmdCancel, the close box
    void Help();                               // F1, cmdHelp

    bool Closed() const { return m_closed; }
    bool Confirmed() const { return m_confirmed; }
    bool EditBoxShown() const { return m_boxShown; }
    const std::string& HelpLine() const { return m_help; }
    // The six value texts as the cells hold them.
    std::vector<std::string> Values() const;

private:
    // Esc, F1 and F12 act alike wherever the focus is (F12 confirms `text`); true when `key` was one.
    bool windowKey(WindowKey key, const std::string& text);
    void openBox(const std::string& text, int caret);
    // Checks `text` against the current row's bounds; the cleaned text goes back into the box.
    // 0 accepted (cleaned into `text`); 1 re-enter; 2 the window was cancelled.
    int check(std::string& text);
    bool valid(int itemRow, const std::string& cleaned) const;
    void moveTo(int row);

    std::vector<SettingsItem> m_rows;
    Dialogs& m_dlg;
    SettingsWindowView& m_view;
    GridModel m_grid;
    bool m_boxShown = false;
    bool m_closed = false;
    bool m_confirmed = false;
    std::string m_help;
};

// Reads the settings file into `rec` (a missing file gives the defaults), shows the window and,
// on confirmation, writes the six values with the rest of the record behind the wait window.
// 0 closed (cancelled, or confirmed and written); -1 the file could not be read (window not
// shown, rec unchanged); -2 a write failed and the user then cancelled. After a failed write the
// message is shown and the window opens again with the edited values; `rec` keeps what the file
// holds, so the settings in use never differ from the file.
int OpenSettingsWindow(const std::string& path, IniRecord& rec, Dialogs& dlg, SettingsWindowView& view);

} // namespace mrt
