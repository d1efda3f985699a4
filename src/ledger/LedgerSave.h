#pragma once
#include "ledger/LedgerIndex.h"

#include <cstdint>

namespace mrt {

class Dialogs;
class FileBatch;

// Writes st.block into the month regions of the year files and updates the information files,
// all through one FileBatch: either every changed file is replaced or none is. Months of the
// block's previous range that no longer hold lines are cleared, and when later months exist the
// balances of all their lines are carried forward from the block's last line.
// A block whose months are out of order is first sorted (SortBlock). On success st.index and the
// block fields are updated, LedgerModified is cleared and the result is 0. On failure a message
// is shown, the result is -1, nothing on disk has changed and st.index is as before.
// With `batch` the files are only staged into it: the caller commits it together with files of
// its own, and st is updated as if the commit had succeeded.
int SaveLedgerBlock(LedgerState& st, Dialogs& dlg, FileBatch* batch = nullptr);

// Saves the block at once when it is modified.
// With `show` the outcome ("完了しました。" / "すでに最終データが書込まれています。") is shown for
// 1.5 seconds in the wait window titled "強制保存". -1 when the save failed, else 0.
int ForcedSave(LedgerState& st, Dialogs& dlg, bool show);

} // namespace mrt
