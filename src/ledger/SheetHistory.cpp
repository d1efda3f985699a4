#include "ledger/SheetHistory.h"

#include "grid/GridModel.h"
#include "ledger/LedgerIndex.h"

#include <algorithm>

namespace mrt {
namespace {

// What one row costs in memory: the texts, their heap blocks beyond the small-string room, the
// shared pointer's control block and the picture's pointer to it.
size_t rowBytes(const SheetRowTexts& texts) {
    size_t bytes = sizeof(SheetRowTexts) + 32 + sizeof(std::shared_ptr<const SheetRowTexts>);
    for (const std::string& t : texts)
        if (t.capacity() > 15) bytes += t.capacity() + 1;
    return bytes;
}

} // namespace

SheetPicture SheetHistory::Take(const LedgerSheet& sheet, const SheetPicture* like) {
    const GridModel& grid = sheet.Grid();
    const int n = sheet.LastRow();
    SheetPicture p;
    p.rows.reserve(static_cast<size_t>(n));
    for (int r = 1; r <= n; ++r) {
        SheetRowTexts texts;
        for (int c = 1; c <= kLedgerDataCols; ++c)
            texts[static_cast<size_t>(c - 1)] = grid.TextMatrix(r, c);
        const size_t i = static_cast<size_t>(r - 1);
        if (like && i < like->rows.size() && *like->rows[i] == texts) {
            p.rows.push_back(like->rows[i]);
            continue;
        }
        p.ownBytes += rowBytes(texts);
        p.rows.push_back(std::make_shared<const SheetRowTexts>(std::move(texts)));
    }
    const LedgerState& ledger = sheet.Ledger();
    p.preSort = ledger.PreSortF;
    p.modified = ledger.LedgerModified;
    return p;
}

void SheetHistory::Show(LedgerSheet& sheet, const SheetPicture& picture) {
    GridModel& grid = sheet.Grid();
    const int n = static_cast<int>(picture.rows.size());
    const int oldEntryRow = sheet.NewEntryRow();
    sheet.AdoptLines(n);
    const bool redraw = grid.Redraw();
    grid.SetRedraw(false);
    for (int r = 1; r <= n; ++r)
        for (int c = 1; c <= kLedgerDataCols; ++c)
            grid.SetTextMatrix(r, c, (*picture.rows[static_cast<size_t>(r - 1)])[static_cast<size_t>(c - 1)]);
    for (int r = n + 1; r <= std::min(std::max(oldEntryRow, n + 1), grid.Rows() - 1); ++r)
        BlankGridRow(grid, r);
    grid.SetRedraw(redraw);
    sheet.Ledger().PreSortF = picture.preSort;
    sheet.Ledger().LedgerModified = picture.modified;
}

bool SheetHistory::Same(const SheetPicture& a, const SheetPicture& b) {
    // `modified` travels with the lines but is no change of its own (a value stored again).
    if (a.preSort != b.preSort || a.rows.size() != b.rows.size()) return false;
    for (size_t i = 0; i < a.rows.size(); ++i)
        if (a.rows[i] != b.rows[i] && *a.rows[i] != *b.rows[i]) return false;
    return true;
}

void SheetHistory::Begin(const LedgerSheet& sheet, const SheetCursor& cursor) {
    SheetPicture now = Take(sheet, m_states.empty() ? nullptr : &m_states[m_current]);
    // The lines changed in a way the history did not see: it cannot undo across that.
    if (m_states.empty() || !Same(now, m_states[m_current])) {
        Clear();
        m_bytes = now.ownBytes;
        m_states.push_back(std::move(now));
    }
    m_beginCursor = cursor;
    m_open = true;
}

void SheetHistory::End(const LedgerSheet& sheet, const SheetCursor& cursor) {
    if (!m_open) return; // cleared in between (the block was saved or replaced)
    m_open = false;
    SheetPicture now = Take(sheet, &m_states[m_current]);
    if (Same(now, m_states[m_current])) return;
    while (m_states.size() > m_current + 1) {
        m_bytes -= m_states.back().ownBytes;
        m_states.pop_back();
    }
    m_steps.resize(m_current);
    m_bytes += now.ownBytes;
    m_states.push_back(std::move(now));
    m_steps.push_back({m_beginCursor, cursor});
    ++m_current;
    while (!m_steps.empty() && (m_steps.size() > m_maxSteps || (m_bytes > m_maxBytes && m_steps.size() > 1)))
        dropOldest();
}

void SheetHistory::dropOldest() {
    m_bytes -= m_states[0].ownBytes + m_states[1].ownBytes;
    m_states.erase(m_states.begin());
    m_steps.erase(m_steps.begin());
    --m_current;
    // The new first picture now owns the rows it shared with the one dropped: count them all.
    SheetPicture& first = m_states[0];
    first.ownBytes = 0;
    for (const auto& row : first.rows)
        first.ownBytes += rowBytes(*row);
    m_bytes += first.ownBytes;
}

bool SheetHistory::Undo(LedgerSheet& sheet, SheetCursor& cursor) {
    if (m_current == 0) return false;
    // An unseen change since the last step would be lost silently: refuse, and start afresh.
    if (!Same(Take(sheet, &m_states[m_current]), m_states[m_current])) {
        Clear();
        return false;
    }
    --m_current;
    Show(sheet, m_states[m_current]);
    cursor = m_steps[m_current].before;
    return true;
}

bool SheetHistory::Redo(LedgerSheet& sheet, SheetCursor& cursor) {
    if (m_states.empty() || m_current + 1 >= m_states.size()) return false;
    if (!Same(Take(sheet, &m_states[m_current]), m_states[m_current])) {
        Clear();
        return false;
    }
    cursor = m_steps[m_current].after;
    ++m_current;
    Show(sheet, m_states[m_current]);
    return true;
}

void SheetHistory::Clear() {
    m_bytes = 0;
    m_states.clear();
    m_steps.clear();
    m_current = 0;
    m_open = false;
}

} // namespace mrt
