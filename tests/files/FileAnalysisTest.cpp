// The window's file-analysis task on files in a temporary folder (48000 samples/s, FFT and window 512, step
// 256), the time stamp and stereo reduction of pages, and the headless export against the window's pages.
#include "TempFolder.h"
#include "analysis/ColumnChain.h"
#include "analysis/LoopControls.h"
#include "analysis/SpectrumAveraging.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "display/AxesPainting.h"
#include "display/LayoutRefresh.h"
#include "display/Palette.h"
#include "display/PixelGrid.h"
#include "display/SpectrogramRenderer.h"
#include "files/DaytimeStamp.h"
#include "files/FileAnalysisLoop.h"
#include "files/FileExport.h"
#include "files/FileNavigation.h"
#include "files/FilePageChannels.h"
#include "files/PageSaver.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"
#include "support/FileTaskRig.h"
#include "support/ScriptedInteraction.h"
#include "support/ScriptedPump.h"
#include "support/SoundFileBytes.h"

#include <QGuiApplication>
#include <QImage>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <numeric>
#include <sstream>

namespace ondrix {
namespace {

constexpr int kWidth = 200;

int ArgMax(std::span<const float> values) {
    return static_cast<int>(std::max_element(values.begin(), values.end()) - values.begin());
}

class FileAnalysisTest : public FileAnalysisRig {
protected:
    FileAnalysisTest() : FileAnalysisRig(kWidth, 256) {}

    // Runs one pass and returns the status label it left.
    std::string StatusOfOnePass() {
        std::string status;
        Run([&](int) {
            status = settings.Form1().Text("Label4");
            return false;
        });
        return status;
    }

