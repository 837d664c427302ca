#include "display/Axes.h"

#include "analysis/ColumnParameters.h"
#include "common/NumberText.h"
#include "common/Rounding.h"
#include "common/TextLines.h"
#include "display/SpectrogramRenderer.h"
#include "settings/SettingsModel.h"

#include <algorithm>
#include <cmath>

namespace ondrix {

namespace {

constexpr double kMinHz = 10000.0;
constexpr double kWideHz = 100000.0;
// Labels closer than this to the unit text at the top of a vertical axis would cover it.
constexpr int kUnitClearance = 10;
// Least spacing of the labelled ticks of the frequency and millivolt axes.
constexpr int kFrequencyLabelSpacing = 20;
constexpr int kLevelLabelSpacing = 8;
// Time axis tick spacing: the least at which labels fall on whole values, else a fixed one; labels at
// every tick.
constexpr int kTimeLabelSpacing = 48;
constexpr int kTimeStep = 64;
// The level band: mono samples of 1024 per pixel around row H + 56, stereo ones of 2048 around
// H + 38 and H + 74 (the level bars of the renderer).
constexpr double kFullScale = 32768.0;

bool Whole(double value) {
    return std::isfinite(value) &&
           std::abs(value - std::round(value)) <= 1e-7 * std::max(1.0, std::abs(value));
}

std::string LastCharacters(const std::string& text, int count) {
    const auto n = static_cast<std::size_t>(std::max(count, 0));
    return text.size() > n ? text.substr(text.size() - n) : text;
}

AxisDrawing LevelAxis(int y0, int height, double mvAtBottom, std::string_view unit, int charWidth) {
    const double perPixel = 2.0 * mvAtBottom / height;
    const int step = WholeValueStep(perPixel, kLevelLabelSpacing, height, height / 2);
    return VerticalAxis(0, y0, mvAtBottom, -mvAtBottom, height, step, unit, 4, charWidth);
}

} // namespace

AxisUnit TimeAxisUnit(double endMs) {
    const int characters = static_cast<int>(NumberText(endMs, Precision::Single).size());
    if (characters >= 6) {
        return {" s", 1000.0, characters + 1};
    }
    return {" ms", 1.0, characters};
}

AxisUnit FrequencyAxisUnit(double maximumHz) {
    if (maximumHz < kMinHz) {
        return {"Hz", 1.0, 4};
    }
    return {"kHz", 1000.0, maximumHz < kWideHz ? 3 : 4};
}

AxisDrawing HorizontalAxis(int x0, int y0, double startMs, double endMs, int width, int step,
                           std::string_view unit, int charWidth) {
    AxisDrawing axis;
    if (width <= 0) {
        return axis;
    }
    step = std::max(step, 1);
    AxisUnit chosen = TimeAxisUnit(endMs);
    if (!unit.empty()) {
        chosen.text = unit;
        chosen.divisor = 1.0;
    }
    for (int i = 0; i <= width + 1; i += step) {
        axis.ticks.push_back({x0 + i, y0 + 2, x0 + i, y0 + 8});
    }
    const int labelStep = step >= 40 ? step : 2 * step;
    int unitX = x0;
    for (int i = 0; i <= width + 1; i += labelStep) {
        const double value = RoundTo((startMs + (endMs - startMs) / width * i) / chosen.divisor, 3);
        std::string text = LastCharacters("      " + NumberText(value, Precision::Single), chosen.width + 4);
        if (const std::string trimmed = Trim(text); !trimmed.empty() && trimmed.front() == '.') {
            text = "    0" + trimmed;
        }
        const int x = x0 + i - 3 * charWidth;
        unitX = x + static_cast<int>(text.size()) * charWidth;
        axis.labels.push_back({x, y0 + 10, std::move(text)});
    }
    axis.labels.push_back({unitX, y0 + 10, chosen.text});
    return axis;
}

AxisDrawing VerticalAxis(int x0, int y0, double minimum, double maximum, int height, int step,
                         std::string_view unit, int digits, int charWidth) {
    AxisDrawing axis;
    if (height <= 0) {
        return axis;
    }
    if (step < 4) {
        step = 32;
    }
    AxisUnit chosen = FrequencyAxisUnit(maximum);
    if (!unit.empty()) {
        chosen = {std::string(unit), 1.0, digits};
    }
    const int n = chosen.width + (Whole(maximum / chosen.divisor) ? 0 : 3);
    const int unitY = y0 - height;
    for (int i = 0; i <= height; i += step) {
        axis.ticks.push_back({x0 - 8, y0 - i - 1, x0 - 2, y0 - i - 1});
        const double value = (minimum + (maximum - minimum) / height * i) / chosen.divisor;
        const int y = y0 - i - 8;
        if (!Whole(value) || y < unitY + kUnitClearance) {
            continue;
        }
        std::string text = BareNumberText(RoundTo(value, 3));
        if (static_cast<int>(text.size()) < n) {
            text.insert(0, static_cast<std::size_t>(n) - text.size(), ' ');
        }
        axis.labels.push_back({x0 - charWidth * n - 6, y, std::move(text)});
    }
    axis.ticks.push_back({x0 - 8, y0 - height - 1, x0 - 2, y0 - height - 1});
    axis.labels.push_back({x0 - charWidth * static_cast<int>(chosen.text.size()) - 6, unitY, chosen.text});
    return axis;
}

int WholeValueStep(double perPixel, int least, int height, int fallback) {
    for (int s = std::max(least, 1); s <= height; ++s) {
        if (Whole(perPixel * s) && perPixel * s != 0.0) {
            return s;
        }
    }
    return fallback;
}

PictureScale ScaleOf(const ScaleInputs& in) {
    PictureScale scale;
    scale.width = in.width;
    scale.height = in.height;
    const double rate = in.sampleRate > 0 ? in.sampleRate : 1.0;
    scale.columnMs = in.scanStep * 1000.0 / rate * in.tapeSpeedRatio;
    const double bin = BinWidth(in.sampleRate, in.fftSize, in.tapeSpeedRatio, in.frequencyDivisionRatio);
    // A band of `rows` chain rows: one bin per row from the zoom base, or c bins per row from bin 0.
    const auto band = [&](int top, int rows, bool direct, int chainRows, int merged, std::string prefix) {
        const double rowHz = direct ? bin : bin * CompressionFactor(in.fftSize, chainRows);
        return DisplayBand{.top = top,
                           .rows = rows,
                           .baseHz = direct ? in.zoomBase * bin : 0.0,
                           .rowHz = rowHz * merged,
                           .prefix = std::move(prefix)};
    };
    if (in.displays == 2) {
        // Each half row is the mean of two chain rows computed for 2 * (H / 2) rows.
        scale.levelChannels = 2;
        const int half = in.height / 2;
        const bool zoomed = DirectRows(in.fftSize, 2 * half, in.zoomFlag);
        const bool plain = DirectRows(in.fftSize, 2 * half, false);
        const std::string zoom = in.zoomFlag ? "ZOOM " : "";
        for (int ch = 0; ch < 2; ++ch) {
            const bool zoomable = in.zoomChannel >= 2 || in.zoomChannel == ch;
            scale.bands.push_back(band(ch * half, half, zoomable ? zoomed : plain, 2 * half, 2,
                                       (ch == 0 ? "(L)" : "(R)") + zoom));
        }
    } else if (in.displays == 4) {
        const int rows = std::max(in.height / 4, 1);
        const bool direct = DirectRows(in.fftSize, rows, in.zoomFlag);
        for (int t = 0; t < 4; ++t) {
            scale.bands.push_back(
                band(in.height - (t + 1) * rows, rows, direct, rows, 1, "(CH" + BareNumberText(t + 1) + ")"));
        }
    } else {
        scale.bands.push_back(
            band(0, in.height, DirectRows(in.fftSize, in.height, in.zoomFlag), in.height, 1, ""));
    }
    return scale;
}

ScaleInputs ScaleInputsFrom(const SettingsModel& settings, int width, int height, int displays) {
    const ControlModel& form = settings.Form1();
    const AnalysisSettings& analysis = settings.Analysis();
    return {.width = width,
            .height = height,
            .sampleRate = static_cast<double>(analysis.sampleRate),
            .fftSize = EffectiveFftSize(analysis.fftSize),
            .scanStep = std::max(form.IntValue("ScanStep"), 1),
            .tapeSpeedRatio = analysis.tapeSpeedRatio,
            .frequencyDivisionRatio = analysis.frequencyDivisionRatio,
            .zoomFlag = form.Checked("ZoomFlag"),
            .zoomBase = form.IntValue("UpDown5"),
            .zoomChannel = std::clamp(form.IntValue("Combo9"), 0, 2),
            .displays = displays};
}

PictureAxes AxesOf(const PictureScale& scale, double maxInputMv, int charWidth, double startMs) {
    PictureAxes axes;
    for (const DisplayBand& band : scale.bands) {
        const double maximum = band.baseHz + band.rowHz * band.rows;
        const AxisUnit unit = FrequencyAxisUnit(maximum);
        const int step = WholeValueStep(band.rowHz / unit.divisor, kFrequencyLabelSpacing, band.rows, 32);
        axes.frequency.push_back(
            VerticalAxis(0, band.top + band.rows, band.baseHz, maximum, band.rows, step, {}, 4, charWidth));
    }
    const int bottom = scale.height + SpectrogramRenderer::BelowSpectrogram;
    axes.time = HorizontalAxis(0, bottom, startMs, startMs + scale.columnMs * scale.width, scale.width,
                               kTimeStep, {}, charWidth);
    if (maxInputMv > 0 && std::isfinite(maxInputMv)) {
        const int h = scale.height;
        if (scale.levelChannels == 2) {
            const double mv = 16 * 2048 / kFullScale * maxInputMv;
            axes.level.push_back(LevelAxis(h + 38 + 17, 32, mv, " L mV", charWidth));
            axes.level.push_back(LevelAxis(h + 74 + 17, 32, mv, " R mV", charWidth));
        } else {
            axes.level.push_back(
                LevelAxis(bottom, 80, 40 * 1024 / kFullScale * maxInputMv, "  mV", charWidth));
        }
    }
    return axes;
}

} // namespace ondrix
