#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace mrt {

class Dialogs;

// Why a copy stopped: the file it concerns and the reason in words for the user.
struct CopyFailure {
    std::string file;
    std::string reason;
};

// Copies `names` from the folder `source` into the folder `target`, each file whole: written to a
// temporary file, flushed and renamed over its target (an existing target differing only in letter
// case keeps its name), then given the source's modification time. Stops at the first failure;
// files copied before it stay, whole. Progress goes to the open wait window (Dialogs::MsgProgress).
// `copied` receives the names copied. 0 done; -1 with `failure` filled (no message shown).
int CopyFilesWhole(const std::string& source, const std::string& target, const std::vector<std::string>& names,
                   Dialogs& dlg, std::vector<std::string>& copied, CopyFailure& failure);

// Copies `names` from `source` into the data folder all together or not at all. Every file is
// checked first (present, readable, of a size its kind allows, no two names the same but for
// letter case) and staged beside its target before the first one is replaced. An existing data
// file differing only in letter case is replaced under its own name. `dataChanged` tells whether
// any data file was replaced (only a failing final rename leaves some replaced). 0 done; -1 with
// `failure` filled (no message shown).
int RestoreFilesTogether(const std::string& source, const std::string& dataFolder,
                         const std::vector<std::string>& names, Dialogs& dlg, std::vector<std::string>& copied,
                         CopyFailure& failure, bool& dataChanged);

// Why a data file of this name and length cannot be restored: a ledger year file ("Io" + year +
// ".usr") that is not a whole number of 108-byte records, a ledger information file ("Inf" + year
// + ".usr") other than twelve 10-byte records, a breakdown or shop table that is not whole
// records. Empty when the length suits the name (letter case ignored; other names always suit).
std::string RestoreSizeProblem(const std::string& name, int64_t length);

} // namespace mrt
