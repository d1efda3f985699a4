// The choice boxes of the item, breakdown and shop cells: opening, placing, switching the item
// list, finishing a choice and offering typed names for registration.
#include "app/AppState.h"
#include "app/LedgerEditor.h"
#include "grid/GridModel.h"
#include "ledger/LineRules.h"
#include "names/NameTables.h"
#include "port/Dialogs.h"
#include "util/Cp932.h"

#include <algorithm>

namespace mrt {

int LedgerEditor::itemKeyFor(int kind, const std::string& itemName) const {
    if (kind != kIncomeKind && kind != kExpenseKind) return -1;
    const std::vector<std::string> items = FillItemList(m_app.names, kind, false);
    int idx = FindListEntry(items, itemName);
    return idx < 0 ? -1 : ItemKeyOf(m_app.names, kind, idx + 1);
}

void LedgerEditor::takeLineKind(int col) {
    const IoRecord line = m_sheet.RowValues(m_editRow);
    const bool income = line.Income != 0;
    const bool expense = line.Expense != 0;
    m_freeKind = !income && !expense;
    m_kind = income ? kIncomeKind : kExpenseKind;
    if (m_freeKind) m_kind = col == kColItem ? kExpenseKind : m_rememberedKind;
}

std::vector<std::string> LedgerEditor::nameListFor(int col) const {
    if (col == kColItem) return FillItemList(m_app.names, m_kind, true);
    const int key = itemKeyFor(m_kind, m_sheet.RowValues(m_editRow).ItemName);
    std::vector<std::string> list =
        col == kColNote ? FillBrkDnList(m_app.names, key, true) : FillShopList(m_app.names, key, true);
    if (list.empty()) list.push_back(kNoneEntry);
    return list;
}

void LedgerEditor::choiceBoxOpen(int col, const std::string& text) {
    takeLineKind(col);
    m_choiceList = nameListFor(col);
    InputCtrl box;
    if (col == kColItem) {
        box = m_kind == kIncomeKind ? InputCtrl::IncomeItems : InputCtrl::ExpenseItems;
        m_itemBoxOpen = true;
    } else {
        box = col == kColNote ? InputCtrl::Breakdown : InputCtrl::Shop;
    }
    choiceBoxPlace(box, text);
    m_choiceMode = true;
}

void LedgerEditor::choiceBoxPlace(InputCtrl box, const std::string& text) {
    const int row = m_editRow;
    const int dropRows = std::min<int>(7, static_cast<int>(m_choiceList.size())) + 1;
    const bool nonScrl = m_nonScrl;
    m_nonScrl = true;
    while (!m_view.DropDownFits(row, dropRows) && m_grid.TopRow() < row) {
        const int top = m_grid.TopRow();
        m_grid.SetTopRow(top + 1);
        if (m_grid.TopRow() == top) break;
    }
    m_nonScrl = nonScrl;
    const int selected = text.empty() ? 0 : FindListEntry(m_choiceList, text);
    m_box = box;
    m_view.ShowChoiceBox(box, row, m_editCol, m_choiceList, selected, text);
    m_input = box;
    m_view.Focus(box);
    if (m_itemBoxOpen) {
        std::vector<std::string> other;
        if (m_app.settings.TwoColumnItemBox == 1) other = FillItemList(m_app.names, 1 - m_kind, true);
        m_view.ShowItemSwitch(m_kind, other);
    }
}

void LedgerEditor::choiceBoxSwitch() {
    if (!m_itemBoxOpen) return;
    int selected = -1;
    std::string text;
    m_view.ReadChoiceBox(selected, text);
    // Only a name the user typed goes over to the other list; an entry of this kind's list
    // would otherwise be offered for registration as an item of the other kind.
    const bool picked = selected >= 0 && selected < static_cast<int>(m_choiceList.size()) &&
                        (text.empty() || text == m_choiceList[static_cast<size_t>(selected)]);
    if (picked || FindListEntry(m_choiceList, TrimRight(text)) >= 0) text.clear();
    m_view.HideChoiceBoxes();
    m_kind = 1 - m_kind;
    m_choiceList = FillItemList(m_app.names, m_kind, true);
    choiceBoxPlace(m_kind == kIncomeKind ? InputCtrl::IncomeItems : InputCtrl::ExpenseItems, text);
}

std::string LedgerEditor::choiceBoxFinish() {
    int selected = -1;
    std::string typed;
    m_view.ReadChoiceBox(selected, typed);
    if (m_chosenOverride >= 0) {
        selected = m_chosenOverride;
        typed.clear();
        m_chosenOverride = -1;
    }
    typed = TrimRight(typed);
    std::string result;
    const bool entry = selected >= 0 && selected < static_cast<int>(m_choiceList.size());
    if (entry && (typed.empty() || typed == TrimRight(m_choiceList[static_cast<size_t>(selected)])))
        result = m_choiceList[static_cast<size_t>(selected)];
    else
        result = typedName(m_choiceList, typed);
    if (result == kNoneEntry) result.clear();
    if (m_itemBoxOpen && m_freeKind && result.empty())
        m_inOutRowF = -1;
    else
        m_inOutRowF = m_kind;
    if (m_itemBoxOpen && m_freeKind) m_rememberedKind = m_inOutRowF;
    m_view.HideChoiceBoxes();
    m_itemBoxOpen = false;
    m_choiceMode = false;
    return result;
}

std::string LedgerEditor::typedName(std::vector<std::string>& list, const std::string& typed) {
    int idx = FindListEntry(list, typed);
    if (idx >= 0) return list[static_cast<size_t>(idx)];
    // A text the line cannot hold is not offered for registration: the cell check refuses it.
    const LineText field = LineTextOfColumn(m_editCol);
    if (typed.empty() || CheckLineText(field, typed)) return typed;
    int which = kItemTable, kindOrKey = m_kind;
    std::string kindName = m_kind == kIncomeKind ? "入金項目名" : "出金項目名";
    if (m_editCol != kColItem) {
        which = m_editCol == kColNote ? kBrkDnTable : kShopTable;
        kindName = m_editCol == kColNote ? "内訳・備考" : "店名・相手先";
        kindOrKey = itemKeyFor(m_kind, m_sheet.RowValues(m_editRow).ItemName);
    }
    // A breakdown or shop name is registered under the line's item; without one there is nowhere
    // to put it.
    if (kindOrKey >= 0 && m_dlg.MsgYesNo2("[" + typed + "]を" + kindName + "に登録しますか？", kindName, 1) == 0) {
        int r = QuickAddName(m_app.names, m_app.namePaths(), which, kindOrKey, typed, m_dlg);
        if (r == 0) {
            m_dlg.Beep();
            list.push_back(StoredNameText(which, typed));
        } else if (r == 1) {
            m_dlg.MsgOK(NameListFullMessage(which, kindOrKey), kindName);
        }
    }
    return typed;
}

void LedgerEditor::hideChoiceBoxes() {
    m_view.HideChoiceBoxes();
    m_itemBoxOpen = false;
    m_choiceMode = false;
    if (m_input != InputCtrl::Grid && m_input != InputCtrl::EditBox)
        m_input = m_editing ? InputCtrl::EditBox : InputCtrl::Grid;
}

void LedgerEditor::KeyInChoiceBox(Key key) {
    if (!m_choiceMode) return;
    switch (key) {
    case Key::Enter:
        commitAndMove(Key::Enter);
        return;
    case Key::Esc:
        abandonEntry();
        return;
    case Key::Tab:
    case Key::ShiftTab:
        choiceBoxSwitch();
        return;
    default:
        return;
    }
}

void LedgerEditor::ChoiceChosen(int index) {
    if (!m_choiceMode) return;
    m_chosenOverride = index;
    commitAndMove(Key::Enter);
    m_chosenOverride = -1;
}

void LedgerEditor::ItemSwitchClicked() {
    choiceBoxSwitch();
}

} // namespace mrt
