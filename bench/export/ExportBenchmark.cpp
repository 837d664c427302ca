// Exports a ten-minute 48 kHz mono WAV (FFT 1024, Hanning 1024, step 512, height 256) with and without
// the PNG pages, and runs sox's spectrogram and ffmpeg's showspectrumpic on the same file when they are
// installed, all in one run so the machine's state is the same for each.
#include "files/FileExport.h"
#include "recording/WavHeader.h"
#include "settings/MenuModel.h"
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
#include <vector>

namespace ondrix {
namespace {

constexpr int kRate = 48000;
constexpr int kSeconds = 600;
constexpr int kStep = 512;
constexpr double kColumns = static_cast<double>(kRate) * kSeconds / kStep;

using Clock = std::chrono::steady_clock;

// A slow sweep, a steady tone and some noise: every page has something to draw.
void WriteTestFile(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out.write(std::string(44, '\0').data(), 44);
    std::mt19937 noise(7);
    std::normal_distribution<double> hiss(0.0, 300.0);
    std::vector<int16_t> block(kRate);
    double phase = 0.0;
    for (int second = 0; second < kSeconds; ++second) {
        for (int i = 0; i < kRate; ++i) {
            const double t = second + static_cast<double>(i) / kRate;
            phase += 2.0 * M_PI * (500.0 + 20000.0 * t / kSeconds) / kRate;
            const double value =
                8000.0 * std::sin(phase) + 4000.0 * std::sin(2.0 * M_PI * 3000.0 * t) + hiss(noise);
            block[static_cast<std::size_t>(i)] =
                static_cast<int16_t>(std::lround(std::clamp(value, -32768.0, 32767.0)));
        }
        out.write(reinterpret_cast<const char*>(block.data()),
                  static_cast<std::streamsize>(block.size() * 2));
    }
    out.close();
    WriteWavHeader(path, 1, kRate);
}

double TimeCommand(const std::string& command) {
    const Clock::time_point start = Clock::now();
    const int status = std::system(command.c_str());
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return status == 0 ? seconds : -1.0;
}

bool Installed(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

void Report(const char* what, double seconds, double columns) {
    if (seconds < 0) {
        std::printf("%-46s failed\n", what);
        return;
    }
    std::printf("%-46s %7.2f s  %9.0f columns/s  %7.0f x real time\n", what, seconds, columns / seconds,
                kSeconds / seconds);
    std::fflush(stdout);
}

double RunExport(const std::string& file, const std::string& out, bool pictures) {
    SettingsModel settings;
    MenuModel menus;
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
    const Clock::time_point start = Clock::now();
    const ExportSummary summary = ExportFiles(
        settings, menus, {.outFolder = out, .files = {file}, .width = 1024, .pictures = pictures}, {});
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return summary.filesFailed == 0 ? seconds : -1.0;
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
    const std::string file = folder + "/ten-minutes.wav";
    WriteTestFile(file);
    std::printf(
        "Export of a 600 s 48 kHz mono WAV, FFT 1024, Hanning 1024, step 512, 256 rows (%.0f columns)\n",
        kColumns);
    Report("ondrix --export (PNG pages 1024 x 256)", RunExport(file, folder + "/pages", true), kColumns);
    Report("ondrix export, analysis and drawing only", RunExport(file, folder + "/none", false), kColumns);
    if (Installed("sox")) {
        // One pixel column per step: 48000 / 512 = 93.75 columns per second, a 1024-point DFT (513 rows).
        Report("sox spectrogram -X 93.75 -y 513",
               TimeCommand("sox '" + file + "' -n spectrogram -X 93.75 -y 513 -o '" + folder + "/sox.png'"),
               kColumns);
    } else {
        std::printf("sox not installed: skipped\n");
    }
    if (Installed("ffmpeg")) {
        // showspectrumpic fits the whole file into its width; 16384 is the widest PNG it writes here.
        Report("ffmpeg showspectrumpic 16384 x 512 (16384 columns)",
               TimeCommand("ffmpeg -loglevel error -y -i '" + file +
                           "' -lavfi showspectrumpic=s=16384x512:legend=0 '" + folder + "/ffmpeg.png'"),
               16384);
    } else {
        std::printf("ffmpeg not installed: skipped\n");
    }
    std::filesystem::remove_all(folder);
    return 0;
}
