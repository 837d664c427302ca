// The detectors: byte-exact tracking and trigger logs for scripted columns, the ticks, log names,
// bands and markers from bad input, and a WAV of a tone and clicks played (task 3) and analysed page by
// page (task 4) through the real loops.
#include "support/ByteFiles.h"
#include "support/FileTaskRig.h"
#include "support/ManualInput.h"
#include "support/TapOutput.h"

#include "analysis/RealTimeLoop.h"
#include "audio/DeviceLists.h"
#include "common/Paths.h"
#include "common/TextLines.h"
#include "detection/AttachDetection.h"
#include "detection/Detection.h"
#include "files/FilePlaybackLoop.h"
#include "files/PlayList.h"

#include <QColor>
#include <QGuiApplication>

#include <filesystem>

#include <sstream>

namespace ondrix {
namespace {

std::vector<std::string> Lines(const std::string& path) {
    std::istringstream in(ReadFile(path));
    std::vector<std::string> lines;
    for (std::string line; ReadLine(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The fields of a log line in print zones: items are separated by blanks.
std::vector<std::string> Fields(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> fields;
    for (std::string field; in >> field;) {
        fields.push_back(field);
    }
    return fields;
}

class DetectionTest : public ::testing::Test {
protected:
    DetectionTest() {
        renderer.SetGeometry(40, 128);
        RendererSession session;
        session.rows = 128;
        renderer.BeginSession(session);
        ControlModel& advanced = settings.Options1();
        advanced.SetText("DefLogPath", folder.Path());
        for (const char* check : {"TrackToFileFlag", "TriggerFlag", "TriggerToFileFlag"}) {
            advanced.SetChecked(check, true);
        }
        settings.Form1().SetChecked("Check2", true);
        settings.Options0().SetChecked("AddTimeStamp", false);
    }

    // 48000 samples/s, FFT 512, step 512: 93.75 Hz per row, 10.67 ms per column.
    DetectionRun Run(DetectionLoop loop) {
        DetectionRun run;
        run.heading = {.loop = loop,
                       .namePart = "",
                       .fileName = "tone.wav",
                       .sampleRate = 48000,
                       .fftSize = 512,
                       .scanStep = 512};
        run.columnMs = 512 * 1000.0 / 48000;
        run.rowHz = 93.75;
        return run;
    }

    TempFolder folder;
    SettingsModel settings;
    Palette palette;
    SpectrogramRenderer renderer{palette, 0xffc0c0c0u};
    Detection detection{settings, renderer, [] {
                            std::tm when{};
                            when.tm_year = 126, when.tm_mon = 11, when.tm_mday = 7, when.tm_hour = 3,
                            when.tm_min = 4;
                            return when;
                        }};
};

// Detections at 10, 11, 12, a quiet 13 (its peak on the band's first row), one more at 14; column 1 is
// exactly at the threshold. Each loop writes its own heading and columns.
TEST_F(DetectionTest, TrackingLogIsByteExact) {
    const std::string heading1 =
        std::string(14, ' ') + "RT  48000  512  512         track  2  256  Treshold 18 ";
    const struct {
        DetectionLoop loop;
        std::vector<std::string> lines;
    } cases[] = {
        {DetectionLoop::RealTime,
         {heading1,
          "Ch            DayTime       RelTime       GapCount      TrackCount    BlockCount    Time(s)       "
          "Frequency     Level         DeltaFreq",
          " 1            03:04:00      00:00:00.107   9             1             10            "
          ".106666666666667            4687.5        30            93.75 ",
          " 1            03:04:00      00:00:00.117   0             2             11            "
          ".117333333333333            4781.25       30            93.75 ",
          " 1            03:04:00      00:00:00.128   0             3             12            "
          ".128          4875          30            93.75 ",
          " 1            03:04:00      00:00:00.149   1             1             14            "
          ".149333333333333            5062.5        30            4875 "}},
        {DetectionLoop::FileAnalysis,
         {"tone.wav                     48000  512  512            track  2  256  Treshold 18 ",
          "RealTime      RelativeTime  GapCount      TrackCount    BlockCount    Time(s)       Frequency     "
          "Level",
          "----          00:01:00.107   9             1             10            60.1066666666667           "
          " "
          "4687.5        30 ",
          "----          00:01:00.117   0             2             11            60.1173333333333           "
          " "
          "4781.25       30 ",
          "----          00:01:00.128   0             3             12            60.128        4875         "
          " 30 ",
          "----          00:01:00.149   1             1             14            60.1493333333333           "
          " "
          "5062.5        30 "}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.loop));
        detection.Open(Run(c.loop));
        std::vector<int> rows;
        for (int column = 1; column <= 14; ++column) {
            std::vector<float> values(256, 0.0f);
            values[column == 13 ? 2 : 40 + column] = column == 1 ? 36.0f : column >= 10 ? 60.0f : 20.0f;
            rows.push_back(c.loop == DetectionLoop::RealTime
                               ? detection.Track(values)
                               : detection.TrackPageColumn(column - 1, 60.0, values));
        }
        const std::string path = detection.TrackLogPath();
        detection.Close();
        EXPECT_EQ(Lines(path), c.lines);
        EXPECT_EQ(std::vector<int>(rows.begin() + 9, rows.end()), (std::vector<int>{50, 51, 52, -1, 54}));
        EXPECT_EQ(settings.Form1().Text("Label5"), " 5062.5 Hz  30 dB");
    }
}

// Loud 1-3 (no event while the count is at most 4), loud 10, quiet 11-14, loud 15 (a new event), 16,
// 17 at the threshold (quiet), loud 20 after three quiet columns (no new event, its end still logged).
// The ticks stand under their columns when sweeping and when scrolling a column at a time.
TEST_F(DetectionTest, TriggerLogAndTicksFollowTheQuietSpells) {
    const struct { int scrollMode, firstX; } modes[] = {{0, 0}, {1, 40 - 22}};
    for (const auto& mode : modes) {
        SCOPED_TRACE(mode.scrollMode);
        renderer.BeginSession(
            {.updateRate = mode.scrollMode, .rows = 128, .scrollMode = mode.scrollMode, .markers = {}});
        detection.Open(Run(DetectionLoop::RealTime));
        const std::vector<float> loud = {1, 2, 3, 10, 15, 16, 20};
        const std::vector<float> values(128, 0.0f);
        for (int column = 1; column <= 21; ++column) {
            renderer.DrawColumn(values, 128, 40, 41, false);
            const bool isLoud = std::find(loud.begin(), loud.end(), column) != loud.end();
            detection.TriggerColumn(column == 17 ? 2048.0f : isLoud ? 3000.0f + column : 100.0f);
        }
        std::string ticks;
        for (int x = mode.firstX; x < mode.firstX + 21; ++x) {
            const uint32_t tick = renderer.Picture().pixel(x, 128 + 12) | 0xff000000u;
            ticks += tick == Detection::kStartTick ? 'R' : tick == Detection::kContinueTick ? 'C' : '.';
        }
        EXPECT_EQ(ticks, "CCC......R....RC...C.");
        const std::string path = detection.TriggerLogPath();
        detection.Close();
        EXPECT_EQ(Lines(path),
                  (std::vector<std::string>{
                      "              RT  48000  512  512  Treshold 2048 ",
                      "N             Count         DeltaCount    Time ms       Delta ms      PP",
                      " 0             4             4             42.66667      42.66667      0 ",
                      " 1             10            10            106.6667      106.6667      3010 ",
                      " 1             11            1             117.3333      10.66667      0 ",
                      " 2             15            5             160           53.33333      3015 ",
                      " 2             17            2             181.3333      21.33333      0 ",
                      " 2             21            6             224           64            0 ",
                  }));
        EXPECT_EQ(settings.Form1().Text("Label5"), " 2 53.33333 3015");
    }
}

// Both logs of a run carry one stamp; a name in use gets "_n1", "_n2", ...; a recording names both.
TEST_F(DetectionTest, LogNamesShareTheStampAndNeverReplaceALog) {
    settings.Options0().SetChecked("AddTimeStamp", true);
    DetectionRun run = Run(DetectionLoop::RealTime);
    const std::string f = folder.Path() + "/";
    const struct {
        std::string namePart, track, trigger;
    } cases[] = {
        {"", "track 20261207_030400.track.txt", "trigger 20261207_030400.trig.txt"},
        {"", "track 20261207_030400_n1.track.txt", "trigger 20261207_030400_n1.trig.txt"},
        {"", "track 20261207_030400_n2.track.txt", "trigger 20261207_030400_n2.trig.txt"},
        {"rec_0001", "trackrec_0001 20261207_030400.track.txt", "triggerrec_0001 20261207_030400.trig.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.track);
        run.heading.namePart = c.namePart;
        detection.Open(run);
        EXPECT_EQ(
            std::tuple(FileNameOfPath(detection.TrackLogPath()), FileNameOfPath(detection.TriggerLogPath())),
            std::tuple(c.track, c.trigger));
        detection.Close();
        EXPECT_EQ(Lines(f + c.track).size(), 2u);
    }
    EXPECT_EQ(DetectionLogName("/l", "track", "", "", 0, ".track.txt"), "/l/track CH 0.track.txt");
}

// Typed bands and thresholds read as numbers and the band kept inside the column's rows; a log folder
// that cannot be written leaves the run without the log, said on the status line.
TEST_F(DetectionTest, BadBandsAreClampedAndAnUnwritableFolderIsReported) {
    const struct {
        const char *from, *to, *threshold, *heading;
        int row;
    } cases[] = {
        {"2", "256", "18", "track  2  128  Treshold 18 ", 127},
        {"abc", "x", "y", "track  0  0  Treshold 0 ", -1},
        {"-5", "99999999999", "1.5e3", "track  0  128  Treshold 1.5 ", 127},
        {"300", "20", "18", "track  128  128  Treshold 18 ", -1},
    };
    DetectionRun run = Run(DetectionLoop::RealTime);
    run.rows = 128;
    std::vector<float> column(128, 0.0f);
    column[127] = 80.0f;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from);
        settings.Options1().SetText("TrackFromField", c.from);
        settings.Options1().SetText("TrackToField", c.to);
        settings.Options1().SetText("TrackTresholdField", c.threshold);
        detection.Open(run);
        const int row = detection.Track(column);
        const std::string path = detection.TrackLogPath();
        detection.Close();
        EXPECT_EQ(Lines(path).at(0).substr(42), c.heading);
        EXPECT_EQ(row, c.row);
    }
    WriteFile(folder.Path() + "/plain", "x");
    settings.Options1().SetText("DefLogPath", folder.Path() + "/plain/logs");
    settings.Options1().SetText("TrackFromField", "2");
    settings.Options1().SetText("TrackToField", "256");
    detection.Open(run);
    EXPECT_EQ(detection.TrackLogPath(), "");
    EXPECT_EQ(settings.Form1().Text("StatusLine"),
              "Cannot write the log file " + folder.Path() + "/plain/logs/trigger.trig.txt");
    EXPECT_EQ(detection.Track(column), 127);
}

// Records are read until the first short or non-numeric one; only complete ones count.
TEST_F(DetectionTest, MarkersCountCompleteRecordsOnly) {
    int argc = 0;
    const QGuiApplication fonts(argc, nullptr); // the records are printed in the system's fixed font
    const struct {
        const char* text;
        int64_t count;
        const char* headLine;
    } cases[] = {
        {"1,2,3.5,4,first\r\n5, 6 ,7,8,second\n", 2, " 2 Markers"},
        {"1,2,3,4,a\n5,x,7,8,b\n9,9,9,9,c\n", 1, " 1 Markers"},
        {"1,2,3,4,a\n\n5,6\n", 1, " 1 Markers"},
        {"", 0, " 0 Markers"},
    };
    const std::string path = folder.Path() + "/TEST.mrk";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        WriteFile(path, c.text);
        detection.LoadMarkers(path);
        EXPECT_EQ(Markers::Read(path).count, c.count);
        EXPECT_EQ(settings.Form1().Text("HeadLine"), c.headLine);
    }
    WriteFile(path, "1,2,3,4,a\n");
    renderer.Clear(0xffc0c0c0u);
    detection.LoadMarkers(path);
    EXPECT_EQ(Markers::Read(path).lines, std::vector<std::string>{" 1  2 a"});
    QImage blank(40, 20, QImage::Format_RGB32);
    blank.fill(0xffc0c0c0u);
    EXPECT_NE(renderer.Picture().copy(0, 0, 40, 20), blank); // the record is printed over the picture

    std::string many;
    for (int k = 0; k < 1000; ++k) {
        many += "1,2,3,4,m\n";
    }
    WriteFile(path, many);
    EXPECT_EQ(std::tuple(Markers::Read(path).count, Markers::Read(path).lines.size()),
              std::tuple(int64_t{1000}, Markers::kMaxLines));
    EXPECT_FALSE(Markers::Read(path + ".none").found);
}

// The real loops on a WAV of a 6000 Hz tone (row 64) with a click in every 20th column from column 30.
class DetectionLoopsTest : public FileAnalysisRig {
protected:
    static constexpr int kColumns = 600;

