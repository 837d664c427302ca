// The recording files' header bytes and names, their volumes, the recorder over real files with scripted
// volumes and clock, its settings rules, the RAM buffer and its Buffer menu, and a real-time recording run.
#include "recording/Recorder.h"
#include "TempFolder.h"
#include "audio/DeviceNames.h"
#include "audio/TestRamp.h"
#include "common/Clock.h"
#include "recording/FileNaming.h"
#include "recording/RamBuffer.h"
#include "recording/RamBufferCommands.h"
#include "recording/RecordingSettingsRules.h"
#include "recording/Volumes.h"
#include "recording/WavHeader.h"
#include "settings/MenuModel.h"
#include "settings/SettingNames.h"
#include "settings/SettingsModel.h"
#include "support/ByteFiles.h"
#include "support/RealTimeLoopRig.h"
#include "support/ScriptedInteraction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <ranges>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

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
        // The two sizes, rate, bytes per second, channels and bytes per frame.
        EXPECT_EQ(std::tuple(Le32(b, 4), Le32(b, 40), Le32(b, 24), Le32(b, 28), b[22], b[32]),
                  std::tuple(c.riff, c.data, 96000U, 192000U, 1, 2));
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
    std::vector<uint8_t> closed = kStereo48k444;
    closed.resize(444, 0xAB);
    EXPECT_EQ(ReadBytes(path), closed);
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

// Volumes with free space and writability set by the test.
class ScriptedVolumes : public VolumeSystem {
public:
    struct Volume {
        uint64_t freeKB = 0;
        bool writable = true;
    };
    // Mount point (ending in "/") -> its state; the volume of a path is the longest matching one.
    std::map<std::string, Volume> volumes;
    std::vector<std::string> Volumes() override {
        const auto points = std::views::keys(volumes);
        return {points.begin(), points.end()};
    }
    std::string VolumeOf(std::string_view path) override { return MountPointOf(path, Volumes()); }
    std::optional<uint64_t> FreeKB(std::string_view folder) override {
        return volumes[VolumeOf(folder)].freeKB;
    }
    bool Writable(std::string_view folder) override { return volumes[VolumeOf(folder)].writable; }
};

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

// Stereo frames of a ramp from frame `from`: left n, right n xor 0x5555, both wrapping at 16 bits.
std::vector<int16_t> Ramp(uint32_t from, int frames) {
    std::vector<int16_t> block;
    for (uint32_t n = from; n < from + static_cast<uint32_t>(frames); ++n) {
        block.push_back(static_cast<int16_t>(n));
        block.push_back(static_cast<int16_t>(n ^ 0x5555));
    }
    return block;
}

// The samples of stereo 8 kHz recordings, one after the other, after checking each header byte for byte:
// the final sizes when closed, the -8/-44 placeholders while still open.
std::vector<int16_t> FileSamples(const std::vector<std::string>& paths, bool closed = true) {
    std::vector<int16_t> samples;
    for (const std::string& path : paths) {
        const auto file = ReadBytes(path);
        const auto header = WavHeaderBytes(closed ? file.size() : 0, 2, 8000);
        EXPECT_TRUE(file.size() >= 44 && std::equal(header.begin(), header.end(), file.begin())) << path;
        EXPECT_EQ(file.size() % 4, 0U) << path; // whole stereo frames
        for (std::size_t at = 44; at + 1 < file.size(); at += 2) {
            samples.push_back(static_cast<int16_t>(file[at] | file[at + 1] << 8));
        }
    }
    return samples;
}

// A recorder on a temporary folder with scripted volumes, clock and counters, keeping its log; it
// records a stereo ramp of 4 frames a block.
struct Rig {
    TempFolder folder;
    ScriptedVolumes volumes;
    std::tm now{};
    std::vector<std::string> log;
    int64_t fails = 2;
    int64_t overloads = 0;
    std::function<void()> switched = [] {}; // what a test does when a switch has opened the next file
    RecorderSettings settings{.folder = folder.Path(),
                              .naming = {.prefix = "Ondrix", .separator = "_", .addNumber = true},
                              .channels = 2,
                              .rate = 8000,
                              .inputName = "Test Ramp",
                              .blockValues = 8};
    std::unique_ptr<Recorder> recorder;
    uint32_t frames = 0; // of the ramp handed over so far
    Rig() {
        volumes.volumes["/"] = {.freeKB = 1ULL << 30, .writable = true};
        strptime("2024-01-01 10:58", "%Y-%m-%d %H:%M", &now);
    }
    std::string Begin() {
        recorder = std::make_unique<Recorder>(
            settings, RecorderEnvironment{.volumes = volumes,
                                          .clock = [this] { return now; },
                                          .log = [this](const std::string& line) { log.push_back(line); },
                                          .fails = [this] { return fails; },
                                          .overloads = [this] { return overloads; },
                                          .restartCounts = [this] { fails = overloads = 0; },
                                          .fileSwitched = [this] { switched(); }});
        return recorder->Begin();
    }
    void Record(int blocks = 1) {
        for (int i = 0; i < blocks; ++i, frames += 4) {
            recorder->RecordBlock(Ramp(frames, 4), false);
        }
    }
    std::string File(int n) const { return folder.Path() + "Ondrix_000" + std::to_string(n) + ".wav"; }
    std::vector<std::string> Lines(const std::string& start) const {
        auto lines = log | std::views::filter([&](const std::string& l) { return l.starts_with(start); });
        return {lines.begin(), lines.end()};
    }
};

