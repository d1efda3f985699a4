// The chooser's drive list from a mounts file, its start folder, and the home folder's settings.
#include "backup/Volumes.h"
#include "support/TempDir.h"
#include "util/HomeSettings.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace mrt;
using namespace mrt::test;
namespace fs = std::filesystem;

namespace {

VolumeSources sourcesFor(const std::string& home, const std::string& labels = "/nonexistent") {
    VolumeSources s;
    s.userHome = home;
    s.mediaFolders = {"/media/hana", "/run/media/hana"};
    s.labelFolder = labels;
    s.checkFolders = false;
    return s;
}

std::vector<std::string> roots(const std::vector<Volume>& v) {
    std::vector<std::string> r;
    for (const Volume& x : v)
        r.push_back(x.root);
    return r;
}

// A mounts file as a desktop system has it: pseudo file systems, the system disk, snaps, a USB
// stick with a blank in its label, a second disk, a network share and a disk under /home.
const char* const kMounts = R"(sysfs /sys sysfs rw,nosuid,nodev,noexec,relatime 0 0
proc /proc proc rw,nosuid,nodev,noexec,relatime 0 0
udev /dev devtmpfs rw,nosuid,relatime 0 0
tmpfs /run tmpfs rw,nosuid,nodev,noexec,relatime 0 0
/dev/nvme0n1p2 / ext4 rw,relatime 0 0
/dev/nvme0n1p1 /boot/efi vfat rw,relatime 0 0
/dev/nvme0n1p3 /home ext4 rw,relatime 0 0
cgroup2 /sys/fs/cgroup cgroup2 rw 0 0
/dev/loop3 /snap/core22/1380 squashfs ro,nodev,relatime 0 0
tmpfs /run/user/1000 tmpfs rw,nosuid,nodev,relatime 0 0
gvfsd-fuse /run/user/1000/gvfs fuse.gvfsd-fuse rw 0 0
/dev/sdb1 /media/hana/KAKEIBO\040USB vfat rw,nosuid,nodev 0 0
/dev/sdc1 /mnt/data ext4 rw,relatime 0 0
nas:/export/backup /mnt/nas nfs4 rw,relatime 0 0
/dev/sdd1 /run/media/hana/SD vfat rw 0 0
overlay /var/lib/docker/overlay2/abc/merged overlay rw 0 0
/dev/nvme0n1p2 /etc/hosts ext4 rw 0 0
)";

} // namespace

TEST(Volumes, OnlyPlacesAUserWouldPickAreListed) {
    const auto v = VolumesFromMounts(kMounts, sourcesFor("/home/hana"));
    EXPECT_EQ(roots(v), (std::vector<std::string>{"/home/hana", "/media/hana/KAKEIBO USB", "/run/media/hana/SD",
                                                  "/mnt/data", "/mnt/nas", "/"}));
    EXPECT_EQ(v[0].label, "ホーム");
    EXPECT_EQ(v[1].label, "KAKEIBO USB");
    EXPECT_TRUE(v[1].removable);
    EXPECT_TRUE(v[2].removable);
    EXPECT_FALSE(v[3].removable);
    EXPECT_EQ(v[4].label, "nas");
    EXPECT_EQ(v.back().label, "コンピュータ");
}

TEST(Volumes, LabelsComeFromTheLabelLinksAndALaterMountHidesAnEarlierOne) {
    TempDir dev;
    fs::create_directories(dev / "disk/by-label");
    fs::create_symlink("../../sdc1", dev / "disk/by-label/DATA\\x20DISK");
    const std::string mounts =
        dev / "sdc1 /mnt/data ext4 rw 0 0\n" + "/dev/sde1 /mnt/old ext4 rw 0 0\n" + "/dev/sdf1 /mnt/old xfs rw 0 0\n";
    const auto v = VolumesFromMounts(mounts, sourcesFor("/home/hana", dev / "disk/by-label"));
    ASSERT_EQ(roots(v), (std::vector<std::string>{"/home/hana", "/mnt/data", "/mnt/old", "/"}));
    EXPECT_EQ(v[1].label, "DATA DISK");
    EXPECT_EQ(v[2].label, "old");
}

