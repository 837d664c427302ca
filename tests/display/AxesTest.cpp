// The spectrum window's plot, the axes' label texts and positions, the frequency labels against where the
// chain draws a tone, the cursor readout on known geometry and the cursor log's bytes.
#include "display/Axes.h"
#include "TempFolder.h"
#include "analysis/ColumnChain.h"
#include "display/CursorReadout.h"
#include "display/SpectrumPlot.h"
#include "settings/SettingsModel.h"
#include "support/ByteFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ondrix {
namespace {

std::vector<std::string> Texts(const AxisDrawing& axis) {
    std::vector<std::string> texts;
    for (const AxisLabel& label : axis.labels) {
        texts.push_back(label.text + "@" + std::to_string(label.x) + "," + std::to_string(label.y));
    }
    return texts;
}

TEST(Axes, LabelTextsAndPositions) {
    const struct {
        const char* what;
        AxisDrawing axis;
        std::vector<std::string> labels;
    } cases[] = {
        {"9999 ms stays in ms",
         HorizontalAxis(0, 100, 0, 9999, 128, 64),
         {"       0@-24,110", "   4999.5@40,110", "     9999@104,110", " ms@176,110"}},
        {"10000 ms is in s; .5 reads 0.5",
         HorizontalAxis(10, 0, 500, 10000, 40, 40),
         {"    0.5@-14,10", "       10@26,10", " s@98,10"}},
        {"1234.5 ms is in s; labels every second tick below 40 pixels",
         HorizontalAxis(0, 0, 0, 1234.5, 80, 20),
         {"       0@-24,10", "    0.617@16,10", "       1.235@56,10", " s@152,10"}},
        {"9999 Hz in Hz, only whole values, none under the unit",
         VerticalAxis(0, 100, 0, 9999, 100, 50),
         {"   0@-38,92", "Hz@-22,0"}},
        {"12 kHz over 256 rows: 3 kHz every 64 rows",
         VerticalAxis(0, 256, 0, 12000, 256, 64),
         {"  0@-30,248", "  3@-30,184", "  6@-30,120", "  9@-30,56", "kHz@-30,0"}},
        {"a fractional maximum widens the labels by 3",
         VerticalAxis(0, 40, 0, 22050, 40, 4, {}, 4, 6),
         {"     0@-42,32", "kHz@-24,0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Texts(c.axis), c.labels);
    }
    EXPECT_EQ(TimeAxisUnit(9999).text, " ms");
    EXPECT_EQ(std::tuple(FrequencyAxisUnit(9999).text, FrequencyAxisUnit(10000).text,
                         FrequencyAxisUnit(10000).width, FrequencyAxisUnit(100000).width),
              std::tuple("Hz", "kHz", 3, 4));
}

// The row at which the chain draws a tone of a labelled frequency is the row of that label's tick.
TEST(Axes, FrequencyLabelsStandWhereTheToneIsDrawn) {
    const struct {
        double rate;
        int fft, height;
        bool zoom;
        int base;
    } cases[] = {{48000, 512, 256, false, 0},
                 {48000, 1024, 256, false, 0},
                 {8000, 512, 128, false, 0},
                 {48000, 2048, 256, true, 128}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.fft) + " at " + std::to_string(c.height));
        const PictureScale scale = ScaleOf({.width = 100,
                                            .height = c.height,
                                            .sampleRate = c.rate,
                                            .fftSize = c.fft,
                                            .zoomFlag = c.zoom,
                                            .zoomBase = c.base});
        const AxisDrawing axis = AxesOf(scale, 0).frequency.at(0);
        SpectrumAveraging averaging;
        ColumnChain chain({.fftSize = c.fft, .windowSize = c.fft}, averaging);
        const DisplayBand& band = scale.bands[0];
        int checked = 0;
        for (const AxisLabel& label : axis.labels) {
            const double value = std::atof(label.text.c_str());
            if (label.text.find_first_of("0123456789") == std::string::npos || value == 0.0) {
                continue;
            }
            const double hz = value * (band.baseHz + band.rowHz * band.rows >= 10000 ? 1000 : 1);
            std::vector<int16_t> frame(static_cast<std::size_t>(c.fft));
            for (std::size_t n = 0; n < frame.size(); ++n) {
                frame[n] = static_cast<int16_t>(8000 * std::sin(2 * std::numbers::pi * hz * n / c.rate));
            }
            chain.Compute(frame, {.rows = c.height,
                                  .direct = c.zoom || c.fft <= 2 * c.height,
                                  .zoomBase = c.base,
                                  .compression = std::max(1, c.fft / c.height / 2)});
            const std::span<const float> column = chain.Column();
            const int peak =
                static_cast<int>(std::max_element(column.begin(), column.end()) - column.begin());
            // The label stands 7 pixels above its tick's picture row.
            EXPECT_LE(std::abs(peak - (c.height - 1 - (label.y + 7))), 1) << label.text << " peak " << peak;
            ++checked;
        }
        EXPECT_GE(checked, 2);
    }
}

ScaleInputs Geometry(int fft, int displays, bool zoom = false, int base = 0, int zoomChannel = 2) {
    return {.width = 960,
            .height = 256,
            .sampleRate = 48000,
            .fftSize = fft,
            .scanStep = 480,
            .zoomFlag = zoom,
            .zoomBase = base,
            .zoomChannel = zoomChannel,
            .displays = displays};
}

TEST(CursorReadout, TextsOnKnownGeometry) {
    const std::optional<std::pair<int, int>> none;
    const struct {
        const char* what;
        ScaleInputs geometry;
        int x, y;
        std::optional<std::pair<int, int>> reference;
        std::optional<double> page;
        std::string text;
    } cases[] = {
        {"mono", Geometry(512, 1), 100, 155, none, {}, "[pix 100 100 120]   1000 ms  9375 Hz  60 dBr "},
        {"left button held",
         Geometry(512, 1),
         100,
         155,
         std::pair(50, 200),
         {},
         "[pix 100 100 120]   1000 ms  9375 Hz  60 dBr   [Ref 500 5156.25 ][Delta  500  4218.75 ]"},
        {"file page", Geometry(512, 1), 100, 155, none, 12.5,
         "[pix 100 100 120]   1000 ms  9375 Hz  60 dBr   F 00:00:13.500"},
        {"below the spectrogram",
         Geometry(512, 1),
         3,
         300,
         none,
         {},
         "[pix 3-45 120]   30 ms  0 Hz  60 dBr "},
        {"zoomed from bin 128",
         Geometry(2048, 1, true, 128),
         0,
         155,
         none,
         {},
         "[pix 0 100 120]   0 ms  5343.75 Hz  60 dBr "},
        {"FFT 4096 compressed 8x into 256 rows",
         Geometry(4096, 1),
         0,
         155,
         none,
         {},
         "[pix 0 100 120]   0 ms  9375 Hz  60 dBr "},
        {"stereo: the middle row is the right channel's top",
         Geometry(512, 2),
         0,
         128,
         none,
         {},
         "(R)[pix 0 127 120]   0 ms  23812.5 Hz  60 dBr "},
        {"stereo upper half", Geometry(512, 2), 0, 127, none, {}, "(L)[pix 0 128 120]   0 ms  0 Hz  60 dBr "},
        {"stereo, right half zoomed from bin 64",
         Geometry(2048, 2, true, 64, 1),
         0,
         200,
         none,
         {},
         "(R)ZOOM [pix 0 55 120]   0 ms  4078.125 Hz  60 dBr "},
        {"stereo, left half not zoomed",
         Geometry(2048, 2, true, 64, 1),
         0,
         72,
         none,
         {},
         "(L)ZOOM [pix 0 183 120]   0 ms  10312.5 Hz  60 dBr "},
        {"four traces, channel 2",
         Geometry(512, 4),
         0,
         150,
         none,
         {},
         "(CH2)[pix 0 105 120]   0 ms  15375 Hz  60 dBr "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ReadoutScene scene{.scale = ScaleOf(c.geometry), .displayRows = 256, .pageSeconds = c.page};
        EXPECT_EQ(ReadoutText(scene, c.x, c.y, 120, c.reference), c.text);
    }
    // The chain's hertz per row, not sample rate / H / 2, when the FFT is not 2H: 4096 at 240 rows.
    ScaleInputs tall = Geometry(4096, 1);
    tall.height = 240;
    EXPECT_DOUBLE_EQ(ScaleOf(tall).bands[0].rowHz, 105.46875);
}

struct CursorLog : ::testing::Test {
    TempFolder folder;
    SettingsModel settings;
    std::string file = "/data/a.wav";
    CursorMeasurement cursor{{.settings = settings,
                              .scene =
                                  [this] {
                                      return ReadoutScene{.scale = ScaleOf(Geometry(512, 1)),
                                                          .displayRows = 256,
                                                          .soundFile = file};
                                  },
                              .paletteIndexAt = [](int, int) { return 120; },
                              .date = [] { return std::string("20260102"); }}};
};

// A heading once per sound file, CR LF lines; moves log only with "RT Cursor" and a right button held.
TEST_F(CursorLog, HeadingOncePerFileAndOneLinePerReading) {
    settings.Options1().SetText("DefLogPath", folder.Path());
    settings.Options1().SetChecked("RTCursorFlag", false);
    const std::string line = "[pix 100 100 120]   1000 ms  9375 Hz  60 dBr \r\n";
    const std::string heading = std::string(kCursorLogHeading) + "\r\n";
    cursor.Press(kRightButton, 100, 155);
    cursor.Move(kRightButton, 100, 155); // RT Cursor off: nothing
    EXPECT_EQ(settings.Form1().Text("StatusLine"), " 2");
    settings.Options1().SetChecked("RTCursorFlag", true);
    cursor.Move(kRightButton, 100, 155);
    cursor.Move(0, 1, 1);
    file = "/data/b.wav";
    cursor.Press(kRightButton, 100, 155);
    EXPECT_EQ(ReadFile(folder.Path() + "cursor 20260102.txt"),
              "/data/a.wav\r\n" + heading + line + line + "/data/b.wav\r\n" + heading + line);

    cursor.Press(kLeftButton, 10, 10);
    // A left press adds the hint to the readout shown.
    EXPECT_EQ(settings.Form1().Text("LabelCursors"),
              line.substr(0, line.size() - 2) + std::string(kDeltaHint));

    // A log that cannot be written is said in the status line; the next writable press heads the file.
    settings.Options1().SetText("DefLogPath", folder.Path() + "missing/deeper");
    file = "/data/c.wav";
    cursor.Press(kRightButton, 0, 0);
    EXPECT_EQ(settings.Form1().Text("StatusLine"),
              "Cannot write " + folder.Path() + "missing/deeper/cursor 20260102.txt");
}

// A tone's row peaks in the current trace while the maximum keeps the earlier peak; the weight is read
// once per reset and limited to 0..1 in its field; values the picture cannot show are limited.
TEST(SpectrumPlot, TracesWeightResetAndValuesOutOfRange) {
    constexpr uint32_t grey = 0xffc0c0c0u;
    SpectrumPlot plot(256, grey);
    plot.SetWeightText("0.5");
    std::vector<float> column(256, 10.0f);
    column[100] = 90.0f;
    plot.Plot(column);
    column[100] = 20.0f;
    plot.SetWeightText("0.25"); // not read before a reset
    plot.Plot(column);
    const QImage& picture = plot.Picture();
    EXPECT_EQ(std::tuple(picture.pixel(100, 128 - 18), picture.pixel(100, 128 - 90), picture.pixel(100, 10)),
              std::tuple(0xff000000u, 0xffff0000u, grey));
    EXPECT_EQ(std::tuple(plot.Maximum()[99], plot.Average()[99], plot.Count()), std::tuple(90.0f, 32.5f, 2));

    plot.Plot(std::span<const float>()); // "Reset All"
    EXPECT_EQ(std::tuple(plot.Maximum()[99], plot.Count(), picture.pixel(100, 128 - 90)),
              std::tuple(0.0f, 0, grey));
    plot.SetWeightText("2");
    column[100] = NAN;
    column[101] = 1e30f;
    plot.Plot(column);
    EXPECT_EQ(std::tuple(plot.WeightText(), plot.Weight(), plot.Maximum()[99], plot.Maximum()[100]),
              std::tuple("1", 1.0f, 0.0f, 512.0f));
}

} // namespace
} // namespace ondrix
