// Plays a 384 000 samples/s WAV headless through the playback task to "Ondrix Null Output", with
// analysis and drawing, and reports the loop thread's CPU time per second of sound and the underruns;
// then fills the RAM buffer from "Ondrix Test Ramp" at 1 000 000 samples/s in a real-time run, saves it
// whole and reads the file back: every sample must continue the ramp.
#include "LoopRunSupport.h"
#include "analysis/RealTimeLoop.h"
#include "analysis/SpectrumAveraging.h"
#include "audio/DeviceCatalog.h"
#include "audio/DeviceLists.h"
#include "audio/DeviceNames.h"
#include "common/ConsoleInteraction.h"
#include "display/LayoutRefresh.h"
#include "display/Palette.h"
#include "display/SpectrogramRenderer.h"
#include "files/CurrentFile.h"
#include "files/FilePlaybackLoop.h"
#include "files/PlayList.h"
#include "files/SoundFileFormat.h"
#include "recording/RamBufferCommands.h"
#include "recording/WavHeader.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace ondrix {
namespace {

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Analysis {
    int rate;
    int fftSize;
    int step;
    int rows;
    int width;
};

// The window's parts headless: settings, task controller, devices and the picture of the given width.
struct Rig {
    explicit Rig(const Analysis& analysis) {
        settings.ApplyInitialValues();
        devices.RefreshDeviceLists();
        ControlModel& form = settings.Form1();
        form.SetText("SampleRate", std::to_string(analysis.rate));
        form.SetText("FFTSize", std::to_string(analysis.fftSize));
        form.SetText("WindowSize", std::to_string(analysis.fftSize));
        form.SetText("ScanStep", std::to_string(analysis.step));
        form.SetText("Combo7", std::to_string(analysis.rows));
        settings.SetMaxSpectrogramHeight(analysis.rows);
        settings.Hooks().updateForm = [this, width = analysis.width] {
            RefreshDisplayLayout(settings, menus, palette, renderer, width);
        };
    }

    // Runs the selected task until `done` says so, and answers the loop thread's CPU seconds from the
    // first event on.
    double Run(const std::function<bool()>& done) {
        double cpuStart = 0.0;
        bool started = false;
        pump.onEvents = [&] {
            if (!started) {
                started = true;
                cpuStart = ThreadCpuSeconds();
            }
            if (done() && !tasks.SessionStopped()) {
                settings.Form1().Click("StartStop");
            }
        };
        settings.Form1().Click("StartStop");
        pump.onEvents = {};
        return ThreadCpuSeconds() - cpuStart;
    }

    SettingsModel settings;
    MenuModel menus;
    ConsoleInteraction dialogs;
    PollingPump pump;
    TaskController tasks{settings, menus, dialogs, pump};
    DeviceCatalog catalog{nullptr};
    DeviceLists devices{settings, catalog, dialogs};
    Palette palette;
    SpectrogramRenderer renderer{palette, 0xffc0c0c0u};
    SpectrumAveraging averaging;
};

// A mono 16-bit WAV of a 25 kHz sine at 12000 peak, written a second at a time.
void WriteSine(const std::string& path, int rate, double seconds) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<int16_t> second(static_cast<std::size_t>(rate));
    out.write(std::string(kWavHeaderBytes, '\0').data(), kWavHeaderBytes);
    const auto total = static_cast<int64_t>(seconds * rate);
    for (int64_t at = 0; at < total; at += rate) {
        const auto count = static_cast<std::size_t>(std::min<int64_t>(rate, total - at));
        for (std::size_t i = 0; i < count; ++i) {
            const double t = static_cast<double>(at + static_cast<int64_t>(i)) / rate;
            second[i] =
                static_cast<int16_t>(std::lround(12000.0 * std::sin(2.0 * std::numbers::pi * 25000.0 * t)));
        }
        out.write(reinterpret_cast<const char*>(second.data()), static_cast<std::streamsize>(count * 2));
    }
    out.close();
    WriteWavHeader(path, 1, static_cast<uint32_t>(rate));
}

struct PlaybackResult {
    int blockSize = 0;
    double seconds = 0.0; // of sound played
    double wall = 0.0;
    double cpuPerSecond = 0.0;
    int64_t blocks = 0;
    uint64_t underruns = 0;
    std::string status;
};

