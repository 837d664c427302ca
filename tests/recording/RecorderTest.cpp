#include "recording/Recorder.h"
#include "recording/WavHeader.h"

#include "RecordingFiles.h"
#include "ScriptedVolumes.h"
#include "TempFolder.h"
#include "settings/SettingsModel.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

namespace ondrix {
namespace {

// A recorder on a temporary folder with scripted volumes, clock and counters, keeping its log.
struct Rig {
    TempFolder folder;
    ScriptedVolumes volumes;
    std::tm now{};
    std::vector<std::string> log;
    int64_t fails = 2;
    int64_t overloads = 0;
    std::function<void()> switched = [] {}; // what a test does when a switch has opened the next file
    RecorderSettings settings;

    Rig() {
        volumes.volumes["/"] = {.freeKB = 1ULL << 30, .writable = true};
        now.tm_year = 124;
        now.tm_mday = 1;
        now.tm_hour = 10;
        now.tm_min = 58;
        settings.folder = folder.Path();
        settings.naming = {.prefix = "Ondrix", .separator = "_", .addNumber = true};
        settings.channels = 2;
        settings.rate = 8000;
        settings.inputName = "Test Ramp";
        settings.blockValues = 8;
    }
    Recorder Make() {
        return Recorder(settings, {.volumes = volumes,
                                   .clock = [this] { return now; },
                                   .log = [this](const std::string& line) { log.push_back(line); },
                                   .fails = [this] { return fails; },
                                   .overloads = [this] { return overloads; },
                                   .restartCounts = [this] { fails = overloads = 0; },
                                   .fileSwitched = [this] { switched(); }});
    }
    std::string File(int n) const { return folder.Path() + "Ondrix_000" + std::to_string(n) + ".wav"; }
    int Count(const std::string& start) const {
        return static_cast<int>(std::count_if(log.begin(), log.end(),
                                              [&](const std::string& l) { return l.rfind(start, 0) == 0; }));
    }
};

// Stereo frames of a ramp: left n, right n xor 0x5555, both wrapping at 16 bits.
class StereoRamp {
public:
    std::vector<int16_t> Next(int frames) {
        std::vector<int16_t> block;
        for (int i = 0; i < frames; ++i, ++n_) {
            block.push_back(static_cast<int16_t>(n_));
            block.push_back(static_cast<int16_t>(n_ ^ 0x5555));
        }
        return block;
    }

private:
    uint32_t n_ = 0;
};

std::vector<int16_t> Samples(const std::vector<uint8_t>& file) {
    std::vector<int16_t> samples((file.size() - 44) / 2);
    std::copy(file.begin() + 44, file.begin() + 44 + static_cast<std::ptrdiff_t>(samples.size() * 2),
              reinterpret_cast<uint8_t*>(samples.data()));
    return samples;
}

void ExpectClosedHeader(const std::vector<uint8_t>& file, int channels, uint32_t rate) {
    ASSERT_GE(file.size(), 44U);
    const auto expected = WavHeaderBytes(file.size(), channels, rate);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), file.begin()));
    EXPECT_EQ(Le32(file, 4), file.size() - 8);
    EXPECT_EQ(Le32(file, 40), file.size() - 44);
}

TEST(Recorder, StartRefusedWithoutRoomOrAValidName) {
    Rig rig;
    rig.volumes.volumes["/"].freeKB = 100;
    rig.settings.maxFileBytes = 1048576;
    EXPECT_EQ(rig.Make().Begin(), "Not enough space on /");
    rig.volumes.volumes["/"].writable = false;
    EXPECT_EQ(rig.Make().Begin(), "Cannot write in the recording folder " + rig.folder.Path());
    rig.volumes.volumes["/"] = {.freeKB = 5000, .writable = true};
    rig.settings.naming.prefix = "../x";
    EXPECT_NE(rig.Make().Begin(), "");
    rig.settings.naming.prefix = "x";
    rig.settings.folder = "";
    EXPECT_EQ(rig.Make().Begin(), "The recording folder must be a full path: \"\"");
    rig.settings.folder = "rec/";
    EXPECT_EQ(rig.Make().Begin(), "The recording folder must be a full path: \"rec/\"");
    EXPECT_TRUE(std::filesystem::is_empty(rig.folder.Path()));
    EXPECT_TRUE(rig.log.empty());
}

