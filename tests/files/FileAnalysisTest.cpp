#include "TempFolder.h"
#include "analysis/ColumnChain.h"
#include "analysis/LoopControls.h"
#include "analysis/SpectrumAveraging.h"
#include "common/NumberText.h"
#include "display/LayoutRefresh.h"
#include "display/Palette.h"
#include "display/SpectrogramRenderer.h"
#include "files/FileAnalysisLoop.h"
#include "files/FileNavigation.h"
#include "recording/WavHeader.h"
#include "settings/MenuModel.h"
#include "settings/SettingsModel.h"
#include "settings/TaskController.h"
#include "support/ScriptedInteraction.h"
#include "support/ScriptedPump.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>

namespace ondrix {
namespace {

constexpr int kWidth = 200;
constexpr int kRate = 48000;
constexpr int kFft = 512;
constexpr int kStep = 256;

// Interleaved frames where channel c carries a sine on FFT bin bins[c].
std::vector<int16_t> Tones(int64_t frames, std::vector<int> bins, double amplitude = 12000.0) {
    const std::size_t channels = bins.size();
    std::vector<int16_t> samples(static_cast<std::size_t>(frames) * channels);
    for (int64_t n = 0; n < frames; ++n) {
        for (std::size_t c = 0; c < channels; ++c) {
            const double phase = 2.0 * std::numbers::pi * bins[c] * static_cast<double>(n) / kFft;
            samples[static_cast<std::size_t>(n) * channels + c] =
                static_cast<int16_t>(std::lround(amplitude * std::sin(phase + 0.3 * static_cast<double>(c))));
        }
    }
    return samples;
}

// A WAV of the samples; `closed` false leaves the recorder's placeholder sizes in its header.
void WriteWav(const std::string& path, int channels, const std::vector<int16_t>& samples,
              bool closed = true) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const auto header = WavHeaderBytes(0, channels, kRate);
    out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    out.write(reinterpret_cast<const char*>(samples.data()),
              static_cast<std::streamsize>(samples.size() * 2));
    out.close();
    if (closed) {
        ASSERT_TRUE(WriteWavHeader(path, channels, kRate));
    }
}

int ArgMax(std::span<const float> values) {
    return static_cast<int>(std::max_element(values.begin(), values.end()) - values.begin());
}

class FileAnalysisTest : public ::testing::Test {
protected:
    FileAnalysisTest() {
        renderer.SetGeometry(kWidth, 256);
        settings.Hooks().updateForm = [this] {
            RefreshDisplayLayout(settings, menus, palette, renderer, kWidth);
        };
        RegisterFileAnalysisLoop(tasks.Loops(), context);
        context.hooks.columnValues = [this](int64_t x, std::span<const float> values) {
            columns.push_back({x, std::vector<float>(values.begin(), values.end())});
        };
        Quick("SampleRate", "48000");
        Quick("BlockSize", "4096");
        Quick("FFTSize", "512");
        Quick("WindowSize", "512");
        Quick("ScanStep", "256");
        Quick("Combo7", "256");
        tasks.SelectTask(4);
    }

    void Quick(const char* name, const char* text) { settings.Form1().SetText(name, text); }

    void Open(const std::string& path) {
        file = CurrentFile{};
        file.name = path;
        file.info = DetectFileType(path, FileFormatSettings{});
        tasks.SetCurrentFileName(path);
    }

    // Runs task 4; the script gets the pump call number and returns false to stop the run.
    void Run(std::function<bool(int call)> script) {
        pump.onEvents = [this, script](int call) {
            if (!script(call) && !tasks.SessionStopped()) {
                settings.Form1().Click("StartStop");
            }
        };
        settings.Form1().Click("StartStop");
        pump.onEvents = {};
    }

    // The column a continuous analysis computes from the frame starting at frame `first` of the samples.
    std::vector<float> StreamColumn(const std::vector<int16_t>& mono, int64_t first) {
        SpectrumAveraging own;
        ColumnChain chain(ChainSetupFrom(settings.Options1(), kFft, kFft, 1, kStep), own);
        chain.Compute(std::span<const int16_t>(mono).subspan(static_cast<std::size_t>(first), kFft),
                      ReadColumnControls(settings, kFft, 256));
        return {chain.Column().begin(), chain.Column().end()};
    }

    struct Column {
        int64_t x;
        std::vector<float> values;
    };

