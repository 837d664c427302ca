// The axes around the spectrogram picture: the time axis below it, a frequency axis beside each stacked
// display and the millivolt axis beside the level band, as ticks and label texts at picture coordinates.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ondrix {

class SettingsModel;

// Labels are laid out in character cells of this width unless told otherwise.
inline constexpr int kAxisCharWidth = 8;

struct AxisTick {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
};

// A text whose top-left corner is at (x, y); blanks count as characters.
struct AxisLabel {
    int x = 0;
    int y = 0;
    std::string text;
};

struct AxisDrawing {
    std::vector<AxisTick> ticks;
    std::vector<AxisLabel> labels;
};

// The unit of a time axis in ms: " s" (divisor 1000) when the end value written with its leading blank
// has six characters or more, else " ms"; `width` is that character count (+1 for seconds).
struct AxisUnit {
    std::string text;
    double divisor = 1.0;
    int width = 0;
};
AxisUnit TimeAxisUnit(double endMs);
// The unit of a frequency axis by its maximum in Hz: "Hz" with 4 digits below 10000, "kHz" with 3 from
// 10000 and with 4 from 100000.
AxisUnit FrequencyAxisUnit(double maximumHz);

// A time axis along y0 from x0 over `width` pixels: ticks every `step` pixels, labels every step (every
// second step when step < 40), the unit after the last label. An empty `unit` picks it by the end value.
AxisDrawing HorizontalAxis(int x0, int y0, double startMs, double endMs, int width, int step,
                           std::string_view unit = {}, int charWidth = kAxisCharWidth);

// A vertical axis whose right edge is x0 and bottom y0, `height` pixels high, minimum at the bottom:
// ticks every `step` pixels (32 when below 4) and a last one at the top, labels only where the value in
// the unit is whole. An empty unit picks the frequency unit; a given one has `digits` digits.
AxisDrawing VerticalAxis(int x0, int y0, double minimum, double maximum, int height, int step,
                         std::string_view unit = {}, int digits = 4, int charWidth = kAxisCharWidth);

// The smallest tick spacing of at least `least` pixels at which a label's value is whole (value per
// pixel `perPixel` in the axis unit); `fallback` when none within `height`.
int WholeValueStep(double perPixel, int least, int height, int fallback);

// One stacked display of the picture: its rows, counted from its bottom, and their frequencies.
struct DisplayBand {
    int top = 0;             // picture row of its top row
    int rows = 0;            // rows of the band
    double baseHz = 0.0;     // frequency of its lowest row
    double rowHz = 0.0;      // Hz per row, as the column chain fills the band
    std::string prefix = {}; // what the cursor readout puts first: "", "(L)", "(R)ZOOM ", ...
};

// What the picture shows and how to read it.
struct PictureScale {
    int width = 0;         // W
    int height = 0;        // H: spectrogram rows
    double columnMs = 0.0; // ms per column, tape speed included
    int levelChannels = 1; // level bars in the band: 1, or 2 for the stereo halves
    std::vector<DisplayBand> bands = {};
};

// The settings a picture scale is derived from.
struct ScaleInputs {
    int width = 0;
    int height = 0;
    double sampleRate = 48000.0;
    int fftSize = 512; // the FFT length the chain runs with
    int scanStep = 256;
    double tapeSpeedRatio = 1.0;
    double frequencyDivisionRatio = 1.0;
    bool zoomFlag = false;
    int zoomBase = 0;    // b0
    int zoomChannel = 2; // stereo: 0 left, 1 right, 2 both
    int displays = 1;    // 1; 2 stereo halves (upper left); 4 file traces (channel 1 lowest)
};

PictureScale ScaleOf(const ScaleInputs& inputs);

// The inputs as the settings give them now, for a picture of the given size showing `displays` displays.
ScaleInputs ScaleInputsFrom(const SettingsModel& settings, int width, int height, int displays);

// Every axis of the picture in picture coordinates (x < 0 lies left of the picture, y >= H + 97 below):
// frequency axes with their right edge at x = 0, the time axis along the picture's bottom, and with
// `maxInputMv` > 0 the millivolt axes beside the level band.
struct PictureAxes {
    std::vector<AxisDrawing> frequency;
    AxisDrawing time;
    std::vector<AxisDrawing> level;
};
// `startMs`: the time of the picture's first column (a file page's place in the file).
PictureAxes AxesOf(const PictureScale& scale, double maxInputMv, int charWidth = kAxisCharWidth,
                   double startMs = 0.0);

} // namespace ondrix
