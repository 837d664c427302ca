// Runs the real-time loop headless on "Ondrix Test Signal" and "Ondrix Test Ramp" through the same
// Start/Stop action as the window, and reports the loop thread's CPU time per second of sound and
// whether every sample of the ramp arrived at the higher rates; and the same while recording, with the ramp
// read back from the file.
#include "LoopRunSupport.h"
#include "analysis/RealTimeLoop.h"
#include "analysis/SpectrumAveraging.h"
#include "audio/DeviceCatalog.h"
#include "audio/DeviceLists.h"
#include "audio/DeviceNames.h"
#include "audio/TestRamp.h"
#include "common/Clock.h"
#include "common/ConsoleInteraction.h"
#include "display/LayoutRefresh.h"
#include "display/Palette.h"
#include "display/SpectrogramRenderer.h"
#include "recording/Recorder.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace ondrix {
namespace {

struct RunResult {
    double cpuPerSecond = 0.0; // loop thread CPU seconds per second of sound
    int64_t fails = 0;
    int64_t dropped = 0;
    int64_t columns = 0;
    int64_t rampBreaks = 0; // samples that did not continue the ramp
    double seconds = 0.0;
    int64_t recordedSamples = -1; // samples in the recording, when one was made
    int64_t fileRampBreaks = 0;   // samples of the recording that did not continue the ramp
};

struct RunSettings {
    std::string_view device;
    int rate;
    int fftSize;
    int step;
    int rows;
    int slotCount;
    int block;
    double seconds;
    std::string recordFolder{}; // records (task 2, one file) into this folder when set
    int channels = 1;
};

// Follows the test ramp value by value (interleaved when stereo): Take is false for a value that does not
// continue it, and the ramp is taken up again from there.
class RampFollower {
public:
    explicit RampFollower(int channels) : channels_(channels) {}
    bool Take(int16_t value) {
        const bool continues = value == TestRamp::ValueAt(frame_, channel_);
        if (!continues) {
            frame_ = static_cast<uint16_t>(static_cast<uint16_t>(value) -
                                           (channel_ == 1 ? TestRamp::kRightOffset : 0));
        }
        if (++channel_ == channels_) {
            channel_ = 0;
            ++frame_;
        }
        return continues;
    }

private:
    int channels_;
    int channel_ = 0;
    uint64_t frame_ = 0;
};

// The ramp breaks of a recording's samples, read back from the file after the run.
void CheckRecording(const std::string& file, int channels, RunResult& result) {
    std::ifstream in(file, std::ios::binary);
    in.seekg(44);
    std::vector<char> chunk(1 << 20);
    int64_t count = 0;
    RampFollower ramp(channels);
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const std::streamsize got = in.gcount();
        for (std::streamsize at = 0; at + 1 < got; at += 2) {
            const auto sample = static_cast<int16_t>(static_cast<uint8_t>(chunk[at]) |
                                                     static_cast<uint8_t>(chunk[at + 1]) << 8);
            result.fileRampBreaks += ramp.Take(sample) ? 0 : 1;
            ++count;
        }
    }
    result.recordedSamples = count / channels;
}