    FileNavigation navigation{settings, tasks, dialogs, file, renderer};
};

// Go to, skip and the page buttons keep positions on frames, and typed times that are no usable time
// saturate instead of wrapping.
TEST_F(FileAnalysisTest, GoToSkipAndPageStepsKeepPositionsOnFrames) {
    const std::string path = OpenWav("long.wav", 2, {});
    const int fd = ::open(path.c_str(), O_RDWR); // 100 s of 48 kHz stereo silence, written sparse
    ASSERT_EQ(::ftruncate(fd, 44 + 100LL * kRate * 4), 0);
    ::close(fd);
    ASSERT_TRUE(WriteWavHeader(path, 2, kRate));
    Open(path);
    ControlModel& form = settings.Form1();
    const int64_t mid = 44 + 50 * kRate * 4;
    const std::string many(400, '9');
    const struct {
        const char* control;
        std::string text;
        int64_t expected; // -1: "End of File", the position unchanged
    } typed[] = {
        {"GoToS2", "1:30", 17280044},
        {"Jump", "0:50", -1}, // 1:40 is the end of the data
        {"GoToS2", "2:00", -1},
        {"GoToS2", "99999999999999999999", -1},
        {"GoToS2", many, -1},
        {"GoToS2", "1:" + many, -1},
        {"GoToS2", "-5", 44},
        {"GoToS2", "-" + many, 44},
        {"GoToS2", "-" + many + ":" + many + ":0", 44},
        {"GoToS2", "abc", 44},
        {"Jump", many, -1},
        {"Jump", "-" + many, 44},
        {"Jump", "-10", mid - 10 * kRate * 4},
    };
    for (const auto& t : typed) {
        SCOPED_TRACE(std::string(t.control) + " " + t.text.substr(0, 30));
        file.filePos = mid;
        dialogs.messages.clear();
        form.SetText(t.control == std::string("Jump") ? "Text6" : "Text3", t.text);
        form.Click(t.control);
        EXPECT_EQ(file.filePos, t.expected < 0 ? mid : t.expected);
        EXPECT_EQ(dialogs.Texts(),
                  t.expected < 0 ? std::vector<std::string>{"End of File"} : std::vector<std::string>{});
    }
    form.SetChecked("PauseButton", true);
    form.SetText("Text4", "0:05");
    form.Click("GoToS");
    EXPECT_EQ(std::tuple(file.filePos, form.Checked("PauseButton")), std::tuple(44 + 5 * kRate * 4, false));
    const int64_t frameBytes = int64_t{kWidth} * kStep * 2 * 2;
    EXPECT_EQ(navigation.FrameBytes(), frameBytes);
    const struct {
        std::vector<const char*> buttons;
        int64_t expected;
    } steps[] = {
        {{"Command1"}, 44},
        {{"Command6", "Command11", "Command13"}, 44 + frameBytes + frameBytes / 4 + frameBytes / 16},
        {{"Command12", "Command7", "Command3"}, 44},
        {{"Command5"}, file.info.dataEnd - frameBytes},
    };
    for (const auto& step : steps) {
        for (const char* button : step.buttons) {
            form.Click(button);
        }
        EXPECT_EQ(file.filePos, step.expected) << step.buttons[0];
    }
    form.Click("Command1");
    form.Click("Command3"); // before the data: the loop brings it back to the header
    EXPECT_EQ((file.filePos - 44) % 4, 0);
    file.elapsedSeconds = 12.5;
    form.Click("Command9");
    EXPECT_EQ(file.elapsedSeconds, 0.0);
}

// GoTo on a FLAC file lands on the frame it lands on in the WAV the FLAC was made from and draws the same
// page there; the end of the data is "End of File" in both.
TEST_F(FileAnalysisTest, GoToOnAFlacFileLandsOnTheFrameOfItsWav) {
    if (!SoxInstalled()) {
        GTEST_SKIP() << "sox is not installed (scripts/install-deps.sh installs it)";
    }
    std::vector<int16_t> samples = Tones(3 * kRate, {40, 90});
    std::fill_n(samples.begin(), kRate, 0); // silent first half second: a page read from the start differs
    const std::string wav = OpenWav("tones.wav", 2, samples), flac = folder.Path() + "tones.flac";
    ASSERT_TRUE(SoxConvert(wav, flac));
    std::vector<Column> pages[2];
    for (int i = 0; i < 2; ++i) {
        Open(i == 0 ? wav : flac);
        const int64_t header = file.info.headerSize;
        for (const char* text : {"0:03", "0:01"}) {
            settings.Form1().SetText("Text3", text);
            settings.Form1().Click("GoToS2");
        }
        EXPECT_EQ(std::tuple(file.filePos, dialogs.Texts()),
                  std::tuple(header + kRate * 2 * 2, std::vector<std::string>{"End of File"}));
        dialogs.messages.clear();
        columns.clear();
        Run([](int) { return false; });
        pages[i] = columns;
    }
    ASSERT_EQ(pages[0].size(), static_cast<std::size_t>(kWidth));
    EXPECT_TRUE(std::ranges::equal(pages[0], pages[1], {}, &Column::values, &Column::values));
}

// "End" then Start draws only the last screenful once, then idles, with the file's status line.
TEST_F(FileAnalysisTest, EndOfFileThenStartDrawsOnlyTheLastScreenfulAndItsStatus) {
    const std::string path = OpenWav("end.wav", 2, Tones(int64_t{kWidth} * kStep * 3 + 1000, {40, 90}));
    settings.Options0().SetChecked("OptionCS2", true); // mono (right)
    settings.Form1().Click("Command5");
    std::string status;
    Run([&](int call) {
        status = settings.Form1().Text("Label4");
        return call < 3;
    });
    const int64_t frameBytes = int64_t{kWidth} * kStep * 4;
    // One page at the last screenful, then idle passes at the unchanged position.
    EXPECT_EQ(std::tuple(file.frameBytes, file.filePos, file.lastPos, context.status.pages, pump.waits),
              std::tuple(frameBytes, file.info.dataEnd - frameBytes, file.info.dataEnd - frameBytes, 1, 2));
    // The screenful holds width x step frames: its last FFT / step - 1 columns would need frames beyond it.
    ASSERT_EQ(columns.size(), static_cast<std::size_t>(kWidth - kFft / kStep + 1));
    EXPECT_EQ(std::tuple(columns.front().x, ArgMax(columns[kWidth / 2].values)), std::tuple(0, 90));
    // 618 436 bytes after the RIFF size field: 604 kB, 3.221 s.
    EXPECT_EQ(
        std::tuple(status, settings.Form1().Text("Label18"), settings.Form1().Text("StatusLine"),
                   dialogs.messages.size()),
        std::tuple(path + " 604kb 48000s/sec 2ch (R)  Tot 00:00:03.221 16bit", "16bit", "No timestamp", 0u));
}

// Whatever forgets the page last drawn makes the running loop draw the page at the same position again;
// Start draws it even when the last run ended on that very page.
TEST_F(FileAnalysisTest, RefreshZoomAndStartRedrawThePageAtItsPosition) {
    OpenWav("redraw.wav", 1, Tones(int64_t{kWidth} * kStep * 2, {40}));
    settings.Form1().SetText("FFTSize", "1024"); // zoomable: the zoom check and its base spin are enabled
    settings.UpdateForm();
    ControlModel& form = settings.Form1();
    ASSERT_TRUE(form.At("UpDown5").enabled);
    const struct {
        const char* name;
        std::function<void()> act; // after the first page of the run
        int pages;
    } cases[] = {{"Refresh", [&] { form.Click("RefreshButton"); }, 2},
                 {"zoom base spun", [&] { form.Spin("UpDown5", 8); }, 2},
                 {"Zoom toggled", [&] { form.Click("ZoomFlag"); }, 2},
                 {"Start on the page drawn last", {}, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        file.filePos = file.lastPos = file.info.headerSize;
        pump.calls = 0;
        Run([&](int call) {
            if (call == 1 && c.act) {
                c.act();
            }
            return call < 3;
        });
        EXPECT_EQ(std::tuple(context.status.pages, file.filePos, file.lastPos),
                  std::tuple(c.pages, file.info.headerSize, file.info.headerSize));
    }
}

// A page starts from silence: its first drawn column is the stream's column over the page's first
// FFT-size samples, and revisiting a position draws the same pixels even with dither and averaging on.
TEST_F(FileAnalysisTest, APageIsAPureFunctionOfItsPosition) {
    std::vector<int16_t> mono = Tones(int64_t{kWidth} * kStep * 3, {64});
    for (std::size_t i = 0; i < mono.size(); i += 97) {
        mono[i] = static_cast<int16_t>(mono[i] / 2); // not periodic in the page length
    }
    OpenWav("tone.wav", 1, mono);
    settings.Options1().SetChecked("chkDither1", true);
    settings.Options1().SetText("txtDither", "2");
    settings.Options1().SetText("AvgCombo", "1");
    QImage first;
    std::vector<Column> firstColumns;
    Run([&](int call) {
        if (call == 1) {
            first = renderer.Picture().copy();
            firstColumns = columns;
            settings.Form1().Click("Command6");
        } else if (call == 2) {
            settings.Form1().Click("Command13");
        } else if (call == 3) {
            settings.Form1().Click("Command12");
            settings.Form1().Click("Command3");
        }
        return call < 5;
    });
    EXPECT_EQ(std::tuple(context.status.pages, pump.waits, file.filePos), std::tuple(4, 1, 44));
    EXPECT_TRUE(renderer.Picture() == first);
    ASSERT_EQ(columns.size(), 4u * kWidth);
    EXPECT_TRUE(std::equal(firstColumns.begin(), firstColumns.end(), columns.begin() + 3 * kWidth,
                           [](const Column& a, const Column& b) { return a.values == b.values; }));
    // Without dither and averaging the first column is the stream's.
    settings.Options1().SetChecked("chkDither1", false);
    settings.Options1().SetText("AvgCombo", "0");
    file.filePos = 44 + 2 * 1000;
    columns.clear();
    Run([](int call) { return call < 1; });
    ASSERT_FALSE(columns.empty());
    EXPECT_EQ(columns[0].values, ChainColumn(std::span(mono).subspan(1000)));
    EXPECT_EQ(columns[5].values, ChainColumn(std::span(mono).subspan(1000 + 5 * kStep)));
    EXPECT_EQ(ArgMax(columns[5].values), 64);
}

// A recording that was never closed is read to the end of its data; the rest of the page is blank.
TEST_F(FileAnalysisTest, AnUnclosedRecordingIsAnalysedToItsEndAndTheRestBlanked) {
    const int64_t frames = 60 * kStep + 100;
    OpenWav("crashed.wav", 1, Tones(frames, {30}), false);
    ASSERT_EQ(file.info.dataEnd, 44 + frames * 2);
    Run([](int call) { return call < 2; });
    EXPECT_EQ(file.filePos, 44);
    // Columns whose frames lie wholly in the data: stream columns 1 .. (frames + 256 - 512) / 256.
    const std::size_t drawn = static_cast<std::size_t>((frames - kFft) / kStep + 1);
    ASSERT_EQ(columns.size(), drawn);
    EXPECT_EQ(ArgMax(columns.back().values), 30);
    const QImage& picture = renderer.Picture();
    QImage blank(kWidth - static_cast<int>(drawn), 256, picture.format());
    blank.fill(palette.Lookup(0.0f));
    EXPECT_TRUE(picture.copy(static_cast<int>(drawn), 0, blank.width(), 256) == blank);
    EXPECT_NE(picture.pixel(static_cast<int>(drawn) - 1, 255 - 30), blank.pixel(0, 0));
    // An export's page k starts exactly at its own screenful, even past the last full one.
    context.clampToLastFrame = false;
    file.filePos = 44 + int64_t{30} * kStep * 2;
    columns.clear();
    Run([](int call) { return call < 1; });
    EXPECT_EQ(file.lastPos, 44 + int64_t{30} * kStep * 2);
    EXPECT_EQ(columns.size(), drawn - 30);
}

// The status line: the linear scale reads the range of the last column; four channels are stacked with
// channel one at the bottom.
TEST_F(FileAnalysisTest, StatusOfTheLinearScaleAndFourStackedChannels) {
    OpenWav("linear.wav", 1, Tones(int64_t{kWidth} * kStep, {64}));
    settings.Options1().SetText("AmplitudeScale", "1 - Linear");
    std::string status = StatusOfOnePass();
    ASSERT_FALSE(columns.empty());
    const std::vector<float>& last = columns.back().values;
    EXPECT_EQ(status, " 0" + NumberText(*std::max_element(last.begin(), last.end()), Precision::Single));
    settings.Options1().SetText("AmplitudeScale", "0 - dB");
    OpenWav("four.wav", 4, Tones(int64_t{kWidth} * kStep, {40, 80, 120, 160}));
    columns.clear();
    status = StatusOfOnePass();
    EXPECT_TRUE(settings.Form1().At("Frame4CH").visible && status.find("4ch (4CH)") != std::string::npos)
        << status;
    ASSERT_FALSE(columns.empty());
    const std::span<const float> column = columns[10].values; // 64 rows per channel, four bins per row
    ASSERT_EQ(column.size(), 256u);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(ArgMax(column.subspan(static_cast<std::size_t>(c) * 64, 64)), (c + 1) * 10) << c;
    }
}

// No file asks for one; a file that cannot be read or decoded ends the run with its message.
TEST_F(FileAnalysisTest, FilesTheLoopCannotReadEndTheRunWithTheirMessage) {
    bool opened = false;
    tasks.Hooks().openWav = [&] { opened = true; };
    Run([](int) { return true; });
    EXPECT_TRUE(opened && dialogs.messages.empty());
    Open(folder.Path() + "missing.wav");
    file.info.type = kFileWav32Float;
    file.info.channels = 1;
    file.info.sampleRate = kRate;
    file.info.bytesPerSample = 4;
    file.info.frameAlign = 4;
    Run([](int) { return true; });
    EXPECT_EQ(std::tuple(dialogs.Texts(), settings.Form1().Text("Label18")),
              std::tuple(std::vector<std::string>{"File System Error"}, "32bitFloat"));
    file.info.type = 165;
    Run([](int) { return true; });
    EXPECT_EQ(dialogs.Texts().back(), "Unknown file type");
    EXPECT_EQ(std::tuple(columns.size(), settings.Form1().At("StartStop").caption), std::tuple(0u, "Start"));
}

// The time of day of a frame comes from the recorder's stamp in the name, found by its date tag.
TEST(DaytimeTest, TheRecordersTimeStampGivesTheTimeOfDayOfAFrame) {
    const std::string name = "prefix_0001_20240131_235959.wav";
    EXPECT_EQ(DaytimeText(name, "2024", 2.5), "Daytime: File 23:59:59  Frame 24:00:01.500");
    EXPECT_EQ(DaytimeText(name, "20240131", 0.0), "Daytime: File 23:59:59  Frame 23:59:59.000");
    // The tag must start the date: one character early, the time field holds "_23595".
    for (const auto& [file, tag] :
         {std::pair{name, "_2024"}, {name, ""}, {"take1.wav", "2024"}, {"x_20240131_2359.wav", "2024"}}) {
        EXPECT_EQ(DaytimeText(file, tag, 0.0), "No timestamp") << file << " " << tag;
    }
}

// Stereo pages reduced to one channel saturate instead of wrapping.
TEST(DaytimeTest, TwoChannelsBecomeOneWithoutClipping) {
    const std::vector<int16_t> frames = {32767, 32767, 32767, -32768, -32768, -32768, 100, -7};
    const std::pair<StereoChoice, std::vector<int16_t>> cases[] = {
        {StereoChoice::LeftPlusRight, {32767, -1, -32768, 46}},
        {StereoChoice::LeftMinusRight, {0, 32767, 0, 53}},
        {StereoChoice::Right, {32767, -32768, -32768, -7}},
        {StereoChoice::Stereo, {32767, 32767, -32768, 100}}};
    for (const auto& [choice, expected] : cases) {
        std::vector<int16_t> out(4);
        ReduceToMono(frames, 2, choice, out);
        EXPECT_EQ(out, expected) << static_cast<int>(choice);
    }
    EXPECT_EQ(ChannelModeText(1, StereoChoice::Right), "M"); // one channel is mono whatever the choice
    EXPECT_EQ(ChannelModeText(2, StereoChoice::LeftMinusRight), "L-R");
}

// A page saved from the column-major copy is the file saved from the picture, byte for byte (palette in
// the order of the rows); a page of more than 256 colours takes the picture and keeps its colours.
TEST(PageSaverTest, PagesFromTheColumnMajorCopyAreThePicturesFiles) {
    struct Case {
        int width, height, top, rows, colours;
    };
    const Case cases[] = {{64, 40, 8, 24, 5}, {333, 30, 0, 30, 256}, {50, 20, 2, 17, 257}};
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.colours);
        QImage picture(c.width, c.height, QImage::Format_RGB32);
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const uint32_t colour = static_cast<uint32_t>((y * c.width + x) * 7 % c.colours);
                picture.setPixel(x, y, 0xff000000u | colour * 0x00010307u);
            }
        }
        QImage columns;
        TransposePicture(picture, columns);
        PageSaver saver;
        int asked = 0;
        saver.Save(picture, c.top, c.rows, folder.Path() + "rows.png");
        saver.SaveColumns(
            columns, c.top, c.rows, [&]() -> const QImage& { return ++asked, picture; },
            folder.Path() + "columns.png");
        ASSERT_TRUE(saver.Finish());
        EXPECT_EQ(asked, c.colours > 256 ? 1 : 0);
        EXPECT_TRUE(ReadBytes(folder.Path() + "columns.png") == ReadBytes(folder.Path() + "rows.png"));
        const QImage saved(QString::fromStdString(folder.Path() + "columns.png"));
        EXPECT_EQ(saved.format() == QImage::Format_Indexed8, c.colours <= 256);
        EXPECT_TRUE(saved.convertToFormat(QImage::Format_RGB32) == picture.copy(0, c.top, c.width, c.rows));
    }
}