TEST(Recorder, SingleFileWithPlaceholdersUntilClosed) {
    Rig rig;
    rig.settings.maxFileBytes = 44 + 3 * 16;                // three blocks of 8 values fit
    WriteBytes(rig.File(1), std::vector<uint8_t>(1000, 7)); // an earlier recording of that name stays
    auto recorder = rig.Make();
    ASSERT_EQ(recorder.Begin(), "");
    EXPECT_EQ(ReadBytes(rig.File(1)), std::vector<uint8_t>(1000, 7));
    const std::string path = rig.folder.Path() + "Ondrix_0001_n1.wav";
    EXPECT_EQ(recorder.FileName(), path);
    EXPECT_EQ(rig.log.at(0), " 2ch 8000 Test Ramp block  8");
    EXPECT_EQ(rig.log.at(1), "Creating " + path + " Rec Mode 2 - single file");
    EXPECT_EQ(ReadBytes(path).size(), 44U);

    StereoRamp ramp;
    std::vector<int16_t> sent;
    for (int i = 0; i < 3; ++i) {
        const auto block = ramp.Next(4);
        sent.insert(sent.end(), block.begin(), block.end());
        recorder.RecordBlock(block, false);
        EXPECT_FALSE(recorder.StopRequested());
    }
    const auto open = ReadBytes(path);
    EXPECT_EQ(open.size(), 44U + 3 * 16);
    EXPECT_EQ(Le32(open, 4), 0xFFFFFFF8U);
    EXPECT_EQ(Le32(open, 40), 0xFFFFFFD4U);
    EXPECT_EQ(recorder.DurationText(), "00:00:00.002"); // 12 frames at 8000/s: 1.5 ms
    EXPECT_EQ(recorder.SizeText(), " 0 kB");            // 92 bytes
    EXPECT_EQ(recorder.StatusText(), "  Rec " + path + " (max 680MB)");

    // The fourth block passes the limit: a single file asks the run to stop.
    recorder.RecordBlock(ramp.Next(4), false);
    EXPECT_TRUE(recorder.StopRequested());
    recorder.End();
    const auto closed = ReadBytes(path);
    ExpectClosedHeader(closed, 2, 8000);
    EXPECT_EQ(closed.size(), 44U + 4 * 16);
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), Samples(closed).begin()));
    EXPECT_EQ(rig.log.back(), "Closing  " + path + " 0kB Fails 2 Overloads 0");
    recorder.RecordBlock(ramp.Next(4), false); // nothing after the end
    EXPECT_EQ(ReadBytes(path).size(), closed.size());
}

TEST(Recorder, CircularFileRewritesItsData) {
    Rig rig;
    rig.settings.mode = FileMode::Circular;
    rig.settings.modeText = "1 - circular";
    rig.settings.maxFileBytes = 44 + 2 * 16;
    auto recorder = rig.Make();
    ASSERT_EQ(recorder.Begin(), "");
    StereoRamp ramp;
    std::vector<std::vector<int16_t>> blocks;
    for (int i = 0; i < 7; ++i) {
        blocks.push_back(ramp.Next(4));
        recorder.RecordBlock(blocks.back(), false);
        EXPECT_LE(recorder.FileBytes(), rig.settings.maxFileBytes + 16);
    }
    recorder.End();
    EXPECT_FALSE(std::filesystem::exists(rig.File(2)));
    EXPECT_EQ(rig.Count("rewriting " + rig.File(1)), 2);
    // Blocks 0-2 filled the file, 3-5 rewrote it from the start of the data, 6 began the next round.
    const auto file = ReadBytes(rig.File(1));
    ExpectClosedHeader(file, 2, 8000);
    const auto samples = Samples(file);
    ASSERT_EQ(samples.size(), 3U * 8);
    EXPECT_TRUE(std::equal(blocks[6].begin(), blocks[6].end(), samples.begin()));
    EXPECT_TRUE(std::equal(blocks[4].begin(), blocks[4].end(), samples.begin() + 8));
    EXPECT_TRUE(std::equal(blocks[5].begin(), blocks[5].end(), samples.begin() + 16));
}

