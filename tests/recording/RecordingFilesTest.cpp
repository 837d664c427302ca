// The recording files: their header bytes, their names from the options, and the volumes they go to.
#include "recording/FileNaming.h"
#include "recording/Volumes.h"
#include "recording/WavHeader.h"

#include "ScriptedVolumes.h"
#include "TempFolder.h"
#include "support/ByteFiles.h"

#include <gtest/gtest.h>

#include <ctime>
#include <sys/statvfs.h>

namespace ondrix {
namespace {

// The header of a stereo 48 kHz file of 44 + 400 bytes, written out by hand.
const std::vector<uint8_t> kStereo48k444 = {'R',  'I',  'F',  'F',  0xB4, 0x01, 0x00, 0x00, 'W',  'A',  'V',
                                            'E',  'f',  'm',  't',  ' ',  0x10, 0x00, 0x00, 0x00, 0x01, 0x00,
                                            0x02, 0x00, 0x80, 0xBB, 0x00, 0x00, 0x00, 0xEE, 0x02, 0x00, 0x04,
                                            0x00, 0x10, 0x00, 'd',  'a',  't',  'a',  0x90, 0x01, 0x00, 0x00};

// Wrong bytes, sizes that wrap past 2 or 4 GiB, or short files without the -8/-44 placeholders.
TEST(WavHeader, BytesAndSizeFieldsForEveryLength) {
    const auto header = WavHeaderBytes(444, 2, 48000);
    EXPECT_EQ(std::vector<uint8_t>(header.begin(), header.end()), kStereo48k444);
    struct Case {
        uint64_t length;
        uint32_t riff, data;
    };
    for (const Case c :
         {Case{0, 0xFFFFFFF8U, 0xFFFFFFD4U}, Case{43, 0xFFFFFFF8U, 0xFFFFFFD4U},
          Case{3000000044ULL, 3000000036U, 3000000000U}, Case{5000000000ULL, 0xFFFFFFFFU, 0xFFFFFFFFU}}) {
        SCOPED_TRACE(c.length);
        const auto h = WavHeaderBytes(c.length, 1, 96000);
        const std::vector<uint8_t> b(h.begin(), h.end());
        EXPECT_EQ(Le32(b, 4), c.riff);
        EXPECT_EQ(Le32(b, 40), c.data);
        EXPECT_EQ(Le32(b, 24), 96000U);
        EXPECT_EQ(Le32(b, 28), 192000U); // bytes per second
        EXPECT_EQ(b[22], 1);             // channels
        EXPECT_EQ(b[32], 2);             // bytes per frame
    }
}

// Writing the header must create a placeholder file, never touch the samples, and read back in sox.
TEST(WavHeader, WrittenOnFilesWithoutChangingTheirData) {
    TempFolder folder;
    const std::string path = folder.Path() + "new.wav";
    ASSERT_TRUE(WriteWavHeader(path, 2, 48000));
    const auto placeholder = ReadBytes(path);
    ASSERT_EQ(placeholder.size(), 44U);
    EXPECT_EQ(Le32(placeholder, 4), 0xFFFFFFF8U);

    WriteBytes(path, std::vector<uint8_t>(444, 0xAB));
    ASSERT_TRUE(WriteWavHeader(path, 2, 48000));
    const auto closed = ReadBytes(path);
    ASSERT_EQ(closed.size(), 444U);
    EXPECT_EQ(std::vector<uint8_t>(closed.begin(), closed.begin() + 44), kStereo48k444);
    EXPECT_EQ(std::vector<uint8_t>(closed.begin() + 44, closed.end()), std::vector<uint8_t>(400, 0xAB));
    EXPECT_FALSE(WriteWavHeader(folder.Path() + "missing/x.wav", 1, 8000));

    WriteBytes(path, std::vector<uint8_t>(44 + 3 * 2 * 1000, 0x01)); // 1000 frames of three channels
    ASSERT_TRUE(WriteWavHeader(path, 3, 22050));
    if (const auto sox = SoxInfo(path)) {
        EXPECT_EQ(*sox, "22050\n3\n1000\n16\n");
    }
}

// A part missing, out of order or badly formatted, a separator lost, or a received position that leads
// the file out of its folder.
TEST(FileNaming, NamesFromTheOptions) {
    struct Case {
        FileNameOptions options;
        int counter;
        std::string folder, path, position = "";
        int channels = 2;
        uint32_t rate = 48000;
    };
    const FileNameOptions all{.prefix = "Bat",
                              .separator = "-",
                              .addNumber = true,
                              .addTimeStamp = true,
                              .addPosition = true,
                              .addParameters = true,
                              .postfix = "night"};
    const std::vector<Case> cases = {
        {{}, 1, "/rec", "/rec/20240131_235959.wav"}, // no part: the stamp alone
        {{.prefix = "Ondrix", .addNumber = true}, 12, "/rec/", "/rec/Ondrix_0012.wav"},
        {{.prefix = "Ondrix", .addNumber = true}, 9999, "/r/", "/r/Ondrix_9999.wav"},
        {all, 3, "/r/", "/r/Bat-0003-20240131_235959-45.1N 9.2E-2CH48K16-night.wav", " 45.1N 9.2E "},
        {{.addParameters = true}, 1, "/r/", "/r/_1CH44K16.wav", "", 1, 44100}, // no prefix, still "_"
        {{.prefix = "A", .separator = "", .postfix = "B"}, 1, "/r/", "/r/AB.wav"},
        {{.prefix = "P", .addPosition = true}, 1, "/rec/", "/rec/P_..-..-etc-x-1.wav", "../../etc/x:1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        FileNameInput input{
            .counter = c.counter, .position = c.position, .channels = c.channels, .rate = c.rate};
        strptime("2024-01-31 23:59:59", "%Y-%m-%d %H:%M:%S", &input.when);
        const auto name = CreateFileName(c.options, input, c.folder);
        EXPECT_EQ(name.path, c.path);
        EXPECT_EQ(name.bareName + ".wav", c.path.substr(c.path.rfind('/') + 1));
    }
}

// A character that other systems refuse, or a separator of more than one character, must be refused.
TEST(FileNaming, UnsafeCharactersRefused) {
    EXPECT_EQ(CheckFileNameOptions({.prefix = "Ondrix", .separator = "_", .postfix = "x y"}), "");
    for (const std::string bad : {"a/b", "a\\b", "c:", "x;y", "*", "?", "\"", "<", ">", "|", "a\nb", "\t"}) {
        EXPECT_NE(CheckFileNameOptions({.prefix = bad}), "") << bad;
        EXPECT_NE(CheckFileNameOptions({.postfix = bad}), "") << bad;
    }
    EXPECT_EQ(CheckFileNameOptions({.separator = "/"}).rfind("The separator", 0), 0U);
    EXPECT_NE(CheckFileNameOptions({.separator = "__"}), "");
}

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
