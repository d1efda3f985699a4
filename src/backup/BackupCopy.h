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

// Copies `names` from the folder `source` into the folder `target` as one commit (FileBatch and
// its journal in `target`): afterwards `target` holds every new copy, or after a failure, a kill
// or a power cut its files as they were. First a commit of an earlier backup cut short there is
// finished or undone (RecoverCopyFolder); a missing `target` is created, and removed again when
// the copy fails. Copies take the source's modification time; an existing target differing only
// in letter case keeps its name. Progress goes to the open wait window (Dialogs::MsgProgress).
// `copied` receives the names copied (all or none). 0 done; -1 with `failure` filled (no message
// shown).
int BackupFilesTogether(const std::string& source, const std::string& target, const std::vector<std::string>& names,
                        Dialogs& dlg, std::vector<std::string>& copied, CopyFailure& failure);

// Copies `names` from `source` into the data folder all together or not at all. Every file is
// checked first: present and readable, no second file in `source` whose name differs only in
// letter case, of a size its kind allows, and read through the loaders and checks of a start
// (CheckRestoredFiles) with the data folder as the restore would leave it. Only then are they
// staged beside their targets and committed. An existing data file differing only in letter case
// is replaced under its own name. `dataChanged` tells whether any data file was replaced (only a
// failing final rename leaves some replaced). 0 done; -1 with `failure` filled (no message shown).
int RestoreFilesTogether(const std::string& source, const std::string& dataFolder,
                         const std::vector<std::string>& names, Dialogs& dlg, std::vector<std::string>& copied,
                         CopyFailure& failure, bool& dataChanged);

// Why a data file of this name and length cannot be restored: an empty file, a ledger year file
// ("Io" + year + ".usr") that is not a whole number of 108-byte records, a ledger information file
// ("Inf" + year + ".usr") other than twelve 10-byte records, a breakdown or shop table that is not
// whole records, a settings file shorter than its 450-byte record. Empty when the length suits the
// name (letter case ignored; other names always suit).
std::string RestoreSizeProblem(const std::string& name, int64_t length);

} // namespace mrt
