#pragma once
#include "backup/BackupCopy.h"

#include <string>
#include <vector>

namespace mrt {

// One file of a restore: its name in the source folder, the name it takes in the data folder
// (the letter case of an existing file kept) and the bytes it brings.
struct RestoredFile {
    std::string sourceName;
    std::string targetName;
    std::string bytes;
};

// Reads the files of a restore through the loaders of a start and the checks of `check`, with the
// data folder as the restore would leave it (its other files taken as they are; nothing in it is
// written): every restored ledger year is checked by itself and read line by line as a start
// reads it, and the ledger is scanned as a start scans it; name tables, budgets (with the item
// table they will be read with) and the settings file go through their loaders. A ledger that a
// start cannot scan already is no reason to refuse. False with `failure` naming the file and
// the reason.
bool CheckRestoredFiles(const std::string& dataFolder, const std::vector<RestoredFile>& files, CopyFailure& failure);

} // namespace mrt
