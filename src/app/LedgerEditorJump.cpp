// Ledger editor: going to a line that a search found.
#include "app/AppState.h"
#include "app/LedgerEditor.h"
#include "grid/GridModel.h"
#include "util/Cp932.h"

namespace mrt {
namespace {

// The grid row of the slot-th line of (year, month) when the loaded block holds that month;
// 0 otherwise. Rows follow the files' order only while the block is saved as shown.
int rowOfSlot(const LedgerSheet& sheet, int year, int month, int slot) {
    for (int r = 1; r <= sheet.LastRow(); ++r) {
        const IoRecord& l = sheet.Line(r);
        if (l.Year != year || l.Month != month) continue;
        const int row = r + slot - 1;
        if (row > sheet.LastRow()) return 0;
        const IoRecord& at = sheet.Line(row);
        return at.Year == year && at.Month == month ? row : 0;
    }
    return 0;
}

bool sameLine(const IoRecord& a, const IoRecord& b) {
    return DateNum(a) == DateNum(b) && TrimRight(a.ItemName) == TrimRight(b.ItemName) &&
           TrimRight(a.Note) == TrimRight(b.Note) && TrimRight(a.ShopName) == TrimRight(b.ShopName) &&
           a.Income == b.Income && a.Expense == b.Expense;
}

} // namespace

bool LedgerEditor::JumpToLine(const SearchHit& hit) {
    const IoRecord& want = hit.line;
    const bool inFileOrder = !m_app.ledger.LedgerModified;
    int row = inFileOrder ? rowOfSlot(m_sheet, want.Year, want.Month, hit.slot) : 0;
    const bool monthLoaded = [&] {
        for (int r = 1; r <= m_sheet.LastRow(); ++r) {
            const IoRecord& l = m_sheet.Line(r);
            if (l.Year == want.Year && l.Month == want.Month) return true;
        }
        return false;
    }();
    if (!monthLoaded) {
        if (ReReadIoData(0, want.Year, want.Month) != 0) return false;
        row = rowOfSlot(m_sheet, want.Year, want.Month, hit.slot);
    }
    if (row == 0 || !sameLine(m_sheet.Line(row), want)) {
        GoToDateLine(want.Year, want.Month, want.Day);
        return false;
    }
    CellMove(row, kColDay);
    m_grid.SetTopRow(row);
    return true;
}

} // namespace mrt