PlaybackResult Playback(const Analysis& analysis, const std::string& path, double seconds) {
    Rig rig(analysis);
    CurrentFile file;
    PlayList list;
    FilePlaybackContext playback{rig.settings,  rig.tasks, rig.dialogs, rig.renderer,
                                 rig.averaging, file,      rig.devices, list};
    playback.hooks.watchOutput = [&](int fd) { rig.pump.fd = fd; };
    RegisterFilePlaybackLoop(rig.tasks.Loops(), playback);
    rig.tasks.SelectTask(3); // the playback default block size
    file.name = path;
    file.info = DetectFileType(path, FileFormatSettings{});
    rig.tasks.SetCurrentFileName(path);

    PlaybackResult result;
    const double wallStart = WallSeconds();
    const double cpu = rig.Run([] { return false; }); // plays to the end of the file
    result.wall = WallSeconds() - wallStart;
    result.blockSize = rig.settings.Form1().IntValue("BlockSize");
    result.blocks = playback.status.blocks;
    result.underruns = playback.status.underruns;
    result.seconds = std::min(static_cast<double>(result.blocks) * result.blockSize / analysis.rate, seconds);
    result.cpuPerSecond = result.seconds > 0 ? cpu / result.seconds : 0.0;
    result.status = rig.settings.Form1().Text("StatusLine");
    return result;
}

struct BufferResult {
    std::string bufferText; // the run's description of the buffer length
    double seconds = 0.0;   // of sound captured
    double cpuPerSecond = 0.0;
    int64_t fails = 0;
    int64_t dropped = 0;
    int64_t capacity = 0;
    int64_t fileSamples = 0;
    int64_t fileRampBreaks = 0;
    double saveSeconds = 0.0;
    double syncSeconds = 0.0; // fsync of the saved file afterwards: the disk itself
    bool saved = false;
    bool headerRight = false; // the header's rate, channels and data length match what was held
};

// The ramp breaks and samples of a saved WAV.
void CheckSaved(const std::string& path, BufferResult& result) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(kWavHeaderBytes);
    std::vector<char> chunk(1 << 20);
    bool first = true;
    uint16_t expected = 0;
    while (in) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const std::streamsize got = in.gcount();
        for (std::streamsize at = 0; at + 1 < got; at += 2) {
            const auto sample = static_cast<uint16_t>(static_cast<uint8_t>(chunk[at]) |
                                                      static_cast<uint8_t>(chunk[at + 1]) << 8);
            if (!first && sample != expected) {
                ++result.fileRampBreaks;
            }
            first = false;
            expected = static_cast<uint16_t>(sample + 1);
            ++result.fileSamples;
        }
    }
}

BufferResult FillAndSave(const Analysis& analysis, int block, int megabytes, const std::string& path) {
    Rig rig(analysis);
    ControlModel& form = rig.settings.Form1();
    for (const DeviceEntry& entry : rig.catalog.Inputs()) {
        if (entry.fullName == kTestRampName) {
            form.SetText("Combo10", entry.listName);
        }
    }
    form.SetText("BlockSize", std::to_string(block));
    rig.settings.Options2().SetText("Combo2", "8");
    form.SetText("Combo12", std::to_string(megabytes) + " Mbytes");
    rig.settings.Options0().SetText("RamBufferModeCombo", "1"); // circular

    RealTimeContext context{rig.settings, rig.tasks, rig.devices, rig.dialogs, rig.renderer, rig.averaging};
    RamBufferCommands buffer(rig.settings, rig.dialogs,
                             RamBufferEnvironment{.stopRun = [&] { rig.tasks.SetSessionStopped(true); }});
    BufferResult result;
    int64_t samples = 0;
    context.hooks.watchCapture = [&](int fd) { rig.pump.fd = fd; };
    context.hooks.ramBufferSetUp = [&](int blockValues, int channels, uint32_t rate) {
        result.bufferText = buffer.RunStarts(blockValues, channels, rate);
        return result.bufferText;
    };
    context.hooks.ramBufferAppend = [&](std::span<const int16_t> values) {
        buffer.Append(values);
        samples += static_cast<int64_t>(values.size());
    };
    rig.tasks.Loops().Register(LoopSlot::RealTimeMono,
                               [&] { return std::make_unique<RealTimeLoop>(context); });

    const double cpu = rig.Run([&] { return buffer.Buffer().Wrapped(); });
    result.seconds = static_cast<double>(samples) / analysis.rate;
    result.cpuPerSecond = result.seconds > 0 ? cpu / result.seconds : 0.0;
    result.fails = context.status.fails;
    result.dropped = context.status.droppedBlocks;
    result.capacity = buffer.Buffer().Capacity();

    const double saveStart = WallSeconds();
    result.saved = buffer.Buffer().SaveWhole(path) == RamBuffer::Saved::Whole;
    result.saveSeconds = WallSeconds() - saveStart;
    const double syncStart = WallSeconds();
    if (const int fd = open(path.c_str(), O_RDONLY); fd >= 0) {
        fsync(fd);
        close(fd);
    }
    result.syncSeconds = WallSeconds() - syncStart;
    if (result.saved) {
        CheckSaved(path, result);
        const SoundFileInfo info = DetectFileType(path, FileFormatSettings{});
        result.headerRight = info.sampleRate == analysis.rate && info.channels == 1 &&
                             (info.dataEnd - info.headerSize) / 2 == result.capacity;
    }
    return result;
}

} // namespace
} // namespace ondrix