// A start must refuse a full or unwritable volume, an unsafe name and a relative folder, and create
// nothing then.
TEST(Recorder, StartRefusedWithoutRoomOrAValidName) {
    Rig rig;
    rig.volumes.volumes["/"].freeKB = 100;
    rig.settings.maxFileBytes = 1048576;
    EXPECT_EQ(rig.Begin(), "Not enough space on /");
    rig.volumes.volumes["/"].writable = false;
    EXPECT_EQ(rig.Begin(), "Cannot write in the recording folder " + rig.folder.Path());
    rig.volumes.volumes["/"] = {.freeKB = 5000, .writable = true};
    rig.settings.naming.prefix = "../x";
    EXPECT_NE(rig.Begin(), "");
    rig.settings.naming.prefix = "x";
    for (const std::string folder : {"", "rec/"}) {
        rig.settings.folder = folder;
        EXPECT_EQ(rig.Begin(), "The recording folder must be a full path: \"" + folder + "\"");
    }
    EXPECT_TRUE(std::filesystem::is_empty(rig.folder.Path()));
    EXPECT_TRUE(rig.log.empty());
}

// A single file: an earlier recording of the name stays, the placeholders stand while recording, the
// size limit stops the run, and the closed file holds every sample sent.
TEST(Recorder, SingleFileWithPlaceholdersUntilClosed) {
    Rig rig;
    rig.settings.maxFileBytes = 44 + 3 * 16;                // three blocks of 8 values fit
    WriteBytes(rig.File(1), std::vector<uint8_t>(1000, 7)); // an earlier recording of that name
    ASSERT_EQ(rig.Begin(), "");
    Recorder& recorder = *rig.recorder;
    EXPECT_EQ(ReadBytes(rig.File(1)), std::vector<uint8_t>(1000, 7));
    const std::string path = rig.folder.Path() + "Ondrix_0001_n1.wav";
    EXPECT_EQ(recorder.FileName(), path);
    EXPECT_EQ(rig.log, (std::vector<std::string>{" 2ch 8000 Test Ramp block  8",
                                                 "Creating " + path + " Rec Mode 2 - single file"}));
    rig.Record(3);
    EXPECT_FALSE(recorder.StopRequested());
    EXPECT_EQ(FileSamples({path}, false), Ramp(0, 12));
    // 12 frames at 8000/s (1.5 ms) in 92 bytes.
    EXPECT_EQ(std::tuple(recorder.DurationText(), recorder.SizeText(), recorder.StatusText()),
              std::tuple("00:00:00.002", " 0 kB", "  Rec " + path + " (max 680MB)"));
    rig.Record(); // passes the limit: a single file asks the run to stop
    EXPECT_TRUE(recorder.StopRequested());
    recorder.End();
    EXPECT_EQ(FileSamples({path}), Ramp(0, 16));
    EXPECT_EQ(rig.log.back(), "Closing  " + path + " 0kB Fails 2 Overloads 0");
    rig.Record(); // nothing after the end
    EXPECT_EQ(ReadBytes(path).size(), 44U + 4 * 16);
}

// A circular file must rewrite its data from the start and never grow past its size.
TEST(Recorder, CircularFileRewritesItsData) {
    Rig rig;
    rig.settings.mode = FileMode::Circular;
    rig.settings.maxFileBytes = 44 + 2 * 16;
    ASSERT_EQ(rig.Begin(), "");
    for (int i = 0; i < 7; ++i) {
        rig.Record();
        EXPECT_LE(rig.recorder->FileBytes(), rig.settings.maxFileBytes + 16);
    }
    rig.recorder->End();
    EXPECT_FALSE(std::filesystem::exists(rig.File(2)));
    EXPECT_EQ(rig.Lines("rewriting " + rig.File(1)).size(), 2U);
    // Blocks 0-2 filled the file, 3-5 rewrote it from the start of the data, 6 began the next round.
    auto expected = Ramp(24, 4);
    const auto rewritten = Ramp(16, 8);
    expected.insert(expected.end(), rewritten.begin(), rewritten.end());
    EXPECT_EQ(FileSamples({rig.File(1)}), expected);
}

