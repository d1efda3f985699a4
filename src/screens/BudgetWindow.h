#pragma once
#include "grid/GridModel.h"
#include "port/WindowKey.h"
#include "screens/BudgetRegistration.h"

#include <string>
#include <vector>

namespace mrt {

class Dialogs;
class BudgetPageEditor;

// The budget window's grid description and colours.
inline constexpr const char* kBudgetNameHeader = "      項  目  名      ";
inline constexpr const char* kBudgetAmountHeader = "  予  算  額   ";
inline constexpr const char* kBudgetSumCaption = "合  計";
inline constexpr int kBudgetVisibleRows = 15;
inline constexpr int kBudgetAmountBytes = 8;
inline constexpr GridColor kBudgetFixedColor = Rgb(216, 234, 216);
inline constexpr GridColor kBudgetFixedTextColor = Rgb(80, 80, 80);
inline constexpr GridColor kBudgetGridBkgColor = Rgb(200, 218, 200);
inline constexpr GridColor kBudgetSumFixedColor = Rgb(184, 202, 184);
inline constexpr GridColor kBudgetCaptionColor = Rgb(0, 96, 96);
inline constexpr GridColor kBudgetPanelColor = Rgb(240, 248, 224);

// The help lines of the window.
std::string BudgetWindowHelp();

// Buttons of the budget window: cmdTool(0..2), cmdOK, cmdCancel, cmdHelp.
enum class BgtButton { SwitchKind, PreviousMonth, NextMonth, OK, Cancel, Help };

// The window `frmBGT` as its controller sees it.
class BudgetWindowView {
public:
    virtual ~BudgetWindowView() = default;
    // The editor whose grids the window is to show, before it opens its edit box.
    virtual void Attach(BudgetPageEditor& editor) { (void)editor; }
    // Shows the window modally, handing its keys, clicks and close requests to `editor`, until
    // `editor` asks for it to be hidden.
    virtual void RunModal(BudgetPageEditor& editor) = 0;
    // Places the edit box exactly over cell (row, col) of the page grid with `text`, the caret
    // after `caret` characters, and gives it the focus.
    virtual void ShowEditBox(int row, int col, const std::string& text, int caret) = 0;
    virtual void HideEditBox() = 0;
    // Replaces the edit box's text, caret at its end.
    virtual void SetEditText(const std::string& text) = 0;
    virtual void FocusEditBox() = 0;
    virtual void FocusOK() = 0;
    // Ends RunModal.
    virtual void HideWindow() = 0;
};

// The budget window's decisions for one page: the amount grid with its edit box, the page sum,
// validation, the page commands and both Esc questions. The page texts go back to
// RunBudgetRegistration, which decides what they mean.
class BudgetPageEditor {
public:
    BudgetPageEditor(const BudgetPage& page, Dialogs& dlg, BudgetWindowView& view);

    GridModel& Grid() { return m_grid; }
    GridModel& SumGrid() { return m_sum; }
    const BudgetPage& Page() const { return m_page; }

    // Fills the grids, makes the first amount cell current and opens the edit box there.
    void Open();

    // The grid got the focus: the edit box opens over the current cell.
    void GridFocused();
    // A key while the grid has the focus and the box is hidden: Enter opens the box with the
    // cell's text, a character with that character alone, Esc asks whether to stop; F-keys and
    // Tab are the page commands.
    void KeyOnGrid(WindowKey key, const std::string& typed = {});
    // A key in the edit box holding `editText`.
    void KeyInEditBox(WindowKey key, const std::string& editText);
    // A key on a button: F-keys and Tab are the commands, Esc cancels; any other key returns the
    // focus to the edit box.
    void KeyElsewhere(WindowKey key, const std::string& editText);
    // The user leaves the current cell by the mouse or scrolls: the box's text goes into the cell
    // unchecked (the page commands check every cell) and the box is hidden.
    void LeaveCell(const std::string& editText);
    void Button(BgtButton button, const std::string& editText);
    // The close box: counts as a cancel.
    void CloseRequested();

    bool Closed() const { return m_closed; }
    BudgetPageAction Action() const { return m_action; }
    bool EditBoxShown() const { return m_boxShown; }
    // The amount texts as the cells hold them, in list order.
    std::vector<std::string> Amounts() const;
    // The page sum as the sum cell shows it.
    const std::string& SumText() const { return m_sum.TextMatrix(0, 1); }

private:
    void openBox(const std::string& text, int caret);
    // Validates a changed text of the current cell; 0 stored (or unchanged), 1 re-enter, 2 the
    // registration was cancelled.
    int storePending(const std::string& editText);
    // Checks every cell (texts left by a click were not checked); 0 all good.
    int checkAll();
    int askAgain();
    void setCell(int row, const std::string& text);
    void command(BudgetPageAction action, const std::string& editText);
    void escQuestion(bool inBox);
    void cancel();
    void help();

    BudgetPage m_page;
    Dialogs& m_dlg;
    BudgetWindowView& m_view;
    GridModel m_grid;
    GridModel m_sum;
    long long m_total = 0;
    bool m_boxShown = false;
    bool m_closed = false;
    BudgetPageAction m_action = BudgetPageAction::Cancelled;
};

// An amount text as the page stores it: full-width digits made half-width, blanks trimmed.
// False when it is not a budget text: empty, or up to 8 digits with an optional "+" after them.
bool CleanBudgetText(const std::string& text, std::string& cleaned);

// The budget page as a modal window: BudgetPageView for RunBudgetRegistration, built on a window
// that shows one page at a time.
class BudgetWindowPages : public BudgetPageView {
public:
    BudgetWindowPages(Dialogs& dlg, BudgetWindowView& window) : m_dlg(dlg), m_window(window) {}
    BudgetPageAction ShowBudgetPage(BudgetPage& page) override;
    void UnloadBudgetWindow() override {}

private:
    Dialogs& m_dlg;
    BudgetWindowView& m_window;
};

} // namespace mrt
