// Exports a ten-minute 48 kHz mono WAV (FFT 1024, Hanning 1024, step 512, height 256) with and without
// the PNG pages, runs the bare column chain over the same samples, and sox's spectrogram and ffmpeg's
// showspectrumpic on the same file when they are installed, all in one run so the machine's state is the
// same for each. Then an archive of twenty such files through the built program (--jobs 2, --jobs 1,
// without pages) and through sox on GNU parallel. An argument (pages, none, chain, tools, archive) runs
// only that part, e.g. under a profiler.
#include "analysis/ColumnChain.h"
#include "common/ConsoleInteraction.h"
#include "files/FileExport.h"
#include "recording/WavHeader.h"
#include "settings/MenuModel.h"
#include "settings/SettingsFiles.h"
#include "settings/SettingsModel.h"

#include <QCoreApplication>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace ondrix {
namespace {

constexpr int kRate = 48000;
constexpr int kSeconds = 600;
constexpr int kStep = 512;
constexpr double kColumns = static_cast<double>(kRate) * kSeconds / kStep;
constexpr int kArchiveFiles = 20;

using Clock = std::chrono::steady_clock;

// A slow sweep, a steady tone and some noise: every page has something to draw.
std::vector<int16_t> TestSignal() {
    std::mt19937 noise(7);
    std::normal_distribution<double> hiss(0.0, 300.0);
    std::vector<int16_t> samples(static_cast<std::size_t>(kRate) * kSeconds);
    double phase = 0.0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        phase += 2.0 * M_PI * (500.0 + 20000.0 * t / kSeconds) / kRate;
        const double value =
            8000.0 * std::sin(phase) + 4000.0 * std::sin(2.0 * M_PI * 3000.0 * t) + hiss(noise);
        samples[i] = static_cast<int16_t>(std::lround(std::clamp(value, -32768.0, 32767.0)));
    }
    return samples;
}

void WriteTestFile(const std::string& path, const std::vector<int16_t>& samples) {
    std::ofstream out(path, std::ios::binary);
    out.write(std::string(44, '\0').data(), 44);
    out.write(reinterpret_cast<const char*>(samples.data()),
              static_cast<std::streamsize>(samples.size() * 2));
    out.close();
    WriteWavHeader(path, 1, kRate);
}

// Wall-clock and CPU seconds of one run (this process and the commands it waited for). On a machine
// shared with other work the CPU seconds vary less than the wall clock. Negative when the run failed.
struct Timing {
    double wall = -1.0;
    double cpu = -1.0;
};

double CpuSeconds() {
    double seconds = 0.0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        for (const timeval& t : {usage.ru_utime, usage.ru_stime}) {
            seconds += static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
        }
    }
    return seconds;
}

template <typename Run> Timing Time(Run run) {
    const double cpu = CpuSeconds();
    const Clock::time_point start = Clock::now();
    const bool ok = run();
    Timing timing{std::chrono::duration<double>(Clock::now() - start).count(), CpuSeconds() - cpu};
    return ok ? timing : Timing{};
}

// The column chain alone over the same samples, frame after frame, as the export sets it up: what the
// export would reach if reading, drawing and saving cost nothing.
Timing RunBareChain(const std::vector<int16_t>& samples) {
    SpectrumAveraging averaging;
    ColumnChain chain({.fftSize = 1024,
                       .windowSize = 1024,
                       .windowType = static_cast<int>(WindowType::Hanning),
                       .scanStep = kStep},
                      averaging);
    const ColumnControls controls{.rows = 256, .direct = DirectRows(1024, 256, false), .compression = 2};
    return Time([&] {
        float sum = 0.0f;
        for (std::size_t first = 0; first + 1024 <= samples.size(); first += kStep) {
            chain.Compute(std::span<const int16_t>(samples).subspan(first, 1024), controls);
            sum += chain.Column()[0];
        }
        return !std::isnan(sum);
    });
}

Timing TimeCommand(const std::string& command) {
    return Time([&] { return std::system(command.c_str()) == 0; });
}