TEST(Recorder, MultipleFilesKeepAnUnbrokenRampAcrossSwitchesAndAPause) {
    Rig rig;
    rig.settings.mode = FileMode::MultipleFiles;
    rig.settings.modeText = "3 - multiple file";
    rig.settings.maxFileBytes = 44 + 5 * 40; // five blocks of 10 stereo frames and one more
    rig.settings.maxFiles = 3;
    rig.settings.blockValues = 20;
    auto recorder = rig.Make();
    std::vector<std::string> shown;
    rig.switched = [&] { shown.push_back(recorder.StatusText()); };
    ASSERT_EQ(recorder.Begin(), "");
    StereoRamp ramp;
    int turns = 0;
    rig.fails = 0;
    while (!recorder.StopRequested() && turns < 100) {
        // The run's counters grow every turn: one fail and three overloads.
        ++rig.fails;
        rig.overloads += 3;
        const bool paused = turns >= 7 && turns < 10; // three paused turns, one block of zeros
        if (paused) {
            recorder.RecordBlock(std::vector<int16_t>(20, 1), true);
        } else {
            recorder.RecordBlock(ramp.Next(10), false);
        }
        ++turns;
    }
    recorder.End();
    EXPECT_EQ(recorder.StatusText(), "  Rec " + rig.File(3) + " (max 680MB) (Repeat)");
    EXPECT_EQ(recorder.SizeText(), " 0 kB");
    EXPECT_EQ(turns, 20); // three files of six blocks, one of them silence, and two quiet turns
    EXPECT_FALSE(std::filesystem::exists(rig.File(4)));
    EXPECT_EQ(rig.Count("Pausing..."), 1);
    EXPECT_EQ(rig.Count("Resuming..."), 1);
    EXPECT_EQ(rig.Count("Creating "), 3);
    EXPECT_EQ(shown, (std::vector<std::string>{"  Rec " + rig.File(2) + " (max 680MB) (Repeat)",
                                               "  Rec " + rig.File(3) + " (max 680MB) (Repeat)"}));
    // Each file reports the counts of its own turns: 6, then 8 (two quiet paused turns), then 6.
    std::vector<std::string> closing;
    std::copy_if(rig.log.begin(), rig.log.end(), std::back_inserter(closing),
                 [](const std::string& line) { return line.rfind("Closing  ", 0) == 0; });
    EXPECT_EQ(closing, (std::vector<std::string>{"Closing  " + rig.File(1) + " Fails 6 Overloads 18",
                                                 "Closing  " + rig.File(2) + " Fails 8 Overloads 24",
                                                 "Closing  " + rig.File(3) + " Fails 6 Overloads 18"}));

    std::vector<int16_t> all;
    for (int n = 1; n <= 3; ++n) {
        const auto file = ReadBytes(rig.File(n));
        ExpectClosedHeader(file, 2, 8000);
        EXPECT_EQ(file.size(), 44U + 6 * 40) << n;
        const auto samples = Samples(file);
        all.insert(all.end(), samples.begin(), samples.end());
        if (SoxAvailable()) {
            EXPECT_EQ(CommandOutput("soxi -s '" + rig.File(n) + "'"), "60\n");
            EXPECT_EQ(CommandOutput("soxi -c '" + rig.File(n) + "'"), "2\n");
        }
    }
    // The ramp runs on from frame to frame except for the one block of zeros of the pause.
    ASSERT_EQ(all.size(), 18U * 20);
    const auto zeros = std::vector<int16_t>(20, 0);
    EXPECT_TRUE(std::equal(zeros.begin(), zeros.end(), all.begin() + 7 * 20));
    all.erase(all.begin() + 7 * 20, all.begin() + 8 * 20);
    for (std::size_t f = 0; f < all.size() / 2; ++f) {
        ASSERT_EQ(all[2 * f], static_cast<int16_t>(f)) << f;
        ASSERT_EQ(all[2 * f + 1], static_cast<int16_t>(f ^ 0x5555)) << f;
    }
}

TEST(Recorder, ClockSplitsOnTheHourOrHalfHour) {
    for (const bool split30 : {false, true}) {
        Rig rig;
        rig.settings.split00 = !split30;
        rig.settings.split30 = split30;
        auto recorder = rig.Make();
        ASSERT_EQ(recorder.Begin(), "");
        StereoRamp ramp;
        // 10:58 .. 12:01, one block a minute.
        for (int minute = 58; minute < 58 + 64; ++minute) {
            rig.now.tm_hour = 10 + minute / 60;
            rig.now.tm_min = minute % 60;
            recorder.RecordBlock(ramp.Next(4), false);
        }
        recorder.End();
        EXPECT_EQ(recorder.StatusText(), "  Rec " + recorder.FileName() + " (max 680MB)");
        const int files = split30 ? 4 : 3; // 11:00, (11:30), 12:00
        EXPECT_EQ(rig.Count("Closed  "), files - 1) << split30;
        EXPECT_EQ(rig.Count("Created "), files - 1) << split30;
        EXPECT_TRUE(std::filesystem::exists(rig.File(files)));
        EXPECT_FALSE(std::filesystem::exists(rig.File(files + 1)));
        uint64_t total = 0;
        for (int n = 1; n <= files; ++n) {
            const auto file = ReadBytes(rig.File(n));
            ExpectClosedHeader(file, 2, 8000);
            total += file.size() - 44;
        }
        EXPECT_EQ(total, 64U * 16);
    }
}

