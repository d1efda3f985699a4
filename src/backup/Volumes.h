#pragma once
#include <string>
#include <vector>

namespace mrt {

// One entry of the chooser's drive list: a place a user would copy data to.
struct Volume {
    std::string root;  // the folder it starts at, without a trailing "/" ("/" for the root)
    std::string label; // the name shown
    bool removable = false;
};

// Where the volumes are read from; tests point these at files of their own.
struct VolumeSources {
    std::string mountsFile = "/proc/self/mounts";
    std::string labelFolder = "/dev/disk/by-label"; // links named by file-system label to devices
    std::string userHome;                           // the user's home folder ($HOME)
    std::vector<std::string> mediaFolders;          // removable media are mounted in these
    bool checkFolders = true;                       // drop mount points that are not folders
};

// Sources of the running system: /proc/self/mounts, $HOME, and /media/<user> and /run/media/<user>
// for the login name.
VolumeSources SystemVolumeSources();

// The drive list: the user's home folder, removable media (mounted in a media folder, or directly
// in /media),
// other mounted disks and network shares with their labels, and last the root of the file tree.
// Pseudo and system file systems (proc, tmpfs, cgroup, overlay, squashfs, /boot, /etc, ...) are
// never listed.
std::vector<Volume> ListVolumes(const VolumeSources& sources);
// The same from the text of a mounts file.
std::vector<Volume> VolumesFromMounts(const std::string& mountsText, const VolumeSources& sources);

// Index of the volume holding `folder` (the longest root that contains it); -1 when none does.
int VolumeOf(const std::string& folder, const std::vector<Volume>& volumes);

// The folder a chooser opens at for `path`: a drive name ("a:", "A:\") stands for the first
// removable medium; a path that is no folder, or a drive name without a medium, gives the user's
// home folder.
std::string StartFolderFor(const std::string& path, const std::vector<Volume>& volumes, const std::string& userHome);

} // namespace mrt