// Multiple files: not a sample lost, repeated or reordered across switches and a pause (one block of
// silence), the file count limit kept, each closing line with the counts of its own file, and a name
// without number repeating in the run suffixed instead of replacing the earlier file.
TEST(Recorder, MultipleFilesKeepAnUnbrokenRampAcrossSwitchesAndAPause) {
    Rig rig;
    rig.settings.mode = FileMode::MultipleFiles;
    rig.settings.modeText = "3 - multiple file";
    rig.settings.maxFileBytes = 44 + 5 * 40; // five blocks of 10 stereo frames and one more
    rig.settings.maxFiles = 3;
    rig.settings.blockValues = 20;
    rig.settings.naming = {.prefix = "Ondrix", .separator = "-"};
    const std::string in = rig.folder.Path();
    const std::vector<std::string> file = {in + "Ondrix.wav", in + "Ondrix-n1.wav", in + "Ondrix-n2.wav"};
    std::vector<std::string> shown;
    rig.switched = [&] { shown.push_back(rig.recorder->StatusText()); };
    ASSERT_EQ(rig.Begin(), "");
    int turns = 0;
    rig.fails = 0;
    for (uint32_t frame = 0; !rig.recorder->StopRequested() && turns < 100; ++turns) {
        ++rig.fails; // the run's counters grow every turn: one fail and three overloads
        rig.overloads += 3;
        const bool paused = turns >= 7 && turns < 10; // three paused turns, one block of zeros
        rig.recorder->RecordBlock(paused ? std::vector<int16_t>(20, 1) : Ramp(frame, 10), paused);
        frame += paused ? 0 : 10;
    }
    rig.recorder->End();
    EXPECT_EQ(turns, 20); // three files of six blocks, one of them silence, and two quiet turns
    EXPECT_FALSE(std::filesystem::exists(in + "Ondrix-n3.wav"));
    EXPECT_EQ(rig.Lines("Pausing...").size() + rig.Lines("Resuming...").size() +
                  rig.Lines("Creating ").size() + rig.Lines("Created ").size(),
              5U);
    EXPECT_EQ(shown, (std::vector<std::string>{"  Rec " + file[1] + " (max 680MB) (Repeat)",
                                               "  Rec " + file[2] + " (max 680MB) (Repeat)"}));
    // Each file reports the counts of its own turns: 6, then 8 (two quiet paused turns), then 6; the
    // two-channel recording names its size-limit switches "Closed  " and "Created ".
    EXPECT_EQ(rig.Lines("Clos"), (std::vector<std::string>{"Closed  " + file[0] + " Fails 6 Overloads 18",
                                                           "Closed  " + file[1] + " Fails 8 Overloads 24",
                                                           "Closed  " + file[2] + " Fails 6 Overloads 18"}));
    // Six blocks a file; the ramp runs on from file to file except for the one block of zeros of the pause.
    auto all = FileSamples(file);
    ASSERT_EQ(all.size(), 18U * 20);
    EXPECT_EQ(std::vector<int16_t>(all.begin() + 7 * 20, all.begin() + 8 * 20), std::vector<int16_t>(20, 0));
    all.erase(all.begin() + 7 * 20, all.begin() + 8 * 20);
    EXPECT_EQ(all, Ramp(0, 170));
}

// Splits on the clock must switch at 11:00 (and 11:30) and 12:00 and lose no block; multiple files split
// on the clock are shown as "(Auto Split)".
TEST(Recorder, ClockSplitsOnTheHourOrHalfHour) {
    for (const bool split30 : {false, true}) {
        SCOPED_TRACE(split30);
        Rig rig;
        rig.settings.split00 = !split30;
        rig.settings.split30 = split30;
        rig.settings.mode = split30 ? FileMode::MultipleFiles : FileMode::SingleFile;
        ASSERT_EQ(rig.Begin(), "");
        for (int minute = 58; minute < 58 + 64; ++minute) { // 10:58 .. 12:01, one block a minute
            rig.now.tm_hour = 10 + minute / 60;
            rig.now.tm_min = minute % 60;
            rig.Record();
        }
        EXPECT_EQ(rig.recorder->StatusText(), "  Rec " + rig.recorder->FileName() +
                                                  (split30 ? " (Auto Split) (Repeat)" : " (max 680MB)"));
        rig.recorder->End();
        const int files = split30 ? 4 : 3;
        EXPECT_EQ(rig.Lines("Closed  ").size() + rig.Lines("Created ").size(), 2 * (files - 1U));
        EXPECT_FALSE(std::filesystem::exists(rig.File(files + 1)));
        const std::vector<std::string> names = {rig.File(1), rig.File(2), rig.File(3), rig.File(4)};
        EXPECT_EQ(FileSamples({names.begin(), names.begin() + files}), Ramp(0, 64 * 4));
    }
}

// The disk watch when the recording volume runs low: multiple files span to the next volume with the same
// path and the ramp unbroken, and stop when there is no next volume, when it cannot be written or has no
// room for a whole file, or when not spanning; a single file and a circular file still growing stop; a
// wrapped one goes on.
TEST(Recorder, DiskWatchSpansToTheNextVolumeOrStops) {
    enum Subject { None, File1, Folder, NextFolder, NextFile }; // what the last log line names
    struct Case {
        FileMode mode;
        bool span;
        std::optional<ScriptedVolumes::Volume> next; // a real folder, the volume after "/"
        int blocks;                                  // before the disk runs low
        std::string head;
        Subject subject;
        std::string tail;
        bool stops;
    };
    const auto multiple = FileMode::MultipleFiles;
    // The free kB and writability of the next volume; 1 kB has no room for a file.
    const ScriptedVolumes::Volume room{500000, true}, full{1, true}, locked{1, false};
    const std::string closing = "Disk Full - Closing ", counts = " Fails 2 Overloads 0";
    for (const Case& c :
         std::vector<Case>{{multiple, true, room, 3, "Creating ", NextFile, "", false},
                           {multiple, true, std::nullopt, 0, "Stop: no volume after /", None, "", true},
                           {multiple, true, locked, 0, "Stop: ", NextFolder, " non writable", true},
                           {multiple, true, full, 0, "Stop: ", NextFolder, " Disk Full", true},
                           {multiple, false, full, 0, "Stop: ", Folder, " Disk Full", true},
                           {FileMode::SingleFile, false, full, 0, closing, File1, counts, true},
                           {FileMode::Circular, false, full, 0, closing, File1, counts, true},
                           {FileMode::Circular, false, full, 130, "rewriting ", File1, "", false}}) {
        SCOPED_TRACE(c.head + std::to_string(c.blocks) + c.tail);
        Rig rig;
        TempFolder second;
        rig.settings.mode = c.mode;
        rig.settings.spanDisks = c.span;
        rig.settings.maxFileBytes = 2048;
        if (c.next) {
            rig.volumes.volumes[second.Path()] = *c.next;
        }
        ASSERT_EQ(rig.Begin(), "");
        rig.Record(c.blocks);
        rig.volumes.volumes["/"].freeKB = kDiskLowKB - 1;
        rig.Record();
        EXPECT_EQ(rig.recorder->StopRequested(), c.stops);
        const std::string next = second.Path() + rig.folder.Path().substr(1);
        const std::string subjects[] = {"", rig.File(1), rig.folder.Path(), next, next + "Ondrix_0002.wav"};
        EXPECT_EQ(rig.log.back(), c.head + subjects[c.subject] + c.tail);
        EXPECT_EQ(rig.Lines("Disk Full - Closing  " + rig.File(1) + " Fails 2").size(), c.mode == multiple);
        EXPECT_EQ(std::filesystem::is_empty(second.Path()), c.subject != NextFile);
        rig.recorder->End();
        if (c.subject == NextFile) {
            EXPECT_EQ(FileSamples({rig.File(1), subjects[NextFile]}), Ramp(0, 4 * (c.blocks + 1)));
        } else {
            EXPECT_EQ(FileSamples({rig.File(1)}).size(), std::min(c.blocks + 1, 126) * 8U);
        }
    }
}

