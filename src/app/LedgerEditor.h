#pragma once
#include "app/Command.h"
#include "app/EditorView.h"
#include "ledger/LedgerSearch.h"
#include "ledger/LedgerSheet.h"
#include "ledger/SheetHistory.h"

#include <string>
#include <vector>

namespace mrt {

class Dialogs;
class GridModel;
struct AppState;

// Keys as the main window reports them. Char carries its text (UTF-8, one or more characters:
// an input-method commit may bring several).
enum class Key {
    Enter,
    ShiftEnter,
    Tab,
    ShiftTab,
    Esc,
    Left,
    Right,
    Up,
    Down,
    PageUp,
    PageDown,
    Home,
    End,
    Insert,
    Delete,
    Backspace,
    F11,
    Char,
};

// The ledger editing of the main window, free of any toolkit: navigation and in-place editing in
// the grid, the entry of a line with its choice boxes, and the editing commands. The window
// forwards its keys, clicks and scrolling here and shows what the editor asks of EditorView.
// Everything the editor changes lives in `app` (ledger, names, start line) and in `grid`.
// The grid must have been set up with SetUpLedgerGrid (or SetUpGrid) before Start.
// Every one-point help text the editor shows (one per column and the grid's own); "\n" separates
// the two lines of a text. The window sizes its help label so that each of them fits.
std::vector<std::string> OnePointHelpTexts();

class LedgerEditor {
public:
    LedgerEditor(AppState& app, GridModel& grid, Dialogs& dlg, EditorView& view);

    // Sets up the ledger grid from the settings (MaxBlockLines of the ledger, DisplayRows). A
    // positive `rowsLimit` shows at most that many rows (the screen has no room for more); the
    // paging and scrolling follow the rows shown.
    LedgerGridGeometry SetUpGrid(const TextMeasure& measure, int rowsLimit = 0);
    // Data rows the grid shows: DisplayRows, or fewer when SetUpGrid was limited.
    int ShownRows() const;

    // Start of an editing period (after BeginEditingPeriod): fills the grid from app.ledger.block,
    // scrolls the last line to the top, starts a new line, enables the buttons, beeps, clears
    // LedgerModified (kept when nothing is stored yet, at the first start).
    void Start();
    // End of an editing period (MenuSel set): stores a pending edit, closes the edit box and, when
    // the block was modified, drops its trailing lines without amounts for EndEditingPeriod.
    void End();

    // ---- input from the window ----
    // A key on the idle grid: Enter or " " opens the cell, another printable character starts
    // editing with exactly that text, arrows and page keys move the cursor, F11 the edit list.
    void KeyOnGrid(Key key, const std::string& text = {});
    // A key in the edit box. caret >= 0: the view's text and caret (characters) before the key,
    // which the editor takes over first; -1: the editor's own copy is current. Returns true when
    // the key was handled (the view then shows SetEditText's result), false to leave it to the
    // box (Tab, F-keys).
    bool KeyInEditBox(Key key, const std::string& text = {}, int caret = -1, const std::string& editText = {});
    // Enter, Esc or Tab in an open choice box (the box moves its own selection with the arrows;
    // the editor reads it through EditorView::ReadChoiceBox).
    void KeyInChoiceBox(Key key);
    // Double-click on entry `index` of the open choice box (counts as Enter on it).
    void ChoiceChosen(int index);
    // The switch button of the item box was clicked (as Tab).
    void ItemSwitchClicked();
    // Mouse press / double-click on a scrollable cell.
    void CellClicked(int row, int col);
    void CellDoubleClicked(int row, int col);
    // The user scrolled the grid (scroll bar, wheel) so that `topRow` is on top.
    void Scrolled(int topRow);
    // Runs a ledger editing command (ForcedSave, SortByDate .. EditForcedSave, EditWorkSelect,
    // Undo, Redo); false for any other command.
    bool RunCommand(Command command);
    // Tool button 0: abandons the entry in progress; beeps.
    void CancelEntry();

    // ---- operations the window's own commands use ----
    // 0 = go on (sorted or nothing to sort), 1 = the user declined the sort.
    int PreSortCheck();
    // The questions before the program ends: with lines out of date order, whether to sort them
    // first; otherwise, when `ask`, whether to end. 0 = go on with the exit, 1 = stay.
    int ExitQuestion(bool ask);
    // 0 save InputCtrl; 1 end an entry in progress and save; 2 restore and focus it.
    void FocusKeep(int mode);
    // Stores a value still being edited (before any command runs).
    void InDataRegEnd();
    // Help topic of the current step: 100 on the grid, 101..105 by the column being edited.
    int HelpTopic() const;

