// The analysis parameters and the recording duration shown on the Basic Settings window.
#include "settings/AnalysisInfo.h"
#include "settings/SettingsModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <string>
#include <vector>

namespace ondrix {
namespace {

// The six lines: overlap or skipped samples; a single-precision bandwidth factor (60.937, not .938).
TEST(AnalysisInfo, LinesForOverlapSkipAndBandwidth) {
    // Rate, channels, FFT size, window size, window type and its list position, scan step.
    AnalysisInfoInput input{48000, 1, 1024, 1024, "Hanning", 1, 512};
    const std::vector<std::string> expected = {
        "Sampling rate  48000 samples/sec  Channels  1",   "FFT size  1024 =  21.333 msec",
        "Window Size  1024 =  21.333 msec   Type Hanning", "Frequency resolution  46.875  Bandwidth  67.5 Hz",
        "Scan Step  512 =  10.667 msec   Overlap  50%",    "FFT x sec  93.75 x channel",
    };
    EXPECT_EQ(AnalysisInfoLines(input), expected);
    input.scanStep = 2048;
    const std::vector<std::string> lines = AnalysisInfoLines(input);
    EXPECT_EQ(lines[4], "Scan Step  2048 =  42.667 msec   Skip  1024 samples every  1024");
    EXPECT_EQ(lines[5], "FFT x sec  23.438 x channel");
    input.windowTypeIndex = 2;
    input.windowTypeText = "Hamming";
    EXPECT_EQ(AnalysisInfoLines(input)[3], "Frequency resolution  46.875  Bandwidth  60.937 Hz");
    input.windowTypeIndex = -1;
    input.windowTypeText = "hanning";
    EXPECT_EQ(AnalysisInfoLines(input)[3], "Frequency resolution  46.875  Bandwidth  0 Hz");
}

// Zero or huge settings (typed by the user) never print "inf" or "nan"; zero prints zeros. One file of
// the maximum size lasts so long at the rate and channel count; none at no channels.
TEST(AnalysisInfo, ZeroOrHugeValuesNeverPrintInfinityAndRecordingDuration) {
    for (double bad : {0.0, DBL_MAX}) {
        std::vector<std::string> lines = AnalysisInfoLines({bad, bad, bad, bad, "", 1, bad});
        lines.push_back(RecDurationText(bad, bad, bad));
        for (const std::string& line : lines) {
            for (const char* word : {"inf", "INF", "nan", "NAN"}) {
                EXPECT_EQ(line.find(word), std::string::npos) << line;
            }
        }
    }
    const std::vector<std::string> zero = AnalysisInfoLines({});
    EXPECT_EQ(zero[1], "FFT size  0 =  0 msec");
    EXPECT_EQ(zero[4], "Scan Step  0 =  0 msec   Overlap  0%");
    EXPECT_EQ(RecDurationText(680, 48000, 1), "= 02:03:47.400");
    EXPECT_EQ(RecDurationText(2000, 44100, 2), "= 03:18:08.600");
    EXPECT_EQ(RecDurationText(680, 48000, 0), "= 00:00:00.000");
    EXPECT_EQ(RecDurationText(-5, 48000, 1), "= 00:00:00.000");
}

// The Basic window shows its own info and file duration; split choices only for multiple files.
TEST(AnalysisInfo, BasicWindowShowsItsInfoDurationAndSplitChoices) {
    SettingsModel settings;
    ControlModel& basic = settings.Options0();
    basic.SetText("FFTSize", "1024");
    basic.SetText("WindowSize", "1024");
    basic.Type("NchanCombo", "2 - stereo");
    const std::vector<std::string> lines = settings.InfoLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "Sampling rate  48000 samples/sec  Channels  2");
    EXPECT_EQ(lines[2], "Window Size  1024 =  21.333 msec   Type Hanning");
    EXPECT_EQ(basic.Text("AnalysisParameters").substr(0, lines[0].size() + 1), lines[0] + "\n");
    EXPECT_EQ(basic.Text("RecDurationLabel"), "= 01:01:53.700");
    basic.Type("FileMaxSizeCombo", "1 MB");
    EXPECT_EQ(basic.Text("RecDurationLabel"), "= 00:00:05.500");

    auto splitChoices = [&] {
        return std::ranges::count_if(std::vector<std::string>{"Split00", "Split30", "SpanDiskCheck"},
                                     [&](const std::string& name) { return basic.At(name).enabled; });
    };
    basic.Pick("FileModeCombo", 2);
    EXPECT_EQ(splitChoices(), 3);
    basic.Type("FileModeCombo", "1 - circular");
    EXPECT_EQ(splitChoices(), 0);
    // Without window hooks (no windows at all) "Apply" and a colour pick still run their rules.
    basic.Click("ApplyButton");
    settings.Form1().Pick("Combo8", 1);
    EXPECT_EQ(settings.Form1().Text("FFTSize"), "1024");
}

} // namespace
} // namespace ondrix