RunResult Run(const RunSettings& run) {
    SettingsModel settings;
    MenuModel menus;
    ConsoleInteraction dialogs;
    PollingPump pump;
    TaskController tasks(settings, menus, dialogs, pump);
    DeviceCatalog catalog(nullptr);
    DeviceLists devices(settings, catalog, dialogs);
    Palette palette;
    SpectrogramRenderer renderer(palette, 0xffc0c0c0u);
    SpectrumAveraging averaging;
    RealTimeContext context{settings, tasks, devices, dialogs, renderer, averaging};

    settings.ApplyInitialValues();
    devices.RefreshDeviceLists();
    for (const DeviceEntry& entry : catalog.Inputs()) {
        if (entry.fullName == run.device) {
            settings.Form1().SetText("Combo10", entry.listName);
        }
    }
    ControlModel& form = settings.Form1();
    form.SetText("SampleRate", std::to_string(run.rate));
    form.SetText("BlockSize", std::to_string(run.block));
    form.SetText("FFTSize", std::to_string(run.fftSize));
    form.SetText("WindowSize", std::to_string(run.fftSize));
    form.SetText("ScanStep", std::to_string(run.step));
    form.SetText("Combo7", std::to_string(run.rows));
    settings.Options2().SetText("Combo2", std::to_string(run.slotCount));
    settings.SetMaxSpectrogramHeight(run.rows);
    settings.Hooks().updateForm = [&] { RefreshDisplayLayout(settings, menus, palette, renderer, 1024); };

    RunResult result;
    RampFollower ramp(run.channels);
    int64_t samples = 0; // frames
    context.hooks.watchCapture = [&](int fd) { pump.fd = fd; };
    context.hooks.ramBufferAppend = [&](std::span<const int16_t> block) {
        for (int16_t sample : block) {
            result.rampBreaks += ramp.Take(sample) ? 0 : 1;
        }
        samples += static_cast<int64_t>(block.size()) / run.channels;
    };
    tasks.Loops().Register(LoopSlot::RealTimeMono, [&] { return std::make_unique<RealTimeLoop>(context); });
    tasks.Loops().Register(LoopSlot::RealTimeStereo,
                           [&] { return std::make_unique<RealTimeLoop>(context, 2); });
    settings.Options0().SetText("NchanCombo", run.channels == 2 ? "2 - stereo" : "1 - mono");

    // Recording: one file of up to 2000 MB, the way the window's task 2 records.
    LocalVolumes volumes;
    std::unique_ptr<Recorder> recorder;
    std::string recordedFile;
    if (!run.recordFolder.empty()) {
        ControlModel& basic = settings.Options0();
        basic.SetText("FileModeCombo", "2 - single file");
        basic.SetText("FileMaxSizeCombo", "2000 MB");
        basic.SetText("FileRecPathField", run.recordFolder);
        context.hooks.prepareRecording = [&] {
            recorder = std::make_unique<Recorder>(
                RecorderSettingsFromSettings(settings, run.channels, static_cast<uint32_t>(run.rate),
                                             form.Text("Combo10"), form.IntValue("BlockSize")),
                RecorderEnvironment{
                    .volumes = volumes,
                    .clock = [] { return LocalNow(); },
                    .log = [](const std::string& line) { std::fprintf(stderr, "log: %s\n", line.c_str()); }});
            return recorder->Begin().empty();
        };
        context.hooks.recordBlock = [&](std::span<const int16_t> block, bool paused) {
            recorder->RecordBlock(block, paused);
        };
        context.hooks.endRecording = [&] {
            recordedFile = recorder->FileName();
            recorder->End();
        };
        tasks.SelectTask(2);
    }

    double cpuStart = 0.0;
    bool started = false;
    pump.onEvents = [&] {
        if (!started) {
            started = true;
            cpuStart = ThreadCpuSeconds();
        }
        if (samples >= static_cast<int64_t>(run.seconds * run.rate) && !tasks.SessionStopped()) {
            form.Click("StartStop");
        }
    };
    form.Click("StartStop");
    const double cpu = ThreadCpuSeconds() - cpuStart;
    result.seconds = static_cast<double>(samples) / run.rate;
    result.cpuPerSecond = result.seconds > 0 ? cpu / result.seconds : 0.0;
    result.fails = context.status.fails;
    result.dropped = context.status.droppedBlocks;
    result.columns = context.status.columns;
    if (run.device != kTestRampName) {
        result.rampBreaks = -1;
    }
    if (!recordedFile.empty()) {
        CheckRecording(recordedFile, run.channels, result);
        std::filesystem::remove(recordedFile);
    }
    return result;
}

void Report(const char* what, const RunSettings& run, const RunResult& result) {
    std::printf("%-36s %dch %8d samples/s FFT %5d step %4d rows %4d NB %2d B %6d: %6.1f s of sound, "
                "CPU %6.2f %% of a core, %9lld columns, fails %lld, dropped blocks %lld",
                what, run.channels, run.rate, run.fftSize, run.step, run.rows, run.slotCount, run.block,
                result.seconds, result.cpuPerSecond * 100.0, static_cast<long long>(result.columns),
                static_cast<long long>(result.fails), static_cast<long long>(result.dropped));
    if (result.rampBreaks >= 0) {
        std::printf(", ramp breaks %lld", static_cast<long long>(result.rampBreaks));
    }
    if (result.recordedSamples >= 0) {
        std::printf(", recorded %lld samples (%.1f s), file ramp breaks %lld",
                    static_cast<long long>(result.recordedSamples),
                    static_cast<double>(result.recordedSamples) / run.rate,
                    static_cast<long long>(result.fileRampBreaks));
    }
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace
} // namespace ondrix

int main(int argc, char** argv) {
    using namespace ondrix;
    // A shorter run for a quick look: ondrix_bench_realtime SECONDS.
    const double seconds = argc > 1 ? std::atof(argv[1]) : 30.0;
    const RunSettings live{kTestSignalName, 48000, 1024, 256, 256, 8, 8192, std::min(seconds, 20.0)};
    Report("Test signal, live analysis", live, Run(live));
    for (int rate : {250000, 384000, 500000, 1000000}) {
        const RunSettings fast{kTestRampName, rate, 512, 128, 256, 8, 65536, seconds};
        Report("Test ramp, highest rates", fast, Run(fast));
    }
    // Recording to disk at 1 000 000 samples/s with analysis and drawing on. The file goes to a folder
    // on disk ($ONDRIX_BENCH_FOLDER, else /var/tmp), not to a memory file system.
    const char* base = std::getenv("ONDRIX_BENCH_FOLDER");
    std::string folder = std::string(base != nullptr ? base : "/var/tmp") + "/ondrix-bench-XXXXXX";
    if (mkdtemp(folder.data()) != nullptr) {
        const RunSettings recording{kTestRampName, 1000000,     512,         128, 256, 8,
                                    65536,         2 * seconds, folder + "/"};
        Report("Test ramp, recording to disk", recording, Run(recording));
        // Two channels of the ramp, recorded, for 60 s (the right channel runs 16384 ahead).
        for (int rate : {500000, 1000000}) {
            const RunSettings stereo{kTestRampName, rate,        512,          128, 256, 8,
                                     131072,        2 * seconds, folder + "/", 2};
            Report("Stereo test ramp, recording to disk", stereo, Run(stereo));
        }
        std::filesystem::remove_all(folder);
    }
    return 0;
}
