// The headless export: its column table against the column chain, pages that tile the file, inputs only
// read, and a page identical to what the window's file-analysis loop draws at the same position.
#include "FileAnalysisRig.h"
#include "files/FileExport.h"

#include <QImage>

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <sstream>

namespace ondrix {
namespace {

constexpr int kWidth = 256;
constexpr int kRows = 128;
// Two seconds of two tones (on FFT bins 20 and 120, rows 10 and 60), then one second of silence.
constexpr int kToneFrames = 2 * kRate;
constexpr int kFrames = 3 * kRate;
constexpr int64_t kPageBytes = int64_t{kWidth} * kStep * 2;
constexpr int64_t kPages = (int64_t{kFrames} * 2 + kPageBytes - 1) / kPageBytes;

// The lines of a column table, each ending in CR LF, as numbers.
std::vector<std::vector<double>> ReadTable(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::vector<double>> lines;
    for (std::string line; std::getline(in, line);) {
        EXPECT_TRUE(!line.empty() && line.back() == '\r');
        std::stringstream fields(line);
        lines.emplace_back();
        for (std::string field; std::getline(fields, field, ',');) {
            lines.back().push_back(std::stod(field));
        }
    }
    return lines;
}

class ExportTest : public FileAnalysisRig {
protected:
    ExportTest() : FileAnalysisRig(kWidth, kRows, true) {
        std::vector<int16_t> samples = Tones(kToneFrames, {20}, 9000.0);
        const std::vector<int16_t> high = Tones(kToneFrames, {120}, 6000.0);
        for (std::size_t i = 0; i < high.size(); ++i) {
            samples[i] = static_cast<int16_t>(samples[i] + high[i]);
        }
        samples.resize(kFrames, 0);
        WriteWav16(tones, 1, kRate, samples);
    }
    ExportSummary Export(std::vector<std::string> files, bool columns) {
        return ExportFiles(settings, menus,
                           {.outFolder = folder.Path() + "out",
                            .files = std::move(files),
                            .width = kWidth,
                            .columns = columns},
                           {.line = [this](const std::string& line) { lines.push_back(line); }});
    }
    std::string Out(const std::string& name) const { return folder.Path() + "out/" + name; }

    std::string tones = folder.Path() + "tones.wav";
    std::vector<std::string> lines;
};

// One export of the tones and of a read-only copy left with placeholder sizes: the copy is not written
// and gives the same pages, the pages tile the file, the table holds every column the chain computes,
// and page 2 is what the window's loop draws at its position, pixel for pixel.
TEST_F(ExportTest, PagesAndColumnTableMatchTheChainAndTheWindow) {
    const std::string crashed = folder.Path() + "crashed.wav";
    std::filesystem::copy_file(tones, crashed);
    const auto placeholder = WavHeaderBytes(0, 1, kRate);
    std::fstream(crashed, std::ios::binary | std::ios::in | std::ios::out)
        .write(reinterpret_cast<const char*>(placeholder.data()), 44);
    std::filesystem::permissions(crashed, std::filesystem::perms::owner_read);
    const Bytes before = ReadBytes(crashed);
    ASSERT_EQ(Export({tones, crashed}, true).filesDone, 2) << lines.back();
    EXPECT_TRUE(ReadBytes(crashed) == before) << "the input was written";
    for (int64_t page = 1; page <= kPages + 1; ++page) {
        const std::string suffix = "-p000" + std::to_string(page) + ".png";
        SCOPED_TRACE(suffix);
        ASSERT_EQ(std::filesystem::exists(Out("tones" + suffix)), page <= kPages);
        EXPECT_TRUE(ReadBytes(Out("crashed" + suffix)) == ReadBytes(Out("tones" + suffix)));
    }
    // Every column whose frame lies inside the data, numbered without a gap across the pages; the tones'
    // rows are the two loudest, and silent frames hold the chain's values of silence.
    const auto table = ReadTable(Out("tones.csv"));
    ASSERT_EQ(table.size(), static_cast<std::size_t>((kFrames - kFft) / kStep + 1));
    const std::vector<float> silent = ChainColumn(std::vector<int16_t>(kFft, 0));
    for (std::size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(table[i].size(), static_cast<std::size_t>(2 + kRows));
        ASSERT_EQ(table[i][0], static_cast<double>(i));
        EXPECT_NEAR(table[i][1], static_cast<double>(i) * kStep / kRate, 1e-6);
        const std::vector<double> values(table[i].begin() + 2, table[i].end());
        if (i <= (kToneFrames - kFft) / kStep) {
            std::vector<int> rows(kRows);
            std::iota(rows.begin(), rows.end(), 0);
            std::partial_sort(rows.begin(), rows.begin() + 2, rows.end(),
                              [&](int a, int b) { return values[a] > values[b]; });
            EXPECT_EQ(std::minmax(rows[0], rows[1]), std::minmax(10, 60));
        } else if (i * kStep >= kToneFrames) {
            for (int r = 0; r < kRows; ++r) {
                ASSERT_FLOAT_EQ(static_cast<float>(values[r]), silent[r]) << r;
            }
        }
    }
    FollowSettings(); // the export laid out its own picture
    Open(tones);
    FileAnalysisLoop loop(context);
    tasks.SetSessionStopped(false);
    loop.SetUp();
    file.filePos = file.info.headerSize + kPageBytes;
    ASSERT_EQ(loop.Pass(), PassResult::Busy);
    ASSERT_EQ(file.lastPos, 44 + kPageBytes);
    const QImage drawn = renderer.Picture().copy(0, renderer.Height() - kRows, kWidth, kRows);
    loop.CleanUp();
    const QImage saved = QImage(QString::fromStdString(Out("tones-p0002.png")));
    EXPECT_TRUE(saved.convertToFormat(drawn.format()) == drawn);
    EXPECT_TRUE(dialogs.messages.empty());
}

// A folder, an empty file and an unknown type are reported, and the others exported (without a table).
TEST_F(ExportTest, FilesThatCannotBeReadAreReportedAndTheOthersDone) {
    std::ofstream(folder.Path() + "empty.wav").close();
    const ExportSummary summary =
        Export({folder.Path(), folder.Path() + "empty.wav", tones, folder.Path() + "x.abc"}, false);
    EXPECT_EQ(summary.filesDone, 1);
    EXPECT_EQ(summary.filesFailed, 3);
    EXPECT_TRUE(std::filesystem::exists(Out("tones-p0001.png")));
    EXPECT_FALSE(std::filesystem::exists(Out("tones.csv")));
    for (const char* text : {"a folder, not a sound file", "Unknown File Extension ("}) {
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(text) != std::string::npos;
        })) << text;
    }
}

} // namespace
} // namespace ondrix
