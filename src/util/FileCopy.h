#pragma once
#include <string>
#include <vector>

namespace mrt {

class Dialogs;

// Names of the files in `folder` that match the wildcard `pattern` ("*", "?"; letter case
// ignored) and are longer than 0 bytes (or of any length, withEmpty), sorted by name. Returns the
// count, or -1 when the folder cannot be entered.
int ListFiles(const std::string& folder, const std::string& pattern, std::vector<std::string>& names,
              bool withEmpty = false);

// True when `name` matches the wildcard `pattern` without regard to case.
bool WildcardMatch(const std::string& pattern, const std::string& name);

// Names of the files of `sourceFolder` matching `pattern` (its file part) that CopyChangedFiles
// would copy into `targetFolder`: those whose target is missing or has another last-modified time.
// The count, or -1 when a folder cannot be read.
int ListChangedFiles(const std::string& pattern, const std::string& sourceFolder, const std::string& targetFolder,
                     std::vector<std::string>& names);

// Copies the files of `sourceFolder` matching `pattern` (its file part) into `targetFolder`,
// skipping those whose target has the same last-modified time. Copies keep the source's time, so a
// second run copies nothing. A target differing only in case is overwritten, never doubled. Each
// target is replaced whole or not at all (ReplaceWithCopies: all copies are flushed before the
// first is renamed over its target). 0 done; -1 failed after the message
// "ファイルの複写に失敗しました。" (files renamed into place before the error stay copied).
int CopyChangedFiles(const std::string& pattern, const std::string& sourceFolder, const std::string& targetFolder,
                     Dialogs& dlg);

} // namespace mrt