TEST(Recorder, DiskWatchSpansToTheNextVolumeOrStops) {
    // Multiple files spanning: the first volume runs low, recording goes on below the second
    // volume's root with the same path, the ramp unbroken; then no volume is left.
    {
        Rig rig;
        TempFolder second;
        rig.settings.mode = FileMode::MultipleFiles;
        rig.settings.spanDisks = true;
        rig.settings.maxFileBytes = 1048576;
        rig.volumes.volumes[second.Path()] = {.freeKB = 500000, .writable = true};
        auto recorder = rig.Make();
        ASSERT_EQ(recorder.Begin(), "");
        StereoRamp ramp;
        for (int turn = 0; turn < 6; ++turn) {
            if (turn == 3) {
                rig.volumes.volumes["/"].freeKB = kDiskLowKB - 1;
            }
            recorder.RecordBlock(ramp.Next(4), false);
        }
        const std::string moved = second.Path() + rig.folder.Path().substr(1);
        EXPECT_EQ(recorder.FileName(), moved + "Ondrix_0002.wav");
        EXPECT_EQ(rig.Count("Disk Full - Closing  " + rig.File(1) + " Fails 2"), 1);
        EXPECT_EQ(rig.Count("Switch to " + moved), 1);
        EXPECT_FALSE(recorder.StopRequested());
        rig.volumes.volumes[second.Path()].freeKB = 10;
        recorder.RecordBlock(ramp.Next(4), false);
        EXPECT_TRUE(recorder.StopRequested());
        EXPECT_EQ(rig.log.back(), "Stop: no volume after " + second.Path());
        recorder.End();
        const auto first = ReadBytes(rig.File(1));
        const auto next = ReadBytes(moved + "Ondrix_0002.wav");
        ExpectClosedHeader(first, 2, 8000);
        ExpectClosedHeader(next, 2, 8000);
        auto all = Samples(first);
        const auto more = Samples(next);
        all.insert(all.end(), more.begin(), more.end());
        EXPECT_EQ(all, StereoRamp().Next(28));
    }
    // The next volume cannot be written, or has no room for a whole file: no file is opened there.
    for (const bool writable : {false, true}) {
        Rig rig;
        rig.settings.mode = FileMode::MultipleFiles;
        rig.settings.spanDisks = true;
        rig.settings.maxFileBytes = 1048576;
        rig.volumes.volumes["/zz/"] = {.freeKB = writable ? 1000U : 500000U, .writable = writable};
        auto recorder = rig.Make();
        ASSERT_EQ(recorder.Begin(), "");
        rig.volumes.volumes["/"].freeKB = 0;
        recorder.RecordBlock(StereoRamp().Next(4), false);
        EXPECT_TRUE(recorder.StopRequested());
        const std::string moved = "/zz/" + rig.folder.Path().substr(1);
        EXPECT_EQ(rig.log.back(), "Stop: " + moved + (writable ? " Disk Full" : " non writable"));
        EXPECT_FALSE(std::filesystem::exists("/zz"));
        recorder.End();
        ExpectClosedHeader(ReadBytes(rig.File(1)), 2, 8000);
    }
    // A single file and a circular file still growing stop; a circular file that has wrapped no longer
    // grows and goes on.
    for (const int wrapTurns : {-1, 0, 2}) {
        Rig rig;
        rig.settings.mode = wrapTurns < 0 ? FileMode::SingleFile : FileMode::Circular;
        rig.settings.maxFileBytes = 44 + 16;
        auto recorder = rig.Make();
        ASSERT_EQ(recorder.Begin(), "");
        StereoRamp ramp;
        for (int turn = 0; turn < wrapTurns; ++turn) {
            recorder.RecordBlock(ramp.Next(4), false);
        }
        rig.volumes.volumes["/"].freeKB = kDiskLowKB - 1;
        recorder.RecordBlock(ramp.Next(4), false);
        const bool stops = wrapTurns < 2;
        EXPECT_EQ(recorder.StopRequested(), stops) << wrapTurns;
        EXPECT_EQ(rig.Count("Disk Full - Closing " + rig.File(1) + " Fails 2 Overloads 0"), stops ? 1 : 0);
    }
}

TEST(Recorder, StatusTexts) {
    Rig rig;
    rig.settings.mode = FileMode::MultipleFiles;
    rig.settings.split30 = true;
    auto recorder = rig.Make();
    ASSERT_EQ(recorder.Begin(), "");
    EXPECT_EQ(recorder.StatusText(), "  Rec " + rig.File(1) + " (Auto Split) (Repeat)");
    StereoRamp ramp;
    for (int i = 0; i < 1030; ++i) {
        recorder.RecordBlock(ramp.Next(4), false);
    }
    EXPECT_EQ(recorder.SizeText(), " 16 kB"); // 44 + 16480 bytes
    EXPECT_EQ(recorder.DurationText(), "00:00:00.515");
    recorder.End();
    EXPECT_EQ(rig.log.back(), "Closing  " + rig.File(1) + " 16kB Fails 2 Overloads 0");
}