bool Installed(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

void Report(const char* what, Timing timing, double columns, double sound = kSeconds) {
    if (timing.wall < 0) {
        std::printf("%-46s failed\n", what);
        return;
    }
    std::printf("%-46s %6.2f s %9.0f columns/s %6.0f x real time | CPU %6.2f s %9.0f columns/s\n", what,
                timing.wall, columns / timing.wall, sound / timing.wall, timing.cpu,
                columns / std::max(timing.cpu, 1e-9));
    std::fflush(stdout);
}

// The export's settings: FFT 1024, Hanning 1024, step 512, 256 rows.
void SetUpSettings(SettingsModel& settings) {
    settings.ApplyInitialValues();
    ControlModel& form = settings.Form1();
    form.SetText("SampleRate", std::to_string(kRate));
    form.SetText("BlockSize", "65536");
    form.SetText("FFTSize", "1024");
    form.SetText("WindowSize", "1024");
    form.SetText("WindowType", "Hanning");
    form.SetText("ScanStep", std::to_string(kStep));
    form.SetText("Combo7", "256");
    settings.SetMaxSpectrogramHeight(256);
}

Timing RunExport(const std::string& file, const std::string& out, bool pictures) {
    SettingsModel settings;
    MenuModel menus;
    SetUpSettings(settings);
    return Time([&] {
        return ExportFiles(settings, menus,
                           {.outFolder = out, .files = {file}, .width = 1024, .pictures = pictures}, {})
                   .filesFailed == 0;
    });
}

// Twenty ten-minute files, each its own mix of a sweep (up or down, over its own range), a tone and
// noise, from a sine table and a 32-bit phase (fast enough that making 1.2 GB takes seconds). Written
// once into the folder; returns the list file of their paths.
std::string WriteArchive(const std::string& folder) {
    std::vector<float> sine(1 << 16);
    for (std::size_t i = 0; i < sine.size(); ++i) {
        sine[i] = static_cast<float>(std::sin(2.0 * M_PI * static_cast<double>(i) / sine.size()));
    }
    const auto phaseStep = [](double hertz) { return static_cast<uint32_t>(hertz / kRate * 4294967296.0); };
    const std::string list = folder + "/archive.txt";
    std::ofstream paths(list);
    std::vector<int16_t> second(kRate);
    for (int f = 0; f < kArchiveFiles; ++f) {
        // Sweep, tone and noise levels by turns: mostly sweep, mostly tone, mostly noise, all three.
        constexpr double kLevels[4][3] = {
            {12000, 2000, 200}, {3000, 12000, 400}, {2000, 1000, 6000}, {6000, 6000, 1500}};
        const double* level = kLevels[f % 4];
        const double low = 100.0 + 400.0 * f;
        const double high = 22000.0 - 300.0 * f;
        const bool down = f % 2 == 1;
        const uint32_t tone = phaseStep(700.0 + 950.0 * f);
        uint32_t sweepPhase = 0;
        uint32_t tonePhase = 0;
        uint32_t noise = 2463534242u + static_cast<uint32_t>(f);
        const std::string path = folder + "/archive-" + std::to_string(f + 1) + ".wav";
        std::ofstream out(path, std::ios::binary);
        out.write(std::string(44, '\0').data(), 44);
        for (int s = 0; s < kSeconds; ++s) {
            const double along = static_cast<double>(down ? kSeconds - s : s) / kSeconds;
            const uint32_t sweep = phaseStep(low + (high - low) * along);
            for (int16_t& sample : second) {
                noise ^= noise << 13;
                noise ^= noise >> 17;
                noise ^= noise << 5;
                const double hiss = (static_cast<double>(noise >> 16) - 32768.0) / 32768.0;
                const double value = level[0] * sine[(sweepPhase += sweep) >> 16] +
                                     level[1] * sine[(tonePhase += tone) >> 16] + level[2] * hiss;
                sample = static_cast<int16_t>(std::lround(std::clamp(value, -32768.0, 32767.0)));
            }
            out.write(reinterpret_cast<const char*>(second.data()),
                      static_cast<std::streamsize>(second.size() * 2));
        }
        out.close();
        WriteWavHeader(path, 1, kRate);
        paths << path << '\n';
    }
    return list;
}

// The built program on the archive, its settings from a program folder of its own; the output folder is
// removed afterwards (not timed).
Timing RunProgram(const std::string& folder, const std::string& list, const std::string& options) {
    const std::string out = folder + "/out";
    const Timing timing =
        TimeCommand("'" ONDRIX_PROGRAM "' --export '" + out + "' --home '" + folder + "/home' " + options +
                    " --files-from '" + list + "' 2>'" + folder + "/err.txt'");
    if (timing.wall < 0) {
        std::system(("tail -3 '" + folder + "/err.txt'").c_str());
    }
    std::filesystem::remove_all(out);
    return timing;
}

void RunArchive(const std::string& folder) {
    const std::string list = WriteArchive(folder);
    ::sync(); // the files written back before anything is timed
    {
        SettingsModel settings;
        SetUpSettings(settings);
        ConsoleInteraction console([](const std::string&) {});
        SettingsFiles files(settings, console, ProgramFiles{folder + "/home/"});
        if (!files.SaveControlState(files.Files().UserDefault())) {
            std::printf("cannot write the settings into %s/home\n", folder.c_str());
            return;
        }
    }
    const double columns = kArchiveFiles * kColumns;
    const double sound = kArchiveFiles * kSeconds;
    std::printf("\nArchive: %d files of 600 s, 48 kHz mono, same settings (%.0f columns)\n", kArchiveFiles,
                columns);
    const Timing two = RunProgram(folder, list, "--jobs 2");
    Report("ondrix --export --jobs 2 (PNG pages)", two, columns, sound);
    const Timing one = RunProgram(folder, list, "--jobs 1");
    Report("ondrix --export --jobs 1 (PNG pages)", one, columns, sound);
    Report("ondrix --export --jobs 2 --no-pictures", RunProgram(folder, list, "--jobs 2 --no-pictures"),
           columns, sound);
    Timing sox;
    if (Installed("sox") && Installed("parallel")) {
        // One sox a file, two at a time; the same options as the single file's row.
        std::filesystem::create_directories(folder + "/sox");
        sox = TimeCommand("parallel -j2 \"sox {} -n spectrogram -X 93.75 -y 513 -o '" + folder +
                          "/sox'/{/.}.png\" :::: '" + list + "'");
        Report("parallel -j2 sox spectrogram -X 93.75 -y 513", sox, columns, sound);
    } else {
        std::printf("sox or parallel not installed: skipped\n");
    }
    if (two.wall > 0 && sox.wall > 0) {
        std::printf("--jobs 2 / sox on parallel -j2, columns per second: %.1f (target: at least 10)\n",
                    sox.wall / two.wall);
    }
    if (two.wall > 0 && one.wall > 0) {
        std::printf("--jobs 2 / --jobs 1, columns per second: %.2f (target: at least 1.8)\n",
                    one.wall / two.wall);
    }
}

} // namespace
} // namespace ondrix

