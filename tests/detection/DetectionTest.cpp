// The detectors: byte-exact tracking and trigger logs for scripted columns, the ticks, log names,
// bands and markers from bad input, and a WAV of a tone and clicks played (task 3) and analysed page by
// page (task 4) through the real loops.
#include "support/ByteFiles.h"
#include "support/FileTaskRig.h"
#include "support/TapOutput.h"

#include "audio/DeviceLists.h"
#include "common/TextLines.h"
#include "detection/AttachDetection.h"
#include "detection/Detection.h"
#include "files/FilePlaybackLoop.h"
#include "files/PlayList.h"

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
[[maybe_unused]] std::vector<std::string> Fields(const std::string& line) {
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
TEST_F(DetectionTest, TriggerLogAndTicksFollowTheQuietSpells) {
    detection.Open(Run(DetectionLoop::RealTime));
    const std::vector<float> loud = {1, 2, 3, 10, 15, 16, 20};
    std::string ticks;
    for (int column = 1; column <= 21; ++column) {
        std::vector<float> values(128, 0.0f);
        renderer.DrawColumn(values, 128, 40, 41, false);
        const bool isLoud = std::find(loud.begin(), loud.end(), column) != loud.end();
        detection.TriggerColumn(column == 17 ? 2048.0f : isLoud ? 3000.0f + column : 100.0f);
        const uint32_t tick = renderer.Picture().pixel(column - 1, 128 + 12) | 0xff000000u;
        ticks += tick == Detection::kStartTick ? 'R' : tick == Detection::kContinueTick ? 'C' : '.';
    }
    const std::string path = detection.TriggerLogPath();
    detection.Close();
    EXPECT_EQ(ticks, "CCC......R....RC...C.");
    EXPECT_EQ(Lines(path), (std::vector<std::string>{
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

} // namespace
} // namespace ondrix