TEST(Recorder, KilledWhileRecordingKeepsEveryWrittenFrame) {
    Rig rig;
    rig.settings.maxFileBytes = 2000ULL * 1048576;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Records a ramp without end; tells the parent once 20 000 blocks have been handed over.
        auto recorder = rig.Make();
        if (!recorder.Begin().empty()) {
            _exit(1);
        }
        StereoRamp ramp;
        for (long i = 0;; ++i) {
            recorder.RecordBlock(ramp.Next(4), false);
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

    // The placeholders remain, followed by whole stereo frames of the ramp from its first sample.
    const auto file = ReadBytes(rig.File(1));
    ASSERT_GE(file.size(), 44U + 20001 * 16);
    EXPECT_EQ(Le32(file, 4), 0xFFFFFFF8U);
    EXPECT_EQ(Le32(file, 40), 0xFFFFFFD4U);
    EXPECT_EQ((file.size() - 44) % 4, 0U);
    const auto samples = Samples(file);
    for (std::size_t f = 0; f < samples.size() / 2; ++f) {
        ASSERT_EQ(samples[2 * f], static_cast<int16_t>(f)) << f;
        ASSERT_EQ(samples[2 * f + 1], static_cast<int16_t>(f ^ 0x5555)) << f;
    }
}

TEST(Recorder, RepeatedNamesNeverReplaceAFile) {
    Rig rig;
    rig.settings.mode = FileMode::MultipleFiles;
    rig.settings.maxFileBytes = 44 + 16;
    rig.settings.maxFiles = 3;
    rig.settings.naming = {.prefix = "Same", .separator = "-"};
    auto recorder = rig.Make();
    ASSERT_EQ(recorder.Begin(), "");
    StereoRamp ramp;
    while (!recorder.StopRequested()) {
        recorder.RecordBlock(ramp.Next(4), false);
    }
    recorder.End();
    std::vector<int16_t> all;
    for (const std::string name : {"Same.wav", "Same-n1.wav", "Same-n2.wav"}) {
        const auto file = ReadBytes(rig.folder.Path() + name);
        ExpectClosedHeader(file, 2, 8000);
        const auto samples = Samples(file);
        all.insert(all.end(), samples.begin(), samples.end());
    }
    EXPECT_EQ(all, StereoRamp().Next(24));
}

TEST(Recorder, SettingsReadFromTheBasicSettingsWindow) {
    SettingsModel settings;
    ControlModel& basic = settings.Window(WindowId::Options0);
    auto read = [&] { return RecorderSettingsFromSettings(settings, 2, 48000, "Mic", 4096); };
    auto defaults = read();
    EXPECT_EQ(defaults.mode, FileMode::SingleFile);
    EXPECT_EQ(defaults.maxFileBytes, 680ULL * 1048576);
    EXPECT_EQ(defaults.maxFiles, 9999);
    EXPECT_EQ(defaults.naming.prefix, "Ondrix");
    EXPECT_EQ(defaults.naming.separator, "_");
    EXPECT_EQ(defaults.blockValues, 4096);

    basic.SetText("FileModeCombo", "3 - multiple file");
    basic.SetText("FileMaxSizeCombo", "659.18 MB");
    basic.SetText("MaxNFiles", "3");
    const auto multiple = read();
    EXPECT_EQ(multiple.maxFileMegabytes, 659.18);
    EXPECT_EQ(multiple.mode, FileMode::MultipleFiles);
    EXPECT_EQ(multiple.modeText, "3 - multiple file");
    EXPECT_EQ(multiple.maxFileBytes, 691200328U); // 659.18 x 1048576 = 691200327.68
    EXPECT_EQ(multiple.maxFiles, 3);
    // A size typed above 2000 MB is reduced to 2000 MB; none at all becomes 1 MB.
    basic.SetText("FileMaxSizeCombo", "4096 MB");
    EXPECT_EQ(read().maxFileBytes, 2000ULL * 1048576);
    basic.SetText("FileMaxSizeCombo", "big");
    EXPECT_EQ(read().maxFileBytes, 1048576U);
    basic.SetText("FileModeCombo", "1 - circular");
    EXPECT_EQ(read().mode, FileMode::Circular);
}

} // namespace
} // namespace ondrix