// Killed without warning (kill -9), the file keeps its placeholders and every whole frame written.
TEST(Recorder, KilledWhileRecordingKeepsEveryWrittenFrame) {
    Rig rig;
    rig.settings.maxFileBytes = 2000ULL * 1048576;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Records a ramp without end; tells the parent once 20 000 blocks have been handed over.
        if (!rig.Begin().empty()) {
            _exit(1);
        }
        for (long i = 0;; ++i) {
            rig.Record();
            if (i == 20000 && write(ready[1], "x", 1) != 1) {
                _exit(1);
            }
        }
    }
    close(ready[1]);
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    const auto samples = FileSamples({rig.File(1)}, false);
    ASSERT_GE(samples.size(), 20001U * 8);
    EXPECT_TRUE(samples == Ramp(0, static_cast<int>(samples.size() / 2))); // no dump of a long ramp
}

class RecordingSettingsRulesTest : public ::testing::Test {
protected:
    RecordingSettingsRulesTest() {
        volumes.volumes["/"] = {.freeKB = 5000000};
        volumes.volumes["/media/field/"] = {.freeKB = 1234567};
        basic.SetText("FileRecPathField", "/media/field/rec/");
        rules.Attach();
    }
    void SetFormat(const char* rate, const char* channels) {
        basic.SetText(kBasicSettings.sampleRate, rate);
        basic.SetText(kChannelCount, channels);
    }
    SettingsModel settings;
    ControlModel& basic = settings.Options0();
    ScriptedInteraction ui;
    ScriptedVolumes volumes;
    RecordingSettingsRules rules{settings, ui, volumes};
};

// A wrong size for a duration, or a size above 2000 MB accepted: the WAV sizes would overflow.
TEST_F(RecordingSettingsRulesTest, ExactTimeAndTypedSizesKeepTo2000MB) {
    SetFormat("48000", "2 - stereo");
    // 60 minutes; zero and cancel change nothing; 200 minutes of 48 kHz stereo are 2197.27 MB.
    ui.textAnswers = {"60", "0", std::nullopt, "200"};
    for (const char* size : {"659.18 MB", "659.18 MB", "659.18 MB", "2000"}) {
        basic.Click("Command11");
        EXPECT_EQ(basic.Text("FileMaxSizeCombo"), size);
    }
    EXPECT_EQ(RecordingMegabytes(1, 44100, 1), 5.05); // 5 292 000 bytes
    basic.Type("FileMaxSizeCombo", "2500 MB");
    EXPECT_EQ(basic.Text("FileMaxSizeCombo"), "2000 MB");
    ASSERT_EQ(ui.messages.size(), 6U); // four prompts, then the refusals of 200 minutes and of 2500 MB
    EXPECT_EQ(ui.Texts()[4], "2GB files size exceeded - set shorter");
    EXPECT_EQ(ui.Texts()[5], ui.Texts()[4]);
}

// Both splits on at once, a size that does not hold the split's minutes, or an hour that does not fit.
TEST_F(RecordingSettingsRulesTest, SplitsExcludeEachOtherAndFallBackToTheHalfHour) {
    SetFormat("48000", "2 - stereo");
    basic.Click("Split30");
    EXPECT_EQ(basic.Text("FileMaxSizeCombo"), "340.58 MB"); // 31 minutes
    basic.Click("Split00");
    EXPECT_FALSE(basic.Checked("Split30"));
    EXPECT_EQ(basic.Text("FileMaxSizeCombo"), "670.17 MB"); // 61 minutes
    EXPECT_TRUE(ui.messages.empty());
    // 61 minutes at 192 kHz stereo do not fit in 2000 MB: split on the half hour instead.
    basic.SetChecked("Split00", false);
    SetFormat("192000", "2 - stereo");
    basic.Click("Split00");
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"2GB file size exceeded - split shorter"});
    EXPECT_EQ(std::tuple(basic.Checked("Split00"), basic.Checked("Split30"), basic.Text("FileMaxSizeCombo")),
              std::tuple(false, true, "1362.3 MB"));
    basic.Click("Split30"); // switching a split off leaves the size alone
    EXPECT_EQ(basic.Text("FileMaxSizeCombo"), "1362.3 MB");
}

