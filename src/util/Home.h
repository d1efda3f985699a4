#pragma once
#include <string>

namespace mrt {

// The home folder holds Data1/ and Data1/BU/ and is the current folder while the program runs.
// Chosen by --home DIR, else MRTKEL_HOME, else $XDG_DATA_HOME/mrtkel when that is an absolute
// path, else ~/.local/share/mrtkel.
std::string ChooseHomeFolder(const std::string& homeOption);

// Read-only resources (TbInit/, help/): MRTKEL_SHARE when set, else <exe dir>/../share/mrtkel,
// which is the build tree's copy and the installed copy alike. Empty when none is found.
std::string FindResourceFolder(const std::string& exePath);

// The data folder of the book in use ("<home>/Data1/" unless another book was chosen, letter case
// resolved) and its backup folder.
std::string DataFolder(const std::string& home);
std::string BackupFolder(const std::string& home);
// The book in use in this process: the name of its folder in the home ("Data1", "Data2", ...).
void SetBookFolderName(const std::string& folderName);
const std::string& BookFolderName();
// The data folder of a named book folder of a home ("<home>/Data2/"), letter case resolved.
std::string BookDataFolder(const std::string& home, const std::string& folderName);

// Creates the folder and its parents; false on failure.
bool MakeFolders(const std::string& path);

} // namespace mrt