constexpr int kExportWidth = 256;
constexpr int kRows = 128;
// Two seconds of two tones (on FFT bins 20 and 120, rows 10 and 60), then one second of silence.
constexpr int kToneFrames = 2 * kRate;
constexpr int kFrames = 3 * kRate;
constexpr int64_t kPageBytes = int64_t{kExportWidth} * kStep * 2;
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
    ExportTest() : FileAnalysisRig(kExportWidth, kRows, true) {
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
                            .width = kExportWidth,
                            .columns = columns},
                           {.line = [this](const std::string& line) { lines.push_back(line); }});
    }
    std::string Out(const std::string& name) const { return folder.Path() + "out/" + name; }

    std::string tones = folder.Path() + "tones.wav";
    std::vector<std::string> lines;
};

// With axes a page is the whole picture framed by its axes and a title; its spectrogram rows are the plain
// page's, pixel for pixel, and the margins carry the labels.
TEST_F(ExportTest, AxesFrameTheWholePage) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QGuiApplication fonts(argc, argv);
    ASSERT_EQ(Export({tones}, false).filesDone, 1);
    ASSERT_EQ(
        ExportFiles(
            settings, menus,
            {.outFolder = folder.Path() + "framed", .files = {tones}, .width = kExportWidth, .axes = true},
            {})
            .filesDone,
        1);
    const QImage plain(QString::fromStdString(Out("tones-p0002.png")));
    const QImage framed(QString::fromStdString(folder.Path() + "framed/tones-p0002.png"));
    const int height = renderer.Height();
    ASSERT_EQ(framed.size(),
              QSize(AxesFrame::kLeft + kExportWidth + AxesFrame::kRight,
                    AxesFrame::kTop + height + SpectrogramRenderer::BelowSpectrogram + AxesFrame::kBottom));
    const QPoint at(AxesFrame::kLeft, AxesFrame::kTop + height - plain.height());
    EXPECT_EQ(framed.copy(QRect(at, plain.size())).convertToFormat(QImage::Format_RGB32),
              plain.convertToFormat(QImage::Format_RGB32));
    const auto inked = [&](QRect area) {
        int dark = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                dark += qGray(framed.pixel(x, y)) < 128 ? 1 : 0;
            }
        }
        return dark;
    };
    EXPECT_GT(inked(QRect(0, AxesFrame::kTop, AxesFrame::kLeft - 2, height)), 20) << "frequency labels";
    EXPECT_GT(inked(QRect(AxesFrame::kLeft, 0, kExportWidth, AxesFrame::kTop - 2)), 20) << "the title";
    EXPECT_GT(inked(QRect(AxesFrame::kLeft, framed.height() - AxesFrame::kBottom + 2, kExportWidth,
                          AxesFrame::kBottom - 4)),
              20)
        << "time labels";
}

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
    const QImage drawn = renderer.Picture().copy(0, renderer.Height() - kRows, kExportWidth, kRows);
    loop.CleanUp();
    const QImage saved = QImage(QString::fromStdString(Out("tones-p0002.png")));
    EXPECT_TRUE(saved.convertToFormat(drawn.format()) == drawn);
    EXPECT_TRUE(dialogs.messages.empty());
}