TEST(Volumes, MountPointsThatAreNoFoldersAreDropped) {
    TempDir t;
    fs::create_directories(t / "disk");
    VolumeSources s = sourcesFor(t / "home");
    s.checkFolders = true;
    s.mountsFile = t / "mounts";
    WriteBytes(s.mountsFile, "/dev/sdx1 " + t / "disk" + " ext4 rw 0 0\n/dev/sdx2 " + t / "gone" + " ext4 rw 0 0\n");
    EXPECT_EQ(roots(ListVolumes(s)), (std::vector<std::string>{t / "home", t / "disk", "/"}));
    s.mountsFile = t / "missing";
    EXPECT_EQ(roots(ListVolumes(s)), (std::vector<std::string>{t / "home", "/"}));
}

TEST(Volumes, VolumeOfTakesTheLongestRootOnWholeNames) {
    const auto v = VolumesFromMounts(kMounts, sourcesFor("/home/hana"));
    EXPECT_EQ(VolumeOf("/media/hana/KAKEIBO USB/2024", v), 1);
    EXPECT_EQ(VolumeOf("/home/hana/doc", v), 0);
    EXPECT_EQ(VolumeOf("/home/hanako", v), 5); // not below /home/hana
    EXPECT_EQ(VolumeOf("/mnt/database", v), 5);
    EXPECT_EQ(VolumeOf("relative", v), -1);
}

TEST(Volumes, ADriveNameStartsOnTheFirstMediumElseInTheHomeFolder) {
    TempDir t;
    fs::create_directories(t / "home");
    fs::create_directories(t / "media/hana/STICK");
    fs::create_directories(t / "elsewhere");
    VolumeSources s = sourcesFor(t / "home");
    s.mediaFolders = {t / "media/hana"};
    const std::string stick = "/dev/sdb1 " + t / "media/hana/STICK" + " vfat rw 0 0\n";
    const auto with = VolumesFromMounts(stick, s);
    const auto without = VolumesFromMounts("", s);
    EXPECT_EQ(StartFolderFor("a:", with, t / "home"), t / "media/hana/STICK");
    EXPECT_EQ(StartFolderFor("A:\\", with, t / "home"), t / "media/hana/STICK");
    EXPECT_EQ(StartFolderFor("a:", without, t / "home"), t / "home");
    EXPECT_EQ(StartFolderFor(t / "elsewhere/", with, t / "home"), t / "elsewhere");
    EXPECT_EQ(StartFolderFor(t / "missing", with, t / "home"), t / "home");
    EXPECT_EQ(StartFolderFor("", with, t / "home"), t / "home");
}

TEST(HomeSettings, ASettingIsReplacedAndTheOtherLinesKept) {
    TempDir home;
    EXPECT_EQ(ReadHomeSetting(home.path(), "LastBackupFolder"), "");
    WriteBytes(home / kHomeSettingsFileName, "# kept\nOther=1\n");
    ASSERT_TRUE(WriteHomeSetting(home.path(), "LastBackupFolder", "/media/hana/USB A"));
    ASSERT_TRUE(WriteHomeSetting(home.path(), "LastBackupFolder", "/mnt/data"));
    EXPECT_EQ(ReadHomeSetting(home.path(), "LastBackupFolder"), "/mnt/data");
    EXPECT_EQ(ReadHomeSetting(home.path(), "Other"), "1");
    EXPECT_EQ(ReadBytes(home / kHomeSettingsFileName), "# kept\nOther=1\nLastBackupFolder=/mnt/data\n");
    EXPECT_FALSE(WriteHomeSetting(home.path(), "Key", "two\nlines"));
    EXPECT_FALSE(WriteHomeSetting(home / "missing", "Key", "v"));
}
