#include "recording/Volumes.h"

#include "ScriptedVolumes.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <sys/statvfs.h>

namespace ondrix {
namespace {

// Pseudo file systems listed as volumes, an escaped blank left in a mount point, or a path matched to a
// mount point that is only a prefix of its name ("/home" for "/homework").
TEST(Volumes, MountsListedAndMatched) {
    const std::string mounts = "sysfs /sys sysfs rw 0 0\n"
                               "proc /proc proc rw 0 0\n"
                               "/dev/sda2 / ext4 rw 0 0\n"
                               "tmpfs /tmp tmpfs rw 0 0\n"
                               "overlay /var/lib/x overlay rw 0 0\n"
                               "/dev/sdb1 /media/field\\040data vfat rw 0 0\n"
                               "/dev/sda2 /home ext4 rw 0 0\n"
                               "server:/export /mnt/nas nfs4 rw 0 0\n"
                               "/dev/loop3 /snap/core squashfs ro 0 0\n"
                               "garbage\n";
    const auto points = StorageMountPoints(mounts);
    EXPECT_EQ(points, (std::vector<std::string>{"/", "/home/", "/media/field data/", "/mnt/nas/"}));
    EXPECT_EQ(MountPointOf("/home/ann/rec/", points), "/home/");
    EXPECT_EQ(MountPointOf("/homework/rec", points), "/");
    EXPECT_EQ(MountPointOf("/media/field data", points), "/media/field data/");
}

// A unit error in the free space, a folder not yet made left unmeasured, or Writable not making it.
TEST(Volumes, FreeSpaceOfARealFolder) {
    TempFolder folder;
    struct statvfs info {};
    ASSERT_EQ(statvfs(folder.Path().c_str(), &info), 0);
    const auto free = GetDiskFreeKB(folder.Path());
    ASSERT_TRUE(free.has_value());
    const uint64_t expected = static_cast<uint64_t>(info.f_bavail) * info.f_frsize / 1024U;
    // Other programs may write meanwhile: allow a little drift, never a unit error.
    EXPECT_NEAR(static_cast<double>(*free), static_cast<double>(expected), 65536.0);
    // A folder not created yet is measured on its parent.
    EXPECT_TRUE(GetDiskFreeKB(folder.Path() + "not/yet/there/").has_value());

    EXPECT_TRUE(LocalVolumes().Writable(folder.Path() + "deep/new/"));
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() + "deep/new/"));
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path() + "deep/new/"));
}

// Spanning onto an unwritable or too small volume, trying more volumes than allowed, or losing the path.
TEST(Volumes, NextVolumeWithSpaceKeepsThePath) {
    ScriptedVolumes system;
    system.volumes["/"] = {.freeKB = 50, .writable = true};
    system.volumes["/media/a/"] = {.freeKB = 5000, .writable = false};
    system.volumes["/media/b/"] = {.freeKB = 300, .writable = true};
    system.volumes["/media/c/"] = {.freeKB = 9000, .writable = true};
    // The folder's own volume when it has room.
    auto choice = FindDriveWithSpace(system, "/media/c/bats/night", 1000, 1);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->folder, "/media/c/bats/night/");
    EXPECT_EQ(choice->freeKB, 9000U);

    // Only one volume tried: no room, nothing found.
    EXPECT_FALSE(FindDriveWithSpace(system, "/rec/bats/", 1000, 1));
    // Spanning skips the unwritable and the small volume and keeps the path below the root.
    choice = FindDriveWithSpace(system, "/rec/bats/", 1000, 9);
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->folder, "/media/c/rec/bats/");
    // Three volumes tried stop before the fourth; the last volume has no next.
    EXPECT_FALSE(FindDriveWithSpace(system, "/rec/bats/", 1000, 3));
    EXPECT_FALSE(FindDriveWithSpace(system, "/media/c/x/", 10000, 9));
    EXPECT_EQ(NextVolumeFolder(system, "/media/a/x/y"), "/media/b/x/y/");
    EXPECT_FALSE(NextVolumeFolder(system, "/media/c/x/"));
    // Free space must exceed what is needed.
    EXPECT_FALSE(FindDriveWithSpace(system, "/media/b/", 300, 1));
}

} // namespace
} // namespace ondrix