// FLAC, 24-bit, big-endian, AIFF and 64-bit float copies of the tones made by sox export exactly the
// columns of the 16-bit WAV; a FLAC cut short is reported by name and the others done.
TEST_F(ExportTest, OtherFormatsExportTheColumnsOfTheirWav) {
    if (!SoxInstalled()) {
        GTEST_SKIP() << "sox is not installed (scripts/install-deps.sh installs it)";
    }
    const std::pair<const char*, const char*> copies[] = {{"tones16.flac", ""},
                                                          {"tones24.wav", "-b 24"},
                                                          {"tonesbe.wav", "-B"},
                                                          {"tonesaiff.aiff", ""},
                                                          {"tones64.wav", "-e floating-point -b 64"}};
    std::vector<std::string> files = {tones};
    for (const auto& [name, options] : copies) {
        files.push_back(folder.Path() + name);
        ASSERT_TRUE(SoxConvert(tones, files.back(), options)) << name;
    }
    const std::string cut = folder.Path() + "cut.flac";
    std::filesystem::copy_file(files[1], cut);
    std::filesystem::resize_file(cut, std::filesystem::file_size(cut) / 2);
    files.push_back(cut);
    const ExportSummary summary = Export(files, true);
    EXPECT_EQ(std::tuple(summary.filesDone, summary.filesFailed), std::tuple(6, 1));
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         cut + ": failed: Not a sound file: " + cut + " (its last frame cannot be read)"),
              1);
    const auto expected = ReadTable(Out("tones.csv"));
    ASSERT_EQ(expected.size(), static_cast<std::size_t>((kFrames - kFft) / kStep + 1));
    for (const auto& [name, options] : copies) {
        EXPECT_TRUE(ReadTable(Out(std::filesystem::path(name).stem().string() + ".csv")) == expected) << name;
    }
}

