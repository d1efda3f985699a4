#pragma once
#include <string>
#include <vector>

namespace mrt {

// The controls of the main window that take the user's input (`InputCtrl`).
enum class InputCtrl { Grid, EditBox, IncomeItems, ExpenseItems, Breakdown, Shop };

// Input method of the edit box: Keep leaves it as it is (editing started by a typed character).
enum class ImeMode { Keep, Off, On };

// What the ledger editor needs from the main window besides the grid model and the dialogs.
// Rows and columns are grid indexes (data column n is grid column n). Caret positions and
// selection lengths count characters (Unicode code points), not bytes.
class EditorView {
public:
    virtual ~EditorView() = default;

    // Shows the edit box exactly over grid cell (row, col): the view takes the cell's geometry
    // from the grid model (CellLeftOf, CellTopOf, ColWidth, RowHeight for the current TopRow).
    // maxBytes is the column's input length in CP932 bytes.
    virtual void ShowEditBox(int row, int col, ImeMode ime, int maxBytes) = 0;
    virtual void HideEditBox() = 0;
    // The edit box's text and caret; selLength characters after the caret are selected (the
    // overwrite mode keeps one selected so that typing replaces it).
    virtual void SetEditText(const std::string& text, int caret, int selLength) = 0;
    // When the view owns the text of its edit box (input-method commits reach it directly), it
    // reports the current text and caret here and returns true; false = the editor's copy is
    // current.
    virtual bool ReadEditBox(std::string& text, int& caret) const {
        (void)text;
        (void)caret;
        return false;
    }

    // Opens a choice box (IncomeItems, ExpenseItems, Breakdown or Shop) over cell (row, col) with
    // the cell's width, filled with `entries`; `selected` is the 0-based entry shown selected
    // (-1: none, the box shows `text`). The box takes the focus.
    virtual void ShowChoiceBox(InputCtrl box, int row, int col, const std::vector<std::string>& entries, int selected,
                               const std::string& text) = 0;
    // The current state of the open choice box: the selected entry (-1 when the user typed a text
    // that is not an entry) and the text in its edit field.
    virtual void ReadChoiceBox(int& selected, std::string& text) const = 0;
    // The item box's switch button to the right of the box, captioned "←" over "入金" (kind 0) or
    // "出金" (kind 1); `otherKindList` not empty: the list of the other kind beside it, without
    // selection, as a reference (two-column item box).
    virtual void ShowItemSwitch(int kind, const std::vector<std::string>& otherKindList) = 0;
    // Hides both item boxes and lists, the breakdown and shop boxes and the switch button.
    virtual void HideChoiceBoxes() = 0;
    // True when a drop-down of `dropRows` rows below grid row `row` stays inside the window.
    virtual bool DropDownFits(int row, int dropRows) const {
        (void)row;
        (void)dropRows;
        return true;
    }

    // The one-point help label; "\n" separates its two lines.
    virtual void SetOnePointHelp(const std::string& text) = 0;
    // The " 登録データ " and " 表示データ " labels.
    virtual void RefreshDateLabels(const std::string& registered, const std::string& displayed) = 0;
    // Gives the keyboard focus to a control.
    virtual void Focus(InputCtrl ctrl) = 0;
    // Tool and menu buttons all on or off (ToolBtnOnOff / MenuBtnOnOff with index -1).
    virtual void SetButtonsEnabled(bool on) = 0;
    // The edit box's background white (true) or its normal colour, while the next block is read.
    virtual void SetEditBoxWhite(bool white) { (void)white; }
    // Lets pending window events run (repaint before a long step).
    virtual void ProcessEvents() {}
};

} // namespace mrt
