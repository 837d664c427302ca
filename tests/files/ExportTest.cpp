// The headless export: its column table against the column chain, pages that tile the file, and a page
// identical to what the window's file-analysis loop draws at the same position.
#include "TempFolder.h"
#include "analysis/ColumnChain.h"
#include "analysis/LoopControls.h"
#include "analysis/SpectrumAveraging.h"
#include "common/TextLines.h"
#include "display/LayoutRefresh.h"
#include "display/Palette.h"
#include "display/SpectrogramRenderer.h"
#include "files/FileAnalysisLoop.h"
#include "files/FileExport.h"
#include "recording/WavHeader.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"
#include "support/ScriptedInteraction.h"
#include "support/ScriptedPump.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

namespace ondrix {
namespace {

constexpr int kRate = 48000;
constexpr int kWidth = 256;
constexpr int kRows = 128;
constexpr int kFft = 512;
constexpr int kStep = 256;
// Two seconds of two tones (on FFT bins 20 and 120, rows 10 and 60), then one second of silence.
constexpr int kToneFrames = 2 * kRate;
constexpr int kFrames = 3 * kRate;
constexpr int kLowRow = 10;
constexpr int kHighRow = 60;

void WriteTestFile(const std::string& path) {
    std::vector<int16_t> samples(kFrames, 0);
    for (int n = 0; n < kToneFrames; ++n) {
        const double t = static_cast<double>(n) / kFft;
        samples[static_cast<std::size_t>(n)] =
            static_cast<int16_t>(std::lround(9000.0 * std::sin(2 * std::numbers::pi * 20 * t) +
                                             6000.0 * std::sin(2 * std::numbers::pi * 120 * t)));
    }
    std::ofstream out(path, std::ios::binary);
    out.write(std::string(44, '\0').data(), 44);
    out.write(reinterpret_cast<const char*>(samples.data()),
              static_cast<std::streamsize>(samples.size() * 2));
    out.close();
    ASSERT_TRUE(WriteWavHeader(path, 1, kRate));
}

void UseTestSettings(SettingsModel& settings) {
    settings.ApplyInitialValues();
    ControlModel& form = settings.Form1();
    form.SetText("SampleRate", std::to_string(kRate));
    form.SetText("BlockSize", "4096");
    form.SetText("FFTSize", std::to_string(kFft));
    form.SetText("WindowSize", std::to_string(kFft));
    form.SetText("ScanStep", std::to_string(kStep));
    form.SetText("Combo7", std::to_string(kRows));
    settings.SetMaxSpectrogramHeight(kRows);
}

std::vector<std::vector<double>> ReadTable(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::vector<double>> lines;
    std::string line;
    while (std::getline(in, line)) {
        EXPECT_TRUE(!line.empty() && line.back() == '\r');
        std::vector<double> values;
        std::stringstream fields(line);
        std::string field;
        while (std::getline(fields, field, ',')) {
            values.push_back(std::stod(field));
        }
        lines.push_back(values);
    }
    return lines;
}

class ExportTest : public ::testing::Test {
protected:
    ExportTest() {
        WriteTestFile(file);
        UseTestSettings(settings);
    }
    ExportSummary Export(bool columns) {
        return ExportFiles(
            settings, menus,
            {.outFolder = folder.Path() + "out", .files = {file}, .width = kWidth, .columns = columns},
            {.line = [this](const std::string& line) { lines.push_back(line); }});
    }

    TempFolder folder;
    std::string file = folder.Path() + "tones.wav";
    SettingsModel settings;
    MenuModel menus;
    std::vector<std::string> lines;
};

TEST_F(ExportTest, ColumnTableHoldsTheChainsValuesForTonesAndSilence) {
    const ExportSummary summary = Export(true);
    ASSERT_EQ(summary.filesDone, 1) << lines.back();
    const auto table = ReadTable(folder.Path() + "out/tones.csv");
    // Every column whose frame lies inside the data, numbered without a gap across the pages.
    ASSERT_EQ(table.size(), static_cast<std::size_t>((kFrames - kFft) / kStep + 1));
    for (std::size_t i = 0; i < table.size(); ++i) {
        ASSERT_EQ(table[i].size(), static_cast<std::size_t>(2 + kRows));
        ASSERT_EQ(table[i][0], static_cast<double>(i));
        EXPECT_NEAR(table[i][1], static_cast<double>(i) * kStep / kRate, 1e-6);
    }

    // The chain's values on a silent frame, as the loop computes them.
    SpectrumAveraging averaging;
    ColumnChain chain(ChainSetupFrom(settings.Options1(), kFft, kFft, 1, kStep), averaging);
    const std::vector<int16_t> silence(kFft, 0);
    chain.Compute(silence, ReadColumnControls(settings, kFft, kRows));
    const std::span<const float> silent = chain.Column();

    const std::size_t lastToneColumn = (kToneFrames - kFft) / kStep;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const std::vector<double>& values = table[i];
        if (i <= lastToneColumn) {
            // The two loudest rows are the tones' rows.
            std::vector<int> rows(kRows);
            for (int r = 0; r < kRows; ++r) {
                rows[static_cast<std::size_t>(r)] = r;
            }
            std::partial_sort(rows.begin(), rows.begin() + 2, rows.end(),
                              [&](int a, int b) { return values[2 + a] > values[2 + b]; });
            EXPECT_EQ(std::min(rows[0], rows[1]), kLowRow) << "column " << i;
            EXPECT_EQ(std::max(rows[0], rows[1]), kHighRow) << "column " << i;
        } else if (i * kStep >= kToneFrames) {
            for (int r = 0; r < kRows; ++r) {
                ASSERT_FLOAT_EQ(static_cast<float>(values[2 + r]), silent[static_cast<std::size_t>(r)])
                    << "column " << i;
            }
        }
    }
}

TEST_F(ExportTest, PagesTileTheFileAndEqualTheWindowsPage) {
    ASSERT_EQ(Export(false).filesDone, 1);
    const int64_t frameBytes = int64_t{kWidth} * kStep * 2;
    const int64_t pages = (int64_t{kFrames} * 2 + frameBytes - 1) / frameBytes;
    for (int64_t page = 1; page <= pages + 1; ++page) {
        const std::string path = folder.Path() + "out/tones-p000" + std::to_string(page) + ".png";
        ASSERT_EQ(std::filesystem::exists(path), page <= pages) << path;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "out/tones.csv"));

