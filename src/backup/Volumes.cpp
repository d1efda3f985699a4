#include "backup/Volumes.h"

#include "util/Paths.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <pwd.h>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace mrt {
namespace {

// File systems that hold no user data or are system images.
const std::set<std::string> kPseudoTypes = {
    "proc",       "sysfs",           "tmpfs",       "ramfs",      "devtmpfs", "devpts",   "cgroup",   "cgroup2",
    "securityfs", "pstore",          "bpf",         "debugfs",    "tracefs",  "configfs", "fusectl",  "mqueue",
    "hugetlbfs",  "autofs",          "binfmt_misc", "overlay",    "squashfs", "nsfs",     "efivarfs", "rpc_pipefs",
    "selinuxfs",  "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs", "nfsd",     "aufs",     "zram"};
// Shares without a device path that a user may still copy to.
const std::set<std::string> kNetworkTypes = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "9p"};
// System folders: a disk mounted at or below one is not the user's.
const char* const kSystemFolders[] = {"/proc", "/sys", "/dev", "/run", "/boot", "/etc",  "/var",
                                      "/snap", "/usr", "/opt", "/lib", "/bin",  "/sbin", "/root"};

bool isOctal(char c) {
    return c >= '0' && c <= '7';
}

// Undoes the octal escapes of /proc/self/mounts ("\040" for a blank).
std::string unescapeOctal(const std::string& s) {
    std::string r;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && isOctal(s[i + 1]) && isOctal(s[i + 2]) && isOctal(s[i + 3])) {
            r += static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0'));
            i += 3;
        } else {
            r += s[i];
        }
    }
    return r;
}

// Undoes the "\x20" escapes of /dev/disk/by-label names.
std::string unescapeHex(const std::string& s) {
    std::string r;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(s[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 3]))) {
            r += static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            r += s[i];
        }
    }
    return r;
}

std::string withoutTrailingSlash(std::string p) {
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    return p;
}

// True when `path` is `folder` or lies below it.
bool isWithin(const std::string& path, const std::string& folder) {
    if (folder == "/") return !path.empty() && path[0] == '/';
    return path == folder ||
           (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/');
}

std::string baseName(const std::string& path) {
    size_t p = path.rfind('/');
    return p == std::string::npos ? path : path.substr(p + 1);
}

// Device path (lexically normalised) → label, from the links of the label folder.
std::vector<std::pair<std::string, std::string>> readLabels(const std::string& folder) {
    std::vector<std::pair<std::string, std::string>> labels;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return labels;
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        std::error_code ec;
        std::filesystem::path target = std::filesystem::read_symlink(std::filesystem::path(folder) / name, ec);
        if (ec) continue;
        if (target.is_relative()) target = std::filesystem::path(folder) / target;
        labels.emplace_back(target.lexically_normal().string(), unescapeHex(name));
    }
    ::closedir(dir);
    return labels;
}

bool isFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

VolumeSources SystemVolumeSources() {
    VolumeSources s;
    const char* home = std::getenv("HOME");
    const passwd* pw = ::getpwuid(::getuid());
    s.userHome = home && *home ? home : (pw && pw->pw_dir ? pw->pw_dir : "/");
    std::string user = pw && pw->pw_name ? pw->pw_name : "";
    if (user.empty())
        if (const char* u = std::getenv("USER")) user = u;
    if (!user.empty()) s.mediaFolders = {"/media/" + user, "/run/media/" + user};
    return s;
}

std::vector<Volume> VolumesFromMounts(const std::string& mountsText, const VolumeSources& sources) {
    const std::string home = withoutTrailingSlash(sources.userHome.empty() ? "/" : sources.userHome);
    const auto labels = readLabels(sources.labelFolder);
    auto labelOf = [&labels](const std::string& device) -> std::string {
        const std::string dev = std::filesystem::path(device).lexically_normal().string();
        for (const auto& [d, l] : labels)
            if (d == dev) return l;
        return {};
    };
    std::vector<std::string> mediaFolders;
    for (const std::string& m : sources.mediaFolders)
        mediaFolders.push_back(withoutTrailingSlash(m));

    std::vector<Volume> removable, others;
    auto forget = [](std::vector<Volume>& list, const std::string& root) {
        list.erase(std::remove_if(list.begin(), list.end(), [&](const Volume& v) { return v.root == root; }),
                   list.end());
    };
    std::istringstream in(mountsText);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string device, point, type;
        if (!(fields >> device >> point >> type)) continue;
        point = withoutTrailingSlash(unescapeOctal(point));
        device = unescapeOctal(device);
        if (kPseudoTypes.count(type)) continue;
        const bool network = kNetworkTypes.count(type) > 0;
        if (!network && (device.empty() || device[0] != '/')) continue;
        if (sources.checkFolders && !isFolder(point)) continue;
        // A later mount on the same folder hides the earlier one.
        forget(removable, point);
        forget(others, point);

        bool media = false;
        for (const std::string& m : mediaFolders)
            media = media || (isWithin(point, m) && point != m);
        if (!media && isWithin(point, "/media") && point != "/media" && point.find('/', 7) == std::string::npos)
            media = true; // systems that mount media at /media/<label>
        if (media) {
            std::string label = labelOf(device);
            removable.push_back({point, label.empty() ? baseName(point) : label, true});
            continue;
        }
        if (point == "/" || isWithin(home, point)) continue; // the root comes last; home is listed first
        bool system = false;
        for (const char* f : kSystemFolders)
            system = system || isWithin(point, f);
        if (system) continue;
        std::string label = labelOf(device);
        others.push_back({point, label.empty() ? baseName(point) : label, false});
    }

    std::vector<Volume> volumes;
    volumes.push_back({home, "ホーム", false});
    volumes.insert(volumes.end(), removable.begin(), removable.end());
    volumes.insert(volumes.end(), others.begin(), others.end());
    if (home != "/") volumes.push_back({"/", "コンピュータ", false});
    return volumes;
}

std::vector<Volume> ListVolumes(const VolumeSources& sources) {
    std::string text;
    ReadWholeFile(sources.mountsFile, text); // unreadable: only the home folder and the root
    return VolumesFromMounts(text, sources);
}

int VolumeOf(const std::string& folder, const std::vector<Volume>& volumes) {
    int best = -1;
    for (size_t i = 0; i < volumes.size(); ++i) {
        if (!isWithin(folder, volumes[i].root)) continue;
        if (best < 0 || volumes[i].root.size() > volumes[static_cast<size_t>(best)].root.size())
            best = static_cast<int>(i);
    }
    return best;
}

std::string StartFolderFor(const std::string& path, const std::vector<Volume>& volumes, const std::string& userHome) {
    const bool driveName = path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0])) &&
                           path.find_first_not_of("\\/", 2) == std::string::npos;
    if (driveName) {
        for (const Volume& v : volumes)
            if (v.removable && isFolder(v.root)) return v.root;
        return userHome;
    }
    if (!path.empty() && isFolder(path)) return withoutTrailingSlash(path);
    return userHome;
}

} // namespace mrt