// A folder, a missing, an empty and an unreadable file, an unknown type, a file listed twice and one whose
// outputs would overwrite another's are failed entries with their reason, and the others exported
// (without a table); a folder that cannot be written stops the run first.
TEST_F(ExportTest, FilesThatCannotBeReadAreReportedAndTheOthersDone) {
    const std::string dir = folder.Path();
    std::ofstream(dir + "empty.wav").close();
    std::ofstream(dir + "x.abc") << "not sound";
    std::ofstream(dir + "locked.wav") << "RIFF";
    std::filesystem::permissions(dir + "locked.wav", std::filesystem::perms::none);
    const bool locked = !std::ifstream(dir + "locked.wav"); // root reads anything
    const struct {
        std::string path;
        std::string reason;
    } bad[] = {{dir, "a folder, not a sound file"},
               {dir + "missing.wav", "no such file"},
               {dir + "empty.wav", "an empty file"},
               {dir + "x.abc", "Unknown File Extension ("},
               {dir + "locked.wav", locked ? "cannot be read (Permission denied)" : ""},
               {tones, "listed twice"},
               {dir + "other/tones.flac", "its outputs would take the names of those of " + tones}};
    std::vector<std::string> files{tones};
    for (const auto& input : bad) {
        files.push_back(input.path);
    }
    const ExportSummary summary = Export(files, false);
    EXPECT_EQ(std::tuple(summary.filesDone, summary.filesFailed,
                         std::filesystem::exists(Out("tones-p0001.png")),
                         std::filesystem::exists(Out("tones.csv"))),
              std::tuple(1, 7, true, false));
    for (const auto& input : bad) {
        SCOPED_TRACE(input.path);
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.starts_with(input.path + ": failed: ") &&
                   line.find(input.reason) != std::string::npos;
        }));
    }
    std::ofstream(dir + "file") << "";
    const ExportSummary stopped =
        ExportFiles(settings, menus, {.outFolder = dir + "file/out", .files = {tones}}, {});
    EXPECT_EQ(
        std::tuple(stopped.filesDone + stopped.filesFailed, stopped.stopped.starts_with("cannot write to")),
        std::tuple(0, true));
}

} // namespace
} // namespace ondrix