// The label must measure the folder's own volume, again when the folder changes or on a refresh.
TEST_F(RecordingSettingsRulesTest, FreeSpaceLabelFollowsTheRecordingFolder) {
    EXPECT_EQ(basic.Text("FreeSpaceLabel"), "( 1235 MB free on drive /media/field/)");
    basic.Type("FileRecPathField", "/home/user/rec/");
    EXPECT_EQ(basic.Text("FreeSpaceLabel"), "( > 2GB free on drive /)");
    volumes.volumes["/"].freeKB = 2000000;
    rules.RefreshFreeSpace();
    EXPECT_EQ(basic.Text("FreeSpaceLabel"), "( 2000 MB free on drive /)");
    EXPECT_EQ(FreeSpaceText(std::nullopt, "/"), "");
}

// An unsafe prefix, separator or postfix must be refused and the last safe text (typed or loaded) restored.
TEST_F(RecordingSettingsRulesTest, UnsafeNamePartsAreRefusedAndTheLastGoodTextComesBack) {
    basic.Type("FileRecNameField", "Station 4");
    basic.Type("FileRecNameField", "../etc");
    EXPECT_EQ(basic.Text("FileRecNameField"), "Station 4");
    basic.Type("FSep", ":");
    basic.Type("FileNamePostfix", "a|b");
    basic.SetText("FileRecNameField", "Hydro"); // loaded from a settings file
    basic.Type("FileRecNameField", "a\\b");
    EXPECT_EQ(basic.Text("FSep") + basic.Text("FileNamePostfix") + basic.Text("FileRecNameField"), "_Hydro");
    ASSERT_EQ(ui.messages.size(), 4U); // the texts: FileNaming.UnsafeCharactersRefused
}

// What a run reads: the mode by its number, megabytes to bytes rounded, sizes kept to 1 .. 2000 MB.
TEST_F(RecordingSettingsRulesTest, ARunReadsTheRecorderSettings) {
    auto read = [&] { return RecorderSettingsFromSettings(settings, 2, 48000, "Mic", 4096); };
    EXPECT_EQ(read().mode, FileMode::SingleFile);
    basic.SetText("FileModeCombo", "1 - circular");
    basic.SetText("FileMaxSizeCombo", "659.18 MB");
    basic.SetText("MaxNFiles", "3");
    const auto circular = read(); // 659.18 x 1048576 = 691200327.68 bytes
    EXPECT_EQ(std::tuple(circular.mode, circular.maxFileBytes, circular.maxFiles),
              std::tuple(FileMode::Circular, 691200328U, 3));
    basic.SetText("FileMaxSizeCombo", "4096 MB");
    EXPECT_EQ(read().maxFileBytes, 2000ULL * 1048576);
    EXPECT_EQ(basic.Text("FileMaxSizeCombo"), "2000 MB");
    basic.SetText("FileMaxSizeCombo", "big");
    EXPECT_EQ(read().maxFileBytes, 1048576U);
}

constexpr int kBlock = 65536;    // values per block: 1 MB holds 8 blocks
constexpr uint32_t kRate = 2048; // mono: one second is one save step of 2048 values

// Value k of a ramp that differs from block to block.
int16_t RampValue(int64_t k) {
    return static_cast<int16_t>(k % 65521);
}

// Appends `blocks` blocks of the ramp; gives the fills shown and, in `full`, each block's full flag.
std::vector<int> Fill(RamBuffer& buffer, int blocks, std::vector<bool>* full = nullptr) {
    std::vector<int> percents;
    std::vector<int16_t> block(kBlock);
    for (int b = 0; b < blocks; ++b) {
        std::ranges::generate(block, [k = int64_t{b} * kBlock]() mutable { return RampValue(k++); });
        const RamBuffer::Appended appended = buffer.AppendBlock(block);
        if (appended.percent) {
            percents.push_back(*appended.percent);
        }
        if (full) {
            full->push_back(appended.full);
        }
    }
    return percents;
}

// The saved file holds `count` ramp values starting at ramp index `first`, under a header saying so.
void ExpectRamp(const std::string& path, int64_t first, int64_t count) {
    const std::vector<uint8_t> file = ReadBytes(path);
    ASSERT_EQ(static_cast<int64_t>(file.size()), 44 + 2 * count);
    EXPECT_EQ(Le32(file, 4), file.size() - 8);
    EXPECT_EQ(Le32(file, 40), file.size() - 44);
    EXPECT_EQ(Le32(file, 24), kRate);
    for (int64_t k = 0; k < count; ++k) {
        const auto at = static_cast<std::size_t>(44 + 2 * k);
        const auto value = static_cast<int16_t>(file[at] | file[at + 1] << 8);
        if (value != RampValue(first + k)) {
            FAIL() << "value " << k << " is " << value;
        }
    }
}

