#include "ledger/SheetHistory.h"

#include "ledger/LedgerIndex.h"

#include <algorithm>

namespace mrt {
namespace {

// What one line costs in memory: the record, its texts' heap blocks beyond the small-string room,
// the shared pointer's control block and the version's pointer to it.
size_t rowBytes(const IoRecord& line) {
    size_t bytes = sizeof(IoRecord) + 32 + sizeof(std::shared_ptr<const IoRecord>);
    for (const std::string* t : {&line.ItemName, &line.Note, &line.ShopName})
        if (t->capacity() > 15) bytes += t->capacity() + 1;
    return bytes;
}

} // namespace

SheetVersion SheetHistory::Take(const LedgerSheet& sheet, const SheetVersion* like) {
    const std::vector<IoRecord>& lines = sheet.Lines();
    SheetVersion p;
    p.rows.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        if (like && i < like->rows.size() && *like->rows[i] == lines[i]) {
            p.rows.push_back(like->rows[i]);
            continue;
        }
        auto row = std::make_shared<const IoRecord>(lines[i]);
        p.ownBytes += rowBytes(*row);
        p.rows.push_back(std::move(row));
    }
    const LedgerState& ledger = sheet.Ledger();
    p.preSort = ledger.PreSortF;
    p.modified = ledger.LedgerModified;
    return p;
}

void SheetHistory::Show(LedgerSheet& sheet, const SheetVersion& version) {
    std::vector<IoRecord> lines;
    lines.reserve(version.rows.size());
    for (const auto& row : version.rows)
        lines.push_back(*row);
    sheet.ShowLines(std::move(lines));
    sheet.Ledger().PreSortF = version.preSort;
    sheet.Ledger().LedgerModified = version.modified;
}

bool SheetHistory::Same(const SheetVersion& a, const SheetVersion& b) {
    // `modified` travels with the lines but is no change of its own (a value stored again).
    if (a.preSort != b.preSort || a.rows.size() != b.rows.size()) return false;
    for (size_t i = 0; i < a.rows.size(); ++i)
        if (a.rows[i] != b.rows[i] && *a.rows[i] != *b.rows[i]) return false;
    return true;
}

void SheetHistory::Begin(const LedgerSheet& sheet, const SheetCursor& cursor) {
    SheetVersion now = Take(sheet, m_states.empty() ? nullptr : &m_states[m_current]);
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
    SheetVersion now = Take(sheet, &m_states[m_current]);
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
    // The new first version now owns the lines it shared with the one dropped: count them all.
    SheetVersion& first = m_states[0];
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
