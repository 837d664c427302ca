// The checks that repair missing or impossible settings, the FFT size rounding and the derivation
// of the analysis settings.
#include "settings/SettingsModel.h"

#include "common/Paths.h"
#include "common/Rounding.h"
#include "common/TextLines.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace ondrix {

namespace {

// A ratio in single precision, saturated instead of overflowing.
float ToSingle(double value) {
    return static_cast<float>(std::clamp(value, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
}

} // namespace

void SettingsModel::QuickSettingsCheck() {
    ControlModel& q = form1_;
    const BasicSettingNames& n = kQuickSettings;
    if (q.Value(n.blockSize) < 1024) {
        q.SetText(n.blockSize, "4096");
    }
    if (q.Value(n.sampleRate) < 1) {
        q.SetText(n.sampleRate, "48000");
    }
    const double smallestFft = 2.0 * maxSpectrogramHeight_;
    if (q.Value(n.fftSize) < smallestFft) {
        q.SetNumber(n.fftSize, smallestFft);
    }
    if (q.Value(n.windowSize) < 1) {
        q.SetText(n.windowSize, "512");
    }
    if (Trim(q.Text(n.windowType)).empty()) {
        q.SetText(n.windowType, "Hanning");
        options0_.SetListIndex(kBasicSettings.windowType, 1);
    }
    if (q.Value(n.scanStep) < 1) {
        q.SetText(n.scanStep, "512");
    }
    if (q.Value(n.scanStep) > q.Value(n.blockSize) / 2) {
        q.SetNumber(n.scanStep, q.Value(n.blockSize) / 2);
    }
    if (q.Value(n.displayHeight) < 1) {
        q.SetNumber(n.displayHeight, maxSpectrogramHeight_);
    }
    if (q.Value(n.colourScale) < 0) {
        q.SetText(n.colourScale, "0");
    }
    // Play, recording, snapshot and log folders.
    EnsureFolder(options0_.Text("DefPlayPathField"));
    EnsureFolder(options0_.Text("FileRecPathField"));
    EnsureFolder(options1_.Text("DefSavePath"));
    EnsureFolder(options1_.Text("DefLogPath"));
}

void SettingsModel::BasicSettingsCheck() {
    ControlModel& b = options0_;
    const BasicSettingNames& n = kBasicSettings;
    if (b.Value(n.blockSize) < 1024) {
        b.SetText(n.blockSize, "4096");
    }
    if (b.Value(n.sampleRate) < 10) {
        b.SetText(n.sampleRate, "32000");
    }
    if (b.Value(n.sampleRate) > 1000000) {
        b.SetText(n.sampleRate, "1000000");
    }
    if (b.Value(n.fftSize) < 512) {
        b.SetText(n.fftSize, "512");
    }
    if (b.Value(n.windowSize) < 1) {
        b.SetText(n.windowSize, "512");
    }
    if (Trim(b.Text(n.windowType)).empty()) {
        b.SetText(n.windowType, "Hanning");
        b.SetListIndex(n.windowType, 1);
    }
    if (b.Value(n.scanStep) < 1) {
        b.SetText(n.scanStep, "512");
    }
    if (b.Value(n.scanStep) > b.Value(n.blockSize) / 2) {
        b.SetNumber(n.scanStep, b.Value(n.blockSize) / 2);
    }
    if (b.Value(n.displayHeight) < 1) {
        b.SetText(n.displayHeight, "256");
    }
    if (b.Value(n.colourScale) < 1) {
        b.SetText(n.colourScale, "0");
    }
}

void SettingsModel::CheckFFTsize() {
    ControlModel& q = form1_;
    const std::string_view name = kQuickSettings.fftSize;
    const int32_t size = q.IntValue(name);
    int32_t rounded = size;
    switch (size) {
    case 3072:
        rounded = 2048;
        break;
    case 5120:
    case 6144:
        rounded = 4096;
        break;
    case 10240:
    case 12288:
        rounded = 8192;
        break;
    default:
        break;
    }
    if (rounded != size) {
        q.SetNumber(name, rounded);
    }
    analysis_.fftSize = q.IntValue(name);
}

void SettingsModel::PublicSettings() {
    QuickSettingsCheck();
    analysis_.sampleRate = form1_.IntValue(kQuickSettings.sampleRate);
    analysis_.fftSize = form1_.IntValue(kQuickSettings.fftSize);
    CheckFFTsize();
    analysis_.channelCount = options0_.IntValue(kChannelCount);
    // A ratio of 0, below 0 or no number would put zeros or infinities into every time and frequency
    // shown: it reads as 1, written back into its list.
    for (const char* ratio : {"TapeSpeedCombo", "FrequencyDivisionCombo"}) {
        const double value = options1_.Value(ratio);
        if (!std::isfinite(value) || value <= 0.0) {
            options1_.SetText(ratio, "1");
        }
    }
    analysis_.tapeSpeedRatio = ToSingle(options1_.Value("TapeSpeedCombo"));
    analysis_.frequencyDivisionRatio = ToSingle(options1_.Value("FrequencyDivisionCombo"));
    analysis_.digitalGain = form1_.IntValue("Text2");
    analysis_.amplitudeScale = options1_.IntValue("AmplitudeScale");
    const std::string& path = options0_.Text("FileRecPathField");
    if (!path.empty() && path.back() != '/') {
        options0_.SetText("FileRecPathField", WithTrailingSlash(path));
    }
    analysis_.recordingPath = options0_.Text("FileRecPathField");
}

} // namespace ondrix