// A capacity that is no whole number of blocks, or an "off" buffer that takes blocks.
TEST(RamBuffer, CapacityIsWholeBlocksAndOffHoldsNothing) {
    RamBuffer buffer;
    const struct {
        int megabytes, block;
        int64_t capacity;
    } cases[] = {{4, 4096, 2097152}, {1, 3000, 522000}, {0, 4096, 0}, {-4, 4096, 0}, {4, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_TRUE(buffer.Start(c.megabytes, RamBufferMode::Circular, c.block, 1, kRate));
        EXPECT_EQ(buffer.Capacity(), c.capacity) << c.megabytes << " MB, block " << c.block;
        EXPECT_EQ(buffer.On(), c.capacity > 0);
    }
    EXPECT_TRUE(Fill(buffer, 1).empty());
    EXPECT_EQ(buffer.WritePosition(), 0);
    // Stereo at 48 kHz, 4 MB: about 21.8 seconds (empty until a block comes: the Buffer menu's test).
    buffer.Start(4, RamBufferMode::Circular, 8192, 2, 48000);
    EXPECT_EQ(buffer.Capacity(), 2097152);
    EXPECT_NEAR(buffer.Seconds(), 21.845, 0.001);
}

// Saves must hold the newest samples oldest first (also across the wrap), in whole steps, within what the
// buffer holds, replacing a longer file of the name.
TEST(RamBuffer, SavesWriteTheNewestSamplesOldestFirst) {
    TempFolder folder;
    const std::string path = folder.Path() + "buffer.wav";
    constexpr int64_t kFull = 8 * kBlock;
    constexpr auto C = RamBufferMode::Circular;
    using enum RamBuffer::Saved;
    const struct {
        const char* name;
        RamBufferMode mode;
        int blocks;
        double seconds; // < 0: the whole buffer
        RamBuffer::Saved saved;
        int64_t first, count; // ramp index of the first value saved, values saved
    } cases[] = {
        {"part of three blocks", C, 3, 10, Requested, 3 * kBlock - 20480, 20480},
        {"fractions of a step are dropped", C, 3, 10.9, Requested, 3 * kBlock - 20480, 20480},
        {"more than recorded", C, 3, 200, Requested, 0, 3 * kBlock},
        {"whole before wrapping", C, 3, -1, Whole, 0, 3 * kBlock},
        {"across the wrap", C, 11, 200, Requested, 11 * kBlock - 409600, 409600},
        {"within the newest", C, 11, 10, Requested, 11 * kBlock - 20480, 20480},
        {"whole after wrapping", C, 11, -1, Whole, 3 * kBlock, kFull},
        {"more than it holds", C, 11, 300, Shorter, 3 * kBlock, kFull},
        {"full stops taking blocks", RamBufferMode::StopWhenFull, 11, -1, Whole, 0, kFull},
        {"newest of a full buffer", RamBufferMode::StopWhenFull, 11, 10, Requested, kFull - 20480, 20480},
        {"nothing asked", C, 3, 0, Requested, 0, 0},
    };
    WriteBytes(path, std::vector<uint8_t>(3 * kFull, 0x55));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RamBuffer buffer;
        buffer.Start(1, c.mode, kBlock, 1, kRate);
        Fill(buffer, c.blocks);
        EXPECT_EQ(c.seconds < 0 ? buffer.SaveWhole(path) : buffer.SaveLastSeconds(path, c.seconds), c.saved);
        ExpectRamp(path, c.first, c.count);
    }
    // A missing folder, or a folder of the name that the finished file cannot replace: every save fails
    // and no temporary file is left.
    RamBuffer buffer;
    buffer.Start(1, C, kBlock, 1, kRate);
    Fill(buffer, 3);
    std::filesystem::create_directory(folder.Path() + "taken.wav");
    for (const std::string& bad : {folder.Path() + "no/such.wav", folder.Path() + "taken.wav"}) {
        EXPECT_EQ(std::tuple(buffer.SaveWhole(bad), buffer.SaveLastSeconds(bad, 10),
                             buffer.SaveLastSeconds(bad, 300)),
                  std::tuple(Failed, Failed, Failed))
            << bad;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 2);
}

// A fill rounded the wrong way or shown unchanged, a full stop-when-full buffer not stopping the run, or a
// circular one stopping it.
TEST(RamBuffer, FillIsShownWhenItChangesAndAFullBufferStopsTheRun) {
    RamBuffer buffer;
    buffer.Start(1, RamBufferMode::StopWhenFull, kBlock, 1, kRate);
    std::vector<bool> full;
    // Eighths of the buffer, rounded half to even: 12.5 -> 12, 37.5 -> 38.
    EXPECT_EQ(Fill(buffer, 9, &full), (std::vector<int>{0, 12, 25, 38, 50, 62, 75, 88, 100}));
    EXPECT_EQ(full, (std::vector<bool>{false, false, false, false, false, false, false, true, true}));
    EXPECT_TRUE(buffer.Wrapped());
    buffer.Start(1, RamBufferMode::Circular, kBlock, 1, kRate);
    full.clear();
    Fill(buffer, 9, &full);
    EXPECT_EQ(std::tuple(std::count(full.begin(), full.end(), true), buffer.WritePosition()),
              std::tuple(0, kBlock));
    buffer.Empty(); // file playback
    EXPECT_FALSE(buffer.Wrapped() || buffer.WritePosition() != 0);
}