    DetectionLoopsTest() : FileAnalysisRig(200, 256) {
        devices.RefreshDeviceLists();
        RegisterFilePlaybackLoop(tasks.Loops(), playback);
        playback.openOutput = [this](int, const StreamFormat& format) {
            auto device = std::make_unique<TapOutput>(played);
            device->Open(format);
            tap = device.get();
            return OpenedOutput{0, std::move(device)};
        };
        AttachDetection({settings, renderer, live, context, playback, {}, folder.Path() + "/TEST.mrk"});
        settings.Form1().SetChecked("Check2", true);
        for (const char* check : {"TrackToFileFlag", "TriggerFlag", "TriggerToFileFlag"}) {
            settings.Options1().SetChecked(check, true);
        }
        settings.Options1().SetText("DefLogPath", folder.Path());
        settings.Options0().SetChecked("AddTimeStamp", false);
        std::vector<int16_t> samples = Tones(int64_t{kColumns} * kStep, {64}, 800.0);
        for (int k = 30; k < kColumns; k += 20) {
            clicks.push_back(k);
            // Column k's frame ends at sample (k + 1) x step: its centre step holds the click.
            samples[static_cast<std::size_t>((k - 1) * kStep)] = 12000;
        }
        WriteWav16(folder.Path() + "/scene.wav", 1, kRate, samples);
        Open(folder.Path() + "/scene.wav");
    }