    TempFolder folder;
    SettingsModel settings;
    MenuModel menus;
    ScriptedInteraction dialogs;
    ScriptedPump pump;
    TaskController tasks{settings, menus, dialogs, pump};
    Palette palette;
    SpectrogramRenderer renderer{palette, 0xffc0c0c0u};
    SpectrumAveraging averaging;
    CurrentFile file;
    FileAnalysisContext context{settings, tasks, dialogs, renderer, averaging, file};
    FileNavigation navigation{settings, tasks, dialogs, file, renderer};
    std::vector<Column> columns;
};

TEST_F(FileAnalysisTest, GoToSkipAndPageStepsKeepPositionsOnFrames) {
    const std::string path = folder.Path() + "long.wav";
    {
        // 100 s of 48 kHz stereo silence, written sparse.
        WriteWav(path, 2, {});
        const int fd = ::open(path.c_str(), O_RDWR);
        ASSERT_EQ(::ftruncate(fd, 44 + 100LL * kRate * 4), 0);
        ::close(fd);
        ASSERT_TRUE(WriteWavHeader(path, 2, kRate));
    }
    Open(path);
    ControlModel& form = settings.Form1();
    form.SetText("Text3", "1:30");
    form.Click("GoToS2");
    EXPECT_EQ(file.filePos, 17280044);
    form.SetText("Text6", "0:10");
    form.Click("Jump"); // 1:40 is the end of the data
    EXPECT_EQ(file.filePos, 17280044);
    form.SetText("Text3", "2:00");
    form.Click("GoToS2");
    EXPECT_EQ(file.filePos, 17280044);
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"End of File", "End of File"}));

    form.SetChecked("PauseButton", true);
    form.SetText("Text4", "0:05");
    form.Click("GoToS");
    EXPECT_EQ(file.filePos, 44 + 5 * kRate * 4);
    EXPECT_FALSE(form.Checked("PauseButton"));

    // Texts that are no usable time: any number of digits saturates, never a wrapped position.
    const std::string many(400, '9');
    const int64_t mid = 44 + 50 * kRate * 4;
    struct Typed {
        const char* control;
        std::string text;
        int64_t expected; // -1: "End of File", the position unchanged
    };
    const std::vector<Typed> typed = {
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
    for (const Typed& t : typed) {
        SCOPED_TRACE(std::string(t.control) + " " + t.text.substr(0, 30));
        file.filePos = mid;
        dialogs.messages.clear();
        form.SetText(t.control == std::string("Jump") ? "Text6" : "Text3", t.text);
        form.Click(t.control);
        EXPECT_EQ(file.filePos, t.expected < 0 ? mid : t.expected);
        EXPECT_EQ(dialogs.Texts(),
                  t.expected < 0 ? std::vector<std::string>{"End of File"} : std::vector<std::string>{});
    }

    const int64_t frameBytes = int64_t{kWidth} * kStep * 2 * 2;
    EXPECT_EQ(navigation.FrameBytes(), frameBytes);
    form.Click("Command1");
    EXPECT_EQ(file.filePos, 44);
    form.Click("Command6");
    form.Click("Command11");
    form.Click("Command13");
    EXPECT_EQ(file.filePos, 44 + frameBytes + frameBytes / 4 + frameBytes / 16);
    form.Click("Command12");
    form.Click("Command7");
    form.Click("Command3");
    EXPECT_EQ(file.filePos, 44);
    form.Click("Command3"); // before the data: the loop brings it back to the header
    EXPECT_EQ((file.filePos - 44) % 4, 0);
    form.Click("Command5");
    EXPECT_EQ(file.filePos, file.info.dataEnd - frameBytes);

    file.elapsedSeconds = 12.5;
    form.Click("Command9");
    EXPECT_EQ(file.elapsedSeconds, 0.0);
}