// The Buffer menu: memory that cannot be had, "Buffer Empty" with nothing to save (and no file written), the
// name and folder of a save, a save longer than the buffer, "Replace ... ?" asked once, no temporary file
// left, the partial save's answers, cancels at each dialog, the buffer kept after a failed save, temp.wav in
// a work folder that cannot be written, the picture shown again after every dialog, the run's description
// and the stop of a full stop-when-full buffer.
TEST(RamBufferCommands, SavesNameTheirFilesAndNeverWriteAnEmptyBuffer) {
    TempFolder folder;
    SettingsModel settings;
    MenuModel menus;
    ScriptedInteraction dialogs;
    int stops = 0;
    bool hidden = false; // the picture kept aside while a dialog is open
    std::string opened;
    std::tm now{};
    now.tm_year = 126;
    now.tm_mday = 5;
    RamBufferCommands commands(settings, dialogs,
                               {.clock = [&] { return now; },
                                .stopRun = [&] { ++stops; },
                                .saveSpecGram = [&] { hidden = true; },
                                .restoreSpecGram = [&] { hidden = false; },
                                .open = [&](const std::string& path) { opened = path; },
                                .workFolder = folder.Path() + "work"});
    commands.Attach(menus);
    ControlModel& form = settings.Form1();
    settings.Options0().SetText("txtBufferPath", folder.Path() + "buffers");
    std::filesystem::create_directory(folder.Path() + "buffers");
    const std::string saved = folder.Path() + "buffers/buffer end at 20260105_000000.wav";
    // Too large to allocate, off, then allocated but still empty: nothing to save, no file.
    form.SetText("Combo12", "2147483647 Mbytes");
    EXPECT_EQ(commands.RunStarts(4096, 1, 48000), "");
    form.SetText("Combo12", "off");
    EXPECT_EQ(commands.RunStarts(4096, 1, 48000), "");
    menus.Trigger("SaveBuffer");
    form.SetText("Combo12", "4 Mbytes");
    EXPECT_EQ(commands.RunStarts(4096, 1, 48000), "  Buffer  43.69sec");
    for (const char* command :
         {"BufferSave60", "SaveBufferAs", "SaveBufferPartial", "AnalyzeBuffer", "PlayBuffer"}) {
        menus.Trigger(command);
    }
    std::vector<std::string> texts(7, "Buffer Empty");
    texts[0] = "Not enough memory for a RAM buffer of 2147483647 Mbytes: the run goes on without it";
    EXPECT_EQ(dialogs.Texts(), texts);
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path() + "buffers"));
    commands.Append(std::vector<int16_t>(4096, 7));
    EXPECT_EQ(form.Text("BufferLabel"), " 0%");
    menus.Trigger("SaveBuffer");
    EXPECT_EQ(form.Text("StatusLine"), "Saved <" + saved + ">");
    EXPECT_EQ(ReadBytes(saved).size(), 44u + 2 * 4096);
    menus.Trigger("BufferSave60"); // more than 43.69 s: the whole buffer and a note; the name is taken
    EXPECT_EQ(dialogs.Texts().back(), "Buffer shorter than requested");
    EXPECT_EQ(ReadBytes(saved.substr(0, saved.size() - 4) + "_n1.wav").size(), 44u + 2 * 4096);
    // The position last received joins the name when names carry it.
    settings.Options0().SetChecked("AddUDP", true);
    form.SetText("UDPTXT", " 4530.1234N_00912.3456E ");
    menus.Trigger("SaveBuffer");
    EXPECT_TRUE(std::filesystem::exists(folder.Path() +
                                        "buffers/buffer end at 20260105_000000 4530.1234N_00912.3456E.wav"));
    // Save As cancelled; over an existing file it asks once: No shows the dialog again, Yes replaces it.
    dialogs.textAnswers = {std::nullopt, saved, saved};
    dialogs.yesNoAnswers = {false, true};
    menus.Trigger("SaveBufferAs");
    menus.Trigger("SaveBufferAs");
    EXPECT_EQ(std::ranges::count(dialogs.Texts(), "Replace " + saved + " ?"), 2);
    // The three buffers saved so far, and no temporary file left beside them.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path() + "buffers"), {}), 3);
    // Partial: an answer that is no number of seconds, below one or cancelled cancels, as does the file
    // dialog; a name gets ".wav".
    dialogs.messages.clear();
    dialogs.dialogs.clear();
    dialogs.textAnswers = {"abc", "0.5", std::nullopt, "2", std::nullopt, "2", folder.Path() + "part"};
    for (int i = 0; i < 5; ++i) {
        menus.Trigger("SaveBufferPartial");
    }
    EXPECT_FALSE(hidden);
    ASSERT_EQ(dialogs.dialogs.size(), 2u);
    EXPECT_EQ(dialogs.dialogs[0].folder, folder.Path() + "buffers/");
    EXPECT_EQ(ReadBytes(folder.Path() + "part.wav").size(), 44u + 2 * 4096); // what was captured
    // A folder that cannot be written: a message, and the buffer is kept for another try.
    settings.Options0().SetText("txtBufferPath", folder.Path() + "missing");
    menus.Trigger("SaveBuffer");
    ASSERT_EQ(dialogs.messages.size(), 6u);
    EXPECT_TRUE(dialogs.messages.back().text.starts_with("Cannot write "));
    EXPECT_TRUE(commands.Buffer().HoldsSound());
    // temp.wav: not in a missing work folder (nothing opened), then in the folder once it is made.
    menus.Trigger("AnalyzeBuffer");
    EXPECT_EQ(dialogs.messages.back().text + opened, "Cannot write " + folder.Path() + "work/temp.wav");
    std::filesystem::create_directory(folder.Path() + "work");
    menus.Trigger("PlayBuffer");
    EXPECT_EQ(opened, folder.Path() + "work/temp.wav");
    EXPECT_FALSE(hidden);
    EXPECT_EQ(ReadBytes(opened).size(), 44u + 2 * 4096);
    // Stop when full: the run is stopped at the block that fills the buffer.
    settings.Options0().SetText("RamBufferModeCombo", "2 - stop when full");
    commands.RunStarts(1048576, 1, 48000);
    for (int block = 0; block < 3; ++block) {
        commands.Append(std::vector<int16_t>(1048576));
    }
    EXPECT_EQ(stops, 2);
    EXPECT_EQ(form.Text("BufferLabel"), " 100%");
}

