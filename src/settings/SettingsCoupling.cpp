// The coupling rules of a pick from a basic-setting list: after any pick the window size is at
// most the FFT size, the FFT size at most the block size, and twice the scan step at most the block.
#include "settings/SettingsModel.h"

#include <algorithm>

namespace ondrix {

namespace {

// Doubling the block size for a scan step stops here (the largest block an int32 count can hold).
constexpr double kLargestBlock = 2147483648.0;

} // namespace

void SettingsModel::ApplyCoupling(WindowId windowId, std::string_view picked) {
    ControlModel& w = Window(windowId);
    const BasicSettingNames& n = windowId == WindowId::Form1 ? kQuickSettings : kBasicSettings;
    const auto value = [&w](std::string_view name) { return w.Value(name); };

    if (picked == n.blockSize) {
        if (value(n.fftSize) > value(n.blockSize)) {
            w.SetText(n.fftSize, w.Text(n.blockSize));
        }
        CheckFFTsize();
        if (value(n.windowSize) > value(n.fftSize)) {
            w.SetText(n.windowSize, w.Text(n.fftSize));
        }
        if (value(n.scanStep) > value(n.blockSize) / 2) {
            w.SetNumber(n.scanStep, value(n.blockSize) / 2);
        }
    } else if (picked == n.fftSize) {
        if (value(n.windowSize) > value(n.fftSize)) {
            w.SetText(n.windowSize, w.Text(n.fftSize));
        }
        if (value(n.fftSize) > value(n.blockSize)) {
            w.SetText(n.blockSize, w.Text(n.fftSize));
        }
        CheckFFTsize();
    } else if (picked == n.windowSize) {
        if (value(n.windowSize) > value(n.fftSize)) {
            w.SetText(n.fftSize, w.Text(n.windowSize));
        }
        CheckFFTsize();
        if (value(n.fftSize) > value(n.blockSize)) {
            w.SetText(n.blockSize, w.Text(n.fftSize));
        }
    } else if (picked == n.scanStep) {
        const double step = value(n.scanStep);
        double block = value(n.blockSize);
        if (block / 2 < step) {
            // An unreadable block size (0) would never grow: double from 1 instead.
            block = std::max(block, 1.0);
            while (block / 2 < step && block < kLargestBlock) {
                block *= 2;
            }
            w.SetNumber(n.blockSize, block);
        }
    } else if (picked == n.colourScale) {
        ColourScalePicked(windowId, w.IntValue(n.colourScale));
    }
}

} // namespace ondrix