TEST_F(FileAnalysisTest, EndOfFileThenStartDrawsOnlyTheLastScreenfulAndItsStatus) {
    const std::string path = folder.Path() + "end.wav";
    const int64_t frames = int64_t{kWidth} * kStep * 3 + 1000;
    const std::vector<int16_t> samples = Tones(frames, {40, 90});
    WriteWav(path, 2, samples);
    Open(path);
    settings.Options0().SetChecked("OptionCS2", true); // mono (right)
    settings.Form1().Click("Command5");

    std::string status;
    Run([&](int call) {
        status = settings.Form1().Text("Label4");
        return call < 3;
    });
    const int64_t frameBytes = int64_t{kWidth} * kStep * 4;
    EXPECT_EQ(file.frameBytes, frameBytes);
    EXPECT_EQ(file.filePos, file.info.dataEnd - frameBytes);
    EXPECT_EQ(file.lastPos, file.filePos);
    EXPECT_EQ(context.status.pages, 1);
    EXPECT_EQ(pump.waits, 2); // the unchanged position: idle passes
    // The screenful holds width x step frames: its last FFT / step - 1 columns would need frames beyond it.
    ASSERT_EQ(columns.size(), static_cast<std::size_t>(kWidth - kFft / kStep + 1));
    EXPECT_EQ(columns.front().x, 0);
    EXPECT_EQ(ArgMax(columns[kWidth / 2].values), 90);

    // 618 436 bytes after the RIFF size field: 604 kB, 3.221 s.
    EXPECT_EQ(status, path + " 604kb 48000s/sec 2ch (R)  Tot 00:00:03.221 16bit");
    EXPECT_EQ(settings.Form1().Text("Label18"), "16bit");
    EXPECT_EQ(settings.Form1().Text("StatusLine"), "No timestamp");
    EXPECT_TRUE(dialogs.messages.empty());
}