    // The data lines of a log, split into their fields.
    std::vector<std::vector<std::string>> Data(const std::string& name) {
        std::vector<std::vector<std::string>> rows;
        const std::vector<std::string> lines = Lines(folder.Path() + "/" + name);
        for (std::size_t k = 2; k < lines.size(); ++k) {
            rows.push_back(Fields(lines[k]));
        }
        return rows;
    }

    DeviceCatalog catalog{nullptr};
    DeviceLists devices{settings, catalog, dialogs};
    PlayList list;
    FilePlaybackContext playback{settings, tasks, dialogs, renderer, averaging, file, devices, list};
    RealTimeContext live{settings, tasks, devices, dialogs, renderer, averaging};
    TapOutput* tap = nullptr;
    std::vector<int16_t> played;
    std::vector<int> clicks;
};

TEST_F(DetectionLoopsTest, PlaybackAndFileAnalysisLogTheToneAndTheClicks) {
    tasks.SelectTask(3);
    Run([&](int call) {
        if (tap != nullptr) {
            tap->PlayQueued();
        }
        return call < 5000;
    });
    // Task 3: the tone in every column, at its frequency; one event per click at its column.
    const auto track = Data("track.track.txt");
    ASSERT_EQ(track.size(), std::size_t{kColumns});
    for (std::size_t k = 0; k < track.size(); ++k) {
        SCOPED_TRACE(k);
        ASSERT_EQ(track[k].size(), 10u);
        EXPECT_EQ(std::tuple(track[k][1], track[k][5]),
                  std::tuple(std::string("----"), std::to_string(k + 1)));
        EXPECT_NEAR(std::stod(track[k][7]), 6000.0, 93.75);
    }
    std::vector<int> starts;
    for (const auto& line : Data("trigger.trig.txt")) {
        if (line.at(5) != "0") {
            starts.push_back(std::stoi(line[1]));
            EXPECT_NEAR(std::stod(line[3]), starts.back() * 256000.0 / kRate, 1e-3);
        }
    }
    EXPECT_EQ(starts, clicks);

    // Task 4, page after page: the same lines of the tone, the same times; no trigger.
    tasks.SelectTask(4);
    file.filePos = 0; // from the start of the file
    int turns = 0;
    Run([&](int) {
        file.filePos += file.frameBytes;
        return context.status.pages < 3 && ++turns < 10;
    });
    EXPECT_EQ(context.status.pages, 3);
    const auto pages = Data("track_n1.track.txt");
    ASSERT_GE(pages.size(), std::size_t{kColumns - 10});
    for (std::size_t k = 0; k < pages.size(); ++k) {
        SCOPED_TRACE(k);
        ASSERT_EQ(pages[k].size(), 8u);
        EXPECT_EQ(std::vector<std::string>(pages[k].begin() + 2, pages[k].begin() + 5),
                  std::vector<std::string>(track[k].begin() + 3, track[k].begin() + 6));
        EXPECT_NEAR(std::stod(pages[k][5]), std::stod(track[k][6]), 1e-9);
        EXPECT_NEAR(std::stod(pages[k][6]), 6000.0, 93.75);
    }
    EXPECT_FALSE(std::filesystem::exists(folder.Path() + "/trigger_n1.trig.txt"));
}

// Two channels, live (task 1) and a stereo file played as "Stereo" (task 3), with bin 40 on the left and
// bin 100 on the right: one log per channel, each with its loop's columns and its own tone (half rows 20
// and 50, marked red in the channel's own half); the label shows the right channel, tracked last; no
// trigger log.
TEST_F(DetectionLoopsTest, TwoChannelsKeepALogPerChannel) {
    const std::vector<int16_t> tones = Tones(64 * kStep, {40, 100});
    WriteWav16(folder.Path() + "/stereo.wav", 2, kRate, tones);
    settings.Options0().SetText("NchanCombo", "2 - stereo");
    tasks.Loops().Register(LoopSlot::RealTimeStereo,
                           [this] { return std::make_unique<RealTimeLoop>(live, 2); });
    ManualInput* manual = nullptr;
    live.openInput = [&](int, const StreamFormat& format) {
        auto device = std::make_unique<ManualInput>();
        device->Open(format);
        device->signal = [&](int64_t v) { return tones[static_cast<std::size_t>(v) % tones.size()]; };
        manual = device.get();
        return OpenedInput{0, std::move(device)};
    };
    const std::vector<std::string> liveColumns = {"Ch",         "DayTime",    "RelTime", "GapCount",
                                                  "TrackCount", "BlockCount", "Time(s)", "Frequency",
                                                  "Level",      "DeltaFreq"};
    const std::vector<std::string> fileColumns = {
        "Ch", "Time", "R-Time", "BlockCount", "GapCount", "TrackCount", "Frequency", "Level", "DeltaFreq"};
    const struct {
        int task;
        std::string log;
        const std::vector<std::string>& columns;
        std::size_t frequency, blockCount;
    } cases[] = {
        {1, "track CH 0.track.txt", liveColumns, 7, 5},
        {1, "track CH 1.track.txt", liveColumns, 7, 5},
        {3, "track CH 0_n1.track.txt", fileColumns, 6, 3},
        {3, "track CH 1_n1.track.txt", fileColumns, 6, 3},
    };
    const std::string heading =
        std::string(14, ' ') + "RT  48000  512  256         track  2  128  Treshold 18 ";
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        const auto& c = cases[k];
        const int channel = static_cast<int>(k % 2);
        SCOPED_TRACE(c.log);
        if (channel == 0) {
            tasks.SelectTask(c.task);
            Open(folder.Path() + "/stereo.wav");
            Run([&](int call) {
                if (manual != nullptr) {
                    manual->PushBlocks(call < 6 ? 1 : 0);
                }
                if (tap != nullptr) {
                    tap->PlayQueued();
                }
                return call < 8;
            });
            manual = nullptr;
            tap = nullptr;
            EXPECT_TRUE(settings.Form1().Text("Label5").starts_with(" 9375 Hz "))
                << settings.Form1().Text("Label5");
            EXPECT_FALSE(std::filesystem::exists(folder.Path() + "/trigger.trig.txt"));
        }
        const std::vector<std::string> lines = Lines(folder.Path() + "/" + c.log);
        ASSERT_GE(lines.size(), 12u);
        EXPECT_EQ(lines[0], heading);
        EXPECT_EQ(Fields(lines[1]), c.columns);
        const std::vector<std::string> last = Fields(lines.back());
        ASSERT_EQ(last.size(), c.columns.size());
        EXPECT_EQ(std::tuple(last[0], last[1].find(':') != std::string::npos, last[c.blockCount],
                             last[c.frequency]),
                  std::tuple(std::to_string(channel + 1), true, std::to_string(lines.size() - 2),
                             channel == 0 ? "3750" : "9375"));
        const int y = renderer.Height() - 256 + 128 * (channel + 1) - 1 - (channel == 0 ? 20 : 50);
        EXPECT_EQ(renderer.Picture().pixelColor(10, y), QColor(255, 0, 0));
    }
}

} // namespace
} // namespace ondrix