// "Ondrix Test Ramp" recorded through the real-time loop in multiple-file mode with 1 MB files, with a
// recording pause in the middle: the data of all files, concatenated, is the ramp with not one sample lost,
// repeated or reordered across the file switches, apart from the one block of silence the pause writes.
TEST(RecordingLoopRealTime, MultipleFilesKeepTheRampWholeAcrossSwitchesAndAPause) {
    constexpr int kRate = 192000;
    constexpr int kBlock = 16384; // values: 8192 frames in stereo
    const struct {
        int channels;
        double seconds;
        std::size_t files;
    } runs[] = {{1, 8.0, 3}, {2, 4.0, 3}};
    for (const auto& run : runs) {
        SCOPED_TRACE(run.channels);
        TempFolder folder;
        RealTimeLoopRig rig(nullptr);
        LocalVolumes volumes;
        std::unique_ptr<Recorder> recorder;
        rig.settings.ApplyInitialValues();
        rig.devices.RefreshDeviceLists();
        rig.SelectInput(kTestRampName);
        ControlModel& form = rig.settings.Form1();
        form.SetText("SampleRate", std::to_string(kRate));
        form.SetText("BlockSize", std::to_string(kBlock));
        rig.settings.Options2().SetText("Combo2", "8");
        ControlModel& basic = rig.settings.Options0();
        basic.SetText("NchanCombo", run.channels == 2 ? "2 - stereo" : "1 - mono");
        basic.SetText("FileModeCombo", "3 - multiple file");
        basic.SetText("FileMaxSizeCombo", "1 MB");
        basic.SetText("FileRecPathField", folder.Path());
        RealTimeHooks& hooks = rig.context.hooks;
        hooks.prepareRecording = [&] {
            recorder = std::make_unique<Recorder>(
                RecorderSettingsFromSettings(rig.settings, run.channels, kRate, form.Text("Combo10"), kBlock),
                RecorderEnvironment{
                    .volumes = volumes, .clock = [] { return LocalNow(); }, .log = [](auto&) {}});
            return recorder->Begin().empty();
        };
        hooks.recordBlock = [&](auto block, bool paused) { recorder->RecordBlock(block, paused); };
        hooks.endRecording = [&] { recorder->End(); };
        rig.tasks.SelectTask(2);
        const int64_t total = static_cast<int64_t>(run.seconds * kRate * run.channels / kBlock);
        rig.Session([&](int) {
            const int64_t blocks = rig.context.status.blocks;
            // Rec Pause held for a few blocks in the middle of the run.
            form.SetChecked("RecPauseFlag", blocks >= total / 2 && blocks < total / 2 + 4);
            return blocks < total;
        });
        ASSERT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages.front().text;
        EXPECT_EQ(rig.context.status.droppedBlocks + rig.context.status.fails, 0);
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            files.push_back(entry.path().string());
        }
        std::ranges::sort(files); // the progressive number orders them
        ASSERT_GE(files.size(), run.files);
        std::vector<int16_t> data;
        for (const std::string& file : files) { // each closed with its sizes and channels
            const std::vector<uint8_t> bytes = ReadBytes(file);
            ASSERT_GE(bytes.size(), 44u) << file;
            EXPECT_EQ(std::tuple(Le32(bytes, 40), bytes[22]), std::tuple(bytes.size() - 44, run.channels))
                << file;
            for (std::size_t at = 44; at + 1 < bytes.size(); at += 2) {
                data.push_back(static_cast<int16_t>(bytes[at] | bytes[at + 1] << 8));
            }
        }
        // The ramp from 0 in each channel with exactly one break: one block of zeros, then the ramp again
        // from where capture resumed.
        int breaks = 0;
        const auto ch = static_cast<std::size_t>(run.channels);
        for (std::size_t i = 0, frame = 0; i < data.size(); ++i) {
            if (data[i] != TestRamp::ValueAt(frame, static_cast<int>(i % ch))) {
                ASSERT_EQ(++breaks, 1) << "second break at value " << i;
                ASSERT_LT(i + kBlock, data.size());
                EXPECT_EQ(std::count(data.begin() + static_cast<std::ptrdiff_t>(i),
                                     data.begin() + static_cast<std::ptrdiff_t>(i + kBlock), 0),
                          kBlock)
                    << "silence at " << i;
                i += kBlock;
                frame = static_cast<uint16_t>(data[i]);
            }
            frame += i % ch == ch - 1 ? 1 : 0;
        }
        EXPECT_EQ(breaks, 1);
        EXPECT_GE(data.size(), static_cast<std::size_t>((total - 4) * kBlock));
    }
}

} // namespace
} // namespace ondrix