// Whatever forgets the page last drawn makes the running loop draw the page at the same position again;
// Start draws it even when the last run ended on that very page.
TEST_F(FileAnalysisTest, RefreshZoomAndStartRedrawThePageAtItsPosition) {
    const std::string path = folder.Path() + "redraw.wav";
    WriteWav(path, 1, Tones(int64_t{kWidth} * kStep * 2, {40}));
    Open(path);
    Quick("FFTSize", "1024"); // zoomable: the zoom check and its base spin are enabled
    settings.UpdateForm();
    ASSERT_TRUE(settings.Form1().At("UpDown5").enabled);
    struct Case {
        const char* name;
        std::function<void()> act; // after the first page of the run
        int pages;
    };
    ControlModel& form = settings.Form1();
    const std::vector<Case> cases = {{"Refresh", [&] { form.Click("RefreshButton"); }, 2},
                                     {"zoom base spun", [&] { form.Spin("UpDown5", 8); }, 2},
                                     {"Zoom toggled", [&] { form.Click("ZoomFlag"); }, 2},
                                     {"Start on the page drawn last", {}, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        file.filePos = file.lastPos = file.info.headerSize;
        pump.calls = 0;
        Run([&](int call) {
            if (call == 1 && c.act) {
                c.act();
            }
            return call < 3;
        });
        EXPECT_EQ(context.status.pages, c.pages);
        EXPECT_EQ(file.filePos, file.info.headerSize);
        EXPECT_EQ(file.lastPos, file.filePos);
    }
}

// A page starts from silence: its first drawn column is the stream's column over the page's first
// FFT-size samples, and revisiting a position draws the same pixels even with dither and averaging on.
TEST_F(FileAnalysisTest, APageIsAPureFunctionOfItsPosition) {
    const std::string path = folder.Path() + "tone.wav";
    std::vector<int16_t> mono = Tones(int64_t{kWidth} * kStep * 3, {64});
    for (std::size_t i = 0; i < mono.size(); i += 97) {
        mono[i] = static_cast<int16_t>(mono[i] / 2); // not periodic in the page length
    }
    WriteWav(path, 1, mono);
    Open(path);
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
    EXPECT_EQ(context.status.pages, 4);
    EXPECT_EQ(pump.waits, 1);
    EXPECT_EQ(file.filePos, 44);
    EXPECT_TRUE(renderer.Picture() == first);
    ASSERT_EQ(columns.size(), 4u * kWidth);
    for (int x = 0; x < kWidth; ++x) {
        ASSERT_EQ(columns[3u * kWidth + static_cast<std::size_t>(x)].values,
                  firstColumns[static_cast<std::size_t>(x)].values);
    }

    // Without dither and averaging the first column is the stream's.
    settings.Options1().SetChecked("chkDither1", false);
    settings.Options1().SetText("AvgCombo", "0");
    file.filePos = 44 + 2 * 1000;
    columns.clear();
    Run([](int call) { return call < 1; });
    ASSERT_FALSE(columns.empty());
    EXPECT_EQ(columns[0].values, StreamColumn(mono, 1000));
    EXPECT_EQ(columns[5].values, StreamColumn(mono, 1000 + 5 * kStep));
    EXPECT_EQ(ArgMax(columns[5].values), 64);
}

// A recording that was never closed is read to the end of its data; the rest of the page is blank.
TEST_F(FileAnalysisTest, AnUnclosedRecordingIsAnalysedToItsEndAndTheRestBlanked) {
    const std::string path = folder.Path() + "crashed.wav";
    const int64_t frames = 60 * kStep + 100;
    WriteWav(path, 1, Tones(frames, {30}), false);
    Open(path);
    ASSERT_EQ(file.info.dataEnd, 44 + frames * 2);
    Run([](int call) { return call < 2; });
    EXPECT_EQ(file.filePos, 44);
    // Columns whose frames lie wholly in the data: stream columns 1 .. (frames + 256 - 512) / 256.
    const std::size_t drawn = static_cast<std::size_t>((frames - kFft) / kStep + 1);
    ASSERT_EQ(columns.size(), drawn);
    EXPECT_EQ(ArgMax(columns.back().values), 30);
    const QImage& picture = renderer.Picture();
    const uint32_t blank = palette.Lookup(0.0f);
    for (int x = static_cast<int>(drawn); x < kWidth; ++x) {
        for (int y = 0; y < 256; ++y) {
            ASSERT_EQ(picture.pixel(x, y), blank) << x << "," << y;
        }
    }
    EXPECT_NE(picture.pixel(static_cast<int>(drawn) - 1, 255 - 30), blank);

    // An export's page k starts exactly at its own screenful, even past the last full one.
    context.clampToLastFrame = false;
    file.filePos = 44 + int64_t{30} * kStep * 2;
    columns.clear();
    Run([](int call) { return call < 1; });
    EXPECT_EQ(file.lastPos, 44 + int64_t{30} * kStep * 2);
    EXPECT_EQ(columns.size(), drawn - 30);
}

// In the linear amplitude scale the status label reads the minimum and maximum of the last column.
TEST_F(FileAnalysisTest, LinearScaleShowsTheColumnRangeInTheStatus) {
    const std::string path = folder.Path() + "linear.wav";
    WriteWav(path, 1, Tones(int64_t{kWidth} * kStep, {64}));
    Open(path);
    settings.Options1().SetText("AmplitudeScale", "1 - Linear");
    std::string status;
    Run([&](int) {
        status = settings.Form1().Text("Label4");
        return false;
    });
    ASSERT_FALSE(columns.empty());
    const std::vector<float>& last = columns.back().values;
    const float peak = *std::max_element(last.begin(), last.end());
    EXPECT_EQ(status, " 0" + NumberText(peak, Precision::Single));
}

TEST_F(FileAnalysisTest, FourChannelsAreStackedWithChannelOneAtTheBottom) {
    const std::string path = folder.Path() + "four.wav";
    WriteWav(path, 4, Tones(int64_t{kWidth} * kStep, {40, 80, 120, 160}));
    Open(path);
    std::string status;
    Run([&](int) {
        status = settings.Form1().Text("Label4");
        return false;
    });
    EXPECT_TRUE(settings.Form1().At("Frame4CH").visible);
    EXPECT_NE(status.find("4ch (4CH)"), std::string::npos);
    ASSERT_FALSE(columns.empty());
    // 64 rows per channel, four bins per row.
    const std::span<const float> column = columns[10].values;
    ASSERT_EQ(column.size(), 256u);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(ArgMax(column.subspan(static_cast<std::size_t>(c) * 64, 64)), (c + 1) * 10) << c;
    }
}

TEST_F(FileAnalysisTest, FilesTheLoopCannotReadEndTheRunWithTheirMessage) {
    bool opened = false;
    tasks.Hooks().openWav = [&] { opened = true; };
    Run([](int) { return true; });
    EXPECT_TRUE(opened); // no file: the user is asked for one, and the run ends at once
    EXPECT_TRUE(dialogs.messages.empty());

    Open(folder.Path() + "missing.wav");
    file.info.type = kFileWav32Float;
    file.info.channels = 1;
    file.info.sampleRate = kRate;
    file.info.bytesPerSample = 4;
    file.info.frameAlign = 4;
    Run([](int) { return true; });
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"File System Error"}));
    EXPECT_EQ(settings.Form1().Text("Label18"), "32bitFloat");

    file.info.type = 165;
    Run([](int) { return true; });
    EXPECT_EQ(dialogs.Texts().back(), "Unknown file type");
    EXPECT_TRUE(columns.empty());
    EXPECT_EQ(settings.Form1().At("StartStop").caption, "Start");
}

} // namespace
} // namespace ondrix