int main(int argc, char** argv) {
    using namespace ondrix;
    // Shorter runs for a quick look: ondrix_bench_playback SECONDS MEGABYTES.
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    const int megabytes = argc > 2 ? std::atoi(argv[2]) : 256;
    // The files go to a folder on disk ($ONDRIX_BENCH_FOLDER, else /var/tmp), not to a memory file system.
    const char* base = std::getenv("ONDRIX_BENCH_FOLDER");
    std::string folder = std::string(base != nullptr ? base : "/var/tmp") + "/ondrix-bench-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) {
        std::perror(folder.c_str());
        return 1;
    }

    const Analysis play{384000, 1024, 256, 256, 1280};
    const std::string sine = folder + "/sine.wav";
    WriteSine(sine, play.rate, seconds);
    const PlaybackResult played = Playback(play, sine, seconds);
    std::printf("%-34s %8d samples/s FFT %5d step %4d rows %4d width %4d B %6d: %6.1f s of sound in %6.1f s, "
                "CPU %6.2f %% of a core, %6lld blocks, underruns %llu, status \"%s\"\n",
                "File playback to the null output", play.rate, play.fftSize, play.step, play.rows, play.width,
                played.blockSize, played.seconds, played.wall, played.cpuPerSecond * 100.0,
                static_cast<long long>(played.blocks), static_cast<unsigned long long>(played.underruns),
                played.status.c_str());
    std::fflush(stdout);
    std::filesystem::remove(sine);

    const Analysis live{1000000, 512, 128, 256, 1024};
    const int block = 65536;
    const BufferResult filled = FillAndSave(live, block, megabytes, folder + "/buffer.wav");
    const double mb = static_cast<double>(filled.fileSamples) * 2.0 / 1e6;
    std::printf("%-34s %8d samples/s FFT %5d step %4d rows %4d NB  8 B %6d: %4d Mbytes (%s), %6.1f s of "
                "sound, CPU %6.2f %% of a core, fails %lld, dropped blocks %lld\n",
                "RAM buffer, test ramp, circular", live.rate, live.fftSize, live.step, live.rows, block,
                megabytes, filled.bufferText.c_str(), filled.seconds, filled.cpuPerSecond * 100.0,
                static_cast<long long>(filled.fails), static_cast<long long>(filled.dropped));
    std::printf(
        "%-34s %s: %lld samples of %lld held (%.1f MB), header %s, file ramp breaks %lld, save %.3f s "
        "(%.0f MB/s), fsync afterwards %.3f s\n",
        "RAM buffer, SaveWhole", filled.saved ? "saved" : "FAILED",
        static_cast<long long>(filled.fileSamples), static_cast<long long>(filled.capacity), mb,
        filled.headerRight ? "right" : "WRONG", static_cast<long long>(filled.fileRampBreaks),
        filled.saveSeconds, filled.saveSeconds > 0 ? mb / filled.saveSeconds : 0.0, filled.syncSeconds);
    std::fflush(stdout);
    std::filesystem::remove_all(folder);
    return 0;
}
