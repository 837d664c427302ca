// "Ondrix Test Ramp" recorded through the real-time loop in multiple-file mode with 1 MB files, with a
// recording pause in the middle: the data of all files, concatenated, is the ramp with not one sample lost,
// repeated or reordered across the file switches, apart from the one block of silence the pause writes.
#include "RecordingFiles.h"
#include "TempFolder.h"
#include "analysis/RealTimeMonoLoop.h"
#include "analysis/SpectrumAveraging.h"
#include "audio/DeviceCatalog.h"
#include "audio/DeviceLists.h"
#include "audio/DeviceNames.h"
#include "common/Clock.h"
#include "display/LayoutRefresh.h"
#include "display/Palette.h"
#include "display/SpectrogramRenderer.h"
#include "recording/Recorder.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"
#include "support/ScriptedInteraction.h"
#include "support/ScriptedPump.h"

#include <gtest/gtest.h>

#include <poll.h>

#include <algorithm>
#include <filesystem>

namespace ondrix {
namespace {

TEST(RecordingLoopRealTime, MultipleFilesKeepTheRampWholeAcrossSwitchesAndAPause) {
    constexpr int kRate = 96000;
    constexpr int kBlock = 16384;
    constexpr double kSeconds = 30.0;
    TempFolder folder;
    SettingsModel settings;
    MenuModel menus;
    ScriptedInteraction dialogs;
    ScriptedPump pump;
    TaskController tasks(settings, menus, dialogs, pump);
    DeviceCatalog catalog(nullptr);
    DeviceLists devices(settings, catalog, dialogs);
    Palette palette;
    SpectrogramRenderer renderer(palette, 0xffc0c0c0u);
    SpectrumAveraging averaging;
    RealTimeContext context{settings, tasks, devices, dialogs, renderer, averaging};
    LocalVolumes volumes;
    std::unique_ptr<Recorder> recorder;
    std::vector<std::string> log;

    settings.ApplyInitialValues();
    devices.RefreshDeviceLists();
    settings.Hooks().updateForm = [&] { RefreshDisplayLayout(settings, menus, palette, renderer, 400); };
    for (const DeviceEntry& entry : catalog.Inputs()) {
        if (entry.fullName == kTestRampName) {
            settings.Form1().SetText("Combo10", entry.listName);
        }
    }
    ControlModel& form = settings.Form1();
    form.SetText("SampleRate", std::to_string(kRate));
    form.SetText("BlockSize", std::to_string(kBlock));
    settings.Options2().SetText("Combo2", "8");
    ControlModel& basic = settings.Options0();
    basic.SetText("FileModeCombo", "3 - multiple file");
    basic.SetText("FileMaxSizeCombo", "1 MB");
    basic.SetText("FileRecPathField", folder.Path());

    context.hooks.prepareRecording = [&] {
        recorder = std::make_unique<Recorder>(
            RecorderSettingsFromSettings(settings, 1, kRate, form.Text("Combo10"),
                                         form.IntValue("BlockSize")),
            RecorderEnvironment{.volumes = volumes,
                                .clock = [] { return LocalNow(); },
                                .log = [&](const std::string& line) { log.push_back(line); }});
        return recorder->Begin().empty();
    };
    context.hooks.recordBlock = [&](std::span<const int16_t> block, bool paused) {
        recorder->RecordBlock(block, paused);
    };
    context.hooks.endRecording = [&] { recorder->End(); };
    tasks.Loops().Register(LoopSlot::RealTimeMono,
                           [&] { return std::make_unique<RealTimeMonoLoop>(context); });
    tasks.SelectTask(2);

    int wakeFd = -1;
    context.hooks.watchCapture = [&](int fd) { wakeFd = fd; };
    const int64_t total = static_cast<int64_t>(kSeconds * kRate / kBlock);
    pump.onEvents = [&](int) {
        if (wakeFd >= 0) {
            pollfd watched{wakeFd, POLLIN, 0};
            poll(&watched, 1, 20);
        }
        const int64_t blocks = context.status.blocks;
        // Rec Pause held for a few blocks in the middle of the run.
        form.SetChecked("RecPauseFlag", blocks >= total / 2 && blocks < total / 2 + 4);
        if (blocks >= total && !tasks.SessionStopped()) {
            form.Click("StartStop");
        }
    };
    form.Click("StartStop");
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text;
    EXPECT_EQ(context.status.droppedBlocks, 0);
    EXPECT_EQ(context.status.fails, 0);

    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end()); // the progressive number orders them
    ASSERT_GE(files.size(), 5u);
    std::vector<int16_t> data;
    for (const std::string& file : files) {
        const std::vector<uint8_t> bytes = ReadBytes(file);
        ASSERT_GE(bytes.size(), 44u);
        EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8) << file;
        EXPECT_EQ(Le32(bytes, 40), bytes.size() - 44) << file;
        EXPECT_EQ(Le32(bytes, 24), static_cast<uint32_t>(kRate)) << file;
        for (std::size_t at = 44; at + 1 < bytes.size(); at += 2) {
            data.push_back(static_cast<int16_t>(bytes[at] | bytes[at + 1] << 8));
        }
        const std::string quoted = "'" + file + "'";
        const std::string info =
            CommandOutput("soxi -r " + quoted + " && soxi -c " + quoted + " && soxi -s " + quoted);
        if (!info.empty()) {
            EXPECT_EQ(info, std::to_string(kRate) + "\n1\n" + std::to_string((bytes.size() - 44) / 2) + "\n")
                << file;
        }
    }
    // The ramp from 0 with exactly one break: one block of zeros, then the ramp again from where capture
    // resumed.
    int breaks = 0;
    uint16_t expected = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (static_cast<uint16_t>(data[i]) == expected) {
            ++expected;
            continue;
        }
        ++breaks;
        ASSERT_EQ(breaks, 1) << "second break at sample " << i;
        ASSERT_LE(i + kBlock, data.size());
        for (int k = 0; k < kBlock; ++k) {
            ASSERT_EQ(data[i + static_cast<std::size_t>(k)], 0) << "silence sample " << k;
        }
        i += kBlock;
        expected = static_cast<uint16_t>(data[i] + 1);
    }
    EXPECT_EQ(breaks, 1);
    EXPECT_GE(data.size(), static_cast<std::size_t>((total - 4) * kBlock));
}

} // namespace
} // namespace ondrix