int main(int argc, char* argv[]) {
    using namespace ondrix;
    QCoreApplication app(argc, argv);
    const char* base = std::getenv("ONDRIX_BENCH_FOLDER");
    std::string folder = std::string(base != nullptr ? base : "/var/tmp") + "/ondrix-export-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) {
        std::perror("ondrix_bench_export");
        return 1;
    }
    const std::string only = argc > 1 ? argv[1] : "";
    const auto runs = [&only](const char* part) { return only.empty() || only == part; };
    const std::string file = folder + "/ten-minutes.wav";
    const std::vector<int16_t> samples = only == "archive" ? std::vector<int16_t>() : TestSignal();
    if (!samples.empty()) {
        WriteTestFile(file, samples);
        std::printf(
            "Export of a 600 s 48 kHz mono WAV, FFT 1024, Hanning 1024, step 512, 256 rows (%.0f columns)\n",
            kColumns);
    }
    Timing withoutPages;
    Timing chain;
    if (runs("pages")) {
        Report("ondrix --export (PNG pages 1024 x 256)", RunExport(file, folder + "/pages", true), kColumns);
    }
    if (runs("none")) {
        withoutPages = RunExport(file, folder + "/none", false);
        Report("ondrix export, analysis and drawing only", withoutPages, kColumns);
    }
    if (runs("chain")) {
        chain = RunBareChain(samples);
        Report("bare column chain, same FFT, step and rows", chain, kColumns);
    }
    if (withoutPages.wall > 0 && chain.wall > 0) {
        std::printf("export without pages / bare chain, columns per second: %.2f (CPU: %.2f; target: at "
                    "least 0.5)\n",
                    chain.wall / withoutPages.wall, chain.cpu / withoutPages.cpu);
    }
    if (runs("tools") && Installed("sox")) {
        // One pixel column per step: 48000 / 512 = 93.75 columns per second, a 1024-point DFT (513 rows).
        Report("sox spectrogram -X 93.75 -y 513",
               TimeCommand("sox '" + file + "' -n spectrogram -X 93.75 -y 513 -o '" + folder + "/sox.png'"),
               kColumns);
    } else if (runs("tools")) {
        std::printf("sox not installed: skipped\n");
    }
    if (runs("tools") && Installed("ffmpeg")) {
        // showspectrumpic fits the whole file into its width; 16384 is the widest PNG it writes here.
        Report("ffmpeg showspectrumpic 16384 x 512 (16384 columns)",
               TimeCommand("ffmpeg -loglevel error -y -i '" + file +
                           "' -lavfi showspectrumpic=s=16384x512:legend=0 '" + folder + "/ffmpeg.png'"),
               16384);
    } else if (runs("tools")) {
        std::printf("ffmpeg not installed: skipped\n");
    }
    if (runs("archive")) {
        RunArchive(folder);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