    // The window's loop at the start of page 2 draws the same rows, pixel for pixel.
    Palette palette;
    SpectrogramRenderer renderer(palette, 0xffc0c0c0u);
    SpectrumAveraging averaging;
    ScriptedInteraction ui;
    ScriptedPump pump;
    TaskController tasks(settings, menus, ui, pump);
    settings.Hooks().updateForm = [&] { RefreshDisplayLayout(settings, menus, palette, renderer, kWidth); };
    CurrentFile current{.name = file, .info = DetectFileType(file, {})};
    FileAnalysisContext context{settings, tasks, ui, renderer, averaging, current};
    FileAnalysisLoop loop(context);
    tasks.SetSessionStopped(false);
    loop.SetUp();
    current.filePos = current.info.headerSize + frameBytes;
    ASSERT_EQ(loop.Pass(), PassResult::Busy);
    ASSERT_EQ(current.lastPos, 44 + frameBytes);
    const QImage drawn = renderer.Picture().copy(0, renderer.Height() - kRows, kWidth, kRows);
    loop.CleanUp();
    settings.Hooks().updateForm = nullptr;

    const QImage saved = QImage(QString::fromStdString(folder.Path() + "out/tones-p0002.png"))
                             .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(saved.size(), drawn.size());
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            ASSERT_EQ(saved.pixel(x, y), drawn.pixel(x, y)) << x << "," << y;
        }
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ExportTest, InputsAreReadWithoutBeingWritten) {
    // The test file as a recorder that died leaves it: placeholder sizes, and read-only.
    const std::string crashed = folder.Path() + "crashed.wav";
    std::filesystem::copy_file(file, crashed);
    const auto placeholder = WavHeaderBytes(0, 1, kRate);
    std::fstream(crashed, std::ios::binary | std::ios::in | std::ios::out)
        .write(reinterpret_cast<const char*>(placeholder.data()), 44);
    std::filesystem::permissions(crashed, std::filesystem::perms::owner_read);
    const auto bytes = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    const std::string before = bytes(crashed);
    const ExportSummary summary = ExportFiles(
        settings, menus, {.outFolder = folder.Path() + "out", .files = {file, crashed}, .width = kWidth},
        {.line = [this](const std::string& line) { lines.push_back(line); }});
    EXPECT_EQ(summary.filesDone, 2);
    EXPECT_TRUE(bytes(crashed) == before) << "the input was written";
    const int64_t pages =
        (int64_t{kFrames} * 2 + int64_t{kWidth} * kStep * 2 - 1) / (int64_t{kWidth} * kStep * 2);
    for (int64_t page = 1; page <= pages + 1; ++page) {
        const std::string suffix = "-p000" + std::to_string(page) + ".png";
        SCOPED_TRACE(suffix);
        EXPECT_TRUE(bytes(folder.Path() + "out/crashed" + suffix) ==
                    bytes(folder.Path() + "out/tones" + suffix));
    }
}

TEST_F(ExportTest, FilesThatCannotBeReadAreReportedAndTheOthersDone) {
    const std::string empty = folder.Path() + "empty.wav";
    std::ofstream(empty).close();
    const ExportSummary summary =
        ExportFiles(settings, menus,
                    {.outFolder = folder.Path() + "out",
                     .files = {folder.Path(), empty, file, folder.Path() + "x.abc"},
                     .width = kWidth},
                    {.line = [this](const std::string& line) { lines.push_back(line); }});
    EXPECT_EQ(summary.filesDone, 1);
    EXPECT_EQ(summary.filesFailed, 3);
    EXPECT_TRUE(std::filesystem::exists(folder.Path() + "out/tones-p0001.png"));
    const auto has = [&](const std::string& text) {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.find(text) != std::string::npos; });
    };
    EXPECT_TRUE(has("a folder, not a sound file"));
    EXPECT_TRUE(has("Unknown File Extension ("));
}

} // namespace
} // namespace ondrix