    void RetNewLine();
    void RetNowLine();
    void CellMove(int row, int col);
    void EditWorkSelect();
    void SortByDate();
    void DeleteLine();
    void InsertLine();
    void MoveToDate();
    // Undo / redo of the last change to the loaded block's lines (a committed cell, a new line,
    // insert, delete, sort, a balance adjustment). An entry in progress is dropped first; the
    // cursor goes where it stood. False (with a beep) when there is nothing to undo / redo.
    bool Undo();
    bool Redo();
    const SheetHistory& History() const { return m_history; }
    void GoToDateLine(int year, int month, int day);
    // Goes to the line a search found (the slot-th line of its month in the year file): the block
    // holding it is read as "go to date" reads it (sort question, save) and the cursor stands on
    // the line. When the line is no longer there (changed since the search) the cursor goes to its
    // date instead and the result is false; false too when the read was cancelled or failed.
    bool JumpToLine(const SearchHit& hit);
    // Reads another block: flag 1 the next, -1 the previous, 0 the one holding year/month.
    // 0 read; nonzero cancelled or failed (the loaded block stays).
    int ReReadIoData(int flag, int year, int month);
    // Saves at once (the forced save), showing the outcome when `show`. -1 failed.
    int ForcedSaveNow(bool show);
    // The question before reading the neighbouring block; nonzero when the user cancels.
    int BlockReadQuestion(int direction);

    // ---- state the window reads ----
    bool Editing() const { return m_editing; }
    int EditRow() const { return m_editRow; }
    int EditCol() const { return m_editCol; }
    InputCtrl CurrentInput() const { return m_input; }
    bool ChoiceMode() const { return m_choiceMode; }
    bool ItemBoxOpen() const { return m_itemBoxOpen; }
    int CurrentKind() const { return m_kind; }
    const std::vector<std::string>& ChoiceEntries() const { return m_choiceList; }
    int InOutRowF() const { return m_inOutRowF; }
    bool NonScrlF() const { return m_nonScrl; }
    bool InsertOn() const { return m_insertOn; }
    void SetInsertOn(bool on) { m_insertOn = on; }
    const std::string& EditText() const { return m_editText; }
    int Caret() const { return m_caret; }
    const std::string& OnePointHelp() const { return m_help; }
    bool LatestBlock() const;
    LedgerSheet& Sheet() { return m_sheet; }
    const LedgerSheet& Sheet() const { return m_sheet; }

private:
    // entry (LedgerEditorEntry.cpp)
    void cellOpen();
    void cellEditStart(ImeMode ime);
    void cellEditEnd();
    int cellCommit();
    void commitAndMove(Key key);
    void nextCell(int& row, int& col, bool& newLine);
    void abandonEntry();
    // The kind whose lists a name column uses: from the line's amount; on a line without one the
    // expense items, and for a breakdown or shop the kind of the item chosen last.
    void takeLineKind(int col);
    // The choice list of a name column for the current kind (and the line's item), "（入力なし）" first.
    std::vector<std::string> nameListFor(int col) const;
    // A typed name: the entry of `list` that equals it, or the name itself after the question
    // whether to register it (added to `list` when registered).
    std::string typedName(std::vector<std::string>& list, const std::string& typed);
    void choiceBoxOpen(int col, const std::string& text);
    void choiceBoxSwitch();
    std::string choiceBoxFinish();
    void choiceBoxPlace(InputCtrl box, const std::string& text);
    void hideChoiceBoxes();
    void startTyping(const std::string& text);
    void dateEntryRow(int row);
    bool editKey(Key key, const std::string& text);
    void showEdit();
    void syncEditFromView();
    int itemKeyFor(int kind, const std::string& itemName) const;
    // navigation (LedgerEditor.cpp)
    void rowChange();
    void moveCursor(Key key);
    void changeInitialBalance();
    void setHelp(int col);
    void refreshLabels();
    int afterMonthRead(int year, int month);
    void cursorAfterReshow();
    // Sorts the block by date and clears PreSortF; `readFollows` when another block is read at
    // once (the grid is refilled by the read).
    void sortNow(bool readFollows = false);

    SheetCursor cursorNow() const;
    // Runs `change` as one step of the undo history.
    template <typename F> auto tracked(const SheetCursor& before, F change);
    bool showHistory(bool undo);

    AppState& m_app;
    GridModel& m_grid;
    Dialogs& m_dlg;
    EditorView& m_view;
    LedgerSheet m_sheet;
    SheetHistory m_history; // the loaded block's changes since it was loaded or saved

    bool m_editing = false;
    int m_editRow = 0, m_editCol = 0;
    std::string m_editText; // the edit box's text
    int m_caret = 0;        // characters
    int m_selLength = 0;    // characters selected after the caret
    bool m_insertOn = false;
    InputCtrl m_input = InputCtrl::Grid;
    InputCtrl m_saved = InputCtrl::Grid;
    int m_suppress = 0; // row-change suppression depth
    bool m_inRowChange = false;
    bool m_nonScrl = false;
    int m_shownRows = 0; // data rows on screen, set by SetUpGrid
    int m_newLines = 0;  // RetNewLine calls, to tell whether a step started a new line
    std::string m_help;

    // choice boxes
    bool m_choiceMode = false;
    bool m_itemBoxOpen = false;
    InputCtrl m_box = InputCtrl::Grid;
    int m_kind = 1;           // current kind: 0 income, 1 expense
    bool m_freeKind = false;  // the line has no amount yet
    int m_rememberedKind = 1; // kind of the last item chosen on a line without amount
    int m_chosenOverride = -1;
    std::vector<std::string> m_choiceList;
    int m_inOutRowF = -1;

    int m_editListLast = 1;
};

template <typename F> auto LedgerEditor::tracked(const SheetCursor& before, F change) {
    m_history.Begin(m_sheet, before);
    auto result = change();
    m_history.End(m_sheet, cursorNow());
    return result;
}

} // namespace mrt
