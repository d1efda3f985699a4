#pragma once
#include "ledger/LedgerSheet.h"

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace mrt {

// The cell texts of one line of the sheet (data columns 1..kLedgerDataCols).
using SheetRowTexts = std::array<std::string, kLedgerDataCols>;

// The lines of the sheet at one moment, with the flags that travel with them. Rows are shared
// between pictures when their texts are equal, so a hundred pictures of a full block cost little
// more than one.
struct SheetPicture {
    std::vector<std::shared_ptr<const SheetRowTexts>> rows; // lines 1..LastRow()
    bool preSort = false;
    bool modified = false;
    size_t ownBytes = 0; // about what the rows this picture does not share with its model cost
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
// The new-entry row is not part of a picture: a line exists from its first amount on.
class SheetHistory {
public:
    // At most `maxSteps` steps and about `maxBytes` of pictures; the oldest steps go first.
    explicit SheetHistory(size_t maxSteps = 100, size_t maxBytes = 20u << 20)
        : m_maxSteps(maxSteps), m_maxBytes(maxBytes) {}

    void Begin(const LedgerSheet& sheet, const SheetCursor& cursor);
    void End(const LedgerSheet& sheet, const SheetCursor& cursor);
    // False when there is nothing to undo / redo; `cursor` out: where the cursor goes.
    bool Undo(LedgerSheet& sheet, SheetCursor& cursor);
    bool Redo(LedgerSheet& sheet, SheetCursor& cursor);
    void Clear();

    size_t UndoSteps() const { return m_current; }
    // About what the pictures held cost in memory.
    size_t Bytes() const { return m_bytes; }
    size_t RedoSteps() const { return m_states.size() - 1 - m_current; }

    // The sheet's lines and flags as a picture; rows equal to those of `like` share its rows.
    static SheetPicture Take(const LedgerSheet& sheet, const SheetPicture* like = nullptr);
    // Shows a picture: its lines in rows 1..n, the rows below up to the old new-entry row blanked,
    // the line count, dates and flags taken from it.
    static void Show(LedgerSheet& sheet, const SheetPicture& picture);
    // Same lines and sort flag (the modified flag is not compared).
    static bool Same(const SheetPicture& a, const SheetPicture& b);

private:
    struct Step {
        SheetCursor before, after;
    };
    void dropOldest();
    size_t m_maxSteps;
    size_t m_maxBytes;
    size_t m_bytes = 0; // sum of the pictures' ownBytes
    // m_states[0..n]: the lines before the first step and after each step; m_steps[i] leads from
    // m_states[i] to m_states[i + 1]. Empty until the first Begin.
    std::vector<SheetPicture> m_states;
    std::vector<Step> m_steps;
    size_t m_current = 0;
    bool m_open = false;
    SheetCursor m_beginCursor;
};

} // namespace mrt
