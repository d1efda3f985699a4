#pragma once
#include "ledger/LedgerSheet.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace mrt {

// The lines of the sheet at one moment (one version of the block), with the flags that travel
// with them. Lines are shared between versions when they are equal, so a hundred versions of a
// full block cost little more than one.
struct SheetVersion {
    std::vector<std::shared_ptr<const IoRecord>> rows; // lines 1..LastRow()
    bool preSort = false;
    bool modified = false;
    size_t ownBytes = 0; // about what the lines this version does not share with its model cost
};

// Where the cursor stood (grid row and column, top row of the view).
struct SheetCursor {
    int row = 1, col = 1, topRow = 1;
};

// Undo and redo of the changes to the lines of the loaded block. A change is bracketed by Begin
// and End; it becomes one step when the lines or their flags differ afterwards. Undo shows the
// lines before the step with the cursor where it stood; Redo shows them after it. The history
// covers one loaded block: Clear it when the block is saved or replaced. A change made between
// steps without Begin/End (which the history cannot undo) starts the history afresh from it.
// The new-entry row is not part of a version: a line exists from its first amount on.
class SheetHistory {
public:
    // At most `maxSteps` steps and about `maxBytes` of versions; the oldest steps go first.
    explicit SheetHistory(size_t maxSteps = 100, size_t maxBytes = 20u << 20)
        : m_maxSteps(maxSteps), m_maxBytes(maxBytes) {}

    void Begin(const LedgerSheet& sheet, const SheetCursor& cursor);
    void End(const LedgerSheet& sheet, const SheetCursor& cursor);
    // False when there is nothing to undo / redo; `cursor` out: where the cursor goes.
    bool Undo(LedgerSheet& sheet, SheetCursor& cursor);
    bool Redo(LedgerSheet& sheet, SheetCursor& cursor);
    void Clear();

    size_t UndoSteps() const { return m_current; }
    // About what the versions held cost in memory.
    size_t Bytes() const { return m_bytes; }
    size_t RedoSteps() const { return m_states.size() - 1 - m_current; }

    // The sheet's lines and flags as a version; lines equal to those of `like` share its lines.
    static SheetVersion Take(const LedgerSheet& sheet, const SheetVersion* like = nullptr);
    // Makes a version's lines the sheet's lines and shows them (LedgerSheet::ShowLines); the flags
    // are taken from it.
    static void Show(LedgerSheet& sheet, const SheetVersion& version);
    // Same lines and sort flag (the modified flag is not compared).
    static bool Same(const SheetVersion& a, const SheetVersion& b);

private:
    struct Step {
        SheetCursor before, after;
    };
    void dropOldest();
    size_t m_maxSteps;
    size_t m_maxBytes;
    size_t m_bytes = 0; // sum of the versions' ownBytes
    // m_states[0..n]: the lines before the first step and after each step; m_steps[i] leads from
    // m_states[i] to m_states[i + 1]. Empty until the first Begin.
    std::vector<SheetVersion> m_states;
    std::vector<Step> m_steps;
    size_t m_current = 0;
    bool m_open = false;
    SheetCursor m_beginCursor;
};

} // namespace mrt
