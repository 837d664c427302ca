// "Ondrix Test Ramp" recorded through the real-time loop in multiple-file mode with 1 MB files, with a
// recording pause in the middle: the data of all files, concatenated, is the ramp with not one sample lost,
// repeated or reordered across the file switches, apart from the one block of silence the pause writes.
#include "TempFolder.h"
#include "audio/DeviceNames.h"
#include "common/Clock.h"
#include "recording/Recorder.h"
#include "support/ByteFiles.h"
#include "support/RealTimeLoopRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace ondrix {
namespace {

TEST(RecordingLoopRealTime, MultipleFilesKeepTheRampWholeAcrossSwitchesAndAPause) {
    constexpr int kRate = 192000;
    constexpr int kBlock = 16384;
    constexpr double kSeconds = 15.0;
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
    basic.SetText("FileModeCombo", "3 - multiple file");
    basic.SetText("FileMaxSizeCombo", "1 MB");
    basic.SetText("FileRecPathField", folder.Path());
    RealTimeHooks& hooks = rig.context.hooks;
    hooks.prepareRecording = [&] {
        recorder = std::make_unique<Recorder>(
            RecorderSettingsFromSettings(rig.settings, 1, kRate, form.Text("Combo10"), kBlock),
            RecorderEnvironment{.volumes = volumes, .clock = [] { return LocalNow(); }, .log = [](auto&) {}});
        return recorder->Begin().empty();
    };
    hooks.recordBlock = [&](auto block, bool paused) { recorder->RecordBlock(block, paused); };
    hooks.endRecording = [&] { recorder->End(); };
    rig.tasks.SelectTask(2);
    const int64_t total = static_cast<int64_t>(kSeconds * kRate / kBlock);
    rig.Session([&](int) {
        const int64_t blocks = rig.context.status.blocks;
        // Rec Pause held for a few blocks in the middle of the run.
        form.SetChecked("RecPauseFlag", blocks >= total / 2 && blocks < total / 2 + 4);
        return blocks < total;
    });
    ASSERT_TRUE(rig.dialogs.messages.empty()) << rig.dialogs.messages.front().text;
    EXPECT_EQ(rig.context.status.droppedBlocks, 0);
    EXPECT_EQ(rig.context.status.fails, 0);
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        files.push_back(entry.path().string());
    }
    std::ranges::sort(files); // the progressive number orders them
    ASSERT_GE(files.size(), 5u);
    std::vector<uint16_t> data;
    for (const std::string& file : files) { // each closed with its sizes; the header bytes are WavHeader's
        const std::vector<uint8_t> bytes = ReadBytes(file);
        ASSERT_GE(bytes.size(), 44u) << file;
        EXPECT_EQ(Le32(bytes, 40), bytes.size() - 44) << file;
        for (std::size_t at = 44; at + 1 < bytes.size(); at += 2) {
            data.push_back(static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8));
        }
    }
    // The ramp from 0 with exactly one break: one block of zeros, then the ramp again from where capture
    // resumed.
    int breaks = 0;
    for (std::size_t i = 0, expected = 0; i < data.size(); ++i, ++expected) {
        if (data[i] != static_cast<uint16_t>(expected)) {
            ASSERT_EQ(++breaks, 1) << "second break at sample " << i;
            ASSERT_LT(i + kBlock, data.size());
            EXPECT_EQ(std::count(data.begin() + i, data.begin() + i + kBlock, 0), kBlock)
                << "silence at " << i;
            i += kBlock;
            expected = data[i];
        }
    }
    EXPECT_EQ(breaks, 1);
    EXPECT_GE(data.size(), static_cast<std::size_t>((total - 4) * kBlock));
}

} // namespace
} // namespace ondrix
