#pragma once
#include "port/WindowKey.h"

#include <array>
#include <string>
#include <vector>

namespace mrt {

class Dialogs;
struct NameTables;

// The three panes of the registration window; the work buttons act on the active one.
constexpr int kItemPane = 0;
constexpr int kBrkDnPane = 1;
constexpr int kShopPane = 2;

// Buttons of the registration window.
enum class TblButton { Add, Rename, Delete, MoveUp, MoveDown, OK, Cancel, SwitchKind, Help };

// The state of the inline input (InputState).
enum TblInputState : int {
    kInputNone = 0,    // no input running (also: ended by Enter)
    kInputRunning = 1, // the input box is open
    kInputCancelled = -1,
    kInputCloseAsked = -2,
};

// Everything the window shows, drawn whole after each step. Selections are 0-based list
// indexes, -1 for none.
struct NameRegistrationScreen {
    int kind = 1;                                  // item list shown: 0 income, 1 expense
    std::array<std::vector<std::string>, 2> items; // both item lists
    std::array<int, 2> itemSel{-1, -1};
    std::vector<std::string> brkDn, shop; // the lists of the current item
    int brkDnSel = -1, shopSel = -1;
    int activePane = kItemPane;
    std::string incomeCount, expenseCount; // full-width digits
    std::string help;                      // one-point help, "\r\n" between lines
    int inputPane = -1;                    // pane whose input box is open, -1 none
};

class NameRegistration;

// The window `frmTBL` as its controller sees it.
class NameRegistrationView {
public:
    virtual ~NameRegistrationView() = default;
    // Shows the window modally, handing its keys, clicks and close requests to `reg`, until
    // `reg` asks for it to be hidden.
    virtual void RunModal(NameRegistration& reg) = 0;
    // Draws the whole state; the focus goes to the open input box, else to the active list.
    virtual void Refresh(const NameRegistrationScreen& screen) = 0;
    // Puts `text` into the input box of the pane that Refresh shows open, caret at its end.
    virtual void SetInputText(const std::string& text) = 0;
    // Gives the focus back to the input box when it is open, else to the active list.
    virtual void ReturnFocus() = 0;
    // Ends RunModal: the window is hidden.
    virtual void HideWindow() = 0;
};

// The decisions of the name registration window: which pane is active, the work operations with
// their questions, the inline input and closing. Edits act on the in-memory tables at once; the
// caller saves or reloads them by the changed marks and the result.
class NameRegistration {
public:
    NameRegistration(NameTables& tables, Dialogs& dlg, NameRegistrationView& view);

    // The opening state: the expense items, their first entry selected, the item pane active.
    void Open();

    // A key in the window. While the inline input runs, Enter and F12 end it with `inputText`,
    // Esc cancels it and every other key only returns the focus to the input box.
    void Key(WindowKey key, const std::string& inputText = {});
    // A button; `inputText` is the input box's text when an input is running.
    void Button(TblButton button, const std::string& inputText = {});
    // A click in a list on entry `index` (-1: no entry hit). Ends a running input as cancelled.
    void ListClicked(int pane, int index);
    // A click on a pane's frame or its scroll bar. Ends a running input as cancelled.
    void PaneClicked(int pane);
    // The close box. During an input the registration is cancelled as by cmdCancel, with its
    // question. True when the window may close (RunModal ends).
    bool CloseRequested();

    bool Closed() const { return m_closed; }
    // 1 confirmed with changes, 0 closed without changes, -1 cancelled with changes.
    int Result() const { return m_result; }
    // Items, breakdowns, shops.
    const std::array<bool, 3>& Changed() const { return m_changed; }
    // Marks carried over from an earlier opening whose save failed.
    void SetChanged(const std::array<bool, 3>& marks) { m_changed = marks; }
    int InputState() const { return m_inputState; }
    const NameRegistrationScreen& Screen() const { return m_screen; }

    // The idle help text and the list names used in the questions.
    static std::string IdleHelp();
    static std::string ListName(int pane, int kind);

private:
    enum class Work { None, Add, Rename };

    int which(int pane) const;     // the table of a pane (kItemTable ...)
    int kindOrKey(int pane) const; // the kind of the item pane, the current item's key otherwise
    int currentKey() const;
    int selectedIndex(int pane) const;
    void setSelected(int pane, int index);
    void activate(int pane, bool selectFirst);
    void refill();
    void refresh();
    void moveSelection(int step, bool toEnd);
    void switchKind();
    void startWork(Work w);
    void finishInput(int state, const std::string& text);
    void endInput();
    void deleteEntry();
    void moveEntry(int direction);
    void confirm();
    void cancel();
    void help();

    NameTables& m_t;
    Dialogs& m_dlg;
    NameRegistrationView& m_view;
    NameRegistrationScreen m_screen;
    std::array<bool, 3> m_changed{};
    int m_result = 0;
    bool m_closed = false;
    int m_inputState = kInputNone;
    Work m_work = Work::None;
    std::string m_inputStart; // text of the input box when the input began
    std::string m_savedHelp;
};

// Shows the registration window over `tables` (TableRegst). On return `changed` holds the three
// changed marks (items, breakdowns, shops) and `result` 1 confirmed with changes, 0 closed
// without, -1 cancelled with changes. Marks already set in `changed` are kept (an earlier save of
// those tables failed, so they still differ from their files).
void TableRegst(NameTables& tables, Dialogs& dlg, NameRegistrationView& view, std::array<bool, 3>& changed,
                int& result);

} // namespace mrt
