// Ledger editor: the editing commands — the edit work list, sort, delete, insert, move to a
// date, forced save — and the reading of another block.
#include "app/AppState.h"
#include "app/LedgerEditor.h"
#include "grid/GridModel.h"
#include "ledger/LedgerBlock.h"
#include "ledger/LedgerSave.h"
#include "port/Dialogs.h"
#include "util/Clock.h"
#include "util/DateText.h"

#include <algorithm>

namespace mrt {
namespace {

constexpr GridColor kSelectionColor = Rgb(224, 112, 160);

int32_t indexFirst(const LedgerIndex& idx) {
    return idx.FirstYear * 10000 + idx.FirstMonth * 100 + idx.FirstDay;
}
int32_t indexLast(const LedgerIndex& idx) {
    return idx.LastYear * 10000 + idx.LastMonth * 100 + idx.LastDay;
}

} // namespace

bool LedgerEditor::RunCommand(Command command) {
    switch (command) {
    case Command::ForcedSave:
        FocusKeep(1);
        if (PreSortCheck() == 0) ForcedSaveNow(true);
        m_dlg.Beep();
        FocusKeep(2);
        return true;
    case Command::SortByDate:
    case Command::DeleteLine:
    case Command::InsertLine:
    case Command::MoveToDate:
    case Command::EditForcedSave: {
        FocusKeep(0);
        FocusKeep(1);
        if (command == Command::SortByDate) SortByDate();
        if (command == Command::DeleteLine) DeleteLine();
        if (command == Command::InsertLine) InsertLine();
        if (command == Command::MoveToDate) MoveToDate();
        if (command == Command::EditForcedSave) {
            if (PreSortCheck() == 0) ForcedSaveNow(true);
            m_dlg.Beep();
        }
        // A command that left an entry open keeps it; otherwise the saved control takes the focus.
        if (!m_editing) FocusKeep(2);
        return true;
    }
    case Command::EditWorkSelect:
        EditWorkSelect();
        return true;
    case Command::Undo:
        Undo();
        return true;
    case Command::Redo:
        Redo();
        return true;
    default:
        return false;
    }
}

void LedgerEditor::EditWorkSelect() {
    if (m_editing && cellCommit() != 0) return;
    FocusKeep(1);
    static const std::vector<std::string> entries = {"入出金データを日付順に並び替える", "現在行を削除する",
                                                     "現在行の前に１行挿入する", "希望する日付の入力位置へ移動する",
                                                     "入出金データを強制保存する"};
    for (;;) {
        int lst = m_editListLast;
        int choice = m_dlg.SubMenu("     「 編集 」の 作業選択", lst, entries);
        if (choice < 1 || choice > 5) {
            FocusKeep(2);
            return;
        }
        m_editListLast = choice;
        switch (choice) {
        case 1:
            SortByDate();
            break;
        case 2:
            DeleteLine();
            break;
        case 3:
            InsertLine();
            return;
        case 4:
            MoveToDate();
            return;
        default:
            FocusKeep(1);
            if (PreSortCheck() == 0) ForcedSaveNow(true);
            m_dlg.Beep();
            break;
        }
        FocusKeep(0);
    }
}

void LedgerEditor::sortNow(bool readFollows) {
    const bool newLineOpen = m_editing && m_editRow > m_sheet.LastRow();
    const bool sorted = tracked(cursorNow(), [&] {
        m_app.ledger.LedgerModified = true;
        const bool done = m_sheet.SortByDate();
        if (done) m_app.ledger.PreSortF = false;
        return done;
    });
    // The grid was refilled and the new-entry row blanked: in the newest block it takes the date
    // of the last line again, and a new line being entered starts afresh from it.
    if (LatestBlock() && !readFollows) {
        if (newLineOpen)
            RetNewLine();
        else
            dateEntryRow(m_sheet.NewEntryRow());
    }
    // A sort that stopped on a balance overflow left the lines as they were: still unsorted.
    if (!sorted) {
        m_dlg.MsgOK("残高が計算できる範囲を超えました。", "並び替え");
        return;
    }
    m_app.ledger.PreSortF = false;
}

int LedgerEditor::PreSortCheck() {
    if (!m_app.ledger.PreSortF) return 0;
    int r = m_dlg.MsgYesNo2(std::string("まず入出力ﾃﾞｰﾀを日付順に並び替えます。") + "\r\n" + "よろしいですか？",
                            "前処理", 0);
    if (r == 0) sortNow();
    return r == 0 ? 0 : 1;
}

int LedgerEditor::ExitQuestion(bool ask) {
    if (m_app.ledger.PreSortF) {
        int r =
            m_dlg.MsgYesNo2(std::string("日付順に並び替えてから終了します。") + "\r\n" + "よろしいですか？", "終了", 0);
        // The question above is the only one: the lines are sorted as PreSortCheck sorts them.
        if (r == 0) sortNow();
        return r == 0 ? 0 : 1;
    }
    if (!ask) return 0;
    return m_dlg.MsgYesNo2(std::string("家計簿プログラムを終了します。") + "\r\n" + "よろしいですか？", "終了", 0) == 0
               ? 0
               : 1;
}

void LedgerEditor::SortByDate() {
    if (!m_app.ledger.PreSortF) {
        m_dlg.MsgOK("並び替えは完了しています。", "並び替え");
        return;
    }
    if (m_dlg.MsgYesNo2(std::string("日付順に並び替えをします。") + "\r\n" + "よろしいですか？", "並び替え", 0) != 0)
        return;
    sortNow();
    m_input = InputCtrl::Grid;
    m_view.Focus(InputCtrl::Grid);
}

void LedgerEditor::DeleteLine() {
    m_editing = false;
    m_view.HideEditBox();
    hideChoiceBoxes();
    m_input = InputCtrl::Grid;
    m_grid.SetBackColorSel(kSelectionColor);
    const int row = m_grid.Row();
    m_grid.SetCursor(row, kColYear);
    m_grid.SetColSel(kLedgerDataCols);
    if (row < 2 && m_sheet.LastRow() >= 1) {
        // The carried-balance line holds the balance of everything before the block.
        m_dlg.Beep();
        RetNowLine();
        return;
    }
    const bool newEntry = row > m_sheet.LastRow();
    if (!(LatestBlock() && newEntry)) {
        if (m_dlg.MsgYesNo2(std::string("現在カーソルのある行を削除します。") + "\r\n" + "よろしいですか？", "行削除",
                            1) != 0) {
            RetNowLine();
            return;
        }
    }
    if (!newEntry) {
        tracked(SheetCursor{row, kColDay, m_grid.TopRow()}, [&] {
            m_sheet.DeleteLine(row);
            m_app.ledger.LedgerModified = true;
            m_sheet.ResetDates();
            return true;
        });
    }
    if (LatestBlock() && m_grid.Row() > m_sheet.LastRow()) {
        RetNewLine();
    } else {
        rowChange();
        RetNowLine();
    }
}

void LedgerEditor::InsertLine() {
    if (m_sheet.LastRow() >= m_app.ledger.MaxBlockLines) return;
    const int row = m_grid.Row();
    if (row > m_sheet.LastRow()) {
        if (LatestBlock()) RetNewLine();
        return;
    }
    if (row < 2) return; // never before the carried-balance line
    // The new line takes the date of the line it is put before, so that it is always a real date;
    // the day cell then opens for the user's own.
    const bool inserted = tracked(cursorNow(), [&] {
        if (!m_sheet.InsertLine(row)) return false;
        m_app.ledger.LedgerModified = true;
        return true;
    });
    if (!inserted) return;
    ++m_suppress;
    m_grid.SetRow(row);
    --m_suppress;
    RetNowLine();
    cellOpen();
}

void LedgerEditor::MoveToDate() {
    CivilDate today = AppClock().Today();
    std::string answer;
    if (m_dlg.DateInYMD("移動先の日付を入力してください。", FormatDate(today.year, today.month, today.day, "/"),
                        answer) != 0)
        return;
    int y = 0, m = 0, d = 0;
    if (!ParseDateText(answer, y, m, d)) return;
    int32_t date = DateNum(y, m, d);
    const LedgerIndex& idx = m_app.ledger.index;
    const BlockDates& dates = m_sheet.Dates();
    const int32_t regFirst = idx.YearCount != 0 ? indexFirst(idx) : dates.first;
    const int32_t regLast = idx.YearCount != 0 ? std::max(indexLast(idx), LatestBlock() ? dates.last : 0) : dates.last;
    if (date < dates.first || date > dates.last) {
        if (date < regFirst) date = regFirst;
        if (date > regLast) date = regLast;
        if ((date < dates.first || date > dates.last) && ReReadIoData(0, date / 10000, date / 100 % 100) != 0) return;
    }
    if (date < regLast)
        GoToDateLine(date / 10000, date / 100 % 100, date % 100);
    else
        RetNewLine();
}

void LedgerEditor::GoToDateLine(int year, int month, int day) {
    const int32_t key = DateNum(year, month, day);
    const int lastRow = m_sheet.LastRow();
    int line = lastRow;
    for (int r = 1; r <= lastRow; ++r) {
        const int32_t k = m_sheet.RowDate(r);
        if (k == key) {
            line = r;
            break;
        }
        if (!m_app.ledger.PreSortF && k > key) {
            line = r - 1;
            break;
        }
    }
    // The cursor never rests on the carried-balance line when there is a line after it.
    line = std::clamp(line, lastRow >= 2 ? 2 : 1, std::max(1, lastRow));
    CellMove(line, kColDay);
    m_grid.SetTopRow(line);
}

int LedgerEditor::ReReadIoData(int flag, int year, int month) {
    LedgerState& st = m_app.ledger;
    ++m_suppress;
    const int32_t last = m_sheet.Dates().last;
    const bool other = flag != 0 || year != last / 10000 || month != last / 100 % 100;
    const std::string op = other ? "別データ読込み" : "強制書込み";
    const GridColor selColor = m_grid.BackColorSel();
    if (flag == 1) {
        m_grid.SetBackColorSel(Rgb(255, 255, 255));
        m_view.SetEditBoxWhite(true);
    }
    auto restore = [&] {
        if (flag == 1) {
            m_grid.SetBackColorSel(selColor);
            m_view.SetEditBoxWhite(false);
        }
        --m_suppress;
    };
    if (st.PreSortF) {
        if (m_dlg.MsgYesNo2("入力済みﾃﾞｰﾀを日付順に並べ替えてから" + op + "します。" + "\r\n" + "よろしいですか？",
                            "並べ替え確認", 0) != 0) {
            restore();
            return 1;
        }
        sortNow(true);
    }
    m_dlg.MsgOn(std::string("\r\n") + "しばらくお待ちください。", op + "中...");
    const bool nonScrl = m_nonScrl;
    m_nonScrl = true;
    int r = m_sheet.ReadBlock(flag, year, month);
    m_view.ProcessEvents();
    m_nonScrl = nonScrl;
    m_dlg.MsgOff();
    if (r == 0) {
        m_history.Clear(); // another block: its lines have no history
        m_view.HideEditBox();
        CellMove(LatestBlock() ? m_sheet.LastRow() + 1 : std::max(1, m_sheet.LastRow()), kColDay);
        m_view.SetButtonsEnabled(true);
        refreshLabels();
        m_dlg.Beep();
    }
    restore();
    return r == 0 ? 0 : 1;
}

// The month typed into a date cell lies in another block: read it and put the cursor where the
// user can go on (the new-entry line of the newest block, otherwise the month's first line).
int LedgerEditor::afterMonthRead(int year, int month) {
    if (ReReadIoData(0, year, month) != 0) return 1;
    if (LatestBlock() && DateNum(year, month, 1) > m_sheet.Dates().last)
        RetNewLine();
    else
        GoToDateLine(year, month, 1);
    return 0;
}

int LedgerEditor::ForcedSaveNow(bool show) {
    bool reshown = false;
    int r = m_sheet.SaveLines(show, reshown);
    if (r == 0) m_history.Clear(); // an undo never reaches across a save
    if (reshown) cursorAfterReshow();
    refreshLabels();
    return r;
}

// Saving dropped trailing lines without amounts or put the months in order, and the lines were
// shown again: the cursor stays where it was, or starts a new line below the last.
void LedgerEditor::cursorAfterReshow() {
    const int row = m_grid.Row(), col = m_grid.Col();
    if (LatestBlock() && row > m_sheet.LastRow())
        RetNewLine();
    else
        CellMove(std::clamp(row, 1, std::max(1, m_sheet.LastRow())), col);
}

SheetCursor LedgerEditor::cursorNow() const {
    return {m_grid.Row(), m_grid.Col(), m_grid.TopRow()};
}

bool LedgerEditor::Undo() {
    return showHistory(true);
}

bool LedgerEditor::Redo() {
    return showHistory(false);
}

bool LedgerEditor::showHistory(bool undo) {
    // An entry in progress is dropped: the lines go back to a state it never belonged to.
    m_editing = false;
    m_view.HideEditBox();
    hideChoiceBoxes();
    m_input = InputCtrl::Grid;
    SheetCursor c;
    const bool done = undo ? m_history.Undo(m_sheet, c) : m_history.Redo(m_sheet, c);
    if (!done) {
        m_dlg.Beep();
        RetNowLine();
        m_view.Focus(InputCtrl::Grid);
        return false;
    }
    refreshLabels();
    const int lastRow = m_sheet.LastRow();
    CellMove(std::clamp(c.row, 1, LatestBlock() ? lastRow + 1 : std::max(1, lastRow)), c.col);
    m_grid.SetTopRow(c.topRow);
    m_grid.ScrollToShow(m_grid.Row());
    m_view.Focus(InputCtrl::Grid);
    return true;
}

} // namespace mrt
